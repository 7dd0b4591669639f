#include "link/download_format.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/text_util.h"
#include "simulator/code_memory.h"

namespace {

constexpr uint8_t kAducPreamble1 = 0x07;
constexpr uint8_t kAducPreamble2 = 0x0E;

constexpr std::array<int, 14> kKnownChips = {812, 814, 816, 824, 831, 832, 834,
                                             836, 841, 842, 843, 845, 847, 848};
constexpr int kLowestLoaderRevision = 200;

} // namespace

uint8_t ChecksumOf(const uint8_t* bytes, int count)
{
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint8_t>(-sum);
}

std::string FormatHexRecord(uint32_t address, const uint8_t* data, int count)
{
    // The address field has four digits; an empty record past FFFFh wraps.
    uint16_t field = static_cast<uint16_t>(address);
    std::vector<uint8_t> summed = {static_cast<uint8_t>(count), static_cast<uint8_t>(field >> 8),
                                   static_cast<uint8_t>(field)};
    summed.insert(summed.end(), data, data + count);
    std::string text = StrFormat(":%02X%04X00", count & 0xFF, field);
    for (int i = 0; i < count; ++i) {
        text += StrFormat("%02X", data[i]);
    }
    text += StrFormat("%02X\r\n", ChecksumOf(summed.data(), static_cast<int>(summed.size())));
    return text;
}

int32_t FirstBlockAddress(const CCodeMemory& code, int blockLength)
{
    int32_t highest = code.HighestAddress();
    int32_t address = 0;
    for (; address <= highest; address += blockLength) {
        for (int32_t a = address; a < address + blockLength && a < CCodeMemory::kSize; ++a) {
            if (code.LineOfAddress(static_cast<uint32_t>(a)) != -1) {
                return address;
            }
        }
    }
    return address;
}

std::vector<uint8_t> AducPacket(char command, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> packet;
    packet.reserve(data.size() + 5);
    packet.push_back(kAducPreamble1);
    packet.push_back(kAducPreamble2);
    packet.push_back(static_cast<uint8_t>(data.size() + 1));
    packet.push_back(static_cast<uint8_t>(command));
    for (uint8_t byte : data) {
        packet.push_back(byte);
    }
    packet.push_back(ChecksumOf(packet.data() + 2, static_cast<int>(packet.size()) - 2));
    return packet;
}

std::vector<uint8_t> AducDataPacket(const CCodeMemory& code, uint32_t address, int blockLength)
{
    std::vector<uint8_t> data = {static_cast<uint8_t>(address >> 16),
                                 static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    for (int i = 0; i < blockLength; ++i) {
        data.push_back(code.ReadCodeByte(address + static_cast<uint32_t>(i)));
    }
    return AducPacket('W', data);
}

int ParseDecimal(const std::string& text, size_t position)
{
    size_t i = position;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int value = 0;
    for (int digits = 0; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i) {
        if (digits++ < 9) {
            value = value * 10 + (text[i] - '0');
        }
    }
    return negative ? -value : value;
}

AducIdentType ParseAducIdent(const std::string& received)
{
    AducIdentType ident;
    if (received.find('\r') == std::string::npos) {
        return ident;
    }
    size_t adi = received.find("ADI");
    if (adi == std::string::npos) {
        ident.result = AducIdentResult::kNoIdent;
        return ident;
    }
    ident.chip = ParseDecimal(received, adi + 3);
    if (std::find(kKnownChips.begin(), kKnownChips.end(), ident.chip) == kKnownChips.end()) {
        ident.result = AducIdentResult::kUnknownChip;
        return ident;
    }
    size_t v = received.find('V', adi);
    if (v == std::string::npos) {
        ident.result = AducIdentResult::kNoRevision;
        return ident;
    }
    ident.revision = ParseDecimal(received, v + 1);
    ident.result = ident.revision < kLowestLoaderRevision ? AducIdentResult::kOldRevision
                                                          : AducIdentResult::kOk;
    return ident;
}
