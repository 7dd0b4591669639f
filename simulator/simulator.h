#pragma once

#include "common/revision.h"
#include "simulator/code_memory.h"
#include "simulator/module_list.h"
#include "simulator/serial_channel.h"
#include "simulator/sim8051.h"
#include "simulator/virtual_buttons.h"
#include "simulator/watches.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IMessageSink;
class ISymbolResolver;

struct BreakRecordType
{
    int32_t module = -1;
    int32_t line = -1; // 0-based
    int32_t address = -1;
    int32_t kind = 0; // kBreakPoint or kSoftBreak
};

inline constexpr int32_t kBreakPoint = 1;
inline constexpr int32_t kSoftBreak = 2;
inline constexpr int32_t kAnyBreak = 3; // FindBreakpoint only

inline constexpr int32_t kDefaultChunk = 10000;

// The simulation object: owns the code memory, the module list, the external
// RAM and the processor, and runs the program in bounded chunks so that the
// caller's event loop stays responsive.
class CSimulator
{
public:
    CSimulator();
    virtual ~CSimulator() = default;
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    CCodeMemory& Code() { return code_; }
    const CCodeMemory& Code() const { return code_; }
    CModuleList& Modules() { return modules_; }
    const CModuleList& Modules() const { return modules_; }
    CSim8051& Processor() { return sim_; }
    const CSim8051& Processor() const { return sim_; }
    const std::vector<uint8_t>& ExternalRam() const { return externalRam_; }
    CWatchList& Watches() { return watches_; }
    CVirtualButtonList& Buttons() { return buttons_; }
    const CVirtualButtonList& Buttons() const { return buttons_; }
    // The serial line: what the program transmits, and bytes for its receiver.
    // A new simulation (Start, Restart) clears both.
    CSerialChannel& Serial() { return serial_; }
    const CSerialChannel& Serial() const { return serial_; }

    // The assembler's evaluator and tables, for watch names and button addresses.
    void SetSymbolResolver(ISymbolResolver* resolver)
    {
        watches_.SetSymbolResolver(resolver);
        buttons_.SetSymbolResolver(resolver);
    }

    void SetMessageSink(IMessageSink* sink);
    // From the options dialog; reaches the processor at once. The external
    // RAM is sized at the next Start.
    void SetOptions(bool useP2ForRi, bool pagedEnable, int32_t controlAddress, int32_t pagesIndex,
                    ProcessorVariant variant, int32_t updateCount);
    // EnableAutoUpdate and UpdateCount of the application's settings.
    void SetAutoUpdate(bool enable, int32_t updateCount);
    void SetProcessorType(int type) { sim_.SetProcessorType(type); }
    // The assembler's last statement address bounds line lookups; -1 uses
    // the highest stored code address.
    void SetLastCodeAddress(int32_t address) { lastCodeAddress_ = address; }

    void Start();
    void Stop();
    void Restart();
    void Break();
    void Continue();
    void StepInto();
    void StepOver();
    void StepOut();
    void RunToCursor(std::string_view path, int32_t line);
    void ContinueRun();
    void RunChunk(int64_t target);
    void SetPc(uint32_t address);
    void ResetSimulation();

    void ToggleBreakpoint(std::string_view path, int32_t line, int32_t kind);
    void RemoveAllBreakpoints();
    int32_t FindBreakpoint(int32_t module, int32_t line, int32_t kind) const;
    const std::vector<BreakRecordType>& Breakpoints() const { return breakpoints_; }
    uint8_t BreakpointAt(uint32_t address) const { return breakpointMap_[address & 0xFFFF]; }
    // One byte per code address: 0 none, kBreakPoint or kSoftBreak.
    const std::array<uint8_t, 0x10000>& BreakpointMap() const { return breakpointMap_; }

    void ResetCoverage()
    {
        code_.ResetExecutionCounts();
        revision_.Raise();
    }
    // False (after the message) when the file cannot be written.
    bool CreateCoverageReport(const std::string& path);

    // State for the command enable rules.
    bool IsRunning() const { return running_; }
    bool IsExecuting() const { return running_ && stopTarget_ != Pc(); }
    bool IsHalted() const { return running_ && stopTarget_ == Pc(); }
    bool IsIdle() const { return !running_; }
    bool OpcodeAtPcIsReturn() const;
    bool CanStepOut() const { return IsHalted() && !OpcodeAtPcIsReturn(); }
    bool HasBreakpoints() const { return !breakpoints_.empty(); }
    bool SoftBreakHit() const { return softBreakHit_; }
    int32_t RemainingCount() const { return remainingCount_; }
    int32_t UpdateCount() const { return updateCount_; }
    int64_t StopTarget() const { return stopTarget_; }

    // Raised by every command that runs, resets or changes the program's state
    // or its breakpoints. Whoever writes the processor state from outside
    // (views, the board monitor, buttons) calls MarkChanged.
    const CRevision& Revision() const { return revision_; }
    void MarkChanged() { revision_.Raise(); }

    int32_t PcLine() const { return code_.LineOfAddress(sim_.Pc()); }
    int32_t PcModule() const { return code_.ModuleOfAddress(sim_.Pc()); }
    int32_t AddressOfSourceLine(std::string_view path, int32_t line) const;

private:
    int64_t Pc() const { return sim_.Pc(); }
    void SizeExternalRam();
    void RebuildBreakpointMap();
    void SetBreakMark(int32_t address, int32_t kind);
    // The tests after a step of a run chunk; true when the chunk ends.
    bool ChunkEndsHere(int64_t target);
    // Executes one instruction; true when an interrupt was entered instead.
    bool ExecuteOnce();
    // One step of StepInto/StepOver: halts after it, or after an entered
    // interrupt's routine.
    void StepOnce();
    void HaltHere();

    CCodeMemory code_;
    CModuleList modules_;
    std::vector<uint8_t> externalRam_;
    CSerialChannel serial_; // before the processor, which holds on to it
    CSim8051 sim_;
    CWatchList watches_{*this};
    CVirtualButtonList buttons_{sim_};
    IMessageSink* sink_ = nullptr;

    MemoryOptionsType options_;
    bool autoUpdate_ = false;
    int32_t settingsUpdateCount_ = kDefaultChunk;
    int32_t lastCodeAddress_ = -1;

    bool running_ = false;
    int64_t stopTarget_ = -1;
    bool stepOut_ = false;
    bool stepOverInterrupt_ = false;
    bool haltRequest_ = false;
    bool softBreakHit_ = false;
    int32_t updateCount_ = kDefaultChunk;
    int32_t remainingCount_ = kDefaultChunk;
    std::vector<BreakRecordType> breakpoints_;
    std::array<uint8_t, 0x10000> breakpointMap_{};
    CStopMap stops_; // the break points and the run's target, for the run loop
    CRevision revision_;
};
