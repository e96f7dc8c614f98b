#pragma once
#include <cstdint>

namespace qb::render::blend {

// Runs of premultiplied pixels laid over a row, the compositor's inner loops.
// Each gives exactly what pixel::Over(pixel::Scale(src, cover), dst) gives
// pixel by pixel; they only do it several pixels at a time.

// The widest loops a call may use: four pixels at a time (one at a time
// where the processor lacks SSE2), eight with AVX2, sixteen with AVX-512.
// Every path gives the same pixels; `path` narrows them so that tests can
// set them side by side, and what the processor lacks is never used.
enum class Path : uint8_t { Narrow, Avx2, Avx512 };
// The widest path this processor has.
Path FastestPath();

// dst[i] = src[i] over dst[i].
void Over(uint32_t* dst, const uint32_t* src, int n, Path path = Path::Avx512);
// dst[i] = (src[i] times cover/256) over dst[i], one cover for the run.
void OverScaled(uint32_t* dst, const uint32_t* src, uint32_t cover, int n);
// dst[i] = color over dst[i].
void OverColor(uint32_t* dst, uint32_t color, int n, Path path = Path::Avx512);
// dst[i] = color: a run that hides what it covers.
void Fill(uint32_t* dst, uint32_t color, int n, Path path = Path::Avx512);
// dst[i] = (src[i] times covers[i]/256) over dst[i]; src null means color
// at every pixel. Covers above 256 count as 256. An opaque color is mixed
// in instead, as pixel::Mix gives it: the same up to rounding, and cheaper.
void OverCovers(uint32_t* dst, const uint32_t* src, uint32_t color, const uint16_t* covers, int n,
                Path path = Path::Avx512);

// The rasterizer's covers and OverCovers of an opaque colour in one go,
// without the covers in between, for the stretches from[k]..to[k]-1 of one
// row (row and delta indexed alike, stretches in rising order): delta[i] is
// how much the coverage changes at pixel i (each cleared once read), the
// running sum starts at zero and holds across the pixels between stretches,
// and a sum beyond one winding folds by the non-zero or the even-odd rule.
// Gives what reading the covers off the sums and mixing the colour in by
// them gives; the sum after each stretch goes to accAfter[k]. Anti-aliased
// coverage only. It needs AVX2: on a narrower path it does nothing.
void MixStretches(uint32_t* row, uint32_t color, float* delta, const int32_t* from, const int32_t* to, int n,
                  float* accAfter, bool evenOdd, Path path = Path::Avx512);

}  // namespace qb::render::blend
