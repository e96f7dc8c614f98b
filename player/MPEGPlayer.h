#pragma once
#include "mpegdll/MpegApi.h"
#include "player/LibraryModule.h"
#include "player/MPEGError.h"
#include "player/ThreadedTimer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qb {

enum class TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class TOutputDevice { wavemapper, pcmfile };

// Plays MP3 files through the decoder library QbMpegDll.dll: loads it,
// forwards every operation, turns its error codes into TMPEGError, and
// watches the end of playback with a timer so that the owner hears of it
// through OnPlayEnd on the user-interface thread.
class TMPEGPlayer : public ui::Component {
    QB_CLASS(TMPEGPlayer)
public:
    using TOpenStreamEvent = std::function<void(bool& Nonseekable, void*& Context)>;
    using TCloseStreamEvent = std::function<void(void* Context)>;
    using TRestartStreamEvent = std::function<void(void* Context, bool& res)>;
    using TReadStreamEvent = std::function<void(void* Context, void* read_buffer, int32_t nNumberOfBytesToRead,
                                                int32_t& nNumberOfBytesRead, bool& res)>;
    using TSeekStreamEvent = std::function<void(void* Context, int32_t numbytes, int32_t MoveMethod, int32_t& res)>;
    using TGetStreamSizeEvent = std::function<void(void* Context, int32_t& res)>;
    using TPosUpdateEvent = std::function<void(TMPEGPlayer& sender, int32_t Pos, int32_t Len)>;
    using TNotifyEvent = std::function<void(TMPEGPlayer& sender)>;

    static constexpr const char* kLibraryName = "QbMpegDll.dll";

    explicit TMPEGPlayer(LibraryLoader& loader = SystemLibraryLoader(),
                         TimerWorkerFactory& timerWorkers = SystemTimerWorkers());
    ~TMPEGPlayer() override;

    // Published properties.
    bool FromStream = false;
    bool UseTimer = false;
    bool AutoPlay = false;
    std::string OutFilename;
    std::string PathToDLL;
    int32_t StartPos = 0;
    int32_t EndPos = 0;

    TPlayPriority PlayerPriority() const;
    void SetPlayerPriority(TPlayPriority value);
    int32_t TimerFreq() const { return timerFreq_; }
    void SetTimerFreq(int32_t value);
    const std::string& StreamName() const { return streamName_; }
    void SetStreamName(const std::string& value);
    TOutputDevice OutputDevice() const { return deviceCode_ != 0 ? TOutputDevice::pcmfile : TOutputDevice::wavemapper; }
    void SetOutputDevice(TOutputDevice value);
    int32_t PlayedXTimes() const { return playedXTimes_; }

    TOpenStreamEvent OnOpenStream;
    TCloseStreamEvent OnCloseStream;
    TRestartStreamEvent OnRestartStream;
    TGetStreamSizeEvent OnGetStreamSize;
    TSeekStreamEvent OnSeekStream;
    TReadStreamEvent OnReadStream;
    TPosUpdateEvent OnPosUpdate;
    TNotifyEvent OnPlayEnd;

    // Operations; each raises TMPEGError.
    void LoadDLL();
    void UnloadDLL();
    void Open();
    void Play();
    void Pause(bool pause);
    void Stop();
    void Restart();
    void Close();
    int32_t GetPlayerMode();
    int32_t GetCurrentPos();
    int32_t GetLength();

    // Runs on every timer event: position report and end detection.
    virtual void TimerTick();

    bool Loaded() const { return module_ != nullptr; }
    bool Opened() const { return opened_; }
    bool Playing() const { return playing_; }
    bool Paused() const { return paused_; }
    // The timer's settings, as LoadDLL made them.
    const TThreadedTimer* Timer() const { return timer_.get(); }

private:
    struct Entries;
    void RequireLibrary() const;
    void CheckError();
    void StartTimer();

    static void QB_MPEG_CALL OpenStream(void* self, uint8_t* nonSeekable, void** user);
    static void QB_MPEG_CALL CloseStream(void* self, void* user);
    static void QB_MPEG_CALL RestartStream(void* self, void* user, uint8_t* result);
    static void QB_MPEG_CALL ReadStream(void* self, void* user, void* buffer, int32_t toRead, int32_t* read,
                                        uint8_t* result);
    static void QB_MPEG_CALL SeekStream(void* self, void* user, int32_t bytes, int32_t method, int32_t* result);
    static void QB_MPEG_CALL GetStreamSize(void* self, void* user, int32_t* result);

    LibraryLoader& loader_;
    TimerWorkerFactory& timerWorkers_;
    std::unique_ptr<LibraryModule> module_;
    std::unique_ptr<Entries> entries_;
    std::unique_ptr<TThreadedTimer> timer_;

    int32_t priority_ = 0;
    int32_t timerFreq_ = 0;
    std::string streamName_;
    int32_t deviceCode_ = 0;
    int32_t playedXTimes_ = 0;
    bool opened_ = false, playing_ = false, paused_ = false;
    // Written by the library's decoding thread when the stream has ended.
    volatile uint8_t ended_ = 0;
    int32_t streamLength_ = 0;
};

}  // namespace qb
