#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "common/tick_source.h"
#include "link/monitor.h"

class CCodeMemory;

inline constexpr const char* kTimerFailedMessage = "Unable to create timer for data transfer";
inline constexpr const char* kUnknownChipMessage = "Unknown chip identifier";
inline constexpr const char* kUnknownRevisionMessage = "Unknown loader revision";
inline constexpr const char* kUnsupportedRevisionMessage = "Unsupported loader revision";

enum LoaderType : int
{
    kLoaderConstantEa = 0,
    kLoaderPulsedEa = 1,
    kLoaderAduc = 2,
    kLoaderOnce = 3,
};

// One transfer of the code image to the board's loader. The Download Progress
// dialog calls Begin when it opens, Tick every 5 ms, Cancel for its button and
// End when it goes; it shows the three texts and closes with OK once
// IsFinished() turns true. On a port with queued writes a step waits until
// its write is out, and its time counts from then, as after a blocking write.
class CDownloadSession
{
public:
    static constexpr int kReceiveBufferSize = 4096;
    static constexpr int kAducBlockSize = 16;
    static constexpr uint32_t kTimerPeriodMs = 5;

    CDownloadSession(CMonitor& port, const CCodeMemory& code, ITickSource& clock,
                     IMessageSink& messages);

    void SetLoaderType(int loaderType) { loaderType_ = loaderType; }
    void SetSectorSize(int sectorSize) { sectorSize_ = sectorSize; }

    // Reopens the port, finds the first block to send and resets the board.
    // False when there is nothing to transfer: the dialog then waits for Cancel.
    bool Begin();
    void Tick();
    void Cancel() { running_ = false; }
    // Sends the queued bytes that are due: a window calls it every
    // millisecond between the 5 ms ticks, so paced bytes keep their pace.
    void PumpTransmit() { port_.PumpTransmit(); }
    // The dialog is gone: the loader-select line drops and the board runs.
    void End();

    bool IsRunning() const { return running_; }
    bool IsFinished() const { return finished_; }
    // Finished because the board took the whole program (not after a message).
    bool Succeeded() const { return succeeded_; }
    int Step() const { return step_; }
    int32_t CurrentAddress() const { return currentAddress_; }
    int32_t EndBound() const { return endBound_; }
    int RetryCount() const { return retryCount_; }
    int FailCount() const { return failCount_; }
    const std::string& Progress() const { return progress_; }
    const std::string& Status() const { return status_; }
    const std::string& ReceivedText() const { return receivedText_; }
    // Rises whenever the dialog should repaint.
    int RefreshCount() const { return refreshCount_; }

private:
    uint32_t Elapsed() { return clock_.TickMs() - stepTime_; }
    void GoTo(int step);
    void Finish();
    void Refresh() { ++refreshCount_; }
    void ClearReceived();
    void ReceiveIntoBuffer();
    void CountProgress();
    void ShowCompletion();
    bool ReopenPort();

    void HexStep();
    void HexSendRecord();
    void HexAwaitReply();
    void HexRetry();

    void AducStep();
    void AducIdentify();
    void AducAwaitAnswer(int acceptedStep, int refusedStep);
    void AducAwaitDataAnswer();
    void AducSendData();

    CMonitor& port_;
    const CCodeMemory& code_;
    ITickSource& clock_;
    IMessageSink& messages_;

    int loaderType_ = kLoaderConstantEa;
    int sectorSize_ = 64;
    int recordLength_ = 64;
    int step_ = 0;
    uint32_t stepTime_ = 0;
    uint32_t startTime_ = 0;
    int32_t currentAddress_ = 0;
    int32_t endBound_ = 0;
    int lastRecordCount_ = 0;
    int retryCount_ = 0;
    int failCount_ = 0;
    int countedFailAt_ = -1;
    int progressCountdown_ = 0;
    bool busy_ = false;
    bool running_ = false;
    bool finished_ = false;
    bool succeeded_ = false;
    bool ended_ = false;
    bool awaitingWrite_ = false; // a queued write is going out; the step waits

    std::array<uint8_t, kReceiveBufferSize + 1> received_{};
    int receivedCount_ = 0;

    std::string progress_;
    std::string status_;
    std::string receivedText_;
    int refreshCount_ = 0;
};
