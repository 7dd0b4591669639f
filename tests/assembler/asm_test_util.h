#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "assembler/assembler.h"

// Assembles sources written into a fresh temporary directory and keeps what
// an assembly leaves behind: code memory, output lines and files.
class CAsmFixture
{
public:
    CAsmFixture();
    ~CAsmFixture();

    // Writes a file (raw bytes) into the temporary directory; returns its path.
    std::string WriteFile(const std::string& name, const std::string& content);
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    const std::filesystem::path& Dir() const { return dir_; }

    // Assembles the named file to completion.
    void Run(const std::string& name, const AssemblerOptions& options = AssemblerOptions{});
    // Writes text as "test.a51" and assembles it.
    void RunSource(const std::string& text, const AssemblerOptions& options = AssemblerOptions{});

    // Code bytes from 0 up to the highest stored address.
    std::vector<uint8_t> Bytes() const;
    std::vector<uint8_t> BytesAt(int address, int count) const;
    std::vector<std::string> Lines() const;
    // Output lines that start with "Error: " or "Warning: ", with the
    // "Error: path (n): " prefix cut down to "Error (n): ".
    std::vector<std::string> Messages() const;

    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler{output, code, modules};

private:
    std::filesystem::path dir_;
};

std::string Hex(const std::vector<uint8_t>& bytes);
std::string Repeat(const std::string& line, int count);
