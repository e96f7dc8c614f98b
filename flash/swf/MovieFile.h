#pragma once
#include "flash/swf/Types.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qb::swf {

enum class Compression { None, Zlib, Lzma };

// A movie's bytes with the header read: the whole file uncompressed, tags
// starting at TagsOffset.
struct MovieFile {
    swf::Compression Packing = Compression::None;
    uint8_t Version = 0;
    uint32_t DeclaredLength = 0;
    Rect FrameRect;
    double FrameRate = 12;
    uint16_t FrameCount = 0;
    std::vector<uint8_t> Bytes;  // header included, always uncompressed
    size_t TagsOffset = 0;

    std::span<const uint8_t> Tags() const {
        return std::span<const uint8_t>(Bytes).subspan(std::min(TagsOffset, Bytes.size()));
    }
};

// The largest movie body we inflate; lying lengths cannot ask for more.
inline constexpr size_t kMaxMovieBytes = size_t{128} << 20;

enum class LoadError { None, NotAMovie, Unsupported, Truncated };

// Reads the header and inflates a compressed body. A body that ends early
// is kept as far as it goes (Truncated is only reported when not even the
// header is there). Lzma ("ZWS") movies are reported as Unsupported.
LoadError ParseMovieFile(std::span<const uint8_t> file, MovieFile& out);

struct Tag {
    uint16_t Code = 0;
    std::span<const uint8_t> Body;
};

// Walks a tag sequence; a tag whose length runs past the end is cut to
// what is there, and the walk ends after End (code 0) or the last byte.
class TagWalker {
public:
    explicit TagWalker(std::span<const uint8_t> tags) : data_(tags) {}
    std::optional<Tag> Next();
    size_t Position() const { return pos_; }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ended_ = false;
};

namespace tags {
inline constexpr uint16_t End = 0, ShowFrame = 1, DefineShape = 2, PlaceObject = 4, RemoveObject = 5,
                          DefineBits = 6, DefineButton = 7, JpegTables = 8, SetBackgroundColor = 9,
                          DoAction = 12, DefineBitsLossless = 20, DefineBitsJpeg2 = 21, DefineShape2 = 22,
                          PlaceObject2 = 26, RemoveObject2 = 28, DefineShape3 = 32, DefineBitsJpeg3 = 35,
                          DefineBitsLossless2 = 36, DefineSprite = 39, FrameLabel = 43, DefineMorphShape = 46,
                          DoInitAction = 59, PlaceObject3 = 70, DefineShape4 = 83, DefineMorphShape2 = 84,
                          DefineFont = 10, DefineButton2 = 34, DefineText = 11, DefineFont2 = 48, DefineText2 = 33, DefineFont3 = 75,
                          DefineFontInfo = 13, DefineFontInfo2 = 62, DefineEditText = 37,
                          DefineSound = 14, StartSound = 15, SoundStreamHead = 18, SoundStreamBlock = 19,
                          SoundStreamHead2 = 45, ExportAssets = 56, SymbolClass = 76, StartSound2 = 89,
                          DefineButtonSound = 17, DefineBitsJpeg4 = 90;
}

}  // namespace qb::swf
