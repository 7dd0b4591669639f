#pragma once

#include <set>
#include <utility>
#include <vector>

#include "views/grid_model.h"

// "Stack": the bytes from the stack's first byte up to SP, lowest address
// first, each pair that holds a return address marked with the source line
// (or label) it returns to. The stack starts above the SP of reset (07h) or
// above the value of a MOV SP,#data the program has executed.
class CStackModel : public CSimulatorGridModel
{
public:
    explicit CStackModel(IViewHost& host);
    WindowKind Kind() const override { return WindowKind::kStack; }
    bool FollowsEnd() const override { return true; }
    GridKeyRules KeyRules() const override { return GridKeyRules::kLines; }
    bool GoTo() override;

    int StackBase() const { return base_; }
    // The return address a line belongs to, or -1.
    int32_t ReturnAddressOfLine(int line) const;

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    int UnitsPerLine() const override { return 1; }
    uint32_t ReadUnit(int line, int unit) override;
    ColumnSpanType UnitSpan(int line, int unit) override;
    void LinesChanged(int oldCount, int newCount) override;

private:
    void FindStackStarts();
    void UpdateBase(uint8_t sp);
    void FindReturnAddresses(uint8_t sp);
    bool FollowsCall(uint32_t address) const;
    std::string DescribeAddress(uint32_t address) const;

    int base_ = 0x07; // SP with nothing pushed
    // Each MOV SP,#data of the program: its address and its data.
    std::vector<std::pair<uint32_t, uint8_t>> spLoads_;
    std::set<uint8_t> executedStarts_;
    bool scanned_ = false;
    uint64_t lastCycles_ = 0;
    std::vector<int32_t> returnOfLine_;
};
