#include "link/board_link_controller.h"

#include "simulator/simulator.h"

CBoardLinkController::CBoardLinkController(CMonitor& port, CSimulator& simulator,
                                           IMonitorHost& host, IBoardLinkUi& ui, ITickSource& clock,
                                           IMessageSink& messages)
    : port_(port), simulator_(simulator), ui_(ui), clock_(clock), messages_(messages),
      target_(simulator), monitor_(port, target_, host, clock, messages)
{
    port_.SetQueuedWrites(true);
}

void CBoardLinkController::Schedule(uint32_t waitMs, std::function<void()> then)
{
    pending_ = PendingType{waitMs, false, 0, std::move(then)};
    if (!port_.TransmitPending()) {
        // Nothing to send first: the wait starts now, as a busy wait would.
        pending_->waitStarted = true;
        pending_->waitStart = clock_.TickMs();
    }
    ui_.WakeSteps();
}

bool CBoardLinkController::HasTimedWork()
{
    return pending_.has_value() || port_.TransmitPending();
}

void CBoardLinkController::Step()
{
    port_.PumpTransmit();
    if (!pending_) {
        return;
    }
    if (!port_.IsOpen()) {
        pending_.reset(); // the line went away: the rest of the command has nothing to act on
        return;
    }
    if (port_.TransmitPending()) {
        return; // the wait counts from the end of the write, as after a blocking one
    }
    PendingType& pending = *pending_;
    const uint32_t now = clock_.TickMs();
    if (!pending.waitStarted) {
        pending.waitStarted = true;
        pending.waitStart = now;
    }
    if (now - pending.waitStart < pending.waitMs) {
        return;
    }
    std::function<void()> then = std::move(pending.then);
    pending_.reset();
    then();
    if (HasTimedWork()) {
        ui_.WakeSteps();
    }
}

void CBoardLinkController::Download()
{
    if (IsBusy() || downloading_) {
        return;
    }
    std::optional<ConnectionSettingsType> chosen;
    if (!port_.IsOpen()) {
        chosen = ui_.ChooseConnection();
        if (!chosen) {
            return;
        }
    }
    if (!monitor_.PrepareDownload(chosen ? &*chosen : nullptr)) {
        return;
    }
    const ConnectionSettingsType& settings = monitor_.Settings();
    CDownloadSession session(port_, simulator_.Code(), clock_, messages_);
    session.SetLoaderType(settings.loaderType);
    session.SetSectorSize(settings.sectorSize);
    downloading_ = true;
    ui_.RunDownload(session);
    downloading_ = false;
    if (!monitor_.FinishDownloadBegin()) {
        return; // the line went away during the transfer
    }
    const bool programHasBreak = simulator_.Processor().MonitorBreakUsed();
    Schedule(CBoardMonitor::kResetPulseMs,
             [this, programHasBreak] { monitor_.FinishDownloadEnd(programHasBreak); });
}

void CBoardLinkController::Start()
{
    if (IsBusy() || downloading_) {
        return;
    }
    std::optional<ConnectionSettingsType> chosen = ui_.ChooseConnection();
    if (!chosen || !monitor_.StartBegin(*chosen)) {
        return;
    }
    Schedule(CBoardMonitor::kResetPulseMs, [this] { monitor_.StartEnd(); });
}

void CBoardLinkController::Reset()
{
    if (IsBusy() || downloading_ || !port_.IsOpen()) {
        return;
    }
    const uint32_t wait = monitor_.ResetBegin();
    Schedule(wait, [this] { monitor_.ResetEnd(); });
}

void CBoardLinkController::Stop()
{
    pending_.reset();
    monitor_.Stop();
}

void CBoardLinkController::Poll()
{
    // A command's wait held the whole application before; the poll keeps out of it.
    if (IsBusy() || !port_.IsOpen()) {
        return;
    }
    monitor_.Poll();
    if (port_.TransmitPending()) {
        ui_.WakeSteps();
    }
}
