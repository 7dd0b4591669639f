#include "app/open_file_list.h"

#include <algorithm>

#include "app/menu_ids.h"
#include "common/text_util.h"

static_assert(menu_ids::kEditFiles.size() == COpenFileList::kMenuEntries);

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

std::vector<COpenFileList::MenuItemType> COpenFileList::WindowMenuItems() const
{
    std::vector<MenuItemType> items;
    size_t count = std::min(titles_.size(), kMenuEntries);
    for (size_t i = 0; i < count; ++i) {
        items.push_back({menu_ids::kEditFiles[i], StrFormat("&%zu ", i + 1) + titles_[i]});
    }
    return items;
}

int COpenFileList::EntryOfCommand(int commandId) const
{
    for (size_t i = 0; i < menu_ids::kEditFiles.size(); ++i) {
        if (menu_ids::kEditFiles[i] == commandId) {
            return i < titles_.size() ? static_cast<int>(i) : -1;
        }
    }
    return -1;
}
