#include "flash/render/Stroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qb::render {

int Stroker::ArcSteps(double angle) const {
    // Segments so that the chord never strays more than the tolerance.
    const double r = std::max(half_, 0.01);
    const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - std::min(tolerance_, r) / r));
    return std::clamp(static_cast<int>(std::ceil(std::fabs(angle) / std::max(step, 0.05))), 1, 64);
}

void Stroker::Polygon(const std::vector<Point>& pts) {
    double area = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % pts.size()];
        area += a.X * b.Y - b.X * a.Y;
    }
    if (area == 0) return;
    const bool flip = area < 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % pts.size()];
        if (flip) raster_.Line(b.X, b.Y, a.X, a.Y, style_, 0);
        else raster_.Line(a.X, a.Y, b.X, b.Y, style_, 0);
    }
}

void Stroker::Disc(Point c) {
    const int n = std::max(6, ArcSteps(2 * std::numbers::pi));
    poly_.clear();
    for (int i = 0; i < n; ++i) {
        const double t = 2 * std::numbers::pi * i / n;
        poly_.push_back({c.X + half_ * std::cos(t), c.Y + half_ * std::sin(t)});
    }
    Polygon(poly_);
}

void Stroker::Join(Point at, Point dirIn, Point dirOut) {
    const double cross = dirIn.X * dirOut.Y - dirIn.Y * dirOut.X;
    const double dot = dirIn.X * dirOut.X + dirIn.Y * dirOut.Y;
    const double angle = std::atan2(cross, dot);
    if (std::fabs(angle) < 1e-3) return;
    // The outer side of the turn: the normals of both segments on that side,
    // joined by an arc around the vertex.
    const double side = angle > 0 ? -1.0 : 1.0;
    const double a0 = std::atan2(dirIn.X * side, -dirIn.Y * side);
    const int n = ArcSteps(angle);
    poly_.clear();
    poly_.push_back(at);
    for (int i = 0; i <= n; ++i) {
        const double t = a0 + angle * i / n;
        poly_.push_back({at.X + half_ * std::cos(t), at.Y + half_ * std::sin(t)});
    }
    Polygon(poly_);
}

void Stroker::Stroke(const std::vector<Point>& points, bool closed) {
    if (points.empty() || half_ <= 0) return;
    std::vector<Point> pts;
    pts.reserve(points.size());
    for (const Point& p : points)
        if (pts.empty() || std::hypot(p.X - pts.back().X, p.Y - pts.back().Y) > 1e-6) pts.push_back(p);
    if (closed && pts.size() > 2 && pts.front() == pts.back()) pts.pop_back();
    if (pts.size() == 1) {
        Disc(pts[0]);
        return;
    }
    const size_t segments = closed ? pts.size() : pts.size() - 1;
    std::vector<Point> dirs(segments);
    for (size_t i = 0; i < segments; ++i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % pts.size()];
        const double len = std::hypot(b.X - a.X, b.Y - a.Y);
        dirs[i] = {(b.X - a.X) / len, (b.Y - a.Y) / len};
        const double nx = -dirs[i].Y * half_, ny = dirs[i].X * half_;
        poly_.assign({{a.X + nx, a.Y + ny}, {b.X + nx, b.Y + ny}, {b.X - nx, b.Y - ny}, {a.X - nx, a.Y - ny}});
        Polygon(poly_);
    }
    for (size_t i = 1; i < segments; ++i) Join(pts[i], dirs[i - 1], dirs[i]);
    if (closed) {
        Join(pts[0], dirs[segments - 1], dirs[0]);
    } else {
        Disc(pts.front());
        Disc(pts.back());
    }
}

}  // namespace qb::render
