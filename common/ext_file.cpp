#include "common/ext_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// The number of characters before the first CR or LF among the n at text.
// Eight at a time: lines are short, and a call of memchr per line costs more
// than the line.
size_t RunBeforeLineEnd(const char* text, size_t n)
{
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t kOnes = 0x0101010101010101ull;
        constexpr uint64_t kHighs = 0x8080808080808080ull;
        for (; i + 8 <= n; i += 8) {
            uint64_t word = 0;
            std::memcpy(&word, text + i, 8);
            const uint64_t cr = word ^ (kOnes * '\r');
            const uint64_t lf = word ^ (kOnes * '\n');
            // A byte becomes zero where it equals CR or LF; the lowest such
            // byte is found exactly.
            const uint64_t found = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
            if (found != 0) {
                return i + static_cast<size_t>(std::countr_zero(found) >> 3);
            }
        }
    }
    while (i < n && text[i] != '\r' && text[i] != '\n') {
        ++i;
    }
    return i;
}

} // namespace

CExtFile::CExtFile() : buffer_(kBufferSize) {}

CExtFile::~CExtFile()
{
    Close();
}

bool CExtFile::Open(const std::filesystem::path& path)
{
    Close();
    // Only regular files: a device such as /dev/zero would never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    length_ = ec ? 0 : static_cast<uint64_t>(size);
    bufferPos_ = bufferLen_ = 0;
    lastWasCr_ = false;
    return true;
}

void CExtFile::Close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    bufferPos_ = bufferLen_ = 0;
    length_ = 0;
    lastWasCr_ = false;
}

bool CExtFile::Fill()
{
    if (file_ == nullptr) {
        return false;
    }
    bufferLen_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    bufferPos_ = 0;
    return bufferLen_ > 0;
}

int CExtFile::PeekChar()
{
    if (bufferPos_ >= bufferLen_ && !Fill()) {
        return EOF;
    }
    return static_cast<unsigned char>(buffer_[bufferPos_]);
}

int CExtFile::NextChar()
{
    const int c = PeekChar();
    if (c != EOF) {
        ++bufferPos_;
    }
    return c;
}

bool CExtFile::ReadLine(std::string& line, size_t limit, bool keepCr)
{
    line.clear();
    if (file_ == nullptr) {
        return false;
    }
    if (lastWasCr_ && PeekChar() == '\n') {
        NextChar();
    }
    lastWasCr_ = false;

    bool readAny = false;
    while (true) {
        if (bufferPos_ >= bufferLen_ && !Fill()) {
            return readAny;
        }
        if (line.size() >= limit) {
            // A line of exactly limit characters keeps its own line break.
            const char next = buffer_[bufferPos_];
            if (next != '\r' && next != '\n') {
                return true;
            }
        } else {
            // Copy the run of ordinary characters at once.
            const char* begin = buffer_.data() + bufferPos_;
            const size_t n = std::min(bufferLen_ - bufferPos_, limit - line.size());
            const size_t run = RunBeforeLineEnd(begin, n);
            line.append(begin, run);
            bufferPos_ += run;
            readAny = readAny || run > 0;
            if (run == n) {
                continue; // the buffer or the limit ends first
            }
        }
        const char c = buffer_[bufferPos_++];
        lastWasCr_ = (c == '\r');
        if (keepCr) {
            line.push_back('\r');
        }
        return true;
    }
}

bool CExtFile::AtEnd()
{
    return PeekChar() == EOF;
}

void CExtFile::Rewind()
{
    if (file_ != nullptr) {
        std::rewind(file_);
    }
    bufferPos_ = bufferLen_ = 0;
    lastWasCr_ = false;
}
