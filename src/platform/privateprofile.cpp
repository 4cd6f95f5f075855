#include "platform/privateprofile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <ctime>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/file.h"

namespace {

std::atomic<bool> g_failBeforeRename{false};
// Writes of this process, one at a time: each reads the file that the one before left.
std::mutex g_writeLock;
constexpr const char* kTempEnding = ".tmp";

std::string_view Trim(std::string_view s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool SameName(std::string_view a, const char* b) { return Lower(a) == Lower(b); }

enum class FileRead { Missing, Read, Failed, TooLarge };

// What identifies one version of a file: a change on disk or a rename over it changes at least
// one of these.
struct FileIdentity {
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    ino_t inode = 0;
    dev_t device = 0;
    bool operator==(const FileIdentity& o) const
    {
        return size == o.size && mtimeNs == o.mtimeNs && inode == o.inode && device == o.device;
    }
};

int64_t Nanoseconds(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

FileRead StatFile(const char* path, FileIdentity& id)
{
    struct stat st {};
    if (stat(path, &st) != 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    // A folder or a pipe under the file's name is no settings file; reading a pipe would block.
    if (!S_ISREG(st.st_mode)) return FileRead::Failed;
    id.size = static_cast<uint64_t>(st.st_size);
    id.mtimeNs = Nanoseconds(st.st_mtim);
    id.inode = st.st_ino;
    id.device = st.st_dev;
    return id.size > g_u64ProfileSizeMax ? FileRead::TooLarge : FileRead::Read;
}

// The whole file, at most g_u64ProfileSizeMax bytes of it: a file that grew past the limit
// while it was read counts as too large.
FileRead ReadText(const char* path, std::string& text)
{
    text.clear();
    FileIdentity id;
    FileRead state = StatFile(path, id);
    if (state != FileRead::Read) return state;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return FileRead::Failed;
    text.reserve(static_cast<size_t>(id.size));
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (text.size() > g_u64ProfileSizeMax) return FileRead::TooLarge;
    }
    return in.bad() ? FileRead::Failed : FileRead::Read;
}

// The text's lines without their line ends and without a leading UTF-8 byte-order mark.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t begin = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) end = text.size();
        size_t stop = end > begin && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(begin, stop - begin));
        begin = end + 1;
    }
    return lines;
}

// "[name]" gives name; any other line gives false.
bool SectionName(std::string_view line, std::string_view& name)
{
    std::string_view t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives key and value; comments and other lines give false.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value)
{
    std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
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
        std::string_view name;
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
        std::string_view k;
        std::string_view v;
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

// One version of a file: its text, the first section of each name with the first value of
// each key in it (names in lower case), and the lines that are no setting.
struct ProfileIndex {
    std::string text;
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections;
    int strayLines = 0;
    int firstStrayLine = 0;
    int unusedLines = 0;
    int firstUnusedLine = 0;
};

bool BlankOrComment(std::string_view line)
{
    std::string_view t = Trim(line);
    return t.empty() || t[0] == ';' || t[0] == '#';
}

// Counts a line (i from 0) and keeps the number (from 1) of the first one counted.
void Count(int& lines, int& firstLine, size_t i)
{
    if (lines++ == 0) firstLine = static_cast<int>(i) + 1;
}

std::shared_ptr<const ProfileIndex> BuildIndex(std::string text)
{
    auto index = std::make_shared<ProfileIndex>();
    index->text = std::move(text);
    const std::vector<std::string_view> lines = SplitLines(index->text);
    std::unordered_map<std::string, std::string>* current = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, key, value;
        if (SectionName(lines[i], name)) {
            // Only the first section of a name counts; the keys of a repeated one are ignored.
            auto added = index->sections.emplace(Lower(name), std::unordered_map<std::string, std::string>());
            current = added.second ? &added.first->second : nullptr;
        } else if (KeyValue(lines[i], key, value)) {
            // Outside any section, in a repeated section or a repeated key: never read.
            bool used = current != nullptr && current->try_emplace(Lower(key), value).second;
            if (!used) Count(index->unusedLines, index->firstUnusedLine, i);
        } else if (!BlankOrComment(lines[i])) {
            Count(index->strayLines, index->firstStrayLine, i);
        }
    }
    return index;
}

// A file modified this close to the moment it was read may change again within the same time
// stamp, on file systems whose stamps are whole seconds or two seconds as well; its cached
// version is then checked against the file's bytes before it is used.
constexpr int64_t kRacyNs = 3 * 1000000000LL;

struct CacheEntry {
    FileIdentity id;
    std::shared_ptr<const ProfileIndex> index;
    bool racy = true;
};

std::mutex g_cacheLock;
std::unordered_map<std::string, CacheEntry> g_cache;

int64_t NowNs()
{
    timespec t {};
    clock_gettime(CLOCK_REALTIME, &t);
    return Nanoseconds(t);
}

void ForgetFile(const char* path)
{
    std::lock_guard<std::mutex> guard(g_cacheLock);
    g_cache.erase(path);
}

// Writes text as a new file at path and puts it on disk.
bool WriteWhole(const std::string& path, const std::string& text)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) return false;
    try {
        file.Write(text.data(), static_cast<UINT>(text.size()));
        file.Flush();
        file.Close();
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

// Puts the file written at temp in place of path, for good.
bool ReplaceFile(const std::string& temp, const char* path)
{
    try {
        CFile::Rename(temp.c_str(), path);
        CFile::SyncFolder(path);
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

// A temporary file of its own for each write: the process id keeps two processes apart, the
// count the writes of one process.
std::string TempName(const char* path)
{
    static std::atomic<unsigned long> writes{0};
    return std::string(path) + "." + std::to_string(getpid()) + "." + std::to_string(++writes) + kTempEnding;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An exclusive lock on the folder of a settings file for as long as it lives: writers in other
// processes wait for it, so each reads the file that the one before left in place. The system
// lets go of it when the holder ends, however it ends. A folder that cannot be opened or locked
// is written without it (its write then fails or runs as before); errno is left as it was.
class FolderLock {
public:
    explicit FolderLock(const char* path)
    {
        const int saved = errno;
        m_fd = open(CFile::FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int locked = -1;
        while (m_fd >= 0 && (locked = flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        m_held = locked == 0;
        errno = saved;
    }
    ~FolderLock()
    {
        const int saved = errno;
        if (m_fd >= 0) close(m_fd);
        errno = saved;
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

// Removes the temporary files that earlier writes to the settings file at path left when they
// ended after writing their file and before renaming it (killed, or the power lost); only names
// of exactly that file's temporary-name pattern. Called only while holding the folder lock and
// the write lock: every write holds both from before it makes its temporary file until that
// file is renamed into place or removed, so no write in this or another process is still
// writing one of these files, and each one found was left for good. errno is left as it was.
void RemoveLeftTempFiles(const char* path)
{
    const int saved = errno;
    const std::string folder = CFile::FolderOf(path);
    const std::string_view whole(path);
    const std::string name(whole.substr(whole.rfind('/') + 1));
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (IsProfileTempName(name, entry->d_name)) unlinkat(dirfd(dir), entry->d_name, 0);
        }
        closedir(dir);
    }
    errno = saved;
}

// The line end the text uses (that of its first line), CRLF for a text without one.
const char* LineEnd(const std::string& text)
{
    size_t eol = text.find('\n');
    return eol != std::string::npos && (eol == 0 || text[eol - 1] != '\r') ? "\n" : "\r\n";
}

bool ValidNames(const char* section, const char* key, const char* path)
{
    return section != nullptr && key != nullptr && path != nullptr;
}

}  // namespace

// What a read finds: the file's state and, when it was read, its parsed version.
struct ProfileVersion {
    FileRead state = FileRead::Missing;
    FileIdentity id;
    std::shared_ptr<const ProfileIndex> index;
};

namespace {

// The file as it is on disk now: the cached version while the file is unchanged, else read and
// parsed again. The file is read outside the lock.
ProfileVersion CurrentView(const char* path)
{
    ProfileVersion view;
    const int64_t now = NowNs();
    view.state = StatFile(path, view.id);
    if (view.state != FileRead::Read) return view;
    CacheEntry cached;
    {
        std::lock_guard<std::mutex> guard(g_cacheLock);
        auto it = g_cache.find(path);
        if (it != g_cache.end()) cached = it->second;
    }
    if (cached.index && cached.id == view.id && !cached.racy) {
        view.index = cached.index;
        return view;
    }
    std::string text;
    view.state = ReadText(path, text);
    if (view.state != FileRead::Read) return view;
    view.index = cached.index && cached.index->text == text ? cached.index : BuildIndex(std::move(text));
    std::lock_guard<std::mutex> guard(g_cacheLock);
    g_cache[path] = CacheEntry{view.id, view.index, now - view.id.mtimeNs < kRacyNs};
    return view;
}


}  // namespace

std::shared_ptr<const ProfileVersion> ReadProfileVersion(const char* path)
{
    if (path == nullptr) return std::make_shared<const ProfileVersion>();
    return std::make_shared<const ProfileVersion>(CurrentView(path));
}

bool GetProfileVersionValue(const ProfileVersion& version, const char* section, const char* key,
                            std::string& value)
{
    if (section == nullptr || key == nullptr || !version.index) return false;
    auto s = version.index->sections.find(Lower(section));
    if (s == version.index->sections.end()) return false;
    auto k = s->second.find(Lower(key));
    if (k == s->second.end()) return false;
    value = Unquote(k->second);
    return true;
}

bool GetPrivateProfileValue(const char* section, const char* key, std::string& value, const char* path)
{
    return ValidNames(section, key, path) && GetProfileVersionValue(CurrentView(path), section, key, value);
}

ProfileInteger ParseProfileInteger(const std::string& v)
{
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    const size_t firstDigit = i;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long n = 0;
    while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i]))) {
        n = std::min(n * 10 + (v[i++] - '0'), limit + 1);
    }
    ProfileInteger parsed;
    parsed.whole = i == v.size() && i > firstDigit;
    // More digits than an int holds give the nearest int.
    if (n > limit) parsed.beyond = negative ? -1 : 1;
    n = std::min(n, limit);
    parsed.value = static_cast<int>(negative ? -n : n);
    return parsed;
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* path)
{
    std::string v;
    if (!GetPrivateProfileValue(section, key, v, path)) return defaultValue;
    return ParseProfileInteger(v).value;
}

std::string GetPrivateProfileString(const char* section, const char* key,
                                    const char* defaultValue, const char* path)
{
    std::string v;
    if (GetPrivateProfileValue(section, key, v, path)) return v;
    return defaultValue != nullptr ? defaultValue : "";
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
    std::lock_guard<std::mutex> writing(g_writeLock);
    const FolderLock othersWait(path);
    if (othersWait.Held()) RemoveLeftTempFiles(path);
    std::string old;
    // Rewriting a file that exists but cannot be read, or is too large to be read, would throw
    // away every other setting.
    FileRead state = ReadText(path, old);
    if (state == FileRead::Failed) return FALSE;
    if (state == FileRead::TooLarge) {
        errno = EFBIG;
        return FALSE;
    }
    ForgetFile(path);
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(old)) lines.emplace_back(line);
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
    // The file keeps its byte-order mark and its line ends.
    std::string text = old.compare(0, 3, "\xEF\xBB\xBF") == 0 ? "\xEF\xBB\xBF" : "";
    const char* eol = LineEnd(old);
    for (const std::string& line : lines) text += line + eol;
    // A file the next start would not read is never written.
    if (text.size() > g_u64ProfileSizeMax) {
        errno = EFBIG;
        return FALSE;
    }
    const std::string temp = TempName(path);
    if (!WriteWhole(temp, text)) {
        std::remove(temp.c_str());
        return FALSE;
    }
    if (g_failBeforeRename.load()) return FALSE;
    if (!ReplaceFile(temp, path)) {
        std::remove(temp.c_str());
        return FALSE;
    }
    return TRUE;
}

bool IsProfileTempName(const std::string& settingsPath, const std::string& path)
{
    const std::string head = settingsPath + ".";
    const std::string_view tail = kTempEnding;
    if (path.size() <= head.size() + tail.size() || path.compare(0, head.size(), head) != 0 ||
        path.compare(path.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string_view middle = std::string_view(path).substr(head.size(), path.size() - head.size() - tail.size());
    const size_t dot = middle.find('.');
    return dot != std::string_view::npos && AllDigits(middle.substr(0, dot)) && AllDigits(middle.substr(dot + 1));
}

void SetProfileWriteFailsBeforeRename(bool fail) { g_failBeforeRename.store(fail); }

ProfileFileState InspectProfileFile(const char* path) { return InspectProfileVersion(*ReadProfileVersion(path)); }

ProfileFileState InspectProfileVersion(const ProfileVersion& view)
{
    ProfileFileState state;
    state.exists = view.state != FileRead::Missing;
    state.readable = view.state == FileRead::Read;
    state.tooLarge = view.state == FileRead::TooLarge;
    state.size = view.id.size;
    if (view.index) {
        state.strayLines = view.index->strayLines;
        state.firstStrayLine = view.index->firstStrayLine;
        state.unusedLines = view.index->unusedLines;
        state.firstUnusedLine = view.index->firstUnusedLine;
    }
    return state;
}
