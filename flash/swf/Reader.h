#pragma once
#include "flash/swf/Types.h"

#include <cstdint>
#include <span>
#include <string>

namespace qb::swf {

// Reads the little-endian bytes and the bit-packed fields of a movie. Reading
// past the end never fails loudly: it yields zeros and sets Overrun(), so a
// cut-off record gives a harmless value and the caller can drop it.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    size_t Position() const { return pos_; }
    size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    bool Overrun() const { return overrun_; }
    void Seek(size_t pos) { pos_ = pos, bitsLeft_ = 0; }
    void Skip(size_t n);
    std::span<const uint8_t> Rest() const { return data_.subspan(std::min(pos_, data_.size())); }
    std::span<const uint8_t> Take(size_t n);

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t S16() { return static_cast<int16_t>(U16()); }
    int32_t S32() { return static_cast<int32_t>(U32()); }
    float F32();
    double F64();  // the action format's word-swapped double
    // Encoded unsigned 32-bit integer (7 bits a byte), as in newer tags.
    uint32_t EncodedU32();
    std::string String();  // up to a zero byte

    // Bit fields, most significant bit first; byte reads realign.
    uint32_t UBits(unsigned n);
    int32_t SBits(unsigned n);
    double FixedBits(unsigned n) { return SBits(n) / 65536.0; }  // 16.16
    void Align() { bitsLeft_ = 0; }

    Rect ReadRect();
    Matrix ReadMatrix();
    // CXFORM (without alpha) or CXFORMWITHALPHA.
    ColorTransform ReadColorTransform(bool withAlpha);
    Rgba ReadRgb();
    Rgba ReadRgba();

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    uint32_t bitBuffer_ = 0;
    unsigned bitsLeft_ = 0;
    bool overrun_ = false;
};

}  // namespace qb::swf
