#include "platform/FileStamp.h"

#include <windows.h>

#include <vector>

namespace qb::fs {

std::optional<FileStamp> StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    FileStamp s;
    s.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    s.Attributes = data.dwFileAttributes;
    FILETIME local{};
    WORD date = 0, time = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time)) {
        s.DosDate = date;
        s.DosTime = time;
    }
    return s;
}

std::string ToOemCharset(const std::string& text) {
    std::vector<char> out(text.size() + 1);
    CharToOemBuffA(text.c_str(), out.data(), static_cast<DWORD>(text.size()));
    return std::string(out.data(), text.size());
}

}  // namespace qb::fs
