#include "platform/ShellOpen.h"

#include <shellapi.h>

namespace qb::win {

bool ShellOpen(HWND parent, const std::string& path) {
    // Values above 32 mean success; the rest are error codes.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(parent, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace qb::win
