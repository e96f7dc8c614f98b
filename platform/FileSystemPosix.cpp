#include "platform/FileSystem.h"

#include <cstdio>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace qb::fs {

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool DeleteTree(const std::string& path) {
    std::error_code ec;
    auto removed = std::filesystem::remove_all(path, ec);
    return !ec && removed != 0 && removed != static_cast<std::uintmax_t>(-1);
}

std::string TempDirectory() {
    std::error_code ec;
    auto p = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : p.string();
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

bool SetArchiveOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), W_OK) != 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(to.c_str(), &st) == 0) ::chmod(from.c_str(), st.st_mode & 07777);
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
    if (FileExists(dir + name)) return dir + name;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return dir + candidate;
    }
    return dir + name;
}

std::string ExecutableDirectory() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return p.parent_path().string() + "/";
}

}  // namespace qb::fs
