#pragma once

// The board's end of the serial line for the link fuzz targets: a fake
// device and a fake clock under the monitor port, with bytes the input
// delivers either after a pause or as the answer to the host's next write.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/tick_source.h"
#include "fuzz_support.h"
#include "link/fake_serial_device.h"
#include "link/monitor.h"

inline constexpr const char* kFuzzPortName = "/dev/ttyS0";

struct LinkFuzzRigType
{
    CFakeSerialDevice device;
    CFakePortCatalog catalog;
    CFakeTickSource clock{1000};
    CQuietSink sink;
    CMonitor port{device, catalog, clock, sink};

    // Answers waiting for a write; one is sent per host step that writes, so
    // a record written byte by byte still gets one answer.
    std::deque<std::string> answers;
    bool answeredThisStep = false;

    LinkFuzzRigType()
    {
        catalog.AddPort(kFuzzPortName);
        device.onWrite = [this](const std::vector<uint8_t>&) {
            if (!answeredThisStep && !answers.empty()) {
                device.Feed(answers.front());
                answers.pop_front();
                answeredThisStep = true;
            }
        };
    }

    // The bytes of the input's "answer" and "send" events.
    void Answer(std::string_view bytes) { answers.emplace_back(bytes); }
    void Send(std::string_view bytes) { device.Feed(std::string(bytes)); }

    // Line conditions the input may switch on: error bits for the next
    // receive (a vanished line closes the port), input that trickles in a
    // few bytes per read, a clock that jumps.
    void LineEvent(uint8_t kind, CFuzzInput& in)
    {
        switch (kind % 4) {
        case 0:
            device.pendingErrors = in.Byte() & 0x1F;
            break;
        case 1:
            device.maxQueuedReport = in.Byte() % 16 + 1;
            break;
        case 2:
            device.maxQueuedReport = size_t{1} << 30;
            break;
        default:
            clock.Set(static_cast<uint32_t>(in.Word()) << 16);
            break;
        }
    }

    // What may never grow, whatever the board sends.
    void CheckBounded() const
    {
        FuzzCheck(port.Available() < CReceiveRing::kSize, "the receive ring holds what it can");
        FuzzCheck(port.Lines().size() <= CMonitor::kMaxLines, "captured lines are bounded");
        for (const std::string& line : port.Lines()) {
            FuzzCheck(line.size() <= CMonitor::kMaxLineLength, "a captured line is bounded");
        }
    }
};
