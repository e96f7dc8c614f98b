#include "tests/support/MorphBuilder.h"

#include <algorithm>
#include <tuple>

namespace qb::test {

void MorphBuilder::End::Track(int32_t x, int32_t y) {
    Bounds.XMin = std::min(Bounds.XMin, x), Bounds.XMax = std::max(Bounds.XMax, x);
    Bounds.YMin = std::min(Bounds.YMin, y), Bounds.YMax = std::max(Bounds.YMax, y);
}

uint32_t MorphBuilder::Solid(uint32_t startRgba, uint32_t endRgba) {
    ByteWriter w;
    PutRgba(PutRgba(w.U8(0x00), startRgba), endRgba);
    fills_.push_back(w.Take());
    return static_cast<uint32_t>(fills_.size());
}

uint32_t MorphBuilder::Gradient(uint8_t type, const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from,
                                const GradientSpec& to) {
    ByteWriter w;
    w.U8(type).Append(EncodeMatrix(start)).Append(EncodeMatrix(end));
    const size_t n = std::min(from.Stops.size(), to.Stops.size());
    w.U8(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        PutRgba(w.U8(from.Stops[i].first), from.Stops[i].second);
        PutRgba(w.U8(to.Stops[i].first), to.Stops[i].second);
    }
    fills_.push_back(w.Take());
    return static_cast<uint32_t>(fills_.size());
}

uint32_t MorphBuilder::Linear(const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from,
                              const GradientSpec& to) {
    return Gradient(0x10, start, end, from, to);
}

uint32_t MorphBuilder::Radial(const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from,
                              const GradientSpec& to) {
    return Gradient(0x12, start, end, from, to);
}

uint32_t MorphBuilder::Line(uint16_t startWidth, uint16_t endWidth, uint32_t startRgba, uint32_t endRgba) {
    ByteWriter w;
    w.U16(startWidth).U16(endWidth);
    if (morph2_) w.U8(0).U8(0);  // round caps and joins, colours rather than a fill
    PutRgba(PutRgba(w, startRgba), endRgba);
    lines_.push_back(w.Take());
    maxLine_ = std::max({maxLine_, startWidth, endWidth});
    return static_cast<uint32_t>(lines_.size());
}

MorphBuilder& MorphBuilder::Styles(uint32_t fill0, uint32_t fill1, uint32_t line) {
    start_.Records.push_back({ShapeRecord::Kind::Styles, static_cast<int32_t>(fill0), static_cast<int32_t>(fill1),
                              static_cast<int32_t>(line)});
    return *this;
}

MorphBuilder& MorphBuilder::MoveTo(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (auto [e, x, y] : {std::tuple{&start_, x0, y0}, std::tuple{&end_, x1, y1}}) {
        e->Records.push_back({ShapeRecord::Kind::Move, x, y});
        e->X = x, e->Y = y;
        e->Track(x, y);
    }
    return *this;
}

MorphBuilder& MorphBuilder::LineTo(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (auto [e, x, y] : {std::tuple{&start_, x0, y0}, std::tuple{&end_, x1, y1}}) {
        e->Records.push_back({ShapeRecord::Kind::Line, x - e->X, y - e->Y});
        e->X = x, e->Y = y;
        e->Track(x, y);
    }
    return *this;
}

MorphBuilder& MorphBuilder::CurveTo(int32_t cx0, int32_t cy0, int32_t x0, int32_t y0, int32_t cx1, int32_t cy1,
                                    int32_t x1, int32_t y1) {
    for (auto [e, cx, cy, x, y] : {std::tuple{&start_, cx0, cy0, x0, y0}, std::tuple{&end_, cx1, cy1, x1, y1}}) {
        e->Records.push_back({ShapeRecord::Kind::Curve, cx - e->X, cy - e->Y, x - cx, y - cy});
        e->X = x, e->Y = y;
        e->Track(cx, cy);
        e->Track(x, y);
    }
    return *this;
}

Bytes MorphBuilder::Body(uint16_t id) const {
    auto padded = [pad = maxLine_ / 2](const RectTwips& r) {
        return EncodeRect({r.XMin - pad, r.XMax + pad, r.YMin - pad, r.YMax + pad});
    };
    ByteWriter head;
    head.U16(id).Append(padded(start_.Bounds)).Append(padded(end_.Bounds));
    if (morph2_) head.Append(EncodeRect(start_.Bounds)).Append(EncodeRect(end_.Bounds)).U8(0x01);  // scaling strokes

    ByteWriter rest;  // styles and the start outline, then the end outline
    auto list = [&rest](const std::vector<Bytes>& styles) {
        if (styles.size() >= 0xFF) rest.U8(0xFF).U16(static_cast<uint16_t>(styles.size()));
        else rest.U8(static_cast<uint8_t>(styles.size()));
        for (const auto& s : styles) rest.Append(s);
    };
    list(fills_);
    list(lines_);
    auto outline = [&rest](const std::vector<ShapeRecord>& records, unsigned fillBits, unsigned lineBits) {
        BitWriter b;
        b.WriteUnsigned(fillBits, 4);
        b.WriteUnsigned(lineBits, 4);
        WriteShapeRecords(b, records, fillBits, lineBits);
        b.WriteUnsigned(0, 6);
        rest.Append(b.Take());
    };
    outline(start_.Records, BitWriter::UnsignedBits(static_cast<uint32_t>(fills_.size())),
            BitWriter::UnsignedBits(static_cast<uint32_t>(lines_.size())));
    // The offset counts from the end of its own field.
    const uint32_t endOutlineAt = static_cast<uint32_t>(rest.Size());
    outline(end_.Records, 0, 0);
    head.U32(endOutlineAt).Append(rest.Data());
    return head.Take();
}

void Morph(TagList& tags, uint16_t id, const MorphBuilder& morph) { tags.Tag(morph.TagCode(), morph.Body(id), TagForm::Long); }

}  // namespace qb::test
