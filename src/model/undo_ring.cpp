#include "model/undo_ring.h"

#include "model/point_store.h"

namespace trevalon {

void CUndoRing::Record(CPointStore& store, std::uint32_t pos) {
  Slot& s = slots_[pos % kSlots];
  s.count = 0;  // the slot's old snapshot is given up first
  // An array that is large enough is reused: a fresh one of the size of a big program costs
  // more in first-touch page faults than the copy itself.
  if (!s.records || s.capacity < store.count) {
    s.records.reset();
    s.capacity = 0;
    s.records = AllocateRecords(store.count);
    if (!s.records) return;  // no memory: the slot stays empty and restores an empty store
    s.capacity = store.count;
  }
  store.CopyRecordsOut(s.records.get(), store.count);
  s.count = store.count;
}

void CUndoRing::RestoreSlot(CPointStore& store, std::uint32_t pos) {
  const Slot& s = slots_[pos % kSlots];
  if (s.count == 0 || !s.records || !store.CopyRecordsIn(s.records.get(), s.count)) {
    store.count = 0;
  }
}

void CUndoRing::SaveUndo(CPointStore& store) {
  if (store.count == 0) return;
  Record(store, undoPos);
  undoTop = undoPos + 1;
  undoPos = undoTop;  // anything that could have been redone is dropped
}

int CUndoRing::Undo(CPointStore& store) {
  if (undoPos == 0 || undoTop - undoPos >= kSlots) return 0;
  if (undoPos == undoTop) {
    // The current state was never recorded: keep it so that redo can come back to it.
    Record(store, undoPos);
    ++undoTop;
  }
  --undoPos;
  RestoreSlot(store, undoPos);
  return 1;
}

int CUndoRing::Redo(CPointStore& store) {
  ++undoPos;
  if (undoPos >= undoTop) {
    undoPos = undoTop;
    return 0;
  }
  RestoreSlot(store, undoPos);
  return 1;
}

}  // namespace trevalon
