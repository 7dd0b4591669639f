#include "common/ext_file.h"

#include <algorithm>

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
        // Copy the run of ordinary characters at once.
        if (bufferPos_ < bufferLen_ && line.size() < limit) {
            const char* begin = buffer_.data() + bufferPos_;
            size_t n = std::min(bufferLen_ - bufferPos_, limit - line.size());
            size_t run = 0;
            while (run < n && begin[run] != '\r' && begin[run] != '\n') {
                ++run;
            }
            if (run > 0) {
                line.append(begin, run);
                bufferPos_ += run;
                readAny = true;
                continue;
            }
        }
        if (line.size() >= limit) {
            // A line of exactly limit characters keeps its own line break.
            const int next = PeekChar();
            if (next != '\r' && next != '\n') {
                return true;
            }
        }
        const int c = NextChar();
        if (c == EOF) {
            return readAny;
        }
        readAny = true;
        if (c == '\r' || c == '\n') {
            lastWasCr_ = (c == '\r');
            if (keepCr) {
                line.push_back('\r');
            }
            return true;
        }
        line.push_back(static_cast<char>(c));
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
