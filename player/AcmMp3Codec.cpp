// MP3 sounds inside movies, decoded a few frames at a time by the system's
// codec through the decoder library's ACM wrapper. A stream's blocks all go
// through one codec stream, since a frame may use bytes of the ones before.
#include "mpegdll/FrameHeader.h"
#include "mpegdll/Mp3Error.h"
#include "mpegdll/WinParts.h"
#include "player/SystemAudio.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace qb {
namespace {

// How far a damaged piece is searched for the next frame before giving up.
constexpr size_t kMaxResync = 4096;
constexpr int kFramesAPiece = 4;

// The first frame header at or after `pos` (which moves to it).
std::optional<mp3::FrameHeader> HeaderAt(std::span<const uint8_t> data, size_t& pos) {
    for (size_t skipped = 0; pos + 4 <= data.size() && skipped < kMaxResync; ++pos, ++skipped) {
        auto h = mp3::ParseFrameHeader(data.subspan(pos));
        if (h && h->frameBytes > 4) return h;
    }
    return std::nullopt;
}

class AcmMp3Feed final : public sound::Mp3Feed {
public:
    AcmMp3Feed(std::span<const uint8_t> frames, const mp3::FrameHeader& first)
        : first_(first), decoder_(mp3::MakeAcmDecoder(first)) {
        pieces_.push_back(frames);
    }

    double Rate() const override { return first_.sampleRate; }
    int Channels() const override { return first_.channels; }
    void Append(std::span<const uint8_t> frames) override { pieces_.push_back(frames); }
    size_t Pending() const override { return pieces_.size(); }

    size_t Read(std::span<int16_t> out) override {
        while (pending_.size() - taken_ < out.size() && DecodeMore()) {
        }
        const size_t channels = static_cast<size_t>(first_.channels);
        const size_t frames = std::min(out.size(), pending_.size() - taken_) / channels;
        std::copy_n(pending_.begin() + static_cast<ptrdiff_t>(taken_), frames * channels, out.begin());
        taken_ += frames * channels;
        return frames;
    }

private:
    // The next few whole frames of the same stream through the codec; bytes
    // before a frame (damage, padding) are skipped, not decoded. A piece
    // with nothing more to decode is dropped.
    bool DecodeMore() {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(taken_));
        taken_ = 0;
        while (!pieces_.empty() && !broken_) {
            std::span<const uint8_t> piece = pieces_.front();
            size_t from = 0;
            HeaderAt(piece, from);
            size_t to = from;
            for (int i = 0; i < kFramesAPiece && to + 4 <= piece.size(); ++i) {
                auto h = mp3::ParseFrameHeader(piece.subspan(to));
                if (!h || !h->SameStreamAs(first_) || h->frameBytes <= 4 ||
                    to + static_cast<size_t>(h->frameBytes) > piece.size())
                    break;
                to += static_cast<size_t>(h->frameBytes);
            }
            if (to == from) {
                pieces_.pop_front();
                continue;
            }
            pieces_.front() = piece.subspan(to);
            try {
                decoder_->Decode(piece.subspan(from, to - from), pending_);
            } catch (const mp3::Mp3Error&) {
                broken_ = true;  // the codec gave up: silence from here on
                pieces_.clear();
                return false;
            }
            return true;
        }
        return false;
    }

    mp3::FrameHeader first_;
    std::unique_ptr<mp3::FrameDecoder> decoder_;
    std::deque<std::span<const uint8_t>> pieces_;
    std::vector<int16_t> pending_;
    size_t taken_ = 0;
    bool broken_ = false;
};

class AcmMp3Codec final : public sound::Mp3Codec {
public:
    std::unique_ptr<sound::Mp3Feed> Open(std::span<const uint8_t> frames) const override {
        size_t pos = 0;
        auto first = HeaderAt(frames, pos);
        if (!first || first->channels < 1 || first->channels > 2) return nullptr;
        try {
            return std::make_unique<AcmMp3Feed>(frames.subspan(pos), *first);
        } catch (const mp3::Mp3Error&) {
            return nullptr;  // the system has no codec for it: silence
        }
    }
};

}  // namespace

std::shared_ptr<const sound::Mp3Codec> SystemMp3Codec() { return std::make_shared<AcmMp3Codec>(); }

}  // namespace qb
