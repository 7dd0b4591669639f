#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "common/message_sink.h"
#include "common/tick_source.h"
#include "link/board_monitor.h"
#include "link/connection_settings.h"
#include "link/download_session.h"
#include "link/monitor.h"
#include "link/simulator_monitor_target.h"

class CSimulator;

// What the windows do for the board link. The Qt shell implements it with
// its dialogs and a millisecond timer; dl51 and the tests with plain loops.
class IBoardLinkUi
{
public:
    virtual ~IBoardLinkUi() = default;
    // The Connection dialog: the values chosen, nothing on Cancel.
    virtual std::optional<ConnectionSettingsType> ChooseConnection() = 0;
    // The Download Progress dialog, modal: Begin, a Tick every 5 ms until the
    // session finishes or is cancelled, then End.
    virtual void RunDownload(CDownloadSession& session) = 0;
    // The controller has timed work: call its Step() about every millisecond
    // until HasTimedWork() turns false.
    virtual void WakeSteps() = 0;
};

// The Monitor menu and the 220 ms poll: Download, Start, Reset and Stop over
// the link engine, with the waits the board needs (the reset pulse, the ONCE
// loader's two seconds, a millisecond after each byte above 9600 baud) run
// as timed steps rather than busy waits, so the window stays live.
class CBoardLinkController
{
public:
    CBoardLinkController(CMonitor& port, CSimulator& simulator, IMonitorHost& host,
                         IBoardLinkUi& ui, ITickSource& clock, IMessageSink& messages);
    CBoardLinkController(const CBoardLinkController&) = delete;
    CBoardLinkController& operator=(const CBoardLinkController&) = delete;

    // The commands; each does nothing while a timed command is under way
    // (IsBusy), except Stop, which ends it.
    void Download();
    void Start();
    void Reset();
    void Stop();
    // The 220 ms timer: reads, shows and answers what the board sent.
    void Poll();

    // Sends what the port has queued and runs a timed command's next part.
    void Step();
    bool HasTimedWork();
    bool IsBusy() const { return pending_.has_value(); }
    bool IsLinkOpen() const { return port_.IsOpen(); }

    CBoardMonitor& Monitor() { return monitor_; }
    const ConnectionSettingsType& Settings() const { return monitor_.Settings(); }

private:
    // The rest of a command, run once the queued bytes are out and the wait has passed.
    struct PendingType
    {
        uint32_t waitMs = 0;
        bool waitStarted = false;
        uint32_t waitStart = 0;
        std::function<void()> then;
    };
    void Schedule(uint32_t waitMs, std::function<void()> then);

    CMonitor& port_;
    CSimulator& simulator_;
    IBoardLinkUi& ui_;
    ITickSource& clock_;
    IMessageSink& messages_;
    CSimulatorMonitorTarget target_;
    CBoardMonitor monitor_;
    std::optional<PendingType> pending_;
    bool downloading_ = false;
};
