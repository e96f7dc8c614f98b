#include "flash/render/Compositor.h"

#include "flash/render/Blend.h"

#include <algorithm>

namespace qb::render {
namespace {

// Coverage 0..256 times mask 0..255, back to 0..256.
inline uint32_t Masked(uint32_t cover, uint8_t m) { return (cover * (m + (m >> 7))) >> 8; }

}  // namespace

void Compositor::Span(int y, int x0, int x1, const StyleCoverage* styles, int count) {
    uint32_t* row = target_.Row(y);
    const uint8_t* mrow = mask_ ? mask_->Row(y) : nullptr;
    if (mask_) {
        x0 = std::max(x0, mask_->Bounds.X0);
        x1 = std::min(x1, mask_->Bounds.X1);
        if (y < mask_->Bounds.Y0 || y >= mask_->Bounds.Y1) return;
    }
    if (x0 >= x1) return;
    const int n = x1 - x0;

    if (count == 1) {
        const Paint& p = paints_[styles[0].Style];
        const uint32_t cover = std::min<uint32_t>(styles[0].Cover, 256);
        if (mrow) {
            // Each pixel its own cover: the span's times the mask's.
            if (scratch_.Covers.size() < static_cast<size_t>(n)) scratch_.Covers.resize(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) scratch_.Covers[i] = static_cast<uint16_t>(Masked(cover, mrow[x0 + i]));
            const uint32_t* src = nullptr;
            if (!p.IsSolid()) {
                if (scratch_.Pixels.size() < static_cast<size_t>(n)) scratch_.Pixels.resize(static_cast<size_t>(n));
                p.Fill(y, x0, x1, scratch_.Pixels.data());
                src = scratch_.Pixels.data();
            }
            blend::OverCovers(row + x0, src, p.Color(), scratch_.Covers.data(), n);
            return;
        }
        if (cover == 256 && p.Opaque()) {
            // Nothing shows through: the paint goes straight into the row.
            p.Fill(y, x0, x1, row + x0);
            return;
        }
        if (p.IsSolid()) {
            const uint32_t sc = pixel::Scale(p.Color(), cover);
            if (sc >> 24 == 0) return;
            blend::OverColor(row + x0, sc, n);
            return;
        }
        if (scratch_.Pixels.size() < static_cast<size_t>(n)) scratch_.Pixels.resize(static_cast<size_t>(n));
        p.Fill(y, x0, x1, scratch_.Pixels.data());
        if (cover == 256) blend::Over(row + x0, scratch_.Pixels.data(), n);
        else blend::OverScaled(row + x0, scratch_.Pixels.data(), cover, n);
        return;
    }

    // Several styles share these pixels (anti-aliased seams): add their
    // contributions first, then lay the sum over the background once.
    if (scratch_.Pixels.size() < static_cast<size_t>(n)) scratch_.Pixels.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        uint32_t a = 0, r = 0, g = 0, b = 0;
        const uint32_t m = mrow ? mrow[x0 + i] : 255;
        for (int k = 0; k < count; ++k) {
            const Paint& p = paints_[styles[k].Style];
            uint32_t c;
            if (p.IsSolid()) c = p.Color();
            else p.Fill(y, x0 + i, x0 + i + 1, &c);
            c = pixel::Scale(c, Masked(std::min<uint32_t>(styles[k].Cover, 256), static_cast<uint8_t>(m)));
            a += c >> 24, r += (c >> 16) & 0xFF, g += (c >> 8) & 0xFF, b += c & 0xFF;
        }
        a = std::min(a, 255u);
        const uint32_t src = pixel::Pack(a, std::min(r, a), std::min(g, a), std::min(b, a));
        if (a) row[x0 + i] = pixel::Over(src, row[x0 + i]);
    }
}

void Compositor::Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) {
    int x1 = x0 + n;
    const uint8_t* mrow = nullptr;
    if (mask_) {
        if (y < mask_->Bounds.Y0 || y >= mask_->Bounds.Y1) return;
        const int from = std::max(x0, mask_->Bounds.X0);
        covers += from - x0;
        x0 = from;
        x1 = std::min(x1, mask_->Bounds.X1);
        mrow = mask_->Row(y);
    }
    if (x0 >= x1) return;
    n = x1 - x0;
    if (mrow) {
        if (scratch_.Covers.size() < static_cast<size_t>(n)) scratch_.Covers.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            scratch_.Covers[i] = static_cast<uint16_t>(Masked(std::min<uint32_t>(covers[i], 256), mrow[x0 + i]));
        covers = scratch_.Covers.data();
    }
    const Paint& p = paints_[style];
    const uint32_t* src = nullptr;
    if (!p.IsSolid()) {
        if (scratch_.Pixels.size() < static_cast<size_t>(n)) scratch_.Pixels.resize(static_cast<size_t>(n));
        p.Fill(y, x0, x1, scratch_.Pixels.data());
        src = scratch_.Pixels.data();
    }
    blend::OverCovers(target_.Row(y) + x0, src, p.Color(), covers, n);
}

uint32_t* Compositor::MixRows(uint32_t style, uint32_t& color, size_t& stride) {
    // A mask or a see-through paint needs each pixel's cover.
    const Paint& p = paints_[style];
    if (mask_ || !p.IsSolid() || !p.Opaque()) return nullptr;
    color = p.Color();
    stride = static_cast<size_t>(target_.Width);
    return target_.Pixels.data();
}

void Compositor::Prefetch(int y, int x0, int x1) {
    const uint32_t* row = target_.Row(y);
    if (x0 > x1) std::swap(x0, x1);
    // The whole stretch, a line at a time: a wide shape's rows are blended
    // end to end, and each would otherwise start by waiting on memory.
    for (int x = x0; x <= x1; x += 16) __builtin_prefetch(row + x, 1);
    __builtin_prefetch(row + x1, 1);
    if (mask_) {
        __builtin_prefetch(mask_->Row(y) + x0);
        __builtin_prefetch(mask_->Row(y) + x1);
    }
}

namespace {

// Coverage builds up as union: what was uncovered, covered by this much.
inline uint8_t Unite(uint8_t m, uint32_t cover) { return static_cast<uint8_t>(m + ((255 - m) * cover >> 8)); }

}  // namespace

void MaskWriter::Span(int y, int x0, int x1, const StyleCoverage* styles, int count) {
    uint32_t cover = 0;
    for (int k = 0; k < count; ++k) cover += styles[k].Cover;
    cover = std::min(cover, 256u);
    uint8_t* row = mask_.Row(y);
    for (int x = x0; x < x1; ++x) row[x] = Unite(row[x], cover);
}

void MaskWriter::Run(int y, int x0, uint32_t, const uint16_t* covers, int n) {
    uint8_t* row = mask_.Row(y) + x0;
    for (int i = 0; i < n; ++i) row[i] = Unite(row[i], std::min<uint32_t>(covers[i], 256));
}

}  // namespace qb::render
