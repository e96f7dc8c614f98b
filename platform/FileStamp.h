#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qb::fs {

// What an archive records about a file besides its bytes.
struct FileStamp {
    uint64_t Size = 0;
    uint32_t Attributes = 0;  // Windows attribute bits: read-only 0x01, hidden 0x02, archive 0x20...
    uint16_t DosTime = 0;     // last write, local time
    uint16_t DosDate = 0;
};

std::optional<FileStamp> StampOf(const std::string& path);

// Converts a name from the system's ANSI code page to its OEM (DOS) code
// page; where there is no such distinction the name stays as it is.
std::string ToOemCharset(const std::string& text);

}  // namespace qb::fs
