#pragma once
#include "flash/render/Rasterizer.h"

#include <vector>

namespace qb::render {

struct Point {
    double X = 0, Y = 0;
    bool operator==(const Point&) const = default;
};

// Turns a polyline into the outline of a stroke with round joins and caps.
// The outline is the sum of a quad per segment, a wedge on the outer side of
// each join and a half disc at each open end, all winding the same way: the
// rungs between neighbouring quads cancel, which leaves one contour. On the
// inner side of a join it cuts the corner where the two quads' inner edges
// cross, when that point lies on both segments (the usual case along a
// flattened curve), else it turns through the vertex. Filled with the
// non-zero rule it covers exactly the union of the pieces, at the cost of
// its outline only.
class Stroker {
public:
    Stroker(Rasterizer& raster, uint32_t style, double halfWidth, double tolerance) : raster_(raster) {
        Reset(style, halfWidth, tolerance);
    }
    // The same stroker for another line style: its buffers stay, so a drawer
    // that keeps one strokes without allocating.
    void Reset(uint32_t style, double halfWidth, double tolerance);
    void Stroke(const std::vector<Point>& points, bool closed);

private:
    void Join(const Point& at, const Point& offIn, const Point& offOut, const Point& dirIn, const Point& dirOut,
              double lenIn, double lenOut);
    void Arc(const Point& center, const Point& from, double sweep);
    void Close();
    int ArcSteps(double angle) const;
    void Cap(const Point& center, const Point& from);

    Rasterizer& raster_;
    uint32_t style_;
    double half_ = 0, tolerance_ = 0;
    double arcStep_ = 0, cosArcStep_ = 1;  // the angle one chord of a round join or cap may turn
    int capSteps_ = 1;
    double capCos_ = -1, capSin_ = 0;  // one chord's turn of a cap
    std::vector<Point> contour_;
    std::vector<Point> points_, dirs_, normals_;  // kept between strokes: no allocation per stroke
    std::vector<double> lengths_;
};

}  // namespace qb::render
