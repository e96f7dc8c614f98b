// setup.exe: the stub at the front of every setup file. It reads the package
// that follows it in its own file and installs it.
#include "app/Errors.h"
#include "installer/InstallPlan.h"
#include "installer/SetupPackage.h"
#include "installer/win/Arguments.h"
#include "installer/win/SetupTexts.h"
#include "installer/win/SetupWindow.h"
#include "installer/win/WinText.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace {

using namespace qb::setup;

std::string OwnPath() {
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

// Per user, like the registration: no administrator rights needed.
std::string DefaultDirectory(const std::string& saverName) {
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        GetTempPathA(MAX_PATH, base);
    std::string dir = base;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir + "Programs\\Quenbrook Savers\\" + FolderNameFor(saverName);
}

struct ComApartment {
    const bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ComApartment() = default;
    ~ComApartment() {
        if (ok) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

void Report(bool silent, const std::string& message) {
    if (silent) {
        std::fprintf(stderr, "setup: %s\n", message.c_str());
        return;
    }
    const std::wstring text = win::FromUtf8(win::Lookup(win::Text::Failed)) + L"\n\n" + win::FromAnsi(message);
    MessageBoxW(nullptr, text.c_str(), L"Quenbrook", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const win::Arguments args = win::ParseArguments();
    try {
        SetupPackage package(OwnPath());
        const std::string directory = args.Directory.empty() ? DefaultDirectory(package.SaverName()) : args.Directory;
        if (args.Silent) {
            win::InstallAndRegister(package, directory, {});
            return 0;
        }
        const ComApartment com;  // for the folder browser
        win::SetupWindow window(package, directory);
        return window.Run();
    } catch (const std::exception& e) {
        Report(args.Silent, e.what());
        return 1;
    }
}
