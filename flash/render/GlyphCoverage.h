#pragma once
#include "flash/render/Rasterizer.h"
#include "flash/swf/Shape.h"

#include <cstdint>
#include <vector>

namespace qb::render {

// One glyph of a text: its outline (filling any style), where it goes in
// the text's space, and the text style it fills with. Size is how far the
// outline reaches from its origin, in its own units.
struct PlacedGlyph {
    const swf::ShapeDef* Outline = nullptr;
    swf::Matrix Place;
    uint32_t Style = 0;
    double Size = 0;
};

// A glyph rasterized once: the coverage (0..256) of the pixels of Box,
// which counts from the whole pixel its origin falls in.
struct GlyphCoverage {
    PixelRect Box;
    std::vector<uint16_t> Covers;  // row by row, Box's width a row
    // Per row, the covered part: from the first pixel with cover to just
    // after the last (equal when the row is empty).
    std::vector<std::pair<uint16_t, uint16_t>> Spans;

    void FindSpans();
};

// Collects the rasterizer's output for one glyph into its coverage.
class CoverageSink : public SpanSink {
public:
    explicit CoverageSink(GlyphCoverage& out) : out_(out) {}
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override;
    void Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) override;

private:
    uint16_t* At(int y, int x);
    GlyphCoverage& out_;
};

}  // namespace qb::render
