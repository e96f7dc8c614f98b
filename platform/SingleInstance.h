#pragma once
#include "platform/Handle.h"

#include <optional>
#include <string>

namespace qb::win {

// A named mutex that exists exactly as long as the process holding it, so a
// second process asking for the same name can tell one is already running.
class SingleInstance {
public:
    // Empty when another process already holds the name.
    static std::optional<SingleInstance> Claim(const std::string& name);

private:
    explicit SingleInstance(UniqueHandle h) : mutex_(std::move(h)) {}
    UniqueHandle mutex_;
};

}  // namespace qb::win
