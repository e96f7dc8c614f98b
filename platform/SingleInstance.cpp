#include "platform/SingleInstance.h"

namespace qb::win {

std::optional<SingleInstance> SingleInstance::Claim(const std::string& name) {
    UniqueHandle h(CreateMutexA(nullptr, TRUE, name.c_str()));
    if (!h || GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
    // Only the name matters: ownership is not kept, the open handle is.
    ReleaseMutex(h.Get());
    return SingleInstance(std::move(h));
}

}  // namespace qb::win
