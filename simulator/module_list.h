#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The numbered list of source files that the code memory's cells refer to.
class CModuleList
{
public:
    void ClearModules() { paths_.clear(); }
    // The index of path; a path already present (ignoring case) keeps its index.
    int32_t AddModule(std::string_view path);
    int32_t FindModule(std::string_view path) const;
    // Empty for an index that is not in the list.
    std::string ModulePath(int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(paths_.size()); }

private:
    std::vector<std::string> paths_;
};
