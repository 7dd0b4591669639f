#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/window_kinds.h"
#include "common/settings_store.h"

struct RectType
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool operator==(const RectType&) const = default;
};

// A top-level window's placement as the platform reports it.
struct WindowPlacementType
{
    int maximized = 0;
    int flags = 0;
    int showState = 1; // 1 normal
    int minX = 0;
    int minY = 0;
    int maxX = 0;
    int maxY = 0;
    RectType normal; // the restored rectangle
    bool operator==(const WindowPlacementType&) const = default;
};

// The WindowPlacement/MainFrame value.
std::string FormatMainFramePlacement(const WindowPlacementType& placement);
// Fields are split at commas and keep at most 18 characters; an empty or
// missing field takes its default: maximised 1, flags 0, show state 1, the
// coordinates from current.
WindowPlacementType ParseMainFramePlacement(std::string_view text,
                                            const WindowPlacementType& current);
// Shifts a rectangle into the virtual screen (0, 0, width, height) so that a
// window saved on a monitor that is gone comes back into view.
RectType ClampToScreen(const RectType& rect, int screenWidth, int screenHeight);

// Start-up: the stored MainFrame value over the window's current placement,
// its restored rectangle shifted into the virtual screen.
WindowPlacementType RestoreMainFramePlacement(ISettingsStore& store,
                                              const WindowPlacementType& current, int screenWidth,
                                              int screenHeight);
// When the main window is destroyed.
void SaveMainFramePlacement(ISettingsStore& store, const WindowPlacementType& placement,
                            bool maximized);
// Whether the main window starts maximised (MainFrameZoomed).
bool MainFrameStartsMaximized(ISettingsStore& store);

// A child frame's first activation into an empty client area opens it
// maximised when the last one saved was; otherwise it follows the platform.
bool ChildStartsMaximized(bool otherChildActive, bool activatedBefore, ISettingsStore& store);

// A kind's WindowPlacement value: "%d,%d,%d,%d" as top, left, bottom, right.
std::string FormatChildPlacement(const RectType& rect);
RectType ParseChildPlacement(std::string_view text);

struct ChildGeometryType
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ChildGeometryType&) const = default;
};

// Where a new child window starts: the workspace record's rectangle (all
// zero means none), else its kind's saved placement, else nothing (the
// platform's default). A rectangle with no area is passed over.
std::optional<ChildGeometryType>
ChooseChildStartRect(const RectType& recordRect, const char* placementName, ISettingsStore& store);

// The frame's border sizes, from which ArrangeDefault derives its margins.
struct FrameMetricsType
{
    int frameWidth = 0;
    int frameHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};

// The restored rectangle Arrange Windows gives a frame of kind within area
// (the main window's client rectangle); kinds without a default place keep
// current.
RectType ArrangeDefault(WindowKind kind, const RectType& area, const FrameMetricsType& metrics,
                        const RectType& current);
