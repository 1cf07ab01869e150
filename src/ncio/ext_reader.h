#pragma once
// Extended reading: a program read whole as text, its dialect told from the program itself,
// then run by the ISO or the Heidenhain interpreter as a control runs it. The classic
// readers (fanuc_reader.h) stay as they are; the NC switch ExtendedReadingChk chooses this
// read instead.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ncio/ext_iso.h"
#include "ncio/ext_moves.h"
#include "ncio/fanuc_reader.h"

namespace trevalon {

// The lines of a text: LF, CR LF and CR end a line; a last line without a line end counts.
std::vector<std::string_view> SplitNcLines(std::string_view text);

// Our rule: a text holding a NUL byte or another control character that no NC program
// holds (anything below a blank except tab, line ends, form feed, and the tape codes DC1-DC4
// and the end-of-file mark 0x1A) is not an NC program.
bool IsNcText(std::string_view text);

enum class NcDialect { Unknown, Iso, Heidenhain };

// Heidenhain when a "BEGIN PGM" line comes before the first motion block or that block
// starts with L, C, CC, CR, CT, LP or CP; ISO when a motion block (a G0-G3 or an X, Y or Z
// word) comes first; Unknown when the text has neither. Looks at most at `maxLines` lines.
NcDialect DetectNcDialect(const std::vector<std::string_view>& lines,
                          std::size_t maxLines = static_cast<std::size_t>(-1));

// DetectNcDialect over all the lines of a text, without a line table: for a text given a
// piece at a time, each piece ending at a line end, the first piece that tells gives it.
NcDialect DetectTextDialect(std::string_view text);

// What an extended read takes the text for: what it shows, else what the switches say.
NcDialect ExtendedReadDialect(NcDialect detected, const NcSwitches& nc);

// Whether a text may hold parameters or program flow (a '#', or a word of calls, jumps, loops
// and conditions, anywhere and in any case): then the macro runner reads it. A text holds one
// exactly when one of its lines does, so pieces that end at line ends may be looked at apart.
bool MayHoldMacro(std::string_view text);

// The extended read of an ISO program without parameters or program flow (!MayHoldMacro),
// given a piece at a time, each piece ending at a line end (the last one may not): the same
// result as ReadNcExtended on the whole text, without the whole text at once.
class ExtPlainIsoRead {
 public:
  // Clears what every extended read clears and starts at the store's last move.
  ExtPlainIsoRead(const NcReadTarget& t, ExtReadReport& report);
  // Runs the lines of `piece`; false once the program has ended or the store is full (later
  // pieces are then passed over).
  bool Feed(std::string_view piece);
  // As ReadNcExtended returns.
  int Finish(NcReadOutcome* outcome);

 private:
  NcReadTarget t_;
  ExtReadReport& report_;
  ExtMoveSink sink_;
  std::optional<ExtIsoMachine> machine_;  // made once the sink stands at the start
  bool full_ = false;
  bool ended_ = false;
  std::string scratch_;
  std::uint64_t fed_ = 0;  // bytes of the text given before the piece being run
  long lines_ = 0;         // lines run so far: the report's line numbers
};

// Reads `text` into the target as ReadLines does (the work layer's S, T, H, O and comment
// emptied first), appending behind the store's records; `report` gets what was passed over.
// 1 read to the end; 0 when the store became full or the run stopped (report.stopReason).
int ReadNcExtended(const NcReadTarget& t, std::string_view text, ExtReadReport& report,
                   NcReadOutcome* outcome);

// Counts, while a classic read runs, the lines whose classic reading differs from a control's
// (ClassicReadNote). It looks at each piece the classic reader takes, once and cheaply, and
// changes nothing of the read.
class ClassicDifferences {
 public:
  explicit ClassicDifferences(bool readAsHeidenhain) : heidenhain_(readAsHeidenhain) {}
  // Each piece as the classic reader takes it: a line with its line feed, or a piece without
  // one (the start of a line longer than the reader takes, or a last line without a line
  // feed), which the classic reader takes for no block. `plainIso`: the ISO block parser
  // walked the piece to its line feed and found nothing a control reads otherwise (no word of
  // letters, no blank after an address, no macro or polar mark, call or cycle: see
  // ParseFanucBlock), so that the common line is not scanned a second time; the note is the
  // same either way.
  void Take(std::string_view piece, bool plainIso = false);
  const ClassicReadNote& Note() const { return note_; }

  // For a read seen line by line (classic_splice.h). Whether the two would count every line
  // after this one alike: the same dialect, cycle and line state (the line number and the
  // counts so far aside).
  bool SameState(const ClassicDifferences& o) const {
    return heidenhain_ == o.heidenhain_ && dialect_ == o.dialect_ &&
           (dialect_ != NcDialect::Unknown || looked_ == o.looked_) && midLine_ == o.midLine_ &&
           lineCounted_ == o.lineCounted_ && cycle_ == o.cycle_ &&
           note_.otherDialect == o.note_.otherDialect;
  }
  // The lines counted since the last call (blocks, and the first one's line), which then
  // count from zero again; the dialect found stays.
  ClassicReadNote TakeCounts() {
    ClassicReadNote n = note_;
    note_.blocks = 0;
    note_.firstLine = 0;
    return n;
  }
  // The line of the piece taken last (0 before the first).
  long Line() const { return line_; }
  void SetLine(long line) { line_ = line; }

 private:
  bool heidenhain_;
  NcDialect dialect_ = NcDialect::Unknown;
  long looked_ = 0;           // lines looked at for the dialect
  long line_ = 0;             // the line of the piece (1-based)
  bool midLine_ = false;      // the last piece ended without a line feed
  bool lineCounted_ = false;  // the line in hand is counted already
  bool cycle_ = false;        // ISO: a drilling cycle in force (G73-G89 until G80 or G0-G3)
  ClassicReadNote note_;
};

// The same over a whole text (tests, and texts not read line by line).
ClassicReadNote CountClassicDifferences(std::string_view text, bool readAsHeidenhain);

}  // namespace trevalon
