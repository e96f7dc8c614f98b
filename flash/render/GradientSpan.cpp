#include "flash/render/GradientSpan.h"

#include <algorithm>
#include <cmath>

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
struct Focus {
    explicit Focus(float focal)
        : F(focal), FF1(focal * focal - 1.0f), InvOneMinusFF(1.0f / (1.0f - focal * focal)),
          // At or beyond the circle the product form has nothing to divide by.
          Inside(focal * focal < 1.0f) {}
    float F, FF1, InvOneMinusFF;
    bool Inside;
};

inline float FocalPosition(float x, float y, const Focus& c) {
    const float dx = x - c.F, dy = y;
    const float dd = dx * dx + dy * dy;
    if (dd < 1e-12f) return 0.0f;
    const float fd = c.F * dx;
    const float root = std::sqrt(std::max(0.0f, fd * fd - dd * c.FF1));
    if (c.Inside && fd >= 0.0f) return (fd + root) * c.InvOneMinusFF;
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
        const __m128 near = _mm_and_ps(_mm_cmpge_ps(fd, zero), _mm_castsi128_ps(_mm_set1_epi32(c.Inside ? -1 : 0)));
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
// The same arithmetic eight pixels at a time, for processors that have it;
// every operation rounds as its four-wide twin does, so the pictures are
// the same whichever path runs.
#define QB_AVX2 __attribute__((target("avx2")))

QB_AVX2 inline __m256 Select8(__m256 mask, __m256 a, __m256 b) { return _mm256_blendv_ps(b, a, mask); }

QB_AVX2 inline __m256 Floor8(__m256 t) {
    const __m256 tr = _mm256_cvtepi32_ps(_mm256_cvttps_epi32(t));
    return _mm256_sub_ps(tr, _mm256_and_ps(_mm256_cmp_ps(t, tr, _CMP_LT_OQ), _mm256_set1_ps(1.0f)));
}

template <SpreadMode Spread>
QB_AVX2 inline __m256i Index8(__m256 t) {
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    if constexpr (Spread == SpreadMode::Pad) {
        t = _mm256_min_ps(_mm256_max_ps(t, zero), one);
    } else if constexpr (Spread == SpreadMode::Repeat) {
        t = _mm256_min_ps(_mm256_max_ps(t, _mm256_set1_ps(-kFar)), _mm256_set1_ps(kFar));
        t = _mm256_sub_ps(t, Floor8(t));
    } else {
        t = _mm256_min_ps(_mm256_and_ps(t, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF))), _mm256_set1_ps(kFar));
        t = _mm256_sub_ps(t, _mm256_mul_ps(_mm256_set1_ps(2.0f), Floor8(_mm256_mul_ps(t, _mm256_set1_ps(0.5f)))));
        const __m256 over = _mm256_cmp_ps(t, one, _CMP_GT_OQ);
        t = _mm256_or_ps(_mm256_and_ps(over, _mm256_sub_ps(_mm256_set1_ps(2.0f), t)), _mm256_andnot_ps(over, t));
    }
    __m256 i = _mm256_add_ps(_mm256_mul_ps(t, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f));
    i = _mm256_min_ps(_mm256_max_ps(i, zero), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(i);
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
        const __m256 near = _mm256_and_ps(_mm256_cmp_ps(fd, zero, _CMP_GE_OQ),
                                          _mm256_castsi256_ps(_mm256_set1_epi32(c.Inside ? -1 : 0)));
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
    for (; i + 8 <= n; i += 8, steps = _mm256_add_ps(steps, _mm256_set1_ps(8.0f))) {
        const __m256 x = _mm256_add_ps(x0, _mm256_mul_ps(steps, vsx));
        const __m256 y = _mm256_add_ps(y0, _mm256_mul_ps(steps, vsy));
        _mm256_store_si256(reinterpret_cast<__m256i*>(idx), Index8<Spread>(Position8<Shape>(x, y, c)));
        for (int k = 0; k < 8; ++k) out[i + k] = lut[idx[k]];
    }
    return i;
}

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#endif

template <GradientShape Shape, SpreadMode Spread>
void Fill(const uint32_t* lut, float gx, float gy, float sx, float sy, float focal, int n, uint32_t* out) {
    const Focus c(focal);
    int i = 0;
#if defined(QB_GRADIENT_AVX2)
    if (n >= 8 && HasAvx2()) i = Fill8<Shape, Spread>(lut, gx, gy, sx, sy, c, n, out);
#endif
#if defined(__SSE2__)
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
#endif
    for (; i < n; ++i) {
        const float k = static_cast<float>(i);
        out[i] = lut[Index<Spread>(Position<Shape>(gx + k * sx, gy + k * sy, c))];
    }
}

template <GradientShape Shape>
void FillShape(SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx, float sy, float focal, int n,
               uint32_t* out) {
    switch (spread) {
        case SpreadMode::Pad: Fill<Shape, SpreadMode::Pad>(lut, gx, gy, sx, sy, focal, n, out); break;
        case SpreadMode::Repeat: Fill<Shape, SpreadMode::Repeat>(lut, gx, gy, sx, sy, focal, n, out); break;
        case SpreadMode::Reflect: Fill<Shape, SpreadMode::Reflect>(lut, gx, gy, sx, sy, focal, n, out); break;
    }
}

}  // namespace

void FillGradientSpan(GradientShape shape, SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx,
                      float sy, float focal, int n, uint32_t* out) {
    if (shape == GradientShape::Linear && sx == 0.0f && n > 0) {
        // A linear gradient that runs across the rows (a sky, a floor) is one
        // colour along each of them.
        FillShape<GradientShape::Linear>(spread, lut, gx, gy, sx, sy, focal, 1, out);
        std::fill(out + 1, out + n, out[0]);
        return;
    }
    switch (shape) {
        case GradientShape::Linear: FillShape<GradientShape::Linear>(spread, lut, gx, gy, sx, sy, focal, n, out); break;
        case GradientShape::Radial: FillShape<GradientShape::Radial>(spread, lut, gx, gy, sx, sy, focal, n, out); break;
        case GradientShape::Focal: FillShape<GradientShape::Focal>(spread, lut, gx, gy, sx, sy, focal, n, out); break;
    }
}

}  // namespace qb::render
