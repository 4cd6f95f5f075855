#include "platform/fileexception.h"

#include <cerrno>
#include <cstring>

CFileException::Cause CFileException::CauseFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR: return fileNotFound;
    case EACCES:
    case EPERM: return accessDenied;
    case EROFS: return readOnlyFileSystem;
    case EWOULDBLOCK: return sharingViolation;
    case ENOSPC:
    case EDQUOT: return diskFull;
    case EINVAL:
    case EOVERFLOW: return badSeek;
    case EIO: return hardIO;
    default: return genericException;
    }
}

std::string CFileException::Describe() const
{
    static const char* const kNames[] = {
        "no error",   "file error",   "file not found", "access denied", "locked by another process",
        "disk full",  "bad seek",     "input/output error", "unexpected end of file", "injected fault",
        "read-only file system", "folder not found",
    };
    std::string text = kNames[m_cause];
    if (m_lOsError != 0) {
        text += " (";
        text += std::strerror(m_lOsError);
        text += ")";
    }
    return text + ": " + m_strFileName;
}
