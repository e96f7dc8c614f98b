#pragma once
#include "flash/render/Image.h"

#include <cstdint>
#include <memory>
#include <span>

namespace qb::movie {

// Decodes the body of a bitmap tag after its id: JPEG (with the movie's
// shared tables for the oldest form), PNG or GIF in a JPEG tag, JPEG with a
// separate alpha plane (with or without a deblocking strength), and
// zlib-packed colour-mapped or true-colour pixels.
// Null for damaged data or a bitmap of more than maxPixels pixels.
std::shared_ptr<render::Image> DecodeBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                            std::span<const uint8_t> jpegTables, size_t maxPixels);

}  // namespace qb::movie
