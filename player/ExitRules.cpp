#include "player/ExitRules.h"

namespace qb {

void ExitRules::SetLoading(bool loading) {
    loading_ = loading;
    origin_.Reset();
}

bool ExitRules::Request(bool allowed) {
    if (loading_ || !allowed) return false;
    exitRequested_ = true;
    return true;
}

bool ExitRules::MouseMoved(int32_t x, int32_t y) {
    if (loading_ || !choices_.MouseMove) return false;
    return origin_.MovedFar(x, y) && Request(true);
}

bool ExitRules::CloseQuery(const std::function<bool()>& verifyPassword) {
    if (!exitRequested_ || loading_) return false;
    SetLoading(true);
    bool allowed = false;
    try {
        allowed = verifyPassword();
    } catch (...) {
        SetLoading(false);
        throw;
    }
    SetLoading(false);
    return allowed;
}

}  // namespace qb
