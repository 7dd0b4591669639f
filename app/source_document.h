#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "editor/core/editor_doc.h"

// An open source file: its text and where it lives. The frame owns one per
// open file; any number of editor windows show it (Window > New Window).
class CSourceDocument
{
public:
    explicit CSourceDocument(IMessageSink* messages) : doc_(messages) {}
    CSourceDocument(const CSourceDocument&) = delete;
    CSourceDocument& operator=(const CSourceDocument&) = delete;

    CEditorDoc& Doc() { return doc_; }
    const CEditorDoc& Doc() const { return doc_; }
    // Empty for a new document that was never saved.
    const std::string& Path() const { return path_; }
    const std::string& Title() const { return doc_.Title(); }

    // False (with the document's message) when the file cannot be read; the
    // caller closes the document again.
    bool Load(const std::string& path);
    // Saves under the document's path; false when it has none or the save
    // failed (the old file is then untouched).
    bool Save();
    // Saves under a new path, which the document takes on success.
    bool SaveAs(const std::string& path);
    // Takes a recovered text in place of its own: the document shows it as
    // modified, under path (an empty path keeps its own), and the user
    // decides whether to save. False when the text does not load.
    bool Restore(const std::string& path, std::string_view text);

private:
    void TakePath(const std::string& path);

    CEditorDoc doc_;
    std::string path_;
};

// The file name of a path: what a document's title and the Window menu show.
std::string FileTitle(const std::string& path);
