#include "app/window_geometry.h"

#include <array>
#include <cstdint>
#include <limits>

#include "app/workspace_format.h"
#include "common/settings_keys.h"
#include "common/text_util.h"

namespace {

int Saturate(int64_t value)
{
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

// One field as the stored formats read it: at most 18 characters, empty
// meaning "not given".
std::optional<int> FieldValue(const std::vector<std::string_view>& fields, size_t index)
{
    if (index >= fields.size()) {
        return std::nullopt;
    }
    std::string_view field = fields[index].substr(0, kNumberFieldLength);
    if (field.empty()) {
        return std::nullopt;
    }
    return ParseWorkspaceNumber(field);
}

// Shifts one axis of a rectangle into [0, limit].
void ClampAxis(int64_t& low, int64_t& high, int64_t limit)
{
    if (low < 0) {
        high -= low;
        low = 0;
    }
    if (high > limit) {
        low -= high - limit;
        high = limit;
        if (low < 0) {
            low = 0;
        }
    }
}

} // namespace

std::string FormatMainFramePlacement(const WindowPlacementType& p)
{
    return StrFormat("%d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d", p.maximized, p.flags,
                     p.showState, p.minX, p.minY, p.maxX, p.maxY, p.normal.left, p.normal.top,
                     p.normal.right, p.normal.bottom);
}

namespace {

// The fields of a placement in the order of the stored string.
std::array<int*, 11> FieldsOf(WindowPlacementType& p)
{
    return {&p.maximized, &p.flags,       &p.showState,  &p.minX,         &p.minY,         &p.maxX,
            &p.maxY,      &p.normal.left, &p.normal.top, &p.normal.right, &p.normal.bottom};
}

} // namespace

WindowPlacementType ParseMainFramePlacement(std::string_view text,
                                            const WindowPlacementType& current)
{
    std::vector<std::string_view> fields = SplitAtCommas(text);
    WindowPlacementType result = current;
    result.maximized = 1; // read, never used
    result.flags = 0;
    result.showState = 1;
    std::array<int*, 11> targets = FieldsOf(result);
    for (size_t i = 0; i < targets.size(); ++i) {
        *targets[i] = FieldValue(fields, i).value_or(*targets[i]);
    }
    return result;
}

RectType ClampToScreen(const RectType& rect, int screenWidth, int screenHeight)
{
    int64_t left = rect.left;
    int64_t top = rect.top;
    int64_t right = rect.right;
    int64_t bottom = rect.bottom;
    ClampAxis(top, bottom, screenHeight);
    ClampAxis(left, right, screenWidth);
    return {Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}

WindowPlacementType RestoreMainFramePlacement(ISettingsStore& store,
                                              const WindowPlacementType& current, int screenWidth,
                                              int screenHeight)
{
    WindowPlacementType placement =
        ParseMainFramePlacement(ReadSetting(store, settings::kMainFrame), current);
    placement.normal = ClampToScreen(placement.normal, screenWidth, screenHeight);
    return placement;
}

void SaveMainFramePlacement(ISettingsStore& store, const WindowPlacementType& placement,
                            bool maximized)
{
    WriteSetting(store, settings::kMainFrame, FormatMainFramePlacement(placement));
    WriteSetting(store, settings::kMainFrameZoomed, maximized ? 1 : 0);
}

bool MainFrameStartsMaximized(ISettingsStore& store)
{
    return ReadSetting(store, settings::kMainFrameZoomed) != 0;
}

bool ChildStartsMaximized(bool otherChildActive, bool activatedBefore, ISettingsStore& store)
{
    return !otherChildActive && !activatedBefore &&
           ReadSetting(store, settings::kOpenClientMaximized) != 0;
}

std::string FormatChildPlacement(const RectType& rect)
{
    return StrFormat("%d,%d,%d,%d", rect.top, rect.left, rect.bottom, rect.right);
}

RectType ParseChildPlacement(std::string_view text)
{
    std::vector<std::string_view> fields = SplitAtCommas(text);
    RectType rect;
    rect.top = FieldValue(fields, 0).value_or(0);
    rect.left = FieldValue(fields, 1).value_or(0);
    rect.bottom = FieldValue(fields, 2).value_or(0);
    rect.right = FieldValue(fields, 3).value_or(0);
    return rect;
}

namespace {

std::optional<ChildGeometryType> GeometryOf(const RectType& rect)
{
    int64_t width = int64_t{rect.right} - rect.left;
    int64_t height = int64_t{rect.bottom} - rect.top;
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() ||
        height > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return ChildGeometryType{rect.left, rect.top, static_cast<int>(width),
                             static_cast<int>(height)};
}

} // namespace

std::optional<ChildGeometryType>
ChooseChildStartRect(const RectType& recordRect, const char* placementName, ISettingsStore& store)
{
    if (!recordRect.IsZero()) {
        if (auto geometry = GeometryOf(recordRect)) {
            return geometry;
        }
    }
    if (placementName == nullptr || *placementName == '\0') {
        return std::nullopt;
    }
    std::string saved = store.ReadString(settings::kWindowPlacement, placementName, "");
    if (saved.empty()) {
        return std::nullopt;
    }
    return GeometryOf(ParseChildPlacement(saved));
}

namespace {

// The edges of the default layout, in terms of the area and the margins.
enum class Edge
{
    kAreaLeft,
    kAreaTop,
    kSplitX,      // R - W/5 - dw + 1: right of the sources, left of the side column
    kSplitY,      // B - H/5 - dh + 1: below the sources, above the output
    kSideRight,   // R - dw + 2
    kBottom,      // B - (3*dh)/4
    kRegisterEnd, // B - (2*H)/3 - dh + 2
    kDumpEnd      // T + (2*H)/3 - dh + 1
};

struct ArrangeRowType
{
    WindowKind kind;
    Edge left;
    Edge top;
    Edge right;
    Edge bottom;
};

constexpr std::array<ArrangeRowType, 5> kArrangeTable{{
    {WindowKind::kSource, Edge::kAreaLeft, Edge::kAreaTop, Edge::kSplitX, Edge::kSplitY},
    {WindowKind::kOutput, Edge::kAreaLeft, Edge::kSplitY, Edge::kSplitX, Edge::kBottom},
    {WindowKind::kRegister, Edge::kSplitX, Edge::kAreaTop, Edge::kSideRight, Edge::kRegisterEnd},
    {WindowKind::kDump, Edge::kSplitX, Edge::kRegisterEnd, Edge::kSideRight, Edge::kDumpEnd},
    {WindowKind::kWatch, Edge::kSplitX, Edge::kDumpEnd, Edge::kSideRight, Edge::kBottom},
}};

int64_t EdgeValue(Edge edge, const RectType& area, int64_t dh, int64_t dw)
{
    const int64_t l = area.left;
    const int64_t t = area.top;
    const int64_t r = area.right;
    const int64_t b = area.bottom;
    const int64_t w = r - l;
    const int64_t h = b - t;
    switch (edge) {
    case Edge::kAreaLeft:
        return l;
    case Edge::kAreaTop:
        return t;
    case Edge::kSplitX:
        return r - w / 5 - dw + 1;
    case Edge::kSplitY:
        return b - h / 5 - dh + 1;
    case Edge::kSideRight:
        return r - dw + 2;
    case Edge::kBottom:
        return b - (3 * dh) / 4;
    case Edge::kRegisterEnd:
        return b - (2 * h) / 3 - dh + 2;
    case Edge::kDumpEnd:
        return t + (2 * h) / 3 - dh + 1;
    }
    return 0;
}

} // namespace

RectType ArrangeDefault(WindowKind kind, const RectType& area, const FrameMetricsType& metrics,
                        const RectType& current)
{
    const int64_t dh = 2 * (int64_t{metrics.frameHeight} - metrics.clientHeight);
    const int64_t dw = (int64_t{metrics.frameWidth} - metrics.clientWidth) - 2;
    for (const ArrangeRowType& row : kArrangeTable) {
        if (row.kind == kind) {
            return {Saturate(EdgeValue(row.left, area, dh, dw)),
                    Saturate(EdgeValue(row.top, area, dh, dw)),
                    Saturate(EdgeValue(row.right, area, dh, dw)),
                    Saturate(EdgeValue(row.bottom, area, dh, dw))};
        }
    }
    return current;
}
