#pragma once
#include <cstdint>

namespace qb {

// Lets the platform's password provider change the screensaver password;
// does nothing where the provider is missing.
void ChangeSaverPassword(uint32_t hostWindow);

// Asks the platform's password check whether the screensaver over `window`
// may close; true where the platform has no such check.
bool VerifySaverPassword(void* window);

}  // namespace qb
