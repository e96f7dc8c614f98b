#pragma once
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qb::setup {

struct ArchiveEntry {
    std::string Name;  // as stored: OEM characters
    uint16_t Method = 0;
    uint16_t Flags = 0;
    uint32_t Crc = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint32_t LocalOffset = 0;  // from the archive's first byte
};

using ByteSink = std::function<void(std::span<const uint8_t>)>;

// Reads a zip archive that lies in a stretch of a larger file (the archive
// inside a setup file), in place. Only what our own writer produces is
// accepted: stored or deflated entries, no encryption, one disk. Everything
// the directory claims is checked against the stretch before it is used, and
// every entry's data against its sizes and CRC while it is read.
class ArchiveReader {
public:
    // Throws qb::Exception when the stretch holds no sound archive.
    ArchiveReader(File& file, uint64_t base, uint64_t length);

    const std::vector<ArchiveEntry>& Entries() const { return entries_; }

    // Streams the entry's bytes to `sink` through fixed buffers. Throws
    // qb::Exception when the data does not match what the directory says; the
    // sink may by then have received bytes, which the caller must discard.
    void Extract(const ArchiveEntry& entry, const ByteSink& sink);

private:
    void ReadAt(uint64_t at, std::span<uint8_t> out);

    File& file_;
    uint64_t base_;
    uint64_t length_;
    uint64_t dataEnd_ = 0;  // where the central directory starts
    std::vector<ArchiveEntry> entries_;
};

}  // namespace qb::setup
