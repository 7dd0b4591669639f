#pragma once

#include <array>

// Command ids of the lists the model keeps menus for.
namespace menu_ids {

inline constexpr std::array<int, 4> kRecentFiles{57616, 57617, 57618, 57619};
inline constexpr std::array<int, 4> kRecentWorkspaces{32840, 32842, 32843, 32844};

// "Edit file 1" to "Edit file 20". 32869 and 32873-32878 belong to other
// commands, hence the gaps.
inline constexpr std::array<int, 20> kEditFiles{32863, 32864, 32865, 32866, 32867, 32868, 32870,
                                                32871, 32872, 32879, 32880, 32881, 32882, 32883,
                                                32884, 32885, 32886, 32887, 32888, 32889};

struct WindowMenuCommandType
{
    int id;
    const char* text;
};

// The fixed part of the Window menu, in menu order.
inline constexpr std::array<WindowMenuCommandType, 5> kWindowCommands{{
    {32874, "&New Window"},
    {32875, "&Cascade"},
    {32876, "&Tile"},
    {32877, "&Arrange Icons"},
    {32878, "Arrange Windows"},
}};

inline constexpr int kWindowMenuPosition = 7;
inline constexpr int kOpenWorkspace = 32831;
inline constexpr int kSaveWorkspace = 32832;
inline constexpr int kCloseWorkspace = 32833;
inline constexpr int kDefaults = 32776;
inline constexpr int kArrangeWindows = 32878;

} // namespace menu_ids
