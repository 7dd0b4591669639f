#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// A read-only text file read through a 32 KB buffer, one line at a time.
// CR LF, CR alone and LF alone all end a line.
class CExtFile
{
public:
    static constexpr size_t kBufferSize = 32768;

    CExtFile();
    ~CExtFile();
    CExtFile(const CExtFile&) = delete;
    CExtFile& operator=(const CExtFile&) = delete;

    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Reads up to limit characters of the next line into line (replacing its
    // content). When the line ends with a line break and keepCr is set, a
    // single "\r" is stored after the text whatever the break was. A line
    // longer than limit is returned in pieces. Returns false at the end of the
    // file when nothing was read.
    bool ReadLine(std::string& line, size_t limit, bool keepCr);

    bool AtEnd();
    void Rewind();
    uint64_t Length() const { return length_; }

private:
    int NextChar();
    int PeekChar();
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    size_t bufferPos_ = 0;
    size_t bufferLen_ = 0;
    uint64_t length_ = 0;
    bool lastWasCr_ = false; // a LF right after a CR belongs to that CR
};
