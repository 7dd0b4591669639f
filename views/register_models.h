#pragma once

#include <array>
#include <memory>

#include "views/grid_model.h"

// The register family: one value per line, a name before it, a display radix
// per line kept in the radix table, and a write through the simulator's
// access by index or address.
class CValueLineModel : public CSimulatorGridModel
{
public:
    using CSimulatorGridModel::CSimulatorGridModel;

    bool CommitEdit(std::string_view text) override;

protected:
    // The text before the value.
    virtual std::string LinePrefix(int line) const = 0;
    virtual int64_t LineValue(int line) const = 0;
    // 16-bit values: the word formatter, ASCII and Binary shown in decimal.
    virtual bool IsWord(int line) const
    {
        (void)line;
        return false;
    }
    virtual void WriteLine(int line, uint32_t value) = 0;
    virtual const char* CaptionPrefix() const = 0;

    std::string FormatLine(int line) override;
    bool FormatChanged() override;
    int UnitsPerLine() const override { return 1; }
    uint32_t ReadUnit(int line, int unit) override;
    ColumnSpanType UnitSpan(int line, int unit) override;
    std::optional<std::string> EditCaption(GridPlaceType place) override;

private:
    std::array<uint8_t, 257> radixSeen_{}; // default radix, then the section
    bool radixKnown_ = false;
};

// "Register": A, B, R0-R7 of the active bank, SP, PC, DPTR.
class CRegisterModel : public CValueLineModel
{
public:
    using CValueLineModel::CValueLineModel;
    WindowKind Kind() const override { return WindowKind::kRegister; }
    std::optional<RadixSectionType> RadixSection() const override;

protected:
    int CountLines() override;
    std::string LinePrefix(int line) const override;
    int64_t LineValue(int line) const override;
    bool IsWord(int line) const override;
    void WriteLine(int line, uint32_t value) override;
    const char* CaptionPrefix() const override { return "Register - "; }
};

// "Port": P0-P3 as the program reads them.
class CPortModel : public CValueLineModel
{
public:
    using CValueLineModel::CValueLineModel;
    WindowKind Kind() const override { return WindowKind::kPort; }
    std::optional<RadixSectionType> RadixSection() const override;

protected:
    int CountLines() override;
    std::string LinePrefix(int line) const override;
    int64_t LineValue(int line) const override;
    void WriteLine(int line, uint32_t value) override;
    const char* CaptionPrefix() const override { return "Port - "; }
};

// "ConReg": the control registers, the timer and capture pairs as words.
class CControlRegisterModel : public CValueLineModel
{
public:
    using CValueLineModel::CValueLineModel;
    WindowKind Kind() const override { return WindowKind::kConReg; }
    std::optional<RadixSectionType> RadixSection() const override;

protected:
    int CountLines() override;
    std::string LinePrefix(int line) const override;
    int64_t LineValue(int line) const override;
    bool IsWord(int line) const override;
    void WriteLine(int line, uint32_t value) override;
    const char* CaptionPrefix() const override { return "Control Register - "; }
};

// "DRAM": the 256 bytes of the direct space, SFRs with their side effects.
class CDramModel : public CValueLineModel
{
public:
    using CValueLineModel::CValueLineModel;
    WindowKind Kind() const override { return WindowKind::kDram; }
    std::optional<RadixSectionType> RadixSection() const override;

protected:
    int CountLines() override { return 256; }
    void ReadUnits(int first, int count, uint32_t* units) override;
    std::string LinePrefix(int line) const override;
    int64_t LineValue(int line) const override;
    void WriteLine(int line, uint32_t value) override;
    const char* CaptionPrefix() const override { return "Direct RAM - "; }
};

// "IRAM": internal RAM as indirect addressing sees it, 128 or 256 bytes by
// processor type.
class CIramModel : public CValueLineModel
{
public:
    using CValueLineModel::CValueLineModel;
    WindowKind Kind() const override { return WindowKind::kIram; }
    std::optional<RadixSectionType> RadixSection() const override;

protected:
    int CountLines() override;
    void ReadUnits(int first, int count, uint32_t* units) override;
    std::string LinePrefix(int line) const override;
    int64_t LineValue(int line) const override;
    void WriteLine(int line, uint32_t value) override;
    const char* CaptionPrefix() const override { return "Internal RAM - "; }
};
