#include <gtest/gtest.h>

#include "app/open_file_list.h"
#include "app/recent_list.h"
#include "common/settings_keys.h"
#include "common/settings_store.h"

namespace {

std::vector<std::string> Entries(const CRecentList& list)
{
    std::vector<std::string> entries;
    for (int slot = 0; slot < CRecentList::kSlots; ++slot) {
        entries.push_back(list.Entry(slot));
    }
    return entries;
}

TEST(RecentListTest, AddingAPathAgainMovesItToSlotOneWithoutDuplicating)
{
    CMemorySettingsStore store;
    CRecentList list(settings::kRecentFileKey);
    for (const char* path : {"d", "c", "b", "a"}) {
        list.Add(store, path);
    }
    ASSERT_EQ(Entries(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.Add(store, "c");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"c", "a", "b", "d"}));
    EXPECT_EQ(store.ReadString("Recent File List", "File1", ""), "c");
    EXPECT_EQ(store.ReadString("Recent File List", "File2", ""), "a");
    EXPECT_EQ(store.ReadString("Recent File List", "File4", ""), "d");
}

TEST(RecentListTest, AFifthDistinctPathDropsTheOldest)
{
    CMemorySettingsStore store;
    CRecentList list(settings::kRecentWorkspaceKey);
    for (const char* path : {"1", "2", "3", "4", "5"}) {
        list.Add(store, path);
    }
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"5", "4", "3", "2"}));
    EXPECT_EQ(store.ReadString("Recent File List", "Workspace4", ""), "2");
    EXPECT_FALSE(store.Contains("Recent File List", "File1"));
}

TEST(RecentListTest, CompareIsExactSoCaseVariantsAreDistinct)
{
    CMemorySettingsStore store;
    CRecentList list(settings::kRecentFileKey);
    list.Add(store, "/w/A.a51");
    list.Add(store, "/w/a.a51");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"/w/a.a51", "/w/A.a51", "", ""}));
}

TEST(OpenFileListTest, MaintenanceRules)
{
    COpenFileList list;
    const uint64_t start = list.Revision().Value();
    list.AddOpenFile("A.A51");
    list.AddOpenFile("B.A51");
    list.AddOpenFile("A.A51"); // already listed: stays where it is
    list.AddOpenFile("C.A51");
    EXPECT_EQ(list.Titles(), (std::vector<std::string>{"C.A51", "B.A51", "A.A51"}));
    list.MoveToFront(2);
    EXPECT_EQ(list.Titles(), (std::vector<std::string>{"A.A51", "C.A51", "B.A51"}));
    list.MoveToFront(9); // no such entry
    list.RemoveOpenFile("C.A51");
    list.RemoveOpenFile("missing");
    EXPECT_EQ(list.Titles(), (std::vector<std::string>{"A.A51", "B.A51"}));
    EXPECT_EQ(list.IndexOf("B.A51"), 1);
    EXPECT_EQ(list.IndexOf("b.a51"), -1);
    // Three adds, one move and one removal changed the list; the rest did not.
    EXPECT_EQ(list.Revision().Value() - start, 5u);
    list.Rebuild({"x", "y", "x"});
    EXPECT_EQ(list.Titles(), (std::vector<std::string>{"y", "x"}));
    EXPECT_EQ(list.Revision().Value() - start, 6u);
}


} // namespace
