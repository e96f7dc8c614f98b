#include "builder/BuildSession.h"

#include "app/SaverUtils.h"
#include "builder/PackageBuilder.h"
#include "platform/FileSystem.h"

#include <exception>
#include <string_view>

namespace qb {

namespace {

// The name becomes a file name (NAME.scr) and, by default, a folder: a
// character no file name may hold would leave the screensaver out of the
// package while the build still looked successful.
bool UsableAsFileName(const std::string& name) {
    for (unsigned char c : name)
        if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return true;
}

}  // namespace

BuildSession::BuildSession(std::string dataDir, std::string appDir, std::string name)
    : dataDir_(std::move(dataDir)), appDir_(std::move(appDir)), name_(std::move(name)) {
    FollowName();
}

std::string BuildSession::Separator() const { return dataDir_.empty() ? "\\" : dataDir_.substr(dataDir_.size() - 1); }

void BuildSession::FollowName() {
    outputDir_ = dataDir_ + name_ + Separator();
    outputPath_ = outputDir_ + "setup.exe";
}

void BuildSession::SetName(std::string name) {
    name_ = std::move(name);
    if (!pathChosen_) FollowName();
}

void BuildSession::ChooseOutput(const std::string& path) {
    outputPath_ = path;
    outputDir_ = ExtractFilePath(path);
    pathChosen_ = true;
}

BuildSession::Outcome BuildSession::Build(const std::string& workDir, const Hooks& hooks) {
    if (state_ != State::Ready) return Outcome::Nothing;
    if (name_.empty()) return Outcome::NeedName;
    if (!UsableAsFileName(name_)) return Outcome::Failed;
    // A folder that cannot be made shows up when the setup file is written.
    try {
        MakeDirectoryPath(outputDir_);
    } catch (const std::exception&) {
    }
    if (!pathChosen_ && fs::FileExists(outputPath_) && hooks.ConfirmReplace && !hooks.ConfirmReplace(outputPath_))
        return Outcome::Declined;

    state_ = State::Building;
    if (hooks.Started) hooks.Started();
    try {
        PackageBuilder builder({workDir, appDir_, dataDir_ + "build" + Separator()}, name_, outputPath_);
        if (hooks.Progress) hooks.Progress(builder.ProgressMax());
        builder.OnStep = hooks.Step;
        builder.ProcessMessages = hooks.ProcessMessages;
        builder.Build();
    } catch (const std::exception&) {
        state_ = State::Ready;
        return Outcome::Failed;
    }
    state_ = State::Built;
    return Outcome::Built;
}

}  // namespace qb
