#include "builder/ZipDirectory.h"

#include "app/Errors.h"

#include <algorithm>

namespace qb::zip {

namespace {

[[noreturn]] void Invalid(const char* why) { throw Exception(std::string("Invalid zip archive: ") + why); }

// The end record sits in the last 22 bytes plus up to 65 535 bytes of comment;
// searching backwards finds the last one whose comment reaches the file's end.
size_t FindEndRecord(const std::vector<uint8_t>& tail) {
    if (tail.size() < kEndRecordSize) Invalid("too short");
    for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        if (ReadU32(tail, at) != kEndSignature) continue;
        if (at + kEndRecordSize + ReadU16(tail, at + endrec::CommentLength) == tail.size()) return at;
    }
    Invalid("no end record");
}

}  // namespace

Directory ReadDirectory(File& archive) {
    const auto size = archive.Size();
    if (!size) Invalid("unreadable");
    const uint64_t tailSize = std::min<uint64_t>(*size, kEndRecordSize + 0xFFFF);
    std::vector<uint8_t> tail(static_cast<size_t>(tailSize));
    if (!archive.Seek(*size - tailSize) || !archive.ReadExact(tail)) Invalid("unreadable");
    const size_t end = FindEndRecord(tail);

    Directory dir;
    const uint16_t count = ReadU16(tail, end + endrec::EntriesTotal);
    const uint32_t dirSize = ReadU32(tail, end + endrec::DirectorySize);
    dir.DirectoryOffset = ReadU32(tail, end + endrec::DirectoryOffset);
    const auto comment = tail.begin() + static_cast<ptrdiff_t>(end + endrec::Comment);
    dir.Comment.assign(comment, tail.end());
    const uint64_t endRecordAt = *size - tailSize + end;
    if (dir.DirectoryOffset + dirSize > endRecordAt) Invalid("directory outside the file");

    std::vector<uint8_t> raw(dirSize);
    if (!archive.Seek(dir.DirectoryOffset) || !archive.ReadExact(raw)) Invalid("unreadable directory");
    size_t at = 0;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + kCentralHeaderSize > raw.size() || ReadU32(raw, at) != kCentralSignature) Invalid("broken directory");
        Entry e;
        e.MadeBy = ReadU16(raw, at + central::MadeBy);
        e.Needed = ReadU16(raw, at + central::Needed);
        e.Flags = ReadU16(raw, at + central::Flags);
        e.Method = ReadU16(raw, at + central::Method);
        e.Time = ReadU16(raw, at + central::Time);
        e.Date = ReadU16(raw, at + central::Date);
        e.Crc = ReadU32(raw, at + central::Crc);
        e.CompressedSize = ReadU32(raw, at + central::Compressed);
        e.UncompressedSize = ReadU32(raw, at + central::Uncompressed);
        e.DiskStart = ReadU16(raw, at + central::DiskStart);
        e.InternalAttributes = ReadU16(raw, at + central::InternalAttributes);
        e.ExternalAttributes = ReadU32(raw, at + central::ExternalAttributes);
        e.LocalOffset = ReadU32(raw, at + central::LocalOffset);
        const size_t nameLen = ReadU16(raw, at + central::NameLength);
        const size_t extraLen = ReadU16(raw, at + central::ExtraLength);
        const size_t commentLen = ReadU16(raw, at + central::CommentLength);
        const size_t next = at + kCentralHeaderSize + nameLen + extraLen + commentLen;
        if (next > raw.size()) Invalid("broken directory");
        if (e.LocalOffset >= dir.DirectoryOffset) Invalid("entry outside the file");
        auto p = raw.begin() + static_cast<ptrdiff_t>(at + kCentralHeaderSize);
        e.Name.assign(p, p + static_cast<ptrdiff_t>(nameLen));
        e.Extra.assign(p + static_cast<ptrdiff_t>(nameLen), p + static_cast<ptrdiff_t>(nameLen + extraLen));
        e.Comment.assign(p + static_cast<ptrdiff_t>(nameLen + extraLen),
                         p + static_cast<ptrdiff_t>(nameLen + extraLen + commentLen));
        dir.Entries.push_back(std::move(e));
        at = next;
    }
    return dir;
}

}  // namespace qb::zip
