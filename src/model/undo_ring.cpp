#include "model/undo_ring.h"

#include "model/point_store.h"

namespace trevalon {

void CUndoRing::Record(CPointStore& store, std::uint32_t pos) {
  RecordSnapshot& s = slots_[pos % kSlots];
  s.Clear();          // the slot's old snapshot is given up first
  store.Snapshot(s);  // no memory: the slot stays empty and restores an empty store
  lines_[pos % kSlots] = SourceLines{};
  setups_[pos % kSlots].reset();
  names_[pos % kSlots].reset();
  payloads_[pos % kSlots] = payloadOf ? payloadOf() : nullptr;
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

void CUndoRing::SaveUndo(CPointStore& store, std::optional<Txt> name) {
  newest_.reset();
  Record(store, undoPos);
  names_[undoPos % kSlots] = name;
  undoTop = undoPos + 1;
  undoPos = undoTop;  // anything that could have been redone is dropped
}

void CUndoRing::DropNewest() {
  if (undoTop == 0 || undoPos != undoTop) return;
  const std::uint32_t slot = (undoTop - 1) % kSlots;
  slots_[slot].Clear();
  lines_[slot] = SourceLines{};
  setups_[slot].reset();
  names_[slot].reset();
  payloads_[slot].reset();
  undoPos = undoTop = undoTop - 1;
  newest_.reset();
}

std::optional<Txt> CUndoRing::UndoName() const {
  if (!CanUndo()) return std::nullopt;
  return names_[(undoPos - 1) % kSlots];
}

std::optional<Txt> CUndoRing::RedoName() const {
  if (!CanRedo()) return std::nullopt;
  return names_[undoPos % kSlots];
}

std::vector<std::optional<Txt>> CUndoRing::UndoNames() const {
  std::vector<std::optional<Txt>> names;
  // Undo goes back while fewer than kSlots states lie above the one it leaves; an unrecorded
  // current state (undoPos == undoTop) takes a slot of its own when the first undo keeps it.
  const std::uint32_t top = undoPos == undoTop ? undoTop + 1 : undoTop;
  for (std::uint32_t pos = undoPos; pos > 0 && top - pos < kSlots; --pos)
    names.push_back(names_[(pos - 1) % kSlots]);
  return names;
}

int CUndoRing::Undo(CPointStore& store) {
  newest_.reset();
  if (!CanUndo()) return 0;
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
