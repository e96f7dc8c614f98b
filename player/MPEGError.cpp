#include "player/MPEGError.h"

namespace qb {

TMPEGError TMPEGError::FromCode(int32_t code) {
    static const char* const kMessages[] = {
        "MPEG library not loaded", "Internal decoder error", "Incorrect mode",
        "Input stream error",      "Input stream is non-seekable", "Output device failure",
    };
    if (code >= 0 && code <= 5) return TMPEGError(kMessages[code], static_cast<uint8_t>(code));
    const auto shown = static_cast<uint8_t>(code < 0 || code > 255 ? 255 : code);
    return TMPEGError("Unknown MPEG library error " + std::to_string(code), shown);
}

}  // namespace qb
