#include "tests/support/MovieBuilder.h"

#include "tests/support/BitWriter.h"
#include "tests/support/ShapeRecords.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace qb::test {
namespace {

int32_t Fixed(double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); }

Bytes GradientStyle(uint8_t type, const MatrixSpec& m, const GradientSpec& g) {
    ByteWriter w;
    w.U8(type).Append(EncodeMatrix(m));
    w.U8(static_cast<uint8_t>(g.Spread << 6 | g.Interpolation << 4 | (g.Stops.size() & 0x0F)));
    for (const auto& [ratio, color] : g.Stops) PutRgba(w.U8(ratio), color);
    if (type == 0x13) w.U16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(g.Focal * 256))));
    return w.Take();
}

unsigned UBitsFor(size_t count) { return BitWriter::UnsignedBits(static_cast<uint32_t>(count)); }

void StyleArray(ByteWriter& w, const std::vector<Bytes>& styles) {
    if (styles.size() >= 0xFF) w.U8(0xFF).U16(static_cast<uint16_t>(styles.size()));
    else w.U8(static_cast<uint8_t>(styles.size()));
    for (const auto& s : styles) w.Append(s);
}

}  // namespace

Bytes EncodeMatrix(const MatrixSpec& m) {
    BitWriter b;
    const bool scale = m.A != 1 || m.D != 1, rotate = m.B != 0 || m.C != 0;
    b.WriteFlag(scale);
    if (scale) {
        const unsigned n = SBits({Fixed(m.A), Fixed(m.D)});
        b.WriteUnsigned(n, 5);
        b.WriteSigned(Fixed(m.A), n);
        b.WriteSigned(Fixed(m.D), n);
    }
    b.WriteFlag(rotate);
    if (rotate) {
        const unsigned n = SBits({Fixed(m.B), Fixed(m.C)});
        b.WriteUnsigned(n, 5);
        b.WriteSigned(Fixed(m.B), n);
        b.WriteSigned(Fixed(m.C), n);
    }
    const unsigned n = (m.Tx || m.Ty) ? SBits({m.Tx, m.Ty}) : 0;
    b.WriteUnsigned(n, 5);
    if (n) {
        b.WriteSigned(m.Tx, n);
        b.WriteSigned(m.Ty, n);
    }
    return b.Take();
}

Bytes EncodeCxformWithAlpha(const CxformSpec& c) {
    BitWriter b;
    const bool mul = c.RMul != 256 || c.GMul != 256 || c.BMul != 256 || c.AMul != 256;
    const bool add = c.RAdd || c.GAdd || c.BAdd || c.AAdd;
    b.WriteFlag(add);
    b.WriteFlag(mul);
    const unsigned n = SBits({c.RMul, c.GMul, c.BMul, c.AMul, c.RAdd, c.GAdd, c.BAdd, c.AAdd});
    b.WriteUnsigned(n, 4);
    if (mul) for (int32_t v : {c.RMul, c.GMul, c.BMul, c.AMul}) b.WriteSigned(v, n);
    if (add) for (int32_t v : {c.RAdd, c.GAdd, c.BAdd, c.AAdd}) b.WriteSigned(v, n);
    return b.Take();
}

uint32_t ShapeBuilder::AddFill(Bytes style) {
    groups_.back().Fills.push_back(std::move(style));
    return static_cast<uint32_t>(groups_.back().Fills.size());
}

uint32_t ShapeBuilder::Solid(uint32_t rgba) {
    ByteWriter w;
    PutRgba(w.U8(0x00), rgba);
    return AddFill(w.Take());
}

uint32_t ShapeBuilder::Linear(const MatrixSpec& m, const GradientSpec& g) { return AddFill(GradientStyle(0x10, m, g)); }
uint32_t ShapeBuilder::Radial(const MatrixSpec& m, const GradientSpec& g) { return AddFill(GradientStyle(0x12, m, g)); }
uint32_t ShapeBuilder::Focal(const MatrixSpec& m, const GradientSpec& g) { return AddFill(GradientStyle(0x13, m, g)); }

uint32_t ShapeBuilder::Bitmap(uint16_t id, const MatrixSpec& m, bool repeat, bool smooth) {
    ByteWriter w;
    w.U8(static_cast<uint8_t>(0x40 | (repeat ? 0 : 1) | (smooth ? 0 : 2))).U16(id).Append(EncodeMatrix(m));
    return AddFill(w.Take());
}

uint32_t ShapeBuilder::Line(uint16_t widthTwips, uint32_t rgba) {
    ByteWriter w;
    w.U16(widthTwips);
    if (shape4_) w.U8(0).U8(0);  // round caps and joins, no fill of its own
    PutRgba(w, rgba);
    maxLine_ = std::max(maxLine_, widthTwips);
    groups_.back().Lines.push_back(w.Take());
    return static_cast<uint32_t>(groups_.back().Lines.size());
}

void ShapeBuilder::Track(int32_t x, int32_t y) {
    minX_ = std::min(minX_, x), maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y), maxY_ = std::max(maxY_, y);
}

ShapeBuilder& ShapeBuilder::Styles(uint32_t fill0, uint32_t fill1, uint32_t line) {
    groups_.back().Records.push_back({Record::Kind::Styles, static_cast<int32_t>(fill0), static_cast<int32_t>(fill1),
                                      static_cast<int32_t>(line)});
    return *this;
}

ShapeBuilder& ShapeBuilder::MoveTo(int32_t x, int32_t y) {
    groups_.back().Records.push_back({Record::Kind::Move, x, y});
    x_ = x, y_ = y;
    Track(x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::LineTo(int32_t x, int32_t y) {
    groups_.back().Records.push_back({Record::Kind::Line, x - x_, y - y_});
    x_ = x, y_ = y;
    Track(x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::CurveTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    groups_.back().Records.push_back({Record::Kind::Curve, cx - x_, cy - y_, x - cx, y - cy});
    x_ = x, y_ = y;
    Track(cx, cy);
    Track(x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::Rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t fill, uint32_t line) {
    Styles(0, fill, line);
    return MoveTo(x0, y0).LineTo(x1, y0).LineTo(x1, y1).LineTo(x0, y1).LineTo(x0, y0);
}

ShapeBuilder& ShapeBuilder::Circle(int32_t cx, int32_t cy, int32_t r, uint32_t fill, uint32_t line) {
    Styles(0, fill, line);
    // Eight quadratic arcs; each control point sits on the tangents' crossing.
    const double k = 1.0 / std::cos(std::numbers::pi / 8);
    MoveTo(cx + r, cy);
    for (int i = 1; i <= 8; ++i) {
        const double a = std::numbers::pi / 4 * i, m = a - std::numbers::pi / 8;
        CurveTo(cx + static_cast<int32_t>(std::lround(r * k * std::cos(m))),
                cy + static_cast<int32_t>(std::lround(r * k * std::sin(m))),
                cx + static_cast<int32_t>(std::lround(r * std::cos(a))),
                cy + static_cast<int32_t>(std::lround(r * std::sin(a))));
    }
    return *this;
}

ShapeBuilder& ShapeBuilder::NewGroup() {
    groups_.emplace_back();
    return *this;
}

Bytes ShapeBuilder::Glyph() const {
    BitWriter b;
    b.WriteUnsigned(1, 4);  // one fill style (the text's colour), no lines
    b.WriteUnsigned(0, 4);
    WriteShapeRecords(b, groups_.front().Records, 1, 0);
    b.WriteUnsigned(0, 6);
    return b.Take();
}

Bytes ShapeBuilder::Body(uint16_t id) const {
    ByteWriter w;
    const int32_t pad = maxLine_ / 2;
    const RectTwips bounds{minX_ - pad, maxX_ + pad, minY_ - pad, maxY_ + pad};
    w.U16(id).Append(EncodeRect(bounds));
    if (shape4_) w.Append(EncodeRect(bounds)).U8(nonZero_ ? 0x04 : 0x00);
    BitWriter b;
    for (size_t g = 0; g < groups_.size(); ++g) {
        const Group& group = groups_[g];
        const unsigned fillBits = UBitsFor(group.Fills.size()), lineBits = UBitsFor(group.Lines.size());
        if (g == 0) {
            StyleArray(w, group.Fills);
            StyleArray(w, group.Lines);
            b.WriteUnsigned(fillBits, 4);
            b.WriteUnsigned(lineBits, 4);
        } else {
            // A style change record that brings the group's own styles.
            b.WriteUnsigned(0, 1);
            b.WriteUnsigned(0x10, 5);
            b.Align();
            Bytes head = b.Take();
            w.Append(head);
            StyleArray(w, group.Fills);
            StyleArray(w, group.Lines);
            b = BitWriter();
            b.WriteUnsigned(fillBits, 4);
            b.WriteUnsigned(lineBits, 4);
        }
        WriteShapeRecords(b, group.Records, fillBits, lineBits);
    }
    b.WriteUnsigned(0, 6);  // end of shape
    w.Append(b.Take());
    return w.Take();
}

Bytes EncodePlaceObject2(const PlaceSpec& p) {
    ByteWriter w;
    const uint8_t flags = static_cast<uint8_t>((p.ClipDepth ? 0x40 : 0) | (p.Name ? 0x20 : 0) | (p.Ratio ? 0x10 : 0) |
                                               (p.Cx ? 0x08 : 0) | (p.Matrix ? 0x04 : 0) | (p.Character ? 0x02 : 0) |
                                               (p.Move ? 0x01 : 0));
    w.U8(flags).U16(p.Depth);
    if (p.Character) w.U16(*p.Character);
    if (p.Matrix) w.Append(EncodeMatrix(*p.Matrix));
    if (p.Cx) w.Append(EncodeCxformWithAlpha(*p.Cx));
    if (p.Ratio) w.U16(*p.Ratio);
    if (p.Name) w.Text(*p.Name);
    if (p.ClipDepth) w.U16(*p.ClipDepth);
    return w.Take();
}

void Shape(TagList& tags, uint16_t id, const ShapeBuilder& shape) {
    tags.Tag(shape.TagCode(), shape.Body(id), TagForm::Long);
}

void Place(TagList& tags, const PlaceSpec& p) { tags.Tag(tag::PlaceObject2, EncodePlaceObject2(p)); }

void Remove(TagList& tags, uint16_t depth) { tags.Tag(tag::RemoveObject2, ByteWriter().U16(depth).Data()); }

void Label(TagList& tags, const std::string& name) { tags.Tag(tag::FrameLabel, ByteWriter().Text(name).Data()); }

void Button(TagList& tags, int version, uint16_t id, const std::vector<ButtonPart>& parts, const Bytes& scripts) {
    ByteWriter records;
    for (const ButtonPart& p : parts) {
        const bool extras = version >= 2;
        const uint8_t flags = static_cast<uint8_t>(p.States | (extras && !p.Filters.empty() ? 0x10 : 0) |
                                                   (extras && p.Blend ? 0x20 : 0));
        records.U8(flags).U16(p.Character).U16(p.Depth).Append(EncodeMatrix(p.Matrix));
        if (!extras) continue;
        records.Append(EncodeCxformWithAlpha(p.Cx)).Append(p.Filters);
        if (p.Blend) records.U8(*p.Blend);
    }
    records.U8(0);
    ByteWriter body;
    body.U16(id);
    if (version >= 2) {
        // The offset counts from its own field; 0 when there are no scripts.
        body.U8(0).U16(scripts.empty() ? 0 : static_cast<uint16_t>(2 + records.Size()));
    }
    body.Append(records.Data()).Append(scripts);
    tags.Tag(version >= 2 ? tag::DefineButton2 : tag::DefineButton, body.Data(), TagForm::Long);
}

Bytes Deflate(std::span<const uint8_t> bytes) {
    uLongf packed = compressBound(static_cast<uLong>(bytes.size()));
    Bytes z(packed);
    if (compress(z.data(), &packed, bytes.data(), static_cast<uLong>(bytes.size())) != Z_OK)
        throw std::runtime_error("zlib compress failed");
    z.resize(packed);
    return z;
}

namespace {
void LosslessTag(TagList& tags, uint16_t code, uint16_t id, int w, int h, const Bytes& argb) {
    ByteWriter body;
    body.U16(id).U8(5).U16(static_cast<uint16_t>(w)).U16(static_cast<uint16_t>(h)).Append(Deflate(argb));
    tags.Tag(code, body.Data(), TagForm::Long);
}
}  // namespace

void BitmapLossless2(TagList& tags, uint16_t id, int w, int h, const std::vector<uint32_t>& rgba) {
    Bytes argb;
    for (uint32_t c : rgba) {
        const uint32_t a = c & 0xFF;
        auto pm = [a](uint32_t v) { return static_cast<uint8_t>((v * a + 127) / 255); };
        argb.insert(argb.end(), {static_cast<uint8_t>(a), pm(c >> 24 & 0xFF), pm(c >> 16 & 0xFF), pm(c >> 8 & 0xFF)});
    }
    LosslessTag(tags, tag::DefineBitsLossless2, id, w, h, argb);
}

void BitmapLossless(TagList& tags, uint16_t id, int w, int h, const std::vector<uint32_t>& rgba) {
    Bytes xrgb;
    for (uint32_t c : rgba)
        xrgb.insert(xrgb.end(), {0xFF, static_cast<uint8_t>(c >> 24), static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8)});
    LosslessTag(tags, tag::DefineBitsLossless, id, w, h, xrgb);
}

void BitmapJpeg(TagList& tags, uint16_t code, uint16_t id, const Bytes& file, const Bytes& alpha) {
    ByteWriter body;
    body.U16(id);
    if (code == tag::DefineBitsJpeg3 || code == tag::DefineBitsJpeg4) body.U32(static_cast<uint32_t>(file.size()));
    if (code == tag::DefineBitsJpeg4) body.U16(0x0100);  // deblocking strength 1.0
    body.Append(file);
    if (!alpha.empty()) body.Append(Deflate(alpha));
    tags.Tag(code, body.Data(), TagForm::Long);
}

ActionWriter& ActionWriter::Op(uint8_t code) {
    bytes_.push_back(code);
    return *this;
}

ActionWriter& ActionWriter::Raw(uint8_t code, const Bytes& data) {
    bytes_.push_back(code);
    bytes_.push_back(static_cast<uint8_t>(data.size()));
    bytes_.push_back(static_cast<uint8_t>(data.size() >> 8));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

ActionWriter& ActionWriter::GotoFrame(uint16_t frame) { return Raw(0x81, ByteWriter().U16(frame).Data()); }
ActionWriter& ActionWriter::GotoLabel(const std::string& label) { return Raw(0x8C, ByteWriter().Text(label).Data()); }
ActionWriter& ActionWriter::GotoFrame2(bool play) { return Raw(0x9F, ByteWriter().U8(play ? 1 : 0).Data()); }
ActionWriter& ActionWriter::SetTarget(const std::string& path) { return Raw(0x8B, ByteWriter().Text(path).Data()); }

ActionWriter& ActionWriter::ConstantPool(const std::vector<std::string>& names) {
    ByteWriter w;
    w.U16(static_cast<uint16_t>(names.size()));
    for (const auto& n : names) w.Text(n);
    return Raw(0x88, w.Data());
}

ActionWriter& ActionWriter::Push(const std::string& s) { return Raw(0x96, ByteWriter().U8(0).Text(s).Data()); }

ActionWriter& ActionWriter::Push(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    // Doubles in scripts keep their high word first.
    return Raw(0x96, ByteWriter().U8(6).U32(static_cast<uint32_t>(bits >> 32)).U32(static_cast<uint32_t>(bits)).Data());
}

ActionWriter& ActionWriter::PushInt(int32_t i) {
    return Raw(0x96, ByteWriter().U8(7).U32(static_cast<uint32_t>(i)).Data());
}
ActionWriter& ActionWriter::PushBool(bool b) { return Raw(0x96, ByteWriter().U8(5).U8(b ? 1 : 0).Data()); }
ActionWriter& ActionWriter::PushConstant(uint8_t index) { return Raw(0x96, ByteWriter().U8(8).U8(index).Data()); }
ActionWriter& ActionWriter::Jump(int16_t offset) {
    return Raw(0x99, ByteWriter().U16(static_cast<uint16_t>(offset)).Data());
}
ActionWriter& ActionWriter::If(int16_t offset) { return Raw(0x9D, ByteWriter().U16(static_cast<uint16_t>(offset)).Data()); }

ActionWriter& ActionWriter::DefineFunction(const std::string& name, const std::vector<std::string>& params,
                                           const ActionWriter& body) {
    ByteWriter w;
    w.Text(name).U16(static_cast<uint16_t>(params.size()));
    for (const auto& p : params) w.Text(p);
    w.U16(static_cast<uint16_t>(body.Size()));
    return Raw(0x9B, w.Data()).Append(body);
}

ActionWriter& ActionWriter::DefineFunction2(const std::string& name, uint8_t registers, uint16_t preload,
                                            const std::vector<std::pair<uint8_t, std::string>>& params,
                                            const ActionWriter& body) {
    ByteWriter w;
    w.Text(name).U16(static_cast<uint16_t>(params.size())).U8(registers).U16(preload);
    for (const auto& [reg, p] : params) w.U8(reg).Text(p);
    w.U16(static_cast<uint16_t>(body.Size()));
    return Raw(0x8E, w.Data()).Append(body);
}

Bytes ActionWriter::End() const {
    Bytes out = bytes_;
    out.push_back(0);
    return out;
}

}  // namespace qb::test
