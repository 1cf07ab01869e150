#pragma once
// EditedText: the program text of a document's work layer as the program pane edits it, kept
// as one document with the toolpath. The text is taken from the loaded file when the first
// edit comes; every edit is read again into the toolpath (text_edit_commands.h), so that the
// toolpath stays what the text reads as, until a command changes the toolpath by other means:
// then the text no longer describes it, and the user chooses to write the toolpath as the text
// or to keep the text.
//
// Undo: each state the undo ring records carries the text's version (TextVersion), and the
// text keeps the changes that lead from one version to the next (the journal), so that an
// undo brings the text back with the toolpath without holding whole copies of a long program.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/undo_ring.h"
#include "ncio/classic_splice.h"
#include "ncio/program_text.h"

namespace trevalon {

// What an undo state keeps of the text.
struct TextVersion final : UndoPayload {
  std::uint64_t version = 0;
  bool describes = false;  // the toolpath of that state was what the text read as
  std::shared_ptr<const ClassicReadIndex> index;
};

class EditedText {
 public:
  // The journal keeps this many changes: enough for every state the undo ring holds.
  static constexpr std::size_t kJournal = 32;

  bool open = false;  // the text is held
  std::string path;   // the program it came from, or was last saved as
  std::string text;
  NcTextLines lines;
  // The checkpoints of the classic read that made the toolpath from the text (null: none, the
  // next edit reads the whole text).
  std::shared_ptr<const ClassicReadIndex> index;
  // The document's change count when the toolpath was last what the text reads as.
  std::optional<std::uint64_t> describesAt;
  std::uint64_t version = 0;
  std::optional<std::uint64_t> savedVersion;  // the version the file holds
  // The records the last re-read made, for the pane and the view to show for a moment.
  std::uint32_t changedFirst = 0, changedCount = 0;

  bool Describes(std::uint64_t edits) const { return describesAt && *describesAt == edits; }
  bool Unsaved() const { return open && savedVersion != version; }

  // A new program (load): nothing held; its index, when the read made one.
  void Reset(const std::string& program, std::shared_ptr<const ClassicReadIndex> readIndex,
             std::uint64_t edits) {
    *this = EditedText{};
    path = program;
    index = std::move(readIndex);
    describesAt = edits;
  }
  // Bytes [begin, end) become `with`; a new version.
  void Apply(std::uint64_t begin, std::uint64_t end, const std::string& with);
  // Brings the text to `v` through the journal; false (the text as it is) when the journal
  // no longer reaches it.
  bool GoTo(std::uint64_t v);

  std::shared_ptr<const UndoPayload> Payload(std::uint64_t edits) const;

 private:
  struct Change {
    std::uint64_t begin = 0;
    std::string removed, inserted;
  };
  std::vector<Change> journal_;  // journal_[i] leads from version base_ + i to base_ + i + 1
  std::uint64_t base_ = 0;
};

}  // namespace trevalon
