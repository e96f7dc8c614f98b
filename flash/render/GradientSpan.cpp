#include "flash/render/GradientSpan.h"

#include "flash/render/Blend.h"
#include "flash/render/Cpu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qb::render {
namespace {

using swf::SpreadMode;

// Beyond this every float is a whole number: repeating and reflecting give
// the gradient's start there, and the clamp keeps the integer conversions
// of the vector path in range.
constexpr float kFar = 8388608.0f;

// Gradient position to table index under a spread mode.
template <SpreadMode Spread>
inline int Index(float t) {
    if constexpr (Spread == SpreadMode::Pad) {
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    } else if constexpr (Spread == SpreadMode::Repeat) {
        t = std::clamp(t, -kFar, kFar);
        t -= std::floor(t);
    } else {
        t = std::min(std::fabs(t), kFar);
        t -= 2.0f * std::floor(t * 0.5f);
        if (t > 1.0f) t = 2.0f - t;
    }
    const float i = t * 255.0f + 0.5f;
    return i >= 0.0f ? (i < 255.0f ? static_cast<int>(i) : 255) : 0;  // NaN lands on 0
}

// The focal point of a run and what follows from it alone.
//
// Where the ray from the focal point through the pixel meets the unit circle
// decides how far along the gradient the pixel is: with d the way from the
// focal point to the pixel, that is at s*d where
//   s*s*dd + 2*s*fd + f*f - 1 = 0,
// and the pixel's position is 1/s. Of the two ways to write that root, each
// loses precision where the other keeps it, so a pixel on the near side of
// the focal point (fd >= 0) takes (fd + root) / (1 - f*f), a product, and
// one behind it dd / (root - fd), a quotient; division is the slow part.
// Behind the focal point the product loses at most a factor of
// (1 + |f|) / (1 - |f|) to cancellation, under 20 (four bits of 24) while
// |f| <= 0.9: still a hundred times finer than the table's steps at the
// gradient's end, so those focal points take the product everywhere.
struct Focus {
    explicit Focus(float focal)
        : F(focal), FF1(focal * focal - 1.0f), InvOneMinusFF(1.0f / (1.0f - focal * focal)),
          // At or beyond the circle the product form has nothing to divide by.
          Inside(focal * focal < 1.0f), Central(focal * focal <= 0.81f) {}
    bool Near(float fd) const { return Central || (Inside && fd >= 0.0f); }
    float F, FF1, InvOneMinusFF;
    bool Inside, Central;
};

inline float FocalPosition(float x, float y, const Focus& c) {
    const float dx = x - c.F, dy = y;
    const float dd = dx * dx + dy * dy;
    if (dd < 1e-12f) return 0.0f;
    const float fd = c.F * dx;
    const float root = std::sqrt(std::max(0.0f, fd * fd - dd * c.FF1));
    if (c.Near(fd)) return (fd + root) * c.InvOneMinusFF;
    const float q = root - fd;
    return q > 0.0f ? dd / q : 1.0f;  // no meeting (or no number): the circle's colour
}

template <GradientShape Shape>
inline float Position(float x, float y, const Focus& c) {
    if constexpr (Shape == GradientShape::Linear) return (x + 1.0f) * 0.5f;
    else if constexpr (Shape == GradientShape::Radial) return std::sqrt(x * x + y * y);
    else return FocalPosition(x, y, c);
}

#if defined(__SSE2__)
inline __m128 Floor4(__m128 t) {
    // Truncation, then one less where that went up (negative fractions).
    const __m128 tr = _mm_cvtepi32_ps(_mm_cvttps_epi32(t));
    return _mm_sub_ps(tr, _mm_and_ps(_mm_cmplt_ps(t, tr), _mm_set1_ps(1.0f)));
}

inline __m128 Abs4(__m128 t) { return _mm_and_ps(t, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF))); }

inline __m128 Select4(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

inline __m128 AllOrNone4(bool all) { return _mm_castsi128_ps(_mm_set1_epi32(all ? -1 : 0)); }

template <SpreadMode Spread>
inline __m128i Index4(__m128 t) {
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
    if constexpr (Spread == SpreadMode::Pad) {
        t = _mm_min_ps(_mm_max_ps(t, zero), one);
    } else if constexpr (Spread == SpreadMode::Repeat) {
        t = _mm_min_ps(_mm_max_ps(t, _mm_set1_ps(-kFar)), _mm_set1_ps(kFar));
        t = _mm_sub_ps(t, Floor4(t));
    } else {
        t = _mm_min_ps(Abs4(t), _mm_set1_ps(kFar));
        t = _mm_sub_ps(t, _mm_mul_ps(_mm_set1_ps(2.0f), Floor4(_mm_mul_ps(t, _mm_set1_ps(0.5f)))));
        t = Select4(_mm_cmpgt_ps(t, one), _mm_sub_ps(_mm_set1_ps(2.0f), t), t);
    }
    // max first: a NaN gives way to 0, as in the one-pixel path.
    __m128 i = _mm_add_ps(_mm_mul_ps(t, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f));
    i = _mm_min_ps(_mm_max_ps(i, zero), _mm_set1_ps(255.0f));
    return _mm_cvttps_epi32(i);
}

template <GradientShape Shape>
inline __m128 Position4(__m128 x, __m128 y, const Focus& c) {
    if constexpr (Shape == GradientShape::Linear) {
        return _mm_mul_ps(_mm_add_ps(x, _mm_set1_ps(1.0f)), _mm_set1_ps(0.5f));
    } else if constexpr (Shape == GradientShape::Radial) {
        return _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)));
    } else {
        const __m128 f = _mm_set1_ps(c.F), zero = _mm_setzero_ps();
        const __m128 dx = _mm_sub_ps(x, f);
        const __m128 dd = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(y, y));
        const __m128 fd = _mm_mul_ps(f, dx);
        const __m128 disc = _mm_sub_ps(_mm_mul_ps(fd, fd), _mm_mul_ps(dd, _mm_set1_ps(c.FF1)));
        const __m128 root = _mm_sqrt_ps(_mm_max_ps(zero, disc));
        const __m128 near = _mm_or_ps(_mm_and_ps(_mm_cmpge_ps(fd, zero), AllOrNone4(c.Inside)), AllOrNone4(c.Central));
        __m128 t = _mm_mul_ps(_mm_add_ps(fd, root), _mm_set1_ps(c.InvOneMinusFF));
        if (_mm_movemask_ps(near) != 0xF) {
            const __m128 q = _mm_sub_ps(root, fd);
            const __m128 far = Select4(_mm_cmpgt_ps(q, zero), _mm_div_ps(dd, q), _mm_set1_ps(1.0f));
            t = Select4(near, t, far);
        }
        return _mm_andnot_ps(_mm_cmplt_ps(dd, _mm_set1_ps(1e-12f)), t);
    }
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
#define QB_GRADIENT_AVX2 1
// The same arithmetic eight, sixteen or sixty-four pixels at a time, for
// processors that have it; every operation rounds as its four-wide twin
// does, so the pictures are the same whichever path runs.
#if defined(__clang__)
#define QB_AVX512 __attribute__((target("avx512f")))
#define QB_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#else
// AVX-512 brings fused multiply-add with it, which rounds once where the
// narrower paths round twice; GCC would fuse, so it is told not to.
#define QB_AVX512 __attribute__((target("avx512f"), optimize("fp-contract=off")))
#define QB_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi"), optimize("fp-contract=off")))
#endif

QB_AVX2 inline __m256 Select8(__m256 mask, __m256 a, __m256 b) { return _mm256_blendv_ps(b, a, mask); }

QB_AVX2 inline __m256 AllOrNone8(bool all) { return _mm256_castsi256_ps(_mm256_set1_epi32(all ? -1 : 0)); }

// As Index4, with two clamps fewer: rounding down needs no clamp to stay
// exact, and the last masks instead, since t is in 0..1 or NaN by then and
// NaN's 0x80000000 masks to entry 0 as the other paths give.
template <SpreadMode Spread>
QB_AVX2 inline __m256i Index8(__m256 t) {
    const __m256 one = _mm256_set1_ps(1.0f);
    if constexpr (Spread == SpreadMode::Pad) {
        t = _mm256_min_ps(_mm256_max_ps(t, _mm256_setzero_ps()), one);
    } else if constexpr (Spread == SpreadMode::Repeat) {
        // Beyond kFar the fraction is 0 with or without the clamp; infinities
        // give NaN.
        t = _mm256_sub_ps(t, _mm256_floor_ps(t));
    } else {
        t = _mm256_min_ps(_mm256_and_ps(t, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF))), _mm256_set1_ps(kFar));
        const __m256 rounds = _mm256_floor_ps(_mm256_mul_ps(t, _mm256_set1_ps(0.5f)));
        t = _mm256_sub_ps(t, _mm256_mul_ps(_mm256_set1_ps(2.0f), rounds));
        t = Select8(_mm256_cmp_ps(t, one, _CMP_GT_OQ), _mm256_sub_ps(_mm256_set1_ps(2.0f), t), t);
    }
    const __m256 i = _mm256_add_ps(_mm256_mul_ps(t, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f));
    return _mm256_and_si256(_mm256_cvttps_epi32(i), _mm256_set1_epi32(255));
}

template <GradientShape Shape>
QB_AVX2 inline __m256 Position8(__m256 x, __m256 y, const Focus& c) {
    if constexpr (Shape == GradientShape::Linear) {
        return _mm256_mul_ps(_mm256_add_ps(x, _mm256_set1_ps(1.0f)), _mm256_set1_ps(0.5f));
    } else if constexpr (Shape == GradientShape::Radial) {
        return _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(x, x), _mm256_mul_ps(y, y)));
    } else {
        const __m256 f = _mm256_set1_ps(c.F), zero = _mm256_setzero_ps();
        const __m256 dx = _mm256_sub_ps(x, f);
        const __m256 dd = _mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(y, y));
        const __m256 fd = _mm256_mul_ps(f, dx);
        const __m256 disc = _mm256_sub_ps(_mm256_mul_ps(fd, fd), _mm256_mul_ps(dd, _mm256_set1_ps(c.FF1)));
        const __m256 root = _mm256_sqrt_ps(_mm256_max_ps(zero, disc));
        const __m256 ahead = _mm256_and_ps(_mm256_cmp_ps(fd, zero, _CMP_GE_OQ), AllOrNone8(c.Inside));
        const __m256 near = _mm256_or_ps(ahead, AllOrNone8(c.Central));
        __m256 t = _mm256_mul_ps(_mm256_add_ps(fd, root), _mm256_set1_ps(c.InvOneMinusFF));
        if (_mm256_movemask_ps(near) != 0xFF) {
            const __m256 q = _mm256_sub_ps(root, fd);
            const __m256 far =
                Select8(_mm256_cmp_ps(q, zero, _CMP_GT_OQ), _mm256_div_ps(dd, q), _mm256_set1_ps(1.0f));
            t = Select8(near, t, far);
        }
        return _mm256_andnot_ps(_mm256_cmp_ps(dd, _mm256_set1_ps(1e-12f), _CMP_LT_OQ), t);
    }
}

// Pixels from 0 in steps of eight; returns how many it did.
template <GradientShape Shape, SpreadMode Spread>
QB_AVX2 int Fill8(const uint32_t* lut, float gx, float gy, float sx, float sy, const Focus& c, int n, uint32_t* out) {
    const __m256 x0 = _mm256_set1_ps(gx), y0 = _mm256_set1_ps(gy), vsx = _mm256_set1_ps(sx), vsy = _mm256_set1_ps(sy);
    __m256 steps = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
    alignas(32) int32_t idx[8];
    int i = 0;
    // Plain loads beat a gather here, on the processors measured.
    for (; i + 8 <= n; i += 8, steps = _mm256_add_ps(steps, _mm256_set1_ps(8.0f))) {
        const __m256 x = _mm256_add_ps(x0, _mm256_mul_ps(steps, vsx));
        const __m256 y = _mm256_add_ps(y0, _mm256_mul_ps(steps, vsy));
        _mm256_store_si256(reinterpret_cast<__m256i*>(idx), Index8<Spread>(Position8<Shape>(x, y, c)));
        for (int k = 0; k < 8; ++k) out[i + k] = lut[idx[k]];
    }
    return i;
}

QB_AVX512_CODE_BEGIN

// As Index8, less the clamps that only keep an index inside the table:
// Lookup16 reads the low eight bits alone, so nothing can land outside it,
// and the one index a clamp would still change, NaN's, comes out of the
// conversion as 0x80000000, which reads entry 0 as the other paths do.
template <SpreadMode Spread>
QB_AVX512 inline __m512i Index16(__m512 t) {
    constexpr int kDown = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;
    if constexpr (Spread == SpreadMode::Pad) {
        t = _mm512_min_ps(_mm512_max_ps(t, _mm512_setzero_ps()), _mm512_set1_ps(1.0f));
    } else if constexpr (Spread == SpreadMode::Repeat) {
        // Beyond kFar the fraction is 0 with or without the clamp; infinities
        // give NaN.
        t = _mm512_sub_ps(t, _mm512_roundscale_ps(t, kDown));
    } else {
        t = _mm512_min_ps(_mm512_abs_ps(t), _mm512_set1_ps(kFar));
        t = _mm512_sub_ps(t, _mm512_mul_ps(_mm512_set1_ps(2.0f),
                                           _mm512_roundscale_ps(_mm512_mul_ps(t, _mm512_set1_ps(0.5f)), kDown)));
        t = _mm512_mask_sub_ps(t, _mm512_cmp_ps_mask(t, _mm512_set1_ps(1.0f), _CMP_GT_OQ), _mm512_set1_ps(2.0f), t);
    }
    // t is in 0..1 or NaN here, so this is 0..255 or 0x80000000.
    return _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(t, _mm512_set1_ps(255.0f)), _mm512_set1_ps(0.5f)));
}

template <GradientShape Shape>
QB_AVX512 inline __m512 Position16(__m512 x, __m512 y, const Focus& c) {
    if constexpr (Shape == GradientShape::Linear) {
        return _mm512_mul_ps(_mm512_add_ps(x, _mm512_set1_ps(1.0f)), _mm512_set1_ps(0.5f));
    } else if constexpr (Shape == GradientShape::Radial) {
        return _mm512_sqrt_ps(_mm512_add_ps(_mm512_mul_ps(x, x), _mm512_mul_ps(y, y)));
    } else {
        const __m512 f = _mm512_set1_ps(c.F), zero = _mm512_setzero_ps();
        const __m512 dx = _mm512_sub_ps(x, f);
        const __m512 dd = _mm512_add_ps(_mm512_mul_ps(dx, dx), _mm512_mul_ps(y, y));
        const __m512 fd = _mm512_mul_ps(f, dx);
        const __m512 disc = _mm512_sub_ps(_mm512_mul_ps(fd, fd), _mm512_mul_ps(dd, _mm512_set1_ps(c.FF1)));
        const __m512 root = _mm512_sqrt_ps(_mm512_max_ps(zero, disc));
        const __mmask16 near = c.Central ? 0xFFFF : c.Inside ? _mm512_cmp_ps_mask(fd, zero, _CMP_GE_OQ) : 0;
        __m512 t = _mm512_mul_ps(_mm512_add_ps(fd, root), _mm512_set1_ps(c.InvOneMinusFF));
        if (near != 0xFFFF) {
            const __m512 q = _mm512_sub_ps(root, fd);
            const __mmask16 meets = _mm512_cmp_ps_mask(q, zero, _CMP_GT_OQ) & static_cast<__mmask16>(~near);
            t = _mm512_mask_div_ps(_mm512_mask_blend_ps(near, _mm512_set1_ps(1.0f), t), meets, dd, q);
        }
        return _mm512_maskz_mov_ps(_mm512_cmp_ps_mask(dd, _mm512_set1_ps(1e-12f), _CMP_NLT_UQ), t);
    }
}

// The colours of sixteen indices, from the table held whole in sixteen
// registers: each pair of registers answers for 32 entries, and the top three
// bits of an index choose among the eight answers. Cheaper than a gather.
QB_AVX512 inline __m512i Lookup16(const __m512i* t, __m512i idx) {
    const __mmask16 b5 = _mm512_test_epi32_mask(idx, _mm512_set1_epi32(32));
    const __mmask16 b6 = _mm512_test_epi32_mask(idx, _mm512_set1_epi32(64));
    const __mmask16 b7 = _mm512_test_epi32_mask(idx, _mm512_set1_epi32(128));
    const __m512i e0 = _mm512_permutex2var_epi32(t[0], idx, t[1]), e1 = _mm512_permutex2var_epi32(t[2], idx, t[3]);
    const __m512i e2 = _mm512_permutex2var_epi32(t[4], idx, t[5]), e3 = _mm512_permutex2var_epi32(t[6], idx, t[7]);
    const __m512i e4 = _mm512_permutex2var_epi32(t[8], idx, t[9]), e5 = _mm512_permutex2var_epi32(t[10], idx, t[11]);
    const __m512i e6 = _mm512_permutex2var_epi32(t[12], idx, t[13]), e7 = _mm512_permutex2var_epi32(t[14], idx, t[15]);
    const __m512i low =
        _mm512_mask_blend_epi32(b6, _mm512_mask_blend_epi32(b5, e0, e1), _mm512_mask_blend_epi32(b5, e2, e3));
    const __m512i high =
        _mm512_mask_blend_epi32(b6, _mm512_mask_blend_epi32(b5, e4, e5), _mm512_mask_blend_epi32(b5, e6, e7));
    return _mm512_mask_blend_epi32(b7, low, high);
}

// Every pixel, sixteen at a time, in the 64-byte lines of `out`: a store
// that straddles two lines costs nearly as much as the sums behind it. The
// pixels of the first and last line that are not the run's stay masked off.
template <GradientShape Shape, SpreadMode Spread>
QB_AVX512 void Fill16(const uint32_t* lut, float gx, float gy, float sx, float sy, const Focus& c, int n,
                      uint32_t* out) {
    const __m512 x0 = _mm512_set1_ps(gx), y0 = _mm512_set1_ps(gy), vsx = _mm512_set1_ps(sx), vsy = _mm512_set1_ps(sy);
    const __m512 lanes = _mm512_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f,
                                        12.0f, 13.0f, 14.0f, 15.0f);
    if (n <= 16) {
        // The few pixels at a shape's edge: over before the table would be
        // loaded, so one gather instead, of indices kept inside the table.
        const __m512 x = _mm512_add_ps(x0, _mm512_mul_ps(lanes, vsx));
        const __m512 y = _mm512_add_ps(y0, _mm512_mul_ps(lanes, vsy));
        const __m512i idx = _mm512_and_si512(Index16<Spread>(Position16<Shape>(x, y, c)), _mm512_set1_epi32(255));
        const __mmask16 live = static_cast<__mmask16>((1u << n) - 1);
        _mm512_mask_storeu_epi32(out, live, _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), live, idx, lut, 4));
        return;
    }
    const int lead = static_cast<int>(reinterpret_cast<uintptr_t>(out) / sizeof(uint32_t) % 16);
    __m512 steps = _mm512_add_ps(_mm512_set1_ps(static_cast<float>(-lead)), lanes);
    __m512i table[16];
    for (int k = 0; k < 16; ++k) table[k] = _mm512_loadu_si512(lut + 16 * k);
    for (int i = -lead; i < n; i += 16, steps = _mm512_add_ps(steps, _mm512_set1_ps(16.0f))) {
        const __m512 x = _mm512_add_ps(x0, _mm512_mul_ps(steps, vsx));
        const __m512 y = _mm512_add_ps(y0, _mm512_mul_ps(steps, vsy));
        const __m512i colour = Lookup16(table, Index16<Spread>(Position16<Shape>(x, y, c)));
        uint32_t live = 0xFFFF;
        if (i < 0) live &= 0xFFFFu << -i;
        if (n - i < 16) live &= (1u << (n - i)) - 1;
        // Through an integer: before the run's first pixel, `out + i` would
        // point outside it, though nothing there is touched.
        void* at = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(out) + static_cast<intptr_t>(i) * 4);
        _mm512_mask_storeu_epi32(at, static_cast<__mmask16>(live), colour);
    }
}

// With byte permutes the table splits into four planes, one byte of every
// colour each, and one permute looks up 64 pixels' bytes where Lookup16 needs
// eight for sixteen pixels' colours. Splitting costs about what sixteen
// pixels' lookups save, so the shortest runs keep to Fill16.
constexpr int kPlanesFrom = 32;

// Within sixteen colours, the bytes in plane order: the sixteen first bytes,
// then the sixteen second bytes, and so on.
struct PlanePick {
    alignas(64) uint8_t Bytes[64];
};
constexpr PlanePick MakePlanePick() {
    PlanePick p{};
    for (int j = 0; j < 64; ++j) p.Bytes[j] = static_cast<uint8_t>(j % 16 * 4 + j / 16);
    return p;
}
constexpr PlanePick kPlanePick = MakePlanePick();

// Plane k, entries 64*q..64*q+63, is register 4*k+q.
QB_AVX512_VBMI inline void SplitPlanes(const uint32_t* lut, __m512i* planes) {
    const __m512i pick = _mm512_load_si512(kPlanePick.Bytes);
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        // Four registers of sixteen colours each, each ordered by plane...
        __m512i z[4];
#pragma GCC unroll 4
        for (int r = 0; r < 4; ++r) z[r] = _mm512_permutexvar_epi8(pick, _mm512_loadu_si512(lut + 64 * q + 16 * r));
        // ...then their quarters transposed, as a 4 x 4 matrix.
        const __m512i t0 = _mm512_shuffle_i64x2(z[0], z[1], 0x44), t1 = _mm512_shuffle_i64x2(z[0], z[1], 0xEE);
        const __m512i t2 = _mm512_shuffle_i64x2(z[2], z[3], 0x44), t3 = _mm512_shuffle_i64x2(z[2], z[3], 0xEE);
        planes[q] = _mm512_shuffle_i64x2(t0, t2, 0x88);
        planes[4 + q] = _mm512_shuffle_i64x2(t0, t2, 0xDD);
        planes[8 + q] = _mm512_shuffle_i64x2(t1, t3, 0x88);
        planes[12 + q] = _mm512_shuffle_i64x2(t1, t3, 0xDD);
    }
}

// Sixty-four pixels from their indices. Packing the indices to bytes
// interleaves the four sets of sixteen by 128-bit lane, and unpacking the
// planes' bytes back into colours undoes exactly that.
QB_AVX512_VBMI inline void Lookup64(const __m512i* planes, __m512i i0, __m512i i1, __m512i i2, __m512i i3,
                                    __m512i* colours) {
    // Unsigned saturation turns NaN's 0x80000000 into 0, as it should be.
    const __m512i idx = _mm512_packus_epi16(_mm512_packus_epi32(i0, i1), _mm512_packus_epi32(i2, i3));
    const __mmask64 high = _mm512_movepi8_mask(idx);
    __m512i v[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k)
        v[k] = _mm512_mask_blend_epi8(high, _mm512_permutex2var_epi8(planes[4 * k], idx, planes[4 * k + 1]),
                                      _mm512_permutex2var_epi8(planes[4 * k + 2], idx, planes[4 * k + 3]));
    const __m512i lo01 = _mm512_unpacklo_epi8(v[0], v[1]), hi01 = _mm512_unpackhi_epi8(v[0], v[1]);
    const __m512i lo23 = _mm512_unpacklo_epi8(v[2], v[3]), hi23 = _mm512_unpackhi_epi8(v[2], v[3]);
    colours[0] = _mm512_unpacklo_epi16(lo01, lo23);
    colours[1] = _mm512_unpackhi_epi16(lo01, lo23);
    colours[2] = _mm512_unpacklo_epi16(hi01, hi23);
    colours[3] = _mm512_unpackhi_epi16(hi01, hi23);
}

// As Fill16, 64 pixels a round.
template <GradientShape Shape, SpreadMode Spread>
QB_AVX512_VBMI void Fill64(const uint32_t* lut, float gx, float gy, float sx, float sy, const Focus& c, int n,
                           uint32_t* out) {
    const int lead = static_cast<int>(reinterpret_cast<uintptr_t>(out) / sizeof(uint32_t) % 16);
    const __m512 x0 = _mm512_set1_ps(gx), y0 = _mm512_set1_ps(gy), vsx = _mm512_set1_ps(sx), vsy = _mm512_set1_ps(sy);
    __m512 steps = _mm512_add_ps(_mm512_set1_ps(static_cast<float>(-lead)),
                                 _mm512_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f,
                                                11.0f, 12.0f, 13.0f, 14.0f, 15.0f));
    __m512i planes[16];
    SplitPlanes(lut, planes);
    for (int i = -lead; i < n; i += 64) {
        __m512i idx[4];
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k, steps = _mm512_add_ps(steps, _mm512_set1_ps(16.0f))) {
            // Past the run's end nothing is worked out, nor stored below.
            if (i + 16 * k >= n) {
                idx[k] = _mm512_setzero_si512();
                continue;
            }
            const __m512 x = _mm512_add_ps(x0, _mm512_mul_ps(steps, vsx));
            const __m512 y = _mm512_add_ps(y0, _mm512_mul_ps(steps, vsy));
            idx[k] = Index16<Spread>(Position16<Shape>(x, y, c));
        }
        __m512i colours[4];
        Lookup64(planes, idx[0], idx[1], idx[2], idx[3], colours);
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            const int at = i + 16 * k;
            if (at >= n) break;
            uint32_t live = 0xFFFF;
            if (at < 0) live &= 0xFFFFu << -at;
            if (n - at < 16) live &= (1u << (n - at)) - 1;
            void* to = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(out) + static_cast<intptr_t>(at) * 4);
            _mm512_mask_storeu_epi32(to, static_cast<__mmask16>(live), colours[k]);
        }
    }
}

QB_AVX512_CODE_END
#endif

GradientPath Detect() {
#if defined(QB_GRADIENT_AVX2)
    if (HasAvx512Vbmi()) return GradientPath::Avx512Vbmi;
    if (HasAvx512()) return GradientPath::Avx512;
    if (HasAvx2()) return GradientPath::Avx2;
#endif
#if defined(__SSE2__)
    return GradientPath::Sse2;
#else
    return GradientPath::Scalar;
#endif
}

template <GradientShape Shape, SpreadMode Spread>
void Fill(GradientPath path, const uint32_t* lut, float gx, float gy, float sx, float sy, float focal, int n,
          uint32_t* out) {
    const Focus c(focal);
    int i = 0;
#if defined(QB_GRADIENT_AVX2)
    if (path >= GradientPath::Avx512Vbmi && n >= kPlanesFrom)
        return Fill64<Shape, Spread>(lut, gx, gy, sx, sy, c, n, out);
    if (path >= GradientPath::Avx512) return Fill16<Shape, Spread>(lut, gx, gy, sx, sy, c, n, out);
    if (path >= GradientPath::Avx2 && n >= 8) i = Fill8<Shape, Spread>(lut, gx, gy, sx, sy, c, n, out);
#endif
#if defined(__SSE2__)
    if (path >= GradientPath::Sse2) {
        __m128 steps = _mm_set1_ps(static_cast<float>(i));
        steps = _mm_add_ps(steps, _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f));
        const __m128 x0 = _mm_set1_ps(gx), y0 = _mm_set1_ps(gy), vsx = _mm_set1_ps(sx), vsy = _mm_set1_ps(sy);
        alignas(16) int32_t idx[4];
        for (; i + 4 <= n; i += 4, steps = _mm_add_ps(steps, _mm_set1_ps(4.0f))) {
            const __m128 x = _mm_add_ps(x0, _mm_mul_ps(steps, vsx));
            const __m128 y = _mm_add_ps(y0, _mm_mul_ps(steps, vsy));
            _mm_store_si128(reinterpret_cast<__m128i*>(idx), Index4<Spread>(Position4<Shape>(x, y, c)));
            out[i] = lut[idx[0]], out[i + 1] = lut[idx[1]], out[i + 2] = lut[idx[2]], out[i + 3] = lut[idx[3]];
        }
    }
#endif
    for (; i < n; ++i) {
        const float k = static_cast<float>(i);
        out[i] = lut[Index<Spread>(Position<Shape>(gx + k * sx, gy + k * sy, c))];
    }
}

template <GradientShape Shape>
void FillShape(GradientPath path, SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx, float sy,
               float focal, int n, uint32_t* out) {
    switch (spread) {
        case SpreadMode::Pad: Fill<Shape, SpreadMode::Pad>(path, lut, gx, gy, sx, sy, focal, n, out); break;
        case SpreadMode::Repeat: Fill<Shape, SpreadMode::Repeat>(path, lut, gx, gy, sx, sy, focal, n, out); break;
        case SpreadMode::Reflect: Fill<Shape, SpreadMode::Reflect>(path, lut, gx, gy, sx, sy, focal, n, out); break;
    }
}

}  // namespace

GradientPath FastestGradientPath() {
    static const GradientPath path = Detect();
    return path;
}

void FillGradientSpan(GradientShape shape, SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx,
                      float sy, float focal, int n, uint32_t* out, GradientPath path) {
    if (n <= 0) return;
    path = std::min(path, FastestGradientPath());
    if (shape == GradientShape::Linear && sx == 0.0f) {
        // A linear gradient that runs across the rows (a sky, a floor) is one
        // colour along each of them.
        FillShape<GradientShape::Linear>(path, spread, lut, gx, gy, sx, sy, focal, 1, out);
        blend::Fill(out + 1, out[0], n - 1);
        return;
    }
    switch (shape) {
        case GradientShape::Linear:
            FillShape<GradientShape::Linear>(path, spread, lut, gx, gy, sx, sy, focal, n, out);
            break;
        case GradientShape::Radial:
            FillShape<GradientShape::Radial>(path, spread, lut, gx, gy, sx, sy, focal, n, out);
            break;
        case GradientShape::Focal:
            FillShape<GradientShape::Focal>(path, spread, lut, gx, gy, sx, sy, focal, n, out);
            break;
    }
}

}  // namespace qb::render
