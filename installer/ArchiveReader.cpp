#include "installer/ArchiveReader.h"

#include "app/Errors.h"
#include "builder/ZipRecords.h"
#include "installer/EntryName.h"

#include <zlib.h>

#include <algorithm>
#include <set>

namespace qb::setup {

namespace {

constexpr size_t kBlock = 64 * 1024;

[[noreturn]] void Damaged(const std::string& what) { throw Exception("The setup file is damaged: " + what); }

struct Inflater {
    z_stream z{};
    Inflater() {
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw Exception("Out of memory");
    }
    ~Inflater() { inflateEnd(&z); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

}  // namespace

void ArchiveReader::ReadAt(uint64_t at, std::span<uint8_t> out) {
    if (at > length_ || out.size() > length_ - at) Damaged("the archive is cut short");
    if (!file_.Seek(base_ + at) || !file_.ReadExact(out)) Damaged("the archive cannot be read");
}

ArchiveReader::ArchiveReader(File& file, uint64_t base, uint64_t length) : file_(file), base_(base), length_(length) {
    using namespace zip;
    if (length_ < kEndRecordSize) Damaged("no archive");
    std::vector<uint8_t> tail(static_cast<size_t>(std::min<uint64_t>(length_, kEndRecordSize + 0xFFFF)));
    ReadAt(length_ - tail.size(), tail);
    // The last end record whose comment reaches exactly the end of the stretch.
    size_t end = tail.size();
    for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        if (ReadU32(tail, at) == kEndSignature &&
            at + kEndRecordSize + ReadU16(tail, at + endrec::CommentLength) == tail.size()) {
            end = at;
            break;
        }
    }
    if (end == tail.size()) Damaged("no archive directory");
    const uint64_t endAt = length_ - tail.size() + end;
    if (ReadU16(tail, end + endrec::Disk) != 0 || ReadU16(tail, end + endrec::DirectoryDisk) != 0 ||
        ReadU16(tail, end + endrec::EntriesHere) != ReadU16(tail, end + endrec::EntriesTotal))
        Damaged("a multi-part archive");
    const size_t count = ReadU16(tail, end + endrec::EntriesTotal);
    const uint64_t dirSize = ReadU32(tail, end + endrec::DirectorySize);
    dataEnd_ = ReadU32(tail, end + endrec::DirectoryOffset);
    if (dataEnd_ + dirSize != endAt) Damaged("the archive directory is out of place");

    std::vector<uint8_t> dir(static_cast<size_t>(dirSize));
    ReadAt(dataEnd_, dir);
    std::set<std::string> names;
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (at + kCentralHeaderSize > dir.size() || ReadU32(dir, at) != kCentralSignature)
            Damaged("the archive directory is broken");
        ArchiveEntry e;
        e.Flags = ReadU16(dir, at + central::Flags);
        e.Method = ReadU16(dir, at + central::Method);
        e.Crc = ReadU32(dir, at + central::Crc);
        e.CompressedSize = ReadU32(dir, at + central::Compressed);
        e.UncompressedSize = ReadU32(dir, at + central::Uncompressed);
        e.LocalOffset = ReadU32(dir, at + central::LocalOffset);
        const size_t nameLen = ReadU16(dir, at + central::NameLength);
        const size_t next = at + kCentralHeaderSize + nameLen + ReadU16(dir, at + central::ExtraLength) +
                            ReadU16(dir, at + central::CommentLength);
        if (next > dir.size()) Damaged("the archive directory is broken");
        e.Name.assign(dir.begin() + static_cast<ptrdiff_t>(at + kCentralHeaderSize),
                      dir.begin() + static_cast<ptrdiff_t>(at + kCentralHeaderSize + nameLen));
        if (!IsPlainFileName(e.Name)) Damaged("the entry name \"" + e.Name + "\" is not a plain file name");
        if (!names.insert(Folded(e.Name)).second) Damaged("the entry \"" + e.Name + "\" comes twice");
        if (e.Flags & 1) Damaged("the entry \"" + e.Name + "\" is encrypted");
        if (e.Method != kMethodStored && e.Method != kMethodDeflated)
            Damaged("the entry \"" + e.Name + "\" uses an unknown compression");
        if (e.Method == kMethodStored && e.CompressedSize != e.UncompressedSize)
            Damaged("the sizes of \"" + e.Name + "\" disagree");
        if (uint64_t{e.LocalOffset} + kLocalHeaderSize + nameLen + e.CompressedSize > dataEnd_)
            Damaged("the entry \"" + e.Name + "\" lies outside the archive");
        entries_.push_back(std::move(e));
        at = next;
    }
    if (at != dir.size()) Damaged("the archive directory is broken");
}

void ArchiveReader::Extract(const ArchiveEntry& e, const ByteSink& sink) {
    using namespace zip;
    std::vector<uint8_t> header(kLocalHeaderSize);
    ReadAt(e.LocalOffset, header);
    const size_t nameLen = ReadU16(header, local::NameLength);
    std::vector<uint8_t> name(nameLen);
    ReadAt(e.LocalOffset + kLocalHeaderSize, name);
    // The local header must describe the same entry as the directory, or the
    // two could be made to disagree about what is being written where.
    if (ReadU32(header, 0) != kLocalSignature || ReadU16(header, local::Method) != e.Method ||
        std::string(name.begin(), name.end()) != e.Name)
        Damaged("the entry \"" + e.Name + "\" does not match the archive directory");
    const uint64_t start = uint64_t{e.LocalOffset} + kLocalHeaderSize + nameLen + ReadU16(header, local::ExtraLength);
    if (start + e.CompressedSize > dataEnd_) Damaged("the entry \"" + e.Name + "\" lies outside the archive");

    std::vector<uint8_t> in(kBlock), out(kBlock);
    uLong crc = crc32(0, nullptr, 0);
    uint64_t produced = 0;
    const auto emit = [&](const uint8_t* p, size_t n) {
        produced += n;
        if (produced > e.UncompressedSize) Damaged("the entry \"" + e.Name + "\" is longer than it says");
        crc = crc32(crc, p, static_cast<uInt>(n));
        sink(std::span<const uint8_t>(p, n));
    };

    uint64_t left = e.CompressedSize;
    uint64_t pos = start;
    if (e.Method == kMethodStored) {
        while (left > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kBlock));
            ReadAt(pos, std::span(in.data(), n));
            emit(in.data(), n);
            pos += n;
            left -= n;
        }
    } else {
        Inflater inf;
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            if (inf.z.avail_in == 0) {
                if (left == 0) Damaged("the data of \"" + e.Name + "\" ends too early");
                const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kBlock));
                ReadAt(pos, std::span(in.data(), n));
                pos += n;
                left -= n;
                inf.z.next_in = in.data();
                inf.z.avail_in = static_cast<uInt>(n);
            }
            inf.z.next_out = out.data();
            inf.z.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&inf.z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                Damaged("the data of \"" + e.Name + "\" cannot be unpacked");
            emit(out.data(), out.size() - inf.z.avail_out);
        }
        if (left != 0 || inf.z.avail_in != 0) Damaged("the data of \"" + e.Name + "\" has bytes left over");
    }
    if (produced != e.UncompressedSize) Damaged("the entry \"" + e.Name + "\" is shorter than it says");
    if (crc != e.Crc) Damaged("the entry \"" + e.Name + "\" fails its CRC check");
}

}  // namespace qb::setup
