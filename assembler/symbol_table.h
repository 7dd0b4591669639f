#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_util.h"
#include "simulator/assembler_link.h"

// Names of one kind (symbols or labels); the record keeps the name as first
// written. Names are found without regard to letter case through an open
// hash table whose slots keep each name's hash, so a lookup touches one slot
// and, mostly, one record; large sources look names up constantly. The
// listing's order (both names folded to lower case, then compared byte by
// byte) is only built when the listing asks for it, after the passes.
class CSymbolTable
{
public:
    CSymbolTable() = default;
    CSymbolTable(const CSymbolTable&) = delete;
    CSymbolTable& operator=(const CSymbolTable&) = delete;

    const SymbolRecord* Find(std::string_view name) const { return Lookup(name); }

    // Inserts a new record; a name already present only gets the new value.
    // Returns true when the name was new.
    bool Insert(const SymbolRecord& record)
    {
        if (SymbolRecord* found = Lookup(record.name)) {
            found->value = record.value;
            return false;
        }
        InsertNew(record);
        return true;
    }

    // Inserts a record whose name the caller has just failed to find.
    void InsertNew(const SymbolRecord& record)
    {
        if ((records_.size() + 1) * 2 > slots_.size()) {
            Grow();
        }
        records_.push_back(record); // a deque: earlier records never move
        Place(Hash(record.name), static_cast<uint32_t>(records_.size()));
    }

private:
    SymbolRecord* Lookup(std::string_view name) const
    {
        if (slots_.empty()) {
            return nullptr;
        }
        const uint64_t hash = Hash(name);
        const uint32_t mask = static_cast<uint32_t>(slots_.size() - 1);
        const uint32_t tag = Tag(hash) & ~mask;
        for (size_t i = Home(hash);; i = (i + 1) & mask) {
            const uint32_t slot = slots_[i];
            const uint32_t number = slot & mask;
            if (number == 0) {
                return nullptr;
            }
            if ((slot & ~mask) == tag) {
                SymbolRecord& record = records_[number - 1];
                if (EqualsNoCase(record.name, name)) {
                    return &record;
                }
            }
        }
    }

public:
    void Clear()
    {
        records_.clear();
        slots_.clear();
        shift_ = 32;
    }
    size_t Size() const { return records_.size(); }
    // Calls visit(record) for every record, in no particular order.
    template <typename Visit> void ForEach(Visit visit) const
    {
        for (const SymbolRecord& record : records_) {
            visit(record);
        }
    }

    // Calls visit(record) for every record, in the listing's order.
    template <typename Visit> void ForEachSorted(Visit visit) const
    {
        // The first 8 folded characters, packed high byte first, order most
        // pairs with one comparison of numbers.
        Keyed keyed;
        keyed.reserve(records_.size());
        for (const SymbolRecord& record : records_) {
            uint64_t prefix = 0;
            for (size_t i = 0; i < 8; ++i) {
                const unsigned char c = i < record.name.size()
                                            ? FoldLower(static_cast<unsigned char>(record.name[i]))
                                            : 0;
                prefix = (prefix << 8) | c;
            }
            keyed.emplace_back(prefix, &record);
        }
        SortByPrefix(keyed);
        // Names that share their first 8 characters: by the rest.
        for (size_t i = 0; i < keyed.size();) {
            size_t j = i + 1;
            while (j < keyed.size() && keyed[j].first == keyed[i].first) {
                ++j;
            }
            if (j - i > 1) {
                std::sort(keyed.begin() + static_cast<std::ptrdiff_t>(i),
                          keyed.begin() + static_cast<std::ptrdiff_t>(j),
                          [](const auto& a, const auto& b) {
                              return CompareNoCase(a.second->name, b.second->name) < 0;
                          });
            }
            i = j;
        }
        for (const auto& entry : keyed) {
            visit(*entry.second);
        }
    }

private:
    using Keyed = std::vector<std::pair<uint64_t, const SymbolRecord*>>;

    // A radix sort by the packed prefix, a byte a pass from the lowest; a
    // byte that all prefixes share (most of them, in long tables of similar
    // names) costs only its count.
    static void SortByPrefix(Keyed& keyed)
    {
        Keyed other(keyed.size());
        for (int shift = 0; shift < 64; shift += 8) {
            size_t counts[256] = {};
            for (const auto& entry : keyed) {
                ++counts[(entry.first >> shift) & 0xFF];
            }
            if (std::find(std::begin(counts), std::end(counts), keyed.size()) != std::end(counts)) {
                continue;
            }
            size_t start = 0;
            for (size_t& count : counts) {
                const size_t n = count;
                count = start;
                start += n;
            }
            for (const auto& entry : keyed) {
                other[counts[(entry.first >> shift) & 0xFF]++] = entry;
            }
            keyed.swap(other);
        }
    }

    // Four bytes a slot, so that the slots of a large table stay in the
    // cache: the low bits (as many as the slot count has) hold 1 + the
    // record's index, 0 for an empty slot; the high bits hold as many bits
    // of the name's hash, which rule out most other names without reading
    // their records.
    static uint64_t Hash(std::string_view name)
    {
        uint64_t hash = 14695981039346656037ull;
        for (char c : name) {
            hash = (hash ^ FoldLower(static_cast<unsigned char>(c))) * 1099511628211ull;
        }
        return hash;
    }
    static uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash); }
    // The product's high bits: its low bits depend only on the low bits of
    // the hash's high half, and names that differ in their last character
    // share too many.
    size_t Home(uint64_t hash) const
    {
        return static_cast<size_t>((static_cast<uint32_t>(hash >> 32) * 0x9E3779B1u) >> shift_);
    }
    void Place(uint64_t hash, uint32_t number)
    {
        const uint32_t mask = static_cast<uint32_t>(slots_.size() - 1);
        size_t i = Home(hash);
        while ((slots_[i] & mask) != 0) {
            i = (i + 1) & mask;
        }
        slots_[i] = (Tag(hash) & ~mask) | number;
    }
    // The tags lose a bit with every doubling, so the names are hashed
    // again, in the records' order: a walk through memory, not a jump.
    void Grow()
    {
        const size_t size = std::max<size_t>(64, slots_.size() * 2);
        slots_.assign(size, 0);
        shift_ = 32 - std::countr_zero(size);
        uint32_t number = 0;
        for (const SymbolRecord& record : records_) {
            Place(Hash(record.name), ++number);
        }
    }

    mutable std::deque<SymbolRecord> records_; // Find hands out records for reading only
    std::vector<uint32_t> slots_;              // a power of two, at most half full
    int shift_ = 32;                           // 32 - log2 of the slot count
};
