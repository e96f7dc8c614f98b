#include "tests/support/SwfWriter.h"

#include "tests/support/BitWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace qb::test {

ByteWriter& ByteWriter::U8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

ByteWriter& ByteWriter::U16(uint16_t v) {
    return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8));
}

ByteWriter& ByteWriter::U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16));
}

ByteWriter& ByteWriter::Append(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Text(const std::string& s) {
    for (char c : s) U8(static_cast<uint8_t>(c));
    return U8(0);
}

ByteWriter& ByteWriter::Rgb(uint32_t rgb) {
    return U8(static_cast<uint8_t>(rgb >> 16)).U8(static_cast<uint8_t>(rgb >> 8)).U8(static_cast<uint8_t>(rgb));
}

Bytes EncodeRect(const RectTwips& rect, unsigned fieldBits) {
    unsigned bits = fieldBits;
    for (int32_t v : {rect.XMin, rect.XMax, rect.YMin, rect.YMax}) bits = std::max(bits, BitWriter::SignedBits(v));
    if (bits > 31) throw std::invalid_argument("RECT fields are at most 31 bits wide");
    BitWriter w;
    w.WriteUnsigned(bits, 5);
    for (int32_t v : {rect.XMin, rect.XMax, rect.YMin, rect.YMax}) w.WriteSigned(v, bits);
    return w.Take();
}

size_t TagHeaderSize(size_t bodySize, TagForm form) {
    return form == TagForm::Long || bodySize >= 0x3F ? 6 : 2;
}

Bytes EncodeTagHeader(uint16_t code, uint32_t length, TagForm form) {
    if (code > 0x3FF) throw std::invalid_argument("tag codes have 10 bits");
    ByteWriter w;
    if (TagHeaderSize(length, form) == 2) {
        w.U16(static_cast<uint16_t>(code << 6 | length));
    } else {
        w.U16(static_cast<uint16_t>(code << 6 | 0x3F)).U32(length);
    }
    return w.Take();
}

Bytes EncodeTag(uint16_t code, std::span<const uint8_t> body, TagForm form) {
    Bytes out = EncodeTagHeader(code, static_cast<uint32_t>(body.size()), form);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

uint8_t SoundInfo::Flags() const {
    return static_cast<uint8_t>((SyncStop ? 0x20 : 0) | (SyncNoMultiple ? 0x10 : 0) | (Envelope.empty() ? 0 : 0x08) |
                                (LoopCount ? 0x04 : 0) |
                                (OutPoint ? 0x02 : 0) | (InPoint ? 0x01 : 0));
}

Bytes SoundInfo::Encode() const {
    ByteWriter w;
    w.U8(Flags());
    if (InPoint) w.U32(*InPoint);
    if (OutPoint) w.U32(*OutPoint);
    if (LoopCount) w.U16(*LoopCount);
    if (!Envelope.empty()) {
        w.U8(static_cast<uint8_t>(Envelope.size()));
        for (const Level& l : Envelope) w.U32(l.Position).U16(l.Left).U16(l.Right);
    }
    return w.Take();
}

TagList& TagList::Tag(uint16_t code, std::span<const uint8_t> body, TagForm form) {
    bytes_.Append(EncodeTag(code, body, form));
    if (code == tag::ShowFrame) ++showFrames_;
    return *this;
}

TagList& TagList::Raw(std::span<const uint8_t> bytes) {
    bytes_.Append(bytes);
    return *this;
}

TagList& TagList::HeaderOnly(uint16_t code, uint32_t claimedLength, TagForm form) {
    bytes_.Append(EncodeTagHeader(code, claimedLength, form));
    return *this;
}

TagList& TagList::End() { return Tag(tag::End, {}); }

TagList& TagList::ShowFrame() { return Tag(tag::ShowFrame, {}); }

TagList& TagList::SetBackgroundColor(uint32_t rgb) {
    return Tag(tag::SetBackgroundColor, ByteWriter().Rgb(rgb).Data());
}

TagList& TagList::DefineShape(uint16_t shapeId, const RectTwips& bounds, uint32_t fillRgb) {
    ByteWriter body;
    body.U16(shapeId).Append(EncodeRect(bounds));
    body.U8(1).U8(0x00).Rgb(fillRgb);  // one solid fill style
    body.U8(0);                         // no line styles

    const int32_t width = bounds.XMax - bounds.XMin;
    const int32_t height = bounds.YMax - bounds.YMin;
    BitWriter bits;
    bits.WriteUnsigned(1, 4);  // fill style index bits
    bits.WriteUnsigned(0, 4);  // line style index bits

    // Style change: move to the top-left corner and pick fill style 1.
    const unsigned moveBits = std::max(BitWriter::SignedBits(bounds.XMin), BitWriter::SignedBits(bounds.YMin));
    bits.WriteUnsigned(0b000101, 6);  // non-edge, FillStyle1 and MoveTo present
    bits.WriteUnsigned(moveBits, 5);
    bits.WriteSigned(bounds.XMin, moveBits);
    bits.WriteSigned(bounds.YMin, moveBits);
    bits.WriteUnsigned(1, 1);

    // Four axis-parallel straight edges around the rectangle.
    const unsigned edgeBits = std::max({2u, BitWriter::SignedBits(width), BitWriter::SignedBits(-width),
                                        BitWriter::SignedBits(height), BitWriter::SignedBits(-height)});
    if (edgeBits > 17) throw std::invalid_argument("shape too large for one edge record");
    const struct { bool vertical; int32_t delta; } edges[] = {
        {false, width}, {true, height}, {false, -width}, {true, -height}};
    for (const auto& e : edges) {
        bits.WriteUnsigned(0b11, 2);  // edge record, straight
        bits.WriteUnsigned(edgeBits - 2, 4);
        bits.WriteFlag(false);  // not a general line
        bits.WriteFlag(e.vertical);
        bits.WriteSigned(e.delta, edgeBits);
    }
    bits.WriteUnsigned(0, 6);  // end of shape
    body.Append(bits.Take());
    return Tag(tag::DefineShape, body.Data());
}

TagList& TagList::DefineSprite(uint16_t spriteId, const TagList& tags, TagForm form,
                               std::optional<uint16_t> frameCount) {
    ByteWriter body;
    body.U16(spriteId).U16(frameCount.value_or(tags.ShowFrames())).Append(tags.Data());
    return Tag(tag::DefineSprite, body.Data(), form);
}

TagList& TagList::DefineSound(uint16_t soundId, std::span<const uint8_t> samples, TagForm form) {
    ByteWriter body;
    // Format 3 (uncompressed, little-endian), 5.5 kHz, 8-bit, mono.
    body.U16(soundId).U8(0x30).U32(static_cast<uint32_t>(samples.size())).Append(samples);
    return Tag(tag::DefineSound, body.Data(), form);
}

TagList& TagList::DefineSound(uint16_t soundId, uint8_t format, uint32_t sampleCount, std::span<const uint8_t> data,
                              TagForm form) {
    return Tag(tag::DefineSound, ByteWriter().U16(soundId).U8(format).U32(sampleCount).Append(data).Data(), form);
}

TagList& TagList::StartSound(uint16_t soundId, const SoundInfo& info, TagForm form) {
    return Tag(tag::StartSound, ByteWriter().U16(soundId).Append(info.Encode()).Data(), form);
}

TagList& TagList::StartSound2(const std::string& name, const SoundInfo& info, TagForm form) {
    return Tag(tag::StartSound2, ByteWriter().Text(name).Append(info.Encode()).Data(), form);
}

TagList& TagList::ExportAssets(uint16_t id, const std::string& name) {
    return Tag(tag::ExportAssets, ByteWriter().U16(1).U16(id).Text(name).Data());
}

TagList& TagList::DefineButtonSound(uint16_t buttonId, std::array<uint16_t, 4> soundIds, TagForm form) {
    ByteWriter body;
    body.U16(buttonId);
    for (uint16_t id : soundIds) {
        body.U16(id);
        if (id != 0) body.Append(SoundInfo{}.Encode());
    }
    return Tag(tag::DefineButtonSound, body.Data(), form);
}

TagList& TagList::SoundStreamHeadTag(uint16_t code, uint16_t samplesPerBlock, uint8_t streamFormat, TagForm form) {
    ByteWriter body;
    // Playback: 5.5 kHz, 16-bit, mono.
    body.U8(0x02).U8(streamFormat).U16(samplesPerBlock);
    return Tag(code, body.Data(), form);
}

// Stream: uncompressed, 5.5 kHz, 16-bit, mono.
TagList& TagList::SoundStreamHead(uint16_t samplesPerBlock, TagForm form) {
    return SoundStreamHeadTag(tag::SoundStreamHead, samplesPerBlock, 0x32, form);
}

TagList& TagList::SoundStreamHead2(uint16_t samplesPerBlock, TagForm form) {
    return SoundStreamHeadTag(tag::SoundStreamHead2, samplesPerBlock, 0x32, form);
}

TagList& TagList::SoundStreamHead2(uint16_t samplesPerBlock, uint8_t streamFormat, TagForm form) {
    return SoundStreamHeadTag(tag::SoundStreamHead2, samplesPerBlock, streamFormat, form);
}

TagList& TagList::SoundStreamBlock(std::span<const uint8_t> samples, TagForm form) {
    return Tag(tag::SoundStreamBlock, samples, form);
}

TagList& TagList::DoAction(std::span<const uint8_t> actions, TagForm form) {
    return Tag(tag::DoAction, actions, form);
}

Bytes SwfWriter::EncodeHeaderTail() const {
    ByteWriter w;
    w.Append(EncodeRect(header_.FrameRect, header_.RectBits));
    w.U16(static_cast<uint16_t>(std::lround(header_.FrameRate * 256.0)));  // 8.8 fixed point
    w.U16(header_.FrameCount.value_or(ShowFrames()));
    return w.Take();
}

size_t SwfWriter::TagsOffset() const { return 8 + EncodeHeaderTail().size(); }

Bytes SwfWriter::Movie() const {
    const Bytes tail = EncodeHeaderTail();
    const auto length = static_cast<uint32_t>(8 + tail.size() + Size());
    ByteWriter w;
    w.U8('F').U8('W').U8('S').U8(header_.Version).U32(header_.FileLength.value_or(length));
    w.Append(tail).Append(Data());
    return w.Take();
}

Bytes SwfWriter::CompressedMovie() const { return CompressMovie(Movie()); }

Bytes CompressMovie(std::span<const uint8_t> fwsMovie) {
    if (fwsMovie.size() < 8) throw std::invalid_argument("not a movie");
    const auto rest = fwsMovie.subspan(8);
    uLongf packedSize = compressBound(static_cast<uLong>(rest.size()));
    Bytes out(8 + packedSize);
    if (compress2(out.data() + 8, &packedSize, rest.data(), static_cast<uLong>(rest.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compress failed");
    out.resize(8 + packedSize);
    std::copy_n(fwsMovie.begin(), 8, out.begin());
    out[0] = 'C';
    return out;
}

Bytes MakeProjector(std::span<const uint8_t> stub, std::span<const uint8_t> movie,
                    std::optional<uint32_t> claimedLength) {
    ByteWriter w;
    w.Append(stub).Append(movie);
    w.U32(0xDEADBEEF);  // never examined
    w.U32(claimedLength.value_or(static_cast<uint32_t>(movie.size())));
    return w.Take();
}

}  // namespace qb::test
