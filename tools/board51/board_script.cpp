#include "board_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>

namespace {

struct ActionNameType
{
    const char* name;
    BoardFaultType::Kind kind;
};

constexpr std::array<ActionNameType, 5> kActions = {{
    {"drop-ack", BoardFaultType::Kind::kDropAck},
    {"fail", BoardFaultType::Kind::kFail},
    {"garble", BoardFaultType::Kind::kGarble},
    {"truncate", BoardFaultType::Kind::kTruncate},
    {"hangup", BoardFaultType::Kind::kHangUp},
}};

constexpr int kMaxEvent = 1000000;

bool ParseNumber(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 7 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    value = std::stoi(text);
    return value >= 1 && value <= kMaxEvent;
}

bool ParseRange(const std::string& text, int& from, int& to)
{
    const size_t dash = text.find('-');
    if (dash == std::string::npos) {
        if (!ParseNumber(text, from)) {
            return false;
        }
        to = from;
        return true;
    }
    return ParseNumber(text.substr(0, dash), from) && ParseNumber(text.substr(dash + 1), to) &&
           from <= to;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

bool BoardScriptType::Has(BoardFaultType::Kind kind, int n) const
{
    return std::any_of(faults.begin(), faults.end(), [&](const BoardFaultType& fault) {
        return fault.kind == kind && n >= fault.from && n <= fault.to;
    });
}

bool ParseBoardScript(const std::string& text, BoardScriptType& script, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        line = Trimmed(line);
        if (line.empty()) {
            continue;
        }
        const size_t space = line.find_first_of(" \t");
        const std::string action = line.substr(0, space);
        const std::string argument =
            space == std::string::npos ? std::string() : Trimmed(line.substr(space));
        if (action == "ident") {
            if (argument.empty() || argument.size() > 200) {
                error = "line " + std::to_string(number) + ": ident wants a text";
                return false;
            }
            script.identText = argument;
            continue;
        }
        auto it = std::find_if(kActions.begin(), kActions.end(),
                               [&](const ActionNameType& a) { return action == a.name; });
        if (it == kActions.end()) {
            error = "line " + std::to_string(number) + ": unknown action '" + action + "'";
            return false;
        }
        BoardFaultType fault;
        fault.kind = it->kind;
        if (!ParseRange(argument, fault.from, fault.to)) {
            error = "line " + std::to_string(number) + ": '" + action +
                    "' wants a number or a range N-M counted from 1";
            return false;
        }
        script.faults.push_back(fault);
    }
    return true;
}
