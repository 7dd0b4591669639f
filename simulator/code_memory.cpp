#include "simulator/code_memory.h"

#include <cstring>

namespace {

constexpr uint32_t Stored(int32_t value)
{
    return static_cast<uint32_t>(value) + 1u;
}

constexpr int32_t Loaded(uint32_t stored)
{
    return static_cast<int32_t>(stored - 1u);
}

} // namespace

CCodeMemory::CCodeMemory()
{
    values_.fill(0);
    clean_ = true;
}

void CCodeMemory::ClearCode()
{
    if (clean_) {
        return;
    }
    values_.fill(0);
    std::memset(lines_.get(), 0, kSize * sizeof lines_[0]);
    std::memset(modules_.get(), 0, kSize * sizeof modules_[0]);
    ResetExecutionCounts();
    highest_ = -1;
    overlapReported_ = false;
    clean_ = true;
}

CCodeMemory::StoreResult CCodeMemory::StoreCode(int32_t address, uint8_t value, int32_t line,
                                                int32_t module, int pass, bool recordLine)
{
    if (address < 0 || address >= kSize) {
        return StoreResult::kOutOfRange;
    }
    clean_ = false;
    values_[address] = value;
    if (address > highest_) {
        highest_ = address;
    }
    StoreResult result = StoreResult::kStored;
    if (pass >= 2 && recordLine) {
        if (Loaded(lines_[address]) >= 0 && !overlapReported_) {
            overlapReported_ = true;
            result = StoreResult::kOverlap;
        }
        lines_[address] = Stored(line);
        modules_[address] = Stored(module);
    }
    return result;
}

int32_t CCodeMemory::LineOfAddress(uint32_t address) const
{
    return address < static_cast<uint32_t>(kSize) ? Loaded(lines_[address]) : 0;
}

int32_t CCodeMemory::ModuleOfAddress(uint32_t address) const
{
    return address < static_cast<uint32_t>(kSize) ? Loaded(modules_[address]) : 0;
}

int32_t CCodeMemory::AddressOfLine(int32_t module, int32_t line, int32_t lastAddress) const
{
    if (lastAddress >= kSize) {
        lastAddress = kSize - 1;
    }
    for (int32_t a = 0; a <= lastAddress; ++a) {
        if (lines_[a] == Stored(line) && modules_[a] == Stored(module)) {
            return a;
        }
    }
    return -1;
}

void CCodeMemory::ResetExecutionCounts()
{
    std::memset(executions_.get(), 0, kSize * sizeof executions_[0]);
}

CodeType CCodeMemory::Cell(uint32_t address) const
{
    address &= 0xFFFF;
    return CodeType{values_[address], Loaded(lines_[address]), Loaded(modules_[address]),
                    executions_[address]};
}
