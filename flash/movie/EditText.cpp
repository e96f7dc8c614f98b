#include "flash/movie/EditText.h"

#include "flash/movie/GlyphShape.h"
#include "flash/swf/Reader.h"

#include <algorithm>
#include <vector>

namespace qb::movie {
namespace {

// Text fields keep two pixels between their frame and their text.
constexpr double kGutter = 40;

// Where a field's glyphs come from: the embedded font's outlines and
// advances, or the host's face of the same name.
class FieldFont {
public:
    FieldFont(const EditTextDef& field, HostGlyphCache* host) : field_(field), host_(host) {
        embedded_ = field.UseOutlines && field.Font && field.Font->HasOutlines() ? field.Font.get() : nullptr;
        face_.Name = field.Font && !field.Font->Name.empty() ? field.Font->Name
                     : !field.FontClass.empty()                ? field.FontClass
                                                               : "_sans";
        face_.Bold = field.Font && field.Font->Bold;
        face_.Italic = field.Font && field.Font->Italic;
        const double h = field.FontHeight;
        if (embedded_ && embedded_->Ascent > 0) {
            ascent_ = embedded_->Ascent * h / embedded_->EmSize;
            descent_ = embedded_->Descent * h / embedded_->EmSize;
        } else if (const HostGlyph* g = !embedded_ && host_ ? host_->Find(face_, 'A') : nullptr; g && g->Ascent > 0) {
            ascent_ = g->Ascent * h / FontHost::kEm;
            descent_ = g->Descent * h / FontHost::kEm;
        } else {
            ascent_ = h * 0.9, descent_ = h * 0.22;
        }
    }

    bool Usable() const { return embedded_ || host_; }
    double Ascent() const { return ascent_; }
    double LineHeight() const { return ascent_ + descent_ + field_.Leading; }

    double Advance(char32_t c) const {
        const double h = field_.FontHeight;
        if (embedded_) {
            const int i = embedded_->IndexOf(c);
            if (i < 0) return 0;
            if (static_cast<size_t>(i) < embedded_->Advances.size()) return embedded_->Advances[i] * h / embedded_->EmSize;
            // No layout: the glyph's own width stands in.
            int32_t right = 0;
            for (const auto& e : embedded_->Glyphs[i].Edges) right = std::max({right, e.X0, e.X1});
            return right * h / embedded_->EmSize;
        }
        const HostGlyph* g = host_ ? host_->Find(face_, c) : nullptr;
        return g ? g->Advance * h / FontHost::kEm : 0;
    }

    // Puts the glyph of `c` with its origin at x, y (twips, field space).
    void Draw(GlyphShape& out, char32_t c, double x, double y, uint32_t style, uint16_t group) const {
        const double h = field_.FontHeight;
        if (embedded_) {
            const int i = embedded_->IndexOf(c);
            if (i < 0) return;
            const double k = h / embedded_->EmSize;
            out.Add(embedded_->Glyphs[i], {k, 0, 0, k, x, y}, style, group, true);
        } else if (const HostGlyph* g = host_ ? host_->Find(face_, c) : nullptr) {
            const double k = h / FontHost::kEm;
            out.Add(g->Outline, {k, 0, 0, k, x, y}, style, group);
        }
    }

private:
    const EditTextDef& field_;
    HostGlyphCache* host_;
    const FontDef* embedded_ = nullptr;
    FontFace face_;
    double ascent_ = 0, descent_ = 0;
};

void AddBorder(GlyphShape& out, const swf::Rect& b) {
    const uint32_t fill = out.Style({255, 255, 255, 255});
    swf::LineStyle frame;  // hairline: a pixel wide at any scale
    frame.Width = 0;
    frame.Fill.Color = {0, 0, 0, 255};
    out.Shape().Lines.push_back(frame);
    const auto line = static_cast<uint32_t>(out.Shape().Lines.size());
    const int32_t xs[] = {b.XMin, b.XMax, b.XMax, b.XMin}, ys[] = {b.YMin, b.YMin, b.YMax, b.YMax};
    for (int i = 0; i < 4; ++i) {
        swf::Edge e;
        e.X0 = xs[i], e.Y0 = ys[i], e.X1 = xs[(i + 1) % 4], e.Y1 = ys[(i + 1) % 4];
        e.FillRight = fill;  // clockwise with y down: the inside is on the right
        e.Line = line;
        out.AddBackdrop(e);
    }
}

}  // namespace

EditTextDef ReadEditText(swf::Reader& r, const FontTable& fonts) {
    EditTextDef f;
    f.Bounds = r.ReadRect();
    const uint8_t a = r.U8(), b = r.U8();
    f.HasText = a & 0x80, f.WordWrap = a & 0x40, f.Multiline = a & 0x20, f.Password = a & 0x10;
    f.ReadOnly = a & 0x08;
    const bool hasColor = a & 0x04, hasMaxLength = a & 0x02, hasFont = a & 0x01;
    const bool hasFontClass = b & 0x80, hasLayout = b & 0x20;
    f.AutoSize = b & 0x40, f.NoSelect = b & 0x10, f.Border = b & 0x08, f.WasStatic = b & 0x04;
    f.Html = b & 0x02, f.UseOutlines = b & 0x01;
    if (hasFont) {
        auto it = fonts.find(r.U16());
        if (it != fonts.end()) f.Font = it->second;
    }
    if (hasFontClass) f.FontClass = r.String();
    if (hasFont || hasFontClass) f.FontHeight = r.U16();
    if (hasColor) f.Color = r.ReadRgba();
    if (hasMaxLength) f.MaxLength = r.U16();
    if (hasLayout) {
        f.Align = static_cast<TextAlign>(std::min<uint8_t>(r.U8(), 3));
        f.LeftMargin = r.U16();
        f.RightMargin = r.U16();
        f.Indent = r.U16();
        f.Leading = r.S16();
    }
    f.VariableName = r.String();
    if (f.HasText) f.InitialText = r.String();
    return f;
}

std::u32string ShownText(const EditTextDef& field, std::string_view text, bool utf8) {
    std::u32string s = DecodeText(text, utf8);
    if (field.Html) s = StripHtml(s);
    // Line ends as any system writes them.
    std::u32string t;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n') continue;
            t.push_back('\n');
        } else {
            t.push_back(s[i]);
        }
    }
    if (!field.Multiline) std::erase(t, U'\n');
    if (field.MaxLength && t.size() > field.MaxLength) t.resize(field.MaxLength);
    if (field.Password)
        for (char32_t& c : t)
            if (c != '\n') c = '*';
    return t;
}

TextShape BuildEditText(const EditTextDef& field, std::string_view text, bool utf8, HostGlyphCache* host) {
    GlyphShape out;
    if (field.Border) AddBorder(out, field.Bounds);
    const FieldFont font(field, host);
    if (!font.Usable()) return out.Finish();
    LayoutParams p;
    p.Width = field.Bounds.Width() - 2 * kGutter;
    p.WordWrap = field.WordWrap;
    p.Multiline = field.Multiline;
    p.Align = field.Align;
    p.LeftMargin = field.LeftMargin, p.RightMargin = field.RightMargin, p.Indent = field.Indent;
    const std::u32string shown = ShownText(field, text, utf8);
    const auto lines = LayoutLines(shown, p, [&font](char32_t c) { return font.Advance(c); });
    const uint32_t style = out.Style(field.Color);
    const uint16_t group = field.Border ? 1 : 0;
    const double left = field.Bounds.XMin + kGutter, top = field.Bounds.YMin + kGutter;
    // A line height of zero or less still moves down, so lines stay apart.
    const double step = std::max(1.0, font.LineHeight());
    for (size_t n = 0; n < lines.size(); ++n) {
        const double lineTop = top + static_cast<double>(n) * step;
        // The lines below the field are hidden, unless the field grows to
        // fit its text.
        if (lineTop >= field.Bounds.YMax && !field.AutoSize) break;
        const double baseline = lineTop + font.Ascent();
        for (size_t i = 0; i < lines[n].Chars.size(); ++i)
            font.Draw(out, lines[n].Chars[i], left + lines[n].X[i], baseline, style, group);
    }
    return out.Finish();
}

}  // namespace qb::movie
