#include "edit/path_runs.h"

#include <new>

#include "edit/compaction.h"
#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

std::vector<PathRun> CuttingRuns(CPointStore& s) {
  std::vector<PathRun> runs;
  const std::uint32_t n = s.count;
  bool haveMotion = false;
  std::uint32_t prev = 0;  // the last motion point
  bool inRun = false;
  PathRun cur{};
  PointRegister r, next;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
    if (IsRapidType(r.type) || !haveMotion) {
      if (inRun) runs.push_back(cur);
      inRun = false;
      haveMotion = true;
      prev = i;
      continue;
    }
    if (!inRun) {
      cur = {prev, i, i, i + 1};
      inRun = true;
    }
    cur.last = i;
    cur.end = i + 1;
    if (IsArcType(r.type) && s.Peek(i + 1, next) && IsPlaneCode(next.type)) cur.end = i + 2;
    prev = i;
  }
  if (inRun) runs.push_back(cur);
  return runs;
}

std::uint32_t EndOfPoint(CPointStore& s, std::uint32_t i) {
  PointRegister r;
  if (s.Peek(i, r) && IsArcType(r.type) && s.Peek(i + 1, r) && IsPlaneCode(r.type)) return i + 2;
  return i + 1;
}

ArcCentreRecord ReadArcCentre(CPointStore& s, std::uint32_t i) {
  ArcCentreRecord c;
  PointRegister r;
  if (s.Peek(i + 1, r)) {
    c.offset[0] = r.x, c.offset[1] = r.y, c.offset[2] = r.z;
    c.plane = NormalisePlane(r.type);
    c.feed = r.feed, c.mark = r.mark;
  } else if (s.Peek(i, r)) {
    c.feed = r.feed, c.mark = r.mark;
  }
  return c;
}

void PathWriter::Put() {
  if (!ok_) return;
  ok_ = AppendRegister(s_);
  if (ok_ && origins_) {
    try {
      origins_->push_back(source_);
    } catch (const std::bad_alloc&) {
      origins_->clear();
      origins_ = nullptr;
    }
  }
  haveRapid_ = IsRapidType(s_.reg.type);
  rx_ = static_cast<float>(s_.reg.x);
  ry_ = static_cast<float>(s_.reg.y);
  rz_ = static_cast<float>(s_.reg.z);
}

void PathWriter::Register() {
  source_ = SourceLines::kNoRecord;
  Put();
}

void PathWriter::Arc(int plane, const double offset[3], int centreFeed, int centreMark) {
  source_ = SourceLines::kNoRecord;
  PutArc(plane, offset, centreFeed, centreMark, SourceLines::kNoRecord);
}

void PathWriter::PutArc(int plane, const double offset[3], int centreFeed, int centreMark,
                        std::uint32_t centreFrom) {
  Put();
  s_.reg.x = offset[0], s_.reg.y = offset[1], s_.reg.z = offset[2];
  s_.reg.type = plane;
  s_.reg.feed = centreFeed, s_.reg.mark = centreMark;
  source_ = centreFrom;
  Put();
}

void PathWriter::Copy(std::uint32_t from, std::uint32_t to) {
  PointRegister r;
  for (std::uint32_t i = from; i < to && ok_; ++i) {
    if (!s_.Peek(i, r) || !IsMotionType(r.type)) continue;
    source_ = i;
    if (!IsArcType(r.type)) {
      s_.reg.x = r.x, s_.reg.y = r.y, s_.reg.z = r.z;
      s_.reg.type = r.type, s_.reg.feed = r.feed, s_.reg.mark = r.mark;
      if (!(IsRapidType(r.type) && OnLastRapid())) Put();
      continue;
    }
    const ArcCentreRecord c = ReadArcCentre(s_, i);
    s_.reg.x = r.x, s_.reg.y = r.y, s_.reg.z = r.z;
    s_.reg.type = r.type, s_.reg.feed = r.feed, s_.reg.mark = r.mark;
    PutArc(c.plane, c.offset, c.feed, c.mark, i + 1);
  }
}

bool PathWriter::OnLastRapid() const {
  return haveRapid_ && static_cast<float>(s_.reg.x) == rx_ && static_cast<float>(s_.reg.y) == ry_ &&
         static_cast<float>(s_.reg.z) == rz_;
}

void PathWriter::Rapid(std::uint32_t i, int type) {
  if (!s_.FetchPoint(i)) return;
  s_.reg.type = type;
  if (OnLastRapid()) return;
  source_ = i;
  Put();
}

void PathWriter::RapidAt(std::uint32_t i, double z, int type) {
  if (!s_.FetchPoint(i)) return;
  // The point is record i's only where it stays at i's own height.
  source_ = static_cast<float>(s_.reg.z) == static_cast<float>(z) ? i : SourceLines::kNoRecord;
  s_.reg.z = z;
  s_.reg.type = type;
  if (haveRapid_ && static_cast<float>(s_.reg.x) == rx_ && static_cast<float>(s_.reg.y) == ry_ &&
      static_cast<float>(z) == rz_)
    return;
  Put();
}

void PathWriter::Reversed(std::uint32_t from, std::uint32_t to) {
  PointRegister r;
  // The range's first motion point: the reversed run starts with its feed and mark, so that
  // reversing twice gives every record its feed and mark back.
  std::int32_t leadFeed = 0, leadMark = 0;
  bool any = false;
  for (std::uint32_t i = from; i < to; ++i) {
    if (s_.Peek(i, r) && IsMotionType(r.type)) {
      leadFeed = r.feed, leadMark = r.mark;
      any = true;
      break;
    }
  }
  if (!any) return;

  // The point that followed the one being appended, in the old order: the move into it is
  // the move out of the appended point, which the reversal runs backwards.
  struct Follower {
    double p[3];
    int type, feed, mark;
    ArcCentreRecord centre;
  } f{};
  bool haveFollower = false;
  for (std::uint32_t k = to; k-- > from && ok_;) {
    if (!s_.Peek(k, r) || !IsMotionType(r.type)) continue;
    s_.reg.x = r.x, s_.reg.y = r.y, s_.reg.z = r.z;
    source_ = k;  // the same point, reached the other way
    if (!haveFollower) {
      // Nothing follows the last point: it starts the reversed run.
      s_.reg.type = MOVE_RAPID, s_.reg.feed = leadFeed, s_.reg.mark = leadMark;
      Put();
    } else if (!IsArcType(f.type)) {
      s_.reg.type = f.type, s_.reg.feed = f.feed, s_.reg.mark = f.mark;
      Put();
    } else {
      // The arc runs the other way about the same centre; its offset is taken from its new
      // start point, the old end point.
      s_.reg.type = f.type == MOVE_ARC_CW ? MOVE_ARC_CCW : MOVE_ARC_CW;
      s_.reg.feed = f.feed, s_.reg.mark = f.mark;
      const PlaneAxes ax = AxesOfPlane(f.centre.plane);
      const double here[3] = {r.x, r.y, r.z};
      double offset[3] = {0, 0, 0};
      for (int a : {ax.a, ax.b}) offset[a] = here[a] + f.centre.offset[a] - f.p[a];
      PutArc(f.centre.plane, offset, f.centre.feed, f.centre.mark, SourceLines::kNoRecord);
    }
    f.p[0] = r.x, f.p[1] = r.y, f.p[2] = r.z;
    f.type = r.type, f.feed = r.feed, f.mark = r.mark;
    if (IsArcType(r.type)) f.centre = ReadArcCentre(s_, k);
    haveFollower = true;
  }
}

void PathWriter::ReversedPath(std::uint32_t from, std::uint32_t to) {
  PointRegister lead, plunge, r;
  std::uint32_t first = from + 1, last = to;
  while (first < to && !(s_.Peek(first, plunge) && IsMotionType(plunge.type))) ++first;
  for (std::uint32_t k = to; k-- > first;) {
    if (s_.Peek(k, r) && IsMotionType(r.type)) {
      last = k;
      break;
    }
  }
  const bool plunges =
      s_.Peek(from, lead) && IsRapidType(lead.type) && first < to && IsLinearType(plunge.type) &&
      last > first && static_cast<float>(plunge.x) == static_cast<float>(lead.x) &&
      static_cast<float>(plunge.y) == static_cast<float>(lead.y) && plunge.z < lead.z;
  if (!plunges) {
    Reversed(from, to);
    return;
  }
  // The new lead above the old last point, then the moves back to the plunge's end; the
  // first of them, the old last point, becomes the plunge (it carries the plunge's feed).
  s_.Peek(last, r);
  s_.reg.x = r.x, s_.reg.y = r.y, s_.reg.z = r.z + (lead.z - plunge.z);
  s_.reg.type = MOVE_RAPID, s_.reg.feed = lead.feed, s_.reg.mark = lead.mark;
  source_ = SourceLines::kNoRecord;
  Put();
  const std::uint32_t at = s_.count;
  Reversed(first, to);
  if (ok_ && s_.FetchPoint(at)) {
    s_.reg.type = MOVE_LINE;
    s_.StorePoint(at);
  }
}

void PathWriter::Piece(const PathPiece& p, bool reversed) {
  if (reversed) {
    ReversedPath(p.from, p.end);
  } else {
    Rapid(p.from, MOVE_RAPID);
    Copy(p.first, p.end);
  }
}

}  // namespace trevalon
