#include "views/stack_model.h"

#include <filesystem>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/text_util.h"

namespace {

constexpr uint8_t kMovDirectImmediate = 0x75;
constexpr uint8_t kSpAddress = 0x81;
constexpr uint8_t kLcall = 0x12;
constexpr uint8_t kAcallLowBits = 0x11; // ACALL is aaa10001
constexpr uint8_t kResetSp = 0x07;

} // namespace

CStackModel::CStackModel(IViewHost& host) : CSimulatorGridModel(host)
{
    SetSelectionLine(-1);
}

void CStackModel::FindStackStarts()
{
    const CCodeMemory& code = Engines().Simulator().Code();
    spLoads_.clear();
    const int32_t highest = code.HighestAddress();
    for (int32_t a = 0; a + 2 <= highest; ++a) {
        // Only bytes an instruction line produced: data may look the same.
        if (code.ReadCodeByte(a) == kMovDirectImmediate && code.ReadCodeByte(a + 1) == kSpAddress &&
            code.LineOfAddress(a) >= 0) {
            spLoads_.emplace_back(a, code.ReadCodeByte(a + 2));
        }
    }
    scanned_ = true;
}

void CStackModel::UpdateBase(uint8_t sp)
{
    const CSimulator& simulator = Engines().Simulator();
    const uint64_t cycles = simulator.Processor().State().totalCycles;
    // The code changes only while no simulation is loaded; a new start
    // forgets which loads ran.
    if (!simulator.IsRunning() || cycles < lastCycles_) {
        scanned_ = false;
        executedStarts_.clear();
    }
    lastCycles_ = cycles;
    if (!scanned_) {
        FindStackStarts();
    }
    for (const auto& [address, value] : spLoads_) {
        if (simulator.Code().ExecutionCount(address) > 0) {
            executedStarts_.insert(value);
        }
    }
    int base = kResetSp;
    for (uint8_t start : executedStarts_) {
        if (start <= sp) {
            base = std::max<int>(base, start);
        }
    }
    if (base > sp) {
        base = sp;
    }
    if (base != base_) {
        ForgetValues(); // each line now stands for another address
        base_ = base;
    }
}

bool CStackModel::FollowsCall(uint32_t address) const
{
    const CCodeMemory& code = Engines().Simulator().Code();
    const bool lcall = address >= 3 && code.ReadCodeByte(address - 3) == kLcall;
    const bool acall = address >= 2 && (code.ReadCodeByte(address - 2) & 0x1F) == kAcallLowBits;
    return lcall || acall;
}

void CStackModel::FindReturnAddresses(uint8_t sp)
{
    const CSim8051& cpu = Engines().Simulator().Processor();
    const int count = sp - base_;
    returnOfLine_.assign(static_cast<size_t>(std::max(0, count)), -1);
    // From the top down: a call pushes the low byte, then the high byte.
    for (int top = sp; top - 1 > base_;) {
        const uint32_t address =
            static_cast<uint32_t>(cpu.ReadIndirect(top)) << 8 | cpu.ReadIndirect(top - 1);
        if (!FollowsCall(address)) {
            --top;
            continue;
        }
        returnOfLine_[static_cast<size_t>(top - base_ - 1)] = static_cast<int32_t>(address);
        returnOfLine_[static_cast<size_t>(top - base_ - 2)] = static_cast<int32_t>(address);
        top -= 2;
    }
}

int CStackModel::CountLines()
{
    const uint8_t sp = Engines().Simulator().Processor().ReadDirect(kSpAddress);
    UpdateBase(sp);
    const std::vector<int32_t> before = returnOfLine_;
    FindReturnAddresses(sp);
    if (returnOfLine_ != before) {
        InvalidateTexts(); // notes depend on the neighbouring bytes too
    }
    return sp - base_;
}

int32_t CStackModel::ReturnAddressOfLine(int line) const
{
    if (line < 0 || static_cast<size_t>(line) >= returnOfLine_.size()) {
        return -1;
    }
    return returnOfLine_[static_cast<size_t>(line)];
}

std::string CStackModel::DescribeAddress(uint32_t address) const
{
    CEngines& engines = Engines();
    const CCodeMemory& code = engines.Simulator().Code();
    const int32_t module = code.ModuleOfAddress(address);
    const int32_t line = code.LineOfAddress(address);
    const std::string path = engines.Simulator().Modules().ModulePath(module);
    if (!path.empty() && line >= 0) {
        const std::string name = std::filesystem::path(path).filename().string();
        return StrFormat("%s (%d)", name.c_str(), line + 1);
    }
    // No source line: the nearest label at or below the address.
    const SymbolRecord* nearest = nullptr;
    engines.Assembler().Labels().ForEach([&](const SymbolRecord& label) {
        if (label.value >= 0 && static_cast<uint32_t>(label.value) <= address &&
            (nearest == nullptr || label.value > nearest->value)) {
            nearest = &label;
        }
    });
    if (nearest == nullptr) {
        return {};
    }
    const uint32_t offset = address - static_cast<uint32_t>(nearest->value);
    return offset == 0 ? nearest->name : StrFormat("%s+%u", nearest->name.c_str(), offset);
}

std::string CStackModel::FormatLine(int line)
{
    const int address = base_ + 1 + line;
    std::string text = StrFormat(" %02X: %02X", static_cast<unsigned>(address),
                                 static_cast<unsigned>(ReadUnit(line, 0)));
    const int32_t target = ReturnAddressOfLine(line);
    // The pair's high byte, nearer the top, carries the note.
    if (target >= 0 && ReturnAddressOfLine(line + 1) != target) {
        text += StrFormat("  return to %04X", static_cast<unsigned>(target));
        const std::string where = DescribeAddress(static_cast<uint32_t>(target));
        if (!where.empty()) {
            text += "  " + where;
        }
    }
    return text;
}

uint32_t CStackModel::ReadUnit(int line, int unit)
{
    (void)unit;
    return Engines().Simulator().Processor().ReadIndirect(static_cast<uint32_t>(base_ + 1 + line));
}

ColumnSpanType CStackModel::UnitSpan(int line, int unit)
{
    (void)line;
    (void)unit;
    return {5, 2};
}

void CStackModel::LinesChanged(int oldCount, int newCount)
{
    (void)oldCount;
    if (Selection().line >= newCount) {
        SetSelectionLine(-1);
    }
}

bool CStackModel::GoTo()
{
    const int32_t target = ReturnAddressOfLine(Selection().line);
    if (target < 0) {
        return false;
    }
    const CSimulator& simulator = Engines().Simulator();
    const auto address = static_cast<uint32_t>(target);
    const std::string path =
        simulator.Modules().ModulePath(simulator.Code().ModuleOfAddress(address));
    const int32_t line = simulator.Code().LineOfAddress(address);
    if (path.empty() || line < 0) {
        return false;
    }
    Host().OpenSourceAtLine(path, line);
    return true;
}
