#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/tick_source.h"
#include "link/bridge_discovery.h"
#include "link/receive_ring.h"
#include "link/serial_device.h"

inline constexpr const char* kInvalidRateMessage = "Invalid communication rate";
inline constexpr const char* kOpenFailedMessage = "Unable to open specified communications port.";
inline constexpr const char* kPortVanishedMessage =
    "The communications port is no longer available.";

// The serial line to the board: open by name, line settings, control lines,
// writing, and the receive ring.
class CCommPort
{
public:
    static constexpr int kBufferSize = 4096;

    CCommPort(ISerialDevice& device, IPortCatalog& catalog, ITickSource& clock,
              IMessageSink& messages);

    // Opens the numbered port COM(index+1).
    int Open(int index);
    // Opens a device by name; index is the number the settings remember for it.
    int Open(int index, const std::string& deviceName);
    int Close();

    // The fourteen rates a port accepts.
    static bool IsValidRate(int32_t rate);
    void SetBaudRate(int32_t rate);
    int SetStopBits(int code);

    void SetRts() { DriveRts(1); }
    void ClearRts() { DriveRts(0); }
    void SetDtr() { DriveDtr(1); }
    void ClearDtr() { DriveDtr(0); }

    int Write(const uint8_t* bytes, int count);
    int Write(const std::string& text)
    {
        return Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    }
    void PurgeReceive();
    void PurgeTransmit();

    // With queued writes on, Write returns at once and the bytes wait in a
    // transmit queue that PumpTransmit sends as the busy-waiting Write would:
    // a block in one device write, single bytes at least a millisecond apart,
    // each write only once the one before it is out. A window's event loop
    // keeps running in between.
    void SetQueuedWrites(bool on);
    bool QueuedWrites() const { return queuedWrites_; }
    // A queued write still waits or is still going out.
    bool TransmitPending();
    // Sends what is due now; call it about every millisecond while
    // TransmitPending() holds.
    void PumpTransmit();

    int Receive();
    int Available() const { return ring_.Available(); }
    int ReadRing(uint8_t* destination, int max) { return ring_.Read(destination, max); }
    void FindFrame(uint8_t start, uint8_t end, bool& startFound, bool& endFound, int& startOffset)
    {
        ring_.FindFrame(start, end, startFound, endFound, startOffset);
    }
    int ExtractFrame(uint8_t* destination, int startOffset, int max)
    {
        return ring_.ExtractFrame(destination, startOffset, max);
    }
    bool IsRingEmpty() const { return ring_.IsEmpty(); }
    void ResetRing() { ring_.Reset(); }

    int PortIndex() const { return portIndex_; }
    bool IsOpen() const { return portIndex_ >= 0; }
    const std::string& PortName() const { return portName_; }
    int32_t BaudRate() const { return baudRate_; }
    bool IsBridge() const { return isBridge_; }
    int RtsState() const { return rts_; }
    int DtrState() const { return dtr_; }
    uint32_t LineErrors() const { return lineErrors_; }
    const LineSettingsType& LineSettings() const { return settings_; }
    const std::vector<CP2101Type>& Bridges() const { return bridges_; }
    int LastReceiveCount() const { return lastReceiveCount_; }
    const CReceiveRing& Ring() const { return ring_; }

protected:
    // Set by Receive when a full ring had to drop its unread content.
    bool droppedOnReceive_ = false;

private:
    void DriveRts(int level);
    void DriveDtr(int level);
    void FailOpen();
    void NoteErrors(uint32_t errorBits);
    bool PreviousWriteDone();
    void DropTransmitQueue();

    ISerialDevice& device_;
    IPortCatalog& catalog_;
    ITickSource& clock_;
    IMessageSink& messages_;

    int portIndex_ = -1;
    std::string portName_;
    uint32_t lineErrors_ = 0;
    LineSettingsType settings_;
    int32_t baudRate_ = 9600;
    int rts_ = 0;
    int dtr_ = 0;
    std::vector<CP2101Type> bridges_;
    bool isBridge_ = false;
    CReceiveRing ring_;
    int lastReceiveCount_ = 0;

    struct QueuedWriteType
    {
        std::vector<uint8_t> bytes;
        bool block = false; // one device write; else byte by byte, paced
    };
    bool queuedWrites_ = false;
    std::deque<QueuedWriteType> transmitQueue_;
    size_t transmitOffset_ = 0; // bytes of the front write already sent
    bool byteGap_ = false;      // a paced byte went out at lastByteTime_
    uint32_t lastByteTime_ = 0;
    bool blockDraining_ = false; // a block write is with the device until blockDeadline_
    uint32_t blockDeadline_ = 0;
};
