// Waiting on real threads and processes: polls until a condition holds. The limit only catches
// something that never gets there; it lies far beyond what a slow, loaded machine needs, so no
// test depends on how fast the machine is.
#pragma once

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

constexpr std::chrono::seconds kWaitLimit{120};

// Calls done() every poll interval until it returns true or kWaitLimit has passed; returns its
// last answer.
template <class Done>
bool WaitFor(Done done, std::chrono::milliseconds poll = std::chrono::milliseconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

// The calling thread's id as the kernel knows it, for ThreadAsleep.
inline pid_t CurrentThreadId() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// Reads /proc/self/task/<tid>/<file> into buf; false when the thread has ended.
inline bool ReadThreadFile(pid_t tid, const char* file, char* buf, size_t size)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/%s", static_cast<int>(tid), file);
    const int fd = open(path, O_RDONLY);
    if (fd < 0) return false;
    const ssize_t n = read(fd, buf, size - 1);
    close(fd);
    if (n <= 0) return false;
    buf[n] = '\0';
    return true;
}

// Whether a thread of this process sleeps, for example because it waits for a lock that
// another thread holds. False when the thread has ended.
inline bool ThreadAsleep(pid_t tid)
{
    char buf[512];
    if (!ReadThreadFile(tid, "stat", buf, sizeof buf)) return false;
    const char* nameEnd = std::strrchr(buf, ')');  // the state follows the name in brackets
    return nameEnd != nullptr && nameEnd[1] == ' ' && nameEnd[2] == 'S';
}

// How many times a thread of this process has gone to sleep so far; -1 when it has ended.
inline long ThreadSleeps(pid_t tid)
{
    char buf[4096];
    if (!ReadThreadFile(tid, "status", buf, sizeof buf)) return -1;
    const char* line = std::strstr(buf, "\nvoluntary_ctxt_switches:");
    return line != nullptr ? std::strtol(line + std::strlen("\nvoluntary_ctxt_switches:"), nullptr, 10) : -1;
}
