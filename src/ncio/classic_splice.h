#pragma once
// A classic read that follows a text edit: only the part of the program the edit can change is
// read again, and its records take the place of the old ones in the store.
//
// While a program is read, its state is kept at the start of every kLinesPerCheckpoint-th
// line (a checkpoint: the modal words, the position, the register with its feed, the layer's
// numbers and setup, the setup scan and the count of lines read differently). Each checkpoint
// also keeps what the read did from there to the next one: its bytes, lines, records, comment
// text and what it limited or read differently. After an edit the read starts again at the
// last checkpoint before the edit and runs over the new text until, past the edit, it stands
// at the start of a line where the old read had a checkpoint with the very same state: from
// there the rest of the text is the same and so are its records. The records read take the
// place of the old ones between the two checkpoints, the records after them move, the
// source-line map follows.
//
// Our rule: the state is compared as it is stored, bit for bit (a -0 against a 0 is a change),
// so that a spliced read gives exactly what a whole read of the edited text gives; what cannot
// be compared cheaply (another dialect switch, another scale, a map of several files) makes
// the caller read the whole text instead. Extended reading is never spliced: a change inside a
// subprogram, a loop or before a parameter is used has effects that cannot be bounded by
// lines, so the whole text is read again.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "ncio/ext_reader.h"
#include "ncio/fanuc_reader.h"
#include "ncio/setup_words.h"

namespace trevalon {

// The state of a classic read at the start of a line, and what the read did from there to the
// next checkpoint (a stretch).
struct ClassicCheckpoint {
  // ---- The state -----------------------------------------------------------------------
  int incremental = 0;
  FanucModalState fanuc;
  HeidenhainModalState heidenhain;
  PointRegister reg;
  std::int32_t spindle = 0, toolNumber = 0, toolOffset = 0, programNumber = 0;
  MachineSetup setup;
  bool cutRead = false;
  bool heidenhainRead = false;
  ConversationalSetupScan conversational;
  ClassicDifferences differences{false};
  // ---- The stretch from here ---------------------------------------------------------
  std::uint64_t bytes = 0;
  std::uint32_t lines = 0;  // lines begun in it
  std::uint32_t records = 0;
  std::uint64_t commentBytes = 0;  // what its comment lines added to the layer's comment
  long differentBlocks = 0;        // lines read differently from a control
  long firstDifferent = 0;         // the first one's line, from the stretch's first (1)
  // What it limited, its first lines counted from the stretch's first (1); null for nothing.
  std::shared_ptr<const ExtReadReport> limits;
};

// Bit for bit the same state (the stretches aside).
bool SameReadState(const ClassicCheckpoint& a, const ClassicCheckpoint& b);

class ClassicReadIndex {
 public:
  static constexpr std::uint32_t kLinesPerCheckpoint = 512;

  // The index of a read that reached the end of its text, with the switches it read with.
  bool Valid() const { return valid_; }
  // Whether a read with these switches reads as the indexed one did.
  bool ReadsAs(const NcSwitches& nc) const;
  std::size_t Checkpoints() const { return stretches_.size(); }
  std::uint64_t TextSize() const { return textSize_; }
  void Clear() { *this = ClassicReadIndex{}; }

  // Kept by the indexer and the splice (classic_splice.cpp).
  std::vector<ClassicCheckpoint> stretches_;  // the first at the start of the text
  ClassicCheckpoint end_;                     // the state at the end of the text
  std::int32_t heidenhainInputChk_ = 0, intNcdataFlg_ = 0, arcToCutInputChk_ = 0;
  std::uint64_t textSize_ = 0;
  bool valid_ = false;
};

// Builds the index of a read while it runs: pass it as NcReadTarget::observer, then call
// Finish with the read's result.
class ClassicIndexer final : public ClassicReadObserver {
 public:
  explicit ClassicIndexer(ClassicReadIndex& index) : index_(index) {}
  void Begin(ClassicLiveState& s) override;
  bool Line(ClassicLiveState& s) override;
  void End(ClassicLiveState& s) override;
  // After the read: `read` its result (1 for a read to the end), `textSize` the bytes read.
  void Finish(const NcReadTarget& t, int read, std::uint64_t textSize);

 private:
  ClassicReadIndex& index_;
  ClassicCheckpoint open_;  // the checkpoint whose stretch is being read
  std::uint64_t openOffset_ = 0, openComment_ = 0;
  std::uint32_t openCount_ = 0;
  long openLine_ = 0, openDiffLine_ = 0;
  bool ended_ = false;
};

// An edit of a text: the bytes [begin, oldEnd) of the old text became [begin, newEnd) of the
// new one.
struct TextChange {
  std::uint64_t begin = 0, oldEnd = 0, newEnd = 0;
};

struct SpliceResult {
  std::uint32_t first = 0;    // the first record read again
  std::uint32_t removed = 0;  // old records replaced from there
  std::uint32_t added = 0;    // new records in their place
  std::uint64_t linesRead = 0;
  bool toEnd = false;  // the read ran to the end of the text without meeting the old read again
};

// Re-reads after `change` turned the indexed text into `text` and splices the result into
// t.store, t.sources (when given), the work layer's comment and numbers and t.state, as a
// whole classic read of `text` would have left them (the statistics and the extent are the
// caller's). 1 when done; 0 when the index cannot serve (no index, other switches, a change
// beyond the text, a source map of other than one file, no memory): nothing has changed then
// and the caller reads the whole text. The index follows the new text.
int SpliceClassicRead(const NcReadTarget& t, ClassicReadIndex& index, std::string_view text,
                      const TextChange& change, SpliceResult* result = nullptr);

}  // namespace trevalon
