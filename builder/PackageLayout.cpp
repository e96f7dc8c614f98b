#include "builder/PackageLayout.h"

#include <cstring>

namespace qb::package {

namespace {
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
}  // namespace

std::array<uint8_t, kTrailerSize> EncodeTrailer(const Trailer& t) {
    std::array<uint8_t, kTrailerSize> b{};
    std::memcpy(b.data(), kTrailerMagic, sizeof kTrailerMagic);
    for (size_t i = 0; i < t.Pieces.size(); ++i) {
        Put32(b.data() + 8 + 8 * i, t.Pieces[i].Offset);
        Put32(b.data() + 12 + 8 * i, t.Pieces[i].Length);
    }
    return b;
}

std::optional<Trailer> DecodeTrailer(std::span<const uint8_t, kTrailerSize> bytes, uint64_t fileSize) {
    if (std::memcmp(bytes.data(), kTrailerMagic, sizeof kTrailerMagic) != 0) return std::nullopt;
    Trailer t;
    uint64_t expected = 0;
    for (size_t i = 0; i < t.Pieces.size(); ++i) {
        t.Pieces[i] = {Get32(bytes.data() + 8 + 8 * i), Get32(bytes.data() + 12 + 8 * i)};
        // Piece 2 starts where the stub ends; every later piece right behind its predecessor.
        if (i > 0 && t.Pieces[i].Offset != expected) return std::nullopt;
        expected = uint64_t{t.Pieces[i].Offset} + t.Pieces[i].Length;
    }
    if (expected + kTrailerSize != fileSize) return std::nullopt;
    return t;
}

}  // namespace qb::package
