#pragma once
#include "app/Errors.h"

#include <cstdint>
#include <string>

namespace qb {

// A failure of MP3 playback: the message the user may see and the decoder
// library's code (0: library not loaded, 1-5: the library's own codes, 254:
// no stream named).
class TMPEGError : public Exception {
public:
    TMPEGError(const std::string& message, uint8_t code) : Exception(message), ErrorCode(code) {}
    // The message of one of the library's codes.
    static TMPEGError FromCode(int32_t code);

    uint8_t ErrorCode;
};

}  // namespace qb
