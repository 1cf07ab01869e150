#pragma once
// Paths as the path order commands (reverse, start points, sort, Z up to Z down, move and copy)
// see them, and the writer they append their result with.
//
// A path is a cutting run, the motion points that are not rapids one after another, together
// with its lead: the motion point its first cut starts from, which is the last rapid before
// the run. Rapids that lead to no cut of their own (the retract and the traverse of a rapid
// run) belong to no path, so a path led in by several rapids counts once. Only a toolpath
// that starts with a cut has a run without a rapid before it: its first point is then the
// lead of the rest of the run.
//
// Our rule for the commands that put the paths in another order: the rapids before the first
// path (the program's start position) stay in front and the rapids after the last path stay
// at the end; the rapids between paths are left out, because the rapid rebuild (or the
// command's own approach) makes the way from one path to the next anew.

#include <cstdint>
#include <vector>

#include "model/source_lines.h"

namespace trevalon {

class CPointStore;

struct PathRun {
  std::uint32_t lead;   // the motion point the first cut starts from
  std::uint32_t first;  // the run's first motion point
  std::uint32_t last;   // its last motion point
  std::uint32_t end;    // one past its last record (an arc's centre record included)
};

// The paths in store order. Records that are no motion (type 0, stray centre records) are
// passed over.
std::vector<PathRun> CuttingRuns(CPointStore& store);

// One past the records of motion point i: an arc's centre record belongs to it.
std::uint32_t EndOfPoint(CPointStore& store, std::uint32_t i);

// Part of a path: the moves into the motion points of [first, end), starting at `from` (the
// motion point just before `first`).
struct PathPiece {
  std::uint32_t from, first, end;
};
inline PathPiece WholeRun(const PathRun& r) {
  return {r.lead, r.first, r.end};
}

// The offset record of the arc whose end point is record i, as the arc routines read it: the
// record after it, whose type is its plane (a type that is no plane code counts as XY, and a
// record that cannot be read as no offset). The offset's component along the plane's normal
// is 0.
struct ArcCentreRecord {
  double offset[3] = {0, 0, 0};
  int plane = 91;
  int feed = 0, mark = 0;
};
ArcCentreRecord ReadArcCentre(CPointStore& store, std::uint32_t i);

// Appends behind the store. After the first append that fails (the store is full) nothing more
// is appended and ok() is false; the caller puts the store back.
class PathWriter {
 public:
  explicit PathWriter(CPointStore& store) : s_(store) {}

  // The motion points of [from, to) as they are, each arc with its centre record.
  void Copy(std::uint32_t from, std::uint32_t to);
  // Motion point i as a rapid of the given type (1 or 2): its position, feed and mark.
  // Our rule, for Copy as well: a rapid onto the very spot of the rapid appended just before
  // it is left out, so that joining paths never makes a rapid of no length.
  void Rapid(std::uint32_t i, int type);
  // Motion point i at height z as a rapid of the given type. A rapid onto the very spot of the
  // rapid appended just before it is left out, so no rapid of no length is made.
  void RapidAt(std::uint32_t i, double z, int type);
  // The moves of [from, to) backwards, as ReverseRange appends them.
  void Reversed(std::uint32_t from, std::uint32_t to);
  // A path led in by the rapid `from`, backwards: as Reversed, with one rule of ours for the
  // way in. A path whose first cut comes straight down from its lead (a plunge at feed into
  // the material) would, run backwards, end with that plunge run upwards and start with a
  // rapid down onto what was its last point, into material not cut yet. So the plunge goes
  // with the start: the reversed path is led in by a rapid as high above its new first point
  // as the lead stood above the plunge's end, and comes down at the plunge's feed; it ends at
  // the plunge's end, from where the retract leaves as it left the old last point. Reversing
  // such a path twice gives it back as it was.
  void ReversedPath(std::uint32_t from, std::uint32_t to);
  // A piece: its start as a run-starting rapid and its moves; or the piece reversed
  // (ReversedPath).
  void Piece(const PathPiece& p, bool reversed);
  // The register as it stands (for points a command computes itself).
  void Register();
  // The register as an arc end point followed by its centre record.
  void Arc(int plane, const double offset[3], int centreFeed, int centreMark);

  bool ok() const { return ok_; }

  // From now on, notes per appended record the record it copies (SourceLines::kNoRecord for
  // a point of the command's own, a raised point, a new arc centre), for
  // CommandFrame::Appended (the note is the frame's OriginNote; null notes nothing). A note that
  // cannot grow for want of memory is cleared and no more is noted; the frame then gives the source
  // lines up.
  void NoteOrigins(std::vector<std::uint32_t>* origins) { origins_ = origins; }

 private:
  void Put();
  // The register stands where the rapid appended last ends.
  bool OnLastRapid() const;
  // The register as an arc end point (from the record source_) and its centre record (from
  // centreFrom).
  void PutArc(int plane, const double offset[3], int centreFeed, int centreMark,
              std::uint32_t centreFrom);
  CPointStore& s_;
  std::vector<std::uint32_t>* origins_ = nullptr;
  std::uint32_t source_ = SourceLines::kNoRecord;  // the record the next Put copies
  bool ok_ = true;
  bool haveRapid_ = false;  // the last record appended is a rapid at (rx_, ry_, rz_)
  float rx_ = 0, ry_ = 0, rz_ = 0;
};

}  // namespace trevalon
