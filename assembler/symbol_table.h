#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/text_util.h"
#include "simulator/assembler_link.h"

// Names of one kind (symbols or labels), ordered case-insensitively for the
// listing; the record keeps the name as first written. A hash index beside
// the ordered map keeps lookups flat on large sources.
class CSymbolTable
{
public:
    using Map = std::map<std::string, SymbolRecord, NoCaseLess>;

    CSymbolTable() = default;
    CSymbolTable(const CSymbolTable&) = delete;
    CSymbolTable& operator=(const CSymbolTable&) = delete;

    const SymbolRecord* Find(std::string_view name) const
    {
        auto it = index_.find(name);
        return it == index_.end() ? nullptr : it->second;
    }

    // Inserts a new record; a name already present only gets the new value.
    // Returns true when the name was new.
    bool Insert(const SymbolRecord& record)
    {
        auto found = index_.find(std::string_view(record.name));
        if (found != index_.end()) {
            found->second->value = record.value;
            return false;
        }
        auto [it, inserted] = map_.emplace(record.name, record);
        // Map nodes never move, so the index may point into them.
        index_.emplace(std::string_view(it->first), &it->second);
        return inserted;
    }

    void Clear()
    {
        index_.clear();
        map_.clear();
    }
    size_t Size() const { return map_.size(); }
    Map::const_iterator begin() const { return map_.begin(); }
    Map::const_iterator end() const { return map_.end(); }

private:
    Map map_;
    std::unordered_map<std::string_view, SymbolRecord*, NoCaseHash, NoCaseEqual> index_;
};
