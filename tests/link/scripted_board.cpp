#include "scripted_board.h"

#include <cstdio>
#include <cstdlib>

namespace {

uint8_t Checksum(const std::vector<uint8_t>& bytes)
{
    unsigned sum = 0;
    for (uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<uint8_t>(0x100 - (sum & 0xFF));
}

int HexValue(const std::string& text, size_t at)
{
    return static_cast<int>(std::strtol(text.substr(at, 2).c_str(), nullptr, 16));
}

} // namespace

CScriptedBoard::Reply CScriptedBoard::NextReply()
{
    if (replies.empty()) {
        return Reply::kAccept;
    }
    Reply reply = replies.front();
    replies.pop_front();
    return reply;
}

std::string CScriptedBoard::Consume(const uint8_t* data, size_t count)
{
    pending_.append(reinterpret_cast<const char*>(data), count);
    if (role_ == Role::kMonitorProgram) {
        monitorAnswers.insert(monitorAnswers.end(), pending_.begin(), pending_.end());
        pending_.clear();
        return {};
    }
    if (role_ == Role::kAducLoader) {
        return AducBytes();
    }
    std::string answer;
    size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        answer += HexLine(line);
    }
    return answer;
}

std::string CScriptedBoard::HexLine(const std::string& line)
{
    records.push_back(line);
    if (line.size() < 11 || line[0] != ':') {
        return ":1\r\n";
    }
    int count = HexValue(line, 1);
    int address = HexValue(line, 3) * 256 + HexValue(line, 5);
    int type = HexValue(line, 7);
    std::vector<uint8_t> summed = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address), static_cast<uint8_t>(type)};
    if (line.size() != static_cast<size_t>(11 + 2 * count)) {
        return ":1\r\n";
    }
    for (int i = 0; i < count; ++i) {
        summed.push_back(static_cast<uint8_t>(HexValue(line, 9 + 2 * static_cast<size_t>(i))));
    }
    if (Checksum(summed) != HexValue(line, 9 + 2 * static_cast<size_t>(count))) {
        return ":1\r\n";
    }
    if (type == 1) {
        ++endOfFileRecords;
        return {};
    }
    if (count == 0 && !ackEmptyRecords) {
        return {};
    }
    switch (NextReply()) {
    case Reply::kAccept:
        for (int i = 0; i < count; ++i) {
            image[static_cast<uint32_t>(address + i)] = summed[static_cast<size_t>(4 + i)];
        }
        return ":0\r\n";
    case Reply::kRefuse:
        return ":1\r\n";
    case Reply::kSilent:
        return {};
    }
    return {};
}

std::string CScriptedBoard::AducBytes()
{
    std::string answer;
    while (!pending_.empty()) {
        if (pending_.rfind(std::string("!Z\0\xA6", 4), 0) == 0) {
            pending_.erase(0, 4);
            ++identRequests;
            answer += identText;
            continue;
        }
        if (pending_.size() < 3) {
            break;
        }
        if (static_cast<uint8_t>(pending_[0]) != 0x07 ||
            static_cast<uint8_t>(pending_[1]) != 0x0E) {
            pending_.erase(0, 1); // resynchronise on the next preamble
            continue;
        }
        size_t length = static_cast<uint8_t>(pending_[2]);
        if (pending_.size() < length + 4) {
            break;
        }
        std::vector<uint8_t> summed(pending_.begin() + 2, pending_.begin() + 3 + length);
        uint8_t checksum = static_cast<uint8_t>(pending_[3 + length]);
        char command = pending_[3];
        std::vector<uint8_t> body(pending_.begin() + 4, pending_.begin() + 3 + length);
        pending_.erase(0, length + 4);
        if (Checksum(summed) != checksum) {
            ++badPackets;
            answer += '\x07';
            continue;
        }
        Reply reply = NextReply();
        if (reply == Reply::kSilent) {
            continue;
        }
        if (reply == Reply::kRefuse) {
            answer += '\x07';
            continue;
        }
        packets.push_back(command);
        if (command == 'C') {
            erased = true;
        } else if (command == 'W' && body.size() >= 3) {
            uint32_t address = (uint32_t{body[0]} << 16) | (uint32_t{body[1]} << 8) | body[2];
            packetAddresses.push_back(address);
            for (size_t i = 3; i < body.size(); ++i) {
                image[address + static_cast<uint32_t>(i - 3)] = body[i];
            }
        } else if (command == 'U') {
            ran = true;
        }
        answer += '\x06';
    }
    return answer;
}

std::string CScriptedBoard::MonitorRecord(int type, uint16_t address,
                                          const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> summed = {static_cast<uint8_t>(data.size()),
                                   static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address), static_cast<uint8_t>(type)};
    summed.insert(summed.end(), data.begin(), data.end());
    char text[8];
    std::string record = ":";
    for (uint8_t b : summed) {
        std::snprintf(text, sizeof text, "%02X", b);
        record += text;
    }
    std::snprintf(text, sizeof text, "%02X", Checksum(summed));
    record += text;
    return record + "\r\n";
}
