#include "app/SaverUtils.h"

#include "app/Errors.h"
#include "platform/FileSystem.h"

#include <cctype>
#include <charconv>

namespace qb {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the directory part of a path ends: after the last separator, or after
// a drive's colon ("C:name").
size_t DirectoryEnd(const std::string& path) {
    size_t at = path.find_last_of("\\/:");
    return at == std::string::npos ? 0 : at + 1;
}
}  // namespace

std::string AddTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == '\\') return path;
    return path + "\\";
}

std::string GetTempDir() { return AddTrailingBackslash(fs::TempDirectory()); }

int32_t IntAfterColon(const std::string& text) {
    size_t colon = text.find(':');
    std::string rest = colon == std::string::npos ? text : text.substr(colon + 1);
    // Blanks and control characters around the number are not part of it.
    size_t b = 0, e = rest.size();
    while (b < e && static_cast<unsigned char>(rest[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(rest[e - 1]) <= ' ') --e;
    const char* first = rest.data() + b;
    const char* last = rest.data() + e;
    if (first != last && *first == '+') ++first;  // "+12" is a number too
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last || first == last) return 0;
    return value;
}

bool IsExistingDirectory(const std::string& path) { return fs::IsDirectory(path); }

std::string ExtractFilePath(const std::string& path) { return path.substr(0, DirectoryEnd(path)); }

std::string ExtractFileName(const std::string& path) { return path.substr(DirectoryEnd(path)); }

std::string ExtractFileDir(const std::string& path) {
    size_t end = DirectoryEnd(path);
    // Keep the separator of a root ("C:\", "\"): without it the root is gone.
    if (end > 0 && IsSeparator(path[end - 1]) && end > 1 && path[end - 2] != ':' &&
        !IsSeparator(path[end - 2]))
        --end;
    return path.substr(0, end);
}

bool MakeDirectoryPath(const std::string& path) {
    if (path.empty()) throw Exception("Unable to create directory");
    std::string dir = path;
    if (IsSeparator(dir.back())) dir.pop_back();
    if (dir.size() < 3 || IsExistingDirectory(dir) || ExtractFileDir(dir) == dir) return true;
    return MakeDirectoryPath(ExtractFileDir(dir)) && fs::MakeDirectory(dir);
}

std::string NextNumberedName(const std::string& name) {
    size_t dot = name.find('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    size_t digitsAt = base.size();
    while (digitsAt > 0 && std::isdigit(static_cast<unsigned char>(base[digitsAt - 1]))) --digitsAt;
    std::string digits = base.substr(digitsAt);
    base.erase(digitsAt);
    // Counting goes on past any width: "Saver99" becomes "Saver100", and a
    // run of digits too long for a machine word still counts up correctly.
    std::string next = digits.empty() ? "0" : digits;
    int i = static_cast<int>(next.size()) - 1;
    for (; i >= 0; --i) {
        if (next[i] == '9') {
            next[i] = '0';
        } else {
            ++next[i];
            break;
        }
    }
    if (i < 0) next.insert(next.begin(), '1');
    size_t nonZero = next.find_first_not_of('0');
    next = nonZero == std::string::npos ? "0" : next.substr(nonZero);
    return base + next + ext;
}

bool DeletePath(const std::string& path) { return fs::DeleteTree(path); }

}  // namespace qb
