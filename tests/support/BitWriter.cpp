#include "tests/support/BitWriter.h"

#include <bit>
#include <stdexcept>

namespace qb::test {

void BitWriter::WriteUnsigned(uint32_t value, unsigned bits) {
    if (bits > 32) throw std::invalid_argument("bit field wider than 32 bits");
    for (unsigned i = bits; i-- > 0;) {
        if (used_ == 8) {
            bytes_.push_back(0);
            used_ = 0;
        }
        if ((value >> i) & 1u) bytes_.back() |= static_cast<uint8_t>(0x80u >> used_);
        ++used_;
    }
}

void BitWriter::WriteSigned(int32_t value, unsigned bits) {
    if (bits < 32 && bits < SignedBits(value))
        throw std::invalid_argument("value does not fit its bit field");
    WriteUnsigned(static_cast<uint32_t>(value), bits);
}

void BitWriter::Align() { used_ = 8; }

std::vector<uint8_t> BitWriter::Take() {
    std::vector<uint8_t> out = std::move(bytes_);
    bytes_.clear();
    used_ = 8;
    return out;
}

unsigned BitWriter::SignedBits(int32_t value) {
    uint32_t magnitude = value < 0 ? ~static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return static_cast<unsigned>(std::bit_width(magnitude)) + 1;
}

unsigned BitWriter::UnsignedBits(uint32_t value) {
    return static_cast<unsigned>(std::bit_width(value));
}

}  // namespace qb::test
