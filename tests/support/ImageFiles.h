#pragma once
#include "tests/support/SwfWriter.h"

#include <cstdint>
#include <vector>

// Picture files for the bitmap tags of test movies, from w x h straight
// 0xRRGGBBAA pixels.
namespace qb::test {

// Baseline JPEG at the given quality (1..100); alpha is dropped.
Bytes EncodeJpeg(int w, int h, const std::vector<uint32_t>& rgba, int quality = 95);
Bytes EncodePng(int w, int h, const std::vector<uint32_t>& rgba);
// GIF of at most 255 colours plus one transparent index for pixels of alpha
// below 128.
Bytes EncodeGif(int w, int h, const std::vector<uint32_t>& rgba);

}  // namespace qb::test
