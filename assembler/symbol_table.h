#pragma once

#include <map>
#include <string>
#include <string_view>

#include "common/text_util.h"
#include "simulator/assembler_link.h"

// Names of one kind (symbols or labels), ordered case-insensitively; the
// record keeps the name as first written.
class CSymbolTable
{
public:
    using Map = std::map<std::string, SymbolRecord, NoCaseLess>;

    const SymbolRecord* Find(std::string_view name) const
    {
        auto it = map_.find(name);
        return it == map_.end() ? nullptr : &it->second;
    }

    // Inserts a new record; a name already present only gets the new value.
    // Returns true when the name was new.
    bool Insert(const SymbolRecord& record)
    {
        auto it = map_.find(std::string_view(record.name));
        if (it != map_.end()) {
            it->second.value = record.value;
            return false;
        }
        map_.emplace(record.name, record);
        return true;
    }

    void Clear() { map_.clear(); }
    size_t Size() const { return map_.size(); }
    Map::const_iterator begin() const { return map_.begin(); }
    Map::const_iterator end() const { return map_.end(); }

private:
    Map map_;
};
