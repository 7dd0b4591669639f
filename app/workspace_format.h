#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"

// The workspace file (.wsp): "Key=value" lines ended by CR LF, written whole
// in a fixed order, read by the rules of ReadWorkspace.

// Lines longer than this are taken in pieces, each read as its own line. Far
// above any path the platform allows, so that paths are always read whole.
inline constexpr size_t kLinePieceLength = 16384;
// No real workspace comes near these; a corrupt or hostile file could
// otherwise open windows and buttons without end.
inline constexpr size_t kMaxWindowRecords = 1000;
inline constexpr size_t kMaxButtons = 1000;
// A number field of a window record or a placement keeps this many characters.
inline constexpr size_t kNumberFieldLength = 18;

// One window of a workspace: its kind's document name, the document's title
// and path (empty for tool windows and untitled sources), and the frame's
// restored rectangle.
struct WindowRecord
{
    std::string documentName;
    std::string title;
    std::string path;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool operator==(const WindowRecord&) const = default;
};

struct WorkspaceContentType
{
    std::string projectPath;
    int processorType = 1;
    std::string defaultFindDir;
    int sectorSize = 64;
    SimulationOptionsType simulation;
    int loaderType = 0;
    std::vector<WindowRecord> windows; // in file order
    std::vector<std::string> buttons;  // the values of the "VirtButton=" lines
    bool operator==(const WorkspaceContentType&) const = default;
};

// Decimal with optional sign after leading blanks; reading stops at the first
// other character; no digits read as 0; out of range saturates.
int ParseWorkspaceNumber(std::string_view text);
std::vector<std::string_view> SplitAtCommas(std::string_view text);

WindowRecord ParseWindowRecord(std::string_view value);
std::string FormatWindowRecord(const WindowRecord& record);

// Yields the lines of a workspace file. CR, LF and CR LF end a line; reading
// ends at the end of the data or at the first empty line.
class CWorkspaceLineReader
{
public:
    explicit CWorkspaceLineReader(std::istream& in) : in_(in) {}
    bool Next(std::string& line);

private:
    // Consumes one line end at the read position; false when there is none.
    bool SkipLineEnd();

    std::istream& in_;
    bool done_ = false;
};

// Reads a workspace over initial: keys that are missing keep its values.
// Keys are compared with case; unknown keys are ignored.
WorkspaceContentType ReadWorkspace(std::istream& in, const WorkspaceContentType& initial);
// The whole file text, CR LF line ends. A value that holds a line break
// cannot be stored: a text line is written empty, a window or button line
// is left out.
std::string FormatWorkspace(const WorkspaceContentType& content);
