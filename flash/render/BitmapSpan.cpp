#include "flash/render/BitmapSpan.h"

#include "flash/render/Cpu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#endif

namespace qb::render {
namespace {

// Positions step in 32.32 fixed point; every this many pixels the position
// is worked out afresh from the doubles, so rounding never adds up and the
// integer part stays far from overflowing.
constexpr int kChunk = 1024;
constexpr double kOne = 4294967296.0;
// Clamped bitmaps: any point this far out samples the edge all the same.
// Steps beyond kMaxStep pixels per pixel shrink the bitmap to nothing anyway.
constexpr double kFar = double(1 << 24), kMaxStep = double(1 << 12);

// The four pixels around a point blended: down first (top row p0 pair,
// bottom row p1 pair), then across. Both forms below round alike.
#if defined(__SSE2__)
inline uint32_t Blend4(__m128i top, __m128i bottom, uint32_t fu, uint32_t fv) {
    // Each register: the left pixel's channels in lanes 0-3, the right's in 4-7.
    const __m128i zero = _mm_setzero_si128();
    top = _mm_unpacklo_epi8(top, zero);
    bottom = _mm_unpacklo_epi8(bottom, zero);
    // Weights spread over the lanes by multiplication rather than shuffles.
    constexpr uint64_t kLanes = 0x0001000100010001u;
    const __m128i down = _mm_set1_epi64x(static_cast<int64_t>(fv * kLanes));
    const __m128i up = _mm_sub_epi16(_mm_set1_epi16(256), down);
    const __m128i col = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, up), _mm_mullo_epi16(bottom, down)), 8);
    const __m128i across = _mm_set_epi64x(static_cast<int64_t>(fu * kLanes), static_cast<int64_t>((256 - fu) * kLanes));
    __m128i m = _mm_mullo_epi16(col, across);
    m = _mm_srli_epi16(_mm_add_epi16(m, _mm_srli_si128(m, 8)), 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(m, m)));
}
inline uint32_t Blend4(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fu, uint32_t fv) {
    return Blend4(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p00)), _mm_cvtsi32_si128(static_cast<int>(p01))),
                  _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p10)), _mm_cvtsi32_si128(static_cast<int>(p11))),
                  fu, fv);
}
// Two neighbours in a row are one 64-bit load.
inline uint32_t Blend4(const uint32_t* top, const uint32_t* bottom, uint32_t fu, uint32_t fv) {
    return Blend4(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)),
                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), fu, fv);
}
// Two points at once, each from its own top and bottom pair: the same
// arithmetic as above with one pixel in each half of the registers. The
// weights come as 32-bit lanes: across for the two points, then down.
inline void Blend4Twice(const uint32_t* topA, const uint32_t* topB, int stride, __m128i weights, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128(), whole = _mm_set1_epi16(256);
    auto pair = [](const uint32_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    // Each weight over the four lanes of its point's channels.
    auto spread = [](__m128i w) { return _mm_or_si128(w, _mm_slli_epi32(w, 16)); };
    const __m128i right = spread(_mm_unpacklo_epi32(weights, weights));
    const __m128i down = spread(_mm_unpackhi_epi32(weights, weights));
    const __m128i up = _mm_sub_epi16(whole, down), left = _mm_sub_epi16(whole, right);
    // Left pixels of A and B in the low halves, right pixels in the high.
    const __m128i top = _mm_unpacklo_epi32(pair(topA), pair(topB));
    const __m128i bottom = _mm_unpacklo_epi32(pair(topA + stride), pair(topB + stride));
    auto column = [&](__m128i t, __m128i b) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(t, up), _mm_mullo_epi16(b, down)), 8);
    };
    const __m128i l = column(_mm_unpacklo_epi8(top, zero), _mm_unpacklo_epi8(bottom, zero));
    const __m128i r = column(_mm_unpackhi_epi8(top, zero), _mm_unpackhi_epi8(bottom, zero));
    const __m128i m = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(l, left), _mm_mullo_epi16(r, right)), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(m, m));
}
#endif

#if defined(__GNUC__) && defined(__x86_64__) && defined(__SSE2__)
#define QB_BITMAP_AVX2 1
// Four points at a time where the processor has it: two of the above side
// by side, the same arithmetic.

QB_AVX2 inline __m256i Spread8(__m256i w) { return _mm256_or_si256(w, _mm256_slli_epi32(w, 16)); }

QB_AVX2 inline __m256i Pairs8(const uint32_t* a, const uint32_t* b, const uint32_t* c, const uint32_t* d) {
    auto q = [](const uint32_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi32(q(a), q(b))), _mm_unpacklo_epi32(q(c), q(d)), 1);
}

QB_AVX2 inline __m256i Column8(__m256i t, __m256i b, __m256i up, __m256i down) {
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(t, up), _mm256_mullo_epi16(b, down)), 8);
}
#endif

#if !defined(__SSE2__)
// a and b mixed f/256 of the way (f 0..256), all four channels.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

inline uint32_t Blend4(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fu, uint32_t fv) {
    return Lerp(Lerp(p00, p10, fv), Lerp(p01, p11, fv), fu);
}
inline uint32_t Blend4(const uint32_t* top, const uint32_t* bottom, uint32_t fu, uint32_t fv) {
    return Blend4(top[0], top[1], bottom[0], bottom[1], fu, fv);
}
#endif

class Sampler {
public:
    Sampler(const Image& img, bool repeat) : px_(img.Pixels.data()), w_(img.Width), h_(img.Height), repeat_(repeat) {}

    // Pixels away from the right and bottom edges need no wrapping or clamping.
    bool Inside(int iu, int iv) const {
        return static_cast<unsigned>(iu) < static_cast<unsigned>(w_ - 1) &&
               static_cast<unsigned>(iv) < static_cast<unsigned>(h_ - 1);
    }
    // Narrows [from, to) to the points x + i*dx, y + i*dy (32.32 fixed point)
    // that are Inside: a stretch, as the points lie on a line.
    void InsideStretch(int64_t x, int64_t dx, int64_t y, int64_t dy, int& from, int& to) const {
        Stretch(x, dx, (int64_t{w_} - 1) << 32, from, to);
        Stretch(y, dy, (int64_t{h_} - 1) << 32, from, to);
        if (to < from) to = from;
    }
    const uint32_t* At(int iu, int iv) const { return px_ + static_cast<size_t>(iv) * static_cast<size_t>(w_) + iu; }
    int Column(int i) const { return Fold(i, w_); }
    const uint32_t* Row(int i) const { return px_ + static_cast<size_t>(Fold(i, h_)) * static_cast<size_t>(w_); }
    int Width() const { return w_; }

    uint32_t Nearest(int iu, int iv) const { return Row(iv)[Column(iu)]; }
    uint32_t Bilinear(int iu, int iv, uint32_t fu, uint32_t fv) const {
        if (Inside(iu, iv)) {
            const uint32_t* p = At(iu, iv);
            return Blend4(p, p + w_, fu, fv);
        }
        const uint32_t *r0 = Row(iv), *r1 = Row(iv + 1);
        const int c0 = Column(iu), c1 = Column(iu + 1);
        return Blend4(r0[c0], r0[c1], r1[c0], r1[c1], fu, fv);
    }

private:
    // Where 0 <= x + i*dx < end.
    static void Stretch(int64_t x, int64_t dx, int64_t end, int& from, int& to) {
        auto ceilDiv = [](int64_t a, int64_t b) { return a / b + (a % b != 0 && (a < 0) == (b < 0)); };
        auto narrow = [&](int64_t a, int64_t b) {
            from = static_cast<int>(std::clamp<int64_t>(a, from, to));
            to = static_cast<int>(std::clamp<int64_t>(b, from, to));
        };
        if (dx == 0) {
            if (x < 0 || x >= end) to = from;
        } else if (dx > 0) {
            narrow(ceilDiv(-x, dx), ceilDiv(end - x, dx));
        } else {
            narrow(ceilDiv(x - end + 1, -dx), ceilDiv(x + 1, -dx));
        }
    }

    int Fold(int i, int size) const {
        if (repeat_) {
            i %= size;
            return i < 0 ? i + size : i;
        }
        return std::clamp(i, 0, size - 1);
    }

    const uint32_t* px_;
    int w_, h_;
    bool repeat_;
};

// The bitmap's own pixels one for one along a row: copied.
void CopyRow(const Sampler& s, int iu, int iv, int n, uint32_t* out) {
    const uint32_t* row = s.Row(iv);
    const int from = std::clamp(-iu, 0, n), to = std::clamp(s.Width() - iu, from, n);
    for (int i = 0; i < from; ++i) out[i] = row[s.Column(iu + i)];
    if (to > from) std::memcpy(out + from, row + iu + from, static_cast<size_t>(to - from) * sizeof(uint32_t));
    for (int i = to; i < n; ++i) out[i] = row[s.Column(iu + i)];
}

#if defined(QB_BITMAP_AVX2)
// Blends points from (x, y) on, all away from the edges, four at a time;
// returns how many it did (a multiple of four, up to count).
QB_AVX2 int BlendStretch4(const Sampler& s, int64_t x, int64_t y, int64_t du, int64_t dv, int count, uint32_t* out) {
    auto low = [](int64_t f) { return static_cast<int>(static_cast<uint32_t>(f)); };
    // Fractions as in the two-point form, points A, B low and C, D high.
    __m256i frac = _mm256_setr_epi32(low(x), low(x + du), low(y), low(y + dv), low(x + 2 * du), low(x + 3 * du),
                                     low(y + 2 * dv), low(y + 3 * dv));
    const __m256i step = _mm256_setr_epi32(low(4 * du), low(4 * du), low(4 * dv), low(4 * dv), low(4 * du),
                                           low(4 * du), low(4 * dv), low(4 * dv));
    const __m256i zero = _mm256_setzero_si256(), whole = _mm256_set1_epi16(256);
    const int stride = s.Width();
    int i = 0;
    for (; i + 3 < count; i += 4, x += 4 * du, y += 4 * dv, frac = _mm256_add_epi32(frac, step)) {
        const uint32_t* a = s.At(static_cast<int>(x >> 32), static_cast<int>(y >> 32));
        const uint32_t* b = s.At(static_cast<int>((x + du) >> 32), static_cast<int>((y + dv) >> 32));
        const uint32_t* c = s.At(static_cast<int>((x + 2 * du) >> 32), static_cast<int>((y + 2 * dv) >> 32));
        const uint32_t* d = s.At(static_cast<int>((x + 3 * du) >> 32), static_cast<int>((y + 3 * dv) >> 32));
        const __m256i w = _mm256_srli_epi32(frac, 24);
        const __m256i right = Spread8(_mm256_unpacklo_epi32(w, w)), down = Spread8(_mm256_unpackhi_epi32(w, w));
        const __m256i up = _mm256_sub_epi16(whole, down), left = _mm256_sub_epi16(whole, right);
        const __m256i top = Pairs8(a, b, c, d);
        const __m256i bottom = Pairs8(a + stride, b + stride, c + stride, d + stride);
        const __m256i l = Column8(_mm256_unpacklo_epi8(top, zero), _mm256_unpacklo_epi8(bottom, zero), up, down);
        const __m256i r = Column8(_mm256_unpackhi_epi8(top, zero), _mm256_unpackhi_epi8(bottom, zero), up, down);
        const __m256i m = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(l, left), _mm256_mullo_epi16(r, right)), 8);
        // A, B in the low lane's first half, C, D in the high lane's.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(m, m), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_castsi256_si128(packed));
    }
    return i;
}
#endif

void Run(const Sampler& s, bool smooth, int64_t u, int64_t v, int64_t du, int64_t dv, int n, uint32_t* out,
         blend::Path path) {
    const bool aligned = du == int64_t{1} << 32 && dv == 0;
    if (aligned && (!smooth || ((u | v) & 0xFFFFFFFF) == 0)) {
        CopyRow(s, static_cast<int>(u >> 32), static_cast<int>(v >> 32), n, out);
        return;
    }
    if (!smooth) {
        for (int i = 0; i < n; ++i, u += du, v += dv)
            out[i] = s.Nearest(static_cast<int>(u >> 32), static_cast<int>(v >> 32));
        return;
    }
    auto one = [&](int i) {
        const int64_t x = u + du * i, y = v + dv * i;
        out[i] = s.Bilinear(static_cast<int>(x >> 32), static_cast<int>(y >> 32), static_cast<uint32_t>(x) >> 24,
                            static_cast<uint32_t>(y) >> 24);
    };
#if defined(__SSE2__)
    // The stretch of the run away from the edges needs no wrapping or
    // clamping: there two points at a time, the rest one by one.
    int from = 0, to = n;
    if (n < 8) to = 0;  // the edge pixels of a shape come a few at a time: not worth the divisions
    else s.InsideStretch(u, du, v, dv, from, to);
    for (int i = 0; i < from; ++i) one(i);
    int i = from;
#if defined(QB_BITMAP_AVX2)
    if (to - from >= 4 && path >= blend::Path::Avx2)
        i += BlendStretch4(s, u + du * from, v + dv * from, du, dv, to - from, out + from);
#endif
    if (to - i >= 2) {
        int64_t x = u + du * i, y = v + dv * i;
        // The fractions of both points step in one register; their top
        // bytes are the weights.
        auto low = [](int64_t f) { return static_cast<int>(static_cast<uint32_t>(f)); };
        __m128i frac = _mm_setr_epi32(low(x), low(x + du), low(y), low(y + dv));
        const __m128i step = _mm_setr_epi32(low(2 * du), low(2 * du), low(2 * dv), low(2 * dv));
        for (; i + 1 < to; i += 2, x += 2 * du, y += 2 * dv, frac = _mm_add_epi32(frac, step))
            Blend4Twice(s.At(static_cast<int>(x >> 32), static_cast<int>(y >> 32)),
                        s.At(static_cast<int>((x + du) >> 32), static_cast<int>((y + dv) >> 32)), s.Width(),
                        _mm_srli_epi32(frac, 24), out + i);
    }
    for (; i < n; ++i) one(i);
#else
    for (int i = 0; i < n; ++i) one(i);
#endif
}

}  // namespace

void FillBitmapSpan(const Image& img, bool repeat, bool smooth, double u, double v, double du, double dv, int n,
                    uint32_t* out, blend::Path path) {
    path = std::min(path, blend::FastestPath());
    const Sampler s(img, repeat);
    if (!std::isfinite(u) || !std::isfinite(v) || !std::isfinite(du) || !std::isfinite(dv)) u = v = du = dv = 0;
    du = std::clamp(du, -kMaxStep, kMaxStep);
    dv = std::clamp(dv, -kMaxStep, kMaxStep);
    // Values here are within 2^24 pixels: conversion cannot overflow.
    auto fixed = [](double x) { return static_cast<int64_t>(x * kOne + (x < 0 ? -0.5 : 0.5)); };
    for (int at = 0; at < n; at += kChunk) {
        double cu = u + du * at, cv = v + dv * at;
        if (repeat) {
            // Whole tiles away changes nothing; what is left is small.
            cu -= std::floor(cu / img.Width) * img.Width;
            cv -= std::floor(cv / img.Height) * img.Height;
        }
        cu = std::clamp(cu, -kFar, kFar);
        cv = std::clamp(cv, -kFar, kFar);
        Run(s, smooth, fixed(cu), fixed(cv), fixed(du), fixed(dv), std::min(kChunk, n - at), out + at, path);
    }
}

}  // namespace qb::render
