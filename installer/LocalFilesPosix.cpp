#include "installer/LocalFiles.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::setup {

std::string FromOemCharset(const std::string& name) { return name; }

bool RemoveEmptyDirectory(const std::string& path) { return !path.empty() && rmdir(path.c_str()) == 0; }

bool DeleteOneFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
    if (S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
}

bool IsLeadByte(unsigned char) { return false; }  // names are UTF-8, whose bytes never pose as ASCII

char PathSeparator() { return '/'; }

}  // namespace qb::setup
