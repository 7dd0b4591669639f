#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

// The far end of the line for tests: plays a HEX text loader, the ADuC8xx
// download loader or a board monitor program, answering as scripted. It sees
// the bytes the host wrote and returns the bytes the board sends back.
class CScriptedBoard
{
public:
    enum class Role
    {
        kHexLoader,
        kAducLoader,
        kMonitorProgram
    };
    enum class Reply
    {
        kAccept,
        kRefuse,
        kSilent
    };

    explicit CScriptedBoard(Role role) : role_(role) {}

    std::string Consume(const uint8_t* data, size_t count);
    std::string Consume(const std::vector<uint8_t>& bytes)
    {
        return Consume(bytes.data(), bytes.size());
    }

    // Answers for the next records or packets; once used up every one is accepted.
    std::deque<Reply> replies;
    // HEX loader: whether a record without data is acknowledged too.
    bool ackEmptyRecords = false;
    // ADuC loader: what the identification request is answered with.
    std::string identText = "ADI841  V210\r\n";

    // What the board received.
    std::map<uint32_t, uint8_t> image;
    std::vector<std::string> records; // HEX record lines, without CR LF
    std::vector<char> packets;        // ADuC command letters in order
    std::vector<uint32_t> packetAddresses;
    int badPackets = 0;
    int endOfFileRecords = 0;
    int identRequests = 0;
    bool erased = false;
    bool ran = false;
    std::vector<uint8_t> monitorAnswers; // 0x06 / 0x07 bytes the host sent

    // A monitor record with a correct checksum, ending with CR LF.
    static std::string MonitorRecord(int type, uint16_t address, const std::vector<uint8_t>& data);

private:
    Reply NextReply();
    std::string HexLine(const std::string& line);
    std::string AducBytes();

    Role role_;
    std::string pending_;
};
