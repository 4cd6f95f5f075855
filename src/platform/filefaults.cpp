#include "platform/filefaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/file.h"
#include "platform/fileexception.h"

namespace {

// What a power loss takes back: the bytes a write replaced, kept until the file is flushed; a
// file's creation, and a rename with the target's old bytes, kept until their folder is synced.
struct Undo {
    enum Kind { write, create, rename } kind = write;
    std::string path;  // the file written or created; the rename's target
    uint64_t offset = 0;
    std::vector<char> old;
    uint64_t oldLength = 0;
    std::string from;      // the rename's source
    bool oldExists = false;  // the rename's target existed before
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
    int refuseErr[CFileFaults::kCallKinds] = {};
    long refuseLeft[CFileFaults::kCallKinds] = {};
    size_t shortenBytes[CFileFaults::kCallKinds] = {};
    long shortenLeft[CFileFaults::kCallKinds] = {};
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
    Undo u;
    u.path = path;
    u.offset = offset;
    u.oldLength = static_cast<uint64_t>(st.st_size);
    if (offset < u.oldLength) {
        u.old.resize(static_cast<size_t>(std::min<uint64_t>(bytes, u.oldLength - offset)));
        ssize_t got = pread(fd, u.old.data(), u.old.size(), static_cast<off_t>(offset));
        u.old.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    s.undo.push_back(std::move(u));
}

void UndoWrite(const Undo& u)
{
    int fd = open(u.path.c_str(), O_WRONLY);
    if (fd < 0) return;
    if (!u.old.empty()) (void)!pwrite(fd, u.old.data(), u.old.size(), static_cast<off_t>(u.offset));
    struct stat st {};
    if (fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) > u.oldLength)
        (void)!ftruncate(fd, static_cast<off_t>(u.oldLength));
    close(fd);
}

// The renamed file goes back under its old name, and the target's old file comes back.
void UndoRename(const Undo& u)
{
    (void)!std::rename(u.path.c_str(), u.from.c_str());
    if (!u.oldExists) return;
    int fd = open(u.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    if (!u.old.empty()) (void)!pwrite(fd, u.old.data(), u.old.size(), 0);
    close(fd);
}

// Puts back what every unflushed write replaced and every unsynced creation and rename changed,
// newest first.
void UndoUnflushed(SeamState& s)
{
    for (auto it = s.undo.rbegin(); it != s.undo.rend(); ++it) {
        if (it->kind == Undo::write) UndoWrite(*it);
        if (it->kind == Undo::create) (void)!unlink(it->path.c_str());
        if (it->kind == Undo::rename) UndoRename(*it);
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

// The whole content of a file; false when it cannot be read.
bool ReadWhole(const std::string& path, std::vector<char>& bytes)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    char chunk[65536];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    close(fd);
    return got == 0;
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

// Keeps what a power loss would take back, once a power loss is armed.
void Keep(Undo u, bool readTarget)
{
    SeamState& s = Seam();
    if (!s.armed.load()) return;
    std::lock_guard<std::mutex> g(s.lock);
    if (s.powerAt == 0) return;
    if (readTarget) u.oldExists = ReadWhole(u.path, u.old);
    s.undo.push_back(std::move(u));
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

void CFileFaults::RefuseCall(Call call, int err, long times)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.refuseErr[call] = err;
    s.refuseLeft[call] = times;
    s.armed = true;
}

void CFileFaults::ShortenCall(Call call, size_t bytes, long times)
{
    SeamState& s = Seam();
    std::lock_guard<std::mutex> g(s.lock);
    s.shortenBytes[call] = bytes;
    s.shortenLeft[call] = times;
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
    std::fill(std::begin(s.refuseLeft), std::end(s.refuseLeft), 0);
    std::fill(std::begin(s.shortenLeft), std::end(s.shortenLeft), 0);
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
    s.undo.erase(std::remove_if(s.undo.begin(), s.undo.end(),
                                [&](const Undo& u) { return u.kind == Undo::write && u.path == path; }),
                 s.undo.end());
}

void CFileFaults::OnCreate(const std::string& path)
{
    Undo u;
    u.kind = Undo::create;
    u.path = path;
    Keep(std::move(u), false);
}

void CFileFaults::OnRename(const std::string& from, const std::string& to)
{
    Undo u;
    u.kind = Undo::rename;
    u.path = to;
    u.from = from;
    Keep(std::move(u), true);
}

int CFileFaults::Refusal(Call call)
{
    SeamState& s = Seam();
    if (!s.armed.load()) return 0;
    std::lock_guard<std::mutex> g(s.lock);
    if (s.refuseLeft[call] == 0) return 0;
    --s.refuseLeft[call];
    return s.refuseErr[call];
}

size_t CFileFaults::CallBytes(Call call, size_t bytes)
{
    SeamState& s = Seam();
    if (!s.armed.load()) return bytes;
    std::lock_guard<std::mutex> g(s.lock);
    if (s.shortenLeft[call] == 0) return bytes;
    --s.shortenLeft[call];
    return std::min(bytes, s.shortenBytes[call]);
}

void CFileFaults::OnFolderSync(const std::string& folder)
{
    SeamState& s = Seam();
    if (!s.armed.load()) return;
    std::lock_guard<std::mutex> g(s.lock);
    for (auto it = s.undo.begin(); it != s.undo.end(); ++it) {
        if (it->kind != Undo::rename || CFile::FolderOf(it->path) != folder) continue;
        // The renamed file now keeps its new name: its unflushed writes are undone there.
        for (auto older = s.undo.begin(); older != it; ++older) {
            if (older->kind == Undo::write && older->path == it->from) older->path = it->path;
        }
    }
    auto entryInFolder = [&](const Undo& u) { return u.kind != Undo::write && CFile::FolderOf(u.path) == folder; };
    s.undo.erase(std::remove_if(s.undo.begin(), s.undo.end(), entryInFolder), s.undo.end());
}
