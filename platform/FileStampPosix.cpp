#include "platform/FileStamp.h"

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::fs {

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    FileStamp s;
    s.Size = static_cast<uint64_t>(st.st_size);
    // The closest the permissions come to the Windows attribute bits.
    s.Attributes = 0x20;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) s.Attributes |= 0x01;
    std::tm local{};
    time_t t = st.st_mtime;
    localtime_r(&t, &local);
    int year = local.tm_year + 1900;
    if (year < 1980) {  // DOS dates start in 1980
        year = 1980;
        local.tm_mon = 0;
        local.tm_mday = 1;
        local.tm_hour = local.tm_min = local.tm_sec = 0;
    }
    s.DosDate = static_cast<uint16_t>((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    s.DosTime = static_cast<uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    return s;
}

std::string ToOemCharset(const std::string& text) { return text; }

}  // namespace qb::fs
