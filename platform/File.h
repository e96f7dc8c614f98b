#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qb {

// An open C stream that closes itself. Paths are 8-bit text in the system
// code page, which is what the C runtime's fopen takes on Windows.
class File {
public:
    enum class Mode { Read, ReadWrite, Create };

    // Empty (operator bool false) when the file cannot be opened.
    static File Open(const std::string& path, Mode mode);

    explicit operator bool() const { return stream_ != nullptr; }

    std::optional<uint64_t> Size();
    bool Seek(uint64_t offset);
    std::optional<uint64_t> Position();
    // Reads up to buffer.size() bytes; answers how many were read.
    size_t Read(std::span<uint8_t> buffer);
    bool ReadExact(std::span<uint8_t> buffer) { return Read(buffer) == buffer.size(); }
    bool Write(std::span<const uint8_t> data);
    bool Flush();
    // Closes now and reports whether everything written reached the file.
    bool Close();

private:
    struct Closer { void operator()(std::FILE* f) const { std::fclose(f); } };
    std::unique_ptr<std::FILE, Closer> stream_;
};

// Whole-file helpers for small files (settings, fixtures).
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> data);

}  // namespace qb
