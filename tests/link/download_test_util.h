#pragma once

#include <functional>

#include "link/download_session.h"
#include "link_test_util.h"
#include "scripted_board.h"
#include "simulator/code_memory.h"

// Stores bytes as the assembler does in its second pass: each with a line.
inline void Assemble(CCodeMemory& code, uint32_t address, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        code.StoreCode(static_cast<int32_t>(address + i), bytes[i], static_cast<int32_t>(i), 0, 2,
                       true);
    }
}

inline std::vector<uint8_t> Pattern(size_t count, uint8_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

// A download over the fake device with a scripted board on the other end.
struct DownloadRig : LinkRig
{
    CCodeMemory code;
    CScriptedBoard board;
    CDownloadSession session{port, code, clock, sink};
    // The clock and the modem lines at every write, for timing and RTS checks.
    struct WriteEvent
    {
        uint32_t time;
        bool rts;
        bool dtr;
        std::string text;
    };
    std::vector<WriteEvent> events;
    std::function<void()> afterWrite;

    explicit DownloadRig(CScriptedBoard::Role role, int32_t rate = 9600) : board(role)
    {
        device.onWrite = [this](const std::vector<uint8_t>& bytes) {
            events.push_back(
                {clock.TickMs(), device.rts, device.dtr, std::string(bytes.begin(), bytes.end())});
            device.Feed(board.Consume(bytes));
            if (afterWrite) {
                afterWrite();
            }
        };
        OpenPlain(rate);
    }

    bool Start(int loaderType, int sectorSize = 64)
    {
        session.SetLoaderType(loaderType);
        session.SetSectorSize(sectorSize);
        return session.Begin();
    }

    // Ticks every 5 ms of simulated time until the session ends or the limit passes.
    void RunFor(uint32_t limitMs)
    {
        uint32_t until = clock.TickMs() + limitMs;
        while (session.IsRunning() && static_cast<int32_t>(until - clock.TickMs()) > 0) {
            clock.Advance(CDownloadSession::kTimerPeriodMs);
            session.Tick();
        }
    }

    void RunUntil(const std::function<bool()>& done, uint32_t limitMs)
    {
        uint32_t until = clock.TickMs() + limitMs;
        while (!done() && session.IsRunning() && static_cast<int32_t>(until - clock.TickMs()) > 0) {
            clock.Advance(CDownloadSession::kTimerPeriodMs);
            session.Tick();
        }
    }

    std::vector<WriteEvent> RecordWrites() const
    {
        std::vector<WriteEvent> records;
        for (const WriteEvent& e : events) {
            if (!e.text.empty() && e.text[0] == ':') {
                records.push_back(e);
            }
        }
        return records;
    }
};
