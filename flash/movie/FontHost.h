#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

namespace qb::movie {

// A face of the host's fonts, as a movie names it ("_sans", "Arial", ...).
struct FontFace {
    std::string Name;
    bool Bold = false, Italic = false;
    auto operator<=>(const FontFace&) const = default;
};

// A character's outline in a host font, in units of an em of kEm with the
// baseline at y 0 and y growing downwards; every edge fills with style 1.
// The face's ascent and descent come along (same units), for laying out
// lines.
struct HostGlyph {
    swf::ShapeDef Outline;
    double Advance = 0;
    double Ascent = 0, Descent = 0;
};

// Where text in device fonts (a movie that names a font without embedding
// its outlines) gets its outlines: the platform's fonts. Called from the
// drawing threads of every movie shown, so it must be safe to call from
// several threads at once.
class FontHost {
public:
    static constexpr double kEm = 1024;
    virtual ~FontHost() = default;
    // Nothing when there is no such face and no fallback, or it lacks the
    // character.
    virtual std::optional<HostGlyph> Glyph(const FontFace& face, char32_t c) const = 0;
};

// Writes a host glyph's contours as edges: points in em units of kEm, y
// down. Each contour closes itself back to where it started.
class OutlinePen {
public:
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void QuadTo(double cx, double cy, double x, double y);
    // A cubic arc, as two quadratic ones (close enough at glyph sizes).
    void CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    void Close();
    swf::ShapeDef Take();

private:
    void Edge(bool curved, double cx, double cy, double x, double y);
    swf::ShapeDef shape_;
    double x_ = 0, y_ = 0, startX_ = 0, startY_ = 0;
    bool open_ = false;
};

// One renderer's memory of the host's glyphs: each (face, character) is
// asked once. Not shared between threads.
class HostGlyphCache {
public:
    explicit HostGlyphCache(std::shared_ptr<const FontHost> host) : host_(std::move(host)) {}
    // Null when the host has no glyph for it (or there is no host).
    const HostGlyph* Find(const FontFace& face, char32_t c);

    // Distinct glyphs kept before the cache starts over: a movie cycling
    // through every character of a large font stays bounded.
    static constexpr size_t kMaxGlyphs = 8192;

private:
    std::shared_ptr<const FontHost> host_;
    std::map<std::pair<FontFace, char32_t>, std::optional<HostGlyph>> glyphs_;
};

}  // namespace qb::movie
