#include <gtest/gtest.h>

#include <climits>

#include "app/window_geometry.h"
#include "common/settings_store.h"

namespace {

WindowPlacementType Current()
{
    WindowPlacementType current;
    current.maximized = 0;
    current.flags = 2;
    current.showState = 3;
    current.minX = -1;
    current.minY = -2;
    current.maxX = -3;
    current.maxY = -4;
    current.normal = {100, 50, 900, 650};
    return current;
}

TEST(MainFramePlacementTest, FormatAndParseRoundTrip)
{
    WindowPlacementType placement = Current();
    placement.maximized = 1;
    std::string text = FormatMainFramePlacement(placement);
    EXPECT_EQ(text, "1, 2, 3, -1, -2, -3, -4, 100, 50, 900, 650");
    EXPECT_EQ(ParseMainFramePlacement(text, WindowPlacementType{}), placement);
}

TEST(MainFramePlacementTest, FourFieldsTakeDefaultsAndTheCurrentCoordinates)
{
    WindowPlacementType parsed = ParseMainFramePlacement("0, 0, 2, 10", Current());
    EXPECT_EQ(parsed.maximized, 0);
    EXPECT_EQ(parsed.flags, 0);
    EXPECT_EQ(parsed.showState, 2);
    EXPECT_EQ(parsed.minX, 10);
    EXPECT_EQ(parsed.minY, -2);
    EXPECT_EQ(parsed.maxY, -4);
    EXPECT_EQ(parsed.normal, (RectType{100, 50, 900, 650}));
}

TEST(MainFramePlacementTest, EmptyFieldsTakeTheirDefaults)
{
    WindowPlacementType parsed = ParseMainFramePlacement("", Current());
    EXPECT_EQ(parsed.maximized, 1);
    EXPECT_EQ(parsed.flags, 0);
    EXPECT_EQ(parsed.showState, 1);
    EXPECT_EQ(parsed.normal, Current().normal);

    parsed = ParseMainFramePlacement(",,,,,,,, 7,,", Current());
    EXPECT_EQ(parsed.showState, 1);
    EXPECT_EQ(parsed.normal, (RectType{100, 7, 900, 650}));
    // Each field keeps 18 characters: the rest of an overlong one is dropped.
    parsed = ParseMainFramePlacement("0,0,1,0,0,0,0,00000000000000000123456,0,10,10", Current());
    EXPECT_EQ(parsed.normal.left, 1);
}

TEST(ScreenClampTest, AWindowSavedOnAMissingSecondMonitorComesBackInside)
{
    // Saved at x 2000-2800 on a monitor right of a 1920x1080 one that is gone.
    WindowPlacementType parsed =
        ParseMainFramePlacement("0, 0, 1, -1, -1, -1, -1, 2000, 100, 2800, 700", Current());
    RectType clamped = ClampToScreen(parsed.normal, 1920, 1080);
    EXPECT_EQ(clamped, (RectType{1120, 100, 1920, 700}));
}

TEST(ScreenClampTest, ShiftsKeepTheSizeUnlessTheWindowIsLargerThanTheScreen)
{
    struct Case
    {
        RectType in;
        RectType out;
    };
    const Case cases[] = {
        {{-50, -20, 150, 80}, {0, 0, 200, 100}},      {{10, 10, 200, 100}, {10, 10, 200, 100}},
        {{700, 500, 900, 700}, {600, 400, 800, 600}}, {{-10, -10, 1000, 900}, {0, 0, 800, 600}},
        {{INT_MIN, 0, INT_MAX, 10}, {0, 0, 800, 10}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampToScreen(c.in, 800, 600), c.out)
            << c.in.left << "," << c.in.top << "," << c.in.right << "," << c.in.bottom;
    }
}

TEST(MainFramePlacementTest, SavedPlacementIsRestoredInsideTheScreen)
{
    CMemorySettingsStore store;
    EXPECT_FALSE(MainFrameStartsMaximized(store));
    // Nothing stored: the current placement with the documented defaults.
    WindowPlacementType restored = RestoreMainFramePlacement(store, Current(), 1920, 1080);
    EXPECT_EQ(restored.normal, Current().normal);
    EXPECT_EQ(restored.showState, 1);

    WindowPlacementType saved = Current();
    saved.normal = {-300, 900, 500, 1300};
    SaveMainFramePlacement(store, saved, true);
    EXPECT_TRUE(MainFrameStartsMaximized(store));
    restored = RestoreMainFramePlacement(store, WindowPlacementType{}, 1920, 1080);
    EXPECT_EQ(restored.normal, (RectType{0, 680, 800, 1080}));
    EXPECT_EQ(restored.flags, saved.flags);
}

TEST(ChildPlacementTest, OnlyTheFirstWindowIntoAnEmptyAreaOpensMaximized)
{
    CMemorySettingsStore store;
    EXPECT_FALSE(ChildStartsMaximized(false, false, store));
    store.WriteInt("WindowPlacement", "OpenClientMaximized", 1);
    EXPECT_TRUE(ChildStartsMaximized(false, false, store));
    EXPECT_FALSE(ChildStartsMaximized(true, false, store));
    EXPECT_FALSE(ChildStartsMaximized(false, true, store));
}

TEST(ChildPlacementTest, StoredAsTopLeftBottomRight)
{
    RectType rect{10, 20, 300, 400};
    EXPECT_EQ(FormatChildPlacement(rect), "20,10,400,300");
    EXPECT_EQ(ParseChildPlacement("20,10,400,300"), rect);
    EXPECT_EQ(ParseChildPlacement("5"), (RectType{0, 5, 0, 0}));
}

TEST(ChildPlacementTest, StartRectanglePrefersTheRecordThenTheSavedPlacement)
{
    CMemorySettingsStore store;
    store.WriteString("WindowPlacement", "OutputWindow", "400,0,560,800");

    auto fromRecord = ChooseChildStartRect({10, 20, 110, 220}, "OutputWindow", store);
    EXPECT_EQ(fromRecord, (ChildGeometryType{10, 20, 100, 200}));

    auto fromSaved = ChooseChildStartRect({}, "OutputWindow", store);
    EXPECT_EQ(fromSaved, (ChildGeometryType{0, 400, 800, 160}));

    EXPECT_EQ(ChooseChildStartRect({}, "DumpWindow", store), std::nullopt);
    EXPECT_EQ(ChooseChildStartRect({}, "", store), std::nullopt);
}

TEST(ChildPlacementTest, RectanglesWithoutAreaArePassedOver)
{
    CMemorySettingsStore store;
    store.WriteString("WindowPlacement", "DumpWindow", "0,0,100,100");
    // An inverted record rectangle falls back to the saved placement.
    EXPECT_EQ(ChooseChildStartRect({500, 0, 100, 50}, "DumpWindow", store),
              (ChildGeometryType{0, 0, 100, 100}));
    EXPECT_EQ(ChooseChildStartRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, "WatchWindow", store),
              std::nullopt);
    store.WriteString("WindowPlacement", "WatchWindow", "garbage");
    EXPECT_EQ(ChooseChildStartRect({}, "WatchWindow", store), std::nullopt);
}

// A sample client area and frame: W 1000, H 600, dh = 2*(230-200) = 60,
// dw = (310-300)-2 = 8.
constexpr RectType kArea{0, 0, 1000, 600};
constexpr FrameMetricsType kFrame{310, 230, 300, 200};

TEST(ArrangeDefaultTest, EachKindTakesItsDefaultPlace)
{
    struct Case
    {
        WindowKind kind;
        RectType expected;
    };
    // Worked by hand from the layout: split x = 1000-200-8+1 = 793,
    // split y = 600-120-60+1 = 421, side right = 1000-8+2 = 994,
    // bottom = 600-45 = 555, register end = 600-400-60+2 = 142,
    // dump end = 0+400-60+1 = 341.
    const Case cases[] = {
        {WindowKind::kSource, {0, 0, 793, 421}},     {WindowKind::kOutput, {0, 421, 793, 555}},
        {WindowKind::kRegister, {793, 0, 994, 142}}, {WindowKind::kDump, {793, 142, 994, 341}},
        {WindowKind::kWatch, {793, 341, 994, 555}},
    };
    const RectType current{1, 2, 3, 4};
    for (const Case& c : cases) {
        EXPECT_EQ(ArrangeDefault(c.kind, kArea, kFrame, current), c.expected)
            << KindInfo(c.kind).documentName;
    }
    for (WindowKind kind : {WindowKind::kPort, WindowKind::kDram, WindowKind::kIram,
                            WindowKind::kXram, WindowKind::kConReg}) {
        EXPECT_EQ(ArrangeDefault(kind, kArea, kFrame, current), current)
            << KindInfo(kind).documentName;
    }
}

TEST(ArrangeDefaultTest, DivisionsTruncateTowardZero)
{
    // Odd sizes and an area off the origin: W 1003, H 599, dh 2, dw -1.
    const RectType area{-7, 11, 996, 610};
    const FrameMetricsType frame{100, 101, 99, 100};
    EXPECT_EQ(ArrangeDefault(WindowKind::kSource, area, frame, {}),
              (RectType{-7, 11, 996 - 200 + 1 + 1, 610 - 119 - 2 + 1}));
    // (3*dh)/4 with dh = -2 truncates to -1, not -2.
    const FrameMetricsType shrunk{100, 99, 99, 100};
    EXPECT_EQ(ArrangeDefault(WindowKind::kWatch, area, shrunk, {}).bottom, 611);
    EXPECT_EQ(ArrangeDefault(WindowKind::kDump, area, frame, {}).bottom, 11 + 399 - 2 + 1);
}

} // namespace
