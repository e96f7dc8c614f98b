#include "app/SaverPassword.h"

#include "platform/Handle.h"

namespace qb {

void ChangeSaverPassword(uint32_t hostWindow) {
    win::UniqueLibrary mpr("Mpr.Dll");
    using PwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    auto change = reinterpret_cast<PwdChangePassword>(reinterpret_cast<void*>(mpr.Proc("PwdChangePasswordA")));
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(static_cast<uintptr_t>(hostWindow)), 0, nullptr);
}

}  // namespace qb
