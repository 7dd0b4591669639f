#pragma once

#include <array>
#include <cstdint>

enum class ProcessorVariant : uint8_t
{
    kStandard = 0,
    kAduc84x = 1
};

// Everything the simulated processor remembers between instructions. One
// instance, shared by execution, the views, the watches and the buttons.
struct ProcessorState
{
    std::array<uint8_t, 256> DirectSpace{}; // 00h-7Fh RAM, 80h-FFh SFRs
    std::array<uint8_t, 128> UpperRam{};    // 80h-FFh, indirect only
    uint8_t bankBase = 0;                   // 0, 8, 16 or 24
    uint32_t pc = 0;                        // wider than 16 bits so running off the end is seen

    uint32_t cycles = 0; // since the last run command
    uint32_t maxSp = 0;  // kept between the two cycle counters: adding both
                         // as one vector costs more than two plain adds
    uint32_t totalCycles = 0;

    bool lowInService = false;
    bool highInService = false;
    // External interrupt requests, at the bit positions of their P3 pins
    // (INT0 04h, INT1 08h).
    uint8_t externalPending = 0;
    bool Int0Pending() const { return (externalPending & 0x04) != 0; }
    bool Int1Pending() const { return (externalPending & 0x08) != 0; }
    int8_t priorityLevel = -1; // -1 none, 0 low, 1 high

    bool transmitBusy = false;
    int32_t transmitCountdown = 0;

    uint8_t previousP1 = 0xFF;
    uint8_t previousP3 = 0xFF;

    uint16_t dptr0Shadow = 0;
    uint16_t dptr1Shadow = 0;
    std::array<uint8_t, 4096> DataFlash{};

    int32_t CallDepth = 0;

    // Step status of the last ExecuteInstruction.
    bool interruptTaken = false;
    bool pcWrapped = false;
    bool messageShown = false; // a stop message was shown by the last one

    ProcessorVariant variant = ProcessorVariant::kStandard; // latched at reset
};
