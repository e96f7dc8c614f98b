#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Authoring of small uncompressed (and compressed) movies for tests: every
// fixture the tests use is written here, tag by tag, so that each test shows
// exactly which bytes it feeds the code under test.
namespace qb::test {

using Bytes = std::vector<uint8_t>;

namespace tag {
inline constexpr uint16_t End = 0;
inline constexpr uint16_t ShowFrame = 1;
inline constexpr uint16_t DefineShape = 2;
inline constexpr uint16_t SetBackgroundColor = 9;
inline constexpr uint16_t DoAction = 12;
inline constexpr uint16_t DefineSound = 14;
inline constexpr uint16_t StartSound = 15;
inline constexpr uint16_t DefineButtonSound = 17;
inline constexpr uint16_t SoundStreamHead = 18;
inline constexpr uint16_t SoundStreamBlock = 19;
inline constexpr uint16_t DefineSprite = 39;
inline constexpr uint16_t SoundStreamHead2 = 45;
inline constexpr uint16_t ExportAssets = 56;
inline constexpr uint16_t StartSound2 = 89;
}  // namespace tag

// Little-endian byte sink for tag bodies and headers.
class ByteWriter {
public:
    ByteWriter& U8(uint8_t v);
    ByteWriter& U16(uint16_t v);
    ByteWriter& U32(uint32_t v);
    ByteWriter& Append(std::span<const uint8_t> bytes);
    ByteWriter& Text(const std::string& s);  // with its terminating zero byte
    ByteWriter& Rgb(uint32_t rgb);           // 0x00RRGGBB as R, G, B

    size_t Size() const { return bytes_.size(); }
    const Bytes& Data() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

struct RectTwips {
    int32_t XMin = 0, XMax = 0, YMin = 0, YMax = 0;
};

// Bit-packed RECT: 5-bit field width, then Xmin, Xmax, Ymin, Ymax. The width
// is the smallest that holds all four values, or fieldBits when that is wider.
Bytes EncodeRect(const RectTwips& rect, unsigned fieldBits = 0);

// Short tag headers hold lengths up to 62; Long forces the 32-bit length form
// even for small bodies (which real authoring tools do for some tags).
enum class TagForm { Short, Long };

size_t TagHeaderSize(size_t bodySize, TagForm form);
Bytes EncodeTagHeader(uint16_t code, uint32_t length, TagForm form);
Bytes EncodeTag(uint16_t code, std::span<const uint8_t> body, TagForm form = TagForm::Short);

// SOUNDINFO of StartSound and DefineButtonSound; the flags byte follows
// from which parts are present.
struct SoundInfo {
    bool SyncStop = false;
    bool SyncNoMultiple = false;
    std::optional<uint32_t> InPoint{};
    std::optional<uint32_t> OutPoint{};
    std::optional<uint16_t> LoopCount{};
    struct Level {
        uint32_t Position = 0;  // in samples at 44.1 kHz
        uint16_t Left = 0, Right = 0;
    };
    std::vector<Level> Envelope{};

    uint8_t Flags() const;
    Bytes Encode() const;
};

// A sequence of tags: the body of a movie or of a sprite.
class TagList {
public:
    // Any tag, body given raw.
    TagList& Tag(uint16_t code, std::span<const uint8_t> body, TagForm form = TagForm::Short);
    // Bytes outside the tag structure: lying headers, cut-off tags.
    TagList& Raw(std::span<const uint8_t> bytes);
    TagList& HeaderOnly(uint16_t code, uint32_t claimedLength, TagForm form = TagForm::Short);

    TagList& End();
    TagList& ShowFrame();
    TagList& SetBackgroundColor(uint32_t rgb);
    // A rectangle filled with one solid colour, drawn by four straight edges.
    TagList& DefineShape(uint16_t shapeId, const RectTwips& bounds, uint32_t fillRgb);
    // The sprite's frame count is the number of ShowFrame tags in `tags`
    // unless given; `tags` should end with End().
    TagList& DefineSprite(uint16_t spriteId, const TagList& tags, TagForm form = TagForm::Short,
                          std::optional<uint16_t> frameCount = std::nullopt);
    // Uncompressed 8-bit mono samples at 5.5 kHz.
    TagList& DefineSound(uint16_t soundId, std::span<const uint8_t> samples, TagForm form = TagForm::Short);
    // Any sound: `format` is the format byte (codec << 4 | rate << 2 |
    // 16-bit << 1 | stereo), `sampleCount` the frames claimed, `data` as coded.
    TagList& DefineSound(uint16_t soundId, uint8_t format, uint32_t sampleCount, std::span<const uint8_t> data,
                         TagForm form = TagForm::Short);
    TagList& StartSound(uint16_t soundId, const SoundInfo& info = {}, TagForm form = TagForm::Short);
    // A sound started by the name it is exported under.
    TagList& StartSound2(const std::string& name, const SoundInfo& info = {}, TagForm form = TagForm::Short);
    TagList& ExportAssets(uint16_t id, const std::string& name);
    // Sounds for the four button transitions (OverUpToIdle, IdleToOverUp,
    // OverUpToOverDown, OverDownToOverUp); 0 means none.
    TagList& DefineButtonSound(uint16_t buttonId, std::array<uint16_t, 4> soundIds = {1, 0, 0, 0},
                               TagForm form = TagForm::Short);
    TagList& SoundStreamHead(uint16_t samplesPerBlock = 512, TagForm form = TagForm::Short);
    TagList& SoundStreamHead2(uint16_t samplesPerBlock = 512, TagForm form = TagForm::Short);
    // A stream head of any stream format byte (as DefineSound's).
    TagList& SoundStreamHead2(uint16_t samplesPerBlock, uint8_t streamFormat, TagForm form = TagForm::Short);
    TagList& SoundStreamBlock(std::span<const uint8_t> samples, TagForm form = TagForm::Short);
    // The action bytes go in as given, so the caller writes the closing 0.
    TagList& DoAction(std::span<const uint8_t> actions, TagForm form = TagForm::Short);

    // Where the next tag starts, counted from the first tag.
    size_t Size() const { return bytes_.Size(); }
    uint16_t ShowFrames() const { return showFrames_; }
    const Bytes& Data() const { return bytes_.Data(); }

private:
    TagList& SoundStreamHeadTag(uint16_t code, uint16_t samplesPerBlock, uint8_t streamFormat, TagForm form);

    ByteWriter bytes_;
    uint16_t showFrames_ = 0;
};

struct MovieHeader {
    uint8_t Version = 6;
    RectTwips FrameRect{0, 550 * 20, 0, 400 * 20};
    unsigned RectBits = 0;  // a wider RECT field width than needed, 0 for minimal
    double FrameRate = 12.0;
    std::optional<uint16_t> FrameCount{}; // default: the ShowFrame tags written
    std::optional<uint32_t> FileLength{}; // default: the true length
};

// A whole movie: header plus the tags written through the TagList interface.
class SwfWriter : public TagList {
public:
    explicit SwfWriter(MovieHeader header = {}) : header_(header) {}

    MovieHeader& Header() { return header_; }
    // Size of signature, version, length, RECT, rate and frame count:
    // the offset of the first tag.
    size_t TagsOffset() const;
    // Where the next tag will start in the finished movie.
    size_t Offset() const { return TagsOffset() + Size(); }

    Bytes Movie() const;            // "FWS"
    Bytes CompressedMovie() const;  // "CWS": zlib stream of everything behind the 8-byte header

private:
    Bytes EncodeHeaderTail() const;  // RECT, frame rate, frame count

    MovieHeader header_;
};

// The "CWS" form of an uncompressed movie: same version and length field,
// the bytes from offset 8 on compressed with zlib.
Bytes CompressMovie(std::span<const uint8_t> fwsMovie);

// Projector layout: stub, movie, 4 unexamined bytes, movie length as a
// 32-bit little-endian number (or a different claimed length).
Bytes MakeProjector(std::span<const uint8_t> stub, std::span<const uint8_t> movie,
                    std::optional<uint32_t> claimedLength = std::nullopt);

}  // namespace qb::test
