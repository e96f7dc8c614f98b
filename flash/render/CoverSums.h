#pragma once
// The running sum of a row's coverage changes, several pixels at a time,
// and the coverage it gives: shared by the rasterizer's cover reading and
// the blend loops that mix a colour straight from the changes.
#include "flash/render/Cpu.h"

#if defined(QB_HAVE_AVX2)
#include <immintrin.h>

namespace qb::render::sums {

// Each lane's value plus all the lanes' before it.
QB_AVX2 inline __m256 Prefix8(__m256 v) {
    v = _mm256_add_ps(v, _mm256_castsi256_ps(_mm256_slli_si256(_mm256_castps_si256(v), 4)));
    v = _mm256_add_ps(v, _mm256_castsi256_ps(_mm256_slli_si256(_mm256_castps_si256(v), 8)));
    const __m256 halves = _mm256_permute_ps(v, 0xFF);  // each half's total in all its lanes
    return _mm256_add_ps(v, _mm256_permute2f128_ps(halves, halves, 0x08));
}

// How much of a pixel a running sum covers, 0..1: its magnitude, folded
// beyond one winding by the even-odd rule or capped by the non-zero one.
template <bool EvenOdd>
QB_AVX2 inline __m256 Coverage8(__m256 sum) {
    __m256 a = _mm256_and_ps(sum, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
    if constexpr (EvenOdd) {
        // Windings never reach the bound; it keeps the truncation in range.
        a = _mm256_min_ps(a, _mm256_set1_ps(1e6f));
        a = _mm256_sub_ps(a, _mm256_mul_ps(_mm256_set1_ps(2.0f),
                                           _mm256_round_ps(_mm256_mul_ps(a, _mm256_set1_ps(0.5f)),
                                                           _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC)));
        return _mm256_min_ps(a, _mm256_sub_ps(_mm256_set1_ps(2.0f), a));
    } else {
        return _mm256_min_ps(a, _mm256_set1_ps(1.0f));
    }
}

// Coverage as a cover, 0..256, rounded.
QB_AVX2 inline __m256i Cover8(__m256 a) {
    return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(a, _mm256_set1_ps(256.0f)), _mm256_set1_ps(0.5f)));
}

}  // namespace qb::render::sums
#endif

#if defined(QB_HAVE_AVX512BW)
namespace qb::render::sums {
QB_AVX512_CODE_BEGIN

// Each lane's value moved `Lanes` lanes up, zeros coming in.
template <int Lanes>
QB_AVX512BW inline __m512 LanesUp(__m512 v) {
    return _mm512_castsi512_ps(_mm512_alignr_epi32(_mm512_castps_si512(v), _mm512_setzero_si512(), 16 - Lanes));
}

QB_AVX512BW inline __m512 Prefix16(__m512 v) {
    v = _mm512_add_ps(v, LanesUp<1>(v));
    v = _mm512_add_ps(v, LanesUp<2>(v));
    v = _mm512_add_ps(v, LanesUp<4>(v));
    return _mm512_add_ps(v, LanesUp<8>(v));
}

template <bool EvenOdd>
QB_AVX512BW inline __m512 Coverage16(__m512 sum) {
    __m512 a = _mm512_abs_ps(sum);
    if constexpr (EvenOdd) {
        a = _mm512_min_ps(a, _mm512_set1_ps(1e6f));
        a = _mm512_sub_ps(a, _mm512_mul_ps(_mm512_set1_ps(2.0f),
                                           _mm512_roundscale_ps(_mm512_mul_ps(a, _mm512_set1_ps(0.5f)),
                                                                _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC)));
        return _mm512_min_ps(a, _mm512_sub_ps(_mm512_set1_ps(2.0f), a));
    } else {
        return _mm512_min_ps(a, _mm512_set1_ps(1.0f));
    }
}

QB_AVX512BW inline __m512i Cover16(__m512 a) {
    return _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(a, _mm512_set1_ps(256.0f)), _mm512_set1_ps(0.5f)));
}

QB_AVX512_CODE_END
}  // namespace qb::render::sums
#endif
