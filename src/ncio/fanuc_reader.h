#pragma once
// Reading NC programs into the point store: the line-by-line read (LoadNcProgram,
// AppendNcProgram), the Fanuc-style block parser and the modal state that the parsers keep
// from block to block and from one read to the next.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/source_lines.h"
#include "ncio/ext_moves.h"
#include "ncio/heidenhain_reader.h"
#include "ncio/nc_settings.h"

namespace trevalon {

class CUndoRing;
class ClassicDifferences;
class ConversationalSetupScan;
class ClassicReadObserver;

// ---- Modal state ---------------------------------------------------------------------------
// Modal state of the Fanuc-style parser. It starts at zero when the program starts and
// carries over from one read to the next and from one document to another.
struct FanucModalState {
  // The absolute position of the last block that reached its line feed with `valid` set,
  // whether it moved or not.
  double modalPosition[3] = {0, 0, 0};
  int modalMotion = 0;               // motion type of the last block that held a G word
  double blockStart[3] = {0, 0, 0};  // the position at the start of the current block
  int valid = 0;  // set at each block start, cleared by a recognised word without a number
};

// What a classic read learns of the program beside its records: how many lines its rules read
// differently from a control (FMAX, Q parameters, labels and calls, cycles, macro variables and
// program flow, polar words, blocks skipped whole, a program of the other dialect), and the
// first of them (1-based; 0 when there is none).
struct ClassicReadNote {
  long blocks = 0;
  long firstLine = 0;
  bool otherDialect = false;  // the program looks like the dialect the read did not use
};

// Everything the parsers keep between blocks. One per document, kept from one read to the next.
struct NcReaderState {
  int incremental = 0;  // G91 in force; shared by both parsers, cleared at the start of a read
  FanucModalState fanuc;
  HeidenhainModalState heidenhain;
  // The last read: whether it was an extended one (NcSwitches::extendedReadingChk), and then
  // what it passed over.
  bool lastReadExtended = false;
  ExtReadReport lastReport;
  // What the last classic read had to limit to store it (kinds "feed-limited" and
  // "coord-limited", with the line of the first block): the classic readers otherwise read
  // as they always have, but a value a record cannot hold is never stored wrapped or
  // unsound without a word.
  ExtReadReport classicLimits;
  ClassicReadNote lastClassic;  // the last classic read's note (empty after an extended one)
  Language language = Language::English;  // of what an extended read says
};

// What a block parser works on: the store's register, the shared modal state, the work
// layer that collects S, T, H, O and the comment lines, and the coordinate scale (0.001 for
// programs in thousandths, else 1).
struct NcBlockContext {
  PointRegister& reg;
  NcReaderState& state;
  LayerSlot& layer;
  double scale = 1.0;
  // Set by ParseFanucBlock: it walked the line to its line feed and found it plain, a line
  // that ClassicDifferences need not look at again (ClassicDifferences::Take).
  bool plainIso = false;
};

// The feed a classic read stores for an F word's value (ncnumber::RecordFeed), a limited one
// counted in state.classicLimits.
inline std::int32_t ClassicFeed(NcReaderState& state, double v) {
  bool limited = false;
  const std::int32_t f = ncnumber::RecordFeed(v, limited);
  if (limited) [[unlikely]]
    state.classicLimits.Pass("feed-limited");
  return f;
}

// 1 when the register holds a move to be stored, 0 otherwise; fills the register and
// arcOffset (the centre's offset from the block's start). The line is what one read of the
// line buffer gave, its line feed included when it had one; a NUL byte ends it as the end of
// the text does.
int ParseFanucBlock(NcBlockContext& c, std::string_view line, double arcOffset[3]);

// ---- Reading a program ---------------------------------------------------------------------
// What a read works on: the document's store and work layer, its switches, and the reader
// state of the application; and, when given, the source lines that learn for each record
// stored where its block stands in the program (source_lines.h: the caller begins the file,
// the readers only say for the records they store from which byte offset of the text they
// read the block; a reader that takes back a record takes back its place).
struct NcReadTarget {
  CPointStore& store;
  LayerSlot& workLayer;
  NcSwitches& nc;
  NcReaderState& state;
  SourceLines* sources = nullptr;
  // Whether the read ends with the store's extent (CPointStore::Extent). A caller that
  // measures the toolpath after the read (the load commands, with the statistics) clears it,
  // so that the store is walked once.
  bool measureExtent = true;
  // Whether a file with binary data near its start (CheckNcText's rule) is refused before
  // anything changes, outcome Binary. The classic read looks at its own first chunk, so that a
  // load opens and reads its file once.
  bool refuseBinary = false;
  // When given, a classic read shows it its state at the start of every line (classic_splice.h:
  // the checkpoints of a read that a text edit re-reads from). Extended reading ignores it.
  ClassicReadObserver* observer = nullptr;
};

enum class NcReadOutcome {
  Read,        // read to the end of the file
  CannotOpen,  // nothing was read and nothing changed
  StoreFull,   // stopped when a store failed; the points stored so far stay
  NotText,     // extended reading: the file is not an NC program; nothing changed
  Binary,      // NcReadTarget::refuseBinary: binary data near the start; nothing changed
  Stopped,     // extended reading: the run stopped (lastReport.stopReason); moves so far stay
};

// Appends the program's points after record count-1. 1 when read to the end, 0 when the
// file cannot be opened (nothing changes) or a store failed (count covers exactly the
// records stored).
int AppendNcProgram(const NcReadTarget& t, const std::string& path,
                    NcReadOutcome* outcome = nullptr);
// The same over an open stream (read from its current position, not closed here).
int AppendNcStream(const NcReadTarget& t, std::FILE* file, NcReadOutcome* outcome = nullptr);

// Takes an undo snapshot, empties the store, sets the register's type and feed to 0 and
// appends the program. A file that cannot be opened changes nothing, not even the undo ring.
int LoadNcProgram(const NcReadTarget& t, CUndoRing& undo, const std::string& path,
                  NcReadOutcome* outcome = nullptr);

// ---- A classic read seen line by line ----------------------------------------------------------
// Everything a classic read carries from one line to the next, as references into the read
// that runs: what a checkpoint copies and what a re-read from a checkpoint starts with.
struct ClassicLiveState {
  PointRegister& reg;
  NcReaderState& state;
  LayerSlot& layer;
  bool& cutRead;                            // the setup is complete: a cut was read
  ConversationalSetupScan& conversational;  // the setup scan of a Heidenhain program
  ClassicDifferences& differences;
  long& lineNumber;          // lines begun before this one
  bool& first;               // no line read yet (the dialect switch is taken at the first)
  bool& heidenhain;          // the dialect the read uses
  std::uint32_t count = 0;   // records stored before this line
  std::uint64_t offset = 0;  // where the line starts in the text
};

class ClassicReadObserver {
 public:
  // After the read set up its start state, before its first line: an observer that starts a
  // read part way through a text puts the state of that place here.
  virtual void Begin(ClassicLiveState& s) = 0;
  // At the start of every line of the text (not at the rest of a line longer than the line
  // buffer, which goes on reading the same line). false ends the read there: the records of
  // the lines before are stored, nothing of this line is read.
  virtual bool Line(ClassicLiveState& s) = 0;
  // After the last line, when the read ended there or was ended by Line (not when the store
  // filled).
  virtual void End(ClassicLiveState& s) = 0;

 protected:
  ~ClassicReadObserver() = default;
};

// A classic read of `text` from byte `from` (the start of a line), as a read of a file holding
// that text reads it: records go behind the store's count, places into t.sources as offsets
// of `text`. The observer (t.observer) may start the read in the state of that place.
int ReadClassicText(const NcReadTarget& t, std::string_view text, std::uint64_t from,
                    NcReadOutcome* outcome = nullptr);

}  // namespace trevalon
