#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/revision.h"

// The titles of the open source documents, index 0 the most recently used.
// The Window menu shows the first 20.
class COpenFileList
{
public:
    static constexpr size_t kMenuEntries = 20;

    // Raised by every change; the shell rebuilds the Window menu when it moves.
    const CRevision& Revision() const { return revision_; }

    // Nothing happens when the title is already listed (exact compare).
    void AddOpenFile(const std::string& title);
    // Removes the first equal entry.
    void RemoveOpenFile(const std::string& title);
    void MoveToFront(size_t index);
    // After a workspace load: the open source documents in their open order.
    void Rebuild(const std::vector<std::string>& titles);

    const std::vector<std::string>& Titles() const { return titles_; }
    size_t Size() const { return titles_.size(); }

    // Index of the first equal title, or -1.
    int IndexOf(const std::string& title) const;

private:
    void Changed();

    std::vector<std::string> titles_;
    CRevision revision_;
};
