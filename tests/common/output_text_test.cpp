#include <gtest/gtest.h>

#include "common/output_text.h"

TEST(OutputTextTest, TracksLongestLineAndFindsLinesIgnoringCase)
{
    COutputText out;
    out.AddLine("Error: a.a51 (3):  Invalid base");
    out.AddLine(std::string("short"));
    EXPECT_EQ(out.GetLineCount(), 2u);
    EXPECT_EQ(out.GetLongestLength(), 31u);
    EXPECT_TRUE(out.ContainsNoCase("ERROR: A.A51 (3):  INVALID BASE"));
    EXPECT_FALSE(out.ContainsNoCase("Error: a.a51 (4):  Invalid base"));
    EXPECT_EQ(out.GetLine(5), "");

    out.Clear();
    EXPECT_EQ(out.GetLineCount(), 0u);
    EXPECT_EQ(out.GetLongestLength(), 0u);
    EXPECT_FALSE(out.ContainsNoCase("short"));
}

TEST(OutputTextTest, RepeatCheckSurvivesGrowthOfTheStore)
{
    COutputText out;
    // Short lines live inside their strings and move when the store grows.
    for (int i = 0; i < 5000; ++i) {
        out.AddLine("L" + std::to_string(i));
        if (i % 997 == 0) {
            EXPECT_TRUE(out.ContainsNoCase("l" + std::to_string(i)));
        }
    }
    for (int i = 0; i < 5000; i += 7) {
        EXPECT_TRUE(out.ContainsNoCase("l" + std::to_string(i))) << i;
    }
    EXPECT_FALSE(out.ContainsNoCase("L5000"));
}

// The output windows redraw when the revision moves; every change must move it.
TEST(OutputTextTest, RevisionMovesWithEveryLineAndClear)
{
    COutputText output;
    CSeenRevision seen;
    seen.Update(output.Revision());
    output.AddLine("a");
    EXPECT_TRUE(seen.Update(output.Revision()));
    EXPECT_FALSE(seen.Update(output.Revision()));
    (void)output.GetLine(0);
    (void)output.ContainsNoCase("A");
    EXPECT_FALSE(seen.Update(output.Revision()));
    output.Clear();
    EXPECT_TRUE(seen.Update(output.Revision()));
}

TEST(OutputTextTest, LinesKeepTheLocationTheyName)
{
    COutputText out;
    out.AddLine("Assembling x.a51");
    out.AddLine("Error: x.a51 (12):  Invalid base", OutputLocationType{"x.a51", 11});
    out.AddLine("no place", OutputLocationType{"", 4}); // a location without a file is none
    out.AddLine("Done");
    EXPECT_FALSE(out.GetLocation(0).IsSet());
    EXPECT_EQ(out.GetLocation(1), (OutputLocationType{"x.a51", 11}));
    EXPECT_FALSE(out.GetLocation(2).IsSet());
    EXPECT_FALSE(out.GetLocation(3).IsSet());
    EXPECT_FALSE(out.GetLocation(99).IsSet());
    EXPECT_EQ(out.GetLine(1), "Error: x.a51 (12):  Invalid base");

    out.Clear();
    out.AddLine("first");
    EXPECT_FALSE(out.GetLocation(0).IsSet());
    EXPECT_FALSE(out.GetLocation(1).IsSet());
}
