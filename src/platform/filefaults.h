// Fault seam of the file layer, for tests. Every CFile operation (open, seek, length, read,
// write, flush, rename, folder sync) counts as one. A test can make the n-th operation fail, cut
// the n-th write short, or cut the power at the n-th operation: every write that was not flushed
// is undone, a file created or renamed into place whose folder was not synced since is lost (the
// created file disappears, the rename's target comes back as it was), the operation itself, when
// it is a write, leaves only a prefix of its bytes, and every later operation fails until Reset.
// A test can also refuse the system calls of a rename, as a file system without them does.
// Without an armed fault the seam costs one atomic increment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CFileFaults {
public:
    // The n-th operation from now (1 = the next one) raises a CFileException.
    static void FailOperation(long n);
    // The n-th write from now stores only its first `bytes` bytes, then raises.
    static void CutWrite(long n, size_t bytes);
    // Power loss at the n-th operation from now, tearing that operation's write after
    // `tornBytes` bytes. From then on unflushed writes are recorded so they can be undone.
    static void PowerLossAt(long n, size_t tornBytes);
    // Runs `action` on the thread that makes the n-th operation from now, just before that
    // operation, so a test can act while a file operation is under way. Operations that the
    // action makes itself are counted too.
    static void ActAt(long n, std::function<void()> action);
    // System calls that some file systems lack or refuse, or that a signal interrupts. The next
    // `times` calls of `call` fail with errno `err` and are not made.
    enum Call { callRenameNoReplace, callLink, callUnlink, callRename, callRead, callWrite, kCallKinds };
    static void RefuseCall(Call call, int err, long times);
    // The next `times` reads or writes (callRead, callWrite) move at most `bytes` bytes each, as
    // the system may do; 0 makes a write that stores nothing.
    static void ShortenCall(Call call, size_t bytes, long times);
    // True once the simulated power loss has happened.
    static bool PowerLost();
    // Operations counted since the last Reset.
    static long Operations();
    // Disarms every fault and forgets unflushed writes.
    static void Reset();
    // Tests that neither cut the power of the machine nor measure speed may skip the disk
    // synchronisation of Flush; the seam still treats the data as flushed. Reset leaves it as set.
    static void SetDiskSync(bool on);
    static bool DiskSync();

    // Hooks of CFile. OnOperation raises when the operation is to fail.
    static void OnOperation(const std::string& path);
    struct WritePlan {
        size_t store;  // bytes to write
        bool fail;     // raise after writing them
    };
    static WritePlan OnWrite(const std::string& path, int fd, uint64_t offset, size_t bytes);
    static void OnFlush(const std::string& path);
    // Called after CFile created the file at path, and before it renames from to to.
    static void OnCreate(const std::string& path);
    static void OnRename(const std::string& from, const std::string& to);
    // The errno a system call is refused with, 0 when it is to be made.
    static int Refusal(Call call);
    // How many of `bytes` a read or write is to move.
    static size_t CallBytes(Call call, size_t bytes);
    // Called after the folder's entries were put on disk.
    static void OnFolderSync(const std::string& folder);
};
