#pragma once
#include <cstdint>

namespace qb {

// Lets the platform's password provider change the screensaver password;
// does nothing where the provider is missing.
void ChangeSaverPassword(uint32_t hostWindow);

}  // namespace qb
