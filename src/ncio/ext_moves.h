#pragma once
// What an extended read produces. The extended readers (ISO with its macro and program flow,
// Heidenhain with its parameters and contours) interpret a program as a control runs it and
// hand every move to an ExtMoveSink, which stores it as the classic reader stores its moves:
// rapids (1, 2), straight cuts (3, 4), arc ends (6, 8) each followed by its centre record
// (the plane code 91/92/93 as type, the offset of the centre from the arc's start without the
// component along the plane's normal), or arcs as chords when the reading switch asks for it.
// Beside the moves, an ExtReadReport counts what the reader passed over, so that the user
// learns what the view leaves out.

#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "model/point_store.h"
#include "model/source_lines.h"
#include "ncio/nc_number.h"
#include "texts/user_texts.h"

namespace trevalon {

// What a read passed over, by kind, with how many blocks held it. The kinds are the
// readers' own short keys ("rotary", "tilted-plane", "feed-per-rev", "lathe-cycle", ...);
// the texts shown to the user come from the user texts by these keys.
struct ExtReadReport {
  std::map<std::string, long> passedOver;
  // The line (1-based) of the first block of each kind passed over: where the user looks
  // first. 0 when the reader could not tell.
  std::map<std::string, long> firstLine;
  // The line (1-based) of the block being run; the readers keep it, Pass takes it.
  long line = 0;
  // Set when the read was refused or stopped (an alarm, a loop that never ends, not text):
  // the reason in the user's words; the moves stored before it stay.
  std::string stopReason;
  std::string dialect;                    // "ISO" or "Heidenhain": what the file was read as
  Language language = Language::English;  // of the stop reason
  void Pass(const std::string& kind, long blocks = 1) {
    passedOver[kind] += blocks;
    firstLine.try_emplace(kind, line);
  }
};

// The feed an extended read keeps for the value of an F word: the record's feed
// (ncnumber::RecordFeed), with a feed that had to be limited reported as "feed-limited"; a
// feed below 0 is no feed (0), as a control refuses it.
inline std::int32_t ExtFeed(double v, ExtReadReport& report) {
  bool limited = false;
  const std::int32_t f = ncnumber::RecordFeed(v, limited);
  if (limited) [[unlikely]]
    report.Pass("feed-limited");
  return f < 0 ? 0 : f;
}

// The coordinates a record holds: a record beyond them is unsound and reads as the null
// record (CPointStore::kSaneLimit), so a reader never stores one.
inline constexpr double kRecordCoordLimit = CPointStore::kSaneLimit;

inline bool RecordHolds(const double p[3]) {
  return std::fabs(p[0]) <= kRecordCoordLimit && std::fabs(p[1]) <= kRecordCoordLimit &&
         std::fabs(p[2]) <= kRecordCoordLimit;
}

// Our rule: a coordinate a record cannot hold is limited to the nearest one it holds
// (+/-32700), one that is no number (infinite or undefined) becomes 0, never stored as it is
// (it would read back as an empty record, the move gone without a word). true when `p`
// changed; the readers report it as "coord-limited".
bool LimitToRecord(double p[3]);

// The kind of the blocks of a G code that a reader does not run: this prefix and the code as
// written without its leading zeros ("g-not-run:47", "g-not-run:12.1").
inline constexpr const char* kExtGNotRunPrefix = "g-not-run:";

// The most blocks one extended read executes before it stops as a loop that never ends
// (calls, jumps and repeats included). Fuzzing lowers it so that every input ends quickly.
inline long& ExtBlockLimit() {
  static long limit = 5'000'000;
  return limit;
}

class ExtMoveSink {
 public:
  // Appends behind the store's last record; `arcsAsChords`: the reading switch that stores
  // arcs as chords within the reader's chord tolerance.
  ExtMoveSink(CPointStore& store, bool arcsAsChords);
  // The report that learns of coordinates limited to what a record holds (LimitToRecord),
  // one count per block.
  void ReportLimitsTo(ExtReadReport* report) { report_ = report; }

  // Each returns false when the store is full (the store then holds every move before it).
  // `named`: the block named its motion (G00/G01, L with F MAX or a feed, ...); a move that
  // continues a run of the same kind without naming it is stored as a continuation (2, 4),
  // and the first move after another kind always as a new one (1, 3).
  bool Rapid(const double to[3], bool named);
  bool Line(const double to[3], std::int32_t feed, bool named);
  // An arc from the current position to `to` about `centre` (absolute) in `plane` (91, 92,
  // 93); along the plane's normal the arc may rise (a helix). A whole circle ends where it
  // starts.
  bool Arc(const double to[3], const double centre[3], int plane, bool clockwise,
           std::int32_t feed);

  // Where the last stored move ended (the start position until a move is stored).
  const double* Position() const { return at_; }
  void SetPosition(const double p[3]) { at_[0] = p[0], at_[1] = p[1], at_[2] = p[2]; }
  bool Full() const { return full_; }
  std::uint32_t Stored() const { return stored_; }
  // Whether a move other than a rapid has been stored (the program's setup ends there).
  bool CutStored() const { return cut_; }

  // ---- Where the moves come from -------------------------------------------------------
  // With lines given, every record stored is noted in them as coming from the block in
  // force (NcReadTarget::sources). The readers say which block that is: SourceText names the
  // text the blocks are views into (its first byte being `offset` of the program), SourceAt a
  // block's place in it. A move held back and stored while a later block runs goes out
  // under its own block (ExtSourceScope).
  void NoteSourcesIn(SourceLines* lines) { lines_ = lines; }
  void SourceText(const char* text, std::uint64_t offset) {
    text_ = text;
    textOffset_ = offset;
  }
  void SourceAt(const char* block) {
    if (lines_ && text_ && block >= text_)
      source_ = textOffset_ + static_cast<std::uint64_t>(block - text_);
  }
  std::uint64_t Source() const { return source_; }
  void SetSource(std::uint64_t offset) { source_ = offset; }

 private:
  bool Put(int type, const double p[3], std::int32_t feed);
  // Limits `p` to what a record holds and reports it (out of the hot path).
  void Limit(double p[3]);
  // A helix as chords: the arc's chords in its plane with the axis along the plane's normal
  // rising evenly along the angle.
  bool HelixChords(const double to[3], const double offset[3], int plane, int type,
                   std::int32_t feed);
  void Note() {
    if (lines_) lines_->Reach(store_.count, source_);
  }
  CPointStore& store_;
  bool chords_;
  bool full_ = false;
  int lastKind_ = 0;  // 1 rapid, 3 line, 6 arc: the kind of the last stored move
  double at_[3] = {0, 0, 0};
  std::uint32_t stored_ = 0;
  bool cut_ = false;
  SourceLines* lines_ = nullptr;
  const char* text_ = nullptr;
  std::uint64_t textOffset_ = 0, source_ = 0;
  ExtReadReport* report_ = nullptr;
  long limitedLine_ = -1;  // the line last reported as limited: one count per block
};

// The moves stored while it lives come from the block at `source`; then the block in force
// before it is in force again.
class ExtSourceScope {
 public:
  ExtSourceScope(ExtMoveSink& sink, std::uint64_t source) : sink_(sink), keep_(sink.Source()) {
    sink_.SetSource(source);
  }
  ~ExtSourceScope() { sink_.SetSource(keep_); }
  ExtSourceScope(const ExtSourceScope&) = delete;
  ExtSourceScope& operator=(const ExtSourceScope&) = delete;

 private:
  ExtMoveSink& sink_;
  std::uint64_t keep_;
};

// What the macro runner may read of the machine that runs its blocks: the state behind the
// system variables of modal information and positions. The ISO interpreter gives it; the
// runner only reads it.
class ExtMachineState {
 public:
  // The G code in force in modal group `group` (1-30), as written (54.1 for G54.1); false
  // for a group the machine does not keep.
  virtual bool ModalG(int group, double& code) const = 0;
  // The value in force of an address (F, S, T, H, O); false for one the machine does not keep.
  virtual bool ModalWord(char address, double& value) const = 0;
  // Where the last block ended, in the program's units: X, Y, Z for axis 0, 1, 2.
  virtual double Position(int axis) const = 0;

 protected:
  ~ExtMachineState() = default;
};

}  // namespace trevalon
