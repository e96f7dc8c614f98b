#pragma once
#include "flash/swf/Types.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qb::swf {

enum class SpreadMode : uint8_t { Pad, Reflect, Repeat };
enum class InterpolationMode : uint8_t { Rgb, LinearRgb };

struct GradientStop {
    uint8_t Ratio = 0;
    Rgba Color;
};

struct Gradient {
    SpreadMode Spread = SpreadMode::Pad;
    InterpolationMode Interpolation = InterpolationMode::Rgb;
    std::vector<GradientStop> Stops;
    double Focal = 0;  // -1..1 along the x axis, focal gradients only
};

enum class FillKind : uint8_t { Solid, Linear, Radial, Focal, Bitmap };

struct FillStyle {
    FillKind Kind = FillKind::Solid;
    Rgba Color;
    swf::Matrix Matrix;      // gradient or bitmap space to shape space
    swf::Gradient Gradient;
    uint16_t BitmapId = 0;
    bool Repeat = true;  // bitmaps: tile, or clamp to the edge pixels
    bool Smooth = true;  // bitmaps: bilinear, or nearest pixel
};

struct LineStyle {
    Twips Width = 20;
    FillStyle Fill;  // a solid colour unless the style has a fill of its own
};

// One edge of the outline model: FillLeft lies to its left, FillRight to its
// right (in drawing direction, y down); style numbers index the shape's
// style lists plus one, 0 meaning "no style". Points are in twips.
struct Edge {
    int32_t X0 = 0, Y0 = 0, CX = 0, CY = 0, X1 = 0, Y1 = 0;
    bool Curved = false;
    uint16_t Group = 0;  // edges of later style groups draw over earlier ones
    uint32_t FillLeft = 0, FillRight = 0, Line = 0;
};

struct ShapeDef {
    Rect Bounds;
    std::vector<FillStyle> Fills;
    std::vector<LineStyle> Lines;
    std::vector<Edge> Edges;
    uint16_t Groups = 1;
    bool NonZero = false;  // the fill rule; even-odd unless the shape says so
};

// Reads the body of DefineShape 1 to 4 (shape id already consumed by the
// caller). `version` is 1..4. Damaged data yields the edges read so far.
class Reader;
ShapeDef ReadShape(Reader& r, int version);

// Styles and edges of a SHAPEWITHSTYLE / SHAPE record (also used by morph
// shapes, which read their two edge lists separately).
void ReadFillStyles(Reader& r, int version, std::vector<FillStyle>& out);
void ReadLineStyles(Reader& r, int version, std::vector<LineStyle>& out);
// keepAll keeps edges without any style too (a morph's two outlines pair
// their edges by position in the list).
void ReadShapeRecords(Reader& r, int version, ShapeDef& shape, bool withStyles, bool keepAll = false);
FillStyle ReadFillStyle(Reader& r, int version);

}  // namespace qb::swf
