// Movie header reading and sound muting over arbitrary bytes: neither may
// read or write outside the buffer, and muting must change only sound tag
// bytes and leave nothing to change on a second pass.
#include "player/MovieFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

uint16_t Word(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// A tag header whose code went from a button sound or stream block to the
// matching silenced code, its length bits kept.
bool IsSilencedHeader(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, size_t at) {
    if (at + 2 > after.size()) return false;
    const uint16_t was = Word(before, at), now = Word(after, at);
    if ((was & 0x3F) != (now & 0x3F)) return false;
    return (was >> 6 == 17 && now >> 6 == 666) || (was >> 6 == 19 && now >> 6 == 555);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> original(data, data + size);

    qb::TMovieInfo before;
    const bool measurable = qb::ParseMovieInfo(original, before);

    std::vector<uint8_t> once = original;
    const bool muted = qb::MuteMovieBytes(once);
    Check(once.size() == size);
    if (measurable) Check(muted);  // a movie with a whole header is always walked
    if (!muted) Check(once == original);

    // The header is never touched.
    Check(std::equal(once.begin(), once.begin() + std::min<size_t>(size, 8), original.begin()));
    qb::TMovieInfo after;
    Check(qb::ParseMovieInfo(once, after) == measurable);
    Check(after.FrameCount == before.FrameCount && after.FrameRect == before.FrameRect);

    // Every changed byte is a StartSound flags byte set to "stop" or part of
    // a silenced tag header.
    for (size_t i = 0; i < size; ++i) {
        if (once[i] == original[i]) continue;
        Check(once[i] == 0x20 || IsSilencedHeader(original, once, i) ||
              (i > 0 && IsSilencedHeader(original, once, i - 1)));
    }

    std::vector<uint8_t> twice = once;
    qb::MuteMovieBytes(twice);
    Check(twice == once);
    return 0;
}
