#include <gtest/gtest.h>

#include "common/output_text.h"
#include "editor/core/find_in_files.h"
#include "editor_test_support.h"

namespace {

class FindInFilesTest : public ::testing::Test
{
protected:
    // Runs the engine to its end, slice by slice, and returns the output.
    std::vector<std::string> Run(const std::string& text, const std::string& filter,
                                 bool subdirectories, bool wholeWords = false,
                                 bool matchCase = false)
    {
        engine_.Start(text, dir_.Path(), filter, &out_, matchCase, wholeWords, subdirectories);
        for (int guard = 0; engine_.IsActive() && guard < 100000; ++guard) {
            engine_.Step();
            ++slices_;
        }
        EXPECT_FALSE(engine_.IsActive());
        std::vector<std::string> lines;
        for (size_t i = 0; i < out_.GetLineCount(); ++i) {
            lines.push_back(out_.GetLine(i));
        }
        return lines;
    }
    std::string P(const std::string& relative) const { return (dir_.Path() / relative).string(); }

    CTempDir dir_;
    COutputText out_;
    CFindInFileClass engine_;
    int slices_ = 0;
};

TEST(FindInFilesFilterTest, PatternsMatchPrefixesWildcardsAndIgnoreCase)
{
    EXPECT_TRUE(MatchFileFilter("*.a51", "main.A51"));
    EXPECT_TRUE(MatchFileFilter("*.a5", "main.a51")); // the pattern's end matches
    EXPECT_TRUE(MatchFileFilter("m?in.*", "MAIN.inc"));
    EXPECT_TRUE(MatchFileFilter("", "anything.txt"));
    EXPECT_TRUE(MatchFileFilter("*", "noext"));
    EXPECT_FALSE(MatchFileFilter("*.a51", "main.inc"));
    EXPECT_FALSE(MatchFileFilter("*.a51", "noext"));
    EXPECT_FALSE(MatchFileFilter("main.a51", "ma.a51"));
    EXPECT_TRUE(MatchWildcard("*.a51", "x.A51"));
    EXPECT_FALSE(MatchWildcard("*.a5", "x.a51"));
    EXPECT_TRUE(MatchWildcard("*.*", "Makefile"));
    EXPECT_TRUE(MatchWildcard("t*t?.a*", "test1.a51"));
    EXPECT_FALSE(MatchWildcard("t*t?.a*", "test.a51"));
}

TEST_F(FindInFilesTest, ListsStartFolderFirstThenSubfoldersBreadthFirstByName)
{
    dir_.Write("b.a51", "mov a,r1\r\nnop\r\nmov r1,a ; r1 twice\r\n");
    dir_.Write("a.a51", "r1\n");
    dir_.Write("notes.txt", "r1\n");
    dir_.Write("sub2/c.a51", "R1\r");
    dir_.Write("sub1/deep/d.a51", "r1");
    dir_.Write("sub1/e.a51", "x\rx\rr1\r");
    const auto lines = Run("r1", "*.a51", true);
    const std::vector<std::string> expected = {
        P("a.a51") + " (1): r1",
        P("b.a51") + " (1): mov a,r1",
        P("b.a51") + " (3): mov r1,a ; r1 twice",
        P("sub1/e.a51") + " (3): r1",
        P("sub2/c.a51") + " (1): R1",
        P("sub1/deep/d.a51") + " (1): r1",
        "6 occurrences have been found.",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(out_.GetLocation(2), (OutputLocationType{P("b.a51"), 2}));
    EXPECT_EQ(out_.GetLocation(3), (OutputLocationType{P("sub1/e.a51"), 2}));
}

TEST_F(FindInFilesTest, WithoutSubfoldersOnlyTheFolderIsSearched)
{
    dir_.Write("a.a51", "hit\n");
    dir_.Write("a.a510", "hit\n"); // the listing's own match: not *.a51
    dir_.Write("sub/b.a51", "hit\n");
    EXPECT_EQ(Run("hit", "*.a51", false),
              (std::vector<std::string>{P("a.a51") + " (1): hit", "1 occurrence has been found."}));
}

TEST_F(FindInFilesTest, CountsZeroAndStaysSilentWhenNoFileMatches)
{
    dir_.Write("a.a51", "nothing here\n");
    EXPECT_EQ(Run("zzz", "*.a51", true),
              std::vector<std::string>{"0 occurrences have been found."});
    out_.Clear();
    out_.AddLine("earlier output");
    EXPECT_EQ(Run("zzz", "*.none", false), std::vector<std::string>{"earlier output"});
    engine_.Start("x", dir_.Path() / "missing", "", &out_, false, false, true);
    EXPECT_FALSE(engine_.IsActive());
}

TEST_F(FindInFilesTest, WholeWordsUseLettersAndDigitsSoACommaSeparates)
{
    dir_.Write("w.a51", "MOV A,R1\nMOV A,R10\nMOV R10,R1\nR1\n_R1\n");
    const auto lines = Run("R1", "*.a51", false, true);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         P("w.a51") + " (1): MOV A,R1",
                         P("w.a51") + " (3): MOV R10,R1",
                         P("w.a51") + " (4): R1",
                         P("w.a51") + " (5): _R1",
                         "4 occurrences have been found.",
                     }));
}

TEST_F(FindInFilesTest, MatchCaseComparesExactlyAndReportsLinesAsWritten)
{
    dir_.Write("c.a51", "Mov A,b\nmov a,b\n");
    EXPECT_EQ(
        Run("mov", "", false, false, true),
        (std::vector<std::string>{P("c.a51") + " (2): mov a,b", "1 occurrence has been found."}));
    EXPECT_EQ(Run("MOV", "", false).size(), 3u);
}

TEST_F(FindInFilesTest, ReadsFiveHundredLinesPerSliceAndKeepsLineNumbers)
{
    std::string text;
    for (int i = 1; i <= 1200; ++i) {
        text += (i % 400 == 0 ? "hit" : "line") + std::string(i % 3 == 0 ? "\r\n" : "\n");
    }
    text += std::string(3000, 'y') + " hit\rlast hit"; // a long line, then a CR one
    dir_.Write("big.a51", text);
    const auto lines = Run("hit", "*.a51", false);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], P("big.a51") + " (400): hit");
    EXPECT_EQ(lines[2], P("big.a51") + " (1200): hit");
    EXPECT_EQ(lines[3], P("big.a51") + " (1201): " + std::string(1024, 'y'));
    EXPECT_EQ(lines[4], P("big.a51") + " (1202): last hit");
    // Each hit keeps its file and 0-based line; the count line names none.
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(out_.GetLocation(i).path, P("big.a51"));
    }
    EXPECT_EQ(out_.GetLocation(0).line, 399);
    EXPECT_EQ(out_.GetLocation(2).line, 1199);
    EXPECT_EQ(out_.GetLocation(4).line, 1201);
    EXPECT_FALSE(out_.GetLocation(5).IsSet());
    EXPECT_GE(slices_, 3);
    EXPECT_LE(slices_, 5);
}

TEST_F(FindInFilesTest, UnreadableFilesAndDirectoryLoopsAreSkipped)
{
    dir_.Write("a.a51", "x\n");
    dir_.Write("sub/b.a51", "x\n");
    std::filesystem::create_directory_symlink(dir_.Path(), dir_.Path() / "sub" / "loop");
    std::filesystem::create_symlink(dir_.Path() / "gone.a51", dir_.Path() / "dangling.a51");
    const auto lines = Run("x", "*.a51", true);
    EXPECT_EQ(lines, (std::vector<std::string>{P("a.a51") + " (1): x", P("sub/b.a51") + " (1): x",
                                               "2 occurrences have been found."}));
}

TEST_F(FindInFilesTest, NothingHappensWhileIdleOrWithAnEmptyText)
{
    dir_.Write("a.a51", "x\n");
    engine_.Step();
    EXPECT_EQ(out_.GetLineCount(), 0u);
    engine_.Start("", dir_.Path(), "", &out_, false, false, false);
    EXPECT_FALSE(engine_.IsActive());
}

} // namespace
