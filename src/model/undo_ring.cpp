#include "model/undo_ring.h"

#include "model/point_store.h"

namespace trevalon {

void CUndoRing::Record(CPointStore& store, std::uint32_t pos) {
  RecordSnapshot& s = slots_[pos % kSlots];
  s.Clear();          // the slot's old snapshot is given up first
  store.Snapshot(s);  // no memory: the slot stays empty and restores an empty store
  lines_[pos % kSlots] = SourceLines{};
  setups_[pos % kSlots].reset();
  newest_ = pos;
}

void CUndoRing::TagNewest(const SourceLines& lines, const MachineSetup* setup) {
  if (newest_) {
    lines_[*newest_ % kSlots] = lines;
    if (setup) setups_[*newest_ % kSlots] = *setup;
  }
  newest_.reset();
}

void CUndoRing::RestoreSlot(CPointStore& store, std::uint32_t pos) {
  store.Restore(slots_[pos % kSlots]);
}

void CUndoRing::SaveUndo(CPointStore& store) {
  newest_.reset();
  if (store.count == 0) return;
  Record(store, undoPos);
  undoTop = undoPos + 1;
  undoPos = undoTop;  // anything that could have been redone is dropped
}

int CUndoRing::Undo(CPointStore& store) {
  newest_.reset();
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
  newest_.reset();
  ++undoPos;
  if (undoPos >= undoTop) {
    undoPos = undoTop;
    return 0;
  }
  RestoreSlot(store, undoPos);
  return 1;
}

}  // namespace trevalon
