#pragma once

#include "simulator/code_memory.h"
#include "simulator/flag_arith.h"
#include "simulator/port_override.h"
#include "simulator/processor_state.h"
#include "simulator/sfr.h"
#include "simulator/stop_map.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CSerialChannel;
class IMessageSink;

// The options that shape memory, copied in by the simulation object.
struct MemoryOptionsType
{
    bool useP2ForRi = false; // MOVX @Ri adds P2 x 256
    bool pagedEnable = false;
    int32_t controlAddress = 0; // direct address whose byte selects the page
    int32_t pagesIndex = 0;     // 0-4: 1, 2, 4, 8, 16 pages of 64 KB
    ProcessorVariant variant = ProcessorVariant::kStandard;
};

inline constexpr std::array<std::string_view, 13> RegisterNames = {
    "A", "B", "R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7", "SP", "PC", "DPTR"};
inline constexpr std::array<std::string_view, 4> PortNames = {"P0", "P1", "P2", "P3"};
inline constexpr std::array<std::string_view, 3> ResultNames = {"Cycles", "Max SP", "Total Cycles"};

struct ControlRegisterType
{
    std::string_view name;
    uint8_t address;
    uint8_t highAddress; // 0 for single-byte registers
};

inline constexpr std::array<ControlRegisterType, 13> ControlRegisterTable = {{
    {"PSW", 0xD0, 0},
    {"IP", 0xB8, 0},
    {"IE", 0xA8, 0},
    {"TCON", 0x88, 0},
    {"TMOD", 0x89, 0},
    {"PCON", 0x87, 0},
    {"T2CON", 0xC8, 0},
    {"SCON", 0x98, 0},
    {"SBUF", 0x99, 0},
    {"T0", 0x8A, 0x8C},
    {"T1", 0x8B, 0x8D},
    {"T2", 0xCC, 0xCD},
    {"RCAP2", 0xCA, 0xCB},
}};

inline constexpr const char* kUndefinedInstructionMessage = "Undefined instruction at address %d";
inline constexpr const char* kStackMessage = "PUSH accessed unavialable memory (%d) at addr: %u.";
inline constexpr const char* kPcWrapMessage =
    "Program counter wrapped around from 0xFFFF to 0x0000";

// The simulated 8051: its address spaces, the instruction set and the
// on-chip peripherals. Code memory and external RAM belong to the
// simulation object and are lent to the processor.
class CSim8051
{
public:
    CSim8051(CCodeMemory& code, std::vector<uint8_t>& externalRam);
    virtual ~CSim8051() = default;
    CSim8051(const CSim8051&) = delete;
    CSim8051& operator=(const CSim8051&) = delete;

    void SetMessageSink(IMessageSink* sink) { sink_ = sink; }
    void SetPortOverride(const IPortOverride* buttons);
    // Sees every byte the program writes to SBUF (a headless console);
    // changes nothing in the model.
    void SetSbufTap(std::function<void(uint8_t)> tap) { sbufTap_ = std::move(tap); }
    // The serial line outside: it sees every byte written to SBUF, and while
    // bytes wait for the receiver the processor delivers them, a step at a
    // time. The channel must outlive the processor or be detached (nullptr).
    void SetSerialChannel(CSerialChannel* channel);
    void SetMemoryOptions(const MemoryOptionsType& options) { options_ = options; }
    const MemoryOptionsType& MemoryOptions() const { return options_; }
    // 0 8751, 1 8752, 2 8031, 3 8032.
    void SetProcessorType(int type);
    int32_t InternalRamSize() const { return ramSize_; }
    void SetMonitorBreakAddress(bool used, uint16_t address);
    bool MonitorBreakUsed() const { return monitorBreakUsed_; }
    uint16_t MonitorBreakAddress() const { return monitorBreakAddress_; }

    ProcessorState& State() { return state_; }
    const ProcessorState& State() const { return state_; }
    uint32_t Pc() const { return state_.pc; }

    void ResetProcessor();
    void ExecuteInstruction();

    // A step is an instruction or an interrupt entry.
    struct RunResultType
    {
        int64_t steps = 0;
        int64_t interrupts = 0; // steps that entered an interrupt
    };
    // Runs up to maxSteps steps, each as ExecuteInstruction after clearing
    // the step status, and returns after the step that showed a message or
    // left the PC on a marked address of stops. Between runs the state is
    // complete. Within a run, while timers 0 and 1 (in modes 1 and 2) and a
    // transmission are all that can change by themselves, they are brought
    // up to date only when the program reads or writes them or they are due
    // to overflow or end: the per-instruction work is then only counting.
    RunResultType Run(int64_t maxSteps, const CStopMap& stops);

    // Address spaces.
    uint8_t ReadDirect(uint32_t address) const;
    void WriteDirect(uint32_t address, uint32_t value);
    uint8_t ReadIndirect(uint32_t address) const;
    void WriteIndirect(uint32_t address, uint32_t value);
    static uint8_t BitByteAddress(uint8_t bit) { return bit < 0x80 ? 0x20 + bit / 8 : bit & 0xF8; }
    bool ReadBit(uint8_t bit) const;
    void WriteBit(uint8_t bit, bool value);
    uint8_t ReadCodeByte(uint32_t address) const { return code_.ReadCodeByte(address); }
    uint8_t ReadExternal(uint32_t address, bool viaRi, bool programAccess) const;
    void WriteExternal(uint32_t address, uint32_t value, bool viaRi, bool programAccess);

    // Access by index for the views and the watches; bad indices report.
    int32_t ReadRegister(int index) const;
    void WriteRegister(int index, uint32_t value);
    int32_t ReadPort(int index) const;
    void WritePort(int index, uint32_t value);
    int32_t ReadControlRegister(int index) const;
    void WriteControlRegister(int index, uint32_t value);
    int32_t ReadFlag(int index) const;
    void WriteFlag(int index, bool value);
    int64_t ReadResult(int index) const;
    void WriteResult(int index, uint32_t value);
    void WriteInternalRam(int32_t address, uint32_t value);
    void WriteDirectRam(int32_t address, uint32_t value);
    void WriteExternalRam(int32_t address, uint32_t value);

    // Peripherals, driven from ExecuteInstruction.
    void SampleExternalInterrupts();
    bool PollInterrupts();
    void UpdateTimers(uint32_t cycles);

private:
    struct Ops;      // the instruction handlers
    struct Dispatch; // opcode to handler, built from the opcode table
    enum class WriteHook : uint8_t
    {
        kNone,
        kTimer, // from here to kPort3 within the fast part of a run only
        kScon,
        kPort1,
        kPort3,
        kSbuf,
        kPsw,
        kAcc,
        kDpcon,
        kEcon
    };

    uint8_t Acc() const { return state_.DirectSpace[sfr::kAcc]; }
    void SetAcc(uint8_t value)
    {
        state_.DirectSpace[sfr::kAcc] = value;
        // The parity flag test on x86, with no branch on the data.
        uint8_t& psw = state_.DirectSpace[sfr::kPsw];
        psw = static_cast<uint8_t>((psw & ~sfr::kParity) | __builtin_parity(value));
    }
    bool Carry() const { return (state_.DirectSpace[sfr::kPsw] & sfr::kCy) != 0; }
    // Flags change without the PSW write side effect.
    void SetFlag(uint8_t mask, bool on)
    {
        uint8_t& psw = state_.DirectSpace[sfr::kPsw];
        psw = static_cast<uint8_t>((psw & ~mask) | (on ? mask : 0)); // no branch on the data
    }
    void UpdateBankBase() { state_.bankBase = state_.DirectSpace[sfr::kPsw] & 0x18; }
    uint16_t Dptr() const
    {
        return static_cast<uint16_t>(state_.DirectSpace[sfr::kDph] << 8 |
                                     state_.DirectSpace[sfr::kDpl]);
    }
    void SetDptr(uint16_t value)
    {
        state_.DirectSpace[sfr::kDpl] = value & 0xFF;
        state_.DirectSpace[sfr::kDph] = value >> 8;
    }

    uint64_t EffectiveExternalAddress(uint32_t address, bool viaRi, bool programAccess) const;
    void RebuildWriteHooks();
    void RunWriteHook(WriteHook hook, uint8_t address, uint8_t value);
    bool EndsLazyCounting(WriteHook hook, uint8_t value) const;
    void SetLazyHooks(bool on);
    void ReceiverWaitingChanged(bool waiting);

    // Reads of direct operands by the program: a port may be overridden by
    // the buttons, a timer register may be behind within a run.
    uint8_t ReadDirectOperand(uint8_t address)
    {
        if (readHooks_[address] != 0) [[unlikely]] {
            return HookedRead(address);
        }
        return state_.DirectSpace[address];
    }
    bool ReadBitOperand(uint8_t bit)
    {
        return (ReadDirectOperand(BitByteAddress(bit)) & (1u << (bit & 7))) != 0;
    }
    uint8_t HookedRead(uint8_t address);

    // The fast part of Run.
    // Returns the steps done, counting on from steps.
    int64_t RunFast(int64_t steps, int64_t maxSteps, const uint8_t* marks);
    bool PrepareFast();
    bool TimerEvent();
    void CountLazily(uint32_t cycles);
    // Brings the timers and the transmission up to date within a run.
    void CatchUp()
    {
        const uint32_t pending = state_.totalCycles - syncedAt_;
        if (lazy_ && pending != 0) {
            CountLazily(pending);
            syncedAt_ = state_.totalCycles;
        }
    }
    // A hook may have changed what the timers do: the step ends with the
    // update of a full step.
    void UpdateAfterThisStep()
    {
        eventAt_ = state_.totalCycles;
        stepUpdate_ = true;
    }
    // MUL and DIV count 4 cycles, more than a reload of FDh or FEh leaves
    // before the next overflow: counted lazily it would miss a wrap.
    void EndLazyCountingForLongStep()
    {
        if (fragileReload_) [[unlikely]] {
            CatchUp();
            UpdateAfterThisStep();
        }
    }
    void DataFlashCommand(uint8_t command);
    void Report(const std::string& text);

    void StackCheck(uint32_t pushes);
    void Push(uint8_t value);
    uint8_t Pop();
    void Call(uint32_t returnAddress, uint32_t target);

    bool AcceptInterrupt();
    void RunTimers01(uint8_t p3, uint32_t cycles, uint8_t tcon, uint8_t tmod);
    template <size_t Index> void RunTimer(uint8_t p3, uint32_t cycles, uint8_t tcon, uint8_t tmod);
    void RunTimer0Mode3(uint8_t p3, uint32_t cycles);
    void RunTimer2(uint8_t p1, uint32_t cycles);
    void TransmitCheck();
    // Whether the poll reaches the serial source's transmit check: enabled,
    // and not blocked by an interrupt of the same or higher priority in
    // service (the serial interrupt's own service included).
    bool PollReachesSerial() const
    {
        constexpr uint8_t kBoth = sfr::kEa | sfr::kEs;
        const auto& space = state_.DirectSpace;
        return (space[sfr::kIe] & kBoth) == kBoth && !state_.highInService &&
               (!state_.lowInService || (space[sfr::kIp] & sfr::kEs) != 0);
    }
    void EnterInterrupt(uint32_t vector, bool highPriority);

    CCodeMemory& code_;
    std::vector<uint8_t>& externalRam_;
    IMessageSink* sink_ = nullptr;
    const IPortOverride* buttons_ = nullptr;
    std::function<void(uint8_t)> sbufTap_;
    CSerialChannel* serial_ = nullptr;
    bool receiverWaiting_ = false; // bytes wait: every step drives the receiver
    MemoryOptionsType options_;
    int32_t ramSize_ = 128;
    bool monitorBreakUsed_ = false;
    uint16_t monitorBreakAddress_ = 0;
    uint32_t cycles_ = 0;        // of the instruction being executed
    bool lazy_ = false;          // within the fast part of a run
    bool stepUpdate_ = false;    // the next timer event covers this step only
    bool fragileReload_ = false; // a mode 2 timer runs on with a reload of FDh or FEh
    uint32_t syncedAt_ = 0;      // Total Cycles that the timers have counted
    uint32_t eventAt_ = 0;       // Total Cycles at which they must count again
    std::array<WriteHook, 256> writeHooks_{};
    std::array<uint8_t, 256> readHooks_{};
    ProcessorState state_;
};

inline uint8_t CSim8051::ReadDirect(uint32_t address) const
{
    if (address > 0xFF) {
        return 0;
    }
    const uint8_t stored = state_.DirectSpace[address];
    // P0-P3 are 80h, 90h, A0h, B0h.
    if (buttons_ != nullptr && (address & 0xCF) == 0x80) {
        return buttons_->PortReadOverride(ButtonResource::kPort, address, stored);
    }
    return stored;
}

inline void CSim8051::WriteDirect(uint32_t address, uint32_t value)
{
    if (address > 0xFF) {
        return;
    }
    if (const WriteHook hook = writeHooks_[address]; hook != WriteHook::kNone) [[unlikely]] {
        RunWriteHook(hook, static_cast<uint8_t>(address), static_cast<uint8_t>(value)); // stores
        return;
    }
    state_.DirectSpace[address] = static_cast<uint8_t>(value);
}

inline uint8_t CSim8051::ReadIndirect(uint32_t address) const
{
    if (address < 0x80) {
        return ReadDirect(address);
    }
    return address <= 0xFF ? state_.UpperRam[address - 0x80] : 0;
}

inline void CSim8051::WriteIndirect(uint32_t address, uint32_t value)
{
    if (address < 0x80) {
        WriteDirect(address, value);
    } else if (address <= 0xFF) {
        state_.UpperRam[address - 0x80] = static_cast<uint8_t>(value);
    }
}

inline bool CSim8051::ReadBit(uint8_t bit) const
{
    return (ReadDirect(BitByteAddress(bit)) & (1u << (bit & 7))) != 0;
}

inline void CSim8051::WriteBit(uint8_t bit, bool value)
{
    const uint8_t address = BitByteAddress(bit);
    const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    const uint8_t old = ReadDirectOperand(address);
    WriteDirect(address, value ? (old | mask) : (old & ~mask));
}
