#include "mpegdll/Mp3Error.h"
#include "mpegdll/WinParts.h"

#include <climits>

namespace qb::mp3 {
namespace {

class CallbackSource final : public ByteSource {
public:
    explicit CallbackSource(const StreamCallbacks& cb) : cb_(cb) {
        uint8_t nonSeekable = 0;
        cb_.open(cb_.context, &nonSeekable, &user_);
        nonSeekable_ = nonSeekable != 0;
    }
    ~CallbackSource() override { cb_.close(cb_.context, user_); }

    size_t Read(std::span<uint8_t> buffer) override {
        int32_t got = 0;
        uint8_t ok = 0;
        const auto want = static_cast<int32_t>(std::min<size_t>(buffer.size(), INT_MAX));
        cb_.read(cb_.context, user_, buffer.data(), want, &got, &ok);
        // A failed read with nothing read is the end of the data; one that
        // reports more than was asked for is a broken stream.
        if (got < 0 || got > want) throw Mp3Error(ErrorCode::Input, "the stream's read failed");
        if (!ok && got == 0) return 0;
        return static_cast<size_t>(got);
    }

    bool Rewind() override {
        if (nonSeekable_) {
            uint8_t ok = 0;
            cb_.restart(cb_.context, user_, &ok);
            return ok != 0;
        }
        int32_t at = -1;
        cb_.seek(cb_.context, user_, 0, mpegapi::kSeekFromStart, &at);
        return at == 0;
    }

    std::optional<uint64_t> Size() override {
        if (nonSeekable_) return std::nullopt;
        int32_t size = -1;
        cb_.size(cb_.context, user_, &size);
        if (size < 0) return std::nullopt;
        return static_cast<uint64_t>(size);
    }

private:
    StreamCallbacks cb_;
    void* user_ = nullptr;
    bool nonSeekable_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> OpenCallbackSource(const StreamCallbacks& cb) {
    if (!cb.open || !cb.close || !cb.restart || !cb.read || !cb.seek || !cb.size)
        throw Mp3Error(ErrorCode::Input, "a stream callback is missing");
    return std::make_unique<CallbackSource>(cb);
}

}  // namespace qb::mp3
