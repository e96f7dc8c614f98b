// Uninstall.exe: removes what setup placed, as its record in the same folder
// lists it, and the registration. A running program cannot delete its own
// file, so it first hands over to a copy of itself in the temporary folder,
// which waits for it to end.
#include "app/Errors.h"
#include "installer/InstallLog.h"
#include "installer/InstallPlan.h"
#include "installer/Installer.h"
#include "installer/Uninstaller.h"
#include "installer/win/Arguments.h"
#include "installer/win/Registration.h"
#include "installer/win/SetupTexts.h"
#include "installer/win/WinText.h"
#include "platform/Handle.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace qb::setup;

constexpr wchar_t kHandOver[] = L"/_from";

std::string OwnPath() {
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

void Say(bool silent, const std::wstring& text, const std::string& name, UINT icon) {
    if (silent) {
        std::fprintf(stderr, "uninstall: %s\n", win::ToAnsi(text).c_str());
        return;
    }
    MessageBoxW(nullptr, text.c_str(), win::Format(win::Lookup(win::Text::UninstallTitle), name).c_str(),
                MB_OK | icon);
}

// Starts a copy of this program from the temporary folder; true when it runs.
bool HandOver(const std::string& directory, bool silent) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + "qb-uninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(OwnPath().c_str(), copy.c_str(), FALSE)) return false;
    // A backslash right before the closing quote would escape it: the folder goes without one.
    std::string folder = directory;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    std::wstring cmd = L"\"" + win::FromAnsi(copy) + L"\" " + kHandOver + L" " +
                       std::to_wstring(GetCurrentProcessId()) + (silent ? L" /S" : L"") + L" \"/D=" +
                       win::FromAnsi(folder) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Started in the temporary folder: a working directory inside the
    // installation folder would keep that folder from being removed.
    const std::wstring tempDir = win::FromAnsi(temp);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, tempDir.c_str(), &si, &pi)) {
        DeleteFileA(copy.c_str());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

int Uninstall(const std::string& directory, bool silent) {
    const std::string logPath = directory + kInstallLogName;
    const InstallLog log = ReadInstallLog(logPath);
    // Registration first: the short path is found only while the file exists.
    win::UnregisterScreenSaver(log.SaverPath);
    const std::vector<std::string> left = RemoveInstalledFiles(log, logPath);
    if (left.empty()) {
        // While files remain, the entry stays so that the user can try again.
        win::RemoveUninstallEntry(log.UninstallKey);
        Say(silent, win::Format(win::Lookup(win::Text::UninstallDone), log.Name), log.Name, MB_ICONINFORMATION);
        return 0;
    }
    std::wstring text = win::FromUtf8(win::Lookup(win::Text::UninstallLeft));
    for (const auto& f : left) text += L"\n" + win::FromAnsi(f);
    Say(silent, text, log.Name, MB_ICONWARNING);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const win::Arguments args = win::ParseArguments();
    try {
        const bool handedOver = args.Others.size() == 2 && args.Others[0] == kHandOver;
        if (handedOver) {
            // Wait for the program in the installation folder to end, so that
            // its file can go too; then this copy leaves with the next restart.
            const DWORD parent = static_cast<DWORD>(std::wcstoul(args.Others[1].c_str(), nullptr, 10));
            qb::win::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, parent));
            if (process) WaitForSingleObject(process.Get(), 60000);
            const int rc = Uninstall(WithTrailingSeparator(args.Directory), args.Silent);
            // FIXME: without administrator rights the system refuses this, and
            // the copy stays in the temporary folder.
            MoveFileExA(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            return rc;
        }
        const std::string directory = args.Directory.empty() ? DirectoryOf(OwnPath()) : args.Directory;
        const InstallLog log = ReadInstallLog(WithTrailingSeparator(directory) + kInstallLogName);
        if (!args.Silent &&
            MessageBoxW(nullptr, win::Format(win::Lookup(win::Text::UninstallAsk), log.Name).c_str(),
                        win::Format(win::Lookup(win::Text::UninstallTitle), log.Name).c_str(),
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 1;
        if (HandOver(WithTrailingSeparator(directory), args.Silent)) return 0;
        return Uninstall(WithTrailingSeparator(directory), args.Silent);  // this program's own file stays
    } catch (const std::exception& e) {
        Say(args.Silent, win::FromAnsi(e.what()), "", MB_ICONERROR);
        return 1;
    }
}
