// Bytes from the board into the monitor's poll, with the monitor writing
// what the board reports into a real simulation, and the user's commands
// (Reset, a download's start and end, Stop and Start) in between. Whatever
// arrives: the ring and the captured text stay bounded, a poll answers only
// with 06h or 07h, memory outside the simulated processor is never written
// (the sanitizers watch that) and Stop leaves the port closed.
//
// Input: a settings byte (monitor on or off, loader type, rate), then events:
// bytes the board sends, polls 220 ms apart, a pause, commands and line
// conditions.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "link/board_monitor.h"
#include "link/simulator_monitor_target.h"
#include "link_fuzz_rig.h"
#include "simulator/simulator.h"

namespace {

constexpr int kMaxPolls = 4000;

class CSimulationHost : public IMonitorHost
{
public:
    explicit CSimulationHost(CSimulator& simulator) : simulator_(simulator) {}
    void ResetOrStartSimulation() override { simulator_.ResetSimulation(); }
    void ShowExecutionPoint() override {}
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override {}

private:
    CSimulator& simulator_;
};

class CMonitorSession
{
public:
    CMonitorSession(LinkFuzzRigType& rig, CSimulator& simulator)
        : rig_(rig), host_(simulator), target_(simulator),
          monitor_(rig.port, target_, host_, rig.clock, rig.sink)
    {}

    bool Start(uint8_t flags)
    {
        settings_.portName = kFuzzPortName;
        settings_.monitorEnable = (flags & 3) != 0 ? 1 : 0;
        settings_.loaderType = (flags >> 2) & 3;
        settings_.monitorRate = (flags & 0x10) != 0 ? 115200 : 9600;
        settings_.downloadRate = (flags & 0x20) != 0 ? 57600 : 9600;
        return monitor_.Start(settings_);
    }

    void Poll()
    {
        rig_.clock.Advance(CBoardMonitor::kPollPeriodMs);
        const size_t before = rig_.device.writes.size();
        monitor_.Poll();
        for (size_t i = before; i < rig_.device.writes.size(); ++i) {
            const std::vector<uint8_t>& write = rig_.device.writes[i];
            FuzzCheck(write.size() == 1 && (write[0] == 0x06 || write[0] == 0x07),
                      "a poll answers a record with 06h or 07h only");
        }
        rig_.CheckBounded();
        ++polls_;
    }

    void Command(uint8_t kind)
    {
        switch (kind % 4) {
        case 0:
            monitor_.Reset();
            break;
        case 1:
            monitor_.StartMonitoring();
            break;
        case 2:
            if (monitor_.PrepareDownload(&settings_)) {
                monitor_.FinishDownload((kind & 4) != 0);
            }
            break;
        default:
            monitor_.Stop();
            FuzzCheck(!rig_.port.IsOpen(), "Stop closes the port");
            monitor_.Start(settings_);
            break;
        }
        rig_.CheckBounded();
    }

    void Play(CFuzzInput& in)
    {
        while (!in.Empty() && polls_ < kMaxPolls) {
            const uint8_t op = in.Byte();
            switch (op >> 6) {
            case 0:
                rig_.Send(in.Bytes(op % 64 + 1));
                break;
            case 1:
                for (int i = 0; i <= op % 64 && polls_ < kMaxPolls; ++i) {
                    Poll();
                }
                break;
            case 2:
                rig_.clock.Advance((op % 64) * 50u);
                break;
            default:
                if ((op & 0x20) != 0) {
                    rig_.LineEvent(op, in);
                } else {
                    Command(op);
                }
                break;
            }
        }
        // The board falls silent: what it sent last is still taken apart.
        for (int i = 0; i < 20; ++i) {
            Poll();
        }
        monitor_.Stop();
        FuzzCheck(!rig_.port.IsOpen(), "Stop leaves the port closed");
    }

private:
    LinkFuzzRigType& rig_;
    CSimulationHost host_;
    CSimulatorMonitorTarget target_;
    CBoardMonitor monitor_;
    ConnectionSettingsType settings_;
    int polls_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSimulator simulator; // 64 KB tables: built once, reset by the monitor
    CQuietSink sink;
    simulator.SetMessageSink(&sink);
    if (simulator.IsRunning()) {
        simulator.Stop();
    }
    CFuzzInput in(data, size);
    LinkFuzzRigType rig;
    CMonitorSession session(rig, simulator);
    FuzzCheck(session.Start(in.Byte()), "the monitor starts on a free port");
    session.Play(in);
    return 0;
}
