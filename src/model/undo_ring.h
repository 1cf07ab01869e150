#pragma once
// The ring of ten undo snapshots, one for the whole application: before a command changes
// a store the whole store is recorded into the next slot; undo and redo bring a slot back
// into whichever store they are given. The ring holds the current state and the nine before
// it. A slot shares the store's pages; only the pages an edit touches are ever copied.
//
// Beside its records each slot keeps the source lines of the state it holds (source_lines.h):
// whoever records a state tags it with TagNewest, and after an undo or redo RestoredLines
// gives the lines of the state brought back. A state recorded without a tag has none, so its
// records show no source after an undo: never the lines of another state.

#include <cstdint>
#include <optional>

#include "model/machine_setup.h"
#include "model/record_pages.h"
#include "model/source_lines.h"

namespace trevalon {

class CPointStore;

class CUndoRing {
 public:
  static constexpr std::uint32_t kSlots = 10;

  // Records the store before a change; an empty store records nothing.
  void SaveUndo(CPointStore& store);
  // Each returns 1 when the store was changed (the caller redraws), 0 when nothing happened.
  int Undo(CPointStore& store);
  int Redo(CPointStore& store);

  // The source lines of the state that the last SaveUndo, Undo or Redo recorded (Undo records
  // the current state when it was never recorded); nothing when it recorded none.
  // With a setup, the state carries the setup its toolpath was read with (a load changes
  // it; an edit does not, and restores none).
  void TagNewest(const SourceLines& lines, const MachineSetup* setup = nullptr);
  // The setup of the state that the last Undo or Redo brought back, when it was tagged with one.
  const std::optional<MachineSetup>& RestoredSetup() const { return setups_[undoPos % kSlots]; }
  // The source lines of the state that the last Undo or Redo brought back.
  const SourceLines& RestoredLines() const { return lines_[undoPos % kSlots]; }

  std::uint32_t undoPos = 0;  // position of the current state
  std::uint32_t undoTop = 0;  // one past the newest saved state

  std::uint32_t SlotCount(std::uint32_t slot) const { return slots_[slot % kSlots].count(); }
  void TallyPages(PageTally& tally) const {
    for (const RecordSnapshot& s : slots_) tally.Add(s);
  }

 private:
  void Record(CPointStore& store, std::uint32_t pos);
  void RestoreSlot(CPointStore& store, std::uint32_t pos);

  RecordSnapshot slots_[kSlots];
  SourceLines lines_[kSlots];
  std::optional<MachineSetup> setups_[kSlots];
  std::optional<std::uint32_t> newest_;  // the slot the last call recorded
};

}  // namespace trevalon
