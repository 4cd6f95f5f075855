// Settings files in the INI format with the meaning the monitor's settings code expects:
// section and key names are case-insensitive, the first match wins, a missing key gives the
// default, an integer is read from its leading sign and digits, and writing one key keeps every
// other line. A write goes to a temporary file that is renamed over the old one, so an
// interrupted write never leaves a truncated settings file. Names and values are UTF-8.
//
// A file is parsed once and its sections and keys kept while it stays the same file (path,
// size, modification time and inode); a write through these functions, or any change on disk,
// makes the next read parse it again. A file modified less than 3 s before it was read may
// change again within one time stamp (file systems with whole-second or two-second stamps), so
// until it is older its bytes are compared before the kept parse serves. Safe to call from
// several threads and several processes: writes run one at a time, each holding an exclusive
// lock on the file's folder from its read of the old file until the new one is in place, so
// no write loses another's key. The lock is the folder's own (flock), so no lock file is left
// beside the settings, and the system lets go of it when its holder ends. Each write goes
// through a temporary file of its own, written and synced through CFile, renamed into place and
// its folder synced; holding the lock, it first removes the temporary files of that settings
// file that earlier writes left when they were killed between writing and renaming.
//
// A file larger than g_u64ProfileSizeMax is never read: every key reads as missing and a write
// is refused, so the file stays exactly as it is. A write whose result would be larger is
// refused the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/wintypes.h"

constexpr uint64_t g_u64ProfileSizeMax = 1024 * 1024;

// The key's value read as a signed decimal integer ("-12abc" gives -12, "abc" gives 0, more
// digits than fit give INT_MAX or INT_MIN); the default when the file, the section or the key
// is missing.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* path);

// The key's value as GetPrivateProfileString gives it; false when the file, the section or the
// key is missing.
bool GetPrivateProfileValue(const char* section, const char* key, std::string& value, const char* path);
// How GetPrivateProfileInt reads a value: the int it gives, whether the text is a whole number
// (an optional sign and decimal digits only), and whether the number is beyond the int range
// (1 above, -1 below; the value is then INT_MAX or INT_MIN).
struct ProfileInteger {
    int value = 0;
    bool whole = false;
    int beyond = 0;
};
ProfileInteger ParseProfileInteger(const std::string& value);

// One version of a settings file, read at one moment: lookups in it never go back to the disk,
// so values taken from one version belong together.
struct ProfileVersion;
std::shared_ptr<const ProfileVersion> ReadProfileVersion(const char* path);
// The key's value in that version as GetPrivateProfileValue gives it.
bool GetProfileVersionValue(const ProfileVersion& version, const char* section, const char* key,
                            std::string& value);

// Copies the key's value (blanks around it and one pair of enclosing quotes removed), or the
// default when missing, into out with at most size-1 characters, always terminated. Returns the
// number of bytes copied.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD size, const char* path);
std::string GetPrivateProfileString(const char* section, const char* key,
                                    const char* defaultValue, const char* path);

// Sets the key's value, adding the section and the key when missing. A null value removes the
// key. The file keeps its line ends (CRLF for a new file) and its byte-order mark. Returns TRUE
// once the new file is in place and on disk, FALSE when the file could not be read or written;
// the old file is then left as it was. When the file is, or would become, larger than
// g_u64ProfileSizeMax, errno is EFBIG after the FALSE.
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

// Whether path has the shape of a temporary file that a write to the settings file at
// settingsPath goes through ("<settingsPath>.<process id>.<count>.tmp"), for any process and
// count.
bool IsProfileTempName(const std::string& settingsPath, const std::string& path);

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
ProfileFileState InspectProfileVersion(const ProfileVersion& version);

// Test seam: when set, the next writes stop after the temporary file is written and before it
// is renamed, as a crash at that moment would.
void SetProfileWriteFailsBeforeRename(bool fail);
