#pragma once
#include "flash/render/Blend.h"
#include "flash/render/Image.h"

#include <cstdint>

namespace qb::render {

// One run of n pixels sampled from a bitmap. (u, v) is where the first
// pixel samples, in bitmap pixels (for smoothing, already moved back by half
// a pixel so that whole numbers fall on pixel centres), and (du, dv) the step
// from one pixel to the next. Smooth blends the four nearest pixels, else
// the one under the point is taken; outside the bitmap it tiles (repeat) or
// its edge pixels stretch on. `path` narrows the instructions used, as for
// the blend loops.
void FillBitmapSpan(const Image& img, bool repeat, bool smooth, double u, double v, double du, double dv, int n,
                    uint32_t* out, blend::Path path = blend::Path::Avx512);

}  // namespace qb::render
