#include "simulator/virtual_buttons.h"

#include "common/text_util.h"
#include "simulator/assembler_link.h"
#include "simulator/sim8051.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// The next comma-separated field of a workspace value, or nothing once the
// value is used up.
std::optional<std::string_view> NextField(std::string_view value, size_t& pos)
{
    if (pos > value.size()) {
        return std::nullopt;
    }
    const size_t comma = value.find(',', pos);
    const size_t end = comma == std::string_view::npos ? value.size() : comma;
    const std::string_view field = value.substr(pos, end - pos);
    pos = end + 1;
    return field;
}

// A decimal integer with an optional sign; anything else reads as 0.
int32_t ParseNumber(std::string_view field)
{
    size_t pos = 0;
    while (pos < field.size() && (field[pos] == ' ' || field[pos] == '\t')) {
        ++pos;
    }
    const bool negative = pos < field.size() && field[pos] == '-';
    if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
        ++pos;
    }
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    int64_t number = 0;
    for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos) {
        number = std::min(number * 10 + (field[pos] - '0'), kLimit);
    }
    return static_cast<int32_t>(negative ? -number : number);
}

// Texts are written up to their first comma (or line end): a comma would
// shift every later field of the line when it is read back.
std::string_view SavedText(std::string_view text)
{
    return text.substr(0, text.find_first_of(std::string_view(",\r\n\0", 4)));
}

} // namespace

uint8_t CVirtualButtonList::PortReadOverride(ButtonResource resource, uint32_t address,
                                             uint8_t stored) const
{
    const auto wanted = static_cast<int32_t>(resource);
    for (const VirtualButtonType& button : buttons_) {
        if (!button.windowExists || !button.pressed || button.resourceType != wanted ||
            button.address < 0 || static_cast<uint32_t>(button.address) != address) {
            continue;
        }
        const auto mask = static_cast<uint8_t>(button.mask);
        switch (button.operation) {
        case kButtonAnd:
            return stored & mask;
        case kButtonOr:
            return stored | mask;
        case kButtonXor:
            return stored ^ mask;
        case kButtonSet:
            return mask;
        default:
            return stored;
        }
    }
    return stored;
}

int CVirtualButtonList::NewButton()
{
    buttons_.emplace_back();
    return ButtonCount() - 1;
}

const VirtualButtonType* CVirtualButtonList::GetButton(int index) const
{
    return Valid(index) ? &buttons_[index] : nullptr;
}

void CVirtualButtonList::EvaluateAddress(VirtualButtonType& button)
{
    if (resolver_ != nullptr) {
        button.address = resolver_->EvaluateText(button.addressText, true);
    }
}

void CVirtualButtonList::EvaluateAddresses()
{
    for (VirtualButtonType& button : buttons_) {
        EvaluateAddress(button);
    }
}

int CVirtualButtonList::LoadButton(std::string_view value)
{
    VirtualButtonType& button = buttons_.emplace_back();
    size_t pos = 0;
    // Fields the value does not reach keep their defaults.
    auto number = [&](int32_t& field) {
        if (const auto text = NextField(value, pos)) {
            field = ParseNumber(*text);
        }
    };
    auto text = [&](std::string& field) {
        if (const auto found = NextField(value, pos)) {
            field = std::string(*found);
        }
    };
    number(button.window.top);
    number(button.window.left);
    number(button.window.bottom);
    number(button.window.right);
    number(button.operation);
    text(button.buttonText);
    number(button.mask);
    number(button.latching);
    number(button.resourceType);
    text(button.addressText);
    EvaluateAddress(button);
    return ButtonCount() - 1;
}

std::string CVirtualButtonList::FormatButton(int index) const
{
    if (!Valid(index)) {
        return {};
    }
    const VirtualButtonType& b = buttons_[index];
    const std::string_view caption = SavedText(b.buttonText);
    const std::string_view address = SavedText(b.addressText);
    return StrFormat("%d,%d,%d,%d,%d,%.*s,%d,%d,%d,%.*s", b.window.top, b.window.left,
                     b.window.bottom, b.window.right, b.operation, static_cast<int>(caption.size()),
                     caption.data(), b.mask, b.latching, b.resourceType,
                     static_cast<int>(address.size()), address.data());
}

std::vector<std::string> CVirtualButtonList::WorkspaceValues() const
{
    std::vector<std::string> values;
    for (int i = 0; i < ButtonCount(); ++i) {
        if (buttons_[i].windowExists) {
            values.push_back(FormatButton(i));
        }
    }
    return values;
}

void CVirtualButtonList::ConfigureButton(int index, const VirtualButtonType& fields)
{
    if (!Valid(index)) {
        return;
    }
    VirtualButtonType& button = buttons_[index];
    button.buttonText = fields.buttonText;
    button.addressText = fields.addressText;
    button.mask = fields.mask;
    button.resourceType = fields.resourceType;
    button.latching = fields.latching;
    button.operation = fields.operation;
    EvaluateAddress(button);
}

void CVirtualButtonList::SetWindowRect(int index, const WindowRectType& rect)
{
    if (Valid(index)) {
        buttons_[index].window = rect;
    }
}

bool CVirtualButtonList::PressButton(int index)
{
    if (!Valid(index) || !buttons_[index].windowExists) {
        return false;
    }
    buttons_[index].pressed = !buttons_[index].pressed;
    UpdateHook();
    return true;
}

bool CVirtualButtonList::ReleaseButton(int index)
{
    if (!Valid(index)) {
        return false;
    }
    VirtualButtonType& button = buttons_[index];
    if (!button.pressed || button.latching != 0) {
        return false;
    }
    button.pressed = false;
    UpdateHook();
    return true;
}

void CVirtualButtonList::CloseButton(int index)
{
    if (Valid(index)) {
        buttons_[index].windowExists = false;
        buttons_[index].pressed = false;
        UpdateHook();
    }
}

void CVirtualButtonList::ClearButtons()
{
    buttons_.clear();
    UpdateHook();
}

void CVirtualButtonList::UpdateHook()
{
    const bool active = std::any_of(buttons_.begin(), buttons_.end(), [](const auto& button) {
        return button.windowExists && button.pressed;
    });
    // Reads skip the list entirely while nothing is pressed.
    if (active != hooked_) {
        sim_.SetPortOverride(active ? this : nullptr);
        hooked_ = active;
    }
}
