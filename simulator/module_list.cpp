#include "simulator/module_list.h"

#include "common/text_util.h"

int32_t CModuleList::AddModule(std::string_view path)
{
    const int32_t found = FindModule(path);
    if (found >= 0) {
        return found;
    }
    paths_.emplace_back(path);
    return static_cast<int32_t>(paths_.size()) - 1;
}

int32_t CModuleList::FindModule(std::string_view path) const
{
    for (size_t i = 0; i < paths_.size(); ++i) {
        if (EqualsNoCase(paths_[i], path)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

std::string CModuleList::ModulePath(int32_t index) const
{
    if (index < 0 || index >= Count()) {
        return {};
    }
    return paths_[static_cast<size_t>(index)];
}
