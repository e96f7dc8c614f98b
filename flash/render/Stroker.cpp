#include "flash/render/Stroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qb::render {
namespace {

double Cross(Point a, Point b) { return a.X * b.Y - a.Y * b.X; }
double Dot(Point a, Point b) { return a.X * b.X + a.Y * b.Y; }
Point Add(Point a, Point b) { return {a.X + b.X, a.Y + b.Y}; }
Point Neg(Point a) { return {-a.X, -a.Y}; }
// Pixel distances never come near overflow: no need for hypot's care.
double Distance(Point a, Point b) { return std::sqrt((b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y)); }

}  // namespace

void Stroker::Reset(uint32_t style, double halfWidth, double tolerance) {
    style_ = style, half_ = halfWidth, tolerance_ = tolerance;
    // Segments so that the chord never strays more than the tolerance.
    const double r = std::max(half_, 0.01);
    arcStep_ = std::max(2.0 * std::acos(std::max(-1.0, 1.0 - std::min(tolerance_, r) / r)), 0.05);
    cosArcStep_ = std::cos(arcStep_);
    capSteps_ = ArcSteps(std::numbers::pi);
    capCos_ = std::cos(std::numbers::pi / capSteps_), capSin_ = -std::sin(std::numbers::pi / capSteps_);
}

int Stroker::ArcSteps(double angle) const {
    return std::clamp(static_cast<int>(std::ceil(std::fabs(angle) / arcStep_)), 1, 64);
}

void Stroker::Arc(const Point& c, const Point& from, double sweep) {
    const int n = ArcSteps(sweep);
    const double cs = std::cos(sweep / n), sn = std::sin(sweep / n);
    Point v = from;
    for (int i = 1; i <= n; ++i) {
        v = {v.X * cs - v.Y * sn, v.X * sn + v.Y * cs};
        contour_.push_back(Add(c, v));
    }
}

void Stroker::Cap(const Point& c, const Point& from) {
    // Half a turn clockwise, as the contour runs.
    Point v = from;
    for (int i = 1; i < capSteps_; ++i) {
        v = {v.X * capCos_ - v.Y * capSin_, v.X * capSin_ + v.Y * capCos_};
        contour_.push_back(Add(c, v));
    }
    contour_.push_back(Add(c, Neg(from)));
}

void Stroker::Join(const Point& at, const Point& offIn, const Point& offOut, const Point& dirIn, const Point& dirOut,
                   double lenIn, double lenOut) {
    const double turn = Cross(dirIn, dirOut);
    const bool outer = Cross(dirIn, offIn) * turn < 0;
    if (outer) {
        // Along a flattened curve most joins turn less than one chord of
        // the round join's arc. Then the corner where the two sides meet
        // strays from that arc no further than a chord would, and one
        // point does the work of two (a third of a curve's lines). A thin
        // stroke's chord may span a sharp turn, whose corner would reach
        // far out: past a sixth of a turn the chord itself is taken.
        const double cosTurn = Dot(offIn, offOut) / (half_ * half_);
        if (cosTurn >= cosArcStep_ && cosTurn >= 0.5) {
            const double k = 1.0 / (1.0 + cosTurn);
            contour_.push_back({at.X + (offIn.X + offOut.X) * k, at.Y + (offIn.Y + offOut.Y) * k});
            return;
        }
        contour_.push_back(Add(at, offIn));
        if (cosTurn >= cosArcStep_) contour_.push_back(Add(at, offOut));
        else Arc(at, offIn, std::atan2(Cross(offIn, offOut), Dot(offIn, offOut)));
        return;
    }
    // The inner edges cross half * tan(turn / 2) before the vertex. Within
    // half of each segment the crossing is where the union's boundary
    // turns, and no other join of those segments reaches that far.
    const double cosTurn = Dot(dirIn, dirOut);
    if (cosTurn > 0) {
        const double back = half_ * std::fabs(turn) / (1.0 + cosTurn);
        if (back <= 0.5 * std::min(lenIn, lenOut)) {
            contour_.push_back({at.X + offIn.X - dirIn.X * back, at.Y + offIn.Y - dirIn.Y * back});
            return;
        }
    }
    // Through the vertex: what is left of the two quads' rungs there.
    contour_.push_back(Add(at, offIn));
    contour_.push_back(at);
    contour_.push_back(Add(at, offOut));
}

void Stroker::Close() {
    for (size_t i = 0; i < contour_.size(); ++i) {
        const Point& a = contour_[i];
        const Point& b = contour_[(i + 1) % contour_.size()];
        raster_.Line(a.X, a.Y, b.X, b.Y, style_, 0);
    }
    contour_.clear();
}

void Stroker::Stroke(const std::vector<Point>& points, bool closed) {
    if (points.empty() || half_ <= 0) return;
    std::vector<Point>& pts = points_;
    pts.clear();
    for (const Point& p : points)
        if (pts.empty() || Distance(p, pts.back()) > 1e-6) pts.push_back(p);
    if (closed && pts.size() > 2 && Distance(pts.front(), pts.back()) < 1e-6)
        pts.pop_back();
    if (pts.size() < 3) closed = false;
    contour_.clear();
    if (pts.size() == 1) {  // a dot
        contour_.push_back({pts[0].X + half_, pts[0].Y});
        Arc(pts[0], {half_, 0}, -2 * std::numbers::pi);
        contour_.pop_back();
        Close();
        return;
    }
    const size_t segments = closed ? pts.size() : pts.size() - 1;
    dirs_.resize(segments), normals_.resize(segments), lengths_.resize(segments);
    auto& dirs = dirs_;
    auto& normals = normals_;
    auto& lens = lengths_;
    for (size_t i = 0; i < segments; ++i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % pts.size()];
        const double len = Distance(a, b);
        lens[i] = len;
        dirs[i] = {(b.X - a.X) / len, (b.Y - a.Y) / len};
        normals[i] = {-dirs[i].Y * half_, dirs[i].X * half_};
    }
    if (closed) {
        // Two loops: the left side forwards, the right side backwards.
        for (size_t i = 0; i < segments; ++i) {
            const size_t prev = (i + segments - 1) % segments;
            Join(pts[i], normals[prev], normals[i], dirs[prev], dirs[i], lens[prev], lens[i]);
        }
        Close();
        for (size_t k = segments; k-- > 0;) {
            const size_t next = (k + 1) % segments;  // the segment walked before, going backwards
            Join(pts[next], Neg(normals[next]), Neg(normals[k]), Neg(dirs[next]), Neg(dirs[k]), lens[next], lens[k]);
        }
        Close();
        return;
    }
    const Point& first = pts.front();
    const Point& last = pts.back();
    contour_.push_back(Add(first, normals[0]));
    for (size_t i = 1; i < segments; ++i) Join(pts[i], normals[i - 1], normals[i], dirs[i - 1], dirs[i], lens[i - 1], lens[i]);
    contour_.push_back(Add(last, normals[segments - 1]));
    Cap(last, normals[segments - 1]);  // round cap through the end
    for (size_t i = segments - 1; i >= 1; --i)
        Join(pts[i], Neg(normals[i]), Neg(normals[i - 1]), Neg(dirs[i]), Neg(dirs[i - 1]), lens[i], lens[i - 1]);
    contour_.push_back(Add(first, Neg(normals[0])));
    Cap(first, Neg(normals[0]));  // and through the start
    Close();
}

}  // namespace qb::render
