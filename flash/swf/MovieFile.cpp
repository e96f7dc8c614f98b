#include "flash/swf/MovieFile.h"

#include "flash/swf/Reader.h"

#include <zlib.h>

#include <cstring>

namespace qb::swf {
namespace {

// Inflates up to `limit` bytes; stops quietly at the end of the stream or at
// the first damaged byte, keeping what came before.
std::vector<uint8_t> Inflate(std::span<const uint8_t> packed, size_t limit) {
    std::vector<uint8_t> out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return out;
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(std::min<size_t>(packed.size(), UINT32_MAX));
    size_t have = 0;
    out.resize(std::min<size_t>(limit, 1 << 16));
    for (;;) {
        if (have == out.size()) {
            if (out.size() >= limit) break;
            out.resize(std::min(limit, out.size() * 2));
        }
        z.next_out = out.data() + have;
        z.avail_out = static_cast<uInt>(out.size() - have);
        const int rc = inflate(&z, Z_NO_FLUSH);
        have = out.size() - z.avail_out;
        if (rc != Z_OK) break;  // stream end, damage, or no progress possible
    }
    inflateEnd(&z);
    out.resize(have);
    return out;
}

}  // namespace

LoadError ParseMovieFile(std::span<const uint8_t> file, MovieFile& out) {
    out = MovieFile{};
    if (file.size() < 8) return LoadError::NotAMovie;
    const char sig[3] = {static_cast<char>(file[0]), static_cast<char>(file[1]), static_cast<char>(file[2])};
    if (std::memcmp(sig + 1, "WS", 2) != 0) return LoadError::NotAMovie;
    if (sig[0] == 'F') out.Packing = Compression::None;
    else if (sig[0] == 'C') out.Packing = Compression::Zlib;
    else if (sig[0] == 'Z') out.Packing = Compression::Lzma;
    else return LoadError::NotAMovie;
    out.Version = file[3];
    out.DeclaredLength = static_cast<uint32_t>(file[4] | file[5] << 8 | file[6] << 16 | uint32_t{file[7]} << 24);
    if (out.Packing == Compression::Lzma) return LoadError::Unsupported;

    out.Bytes.assign(file.begin(), file.begin() + 8);
    if (out.Packing == Compression::None) {
        const size_t body = std::min(file.size(), kMaxMovieBytes) - 8;
        out.Bytes.insert(out.Bytes.end(), file.begin() + 8, file.begin() + 8 + body);
    } else {
        const size_t limit = std::min<size_t>(std::max<uint32_t>(out.DeclaredLength, 8) - 8, kMaxMovieBytes);
        auto body = Inflate(file.subspan(8), limit);
        out.Bytes.insert(out.Bytes.end(), body.begin(), body.end());
    }

    Reader r(std::span<const uint8_t>(out.Bytes).subspan(8));
    out.FrameRect = r.ReadRect();
    out.FrameRate = r.U16() / 256.0;
    out.FrameCount = r.U16();
    if (r.Overrun()) return LoadError::Truncated;
    out.TagsOffset = 8 + r.Position();
    return LoadError::None;
}

std::optional<Tag> TagWalker::Next() {
    if (ended_ || pos_ + 2 > data_.size()) return std::nullopt;
    const uint16_t head = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    Tag tag;
    tag.Code = head >> 6;
    size_t length = head & 0x3F;
    if (length == 0x3F) {
        if (pos_ + 4 > data_.size()) {
            ended_ = true;
            return std::nullopt;
        }
        length = data_[pos_] | data_[pos_ + 1] << 8 | data_[pos_ + 2] << 16 | size_t{data_[pos_ + 3]} << 24;
        pos_ += 4;
    }
    length = std::min(length, data_.size() - pos_);
    tag.Body = data_.subspan(pos_, length);
    pos_ += length;
    if (tag.Code == tags::End) ended_ = true;
    return tag;
}

}  // namespace qb::swf
