#pragma once

// Programs and state fingerprints for the run loop's equivalence tests: the
// same program run by plain single steps and by the run loop must leave the
// same state, and the single steps must still give the fingerprints that the
// stepping loop gave before the run loop existed.

#include "common/message_sink.h"
#include "simulator/intel_hex.h"
#include "simulator/opcode_table.h"
#include "simulator/simulator.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace run_programs {

struct ProgramType
{
    std::string name;
    std::vector<uint8_t> code; // from 0000h
    int processorType = 1;
    MemoryOptionsType options;
    int64_t steps = 0;
    bool buttonOnInt0 = false; // a virtual button holds P3.2 low
};

class CFingerprint
{
public:
    void Add(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
        }
    }
    template <class T> void Add(const T& value) { Add(&value, sizeof value); }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

// What a trace line shows after a step, and the step status.
inline void AddStep(CFingerprint& print, const ProcessorState& s)
{
    print.Add(s.pc);
    print.Add(s.cycles);
    print.Add(s.totalCycles);
    print.Add(s.DirectSpace[sfr::kAcc]);
    print.Add(s.DirectSpace[sfr::kB]);
    print.Add(s.DirectSpace[sfr::kPsw]);
    print.Add(s.DirectSpace[sfr::kSp]);
    print.Add(s.DirectSpace[sfr::kDpl]);
    print.Add(s.DirectSpace[sfr::kDph]);
    print.Add(s.DirectSpace.data() + s.bankBase, 8);
    print.Add(s.interruptTaken);
    print.Add(s.pcWrapped);
    print.Add(s.messageShown);
}

// The processor state's fields other than its memories, in a fixed order.
inline std::vector<uint32_t> Scalars(const ProcessorState& s)
{
    return {uint32_t{s.bankBase},
            s.pc,
            s.cycles,
            s.maxSp,
            s.totalCycles,
            uint32_t{s.lowInService},
            uint32_t{s.highInService},
            uint32_t{s.externalPending},
            static_cast<uint32_t>(s.priorityLevel),
            uint32_t{s.transmitBusy},
            static_cast<uint32_t>(s.transmitCountdown),
            uint32_t{s.previousP1},
            uint32_t{s.previousP3},
            uint32_t{s.dptr0Shadow},
            uint32_t{s.dptr1Shadow},
            static_cast<uint32_t>(s.CallDepth),
            uint32_t{s.interruptTaken},
            uint32_t{s.pcWrapped},
            uint32_t{s.messageShown},
            static_cast<uint32_t>(s.variant)};
}

// Everything the simulation holds, field by field (no padding bytes).
inline uint64_t FullState(const CSimulator& simulation)
{
    const ProcessorState& s = simulation.Processor().State();
    CFingerprint print;
    print.Add(s.DirectSpace.data(), s.DirectSpace.size());
    print.Add(s.UpperRam.data(), s.UpperRam.size());
    for (uint32_t field : Scalars(s)) {
        print.Add(field);
    }
    print.Add(s.DataFlash.data(), s.DataFlash.size());
    for (uint32_t address = 0; address < 0x10000; ++address) {
        print.Add(simulation.Code().ExecutionCount(address));
    }
    print.Add(simulation.ExternalRam().data(), simulation.ExternalRam().size());
    return print.Value();
}

// The same as comparing FullState, without hashing.
inline bool SameState(const CSimulator& a, const CSimulator& b)
{
    const ProcessorState& x = a.Processor().State();
    const ProcessorState& y = b.Processor().State();
    if (x.DirectSpace != y.DirectSpace || x.UpperRam != y.UpperRam || Scalars(x) != Scalars(y) ||
        x.DataFlash != y.DataFlash || a.ExternalRam() != b.ExternalRam()) {
        return false;
    }
    for (uint32_t address = 0; address < 0x10000; ++address) {
        if (a.Code().ExecutionCount(address) != b.Code().ExecutionCount(address)) {
            return false;
        }
    }
    return true;
}

class CCountingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override { ++count; }
    int count = 0;
};

// Holds P3.2 low, as a pressed virtual button would.
class CInt0Low : public IPortOverride
{
public:
    uint8_t PortReadOverride(ButtonResource resource, uint32_t address,
                             uint8_t stored) const override
    {
        return (resource == ButtonResource::kPort && address == sfr::kP3) ? (stored & ~0x04)
                                                                          : stored;
    }
};

// Loads the program and starts the simulation at 0000h.
inline void Start(CSimulator& simulation, const ProgramType& program, IMessageSink& sink)
{
    simulation.SetMessageSink(&sink);
    simulation.Code().ClearCode();
    for (size_t i = 0; i < program.code.size() && i < 0x10000; ++i) {
        simulation.Code().WriteCodeByte(static_cast<uint32_t>(i), program.code[i]);
    }
    simulation.SetProcessorType(program.processorType);
    const MemoryOptionsType& o = program.options;
    simulation.SetOptions(o.useP2ForRi, o.pagedEnable, o.controlAddress, o.pagesIndex, o.variant,
                          kDefaultChunk);
    simulation.Start();
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline ProgramType FromHex(const std::filesystem::path& path, int64_t steps)
{
    ProgramType program{path.filename().string(), {}, 1, {}, steps};
    const IntelHexReadType read = ReadIntelHexFile(path);
    if (read.Ok()) {
        program.code = read.image.bytes;
    }
    return program;
}

// An input of the simulator's fuzz target, decoded as the target does.
inline ProgramType FromFuzzInput(const std::filesystem::path& path, int64_t steps)
{
    const std::vector<uint8_t> data = ReadFile(path);
    ProgramType program{path.filename().string(), {}, 1, {}, steps};
    if (data.size() < 4) {
        return program;
    }
    const uint8_t flags = data[0];
    program.processorType = flags & 3;
    program.options.useP2ForRi = (flags & 4) != 0;
    program.options.pagedEnable = (flags & 8) != 0;
    program.options.controlAddress = data[1];
    program.options.pagesIndex = data[2] % 5;
    program.options.variant =
        (flags & 16) ? ProcessorVariant::kAduc84x : ProcessorVariant::kStandard;
    program.code.assign(data.begin() + 3, data.end());
    return program;
}

// A random program that leans on the peripherals: a loop of random
// instructions, one in four of them setting up a timer, the serial port, the
// interrupt system or a port pin, with every interrupt vector leading to a
// short random routine. Direct operands and bits are often peripheral
// registers; branches go forward to an instruction boundary, so the loop
// keeps running whatever the registers hold. A calm program keeps to what
// ordinary programs do: timers 0 and 1 in modes 1 and 2 with their
// interrupts, a polled serial port, pins of P1, so that the run loop's fast
// part carries most of it.
class CBiasedGenerator
{
public:
    explicit CBiasedGenerator(uint32_t seed, bool calm = false) : random_(seed), calm_(calm) {}

    std::vector<uint8_t> Program()
    {
        std::vector<uint8_t> code(0x1000);
        Put(code, 0, {0x02, 0x01, 0x00}); // LJMP body
        uint32_t at = 0x100;
        at = Emit(code, at, Block(0x75, 0x81, 0x60), 0); // MOV SP,#60H
        at = EmitRandom(code, at, 400);
        at = Emit(code, at, Block(0x02, 0x01, 0x00), 0); // LJMP body
        for (uint32_t vector = 0x03; vector <= 0x2B; vector += 8) {
            Put(code, vector, {0x02, static_cast<uint8_t>(at >> 8), static_cast<uint8_t>(at)});
            at = EmitRandom(code, at, Next() % 6);
            // Most routines end their own request: TI and RI, TF2 and EXF2,
            // or a level on INT0 or INT1; the others are entered again at once.
            static constexpr uint8_t kEnds[6][2] = {{0xD2, 0xB2}, {0, 0},       {0xD2, 0xB3},
                                                    {0, 0},       {0xC2, 0x99}, {0xC2, 0xCF}};
            const uint32_t source = (vector - 3) / 8;
            if (kEnds[source][0] != 0 && Next() % 4 != 0) {
                at = Emit(code, at, Block(kEnds[source][0], kEnds[source][1]), 0);
                if (source >= 4) {
                    at = Emit(code, at, Block(0xC2, kEnds[source][1] - 1), 0); // RI or EXF2
                }
            }
            at = Emit(code, at, Block(0x32), 0); // RETI
        }
        return code;
    }

private:
    struct InstructionType
    {
        std::vector<uint8_t> bytes;
        int relAt = -1; // index of a relative offset to point forward
    };

    static InstructionType Block(std::initializer_list<uint8_t> bytes) { return {bytes, -1}; }
    template <class... T> static InstructionType Block(T... bytes)
    {
        return {{static_cast<uint8_t>(bytes)...}, -1};
    }
    static void Put(std::vector<uint8_t>& code, uint32_t at, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t byte : bytes) {
            code[at++] = byte;
        }
    }
    uint32_t Next() { return static_cast<uint32_t>(random_()); }

    uint8_t Direct()
    {
        if (calm_) {
            static constexpr uint8_t kCalm[] = {sfr::kTl0,  sfr::kTh0, sfr::kTl1,  sfr::kTh1,
                                                sfr::kTcon, sfr::kPsw, sfr::kAcc,  sfr::kB,
                                                sfr::kDpl,  sfr::kDph, sfr::kSbuf, sfr::kP1};
            const uint32_t r = Next();
            return (r & 3) == 0 ? kCalm[(r >> 2) % std::size(kCalm)]
                                : static_cast<uint8_t>(0x20 + (r >> 8) % 0x60);
        }
        static constexpr uint8_t kRegisters[] = {
            sfr::kTl0, sfr::kTh0,    sfr::kTl1,    sfr::kTh1,  sfr::kTcon,  sfr::kTmod,
            sfr::kIe,  sfr::kIp,     sfr::kScon,   sfr::kSbuf, sfr::kT2con, sfr::kTl2,
            sfr::kTh2, sfr::kRcap2l, sfr::kRcap2h, sfr::kP1,   sfr::kP3,    sfr::kPsw,
            sfr::kAcc, sfr::kB,      sfr::kDpl,    sfr::kDph,  sfr::kDpcon, sfr::kEcon};
        const uint32_t r = Next();
        return (r & 1) ? kRegisters[(r >> 1) % std::size(kRegisters)]
                       : static_cast<uint8_t>(0x20 + (r >> 8) % 0x60); // above the banks
    }
    uint8_t Bit()
    {
        if (calm_) {
            static constexpr uint8_t kCalm[] = {sfr::kTcon, sfr::kP1, sfr::kPsw};
            const uint32_t r = Next();
            return (r & 1)
                       ? static_cast<uint8_t>(kCalm[(r >> 1) % std::size(kCalm)] | ((r >> 8) & 7))
                       : static_cast<uint8_t>((r >> 8) & 0x7F);
        }
        static constexpr uint8_t kBitBytes[] = {sfr::kTcon, sfr::kIe, sfr::kIp,    sfr::kScon,
                                                sfr::kP3,   sfr::kP1, sfr::kT2con, sfr::kPsw};
        const uint32_t r = Next();
        return (r & 1) ? static_cast<uint8_t>(kBitBytes[(r >> 1) % std::size(kBitBytes)] |
                                              ((r >> 8) & 7))
                       : static_cast<uint8_t>((r >> 8) & 0x7F);
    }

    InstructionType CalmSetup()
    {
        static constexpr uint8_t kModes[] = {0x01, 0x02, 0x11, 0x12, 0x21, 0x22, 0x10, 0x20};
        static constexpr uint8_t kEnables[] = {0x82, 0x88, 0x8A, 0x80, 0x00, 0x02};
        static constexpr uint8_t kBits[] = {0x8C, 0x8E, 0xA9, 0xAB, 0xAF}; // TR0 TR1 ET0 ET1 EA
        const uint32_t r = Next();
        switch (r % 8) {
        case 0:
            return Block(0x75, sfr::kTmod, kModes[(r >> 4) % std::size(kModes)]);
        case 1:
            return Block(0x75, sfr::kIe, kEnables[(r >> 4) % std::size(kEnables)]);
        case 2:
            return Block(0x75, static_cast<uint8_t>(sfr::kTl0 + (r >> 4) % 4), Next());
        case 3:
            return Block((r & 16) ? 0xD2 : 0xC2, kBits[(r >> 5) % std::size(kBits)]);
        case 4:
            return Block(0xB2, static_cast<uint8_t>(0x90 + (r >> 4) % 8)); // CPL P1.n
        case 5:
            return (r & 16) ? Block(0xF5, 0x99) : Block(0xE5, (r & 32) ? 0x8A : 0x8D);
        case 6:
            return Block(0xC2, 0x99); // CLR TI
        default:
            return {{0x30, static_cast<uint8_t>((r & 16) ? 0x99 : 0x8D), 0}, 2};
        }
    }

    // One of the set-ups a program makes of its peripherals.
    InstructionType Setup()
    {
        if (calm_) {
            return CalmSetup();
        }
        static constexpr uint8_t kTargets[] = {sfr::kTmod, sfr::kTcon,  sfr::kIe,     sfr::kIp,
                                               sfr::kScon, sfr::kT2con, sfr::kTh0,    sfr::kTl0,
                                               sfr::kTh1,  sfr::kTl1,   sfr::kRcap2h, sfr::kTh2};
        static constexpr uint8_t kPins[] = {0xB2, 0xB3, 0xB4, 0xB5, 0x90, 0x91};
        const uint32_t r = Next();
        switch (r % 6) {
        case 0:
        case 1: // MOV register,#value
            return Block(0x75, kTargets[(r >> 4) % std::size(kTargets)], Next());
        case 2: // SETB or CLR of a run or enable bit
            return Block((r & 16) ? 0xD2 : 0xC2,
                         ((r >> 5) & 1) ? 0xA8 | ((r >> 6) & 7) : 0x88 | (4 + ((r >> 6) & 3)));
        case 3: // CPL of a pin the peripherals sample
            return Block(0xB2, kPins[(r >> 4) % std::size(kPins)]);
        case 4: // MOV SBUF,A or a read of a running timer
            return (r & 16) ? Block(0xF5, 0x99) : Block(0xE5, (r & 32) ? 0x8A : 0x8C);
        default: // JNB TI or JNB TF0 forward
            return {{0x30, static_cast<uint8_t>((r & 16) ? 0x99 : 0x8D), 0}, 2};
        }
    }

    InstructionType RandomInstruction()
    {
        if (Next() % 4 == 0) {
            return Setup();
        }
        uint8_t op = 0;
        do {
            op = static_cast<uint8_t>(Next());
        } while (IsJump(op));
        const OpcodeInfo& row = OpcodeTable[op];
        InstructionType instruction{{op}, -1};
        for (O kind : row.operands) {
            switch (kind) {
            case O::kDirect:
                instruction.bytes.push_back(Direct());
                break;
            case O::kBit:
            case O::kNotBit:
                instruction.bytes.push_back(Bit());
                break;
            case O::kRel:
                instruction.relAt = static_cast<int>(instruction.bytes.size());
                instruction.bytes.push_back(0);
                break;
            case O::kImm8:
                instruction.bytes.push_back(static_cast<uint8_t>(Next() % 4 == 0 ? 0xFF : Next()));
                break;
            case O::kImm16:
                instruction.bytes.push_back(static_cast<uint8_t>(Next()));
                instruction.bytes.push_back(static_cast<uint8_t>(Next()));
                break;
            default:
                break;
            }
        }
        return instruction;
    }

    // Jumps, calls and returns other than the conditional branches, and the
    // undefined opcode.
    static bool IsJump(uint8_t op)
    {
        const Mn m = OpcodeTable[op].mnemonic;
        return m == Mn::kAjmp || m == Mn::kAcall || m == Mn::kLjmp || m == Mn::kLcall ||
               m == Mn::kRet || m == Mn::kReti || m == Mn::kJmp || m == Mn::kSjmp ||
               m == Mn::kUndefined;
    }

    uint32_t Emit(std::vector<uint8_t>& code, uint32_t at, const InstructionType& instruction,
                  uint32_t target)
    {
        for (size_t i = 0; i < instruction.bytes.size(); ++i) {
            code[at + i] = instruction.bytes[i];
        }
        if (instruction.relAt >= 0) {
            const uint32_t next = at + static_cast<uint32_t>(instruction.bytes.size());
            code[at + instruction.relAt] = static_cast<uint8_t>(target - next);
        }
        return at + static_cast<uint32_t>(instruction.bytes.size());
    }

    // count instructions; each branch lands one to four instructions ahead.
    uint32_t EmitRandom(std::vector<uint8_t>& code, uint32_t at, uint32_t count)
    {
        std::vector<InstructionType> list;
        for (uint32_t i = 0; i < count; ++i) {
            list.push_back(RandomInstruction());
        }
        std::vector<uint32_t> starts;
        uint32_t end = at;
        for (const InstructionType& instruction : list) {
            starts.push_back(end);
            end += static_cast<uint32_t>(instruction.bytes.size());
        }
        starts.push_back(end);
        for (size_t i = 0; i < list.size(); ++i) {
            const size_t ahead = std::min(list.size(), i + 1 + Next() % 4);
            Emit(code, starts[i], list[i], starts[ahead]);
        }
        return end;
    }

    std::mt19937 random_;
    bool calm_;
};

inline ProgramType Calm(uint32_t seed, int64_t steps)
{
    return {"calm " + std::to_string(seed), CBiasedGenerator(seed, true).Program(), 1, {}, steps};
}

inline ProgramType Biased(uint32_t seed, int64_t steps)
{
    ProgramType program{
        "biased " + std::to_string(seed), CBiasedGenerator(seed).Program(), 1, {}, steps};
    program.processorType = static_cast<int>(seed & 3);
    program.options.variant = (seed & 1) ? ProcessorVariant::kAduc84x : ProcessorVariant::kStandard;
    program.options.useP2ForRi = (seed & 2) != 0;
    return program;
}

} // namespace run_programs
