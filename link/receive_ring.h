#pragma once

#include <array>
#include <cstdint>

// The 4096-byte circular receive buffer shared by the download and the board
// monitor. One byte always stays free so that read == write means empty.
class CReceiveRing
{
public:
    static constexpr int kSize = 4096;

    CReceiveRing();

    int FreeSpace() const;
    // Copies n bytes (n <= FreeSpace()) in at the write index.
    void Append(const uint8_t* data, int n);
    // Drops the unread content, keeping the buffer as it is.
    void Drop() { readIndex_ = writeIndex_ = 0; }

    int Available() const;
    int Read(uint8_t* destination, int max);
    bool IsEmpty() const { return readIndex_ == writeIndex_; }
    // Both indexes to 0 and the buffer to zeros.
    void Reset();

    // Scans the unread bytes for a start byte and, after it, an end byte.
    void FindFrame(uint8_t start, uint8_t end, bool& startFound, bool& endFound, int& startOffset);
    // Copies the frame at startOffset (found by FindFrame) up to and including
    // the end byte, at most max bytes; everything before it is discarded.
    int ExtractFrame(uint8_t* destination, int startOffset, int max);

    int ReadIndex() const { return readIndex_; }
    int WriteIndex() const { return writeIndex_; }
    uint8_t At(int offset) const { return buffer_[Wrap(offset)]; }
    static int Wrap(int offset) { return offset & (kSize - 1); }

private:
    std::array<uint8_t, kSize> buffer_{};
    int writeIndex_ = 0;
    int readIndex_ = 0;
    uint8_t frameStart_ = 0;
    uint8_t frameEnd_ = 0;
};
