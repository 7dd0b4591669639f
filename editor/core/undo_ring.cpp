#include "editor/core/undo_ring.h"

#include <utility>

void CUndoRing::Clear()
{
    for (auto& record : records_) {
        record = UndoRecordType{};
    }
    current_ = oldest_ = newest_ = 0;
}

void CUndoRing::Push(UndoRecordType record)
{
    records_[current_] = std::move(record);
    current_ = Next(current_);
    if (current_ == oldest_) {
        records_[oldest_] = UndoRecordType{};
        oldest_ = Next(oldest_);
    }
    newest_ = current_;
}

const UndoRecordType* CUndoRing::NextUndo() const
{
    return CanUndo() ? &records_[Prev(current_)] : nullptr;
}

const UndoRecordType* CUndoRing::NextRedo() const
{
    return CanRedo() ? &records_[current_] : nullptr;
}

void CUndoRing::StepBack()
{
    if (CanUndo()) {
        current_ = Prev(current_);
    }
}

void CUndoRing::StepForward()
{
    if (CanRedo()) {
        current_ = Next(current_);
    }
}
