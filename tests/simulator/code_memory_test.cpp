#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "simulator/code_memory.h"
#include "simulator/module_list.h"

namespace {

using Result = CCodeMemory::StoreResult;

TEST(CodeMemoryTest, StoringRecordsLinesInPass2AndReportsTheFirstOverlap)
{
    CCodeMemory code;
    EXPECT_EQ(code.HighestAddress(), -1);
    EXPECT_EQ(code.StoreCode(0x10, 0xAA, 3, 0, 1, true), Result::kStored);
    EXPECT_EQ(code.LineOfAddress(0x10), -1); // pass 1 keeps no lines
    EXPECT_EQ(code.StoreCode(0x10, 0xBB, 3, 0, 2, true), Result::kStored);
    EXPECT_EQ(code.StoreCode(0x10, 0xCC, 9, 1, 2, true), Result::kOverlap);
    EXPECT_EQ(code.StoreCode(0x10, 0xDD, 11, 1, 2, true), Result::kStored); // once only
    EXPECT_EQ(code.ReadCodeByte(0x10), 0xDD);
    EXPECT_EQ(code.LineOfAddress(0x10), 11);
    EXPECT_EQ(code.ModuleOfAddress(0x10), 1);
    EXPECT_EQ(code.HighestAddress(), 0x10);

    EXPECT_EQ(code.StoreCode(-1, 1, 0, 0, 2, true), Result::kOutOfRange);
    EXPECT_EQ(code.StoreCode(0x10000, 1, 0, 0, 2, true), Result::kOutOfRange);
    EXPECT_EQ(code.HighestAddress(), 0x10);
    EXPECT_EQ(code.ReadCodeByte(0x10010), 0xDD); // reads wrap at 64 KB
    EXPECT_EQ(code.LineOfAddress(0x10010), 0);   // lines do not

    code.ClearCode();
    EXPECT_EQ(code.HighestAddress(), -1);
    EXPECT_EQ(code.Cell(0x10).line, -1);
    EXPECT_EQ(code.StoreCode(0x10, 1, 1, 0, 2, true), Result::kStored);
    EXPECT_EQ(code.StoreCode(0x10, 1, 1, 0, 2, true), Result::kOverlap); // flag cleared
}

TEST(CodeMemoryTest, AddressOfLineSearchesUpToTheLastAddress)
{
    CCodeMemory code;
    code.StoreCode(0x20, 1, 5, 0, 2, true);
    code.StoreCode(0x21, 1, 5, 0, 2, true);
    code.StoreCode(0x08, 1, 5, 1, 2, true);
    EXPECT_EQ(code.AddressOfLine(0, 5, 0xFFFF), 0x20);
    EXPECT_EQ(code.AddressOfLine(1, 5, 0xFFFF), 0x08);
    EXPECT_EQ(code.AddressOfLine(0, 5, 0x1F), -1);
    EXPECT_EQ(code.AddressOfLine(0, 6, 0xFFFF), -1);
    EXPECT_EQ(code.AddressOfLine(0, 5, 0x7FFFFFFF), 0x20);
}

TEST(CodeMemoryTest, ExecutionCountsSurviveUntilReset)
{
    CCodeMemory code;
    code.AddExecution(0x100);
    code.AddExecution(0x100);
    code.AddExecution(0x10100); // wraps
    EXPECT_EQ(code.ExecutionCount(0x100), 3u);
    code.ResetExecutionCounts();
    EXPECT_EQ(code.ExecutionCount(0x100), 0u);
}

// A clear right after a clear is skipped, so every way of writing must count
// as a write, including one through the run loop's counting pointer.
TEST(CodeMemoryTest, ClearingAfterEveryKindOfWriteLeavesAnEmptyImage)
{
    const std::vector<std::pair<const char*, void (*)(CCodeMemory&)>> writes = {
        {"StoreCode", [](CCodeMemory& c) { c.StoreCode(0x1234, 0x55, 7, 2, 2, true); }},
        {"WriteCodeByte", [](CCodeMemory& c) { c.WriteCodeByte(0x1234, 0x55); }},
        {"AddExecution", [](CCodeMemory& c) { c.AddExecution(0x1234); }},
        {"ExecutionCounts", [](CCodeMemory& c) { c.ExecutionCounts()[0x1234] = 9; }},
    };
    for (const auto& [name, write] : writes) {
        CCodeMemory code;
        code.ClearCode();
        write(code);
        code.ClearCode();
        const CodeType cell = code.Cell(0x1234);
        EXPECT_EQ(cell.value, 0) << name;
        EXPECT_EQ(cell.line, -1) << name;
        EXPECT_EQ(cell.module, -1) << name;
        EXPECT_EQ(cell.executions, 0u) << name;
        EXPECT_EQ(code.HighestAddress(), -1) << name;
        code.WriteCodeByte(0x1234, 0x66); // and again after a second clear
        code.ClearCode();
        EXPECT_EQ(code.ReadCodeByte(0x1234), 0) << name;
    }
}

TEST(ModuleListTest, PathsAreNumberedOnceIgnoringCase)
{
    CModuleList modules;
    EXPECT_EQ(modules.AddModule("/src/Main.a51"), 0);
    EXPECT_EQ(modules.AddModule("/src/defs.inc"), 1);
    EXPECT_EQ(modules.AddModule("/SRC/DEFS.INC"), 1);
    EXPECT_EQ(modules.FindModule("/src/main.A51"), 0);
    EXPECT_EQ(modules.FindModule("/src/other.a51"), -1);
    EXPECT_EQ(modules.ModulePath(1), "/src/defs.inc");
    EXPECT_EQ(modules.ModulePath(2), "");
    modules.ClearModules();
    EXPECT_EQ(modules.Count(), 0);
}

} // namespace
