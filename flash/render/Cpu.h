#pragma once

namespace qb::render {

// The pixel loops have eight-wide forms for processors that have AVX2,
// chosen while running: the same program also runs on older machines.
#if defined(__GNUC__) && defined(__x86_64__)
#define QB_HAVE_AVX2 1
#define QB_AVX2 __attribute__((target("avx2")))
inline bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
// And sixteen-wide ones where it has AVX-512: the foundation, byte and word
// lanes, byte permutes.
#define QB_HAVE_AVX512BW 1
#define QB_AVX512BW __attribute__((target("avx512f,avx512bw")))
inline bool HasAvx512() { return __builtin_cpu_supports("avx512f"); }
inline bool HasAvx512Bw() { return HasAvx512() && __builtin_cpu_supports("avx512bw"); }
inline bool HasAvx512Vbmi() { return HasAvx512Bw() && __builtin_cpu_supports("avx512vbmi"); }
// GCC 12 takes the deliberately undefined registers inside its AVX-512
// intrinsics for a mistake; code using them sits between these two.
#if defined(__clang__)
#define QB_AVX512_CODE_BEGIN
#define QB_AVX512_CODE_END
#else
#define QB_AVX512_CODE_BEGIN                                     \
    _Pragma("GCC diagnostic push")                               \
    _Pragma("GCC diagnostic ignored \"-Wmaybe-uninitialized\"") \
    _Pragma("GCC diagnostic ignored \"-Wuninitialized\"")
#define QB_AVX512_CODE_END _Pragma("GCC diagnostic pop")
#endif
#else
inline bool HasAvx2() { return false; }
inline bool HasAvx512() { return false; }
inline bool HasAvx512Bw() { return false; }
inline bool HasAvx512Vbmi() { return false; }
#endif

}  // namespace qb::render
