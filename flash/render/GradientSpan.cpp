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

// Where the ray from the focal point through the pixel meets the unit
// circle decides how far along the gradient the pixel is.
inline float FocalPosition(float x, float y, float f) {
    const float dx = x - f, dy = y;
    const float dd = dx * dx + dy * dy;
    if (dd < 1e-12f) return 0.0f;
    const float fd = f * dx;
    const float s = (-fd + std::sqrt(std::max(0.0f, fd * fd - dd * (f * f - 1.0f)))) / dd;
    return s > 0 ? 1.0f / s : 1.0f;
}

template <GradientShape Shape>
inline float Position(float x, float y, float f) {
    if constexpr (Shape == GradientShape::Linear) return (x + 1.0f) * 0.5f;
    else if constexpr (Shape == GradientShape::Radial) return std::sqrt(x * x + y * y);
    else return FocalPosition(x, y, f);
}

#if defined(__SSE2__)
inline __m128 Floor4(__m128 t) {
    // Truncation, then one less where that went up (negative fractions).
    const __m128 tr = _mm_cvtepi32_ps(_mm_cvttps_epi32(t));
    return _mm_sub_ps(tr, _mm_and_ps(_mm_cmplt_ps(t, tr), _mm_set1_ps(1.0f)));
}

inline __m128 Abs4(__m128 t) { return _mm_and_ps(t, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF))); }

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
        const __m128 over = _mm_cmpgt_ps(t, one);
        t = _mm_or_ps(_mm_and_ps(over, _mm_sub_ps(_mm_set1_ps(2.0f), t)), _mm_andnot_ps(over, t));
    }
    // max first: a NaN gives way to 0, as in the one-pixel path.
    __m128 i = _mm_add_ps(_mm_mul_ps(t, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f));
    i = _mm_min_ps(_mm_max_ps(i, zero), _mm_set1_ps(255.0f));
    return _mm_cvttps_epi32(i);
}

template <GradientShape Shape>
inline __m128 Position4(__m128 x, __m128 y, float focal) {
    if constexpr (Shape == GradientShape::Linear) {
        return _mm_mul_ps(_mm_add_ps(x, _mm_set1_ps(1.0f)), _mm_set1_ps(0.5f));
    } else if constexpr (Shape == GradientShape::Radial) {
        return _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)));
    } else {
        const __m128 f = _mm_set1_ps(focal), zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
        const __m128 dx = _mm_sub_ps(x, f);
        const __m128 dd = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(y, y));
        const __m128 fd = _mm_mul_ps(f, dx);
        const __m128 disc = _mm_sub_ps(_mm_mul_ps(fd, fd), _mm_mul_ps(dd, _mm_sub_ps(_mm_mul_ps(f, f), one)));
        const __m128 s = _mm_div_ps(_mm_add_ps(_mm_sub_ps(zero, fd), _mm_sqrt_ps(_mm_max_ps(zero, disc))), dd);
        const __m128 pos = _mm_cmpgt_ps(s, zero);
        const __m128 t = _mm_or_ps(_mm_and_ps(pos, _mm_div_ps(one, s)), _mm_andnot_ps(pos, one));
        const __m128 atFocus = _mm_cmplt_ps(dd, _mm_set1_ps(1e-12f));
        return _mm_andnot_ps(atFocus, t);
    }
}
#endif


#if defined(__GNUC__) && defined(__x86_64__)
#define QB_GRADIENT_AVX2 1
// The same arithmetic eight pixels at a time, for processors that have it;
// every operation rounds as its four-wide twin does, so the pictures are
// the same whichever path runs.
#define QB_AVX2 __attribute__((target("avx2")))

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
QB_AVX2 inline __m256 Position8(__m256 x, __m256 y, float focal) {
    if constexpr (Shape == GradientShape::Linear) {
        return _mm256_mul_ps(_mm256_add_ps(x, _mm256_set1_ps(1.0f)), _mm256_set1_ps(0.5f));
    } else if constexpr (Shape == GradientShape::Radial) {
        return _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(x, x), _mm256_mul_ps(y, y)));
    } else {
        const __m256 f = _mm256_set1_ps(focal), zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
        const __m256 dx = _mm256_sub_ps(x, f);
        const __m256 dd = _mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(y, y));
        const __m256 fd = _mm256_mul_ps(f, dx);
        const __m256 disc =
            _mm256_sub_ps(_mm256_mul_ps(fd, fd), _mm256_mul_ps(dd, _mm256_sub_ps(_mm256_mul_ps(f, f), one)));
        const __m256 s =
            _mm256_div_ps(_mm256_add_ps(_mm256_sub_ps(zero, fd), _mm256_sqrt_ps(_mm256_max_ps(zero, disc))), dd);
        const __m256 pos = _mm256_cmp_ps(s, zero, _CMP_GT_OQ);
        const __m256 t = _mm256_or_ps(_mm256_and_ps(pos, _mm256_div_ps(one, s)), _mm256_andnot_ps(pos, one));
        const __m256 atFocus = _mm256_cmp_ps(dd, _mm256_set1_ps(1e-12f), _CMP_LT_OQ);
        return _mm256_andnot_ps(atFocus, t);
    }
}

// Pixels from 0 in steps of eight; returns how many it did.
template <GradientShape Shape, SpreadMode Spread>
QB_AVX2 int Fill8(const uint32_t* lut, float gx, float gy, float sx, float sy, float focal, int n, uint32_t* out) {
    const __m256 x0 = _mm256_set1_ps(gx), y0 = _mm256_set1_ps(gy), vsx = _mm256_set1_ps(sx), vsy = _mm256_set1_ps(sy);
    __m256 steps = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
    alignas(32) int32_t idx[8];
    int i = 0;
    for (; i + 8 <= n; i += 8, steps = _mm256_add_ps(steps, _mm256_set1_ps(8.0f))) {
        const __m256 x = _mm256_add_ps(x0, _mm256_mul_ps(steps, vsx));
        const __m256 y = _mm256_add_ps(y0, _mm256_mul_ps(steps, vsy));
        _mm256_store_si256(reinterpret_cast<__m256i*>(idx), Index8<Spread>(Position8<Shape>(x, y, focal)));
        for (int k = 0; k < 8; ++k) out[i + k] = lut[idx[k]];
    }
    return i;
}

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#endif

template <GradientShape Shape, SpreadMode Spread>
void Fill(const uint32_t* lut, float gx, float gy, float sx, float sy, float focal, int n, uint32_t* out) {
    int i = 0;
#if defined(QB_GRADIENT_AVX2)
    if (n >= 8 && HasAvx2()) i = Fill8<Shape, Spread>(lut, gx, gy, sx, sy, focal, n, out);
#endif
#if defined(__SSE2__)
    __m128 steps = _mm_set1_ps(static_cast<float>(i));
    steps = _mm_add_ps(steps, _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f));
    const __m128 x0 = _mm_set1_ps(gx), y0 = _mm_set1_ps(gy), vsx = _mm_set1_ps(sx), vsy = _mm_set1_ps(sy);
    alignas(16) int32_t idx[4];
    for (; i + 4 <= n; i += 4, steps = _mm_add_ps(steps, _mm_set1_ps(4.0f))) {
        const __m128 x = _mm_add_ps(x0, _mm_mul_ps(steps, vsx));
        const __m128 y = _mm_add_ps(y0, _mm_mul_ps(steps, vsy));
        _mm_store_si128(reinterpret_cast<__m128i*>(idx), Index4<Spread>(Position4<Shape>(x, y, focal)));
        out[i] = lut[idx[0]], out[i + 1] = lut[idx[1]], out[i + 2] = lut[idx[2]], out[i + 3] = lut[idx[3]];
    }
#endif
    for (; i < n; ++i) {
        const float k = static_cast<float>(i);
        out[i] = lut[Index<Spread>(Position<Shape>(gx + k * sx, gy + k * sy, focal))];
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
