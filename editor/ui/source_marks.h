#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/revision.h"

class CEngines;

// What the gutter shows beside one line.
struct GutterMarksType
{
    bool breakPoint = false; // kind 1: red circle
    bool softBreak = false;  // kind 2: green circle
    bool executionPoint = false;
    int message = 0;          // 0 none, 1 warning, 2 error (the worse one wins)
    bool notExecuted = false; // holds code the program never ran (coverage display)

    friend bool operator==(const GutterMarksType&, const GutterMarksType&) = default;
};

// The gutter's marks of one source file, read from the engines: breakpoints
// and the execution point from the simulator, the messages of the last
// assembly from the output text (by the place each line keeps), and which
// lines never ran from the code memory's execution counts.
class CSourceMarks
{
public:
    // Catches up with the engines; true when a mark may have changed.
    bool Update(CEngines& engines, const std::string& path, bool coverageDisplay);
    GutterMarksType At(const CEngines& engines, int line) const;
    // The line's assembler messages, one per row; empty when it has none.
    std::string MessagesAt(int line) const;
    int MessageLineCount() const { return static_cast<int>(messages_.size()); }

private:
    struct MessageType
    {
        int kind = 0;
        std::string text;
    };

    void ReadMessages(CEngines& engines);
    void ReadCoverage(const CEngines& engines);

    std::string path_;
    int32_t module_ = -1;
    bool coverage_ = false;
    CSeenRevision simulatorSeen_;
    CSeenRevision outputSeen_;
    std::map<int, MessageType> messages_;
    // Per line: 0 no code, 1 code never executed, 2 executed.
    std::vector<uint8_t> executed_;
};

// Both name the same file: the module list and the assembler compare paths
// without regard to case.
bool SameSourcePath(const std::string& a, const std::string& b);
