#include "mpegdll/ReplaySource.h"

#include <algorithm>
#include <cstring>

namespace qb::mp3 {

bool ReplaySource::Replay() {
    recording_ = false;
    at_ = 0;
    if (!overflowed_) return true;
    recorded_.clear();
    return inner_->Rewind();
}

size_t ReplaySource::Read(std::span<uint8_t> buffer) {
    if (!recording_ && at_ < recorded_.size()) {
        const size_t n = std::min(buffer.size(), recorded_.size() - at_);
        std::memcpy(buffer.data(), recorded_.data() + at_, n);
        at_ += n;
        return n;
    }
    const size_t n = inner_->Read(buffer);
    if (recording_ && !overflowed_) {
        if (recorded_.size() + n > limit_) {
            overflowed_ = true;
            recorded_.clear();
            recorded_.shrink_to_fit();
        } else {
            recorded_.insert(recorded_.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
        }
    }
    return n;
}

bool ReplaySource::Rewind() {
    if (!inner_->Rewind()) return false;
    recorded_.clear();
    recording_ = false;
    at_ = 0;
    return true;
}

}  // namespace qb::mp3
