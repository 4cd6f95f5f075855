#include "platform/privateprofile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<bool> g_failBeforeRename{false};

std::string Trim(const std::string& s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

enum class FileRead { Missing, Read, Failed };

// The file's lines without their line ends and without a leading UTF-8 byte-order mark. A
// missing file gives no lines; a file that exists but cannot be read gives Failed.
FileRead ReadLines(const char* path, std::vector<std::string>& lines)
{
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        struct stat st;
        return stat(path, &st) != 0 && errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lines.empty() && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        lines.push_back(line);
    }
    return in.bad() ? FileRead::Failed : FileRead::Read;
}

std::vector<std::string> ReadLines(const char* path)
{
    std::vector<std::string> lines;
    if (ReadLines(path, lines) == FileRead::Failed) lines.clear();
    return lines;
}

// "[name]" gives name; any other line gives false.
bool SectionName(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives key and value; comments and other lines give false.
bool KeyValue(const std::string& line, std::string& key, std::string& value)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

struct Position {
    long sectionLine = -1;  // the first matching section header
    long keyLine = -1;      // the first matching key within it
    long sectionEnd = -1;   // one past the section's last key or value line
    std::string value;
};

Position Find(const std::vector<std::string>& lines, const char* section, const char* key)
{
    Position pos;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (SectionName(lines[i], name)) {
            if (inSection) break;  // the first matching section ends here
            if (SameName(name, section)) {
                inSection = true;
                pos.sectionLine = static_cast<long>(i);
                pos.sectionEnd = static_cast<long>(i) + 1;
            }
            continue;
        }
        if (!inSection) continue;
        std::string k;
        std::string v;
        if (KeyValue(lines[i], k, v)) {
            pos.sectionEnd = static_cast<long>(i) + 1;
            if (pos.keyLine < 0 && SameName(k, key)) {
                pos.keyLine = static_cast<long>(i);
                pos.value = v;
            }
        }
    }
    return pos;
}

std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool WriteAll(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

// Makes a rename in the file's folder durable.
void SyncFolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool ValidNames(const char* section, const char* key, const char* path)
{
    return section != nullptr && key != nullptr && path != nullptr;
}

}  // namespace

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* path)
{
    if (!ValidNames(section, key, path)) return defaultValue;
    Position pos = Find(ReadLines(path), section, key);
    if (pos.keyLine < 0) return defaultValue;
    std::string v = Unquote(pos.value);
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    long long n = 0;
    while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i]))) {
        n = n * 10 + (v[i++] - '0');
        if (n > 0xFFFFFFFFLL) n = 0xFFFFFFFFLL;
    }
    // Like the 32-bit original, a value that does not fit wraps into an int.
    return static_cast<int>(static_cast<uint32_t>(negative ? -n : n));
}

std::string GetPrivateProfileString(const char* section, const char* key,
                                    const char* defaultValue, const char* path)
{
    if (!ValidNames(section, key, path)) return defaultValue != nullptr ? defaultValue : "";
    Position pos = Find(ReadLines(path), section, key);
    if (pos.keyLine < 0) return defaultValue != nullptr ? defaultValue : "";
    return Unquote(pos.value);
}

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD size, const char* path)
{
    if (out == nullptr || size == 0) return 0;
    std::string v = GetPrivateProfileString(section, key, defaultValue, path);
    size_t n = std::min<size_t>(v.size(), size - 1);
    std::memcpy(out, v.data(), n);
    out[n] = 0;
    return static_cast<DWORD>(n);
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path)
{
    if (!ValidNames(section, key, path)) return FALSE;
    std::vector<std::string> lines;
    // Rewriting a file that exists but cannot be read would throw away every other setting.
    if (ReadLines(path, lines) == FileRead::Failed) return FALSE;
    Position pos = Find(lines, section, key);
    std::string entry = value != nullptr ? std::string(key) + "=" + value : std::string();
    if (pos.keyLine >= 0) {
        if (value != nullptr) {
            lines[static_cast<size_t>(pos.keyLine)] = entry;
        } else {
            lines.erase(lines.begin() + pos.keyLine);
        }
    } else if (value != nullptr) {
        if (pos.sectionLine < 0) {
            lines.push_back(std::string("[") + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + pos.sectionEnd, entry);
        }
    }
    std::ostringstream text;
    for (const std::string& line : lines) text << line << "\r\n";
    std::string temp = std::string(path) + ".tmp";
    if (!WriteAll(temp, text.str())) {
        std::remove(temp.c_str());
        return FALSE;
    }
    if (g_failBeforeRename.load()) return FALSE;
    if (std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        return FALSE;
    }
    SyncFolderOf(path);
    return TRUE;
}

void SetProfileWriteFailsBeforeRename(bool fail) { g_failBeforeRename.store(fail); }

ProfileFileState InspectProfileFile(const char* path)
{
    ProfileFileState state;
    std::vector<std::string> lines;
    FileRead result = path != nullptr ? ReadLines(path, lines) : FileRead::Missing;
    state.exists = result != FileRead::Missing;
    state.readable = result == FileRead::Read;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        std::string key;
        std::string value;
        std::string t = Trim(lines[i]);
        bool understood = t.empty() || t[0] == ';' || t[0] == '#' || SectionName(t, name) ||
                          KeyValue(t, key, value);
        if (understood) continue;
        if (state.strayLines++ == 0) state.firstStrayLine = static_cast<int>(i) + 1;
    }
    return state;
}
