#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qb::zip {

inline constexpr uint32_t kLocalSignature = 0x04034B50;    // "PK\3\4"
inline constexpr uint32_t kCentralSignature = 0x02014B50;  // "PK\1\2"
inline constexpr uint32_t kEndSignature = 0x06054B50;      // "PK\5\6"
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;

// Field offsets inside a local header.
namespace local {
inline constexpr size_t Needed = 4, Flags = 6, Method = 8, Time = 10, Date = 12, Crc = 14, Compressed = 18,
                        Uncompressed = 22, NameLength = 26, ExtraLength = 28, Name = 30;
}
// Field offsets inside a central-directory header.
namespace central {
inline constexpr size_t MadeBy = 4, Needed = 6, Flags = 8, Method = 10, Time = 12, Date = 14, Crc = 16,
                        Compressed = 20, Uncompressed = 24, NameLength = 28, ExtraLength = 30,
                        CommentLength = 32, DiskStart = 34, InternalAttributes = 36, ExternalAttributes = 38,
                        LocalOffset = 42, Name = 46;
}
// Field offsets inside the end record.
namespace endrec {
inline constexpr size_t Disk = 4, DirectoryDisk = 6, EntriesHere = 8, EntriesTotal = 10, DirectorySize = 12,
                        DirectoryOffset = 16, CommentLength = 20, Comment = 22;
}

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

// One archive entry, as the central directory describes it.
struct Entry {
    uint16_t MadeBy = 20;
    uint16_t Needed = 20;
    uint16_t Flags = 0;
    uint16_t Method = kMethodDeflated;
    uint16_t Time = 0;
    uint16_t Date = 0;
    uint32_t Crc = 0xFFFFFFFF;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t DiskStart = 0;
    uint16_t InternalAttributes = 1;
    uint32_t ExternalAttributes = 0x20;
    uint32_t LocalOffset = 0;
    std::string Name;               // as stored: "/" separators, OEM characters
    std::vector<uint8_t> Extra;     // central-directory extra field, kept for copied entries
    std::vector<uint8_t> Comment;

    // Date in the high half, time in the low: later moments compare greater.
    uint32_t DosStamp() const { return static_cast<uint32_t>(Date) << 16 | Time; }
};

std::vector<uint8_t> EncodeLocalHeader(const Entry& e);
std::vector<uint8_t> EncodeCentralHeader(const Entry& e);
std::vector<uint8_t> EncodeEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset,
                                     std::span<const uint8_t> comment);

uint16_t ReadU16(std::span<const uint8_t> b, size_t at);
uint32_t ReadU32(std::span<const uint8_t> b, size_t at);

}  // namespace qb::zip
