#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/filefaults.h"

namespace {

// Whether the fault seam refuses a system call; errno is then set as the call would set it.
bool Refused(CFileFaults::Call call)
{
    const int err = CFileFaults::Refusal(call);
    if (err != 0) errno = err;
    return err != 0;
}

// pread and pwrite, as the fault seam lets them: refused, or moving fewer bytes.
ssize_t ReadAt(int fd, char* data, size_t bytes, uint64_t at)
{
    if (Refused(CFileFaults::callRead)) return -1;
    return pread(fd, data, CFileFaults::CallBytes(CFileFaults::callRead, bytes), static_cast<off_t>(at));
}

ssize_t WriteAt(int fd, const char* data, size_t bytes, uint64_t at)
{
    if (Refused(CFileFaults::callWrite)) return -1;
    return pwrite(fd, data, CFileFaults::CallBytes(CFileFaults::callWrite, bytes), static_cast<off_t>(at));
}

// Errors of a file system that does not offer a call, rather than refusing it for these files.
bool NotOffered(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP; }

// Whether something, a link to nothing too, has the name.
bool Taken(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Whether both names are entries of one file.
bool SameEntry(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// A file system without links either: a plain rename would replace a file of the new name, so
// the name is checked to be free just before. A file made under that name in between would be
// replaced; on such file systems that small window is accepted.
int RenameIfFree(const std::string& from, const std::string& to)
{
    if (Taken(to)) {
        errno = EEXIST;
        return -1;
    }
    return Refused(CFileFaults::callRename) ? -1 : std::rename(from.c_str(), to.c_str());
}

// A file system without no-replace renames: a new link fails as well when the name is taken, and
// the old name is removed after it. Returns 0, or -1 with errno set.
int LinkAndUnlink(const std::string& from, const std::string& to)
{
    if (Refused(CFileFaults::callLink) || link(from.c_str(), to.c_str()) != 0)
        return errno == EPERM || NotOffered(errno) ? RenameIfFree(from, to) : -1;
    if (!Refused(CFileFaults::callUnlink) && unlink(from.c_str()) == 0) return 0;
    // The old name could not be removed: the new link is removed again and the rename fails, so
    // the file is left as it was, under its old name only. Keeping both names would be worse: the
    // new name would stand for a file still reached under its old name, so whatever is written
    // there later would change it too, and each start would add one more name for it. Only while
    // the old name still names the file: one whose removal was reported failed yet made (a
    // retried request of a network file system) keeps its new name.
    const int err = errno;
    if (SameEntry(from, to) && !Refused(CFileFaults::callUnlink)) (void)unlink(to.c_str());
    errno = err;
    return -1;
}

}  // namespace

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* path, UINT flags, CFileException* error)
{
    Abort();
    m_path = path != nullptr ? path : "";
    m_pos = 0;
    try {
        CFileFaults::OnOperation(m_path);
    } catch (const CFileException& e) {
        if (error != nullptr) *error = e;
        return FALSE;
    }
    int mode = (flags & modeReadWrite) ? O_RDWR : (flags & modeWrite) ? O_WRONLY : O_RDONLY;
    if (flags & modeCreate) mode |= O_CREAT | ((flags & modeNoTruncate) ? 0 : O_TRUNC);
    int fd = OpenCreating(mode);
    int err = errno;
    if (fd >= 0 && (flags & (shareExclusive | shareDenyWrite)) && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno;
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        CFileException::Cause cause = CFileException::CauseFromErrno(err);
        // A file that may be created is missing only when its folder is.
        if (err == ENOENT && (flags & modeCreate)) cause = CFileException::folderNotFound;
        if (error != nullptr) *error = CFileException(cause, err, m_path);
        return FALSE;
    }
    m_fd = fd;
    return TRUE;
}

// Opens m_path like open(2); a file that this call creates is noted, and told to the fault seam.
int CFile::OpenCreating(int mode)
{
    m_bCreated = false;
    if (!(mode & O_CREAT)) return open(m_path.c_str(), mode | O_CLOEXEC, 0644);
    int fd = open(m_path.c_str(), mode | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        m_bCreated = true;
        CFileFaults::OnCreate(m_path);
        return fd;
    }
    if (errno != EEXIST) return fd;
    // The name is taken; a symbolic link to nothing is taken too, and the open makes its target.
    struct stat st {};
    const bool dangling = stat(m_path.c_str(), &st) != 0 && errno == ENOENT;
    fd = open(m_path.c_str(), mode | O_CLOEXEC, 0644);
    m_bCreated = fd >= 0 && dangling;
    return fd;
}

bool CFile::IsSameFile(const std::string& path) const
{
    struct stat mine {};
    struct stat other {};
    if (m_fd < 0 || fstat(m_fd, &mine) != 0 || stat(path.c_str(), &other) != 0) return false;
    return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

void CFile::Raise(int err) const
{
    throw CFileException(CFileException::CauseFromErrno(err), err, m_path);
}

void CFile::RequireOpen() const
{
    if (m_fd < 0) Raise(EBADF);
}

uint64_t CFile::Seek(int64_t offset, UINT from)
{
    RequireOpen();
    CFileFaults::OnOperation(m_path);
    int64_t base = from == begin ? 0 : from == current ? static_cast<int64_t>(m_pos) : static_cast<int64_t>(GetLength());
    if (offset < 0 && -offset > base) Raise(EINVAL);
    m_pos = static_cast<uint64_t>(base + offset);
    return m_pos;
}

uint64_t CFile::GetLength()
{
    RequireOpen();
    CFileFaults::OnOperation(m_path);
    struct stat st {};
    if (fstat(m_fd, &st) != 0) Raise(errno);
    return static_cast<uint64_t>(st.st_size);
}

UINT CFile::Read(void* buffer, UINT count)
{
    RequireOpen();
    CFileFaults::OnOperation(m_path);
    auto* p = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t got = ReadAt(m_fd, p + done, count - done, m_pos + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Raise(errno);
        if (got == 0) break;
        done += static_cast<UINT>(got);
    }
    m_pos += done;
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    RequireOpen();
    CFileFaults::WritePlan plan = CFileFaults::OnWrite(m_path, m_fd, m_pos, count);
    const auto* p = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < plan.store) {
        ssize_t put = WriteAt(m_fd, p + done, plan.store - done, m_pos + done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Raise(errno);
        if (put == 0) Raise(ENOSPC);
        done += static_cast<size_t>(put);
    }
    m_pos += done;
    if (plan.fail) throw CFileException(CFileException::injectedFault, 0, m_path);
}

void CFile::Flush()
{
    RequireOpen();
    CFileFaults::OnOperation(m_path);
    if (CFileFaults::DiskSync() && fdatasync(m_fd) != 0) Raise(errno);
    CFileFaults::OnFlush(m_path);
}

void CFile::Close()
{
    if (m_fd < 0) return;
    int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) Raise(errno);
}

void CFile::Abort()
{
    if (m_fd < 0) return;
    close(m_fd);
    m_fd = -1;
}

void CFile::Rename(const char* oldName, const char* newName)
{
    const std::string from = oldName != nullptr ? oldName : "";
    const std::string to = newName != nullptr ? newName : "";
    CFileFaults::OnOperation(to);
    CFileFaults::OnRename(from, to);
    if (Refused(CFileFaults::callRename) || std::rename(from.c_str(), to.c_str()) != 0) {
        int err = errno;
        throw CFileException(CFileException::CauseFromErrno(err), err, from);
    }
}

void CFile::RenameNoReplace(const char* oldName, const char* newName)
{
    const std::string from = oldName != nullptr ? oldName : "";
    const std::string to = newName != nullptr ? newName : "";
    CFileFaults::OnOperation(to);
    if (Taken(to)) throw CFileException(CFileException::CauseFromErrno(EEXIST), EEXIST, to);
    CFileFaults::OnRename(from, to);
    int rc = Refused(CFileFaults::callRenameNoReplace) ? -1
                                                       : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && NotOffered(errno)) rc = LinkAndUnlink(from, to);
    if (rc != 0) {
        int err = errno;
        throw CFileException(CFileException::CauseFromErrno(err), err, from);
    }
}

std::string CFile::FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash == 0 ? 1 : slash);
}

void CFile::SyncFolder(const std::string& path)
{
    const std::string folder = FolderOf(path);
    CFileFaults::OnOperation(folder);
    if (CFileFaults::DiskSync()) {
        int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int err = fd < 0 ? errno : 0;
        if (fd >= 0 && fsync(fd) != 0) err = errno;
        if (fd >= 0) close(fd);
        // EINVAL: the file system has no folder sync and keeps its entries on its own.
        if (err != 0 && err != EINVAL) throw CFileException(CFileException::CauseFromErrno(err), err, folder);
    }
    CFileFaults::OnFolderSync(folder);
}
