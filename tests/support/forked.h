// fork() for tests: a failure ends the test at once, before kill() or waitpid() sees its -1.
#pragma once
#include <unistd.h>

#include <cerrno>
#include <system_error>

inline pid_t Forked()
{
    const pid_t pid = fork();
    if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork failed");
    return pid;
}
