#include "simulator/sim8051.h"

#include "common/message_sink.h"
#include "common/text_util.h"
#include "simulator/serial_channel.h"

#include <algorithm>

namespace {

constexpr std::array<int32_t, 5> kPageCounts = {1, 2, 4, 8, 16};
constexpr std::array<uint8_t, 4> kPortAddresses = {sfr::kP0, sfr::kP1, sfr::kP2, sfr::kP3};

// Registers whose writes change how the timers count or what the poll finds.
constexpr std::array<uint8_t, 9> kTimerRegisters = {sfr::kTcon, sfr::kTmod, sfr::kTl0,
                                                    sfr::kTl1,  sfr::kTh0,  sfr::kTh1,
                                                    sfr::kIe,   sfr::kIp,   sfr::kT2con};

// Read hooks: a port overridden by the buttons, a timer counting lazily.
constexpr uint8_t kReadPort = 1;
constexpr uint8_t kReadTimer = 2;

} // namespace

CSim8051::CSim8051(CCodeMemory& code, std::vector<uint8_t>& externalRam)
    : code_(code), externalRam_(externalRam)
{
    ResetProcessor();
}

void CSim8051::SetProcessorType(int type)
{
    // The 8752 and 8032 carry the upper 128 bytes; only the stack check cares.
    ramSize_ = (type == 1 || type == 3) ? 256 : 128;
}

void CSim8051::SetPortOverride(const IPortOverride* buttons)
{
    buttons_ = buttons;
    for (uint8_t port : kPortAddresses) {
        readHooks_[port] = buttons != nullptr ? kReadPort : 0;
    }
}

void CSim8051::SetSerialChannel(CSerialChannel* channel)
{
    if (serial_ != nullptr) {
        serial_->SetWaitingChanged(nullptr);
    }
    serial_ = channel;
    receiverWaiting_ = false;
    if (channel != nullptr) {
        channel->SetWaitingChanged([this](bool waiting) { ReceiverWaitingChanged(waiting); });
    }
}

void CSim8051::ReceiverWaitingChanged(bool waiting)
{
    if (waiting && lazy_) {
        // Fed from within a run's fast part (a transmit tap answering): the
        // step ends with a full update, and the fast part gives way.
        CatchUp();
        UpdateAfterThisStep();
    }
    receiverWaiting_ = waiting;
}

void CSim8051::SetMonitorBreakAddress(bool used, uint16_t address)
{
    monitorBreakUsed_ = used;
    monitorBreakAddress_ = address;
}

void CSim8051::Report(const std::string& text)
{
    // The sink may show the state: it must be complete.
    CatchUp();
    UpdateAfterThisStep();
    state_.messageShown = true;
    if (sink_ != nullptr) {
        sink_->ShowMessage(text, IMessageSink::Severity::kWarning);
    }
}

void CSim8051::RebuildWriteHooks()
{
    writeHooks_.fill(WriteHook::kNone);
    writeHooks_[sfr::kSbuf] = WriteHook::kSbuf;
    writeHooks_[sfr::kPsw] = WriteHook::kPsw;
    writeHooks_[sfr::kAcc] = WriteHook::kAcc;
    if (state_.variant == ProcessorVariant::kAduc84x) {
        writeHooks_[sfr::kDpcon] = WriteHook::kDpcon;
        writeHooks_[sfr::kEcon] = WriteHook::kEcon;
    }
}

void CSim8051::SetLazyHooks(bool on)
{
    // Outside the fast part these registers are plain stores and loads.
    for (uint8_t address : kTimerRegisters) {
        writeHooks_[address] = on ? WriteHook::kTimer : WriteHook::kNone;
    }
    writeHooks_[sfr::kScon] = on ? WriteHook::kScon : WriteHook::kNone;
    writeHooks_[sfr::kP1] = on ? WriteHook::kPort1 : WriteHook::kNone;
    writeHooks_[sfr::kP3] = on ? WriteHook::kPort3 : WriteHook::kNone;
    for (uint8_t address : {sfr::kTl0, sfr::kTl1, sfr::kTh0, sfr::kTh1}) {
        readHooks_[address] = on ? kReadTimer : 0;
    }
}

uint8_t CSim8051::HookedRead(uint8_t address)
{
    if (readHooks_[address] & kReadTimer) {
        CatchUp();
    }
    return ReadDirect(address);
}

bool CSim8051::EndsLazyCounting(WriteHook hook, uint8_t value) const
{
    constexpr uint8_t kIntPins = sfr::kPinInt0 | sfr::kPinInt1;
    constexpr uint8_t kSerial = sfr::kEa | sfr::kEs;
    switch (hook) {
    case WriteHook::kTimer:
    case WriteHook::kSbuf:
        return true;
    case WriteHook::kScon: // TI and RI only matter to an enabled serial interrupt
        return (state_.DirectSpace[sfr::kIe] & kSerial) == kSerial;
    case WriteHook::kPort3: // a low INT pin is sampled
        return (value & kIntPins) != kIntPins;
    default:
        return false;
    }
}

void CSim8051::RunWriteHook(WriteHook hook, uint8_t address, uint8_t value)
{
    if (lazy_ && EndsLazyCounting(hook, value)) {
        // What the timers counted before this instruction counts under the
        // old settings; this instruction's cycles under the new ones.
        CatchUp();
        UpdateAfterThisStep();
    }
    state_.DirectSpace[address] = value;
    switch (hook) {
    case WriteHook::kNone:
    case WriteHook::kTimer:
    case WriteHook::kScon:
        break;
    case WriteHook::kPort1:
    case WriteHook::kPort3:
        // In a run nothing samples the previous pins before the step's timer
        // update would set them to what was written.
        (address == sfr::kP1 ? state_.previousP1 : state_.previousP3) = value;
        break;
    case WriteHook::kSbuf:
        if (!state_.transmitBusy && !PollReachesSerial()) {
            state_.transmitCountdown = 10; // what the poll would have armed
        }
        state_.transmitBusy = true;
        if (serial_ != nullptr) {
            serial_->Transmitted(value);
        }
        if (sbufTap_) {
            sbufTap_(value);
        }
        break;
    case WriteHook::kPsw:
        UpdateBankBase();
        break;
    case WriteHook::kAcc:
        SetFlag(sfr::kParity, OddParity(value));
        break;
    case WriteHook::kDpcon:
        // Bit 0 selects the data pointer; the swap repeats on every write.
        if (value & 1) {
            state_.dptr0Shadow = Dptr();
            SetDptr(state_.dptr1Shadow);
        } else {
            state_.dptr1Shadow = Dptr();
            SetDptr(state_.dptr0Shadow);
        }
        break;
    case WriteHook::kEcon:
        DataFlashCommand(value);
        break;
    }
}

void CSim8051::DataFlashCommand(uint8_t command)
{
    auto& space = state_.DirectSpace;
    auto& flash = state_.DataFlash;
    const uint32_t offset = (space[sfr::kEadrh] * 256u + space[sfr::kEadrl]) * 4u;
    // The data flash holds 1024 pages; a page number beyond it addresses nothing.
    const bool inRange = offset + 4 <= flash.size();
    switch (command) {
    case 1:
        if (inRange) {
            std::copy_n(flash.begin() + offset, 4, space.begin() + sfr::kEdata1);
        }
        break;
    case 2:
        if (inRange) {
            std::copy_n(space.begin() + sfr::kEdata1, 4, flash.begin() + offset);
        }
        break;
    case 4:
        space[sfr::kEcon] =
            inRange && std::equal(flash.begin() + offset, flash.begin() + offset + 4,
                                  space.begin() + sfr::kEdata1)
                ? 0x00
                : 0xFF;
        break;
    case 5:
        if (inRange) {
            std::fill_n(flash.begin() + offset, 4, 0xFF);
        }
        break;
    case 6:
        flash.fill(0xFF);
        break;
    default:
        break;
    }
}

void CSim8051::ResetProcessor()
{
    auto& space = state_.DirectSpace;
    for (uint8_t address :
         {sfr::kAcc,    sfr::kB,      sfr::kPsw,   sfr::kDpl, sfr::kDph,  sfr::kIp,   sfr::kIe,
          sfr::kTmod,   sfr::kTcon,   sfr::kT2con, sfr::kTl0, sfr::kTl1,  sfr::kTh0,  sfr::kTh1,
          sfr::kRcap2l, sfr::kRcap2h, sfr::kTl2,   sfr::kTh2, sfr::kScon, sfr::kSbuf, sfr::kPcon}) {
        space[address] = 0;
    }
    space[sfr::kSp] = 0x07;
    for (uint8_t port : kPortAddresses) {
        space[port] = 0xFF;
    }
    state_.pc = 0;
    state_.maxSp = 0;
    state_.cycles = 0;
    state_.totalCycles = 0;
    state_.lowInService = false;
    state_.highInService = false;
    state_.externalPending = 0;
    state_.priorityLevel = -1;
    state_.transmitBusy = false;
    if (serial_ != nullptr) {
        serial_->AbortFrame();
    }
    UpdateBankBase();
    state_.variant = options_.variant;
    RebuildWriteHooks();
}

uint64_t CSim8051::EffectiveExternalAddress(uint32_t address, bool viaRi, bool programAccess) const
{
    uint64_t effective = address;
    if (viaRi && options_.useP2ForRi) {
        effective += state_.DirectSpace[sfr::kP2] * 256u;
    }
    if (programAccess && options_.pagedEnable) {
        const int32_t index = std::clamp(options_.pagesIndex, 0, 4);
        const uint32_t pageMask = kPageCounts[index] - 1;
        effective += uint64_t{state_.DirectSpace[options_.controlAddress & 0xFF] & pageMask} << 16;
    }
    return effective;
}

uint8_t CSim8051::ReadExternal(uint32_t address, bool viaRi, bool programAccess) const
{
    const uint64_t effective = EffectiveExternalAddress(address, viaRi, programAccess);
    if (effective >= externalRam_.size()) {
        return 0;
    }
    const uint8_t stored = externalRam_[effective];
    if (buttons_ != nullptr) {
        return buttons_->PortReadOverride(ButtonResource::kExternalMemory,
                                          static_cast<uint32_t>(effective), stored);
    }
    return stored;
}

void CSim8051::WriteExternal(uint32_t address, uint32_t value, bool viaRi, bool programAccess)
{
    const uint64_t effective = EffectiveExternalAddress(address, viaRi, programAccess);
    if (effective < externalRam_.size()) {
        externalRam_[effective] = static_cast<uint8_t>(value);
    }
}

int32_t CSim8051::ReadRegister(int index) const
{
    const auto& space = state_.DirectSpace;
    if (index == 0) {
        return space[sfr::kAcc];
    }
    if (index == 1) {
        return space[sfr::kB];
    }
    if (index >= 2 && index <= 9) {
        return space[state_.bankBase + index - 2];
    }
    if (index == 10) {
        return space[sfr::kSp];
    }
    if (index == 11) {
        return static_cast<int32_t>(state_.pc);
    }
    if (index == 12) {
        return Dptr();
    }
    return -1;
}

void CSim8051::WriteRegister(int index, uint32_t value)
{
    if (index == 0) {
        WriteDirect(sfr::kAcc, value);
    } else if (index == 1) {
        WriteDirect(sfr::kB, value);
    } else if (index >= 2 && index <= 9) {
        WriteDirect(state_.bankBase + index - 2, value);
    } else if (index == 10) {
        WriteDirect(sfr::kSp, value);
    } else if (index == 11) {
        state_.pc = value & 0xFFFF;
    } else if (index == 12) {
        WriteDirect(sfr::kDpl, value & 0xFF);
        WriteDirect(sfr::kDph, (value >> 8) & 0xFF);
    } else {
        Report("Unknown register.");
    }
}

int32_t CSim8051::ReadPort(int index) const
{
    if (index < 0 || index > 3) {
        return -1;
    }
    return ReadDirect(kPortAddresses[index]);
}

void CSim8051::WritePort(int index, uint32_t value)
{
    if (index < 0 || index > 3) {
        Report("Unknown port.");
        return;
    }
    WriteDirect(kPortAddresses[index], value);
}

int32_t CSim8051::ReadControlRegister(int index) const
{
    if (index < 0 || index >= static_cast<int>(ControlRegisterTable.size())) {
        return -1;
    }
    const ControlRegisterType& row = ControlRegisterTable[index];
    int32_t value = ReadDirect(row.address);
    if (row.highAddress != 0) {
        value |= ReadDirect(row.highAddress) << 8;
    }
    return value;
}

void CSim8051::WriteControlRegister(int index, uint32_t value)
{
    if (index < 0 || index >= static_cast<int>(ControlRegisterTable.size())) {
        Report("Invalid location.");
        return;
    }
    const ControlRegisterType& row = ControlRegisterTable[index];
    WriteDirect(row.address, value & 0xFF);
    if (row.highAddress != 0) {
        WriteDirect(row.highAddress, (value >> 8) & 0xFF);
    }
}

int32_t CSim8051::ReadFlag(int index) const
{
    if (index < 0 || index > 7) {
        return -1;
    }
    return (state_.DirectSpace[sfr::kPsw] >> (7 - index)) & 1;
}

void CSim8051::WriteFlag(int index, bool value)
{
    if (index < 0 || index > 7) {
        Report("Unknown flag.");
        return;
    }
    const uint8_t mask = static_cast<uint8_t>(0x80 >> index);
    const uint8_t psw = state_.DirectSpace[sfr::kPsw];
    WriteDirect(sfr::kPsw, value ? (psw | mask) : (psw & ~mask));
}

int64_t CSim8051::ReadResult(int index) const
{
    switch (index) {
    case 0:
        return state_.cycles;
    case 1:
        return state_.maxSp;
    case 2:
        return state_.totalCycles;
    default:
        return -1;
    }
}

void CSim8051::WriteResult(int index, uint32_t value)
{
    if (index == 0) {
        state_.cycles = value;
    } else if (index == 1) {
        state_.maxSp = value;
    } else if (index == 2) {
        state_.totalCycles = value;
    }
}

void CSim8051::WriteInternalRam(int32_t address, uint32_t value)
{
    if (address < 0 || address > 0xFF) {
        Report("Invalid RAM address");
        return;
    }
    WriteIndirect(static_cast<uint32_t>(address), value);
}

void CSim8051::WriteDirectRam(int32_t address, uint32_t value)
{
    if (address < 0 || address > 0xFF) {
        Report("Invalid RAM address");
        return;
    }
    WriteDirect(static_cast<uint32_t>(address), value);
}

void CSim8051::WriteExternalRam(int32_t address, uint32_t value)
{
    if (address < 0 || address > 0xFFFF) {
        Report("Invalid external RAM address.");
        return;
    }
    WriteExternal(static_cast<uint32_t>(address), value, false, false);
}
