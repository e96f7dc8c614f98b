#include "flash/swf/Reader.h"

#include <cstring>

namespace qb::swf {

void Reader::Skip(size_t n) {
    Align();
    if (n > Remaining()) overrun_ = true;
    pos_ = n > Remaining() ? data_.size() : pos_ + n;
}

std::span<const uint8_t> Reader::Take(size_t n) {
    Align();
    if (n > Remaining()) {
        overrun_ = true;
        n = Remaining();
    }
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
}

uint8_t Reader::U8() {
    bitsLeft_ = 0;
    if (pos_ >= data_.size()) {
        overrun_ = true;
        return 0;
    }
    return data_[pos_++];
}

uint16_t Reader::U16() {
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
}

uint32_t Reader::U32() {
    const uint32_t lo = U16();
    return lo | uint32_t{U16()} << 16;
}

float Reader::F32() {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double Reader::F64() {
    const uint64_t hi = U32();
    const uint64_t lo = U32();
    const uint64_t bits = hi << 32 | lo;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

uint32_t Reader::EncodedU32() {
    uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        const uint8_t b = U8();
        value |= uint32_t{b & 0x7Fu} << (7 * i);
        if (!(b & 0x80)) break;
    }
    return value;
}

std::string Reader::String() {
    Align();
    std::string s;
    while (pos_ < data_.size() && data_[pos_] != 0) s.push_back(static_cast<char>(data_[pos_++]));
    if (pos_ < data_.size()) ++pos_;
    else overrun_ = true;
    return s;
}

uint32_t Reader::UBits(unsigned n) {
    uint32_t value = 0;
    for (unsigned i = 0; i < n; ++i) {
        if (bitsLeft_ == 0) {
            if (pos_ >= data_.size()) {
                overrun_ = true;
                bitBuffer_ = 0;
            } else {
                bitBuffer_ = data_[pos_++];
            }
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        value = value << 1 | ((bitBuffer_ >> bitsLeft_) & 1);
    }
    return value;
}

int32_t Reader::SBits(unsigned n) {
    if (n == 0) return 0;
    const uint32_t v = UBits(n);
    if (n >= 32) return static_cast<int32_t>(v);
    const uint32_t sign = 1u << (n - 1);
    return static_cast<int32_t>((v ^ sign) - sign);
}

Rect Reader::ReadRect() {
    Align();
    const unsigned n = UBits(5);
    Rect r;
    r.XMin = SBits(n);
    r.XMax = SBits(n);
    r.YMin = SBits(n);
    r.YMax = SBits(n);
    Align();
    return r;
}

Matrix Reader::ReadMatrix() {
    Align();
    Matrix m;
    if (UBits(1)) {
        const unsigned n = UBits(5);
        m.A = FixedBits(n);
        m.D = FixedBits(n);
    }
    if (UBits(1)) {
        const unsigned n = UBits(5);
        m.B = FixedBits(n);
        m.C = FixedBits(n);
    }
    const unsigned n = UBits(5);
    m.Tx = SBits(n);
    m.Ty = SBits(n);
    Align();
    return m;
}

ColorTransform Reader::ReadColorTransform(bool withAlpha) {
    Align();
    const bool hasAdd = UBits(1), hasMul = UBits(1);
    const unsigned n = UBits(4);
    ColorTransform cx;
    if (hasMul) {
        cx.RMul = SBits(n), cx.GMul = SBits(n), cx.BMul = SBits(n);
        if (withAlpha) cx.AMul = SBits(n);
    }
    if (hasAdd) {
        cx.RAdd = SBits(n), cx.GAdd = SBits(n), cx.BAdd = SBits(n);
        if (withAlpha) cx.AAdd = SBits(n);
    }
    Align();
    return cx;
}

Rgba Reader::ReadRgb() {
    Rgba c;
    c.R = U8(), c.G = U8(), c.B = U8();
    return c;
}

Rgba Reader::ReadRgba() {
    Rgba c = ReadRgb();
    c.A = U8();
    return c;
}

}  // namespace qb::swf
