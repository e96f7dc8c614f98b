#pragma once
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <span>

namespace qb::zip {

struct CompressedData {
    uint16_t Method = 8;
    uint16_t Flags = 0;
    uint32_t Crc = 0;
    uint64_t CompressedSize = 0;
    uint64_t UncompressedSize = 0;
    bool Text = false;
};

using DataSink = std::function<void(std::span<const uint8_t>)>;

// Streams one file into an archive entry's data through fixed buffers:
// raw deflate at `level` (1-9), or the bytes unchanged at level 0. A file that
// ends within the first block and does not get smaller is stored unchanged.
// `afterBlock` runs after each piece of output (the caller pumps messages).
CompressedData CompressEntry(File& input, int level, const DataSink& out, const std::function<void()>& afterBlock);

// The zip text test: at most a quarter as many control and high bytes as
// printable ones.
bool LooksLikeText(std::span<const uint8_t> bytes);

}  // namespace qb::zip
