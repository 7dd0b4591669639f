#include "views/button_config_model.h"

#include <algorithm>
#include <array>

#include "assembler/assembler.h"
#include "common/message_sink.h"
#include "common/text_util.h"
#include "views/value_entry.h"

namespace {

constexpr std::array<int32_t, 4> kPortAddresses = {0x80, 0x90, 0xA0, 0xB0};

void Refuse(IMessageSink& messages, const char* text)
{
    messages.ShowMessage(text, IMessageSink::Severity::kWarning);
}

} // namespace

ButtonFieldsType FieldsOfButton(const VirtualButtonType& button)
{
    ButtonFieldsType fields;
    fields.addressText = button.addressText;
    fields.maskText = MaskText(button.mask);
    fields.buttonText = button.buttonText;
    fields.resourceType = button.resourceType == 1 ? 1 : 0;
    fields.latching = button.latching != 0 ? 1 : 0;
    fields.operation = button.operation >= kButtonAnd && button.operation <= kButtonSet
                           ? button.operation
                           : kButtonAnd;
    return fields;
}

std::vector<std::string> ButtonAddressList(int32_t resourceType)
{
    if (resourceType != 0) {
        return {};
    }
    return {"P0", "P1", "P2", "P3"};
}

std::string MaskText(int32_t mask)
{
    const unsigned value = static_cast<unsigned>(mask) & 0xFF;
    // A leading digit keeps A-F from reading as a name.
    return StrFormat(value >= 0xA0 ? "0%02XH" : "%02XH", value);
}

std::optional<VirtualButtonType> AcceptButtonFields(const ButtonFieldsType& fields,
                                                    const CAssembler& assembler,
                                                    IMessageSink& messages)
{
    if (ValueOperand(fields.addressText).empty()) {
        Refuse(messages, "Enter the address the button acts on.");
        return std::nullopt;
    }
    const std::optional<int32_t> address =
        EvaluateValue(assembler, messages, fields.addressText, true);
    if (!address) {
        return std::nullopt;
    }
    if (fields.resourceType == 0 &&
        std::find(kPortAddresses.begin(), kPortAddresses.end(), *address) == kPortAddresses.end()) {
        Refuse(messages, "A port button acts on P0, P1, P2 or P3.");
        return std::nullopt;
    }
    if (ValueOperand(fields.maskText).empty()) {
        Refuse(messages, "Enter a mask between 0 and 255.");
        return std::nullopt;
    }
    const std::optional<int32_t> mask = EvaluateValue(assembler, messages, fields.maskText, false);
    if (!mask) {
        return std::nullopt;
    }
    if (*mask < 0 || *mask > 0xFF) {
        Refuse(messages, "Enter a mask between 0 and 255.");
        return std::nullopt;
    }
    VirtualButtonType button;
    button.addressText = std::string(ValueOperand(fields.addressText));
    button.mask = *mask;
    button.buttonText = fields.buttonText;
    button.resourceType = fields.resourceType == 1 ? 1 : 0;
    button.latching = fields.latching != 0 ? 1 : 0;
    button.operation = fields.operation;
    return button;
}
