#include "edit/delete_commands.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "edit/compaction.h"
#include "model/geometry.h"
#include "model/statistics.h"

namespace trevalon {

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;

int TypeOf(CPointStore& s, std::uint32_t i) {
  return i != kNone && s.FetchPoint(i) ? s.reg.type : MOVE_NONE;
}

std::uint32_t MotionAfter(CPointStore& s, std::uint32_t i) {
  for (std::uint32_t k = i + 1; k < s.count; ++k) {
    if (s.FetchPoint(k) && IsMotionType(s.reg.type)) return k;
  }
  return kNone;
}

std::uint32_t MotionBefore(CPointStore& s, std::uint32_t i) {
  for (std::uint32_t k = i; k-- > 0;) {
    if (s.FetchPoint(k) && IsMotionType(s.reg.type)) return k;
  }
  return kNone;
}

// Record i with motion type t; false when the store could not take the write.
bool Retype(CPointStore& s, std::uint32_t i, int t) {
  s.FetchPoint(i);
  if (s.reg.type == t) return true;
  s.reg.type = t;
  return s.StorePoint(i) != 0;
}

bool RemoveRecords(CPointStore& s, std::uint32_t from, std::uint32_t to) {
  bool ok = true;
  for (std::uint32_t k = from; k < to && ok; ++k) {
    if (s.FetchPoint(k)) ok = Retype(s, k, MOVE_NONE);
  }
  return ok;
}

// Length of the move that ends at motion point i and starts at motion point `from` (kNone: no
// move, 0); an arc by its length along the arc.
double MoveLength(CPointStore& s, std::uint32_t i, std::uint32_t from) {
  if (from == kNone) return 0.0;
  if (IsArcType(TypeOf(s, i))) {
    StoredArc arc;
    return ArcOfPoint(s, i, arc) ? arc.arc.length : 0.0;
  }
  double d[4];
  s.SegmentLength(i, from, d);
  return d[3];
}

// The run type that regeneration derives for a point of type t after a point of type `before`.
int RunType(int t, int before) {
  if (IsRapidType(t)) return IsRapidType(before) ? MOVE_RAPID_CONT : MOVE_RAPID;
  if (IsLinearType(t)) return IsLinearType(before) ? MOVE_LINE_CONT : MOVE_LINE;
  return t;
}

// Our rule for the motion point b after records taken out (a: the motion point now before it,
// kNone when none is left): b takes the run type that a gives it, as regeneration derives run
// types, so no rapid run starts twice and a cutting run starts with type 3 exactly where it
// follows a rapid or an arc. With nothing before it, b is where the toolpath starts: the tool
// is brought there, so it becomes a rapid (type 1), as regeneration starts every toolpath, and
// the point after it takes the run type a rapid gives it.
bool JoinAfterGap(CPointStore& s, std::uint32_t a, std::uint32_t b) {
  if (b == kNone) return true;
  const int t = TypeOf(s, b);
  if (a != kNone) return Retype(s, b, RunType(t, TypeOf(s, a)));
  bool ok = Retype(s, b, MOVE_RAPID);
  if (!IsRapidType(t)) {  // what follows b now follows a rapid
    const std::uint32_t c = MotionAfter(s, b);
    if (c != kNone) ok = ok && Retype(s, c, RunType(TypeOf(s, c), MOVE_RAPID));
  }
  return ok;
}

// Our rule: an arc keeps its centre where it was when the point it starts from goes. Its
// centre record holds the offset from the arc's start (the motion point before it), so the
// offset is taken again from the new start `a`; the component along the plane's normal stays 0.
bool KeepArcCentre(CPointStore& s, std::uint32_t removed, std::uint32_t a, std::uint32_t arc) {
  if (!s.FetchPoint(arc + 1) || !IsPlaneCode(s.reg.type)) return true;  // no centre to keep
  double old[3], now[3];
  s.FetchXYZ(removed, old);
  s.FetchXYZ(a, now);
  s.FetchPoint(arc + 1);
  const PlaneAxes ax = AxesOfPlane(s.reg.type);
  double offset[3] = {s.reg.x, s.reg.y, s.reg.z};
  offset[ax.a] += old[ax.a] - now[ax.a];
  offset[ax.b] += old[ax.b] - now[ax.b];
  offset[ax.normal] = 0.0;
  s.reg.x = offset[0], s.reg.y = offset[1], s.reg.z = offset[2];
  return s.StorePoint(arc + 1) != 0;
}

// Puts the store back when a step cannot be done for want of memory. Commands record their
// undo snapshot `name` and use the frame's state (SaveUndo keeps it); a window of the
// desktop's series after the first records none and keeps a state of its own, sharing the
// store's pages, so nothing is copied until a page changes.
class Safeguard {
 public:
  Safeguard(CommandFrame& frame, Txt name, bool recordUndo = true)
      : frame_(frame), undo_(recordUndo) {
    if (undo_)
      frame_.SaveUndo(name);
    else
      ok_ = frame_.store().Snapshot(before_) != 0;
  }
  bool ok() const { return ok_; }
  Outcome Fail() {
    const std::string why = "not enough memory for the result; the toolpath is as it was";
    if (undo_) return frame_.Rollback(why);
    frame_.store().Restore(before_);
    ComputeStatistics(frame_.store());
    frame_.context().msg.Notify(Txt::StoreFull, Txt::KorvoMessage);  // as the frame does
    return Outcome::Failed(OutcomeCode::NoMemory, why);
  }

 private:
  CommandFrame& frame_;
  bool undo_;
  bool ok_ = true;
  RecordSnapshot before_;
};

Outcome NoMemoryToStart() {
  return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory to start; nothing changed");
}

Outcome Empty() {
  return Outcome::Unchanged("the toolpath is empty");
}

// A picked index must be a motion point of the store.
std::optional<Outcome> RefusePick(CPointStore& s, std::uint32_t i) {
  if (i >= s.count)
    return Outcome::Failed(OutcomeCode::Refused, "point " + std::to_string(i) +
                                                     " is beyond the toolpath (" +
                                                     std::to_string(s.count) + " records)");
  if (!s.FetchPoint(i) || !IsMotionType(s.reg.type))
    return Outcome::Failed(OutcomeCode::Refused,
                           "record " + std::to_string(i) + " is not a motion point");
  return std::nullopt;
}

// The first rapid of the rapid run after motion point `from`: a rapid whose motion point
// before it is not a rapid. Runs, not type-1 codes, so that a run led in by several rapids
// that each name G00 counts once.
std::uint32_t NextRunStart(CPointStore& s, std::uint32_t from) {
  int before = TypeOf(s, from);
  for (std::uint32_t k = MotionAfter(s, from); k != kNone; k = MotionAfter(s, k)) {
    const int t = TypeOf(s, k);
    if (IsRapidType(t) && !IsRapidType(before)) return k;
    before = t;
  }
  return kNone;
}

bool HoldsCut(CPointStore& s, std::uint32_t from, std::uint32_t to) {
  for (std::uint32_t k = from; k < to; ++k) {
    if (s.FetchPoint(k) && (IsLinearType(s.reg.type) || IsArcType(s.reg.type))) return true;
  }
  return false;
}

// The end of every delete. The store is compacted first: the rebuild's regeneration leaves the
// cuts of no length it found with type 0, and the point and path deletes leave what they took
// out; dropping them changes no move.
Outcome Finished(CommandFrame& frame) {
  frame.Compact();
  frame.Finish();
  return Outcome::Done();
}

// The rebuild that ends most deletes; false when the store could not hold it.
bool Rebuild(CommandFrame& frame, int times) {
  for (int k = 0; k < times; ++k) {
    if (!frame.RapidRebuild()) return false;
  }
  return true;
}

}  // namespace

// ---- Picked point and path -----------------------------------------------------------------

Outcome DeletePoint(EditContext& ctx, std::uint32_t index) {
  CPointStore& s = ctx.store;
  if (auto refusal = RefusePick(s, index)) return *refusal;
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeletePoint);
  if (!guard.ok()) return NoMemoryToStart();
  const std::uint32_t a = MotionBefore(s, index), b = MotionAfter(s, index);
  bool ok = true;
  if (b != kNone && a != kNone && IsArcType(TypeOf(s, b))) ok = KeepArcCentre(s, index, a, b);
  ok = ok && Retype(s, index, MOVE_NONE) && JoinAfterGap(s, a, b);
  if (!ok) return guard.Fail();
  return Finished(frame);
}

Outcome DeletePath(EditContext& ctx, std::uint32_t index) {
  CPointStore& s = ctx.store;
  if (auto refusal = RefusePick(s, index)) return *refusal;
  // The path's first point: the nearest rapid at or before the picked point (record 0 when
  // the toolpath begins with cuts).
  std::uint32_t first = index;
  while (first > 0 && !(s.FetchPoint(first) && IsRapidType(s.reg.type))) --first;
  // Its approach: the rapids of type 1 right before it go with it.
  std::uint32_t start = first;
  for (std::uint32_t q = MotionBefore(s, start); q != kNone && TypeOf(s, q) == MOVE_RAPID;
       q = MotionBefore(s, q))
    start = q;
  // Our rule: a rapid straight up from the cut before it is the tool's way out of that cut
  // and stays, so the toolpath never leaves a cut sideways at cutting depth (a program that
  // names G00 on every rapid gives its retract type 1 as well).
  if (const std::uint32_t q = MotionBefore(s, start); q != kNone && !IsRapidType(TypeOf(s, q))) {
    double d[4], u[3];
    if (IsRapidType(TypeOf(s, start)) && s.Segment(start, q, d, u) && u[2] == 1.0)
      start = MotionAfter(s, start);
  }
  // Up to the next rapid that starts a rapid run; that one stays.
  const std::uint32_t next = NextRunStart(s, first);
  const std::uint32_t end = next == kNone ? s.count : next;
  if (start == kNone || start >= end)
    return Outcome::Unchanged("the path holds nothing but the way out of the cut before it");

  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeletePath);
  if (!guard.ok()) return NoMemoryToStart();
  const std::uint32_t a = MotionBefore(s, start);
  // The rapid after the gap starts a run unless a rapid comes right before it now (JoinAfterGap).
  if (!RemoveRecords(s, start, end) || !JoinAfterGap(s, a, next)) return guard.Fail();
  return Finished(frame);
}

// ---- Every second path -----------------------------------------------------------------------

Outcome DeleteEverySecondPath(EditContext& ctx) {
  CPointStore& s = ctx.store;
  if (s.count == 0) return Empty();
  std::uint32_t from = kNone;  // the first linear cut of type 3
  for (std::uint32_t i = 0; i < s.count && from == kNone; ++i) {
    if (s.FetchPoint(i) && s.reg.type == MOVE_LINE) from = i;
  }
  // A path is a cutting run with the rapid run that leads into it; the rapid run after a kept
  // path stays (its first rapid is that path's retract) and what follows it, up to and
  // including the first rapid of the next rapid run, goes.
  // Our rule: that first rapid goes only when another rapid follows it in its run. Alone it is
  // the only way into the next cut (or the toolpath's last move) and stays, so no cut is left
  // starting from a point it did not start from.
  struct Gap {
    std::uint32_t kept, begin, end;  // records [begin, end) go; `kept` is the rapid before them
  };
  std::vector<Gap> gaps;
  for (std::uint32_t pos = from; pos != kNone;) {
    const std::uint32_t k = NextRunStart(s, pos);
    if (k == kNone) break;
    const std::uint32_t m = NextRunStart(s, k);
    if (m == kNone) {
      if (HoldsCut(s, k + 1, s.count)) gaps.push_back({k, k + 1, s.count});
      break;
    }
    const std::uint32_t after = MotionAfter(s, m);
    const bool mGoes = after != kNone && IsRapidType(TypeOf(s, after));
    gaps.push_back({k, k + 1, mGoes ? m + 1 : m});
    pos = m;
  }
  if (gaps.empty()) return Outcome::Unchanged("there is no second path");

  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteEverySecond);
  for (const Gap& g : gaps) {
    if (!RemoveRecords(s, g.begin, g.end)) return guard.Fail();
  }
  for (const Gap& g : gaps) {
    const std::uint32_t b = g.end < s.count ? MotionAfter(s, g.end - 1) : kNone;
    if (!JoinAfterGap(s, g.kept, b)) return guard.Fail();
  }
  return Finished(frame);
}

// ---- Regions ---------------------------------------------------------------------------------

Outcome DeleteInsideWindow(EditContext& ctx, int x1, int y1, int x2, int y2, bool recordUndo) {
  CPointStore& s = ctx.store;
  if (s.count == 0) return Empty();
  if (!ctx.view) return Outcome::Failed(OutcomeCode::Refused, "a window needs a view");
  if (x1 < 0 || y1 < 0) return Outcome::Unchanged("the window starts outside the view");
  ViewState& view = *ctx.view;
  const int left = std::min(x1, x2), right = std::max(x1, x2);
  const int top = std::min(y1, y2), bottom = std::max(y1, y2);
  auto inside = [&] {
    const WindowPoint w = view.Project(s.reg.x, s.reg.y, s.reg.z);
    const int px = w.x + view.width / 2, py = w.y + view.height / 2;
    return left <= px && px <= right && top <= py && py <= bottom;
  };
  bool any = false;
  for (std::uint32_t i = 0; i < s.count && !any; ++i) {
    if (s.FetchPoint(i) && IsMotionType(s.reg.type)) any = inside();
  }
  if (!any) return Outcome::Unchanged("no point inside the window");

  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteInWindows, recordUndo);
  if (!guard.ok()) return NoMemoryToStart();
  // Each point is judged by what it was before this window: a cut that an earlier point made
  // a placeholder is still a cut here.
  // Our rule: the move after a rapid that goes is a cut starting from a point that is no
  // longer there; it becomes a placeholder as the move after a cut inside does, so no cut is
  // left starting from a point it did not start from.
  enum class Carry { None, AfterCut, AfterRapid } carry = Carry::None;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const int t = s.reg.type;
    const bool in = inside();
    int to = t;
    Carry next = Carry::None;
    if (in && IsRapidType(t)) {
      to = MOVE_NONE, next = Carry::AfterRapid;
    } else if (in) {
      to = MOVE_RAPID_CONT, next = Carry::AfterCut;
    } else if (carry == Carry::AfterCut || (carry == Carry::AfterRapid && !IsRapidType(t))) {
      to = MOVE_RAPID_CONT;
    }
    if (!Retype(s, i, to)) return guard.Fail();
    carry = next;
  }
  if (!frame.RapidRebuild()) return guard.Fail();
  return Finished(frame);
}

Outcome DeleteInsidePolygon(EditContext& ctx, const Region& polygon) {
  CPointStore& s = ctx.store;
  const std::size_t n = polygon.polygon().size();
  if (!polygon.usable() || n >= kDeletePolygonLimit)
    return Outcome::Unchanged("a polygon needs 3 to " + std::to_string(kDeletePolygonLimit - 1) +
                              " vertices");
  if (s.count == 0) return Empty();
  if (!ctx.view) return Outcome::Failed(OutcomeCode::Refused, "a polygon needs a view");
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteInPolygon);
  bool first = true, beforeInside = false;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsLinearType(s.reg.type)) continue;
    const bool in = polygon.Contains(s.reg.x, s.reg.y, s.reg.z, *ctx.view);
    if (!first && (in || beforeInside) && !Retype(s, i, MOVE_RAPID_CONT)) return guard.Fail();
    first = false;
    beforeInside = in;
  }
  if (!frame.RapidRebuild()) return guard.Fail();
  return Finished(frame);
}

// ---- Direction, length and slope --------------------------------------------------------------

Outcome DeleteByXyAngle(EditContext& ctx, const XyAngleOptions& o) {
  CPointStore& s = ctx.store;
  if (s.count == 0) return Empty();
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteXyAngle);
  std::uint32_t before = kNone;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const bool cut = IsLinearType(s.reg.type);
    const std::uint32_t from = before;
    before = i;
    if (!cut || from == kNone) continue;
    double d[4], u[3];
    if (!s.Segment(i, from, d, u)) continue;    // no length, no direction
    if (u[2] == 1.0 || u[2] == -1.0) continue;  // a vertical move is never removed
    const double a = Angle(d[1], d[0]);
    const double A = o.angle, T = o.tolerance;
    if (std::fabs(A - a) < T || std::fabs(A + 180 - a) < T || std::fabs(A + 360 - a) < T) {
      if (!Retype(s, i, MOVE_RAPID_CONT)) return guard.Fail();
    }
  }
  frame.Regenerate();
  if (!frame.RapidRebuild()) return guard.Fail();
  return Finished(frame);
}

Outcome DeletePointsByLength(EditContext& ctx, double length) {
  CPointStore& s = ctx.store;
  if (s.count == 0) return Empty();
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeletePointsByLength);
  if (!guard.ok()) return NoMemoryToStart();
  const std::uint32_t n = s.count;
  std::uint32_t before = kNone;
  bool keptArc = false;  // the last point copied is an arc awaiting its centre record
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!s.FetchPoint(i)) {
      keptArc = false;
      continue;
    }
    const int t = s.reg.type;
    if (!IsMotionType(t)) {
      if (keptArc && IsPlaneCode(t) && !frame.Append()) return guard.Fail();
      keptArc = false;
      continue;
    }
    const bool rapid = IsRapidType(t) || MoveLength(s, i, before) >= length;
    s.FetchPoint(i);
    if (rapid) s.reg.type = MOVE_RAPID;
    if (!frame.Append()) return guard.Fail();
    keptArc = IsArcType(t) && !rapid;
    before = i;
  }
  MarkRemoved(s, 0, n);
  frame.Regenerate();
  frame.Compact();
  if (!frame.RapidRebuild()) return guard.Fail();
  return Finished(frame);
}

Outcome DeletePathsByLength(EditContext& ctx, double length) {
  CPointStore& s = ctx.store;
  if (s.count == 0) return Empty();
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeletePathsByLength);
  if (!guard.ok()) return NoMemoryToStart();
  // A path's cutting run: its cutting moves (arcs included) from the first one after a rapid
  // up to the next rapid, measured from the motion point before its first cut.
  std::uint32_t before = kNone, runStart = kNone;
  double runLength = 0;
  auto closeRun = [&](std::uint32_t end) {
    if (runStart == kNone) return true;
    const bool shorter = length > runLength;
    for (std::uint32_t k = runStart; shorter && k < end; ++k) {
      if (s.FetchPoint(k) && IsMotionType(s.reg.type) && !Retype(s, k, MOVE_RAPID_CONT))
        return false;
    }
    runStart = kNone;
    return true;
  };
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    if (IsRapidType(s.reg.type)) {
      if (!closeRun(i)) return guard.Fail();
    } else {
      if (runStart == kNone) runStart = i, runLength = 0;
      runLength += MoveLength(s, i, before);
    }
    before = i;
  }
  if (!closeRun(s.count) || !Rebuild(frame, 2)) return guard.Fail();
  return Finished(frame);
}

Outcome DeleteByZAngle(EditContext& ctx, const ZAngleOptions& o) {
  CPointStore& s = ctx.store;
  if (!ctx.cuttingFeed || *ctx.cuttingFeed <= 0)
    return Outcome::Failed(OutcomeCode::Refused, "the document has no cutting feed");
  if (s.count == 0) return Empty();
  const std::int32_t feed = *ctx.cuttingFeed;
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteZAngle);

  // 1. The feed field flags the cuts in the slope band: 0 in it, the cutting feed for a cut
  // outside it whose own feed is 0, so that only cuts in the band read 0.
  // The slope folded is the move's elevation: its angle with the XY plane, positive climbing
  // and negative descending, taken into 0..360; the fold makes a descent count as the climb
  // of the same steepness, so the band holds both.
  std::uint32_t before = kNone;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const std::uint32_t from = before;
    before = i;
    if (!IsLinearType(s.reg.type)) continue;
    bool inBand = false;
    if (from != kNone) {
      double d[4], u[3];
      s.Segment(i, from, d, u);
      double a = std::atan2(d[2], std::hypot(d[0], d[1])) / kDegToRad;
      if (a < 0) a += 360.0;
      if (a > 180.0) a -= 180.0;
      if (a > 90.0) a = 180.0 - a;
      inBand = o.minAngle <= a && a <= o.maxAngle;
    }
    s.FetchPoint(i);
    const std::int32_t to = inBand ? 0 : (s.reg.feed == 0 ? feed : s.reg.feed);
    if (to != s.reg.feed) {
      s.reg.feed = to;
      if (!s.StorePoint(i)) return guard.Fail();
    }
  }

  // 2. Behind the store: runs of flagged cuts longer than the gap as rapids, all else as it is.
  const std::uint32_t n = s.count;
  auto flagged = [&](std::uint32_t k) {
    return s.FetchPoint(k) && IsLinearType(s.reg.type) && s.reg.feed == 0;
  };
  bool afterArc = false;
  before = kNone;
  for (std::uint32_t i = 0; i < n;) {
    if (!s.FetchPoint(i)) {
      ++i, afterArc = false;
      continue;
    }
    const int t = s.reg.type;
    if (!IsMotionType(t)) {
      if (afterArc && IsPlaneCode(t) && !frame.Append()) return guard.Fail();
      ++i, afterArc = false;
      continue;
    }
    if (!flagged(i)) {
      s.FetchPoint(i);
      if (!frame.Append()) return guard.Fail();
      afterArc = IsArcType(t);
      before = i++;
      continue;
    }
    // The run: consecutive flagged cuts (records of no motion between them skipped).
    double runLength = 0;
    std::uint32_t end = i, last = before;
    for (std::uint32_t k = i; k < n; ++k) {
      if (!s.FetchPoint(k) || !IsMotionType(s.reg.type)) continue;
      if (!flagged(k)) break;
      runLength += MoveLength(s, k, last);
      last = k;
      end = k + 1;
    }
    const bool goes = runLength > o.gap;
    for (std::uint32_t k = i; k < end; ++k) {
      if (!s.FetchPoint(k) || !IsMotionType(s.reg.type)) continue;
      if (goes) s.reg.type = MOVE_RAPID;
      if (!frame.Append()) return guard.Fail();
    }
    afterArc = false;
    before = last;
    i = end;
  }

  // 3. The old points go; rapid rebuild and plunge clean-up; one feed for every move. The
  // centre record of an arc carries its arc's feed.
  frame.RemoveOriginal();
  if (!frame.RapidRebuild() || !frame.PlungeCleanup()) return guard.Fail();
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || s.reg.feed == feed) continue;
    if (!IsMotionType(s.reg.type) && !IsPlaneCode(s.reg.type)) continue;
    s.reg.feed = feed;
    if (!s.StorePoint(i)) return guard.Fail();
  }
  return Finished(frame);
}

// ---- Selection ---------------------------------------------------------------------------------

Outcome DeleteSelected(EditContext& ctx) {
  CPointStore& s = ctx.store;
  bool any = false;
  for (std::uint32_t i = 0; i < s.count && !any; ++i) {
    any = s.FetchPoint(i) && IsMotionType(s.reg.type) && s.reg.mark == 1;
  }
  if (!any) return Outcome::Unchanged("nothing is selected");
  CommandFrame frame(ctx);
  Safeguard guard(frame, Txt::CmdDeleteSelected);
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type) || s.reg.mark != 1) continue;
    if (!Retype(s, i, MOVE_RAPID_CONT)) return guard.Fail();
  }
  if (!Rebuild(frame, 2)) return guard.Fail();
  return Finished(frame);
}

}  // namespace trevalon
