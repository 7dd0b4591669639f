#pragma once

#include <array>
#include <string>
#include <string_view>

// The document kinds, in template order: the order windows are written to a
// workspace file. The stack and serial windows came after the first ten.
enum class WindowKind
{
    kSource,
    kOutput,
    kDump,
    kRegister,
    kPort,
    kDram,
    kIram,
    kXram,
    kWatch,
    kConReg,
    kStack,
    kSerial
};

struct WindowKindInfoType
{
    WindowKind kind;
    int resourceId;
    const char* documentName;  // identifies the kind in a workspace record
    const char* placementName; // WindowPlacement key of the kind's last rectangle
    int shortNameId;           // string the View commands look the kind up by
};

inline constexpr std::array<WindowKindInfoType, 12> kWindowKinds{{
    {WindowKind::kSource, 129, "8051", "SourceWindow", 128},
    {WindowKind::kOutput, 102, "Output", "OutputWindow", 101},
    {WindowKind::kDump, 131, "Dump", "DumpWindow", 130},
    {WindowKind::kRegister, 104, "Register", "RegisterWindow", 103},
    {WindowKind::kPort, 106, "Port", "PortWindow", 105},
    {WindowKind::kDram, 108, "DRAM", "DRAMWindow", 107},
    {WindowKind::kIram, 110, "IRAM", "IRAMWindow", 109},
    {WindowKind::kXram, 112, "XRAM", "XRAMWindow", 111},
    {WindowKind::kWatch, 114, "Watch", "WatchWindow", 113},
    {WindowKind::kConReg, 118, "ConReg", "ConRegWindow", 117},
    {WindowKind::kStack, 120, "Stack", "StackWindow", 119},
    {WindowKind::kSerial, 122, "Serial", "SerialWindow", 121},
}};

const WindowKindInfoType& KindInfo(WindowKind kind);
// Exact compare, as workspace records are matched.
const WindowKindInfoType* FindKindByDocumentName(std::string_view documentName);
const WindowKindInfoType* FindKindByResourceId(int resourceId);
const WindowKindInfoType* FindKindByShortNameId(int shortNameId);

// The template's document string: window title, document name, new-file
// name, filter name, extension, file type id and file type name.
std::string DocumentString(WindowKind kind);
