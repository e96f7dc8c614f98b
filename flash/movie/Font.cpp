#include "flash/movie/Font.h"

#include "flash/swf/Reader.h"

#include <algorithm>

namespace qb::movie {
namespace {

// A glyph outline: a SHAPE record without styles of its own; style 1 is the
// text colour.
swf::ShapeDef ReadGlyph(std::span<const uint8_t> bytes) {
    swf::Reader r(bytes);
    swf::ShapeDef g;
    g.Fills.emplace_back();
    swf::ReadShapeRecords(r, 1, g, false);
    return g;
}

void ReadCodes(swf::Reader& r, bool wide, size_t count, FontDef& font) {
    font.Codes.clear();
    for (size_t i = 0; i < count && !r.AtEnd(); ++i) font.Codes.push_back(wide ? r.U16() : r.U8());
}

}  // namespace

int FontDef::IndexOf(char32_t c) const {
    auto it = index_.find(c);
    return it == index_.end() ? -1 : it->second;
}

void FontDef::Index() {
    outlined_ = std::any_of(Glyphs.begin(), Glyphs.end(), [](const swf::ShapeDef& g) { return !g.Edges.empty(); });
    index_.clear();
    // The first glyph of a code wins, as a table with repeats would be read.
    for (size_t i = 0; i < Codes.size(); ++i) index_.emplace(Codes[i], static_cast<int>(i));
}

namespace {

void ReadFontBody(swf::Reader& r, int version, FontDef& font) {
    const size_t start = r.Position();
    const auto body = r.Rest();
    if (version == 1) {
        // An offset table, then the glyphs; the first offset says how many.
        if (body.size() < 2) return;
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
        return;
    }
    const uint8_t flags = r.U8();
    r.U8();  // language
    const auto name = r.Take(r.U8());
    font.Name.assign(name.begin(), name.end());
    while (!font.Name.empty() && font.Name.back() == '\0') font.Name.pop_back();
    font.Bold = flags & 0x01;
    font.Italic = flags & 0x02;
    const uint16_t count = r.U16();
    const bool wideOffsets = flags & 0x08;
    const size_t tableAt = r.Position();
    std::vector<uint32_t> offsets;
    for (uint16_t i = 0; i < count && !r.Overrun(); ++i) offsets.push_back(wideOffsets ? r.U32() : r.U16());
    const uint32_t codesAt = count ? (wideOffsets ? r.U32() : r.U16()) : 0;
    // Offsets count from the start of their own table.
    const auto table = body.subspan(std::min(tableAt - start, body.size()));
    for (size_t i = 0; i < offsets.size(); ++i) {
        const size_t from = offsets[i], to = i + 1 < offsets.size() ? offsets[i + 1] : codesAt;
        if (from >= to || to > table.size()) font.Glyphs.emplace_back();
        else font.Glyphs.push_back(ReadGlyph(table.subspan(from, to - from)));
    }
    if (version == 3) font.EmSize = 1024 * 20;
    if (count == 0 || r.Overrun() || codesAt > table.size()) return;
    swf::Reader codes(table.subspan(codesAt));
    ReadCodes(codes, flags & 0x04, count, font);
    if (!(flags & 0x80)) return;
    font.Ascent = codes.U16();
    font.Descent = codes.U16();
    font.Leading = codes.S16();
    for (uint16_t i = 0; i < count && !codes.AtEnd(); ++i) font.Advances.push_back(codes.S16());
    // Glyph bounds and kerning follow; the outlines already tell the bounds.
    if (codes.Overrun()) font.Advances.clear();
}

}  // namespace

FontDef ReadFont(swf::Reader& r, int version) {
    FontDef font;
    ReadFontBody(r, version, font);
    font.Index();
    return font;
}

void ReadFontInfo(swf::Reader& r, int version, FontDef& font) {
    const auto name = r.Take(r.U8());
    font.Name.assign(name.begin(), name.end());
    while (!font.Name.empty() && font.Name.back() == '\0') font.Name.pop_back();
    const uint8_t flags = r.U8();
    font.Italic = flags & 0x04;
    font.Bold = flags & 0x02;
    if (version == 2) r.U8();  // language
    // A font without glyphs (text in a device font) has as many codes as
    // the tag holds.
    ReadCodes(r, version == 2 || (flags & 0x01), font.Glyphs.empty() ? SIZE_MAX : font.Glyphs.size(), font);
    font.Index();
}

}  // namespace qb::movie
