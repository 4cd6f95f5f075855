// The executable's folder, where the settings file and the record files live.
#pragma once

#include <string>

// The folder of the running executable, without a trailing separator. Read once from
// /proc/self/exe; tests may override it.
std::string GetExeFolder();
void SetExeFolder(const std::string& folder);

// Joins a Windows-style name such as "\Para.ini" or "DataSave.dat" to a folder, reading its
// backslashes as '/'.
std::string JoinAppPath(const std::string& folder, const std::string& name);

// Whether a name joined by JoinAppPath stays inside the folder: it is relative (no leading
// separator, no drive such as "C:") and has no ".." part.
bool NameStaysInFolder(const std::string& name);

// Whether the name joined to the folder names a folder: its last part is empty, "." or ".." (as
// in ".", "./" or "sub/.."), or a folder of that name exists.
bool NameIsFolder(const std::string& folder, const std::string& name);

// The length in bytes of the name's longest part between separators.
size_t LongestNamePart(const std::string& name);
// The name's last part, after its last separator.
std::string LastNamePart(const std::string& name);

// The name as a path below the folder: backslashes read as '/', empty and "." parts dropped, so
// that "\Para.ini", "./Para.ini" and "Para.ini" compare equal.
std::string FolderRelativeName(const std::string& name);

// The path made absolute, with "." and ".." parts and the symbolic links of its existing parts
// resolved: two names of one place give the same text.
std::string PlainPath(const std::string& path);
// The path with its folder made plain and its last part as it is: the folder entry that a file
// renamed to the path replaces, also where that entry is a symbolic link.
std::string PlainEntryPath(const std::string& path);
