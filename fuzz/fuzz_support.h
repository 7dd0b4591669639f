#pragma once

// What the fuzz targets share: reading an input as a sequence of fields, a
// private scratch folder, a message sink that keeps nothing, and the way a
// broken property is reported (an abort, which libFuzzer keeps as a crash).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "common/message_sink.h"

// The input read front to back; once it is used up every read gives zeros,
// so a decoder never has to check before reading.
class CFuzzInput
{
public:
    CFuzzInput(const uint8_t* data, size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(size)
    {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return size_ - pos_; }
    uint8_t Byte() { return Empty() ? 0 : static_cast<uint8_t>(data_[pos_++]); }
    uint16_t Word()
    {
        const uint8_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    // Up to n bytes; fewer at the end of the input.
    std::string_view Bytes(size_t n)
    {
        const size_t take = n < Remaining() ? n : Remaining();
        std::string_view bytes(data_ + pos_, take);
        pos_ += take;
        return bytes;
    }
    std::string_view Rest() { return Bytes(Remaining()); }

private:
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override { ++count; }
    long count = 0;
};

// A folder of this process under the temporary directory, removed when the
// process ends normally.
class CFuzzScratch
{
public:
    explicit CFuzzScratch(const std::string& name)
    {
        path_ = std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::create_directories(path_);
    }
    ~CFuzzScratch()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    CFuzzScratch(const CFuzzScratch&) = delete;
    CFuzzScratch& operator=(const CFuzzScratch&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path File(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A property the input broke: said on stderr, then an abort so libFuzzer
// stores the input.
[[noreturn]] inline void FuzzFail(const char* property, const std::string& detail = {})
{
    std::fprintf(stderr, "fuzz property broken: %s%s%s\n", property, detail.empty() ? "" : ": ",
                 detail.c_str());
    std::abort();
}

// Details that cost time to build are given to FuzzFail only on failure.
inline void FuzzCheck(bool holds, const char* property, const char* detail = "")
{
    if (!holds) {
        FuzzFail(property, detail);
    }
}
