#pragma once
#include "flash/render/Image.h"
#include "flash/render/Paint.h"
#include "flash/render/Rasterizer.h"

#include <cstdint>
#include <vector>

namespace qb::render {

// Coverage of a mask layer over the whole canvas, 0..255; only the pixels
// inside Bounds are meaningful (outside them the mask hides everything).
struct Mask {
    int Width = 0;
    PixelRect Bounds;
    std::vector<uint8_t> Cover;
    const uint8_t* Row(int y) const { return Cover.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
    uint8_t* Row(int y) { return Cover.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
};

// Room for a row's paint and covers, kept by whoever draws many passes so
// that a pass allocates nothing.
struct CompositorScratch {
    std::vector<uint32_t> Pixels;
    std::vector<uint16_t> Covers;
};

// Paints the rasterizer's runs into an image with the styles' paints,
// through an optional mask.
class Compositor : public SpanSink {
public:
    Compositor(Image& target, const std::vector<Paint>& paints, const Mask* mask, CompositorScratch& scratch)
        : target_(target), paints_(paints), mask_(mask), scratch_(scratch) {}
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override;
    void Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) override;
    void Prefetch(int y, int x0, int x1) override;
    uint32_t* MixRows(uint32_t style, uint32_t& color, size_t& stride) override;

private:
    Image& target_;
    const std::vector<Paint>& paints_;
    const Mask* mask_;
    CompositorScratch& scratch_;
};

// Adds the runs to a mask layer: coverage builds up as union.
class MaskWriter : public SpanSink {
public:
    explicit MaskWriter(Mask& mask) : mask_(mask) {}
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override;
    void Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) override;

private:
    Mask& mask_;
};

}  // namespace qb::render
