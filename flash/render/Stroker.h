#pragma once
#include "flash/render/Rasterizer.h"

#include <vector>

namespace qb::render {

struct Point {
    double X = 0, Y = 0;
    bool operator==(const Point&) const = default;
};

// Turns a polyline into the outline of a stroke with round joins and caps,
// added to the rasterizer as pieces (one quad per segment, a wedge at each
// join, a disc at each open end) that all wind the same way, so filling
// them with the non-zero rule gives their union.
class Stroker {
public:
    Stroker(Rasterizer& raster, uint32_t style, double halfWidth, double tolerance)
        : raster_(raster), style_(style), half_(halfWidth), tolerance_(tolerance) {}
    void Stroke(const std::vector<Point>& points, bool closed);

private:
    void Polygon(const std::vector<Point>& pts);
    void Disc(Point c);
    void Join(Point at, Point dirIn, Point dirOut);
    int ArcSteps(double angle) const;

    Rasterizer& raster_;
    uint32_t style_;
    double half_, tolerance_;
    std::vector<Point> poly_;
};

}  // namespace qb::render
