#pragma once

#include <string>
#include <vector>

#include "views/watch_model.h"

class ISettingsStore;
class ISymbolResolver;

// Which controls of the Add Watch dialog take input.
struct AddWatchEnablesType
{
    bool format = true;
    bool bitIndex = false;
    bool byteOrder = false;
    bool radix = true;
    bool nullTerminated = false;
    bool stringLength = false;
    bool ok = false;
};

// The rules of the Add Watch / Modify Watch dialog without its widgets.
class CAddWatchModel
{
public:
    static constexpr size_t kNameLimit = 32;

    CAddWatchModel(ISymbolResolver& resolver, ISettingsStore& settings)
        : resolver_(resolver), settings_(settings)
    {}

    // Opening: negative fields become 0; a negative resource type (the
    // editor's quick add) is derived from the name; a Word or Double Word
    // without a byte order takes the one last used.
    void Open(const WatchFieldsType& fields);
    const WatchFieldsType& Fields() const { return fields_; }

    void SetName(std::string name);
    void SetResourceType(int32_t type);
    // A format change that reaches Word or Double Word loads the byte order
    // last used for it.
    void SetFormat(int32_t format);
    void SetBitIndex(int32_t index);
    void SetByteOrderText(std::string text) { fields_.byteOrderText = std::move(text); }
    void SetRadix(int32_t radix);
    void SetNullTerminated(bool on) { fields_.nullTerminated = on ? 1 : 0; }
    // False (and unchanged) for text that is not a length.
    bool SetStringLengthText(const std::string& text);
    // An entry chosen from the address list: copied into the address and,
    // for a bit name under Direct Memory and Bit, its bit index selected.
    void PickAddress(const std::string& entry);

    // The names the address list offers for the resource type and format.
    std::vector<std::string> AddressList() const;
    AddWatchEnablesType Enables() const;
    // OK: the byte order is kept as the last one used for its format.
    bool Accept();

private:
    void DeriveResourceType();
    void LoadByteOrder();

    ISymbolResolver& resolver_;
    ISettingsStore& settings_;
    WatchFieldsType fields_;
};
