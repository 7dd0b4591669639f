#include "asm_test_util.h"

#include <fstream>
#include <random>
#include <sstream>

#include "common/text_util.h"

namespace fs = std::filesystem;

CAsmFixture::CAsmFixture()
{
    std::random_device rd;
    dir_ =
        fs::temp_directory_path() / ("asm51-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    // Listing headers carry the time; tests use a fixed one.
    assembler.SetClock([] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 5;
        t.tm_hour = 9;
        t.tm_min = 8;
        t.tm_sec = 7;
        return t;
    });
}

CAsmFixture::~CAsmFixture()
{
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string CAsmFixture::WriteFile(const std::string& name, const std::string& content)
{
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

std::string CAsmFixture::ReadFile(const std::string& name) const
{
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool CAsmFixture::Exists(const std::string& name) const
{
    return fs::exists(dir_ / name);
}

void CAsmFixture::Run(const std::string& name, const AssemblerOptions& options)
{
    assembler.SetOptions(options);
    assembler.Assemble((dir_ / name).string());
    int guard = 0;
    while (assembler.AssembleStep() && ++guard < 1000000) {
    }
}

void CAsmFixture::RunSource(const std::string& text, const AssemblerOptions& options)
{
    WriteFile("test.a51", text);
    Run("test.a51", options);
}

std::vector<uint8_t> CAsmFixture::Bytes() const
{
    return BytesAt(0, code.HighestAddress() + 1);
}

std::vector<uint8_t> CAsmFixture::BytesAt(int address, int count) const
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(code.ReadCodeByte(static_cast<uint32_t>(address + i)));
    }
    return bytes;
}

std::vector<std::string> CAsmFixture::Lines() const
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        lines.push_back(output.GetLine(i));
    }
    return lines;
}

std::vector<std::string> CAsmFixture::Messages() const
{
    std::vector<std::string> messages;
    for (const std::string& line : Lines()) {
        for (const char* kind : {"Error: ", "Warning: "}) {
            if (line.rfind(kind, 0) != 0) {
                continue;
            }
            const size_t open = line.find(" (", std::string(kind).size());
            std::string shortened =
                std::string(kind, std::string(kind).size() - 2) + line.substr(open);
            messages.push_back(shortened);
        }
    }
    return messages;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += StrFormat("%02X", b);
    }
    return text;
}

std::string Repeat(const std::string& line, int count)
{
    std::string text;
    text.reserve(line.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        text += line;
    }
    return text;
}
