// Bytes from the board into a download session of each loader type, on the
// 5 ms timer of the Download Progress dialog. The board's bytes arrive after
// pauses or as the answer to the host's next write, so an input can play a
// whole exchange with the loader. Whatever arrives: every write is a record
// or packet of the protocol, the received text and the ring stay bounded,
// the address never passes the image, and once the dialog goes the session
// is stopped with the loader deselected and the board out of reset.
//
// Input: a setup byte (loader type, sector size, image, rate), then events:
// bytes sent after a number of ticks, a long pause, an answer for the next
// write, the dialog's Cancel, line conditions.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "link/download_format.h"
#include "link/download_session.h"
#include "link_fuzz_rig.h"
#include "simulator/code_memory.h"

namespace {

constexpr int kMaxTicks = 40000;
// The board falls silent at the end: this long is left for the session to
// finish or retry, which must not hang or grow anything.
constexpr int kQuietTicks = 3000;

// Bytes stored as the assembler stores them: each with a source line.
void Store(CCodeMemory& code, uint32_t address, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        code.StoreCode(static_cast<int32_t>((address + i) & 0xFFFF), bytes[i],
                       static_cast<int32_t>(i), 0, 2, true);
    }
}

std::vector<uint8_t> Pattern(size_t count, uint8_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

void BuildImage(CCodeMemory& code, uint8_t choice, CFuzzInput& in)
{
    switch (choice % 4) {
    case 0:
        Store(code, 0x0040, Pattern(300, 0x11));
        break;
    case 1: // a vector at 0 and a table up to the last address
        Store(code, 0x0000, {0x02, 0x00, 0x30});
        Store(code, 0xFFE0, Pattern(32, 0x80));
        break;
    case 2: // nothing assembled
        break;
    default: {
        const uint16_t address = in.Word();
        const std::string_view bytes = in.Bytes(in.Byte());
        Store(code, address, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        break;
    }
    }
}

int SectorSize(uint8_t choice, CFuzzInput& in)
{
    switch (choice % 4) {
    case 0:
        return 64;
    case 1:
        return 128;
    case 2:
        return 16;
    default:
        return static_cast<int8_t>(in.Byte()) * 3; // odd, zero and negative sizes too
    }
}

bool ChecksumHolds(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    unsigned sum = 0;
    for (size_t i = from; i < to; ++i) {
        sum += bytes[i];
    }
    return (sum & 0xFF) == 0;
}

int HexValue(uint8_t c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// A written HEX record: ':' count address type data checksum CR LF, upper-case hex.
bool IsHexRecord(const std::string& text)
{
    if (text.size() < 13 || text[0] != ':' || text.substr(text.size() - 2) != "\r\n") {
        return false;
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i + 2 < text.size(); i += 2) {
        const auto hi = static_cast<uint8_t>(text[i]);
        const auto lo = static_cast<uint8_t>(text[i + 1]);
        if (!std::isxdigit(hi) || !std::isxdigit(lo) || std::islower(hi) || std::islower(lo)) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(HexValue(hi) * 16 + HexValue(lo)));
    }
    return (text.size() - 3) % 2 == 0 && bytes.size() == size_t{bytes[0]} + 5u &&
           ChecksumHolds(bytes, 0, bytes.size());
}

// A written ADuC packet: 07h 0Eh count command data checksum, or the hello.
bool IsAducPacket(const std::vector<uint8_t>& bytes)
{
    if (bytes == std::vector<uint8_t>{0x21, 0x5A, 0x00, 0xA6}) {
        return true;
    }
    return bytes.size() >= 5 && bytes[0] == 0x07 && bytes[1] == 0x0E &&
           bytes.size() == size_t{bytes[2]} + 4u && ChecksumHolds(bytes, 2, bytes.size());
}

class CDownloadPlayer
{
public:
    CDownloadPlayer(LinkFuzzRigType& rig, const CCodeMemory& code, int loaderType)
        : rig_(rig), loaderType_(loaderType), session_(rig.port, code, rig.clock, rig.sink)
    {
        session_.SetLoaderType(loaderType);
    }

    CDownloadSession& Session() { return session_; }

    void Tick()
    {
        rig_.answeredThisStep = false;
        rig_.clock.Advance(CDownloadSession::kTimerPeriodMs);
        session_.Tick();
        ++ticks_;
        CheckWrites();
        rig_.CheckBounded();
        FuzzCheck(session_.ReceivedText().size() <= CDownloadSession::kReceiveBufferSize,
                  "the received text is bounded");
        FuzzCheck(session_.Status().size() <= CDownloadSession::kReceiveBufferSize + 64,
                  "the status text is bounded");
        FuzzCheck(session_.CurrentAddress() <= 0x10000 + CDownloadSession::kAducBlockSize,
                  "the address stays in the code memory");
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count && session_.IsRunning() && ticks_ < kMaxTicks; ++i) {
            Tick();
        }
    }

    void Play(CFuzzInput& in)
    {
        while (!in.Empty() && session_.IsRunning() && ticks_ < kMaxTicks) {
            const uint8_t op = in.Byte();
            switch (op >> 6) {
            case 0:
                Ticks(op % 64);
                rig_.Send(in.Bytes(in.Byte()));
                break;
            case 1:
                Ticks((op % 64) * 50);
                break;
            case 2:
                rig_.Answer(in.Bytes(op % 64 == 63 ? in.Byte() : op % 64));
                break;
            default:
                if ((op & 0x20) != 0) {
                    rig_.LineEvent(op, in);
                } else if ((op & 0x1F) == 0) {
                    session_.Cancel();
                }
                break;
            }
        }
        Ticks(kQuietTicks);
    }

private:
    void CheckWrites()
    {
        for (; checkedWrites_ < rig_.device.writes.size(); ++checkedWrites_) {
            const std::vector<uint8_t>& write = rig_.device.writes[checkedWrites_];
            if (rig_.port.BaudRate() > 9600) {
                continue; // written byte by byte: the record is spread over several writes
            }
            if (loaderType_ == kLoaderAduc) {
                FuzzCheck(IsAducPacket(write), "every write is an ADuC packet");
            } else {
                FuzzCheck(IsHexRecord(std::string(write.begin(), write.end())),
                          "every write is a HEX record");
            }
        }
    }

    LinkFuzzRigType& rig_;
    int loaderType_;
    CDownloadSession session_;
    size_t checkedWrites_ = 0;
    int ticks_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t setup = in.Byte();
    const int loaderType = setup % 4;
    CCodeMemory code;
    BuildImage(code, setup >> 4, in);
    LinkFuzzRigType rig;
    rig.port.Open(0, kFuzzPortName);
    rig.port.SetBaudRate((setup & 0x40) != 0 && (setup & 0x80) != 0 ? 115200 : 9600);

    CDownloadPlayer player(rig, code, loaderType);
    player.Session().SetSectorSize(SectorSize(setup >> 2, in));
    FuzzCheck(player.Session().Begin(), "a download begins on an open port");
    player.Play(in);

    // The dialog goes: whatever state the exchange reached, the session stops,
    // and on a port still open the loader is deselected and the board runs.
    player.Session().Cancel();
    player.Session().End();
    FuzzCheck(!player.Session().IsRunning(), "the session stops with the dialog");
    if (rig.port.IsOpen()) {
        FuzzCheck(!rig.device.rts, "the loader select line is low at the end");
        FuzzCheck(rig.device.dtr, "the board is out of reset at the end");
    }
    return 0;
}
