#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "common/revision.h"
#include "link/comm_port.h"

// The application's one link to the board: the port plus the board's reset
// line and the capture of the text the board sends.
class CMonitor : public CCommPort
{
public:
    // A board that never sends a carriage return, or never stops talking,
    // must not grow the captured text without bound.
    static constexpr size_t kMaxLineLength = 4096;
    static constexpr size_t kMaxLines = 20000;

    using CCommPort::CCommPort;

    int Open(int index);
    int Open(int index, const std::string& deviceName);
    int Receive();
    // The ring reset of the download and the board monitor: capture restarts
    // at the start of the emptied buffer.
    void ResetRing();

    void AssertReset();
    void ReleaseReset();
    void SetCapture(int flag);
    void ClearLines();

    int ResetPolarity() const { return resetPolarity_; }
    int CaptureFlag() const { return capture_; }
    int CapturePosition() const { return capturePosition_; }
    size_t LongestLineLength() const { return longest_; }
    const std::deque<std::string>& Lines() const { return lines_; }
    // Lines completed since construction: a reader that prints each line once
    // finds its place with it after lines were dropped or cleared.
    uint64_t ClosedLineCount() const { return closedLines_; }
    // Raised whenever the captured text changes (the dump window follows it).
    const CRevision& LinesRevision() const { return linesRevision_; }

private:
    void CaptureByte(uint8_t byte);
    void CloseLine();

    int capturePosition_ = 0;
    int capture_ = 0;
    int resetPolarity_ = 2;
    size_t longest_ = 0;
    uint64_t closedLines_ = 0;
    std::deque<std::string> lines_;
    CRevision linesRevision_;
};
