#pragma once
#include "tests/support/BitWriter.h"
#include "tests/support/SwfWriter.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// The pieces shapes and morph shapes write alike.
namespace qb::test {

// One outline record: a style change (A, B, C: fill 0, fill 1, line), a move
// (A, B: where to), a line (A, B: by how much) or a curve (A, B: to the
// control point; C, D: on from it to the anchor).
struct ShapeRecord {
    enum class Kind { Styles, Move, Line, Curve } Kind;
    int32_t A = 0, B = 0, C = 0, D = 0;
};

void WriteShapeRecords(BitWriter& b, const std::vector<ShapeRecord>& records, unsigned fillBits, unsigned lineBits);

// Smallest signed field width that holds every value.
unsigned SBits(std::initializer_list<int32_t> values);

ByteWriter& PutRgba(ByteWriter& w, uint32_t rgba);  // 0xRRGGBBAA as R, G, B, A

}  // namespace qb::test
