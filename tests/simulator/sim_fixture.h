#pragma once

#include <gtest/gtest.h>

#include "common/message_sink.h"
#include "simulator/code_memory.h"
#include "simulator/sim8051.h"

#include <initializer_list>
#include <string>
#include <vector>

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// A processor over its own code memory and 64 KB of external RAM.
class SimFixture : public ::testing::Test
{
protected:
    SimFixture() : externalRam(0x10000, 0), sim(code, externalRam)
    {
        sim.SetMessageSink(&sink);
        sim.SetProcessorType(1);
        sim.ResetProcessor();
    }

    void Load(uint32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t byte : bytes) {
            code.WriteCodeByte(address++, byte);
        }
    }
    uint8_t D(uint32_t address) const { return sim.State().DirectSpace[address]; }
    uint8_t& RawD(uint32_t address) { return sim.State().DirectSpace[address]; }
    uint8_t Upper(uint32_t address) const { return sim.State().UpperRam[address - 0x80]; }
    bool Cy() const { return (D(sfr::kPsw) & sfr::kCy) != 0; }
    // Runs n instructions (interrupt entries count as one).
    void Step(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            sim.ExecuteInstruction();
        }
    }

    CCodeMemory code;
    std::vector<uint8_t> externalRam;
    CRecordingSink sink;
    CSim8051 sim;
};

// Holds the given P3 pins low while attached, without touching the stored port.
class CP3PinsLow : public IPortOverride
{
public:
    explicit CP3PinsLow(uint8_t mask) : mask_(mask) {}
    uint8_t PortReadOverride(ButtonResource resource, uint32_t address,
                             uint8_t stored) const override
    {
        return (resource == ButtonResource::kPort && address == sfr::kP3) ? (stored & ~mask_)
                                                                          : stored;
    }

private:
    uint8_t mask_;
};

// A processor whose first 256 code bytes are NOPs, for the peripheral tests.
class NopFixture : public SimFixture
{
protected:
    NopFixture()
    {
        for (uint32_t a = 0; a < 0x100; ++a) {
            code.WriteCodeByte(a, 0x00);
        }
    }
};
