#pragma once

#include <cstdint>

// The resources a virtual button can overlay.
enum class ButtonResource : uint8_t
{
    kPort = 0,
    kExternalMemory = 1
};

// Lets pressed virtual buttons change what the program reads from a port or
// an external memory cell without touching the stored byte.
class IPortOverride
{
public:
    virtual ~IPortOverride() = default;
    virtual uint8_t PortReadOverride(ButtonResource resource, uint32_t address,
                                     uint8_t stored) const = 0;
};
