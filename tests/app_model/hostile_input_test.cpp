#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "app/window_geometry.h"
#include "app/workspace_format.h"

namespace {

// Random text weighted towards the characters the readers split on.
std::string RandomText(std::mt19937& random, size_t length)
{
    static const char kAlphabet[] = "=,\r\n-+0123456789Window8051VirtButton \t\x00\xff";
    std::uniform_int_distribution<size_t> pick(0, sizeof(kAlphabet) - 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += (i % 7 == 0) ? static_cast<char>(anyByte(random)) : kAlphabet[pick(random)];
    }
    return text;
}

TEST(HostileInputTest, RandomTextNeverBreaksTheReaders)
{
    std::mt19937 random(51);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(random, round % 300);
        std::istringstream in(text);
        WorkspaceContentType content = ReadWorkspace(in, {});
        EXPECT_GE(content.simulation.memoryPages, 0);
        EXPECT_LE(content.simulation.memoryPages, 4);
        EXPECT_GE(content.processorType, 0);
        EXPECT_LT(content.processorType, 4);
        ParseWindowRecord(text);
        ParseMainFramePlacement(text, {});
        ParseChildPlacement(text);
    }
}

TEST(HostileInputTest, EndlessWindowAndButtonLinesAreCapped)
{
    std::string text;
    for (size_t i = 0; i < kMaxWindowRecords + 10; ++i) {
        text += "Window=Output,Output,,0,0,10,10\r\nVirtButton=0,0,1,1,0,B,0,0,0,P1\r\n";
    }
    text += "ProcessorType=0\r\n";
    std::istringstream in(text);
    WorkspaceContentType content = ReadWorkspace(in, {});
    EXPECT_EQ(content.windows.size(), kMaxWindowRecords);
    EXPECT_EQ(content.buttons.size(), kMaxButtons);
    EXPECT_EQ(content.processorType, 0); // reading went on to the end
}

} // namespace
