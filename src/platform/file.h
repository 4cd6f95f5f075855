// A binary file over POSIX descriptors. Reads and writes use pread/pwrite at the file's own
// position and loop until complete; Flush puts the data on disk (fdatasync), SyncFolder the
// folder's entries (fsync of the folder). Errors raise
// CFileException. The share modes become an advisory lock (flock): a file opened with
// shareDenyWrite or shareExclusive cannot be opened so by another process at the same time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fileexception.h"
#include "platform/wintypes.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();  // closes without raising
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens path (UTF-8). Returns FALSE and fills error, when given, on failure.
    BOOL Open(const char* path, UINT flags, CFileException* error = nullptr);
    bool IsOpen() const { return m_fd >= 0; }
    // Whether the last Open made the file, which did not exist before.
    bool WasCreated() const { return m_bCreated; }
    const std::string& GetFilePath() const { return m_path; }
    // Whether path names the file this object has open (the same file also under another name).
    bool IsSameFile(const std::string& path) const;

    uint64_t Seek(int64_t offset, UINT from);
    uint64_t GetPosition() const { return m_pos; }
    uint64_t GetLength();
    // Reads up to count bytes; fewer only at the end of the file. Returns the bytes read.
    UINT Read(void* buffer, UINT count);
    // Writes all count bytes or raises.
    void Write(const void* buffer, UINT count);
    // Puts every written byte on disk.
    void Flush();
    // Closes; raises when the system reports an error.
    void Close();
    // Closes and never raises.
    void Abort();

    // Renames a file, replacing a file of the new name; raises on failure.
    static void Rename(const char* oldName, const char* newName);
    // Renames a file unless something of the new name exists; raises on failure (EEXIST when
    // the new name is taken), so an existing file is never replaced. On failure the file keeps
    // its old name and the new name is not made.
    static void RenameNoReplace(const char* oldName, const char* newName);
    // Puts the entries of the folder holding path on disk, so that a file created there or
    // renamed into place survives a power loss; raises on failure. A file system that cannot
    // sync a folder keeps its entries without this and is not an error.
    static void SyncFolder(const std::string& path);
    // The folder part of a path ("." for a bare name).
    static std::string FolderOf(const std::string& path);

private:
    int OpenCreating(int mode);
    [[noreturn]] void Raise(int err) const;
    void RequireOpen() const;

    int m_fd = -1;
    uint64_t m_pos = 0;
    std::string m_path;
    bool m_bCreated = false;
};
