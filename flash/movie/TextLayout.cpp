#include "flash/movie/TextLayout.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qb::movie {
namespace {

char32_t Lower(char32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool StartsWith(std::u32string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != static_cast<char32_t>(prefix[i])) return false;
    return true;
}

bool IsSpace(char32_t c) { return c == ' ' || c == '\t'; }

}  // namespace

std::u32string DecodeText(std::string_view bytes, bool utf8) {
    std::u32string out;
    for (size_t i = 0; i < bytes.size() && out.size() < kMaxFieldChars;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const int extra = !utf8 || b < 0xC0 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF8 ? 3 : 0;
        char32_t c = extra ? b & (0x3F >> extra) : b;
        bool ok = i + extra < bytes.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(bytes[i + k]);
            ok = (n & 0xC0) == 0x80;
            c = c << 6 | (n & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            out.push_back(b);
            ++i;
            continue;
        }
        out.push_back(c);
        i += 1 + extra;
    }
    return out;
}

std::u32string StripHtml(std::u32string_view html) {
    static constexpr std::array<std::pair<std::string_view, char32_t>, 6> kEntities{
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", 0xA0}}};
    std::u32string out;
    for (size_t i = 0; i < html.size();) {
        const auto rest = html.substr(i);
        if (html[i] == '<') {
            const size_t close = html.find('>', i);
            if (close == std::u32string_view::npos) break;  // a cut-off tag shows nothing
            if (StartsWith(rest, "<br") || StartsWith(rest, "</p") || StartsWith(rest, "</li")) out.push_back('\n');
            i = close + 1;
            continue;
        }
        if (html[i] == '&') {
            auto known = std::find_if(kEntities.begin(), kEntities.end(),
                                      [&](const auto& e) { return StartsWith(rest, e.first); });
            if (known != kEntities.end()) {
                out.push_back(known->second);
                i += known->first.size();
                continue;
            }
        }
        out.push_back(html[i++]);
    }
    // A paragraph's end closes the text without opening an empty line.
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::vector<TextLine> LayoutLines(std::u32string_view text, const LayoutParams& p,
                                  const std::function<double(char32_t)>& advance) {
    std::vector<TextLine> lines;
    auto finish = [&](std::u32string_view chars, bool firstOfParagraph) {
        // Spaces ending a wrapped line take no room.
        size_t shown = chars.size();
        while (shown > 0 && IsSpace(chars[shown - 1])) --shown;
        double width = 0;
        for (size_t i = 0; i < shown; ++i) width += advance(chars[i]);
        const double indent = firstOfParagraph ? p.Indent : 0;
        const double room = p.Width - p.LeftMargin - p.RightMargin - indent;
        double x = p.LeftMargin + indent;
        if (p.Align == TextAlign::Right) x += room - width;
        else if (p.Align == TextAlign::Center) x += (room - width) / 2;
        TextLine line;
        for (size_t i = 0; i < shown; ++i) {
            line.Chars.push_back(chars[i]);
            line.X.push_back(x);
            x += advance(chars[i]);
        }
        lines.push_back(std::move(line));
    };
    auto paragraph = [&](std::u32string_view para) {
        bool first = true;
        while (true) {
            const double room = p.Width - p.LeftMargin - p.RightMargin - (first ? p.Indent : 0);
            size_t end = para.size();
            if (p.WordWrap) {
                double x = 0;
                size_t lastBreak = 0;  // just after the last space seen
                for (size_t i = 0; i < para.size(); ++i) {
                    if (IsSpace(para[i])) {
                        lastBreak = i + 1;
                        x += advance(para[i]);
                        continue;
                    }
                    x += advance(para[i]);
                    if (x > room && i > 0) {
                        end = lastBreak ? lastBreak : i;
                        break;
                    }
                }
            }
            finish(para.substr(0, end), first);
            if (end >= para.size()) return;
            para = para.substr(end);
            first = false;
        }
    };
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !(text[i] == '\n' && p.Multiline)) continue;
        paragraph(text.substr(start, i - start));
        start = i + 1;
    }
    return lines;
}

}  // namespace qb::movie
