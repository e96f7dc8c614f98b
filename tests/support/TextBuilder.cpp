#include "tests/support/TextBuilder.h"

#include "tests/support/BitWriter.h"

#include <algorithm>
#include <array>

namespace qb::test {
namespace {

constexpr int kCell = 128;

struct BlockGlyph {
    char Code;
    std::array<const char*, 7> Rows;
};

// clang-format off
const BlockGlyph kBlocks[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'J', {"  ###", "    #", "    #", "    #", "#   #", "#   #", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
    {'4', {"#   #", "#   #", "#   #", "#####", "    #", "    #", "    #"}},
    {'5', {"#####", "#    ", "#    ", "#### ", "    #", "    #", "#### "}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
    {'*', {"     ", "# # #", " ### ", "#####", " ### ", "# # #", "     "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
};
// clang-format on

}  // namespace

void DefineFont2(TagList& tags, uint16_t id, const FontSpec& font, int version) {
    std::vector<Bytes> shapes;
    for (const auto& g : font.Glyphs) shapes.push_back(g.Outline.Glyph());
    // Offsets from the start of the offset table: the table, the code table
    // offset, then the glyphs; wide (32-bit) throughout.
    const size_t tableSize = 4 * (shapes.size() + 1);
    ByteWriter w;
    const uint8_t flags = static_cast<uint8_t>((font.Layout ? 0x80 : 0) | 0x08 | 0x04 | (font.Italic ? 0x02 : 0) |
                                               (font.Bold ? 0x01 : 0));
    w.U16(id).U8(flags).U8(0).U8(static_cast<uint8_t>(font.Name.size()));
    for (char c : font.Name) w.U8(static_cast<uint8_t>(c));
    w.U16(static_cast<uint16_t>(shapes.size()));
    size_t at = tableSize;
    for (const Bytes& s : shapes) {
        w.U32(static_cast<uint32_t>(at));
        at += s.size();
    }
    w.U32(static_cast<uint32_t>(at));
    for (const Bytes& s : shapes) w.Append(s);
    for (const auto& g : font.Glyphs) w.U16(g.Code);
    if (font.Layout) {
        w.U16(font.Ascent).U16(font.Descent).U16(static_cast<uint16_t>(font.Leading));
        for (const auto& g : font.Glyphs) w.U16(static_cast<uint16_t>(g.Advance));
        for (size_t i = 0; i < font.Glyphs.size(); ++i) w.Append(EncodeRect({}));
        w.U16(0);  // no kerning pairs
    }
    tags.Tag(version == 3 ? tag::DefineFont3 : tag::DefineFont2, w.Data(), TagForm::Long);
}

FontSpec BlockFont(const std::string& name) {
    FontSpec font;
    font.Name = name;
    for (const BlockGlyph& b : kBlocks) {
        GlyphSpec g;
        g.Code = static_cast<char16_t>(b.Code);
        g.Advance = 6 * kCell;
        // A rectangle for each run of squares in a row.
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5;) {
                if (b.Rows[row][col] != '#') {
                    ++col;
                    continue;
                }
                int end = col;
                while (end < 5 && b.Rows[row][end] == '#') ++end;
                const int32_t y = (row - 7) * kCell;
                g.Outline.Rect(col * kCell, y, end * kCell, y + kCell, 1);
                col = end;
            }
        font.Glyphs.push_back(std::move(g));
    }
    return font;
}

int BlockFontIndex(char16_t c) {
    for (size_t i = 0; i < std::size(kBlocks); ++i)
        if (static_cast<char16_t>(kBlocks[i].Code) == c) return static_cast<int>(i);
    return -1;
}

void DefineText2(TagList& tags, uint16_t id, const RectTwips& bounds, const MatrixSpec& m,
                 const std::vector<TextRunSpec>& runs) {
    unsigned glyphBits = 1, advanceBits = 1;
    for (const auto& r : runs)
        for (auto [index, advance] : r.Glyphs) {
            glyphBits = std::max(glyphBits, BitWriter::UnsignedBits(index));
            advanceBits = std::max(advanceBits, BitWriter::SignedBits(advance));
        }
    ByteWriter w;
    w.U16(id).Append(EncodeRect(bounds)).Append(EncodeMatrix(m)).U8(static_cast<uint8_t>(glyphBits));
    w.U8(static_cast<uint8_t>(advanceBits));
    for (const auto& r : runs) {
        w.U8(0x8F).U16(r.Font).Rgb(r.Rgba >> 8).U8(r.Rgba & 0xFF);
        w.U16(static_cast<uint16_t>(r.X)).U16(static_cast<uint16_t>(r.Y)).U16(r.Height);
        w.U8(static_cast<uint8_t>(r.Glyphs.size()));
        BitWriter b;
        for (auto [index, advance] : r.Glyphs) {
            b.WriteUnsigned(index, glyphBits);
            b.WriteSigned(advance, advanceBits);
        }
        w.Append(b.Take());
    }
    w.U8(0);
    tags.Tag(tag::DefineText2, w.Data(), TagForm::Long);
}

TextRunSpec BlockRun(uint16_t font, const std::string& text, uint16_t height, int16_t x, int16_t y, uint32_t rgba) {
    TextRunSpec run{.Font = font, .Rgba = rgba, .X = x, .Y = y, .Height = height, .Glyphs = {}};
    for (char c : text) {
        const int index = BlockFontIndex(static_cast<char16_t>(c));
        if (index >= 0) run.Glyphs.push_back({static_cast<uint32_t>(index), 6 * kCell * height / 1024});
    }
    return run;
}

Bytes EncodeEditText(uint16_t id, const EditTextSpec& e) {
    ByteWriter w;
    w.U16(id).Append(EncodeRect(e.Bounds));
    const uint8_t a = static_cast<uint8_t>((e.Text ? 0x80 : 0) | (e.WordWrap ? 0x40 : 0) | (e.Multiline ? 0x20 : 0) |
                                           (e.Password ? 0x10 : 0) | (e.ReadOnly ? 0x08 : 0) | (e.Rgba ? 0x04 : 0) |
                                           (e.MaxLength ? 0x02 : 0) | (e.Font ? 0x01 : 0));
    const uint8_t b = static_cast<uint8_t>((e.FontClass ? 0x80 : 0) | (e.AutoSize ? 0x40 : 0) | (e.Layout ? 0x20 : 0) |
                                           (e.NoSelect ? 0x10 : 0) | (e.Border ? 0x08 : 0) | (e.WasStatic ? 0x04 : 0) |
                                           (e.Html ? 0x02 : 0) | (e.UseOutlines ? 0x01 : 0));
    w.U8(a).U8(b);
    if (e.Font) w.U16(*e.Font);
    if (e.FontClass) w.Text(*e.FontClass);
    if (e.Font || e.FontClass) w.U16(e.Height);
    if (e.Rgba) w.Rgb(*e.Rgba >> 8).U8(*e.Rgba & 0xFF);
    if (e.MaxLength) w.U16(*e.MaxLength);
    if (e.Layout) {
        w.U8(e.Layout->Align).U16(e.Layout->LeftMargin).U16(e.Layout->RightMargin).U16(e.Layout->Indent);
        w.U16(static_cast<uint16_t>(e.Layout->Leading));
    }
    w.Text(e.Variable);
    if (e.Text) w.Text(*e.Text);
    return w.Take();
}

void DefineEditText(TagList& tags, uint16_t id, const EditTextSpec& e) {
    tags.Tag(tag::DefineEditText, EncodeEditText(id, e), TagForm::Long);
}

}  // namespace qb::test
