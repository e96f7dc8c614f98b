#pragma once
#include <functional>
#include <string>

namespace qb {

// What one builder window does with its package, without the window: the
// saver's name, where the setup file goes, and a single build. A window
// builds at most one package; after that only its result can be used.
class BuildSession {
public:
    enum class State { Ready, Building, Built };
    enum class Outcome {
        Nothing,   // already built, or a build is running
        NeedName,  // the name is empty
        Declined,  // the user kept the existing setup file
        Failed,    // nothing usable was made; the session is ready again
        Built,
    };

    // dataDir holds "build\" with the pieces and, by default, a folder per
    // saver for its setup file; appDir is the program's own folder. Both end
    // in their separator.
    BuildSession(std::string dataDir, std::string appDir, std::string name);

    const std::string& Name() const { return name_; }
    // Every edit of the name: the output path follows it until the user has
    // chosen one.
    void SetName(std::string name);
    // The user chose the output file (and agreed to replace it there).
    void ChooseOutput(const std::string& path);
    const std::string& OutputDir() const { return outputDir_; }
    const std::string& OutputPath() const { return outputPath_; }
    bool PathChosen() const { return pathChosen_; }

    State GetState() const { return state_; }
    bool CanClose() const { return state_ != State::Building; }

    struct Hooks {
        // The setup file exists already: may it be replaced?
        std::function<bool(const std::string& outputPath)> ConfirmReplace;
        std::function<void()> Started;            // Building has begun
        std::function<void(int steps)> Progress;  // how many steps will follow
        std::function<void()> Step;
        std::function<void()> ProcessMessages;    // keeps the window alive meanwhile
    };
    // Builds the setup file from the settings file "Quenbrook.dat" in workDir
    // (which ends in its separator). A failure leaves no setup file behind.
    Outcome Build(const std::string& workDir, const Hooks& hooks);

private:
    void FollowName();
    std::string Separator() const;

    std::string dataDir_, appDir_, name_;
    std::string outputDir_, outputPath_;
    bool pathChosen_ = false;
    State state_ = State::Ready;
};

}  // namespace qb
