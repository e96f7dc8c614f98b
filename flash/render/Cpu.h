#pragma once

namespace qb::render {

// The pixel loops have eight-wide forms for processors that have AVX2,
// chosen while running: the same program also runs on older machines.
#if defined(__GNUC__) && defined(__x86_64__)
#define QB_HAVE_AVX2 1
#define QB_AVX2 __attribute__((target("avx2")))
inline bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
// And sixteen-wide ones where it has AVX-512 with byte and word lanes.
#define QB_HAVE_AVX512BW 1
#define QB_AVX512BW __attribute__((target("avx512f,avx512bw")))
inline bool HasAvx512Bw() { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"); }
#else
inline bool HasAvx2() { return false; }
inline bool HasAvx512Bw() { return false; }
#endif

}  // namespace qb::render
