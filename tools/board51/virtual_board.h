#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "board_script.h"
#include "simulator/intel_hex.h"

class CSimulator;
class CBoardSink;

// What the board is and how it runs.
struct BoardOptionsType
{
    int loaderType = 0;      // 0 Constant EA, 1 Pulsed EA, 2 ADuC8xx, 3 ONCE Loader
    int32_t lineRate = 9600; // the program's serial line (the monitor rate)
    uint32_t crystalHz = 11059200;
    bool realSpeed = true; // false: as fast as the simulator goes
    int processorType = 1; // 0 8751, 1 8752, 2 8031, 3 8032
};

// The development board at the far end of the line, without the line: the
// loader of the chosen type answers the download, keeps the image, and when
// the transfer ends the program runs in the simulator with its serial port
// bridged to the line. Time is given in microseconds of any steady clock.
//
// A pseudo-terminal has no modem lines, so the board cannot see the host
// pulse its reset. Instead a running board goes back to its loader when a
// download starts on the line: a valid HEX record for the text loaders, the
// identification request for the ADuC loader.
class CVirtualBoard
{
public:
    enum class Phase
    {
        kLoader,
        kRunning
    };
    // Bytes the board holds for either direction; more is dropped, as a full
    // receiver overruns.
    static constexpr size_t kMaxQueue = 4096;
    static constexpr size_t kMaxLine = 600;
    static constexpr const char* kDefaultIdent = "ADI841  V210\r\n";

    explicit CVirtualBoard(const BoardOptionsType& options, BoardScriptType script = {});
    ~CVirtualBoard();
    CVirtualBoard(const CVirtualBoard&) = delete;
    CVirtualBoard& operator=(const CVirtualBoard&) = delete;

    // Bytes that arrived from the host.
    void FromHost(const uint8_t* data, size_t count, uint64_t nowUs);
    void FromHost(const std::string& bytes, uint64_t nowUs)
    {
        FromHost(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nowUs);
    }
    // Runs the program up to nowUs and returns the bytes due on the line.
    // With lineFree false the line takes nothing now and the program's
    // transmitter waits.
    std::string Advance(uint64_t nowUs, bool lineFree = true);

    Phase CurrentPhase() const { return phase_; }
    bool HungUp() const { return hungUp_; }
    // Transfers that carried code, and the image of the last one.
    int TransfersEnded() const { return transfersEnded_; }
    const IntelHexImageType& Image() const { return image_; }
    int EventsReceived() const { return events_; }
    CSimulator& Simulator() { return *simulator_; }
    // What the board has to say for its operator (stderr), taken once.
    std::vector<std::string> TakeNotes();

private:
    // Text loaders.
    void HexBytes(const uint8_t* data, size_t count);
    void HexLine(const std::string& line);
    std::string HexRecordReply(const std::vector<uint8_t>& record);
    // The ADuC8xx loader.
    void AducBytes(const uint8_t* data, size_t count);
    bool AducPacket();
    // Both: the answer to the nth record or packet, after the script's faults.
    void Answer(int event, const std::string& reply, const std::string& failure);
    int NextEvent();

    void BeginTransfer();
    void EndTransfer(bool carriedCode);
    void StartProgram();
    void WatchForDownload(const uint8_t* data, size_t count);
    void RunProgram(uint64_t nowUs);
    void ProgramTransmits(uint8_t byte);
    uint8_t ShapeMonitorRecord(uint8_t byte, bool& drop);
    void Note(std::string text);

    BoardOptionsType options_;
    BoardScriptType script_;
    std::unique_ptr<CBoardSink> sink_;
    std::unique_ptr<CSimulator> simulator_;

    Phase phase_ = Phase::kLoader;
    bool hungUp_ = false;
    int events_ = 0;
    int transfersEnded_ = 0;
    bool freshTransfer_ = true; // the next data clears the image
    bool carriedCode_ = false;
    IntelHexImageType image_;
    std::string reply_; // loader answers, sent at once
    std::string line_;  // text loader: the record being received
    bool lineOverflow_ = false;
    std::vector<uint8_t> packet_; // ADuC loader: bytes of the packet being received
    std::vector<uint8_t> watch_;  // running: the tail the download watch looks at

    // The running program.
    uint64_t runStartUs_ = 0;
    uint64_t cyclesDone_ = 0;
    bool started_ = false;
    uint64_t lastUs_ = 0;
    std::deque<uint8_t> transmit_; // bytes the program sent, paced onto the line
    uint64_t nextTransmitUs_ = 0;
    int monitorRecords_ = 0; // ":" lines the program sent
    int recordByte_ = -1;    // position in the current one; -1 outside
    bool lineStart_ = true;
    bool garbling_ = false;
    bool truncating_ = false;
    std::vector<std::string> notes_;
    int simulatorMessages_ = 0;
};
