#include "simulator/simulator.h"

#include "common/message_sink.h"
#include "common/text_util.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr std::array<int32_t, 5> kPageCounts = {1, 2, 4, 8, 16};
constexpr uint8_t kAcall = 0x11; // low five bits of every ACALL
constexpr uint8_t kLcall = 0x12;
constexpr uint8_t kRet = 0x22;
constexpr uint8_t kReti = 0x32;

// What the run loop hands back on, beside its own marks past FFFFh.
constexpr uint8_t kBreakMark = 1;
constexpr uint8_t kTargetMark = 2;

} // namespace

CSimulator::CSimulator() : externalRam_(0x10000, 0), sim_(code_, externalRam_)
{
    sim_.SetSerialChannel(&serial_);
}

void CSimulator::SetMessageSink(IMessageSink* sink)
{
    sink_ = sink;
    sim_.SetMessageSink(sink);
    watches_.SetMessageSink(sink);
}

void CSimulator::SetOptions(bool useP2ForRi, bool pagedEnable, int32_t controlAddress,
                            int32_t pagesIndex, ProcessorVariant variant, int32_t updateCount)
{
    options_.useP2ForRi = useP2ForRi;
    options_.pagedEnable = pagedEnable;
    options_.controlAddress = controlAddress;
    options_.pagesIndex = std::clamp(pagesIndex, 0, 4);
    options_.variant = variant;
    sim_.SetMemoryOptions(options_);
    updateCount_ = updateCount;
}

void CSimulator::SetAutoUpdate(bool enable, int32_t updateCount)
{
    autoUpdate_ = enable;
    settingsUpdateCount_ = updateCount;
}

void CSimulator::SizeExternalRam()
{
    const size_t pages = options_.pagedEnable ? kPageCounts[options_.pagesIndex] : 1;
    externalRam_.resize(pages * 0x10000, 0); // what fits survives
}

int32_t CSimulator::AddressOfSourceLine(std::string_view path, int32_t line) const
{
    const int32_t module = modules_.FindModule(path);
    if (module < 0) {
        return -1;
    }
    const int32_t last = lastCodeAddress_ >= 0 ? lastCodeAddress_ : code_.HighestAddress();
    return code_.AddressOfLine(module, line, last);
}

void CSimulator::SetBreakMark(int32_t address, int32_t kind)
{
    breakpointMap_[address] = static_cast<uint8_t>(kind);
    if (kind != 0) {
        stops_.Set(static_cast<uint32_t>(address), kBreakMark);
    } else {
        stops_.Clear(static_cast<uint32_t>(address), kBreakMark);
    }
}

void CSimulator::RebuildBreakpointMap()
{
    breakpointMap_.fill(0);
    stops_.ClearAll(kBreakMark);
    const int32_t last = lastCodeAddress_ >= 0 ? lastCodeAddress_ : code_.HighestAddress();
    for (BreakRecordType& record : breakpoints_) {
        record.address = code_.AddressOfLine(record.module, record.line, last);
        if (record.address >= 0) {
            SetBreakMark(record.address, record.kind);
        }
    }
}

void CSimulator::Start()
{
    revision_.Raise();
    updateCount_ = autoUpdate_ ? settingsUpdateCount_ : kDefaultChunk;
    remainingCount_ = updateCount_;
    sim_.SetMemoryOptions(options_);
    if (running_) {
        Stop();
    }
    SizeExternalRam();
    sim_.ResetProcessor();
    serial_.ClearTransmitted();
    serial_.ClearReceive();
    running_ = true;
    stopTarget_ = Pc();
    stepOut_ = false;
    stepOverInterrupt_ = false;
    haltRequest_ = true;
    RebuildBreakpointMap();
}

void CSimulator::Stop()
{
    revision_.Raise();
    haltRequest_ = true;
    stepOut_ = false;
    stepOverInterrupt_ = false;
    stopTarget_ = Pc();
    running_ = false;
}

void CSimulator::Restart()
{
    Stop();
    Start();
}

void CSimulator::Break()
{
    haltRequest_ = true;
    stepOut_ = false;
    stepOverInterrupt_ = false;
}

bool CSimulator::ExecuteOnce()
{
    ProcessorState& state = sim_.State();
    state.interruptTaken = false;
    state.pcWrapped = false;
    sim_.ExecuteInstruction();
    return state.interruptTaken;
}

void CSimulator::Continue()
{
    if (!running_) {
        Start();
    }
    sim_.State().cycles = 0;
    haltRequest_ = false;
    stopTarget_ = -1;
    RunChunk(stopTarget_);
}

void CSimulator::StepInto()
{
    if (!running_) {
        Start();
    }
    haltRequest_ = true;
    sim_.State().cycles = 0;
    // An interrupt entry instead halts at the vector on the next idle call.
    StepOnce();
}

void CSimulator::StepOver()
{
    if (!running_) {
        Start();
    }
    haltRequest_ = false;
    sim_.State().cycles = 0;
    const uint8_t op = code_.ReadCodeByte(sim_.Pc());
    if ((op & 0x1F) == kAcall || op == kLcall) {
        stopTarget_ = Pc() + (op == kLcall ? 3 : 2);
        RunChunk(stopTarget_);
        return;
    }
    // An interrupt entry instead runs the routine to its RETI, then the
    // interrupted instruction.
    StepOnce();
}

void CSimulator::StepOnce()
{
    revision_.Raise();
    if (ExecuteOnce()) {
        stopTarget_ = -1;
        stepOverInterrupt_ = true;
        sim_.State().CallDepth = 1;
    } else {
        stopTarget_ = Pc();
    }
}

void CSimulator::StepOut()
{
    stopTarget_ = -1;
    stepOut_ = true;
    stepOverInterrupt_ = false;
    haltRequest_ = false;
    sim_.State().CallDepth = 0;
    RunChunk(stopTarget_);
}

void CSimulator::RunToCursor(std::string_view path, int32_t line)
{
    const int32_t address = AddressOfSourceLine(path, line);
    if (address < 0) {
        return;
    }
    haltRequest_ = false;
    stopTarget_ = address;
    RunChunk(stopTarget_);
}

void CSimulator::HaltHere()
{
    stopTarget_ = Pc();
    stepOut_ = false;
    stepOverInterrupt_ = false;
    remainingCount_ = 0;
}

void CSimulator::RunChunk(int64_t target)
{
    revision_.Raise();
    if (updateCount_ < 1) {
        updateCount_ = 1000;
    }
    if (remainingCount_ < 1) {
        remainingCount_ = updateCount_;
    }
    const int32_t chunk = remainingCount_;
    softBreakHit_ = false;
    if (stepOverInterrupt_ || stepOut_ || haltRequest_) {
        // Tests after every step that the run loop does not make.
        for (int32_t i = 0; i < chunk; ++i) {
            ExecuteOnce();
            --remainingCount_;
            if (ChunkEndsHere(target)) {
                return;
            }
        }
        return;
    }
    // The run loop hands back on a break mark, the target or a message;
    // the tests decide whether the chunk ends there.
    const bool marked = target >= 0 && target <= 0xFFFF;
    if (marked) {
        stops_.Set(static_cast<uint32_t>(target), kTargetMark);
    }
    while (remainingCount_ > 0) {
        remainingCount_ -= static_cast<int32_t>(sim_.Run(remainingCount_, stops_).steps);
        if (ChunkEndsHere(target)) {
            break;
        }
    }
    if (marked) {
        stops_.Clear(static_cast<uint32_t>(target), kTargetMark);
    }
}

bool CSimulator::ChunkEndsHere(int64_t target)
{
    const ProcessorState& state = sim_.State();
    if (state.pcWrapped || state.messageShown) {
        // A message box must not repeat for the rest of the chunk: halt
        // here as a break point would.
        HaltHere();
        return true;
    }
    if (stepOverInterrupt_ && state.CallDepth == 0) {
        ExecuteOnce();
        HaltHere();
        return true;
    }
    if (stepOut_ && state.CallDepth == 0 && OpcodeAtPcIsReturn()) {
        ExecuteOnce();
        HaltHere();
        return true;
    }
    // A wide PC (past FFFFh) is wrapped by the next instruction.
    const uint8_t mark = Pc() <= 0xFFFF ? breakpointMap_[state.pc] : 0;
    if (mark == kBreakPoint) {
        HaltHere();
        return true;
    }
    if (mark != 0) {
        softBreakHit_ = true;
        return true;
    }
    if (Pc() == target || haltRequest_) {
        remainingCount_ = 0;
        return true;
    }
    return false;
}

void CSimulator::ContinueRun()
{
    if (haltRequest_) {
        stopTarget_ = Pc();
    }
    if (stopTarget_ != Pc()) {
        RunChunk(stopTarget_);
    }
    if (stopTarget_ == Pc()) {
        stepOut_ = false;
        stepOverInterrupt_ = false;
    }
}

void CSimulator::SetPc(uint32_t address)
{
    revision_.Raise();
    if (address > 0xFFFF) {
        return;
    }
    sim_.State().pc = address;
    stopTarget_ = Pc();
}

void CSimulator::ResetSimulation()
{
    revision_.Raise();
    if (!running_) {
        Start();
        return;
    }
    sim_.ResetProcessor();
    stepOut_ = false;
    stepOverInterrupt_ = false;
    haltRequest_ = true;
    stopTarget_ = Pc();
}

bool CSimulator::OpcodeAtPcIsReturn() const
{
    const uint8_t op = code_.ReadCodeByte(sim_.Pc());
    return op == kRet || op == kReti;
}

void CSimulator::ToggleBreakpoint(std::string_view path, int32_t line, int32_t kind)
{
    revision_.Raise();
    const int32_t module = modules_.FindModule(path);
    if (module < 0) {
        return;
    }
    const int32_t address = AddressOfSourceLine(path, line);
    if (address < 0) {
        return;
    }
    const auto sameLine = [&](const BreakRecordType& r) {
        return r.module == module && r.line == line;
    };
    if (std::any_of(breakpoints_.begin(), breakpoints_.end(), sameLine)) {
        SetBreakMark(address, 0);
        std::erase_if(breakpoints_, sameLine);
    } else if (breakpointMap_[address] != 0) {
        // Another line holds this address: its mark goes with the break, so
        // the editor never shows a mark that no longer stops.
        SetBreakMark(address, 0);
        std::erase_if(breakpoints_, [&](const BreakRecordType& r) {
            return r.address == address || sameLine(r);
        });
    } else {
        SetBreakMark(address, kind);
        breakpoints_.push_back({module, line, address, kind});
    }
}

void CSimulator::RemoveAllBreakpoints()
{
    revision_.Raise();
    breakpoints_.clear();
    breakpointMap_.fill(0);
    stops_.ClearAll(kBreakMark);
}

int32_t CSimulator::FindBreakpoint(int32_t module, int32_t line, int32_t kind) const
{
    for (size_t i = 0; i < breakpoints_.size(); ++i) {
        const BreakRecordType& r = breakpoints_[i];
        if (r.module == module && r.line == line && (kind == kAnyBreak || r.kind == kind)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool CSimulator::CreateCoverageReport(const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        if (sink_ != nullptr) {
            sink_->ShowMessage("Unable to open file to save report into.",
                               IMessageSink::Severity::kError);
        }
        return false;
    }
    out << "Coverage report\r\n\r\nAddress   Execution Count\r\n"
           "-------------------------------\r\n";
    for (uint32_t address = 0; address < 0x10000; ++address) {
        const uint32_t count = code_.ExecutionCount(address);
        if (count > 0) {
            // Unsigned: a hot loop passes 2^31 executions within a minute.
            out << StrFormat("%6u %10u\r\n", address, count);
        }
    }
    return static_cast<bool>(out);
}
