#include "app/SaverPassword.h"

#include "platform/Handle.h"

namespace qb {

void ChangeSaverPassword(uint32_t hostWindow) {
    win::UniqueLibrary mpr("Mpr.Dll");
    using PwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    auto change = reinterpret_cast<PwdChangePassword>(reinterpret_cast<void*>(mpr.Proc("PwdChangePasswordA")));
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(static_cast<uintptr_t>(hostWindow)), 0, nullptr);
}

bool VerifySaverPassword(void* window) {
    win::UniqueLibrary cpl("PASSWORD.CPL");
    if (!cpl) return true;
    using VerifyScreenSavePwd = BOOL(WINAPI*)(HWND);
    auto verify = reinterpret_cast<VerifyScreenSavePwd>(reinterpret_cast<void*>(cpl.Proc("VerifyScreenSavePwd")));
    if (!verify) return true;
    return (verify(static_cast<HWND>(window)) & 0xFF) != 0;
}

}  // namespace qb
