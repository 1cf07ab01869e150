#pragma once
// The command frame: the steps every command that rewrites the toolpath shares. A command
// takes the memory it will need, records one undo snapshot, walks the old points and appends
// its result behind them, marks what it replaced as removed, compacts the store, rebuilds
// the rapid runs, computes the statistics, asks for a redraw, puts its line into the help
// pane and sets the view's last-operation mark. The command itself only decides what to
// append.
//
// EditContext is what a command may touch; the application builds it for a document in one
// place (MakeEditContext), so commands never reach for the application or the document.
//
// The frame also carries the document's source lines (source_lines.h) through the command.
// Our rule: a record keeps its source line while the frame can tell which old record it is and
// it is still that record (same x, y, z and kind); a command that changes the count other than
// through the frame's steps or OriginNote leaves no record a source. Rollback restores them.
// How: docs/design-rules.md, "Command frame: source lines".

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/point_store.h"
#include "model/record_pages.h"
#include "model/source_lines.h"
#include "model/undo_ring.h"
#include "platform/outcome.h"
#include "texts/messages.h"
#include "view/view_state.h"

namespace trevalon {

struct EditContext {
  CPointStore& store;
  CUndoRing& undo;
  // The Z of the retracts, traverses and plunges that editing creates.
  double& retractHeight;
  Messages msg;                  // notices, questions, the help pane, Escape and the clock
  ViewState* view = nullptr;     // projections of window regions; the last-operation mark
  std::function<void()> redraw;  // asks the desktop to repaint the document's view
  // The document's change count: raised when a command records its undo snapshot and when
  // it finishes, so that a command stopped half way still counts as a change.
  std::uint64_t* edits = nullptr;
  // The document's cutting feed (the highest feed of the cutting moves): Finish refreshes
  // it from the new statistics; commands that give moves "the cutting feed" read it here.
  std::int32_t* cuttingFeed = nullptr;
  // The document's source lines, valid while its change count is unchanged: the frame
  // carries them through the command (see above). Null: the command leaves them behind.
  TrackedSourceLines* sources = nullptr;
};

class CommandFrame {
 public:
  explicit CommandFrame(EditContext& ctx);
  CommandFrame(const CommandFrame&) = delete;
  CommandFrame& operator=(const CommandFrame&) = delete;

  CPointStore& store() { return ctx_.store; }
  EditContext& context() { return ctx_; }

  // ---- Before the store changes ---------------------------------------------------------
  // Takes every page that `total` records will need, so that running out of memory is found
  // before anything changes. False when `total` is beyond the store's capacity or a page
  // cannot be had; the store's records and register are as they were either way.
  bool Reserve(std::uint64_t total);
  // One undo snapshot of the whole store, named after the command (`name`, a user text that
  // undo and redo say and the Edit menu lists). The frame keeps the same state for Rollback.
  // Our rule: every command that changes the store records exactly one, so that one undo
  // takes back exactly that command.
  void SaveUndo(Txt name);
  // The points the command found; its result goes behind them.
  std::uint32_t originalCount() const { return originalCount_; }

  // ---- Walking and appending ------------------------------------------------------------
  // Stores the register behind the last point and raises the count. False when the store is
  // full: nothing is stored and the count stays.
  bool Append();
  // Once every `every` points: the progress line (a printf text with the point index and
  // the point count) in the help pane, and Escape polled. True when Escape was pressed.
  bool Progress(std::uint32_t i, std::uint32_t n, const char* format, std::uint32_t every = 1001);
  // Polls Escape between steps of a long operation.
  bool EscapePressed() { return ctx_.msg.platform().EscapePressed(); }

  // ---- After the walk -------------------------------------------------------------------
  // Gives the points the command found (0 .. originalCount-1) motion type 0 and compacts
  // the store, leaving only the appended result.
  void RemoveOriginal();
  // Keeps only the motion points and their centre records.
  void Compact();
  // Rewrites the run types (rapid runs 1, 2; cutting runs 3, 4) and gives cuts of no length
  // type 0, which the next compaction drops.
  void Regenerate();
  // The rapid rebuild and the plunge clean-up at the document's retract height
  // (rapid_rebuild.h). False when the store could not hold the result; it is then as it was
  // before that step.
  bool RapidRebuild();
  bool PlungeCleanup();
  // A command that writes with a writer of its own (a PathWriter, a trim pass) notes there
  // what each record it writes copies: record k of the note is the index of the record of the
  // store as it stood (SourceLines::kNoRecord for a record of the command's own). The note is
  // empty when asked for; null when the frame no longer follows the records (nothing to note).
  std::vector<std::uint32_t>* OriginNote();
  // Then one of: the command rewrote the whole store (record k now is note[k]), or it appended
  // its records behind the store (the k-th appended is note[k]). A note that does not cover
  // every such record gives the lines up. The position test at the end still decides which
  // records keep their source.
  void Rewritten();
  void Appended();
  // Puts the store back as SaveUndo found it (a command that could not finish leaves the
  // toolpath as it was), tells the user so and gives the outcome that says it.
  Outcome Rollback(const std::string& why);
  // The same for a command that found its result unacceptable (not a full store): `notice`
  // tells the user why, and the outcome carries `code`.
  Outcome Rollback(const std::string& why, Txt notice, OutcomeCode code);

  // The closing steps of a command that wrote its whole result behind the old toolpath with a
  // writer of its own that noted origins (reverse, start points, Z up/down): a writer that ran
  // out of room (`written` false) rolls back; otherwise the old points go, the runs are rebuilt
  // as `rebuild` says (a rebuild the store cannot hold rolls back) and the command finishes.
  enum class Rebuild {
    Rapids,       // the rapid rebuild
    RapidsTwice,  // the rapid rebuild twice (reverse with the selected scope)
    Plunges,      // run types regenerated, compacted, the plunge clean-up, the rapid rebuild
  };
  Outcome FinishAppendedRewrite(bool written, Rebuild rebuild);

  // ---- The end ----------------------------------------------------------------------------
  // Statistics, the help line (when given), the redraw request and the view's
  // last-operation mark. A command whose records all stand as SaveUndo found them takes its
  // undo step and its change count back (no mark). The new statistics, or null for an empty store
  // (they are then left as they were), so that a command's summary needs no walk of its own.
  const ToolpathStatistics* Finish(std::string_view helpLine = {});

 private:
  // The store holds every record as SaveUndo found it.
  bool Unchanged();
  void NoteChange() {
    if (ctx_.edits) ++*ctx_.edits;
  }
  // ---- Source lines --------------------------------------------------------------------------
  // A count other than the frame's own steps left means the store was rewritten behind it.
  void CheckCount() {
    if (store().count != expected_) following_ = false;
  }
  // from_ made (every original record where it was, appended ones new) and as long as the store.
  void MakeFrom();
  void CompactFollowing();
  void StopFollowing();
  bool RebuildStep(bool (*step)(CPointStore&, double, std::vector<std::uint32_t>*));
  // The lines of the result, at the end of the command.
  SourceLines ResultLines();

  EditContext& ctx_;
  std::uint32_t originalCount_;
  RecordSnapshot before_;  // the store as SaveUndo found it
  bool haveBefore_ = false;
  bool recorded_ = false;            // SaveUndo recorded the command's undo step
  SourceLines lines_;                // the document's source lines when the command started
  bool sourced_ = false;             // they were valid then
  bool following_ = false;           // the frame still knows where every record came from
  std::uint32_t expected_ = 0;       // the count the frame's own steps left
  std::vector<std::uint32_t> from_;  // per record: the original record it is, or kNoRecord
  std::vector<std::uint32_t> note_;  // OriginNote
  bool fromMade_ = false;
};

}  // namespace trevalon
