#include "mpegdll/FrameReader.h"

#include <algorithm>
#include <cstring>

namespace qb::mp3 {

bool FrameReader::Ensure(size_t bytes) {
    while (buf_.size() - pos_ < bytes && !eof_) {
        if (pos_ > 0 && pos_ >= buf_.size() / 2) {
            buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
            pos_ = 0;
        }
        const size_t have = buf_.size();
        const size_t want = std::max<size_t>(bytes - (have - pos_), 16384);
        buf_.resize(have + want);
        const size_t got = source_.Read(std::span(buf_).subspan(have, want));
        buf_.resize(have + got);
        if (got == 0) eof_ = true;
    }
    return buf_.size() - pos_ >= bytes;
}

void FrameReader::Skip(size_t bytes) {
    while (bytes > 0) {
        if (!Ensure(1)) return;
        const size_t step = std::min(bytes, buf_.size() - pos_);
        pos_ += step;
        consumed_ += step;
        bytes -= step;
    }
}

bool FrameReader::SkipId3v2() {
    if (!Ensure(10) || std::memcmp(&buf_[pos_], "ID3", 3) != 0) return false;
    const uint8_t* h = &buf_[pos_];
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return false;  // not a synchsafe size: not a tag
    size_t size = (size_t(h[6]) << 21) | (size_t(h[7]) << 14) | (size_t(h[8]) << 7) | h[9];
    size += 10;
    if (h[5] & 0x10) size += 10;  // footer
    Skip(size);
    return true;
}

std::optional<Frame> FrameReader::Next() {
    if (!started_) {
        started_ = true;
        while (SkipId3v2()) {
        }
    }
    while (Ensure(4)) {
        auto header = ParseFrameHeader(std::span(buf_).subspan(pos_, 4));
        const size_t size = header ? static_cast<size_t>(header->frameBytes) : 0;
        bool accept = false;
        if (header && locked_) {
            accept = header->SameStreamAs(*locked_);
        } else if (header) {
            // A first frame counts only when the next frame of the same stream
            // follows it (or the data ends right after it).
            if (Ensure(size + 4)) {
                auto next = ParseFrameHeader(std::span(buf_).subspan(pos_ + size, 4));
                accept = next && next->SameStreamAs(*header);
            } else {
                accept = buf_.size() - pos_ == size;
            }
        }
        if (!accept) {
            if (!found_ && ++searched_ > searchLimit_) return std::nullopt;
            ++pos_;
            ++consumed_;
            locked_.reset();
            continue;
        }
        found_ = true;
        if (!Ensure(size)) return std::nullopt;  // truncated last frame
        locked_ = header;
        Frame frame{*header, std::span<const uint8_t>(buf_).subspan(pos_, size)};
        pos_ += size;
        consumed_ += size;
        return frame;
    }
    return std::nullopt;
}

std::optional<uint32_t> InfoFrameCount(const Frame& frame) {
    const size_t at = 4 + static_cast<size_t>(frame.header.sideInfoBytes);
    if (frame.bytes.size() < at + 12) return std::nullopt;
    const uint8_t* p = frame.bytes.data() + at;
    if (std::memcmp(p, "Xing", 4) != 0 && std::memcmp(p, "Info", 4) != 0) return std::nullopt;
    const uint32_t flags = (uint32_t(p[4]) << 24) | (uint32_t(p[5]) << 16) | (uint32_t(p[6]) << 8) | p[7];
    if (!(flags & 1)) return 0;
    return (uint32_t(p[8]) << 24) | (uint32_t(p[9]) << 16) | (uint32_t(p[10]) << 8) | p[11];
}

bool IsInfoFrame(const Frame& frame) { return InfoFrameCount(frame).has_value(); }

}  // namespace qb::mp3
