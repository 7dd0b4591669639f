#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Faults board51 injects for tests, read from a script file: one action per
// line, "#" starts a comment.
//
//   drop-ack N[-M]   no answer to the Nth (to Mth) record or packet received
//   fail N[-M]       a failure answer instead: ":1" for a HEX loader, 07h for ADuC
//   garble N[-M]     the Nth monitor record the program sends leaves with a wrong checksum
//   truncate N[-M]   the Nth monitor record the program sends loses its second half
//   hangup N         the line hangs up when the Nth record or packet arrives
//   ident TEXT       the ADuC loader identifies itself with TEXT (CR LF added)
//
// Records and packets are counted from 1 over the whole session; the ADuC
// identification request counts as a packet.
struct BoardFaultType
{
    enum class Kind
    {
        kDropAck,
        kFail,
        kGarble,
        kTruncate,
        kHangUp,
    };
    Kind kind = Kind::kDropAck;
    int from = 0;
    int to = 0;
};

struct BoardScriptType
{
    std::vector<BoardFaultType> faults;
    std::string identText; // empty: the loader's own

    // Whether a fault of kind covers the nth event.
    bool Has(BoardFaultType::Kind kind, int n) const;
};

// Parses a script's text; on a fault returns false with "line N: what".
bool ParseBoardScript(const std::string& text, BoardScriptType& script, std::string& error);
