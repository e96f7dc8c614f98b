#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>

namespace qb::render {

enum class GradientShape : uint8_t { Linear, Radial, Focal };

// One run of gradient pixels. (gx, gy) is the first pixel's centre in the
// gradient's -1..1 square and (sx, sy) the step from pixel to pixel; pixel i
// sits at (gx + i*sx, gy + i*sy), computed afresh for each pixel so a long
// run does not drift. `lut` holds the 256 premultiplied colours.
void FillGradientSpan(GradientShape shape, swf::SpreadMode spread, const uint32_t* lut, float gx, float gy, float sx,
                      float sy, float focal, int n, uint32_t* out);

}  // namespace qb::render
