#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CCodeMemory;

// The bytes the loaders on the board take: Intel HEX record text for the text
// loaders, and the packets of the ADuC8xx serial download protocol.

inline constexpr const char* kEndOfFileRecord = ":00000001FF\r\n";

// Two's complement of the low eight bits of the sum.
uint8_t ChecksumOf(const uint8_t* bytes, int count);

// ":" count, address, "00", data, checksum, CR LF; upper-case hex digits.
std::string FormatHexRecord(uint32_t address, const uint8_t* data, int count);

// The first multiple of blockLength whose block holds a byte the assembler
// produced; the first multiple past the highest stored address when none does.
int32_t FirstBlockAddress(const CCodeMemory& code, int blockLength);

// 0x07 0x0E, count, command letter, data, checksum over count to data.
std::vector<uint8_t> AducPacket(char command, const std::vector<uint8_t>& data);
// A "W" packet: 24-bit address and blockLength code bytes from it.
std::vector<uint8_t> AducDataPacket(const CCodeMemory& code, uint32_t address, int blockLength);

// What the ADuC loader's identification text says.
enum class AducIdentResult
{
    kIncomplete,
    kNoIdent,
    kUnknownChip,
    kNoRevision,
    kOldRevision,
    kOk
};
struct AducIdentType
{
    AducIdentResult result = AducIdentResult::kIncomplete;
    int chip = 0;
    int revision = 0;
};
AducIdentType ParseAducIdent(const std::string& received);

// A decimal number as the C library reads it: leading blanks and a sign are
// skipped; digits beyond nine are ignored so the value stays in range.
int ParseDecimal(const std::string& text, size_t position);
