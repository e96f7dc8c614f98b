#pragma once
#include "flash/render/Blend.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace qb::render {

struct PixelRect {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;  // X1, Y1 exclusive
    bool Empty() const { return X1 <= X0 || Y1 <= Y0; }
    // Nothing in common gives the empty rectangle at the origin, whose sides
    // lie inside any canvas.
    PixelRect Intersect(const PixelRect& o) const;
};

enum class FillRule : uint8_t { EvenOdd, NonZero };

// How much of one pixel run one fill style covers, 0..256.
struct StyleCoverage {
    uint32_t Style;
    uint32_t Cover;
};

// Receives the rasterizer's output a run at a time: pixels x0..x1-1 of row y
// are covered by the listed styles (their covers add up to at most 256 where
// styles meet without overlapping).
class SpanSink {
public:
    virtual ~SpanSink() = default;
    virtual void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) = 0;
    // Row y will soon be written around pixels x0 and x1: a hint that lets
    // the sink fetch that memory while earlier rows are still being swept.
    virtual void Prefetch(int y, int x0, int x1) {}
    // Where runs of `style` need no covers: an opaque colour (given back in
    // `color`) mixed straight into the pixels, which this returns (row y at
    // y * stride, indexed by x). Null when the sink must see each run's
    // covers.
    virtual uint32_t* MixRows(uint32_t style, uint32_t& color, size_t& stride) { return nullptr; }
    // Pixels x0..x0+n-1 of row y, one style, each pixel with its own cover
    // (the anti-aliased rim along an edge).
    virtual void Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) {
        for (int i = 0; i < n; ++i) {
            const StyleCoverage c{style, covers[i]};
            if (c.Cover) Span(y, x0 + i, x0 + i + 1, &c, 1);
        }
    }
};

// A compound scanline rasterizer with exact-area anti-aliasing. Every line
// carries the fill style on its left and the one on its right, which is how
// movie shapes describe their regions, so all regions of a shape are
// rasterized in one pass and the seams between neighbouring regions get
// coverages that add up instead of letting the background through.
//
// Coverage is computed by signed-area accumulation: each line adds to the
// cells it crosses the area it cuts off to its right, and a prefix sum along
// the row turns those deltas into per-pixel coverage (as in the classic
// accumulation-buffer font rasterizers), but the cells are kept sparse so a
// large shape costs its outline, not its area; the interior comes out as runs.
class Rasterizer {
public:
    // `path` narrows the instructions used, as for the blend loops, so that
    // tests can set the paths side by side.
    explicit Rasterizer(blend::Path path = blend::Path::Avx512) : path_(std::min(path, blend::FastestPath())) {}
    // Starts a new pass restricted to `clip`; style numbers must be below
    // styleCount (0 is "no style" and never painted).
    void Begin(const PixelRect& clip, uint32_t styleCount);
    // A line in pixel coordinates (any size: parts outside the clip are
    // folded onto its edges so the coverage inside stays right).
    void Line(double x0, double y0, double x1, double y1, uint32_t styleLeft, uint32_t styleRight);
    // Turns the lines into runs; antialias false gives hard edges (a pixel is
    // in when more than half of it is).
    void Sweep(FillRule rule, bool antialias, SpanSink& sink);

    size_t CellCount() const { return cellCount_; }
    // Work ceiling of one pass; lines beyond it are dropped.
    static constexpr size_t kMaxCells = size_t{1} << 24;

private:
    // What the lines crossing pixel X of a row change: the coverage of
    // pixel X itself by A, and of every pixel from X+1 on by A + B; positive
    // for the style on a line's left, negative for the one on its right.
    // Pairing a pixel's change with its neighbour's halves the cells to sort
    // and sweep, and lines meeting in a pixel share its cell.
    struct Cell {
        int32_t X;
        uint32_t Left;
        uint32_t Right;
        float A;
        float B;
    };
    // A row's cells. Adding one is the hottest step of all: a store and a
    // count, growing out of line only while a first frame warms up.
    class CellRow {
    public:
        Cell* begin() { return cells_.data(); }
        Cell* end() { return cells_.data() + count_; }
        const Cell* begin() const { return cells_.data(); }
        const Cell* end() const { return cells_.data() + count_; }
        size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        void clear() { count_ = 0; }
        Cell& back() { return cells_[count_ - 1]; }
        const Cell& front() const { return cells_[0]; }
        const Cell& back() const { return cells_[count_ - 1]; }
        Cell& operator[](size_t i) { return cells_[i]; }
        [[gnu::always_inline]] void push_back(const Cell& c) {
            if (count_ == cells_.size()) [[unlikely]]
                Grow();
            cells_[count_++] = c;
        }

    private:
        [[gnu::noinline]] void Grow() { cells_.resize(std::max<size_t>(16, cells_.size() * 2)); }
        std::vector<Cell> cells_;  // all in use up to count_, the rest room
        size_t count_ = 0;
    };
    void ClippedLine(float x0, float y0, float x1, float y1, uint32_t styleLeft, uint32_t styleRight);
    void Piece(int y, float x, float xNext, float d, uint32_t styleLeft, uint32_t styleRight);
    void Across(int y, float xa, float xb, float d, uint32_t styleLeft, uint32_t styleRight);
    // One cell's change at pixel x of row y.
    [[gnu::always_inline]] void Put(int y, int x, float a, float b, uint32_t styleLeft, uint32_t styleRight) {
        if (x >= clip_.X1) return;
        if (x < clip_.X0) {
            // Nothing left of the clip is drawn: fold it onto the first pixel.
            x = clip_.X0, a += b, b = 0;
        }
        ++cellCount_;
        CellRow& row = rows_[static_cast<size_t>(y - clip_.Y0)];
        if (!row.empty()) {
            Cell& last = row.back();
            if (last.X == x && last.Left == styleLeft && last.Right == styleRight) {
                last.A += a, last.B += b;
                return;
            }
        }
        row.push_back({x, styleLeft, styleRight, a, b});
    }
    void ClearPlane();
    void SweepRow(int y, CellRow& row, FillRule rule, bool antialias, SpanSink& sink);
    // Where a sink takes an opaque colour straight into its pixels (row y
    // at Pixels + y * Stride); no pixels when it must see the covers.
    struct MixTarget {
        uint32_t* Pixels = nullptr;
        size_t Stride = 0;
        uint32_t Color = 0;
    };
    void SweepPlaneRows(int top, int bottom, FillRule rule, bool antialias, const MixTarget& mix, SpanSink& sink);
    static std::pair<int, int> MarkedBlocks(const uint64_t* marks, int words);
    const uint64_t* MarkBits(size_t row);
    void SweepRowOfPlane(int y, float* delta, uint8_t* marks, const uint64_t* bits, int first, int last, FillRule rule,
                         bool antialias, SpanSink& sink);
    void AddEdge(float x0, float y0, float x1, float y1, uint32_t styleLeft);
    struct Edge;
    void EdgeRows(const Edge& e, int from, int to);
    void SweepBands(FillRule rule, bool antialias, const MixTarget& mix, SpanSink& sink);
    void SteepRow(float* rowDelta, uint8_t* marks, float x, float xNext, float d, float invWidth);
    void ShallowRow(float* rowDelta, uint8_t* marks, float x, float xNext, float d, float invWidth);
    void ClearEdges();
    void SweepMarked(int y, float* rowDelta, const uint64_t* marks, int firstBlock, int lastBlock, FillRule rule,
                     bool antialias, SpanSink& sink);
    void HeldSpans(int y, int stretches, FillRule rule, bool antialias, SpanSink& sink);
    void SweepMixedRows(int top, int bottom, FillRule rule, const MixTarget& mix, SpanSink& sink);
    void PrefetchAhead(int r, int bottom, SpanSink& sink);
    // The plane marks blocks of eight pixels, or of sixteen in a pass swept
    // by bands into a sink that mixes straight in.
    static constexpr int kFineBlockShift = 3, kCoarseBlockShift = 4;
    int blockShift_ = kFineBlockShift;
    // Changes a row keeps past the clip's right side: a line's last pixel
    // may pass its changes on beyond it, and a shallow line's middle and a
    // steep line's three changes are written four at a time.
    static constexpr size_t kSpare = 8;

    blend::Path path_;
    PixelRect clip_;
    uint32_t styleCount_ = 0;
    std::vector<CellRow> rows_;  // by row of the clip, capacity kept between passes
    int firstRow_ = 0, lastRow_ = -1;      // rows touched in this pass
    size_t cellCount_ = 0;
    std::vector<float> acc_, next_;
    std::vector<uint32_t> active_;
    std::vector<uint8_t> isActive_;
    std::vector<StyleCoverage> covers_, pixelCovers_;
    std::vector<uint16_t> run_;  // a row's covers on their way out as runs
    // A one-style row's stretches of marked blocks: first pixels, the pixels
    // past them, and the running sum after each.
    std::vector<int32_t> stretchFrom_, stretchTo_;
    std::vector<float> stretchAcc_;
    // A pass of one style (a stroke, a one-colour shape) keeps no cells: its
    // lines add their changes straight into a plane of the clip's pixels and
    // mark the blocks of pixels they touch, a byte each, and the sweep reads
    // the marked blocks only. Nothing to store, sort or walk twice.
    // Beyond this many pixels a plane would not stay in the caches: the
    // pass goes by bands instead.
    static constexpr size_t kMaxPlanePixels = size_t{1} << 18;
    bool plane_ = false;              // this pass draws into the plane
    bool planeDirty_ = false;         // and has written to it since its last sweep
    std::vector<float> planeDelta_;   // stride_ floats a row, all zero between passes
    std::vector<uint8_t> planeMarks_;  // markStride_ a row, a byte a block
    std::vector<uint64_t> markBits_;   // one row's marks, a bit a block
    size_t stride_ = 0, markStride_ = 0;
    // A one-style pass too large for the plane keeps its lines instead,
    // each listed under the band it starts in, and sweeps them a band of
    // rows at a time through a plane of one band (the lines crossing it
    // draw their rows there), so the changes never leave the caches and
    // no cell is stored and read back.
    struct Edge {
        float XFirst;        // where the line enters its first row
        float XSecond;       // and its second
        float Dxdy;
        float InvWidth;      // 1/|Dxdy|: how much of a row's height it spends in one pixel's width
        float Dir;           // +1 or -1: which way it changes the coverage
        float FirstDy;       // the height of its first row (of its only row, when it has one)
        float LastDy;        // and of its last
        float XEnd;          // where a line within one row ends
        int32_t RowFirst;    // rows RowFirst..RowEnd-1 of the clip
        int32_t RowEnd;
        int32_t Next;        // the next line listed under the same band, or -1
    };
    static constexpr size_t kMaxBandPixels = size_t{1} << 17;
    bool banded_ = false;             // this pass keeps its lines for a sweep by bands
    int bandRows_ = 1;
    int planeTop_ = 0;                // the row of the clip the plane's first row stands for
    std::vector<Edge> edges_;
    // By band (bandRows_ rows each, from the clip's top): the first line
    // starting there, or -1.
    std::vector<int32_t> bandEdges_;
    std::vector<uint32_t> crossing_;  // the lines crossing the band being swept
    // Far enough ahead to hide a trip to main memory behind the sweep of the
    // rows before it.
    static constexpr int kPrefetchRows = 4;
};

}  // namespace qb::render
