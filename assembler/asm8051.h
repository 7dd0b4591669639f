#pragma once

#include <cstdint>
#include <string_view>

#include "assembler/asm_host.h"
#include "assembler/operand_scanner.h"

// The 8051 instruction set: 45 mnemonics, each with its encoder.
class CAsm8051
{
public:
    static constexpr int kMnemonicCount = 45;

    explicit CAsm8051(IEncoderHost& host);

    // Index of a mnemonic (case-insensitive), or -1.
    static int FindMnemonic(std::string_view word);
    // The same for a word already packed by scan::PackUpper.
    static int FindMnemonicKey(uint64_t key);
    static std::string_view MnemonicName(int index);

    // Encodes one instruction; operands is the text behind the mnemonic up
    // to the end of the line.
    void Encode(int mnemonic, std::string_view operands);

    // Bit-name lookup of an operand word: bit names, then symbols, then a
    // symbol with a dotted bit number. -1 when unresolved.
    int32_t LookupBit(std::string_view word);

private:
    struct MnemonicInfo;
    using Handler = void (CAsm8051::*)(const MnemonicInfo&);
    static const MnemonicInfo& Info(int index);

    enum class OperandKind
    {
        None,     // nothing left before the statement end
        A,        // the accumulator keyword
        C,        // the carry keyword
        AB,       // the A/B pair of DIV and MUL
        Dptr,     // the data pointer keyword
        Register, // R0..R7
        Indirect, // @R0 or @R1
        AtDptr,   // @DPTR
        AtOther,  // "@" with anything else
        Immediate,
        Other, // a direct address, bit or target expression
    };

    struct Operand
    {
        OperandKind kind = OperandKind::None;
        int reg = 0;
        std::string_view word;  // first word (behind "#" or "@")
        std::string_view field; // the whole operand, for evaluation
        bool commaAfter = false;
        bool accumulatorSymbol = false; // kind Other, but a symbol defined as A
    };
    // A, written as such or through a symbol, where only A is allowed.
    static bool IsAccumulator(const Operand& operand)
    {
        return operand.kind == OperandKind::A || operand.accumulatorSymbol;
    }

    // Range checks on 8-bit operands.
    enum class Check
    {
        None,
        DirectRange, // error: direct address above 255
        DataError,   // error in both passes
        DataWarning, // warning in pass 2
        CjneData,    // the CJNE data/direct error
    };

    Operand NextOperand();
    bool IsPass2() const { return host_.Pass() == 2; }
    void Emit(int32_t value) { host_.EmitByte(static_cast<uint8_t>(value & 0xFF)); }
    void Error(const char* text);
    void Pass2Error(const char* text);
    int32_t EvalNarrow(std::string_view field);
    int32_t EvalWide(std::string_view field);
    void CheckByte(int32_t value, Check check);
    void EmitByteOperand(const Operand& operand, Check check);
    int IndirectRegister(const Operand& operand);
    void EmitRelative(const Operand& operand, int length);
    void EmitLong(const Operand& operand);
    int32_t LookupBitTracked(std::string_view word, bool& fromExpression);
    int32_t ResolveBit(const Operand& operand, bool fallback);

    void EncodeAbsolute(const MnemonicInfo& info);
    void EncodeArith(const MnemonicInfo& info);
    void EncodeAccumulatorSource(int base);
    void EncodeAccumulatorSource(int base, const Operand& source);
    void EncodeLogic(const MnemonicInfo& info);
    void EncodeLogicBit(const MnemonicInfo& info);
    void EncodeLogicDirect(const MnemonicInfo& info, const Operand& dest);
    void EncodeLong(const MnemonicInfo& info);
    void EncodeJmp(const MnemonicInfo& info);
    void EncodeCjne(const MnemonicInfo& info);
    void EncodeBitOp(const MnemonicInfo& info);
    void EncodeAccumulator(const MnemonicInfo& info);
    void EncodeAb(const MnemonicInfo& info);
    void EncodeIncDec(const MnemonicInfo& info);
    void EncodeDjnz(const MnemonicInfo& info);
    void EncodeBitJump(const MnemonicInfo& info);
    void EncodeRelative(const MnemonicInfo& info);
    void EncodeFixed(const MnemonicInfo& info);
    void EncodeStack(const MnemonicInfo& info);
    void EncodeXch(const MnemonicInfo& info);
    void EncodeXchd(const MnemonicInfo& info);
    void EncodeMov(const MnemonicInfo& info);
    void EncodeMovToA();
    void EncodeMovToIndirect(const Operand& dest);
    void EncodeMovToRegister(const Operand& dest);
    void EncodeMovToDptr();
    void EncodeMovToDirect(const Operand& dest, const Operand& source);
    void EncodeMovFromBit();
    void EncodeMovToBit(const Operand& dest);
    void EncodeMovc(const MnemonicInfo& info);
    void EncodeMovx(const MnemonicInfo& info);

    IEncoderHost& host_;
    COperandScanner scan_;
    int32_t address_ = 0; // address of the instruction's first byte
};
