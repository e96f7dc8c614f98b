#pragma once
#include "tests/support/MovieBuilder.h"

#include <cstdint>
#include <vector>

namespace qb::test {

// Builds a DefineMorphShape (or DefineMorphShape2) body: styles that hold a
// start and an end value each, and one outline written once with the start
// and end point of every record, so the two ends pair edge for edge.
class MorphBuilder {
public:
    explicit MorphBuilder(bool morph2 = false) : morph2_(morph2) {}

    uint32_t Solid(uint32_t startRgba, uint32_t endRgba);
    // Gradients of the same number of stops at both ends.
    uint32_t Linear(const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from, const GradientSpec& to);
    uint32_t Radial(const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from, const GradientSpec& to);
    uint32_t Line(uint16_t startWidth, uint16_t endWidth, uint32_t startRgba, uint32_t endRgba);

    // Styles belong to the start outline only.
    MorphBuilder& Styles(uint32_t fill0, uint32_t fill1, uint32_t line);
    MorphBuilder& MoveTo(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    MorphBuilder& LineTo(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    // A curve at the start (control, anchor), a curve at the end.
    MorphBuilder& CurveTo(int32_t cx0, int32_t cy0, int32_t x0, int32_t y0, int32_t cx1, int32_t cy1, int32_t x1,
                          int32_t y1);

    uint16_t TagCode() const { return morph2_ ? tag::DefineMorphShape2 : tag::DefineMorphShape; }
    Bytes Body(uint16_t id) const;

private:
    struct End {
        std::vector<ShapeRecord> Records;
        int32_t X = 0, Y = 0;
        RectTwips Bounds{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
        void Track(int32_t x, int32_t y);
    };
    uint32_t Gradient(uint8_t type, const MatrixSpec& start, const MatrixSpec& end, const GradientSpec& from,
                      const GradientSpec& to);

    bool morph2_;
    std::vector<Bytes> fills_, lines_;
    End start_, end_;
    uint16_t maxLine_ = 0;
};

void Morph(TagList& tags, uint16_t id, const MorphBuilder& morph);

}  // namespace qb::test
