#pragma once
#include "installer/InstallLog.h"
#include "installer/SetupPackage.h"

#include <windows.h>

#include <functional>
#include <string>

namespace qb::setup::win {

// The installation itself, as both the window and the silent mode run it:
// unpack, register the screensaver, add the uninstall entry.
InstallLog InstallAndRegister(SetupPackage& package, const std::string& directory,
                              const std::function<void(size_t, size_t)>& progress);

// Setup's one window: what is installed, where to, Install / Cancel and a
// progress bar. Ends with exit code 0 once installed, 1 when cancelled.
class SetupWindow {
public:
    SetupWindow(SetupPackage& package, std::string directory);
    ~SetupWindow();
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;

    int Run();

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    HWND Control(const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id);
    void Browse();
    void Install();
    void PumpMessages();

    SetupPackage& package_;
    std::string directory_;
    HWND hwnd_ = nullptr;
    HWND edit_ = nullptr, browse_ = nullptr, progress_ = nullptr, install_ = nullptr, cancel_ = nullptr;
    bool busy_ = false;
    int result_ = 1;
};

}  // namespace qb::setup::win
