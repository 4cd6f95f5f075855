// The error raised by CFile: what went wrong, the operating system's error number and the
// path of the file concerned.
#pragma once

#include <string>

class CFileException {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        accessDenied,
        sharingViolation,
        diskFull,
        badSeek,
        hardIO,
        endOfFile,
        injectedFault,  // raised by the fault seam of the tests
        readOnlyFileSystem,
        folderNotFound,  // a file could not be created because its folder is missing
    };

    CFileException() = default;
    CFileException(Cause cause, int osError, std::string path)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(path)) {}

    // Maps an errno value to a cause.
    static Cause CauseFromErrno(int err);
    // One line for a log: the cause, the system's text and the path.
    std::string Describe() const;

    Cause m_cause = none;
    int m_lOsError = 0;
    std::string m_strFileName;
};
