#include "builder/ZipRecords.h"

namespace qb::zip {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The fields local and central headers share, from "version needed" to the
// name length; `base` is where "version needed" sits in the record.
void PutCommonFields(std::vector<uint8_t>& b, size_t base, const Entry& e) {
    Put16(b, base + 0, e.Needed);
    Put16(b, base + 2, e.Flags);
    Put16(b, base + 4, e.Method);
    Put16(b, base + 6, e.Time);
    Put16(b, base + 8, e.Date);
    Put32(b, base + 10, e.Crc);
    Put32(b, base + 14, e.CompressedSize);
    Put32(b, base + 18, e.UncompressedSize);
    Put16(b, base + 22, static_cast<uint16_t>(e.Name.size()));
}

}  // namespace

std::vector<uint8_t> EncodeLocalHeader(const Entry& e) {
    std::vector<uint8_t> b(kLocalHeaderSize);
    Put32(b, 0, kLocalSignature);
    PutCommonFields(b, local::Needed, e);
    Put16(b, local::ExtraLength, 0);
    b.insert(b.end(), e.Name.begin(), e.Name.end());
    return b;
}

std::vector<uint8_t> EncodeCentralHeader(const Entry& e) {
    std::vector<uint8_t> b(kCentralHeaderSize);
    Put32(b, 0, kCentralSignature);
    Put16(b, central::MadeBy, e.MadeBy);
    PutCommonFields(b, central::Needed, e);
    Put16(b, central::ExtraLength, static_cast<uint16_t>(e.Extra.size()));
    Put16(b, central::CommentLength, static_cast<uint16_t>(e.Comment.size()));
    Put16(b, central::DiskStart, e.DiskStart);
    Put16(b, central::InternalAttributes, e.InternalAttributes);
    Put32(b, central::ExternalAttributes, e.ExternalAttributes);
    Put32(b, central::LocalOffset, e.LocalOffset);
    b.insert(b.end(), e.Name.begin(), e.Name.end());
    b.insert(b.end(), e.Extra.begin(), e.Extra.end());
    b.insert(b.end(), e.Comment.begin(), e.Comment.end());
    return b;
}

std::vector<uint8_t> EncodeEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset,
                                     std::span<const uint8_t> comment) {
    std::vector<uint8_t> b(kEndRecordSize);
    Put32(b, 0, kEndSignature);
    Put16(b, endrec::EntriesHere, entries);
    Put16(b, endrec::EntriesTotal, entries);
    Put32(b, endrec::DirectorySize, directorySize);
    Put32(b, endrec::DirectoryOffset, directoryOffset);
    Put16(b, endrec::CommentLength, static_cast<uint16_t>(comment.size()));
    b.insert(b.end(), comment.begin(), comment.end());
    return b;
}

uint16_t ReadU16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

uint32_t ReadU32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace qb::zip
