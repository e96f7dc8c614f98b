#include "flash/movie/Text.h"

#include "flash/swf/Reader.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace qb::movie {
namespace {

// Glyph outlines one text may copy (a short text in a detailed font is
// far below; a hostile one repeating a huge glyph stops here).
constexpr size_t kMaxTextEdges = 1 << 20;

// A glyph outline: a SHAPE record without styles of its own; style 1 is the
// text colour.
swf::ShapeDef ReadGlyph(std::span<const uint8_t> bytes) {
    swf::Reader r(bytes);
    swf::ShapeDef g;
    g.Fills.emplace_back();
    swf::ReadShapeRecords(r, 1, g, false);
    return g;
}

}  // namespace

FontDef ReadFont(swf::Reader& r, int version) {
    FontDef font;
    const size_t start = r.Position();
    const auto body = r.Rest();
    if (version == 1) {
        // An offset table, then the glyphs; the first offset says how many.
        swf::Reader t(body);
        const uint16_t first = t.U16();
        const size_t count = std::min<size_t>(first / 2, body.size() / 2);
        std::vector<uint16_t> offsets{first};
        for (size_t i = 1; i < count; ++i) offsets.push_back(t.U16());
        for (size_t i = 0; i < count; ++i) {
            const size_t from = offsets[i], to = i + 1 < count ? offsets[i + 1] : body.size();
            if (from >= to || to > body.size()) font.Glyphs.emplace_back();
            else font.Glyphs.push_back(ReadGlyph(body.subspan(from, to - from)));
        }
        return font;
    }
    const uint8_t flags = r.U8();
    r.U8();  // language
    r.Skip(r.U8());  // name
    const uint16_t count = r.U16();
    const bool wide = flags & 0x08;
    const size_t tableAt = r.Position();
    std::vector<uint32_t> offsets;
    for (uint16_t i = 0; i < count && !r.Overrun(); ++i) offsets.push_back(wide ? r.U32() : r.U16());
    const uint32_t codesAt = wide ? r.U32() : r.U16();
    // Offsets count from the start of their own table.
    const auto table = body.subspan(std::min(tableAt - start, body.size()));
    for (size_t i = 0; i < offsets.size(); ++i) {
        const size_t from = offsets[i], to = i + 1 < offsets.size() ? offsets[i + 1] : codesAt;
        if (from >= to || to > table.size()) font.Glyphs.emplace_back();
        else font.Glyphs.push_back(ReadGlyph(table.subspan(from, to - from)));
    }
    if (version == 3) font.EmSize = 1024 * 20;
    return font;
}

swf::ShapeDef ReadStaticText(swf::Reader& r, int version, const std::unordered_map<uint16_t, FontDef>& fonts) {
    swf::ShapeDef text;
    text.Bounds = r.ReadRect();
    const swf::Matrix m = r.ReadMatrix();
    const unsigned glyphBits = r.U8(), advanceBits = r.U8();
    if (glyphBits > 32 || advanceBits > 32) return text;
    const FontDef* font = nullptr;
    double height = 0, x = 0, y = 0;
    std::map<uint32_t, uint32_t> styleOf;  // colour to fill style number
    uint32_t style = 0;
    for (;;) {
        const uint8_t flags = r.U8();
        if (r.Overrun() || flags == 0) break;
        if (flags & 0x08) {
            auto it = fonts.find(r.U16());
            font = it == fonts.end() ? nullptr : &it->second;
        }
        if (flags & 0x04) {
            const swf::Rgba c = version >= 2 ? r.ReadRgba() : r.ReadRgb();
            const uint32_t key = uint32_t{c.R} << 24 | c.G << 16 | c.B << 8 | c.A;
            auto [it, added] = styleOf.emplace(key, static_cast<uint32_t>(text.Fills.size() + 1));
            if (added) {
                swf::FillStyle f;
                f.Color = c;
                text.Fills.push_back(f);
            }
            style = it->second;
        }
        if (flags & 0x01) x = r.S16();
        if (flags & 0x02) y = r.S16();
        if (flags & 0x08) height = r.U16();
        const uint8_t count = r.U8();
        for (uint8_t i = 0; i < count && !r.Overrun(); ++i) {
            const uint32_t index = r.UBits(glyphBits);
            const int32_t advance = r.SBits(advanceBits);
            if (font && style && index < font->Glyphs.size() && text.Edges.size() < kMaxTextEdges) {
                // Glyph units to text space, then the text's matrix.
                const double k = height / font->EmSize;
                const swf::Matrix g = m * swf::Matrix{k, 0, 0, k, x, y};
                auto put = [&](int32_t px, int32_t py, int32_t& ox, int32_t& oy) {
                    double tx, ty;
                    g.Apply(px, py, tx, ty);
                    ox = static_cast<int32_t>(std::lround(std::clamp(tx, -1e9, 1e9)));
                    oy = static_cast<int32_t>(std::lround(std::clamp(ty, -1e9, 1e9)));
                };
                for (swf::Edge e : font->Glyphs[index].Edges) {
                    put(e.X0, e.Y0, e.X0, e.Y0);
                    put(e.X1, e.Y1, e.X1, e.Y1);
                    put(e.CX, e.CY, e.CX, e.CY);
                    e.FillLeft = e.FillLeft ? style : 0;
                    e.FillRight = e.FillRight ? style : 0;
                    e.Line = 0;
                    e.Group = 0;
                    text.Edges.push_back(e);
                }
            }
            x += advance;
        }
        r.Align();
    }
    // The outline decides where the text lies.
    if (!text.Edges.empty()) {
        swf::Rect b{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
        auto grow = [&b](int32_t px, int32_t py) {
            b.XMin = std::min(b.XMin, px), b.XMax = std::max(b.XMax, px);
            b.YMin = std::min(b.YMin, py), b.YMax = std::max(b.YMax, py);
        };
        for (const auto& e : text.Edges) {
            grow(e.X0, e.Y0);
            grow(e.X1, e.Y1);
            if (e.Curved) grow(e.CX, e.CY);
        }
        text.Bounds = b;
    }
    return text;
}

}  // namespace qb::movie
