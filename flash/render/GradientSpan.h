#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>

namespace qb::render {

enum class GradientShape : uint8_t { Linear, Radial, Focal };

// The widest instructions a run may be filled with; every path gives the
// same pixels, only sooner or later.
enum class GradientPath : uint8_t { Scalar, Sse2, Avx2, Avx512, Avx512Vbmi };

// The widest path this processor has.
GradientPath FastestGradientPath();

// One run of gradient pixels. (gx, gy) is the first pixel's centre in the
// gradient's -1..1 square and (sx, sy) the step from pixel to pixel; pixel i
// sits at (gx + i*sx, gy + i*sy), computed afresh for each pixel so a long
// run does not drift. `lut` holds the 256 premultiplied colours.
// `path` narrows the instructions used, so that tests can set the paths side
// by side; what the processor lacks is never used.
void FillGradientSpan(GradientShape shape, swf::SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx,
                      float sy, float focal, int n, uint32_t* out,
                      GradientPath path = GradientPath::Avx512Vbmi);

}  // namespace qb::render
