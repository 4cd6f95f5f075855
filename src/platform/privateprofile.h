// Settings files in the INI format with the meaning the monitor's settings code expects:
// section and key names are case-insensitive, the first match wins, a missing key gives the
// default, an integer is read from its leading sign and digits, and writing one key keeps every
// other line. A write goes to a temporary file that is renamed over the old one, so an
// interrupted write never leaves a truncated settings file. Names and values are UTF-8.
//
// A file is parsed once and its sections and keys kept while it stays the same file (path,
// size, modification time and inode); a write through these functions, or any change on disk,
// makes the next read parse it again. A file modified less than 100 ms before it was read may
// change again within one time stamp, so until it is older its bytes are compared before the
// kept parse serves. Safe to call from several threads.
//
// A file larger than g_u64ProfileSizeMax is never read: every key reads as missing and a write
// is refused, so the file stays exactly as it is.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

constexpr uint64_t g_u64ProfileSizeMax = 1024 * 1024;

// The key's value read as a signed decimal integer ("-12abc" gives -12, "abc" gives 0); the
// default when the file, the section or the key is missing.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* path);

// The key's value as GetPrivateProfileString gives it; false when the file, the section or the
// key is missing.
bool GetPrivateProfileValue(const char* section, const char* key, std::string& value, const char* path);
// Whether GetPrivateProfileInt reads the whole value: an optional sign and decimal digits that
// fit an int.
bool IsProfileInteger(const std::string& value);

// Copies the key's value (blanks around it and one pair of enclosing quotes removed), or the
// default when missing, into out with at most size-1 characters, always terminated. Returns the
// number of bytes copied.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD size, const char* path);
std::string GetPrivateProfileString(const char* section, const char* key,
                                    const char* defaultValue, const char* path);

// Sets the key's value, adding the section and the key when missing. A null value removes the
// key. Returns TRUE on success, FALSE when the file could not be read or written; the old file
// is then left as it was (also when it is larger than g_u64ProfileSizeMax).
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

// What a reader of the file should tell its user: whether the file is there and readable,
// whether it is too large to be read (and its size), how many "key=value" lines are never read
// because they stand outside any section, in a repeated section or repeat a key, and how many
// lines are neither blank, a comment, a "[section]" header nor a "key=value" line (the first
// line numbers count from 1; 0 when there is none).
struct ProfileFileState {
    bool exists = false;
    bool readable = false;
    bool tooLarge = false;
    uint64_t size = 0;
    int strayLines = 0;
    int firstStrayLine = 0;
    int unusedLines = 0;
    int firstUnusedLine = 0;
};
ProfileFileState InspectProfileFile(const char* path);

// Test seam: when set, the next writes stop after the temporary file is written and before it
// is renamed, as a crash at that moment would.
void SetProfileWriteFailsBeforeRename(bool fail);
