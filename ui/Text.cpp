#include "ui/Text.h"

#include <cctype>
#include <climits>

namespace qb::ui {
namespace {
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
bool IsSeparatorBlank(char c) { return c >= 1 && c <= ' '; }
}  // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsText(std::string_view prefix, std::string_view text) {
    return text.size() >= prefix.size() && SameText(prefix, text.substr(0, prefix.size()));
}

std::string UpperText(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = Upper(c);
    return s;
}

bool TryStrToInt(std::string_view s, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > (long long)INT_MAX + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) {
        // Hexadecimal spellings of negative numbers (0xFFFFFFFF) wrap, as they
        // do in the classic conversion routines.
        if (base == 16 && !negative && v <= 0xFFFFFFFFLL) v = (long long)(int)(unsigned)v;
        else return false;
    }
    value = (int)v;
    return true;
}

std::vector<std::string> ParseCommaText(std::string_view t) {
    std::vector<std::string> items;
    size_t i = 0;
    while (i < t.size() && IsSeparatorBlank(t[i])) ++i;
    while (i < t.size()) {
        std::string item;
        if (t[i] == '"') {
            ++i;
            while (i < t.size()) {
                if (t[i] == '"') {
                    if (i + 1 < t.size() && t[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += t[i++];
            }
        } else {
            while (i < t.size() && t[i] != ',' && !IsSeparatorBlank(t[i])) item += t[i++];
        }
        items.push_back(std::move(item));
        while (i < t.size() && IsSeparatorBlank(t[i])) ++i;
        if (i < t.size() && t[i] == ',') {
            // A comma that ends the text still opens one (empty) item.
            if (i + 1 == t.size()) items.emplace_back();
            ++i;
            while (i < t.size() && IsSeparatorBlank(t[i])) ++i;
        }
    }
    return items;
}

char AcceleratorOf(std::string_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return Upper(caption[i + 1]);
    }
    return 0;
}

bool IsAccelerator(char ch, std::string_view caption) {
    char a = AcceleratorOf(caption);
    return a != 0 && a == Upper(ch);
}

}  // namespace qb::ui
