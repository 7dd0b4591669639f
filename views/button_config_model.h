#pragma once

#include <optional>
#include <string>
#include <vector>

#include "simulator/virtual_buttons.h"

class CAssembler;
class IMessageSink;

// The "Virtual Button Configuration" dialog's fields as the user edits them.
struct ButtonFieldsType
{
    std::string addressText;
    std::string maskText;
    std::string buttonText;
    int32_t resourceType = 0; // 0 Port, 1 External Memory
    int32_t latching = 0;     // 0 Momentary, 1 Latching
    int32_t operation = kButtonAnd;
};

ButtonFieldsType FieldsOfButton(const VirtualButtonType& button);

// The names the address list offers: the ports for a Port button, nothing
// for External Memory (the user types an address).
std::vector<std::string> ButtonAddressList(int32_t resourceType);

// OK: the fields as the button list takes them, or nothing after a message
// when the address or the mask cannot be used.
std::optional<VirtualButtonType> AcceptButtonFields(const ButtonFieldsType& fields,
                                                    const CAssembler& assembler,
                                                    IMessageSink& messages);

// The mask as the dialog shows it: a hexadecimal number the evaluator reads.
std::string MaskText(int32_t mask);
