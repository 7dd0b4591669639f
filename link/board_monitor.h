#pragma once

#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "common/tick_source.h"
#include "link/connection_settings.h"
#include "link/monitor.h"
#include "link/monitor_target.h"

// The monitor side of the link: the Start, Reset and Stop commands, the 220 ms
// poll that shows the board's text and answers its records, and the steps of
// the Download command around the transfer.
class CBoardMonitor
{
public:
    static constexpr uint32_t kPollPeriodMs = 220;
    static constexpr int kMaxRecordLength = 1024;
    static constexpr uint32_t kResetPulseMs = 250;
    static constexpr uint32_t kOnceResetMs = 2000;

    CBoardMonitor(CMonitor& port, IMonitorTarget& target, IMonitorHost& host, ITickSource& clock,
                  IMessageSink& messages);

    const ConnectionSettingsType& Settings() const { return settings_; }
    void SetSettings(const ConnectionSettingsType& settings) { settings_ = settings; }

    // Start with the values the Connection dialog returned (Cancel never gets here).
    bool Start(const ConnectionSettingsType& settings);
    void StartMonitoring();
    void Reset();
    void Stop();
    void Poll();

    // The Download command before its dialog. With the link closed the caller
    // passes the Connection dialog's values; with it open the stored ones hold.
    bool PrepareDownload(const ConnectionSettingsType* chosen);
    // After the dialog: back to the monitor rate, the board restarted.
    void FinishDownload(bool programHasBreak);

    // The same commands in two halves around their wait, for a caller that
    // must not block: the first half does what comes before the wait and
    // gives its length in milliseconds (counted once the port's queued
    // writes are out); the second half does the rest.
    bool StartBegin(const ConnectionSettingsType& settings);
    void StartEnd();
    uint32_t ResetBegin();
    void ResetEnd();
    // False when the link was lost during the transfer: nothing more to do.
    bool FinishDownloadBegin();
    void FinishDownloadEnd(bool programHasBreak);

    // Parses one record and writes what it carries; false when not accepted.
    bool ParseRecord(const uint8_t* text, int length);

    bool BoardStateChanged() const { return boardStateFlag_; }
    bool IsDownloading() const { return downloading_; }
    uint32_t QuietTime() const { return quietTime_; }

private:
    bool OpenPort();
    void ShowBoardState();

    CMonitor& port_;
    IMonitorTarget& target_;
    IMonitorHost& host_;
    ITickSource& clock_;
    IMessageSink& messages_;

    ConnectionSettingsType settings_;
    uint32_t quietTime_ = 0;
    uint32_t lastTick_ = 0;
    bool boardStateFlag_ = false;
    bool downloading_ = false;
};
