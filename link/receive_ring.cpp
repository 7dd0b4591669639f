#include "link/receive_ring.h"

#include <algorithm>
#include <cstring>

static_assert((CReceiveRing::kSize & (CReceiveRing::kSize - 1)) == 0, "wrapping uses a mask");

CReceiveRing::CReceiveRing() = default;

int CReceiveRing::FreeSpace() const
{
    if (readIndex_ > writeIndex_) {
        return readIndex_ - writeIndex_ - 1;
    }
    return kSize - 1 - (writeIndex_ - readIndex_);
}

void CReceiveRing::Append(const uint8_t* data, int n)
{
    n = std::clamp(n, 0, FreeSpace());
    int first = std::min(n, kSize - writeIndex_);
    std::memcpy(buffer_.data() + writeIndex_, data, static_cast<size_t>(first));
    std::memcpy(buffer_.data(), data + first, static_cast<size_t>(n - first));
    writeIndex_ = Wrap(writeIndex_ + n);
}

int CReceiveRing::Available() const
{
    if (readIndex_ <= writeIndex_) {
        return writeIndex_ - readIndex_;
    }
    return writeIndex_ + kSize - readIndex_;
}

int CReceiveRing::Read(uint8_t* destination, int max)
{
    int n = std::min(Available(), std::max(max, 0));
    for (int i = 0; i < n; ++i) {
        destination[i] = buffer_[readIndex_];
        readIndex_ = Wrap(readIndex_ + 1);
    }
    return n;
}

void CReceiveRing::Reset()
{
    readIndex_ = writeIndex_ = 0;
    buffer_.fill(0);
}

void CReceiveRing::FindFrame(uint8_t start, uint8_t end, bool& startFound, bool& endFound,
                             int& startOffset)
{
    frameStart_ = start;
    frameEnd_ = end;
    for (int offset = readIndex_; offset != writeIndex_; offset = Wrap(offset + 1)) {
        uint8_t byte = buffer_[offset];
        if (!startFound) {
            if (byte == start) {
                startFound = true;
                startOffset = offset;
            }
        } else if (byte == end) {
            endFound = true;
            return;
        }
    }
}

int CReceiveRing::ExtractFrame(uint8_t* destination, int startOffset, int max)
{
    if (startOffset < 0 || startOffset >= kSize || buffer_[startOffset] != frameStart_) {
        return 0;
    }
    // Only bytes up to the write index have been received; anything past it is
    // stale content of the buffer, however the read index stands.
    int unread = Wrap(writeIndex_ - startOffset);
    int copied = 0;
    int offset = startOffset;
    while (copied < max && copied < unread) {
        uint8_t byte = buffer_[offset];
        destination[copied++] = byte;
        offset = Wrap(offset + 1);
        if (byte == frameEnd_ && copied > 1) {
            break;
        }
    }
    readIndex_ = Wrap(startOffset + copied);
    return copied;
}
