#pragma once
#include "tests/support/ShapeRecords.h"
#include "tests/support/SwfWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Shapes, placements, frame scripts and bitmaps for the engine's test movies,
// on top of the tag writer. Colours are 0xRRGGBBAA here.
namespace qb::test {

class BitWriter;

namespace tag {
inline constexpr uint16_t DefineBits = 6, DefineButton = 7, JpegTables = 8, DefineBitsLossless = 20, DefineBitsJpeg2 = 21,
                          PlaceObject2 = 26, RemoveObject2 = 28, DefineShape3 = 32, DefineButton2 = 34,
                          DefineBitsJpeg3 = 35, DefineBitsLossless2 = 36, FrameLabel = 43, DefineMorphShape = 46,
                          DoInitAction = 59, DefineShape4 = 83, DefineMorphShape2 = 84, DefineBitsJpeg4 = 90;
}

struct MatrixSpec {
    double A = 1, B = 0, C = 0, D = 1;
    int32_t Tx = 0, Ty = 0;  // twips
};
Bytes EncodeMatrix(const MatrixSpec& m);

struct CxformSpec {
    int16_t RMul = 256, GMul = 256, BMul = 256, AMul = 256;
    int16_t RAdd = 0, GAdd = 0, BAdd = 0, AAdd = 0;
};
Bytes EncodeCxformWithAlpha(const CxformSpec& c);

struct GradientSpec {
    uint8_t Spread = 0, Interpolation = 0;  // pad/reflect/repeat; RGB/linear RGB
    std::vector<std::pair<uint8_t, uint32_t>> Stops;  // ratio, colour
    double Focal = 0;
};

// Builds a DefineShape3 (or 4) body: styles, then outline records. Style
// numbers returned count from 1 within the current style group.
class ShapeBuilder {
public:
    explicit ShapeBuilder(bool shape4 = false) : shape4_(shape4) { groups_.emplace_back(); }

    uint32_t Solid(uint32_t rgba);
    uint32_t Linear(const MatrixSpec& m, const GradientSpec& g);
    uint32_t Radial(const MatrixSpec& m, const GradientSpec& g);
    uint32_t Focal(const MatrixSpec& m, const GradientSpec& g);  // shape4 only
    uint32_t Bitmap(uint16_t id, const MatrixSpec& m, bool repeat, bool smooth);
    uint32_t Line(uint16_t widthTwips, uint32_t rgba);

    ShapeBuilder& Styles(uint32_t fill0, uint32_t fill1, uint32_t line);
    ShapeBuilder& MoveTo(int32_t x, int32_t y);
    ShapeBuilder& LineTo(int32_t x, int32_t y);
    ShapeBuilder& CurveTo(int32_t cx, int32_t cy, int32_t x, int32_t y);
    // A closed outline with `fill` inside (on the right going clockwise in
    // y-down coordinates) and an optional stroke.
    ShapeBuilder& Rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t fill, uint32_t line = 0);
    ShapeBuilder& Circle(int32_t cx, int32_t cy, int32_t r, uint32_t fill, uint32_t line = 0);
    // Later styles and outlines draw over the earlier ones.
    ShapeBuilder& NewGroup();
    ShapeBuilder& NonZero() { nonZero_ = true; return *this; }

    uint16_t TagCode() const { return shape4_ ? tag::DefineShape4 : tag::DefineShape3; }
    Bytes Body(uint16_t id) const;
    // The outline alone as a font's glyph (a SHAPE record): draw it with
    // fill style 1.
    Bytes Glyph() const;

private:
    using Record = ShapeRecord;
    struct Group {
        std::vector<Bytes> Fills, Lines;
        std::vector<Record> Records;
    };
    uint32_t AddFill(Bytes style);
    void Track(int32_t x, int32_t y);

    bool shape4_;
    bool nonZero_ = false;
    std::vector<Group> groups_;
    int32_t x_ = 0, y_ = 0;
    int32_t minX_ = INT32_MAX, minY_ = INT32_MAX, maxX_ = INT32_MIN, maxY_ = INT32_MIN;
    uint16_t maxLine_ = 0;
};

struct PlaceSpec {
    uint16_t Depth = 1;
    bool Move = false;
    std::optional<uint16_t> Character;
    std::optional<MatrixSpec> Matrix;
    std::optional<CxformSpec> Cx;
    std::optional<uint16_t> Ratio;
    std::optional<std::string> Name;
    std::optional<uint16_t> ClipDepth;
};
Bytes EncodePlaceObject2(const PlaceSpec& p);

// Tag helpers over any tag list (a movie or a sprite).
void Shape(TagList& tags, uint16_t id, const ShapeBuilder& shape);
void Place(TagList& tags, const PlaceSpec& p);
void Remove(TagList& tags, uint16_t depth);
void Label(TagList& tags, const std::string& name);
// A bitmap of w x h straight-alpha 0xRRGGBBAA pixels.
void BitmapLossless2(TagList& tags, uint16_t id, int w, int h, const std::vector<uint32_t>& rgba);
// The same without alpha (true colour, 32 bits a pixel).
void BitmapLossless(TagList& tags, uint16_t id, int w, int h, const std::vector<uint32_t>& rgba);
// A picture file in one of the JPEG tags (DefineBits, 2, 3 or 4); for 3 and
// 4 an alpha plane of one byte a pixel, packed here (empty: none).
void BitmapJpeg(TagList& tags, uint16_t code, uint16_t id, const Bytes& file, const Bytes& alpha = {});
Bytes Deflate(std::span<const uint8_t> bytes);

// One part of a button: the states it shows in (bits of up 1, over 2,
// down 4, hit 8), what and where.
struct ButtonPart {
    uint8_t States = 0x01;
    uint16_t Character = 0;
    uint16_t Depth = 1;
    MatrixSpec Matrix{};
    CxformSpec Cx{};          // DefineButton2 only, as are the two below
    Bytes Filters{};          // a whole filter list (count first), raw
    std::optional<uint8_t> Blend{};
};
// DefineButton (version 1: `scripts` are its action bytes, closing 0
// included) or DefineButton2 (`scripts` are its condition records, raw).
void Button(TagList& tags, int version, uint16_t id, const std::vector<ButtonPart>& parts, const Bytes& scripts = {});

// Assembles frame scripts.
class ActionWriter {
public:
    ActionWriter& Op(uint8_t code);  // any action without data
    ActionWriter& Stop() { return Op(0x07); }
    ActionWriter& Play() { return Op(0x06); }
    ActionWriter& NextFrame() { return Op(0x04); }
    ActionWriter& PrevFrame() { return Op(0x05); }
    ActionWriter& GotoFrame(uint16_t zeroBased);
    ActionWriter& GotoLabel(const std::string& label);
    ActionWriter& GotoFrame2(bool play);
    ActionWriter& SetTarget(const std::string& path);
    ActionWriter& ConstantPool(const std::vector<std::string>& names);
    ActionWriter& Push(const std::string& s);
    ActionWriter& Push(double d);
    ActionWriter& PushInt(int32_t i);
    ActionWriter& PushBool(bool b);
    ActionWriter& PushConstant(uint8_t index);
    ActionWriter& Jump(int16_t offset);
    ActionWriter& If(int16_t offset);
    ActionWriter& Raw(uint8_t code, const Bytes& data);
    ActionWriter& StoreRegister(uint8_t index) { return Raw(0x87, {index}); }
    ActionWriter& PushRegister(uint8_t index) { return Raw(0x96, {4, index}); }
    ActionWriter& Return() { return Op(0x3E); }
    ActionWriter& Append(const ActionWriter& more) {
        bytes_.insert(bytes_.end(), more.bytes_.begin(), more.bytes_.end());
        return *this;
    }
    // function name(params) { body }; an empty name leaves it on the stack.
    ActionWriter& DefineFunction(const std::string& name, const std::vector<std::string>& params,
                                 const ActionWriter& body);
    // The second form: `params` pairs a register (0: a local variable) with
    // each name; `preload` is the flags word.
    ActionWriter& DefineFunction2(const std::string& name, uint8_t registers, uint16_t preload,
                                  const std::vector<std::pair<uint8_t, std::string>>& params, const ActionWriter& body);
    // Where the next action starts (for jump offsets).
    size_t Size() const { return bytes_.size(); }
    Bytes End() const;  // with the closing 0

private:
    Bytes bytes_;
};

}  // namespace qb::test
