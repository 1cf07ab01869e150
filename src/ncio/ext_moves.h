#pragma once
// What an extended read produces. The extended readers (ISO with its macro and program flow,
// Heidenhain with its parameters and contours) interpret a program as a control runs it and
// hand every move to an ExtMoveSink, which stores it as the classic reader stores its moves:
// rapids (1, 2), straight cuts (3, 4), arc ends (6, 8) each followed by its centre record
// (the plane code 91/92/93 as type, the offset of the centre from the arc's start without the
// component along the plane's normal), or arcs as chords when the reading switch asks for it.
// Beside the moves, an ExtReadReport counts what the reader passed over, so that the user
// learns what the view leaves out.

#include <cstdint>
#include <map>
#include <string>

#include "model/point_store.h"
#include "model/source_lines.h"
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

}  // namespace trevalon
