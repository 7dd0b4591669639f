#pragma once

#include <cstdint>

// How an engine says that what it holds has changed: it raises its revision,
// and every view keeps the value it last drew from and redraws when the two
// differ. The engine never calls out, so any number of views (two windows on
// one document, say) can follow it, and a view that was closed costs nothing.
class CRevision
{
public:
    uint64_t Value() const { return value_; }
    void Raise() { ++value_; }

private:
    uint64_t value_ = 1;
};

// What a view keeps: the revision it last drew from.
class CSeenRevision
{
public:
    // True once for every change: the caller redraws and the change is seen.
    bool Update(const CRevision& revision)
    {
        if (seen_ == revision.Value()) {
            return false;
        }
        seen_ = revision.Value();
        return true;
    }
    void Forget() { seen_ = 0; }

private:
    uint64_t seen_ = 0;
};
