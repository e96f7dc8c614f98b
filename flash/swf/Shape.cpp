#include "flash/swf/Shape.h"

#include "flash/swf/Reader.h"

#include <algorithm>

namespace qb::swf {
namespace {

constexpr int64_t kCoordLimit = int64_t{1} << 30;

int32_t Clamp(int64_t v) { return static_cast<int32_t>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

Rgba ReadColor(Reader& r, int version) { return version >= 3 ? r.ReadRgba() : r.ReadRgb(); }

size_t ReadCount(Reader& r, int version) {
    size_t n = r.U8();
    if (n == 0xFF && version >= 2) n = r.U16();
    return n;
}

void ReadGradient(Reader& r, int version, Gradient& g, bool focal) {
    r.Align();
    g.Spread = static_cast<SpreadMode>(std::min<uint32_t>(r.UBits(2), 2));
    g.Interpolation = r.UBits(2) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
    const unsigned n = r.UBits(4);
    for (unsigned i = 0; i < n && !r.Overrun(); ++i) {
        GradientStop s;
        s.Ratio = r.U8();
        s.Color = ReadColor(r, version);
        g.Stops.push_back(s);
    }
    if (focal) g.Focal = std::clamp(r.S16() / 256.0, -1.0, 1.0);
}

}  // namespace

FillStyle ReadFillStyle(Reader& r, int version) {
    FillStyle f;
    const uint8_t type = r.U8();
    switch (type) {
        case 0x00:
            f.Color = ReadColor(r, version);
            break;
        case 0x10:
        case 0x12:
        case 0x13:
            f.Kind = type == 0x10 ? FillKind::Linear
                     : type == 0x12 ? FillKind::Radial
                                    : FillKind::Focal;
            f.Matrix = r.ReadMatrix();
            ReadGradient(r, version, f.Gradient, type == 0x13);
            if (f.Gradient.Stops.empty()) f.Kind = FillKind::Solid, f.Color = {0, 0, 0, 0};
            break;
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            f.Kind = FillKind::Bitmap;
            f.BitmapId = r.U16();
            f.Matrix = r.ReadMatrix();
            f.Repeat = type == 0x40 || type == 0x42;
            f.Smooth = type == 0x40 || type == 0x41;
            break;
        default:  // unknown: paints nothing
            f.Color = {0, 0, 0, 0};
            break;
    }
    return f;
}

void ReadFillStyles(Reader& r, int version, std::vector<FillStyle>& out) {
    const size_t n = ReadCount(r, version);
    for (size_t i = 0; i < n && !r.Overrun(); ++i) out.push_back(ReadFillStyle(r, version));
}

void ReadLineStyles(Reader& r, int version, std::vector<LineStyle>& out) {
    const size_t n = ReadCount(r, version);
    for (size_t i = 0; i < n && !r.Overrun(); ++i) {
        LineStyle l;
        l.Width = r.U16();
        if (version >= 4) {
            r.UBits(2);  // start cap
            const uint32_t join = r.UBits(2);
            const bool hasFill = r.UBits(1);
            r.UBits(11);  // scaling flags, hinting, reserved, no-close, end cap
            if (join == 2) r.U16();  // miter limit
            if (hasFill) l.Fill = ReadFillStyle(r, version);
            else l.Fill.Color = r.ReadRgba();
        } else {
            l.Fill.Color = ReadColor(r, version);
        }
        out.push_back(l);
    }
}

void ReadShapeRecords(Reader& r, int version, ShapeDef& shape, bool withStyles, bool keepAll) {
    r.Align();
    unsigned fillBits = r.UBits(4), lineBits = r.UBits(4);
    uint32_t fillBase = 0, lineBase = 0;  // where the current group's styles start
    size_t fillCount = shape.Fills.size(), lineCount = shape.Lines.size();
    int64_t x = 0, y = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    uint16_t group = 0;
    auto global = [](uint32_t local, uint32_t base, size_t count) -> uint32_t {
        return local == 0 || local > count - base ? 0 : base + local;
    };

    while (!r.Overrun()) {
        if (r.UBits(1) == 0) {
            const uint32_t flags = r.UBits(5);
            if (flags == 0) break;  // end of shape
            if (flags & 0x01) {
                const unsigned n = r.UBits(5);
                x = r.SBits(n);
                y = r.SBits(n);
            }
            if (flags & 0x02) fill0 = global(r.UBits(fillBits), fillBase, fillCount);
            if (flags & 0x04) fill1 = global(r.UBits(fillBits), fillBase, fillCount);
            if (flags & 0x08) line = global(r.UBits(lineBits), lineBase, lineCount);
            if ((flags & 0x10) && withStyles) {
                fillBase = static_cast<uint32_t>(shape.Fills.size());
                lineBase = static_cast<uint32_t>(shape.Lines.size());
                ReadFillStyles(r, version, shape.Fills);
                ReadLineStyles(r, version, shape.Lines);
                fillCount = shape.Fills.size(), lineCount = shape.Lines.size();
                fillBits = r.UBits(4), lineBits = r.UBits(4);
                fill0 = fill1 = line = 0;
                if (group < UINT16_MAX) ++group;
            }
            continue;
        }
        Edge e;
        e.X0 = Clamp(x), e.Y0 = Clamp(y);
        if (r.UBits(1)) {  // straight
            const unsigned n = r.UBits(4) + 2;
            int64_t dx = 0, dy = 0;
            if (r.UBits(1)) dx = r.SBits(n), dy = r.SBits(n);
            else if (r.UBits(1)) dy = r.SBits(n);
            else dx = r.SBits(n);
            x = Clamp(x + dx), y = Clamp(y + dy);
        } else {
            const unsigned n = r.UBits(4) + 2;
            const int64_t cx = x + r.SBits(n), cy = y + r.SBits(n);
            x = Clamp(cx + r.SBits(n)), y = Clamp(cy + r.SBits(n));
            e.Curved = true;
            e.CX = Clamp(cx), e.CY = Clamp(cy);
        }
        if (r.Overrun()) break;
        e.X1 = static_cast<int32_t>(x), e.Y1 = static_cast<int32_t>(y);
        e.FillLeft = fill0, e.FillRight = fill1, e.Line = line, e.Group = group;
        if (keepAll || e.FillLeft || e.FillRight || e.Line) shape.Edges.push_back(e);
    }
    shape.Groups = static_cast<uint16_t>(group + 1);
}

ShapeDef ReadShape(Reader& r, int version) {
    ShapeDef shape;
    shape.Bounds = r.ReadRect();
    if (version >= 4) {
        r.ReadRect();  // edge bounds
        const uint8_t flags = r.U8();
        shape.NonZero = flags & 0x04;
    }
    ReadFillStyles(r, version, shape.Fills);
    ReadLineStyles(r, version, shape.Lines);
    ReadShapeRecords(r, version, shape, true);
    return shape;
}

}  // namespace qb::swf
