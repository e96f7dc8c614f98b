#include "flash/movie/Text.h"

#include "flash/movie/GlyphShape.h"
#include "flash/swf/Reader.h"

#include <algorithm>

namespace qb::movie {

bool StaticTextDef::NeedsHost() const {
    return std::any_of(Fonts.begin(), Fonts.end(), [](const auto& f) { return !f->HasOutlines(); });
}

StaticTextDef ReadStaticText(swf::Reader& r, int version, const FontTable& fonts) {
    StaticTextDef text;
    r.ReadRect();  // the outline decides where the text lies
    text.Matrix = r.ReadMatrix();
    const unsigned glyphBits = r.U8(), advanceBits = r.U8();
    if (glyphBits > 32 || advanceBits > 32) return text;
    const FontDef* font = nullptr;
    double height = 0, x = 0, y = 0;
    swf::Rgba color;
    bool colored = false;
    for (;;) {
        const uint8_t flags = r.U8();
        if (r.Overrun() || flags == 0) break;
        if (flags & 0x08) {
            auto it = fonts.find(r.U16());
            font = it == fonts.end() ? nullptr : it->second.get();
            if (font && std::none_of(text.Fonts.begin(), text.Fonts.end(), [&](const auto& f) { return f.get() == font; }))
                text.Fonts.push_back(it->second);
        }
        if (flags & 0x04) {
            color = version >= 2 ? r.ReadRgba() : r.ReadRgb();
            colored = true;
        }
        if (flags & 0x01) x = r.S16();
        if (flags & 0x02) y = r.S16();
        if (flags & 0x08) height = r.U16();
        const uint8_t count = r.U8();
        for (uint8_t i = 0; i < count && !r.Overrun(); ++i) {
            const uint32_t index = r.UBits(glyphBits);
            const int32_t advance = r.SBits(advanceBits);
            if (font && colored && text.Glyphs.size() < GlyphShape::kMaxEdges)
                text.Glyphs.push_back({font, index, x, y, height, color});
            x += advance;
        }
        r.Align();
    }
    return text;
}

TextShape BuildStaticText(const StaticTextDef& text, HostGlyphCache* host) {
    GlyphShape out;
    for (const auto& g : text.Glyphs) {
        const FontDef& font = *g.Font;
        if (font.HasOutlines()) {
            if (g.Index >= font.Glyphs.size()) continue;
            const double k = g.Height / font.EmSize;
            out.Add(font.Glyphs[g.Index], text.Matrix * swf::Matrix{k, 0, 0, k, g.X, g.Y}, out.Style(g.Color), 0, true);
        } else if (host && g.Index < font.Codes.size()) {
            // The host's outline of the character the glyph stands for.
            const HostGlyph* hg = host->Find({font.Name, font.Bold, font.Italic}, font.Codes[g.Index]);
            if (!hg) continue;
            const double k = g.Height / FontHost::kEm;
            out.Add(hg->Outline, text.Matrix * swf::Matrix{k, 0, 0, k, g.X, g.Y}, out.Style(g.Color));
        }
    }
    return out.Finish();
}

}  // namespace qb::movie
