#include "player/win/PreviewForm.h"

#include "app/SaverSettings.h"
#include "app/SaverUtils.h"
#include "platform/FileSystem.h"
#include "player/MovieFiles.h"
#include "player/ShockwaveFlash.h"
#include "player/ThreadedTimer.h"
#include "player/win/FlashMovieControl.h"
#include "player/win/MovieTimerSet.h"
#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Timer.h"
#include "ui/win/WinText.h"

#include <windows.h>

#include <chrono>

namespace qb {

TPreviewForm::TPreviewForm(void* hostWindow) { SetHostWindow(hostWindow); }

TPreviewForm::~TPreviewForm() {
    if (movies_) movies_->Halt();
    if (timers_) timers_->StopAll();
    control_.reset();
    swfPreview.reset();
}

void TPreviewForm::Design() {
    SetText("Quenbrook Preview");
    SetBorderStyle(ui::BorderStyle::None);
    SetColor(0);
    // The system's preview area is a frameless child, whose window and client
    // rectangles agree; a host with a frame is filled inside its frame.
    RECT host{};
    GetClientRect(static_cast<HWND>(HostWindow()), &host);
    SetBounds(0, 0, host.right, host.bottom);

    timers_ = std::make_unique<MovieTimerSet>(
        *this, 400, movies_, [this] {
            if (movies_ && !reporting_) Load([this] { movies_->IntervalTick(); });
        });

    OnShow = [this](ui::Component&) { FormShow(); };
    OnMessage = [](unsigned msg, uintptr_t, intptr_t, intptr_t&) {
        // The host went and took this window with it: nothing is left to
        // draw into, so the program ends instead of lingering unseen.
        if (msg == WM_DESTROY) ui::QuitMessageLoop();
        return false;
    };
}

void TPreviewForm::Load(const std::function<void()>& load) {
    try {
        load();
    } catch (const std::exception& e) {
        reporting_ = true;
        ui::Application::ShowException(e);
        reporting_ = false;
    }
}

void TPreviewForm::FormShow() {
    SettingsFile = SaverUtils::ExeDir + "Quenbrook.dat";
    SaverSettings settings = ReadSettings(SettingsFile, SettingsReader::Preview);
    DropMissingFiles(settings.Movies, fs::FileExists);
    const SaverOptions& o = settings.Options;
    const int32_t quality = o.Quality >= 0 && o.Quality <= 2 ? o.Quality : 2;

    SetColor(SwapRedBlue(o.BgColor));
    swfPreview = std::make_unique<TShockwaveFlash>(static_cast<HWND>(Peer() ? Peer()->NativeHandle() : nullptr), 0,
                                                   0, Width(), Height());
    control_ = std::make_unique<FlashMovieControl>(*swfPreview);
    swfPreview->InputFilterActive = false;
    swfPreview->SetQuality2(ui::win::Widen(SaverUtils::QualityNames[quality], CP_ACP));
    swfPreview->SetBackgroundColor(static_cast<int32_t>(o.BgColor));
    if (settings.Movies.empty()) return;

    random_.seed(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    MovieRotationConfig config;
    config.Kind = MovieEndWatch::Kind::Preview;
    config.Movies = settings.Movies;
    config.RandomOrder = !o.Sequence;
    config.BlankMovie = SaverUtils::ExeDir + "blank.swf";
    config.WorkingCopy = SaverUtils::TempDir + "DEDIVudaz.swf";
    movies_ = std::make_unique<MovieRotation>(config, *control_, *timers_, [this](int32_t n) {
        return std::uniform_int_distribution<int32_t>(0, n - 1)(random_);
    });
    Load([this] { movies_->Start(); });
}

QB_CLASS_INFO(TPreviewForm, ui::Form) {}

}  // namespace qb
