#include "simulator/disassembler.h"

#include "simulator/opcode_table.h"

#include "common/text_util.h"

namespace {

// An assembler number: a leading 0 before a letter, an H behind, and an
// optional prefix ("#", "/"). Built by appending only: gcc 12 at -O3 warns
// falsely about concatenations of a literal and a temporary string.
std::string Hex(uint32_t value, int digits, const char* prefix = "")
{
    const std::string digitsText = StrFormat("%0*X", digits, value);
    std::string text(prefix);
    if (digitsText[0] >= 'A') {
        text += '0';
    }
    text += digitsText;
    text += 'H';
    return text;
}

struct OperandReader
{
    const CCodeMemory& code;
    uint32_t address; // of the instruction
    uint32_t next;    // of the next operand byte
    uint32_t length;

    uint8_t Byte() { return code.ReadCodeByte(next++); }

    std::string Text(O kind, uint8_t op)
    {
        switch (kind) {
        case O::kNone:
            return "";
        case O::kA:
            return "A";
        case O::kAB:
            return "AB";
        case O::kC:
            return "C";
        case O::kDptr:
            return "DPTR";
        case O::kAtDptr:
            return "@DPTR";
        case O::kAtADptr:
            return "@A+DPTR";
        case O::kAtAPc:
            return "@A+PC";
        case O::kRn:
            return StrFormat("R%d", op & 7);
        case O::kAtRi:
            return StrFormat("@R%d", op & 1);
        case O::kDirect:
            return Hex(Byte(), 2);
        case O::kImm8:
            return Hex(Byte(), 2, "#");
        case O::kBit:
            return Hex(Byte(), 2);
        case O::kNotBit:
            return Hex(Byte(), 2, "/");
        case O::kRel: {
            const auto offset = static_cast<int8_t>(Byte());
            return Hex((address + length + offset) & 0xFFFF, 4);
        }
        case O::kAddr11: {
            const uint32_t page = ((address + length) & 0xF800) | (op >> 5) << 8;
            return Hex(page | Byte(), 4);
        }
        case O::kImm16:
        case O::kAddr16: {
            const uint32_t high = Byte();
            return Hex(high << 8 | Byte(), 4, kind == O::kImm16 ? "#" : "");
        }
        }
        return "";
    }
};

} // namespace

DisassembledType Disassemble(const CCodeMemory& code, uint32_t address)
{
    const uint8_t op = code.ReadCodeByte(address);
    const OpcodeInfo& row = OpcodeTable[op];
    OperandReader reader{code, address, address + 1, row.length};
    std::string operands[3];
    if (op == kMovDirectDirect) {
        // Encoded source first, written destination first.
        operands[1] = reader.Text(O::kDirect, op);
        operands[0] = reader.Text(O::kDirect, op);
    } else {
        for (int i = 0; i < 3; ++i) {
            operands[i] = reader.Text(row.operands[i], op);
        }
    }
    DisassembledType result;
    result.length = row.length;
    result.text = std::string(kMnemonicText[static_cast<size_t>(row.mnemonic)]);
    if (row.mnemonic == Mn::kUndefined) {
        result.text += ' ';
        result.text += Hex(op, 2);
        return result;
    }
    for (int i = 0; i < 3 && !operands[i].empty(); ++i) {
        result.text += i == 0 ? ' ' : ',';
        result.text += operands[i];
    }
    return result;
}
