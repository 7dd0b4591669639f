#pragma once

#include <string>

class CAssembler;
class ISimulationStatus;

// The find-in-files engine as the busy conditions see it.
class IFindStatus
{
public:
    virtual ~IFindStatus() = default;
    virtual bool IsSearching() const = 0;
};

// The serial link to the board.
class ILinkControl
{
public:
    virtual ~ILinkControl() = default;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
};

// The conditions every enable rule is written in; recomputed whenever one of
// the engines may have changed.
struct BusyStateType
{
    bool assembling = false;
    bool assemblyGood = false;
    bool simulating = false;
    bool running = false;
    bool searching = false;
    bool linkOpen = false;

    // None of assembling, running and searching holds.
    bool IsIdle() const { return !assembling && !running && !searching; }
    bool operator==(const BusyStateType&) const = default;
};

// Any of the sources may be absent (not yet created): its conditions are false.
BusyStateType ComputeBusyState(const CAssembler* assembler, const ISimulationStatus* simulation,
                               const IFindStatus* find, const ILinkControl* link);

// Status bar texts; the leading tab centres them in their panes.
std::string GetStatusText(const BusyStateType& busy);
std::string CaretPaneText(int line, int column);
std::string OverwritePaneText(bool overwrite);
