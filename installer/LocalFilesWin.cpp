#include "installer/LocalFiles.h"

#include <windows.h>

#include <vector>

namespace qb::setup {

std::string FromOemCharset(const std::string& name) {
    if (name.empty()) return name;
    std::vector<char> out(name.size() + 1);
    OemToCharBuffA(name.c_str(), out.data(), static_cast<DWORD>(name.size()));
    return std::string(out.data(), name.size());
}

bool RemoveEmptyDirectory(const std::string& path) { return !path.empty() && RemoveDirectoryA(path.c_str()) != 0; }

bool DeleteOneFile(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;  // its folder may be gone already
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A read-only file would refuse; this one is ours to remove.
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path.c_str()) != 0;
}

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

char PathSeparator() { return '\\'; }

}  // namespace qb::setup
