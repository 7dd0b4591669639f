#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

// One cell of the 64 KB code image.
struct CodeType
{
    uint8_t value = 0;
    int32_t line = -1;   // 0-based source line that produced the byte
    int32_t module = -1; // index in the module list
    uint32_t executions = 0;
};

inline constexpr const char* kCodeOverlapMessage = " Code overlap has occured.";

// The one code image of the system: written by the assembler with the source
// line of every byte, executed and counted by the simulator, sent by the
// download. Parallel arrays keep the instruction fetch a plain byte load.
class CCodeMemory
{
public:
    static constexpr int32_t kSize = 0x10000;

    enum class StoreResult
    {
        kStored,
        kOutOfRange, // nothing stored
        kOverlap,    // stored; the first pass-2 overlap since ClearCode, to be reported
    };

    CCodeMemory();

    void ClearCode();
    StoreResult StoreCode(int32_t address, uint8_t value, int32_t line, int32_t module, int pass,
                          bool recordLine);

    uint8_t ReadCodeByte(uint32_t address) const { return values_[address & 0xFFFF]; }
    // Raw access for the debug views, the download and the disassembler.
    const uint8_t* Bytes() const { return values_.data(); }
    void WriteCodeByte(uint32_t address, uint8_t value)
    {
        clean_ = false;
        values_[address & 0xFFFF] = value;
    }

    int32_t HighestAddress() const { return highest_; }

    int32_t LineOfAddress(uint32_t address) const;
    int32_t ModuleOfAddress(uint32_t address) const;
    // The lowest address in 0..lastAddress whose byte came from module:line, or -1.
    int32_t AddressOfLine(int32_t module, int32_t line, int32_t lastAddress) const;

    void AddExecution(uint32_t address)
    {
        clean_ = false;
        ++executions_[address & 0xFFFF];
    }
    uint32_t ExecutionCount(uint32_t address) const { return executions_[address & 0xFFFF]; }
    // For the run loop, which counts through a pointer it holds.
    uint32_t* ExecutionCounts()
    {
        clean_ = false;
        return executions_.get();
    }
    void ResetExecutionCounts();

    CodeType Cell(uint32_t address) const;

private:
    struct FreeDeleter
    {
        void operator()(void* p) const { std::free(p); }
    };
    // Zeroed by calloc, whose large blocks are fresh pages the system maps
    // only when first written: an assembly that never runs its program, or
    // a small program, does not pay for 768 KB it never uses.
    template <typename T> using ZeroedArray = std::unique_ptr<T[], FreeDeleter>;
    template <typename T> static ZeroedArray<T> MakeZeroed()
    {
        auto* p = static_cast<T*>(std::calloc(kSize, sizeof(T)));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        return ZeroedArray<T>(p);
    }

    std::array<uint8_t, kSize> values_; // inline: the run loop reads it constantly
    // 1 + the line and 1 + the module index, so that zero is "none".
    ZeroedArray<uint32_t> lines_ = MakeZeroed<uint32_t>();
    ZeroedArray<uint32_t> modules_ = MakeZeroed<uint32_t>();
    ZeroedArray<uint32_t> executions_ = MakeZeroed<uint32_t>();
    int32_t highest_ = -1;
    bool overlapReported_ = false;
    // Nothing written since the last clear: clearing again (an assembly
    // right after start-up) has nothing to do.
    bool clean_ = false;
};
