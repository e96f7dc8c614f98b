#include "flash/movie/Morph.h"

#include "flash/swf/Reader.h"

#include <algorithm>
#include <cmath>

namespace qb::movie {
namespace {

size_t ReadCount(swf::Reader& r) {
    size_t n = r.U8();
    if (n == 0xFF) n = r.U16();
    return n;
}

// A morph fill style is two fill styles read interleaved.
void ReadMorphFill(swf::Reader& r, swf::FillStyle& a, swf::FillStyle& b) {
    using K = swf::FillKind;
    const uint8_t type = r.U8();
    if (type == 0x00) {
        a.Color = r.ReadRgba();
        b.Color = r.ReadRgba();
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        a.Kind = b.Kind = type == 0x10 ? K::Linear : K::Radial;
        a.Matrix = r.ReadMatrix();
        b.Matrix = r.ReadMatrix();
        r.Align();
        const uint8_t flags = r.U8();
        a.Gradient.Spread = b.Gradient.Spread = static_cast<swf::SpreadMode>(std::min(flags >> 6, 2));
        const unsigned n = flags & 0x0F;
        for (unsigned i = 0; i < n && !r.Overrun(); ++i) {
            swf::GradientStop sa, sb;
            sa.Ratio = r.U8(), sa.Color = r.ReadRgba();
            sb.Ratio = r.U8(), sb.Color = r.ReadRgba();
            a.Gradient.Stops.push_back(sa);
            b.Gradient.Stops.push_back(sb);
        }
        if (type == 0x13) r.S16(), r.S16();  // focal points: drawn as radial
        if (a.Gradient.Stops.empty()) {
            swf::FillStyle none;
            none.Color = {0, 0, 0, 0};
            a = b = none;
        }
    } else if (type >= 0x40 && type <= 0x43) {
        a.Kind = b.Kind = K::Bitmap;
        a.BitmapId = b.BitmapId = r.U16();
        a.Matrix = r.ReadMatrix();
        b.Matrix = r.ReadMatrix();
        a.Repeat = b.Repeat = type == 0x40 || type == 0x42;
        a.Smooth = b.Smooth = type == 0x40 || type == 0x41;
    } else {
        a.Color = b.Color = {0, 0, 0, 0};
    }
}

double Lerp(double a, double b, double t) { return a + (b - a) * t; }
int32_t LerpI(int32_t a, int32_t b, double t) { return static_cast<int32_t>(std::lround(Lerp(a, b, t))); }
uint8_t Lerp8(uint8_t a, uint8_t b, double t) { return static_cast<uint8_t>(std::lround(Lerp(a, b, t))); }
swf::Rgba LerpColor(swf::Rgba a, swf::Rgba b, double t) {
    return {Lerp8(a.R, b.R, t), Lerp8(a.G, b.G, t), Lerp8(a.B, b.B, t), Lerp8(a.A, b.A, t)};
}
swf::Matrix LerpMatrix(const swf::Matrix& a, const swf::Matrix& b, double t) {
    return {Lerp(a.A, b.A, t), Lerp(a.B, b.B, t), Lerp(a.C, b.C, t), Lerp(a.D, b.D, t), Lerp(a.Tx, b.Tx, t),
            Lerp(a.Ty, b.Ty, t)};
}
swf::FillStyle LerpFill(const swf::FillStyle& a, const swf::FillStyle& b, double t) {
    swf::FillStyle f = a;
    f.Color = LerpColor(a.Color, b.Color, t);
    f.Matrix = LerpMatrix(a.Matrix, b.Matrix, t);
    for (size_t i = 0; i < f.Gradient.Stops.size() && i < b.Gradient.Stops.size(); ++i) {
        f.Gradient.Stops[i].Ratio = Lerp8(a.Gradient.Stops[i].Ratio, b.Gradient.Stops[i].Ratio, t);
        f.Gradient.Stops[i].Color = LerpColor(a.Gradient.Stops[i].Color, b.Gradient.Stops[i].Color, t);
    }
    return f;
}

}  // namespace

MorphDef ReadMorph(swf::Reader& r, int version) {
    MorphDef m;
    m.Start.Bounds = r.ReadRect();
    m.End.Bounds = r.ReadRect();
    if (version >= 2) {
        r.ReadRect();
        r.ReadRect();
        r.U8();
    }
    const uint32_t offset = r.U32();
    const size_t endEdgesAt = r.Position() + offset;
    for (size_t i = 0, n = ReadCount(r); i < n && !r.Overrun(); ++i) {
        swf::FillStyle a, b;
        ReadMorphFill(r, a, b);
        m.Start.Fills.push_back(a);
        m.End.Fills.push_back(b);
    }
    for (size_t i = 0, n = ReadCount(r); i < n && !r.Overrun(); ++i) {
        swf::LineStyle a, b;
        a.Width = r.U16();
        b.Width = r.U16();
        if (version >= 2) {
            r.UBits(2);
            const uint32_t join = r.UBits(2);
            const bool hasFill = r.UBits(1);
            r.UBits(11);
            if (join == 2) r.U16();
            if (hasFill) ReadMorphFill(r, a.Fill, b.Fill);
            else a.Fill.Color = r.ReadRgba(), b.Fill.Color = r.ReadRgba();
        } else {
            a.Fill.Color = r.ReadRgba();
            b.Fill.Color = r.ReadRgba();
        }
        m.Start.Lines.push_back(a);
        m.End.Lines.push_back(b);
    }
    swf::ReadShapeRecords(r, 3, m.Start, false, true);
    r.Seek(endEdgesAt);
    swf::ReadShapeRecords(r, 3, m.End, false, true);
    return m;
}

swf::ShapeDef MorphDef::At(uint16_t ratio) const {
    const double t = ratio / 65535.0;
    swf::ShapeDef s;
    s.Bounds = {LerpI(Start.Bounds.XMin, End.Bounds.XMin, t), LerpI(Start.Bounds.XMax, End.Bounds.XMax, t),
                LerpI(Start.Bounds.YMin, End.Bounds.YMin, t), LerpI(Start.Bounds.YMax, End.Bounds.YMax, t)};
    for (size_t i = 0; i < Start.Fills.size(); ++i)
        s.Fills.push_back(i < End.Fills.size() ? LerpFill(Start.Fills[i], End.Fills[i], t) : Start.Fills[i]);
    for (size_t i = 0; i < Start.Lines.size(); ++i) {
        swf::LineStyle l = Start.Lines[i];
        if (i < End.Lines.size()) {
            l.Width = LerpI(Start.Lines[i].Width, End.Lines[i].Width, t);
            l.Fill = LerpFill(Start.Lines[i].Fill, End.Lines[i].Fill, t);
        }
        s.Lines.push_back(l);
    }
    for (size_t i = 0; i < Start.Edges.size(); ++i) {
        swf::Edge e = Start.Edges[i];
        if (i < End.Edges.size()) {
            const swf::Edge& b = End.Edges[i];
            auto control = [](const swf::Edge& x, int32_t& cx, int32_t& cy) {
                if (x.Curved) cx = x.CX, cy = x.CY;
                else cx = (x.X0 + x.X1) / 2, cy = (x.Y0 + x.Y1) / 2;
            };
            int32_t acx, acy, bcx, bcy;
            control(e, acx, acy);
            control(b, bcx, bcy);
            e.Curved = e.Curved || b.Curved;
            e.X0 = LerpI(e.X0, b.X0, t), e.Y0 = LerpI(e.Y0, b.Y0, t);
            e.X1 = LerpI(e.X1, b.X1, t), e.Y1 = LerpI(e.Y1, b.Y1, t);
            e.CX = LerpI(acx, bcx, t), e.CY = LerpI(acy, bcy, t);
        }
        if (e.FillLeft || e.FillRight || e.Line) s.Edges.push_back(e);
    }
    return s;
}

}  // namespace qb::movie
