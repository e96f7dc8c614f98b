// quenbrook.exe: the editor, the screensaver, its preview and the password
// changer in one executable; the first argument chooses which.
#include "app/CommandLine.h"
#include "app/SaverPassword.h"
#include "app/SaverSettings.h"
#include "app/SaverUtils.h"
#include "app/SharedPlayer.h"
#include "editor/win/FlashMainFrm.h"
#include "platform/FileSystem.h"
#include "platform/SingleInstance.h"
#include "player/win/PreviewForm.h"
#include "player/win/StartForm.h"
#include "ui/Application.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace qb {
namespace {

const char kScreensaverMutex[] = "TarnwickQuenbrook1";
const char kEditorMutex[] = "TarnwickQuenbrook2";

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
    return args;
}

void FixDirectories() {
    SaverUtils::ExeDir = fs::ExecutableDirectory();
    SaverUtils::DataDir =
        AddTrailingBackslash(ReadAppPath(SaverUtils::ExeDir + "Quenbrook.Dat", SaverUtils::ExeDir));
    SaverUtils::TempDir = GetTempDir();
}

HWND AsWindow(uint32_t handle) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle)); }

int Run(const std::vector<std::string>& args) {
    // Anything that is not a switch ends the program before it touches anything.
    if (!args.empty() && (args[0].empty() || (args[0][0] != '-' && args[0][0] != '/'))) return 0;
    FixDirectories();
    SharedPlayerScope sharedPlayer;
    const StartRequest request = ParseCommandLine(args);
    switch (request.Mode) {
    case SaverMode::ChangePassword:
        SaverUtils::HostWindow = request.HostWindow;
        ChangeSaverPassword(SaverUtils::HostWindow);
        return 0;
    case SaverMode::Editor: {
        auto guard = win::SingleInstance::Claim(kEditorMutex);
        if (!guard) return 0;
        RunEditor();
        return 0;
    }
    case SaverMode::Preview: {
        SaverUtils::HostWindow = request.HostWindow;
        // Without a host there is nothing to draw into.
        HWND host = AsWindow(SaverUtils::HostWindow);
        if (!host || !IsWindow(host)) return 0;
        auto preview = ui::Form::Create<TPreviewForm>(host);
        ui::Application::Run(*preview);
        return 0;
    }
    case SaverMode::Screensaver: {
        auto guard = win::SingleInstance::Claim(kScreensaverMutex);
        if (!guard) return 0;
        auto start = ui::Form::Create<TStartForm>();
        ui::Application::Run(*start);
        return 0;
    }
    case SaverMode::None:
        return 0;
    }
    return 0;
}

}  // namespace
}  // namespace qb

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    qb::Run(qb::Arguments());
    // Every mode ends with code 0, whatever happened inside it.
    return 0;
}
