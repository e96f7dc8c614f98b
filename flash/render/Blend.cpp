#include "flash/render/Blend.h"

#include "flash/render/CoverSums.h"
#include "flash/render/Cpu.h"
#include "flash/render/Image.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qb::render::blend {
namespace {

#if defined(__SSE2__)
// Four pixels' channels times per-pixel factors 0..256, each (c * f) >> 8,
// the same rounding as pixel::Scale. `f` holds one factor per 32-bit lane.
inline __m128i Scale4(__m128i c, __m128i f) {
    const __m128i zero = _mm_setzero_si128();
    // Each factor into both 16-bit halves of its lane, then widened so every
    // channel of a pixel meets its own pixel's factor.
    f = _mm_or_si128(f, _mm_slli_epi32(f, 16));
    const __m128i fLo = _mm_unpacklo_epi32(f, f), fHi = _mm_unpackhi_epi32(f, f);
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), fLo), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), fHi), 8);
    return _mm_packus_epi16(lo, hi);
}

// src over dst for four pixels: dst scaled by 256 minus the source's alpha
// (0..255 stretched to 0..256), plus src.
inline __m128i Over4(__m128i src, __m128i dst) {
    const __m128i a = _mm_srli_epi32(src, 24);
    const __m128i inv = _mm_sub_epi32(_mm_set1_epi32(256), _mm_add_epi32(a, _mm_srli_epi32(a, 7)));
    return _mm_add_epi32(src, Scale4(dst, inv));
}

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// An opaque colour (each channel widened to 16 bits, in both halves) mixed
// into four pixels by per-pixel covers f: (d * (256 - f) + c * f) >> 8. The
// sum never passes 255 * 256, so 16-bit lanes hold it.
inline __m128i Mix4(__m128i c16, __m128i d, __m128i f) {
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256);
    f = _mm_or_si128(f, _mm_slli_epi32(f, 16));
    const __m128i fLo = _mm_unpacklo_epi32(f, f), fHi = _mm_unpackhi_epi32(f, f);
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, fLo)),
                                                    _mm_mullo_epi16(c16, fLo)), 8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, fHi)),
                                                    _mm_mullo_epi16(c16, fHi)), 8);
    return _mm_packus_epi16(lo, hi);
}

inline __m128i Covers4(const uint16_t* c) {
    __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(c));
    v = _mm_sub_epi16(v, _mm_subs_epu16(v, _mm_set1_epi16(256)));  // unsigned min with 256
    return _mm_unpacklo_epi16(v, _mm_setzero_si128());
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
#define QB_BLEND_AVX2 1
// Eight pixels at a time where the processor has it; the same per-channel
// arithmetic as the four-wide path.

QB_AVX2 inline __m256i Scale8(__m256i c, __m256i f) {
    const __m256i zero = _mm256_setzero_si256();
    f = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
    const __m256i fLo = _mm256_unpacklo_epi32(f, f), fHi = _mm256_unpackhi_epi32(f, f);
    const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(c, zero), fLo), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(c, zero), fHi), 8);
    return _mm256_packus_epi16(lo, hi);
}

QB_AVX2 inline __m256i Over8(__m256i src, __m256i dst) {
    const __m256i a = _mm256_srli_epi32(src, 24);
    const __m256i inv = _mm256_sub_epi32(_mm256_set1_epi32(256), _mm256_add_epi32(a, _mm256_srli_epi32(a, 7)));
    return _mm256_add_epi32(src, Scale8(dst, inv));
}

// Each returns how many pixels it did, a multiple of eight.
QB_AVX2 int Over8Run(uint32_t* dst, const uint32_t* src, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Over8(s, d));
    }
    return i;
}

QB_AVX2 int OverColor8Run(uint32_t* dst, uint32_t color, int n) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(color));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Over8(c, d));
    }
    return i;
}

QB_AVX2 void Fill8Run(uint32_t* dst, uint32_t color, int n) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(color));
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 16), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 24), c);
    }
    for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), c);
    if (i < n) {
        const __m256i in = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), in, c);
    }
}

// An opaque colour mixed into eight pixels by their covers (0..256). Each
// pixel's even bytes and its odd bytes are mixed as two 16-bit lanes where
// they lie, so no lane has to move.
QB_AVX2 inline __m256i Mix8(__m256i c, __m256i d, __m256i f) {
    const __m256i even = _mm256_set1_epi32(0x00FF00FF);
    f = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
    const __m256i rest = _mm256_sub_epi16(_mm256_set1_epi16(256), f);
    const __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, even), rest),
                                        _mm256_mullo_epi16(_mm256_and_si256(c, even), f));
    const __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(d, 8), rest),
                                        _mm256_mullo_epi16(_mm256_srli_epi16(c, 8), f));
    return _mm256_or_si256(_mm256_srli_epi16(lo, 8), _mm256_andnot_si256(even, hi));
}

QB_AVX2 int MixCovers8Run(uint32_t* dst, uint32_t color, const uint16_t* covers, int n) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(color));
    const __m256i most = _mm256_set1_epi32(256);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(covers + i));
        const __m256i f = _mm256_min_epu32(_mm256_cvtepu16_epi32(raw), most);
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Mix8(c, d, f));
    }
    if (const int rest = n - i; rest >= 3) {
        alignas(16) uint16_t tail[8] = {};
        std::copy(covers + i, covers + n, tail);
        const __m256i in = _mm256_cmpgt_epi32(_mm256_set1_epi32(rest), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i f = _mm256_min_epu32(_mm256_cvtepu16_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(tail))), most);
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst + i), in);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), in, Mix8(c, d, f));
        i = n;
    }
    return i;
}

// Covers straight off a row of changes and mixed in, eight pixels at a
// time: the running sum is a prefix sum inside the vector plus what came
// before, and a stretch's last few pixels go in one masked step.
template <bool EvenOdd>
QB_AVX2 inline float MixChanges8(uint32_t* dst, uint32_t color, float* delta, int n, float acc) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(color));
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256 carry = _mm256_set1_ps(acc);
    for (int i = 0; i < n; i += 8) {
        const __m256i in = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), lanes);
        const __m256 v = _mm256_maskload_ps(delta + i, in);
        _mm256_maskstore_ps(delta + i, in, _mm256_setzero_ps());
        const __m256 sum = _mm256_add_ps(sums::Prefix8(v), carry);
        carry = _mm256_permutevar8x32_ps(sum, _mm256_set1_epi32(7));
        const __m256i f = sums::Cover8(sums::Coverage8<EvenOdd>(sum));
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst + i), in);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), in, Mix8(c, d, f));
    }
    return _mm256_cvtss_f32(carry);
}

// Per-pixel covers, clamped to 256 as the four-wide path does; src null
// means the colour everywhere.
QB_AVX2 int OverCovers8Run(uint32_t* dst, const uint32_t* src, uint32_t color, const uint16_t* covers, int n) {
    const __m256i c = _mm256_set1_epi32(static_cast<int>(color)), most = _mm256_set1_epi32(256);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(covers + i));
        const __m256i f = _mm256_min_epu32(_mm256_cvtepu16_epi32(raw), most);
        const __m256i s = src ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)) : c;
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Over8(Scale8(s, f), d));
    }
    // A run's last few pixels in one masked step: rims along edges are
    // short runs, and pixel by pixel their ends would cost as much as the
    // rest of them.
    if (const int rest = n - i; rest >= 3) {
        alignas(16) uint16_t tail[8] = {};
        std::copy(covers + i, covers + n, tail);
        const __m256i in = _mm256_cmpgt_epi32(_mm256_set1_epi32(rest), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i f = _mm256_min_epu32(_mm256_cvtepu16_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(tail))), most);
        const __m256i s = src ? _mm256_maskload_epi32(reinterpret_cast<const int*>(src + i), in) : c;
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst + i), in);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), in, Over8(Scale8(s, f), d));
        i = n;
    }
    return i;
}
#endif

#if defined(QB_HAVE_AVX512BW)
QB_AVX512_CODE_BEGIN
// Sixteen pixels at a time where the processor has AVX-512: the same
// arithmetic again.
QB_AVX512BW inline __m512i Scale16(__m512i c, __m512i f) {
    const __m512i zero = _mm512_setzero_si512();
    f = _mm512_or_si512(f, _mm512_slli_epi32(f, 16));
    const __m512i fLo = _mm512_unpacklo_epi32(f, f), fHi = _mm512_unpackhi_epi32(f, f);
    const __m512i lo = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_unpacklo_epi8(c, zero), fLo), 8);
    const __m512i hi = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_unpackhi_epi8(c, zero), fHi), 8);
    return _mm512_packus_epi16(lo, hi);
}

QB_AVX512BW inline __m512i Over16(__m512i src, __m512i dst) {
    const __m512i a = _mm512_srli_epi32(src, 24);
    const __m512i inv = _mm512_sub_epi32(_mm512_set1_epi32(256), _mm512_add_epi32(a, _mm512_srli_epi32(a, 7)));
    return _mm512_add_epi32(src, Scale16(dst, inv));
}

// Each returns how many pixels it did, a multiple of sixteen; the rest of
// a run goes the eight-wide way.
QB_AVX512BW int Over16Run(uint32_t* dst, const uint32_t* src, int n) {
    int i = 0;
    for (; i + 16 <= n; i += 16)
        _mm512_storeu_si512(dst + i, Over16(_mm512_loadu_si512(src + i), _mm512_loadu_si512(dst + i)));
    return i;
}

QB_AVX512BW int OverColor16Run(uint32_t* dst, uint32_t color, int n) {
    const __m512i c = _mm512_set1_epi32(static_cast<int>(color));
    int i = 0;
    for (; i + 16 <= n; i += 16) _mm512_storeu_si512(dst + i, Over16(c, _mm512_loadu_si512(dst + i)));
    return i;
}

QB_AVX512BW int OverCovers16Run(uint32_t* dst, const uint32_t* src, uint32_t color, const uint16_t* covers, int n) {
    const __m512i c = _mm512_set1_epi32(static_cast<int>(color)), most = _mm512_set1_epi32(256);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(covers + i));
        const __m512i f = _mm512_min_epu32(_mm512_cvtepu16_epi32(raw), most);
        const __m512i s = src ? _mm512_loadu_si512(src + i) : c;
        _mm512_storeu_si512(dst + i, Over16(Scale16(s, f), _mm512_loadu_si512(dst + i)));
    }
    return i;
}

QB_AVX512BW inline __m512i Mix16(__m512i c, __m512i d, __m512i f) {
    const __m512i even = _mm512_set1_epi32(0x00FF00FF);
    f = _mm512_or_si512(f, _mm512_slli_epi32(f, 16));
    const __m512i rest = _mm512_sub_epi16(_mm512_set1_epi16(256), f);
    const __m512i lo = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_and_si512(d, even), rest),
                                        _mm512_mullo_epi16(_mm512_and_si512(c, even), f));
    const __m512i hi = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_srli_epi16(d, 8), rest),
                                        _mm512_mullo_epi16(_mm512_srli_epi16(c, 8), f));
    return _mm512_or_si512(_mm512_srli_epi16(lo, 8), _mm512_andnot_si512(even, hi));
}

QB_AVX512BW int MixCovers16Run(uint32_t* dst, uint32_t color, const uint16_t* covers, int n) {
    const __m512i c = _mm512_set1_epi32(static_cast<int>(color));
    const __m512i most = _mm512_set1_epi32(256);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(covers + i));
        const __m512i f = _mm512_min_epu32(_mm512_cvtepu16_epi32(raw), most);
        _mm512_storeu_si512(dst + i, Mix16(c, _mm512_loadu_si512(dst + i), f));
    }
    return i;
}
// Covers straight off a row of changes and mixed in, sixteen pixels at a
// time: the running sum is a prefix sum inside the vector plus what came
// before, and a stretch's last few pixels go in one masked step.
template <bool EvenOdd>
QB_AVX512BW inline float MixChanges16(uint32_t* dst, uint32_t color, float* delta, int n, float acc) {
    const __m512i c = _mm512_set1_epi32(static_cast<int>(color));
    const __m512i lastLane = _mm512_set1_epi32(15);
    __m512 carry = _mm512_set1_ps(acc);
    for (int i = 0; i < n; i += 16) {
        // Masked steps only at the end: whole ones go plainly.
        const bool whole = n - i >= 16;
        const __mmask16 in = whole ? static_cast<__mmask16>(0xFFFF) : static_cast<__mmask16>((1u << (n - i)) - 1);
        __m512 v;
        __m512i d;
        if (whole) {
            v = _mm512_loadu_ps(delta + i);
            _mm512_storeu_ps(delta + i, _mm512_setzero_ps());
            d = _mm512_loadu_si512(dst + i);
        } else {
            v = _mm512_maskz_loadu_ps(in, delta + i);
            _mm512_mask_storeu_ps(delta + i, in, _mm512_setzero_ps());
            d = _mm512_maskz_loadu_epi32(in, dst + i);
        }
        const __m512 sum = _mm512_add_ps(sums::Prefix16(v), carry);
        carry = _mm512_permutexvar_ps(lastLane, sum);
        const __m512i f = sums::Cover16(sums::Coverage16<EvenOdd>(sum));
        const __m512i out = Mix16(c, d, f);
        if (whole) _mm512_storeu_si512(dst + i, out);
        else _mm512_mask_storeu_epi32(dst + i, in, out);
    }
    return _mm512_cvtss_f32(carry);
}

// A row's stretches: one of eight (a thin line's crossing) in a single
// eight-wide step, longer ones sixteen at a time.
template <bool EvenOdd>
QB_AVX512BW void MixStretches16(uint32_t* row, uint32_t color, float* delta, const int32_t* from, const int32_t* to,
                                int n, float* accAfter) {
    float acc = 0;
    for (int k = 0; k < n; ++k) {
        const int x = from[k], len = to[k] - x;
        acc = len > 8 ? MixChanges16<EvenOdd>(row + x, color, delta + x, len, acc)
                      : MixChanges8<EvenOdd>(row + x, color, delta + x, len, acc);
        accAfter[k] = acc;
    }
}
QB_AVX512_CODE_END
#endif

// An opaque colour by per-pixel covers: mixed in, not scaled and laid over.
void MixCovers(uint32_t* dst, uint32_t color, const uint16_t* covers, int n, Path path) {
    int i = 0;
#if defined(QB_HAVE_AVX512BW)
    if (n >= 16 && path >= Path::Avx512) i = MixCovers16Run(dst, color, covers, n);
#endif
#if defined(QB_BLEND_AVX2)
    if (n - i >= 3 && path >= Path::Avx2) i += MixCovers8Run(dst + i, color, covers + i, n - i);
#endif
#if defined(__SSE2__)
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(color)), _mm_setzero_si128());
    for (; i + 4 <= n; i += 4) Store(dst + i, Mix4(c16, Load(dst + i), Covers4(covers + i)));
#endif
    for (; i < n; ++i) dst[i] = pixel::Mix(color, dst[i], std::min<uint32_t>(covers[i], 256));
}

}  // namespace

#if defined(QB_BLEND_AVX2)
namespace {
template <bool EvenOdd>
QB_AVX2 void MixStretches8(uint32_t* row, uint32_t color, float* delta, const int32_t* from, const int32_t* to, int n,
                           float* accAfter) {
    float acc = 0;
    for (int k = 0; k < n; ++k) {
        const int x = from[k];
        acc = MixChanges8<EvenOdd>(row + x, color, delta + x, to[k] - x, acc);
        accAfter[k] = acc;
    }
}
}  // namespace
#endif

Path FastestPath() {
    static const Path fastest = HasAvx512Bw() ? Path::Avx512 : HasAvx2() ? Path::Avx2 : Path::Narrow;
    return fastest;
}

void MixStretches(uint32_t* row, uint32_t color, float* delta, const int32_t* from, const int32_t* to, int n,
                  float* accAfter, bool evenOdd, Path path) {
    path = std::min(path, FastestPath());
#if defined(QB_HAVE_AVX512BW)
    if (path >= Path::Avx512) {
        if (evenOdd) MixStretches16<true>(row, color, delta, from, to, n, accAfter);
        else MixStretches16<false>(row, color, delta, from, to, n, accAfter);
        return;
    }
#endif
#if defined(QB_BLEND_AVX2)
    if (path >= Path::Avx2) {
        if (evenOdd) MixStretches8<true>(row, color, delta, from, to, n, accAfter);
        else MixStretches8<false>(row, color, delta, from, to, n, accAfter);
    }
#endif
}

void Over(uint32_t* dst, const uint32_t* src, int n, Path path) {
    path = std::min(path, FastestPath());
    int i = 0;
#if defined(QB_HAVE_AVX512BW)
    if (n >= 16 && path >= Path::Avx512) i = Over16Run(dst, src, n);
#endif
#if defined(QB_BLEND_AVX2)
    if (n - i >= 8 && path >= Path::Avx2) i += Over8Run(dst + i, src + i, n - i);
#endif
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) Store(dst + i, Over4(Load(src + i), Load(dst + i)));
#endif
    for (; i < n; ++i) dst[i] = pixel::Over(src[i], dst[i]);
}

void OverScaled(uint32_t* dst, const uint32_t* src, uint32_t cover, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i f = _mm_set1_epi32(static_cast<int>(cover));
    for (; i + 4 <= n; i += 4) Store(dst + i, Over4(Scale4(Load(src + i), f), Load(dst + i)));
#endif
    for (; i < n; ++i) dst[i] = pixel::Over(pixel::Scale(src[i], cover), dst[i]);
}

void OverColor(uint32_t* dst, uint32_t color, int n, Path path) {
    path = std::min(path, FastestPath());
    int i = 0;
#if defined(QB_HAVE_AVX512BW)
    if (n >= 16 && path >= Path::Avx512) i = OverColor16Run(dst, color, n);
#endif
#if defined(QB_BLEND_AVX2)
    if (n - i >= 8 && path >= Path::Avx2) i += OverColor8Run(dst + i, color, n - i);
#endif
#if defined(__SSE2__)
    const __m128i c = _mm_set1_epi32(static_cast<int>(color));
    for (; i + 4 <= n; i += 4) Store(dst + i, Over4(c, Load(dst + i)));
#endif
    for (; i < n; ++i) dst[i] = pixel::Over(color, dst[i]);
}

void Fill(uint32_t* dst, uint32_t color, int n, Path path) {
    path = std::min(path, FastestPath());
    // Written out: at this build's optimisation the library's fill goes a
    // pixel at a time, and whole rows of a frame are filled.
#if defined(QB_BLEND_AVX2)
    if (n >= 8 && path >= Path::Avx2) {
        Fill8Run(dst, color, n);
        return;
    }
#endif
    int i = 0;
#if defined(__SSE2__)
    const __m128i c = _mm_set1_epi32(static_cast<int>(color));
    for (; i + 4 <= n; i += 4) Store(dst + i, c);
#endif
    for (; i < n; ++i) dst[i] = color;
}

void OverCovers(uint32_t* dst, const uint32_t* src, uint32_t color, const uint16_t* covers, int n, Path path) {
    path = std::min(path, FastestPath());
    if (!src && color >> 24 == 255) {
        MixCovers(dst, color, covers, n, path);
        return;
    }
    int i = 0;
#if defined(QB_HAVE_AVX512BW)
    if (n >= 16 && path >= Path::Avx512) i = OverCovers16Run(dst, src, color, covers, n);
#endif
#if defined(QB_BLEND_AVX2)
    if (n - i >= 3 && path >= Path::Avx2) i += OverCovers8Run(dst + i, src ? src + i : nullptr, color, covers + i, n - i);
#endif
#if defined(__SSE2__)
    const __m128i c = _mm_set1_epi32(static_cast<int>(color));
    for (; i + 4 <= n; i += 4) {
        const __m128i s = Scale4(src ? Load(src + i) : c, Covers4(covers + i));
        Store(dst + i, Over4(s, Load(dst + i)));
    }
#endif
    for (; i < n; ++i)
        dst[i] = pixel::Over(pixel::Scale(src ? src[i] : color, std::min<uint32_t>(covers[i], 256)), dst[i]);
}

}  // namespace qb::render::blend
