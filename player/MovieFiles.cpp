#include "player/MovieFiles.h"

#include "app/Errors.h"
#include "platform/File.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qb {

namespace {

constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagStartSound = 15;
constexpr uint16_t kTagDefineButtonSound = 17;
constexpr uint16_t kTagSoundStreamBlock = 19;
constexpr uint16_t kTagDefineSprite = 39;
constexpr uint16_t kTagStartSound2 = 89;

// Codes no player defines, so the player skips the tag by its length.
constexpr uint16_t kSilencedButtonSound = 666;
constexpr uint16_t kSilencedStreamBlock = 555;

// SOUNDINFO flags with only SyncStop set: the sound is stopped, not started.
constexpr uint8_t kSyncStopOnly = 0x20;

// Signature, version and file length precede the frame rectangle.
constexpr size_t kRectOffset = 8;

bool HasMovieSignature(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'F' && bytes[1] == 'W' && bytes[2] == 'S';
}

uint16_t ReadU16(std::span<const uint8_t> b, uint64_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

uint32_t ReadU32(std::span<const uint8_t> b, uint64_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Byte size of the bit-packed RECT whose first byte is given.
size_t RectSize(uint8_t firstByte) {
    const unsigned bits = firstByte >> 3;
    return (5 + 4 * bits + 7) / 8;
}

// Reads the RECT fields most significant bit first; the caller has checked
// that RectSize bytes are present.
class BitReader {
public:
    BitReader(std::span<const uint8_t> bytes, uint64_t at) : bytes_(bytes), bit_(at * 8) {}

    uint32_t Unsigned(unsigned bits) {
        uint32_t v = 0;
        for (unsigned i = 0; i < bits; ++i, ++bit_)
            v = v << 1 | ((bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1u);
        return v;
    }

    int32_t Signed(unsigned bits) {
        if (bits == 0) return 0;
        const uint32_t raw = Unsigned(bits);
        const uint32_t sign = 1u << (bits - 1);
        return static_cast<int32_t>(static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign));
    }

private:
    std::span<const uint8_t> bytes_;
    uint64_t bit_;
};

int32_t TwipsToPixels(int32_t twips) { return twips / 20; }  // truncates toward zero

// Where the first tag starts, or 0 when the header is cut short.
uint64_t FirstTagOffset(std::span<const uint8_t> movie) {
    if (movie.size() <= kRectOffset) return 0;
    const uint64_t end = kRectOffset + RectSize(movie[kRectOffset]) + 4;  // + frame rate, frame count
    return end <= movie.size() ? end : 0;
}

// Walks the tags of a movie (and of its sprites) and silences the sound
// tags. Each sprite is walked inside its own declared body and within its
// parent's, so a lying length can neither lead outside the buffer nor back
// into bytes already walked; the walk moves forward by at least a tag header
// each step. An explicit stack instead of recursion keeps deeply nested
// sprites from exhausting the call stack.
void SilenceTags(std::span<uint8_t> movie, uint64_t first) {
    struct Region {
        uint64_t limit;   // the walk of this tag list stops here
        uint64_t resume;  // where the parent list continues afterwards
    };
    std::vector<Region> open{{movie.size(), movie.size()}};
    uint64_t pos = first;

    while (!open.empty()) {
        const uint64_t limit = open.back().limit;
        if (pos + 2 > limit) {
            pos = open.back().resume;
            open.pop_back();
            continue;
        }
        const uint16_t word = ReadU16(movie, pos);
        const uint16_t code = word >> 6;
        uint64_t length = word & 0x3F;
        uint64_t body = pos + 2;
        if (length == 0x3F) {
            if (pos + 6 > limit) {
                pos = limit;  // the long length is cut off: nothing more to walk here
                continue;
            }
            length = ReadU32(movie, pos + 2);
            body = pos + 6;
        }
        const uint64_t bodyEnd = body + length;

        switch (code) {
        case kTagEnd:
            pos = limit;
            continue;
        case kTagStartSound:
            // Sound id (2 bytes), then the SOUNDINFO flags; only when the tag holds them.
            if (body + 3 <= std::min(bodyEnd, limit)) movie[body + 2] = kSyncStopOnly;
            break;
        case kTagStartSound2: {
            // The sound's exported name up to its zero byte, then the flags.
            const uint64_t end = std::min(bodyEnd, limit);
            uint64_t at = body;
            while (at < end && movie[at] != 0) ++at;
            if (at + 1 < end) movie[at + 1] = kSyncStopOnly;
            break;
        }
        case kTagDefineButtonSound:
        case kTagSoundStreamBlock: {
            const uint16_t silenced = code == kTagDefineButtonSound ? kSilencedButtonSound : kSilencedStreamBlock;
            const auto newWord = static_cast<uint16_t>(silenced << 6 | (word & 0x3F));  // same length and form
            movie[pos] = static_cast<uint8_t>(newWord);
            movie[pos + 1] = static_cast<uint8_t>(newWord >> 8);
            break;
        }
        case kTagDefineSprite: {
            // Sprite id and frame count, then the sprite's own tag list.
            const uint64_t spriteLimit = std::min(bodyEnd, limit);
            if (body + 4 <= spriteLimit) {
                open.push_back({spriteLimit, bodyEnd});
                pos = body + 4;
                continue;
            }
            break;
        }
        default:
            break;
        }
        pos = bodyEnd;
    }
}

struct MovieSpan {
    uint64_t offset;
    uint32_t length;
};

// The appended movie of a projector: the last four bytes give its length L,
// four unexamined bytes precede them, and the movie must start with "FWS".
// L + 8 is computed in 64 bits so that a huge L cannot wrap to a small one.
std::optional<MovieSpan> LocateProjectorMovie(File& file) {
    const auto size = file.Size();
    if (!size || *size < 8) return std::nullopt;
    std::array<uint8_t, 4> tail{};
    if (!file.Seek(*size - 4) || !file.ReadExact(tail)) return std::nullopt;
    const uint32_t length = ReadU32(tail, 0);
    if (uint64_t{length} + 8 > *size) return std::nullopt;
    const uint64_t offset = *size - length - 8;
    std::array<uint8_t, 3> signature{};
    if (!file.Seek(offset) || !file.ReadExact(signature) || !HasMovieSignature(signature)) return std::nullopt;
    return MovieSpan{offset, length};
}

}  // namespace

bool IsFlashProjector(const std::string& path) {
    File file = File::Open(path, File::Mode::Read);
    return file && LocateProjectorMovie(file).has_value();
}

void ExtractProjectorMovie(const std::string& projectorPath, const std::string& moviePath) {
    File projector = File::Open(projectorPath, File::Mode::Read);
    if (!projector) return;
    const auto movie = LocateProjectorMovie(projector);
    if (!movie) return;

    if (!projector.Seek(movie->offset)) throw Exception("Unable to read " + projectorPath);
    File out = File::Open(moviePath, File::Mode::Create);
    if (!out) throw Exception("Unable to write to " + moviePath);

    // Copied in pieces: a projector's movie can be far larger than worth holding at once.
    std::vector<uint8_t> buffer(std::min<uint64_t>(movie->length, 1 << 16));
    uint64_t left = movie->length;
    while (left > 0) {
        const std::span<uint8_t> piece(buffer.data(), static_cast<size_t>(std::min<uint64_t>(left, buffer.size())));
        if (!projector.ReadExact(piece)) throw Exception("Unable to read " + projectorPath);
        if (!out.Write(piece)) throw Exception("Unable to write to " + moviePath);
        left -= piece.size();
    }
    if (!out.Close()) throw Exception("Unable to write to " + moviePath);
}

bool ParseMovieInfo(std::span<const uint8_t> movie, TMovieInfo& info) {
    if (!HasMovieSignature(movie)) return false;
    const uint64_t countAt = FirstTagOffset(movie);
    if (countAt == 0) return false;

    BitReader bits(movie, kRectOffset);
    const unsigned width = bits.Unsigned(5);
    const int32_t xMin = bits.Signed(width);
    const int32_t xMax = bits.Signed(width);
    const int32_t yMin = bits.Signed(width);
    const int32_t yMax = bits.Signed(width);

    info.FrameCount = ReadU16(movie, countAt - 2);
    info.FrameRect = {TwipsToPixels(xMin), TwipsToPixels(yMin), TwipsToPixels(xMax), TwipsToPixels(yMax)};
    return true;
}

namespace {
// The longest header: 8 bytes, a RECT of 31-bit fields (17 bytes), rate and count.
constexpr size_t kLongestHeader = 8 + 17 + 4;

std::vector<uint8_t> ReadHeaderAt(File& file, uint64_t offset, uint64_t available) {
    std::vector<uint8_t> header(static_cast<size_t>(std::min<uint64_t>(kLongestHeader, available)));
    if (!file.Seek(offset)) return {};
    header.resize(file.Read(header));
    return header;
}
}  // namespace

std::vector<uint8_t> ReadMovieHeader(const std::string& path) {
    File file = File::Open(path, File::Mode::Read);
    return file ? ReadHeaderAt(file, 0, kLongestHeader) : std::vector<uint8_t>{};
}

std::vector<uint8_t> ReadProjectorMovieHeader(const std::string& path) {
    File file = File::Open(path, File::Mode::Read);
    if (!file) return {};
    const auto movie = LocateProjectorMovie(file);
    return movie ? ReadHeaderAt(file, movie->offset, movie->length) : std::vector<uint8_t>{};
}

void ReadMovieInfo(const std::string& path, TMovieInfo& info) {
    ParseMovieInfo(ReadMovieHeader(path), info);
}

bool MuteMovieBytes(std::span<uint8_t> movie) {
    if (!HasMovieSignature(movie)) return false;
    if (const uint64_t first = FirstTagOffset(movie)) SilenceTags(movie, first);
    return true;
}

// Muting is best effort: the player plays the movie with its sound rather
// than not at all, so failures here are not reported.
void MuteMovie(const std::string& path) {
    File file = File::Open(path, File::Mode::ReadWrite);
    if (!file) return;
    const auto size = file.Size();
    if (!size || *size < 3) return;  // too short even for the signature
    std::vector<uint8_t> movie(static_cast<size_t>(*size));
    if (!file.ReadExact(movie) || !HasMovieSignature(movie)) return;

    const std::vector<uint8_t> original = movie;
    MuteMovieBytes(movie);
    if (movie == original) return;  // leave an already silent movie's file untouched

    // Only sound tag bytes differ; writing back the span from the first to
    // the last changed byte keeps everything else byte for byte.
    const auto first = std::mismatch(movie.begin(), movie.end(), original.begin()).first - movie.begin();
    const auto last = movie.rend() - std::mismatch(movie.rbegin(), movie.rend(), original.rbegin()).first;
    if (file.Seek(static_cast<uint64_t>(first)))
        file.Write(std::span<const uint8_t>(movie.data() + first, static_cast<size_t>(last - first)));
    file.Close();
}

uint32_t SwapRedBlue(uint32_t color) {
    return (color & 0xFF00FF00u) | (color & 0xFFu) << 16 | (color >> 16 & 0xFFu);
}

}  // namespace qb
