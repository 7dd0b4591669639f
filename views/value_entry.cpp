#include "views/value_entry.h"

#include "assembler/assembler.h"
#include "assembler/eval_equation.h"
#include "common/message_sink.h"

namespace {

constexpr size_t kCaptionLimit = 78;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The evaluator's host for a typed value: the last assembly's names, and
// its messages reported as in the final pass, where every fault is told.
class CTypedValueHost : public IEvalHost
{
public:
    explicit CTypedValueHost(const CAssembler& assembler) : assembler_(assembler) {}
    int Pass() const override { return 2; }
    int Radix() const override { return 10; }
    int32_t StatementAddress() const override { return assembler_.GetStatementAddress(); }
    bool DefiningSymbol() const override { return false; }
    const SymbolRecord* FindSymbol(std::string_view name) const override
    {
        return assembler_.Symbols().Find(name);
    }
    const SymbolRecord* FindLabel(std::string_view name) const override
    {
        return assembler_.Labels().Find(name);
    }
    void ReportMessage(const std::string& text, int) override
    {
        if (message.empty()) {
            message = text;
        }
    }

    std::string message;

private:
    const CAssembler& assembler_;
};

} // namespace

std::string ValueCaption(std::string_view prefix, std::string_view lineText)
{
    std::string caption(prefix);
    caption += TrimBlanks(lineText);
    if (caption.size() > kCaptionLimit) {
        caption.resize(kCaptionLimit);
    }
    return caption;
}

std::string_view ValueOperand(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    return TrimBlanks(CEvalEquation::OperandExtent(text));
}

std::optional<int32_t> EvaluateValue(const CAssembler& assembler, IMessageSink& messages,
                                     std::string_view text, bool wide)
{
    const std::string_view operand = ValueOperand(text);
    if (operand.empty()) {
        return std::nullopt;
    }
    CTypedValueHost host(assembler);
    CEvalEquation evaluator(host);
    const int32_t value = evaluator.Evaluate(operand, wide);
    if (!host.message.empty()) {
        messages.ShowMessage(host.message, IMessageSink::Severity::kWarning);
        return std::nullopt;
    }
    return value;
}
