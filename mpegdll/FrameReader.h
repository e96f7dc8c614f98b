#pragma once
#include "mpegdll/ByteSource.h"
#include "mpegdll/FrameHeader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qb::mp3 {

struct Frame {
    FrameHeader header;
    std::span<const uint8_t> bytes;  // header included; valid until the next call
};

// Cuts a byte source into layer III frames: skips ID3v2 tags in front,
// finds the first frame only where a second one follows it, and after
// garbage in the middle searches the next frame of the same stream.
// A truncated last frame is dropped.
class FrameReader {
public:
    // Gives up looking for the first frame after `searchLimit` bytes that are
    // neither tags nor frames (a large file of something else is not read whole).
    explicit FrameReader(ByteSource& source, uint64_t searchLimit = UINT64_MAX)
        : source_(source), searchLimit_(searchLimit) {}
    std::optional<Frame> Next();
    // Bytes consumed before the current frame (ID3 tags and garbage included).
    uint64_t Offset() const { return consumed_; }

private:
    bool Ensure(size_t bytes);
    void Skip(size_t bytes);
    bool SkipId3v2();

    ByteSource& source_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
    bool eof_ = false;
    bool started_ = false;
    std::optional<FrameHeader> locked_;
    uint64_t consumed_ = 0;
    uint64_t searchLimit_;
    uint64_t searched_ = 0;
    bool found_ = false;
};

// The frame count of a VBR information frame ("Xing" or "Info"), when the
// frame is one. Such a frame carries no sound.
std::optional<uint32_t> InfoFrameCount(const Frame& frame);
bool IsInfoFrame(const Frame& frame);

}  // namespace qb::mp3
