#include "app/open_file_list.h"

#include <algorithm>

#include "app/commands.h"
#include "common/text_util.h"

static_assert(cmd::kEditFiles.size() == COpenFileList::kMenuEntries);

void COpenFileList::Changed()
{
    revision_.Raise();
}

void COpenFileList::AddOpenFile(const std::string& title)
{
    if (std::find(titles_.begin(), titles_.end(), title) == titles_.end()) {
        titles_.insert(titles_.begin(), title);
        Changed();
    }
}

void COpenFileList::RemoveOpenFile(const std::string& title)
{
    auto it = std::find(titles_.begin(), titles_.end(), title);
    if (it != titles_.end()) {
        titles_.erase(it);
        Changed();
    }
}

void COpenFileList::MoveToFront(size_t index)
{
    if (index < titles_.size()) {
        std::rotate(titles_.begin(), titles_.begin() + static_cast<std::ptrdiff_t>(index),
                    titles_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
        Changed();
    }
}

void COpenFileList::Rebuild(const std::vector<std::string>& titles)
{
    titles_.clear();
    for (const std::string& title : titles) {
        if (IndexOf(title) < 0) {
            titles_.insert(titles_.begin(), title);
        }
    }
    Changed();
}

int COpenFileList::IndexOf(const std::string& title) const
{
    auto it = std::find(titles_.begin(), titles_.end(), title);
    return it == titles_.end() ? -1 : static_cast<int>(it - titles_.begin());
}
