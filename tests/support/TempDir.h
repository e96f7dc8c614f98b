#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qb::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }  // ends in a separator
    std::string File(const std::string& name) const { return path_ + name; }
    std::string Write(const std::string& name, std::span<const uint8_t> bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;

private:
    std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);

}  // namespace qb::test
