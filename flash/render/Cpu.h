#pragma once

namespace qb::render {

// The pixel loops have eight-wide forms for processors that have AVX2,
// chosen while running: the same program also runs on older machines.
#if defined(__GNUC__) && defined(__x86_64__)
#define QB_HAVE_AVX2 1
#define QB_AVX2 __attribute__((target("avx2")))
inline bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#else
inline bool HasAvx2() { return false; }
#endif

}  // namespace qb::render
