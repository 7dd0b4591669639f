#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "editor/core/editor_doc.h"
#include "editor/core/line_table_check.h"

// Collects the messages the engine shows instead of message boxes.
class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// A directory of its own under the system's temporary directory, removed
// when the test ends.
class CTempDir
{
public:
    CTempDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("editor_core_test_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~CTempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const
    {
        const auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A document holding text (lines separated by CR), unmodified, no undo.
inline void SetText(CEditorDoc& doc, const std::string& text)
{
    doc.DeleteRange({0, 0}, {1 << 30, 1 << 30});
    doc.InsertBlock({0, 0}, text);
    doc.Undo().Clear();
    doc.SetModified(false);
}

// The line table must agree with the text split at its CRs.
inline void ExpectLinesConsistent(const CEditorDoc& doc)
{
    EXPECT_EQ(FindLineTableFault(doc), "");
}
