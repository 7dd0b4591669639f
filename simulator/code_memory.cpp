#include "simulator/code_memory.h"

CCodeMemory::CCodeMemory()
{
    ClearCode();
}

void CCodeMemory::ClearCode()
{
    if (clean_) {
        return;
    }
    values_.fill(0);
    lines_.fill(-1);
    modules_.fill(-1);
    executions_.fill(0);
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
        if (lines_[address] >= 0 && !overlapReported_) {
            overlapReported_ = true;
            result = StoreResult::kOverlap;
        }
        lines_[address] = line;
        modules_[address] = module;
    }
    return result;
}

int32_t CCodeMemory::LineOfAddress(uint32_t address) const
{
    return address < static_cast<uint32_t>(kSize) ? lines_[address] : 0;
}

int32_t CCodeMemory::ModuleOfAddress(uint32_t address) const
{
    return address < static_cast<uint32_t>(kSize) ? modules_[address] : 0;
}

int32_t CCodeMemory::AddressOfLine(int32_t module, int32_t line, int32_t lastAddress) const
{
    if (lastAddress >= kSize) {
        lastAddress = kSize - 1;
    }
    for (int32_t a = 0; a <= lastAddress; ++a) {
        if (lines_[a] == line && modules_[a] == module) {
            return a;
        }
    }
    return -1;
}

void CCodeMemory::ResetExecutionCounts()
{
    executions_.fill(0);
}

CodeType CCodeMemory::Cell(uint32_t address) const
{
    address &= 0xFFFF;
    return CodeType{values_[address], lines_[address], modules_[address], executions_[address]};
}
