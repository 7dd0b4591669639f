#include "assembler/asm_vocabulary.h"

#include <string>
#include <unordered_map>

#include "assembler/asm8051.h"
#include "assembler/assembler.h"
#include "assembler/sfr_names.h"
#include "common/text_util.h"

namespace {

// The operands the encoder recognises by name rather than by evaluation.
constexpr const char* kOperandKeywords[] = {"A",  "AB", "C",  "DPTR", "PC", "R0", "R1",
                                            "R2", "R3", "R4", "R5",   "R6", "R7"};

using WordIndex = std::unordered_map<std::string, AsmWordKind, NoCaseHash, NoCaseEqual>;

// emplace keeps the first kind a word gets, so the order below decides
// between tables that share a name ("A" is a keyword and an SFR).
WordIndex BuildIndex()
{
    WordIndex index;
    for (const char* keyword : kOperandKeywords) {
        index.emplace(keyword, AsmWordKind::kRegister);
    }
    for (int i = 0; i < CAsm8051::kMnemonicCount; ++i) {
        index.emplace(std::string(CAsm8051::MnemonicName(i)), AsmWordKind::kMnemonic);
    }
    for (const auto& directive : CAssembler::DirectiveNames()) {
        index.emplace(std::string(directive.name),
                      directive.definesName ? AsmWordKind::kDefinition : AsmWordKind::kDirective);
    }
    for (const NamedAddress& sfr : SfrNameTable()) {
        index.emplace(sfr.name, AsmWordKind::kSfr);
    }
    for (const NamedAddress& bit : BitNameTable()) {
        index.emplace(bit.name, AsmWordKind::kBit);
    }
    return index;
}

} // namespace

AsmWordKind ClassifyAsmWord(std::string_view word)
{
    static const WordIndex index = BuildIndex();
    if (!word.empty() && word.front() == '@') {
        word.remove_prefix(1);
    }
    const auto it = index.find(word);
    return it == index.end() ? AsmWordKind::kNone : it->second;
}
