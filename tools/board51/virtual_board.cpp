#include "virtual_board.h"

#include <algorithm>
#include <array>

#include "common/message_sink.h"
#include "simulator/intel_hex.h"
#include "simulator/simulator.h"

namespace {

constexpr const char* kHexAccept = ":0\r\n";
constexpr const char* kHexBadChecksum = ":1\r\n";
constexpr const char* kHexBadFormat = ":2\r\n";
constexpr const char* kHexBadAddress = ":3\r\n";

constexpr uint8_t kAducAccept = 0x06;
constexpr uint8_t kAducRefuse = 0x07;
constexpr std::array<uint8_t, 4> kAducHello = {0x21, 0x5A, 0x00, 0xA6};

constexpr int kRecordData = 0x00;
constexpr int kRecordEnd = 0x01;
constexpr int kRecordOnceReset = 0x03;

// Instructions between two looks at the serial port.
constexpr int kInstructionChunk = 64;
// As fast as it goes: machine cycles per Advance.
constexpr uint64_t kFastSliceCycles = 2'000'000;
// How far the program may fall behind real time before the rest is let go.
constexpr uint64_t kMaxLagUs = 20'000;
constexpr int kMaxSimulatorNotes = 20;

// The bytes of a record line from its ":" on; empty when it is not one.
std::vector<uint8_t> DecodeRecord(const std::string& text)
{
    std::vector<uint8_t> bytes;
    if (text.size() < 11 || text[0] != ':' || (text.size() - 1) % 2 != 0) {
        return {};
    }
    for (size_t i = 1; i + 1 < text.size(); i += 2) {
        const int high = IntelHexDigitValue(text[i]);
        const int low = IntelHexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return {};
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    if (bytes.size() != static_cast<size_t>(bytes[0]) + 5) {
        return {};
    }
    return bytes;
}

bool SumsToZero(const uint8_t* bytes, size_t count)
{
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return (sum & 0xFF) == 0;
}

} // namespace

// The simulator's messages become notes for the operator; a program stuck
// on one would repeat it every instruction, so only the first few are kept.
class CBoardSink : public IMessageSink
{
public:
    explicit CBoardSink(std::vector<std::string>& notes, int& count) : notes_(notes), count_(count)
    {}
    void ShowMessage(const std::string& text, Severity) override
    {
        if (++count_ <= kMaxSimulatorNotes) {
            notes_.push_back("program: " + text);
        } else if (count_ == kMaxSimulatorNotes + 1) {
            notes_.push_back("program: further messages are not shown");
        }
    }

private:
    std::vector<std::string>& notes_;
    int& count_;
};

CVirtualBoard::CVirtualBoard(const BoardOptionsType& options, BoardScriptType script)
    : options_(options), script_(std::move(script)),
      sink_(std::make_unique<CBoardSink>(notes_, simulatorMessages_)),
      simulator_(std::make_unique<CSimulator>())
{
    options_.lineRate = std::max<int32_t>(options_.lineRate, 50);
    options_.crystalHz = std::max<uint32_t>(options_.crystalHz, 12);
    simulator_->SetMessageSink(sink_.get());
    simulator_->Processor().SetSbufTap([this](uint8_t byte) { ProgramTransmits(byte); });
}

CVirtualBoard::~CVirtualBoard() = default;

std::vector<std::string> CVirtualBoard::TakeNotes()
{
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}

void CVirtualBoard::Note(std::string text)
{
    notes_.push_back(std::move(text));
}

int CVirtualBoard::NextEvent()
{
    const int n = ++events_;
    if (script_.Has(BoardFaultType::Kind::kHangUp, n)) {
        hungUp_ = true;
        Note("hanging up at record " + std::to_string(n) + " as the script says");
    }
    return n;
}

void CVirtualBoard::Answer(int event, const std::string& reply, const std::string& failure)
{
    if (hungUp_ || script_.Has(BoardFaultType::Kind::kDropAck, event)) {
        return;
    }
    reply_ += script_.Has(BoardFaultType::Kind::kFail, event) ? failure : reply;
}

void CVirtualBoard::FromHost(const uint8_t* data, size_t count, uint64_t nowUs)
{
    lastUs_ = std::max(lastUs_, nowUs);
    if (hungUp_) {
        return;
    }
    if (phase_ == Phase::kRunning) {
        WatchForDownload(data, count);
        return;
    }
    if (options_.loaderType == 2) {
        AducBytes(data, count);
    } else {
        HexBytes(data, count);
    }
}

// ---- The text loaders ----

void CVirtualBoard::HexBytes(const uint8_t* data, size_t count)
{
    for (size_t i = 0; i < count && !hungUp_; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            if (lineOverflow_) {
                Answer(NextEvent(), kHexBadFormat, kHexBadFormat);
            } else {
                HexLine(line_);
            }
            line_.clear();
            lineOverflow_ = false;
        } else if (c != '\r' && !lineOverflow_) {
            line_.push_back(c);
            if (line_.size() > kMaxLine) {
                line_.clear();
                lineOverflow_ = true;
            }
        }
        if (phase_ == Phase::kRunning) {
            // Whatever follows the end record is for the program.
            WatchForDownload(data + i + 1, count - i - 1);
            return;
        }
    }
}

void CVirtualBoard::HexLine(const std::string& line)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
        return; // noise between records is not answered
    }
    const int event = NextEvent();
    if (hungUp_) {
        return;
    }
    const std::vector<uint8_t> record = DecodeRecord(line.substr(colon));
    if (record.empty()) {
        Answer(event, kHexBadFormat, kHexBadFormat);
        return;
    }
    if (!SumsToZero(record.data(), record.size())) {
        Answer(event, kHexBadChecksum, kHexBadChecksum);
        return;
    }
    const int type = record[3];
    if (type == kRecordEnd) {
        EndTransfer(carriedCode_);
        return;
    }
    if (type == kRecordOnceReset) {
        return; // the ONCE loader's reset command: the board is in its loader now
    }
    Answer(event, HexRecordReply(record), kHexBadChecksum);
}

std::string CVirtualBoard::HexRecordReply(const std::vector<uint8_t>& record)
{
    const int count = record[0];
    const uint32_t address = static_cast<uint32_t>(record[1]) << 8 | record[2];
    if (record[3] != kRecordData) {
        return kHexBadFormat;
    }
    if (address + static_cast<uint32_t>(count) > IntelHexImageType::kSize) {
        return kHexBadAddress;
    }
    if (script_.Has(BoardFaultType::Kind::kFail, events_)) {
        return kHexBadChecksum; // refused: nothing is written
    }
    if (count > 0) {
        BeginTransfer();
        for (int i = 0; i < count; ++i) {
            image_.Set(address + static_cast<uint32_t>(i), record[4 + static_cast<size_t>(i)]);
        }
    }
    return kHexAccept;
}

// ---- The ADuC8xx serial download loader ----

void CVirtualBoard::AducBytes(const uint8_t* data, size_t count)
{
    for (size_t i = 0; i < count && !hungUp_; ++i) {
        if (packet_.size() >= kMaxQueue) {
            packet_.clear();
        }
        packet_.push_back(data[i]);
        while (!packet_.empty() && !hungUp_ && AducPacket()) {
        }
        if (phase_ == Phase::kRunning) {
            WatchForDownload(data + i + 1, count - i - 1);
            return;
        }
    }
}

// Handles what the packet buffer begins with; false when it needs more bytes.
bool CVirtualBoard::AducPacket()
{
    const size_t helloMatch = std::min(packet_.size(), kAducHello.size());
    if (std::equal(packet_.begin(), packet_.begin() + static_cast<long>(helloMatch),
                   kAducHello.begin())) {
        if (packet_.size() < kAducHello.size()) {
            return false;
        }
        packet_.erase(packet_.begin(), packet_.begin() + kAducHello.size());
        const std::string ident =
            script_.identText.empty() ? std::string(kDefaultIdent) : script_.identText + "\r\n";
        Answer(NextEvent(), ident, std::string(1, static_cast<char>(kAducRefuse)));
        return true;
    }
    if (packet_[0] != 0x07 || (packet_.size() >= 2 && packet_[1] != 0x0E)) {
        packet_.erase(packet_.begin()); // resynchronise on the next preamble
        return true;
    }
    if (packet_.size() < 3 || packet_.size() < static_cast<size_t>(packet_[2]) + 4) {
        return false;
    }
    const size_t length = packet_[2];
    const std::vector<uint8_t> packet(packet_.begin(),
                                      packet_.begin() + static_cast<long>(length + 4));
    packet_.erase(packet_.begin(), packet_.begin() + static_cast<long>(length + 4));
    const int event = NextEvent();
    if (hungUp_) {
        return true;
    }
    const std::string accept(1, static_cast<char>(kAducAccept));
    const std::string refuse(1, static_cast<char>(kAducRefuse));
    if (length == 0 || !SumsToZero(packet.data() + 2, length + 2)) {
        Answer(event, refuse, refuse);
        return true;
    }
    const bool refused = script_.Has(BoardFaultType::Kind::kFail, event) ||
                         script_.Has(BoardFaultType::Kind::kDropAck, event);
    const char command = static_cast<char>(packet[3]);
    const uint8_t* body = packet.data() + 4;
    const size_t bodyLength = length - 1;
    if (command == 'C' && !refused) {
        BeginTransfer();
        image_ = IntelHexImageType();
    } else if (command == 'W') {
        const uint32_t address =
            bodyLength >= 3 ? (uint32_t{body[0]} << 16 | uint32_t{body[1]} << 8 | body[2]) : 0;
        if (bodyLength < 3 || address + (bodyLength - 3) > IntelHexImageType::kSize) {
            Answer(event, refuse, refuse);
            return true;
        }
        if (!refused) {
            BeginTransfer();
            for (size_t i = 3; i < bodyLength; ++i) {
                image_.Set(address + static_cast<uint32_t>(i - 3), body[i]);
            }
        }
    } else if (command == 'U') {
        Answer(event, accept, refuse);
        if (!refused) {
            EndTransfer(carriedCode_);
        }
        return true;
    } else if (command != 'C') {
        Answer(event, refuse, refuse);
        return true;
    }
    Answer(event, accept, refuse);
    return true;
}

// ---- Transfers and the running program ----

void CVirtualBoard::BeginTransfer()
{
    if (freshTransfer_) {
        image_ = IntelHexImageType();
        freshTransfer_ = false;
    }
    carriedCode_ = true;
}

void CVirtualBoard::EndTransfer(bool carriedCode)
{
    if (carriedCode) {
        ++transfersEnded_;
        Note("transfer ended: " + std::to_string(image_.WrittenCount()) + " bytes received");
    }
    carriedCode_ = false;
    freshTransfer_ = true;
    StartProgram();
}

void CVirtualBoard::StartProgram()
{
    CCodeMemory& code = simulator_->Code();
    code.ClearCode();
    StoreIntelHexImage(image_, code);
    simulator_->SetProcessorType(options_.processorType);
    simulator_->Start();
    phase_ = Phase::kRunning;
    started_ = false;
    cyclesDone_ = 0;
    transmit_.clear();
    watch_.clear();
    line_.clear();
    packet_.clear();
    lineStart_ = true;
    recordByte_ = -1;
    Note("running the program");
}

void CVirtualBoard::WatchForDownload(const uint8_t* data, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = data[i];
        // The program's receiver takes them at its own rate; a full queue
        // overruns.
        CSerialChannel& serial = simulator_->Serial();
        if (serial.Pending() < kMaxQueue) {
            serial.Feed(std::string_view(reinterpret_cast<const char*>(&byte), 1));
        }
        bool download = false;
        if (options_.loaderType == 2) {
            watch_.push_back(byte);
            if (watch_.size() > kAducHello.size()) {
                watch_.erase(watch_.begin());
            }
            download =
                std::equal(watch_.begin(), watch_.end(), kAducHello.begin(), kAducHello.end());
        } else if (byte == '\n' || byte == '\r') {
            const std::string text(watch_.begin(), watch_.end());
            const size_t colon = text.find(':');
            const std::vector<uint8_t> record = colon == std::string::npos
                                                    ? std::vector<uint8_t>()
                                                    : DecodeRecord(text.substr(colon));
            download = !record.empty() && SumsToZero(record.data(), record.size()) &&
                       (record[3] == kRecordData || record[3] == kRecordEnd ||
                        record[3] == kRecordOnceReset);
            if (!download) {
                watch_.clear();
            }
        } else if (watch_.size() < kMaxLine) {
            watch_.push_back(byte);
        }
        if (!download) {
            continue;
        }
        // The host has the board in its loader again.
        phase_ = Phase::kLoader;
        transmit_.clear();
        simulator_->Serial().ClearReceive();
        Note("download on the line: back in the loader");
        std::vector<uint8_t> start;
        start.swap(watch_);
        if (options_.loaderType == 2) {
            AducBytes(start.data(), start.size());
        } else {
            start.push_back('\n');
            HexBytes(start.data(), start.size());
        }
        FromHost(data + i + 1, count - i - 1, lastUs_);
        return;
    }
}

void CVirtualBoard::ProgramTransmits(uint8_t byte)
{
    bool drop = false;
    byte = ShapeMonitorRecord(byte, drop);
    if (drop || transmit_.size() >= kMaxQueue) {
        return;
    }
    if (transmit_.empty() && nextTransmitUs_ < lastUs_) {
        nextTransmitUs_ = lastUs_; // the line was idle
    }
    transmit_.push_back(byte);
}

uint8_t CVirtualBoard::ShapeMonitorRecord(uint8_t byte, bool& drop)
{
    const bool lineEnd = byte == '\r' || byte == '\n';
    if (lineStart_ && byte == ':') {
        ++monitorRecords_;
        recordByte_ = 0;
        garbling_ = script_.Has(BoardFaultType::Kind::kGarble, monitorRecords_);
        truncating_ = script_.Has(BoardFaultType::Kind::kTruncate, monitorRecords_);
    } else if (recordByte_ >= 0 && !lineEnd) {
        ++recordByte_;
    }
    lineStart_ = lineEnd;
    if (lineEnd) {
        recordByte_ = -1;
        return byte;
    }
    // The last digit of the address: any change breaks the checksum.
    if (garbling_ && recordByte_ == 6) {
        return byte == '0' ? '1' : '0';
    }
    drop = truncating_ && recordByte_ >= 7;
    return byte;
}

void CVirtualBoard::RunProgram(uint64_t nowUs)
{
    CSim8051& cpu = simulator_->Processor();
    ProcessorState& state = cpu.State();
    const uint64_t cyclesPerSecond = options_.crystalHz / 12;
    if (!started_) {
        started_ = true;
        runStartUs_ = nowUs;
    }
    uint64_t target = cyclesDone_ + kFastSliceCycles;
    if (options_.realSpeed) {
        target = (nowUs - runStartUs_) * cyclesPerSecond / 1'000'000;
        const uint64_t maxLag = kMaxLagUs * cyclesPerSecond / 1'000'000;
        if (target > cyclesDone_ + maxLag) {
            cyclesDone_ = target - maxLag;
        }
    }
    const uint64_t charUs = 10'000'000 / static_cast<uint64_t>(options_.lineRate);
    // The transmitter holds about two milliseconds of the line; beyond that
    // the program waits for it, as it would wait for TI at the real rate.
    const size_t transmitLimit = std::max<size_t>(2, 2000 / std::max<uint64_t>(charUs, 1));
    while (cyclesDone_ < target && phase_ == Phase::kRunning) {
        if (transmit_.size() >= transmitLimit) {
            break;
        }
        for (int i = 0; i < kInstructionChunk && cyclesDone_ < target; ++i) {
            const uint32_t before = state.totalCycles;
            cpu.ExecuteInstruction();
            cyclesDone_ += std::max<uint32_t>(state.totalCycles - before, 1);
        }
    }
}

std::string CVirtualBoard::Advance(uint64_t nowUs, bool lineFree)
{
    lastUs_ = std::max(lastUs_, nowUs);
    std::string out;
    out.swap(reply_);
    if (hungUp_) {
        return out;
    }
    const uint64_t charUs = 10'000'000 / static_cast<uint64_t>(options_.lineRate);
    auto drain = [&] {
        while (lineFree && !transmit_.empty() && nextTransmitUs_ <= lastUs_) {
            out.push_back(static_cast<char>(transmit_.front()));
            transmit_.pop_front();
            nextTransmitUs_ += charUs;
        }
    };
    drain();
    if (phase_ == Phase::kRunning) {
        RunProgram(lastUs_);
        drain();
    }
    return out;
}
