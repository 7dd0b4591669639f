#include "assembler/asm8051.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "assembler/asm8051_info.h"
#include "assembler/eval_equation.h"
#include "assembler/scan_text.h"
#include "assembler/sfr_names.h"
#include "common/text_util.h"

namespace {

constexpr int kNone = kNoOpcode;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int RegisterKeyword(std::string_view word)
{
    // Every operand passes here: decided by length, then by packed letters.
    switch (word.size()) {
    case 1: {
        const unsigned char c = FoldUpper(static_cast<unsigned char>(word[0]));
        return c == 'A' ? kRegA : c == 'C' ? kRegC : kRegNone;
    }
    case 2:
        if ((word[0] == 'R' || word[0] == 'r') && word[1] >= '0' && word[1] <= '7') {
            return word[1] - '0';
        }
        return scan::PackUpper(word) == scan::PackUpper("AB") ? kRegAB : kRegNone;
    case 4:
        return scan::PackUpper(word) == scan::PackUpper("DPTR") ? kRegDptr : kRegNone;
    default:
        return kRegNone;
    }
}

const CAsm8051::MnemonicInfo& CAsm8051::Info(int index)
{
    static constexpr const char* kAccDest = " The accumulator (A) must be the destination";
    static constexpr const char* kAccFirst = " The accumulator (A) must be the first operand";
    static constexpr const char* kRotate = " Only the A may be rotated";
    static constexpr const char* kUnknownDest = " Unknown destination operand.";
    // Searched from the top; the order is part of the assembler's behaviour.
    static constexpr auto kTable = std::to_array<MnemonicInfo>({
        {"ACALL",
         &CAsm8051::EncodeAbsolute,
         {0x11, kNone, kNone},
         " This CALL referenced a subroutine outside the current 2k block"},
        {"ADD", &CAsm8051::EncodeArith, {0x20, kNone, kNone}, kAccDest},
        {"ADDC", &CAsm8051::EncodeArith, {0x30, kNone, kNone}, kAccDest},
        {"AJMP",
         &CAsm8051::EncodeAbsolute,
         {0x01, kNone, kNone},
         " Branch location is outside 2k page boundry"},
        {"ANL", &CAsm8051::EncodeLogic, {0x50, 0x82, 0xB0}, nullptr},
        {"CALL", &CAsm8051::EncodeLong, {0x12, kNone, kNone}, nullptr},
        {"CJNE", &CAsm8051::EncodeCjne, {0xB4, kNone, kNone}, nullptr},
        {"CLR", &CAsm8051::EncodeBitOp, {0xE4, 0xC3, 0xC2}, kUnknownDest},
        {"CPL", &CAsm8051::EncodeBitOp, {0xF4, 0xB3, 0xB2}, kUnknownDest},
        {"DA", &CAsm8051::EncodeAccumulator, {0xD4, kNone, kNone}, " A must be source/destination"},
        {"DEC", &CAsm8051::EncodeIncDec, {0x10, kNone, kNone}, nullptr},
        {"DIV", &CAsm8051::EncodeAb, {0x84, kNone, kNone}, " AB must be source/destination"},
        {"DJNZ", &CAsm8051::EncodeDjnz, {0xD8, 0xD5, kNone}, nullptr},
        {"INC", &CAsm8051::EncodeIncDec, {0x00, 0xA3, kNone}, nullptr},
        {"JB", &CAsm8051::EncodeBitJump, {0x20, kNone, kNone}, nullptr},
        {"JBC", &CAsm8051::EncodeBitJump, {0x10, kNone, kNone}, nullptr},
        {"JC", &CAsm8051::EncodeRelative, {0x40, kNone, kNone}, nullptr},
        {"JMP", &CAsm8051::EncodeJmp, {0x02, 0x73, kNone}, nullptr},
        {"JNB", &CAsm8051::EncodeBitJump, {0x30, kNone, kNone}, nullptr},
        {"JNC", &CAsm8051::EncodeRelative, {0x50, kNone, kNone}, nullptr},
        {"JNZ", &CAsm8051::EncodeRelative, {0x70, kNone, kNone}, nullptr},
        {"JZ", &CAsm8051::EncodeRelative, {0x60, kNone, kNone}, nullptr},
        {"LCALL", &CAsm8051::EncodeLong, {0x12, kNone, kNone}, nullptr},
        {"LJMP", &CAsm8051::EncodeLong, {0x02, kNone, kNone}, nullptr},
        {"MOV", &CAsm8051::EncodeMov, {kNone, kNone, kNone}, nullptr},
        {"MOVC", &CAsm8051::EncodeMovc, {0x93, 0x83, kNone}, nullptr},
        {"MOVX", &CAsm8051::EncodeMovx, {kNone, kNone, kNone}, nullptr},
        {"MUL",
         &CAsm8051::EncodeAb,
         {0xA4, kNone, kNone},
         "Invalid source/destination, valid: MUL AB"},
        {"NOP", &CAsm8051::EncodeFixed, {0x00, kNone, kNone}, nullptr},
        {"ORL", &CAsm8051::EncodeLogic, {0x40, 0x72, 0xA0}, nullptr},
        {"POP", &CAsm8051::EncodeStack, {0xD0, kNone, kNone}, nullptr},
        {"PUSH", &CAsm8051::EncodeStack, {0xC0, kNone, kNone}, nullptr},
        {"RET", &CAsm8051::EncodeFixed, {0x22, kNone, kNone}, nullptr},
        {"RETI", &CAsm8051::EncodeFixed, {0x32, kNone, kNone}, nullptr},
        {"RL", &CAsm8051::EncodeAccumulator, {0x23, kNone, kNone}, kRotate},
        {"RLC", &CAsm8051::EncodeAccumulator, {0x33, kNone, kNone}, kRotate},
        {"RR", &CAsm8051::EncodeAccumulator, {0x03, kNone, kNone}, kRotate},
        {"RRC", &CAsm8051::EncodeAccumulator, {0x13, kNone, kNone}, kRotate},
        {"SETB", &CAsm8051::EncodeBitOp, {kNone, 0xD3, 0xD2}, "Unknown destination bit"},
        {"SJMP", &CAsm8051::EncodeRelative, {0x80, kNone, kNone}, nullptr},
        {"SUBB", &CAsm8051::EncodeArith, {0x90, kNone, kNone}, kAccFirst},
        {"SWAP", &CAsm8051::EncodeAccumulator, {0xC4, kNone, kNone}, " Only A may be swapped"},
        {"XCH", &CAsm8051::EncodeXch, {0xC0, kNone, kNone}, kAccFirst},
        {"XCHD", &CAsm8051::EncodeXchd, {0xD6, kNone, kNone}, nullptr},
        {"XRL", &CAsm8051::EncodeLogic, {0x60, kNone, kNone}, nullptr},
    });
    static_assert(kTable.size() == kMnemonicCount);
    return kTable[static_cast<size_t>(index)];
}

CAsm8051::CAsm8051(IEncoderHost& host) : host_(host) {}

int CAsm8051::FindMnemonic(std::string_view word)
{
    return FindMnemonicKey(scan::PackUpper(word));
}

int CAsm8051::FindMnemonicKey(uint64_t key)
{
    static const auto index = [] {
        scan::CKeywordIndex<int, 128> built;
        for (int i = 0; i < kMnemonicCount; ++i) {
            built.Add(scan::PackUpper(Info(i).name), i);
        }
        return built;
    }();
    return index.Find(key, -1);
}

std::string_view CAsm8051::MnemonicName(int index)
{
    if (index < 0 || index >= kMnemonicCount) {
        return {};
    }
    return Info(index).name;
}

void CAsm8051::Encode(int mnemonic, std::string_view operands)
{
    if (mnemonic < 0 || mnemonic >= kMnemonicCount) {
        return;
    }
    scan_ = COperandScanner(operands);
    address_ = host_.Pc();
    const MnemonicInfo& info = Info(mnemonic);
    (this->*info.handler)(info);
}

CAsm8051::Operand CAsm8051::NextOperand()
{
    Operand operand;
    scan_.SkipSeparators();
    if (scan_.AtEnd()) {
        return operand;
    }
    operand.field = scan_.Field();
    operand.commaAfter = scan_.CommaAhead();
    const size_t start = scan_.Position();
    const char first = scan_.Peek();
    if (first == '#' || first == '@') {
        scan_.Advance();
        scan_.SkipBlanks();
    }
    if (first == '#') {
        // An expression: it runs to the comma, blanks and all.
        operand.kind = OperandKind::Immediate;
        operand.word = scan_.PeekWord();
        scan_.SkipField();
        return operand;
    }
    operand.word = scan_.ReadWord();
    int reg = RegisterKeyword(operand.word);
    bool symbol = false;
    if (reg == kRegNone) {
        reg = host_.RegisterSymbol(operand.word);
        symbol = reg != kRegNone;
    }
    if (first == '@') {
        if (reg == 0 || reg == 1) {
            operand.kind = OperandKind::Indirect;
            operand.reg = reg;
        } else {
            operand.kind = reg == kRegDptr ? OperandKind::AtDptr : OperandKind::AtOther;
        }
        return operand;
    }
    if (symbol && reg == kRegA) {
        // A symbol for A has been the direct address E0h where such a form
        // exists; it stands for A only where nothing else is allowed.
        operand.accumulatorSymbol = true;
        reg = kRegNone;
    }
    switch (reg) {
    case kRegNone:
        operand.kind = OperandKind::Other;
        scan_.SetPosition(start);
        scan_.SkipField();
        break;
    case kRegA:
        operand.kind = OperandKind::A;
        break;
    case kRegC:
        operand.kind = OperandKind::C;
        break;
    case kRegAB:
        operand.kind = OperandKind::AB;
        break;
    case kRegDptr:
        operand.kind = OperandKind::Dptr;
        break;
    default:
        operand.kind = OperandKind::Register;
        operand.reg = reg;
        break;
    }
    return operand;
}

void CAsm8051::Error(const char* text)
{
    host_.ReportMessage(text, kMessageError);
}

void CAsm8051::Pass2Error(const char* text)
{
    if (IsPass2()) {
        Error(text);
    }
}

int32_t CAsm8051::EvalNarrow(std::string_view field)
{
    return host_.Evaluator().Evaluate(field, false);
}

int32_t CAsm8051::EvalWide(std::string_view field)
{
    return host_.Evaluator().Evaluate(field, true);
}

void CAsm8051::CheckByte(int32_t value, Check check)
{
    if (value < 256) {
        return;
    }
    switch (check) {
    case Check::None:
        break;
    case Check::DirectRange:
        Error("Direct address is out of (0 - 255) range.");
        break;
    case Check::DataError:
        Error("Data is to large to fit in a single byte.");
        break;
    case Check::DataWarning:
        if (IsPass2()) {
            host_.ReportMessage(" Immediate data to large to fit in a single byte",
                                kMessageWarning);
        }
        break;
    case Check::CjneData:
        Error("Immediate data is to large to fit in a single byte.");
        break;
    }
}

void CAsm8051::EmitByteOperand(const Operand& operand, Check check)
{
    const int32_t value = EvalNarrow(operand.field);
    CheckByte(value, check);
    Emit(value);
}

int CAsm8051::IndirectRegister(const Operand& operand)
{
    if (operand.kind == OperandKind::Indirect) {
        return operand.reg;
    }
    Error(" Invalid register");
    return 0;
}

void CAsm8051::EmitRelative(const Operand& operand, int length)
{
    const int32_t target = EvalWide(operand.field);
    const int32_t offset = target - (address_ + length);
    if (offset < -128 || offset > 127) {
        Pass2Error(" Branch is outside relative address range of current PC.");
    }
    Emit(offset);
}

void CAsm8051::EmitLong(const Operand& operand)
{
    const int32_t value = EvalWide(operand.field);
    Emit(value >> 8);
    Emit(value);
}

int32_t CAsm8051::LookupBit(std::string_view word)
{
    bool fromExpression = false;
    return LookupBitTracked(word, fromExpression);
}

int32_t CAsm8051::LookupBitTracked(std::string_view word, bool& fromExpression)
{
    fromExpression = false;
    if (word.empty()) {
        return -1;
    }
    if (IsDigit(word[0])) {
        fromExpression = true;
        return EvalNarrow(word);
    }
    const int32_t named = FindBitName(word);
    if (named >= 0) {
        return named;
    }
    if (const SymbolRecord* symbol = host_.FindSymbol(word)) {
        if (symbol->value >= 256) {
            Error("Bit label is outside (0 - 255) range.");
        }
        return symbol->value;
    }
    // NAME.n with NAME a byte symbol.
    const size_t dot = word.find('.');
    if (dot == std::string_view::npos) {
        return -1;
    }
    const SymbolRecord* symbol = host_.FindSymbol(word.substr(0, dot));
    const std::string_view digits = word.substr(dot + 1);
    if (symbol == nullptr || digits.empty()) {
        return -1;
    }
    int32_t bit = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return -1;
        }
        bit = bit < 1000 ? bit * 10 + (c - '0') : bit; // large enough to be refused
    }
    return host_.Evaluator().DotOperator(symbol->value, bit);
}

int32_t CAsm8051::ResolveBit(const Operand& operand, bool fallback)
{
    bool fromExpression = false;
    int32_t bit = LookupBitTracked(operand.word, fromExpression);
    if (bit < 0 && fallback) {
        bit = EvalNarrow(operand.field);
        fromExpression = true;
        if (bit < 0) {
            Pass2Error(" Unknown source operand");
            return 0;
        }
    }
    // A named bit symbol has its own message; a computed one is checked here.
    if (fromExpression && bit >= 256) {
        Error("Specified bit address is out of (0 - 255) range.");
    }
    return bit;
}
