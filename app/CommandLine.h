#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qb {

enum class SaverMode { None, Editor, Screensaver, Preview, ChangePassword };

struct StartRequest {
    SaverMode Mode = SaverMode::None;
    uint32_t HostWindow = 0;  // only for preview and password change
};

// Reads the screensaver switches from the arguments after the program name:
// "/c", "-S", "/save", "/p 1234", "/p:1234", "/l:56", "/a". No argument means
// the editor; anything not starting with "-" or "/" means nothing at all.
StartRequest ParseCommandLine(const std::vector<std::string>& args);

}  // namespace qb
