#pragma once
#include "flash/render/Compositor.h"
#include "flash/render/GlyphCoverage.h"
#include "flash/render/Image.h"
#include "flash/render/Paint.h"
#include "flash/render/Rasterizer.h"
#include "flash/render/Stroker.h"
#include "flash/swf/Shape.h"

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

namespace qb::render {

using BitmapLookup = std::function<const Image*(uint16_t id)>;

// Draws shapes into an image or a mask. One per canvas; it keeps its
// buffers between draws so a frame allocates nothing once warmed up.
class ShapeDrawer {
public:
    ShapeDrawer(Quality quality, BitmapLookup bitmaps) : quality_(quality), bitmaps_(std::move(bitmaps)) {}
    // The stroker holds on to this drawer's rasterizer.
    ShapeDrawer(const ShapeDrawer&) = delete;
    ShapeDrawer& operator=(const ShapeDrawer&) = delete;

    // `toPixels` maps the shape's twips to pixels of `target`; `clip` limits
    // the pixels touched; `mask` (may be null) hides what it does not cover.
    void Draw(const swf::ShapeDef& shape, const swf::Matrix& toPixels, const swf::ColorTransform& cx, Image& target,
              const PixelRect& clip, const Mask* mask);
    // Whether DrawGlyphs takes these glyphs under this map: none turned,
    // skewed or large (the text's whole outline draws those better).
    static bool GlyphsFit(std::span<const PlacedGlyph> glyphs, const swf::Matrix& toPixels);
    // Draws a text's glyphs (filling `fills`) from coverage kept between
    // calls: each glyph is rasterized once per size and quarter-pixel
    // offset, so text that only moves costs a copy of its pixels.
    void DrawGlyphs(std::span<const PlacedGlyph> glyphs, const std::vector<swf::FillStyle>& fills,
                    const swf::Matrix& toPixels, const swf::ColorTransform& cx, Image& target, const PixelRect& clip,
                    const Mask* mask);
    // Drops the kept glyph coverage (the outlines it was made from may go).
    void ForgetGlyphs();

    // Glyphs up to this many pixels from their origin are kept.
    static constexpr double kMaxGlyphPixels = 64;
    // Sub-pixel steps a glyph's origin is rounded to, across and down.
    static constexpr int kGlyphPhases = 4;
    // Covers kept at most before the glyphs are rasterized anew.
    static constexpr size_t kMaxKeptCovers = size_t{4} << 20;

    // Adds the shape's filled area (never its strokes) to a mask.
    void DrawMask(const swf::ShapeDef& shape, const swf::Matrix& toPixels, Mask& mask, const PixelRect& clip);

    // Lines and cells handled so far: what a frame's work budget counts.
    size_t Work() const { return work_; }
    // Past this much work a draw stops between its passes.
    void SetWorkLimit(size_t limit) { limit_ = limit; }
    void ResetWork() { work_ = 0; }

    // The pixel box a shape covers under a map, strokes included.
    static PixelRect DeviceBounds(const swf::ShapeDef& shape, const swf::Matrix& toPixels);
    // Pixels that Draw surely paints over with opaque paint: nothing drawn
    // before shows through them. Known only for a shape whose fill is one
    // upright rectangle (a background, a backdrop); empty otherwise.
    PixelRect OpaqueRect(const swf::ShapeDef& shape, const swf::Matrix& toPixels, const swf::ColorTransform& cx) const;

private:
    struct GlyphKey {
        const swf::ShapeDef* Outline;
        double A, D;
        int PhaseX, PhaseY;
        bool operator==(const GlyphKey&) const = default;
    };
    struct GlyphKeyHash {
        size_t operator()(const GlyphKey& k) const;
    };
    const GlyphCoverage& Coverage(const GlyphKey& key);

    double Tolerance() const;
    void AddFills(std::span<const swf::Edge> edges, const swf::Matrix& m);
    void AddStrokes(std::span<const swf::Edge* const> edges, const swf::Matrix& m, double halfWidth);
    void Flatten(const swf::Edge& e, const swf::Matrix& m, std::vector<Point>& out) const;

    Quality quality_;
    BitmapLookup bitmaps_;
    Rasterizer raster_;
    Stroker stroker_{raster_, 1, 1.0, 0.15};
    CompositorScratch scratch_;
    std::vector<Paint> paints_, linePaints_;
    std::vector<const swf::Edge*> stroked_;
    size_t work_ = 0;
    size_t limit_ = SIZE_MAX;
    std::vector<Point> points_, polyline_;
    std::unordered_map<GlyphKey, GlyphCoverage, GlyphKeyHash> glyphs_;
    size_t keptCovers_ = 0;
};

}  // namespace qb::render
