#pragma once
#include <cstdint>
#include <vector>

namespace qb::test {

// Writes the bit-packed fields of movie records (RECT, shape records):
// most significant bit first, continuing across byte boundaries.
class BitWriter {
public:
    void WriteUnsigned(uint32_t value, unsigned bits);
    // Two's complement in `bits` bits; the caller picks a width that fits.
    void WriteSigned(int32_t value, unsigned bits);
    void WriteFlag(bool flag) { WriteUnsigned(flag ? 1 : 0, 1); }
    // Pads the last byte with zero bits; records always end byte-aligned.
    void Align();

    // The bytes written so far, the last one padded.
    std::vector<uint8_t> Take();

    // Smallest width that holds the value as a signed (at least 1) or
    // unsigned field.
    static unsigned SignedBits(int32_t value);
    static unsigned UnsignedBits(uint32_t value);

private:
    std::vector<uint8_t> bytes_;
    unsigned used_ = 8;  // bits used in bytes_.back(); 8 means "start a new byte"
};

}  // namespace qb::test
