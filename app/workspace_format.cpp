#include "app/workspace_format.h"

#include <array>
#include <cstdint>
#include <limits>

#include "app/global_options.h"
#include "common/text_util.h"

namespace {

constexpr std::string_view kWindowKey = "Window";
constexpr std::string_view kButtonKey = "VirtButton";

using IntField = int& (*)(WorkspaceContentType&);
using StringField = std::string& (*)(WorkspaceContentType&);
// Maps a value read from a file onto what the program can hold.
using Sanitizer = int (*)(int value, int previous);

struct KeyRowType
{
    const char* key;
    IntField intField;     // null for a text line
    StringField textField; // null for a number line
    Sanitizer sanitize;    // null when every number is accepted
};

int ClampPages(int value, int /*previous*/)
{
    return value < 0 ? 0 : (value > kMaxMemoryPagesIndex ? kMaxMemoryPagesIndex : value);
}

// A processor type no part has would index past the per-type tables.
int KeepValidProcessorType(int value, int previous)
{
    return IsValidProcessorType(value) ? value : previous;
}

// The header lines, in the order they are written.
const std::array<KeyRowType, 12> kKeyTable{{
    {"Project", nullptr, [](WorkspaceContentType& c) -> std::string& { return c.projectPath; },
     nullptr},
    {"ProcessorType", [](WorkspaceContentType& c) -> int& { return c.processorType; }, nullptr,
     KeepValidProcessorType},
    {"DefaultFindDir", nullptr,
     [](WorkspaceContentType& c) -> std::string& { return c.defaultFindDir; }, nullptr},
    {"SectorSize", [](WorkspaceContentType& c) -> int& { return c.sectorSize; }, nullptr, nullptr},
    {"EnablePagedMemory", [](WorkspaceContentType& c) -> int& { return c.simulation.pagedMemory; },
     nullptr, nullptr},
    {"EnablePaged8bitAddressing",
     [](WorkspaceContentType& c) -> int& { return c.simulation.paged8bitAddressing; }, nullptr,
     nullptr},
    {"PagedMemoryControlAddress",
     [](WorkspaceContentType& c) -> int& { return c.simulation.controlAddress; }, nullptr, nullptr},
    {"NumberOfMemoryPages",
     [](WorkspaceContentType& c) -> int& { return c.simulation.memoryPages; }, nullptr, ClampPages},
    {"ProcessorVariant",
     [](WorkspaceContentType& c) -> int& { return c.simulation.processorVariant; }, nullptr,
     nullptr},
    {"LoaderType", [](WorkspaceContentType& c) -> int& { return c.loaderType; }, nullptr, nullptr},
    {"EnableAutoUpdate", [](WorkspaceContentType& c) -> int& { return c.simulation.autoUpdate; },
     nullptr, nullptr},
    {"UpdateCount", [](WorkspaceContentType& c) -> int& { return c.simulation.updateCount; },
     nullptr, nullptr},
}};

int NumberField(std::string_view field)
{
    return ParseWorkspaceNumber(field.substr(0, kNumberFieldLength));
}

std::string_view FileNameOf(std::string_view path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The text between the kind and the four numbers is "title,path". When it
// holds more than one comma, a title or path contains one: the title is the
// path's file name, so the split that makes them agree is the right one.
void SplitTitleAndPath(std::string_view middle, WindowRecord& record)
{
    size_t fallback = middle.find(',');
    for (size_t comma = fallback; comma != std::string_view::npos;
         comma = middle.find(',', comma + 1)) {
        std::string_view title = middle.substr(0, comma);
        std::string_view path = middle.substr(comma + 1);
        if (!path.empty() && FileNameOf(path) == title) {
            record.title = title;
            record.path = path;
            return;
        }
    }
    record.title = middle.substr(0, fallback);
    record.path = fallback == std::string_view::npos ? "" : middle.substr(fallback + 1);
}

} // namespace

int ParseWorkspaceNumber(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int>::max()} + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > kLimit) {
            value = kLimit;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

std::vector<std::string_view> SplitAtCommas(std::string_view text)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        fields.push_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

WindowRecord ParseWindowRecord(std::string_view value)
{
    std::vector<std::string_view> fields = SplitAtCommas(value);
    WindowRecord record;
    record.documentName = fields[0];
    if (fields.size() <= 7) {
        fields.resize(7);
        record.title = fields[1];
        record.path = fields[2];
    } else {
        // Numbers are taken from the end; the rest between belongs to the texts.
        size_t begin = fields[0].size() + 1;
        size_t end = static_cast<size_t>(fields[fields.size() - 4].data() - value.data()) - 1;
        SplitTitleAndPath(value.substr(begin, end - begin), record);
    }
    size_t n = fields.size();
    record.top = NumberField(fields[n - 4]);
    record.left = NumberField(fields[n - 3]);
    record.bottom = NumberField(fields[n - 2]);
    record.right = NumberField(fields[n - 1]);
    return record;
}

std::string FormatWindowRecord(const WindowRecord& record)
{
    return record.documentName + "," + record.title + "," + record.path + "," +
           StrFormat("%d,%d,%d,%d", record.top, record.left, record.bottom, record.right);
}

bool CWorkspaceLineReader::SkipLineEnd()
{
    int c = in_.peek();
    if (c == '\r') {
        in_.get();
        if (in_.peek() == '\n') {
            in_.get();
        }
        return true;
    }
    if (c == '\n') {
        in_.get();
        return true;
    }
    return false;
}

bool CWorkspaceLineReader::Next(std::string& line)
{
    line.clear();
    if (done_) {
        return false;
    }
    while (line.size() < kLinePieceLength) {
        int c = in_.peek();
        if (c == std::char_traits<char>::eof()) {
            break;
        }
        if (c == '\r' || c == '\n') {
            SkipLineEnd();
            done_ = line.empty();
            return !done_;
        }
        line.push_back(static_cast<char>(in_.get()));
    }
    if (line.size() == kLinePieceLength) {
        // A full piece directly followed by its line end is one whole line.
        SkipLineEnd();
        return true;
    }
    done_ = true;
    return !line.empty();
}

WorkspaceContentType ReadWorkspace(std::istream& in, const WorkspaceContentType& initial)
{
    WorkspaceContentType content = initial;
    CWorkspaceLineReader reader(in);
    std::string line;
    while (reader.Next(line)) {
        std::string_view text = line;
        size_t equals = text.find('=');
        std::string_view key = text.substr(0, equals);
        std::string_view value = equals == std::string_view::npos ? "" : text.substr(equals + 1);
        if (key == kWindowKey) {
            if (content.windows.size() < kMaxWindowRecords) {
                content.windows.push_back(ParseWindowRecord(value));
            }
            continue;
        }
        if (key == kButtonKey) {
            if (content.buttons.size() < kMaxButtons) {
                content.buttons.emplace_back(value);
            }
            continue;
        }
        for (const KeyRowType& row : kKeyTable) {
            if (key != row.key) {
                continue;
            }
            if (row.textField != nullptr) {
                row.textField(content) = value;
            } else {
                int& field = row.intField(content);
                int number = ParseWorkspaceNumber(value);
                field = row.sanitize != nullptr ? row.sanitize(number, field) : number;
            }
            break;
        }
    }
    // The same rule as the Simulator Options dialog: paging through an
    // address outside the direct space is switched off.
    if (content.simulation.controlAddress < 0 || content.simulation.controlAddress > 255) {
        content.simulation.pagedMemory = 0;
    }
    return content;
}

namespace {

// A value holding a line break would end its line early and let the rest
// be read as lines of its own (a file name can hold one on this platform).
bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

std::string FormatWorkspace(const WorkspaceContentType& content)
{
    WorkspaceContentType source = content;
    std::string text;
    for (const KeyRowType& row : kKeyTable) {
        text += row.key;
        text += '=';
        if (row.textField != nullptr) {
            const std::string& value = row.textField(source);
            text += HasLineBreak(value) ? std::string() : value;
        } else {
            text += std::to_string(row.intField(source));
        }
        text += "\r\n";
    }
    for (const WindowRecord& record : content.windows) {
        std::string value = FormatWindowRecord(record);
        if (!HasLineBreak(value)) {
            text += std::string(kWindowKey) + "=" + value + "\r\n";
        }
    }
    for (const std::string& button : content.buttons) {
        if (!HasLineBreak(button)) {
            text += std::string(kButtonKey) + "=" + button + "\r\n";
        }
    }
    return text;
}
