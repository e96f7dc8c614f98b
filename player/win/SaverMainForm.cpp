#include "player/win/SaverMainForm.h"

#include "app/SaverPassword.h"
#include "app/SaverSettings.h"
#include "app/SaverUtils.h"
#include "platform/FileSystem.h"
#include "player/MPEGPlayer.h"
#include "player/MovieFiles.h"
#include "player/ShockwaveFlash.h"
#include "player/ThreadedTimer.h"
#include "player/win/FlashMovieControl.h"
#include "player/win/MediaPlayer.h"
#include "player/win/MovieTimerSet.h"
#include "ui/Application.h"
#include "ui/Timer.h"
#include "ui/win/WinText.h"

#include <windows.h>
#include <windowsx.h>

#include <chrono>

namespace qb {

class TSaverMainForm::SharedMp3 : public Mp3Output {
public:
    explicit SharedMp3(TMPEGPlayer& p) : p_(p) {}
    int32_t GetPlayerMode() override { return p_.GetPlayerMode(); }
    void Stop() override { p_.Stop(); }
    void PlayFile(const std::string& path) override {
        p_.SetStreamName(path);
        p_.Play();
    }

private:
    TMPEGPlayer& p_;
};

TSaverMainForm::TSaverMainForm() = default;

TSaverMainForm::~TSaverMainForm() { FormDestroy(); }

void TSaverMainForm::Design() {
    SetText("Quenbrook Screensaver");
    SetBorderStyle(ui::BorderStyle::None);
    SetStayOnTop(true);
    SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    SoundTimer = &Make<ui::Timer>("SoundTimer");
    SoundTimer->SetInterval(100);
    SoundTimer->SetEnabled(false);
    SoundTimer->SetOnTimer([this](ui::Component&) {
        if (sounds_) sounds_->Tick();
    });
    timers_ = std::make_unique<MovieTimerSet>(
        *this, 500, movies_, [this] {
            // While an error box shows, its own message loop still delivers
            // ticks: one box at a time.
            if (movies_ && !reporting_) Load([this] { movies_->IntervalTick(); });
        });
    MP = std::make_unique<TMediaPlayer>();
    OnShow = [this](ui::Component&) { FormShow(); };
    OnMessage = [this](unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) {
        return FormMessage(msg, wp, lp, result);
    };
    OnCloseQuery = [this](ui::Form&, bool& canClose) { FormCloseQuery(canClose); };
}

void TSaverMainForm::DoCreate() {
    SetLoading(false);
    StartedFromEditor = false;
    SettingsFile = SaverUtils::ExeDir + "Quenbrook.dat";
    ui::Form::DoCreate();
}

void TSaverMainForm::SetLoading(bool v) { exit_.SetLoading(v); }

void TSaverMainForm::RequestExit(bool v) {
    if (v) Close();
}

int32_t TSaverMainForm::Random(int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random_); }

template <class F>
void TSaverMainForm::Load(F&& load) {
    try {
        load();
    } catch (const std::exception& e) {
        // Input stays ignored until the box is gone, then counts again.
        reporting_ = true;
        ui::Application::ShowException(e);
        reporting_ = false;
        SetLoading(false);
    }
}

void TSaverMainForm::FormShow() {
    HWND hwnd = static_cast<HWND>(Peer() ? Peer()->NativeHandle() : nullptr);
    if (!StartedFromEditor && hwnd)
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);

    SaverSettings settings = ReadSettings(SettingsFile, SettingsReader::FullScreen);
    DropMissingFiles(settings.Movies, fs::FileExists);
    DropMissingFiles(settings.Sounds, fs::FileExists);
    const SaverOptions& o = settings.Options;
    exit_.SetChoices({o.MouseMove, o.MouseClick, o.KeyPress});
    showCursor_ = o.ShowCursor;
    // Three quality names only: anything else plays at the best.
    const int32_t quality = o.Quality >= 0 && o.Quality <= 2 ? o.Quality : 2;

    swf_ = std::make_unique<TShockwaveFlash>(hwnd, 0, 0, 0, 0);
    control_ = std::make_unique<FlashMovieControl>(*swf_);
    if (o.MovieSize == 2) swf_->SetBounds(0, 0, Width(), Height());
    SetColor(SwapRedBlue(o.BgColor));
    swf_->InputFilterActive = true;
    swf_->ForwardMouseMove = o.MouseMove;
    swf_->ForwardMouseClick = o.MouseClick;
    swf_->ForwardKeys = o.KeyPress;
    if (!showCursor_) {
        savedCursor_ = GetCursor();
        SetCursor(ui::crNone);
        ::SetCursor(nullptr);
    }
    swf_->SetQuality2(ui::win::Widen(SaverUtils::QualityNames[quality], CP_ACP));
    swf_->SetBackgroundColor(static_cast<int32_t>(o.BgColor));

    random_.seed(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    MovieRotationConfig config;
    config.Kind = MovieEndWatch::Kind::FullScreen;
    config.Movies = settings.Movies;
    config.RandomOrder = !o.Sequence;
    config.MovieBgSound = o.MovieBgSound;
    config.AutoPlay = o.AutoPlay;
    config.MovieSize = o.MovieSize;
    config.ScreenWidth = Width();
    config.ScreenHeight = Height();
    config.BlankMovie = SaverUtils::ExeDir + "blank.swf";
    config.WorkingCopy = SaverUtils::TempDir + "DEDIVudaz.swf";
    movies_ = std::make_unique<MovieRotation>(
        config, *control_, *timers_, [this](int32_t n) { return Random(n); }, [this](bool v) { SetLoading(v); });
    bool failed = false;
    Load([&] {
        failed = true;
        movies_->Start();
        failed = false;
    });
    // A first movie that cannot load must not end the show: the next one is
    // tried after the usual pause, and the sounds start all the same.
    if (failed && settings.Movies.size() > 1) timers_->SetInterval(true);

    SoundTimer->SetEnabled(true);
    TMPEGPlayer* shared = SaverUtils::SharedMp3Player;
    if (shared) {
        mp3_ = std::make_unique<SharedMp3>(*shared);
        shared->OnPlayEnd = [this](TMPEGPlayer&) {
            if (sounds_) sounds_->NextSound();
        };
    }
    sounds_ = std::make_unique<SoundRotation>(settings.Sounds, o.RandomSound, mp3_.get(), *MP,
                                              [this](int32_t n) { return Random(n); });
    sounds_->Start();
}

bool TSaverMainForm::FormMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) {
    switch (msg) {
        case WM_MOUSEMOVE:
            if (exit_.MouseMoved(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) RequestExit(true);
            return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (exit_.MouseDown()) RequestExit(true);
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (exit_.Key()) RequestExit(true);
            return msg == WM_KEYDOWN || msg == WM_KEYUP;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE && exit_.Deactivated()) RequestExit(true);
            return false;
        case WM_SYSCOMMAND: {
            const auto command = wp & 0xFFF0;
            // No second screensaver over this one, and no closing through the system menu.
            if (command == SC_SCREENSAVE || command == SC_CLOSE) {
                result = 0;
                return true;
            }
            return false;
        }
        case WM_SETCURSOR:
            if (showCursor_) return false;
            ::SetCursor(nullptr);
            result = TRUE;
            return true;
        default:
            return false;
    }
}

void TSaverMainForm::FormCloseQuery(bool& canClose) {
    HWND hwnd = static_cast<HWND>(Peer() ? Peer()->NativeHandle() : nullptr);
    canClose = exit_.CloseQuery([hwnd] { return VerifySaverPassword(hwnd); });
}

void TSaverMainForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (movies_) movies_->Halt();
    if (timers_) timers_->StopAll();
    if (SoundTimer) SoundTimer->SetEnabled(false);
    if (TMPEGPlayer* shared = SaverUtils::SharedMp3Player) {
        // The player ends whatever the decoder says; its state no longer matters.
        try {
            if (sounds_) sounds_->StopMp3();
        } catch (const std::exception&) {
        }
        shared->OnPlayEnd = nullptr;
    }
    if (!showCursor_ && swf_) ::SetCursor(static_cast<HCURSOR>(savedCursor_));
    MP.reset();
    control_.reset();
    swf_.reset();
}

QB_CLASS_INFO(TSaverMainForm, ui::Form) {}

}  // namespace qb
