#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "app/workspace_format.h"

namespace {

WorkspaceContentType Read(const std::string& text, const WorkspaceContentType& initial = {})
{
    std::istringstream in(text);
    return ReadWorkspace(in, initial);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::istringstream in(text);
    CWorkspaceLineReader reader(in);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(WorkspaceLinesTest, CrLfCrAloneAndLfAloneEndLines)
{
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Lines(""), (std::vector<std::string>{}));
}

TEST(WorkspaceLinesTest, TheFirstEmptyLineStopsReading)
{
    EXPECT_EQ(Lines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Lines("a\n\nb"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Lines("a\r\rb"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Lines("\r\na"), (std::vector<std::string>{}));
}

TEST(WorkspaceLinesTest, AnOverlongLineContinuesAsTheNextLine)
{
    std::string longLine(kLinePieceLength + 5, 'x');
    auto lines = Lines(longLine + "\r\nend\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), kLinePieceLength);
    EXPECT_EQ(lines[1], "xxxxx");
    EXPECT_EQ(lines[2], "end");
    // A piece that fills exactly is one line, not one line and an empty one.
    lines = Lines(std::string(kLinePieceLength, 'y') + "\r\nend");
    EXPECT_EQ(lines.size(), 2u);
}

TEST(WorkspaceNumberTest, SignedDecimalReadLikeTheFileExpects)
{
    struct Case
    {
        const char* text;
        int value;
    };
    const Case cases[] = {{"12", 12},
                          {"-3", -3},
                          {"+7", 7},
                          {" 42", 42},
                          {"12abc", 12},
                          {"abc", 0},
                          {"", 0},
                          {"-", 0},
                          {"0x10", 0},
                          {"2147483647", INT_MAX},
                          {"99999999999999999", INT_MAX},
                          {"-2147483648", INT_MIN},
                          {"-99999999999999999999999", INT_MIN}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseWorkspaceNumber(c.text), c.value) << c.text;
    }
}

TEST(WorkspaceReadTest, MemoryPagesAreClampedAndKeepTheirStartValueWhenMissing)
{
    WorkspaceContentType initial;
    ASSERT_EQ(initial.simulation.memoryPages, 1);
    EXPECT_EQ(Read("Project=\r\n", initial).simulation.memoryPages, 1);
    EXPECT_EQ(Read("NumberOfMemoryPages=9\r\n").simulation.memoryPages, 4);
    EXPECT_EQ(Read("NumberOfMemoryPages=-3\r\n").simulation.memoryPages, 0);
    EXPECT_EQ(Read("NumberOfMemoryPages=3\r\n").simulation.memoryPages, 3);
}

TEST(WorkspaceReadTest, KeysAreExactUnknownOnesIgnoredAndLinesAfterABlankUnread)
{
    WorkspaceContentType initial;
    initial.processorType = 2;
    initial.sectorSize = 64;
    auto content = Read("processortype=0\r\n"
                        "Colour=red\r\n"
                        "NoEqualsSign\r\n"
                        "SectorSize=128\r\n"
                        "UpdateCount=abc\r\n"
                        "\r\n"
                        "LoaderType=3\r\n",
                        initial);
    EXPECT_EQ(content.processorType, 2);
    EXPECT_EQ(content.sectorSize, 128);
    EXPECT_EQ(content.simulation.updateCount, 0);
    EXPECT_EQ(content.loaderType, 0);
}

TEST(WorkspaceReadTest, AnEmptyProjectValueSelectsNoProject)
{
    WorkspaceContentType initial;
    initial.projectPath = "/old.p51";
    EXPECT_EQ(Read("Project=\r\n", initial).projectPath, "");
    EXPECT_EQ(Read("Project=/a=b.p51\r\n").projectPath, "/a=b.p51");
}

TEST(WorkspaceReadTest, AProcessorTypeNoPartHasKeepsThePreviousOne)
{
    WorkspaceContentType initial;
    initial.processorType = 3;
    EXPECT_EQ(Read("ProcessorType=7\r\n", initial).processorType, 3);
    EXPECT_EQ(Read("ProcessorType=-1\r\n", initial).processorType, 3);
    EXPECT_EQ(Read("ProcessorType=0\r\n", initial).processorType, 0);
}

TEST(WorkspaceReadTest, PagingThroughAnAddressOutsideTheDirectSpaceIsSwitchedOff)
{
    for (const char* address : {"256", "-1"}) {
        auto content = Read(std::string("EnablePagedMemory=1\r\nPagedMemoryControlAddress=") +
                            address + "\r\n");
        EXPECT_EQ(content.simulation.pagedMemory, 0) << address;
    }
    auto content = Read("EnablePagedMemory=1\r\nPagedMemoryControlAddress=255\r\n");
    EXPECT_EQ(content.simulation.pagedMemory, 1);
    EXPECT_EQ(content.simulation.controlAddress, 255);
}

TEST(WindowRecordTest, FieldsSplitAtCommasWithShortNumberFields)
{
    auto record = ParseWindowRecord("8051,BLINK.A51,/w/BLINK.A51,0,-10,420,600");
    EXPECT_EQ(record.documentName, "8051");
    EXPECT_EQ(record.title, "BLINK.A51");
    EXPECT_EQ(record.path, "/w/BLINK.A51");
    EXPECT_EQ(record.top, 0);
    EXPECT_EQ(record.left, -10);
    EXPECT_EQ(record.bottom, 420);
    EXPECT_EQ(record.right, 600);

    record = ParseWindowRecord("Output,Output,,420,,560");
    EXPECT_EQ(record.path, "");
    EXPECT_EQ(record.left, 0);
    EXPECT_EQ(record.bottom, 560);
    EXPECT_EQ(record.right, 0);

    // Only the first 18 characters of a number field count.
    record = ParseWindowRecord("Dump,Dump,,0000000000000000051234,1,2,3");
    EXPECT_EQ(record.top, 5);
    EXPECT_EQ(ParseWindowRecord("").documentName, "");
}

TEST(WindowRecordTest, CommasInTitleAndPathAreKeptApartByTheFileName)
{
    WindowRecord record{"8051", "a,b.a51", "/w,x/a,b.a51", 1, 2, 3, 4};
    std::string text = FormatWindowRecord(record);
    EXPECT_EQ(text, "8051,a,b.a51,/w,x/a,b.a51,1,2,3,4");
    EXPECT_EQ(ParseWindowRecord(text), record);

    record = WindowRecord{"8051", "p.a51", "/w,x/p.a51", 5, 6, 7, 8};
    EXPECT_EQ(ParseWindowRecord(FormatWindowRecord(record)), record);
}

TEST(WorkspaceFormatTest, ValuesWithLineBreaksCannotInjectLines)
{
    WorkspaceContentType content;
    content.projectPath = "/x\r\nProcessorType=0";
    content.windows.push_back({"8051", "a\nb", "/w/a\nb", 1, 2, 3, 4});
    content.windows.push_back({"8051", "ok.a51", "/w/ok.a51", 1, 2, 3, 4});
    content.buttons.push_back("1,2,3,4,0,Go\rProject=/evil,0,0,0,P1");
    WorkspaceContentType initial;
    initial.processorType = 3;
    WorkspaceContentType back = Read(FormatWorkspace(content), initial);
    EXPECT_EQ(back.projectPath, "");
    EXPECT_EQ(back.processorType, 1);
    ASSERT_EQ(back.windows.size(), 1u);
    EXPECT_EQ(back.windows[0].title, "ok.a51");
    EXPECT_TRUE(back.buttons.empty());
}

TEST(WorkspaceFormatTest, WritesTheDocumentedLayoutAndReadsItBack)
{
    WorkspaceContentType content;
    content.projectPath = "/work/blink.p51";
    content.processorType = 1;
    content.defaultFindDir = "/work";
    content.sectorSize = 64;
    content.simulation.memoryPages = 1;
    content.windows.push_back({"8051", "BLINK.A51", "/work/BLINK.A51", 0, 0, 420, 600});
    content.windows.push_back({"Output", "Output", "", 420, 0, 560, 800});
    content.buttons.push_back("10,20,30,40,0,Go,251,0,0,P3");
    const std::string expected = "Project=/work/blink.p51\r\n"
                                 "ProcessorType=1\r\n"
                                 "DefaultFindDir=/work\r\n"
                                 "SectorSize=64\r\n"
                                 "EnablePagedMemory=0\r\n"
                                 "EnablePaged8bitAddressing=0\r\n"
                                 "PagedMemoryControlAddress=0\r\n"
                                 "NumberOfMemoryPages=1\r\n"
                                 "ProcessorVariant=0\r\n"
                                 "LoaderType=0\r\n"
                                 "EnableAutoUpdate=0\r\n"
                                 "UpdateCount=10000\r\n"
                                 "Window=8051,BLINK.A51,/work/BLINK.A51,0,0,420,600\r\n"
                                 "Window=Output,Output,,420,0,560,800\r\n"
                                 "VirtButton=10,20,30,40,0,Go,251,0,0,P3\r\n";
    EXPECT_EQ(FormatWorkspace(content), expected);

    WorkspaceContentType different;
    different.processorType = 3;
    different.sectorSize = 128;
    different.simulation.memoryPages = 4;
    different.simulation.updateCount = 5;
    EXPECT_EQ(Read(expected, different), content);
}

} // namespace
