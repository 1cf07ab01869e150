#include "edit/point_offset.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "edit/compaction.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "model/statistics.h"

namespace trevalon {

namespace {

// The region as the walk sees it: whether a point lies inside, and where a move with one end
// inside and one outside meets the boundary.
class Boundary {
 public:
  Boundary(const Region& region, ViewState& view) : region_(region), view_(view) {
    isBox_ = region.kind() == Region::Kind::Box ||
             (region.kind() == Region::Kind::Window && region.plane() == RegionPlane::ModelXY);
    if (isBox_) {
      // Vertices 0 and 2 are opposite corners; the box runs from the smaller to the larger.
      const RegionPolygon& p = region.polygon();
      lo_[0] = std::min(p[0].x, p[2].x), hi_[0] = std::max(p[0].x, p[2].x);
      lo_[1] = std::min(p[0].y, p[2].y), hi_[1] = std::max(p[0].y, p[2].y);
    }
  }

  bool Inside(const double p[3]) const {
    if (isBox_) return lo_[0] <= p[0] && p[0] <= hi_[0] && lo_[1] <= p[1] && p[1] <= hi_[1];
    return region_.Contains(p[0], p[1], p[2], view_);
  }

  // The model position where the move from s to e crosses the boundary; sInside tells which
  // end lies inside (the other does not).
  void Crossing(const double s[3], const double e[3], bool sInside, double out[3]) const {
    double t;  // along the move from s
    if (isBox_) {
      t = BoxCrossing(s, e, sInside);
    } else if (region_.kind() == Region::Kind::Circle) {
      const auto i = CircleCrossing(region_.centre(), region_.radius(), {s[0], s[1], s[2]},
                                    {e[0], e[1], e[2]});
      if (!i) return InsideEnd(s, e, sInside, out);
      for (int a = 0; a < 3; ++a) out[a] = a == 0 ? i->x : a == 1 ? i->y : i->z;
      return;
    } else if (!PolygonCrossing(s, e, sInside, t)) {
      return InsideEnd(s, e, sInside, out);
    }
    for (int a = 0; a < 3; ++a) out[a] = s[a] + t * (e[a] - s[a]);
  }

 private:
  // The part of the move inside the box runs from t0 to t1: entering, it starts at t0;
  // leaving, it ends at t1.
  double BoxCrossing(const double s[3], const double e[3], bool sInside) const {
    double t0 = 0, t1 = 1;
    for (int a = 0; a < 2; ++a) {
      const double d = e[a] - s[a];
      if (d == 0) continue;  // the move keeps this coordinate, which the inside end has in range
      double ta = (lo_[a] - s[a]) / d, tb = (hi_[a] - s[a]) / d;
      if (ta > tb) std::swap(ta, tb);
      t0 = std::max(t0, ta);
      t1 = std::min(t1, tb);
    }
    return std::clamp(sInside ? t1 : t0, 0.0, 1.0);
  }

  // The first edge that the move crosses, in edge order, with the move taken from e back to
  // s; its position along the move is the ratio of the lengths in the plane of the test, so
  // that in window coordinates z and depth are interpolated along the model move.
  bool PolygonCrossing(const double s[3], const double e[3], bool sInside, double& t) const {
    const RegionPoint sp = region_.InPlane(s[0], s[1], s[2], view_);
    const RegionPoint ep = region_.InPlane(e[0], e[1], e[2], view_);
    const RegionPolygon& poly = region_.polygon();
    for (std::size_t k = 0; k < poly.size(); ++k) {
      const auto i = SegmentCrossing(poly[k], poly[k + 1], ep, sp);
      if (!i) continue;
      double es = FlooredSqrt((ep.x - sp.x) * (ep.x - sp.x) + (ep.y - sp.y) * (ep.y - sp.y));
      double ei = FlooredSqrt((ep.x - i->x) * (ep.x - i->x) + (ep.y - i->y) * (ep.y - i->y));
      // A move of (almost) no length in the plane takes both lengths as 1, as the trims do.
      const bool window = region_.plane() == RegionPlane::Window;
      if (window ? es < (sInside ? 1e-5 : 1e-4) : es == 0) es = ei = 1;
      t = 1 - ei / es;  // new = e - (e - s) * |e - i| / |e - s|
      return true;
    }
    return false;
  }

  // Our rule: when no crossing is found although the ends lie on different sides (a ray
  // through a vertex, a move along an edge, rounding at a tangent), the step is made at the
  // move's inside end: the move stays where it is and only the point found inside moves.
  static void InsideEnd(const double s[3], const double e[3], bool sInside, double out[3]) {
    for (int a = 0; a < 3; ++a) out[a] = sInside ? s[a] : e[a];
  }

  const Region& region_;
  ViewState& view_;
  bool isBox_ = false;
  double lo_[2] = {0, 0}, hi_[2] = {0, 0};
};

enum class PassResult { Done, NothingInside, NoMemory, OutOfRange };

// Appends the walk's points behind the store.
// Our rule: a boundary point that would land exactly where the motion point appended just
// before it stands is left out, and so is a point of the toolpath that lands exactly on the
// boundary point of the same kind (rapid or cut) appended just before it, which then stands in
// for it; a crossing at a move's end, or a vector of no length, so adds no moves of no length.
// Points of the toolpath itself are never merged with each other, and arc ends never.
class OffsetWriter {
 public:
  explicit OffsetWriter(CPointStore& s) : s_(s) {}

  void Put(const PointRegister& point, const double p[3], int type, bool boundary) {
    if (result_ != PassResult::Done) return;
    const float x = static_cast<float>(p[0]), y = static_cast<float>(p[1]),
                z = static_cast<float>(p[2]);
    // Our rule: a point that the store would not hold (beyond its coordinate limits) makes the
    // whole offset fail instead of turning into a record that every walk drops.
    if (!(std::fabs(x) <= CPointStore::kSaneLimit) || !(std::fabs(z) <= CPointStore::kSaneLimit) ||
        !std::isfinite(y)) {
      result_ = PassResult::OutOfRange;
      return;
    }
    const int kind = IsRapidType(type) ? 1 : IsLinearType(type) ? 2 : 0;
    const bool samePlace = haveLast_ && x == x_ && y == y_ && z == z_;
    if (samePlace && kind != 0 && (boundary || (lastBoundary_ && kind == lastKind_))) return;
    s_.reg = point;
    s_.reg.x = p[0], s_.reg.y = p[1], s_.reg.z = p[2];
    s_.reg.type = type;
    Append();
    haveLast_ = true, lastKind_ = kind, lastBoundary_ = boundary;
    x_ = x, y_ = y, z_ = z;
  }

  // An arc's centre record, as it stands.
  void PutCentre(const PointRegister& centre) {
    if (result_ != PassResult::Done) return;
    s_.reg = centre;
    Append();
  }

  PassResult result() const { return result_; }

 private:
  void Append() {
    if (!AppendRegister(s_)) result_ = PassResult::NoMemory;
  }
  CPointStore& s_;
  PassResult result_ = PassResult::Done;
  // The last motion point appended: where it stands, its kind (1 rapid, 2 cut, 0 arc) and
  // whether it is a boundary point.
  bool haveLast_ = false, lastBoundary_ = false;
  int lastKind_ = 0;
  float x_ = 0, y_ = 0, z_ = 0;
};

// One move of the walk by the table above: from s (inside or not) to e with the register
// `point` (feed, mark) and the motion type `type`.
void OffsetMove(const Boundary& b, const OffsetVector& v, OffsetWriter& out,
                const PointRegister& point, int type, const double s[3], bool sIn,
                const double e[3], bool eIn) {
  const double shift[3] = {v.dx, v.dy, v.dz};
  auto shifted = [&](const double p[3], double q[3]) {
    for (int a = 0; a < 3; ++a) q[a] = p[a] + shift[a];
  };
  double es[3];
  shifted(e, es);
  if (sIn == eIn) {
    out.Put(point, eIn ? es : e, type, false);
    return;
  }
  double i[3], is[3];
  b.Crossing(s, e, sIn, i);
  shifted(i, is);
  if (eIn) {  // entering: up (or across) onto the shifted part at the boundary
    out.Put(point, i, type, true);
    out.Put(point, is, type, true);
    out.Put(point, es, type, false);
  } else {  // leaving: back onto the unshifted part at the boundary
    out.Put(point, is, type, true);
    out.Put(point, i, type, true);
    out.Put(point, e, type, false);
  }
}

// Whether any motion point lies inside: reads only, so that a region that holds nothing of the
// toolpath changes nothing at all (not even a record that a fetch would rewrite).
bool AnyInside(const CPointStore& s, const Boundary& b) {
  PointRegister r;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
    const double p[3] = {r.x, r.y, r.z};
    if (b.Inside(p)) return true;
  }
  return false;
}

// The walk and the removal of the old points. On any failure the appended records go and the
// store is as it was. `keep` runs once the result is known to be whole, before any old point
// changes, with the store showing its old points only: that is where a command records its
// undo snapshot, so that an offset that cannot be made records nothing. False from it fails
// the pass (NoMemory).
PassResult RunPass(CPointStore& s, const Boundary& b, const OffsetVector& v,
                   const std::function<bool()>& keep) {
  if (!AnyInside(s, b)) return PassResult::NothingInside;
  const std::uint32_t n = s.count;
  OffsetWriter out(s);
  bool havePrev = false, sIn = false;
  double sp[3] = {0, 0, 0};
  for (std::uint32_t i = 0; i < n && out.result() == PassResult::Done; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const PointRegister point = s.reg;
    const double ep[3] = {point.x, point.y, point.z};
    const bool eIn = b.Inside(ep);
    if (!havePrev) {  // the first motion point is its own start
      std::copy(ep, ep + 3, sp);
      sIn = eIn, havePrev = true;
    }
    if (IsArcType(point.type)) {
      PointRegister centre;
      const bool haveCentre = s.Peek(i + 1, centre) && IsPlaneCode(centre.type);
      if (sIn == eIn) {
        // The centre record is relative to the start, which moved (or stayed) as well.
        const double shiftedEnd[3] = {ep[0] + v.dx, ep[1] + v.dy, ep[2] + v.dz};
        out.Put(point, eIn ? shiftedEnd : ep, point.type, false);
        if (haveCentre) out.PutCentre(centre);
      } else {
        // Across the boundary: the arc's chords, each a move of the table.
        StoredArc arc;
        ArcOfPoint(s, i, arc);
        const long chords = ArcChordCount(arc.arc, kReaderChordTolerance);
        double from[3] = {sp[0], sp[1], sp[2]};
        bool fromIn = sIn;
        for (long j = 1; j <= chords; ++j) {
          double to[3] = {ep[0], ep[1], ep[2]};
          if (j < chords) {
            const double step = j * arc.arc.sweep / chords;
            PointOnCircle(
                arc.centre, arc.arc.radius,
                arc.type == MOVE_ARC_CW ? arc.arc.startAngle - step : arc.arc.startAngle + step,
                arc.plane, to);
          }
          const bool toIn = j < chords ? b.Inside(to) : eIn;
          OffsetMove(b, v, out, point, MOVE_LINE_CONT, from, fromIn, to, toIn);
          std::copy(to, to + 3, from);
          fromIn = toIn;
        }
      }
    } else {
      OffsetMove(b, v, out, point, point.type, sp, sIn, ep, eIn);
    }
    std::copy(ep, ep + 3, sp);
    sIn = eIn;
  }
  if (out.result() != PassResult::Done) {
    s.count = n;
    return out.result();
  }
  if (keep) {
    const std::uint32_t end = s.count;
    s.count = n;
    if (!keep()) return PassResult::NoMemory;
    s.count = end;
  }
  MarkRemoved(s, 0, n);
  CompactStore(s);
  return PassResult::Done;
}

// Why the region cannot take an offset, or null when it can.
const char* Unusable(const Region& region, const EditContext& ctx) {
  if (region.kind() == Region::Kind::ZBand) return "a Z band is no region of the offset";
  if (!region.usable()) return "the region selects nothing";
  // Window positions need the view.
  if (region.plane() == RegionPlane::Window && !ctx.view) return "window regions need a view";
  return nullptr;
}

PassResult Pass(EditContext& ctx, const Region& region, const OffsetVector& v,
                const std::function<bool()>& keep) {
  if (Unusable(region, ctx)) return PassResult::NothingInside;
  ViewState unused;  // model-plane regions never project
  const Boundary b(region, ctx.view ? *ctx.view : unused);
  return RunPass(ctx.store, b, v, keep);
}

constexpr const char* kNoRoom = "the point store cannot hold the offset toolpath";
constexpr const char* kOutOfRange =
    "the offset would move points beyond the coordinates a point record can hold (32700)";

// An offset that cannot be made: the user is told why; the toolpath is as it was.
Outcome Refuse(EditContext& ctx) {
  ctx.msg.Notify(Txt::OffsetOutOfRange, Txt::KorvoMessage);
  return Outcome::Failed(OutcomeCode::Refused, kOutOfRange);
}

}  // namespace

bool OffsetRegion(EditContext& ctx, const Region& region, const OffsetVector& v) {
  const PassResult r = Pass(ctx, region, v, nullptr);
  return r == PassResult::Done || r == PassResult::NothingInside;
}

Outcome OffsetCommand(EditContext& ctx, const Region& region, const OffsetVector& v,
                      bool saveUndo) {
  if (ctx.store.count == 0) return Outcome::Unchanged("the toolpath is empty");
  if (const char* why = Unusable(region, ctx)) return Outcome::Unchanged(why);
  {
    ViewState unused;
    if (!AnyInside(ctx.store, Boundary(region, ctx.view ? *ctx.view : unused)))
      return Outcome::Unchanged("no point of the toolpath lies inside the region");
  }
  CommandFrame frame(ctx);
  // Without a snapshot of its own (a further window of the window command), the command still
  // keeps the state it found, so that a failure later on leaves the toolpath as it was.
  RecordSnapshot before;
  const PassResult r = Pass(ctx, region, v, [&] {
    if (!saveUndo) return ctx.store.Snapshot(before) != 0;
    frame.SaveUndo(Txt::CmdOffset);
    return true;
  });
  if (r == PassResult::OutOfRange) return Refuse(ctx);
  if (r == PassResult::NoMemory) return frame.Rollback(kNoRoom);
  // Window positions cut the toolpath where the picture shows it, so the rapids are rebuilt
  // as after a trim; model-plane regions only need their approaches made safe.
  const bool cleaned =
      region.plane() == RegionPlane::Window ? frame.RapidRebuild() : frame.PlungeCleanup();
  if (!cleaned) {
    if (!saveUndo) ctx.store.Restore(before);
    return frame.Rollback(kNoRoom);
  }
  frame.Finish();
  return Outcome::Done();
}

Outcome OffsetFileCommand(EditContext& ctx, const std::string& path, const OffsetVector& v) {
  CommandFrame frame(ctx);
  // One undo snapshot for the whole file, recorded by the first polygon that moves anything;
  // `before` is the same state for a refusal, which must not tell of a full store.
  RecordSnapshot before;
  bool recorded = false;
  PassResult failure = PassResult::Done;
  std::vector<RegionPolygon> polygons;
  const PointFileResult read = ReadPointFile(path, polygons);
  if (!read.ok()) return RefusePointFile(ctx.msg, read, path);
  // A polygon with no motion point in its bounding box holds none of the toolpath and its pass
  // would change nothing: the points' grid answers that without a walk per polygon, so a file
  // of many small polygons costs a walk only for those that hold some of the toolpath.
  BoxGrid points;
  bool pointsKnown = false;  // points describes the toolpath as it stands
  for (const RegionPolygon& polygon : polygons) {
    if (failure != PassResult::Done) break;
    if (!polygon.usable()) continue;
    if (!pointsKnown) {
      std::vector<XYBox> boxes;
      PointRegister r;
      for (std::uint32_t i = 0; i < ctx.store.count; ++i)
        if (ctx.store.Peek(i, r) && IsMotionType(r.type)) boxes.push_back(XYBox::At(r.x, r.y));
      points.Build(std::move(boxes));
      pointsKnown = true;
    }
    if (!points.AnyMeets(BoundingBox(polygon))) continue;
    std::vector<RegionPoint> vertices;
    for (std::size_t k = 0; k < polygon.size(); ++k) vertices.push_back(polygon[k]);
    const Region region = Region::PointFilePolygon(std::move(vertices));
    ViewState unused;
    const PassResult r = RunPass(ctx.store, Boundary(region, unused), v, [&] {
      if (recorded) return true;
      frame.SaveUndo(Txt::CmdOffset);
      recorded = true;
      return ctx.store.Snapshot(before) != 0;
    });
    if (r == PassResult::NoMemory || r == PassResult::OutOfRange) failure = r;
    if (r == PassResult::Done) pointsKnown = false;
  }
  if (failure == PassResult::NoMemory) return frame.Rollback(kNoRoom);
  if (failure == PassResult::OutOfRange) {
    if (recorded) {
      ctx.store.Restore(before);
      ComputeStatistics(ctx.store);
    }
    return Refuse(ctx);
  }
  if (!recorded)
    return Outcome::Unchanged("no polygon of '" + path + "' holds any of the toolpath");
  if (!frame.PlungeCleanup()) return frame.Rollback(kNoRoom);
  frame.Finish();
  return Outcome::Done();
}

}  // namespace trevalon
