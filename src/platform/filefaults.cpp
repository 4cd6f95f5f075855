#include "platform/filefaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/fileexception.h"

namespace {

// The bytes a write replaced, kept until the file is flushed.
struct Undo {
    std::string path;
    uint64_t offset;
    std::vector<char> old;
    uint64_t oldLength;
};

struct SeamState {
    std::mutex lock;
    std::atomic<bool> armed{false};
    std::atomic<long> operations{0};
    long writes = 0;
    long failAt = 0;
    long cutAt = 0;
    size_t cutBytes = 0;
    long powerAt = 0;
    size_t tornBytes = 0;
    long actAt = 0;
    std::function<void()> action;
    std::atomic<bool> powerLost{false};
    std::atomic<bool> diskSync{true};
    std::vector<Undo> undo;
};

SeamState& Seam()
{
    static SeamState state;
    return state;
}

[[noreturn]] void RaiseInjected(const std::string& path)
{
    throw CFileException(CFileException::injectedFault, 0, path);
}

void Record(SeamState& s, const std::string& path, int fd, uint64_t offset, size_t bytes)
{
    struct stat st {};
    if (fstat(fd, &st) != 0) return;
    Undo u{path, offset, {}, static_cast<uint64_t>(st.st_size)};
    if (offset < u.oldLength) {
        u.old.resize(static_cast<size_t>(std::min<uint64_t>(bytes, u.oldLength - offset)));
        ssize_t got = pread(fd, u.old.data(), u.old.size(), static_cast<off_t>(offset));
        u.old.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    s.undo.push_back(std::move(u));
}

// Puts back what every unflushed write replaced, newest first.
void UndoUnflushed(SeamState& s)
{
    for (auto it = s.undo.rbegin(); it != s.undo.rend(); ++it) {
        int fd = open(it->path.c_str(), O_WRONLY);
        if (fd < 0) continue;
        if (!it->old.empty()) (void)!pwrite(fd, it->old.data(), it->old.size(), static_cast<off_t>(it->offset));
        struct stat st {};
        if (fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) > it->oldLength)
            (void)!ftruncate(fd, static_cast<off_t>(it->oldLength));
        close(fd);
    }
    s.undo.clear();
}

// Runs the action due before the next operation, if any, outside the seam's lock.
void RunDueAction(SeamState& s)
{
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (s.actAt == 0 || s.operations.load() + 1 != s.actAt) return;
        s.actAt = 0;
        action.swap(s.action);
    }
    action();
}

// Counts one operation; true when the power fails at it.
bool CountAndCheck(SeamState& s, const std::string& path)
{
    long n = ++s.operations;
    if (!s.armed.load()) return false;
    if (s.powerLost.load()) RaiseInjected(path);
    if (s.failAt != 0 && n == s.failAt) {
        s.failAt = 0;
        RaiseInjected(path);
    }
    return s.powerAt != 0 && n == s.powerAt;
}

}  // namespace

void CFileFaults::FailOperation(long n)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.failAt = s.operations.load() + n;
    s.armed = true;
}

void CFileFaults::CutWrite(long n, size_t bytes)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.cutAt = s.writes + n;
    s.cutBytes = bytes;
    s.armed = true;
}

void CFileFaults::PowerLossAt(long n, size_t tornBytes)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.powerAt = s.operations.load() + n;
    s.tornBytes = tornBytes;
    s.armed = true;
}

void CFileFaults::ActAt(long n, std::function<void()> action)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.actAt = s.operations.load() + n;
    s.action = std::move(action);
    s.armed = true;
}

void CFileFaults::SetDiskSync(bool on) { Seam().diskSync = on; }

bool CFileFaults::DiskSync() { return Seam().diskSync.load(); }

bool CFileFaults::PowerLost() { return Seam().powerLost.load(); }

long CFileFaults::Operations() { return Seam().operations.load(); }

void CFileFaults::Reset()
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.armed = false;
    s.operations = 0;
    s.writes = 0;
    s.failAt = s.cutAt = s.powerAt = 0;
    s.actAt = 0;
    s.action = nullptr;
    s.powerLost = false;
    s.undo.clear();
}

void CFileFaults::OnOperation(const std::string& path)
{
    SeamState& s = Seam();
    if (!s.armed.load()) {
        ++s.operations;
        return;
    }
    RunDueAction(s);
    std::lock_guard<std::mutex> g(s.lock);
    if (CountAndCheck(s, path)) {
        UndoUnflushed(s);
        s.powerLost = true;
        RaiseInjected(path);
    }
}

CFileFaults::WritePlan CFileFaults::OnWrite(const std::string& path, int fd, uint64_t offset, size_t bytes)
{
    SeamState& s = Seam();
    if (!s.armed.load()) {
        ++s.operations;
        return {bytes, false};
    }
    RunDueAction(s);
    std::lock_guard<std::mutex> g(s.lock);
    ++s.writes;
    if (CountAndCheck(s, path)) {
        UndoUnflushed(s);
        s.powerLost = true;
        return {std::min(bytes, s.tornBytes), true};
    }
    if (s.cutAt != 0 && s.writes == s.cutAt) {
        s.cutAt = 0;
        return {std::min(bytes, s.cutBytes), true};
    }
    if (s.powerAt != 0) Record(s, path, fd, offset, bytes);
    return {bytes, false};
}

void CFileFaults::OnFlush(const std::string& path)
{
    SeamState& s = Seam();
    if (!s.armed.load()) return;
    std::lock_guard<std::mutex> g(s.lock);
    s.undo.erase(std::remove_if(s.undo.begin(), s.undo.end(), [&](const Undo& u) { return u.path == path; }),
                 s.undo.end());
}
