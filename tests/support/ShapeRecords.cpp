#include "tests/support/ShapeRecords.h"

#include <algorithm>

namespace qb::test {

unsigned SBits(std::initializer_list<int32_t> values) {
    unsigned n = 1;
    for (int32_t v : values) n = std::max(n, BitWriter::SignedBits(v));
    return n;
}

ByteWriter& PutRgba(ByteWriter& w, uint32_t c) {
    return w.U8(static_cast<uint8_t>(c >> 24)).U8(static_cast<uint8_t>(c >> 16)).U8(static_cast<uint8_t>(c >> 8)).U8(
        static_cast<uint8_t>(c));
}

void WriteShapeRecords(BitWriter& b, const std::vector<ShapeRecord>& records, unsigned fillBits, unsigned lineBits) {
    for (const ShapeRecord& r : records) {
        switch (r.Kind) {
            case ShapeRecord::Kind::Styles:
                b.WriteUnsigned(0, 1);
                b.WriteUnsigned(0x0E, 5);  // line style, fill 1, fill 0
                b.WriteUnsigned(static_cast<uint32_t>(r.A), fillBits);
                b.WriteUnsigned(static_cast<uint32_t>(r.B), fillBits);
                b.WriteUnsigned(static_cast<uint32_t>(r.C), lineBits);
                break;
            case ShapeRecord::Kind::Move: {
                b.WriteUnsigned(0, 1);
                b.WriteUnsigned(0x01, 5);
                const unsigned n = SBits({r.A, r.B});
                b.WriteUnsigned(n, 5);
                b.WriteSigned(r.A, n);
                b.WriteSigned(r.B, n);
                break;
            }
            case ShapeRecord::Kind::Line: {
                const unsigned n = std::max(2u, SBits({r.A, r.B}));
                b.WriteUnsigned(0b11, 2);
                b.WriteUnsigned(n - 2, 4);
                b.WriteFlag(true);  // general line
                b.WriteSigned(r.A, n);
                b.WriteSigned(r.B, n);
                break;
            }
            case ShapeRecord::Kind::Curve: {
                const unsigned n = std::max(2u, SBits({r.A, r.B, r.C, r.D}));
                b.WriteUnsigned(0b10, 2);
                b.WriteUnsigned(n - 2, 4);
                for (int32_t v : {r.A, r.B, r.C, r.D}) b.WriteSigned(v, n);
                break;
            }
        }
    }
}

}  // namespace qb::test
