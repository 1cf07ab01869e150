#include "edit/trim.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "edit/box_grid.h"
#include "edit/compaction.h"
#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

// ---- Points and the result ----------------------------------------------------------------

struct P3 {
  double x = 0, y = 0, z = 0;
};

// The point of the move S-E at the ratio t measured back from E: E - (E - S) * t.
P3 Along(const P3& s, const P3& e, double t) {
  return {e.x - (e.x - s.x) * t, e.y - (e.y - s.y) * t, e.z - (e.z - s.z) * t};
}
RegionPoint Along(const RegionPoint& s, const RegionPoint& e, double t) {
  return {e.x - (e.x - s.x) * t, e.y - (e.y - s.y) * t, e.z - (e.z - s.z) * t};
}

double LengthXY(double dx, double dy) {
  return FlooredSqrt(dx * dx + dy * dy);
}

// Appends the trim's result behind the old points. After a failed append nothing more is
// appended; the pass then drops what was.
// When asked, it also notes for every record it appends the record being walked (`origin`):
// the command frame keeps the source line of those that stand where that record stood and
// are of its kind (command_frame.h), so a kept move still shows the block that made it.
class Writer {
 public:
  Writer(CPointStore& s, double retractHeight, std::vector<std::uint32_t>* origin)
      : s_(s), h_(retractHeight), origin_(origin) {}
  bool ok() const { return ok_; }
  // The record the next appends come from.
  void From(std::uint32_t i) { source_ = i; }
  // Nothing appended yet.
  bool empty() const { return !any_; }

  // A point of the move `from` (its feed and mark) at p with the given type.
  void Put(const P3& p, int type, const PointRegister& from) { Set(p.x, p.y, p.z, type, from); }
  // The same point at the retract height.
  void PutRaised(const P3& p, int type, const PointRegister& from) {
    Set(p.x, p.y, h_, type, from);
  }
  // A record as it was read (`next`: the record after the one walked, an arc's centre).
  void PutRecord(const PointRegister& r, std::uint32_t next = 0) {
    Set(r.x, r.y, r.z, r.type, r, next);
  }

 private:
  void Set(double x, double y, double z, int type, const PointRegister& from,
           std::uint32_t next = 0) {
    if (!ok_) return;
    if (origin_) {
      try {
        origin_->push_back(source_ + next);
      } catch (const std::bad_alloc&) {
        origin_->clear();  // too short for the result: the frame gives the lines up
        origin_ = nullptr;
      }
    }
    PointRegister& reg = s_.reg;
    reg.x = x, reg.y = y, reg.z = z;
    reg.type = type;
    reg.feed = from.feed;
    reg.mark = from.mark;
    // AppendRegister, without the call: this runs for nearly every point.
    ok_ = s_.count < CPointStore::kCapacity && s_.StorePoint(s_.count);
    if (ok_) ++s_.count, any_ = true;
  }
  CPointStore& s_;
  double h_;
  std::vector<std::uint32_t>* origin_;
  std::uint32_t source_ = 0;
  bool ok_ = true;
  bool any_ = false;
};

// Record i (below the count) as a fetch loads it, without touching the store's current page
// or the register: what Peek gives, inline, since every walk here reads each record once. An
// unsound record reads as no motion.
inline bool Read(const CPointStore& s, std::uint32_t i, PointRegister& out) {
  const PointRecord* r = s.RawRecord(i);
  if (r == nullptr || IsUnsoundRecord(*r)) return false;
  LoadRecord(*r, out);
  return out.type != 0;
}

// The old points [0, n) go and the result behind them moves to the front: what marking them
// removed and compacting the store gives, in one pass over the result alone.
// The records are read past the store's current page (Read), so that the writes stay in
// theirs.
// `origin`, when given, holds one entry per result record and is compacted alongside.
void DropOriginal(CPointStore& s, std::uint32_t n, std::vector<std::uint32_t>* origin) {
  std::uint32_t kept = 0;
  bool afterArc = false;
  const std::uint32_t end = s.count;
  PointRegister r;
  for (std::uint32_t i = n; i < end; ++i) {
    if (!Read(s, i, r)) {
      afterArc = false;
      continue;
    }
    if (!KeptInCompaction(r.type, afterArc)) continue;
    if (origin) (*origin)[kept] = (*origin)[i - n];
    if (kept != i) {
      s.reg.x = r.x, s.reg.y = r.y, s.reg.z = r.z;
      s.reg.feed = r.feed, s.reg.mark = r.mark, s.reg.type = r.type;
      s.StorePoint(kept);
    }
    ++kept;
  }
  s.count = kept;
  if (origin) origin->resize(kept);
}

// Our rule for the move of the result to the front: the pages it moves into are made the
// store's own first (a page that an undo snapshot shares is copied on its first write). When
// one cannot be had nothing has moved yet, and the pass can give up with the store as it
// was. Rewriting a record with its own value changes nothing; a page never written gets the
// null record, which reads as nothing, as the page did.
bool OwnPages(CPointStore& s, std::uint32_t records) {
  for (std::uint32_t at = 0; at < records; at += CPointStore::kPageSize) {
    if (s.WritableInPlace(at)) continue;
    if (const PointRecord* r = s.RawRecord(at)) {
      LoadRecord(*r, s.reg);
    } else {
      s.reg.x = s.reg.y = s.reg.z = CPointStore::kSaneLimit;
      s.reg.feed = 300, s.reg.mark = 0, s.reg.type = MOVE_NONE;
    }
    if (!s.StorePoint(at)) return false;
  }
  return true;
}

// The progress line of the walks: " %s(%.2f%)." with the processing text and the share of
// the points walked, a whole percentage shown with two decimals. In this text "%)" stands
// for a plain ")".
class ProgressLine {
 public:
  ProgressLine(const Messages& msg, std::uint32_t n, bool on) : msg_(msg), n_(n), on_(on) {
    format_ = msg.Text(Txt::ProcessingProgress);
    for (std::size_t p = format_.find("%)"); p != std::string::npos; p = format_.find("%)", p))
      format_.erase(p, 1);
  }
  void At(std::uint32_t i) const {
    if (!on_ || i == 0 || i % 1001 != 0) return;
    const double percent = static_cast<double>(std::uint64_t{100} * i / n_);
    char line[200];
    std::snprintf(line, sizeof line, format_.c_str(), msg_.Text(Txt::HelpProcessing), percent);
    msg_.Help(line);
  }

 private:
  const Messages& msg_;
  std::uint32_t n_;
  bool on_;
  std::string format_;
};

// ---- Changes of side along a move -----------------------------------------------------------

// Where a move A-B changes sides: at the ratio t measured back from B (t = 1 is A, 0 is B),
// into the region or out of it.
struct Change {
  double t;
  bool intoRegion;
};

// Our rule for the pieces of a move: the crossings split the move A-B into pieces, and each
// piece lies inside or outside as the region test of its middle says; the ends keep their
// own states. So a move is cut at every crossing where it really changes sides, and at no
// crossing where it only touches the boundary (a corner, a ray through a vertex, a run along
// an edge, a crossing counted by two edges at a vertex). With a single crossing between ends
// on different sides, or pairs of crossings between ends on the same side, this is the
// crossing rule of the trim tables; a move that changes sides and no crossing was found for
// (a move of no length in the plane of the test) changes at one of its own ends, so no point
// off the move is ever made. `ts` holds the crossings in order from A to B (t falling).
template <class InsideAt>
void Pieces(const std::vector<double>& ts, bool sa, bool sb, InsideAt insideAt,
            std::vector<Change>& out) {
  out.clear();
  if (ts.empty() && sa == sb) return;
  bool state = sa;
  double from = 1.0;
  for (std::size_t j = 0; j <= ts.size(); ++j) {
    const double to = j < ts.size() ? ts[j] : 0.0;
    const bool piece = insideAt((from + to) / 2);
    if (piece != state) {
      out.push_back({from, piece});
      state = piece;
    }
    from = to;
  }
  if (sb != state) out.push_back({0.0, sb});
}

// ---- The region tests -------------------------------------------------------------------------

// A region polygon in model XY or in window positions. The bounding box only skips work whose
// answer it knows: SegmentCrossing finds no crossing outside both segments' boxes, so a segment
// whose box misses the polygon's box crosses no edge, and a point whose test ray misses it is
// outside. Results are those of InsideRegion and SegmentCrossing exactly.
class PolygonTest {
 public:
  PolygonTest(const Region& region, ViewState& view)
      : region_(region), poly_(region.polygon()), view_(view) {
    for (std::size_t k = 0; k < poly_.size(); ++k) {
      minX_ = std::min(minX_, poly_[k].x), maxX_ = std::max(maxX_, poly_[k].x);
      minY_ = std::min(minY_, poly_[k].y), maxY_ = std::max(maxY_, poly_[k].y);
    }
  }
  RegionPoint Pos(const P3& m) const {
    return window_ ? region_.InPlane(m.x, m.y, m.z, view_) : RegionPoint{m.x, m.y, m.z};
  }
  bool Inside(const RegionPoint& q) const {
    // The test ray runs from q towards +x: it meets no edge beyond the box's right side or
    // above or below it.
    if (q.x > maxX_ || q.y < minY_ || q.y > maxY_) return false;
    return InsideRegion(poly_, q);
  }
  // The changes of side of the move a-b (plane positions pa, pb, states sa, sb).
  void Changes(const RegionPoint& pa, const RegionPoint& pb, bool sa, bool sb,
               std::vector<Change>& out) {
    Crossings(pa, pb, sa && !sb);
    Pieces(
        ts_, sa, sb, [&](double t) { return Inside(Along(pa, pb, t)); }, out);
  }

 private:
  bool Misses(double x1, double x2, double y1, double y2) const {
    return std::max(x1, x2) < minX_ || std::min(x1, x2) > maxX_ || std::max(y1, y2) < minY_ ||
           std::min(y1, y2) > maxY_;
  }
  // The ratio t = |E - I| / |E - S| in the plane of the test. A move of no length in model
  // XY, or shorter than 0.0001 pixels in the window (1e-5 when it leaves the region), has
  // both lengths taken as 1, which puts the crossing at S.
  double Ratio(double lenEI, double lenES, bool leaving) const {
    const bool none =
        region_.plane() == RegionPlane::Window ? lenES < (leaving ? 1e-5 : 0.0001) : lenES == 0;
    if (none) return 1.0;
    return std::clamp(lenEI / lenES, 0.0, 1.0);
  }
  // ts_: the crossings of the move S-E with the edges, in edge order (the move from E back
  // to S as C-D), then put in order from S to E and with crossings at one point (two edges
  // meeting at a vertex) counted once.
  void Crossings(const RegionPoint& s, const RegionPoint& e, bool leaving) {
    ts_.clear();
    if (Misses(s.x, e.x, s.y, e.y)) return;
    found_.clear();
    found_.push_back(s);
    const double x0 = std::min(s.x, e.x), x1 = std::max(s.x, e.x), y0 = std::min(s.y, e.y),
                 y1 = std::max(s.y, e.y);
    for (std::size_t k = 0; k < poly_.size(); ++k) {
      const RegionPoint &a = poly_[k], &b = poly_[k + 1];
      // SegmentCrossing finds nothing outside the edge's box (a vertex that is not a number
      // counts as its other end, as there), so an edge whose box misses the move's is skipped.
      if (std::max(a.x, b.x) < x0 || std::min(a.x, b.x) > x1 || std::max(a.y, b.y) < y0 ||
          std::min(a.y, b.y) > y1)
        continue;
      if (auto i = SegmentCrossing(a, b, e, s)) found_.push_back(*i);
    }
    if (found_.size() == 1) return;
    found_.push_back(e);
    // The crossings in order along the move: S first, E last, and for each place in turn the
    // entry nearest (3D) to the one before it, a later entry on equal distance, among
    // entries no more than 100000 away.
    const std::size_t m = found_.size();
    for (std::size_t k = 1; k + 1 < m; ++k) {
      double best = 100000.0;
      std::size_t at = k;
      bool any = false;
      for (std::size_t j = k; j < m; ++j) {
        const double dx = found_[j].x - found_[k - 1].x, dy = found_[j].y - found_[k - 1].y,
                     dz = found_[j].z - found_[k - 1].z;
        const double d = FlooredSqrt(dx * dx + dy * dy + dz * dz);
        if (d <= best) best = d, at = j, any = true;
      }
      if (any) std::swap(found_[k], found_[at]);
    }
    const double lenES = LengthXY(e.x - s.x, e.y - s.y);
    for (std::size_t k = 1; k + 1 < m; ++k) {
      const RegionPoint& i = found_[k];
      if (k > 1 && std::fabs(i.x - found_[k - 1].x) <= 1e-7 &&
          std::fabs(i.y - found_[k - 1].y) <= 1e-7)
        continue;
      ts_.push_back(Ratio(LengthXY(e.x - i.x, e.y - i.y), lenES, leaving));
    }
    // Our rule: crossings farther apart than the 100000 that the nearest-first order looks
    // at (a window position at a high zoom) are left out of order by it, which would run the
    // hops backwards; they are taken in their order along the move instead.
    if (!std::is_sorted(ts_.begin(), ts_.end(), std::greater<double>()))
      std::sort(ts_.begin(), ts_.end(), std::greater<double>());
  }

  const Region& region_;
  const RegionPolygon& poly_;
  ViewState& view_;
  const bool window_ = region_.plane() == RegionPlane::Window;
  double minX_ = 1e300, maxX_ = -1e300, minY_ = 1e300, maxY_ = -1e300;
  std::vector<RegionPoint> found_;
  std::vector<double> ts_;
};

// A circle in XY. The inside trim counts a point inside when its distance from the centre is
// below the radius, the outside trim when it is at most the radius, so that a point at the
// radius survives both. Moves meet the circle where CircleCrossing says.
class CircleTest {
 public:
  CircleTest(double cx, double cy, double r, bool inclusive)
      : centre_{cx, cy, 0}, r_(r), inclusive_(inclusive) {}
  RegionPoint Pos(const P3& m) const { return {m.x, m.y, m.z}; }
  bool Inside(const RegionPoint& q) const {
    const double d = LengthXY(q.x - centre_.x, q.y - centre_.y);
    return inclusive_ ? d <= r_ : d < r_;
  }
  // Where the move from `from` to `to` first meets the circle.
  std::optional<RegionPoint> First(const RegionPoint& from, const RegionPoint& to) const {
    return CircleCrossing(centre_, r_, from, to);
  }
  void Changes(const RegionPoint& pa, const RegionPoint& pb, bool sa, bool sb,
               std::vector<Change>& out) {
    ts_.clear();
    // The first meeting from either end: the two points where the move crosses the circle,
    // or one point twice.
    const double len = LengthXY(pb.x - pa.x, pb.y - pa.y);
    if (len > 0) {
      for (const auto& i : {First(pa, pb), First(pb, pa)}) {
        if (!i) continue;
        const double t = std::clamp(LengthXY(pb.x - i->x, pb.y - i->y) / len, 0.0, 1.0);
        if (ts_.empty() || t < ts_[0]) ts_.push_back(t);
      }
    }
    Pieces(
        ts_, sa, sb, [&](double t) { return Inside(Along(pa, pb, t)); }, out);
  }

 private:
  RegionPoint centre_;
  double r_;
  bool inclusive_;
  std::vector<double> ts_;
};

// A band of Z, both ends included.
class ZBandTest {
 public:
  ZBandTest(double zMin, double zMax) : zMin_(zMin), zMax_(zMax) {}
  RegionPoint Pos(const P3& m) const { return {m.x, m.y, m.z}; }
  bool Inside(const RegionPoint& q) const { return zMin_ <= q.z && q.z <= zMax_; }
  // The ratio t (from b back to a) where a-b reaches the height z; false when it does not.
  static bool At(const RegionPoint& a, const RegionPoint& b, double z, double& t) {
    if (a.z == b.z) return false;
    const double u = (z - a.z) / (b.z - a.z);
    if (!(u >= 0 && u <= 1)) return false;
    t = 1 - u;
    return true;
  }
  void Changes(const RegionPoint& pa, const RegionPoint& pb, bool sa, bool sb,
               std::vector<Change>& out) {
    ts_.clear();
    double t;
    if (At(pa, pb, zMin_, t)) ts_.push_back(t);
    if (At(pa, pb, zMax_, t) && (ts_.empty() || t != ts_[0])) ts_.push_back(t);
    if (ts_.size() == 2 && ts_[1] > ts_[0]) std::swap(ts_[0], ts_[1]);
    Pieces(
        ts_, sa, sb, [&](double t) { return Inside(Along(pa, pb, t)); }, out);
  }
  double zMin() const { return zMin_; }
  double zMax() const { return zMax_; }

 private:
  double zMin_, zMax_;
  std::vector<double> ts_;
};

// ---- Arcs -----------------------------------------------------------------------------------

// An arc is walked in steps of about 3 pixels; a zoom that far in on a long arc is held at
// this many steps, so that a trim always ends.
constexpr double kMaxArcSteps = 200000;

// The arc rule of every trim: steps of equal angle, each tested like a move; E's state.
// See docs/design-rules.md, "Trimming: the arc rule".
template <class Test>
bool WalkArc(Test& test, Writer& out, const P3& S, const RegionPoint& sPos, bool sIn,
             const PointRegister& e, const PointRegister& c, bool keepInside, double scale,
             std::vector<Change>& changes) {
  const int plane = IsPlaneCode(c.type) ? c.type : PLANE_XY;
  const PlaneAxes axes = AxesOfPlane(plane);
  double offset[3] = {c.x, c.y, c.z};
  offset[axes.normal] = 0;
  const double start[3] = {S.x, S.y, S.z}, end[3] = {e.x, e.y, e.z};
  const double centre[3] = {S.x + offset[0], S.y + offset[1], S.z + offset[2]};
  ArcDescription arc;
  ArcParameters(start, end, centre, e.type, plane, arc);
  const double steps = arc.length * scale / 3 + 1;
  const int n = steps >= 1 ? static_cast<int>(std::min(steps, kMaxArcSteps)) : 1;
  const double step = (e.type == MOVE_ARC_CCW ? arc.sweep : -arc.sweep) / n;
  const P3 E{e.x, e.y, e.z};
  auto angleAt = [&](int k) { return arc.startAngle + k * step; };
  auto pointAt = [&](double angle) {
    double p[3];
    PointOnCircle(centre, arc.radius, angle, plane, p);
    return P3{p[0], p[1], p[2]};
  };
  auto kept = [keepInside](bool inside) { return inside == keepInside; };

  P3 keptFrom = S;  // where the current kept part begins
  double keptAngle = arc.startAngle;
  bool changed = false;
  auto writePart = [&](const P3& to, double toAngle) {
    const double dx = to.x - keptFrom.x, dy = to.y - keptFrom.y, dz = to.z - keptFrom.z;
    const double chord = FlooredSqrt(dx * dx + dy * dy + dz * dz);
    if (chord <= 0.001 && std::fabs(toAngle - keptAngle) < 180) return;
    out.Put(to, e.type, e);
    const P3 o{centre[0] - keptFrom.x, centre[1] - keptFrom.y, centre[2] - keptFrom.z};
    P3 rel = o;
    (axes.normal == 0 ? rel.x : axes.normal == 1 ? rel.y : rel.z) = 0;
    out.Put(rel, plane, e);
  };

  P3 a = S;
  RegionPoint pa = sPos;
  bool sa = sIn;
  double angleA = angleAt(0);
  for (int k = 1; k <= n && out.ok(); ++k) {
    const double angleB = angleAt(k);
    const P3 b = k == n ? E : pointAt(angleB);
    const RegionPoint pb = test.Pos(b);
    const bool sb = test.Inside(pb);
    test.Changes(pa, pb, sa, sb, changes);
    for (const Change& ch : changes) {
      const double angle = angleB - (angleB - angleA) * ch.t;
      const P3 at = ch.t >= 1 ? a : ch.t <= 0 ? b : pointAt(angle);
      if (kept(ch.intoRegion)) {
        out.PutRaised(at, MOVE_RAPID_CONT, e);
        out.Put(at, MOVE_RAPID_CONT, e);
        keptFrom = at;
        keptAngle = angle;
      } else {
        writePart(at, angle);
        out.PutRaised(at, MOVE_RAPID, e);
      }
      changed = true;
    }
    if ((k == n || out.empty()) && !kept(sb)) out.Put(b, MOVE_RAPID_CONT, e);
    a = b, pa = pb, sa = sb, angleA = angleB;
  }
  if (kept(sa)) {
    if (!changed) {
      out.PutRecord(e);
      PointRegister centreRecord = c;
      centreRecord.type = plane;
      out.PutRecord(centreRecord, 1);
    } else {
      writePart(E, angleAt(n));
    }
  }
  return sa;
}

// ---- The walk -------------------------------------------------------------------------------

// Walks the motion points; for each the trim appends what its table or the arc rule says.
// See docs/design-rules.md, "Trimming: the walk".
template <class Trim>
bool Walk(EditContext& ctx, Trim& trim, bool progress, std::vector<std::uint32_t>* origin) {
  CPointStore& s = ctx.store;
  const std::uint32_t n = s.count;
  if (origin) origin->clear();
  if (n == 0) return true;
  Writer out(s, ctx.retractHeight, origin);
  const ProgressLine line(ctx.msg, n, progress);
  const double scale = ctx.view ? ctx.view->scale : 1.0;
  std::vector<Change> changes;
  bool haveS = false, sIn = false;
  P3 S;
  RegionPoint sPos;
  PointRegister e, c;
  for (std::uint32_t i = 0; i < n && out.ok(); ++i) {
    line.At(i);
    // Read leaves the current page to the appends, so that reading and writing do not take
    // turns at it.
    if (!Read(s, i, e) || !IsMotionType(e.type)) continue;
    out.From(i);
    const P3 E{e.x, e.y, e.z};
    const RegionPoint ePos = trim.test.Pos(E);
    bool arc = IsArcType(e.type);
    if (!haveS) {
      S = E, sPos = ePos, sIn = false;
      if (arc) e.type = MOVE_RAPID, arc = false;
    }
    if (e.type == MOVE_LINE) sIn = trim.test.Inside(sPos);
    if (arc && i + 1 >= n) e.type = MOVE_LINE_CONT, arc = false;
    bool eIn;
    if (arc) {
      if (!s.Peek(i + 1, c)) c.type = PLANE_XY;
      eIn = WalkArc(trim.test, out, S, sPos, sIn, e, c, trim.keepInside, scale, changes);
    } else {
      eIn = trim.test.Inside(ePos);
      trim.Linear(out, S, sPos, sIn, E, ePos, eIn, e, changes);
    }
    S = E, sPos = ePos, sIn = eIn, haveS = true;
  }
  if (!out.ok() || !OwnPages(s, s.count - n)) {
    s.count = n;  // the old points are untouched: the store is as it was
    return false;
  }
  trim.AfterWalk(s, n);
  // A note that fell short (no memory) is no note.
  if (origin && origin->size() != s.count - n) origin->clear(), origin = nullptr;
  DropOriginal(s, n, origin);
  return true;
}

// ---- The three trims ------------------------------------------------------------------------

// Polygon regions (window, polygon, box, point file): a cut is split at every change of side
// (Pieces), a rapid only by its ends; what each case appends follows the inside and outside
// tables.
// Why: docs/design-rules.md, "Trimming: polygons".
struct PolygonTrim {
  PolygonTest test;
  TrimSide side;
  bool keepInside;

  bool Kept(bool inside) const { return inside == keepInside; }
  void Linear(Writer& out, const P3& S, const RegionPoint& sPos, bool sIn, const P3& E,
              const RegionPoint& ePos, bool eIn, const PointRegister& e,
              std::vector<Change>& changes) {
    const bool keptS = Kept(sIn), keptE = Kept(eIn);
    if (IsRapidType(e.type)) {
      if (keptS == keptE) {
        if (keptE)
          out.PutRecord(e);
        else
          out.Put(E, MOVE_RAPID_CONT, e);
        return;
      }
      test.Changes(sPos, ePos, sIn, eIn, changes);
      if (keptS) {
        const P3 at = Along(S, E, changes.front().t);
        out.Put(at, e.type, e);
        out.PutRaised(at, MOVE_RAPID, e);
      } else {
        const P3 at = Along(S, E, changes.back().t);
        out.PutRaised(at, MOVE_RAPID_CONT, e);
        out.Put(at, MOVE_RAPID_CONT, e);
        out.PutRecord(e);
      }
      return;
    }
    test.Changes(sPos, ePos, sIn, eIn, changes);
    if (changes.empty()) {
      if (keptE)
        out.PutRecord(e);
      else
        out.Put(E, MOVE_RAPID_CONT, e);
      return;
    }
    const bool bothOutside = !sIn && !eIn;
    for (std::size_t j = 0; j < changes.size(); ++j) {
      const P3 at = Along(S, E, changes[j].t);
      if (Kept(changes[j].intoRegion)) {
        out.PutRaised(at, bothOutside ? MOVE_RAPID : MOVE_RAPID_CONT, e);
        out.Put(at,
                !bothOutside                ? MOVE_RAPID_CONT
                : side == TrimSide::Outside ? MOVE_LINE_CONT
                                            : MOVE_RAPID,
                e);
      } else {
        const bool last = j + 1 == changes.size();
        out.Put(at, last && keptS && !keptE ? e.type : MOVE_LINE_CONT, e);
        out.PutRaised(at, MOVE_RAPID, e);
      }
    }
    if (keptE) {
      if (bothOutside)
        out.Put(E, MOVE_LINE_CONT, e);
      else
        out.PutRecord(e);
    } else if (!keptS && side == TrimSide::Inside) {
      out.Put(E, MOVE_RAPID_CONT, e);
    }
  }
  void AfterWalk(CPointStore&, std::uint32_t) {}
};

// The Z band keeps what lies between Z min and Z max:
//   in  -> in:  E unchanged
//   out -> out: nothing (only the ends decide: a move through the whole band goes)
//   in  -> out: I, the point at Z min or Z max; a rapid: E at the retract height type 1, then E
//               unchanged; a cut: I with E's type, then I at the retract height type 1
//   out -> in:  a rapid: E at the retract height with E's type, then E unchanged; a cut: I at
//               the retract height type 2, I type 2, then E unchanged
// The first point appended becomes type 1. Two ends at one height are on one side, so the only
// change of side without a crossing is the first point's move of no length; its crossing is E.
struct ZBandTrim {
  ZBandTest test;
  bool keepInside = true;

  void Linear(Writer& out, const P3& S, const RegionPoint& sPos, bool sIn, const P3& E,
              const RegionPoint& ePos, bool eIn, const PointRegister& e, std::vector<Change>&) {
    if (sIn == eIn) {
      if (eIn) out.PutRecord(e);
      return;
    }
    const bool rapid = IsRapidType(e.type);
    // Leaving the band through the end E lies beyond; entering, through the end S lies beyond.
    const double beyond = sIn ? E.z : S.z;
    const double z = beyond > test.zMax() ? test.zMax() : test.zMin();
    double t;
    const P3 at = ZBandTest::At(sPos, ePos, z, t) ? Along(S, E, t) : sIn ? S : E;
    if (sIn) {
      if (rapid) {
        out.PutRaised(E, MOVE_RAPID, e);
        out.PutRecord(e);
      } else {
        out.Put(at, e.type, e);
        out.PutRaised(at, MOVE_RAPID, e);
      }
    } else {
      if (rapid) {
        out.PutRaised(E, e.type, e);
      } else {
        out.PutRaised(at, MOVE_RAPID_CONT, e);
        out.Put(at, MOVE_RAPID_CONT, e);
      }
      out.PutRecord(e);
    }
  }
  void AfterWalk(CPointStore& s, std::uint32_t n) {
    if (s.count > n && s.FetchPoint(n)) {
      s.reg.type = MOVE_RAPID;
      s.StorePoint(n);
    }
  }
};

// Circles: only a move's ends decide, and a move crossing the circle is cut at its crossing.
// See docs/design-rules.md, "Trimming: circles".
struct CircleTrim {
  CircleTest test;
  bool keepInside;

  void Linear(Writer& out, const P3& S, const RegionPoint& sPos, bool sIn, const P3& E,
              const RegionPoint& ePos, bool eIn, const PointRegister& e, std::vector<Change>&) {
    const bool keptS = sIn == keepInside, keptE = eIn == keepInside;
    if (keptS == keptE) {
      if (keptE) out.PutRecord(e);
      return;
    }
    // Into the circle: its first meeting from S; out of it: its first meeting from E.
    const auto i = eIn ? test.First(sPos, ePos) : test.First(ePos, sPos);
    const P3 at = i ? P3{i->x, i->y, i->z} : keptS ? S : E;
    if (keptS) {
      out.Put(at, e.type, e);
      if (e.type != MOVE_RAPID_CONT) out.PutRaised(at, MOVE_RAPID, e);
    } else {
      out.PutRaised(at, MOVE_RAPID_CONT, e);
      if (e.type != MOVE_RAPID_CONT) {
        out.Put(at, MOVE_RAPID_CONT, e);
        out.Put(E, e.type == MOVE_LINE_CONT ? MOVE_LINE : e.type, e);
      } else {
        out.PutRecord(e);
      }
    }
  }
  void AfterWalk(CPointStore&, std::uint32_t) {}
};

ViewState& ViewOf(EditContext& ctx, ViewState& fallback) {
  return ctx.view ? *ctx.view : fallback;
}

// The end of every trim command: the rapid rebuild twice, then one more compaction, which
// takes out the cuts of no length that the last regeneration only marked.
Outcome Conclude(CommandFrame& frame) {
  if (!frame.RapidRebuild() || !frame.RapidRebuild())
    return frame.Rollback("the rebuilt toolpath does not fit in the point store");
  frame.Compact();
  frame.Finish();
  return Outcome::Done();
}

constexpr const char* kNoRoom = "the trimmed toolpath does not fit in the point store";

// Whether a box or Z band holds the whole toolpath, each arc with the whole of its circle: a
// trim that keeps what lies inside it would then remove nothing.
bool HoldsWholeToolpath(CPointStore& s, const Region& region) {
  double lo[3] = {-1e300, -1e300, region.zMin()}, hi[3] = {1e300, 1e300, region.zMax()};
  if (region.kind() == Region::Kind::Box) {
    const RegionPolygon& p = region.polygon();
    lo[0] = std::min(p[0].x, p[2].x), hi[0] = std::max(p[0].x, p[2].x);
    lo[1] = std::min(p[0].y, p[2].y), hi[1] = std::max(p[0].y, p[2].y);
    lo[2] = -1e300, hi[2] = 1e300;
  }
  PointRegister r;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
    double a[3] = {r.x, r.y, r.z}, b[3] = {r.x, r.y, r.z};
    if (IsArcType(r.type)) {
      StoredArc arc;
      ArcOfPoint(s, i, arc);
      const double radius = LengthXY(arc.end[0] - arc.centre[0], arc.end[1] - arc.centre[1]) +
                            std::fabs(arc.end[2] - arc.centre[2]);
      for (int k = 0; k < 3; ++k) a[k] = arc.centre[k] - radius, b[k] = arc.centre[k] + radius;
    }
    for (int k = 0; k < 3; ++k)
      if (!(a[k] >= lo[k] && b[k] <= hi[k])) return false;
  }
  return true;
}

// Which polygons of a point file can change the toolpath at all: a later pass of the same
// command is left out when it provably appends every record as it was.
// Why: docs/design-rules.md, "Trimming: point files of many polygons".
class PolygonReach {
 public:
  // The boxes of the toolpath as it stands: each motion record's move from the motion point
  // before it (an arc: its whole circle), or with `pointsOnly` each record's end point alone.
  void Build(const CPointStore& s, bool pointsOnly) {
    std::vector<XYBox> boxes;
    allPlaceholders_ = true;
    PointRegister e, c;
    bool haveS = false;
    double sx = 0, sy = 0, sz = 0;
    for (std::uint32_t i = 0; i < s.count; ++i) {
      if (!Read(s, i, e) || !IsMotionType(e.type)) continue;
      if (e.type != MOVE_RAPID_CONT) allPlaceholders_ = false;
      XYBox b = XYBox::At(e.x, e.y);
      if (!pointsOnly && haveS) {
        b.Add(sx, sy);
        if (IsArcType(e.type) && i + 1 < s.count && Read(s, i + 1, c)) {
          const int plane = IsPlaneCode(c.type) ? c.type : PLANE_XY;
          double offset[3] = {c.x, c.y, c.z};
          offset[AxesOfPlane(plane).normal] = 0;
          const double cx = sx + offset[0], cy = sy + offset[1], cz = sz + offset[2];
          auto dist = [&](double x, double y, double z) {
            return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
          };
          // The steps of the arc walk lie on the circle through the start; a hair of slack
          // covers their rounding.
          const double r = std::max(dist(sx, sy, sz), dist(e.x, e.y, e.z));
          const double slack = 1e-6 + 1e-9 * (std::fabs(cx) + std::fabs(cy) + r);
          b.Add(cx - r - slack, cy - r - slack);
          b.Add(cx + r + slack, cy + r + slack);
        }
      }
      boxes.push_back(b);
      sx = e.x, sy = e.y, sz = e.z, haveS = true;
    }
    grid_.Build(std::move(boxes));
  }
  // True when a pass of the side with a polygon of this bounding box would change nothing.
  bool Unchanging(TrimSide side, const XYBox& polygonBox) const {
    if (side == TrimSide::Outside && !allPlaceholders_) return false;
    return !grid_.AnyMeets(polygonBox);
  }

 private:
  BoxGrid grid_;
  bool allPlaceholders_ = true;
};

}  // namespace

// ---- Passes -----------------------------------------------------------------------------------

bool TrimPolygon(EditContext& ctx, TrimSide side, const Region& polygonRegion,
                 std::vector<std::uint32_t>* origin) {
  if (polygonRegion.kind() == Region::Kind::Circle)
    return TrimCircle(ctx, side, polygonRegion.centre().x, polygonRegion.centre().y,
                      polygonRegion.radius(), origin);
  if (polygonRegion.kind() == Region::Kind::ZBand)
    return TrimZBand(ctx, polygonRegion.zMin(), polygonRegion.zMax(), origin);
  if (!polygonRegion.polygon().usable()) return true;
  ViewState fallback;
  PolygonTrim trim{PolygonTest(polygonRegion, ViewOf(ctx, fallback)), side,
                   side == TrimSide::Outside};
  // The window-plane inside trim shows no progress.
  const bool progress = polygonRegion.plane() != RegionPlane::Window || side == TrimSide::Outside;
  return Walk(ctx, trim, progress, origin);
}

bool TrimZBand(EditContext& ctx, double zMin, double zMax, std::vector<std::uint32_t>* origin) {
  ZBandTrim trim{ZBandTest(zMin, zMax)};
  return Walk(ctx, trim, true, origin);
}

bool TrimCircle(EditContext& ctx, TrimSide side, double cx, double cy, double radius,
                std::vector<std::uint32_t>* origin) {
  const bool outside = side == TrimSide::Outside;
  CircleTrim trim{CircleTest(cx, cy, radius, outside), outside};
  return Walk(ctx, trim, true, origin);
}

// ---- Commands ---------------------------------------------------------------------------------

Outcome TrimCommand(EditContext& ctx, const Region& region, TrimSide side) {
  if (ctx.store.count == 0) return Outcome::Unchanged("the toolpath is empty");
  if (!region.usable())
    return Outcome::Unchanged(region.kind() == Region::Kind::Circle
                                  ? "the circle has no radius"
                                  : "the region has fewer than 3 vertices");
  // Our rule: a box trimmed outside, or a Z band, that holds the whole toolpath removes
  // nothing; the toolpath is left as it is (the trim would still rebuild its rapids) and the
  // user is told so.
  const bool keepsInside = region.kind() == Region::Kind::ZBand ||
                           (region.kind() == Region::Kind::Box && side == TrimSide::Outside);
  if (keepsInside && HoldsWholeToolpath(ctx.store, region))
    return Outcome::Unchanged(region.kind() == Region::Kind::ZBand
                                  ? "the band holds the whole toolpath; nothing lies outside it"
                                  : "the box holds the whole toolpath; nothing lies outside it");
  CommandFrame frame(ctx);
  frame.SaveUndo(side == TrimSide::Inside ? Txt::CmdTrimInside : Txt::CmdTrimOutside);
  if (!TrimPolygon(ctx, side, region, frame.OriginNote())) return frame.Rollback(kNoRoom);
  frame.Rewritten();
  return Conclude(frame);
}

Outcome TrimFileCommand(EditContext& ctx, const std::string& path, TrimSide side) {
  // The whole file is checked before the first polygon trims anything, so a refused file
  // leaves the toolpath as it was.
  std::vector<RegionPolygon> polygons;
  const PointFileResult read = ReadPointFile(path, polygons);
  if (!read.ok()) return RefusePointFile(ctx.msg, read, path);
  CommandFrame frame(ctx);
  bool saved = false;
  PolygonReach reach;
  bool reachKnown = false;  // reach describes the toolpath as it stands
  for (const RegionPolygon& polygon : polygons) {
    if (!polygon.usable() || ctx.store.count == 0) continue;
    if (!saved) {
      frame.SaveUndo(side == TrimSide::Inside ? Txt::CmdTrimInside : Txt::CmdTrimOutside);
      saved = true;
    } else {
      // After the first pass: a polygon that cannot change anything is passed over.
      if (!reachKnown) reach.Build(ctx.store, side == TrimSide::Outside), reachKnown = true;
      if (reach.Unchanging(side, BoundingBox(polygon))) continue;
    }
    reachKnown = false;
    std::vector<RegionPoint> vertices;
    vertices.reserve(polygon.size());
    for (std::size_t k = 0; k < polygon.size(); ++k) vertices.push_back(polygon[k]);
    if (!TrimPolygon(ctx, side, Region::PointFilePolygon(std::move(vertices)), frame.OriginNote()))
      return frame.Rollback(kNoRoom);
    frame.Rewritten();
  }
  if (!saved)
    return Outcome::Unchanged(ctx.store.count == 0
                                  ? "the toolpath is empty"
                                  : "'" + path + "' holds no polygon of 3 or more vertices");
  return Conclude(frame);
}

}  // namespace trevalon
