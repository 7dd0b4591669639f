#include <gtest/gtest.h>

#include <fstream>

#include "app/source_document.h"
#include "app_fakes.h"
#include "scratch_dir.h"

namespace {

// The document takes a path (and its title) only from a load or a save that
// worked, so a failed Save As never leaves it pointing at a file it did not write.
TEST(SourceDocumentTest, PathAndTitleChangeOnlyOnSuccess)
{
    CScratchDir dir;
    CRecordingSink sink;
    CSourceDocument document(&sink);
    EXPECT_FALSE(document.Save()); // never saved: no path to save to
    EXPECT_FALSE(document.Load(dir.File("missing.a51")));
    EXPECT_EQ(document.Path(), "");

    std::ofstream(dir.Path() / "blink.a51", std::ios::binary) << "\tNOP\r\n";
    ASSERT_TRUE(document.Load(dir.File("blink.a51")));
    EXPECT_EQ(document.Title(), "blink.a51");

    EXPECT_FALSE(document.SaveAs(dir.File("no/such/dir/x.a51")));
    EXPECT_EQ(document.Path(), dir.File("blink.a51"));
    EXPECT_EQ(document.Title(), "blink.a51");

    ASSERT_TRUE(document.SaveAs(dir.File("copy.a51")));
    EXPECT_EQ(document.Path(), dir.File("copy.a51"));
    EXPECT_EQ(document.Title(), "copy.a51");
    EXPECT_EQ(FileTitle("C:\\work\\BLINK.A51"), "BLINK.A51");
}

} // namespace
