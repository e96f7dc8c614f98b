#include "flash/render/Rasterizer.h"

#include "flash/render/Blend.h"
#include "flash/render/CoverSums.h"
#include "flash/render/Cpu.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#if defined(__SSE__)
#include <immintrin.h>
#endif

namespace qb::render {

PixelRect PixelRect::Intersect(const PixelRect& o) const {
    const PixelRect r{std::max(X0, o.X0), std::max(Y0, o.Y0), std::min(X1, o.X1), std::min(Y1, o.Y1)};
    return r.Empty() ? PixelRect{} : r;
}

void Rasterizer::Begin(const PixelRect& clip, uint32_t styleCount) {
    if (plane_) {
        if (planeDirty_) ClearPlane();
    } else if (banded_) {
        ClearEdges();
    } else {
        for (int y = firstRow_; y <= lastRow_; ++y) rows_[static_cast<size_t>(y)].clear();
    }
    // Pixels left of or above the canvas are never drawn; with the clip's
    // corner at or past 0 the line code may take truncation for floor.
    clip_ = {std::max(clip.X0, 0), std::max(clip.Y0, 0), clip.X1, clip.Y1};
    styleCount_ = styleCount;
    cellCount_ = 0;
    firstRow_ = INT32_MAX, lastRow_ = -1;
    plane_ = banded_ = false;
    planeTop_ = 0;
    blockShift_ = kFineBlockShift;
    if (clip_.Empty()) return;
    const size_t width = static_cast<size_t>(clip_.X1 - clip_.X0), rows = static_cast<size_t>(clip_.Y1 - clip_.Y0);
    if (run_.size() < width) run_.resize(width);
    if (styleCount == 2) {
        // Spare changes past the right side (a cell's second change may land
        // there, a shallow line's middle goes four at a time), with marks for
        // their blocks too.
        stride_ = width + kSpare;
        markStride_ = (((width + kSpare) >> kFineBlockShift) / 64 + 1) * 64;
        if (markBits_.size() < markStride_ / 64) markBits_.resize(markStride_ / 64);
        plane_ = width * rows <= kMaxPlanePixels;
        banded_ = !plane_;
        if (banded_) {
            bandRows_ = static_cast<int>(std::max<size_t>(1, kMaxBandPixels / stride_));
            const size_t bands = (rows + static_cast<size_t>(bandRows_) - 1) / static_cast<size_t>(bandRows_);
            if (bandEdges_.size() < bands) bandEdges_.resize(bands, -1);
        }
        // A row's stretches are at least a block apart.
        if (stretchFrom_.size() < markStride_ / 2 + 1) {
            stretchFrom_.resize(markStride_ / 2 + 1);
            stretchTo_.resize(markStride_ / 2 + 1);
            stretchAcc_.resize(markStride_ / 2 + 1);
        }
        const size_t planeRows = plane_ ? rows : static_cast<size_t>(bandRows_);
        if (planeDelta_.size() < planeRows * stride_) planeDelta_.resize(planeRows * stride_, 0.0f);
        if (planeMarks_.size() < planeRows * markStride_) planeMarks_.resize(planeRows * markStride_, 0);
        return;
    }
    if (rows_.size() < rows) rows_.resize(rows);
    if (acc_.size() < styleCount) {
        acc_.resize(styleCount, 0.0f);
        next_.resize(styleCount, 0.0f);
        isActive_.resize(styleCount, 0);
    }
}

// A pass drawn into the plane but never swept leaves it to be cleared.
void Rasterizer::ClearPlane() {
    for (int r = firstRow_; r <= lastRow_; ++r) {
        const size_t row = static_cast<size_t>(r);
        std::fill_n(planeDelta_.begin() + static_cast<ptrdiff_t>(row * stride_), stride_, 0.0f);
        std::fill_n(planeMarks_.begin() + static_cast<ptrdiff_t>(row * markStride_), markStride_, 0);
    }
    planeDirty_ = false;
}

// Lines kept but never swept: their rows' lists are emptied for the next pass.
void Rasterizer::ClearEdges() {
    if (firstRow_ <= lastRow_)
        std::fill(bandEdges_.begin() + firstRow_ / bandRows_, bandEdges_.begin() + lastRow_ / bandRows_ + 1, -1);
    edges_.clear();
}

void Rasterizer::Line(double x0, double y0, double x1, double y1, uint32_t styleLeft, uint32_t styleRight) {
    if (styleLeft >= styleCount_) styleLeft = 0;
    if (styleRight >= styleCount_) styleRight = 0;
    if (styleLeft == styleRight) return;  // the same style both sides: no boundary
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    if (cellCount_ >= kMaxCells) return;
    const double top = clip_.Y0, bottom = clip_.Y1, left = clip_.X0, right = clip_.X1;
    if (x0 >= left && x0 <= right && x1 >= left && x1 <= right && y0 >= top && y0 <= bottom && y1 >= top &&
        y1 <= bottom) {
        // Most lines of a drawing lie wholly inside: nothing to cut.
        const float fx0 = static_cast<float>(x0), fy0 = static_cast<float>(y0);
        const float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
        if (plane_ || banded_) AddEdge(fx0, fy0, fx1, fy1, styleLeft);
        else ClippedLine(fx0, fy0, fx1, fy1, styleLeft, styleRight);
        return;
    }
    if ((y0 <= top && y1 <= top) || (y0 >= bottom && y1 >= bottom) || y0 == y1) return;
    // Cut to the clip's rows.
    auto cutY = [&](double& xa, double& ya, double xb, double yb, double at) {
        xa = xa + (xb - xa) * (at - ya) / (yb - ya);
        ya = at;
    };
    if (y0 < top) cutY(x0, y0, x1, y1, top);
    else if (y0 > bottom) cutY(x0, y0, x1, y1, bottom);
    if (y1 < top) cutY(x1, y1, x0, y0, top);
    else if (y1 > bottom) cutY(x1, y1, x0, y0, bottom);
    // Split where the line crosses the clip's left and right sides; the
    // outside pieces become vertical lines on those sides.
    double xs[4] = {x0}, ys[4] = {y0};
    int n = 1;
    const double lo = std::min(x0, x1), hi = std::max(x0, x1);
    double cuts[2];
    int nc = 0;
    if (lo < left && hi > left) cuts[nc++] = left;
    if (lo < right && hi > right) cuts[nc++] = right;
    if (nc == 2 && x0 > x1) std::swap(cuts[0], cuts[1]);
    for (int i = 0; i < nc; ++i) {
        xs[n] = cuts[i];
        ys[n] = y0 + (y1 - y0) * (cuts[i] - x0) / (x1 - x0);
        ++n;
    }
    xs[n] = x1, ys[n] = y1;
    for (int i = 0; i < n; ++i) {
        const double ax = std::clamp(xs[i], left, right), bx = std::clamp(xs[i + 1], left, right);
        const float fx0 = static_cast<float>(ax), fy0 = static_cast<float>(ys[i]);
        const float fx1 = static_cast<float>(bx), fy1 = static_cast<float>(ys[i + 1]);
        if (plane_ || banded_) AddEdge(fx0, fy0, fx1, fy1, styleLeft);
        else ClippedLine(fx0, fy0, fx1, fy1, styleLeft, styleRight);
    }
}

void Rasterizer::ClippedLine(float x0, float y0, float x1, float y1, uint32_t styleLeft, uint32_t styleRight) {
    if (y0 == y1) return;
    float dir = 1.0f;
    if (y0 > y1) {
        std::swap(x0, x1), std::swap(y0, y1);
        dir = -1.0f;
    }
    if (styleLeft == 0) {
        // Kept with the painted style first: the same change seen from the
        // other side, so more of a row's cells meet their neighbours.
        std::swap(styleLeft, styleRight);
        dir = -dir;
    }
    // Everything here lies inside the clip, whose corner is never negative,
    // so truncation is the floor.
    const float dxdy = (x1 - x0) / (y1 - y0);
    const int rowFirst = std::max(static_cast<int>(y0), clip_.Y0);
    const int rowEnd = std::min(static_cast<int>(std::ceil(y1)), clip_.Y1);
    if (rowFirst >= rowEnd) return;
    firstRow_ = std::min(firstRow_, rowFirst - clip_.Y0);
    lastRow_ = std::max(lastRow_, rowEnd - 1 - clip_.Y0);
    auto piece = [&](int y, float x, float xNext, float d) __attribute__((always_inline)) {
        Piece(y, x, xNext, d, styleLeft, styleRight);
    };
    float x = x0 + (std::max(y0, static_cast<float>(rowFirst)) - y0) * dxdy;
    if (rowEnd - rowFirst == 1) {
        piece(rowFirst, x, x1, (y1 - std::max(y0, static_cast<float>(rowFirst))) * dir);
        return;
    }
    // The first and last rows may be cut; every row between is whole.
    const float firstDy = static_cast<float>(rowFirst + 1) - std::max(y0, static_cast<float>(rowFirst));
    float xNext = x + dxdy * firstDy;
    piece(rowFirst, x, xNext, firstDy * dir);
    x = xNext;
    for (int y = rowFirst + 1; y < rowEnd - 1; ++y) {
        xNext = x + dxdy;
        piece(y, x, xNext, dir);
        x = xNext;
    }
    const float lastDy = std::min(y1, static_cast<float>(rowEnd)) - static_cast<float>(rowEnd - 1);
    if (lastDy > 0) piece(rowEnd - 1, x, x + dxdy * lastDy, lastDy * dir);
}

// What a line does within row y, from x to xNext with height d (signed by
// its direction).
[[gnu::always_inline]] inline void Rasterizer::Piece(int y, float x, float xNext, float d, uint32_t styleLeft,
                                                     uint32_t styleRight) {
    const float xa = std::min(x, xNext), xb = std::max(x, xNext);
    const int ia = static_cast<int>(xa);
    if (xb <= static_cast<float>(ia + 1)) {
        // Within one cell: split by the line's mean position in it.
        const float mid = 0.5f * (x + xNext) - static_cast<float>(ia);
        Put(y, ia, d * (1.0f - mid), d * mid, styleLeft, styleRight);
        return;
    }
    Across(y, xa, xb, d, styleLeft, styleRight);
}

// A row's piece of a line that crosses several cells: the covered area grows
// quadratically in the first and last cells and linearly in those between.
[[gnu::always_inline]] inline void Rasterizer::Across(int y, float xa, float xb, float d, uint32_t styleLeft,
                                                      uint32_t styleRight) {
    const int ia = static_cast<int>(xa);
    const float xaFloor = static_cast<float>(ia);
    int ib = static_cast<int>(xb);
    ib += static_cast<float>(ib) < xb;  // the ceiling
    const float s = 1.0f / (xb - xa);
    const float fa = xa - xaFloor;
    const float a0 = 0.5f * s * (1.0f - fa) * (1.0f - fa);
    const float fb = xb - static_cast<float>(ib) + 1.0f;
    const float am = 0.5f * s * fb * fb;
    if (ib == ia + 2) {
        Put(y, ia, d * a0, d * (1.0f - a0 - am), styleLeft, styleRight);
        Put(y, ib, d * am, 0.0f, styleLeft, styleRight);
        return;
    }
    const float a1 = s * (1.5f - fa);
    const float a2 = a1 + static_cast<float>(ib - ia - 3) * s;
    auto change = [&](int xi) {
        if (xi == ia) return d * a0;
        if (xi == ia + 1) return d * (a1 - a0);
        if (xi == ib - 1) return d * (1.0f - a2 - am);
        if (xi == ib) return d * am;
        return xi < ib ? d * s : 0.0f;
    };
    for (int xi = ia; xi <= ib && xi < clip_.X1; xi += 2)
        Put(y, xi, change(xi), change(xi + 1), styleLeft, styleRight);
}

// A line of a one-style pass: drawn into the plane at once, or kept for
// the sweep of the bands it crosses. Every row of it but its first and last
// is whole, and its position on any row is worked out afresh from its
// second row's, so a line comes out the same however the bands cut it.
void Rasterizer::AddEdge(float x0, float y0, float x1, float y1, uint32_t styleLeft) {
    if (y0 == y1) return;
    // Kept with the painted style on the left: the same change seen from
    // the other side, so the sweep never asks which side a line is on.
    float dir = styleLeft ? 1.0f : -1.0f;
    if (y0 > y1) {
        std::swap(x0, x1), std::swap(y0, y1);
        dir = -dir;
    }
    // Everything here lies inside the clip, whose corner is never negative,
    // so truncation is the floor.
    const int rowFirst = std::max(static_cast<int>(y0), clip_.Y0);
    const int rowEnd = std::min(static_cast<int>(std::ceil(y1)), clip_.Y1);
    if (rowFirst >= rowEnd) return;
    const float dxdy = (x1 - x0) / (y1 - y0);
    const float top = std::max(y0, static_cast<float>(rowFirst));
    // Written field by field where it is kept: a line built aside and
    // copied in would be read back in wider pieces than it was written in,
    // which stalls the copy.
    Edge aside;
    Edge& e = plane_ ? aside : edges_.emplace_back();
    e.XFirst = x0 + (top - y0) * dxdy;
    e.XSecond = 0;
    e.Dxdy = dxdy;
    e.InvWidth = 1.0f / std::fabs(dxdy);
    e.Dir = dir;
    e.FirstDy = 0;
    e.LastDy = 0;
    e.XEnd = x1;
    e.RowFirst = rowFirst - clip_.Y0;
    e.RowEnd = rowEnd - clip_.Y0;
    if (rowEnd - rowFirst == 1) {
        e.FirstDy = y1 - top;
    } else {
        e.FirstDy = static_cast<float>(rowFirst + 1) - top;
        e.XSecond = e.XFirst + dxdy * e.FirstDy;
        e.LastDy = std::min(y1, static_cast<float>(rowEnd)) - static_cast<float>(rowEnd - 1);
    }
    // The cells it gives, at most, against the ceiling on a pass's work.
    cellCount_ += static_cast<size_t>(rowEnd - rowFirst) + static_cast<size_t>(std::fabs(x1 - x0)) + 2;
    firstRow_ = std::min(firstRow_, e.RowFirst);
    lastRow_ = std::max(lastRow_, e.RowEnd - 1);
    if (plane_) {
        planeDirty_ = true;
        EdgeRows(e, e.RowFirst, e.RowEnd);
        return;
    }
    int32_t& head = bandEdges_[static_cast<size_t>(e.RowFirst / bandRows_)];
    e.Next = head;
    head = static_cast<int32_t>(edges_.size() - 1);
}

namespace {

// The smaller and larger of two floats without a branch: the compiler
// would otherwise guess, and along a row of lines it guesses wrong.
inline float MinOf(float a, float b) {
#if defined(__SSE__)
    return _mm_cvtss_f32(_mm_min_ss(_mm_set_ss(a), _mm_set_ss(b)));
#else
    return std::min(a, b);
#endif
}
inline float MaxOf(float a, float b) {
#if defined(__SSE__)
    return _mm_cvtss_f32(_mm_max_ss(_mm_set_ss(a), _mm_set_ss(b)));
#else
    return std::max(a, b);
#endif
}

// Marks blocks b0..b1 of a row's marks.
[[gnu::always_inline]] inline void MarkBlocks(uint8_t* marks, int b0, int b1) {
    for (int b = b0; b <= b1; ++b) marks[b] = 1;
}

// Marks the blocks of pixels px0 and px1 (at most a block apart, so that
// none lies between them).
[[gnu::always_inline]] inline void MarkEnds(uint8_t* marks, int px0, int px1, int blockShift) {
    marks[px0 >> blockShift] = 1;
    marks[px1 >> blockShift] = 1;
}

// Pixel px's change and its right neighbour's into a row of changes
// (counted from the clip's left side), with the blocks they fall in
// marked for the sweep.
[[gnu::always_inline]] inline void AddChange(float* delta, uint8_t* marks, int px, float a, float b, int blockShift) {
    delta[px] += a;
    delta[px + 1] += b;
    MarkEnds(marks, px, px + 1, blockShift);
}

// A steep row's three changes from pixel px on, marked the same way.
[[gnu::always_inline]] inline void AddSteep(float* delta, uint8_t* marks, int px, float v0, float v1, float v2,
                                            int blockShift) {
    delta[px] += v0;
    delta[px + 1] += v1;
    delta[px + 2] += v2;
    MarkEnds(marks, px, px + 2, blockShift);
}

// A shallow row's changes from pixel px on: v0, v1, then `step` to each of
// the `middle` pixels after, then `last` to the last of those (to px+1 when
// there are none) and `end` to the one after. The same steps for any
// length, so that how many pixels it crosses asks no question the
// processor would have to guess: the middle goes four at a time, those
// past it getting nothing added.
[[gnu::always_inline]] inline void AddShallow(float* rowDelta, uint8_t* marks, int px, int middle, float v0, float v1,
                                              float step, float last, float end, int blockShift) {
    float* delta = rowDelta + px;
    delta[0] += v0;
    delta[1] += v1;
#if defined(__SSE2__)
    const __m128i lane = _mm_setr_epi32(0, 1, 2, 3);
    int k = 0;
    do {
        const __m128 in = _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_set1_epi32(middle - k), lane));
        _mm_storeu_ps(delta + 2 + k, _mm_add_ps(_mm_loadu_ps(delta + 2 + k), _mm_and_ps(in, _mm_set1_ps(step))));
        k += 4;
    } while (k < middle);
#else
    for (int k = 0; k < middle; ++k) delta[2 + k] += step;
#endif
    delta[middle + 1] += last;
    delta[middle + 2] += end;
    MarkBlocks(marks, px >> blockShift, (px + middle + 2) >> blockShift);
}

}  // namespace

// A whole row of a line that moves at most a pixel across it: the part in
// its first pixel and the part in the next, each split by its mean position
// as a line within one pixel is. Without a branch on whether it crosses,
// since from row to row that is a coin toss. `invWidth` is 1/|dxdy|.
[[gnu::always_inline]] inline void Rasterizer::SteepRow(float* rowDelta, uint8_t* marks, float x, float xNext, float d,
                                                        float invWidth) {
    const float xa = MaxOf(MinOf(x, xNext), static_cast<float>(clip_.X0));
    const float xb = MaxOf(x, xNext);
    const int ia = static_cast<int>(xa);
    const float fa = xa - static_cast<float>(ia), fb = xb - static_cast<float>(ia);
    const float end = MinOf(fb, 1.0f), past = MaxOf(fb - 1.0f, 0.0f);
    const float d1 = d * MinOf((1.0f - fa) * invWidth, 1.0f), d2 = d - d1;
    const float mid = 0.5f * (fa + end);
    AddSteep(rowDelta, marks, std::min(ia, clip_.X1) - clip_.X0, d1 * (1.0f - mid),
             d1 * mid + d2 * (1.0f - 0.5f * past), d2 * 0.5f * past, blockShift_);
}

// A whole row of a line that moves more than a pixel across it: the
// quadratic ends and the linear middle, straight into the row's changes.
// `invWidth` is 1/|dxdy|.
[[gnu::always_inline]] inline void Rasterizer::ShallowRow(float* rowDelta, uint8_t* marks, float x, float xNext, float d,
                                                          float invWidth) {
    const float xa = MaxOf(MinOf(x, xNext), static_cast<float>(clip_.X0));
    const float xb = MinOf(MaxOf(x, xNext), static_cast<float>(clip_.X1));
    const int ia = static_cast<int>(xa);
    int ib = static_cast<int>(xb);
    ib += static_cast<float>(ib) < xb;  // the ceiling
    if (ib < ia + 2) {  // cut by the clip to within a pixel
        const float mid = 0.5f * (xa + xb) - static_cast<float>(ia);
        AddChange(rowDelta, marks, std::min(ia, clip_.X1) - clip_.X0, d * (1.0f - mid), d * mid, blockShift_);
        return;
    }
    const float s = invWidth;
    const float fa = xa - static_cast<float>(ia);
    const float a0 = 0.5f * s * (1.0f - fa) * (1.0f - fa);
    const float fb = xb - static_cast<float>(ib) + 1.0f;
    const float am = 0.5f * s * fb * fb;
    const float a1 = s * (1.5f - fa);
    const float a2 = a1 + static_cast<float>(ib - ia - 3) * s;
    const float step = d * s;
    AddShallow(rowDelta, marks, ia - clip_.X0, ib - ia - 2, d * a0, d * (a1 - a0), step, d * (1.0f - a2 - am) - step,
               d * am, blockShift_);
}

#if defined(QB_HAVE_AVX2)
namespace {

// A line as its rows see it: Rasterizer::Edge's numbers without its place
// in the lists.
struct LineRows {
    float XFirst, XSecond, XEnd, Dxdy, InvWidth, Dir, FirstDy, LastDy;
    int Rows;
};

// Eight rows of a line side by side, rows j.. counted from its first: where
// each enters and leaves, its change (its height, signed) and how much of
// a row's height it spends in one pixel's width. The cut first and last
// rows among whole ones, each a whole row scaled down, so that the rows of
// any line go eight at a time (most lines of a curve cross only a few
// rows). Every whole row's position is worked out afresh from the second
// row's, so a line comes out the same however the bands cut it.
struct RowLanes {
    __m256 X, XNext, D, InvWidth;
};
QB_AVX2 inline RowLanes LanesOf(const LineRows& l, int j) {
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256i row = _mm256_add_epi32(_mm256_set1_epi32(j), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256 whole = _mm256_add_ps(
        _mm256_set1_ps(l.XSecond),
        _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(row, _mm256_set1_epi32(1))), _mm256_set1_ps(l.Dxdy)));
    const __m256 first = _mm256_castsi256_ps(_mm256_cmpeq_epi32(row, _mm256_setzero_si256()));
    const __m256 last = _mm256_castsi256_ps(_mm256_cmpeq_epi32(row, _mm256_set1_epi32(l.Rows - 1)));
    __m256 h = _mm256_blendv_ps(one, _mm256_set1_ps(l.LastDy), last);
    h = _mm256_blendv_ps(h, _mm256_set1_ps(l.FirstDy), first);
    RowLanes v;
    v.X = _mm256_blendv_ps(whole, _mm256_set1_ps(l.XFirst), first);
    v.XNext = _mm256_blendv_ps(_mm256_add_ps(whole, _mm256_mul_ps(_mm256_set1_ps(l.Dxdy), h)),
                               _mm256_set1_ps(l.Rows == 1 ? l.XEnd : l.XSecond), first);
    v.D = _mm256_mul_ps(h, _mm256_set1_ps(l.Dir));
    // A row of no height changes nothing; its slope must stay finite.
    const __m256 tall = _mm256_cmp_ps(h, _mm256_setzero_ps(), _CMP_GT_OQ);
    v.InvWidth = _mm256_div_ps(_mm256_set1_ps(l.InvWidth), _mm256_blendv_ps(one, h, tall));
    return v;
}

// Up to eight rows of a steep line as SteepRow does them (the same steps,
// so the same changes), worked out side by side and then added row by row.
QB_AVX2 inline void SteepLanes(const RowLanes& v, int count, float* delta, size_t stride, uint8_t* marks,
                               size_t markStride, int left, int right, int blockShift) {
    const __m256 one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f), zero = _mm256_setzero_ps();
    const __m256 xa = _mm256_max_ps(_mm256_min_ps(v.X, v.XNext), _mm256_set1_ps(static_cast<float>(left)));
    const __m256 xb = _mm256_max_ps(v.X, v.XNext);
    const __m256i ia = _mm256_cvttps_epi32(xa);
    const __m256 iaf = _mm256_cvtepi32_ps(ia);
    const __m256 fa = _mm256_sub_ps(xa, iaf), fb = _mm256_sub_ps(xb, iaf);
    const __m256 end = _mm256_min_ps(fb, one), past = _mm256_max_ps(_mm256_sub_ps(fb, one), zero);
    const __m256 d1 = _mm256_mul_ps(v.D, _mm256_min_ps(_mm256_mul_ps(_mm256_sub_ps(one, fa), v.InvWidth), one));
    const __m256 d2 = _mm256_sub_ps(v.D, d1);
    const __m256 mid = _mm256_mul_ps(half, _mm256_add_ps(fa, end));
    const __m256 v0 = _mm256_mul_ps(d1, _mm256_sub_ps(one, mid));
    const __m256 v1 =
        _mm256_add_ps(_mm256_mul_ps(d1, mid), _mm256_mul_ps(d2, _mm256_sub_ps(one, _mm256_mul_ps(half, past))));
    const __m256 v2 = _mm256_mul_ps(_mm256_mul_ps(d2, half), past);
    // Each row's three changes side by side, a fourth of nothing after
    // them, so that a row takes one wide add instead of three.
    const __m256 pairs0 = _mm256_unpacklo_ps(v0, v1), pairs1 = _mm256_unpackhi_ps(v0, v1);
    const __m256 third0 = _mm256_unpacklo_ps(v2, zero), third1 = _mm256_unpackhi_ps(v2, zero);
    alignas(32) float rows[8][4];  // rows 0 and 4, 1 and 5, ... stored in pairs, then read in order
    _mm256_store_ps(rows[0], _mm256_shuffle_ps(pairs0, third0, 0x44));
    _mm256_store_ps(rows[2], _mm256_shuffle_ps(pairs0, third0, 0xEE));
    _mm256_store_ps(rows[4], _mm256_shuffle_ps(pairs1, third1, 0x44));
    _mm256_store_ps(rows[6], _mm256_shuffle_ps(pairs1, third1, 0xEE));
    static constexpr int kRowOf[8] = {0, 2, 4, 6, 1, 3, 5, 7};
    alignas(32) int32_t px[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(px),
                       _mm256_sub_epi32(_mm256_min_epi32(ia, _mm256_set1_epi32(right)), _mm256_set1_epi32(left)));
    for (int i = 0; i < count; ++i, delta += stride, marks += markStride) {
        float* at = delta + px[i];
        _mm_storeu_ps(at, _mm_add_ps(_mm_loadu_ps(at), _mm_load_ps(rows[kRowOf[i]])));
        MarkEnds(marks, px[i], px[i] + 2, blockShift);
    }
}

// Up to eight rows of a shallow line as ShallowRow does them.
QB_AVX2 inline void ShallowLanes(const RowLanes& v, int count, float* delta, size_t stride, uint8_t* marks,
                                 size_t markStride, int left, int right, int blockShift) {
    const __m256 one = _mm256_set1_ps(1.0f), half = _mm256_set1_ps(0.5f);
    const __m256 xa = _mm256_max_ps(_mm256_min_ps(v.X, v.XNext), _mm256_set1_ps(static_cast<float>(left)));
    const __m256 xb = _mm256_min_ps(_mm256_max_ps(v.X, v.XNext), _mm256_set1_ps(static_cast<float>(right)));
    const __m256i a = _mm256_cvttps_epi32(xa);
    __m256i b = _mm256_cvttps_epi32(xb);
    // The ceiling: one more where the truncation fell short.
    b = _mm256_sub_epi32(b, _mm256_castps_si256(_mm256_cmp_ps(_mm256_cvtepi32_ps(b), xb, _CMP_LT_OQ)));
    const __m256 af = _mm256_cvtepi32_ps(a);
    const __m256 s = v.InvWidth, vd = v.D;
    const __m256 fa = _mm256_sub_ps(xa, af);
    const __m256 fb = _mm256_add_ps(_mm256_sub_ps(xb, _mm256_cvtepi32_ps(b)), one);
    const __m256 hs = _mm256_mul_ps(half, s);
    const __m256 rest = _mm256_sub_ps(one, fa);
    const __m256 a0 = _mm256_mul_ps(_mm256_mul_ps(hs, rest), rest);
    const __m256 am = _mm256_mul_ps(_mm256_mul_ps(hs, fb), fb);
    const __m256 a1 = _mm256_mul_ps(s, _mm256_sub_ps(_mm256_set1_ps(1.5f), fa));
    const __m256 span = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_sub_epi32(b, a), _mm256_set1_epi32(3)));
    const __m256 a2 = _mm256_add_ps(a1, _mm256_mul_ps(span, s));
    const __m256 step = _mm256_mul_ps(vd, s);
    // Within one pixel (a cut row, or cut by the clip): split by the mean
    // position.
    const __m256 mid = _mm256_sub_ps(_mm256_mul_ps(half, _mm256_add_ps(xa, xb)), af);
    alignas(32) float v0[8], v1[8], steps[8], lasts[8], ends[8], c0[8], c1[8];
    alignas(32) int32_t ia[8], ib[8];
    _mm256_store_ps(v0, _mm256_mul_ps(vd, a0));
    _mm256_store_ps(v1, _mm256_mul_ps(vd, _mm256_sub_ps(a1, a0)));
    _mm256_store_ps(steps, step);
    _mm256_store_ps(lasts, _mm256_sub_ps(_mm256_mul_ps(vd, _mm256_sub_ps(_mm256_sub_ps(one, a2), am)), step));
    _mm256_store_ps(ends, _mm256_mul_ps(vd, am));
    _mm256_store_ps(c0, _mm256_mul_ps(vd, _mm256_sub_ps(one, mid)));
    _mm256_store_ps(c1, _mm256_mul_ps(vd, mid));
    _mm256_store_si256(reinterpret_cast<__m256i*>(ia), a);
    _mm256_store_si256(reinterpret_cast<__m256i*>(ib), b);
    for (int i = 0; i < count; ++i, delta += stride, marks += markStride) {
        if (ib[i] < ia[i] + 2) {
            AddChange(delta, marks, std::min(ia[i], right) - left, c0[i], c1[i], blockShift);
            continue;
        }
        AddShallow(delta, marks, ia[i] - left, ib[i] - ia[i] - 2, v0[i], v1[i], steps[i], lasts[i], ends[i],
                   blockShift);
    }
}

// Rows j..j+n-1 of a line (counted from its first), the first of them at
// delta and marks.
QB_AVX2 void LineRowsAvx2(const LineRows& l, int j, int n, float* delta, size_t stride, uint8_t* marks,
                          size_t markStride, int left, int right, int blockShift) {
    const bool steep = l.InvWidth >= 1.0f;
    for (int k = 0; k < n; k += 8) {
        const RowLanes v = LanesOf(l, j + k);
        const int count = std::min(8, n - k);
        float* rowDelta = delta + static_cast<size_t>(k) * stride;
        uint8_t* rowMarks = marks + static_cast<size_t>(k) * markStride;
        if (steep) SteepLanes(v, count, rowDelta, stride, rowMarks, markStride, left, right, blockShift);
        else ShallowLanes(v, count, rowDelta, stride, rowMarks, markStride, left, right, blockShift);
    }
}

}  // namespace
#endif

// Rows from..to-1 of the clip of a line, all of them in the plane: its
// first and last rows as they are cut, the whole rows between, all by the
// steep or all by the shallow way (one branch for the line). A cut row is a
// whole one scaled down: its height times the line's slope across. With
// AVX2 the rows go eight at a time; the steps after are for processors
// without it.
void Rasterizer::EdgeRows(const Edge& e, int from, int to) {
#if defined(QB_HAVE_AVX2)
    if (path_ >= blend::Path::Avx2) {
        const int rows = e.RowEnd - e.RowFirst;
        const int end = std::min(to, rows == 1 || e.LastDy > 0 ? e.RowEnd : e.RowEnd - 1);
        if (from < end) {
            const size_t r = static_cast<size_t>(from - planeTop_);
            LineRowsAvx2({e.XFirst, e.XSecond, e.XEnd, e.Dxdy, e.InvWidth, e.Dir, e.FirstDy, e.LastDy, rows},
                         from - e.RowFirst, end - from, planeDelta_.data() + r * stride_,
                         stride_, planeMarks_.data() + r * markStride_, markStride_, clip_.X0, clip_.X1, blockShift_);
        }
        return;
    }
#endif
    const bool steep = e.InvWidth >= 1.0f;
    auto row = [&](int r, float x, float xNext, float height) __attribute__((always_inline)) {
        const size_t i = static_cast<size_t>(r - planeTop_);
        float* delta = planeDelta_.data() + i * stride_;
        uint8_t* marks = planeMarks_.data() + i * markStride_;
        if (steep) SteepRow(delta, marks, x, xNext, height * e.Dir, e.InvWidth / height);
        else ShallowRow(delta, marks, x, xNext, height * e.Dir, e.InvWidth / height);
    };
    if (from == e.RowFirst) {
        if (e.RowEnd - e.RowFirst == 1) {
            row(from, e.XFirst, e.XEnd, e.FirstDy);
            return;
        }
        row(from, e.XFirst, e.XSecond, e.FirstDy);
        ++from;
    }
    const int wholeEnd = std::min(to, e.RowEnd - 1);
    if (from < wholeEnd) {
        const size_t r = static_cast<size_t>(from - planeTop_);
        float* delta = planeDelta_.data() + r * stride_;
        uint8_t* marks = planeMarks_.data() + r * markStride_;
        const int n = wholeEnd - from, j0 = from - e.RowFirst - 1;
        if (steep) {
            for (int k = 0; k < n; ++k) {
                const float x = e.XSecond + static_cast<float>(j0 + k) * e.Dxdy;
                SteepRow(delta + static_cast<size_t>(k) * stride_, marks + static_cast<size_t>(k) * markStride_, x,
                         x + e.Dxdy, e.Dir, e.InvWidth);
            }
        } else {
            for (int k = 0; k < n; ++k) {
                const float x = e.XSecond + static_cast<float>(j0 + k) * e.Dxdy;
                ShallowRow(delta + static_cast<size_t>(k) * stride_, marks + static_cast<size_t>(k) * markStride_, x,
                           x + e.Dxdy, e.Dir, e.InvWidth);
            }
        }
    }
    if (to == e.RowEnd && e.LastDy > 0) {
        const float x = e.XSecond + static_cast<float>(e.RowEnd - e.RowFirst - 2) * e.Dxdy;
        row(e.RowEnd - 1, x, x + e.Dxdy * e.LastDy, e.LastDy);
    }
}

// A one-style pass too large for the plane, a band of rows at a time: the
// lines starting in the band join those crossing it, each draws its rows in
// the band into the plane, the band is swept, and the lines that end in it
// leave.
void Rasterizer::SweepBands(FillRule rule, bool antialias, const MixTarget& mix, SpanSink& sink) {
    // A sink that mixes a colour straight in reads a whole stretch at once,
    // sixteen pixels at a time: coarser marks give it fewer, longer
    // stretches. One that takes covers pays for each pixel passed on, and
    // gets the finer ones. The lines are drawn into the plane only now, so
    // the marks can still be either.
    if (mix.Pixels) blockShift_ = kCoarseBlockShift;
    crossing_.clear();
    for (int band = firstRow_ / bandRows_; band <= lastRow_ / bandRows_; ++band) {
        const int top = band * bandRows_, bottom = std::min(top + bandRows_, lastRow_ + 1);
        planeTop_ = top;
        int32_t& head = bandEdges_[static_cast<size_t>(band)];
        for (int32_t i = head; i >= 0; i = edges_[static_cast<size_t>(i)].Next)
            crossing_.push_back(static_cast<uint32_t>(i));
        head = -1;
        for (size_t k = 0; k < crossing_.size();) {
            const Edge& e = edges_[crossing_[k]];
            EdgeRows(e, std::max(top, e.RowFirst), std::min(bottom, e.RowEnd));
            if (e.RowEnd <= bottom) {
                crossing_[k] = crossing_.back();
                crossing_.pop_back();
            } else {
                ++k;
            }
        }
        SweepPlaneRows(std::max(top, firstRow_), bottom, rule, antialias, mix, sink);
    }
    edges_.clear();
}

void Rasterizer::Sweep(FillRule rule, bool antialias, SpanSink& sink) {
    if (cellCount_ == 0 || clip_.Empty()) return;
    // A one-style pass asks its sink once whether it mixes an opaque colour
    // straight in.
    MixTarget mix;
    if ((banded_ || plane_) && antialias && path_ >= blend::Path::Avx2)
        mix.Pixels = sink.MixRows(1, mix.Color, mix.Stride);
    if (banded_) {
        SweepBands(rule, antialias, mix, sink);
        return;
    }
    if (plane_) {
        SweepPlaneRows(firstRow_, lastRow_ + 1, rule, antialias, mix, sink);
        planeDirty_ = false;
        return;
    }
    for (int r = firstRow_; r <= lastRow_; ++r) {
        const int ahead = r + kPrefetchRows;
        if (ahead <= lastRow_) {
            const CellRow& next = rows_[static_cast<size_t>(ahead)];
            if (!next.empty()) sink.Prefetch(ahead + clip_.Y0, next.front().X, next.back().X);
        }
        CellRow& row = rows_[static_cast<size_t>(r)];
        if (!row.empty()) SweepRow(r + clip_.Y0, row, rule, antialias, sink);
    }
}

// Rows top..bottom-1 of the clip, all in the plane.
void Rasterizer::SweepPlaneRows(int top, int bottom, FillRule rule, bool antialias, const MixTarget& mix,
                                SpanSink& sink) {
    if (mix.Pixels) {
        SweepMixedRows(top, bottom, rule, mix, sink);
        return;
    }
    for (int r = top; r < bottom; ++r) {
        if (plane_) PrefetchAhead(r, bottom, sink);
        const size_t row = static_cast<size_t>(r - planeTop_);
        const uint64_t* bits = MarkBits(row);
        const auto [first, last] = MarkedBlocks(bits, static_cast<int>(markStride_ / 64));
        SweepRowOfPlane(r + clip_.Y0, planeDelta_.data() + row * stride_, planeMarks_.data() + row * markStride_, bits,
                        first, last, rule, antialias, sink);
    }
}

// The row a few ahead of row r (of the clip, before bottom) asked for
// where its marks are. A band's rows hold whole long lines, whose marks
// reach across the canvas: fetching all between would cost more than it
// saves, so only a plane's rows are fetched.
void Rasterizer::PrefetchAhead(int r, int bottom, SpanSink& sink) {
    const int ahead = r + kPrefetchRows;
    if (ahead >= bottom) return;
    const auto [first, last] =
        MarkedBlocks(MarkBits(static_cast<size_t>(ahead - planeTop_)), static_cast<int>(markStride_ / 64));
    if (first <= last)
        sink.Prefetch(ahead + clip_.Y0, clip_.X0 + (first << blockShift_),
                      std::min(clip_.X1 - 1, clip_.X0 + (last << blockShift_)));
}

namespace {

// Pixels one cell group decides: pixel x alone, then x+1 up to the next
// group, which may share a cover and go out as one span.
struct RunGatherer {
    uint16_t* run;  // room for a row of the clip
    SpanSink& sink;
    int y;
    int runX = 0, runN = 0;
    uint32_t runStyle = 0;

    void Flush() {
        if (runN) sink.Run(y, runX, runStyle, run, runN);
        runN = 0;
    }
    // A lone pixel of one style: gathered with its neighbours into one Run.
    void Pixel(int x, uint32_t style, uint32_t cover) {
        if (runN && (runStyle != style || runX + runN != x)) Flush();
        if (!runN) runX = x, runStyle = style;
        run[runN++] = static_cast<uint16_t>(cover);
    }
    void Span(int x0, int x1, const StyleCoverage* covers, int count) {
        Flush();
        sink.Span(y, x0, x1, covers, count);
    }
};

// How much of a pixel a running sum covers, 0..256: the rule folds sums
// beyond one; without anti-aliasing a pixel is in or out. No branch, so
// that loops over many pixels run straight.
template <FillRule Rule, bool Antialias>
inline uint32_t CoverAs(float a) {
    a = std::fabs(a);
    if constexpr (Rule == FillRule::NonZero) {
        a = std::min(a, 1.0f);
    } else {
        a = std::min(a, 1e6f);  // windings never reach this; it keeps the truncation in range
        a -= 2.0f * static_cast<float>(static_cast<int>(a * 0.5f));
        a = a > 1.0f ? 2.0f - a : a;
    }
    if constexpr (Antialias) return static_cast<uint32_t>(a * 256.0f + 0.5f);
    else return a > 0.5f ? 256u : 0u;
}

// The same, one sum at a time: most sums are within one winding, where the
// rules agree, and a quick way out for them pays.
inline uint32_t CoverOf(float a, FillRule rule, bool antialias) {
    if (const float m = std::fabs(a); m <= 1.0f) [[likely]]
        return antialias ? static_cast<uint32_t>(m * 256.0f + 0.5f) : (m > 0.5f ? 256u : 0u);
    if (rule == FillRule::NonZero)
        return antialias ? CoverAs<FillRule::NonZero, true>(a) : CoverAs<FillRule::NonZero, false>(a);
    return antialias ? CoverAs<FillRule::EvenOdd, true>(a) : CoverAs<FillRule::EvenOdd, false>(a);
}

// Pixels from..to-1 of a row: the running sum over the changes, which are
// cleared for the next row, read off as covers. Returns the sum after them.
template <FillRule Rule, bool Antialias>
float ReadCovers(float* delta, uint16_t* covers, int from, int to, float acc) {
    constexpr int kUnroll = 8;
    int x = from;
    for (; x + kUnroll <= to; x += kUnroll)
#pragma GCC unroll 8
        for (int i = x; i < x + kUnroll; ++i) {
            acc += delta[i];
            delta[i] = 0;
            covers[i] = static_cast<uint16_t>(CoverAs<Rule, Antialias>(acc));
        }
    for (; x < to; ++x) {
        acc += delta[x];
        delta[x] = 0;
        covers[x] = static_cast<uint16_t>(CoverAs<Rule, Antialias>(acc));
    }
    return acc;
}

#if defined(QB_HAVE_AVX2)
// The same eight pixels at a time. The running sum is a prefix sum inside
// the vector plus what came before, so from one group to the next the
// chain is a single add instead of eight in a row.
template <FillRule Rule, bool Antialias>
QB_AVX2 float ReadCovers8(float* delta, uint16_t* covers, int from, int to, float acc) {
    __m256 carry = _mm256_set1_ps(acc);
    int x = from;
    for (; x + 8 <= to; x += 8) {
        const __m256 v = _mm256_loadu_ps(delta + x);
        _mm256_storeu_ps(delta + x, _mm256_setzero_ps());
        const __m256 sum = _mm256_add_ps(sums::Prefix8(v), carry);
        carry = _mm256_permutevar8x32_ps(sum, _mm256_set1_epi32(7));
        const __m256 a = sums::Coverage8<Rule == FillRule::EvenOdd>(sum);
        __m256i c;
        if constexpr (Antialias)
            c = sums::Cover8(a);
        else
            c = _mm256_and_si256(_mm256_castps_si256(_mm256_cmp_ps(a, _mm256_set1_ps(0.5f), _CMP_GT_OQ)),
                                 _mm256_set1_epi32(256));
        const __m128i packed = _mm_packus_epi32(_mm256_castsi256_si128(c), _mm256_extracti128_si256(c, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(covers + x), packed);
    }
    return ReadCovers<Rule, Antialias>(delta, covers, x, to, _mm256_cvtss_f32(carry));
}
#endif

using CoverReader = float (*)(float*, uint16_t*, int, int, float);

template <FillRule Rule, bool Antialias>
CoverReader CoverReaderFor(blend::Path path) {
#if defined(QB_HAVE_AVX2)
    if (path >= blend::Path::Avx2) return &ReadCovers8<Rule, Antialias>;
#endif
    return &ReadCovers<Rule, Antialias>;
}

// A row's stretches of marked blocks from its mark words (the last masked
// by lastMask), found all at once: each one's first pixel and the one past
// it, pixels counted from x0 and cut at x1. Gaps of a block or two between
// marked blocks are filled in: such a gap costs less read as part of a
// stretch than as a span of its own (a thin stroke's two sides). Bit i is
// filled when i-1 and i+1 are marked (a gap of one) or i-1 and i+2, or i-2
// and i+1 (of two). A stretch starts where a filled bit follows an empty one
// and ends at the next empty one, so starts and ends alternate. Returns how
// many.
[[gnu::always_inline]] inline int FindStretches(const uint64_t* marks, int wFirst, int words, uint64_t lastMask, int x0,
                                                int x1, int blockShift, int32_t* from, int32_t* to) {
    auto raw = [&](int i) -> uint64_t { return i + 1 < words ? marks[wFirst + i] : marks[wFirst + i] & lastMask; };
    int starts = 0, ends = 0;
    uint64_t prev = 0, m = raw(0), carry = 0;
    for (int i = 0; i < words; ++i) {
        const uint64_t next = i + 1 < words ? raw(i + 1) : 0;
        const uint64_t l1 = m << 1 | prev >> 63, l2 = m << 2 | prev >> 62;
        const uint64_t r1 = m >> 1 | next << 63, r2 = m >> 2 | next << 62;
        const uint64_t filled = m | (l1 & (r1 | r2)) | (l2 & r1);
        const uint64_t before = filled << 1 | carry;
        const int base = (wFirst + i) << 6;
        for (uint64_t bits = filled & ~before; bits; bits &= bits - 1)
            from[starts++] = x0 + ((base + std::countr_zero(bits)) << blockShift);
        for (uint64_t bits = ~filled & before; bits; bits &= bits - 1)
            to[ends++] = std::min(x0 + ((base + std::countr_zero(bits)) << blockShift), x1);
        carry = filled >> 63;
        prev = m, m = next;
    }
    if (carry) to[ends++] = std::min(x0 + ((wFirst + words) << 6 << blockShift), x1);
    return starts;
}

#if defined(QB_HAVE_AVX2)
QB_AVX2 void MarkBits8(const uint8_t* marks, size_t words, uint64_t* bits) {
    const __m256i zero = _mm256_setzero_si256();
    for (size_t w = 0; w < words; ++w, marks += 64) {
        const auto lo = static_cast<uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(marks)), zero)));
        const auto hi = static_cast<uint32_t>(_mm256_movemask_epi8(
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(marks + 32)), zero)));
        bits[w] = ~(uint64_t{hi} << 32 | lo);
    }
}
#endif
#if defined(QB_HAVE_AVX512BW)
QB_AVX512_CODE_BEGIN
QB_AVX512BW void MarkBits16(const uint8_t* marks, size_t words, uint64_t* bits) {
    for (size_t w = 0; w < words; ++w, marks += 64) {
        const __m512i v = _mm512_loadu_si512(marks);
        bits[w] = _mm512_test_epi8_mask(v, v);
    }
}
QB_AVX512_CODE_END
#endif

}  // namespace

// Row `row` of the plane's marks as bits, 64 blocks a word, for the walks
// that look for runs of them. Lines mark their blocks a byte each, since a
// byte is stored without first reading what the others hold.
const uint64_t* Rasterizer::MarkBits(size_t row) {
    const uint8_t* marks = planeMarks_.data() + row * markStride_;
    uint64_t* bits = markBits_.data();
    const size_t words = markStride_ / 64;
#if defined(QB_HAVE_AVX512BW)
    if (path_ >= blend::Path::Avx512) {
        MarkBits16(marks, words, bits);
        return bits;
    }
#endif
#if defined(QB_HAVE_AVX2)
    if (path_ >= blend::Path::Avx2) {
        MarkBits8(marks, words, bits);
        return bits;
    }
#endif
    for (size_t w = 0; w < words; ++w) {
        uint64_t b = 0;
        for (size_t i = 0; i < 64; ++i) b |= uint64_t{marks[w * 64 + i] != 0} << i;
        bits[w] = b;
    }
    return bits;
}

// The first and last marked blocks of a row's marks (first past last when
// there are none). A row is never wide: a few words to look at.
std::pair<int, int> Rasterizer::MarkedBlocks(const uint64_t* marks, int words) {
    int first = 0, last = -1;
    for (int w = 0; w < words; ++w)
        if (marks[w]) {
            first = (w << 6) + std::countr_zero(marks[w]);
            break;
        }
    for (int w = words - 1; w >= 0; --w)
        if (marks[w]) {
            last = (w << 6) + 63 - std::countl_zero(marks[w]);
            break;
        }
    return {first, last};
}

// A row of changes with its marks, first..last the marked blocks: swept,
// and left all clear, the spare changes past the clip's right side too.
void Rasterizer::SweepRowOfPlane(int y, float* delta, uint8_t* marks, const uint64_t* bits, int first, int last,
                                 FillRule rule, bool antialias, SpanSink& sink) {
    if (first > last) return;
    const int width = clip_.X1 - clip_.X0;
    const int inside = std::min(last, (width - 1) >> blockShift_);
    if (first <= inside) SweepMarked(y, delta, bits, first, inside, rule, antialias, sink);
    std::fill_n(delta + width, kSpare, 0.0f);
    std::fill(marks + first, marks + last + 1, uint8_t{0});
}

// One style's row from its changes by pixel (from the clip's left side) and
// a bit for each block of pixels they touch. Each stretch of marked blocks
// gets its covers off one running sum and goes out as one run; between
// stretches the coverage holds and goes out as one span. So the work follows
// the outline. Every change belongs to style 1, since lines keep the painted
// style on their left. Leaves the changes it read cleared; SweepRowOfPlane
// clears the rest.
void Rasterizer::SweepMarked(int y, float* rowDelta, const uint64_t* marks, int firstBlock, int lastBlock, FillRule rule,
                             bool antialias, SpanSink& sink) {
    const int x0 = clip_.X0;
    float* delta = rowDelta - x0;  // by pixel
    const int wFirst = firstBlock >> 6;
    int32_t* from = stretchFrom_.data();
    int32_t* to = stretchTo_.data();
    const int n = FindStretches(marks, wFirst, (lastBlock >> 6) - wFirst + 1, ~uint64_t{0} >> (63 - (lastBlock & 63)),
                                x0, clip_.X1, blockShift_, from, to);
    const CoverReader readCovers = rule == FillRule::NonZero
                                       ? (antialias ? CoverReaderFor<FillRule::NonZero, true>(path_)
                                                    : CoverReaderFor<FillRule::NonZero, false>(path_))
                                       : (antialias ? CoverReaderFor<FillRule::EvenOdd, true>(path_)
                                                    : CoverReaderFor<FillRule::EvenOdd, false>(path_));
    uint16_t* covers = run_.data() - x0;
    float* accAfter = stretchAcc_.data();
    float acc = 0;
    for (int k = 0; k < n; ++k) {
        // Empty pixels at the ends blend to nothing: cheaper to pass them on
        // than to look for them.
        acc = readCovers(delta, covers, from[k], to[k], acc);
        sink.Run(y, from[k], 1, covers + from[k], to[k] - from[k]);
        accAfter[k] = acc;
    }
    HeldSpans(y, n, rule, antialias, sink);
}

// The coverage found in a row's stretch holds up to the next one; after the
// row's last it runs on to the clip's right side, since the lines closing
// the area lie beyond it.
void Rasterizer::HeldSpans(int y, int n, FillRule rule, bool antialias, SpanSink& sink) {
    const int32_t* from = stretchFrom_.data();
    const int32_t* to = stretchTo_.data();
    const float* accAfter = stretchAcc_.data();
    for (int k = 0; k < n; ++k) {
        const int next = k + 1 < n ? from[k + 1] : clip_.X1;
        if (next > to[k])
            if (const uint32_t cover = CoverOf(accAfter[k], rule, antialias)) {
                const StyleCoverage one{1, cover};
                sink.Span(y, to[k], next, &one, 1);
            }
    }
}

// Rows top..bottom-1 of the clip, all in the plane, for a sink that takes
// an opaque colour straight into its pixels: each row's stretches are read
// and mixed in one go, without covers in between, and with no more than
// that to do for a row.
void Rasterizer::SweepMixedRows(int top, int bottom, FillRule rule, const MixTarget& mix, SpanSink& sink) {
    const int x0 = clip_.X0, width = clip_.X1 - x0;
    const int lastInside = (width - 1) >> blockShift_;  // marks past it are the spare changes'
    const int words = (lastInside >> 6) + 1;
    const uint64_t lastMask = ~uint64_t{0} >> (63 - (lastInside & 63));
    int32_t* from = stretchFrom_.data();
    int32_t* to = stretchTo_.data();
    float* accAfter = stretchAcc_.data();
    const bool evenOdd = rule == FillRule::EvenOdd;
    for (int r = top; r < bottom; ++r) {
        if (plane_) PrefetchAhead(r, bottom, sink);
        const size_t row = static_cast<size_t>(r - planeTop_);
        float* delta = planeDelta_.data() + row * stride_;
        if (const int n = FindStretches(MarkBits(row), 0, words, lastMask, x0, clip_.X1, blockShift_, from, to)) {
            const int y = r + clip_.Y0;
            blend::MixStretches(mix.Pixels + static_cast<size_t>(y) * mix.Stride, mix.Color, delta - x0, from, to, n,
                                accAfter, evenOdd, path_);
            HeldSpans(y, n, rule, true, sink);
        }
        std::fill_n(delta + width, kSpare, 0.0f);
        std::fill_n(planeMarks_.data() + row * markStride_, markStride_, uint8_t{0});
    }
}

void Rasterizer::SweepRow(int y, CellRow& row, FillRule rule, bool antialias, SpanSink& sink) {
    // A row's cells come a line at a time, each line's in rising x: often
    // already in order, else a few runs to put together.
    const bool sorted = std::is_sorted(row.begin(), row.end(), [](const Cell& a, const Cell& b) { return a.X < b.X; });
    if (sorted) {
    } else if (row.size() < 32) {
        for (size_t i = 1; i < row.size(); ++i) {
            const Cell c = row[i];
            size_t j = i;
            for (; j > 0 && row[j - 1].X > c.X; --j) row[j] = row[j - 1];
            row[j] = c;
        }
    } else {
        std::sort(row.begin(), row.end(), [](const Cell& a, const Cell& b) { return a.X < b.X; });
    }

    auto touch = [&](uint32_t s, float a, float b) {
        if (!s) return;
        acc_[s] += a;
        next_[s] += b;
        if (!isActive_[s]) {
            isActive_[s] = 1;
            active_.push_back(s);
        }
    };
    active_.clear();
    RunGatherer out{run_.data(), sink, y};
    const Cell* c = row.begin();
    const Cell* end = row.end();
    while (c != end) {
        const int x = c->X;
        for (; c != end && c->X == x; ++c) {
            // Coverage grows to the right of a downward line: that side is
            // the line's left in drawing direction when y points down.
            touch(c->Left, c->A, c->B);
            touch(c->Right, -c->A, -c->B);
        }
        const int xEnd = c != end ? c->X : clip_.X1;
        pixelCovers_.clear();
        for (const uint32_t s : active_)
            if (const uint32_t cover = CoverOf(acc_[s], rule, antialias)) pixelCovers_.push_back({s, cover});
        covers_.clear();
        for (size_t i = 0; i < active_.size();) {
            const uint32_t s = active_[i];
            acc_[s] += next_[s];
            next_[s] = 0;
            if (xEnd > x + 1)
                if (const uint32_t cover = CoverOf(acc_[s], rule, antialias)) covers_.push_back({s, cover});
            if (std::fabs(acc_[s]) < 1e-4f && c != end) {
                // Balanced again: drop it so long rows stay cheap.
                acc_[s] = 0;
                isActive_[s] = 0;
                active_[i] = active_.back();
                active_.pop_back();
            } else {
                ++i;
            }
        }
        const bool same = xEnd > x + 1 && covers_.size() == pixelCovers_.size() &&
                          std::equal(covers_.begin(), covers_.end(), pixelCovers_.begin(),
                                     [](const StyleCoverage& a, const StyleCoverage& b) {
                                         return a.Style == b.Style && a.Cover == b.Cover;
                                     });
        const int spanFrom = same ? x : x + 1;
        if (!same) {
            if (pixelCovers_.size() == 1) out.Pixel(x, pixelCovers_[0].Style, pixelCovers_[0].Cover);
            else if (!pixelCovers_.empty()) out.Span(x, x + 1, pixelCovers_.data(), static_cast<int>(pixelCovers_.size()));
        }
        if (!covers_.empty() && spanFrom < xEnd) out.Span(spanFrom, xEnd, covers_.data(), static_cast<int>(covers_.size()));
    }
    out.Flush();
    for (uint32_t s : active_) acc_[s] = 0, next_[s] = 0, isActive_[s] = 0;
}

}  // namespace qb::render
