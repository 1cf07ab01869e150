#pragma once
// The ring of ten undo snapshots of one document: before a command changes the store the
// whole store is recorded into the next slot; undo and redo bring a slot back into the store.
// The ring holds the current state and the nine before it. A slot shares the store's pages;
// only the pages an edit touches are ever copied.
//
// Each recorded state carries the name of the command that changed it (a user text), so
// that undo and redo can say what they took back or put back and the Edit menu can list the
// steps by name.
//
// Beside its records each slot keeps the source lines of the state it holds (source_lines.h):
// whoever records a state tags it with TagNewest, and after an undo or redo RestoredLines
// gives the lines of the state brought back. A state recorded without a tag has none, so its
// records show no source after an undo: never the lines of another state.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/machine_setup.h"
#include "model/record_pages.h"
#include "model/source_lines.h"
#include "texts/user_texts.h"

namespace trevalon {

class CPointStore;

// What else a document keeps with each recorded state (the program text as it stood, see
// app/edited_text.h): its own kind, opaque here.
struct UndoPayload {
  virtual ~UndoPayload() = default;
};

class CUndoRing {
 public:
  static constexpr std::uint32_t kSlots = 10;

  // Records the store before the command `name` changes it. Our rule: an empty store is
  // recorded too, so that undo after a command on an empty toolpath (a face generated into a
  // new window) gives the empty toolpath back instead of the state before an older command.
  void SaveUndo(CPointStore& store, std::optional<Txt> name = std::nullopt);
  // Takes back the newest recorded step (the one SaveUndo recorded last, when nothing was
  // undone since), for a command that changed nothing after all: the history is as before it
  // (a state that could have been redone stays lost).
  void DropNewest();
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

  // The command the next Undo would take back and the one the next Redo would put back;
  // nothing when there is no such step or it was recorded without a name.
  std::optional<Txt> UndoName() const;
  std::optional<Txt> RedoName() const;
  bool CanUndo() const { return undoPos > 0 && undoTop - undoPos < kSlots; }
  bool CanRedo() const { return undoPos + 1 < undoTop; }
  // The commands that undo can take back, the newest first: one entry per step (a step
  // recorded without a name is nullopt), as many as Undo can still go back.
  std::vector<std::optional<Txt>> UndoNames() const;

  // Asked for the payload of every state the ring records; the payload of the state the last
  // Undo or Redo brought back (null when none was given).
  std::function<std::shared_ptr<const UndoPayload>()> payloadOf;
  const std::shared_ptr<const UndoPayload>& RestoredPayload() const {
    return payloads_[undoPos % kSlots];
  }

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
  std::shared_ptr<const UndoPayload> payloads_[kSlots];
  // Per slot: the command that changed the state recorded there.
  std::optional<Txt> names_[kSlots];
  std::optional<std::uint32_t> newest_;  // the slot the last call recorded
};

}  // namespace trevalon
