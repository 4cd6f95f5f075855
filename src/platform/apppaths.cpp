#include "platform/apppaths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_lock;
std::string g_folder;
bool g_known = false;

std::string ReadExeFolder()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The name with its backslashes read as '/'.
std::string Slashed(const std::string& name)
{
    std::string out = name;
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

// The parts of a name between its separators ('/' or '\\'), empty ones included.
std::vector<std::string> Parts(const std::string& name)
{
    const std::string path = Slashed(name);
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        parts.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

}  // namespace

std::string GetExeFolder()
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_known) {
        g_folder = ReadExeFolder();
        g_known = true;
    }
    return g_folder;
}

void SetExeFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_folder = folder;
    g_known = true;
}

std::string JoinAppPath(const std::string& folder, const std::string& name)
{
    std::string tail = Slashed(name);
    while (!tail.empty() && tail.front() == '/') tail.erase(tail.begin());
    if (folder.empty()) return tail;
    if (folder.back() == '/') return folder + tail;
    return folder + "/" + tail;
}

std::string FolderRelativeName(const std::string& name)
{
    std::string out;
    for (const std::string& part : Parts(name)) {
        if (!part.empty() && part != ".") out += (out.empty() ? "" : "/") + part;
    }
    return out;
}

bool NameStaysInFolder(const std::string& name)
{
    std::string path = Slashed(name);
    if (path.empty() || path.front() == '/') return false;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') return false;
    const std::vector<std::string> parts = Parts(path);
    return std::find(parts.begin(), parts.end(), "..") == parts.end();
}

bool NameIsFolder(const std::string& folder, const std::string& name)
{
    const std::string last = Parts(name).back();
    if (last.empty() || last == "." || last == "..") return true;
    struct stat st {};
    return stat(JoinAppPath(folder, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

size_t LongestNamePart(const std::string& name)
{
    size_t longest = 0;
    for (const std::string& part : Parts(name)) longest = std::max(longest, part.size());
    return longest;
}

std::string LastNamePart(const std::string& name) { return Parts(name).back(); }

std::string PlainPath(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return fs::path(path).lexically_normal().string();
    const fs::path plain = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal().string() : plain.string();
}

std::string PlainEntryPath(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path name = fs::path(path).filename();
    if (name.empty() || name == "." || name == "..") return PlainPath(path);
    const fs::path folder = fs::path(path).parent_path();
    return (fs::path(PlainPath(folder.empty() ? "." : folder.string())) / name).string();
}
