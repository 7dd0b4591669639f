#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/symbol_table.h"

// A file written as raw bytes (line ends are written as given), replacing
// any older file. A file that could not be created swallows its writes.
// Text is gathered in a buffer of the writer's own and written in large
// pieces. Formatters write straight into the buffer: Claim room for at most
// n bytes, write them, and Commit the end reached.
class COutFile
{
public:
    static constexpr size_t kFlushSize = 1 << 16;

    COutFile() = default;
    ~COutFile() { Close(); }
    COutFile(const COutFile&) = delete;
    COutFile& operator=(const COutFile&) = delete;

    bool Create(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    void Write(std::string_view text)
    {
        if (file_ == nullptr) {
            return;
        }
        if (text.size() > kFlushSize) {
            WriteThrough(text); // a whole file's text: no copy through the buffer
            return;
        }
        char* p = Claim(text.size());
        std::memcpy(p, text.data(), text.size());
        Commit(p + text.size());
    }
    void WriteBytes(const void* data, size_t size)
    {
        Write(std::string_view(static_cast<const char*>(data), size));
    }
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Only while the file is open.
    char* Claim(size_t n)
    {
        if (capacity_ - used_ < n) {
            MakeRoom(n);
        }
        return buffer_.get() + used_;
    }
    void Commit(const char* end)
    {
        used_ = static_cast<size_t>(end - buffer_.get());
        if (used_ >= kFlushSize) {
            Flush();
        }
    }

private:
    void Flush();
    void MakeRoom(size_t n);
    void WriteThrough(std::string_view text);

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

// value in decimal, right-aligned in width columns ("%*ld").
void AppendDecimal(std::string& text, long value, int width);

// The Intel HEX file: data records of at most 16 contiguous bytes, cut at
// ORG and END, then the end record.
class CHexWriter
{
public:
    bool Create(const std::filesystem::path& path) { return file_.Create(path); }
    bool IsOpen() const { return file_.IsOpen(); }
    void Close() { file_.Close(); }

    void Reset();
    void AddByte(uint8_t value);
    // Writes the pending record, if any, and starts the next one at address.
    void Flush(int32_t address);
    void WriteEndRecord();

private:
    void WriteRecord();

    COutFile file_;
    uint16_t start_ = 0;
    uint8_t bytes_[16] = {};
    size_t count_ = 0;
};

// The listing: page layout, listing lines, messages and symbol tables.
class CListingWriter
{
public:
    static constexpr int kSourceColumn = 25;

    bool Create(const std::filesystem::path& path) { return file_.Create(path); }
    bool IsOpen() const { return file_.IsOpen(); }
    void Close() { file_.Close(); }

    void Reset(const std::string& mainPath);
    void SetClock(std::function<std::tm()> clock) { clock_ = std::move(clock); }

    void WritePageHeader();
    void NewPage();
    // Counts one written line and begins a new page when the page is full.
    void CountLine();

    // "%5d %04X XX XX XX" padded to the source column, then the source text.
    void WriteLine(int lineNumber, int32_t address, const uint8_t* bytes, size_t count,
                   std::string_view source);
    // Line number, then the source at the source column (no address).
    void WriteNumberedSource(int lineNumber, std::string_view source);
    // The source alone at the source column.
    void WriteSource(std::string_view source);
    // Any text followed by a line end, counted.
    void WriteRaw(std::string_view text);
    // An embedded HEX record: its header bytes, the source, then the data
    // bytes four to a line.
    void WriteHexRecord(int lineNumber, int32_t address, int count, int recordAddress,
                        const std::vector<uint8_t>& data, std::string_view source);
    // DB and DW: perLine bytes to a line, the source on the first.
    void WriteDataLines(int lineNumber, int32_t address, const std::vector<uint8_t>& bytes,
                        size_t perLine, std::string_view source);
    void WriteMessage(std::string_view source, std::string_view text, int kind);
    void WriteSymbolTables(const CSymbolTable& symbols, const CSymbolTable& labels);

    int tabWidth = 8;
    int pageLength = 66;
    int topMargin = 5;
    int bottomMargin = 4;
    bool paging = true; // full pages begin new ones ($NOPAGING turns it off)
    std::string title;
    std::string subtitle;

private:
    // Room to claim for a line of prefix bytes followed by source.
    size_t LineRoom(size_t prefix, std::string_view source) const;
    // The source up to its line end, tabs expanded to the tab stops as the
    // editor shows them.
    char* PutSourceText(char* p, std::string_view source) const;
    // Ends the line being composed at p and counts it.
    void EndLine(char* p);

    COutFile file_;
    std::string mainPath_;
    std::function<std::tm()> clock_;
    int page_ = 1;
    int lineOnPage_ = 1;
    std::time_t headerTime_ = -1; // the local time of the last header, kept for reuse
    std::tm headerTm_{};
};

// The pass-1 symbol file. Its lines are collected while pass 1 runs and
// written when it ends, once every file the pass reads is known.
class CSymbolFileWriter
{
public:
    void Begin();
    bool IsOpen() const { return collecting_; }
    void WriteSymbol(const std::string& name, int32_t value);
    void WriteLabel(const std::string& name, int32_t value);
    // Writes the collected lines; false when the file cannot be created.
    bool Save(const std::filesystem::path& path);
    void Discard();

private:
    bool collecting_ = false;
    std::string text_;
};

// The pass-2 link file.

class CLinkFileWriter
{
public:
    static constexpr size_t kRecordSize = 48;

    bool Create(const std::filesystem::path& path) { return file_.Create(path); }
    bool IsOpen() const { return file_.IsOpen(); }
    void Close() { file_.Close(); }
    void WriteRecord(int32_t value, int32_t operandAddress, std::string_view name);

private:
    COutFile file_;
};

// One Intel HEX record read from a source line.
struct HexRecordType
{
    int count = 0;
    int address = 0;
    std::vector<uint8_t> data;
    const char* error = nullptr; // the message when the record is refused
};

// Reads the record whose ":" is the first character of text.
HexRecordType ParseHexRecord(std::string_view text);
