#pragma once

#include <cstdint>
#include <string>

#include "simulator/processor_state.h"

// What the sim51 command line asks for.
struct Sim51OptionsType
{
    std::string source;
    bool hex = false; // an Intel HEX image, run without assembling
    int64_t maxInstructions = 100'000'000;
    std::string until;     // an address as the assembler reads it; empty: none
    int processorType = 1; // 0 8751, 1 8752, 2 8031, 3 8032
    ProcessorVariant variant = ProcessorVariant::kStandard;
    bool useP2ForRi = false;
    bool paged = false;
    std::string pageControl = "0"; // direct address selecting the page
    int pagesIndex = 0;            // 0-4: 1, 2, 4, 8 or 16 pages
    bool trace = false;
    std::string coverageFile;
    bool uart = false;   // the bytes sent on stdout, everything else on stderr
    std::string uartOut; // the bytes sent into this file
    std::string uartIn;  // bytes for the receiver from this file; "-" standard input
    bool help = false;
};

// Whether a file name is taken for an Intel HEX image: .hex or .ihx, in any case.
bool IsHexFileName(const std::string& name);

// Parses argv; on failure returns false with a message for the user.
bool ParseSim51Options(int argc, char** argv, Sim51OptionsType& options, std::string& error);

extern const char kSim51Usage[];
