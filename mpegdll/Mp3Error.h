#pragma once
#include <cstdint>
#include <stdexcept>

namespace qb::mp3 {

// The library's error codes, as "LastError" reports them.
enum class ErrorCode : int32_t {
    None = 0,
    Decoder = 1,      // the codec failed
    Mode = 2,         // the call does not fit the player's state
    Input = 3,        // the stream cannot be opened or read, or holds no MP3
    NonSeekable = 4,  // the stream cannot go back to its start
    Output = 5,       // the sound device or the output file failed
};

class Mp3Error : public std::runtime_error {
public:
    Mp3Error(ErrorCode code, const char* what) : std::runtime_error(what), code_(code) {}
    ErrorCode Code() const { return code_; }

private:
    ErrorCode code_;
};

}  // namespace qb::mp3
