#include "platform/FileSystem.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace qb::fs {

bool FileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
    DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool DeleteTree(const std::string& path) {
    // The shell's file operation is built for names below MAX_PATH and some
    // versions overrun their own buffers past it: refuse those paths here.
    if (path.empty() || path.size() >= MAX_PATH) return false;
    // The shell wants a list of names ending in two zero bytes; sized to the
    // path so that no length can overrun it.
    std::vector<char> from(path.begin(), path.end());
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

std::string TempDirectory() {
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, buf);
    return (n == 0 || n > MAX_PATH) ? std::string() : std::string(buf, n);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool SetArchiveOnly(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

bool IsReadOnlyFile(const std::string& path) {
    DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

// The C runtime's rename refuses an existing target; this does not.
bool RenameOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string FindIgnoringCase(const std::string& dir, const std::string& name) { return dir + name; }

std::string ExecutableDirectory() {
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) {
            std::string p(buf.data(), n);
            return p.substr(0, p.find_last_of("\\/:") + 1);
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace qb::fs
