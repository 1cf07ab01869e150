#include "edit/transform.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "edit/compaction.h"
#include "edit/path_runs.h"
#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

// Degrees to radians in the rotation of paths: the program's value for it, not the one of the
// geometry routines.
constexpr double kTurnDegToRad = 6.2831853 / 360.0;
// Arcs replaced by chords keep within this of the transformed arc.
constexpr double kChordTolerance = 0.001;

// Whether a point lies within the coordinates a record holds, on every axis: the writer
// stores single precision, so the test is made on what it would store.
bool Holdable(const double p[3]) {
  for (int i = 0; i < 3; ++i) {
    const float v = static_cast<float>(p[i]);
    if (!(std::fabs(v) <= CPointStore::kSaneLimit)) return false;
  }
  return true;
}

constexpr const char* kOutOfRange =
    "the transform would carry points beyond the coordinates a point record can hold (32700)";

int Flip(int type) {
  return type == MOVE_ARC_CW ? MOVE_ARC_CCW : MOVE_ARC_CW;
}

// The transform of copy k (k = 1 for a move in place).
class Transform {
 public:
  Transform(const TransformOptions& o, int k) : o_(o), k_(k) {
    turn_ = std::fmod(k * o.angle, 360.0);
    if (turn_ < 0) turn_ += 360.0;
    f_[0] = o.scaleX ? o.sx : 1.0;
    f_[1] = o.scaleY ? o.sy : 1.0;
    f_[2] = o.scaleZ ? o.sz : 1.0;
  }

  // Whether the transform leaves every point where it is.
  bool Identity() const {
    switch (o_.method) {
      case TransformMethod::Move:
        return (!o_.moveX || o_.dx == 0) && (!o_.moveY || o_.dy == 0) && (!o_.moveZ || o_.dz == 0);
      case TransformMethod::Rotate:
        return turn_ == 0;
      case TransformMethod::Mirror:
        return f_[0] == 1 && f_[1] == 1 && f_[2] == 1;
    }
    return true;
  }

  void Point(const double in[3], double out[3]) const {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
    switch (o_.method) {
      case TransformMethod::Move:
        out[0] = in[0] + (o_.moveX ? k_ * o_.dx : 0.0);
        out[1] = in[1] + (o_.moveY ? k_ * o_.dy : 0.0);
        out[2] = in[2] + (o_.moveZ ? k_ * o_.dz : 0.0);
        return;
      case TransformMethod::Rotate: {
        const double dx = in[0] - o_.cx, dy = in[1] - o_.cy;
        const double r = FlooredSqrt(dx * dx + dy * dy);
        const double a = (Angle(dy, dx) + k_ * o_.angle) * kTurnDegToRad;
        out[0] = o_.cx + r * std::cos(a);
        out[1] = o_.cy + r * std::sin(a);
        out[2] = in[2];
        return;
      }
      case TransformMethod::Mirror: {
        const double ref[3] = {o_.cx, o_.cy, o_.cz};
        for (int i = 0; i < 3; ++i) out[i] = ref[i] + (in[i] - ref[i]) * f_[i];
        return;
      }
    }
  }

  // The plane and direction of an arc after the transform; false when it cannot stay an arc.
  bool Arc(int plane, int type, int& newPlane, int& newType) const {
    newPlane = plane, newType = type;
    const PlaneAxes ax = AxesOfPlane(plane);
    switch (o_.method) {
      case TransformMethod::Move:
        return true;
      case TransformMethod::Mirror:
        if (f_[ax.a] == 0 || std::fabs(f_[ax.a]) != std::fabs(f_[ax.b])) return false;
        if (f_[ax.a] * f_[ax.b] < 0) newType = Flip(type);
        return true;
      case TransformMethod::Rotate:
        break;
    }
    if (plane == PLANE_XY || turn_ == 0) return true;
    if (turn_ != 90 && turn_ != 180 && turn_ != 270) return false;
    // Where the in-plane axes go, with their signs: a quarter turn takes +x to +y and +y to -x.
    auto image = [&](int axis, int& sign) {
      sign = 1;
      if (axis == 2) return 2;
      const int quarter = static_cast<int>(turn_) / 90;
      int to = axis;
      for (int q = 0; q < quarter; ++q) {
        if (to == 0) {
          to = 1;
        } else {
          to = 0;
          sign = -sign;
        }
      }
      return to;
    };
    int sa, sb;
    const int a = image(ax.a, sa), b = image(ax.b, sb);
    for (int p : {PLANE_XY, PLANE_ZX, PLANE_YZ}) {
      const PlaneAxes q = AxesOfPlane(p);
      if ((q.a == a && q.b == b) || (q.a == b && q.b == a)) {
        newPlane = p;
        if (sa * sb * (q.a == a ? 1 : -1) < 0) newType = Flip(type);
        return true;
      }
    }
    return false;
  }

  // Chords of an arc are taken this close to it, so that they stay within the tolerance of the
  // transformed arc.
  double ChordTolerance() const {
    if (o_.method != TransformMethod::Mirror) return kChordTolerance;
    const double most = std::max({std::fabs(f_[0]), std::fabs(f_[1]), std::fabs(f_[2]), 1.0});
    return kChordTolerance / most;
  }

 private:
  const TransformOptions& o_;
  int k_;
  double turn_;
  double f_[3];
};

class Writer {
 public:
  Writer(CPointStore& s, PathWriter& w) : s_(s), w_(w) {}

  // Point i transformed; a cut as a rapid when `asRapid` (it starts a moved run).
  void Moved(std::uint32_t i, const Transform& t, bool asRapid) {
    PointRegister r;
    s_.Peek(i, r);
    const double in[3] = {r.x, r.y, r.z};
    double out[3];
    t.Point(in, out);
    Note(in, out);
    if (asRapid && !IsRapidType(r.type)) r.type = MOVE_RAPID;
    if (!IsArcType(r.type)) {
      Put(r, out, r.type);
      return;
    }
    StoredArc arc;
    ArcOfPoint(s_, i, arc);
    const ArcCentreRecord c = ReadArcCentre(s_, i);
    int plane, type;
    if (t.Arc(arc.plane, arc.type, plane, type)) {
      double start[3], centre[3];
      t.Point(arc.start, start);
      t.Point(arc.centre, centre);
      const PlaneAxes ax = AxesOfPlane(plane);
      double offset[3] = {0, 0, 0};
      offset[ax.a] = centre[ax.a] - start[ax.a];
      offset[ax.b] = centre[ax.b] - start[ax.b];
      SetRegister(r, out, type);
      w_.Arc(plane, offset, c.feed, c.mark);
      return;
    }
    // The chords of the arc as it is, each transformed: a scratch store holds the arc so that
    // the program's own chord routine makes them.
    if (!scratch_) scratch_ = std::make_unique<CPointStore>();
    CPointStore& k = *scratch_;
    k.count = 0;
    k.reg = {};
    k.reg.x = arc.start[0], k.reg.y = arc.start[1], k.reg.z = arc.start[2];
    k.reg.type = MOVE_LINE;
    AppendRegister(k);
    k.reg.x = r.x, k.reg.y = r.y, k.reg.z = r.z;
    k.reg.type = arc.type, k.reg.feed = r.feed, k.reg.mark = r.mark;
    k.reg.plane = arc.plane;
    double offset[3] = {c.offset[0], c.offset[1], c.offset[2]};
    const std::uint32_t next = ArcToChords(k, 1, arc.type, offset, t.ChordTolerance());
    if (next == 0) {
      Put(r, out, MOVE_LINE_CONT);
      return;
    }
    k.count = next;
    PointRegister p;
    for (std::uint32_t j = 1; j < next; ++j) {
      k.Peek(j, p);
      const double pin[3] = {p.x, p.y, p.z};
      double pout[3];
      t.Point(pin, pout);
      Note(pin, pout);
      Put(r, pout, MOVE_LINE_CONT);
    }
  }

  void Kept(std::uint32_t i, bool asRapid) {
    PointRegister r;
    s_.Peek(i, r);
    if (asRapid && !IsRapidType(r.type)) {
      const double at[3] = {r.x, r.y, r.z};
      Put(r, at, MOVE_RAPID);
      return;
    }
    w_.Copy(i, i + 1);
  }

  double highestBefore = -1e300, highestAfter = -1e300;
  // A point written beyond the record's coordinates (a chord of an arc that bulges out).
  bool outOfRange = false;

 private:
  void SetRegister(const PointRegister& r, const double at[3], int type) {
    if (!Holdable(at)) outOfRange = true;
    s_.reg.x = at[0], s_.reg.y = at[1], s_.reg.z = at[2];
    s_.reg.type = type, s_.reg.feed = r.feed, s_.reg.mark = r.mark;
  }
  void Put(const PointRegister& r, const double at[3], int type) {
    SetRegister(r, at, type);
    w_.Register();
  }
  void Note(const double in[3], const double out[3]) {
    highestBefore = std::max(highestBefore, in[2]);
    highestAfter = std::max(highestAfter, out[2]);
  }
  CPointStore& s_;
  PathWriter& w_;
  std::unique_ptr<CPointStore> scratch_;
};

}  // namespace

Outcome TransformCommand(EditContext& ctx, const TransformOptions& o, const Region* polygon) {
  CPointStore& s = ctx.store;
  if (o.scope == PathScope::Polygon && (!polygon || !polygon->usable()))
    return Outcome::Unchanged("the polygon has fewer than 3 vertices");
  const std::uint32_t n = s.count;
  std::vector<char> chosen(n, 0);
  bool any = false;
  PointRegister r;
  if (o.scope == PathScope::Polygon) {
    const std::vector<PathRun> runs = CuttingRuns(s);
    const std::vector<char> runChosen = ChooseRuns(s, runs, o.scope, polygon, ctx.view);
    for (std::size_t k = 0; k < runs.size(); ++k) {
      if (!runChosen[k]) continue;
      chosen[runs[k].lead] = 1;
      std::fill(chosen.begin() + runs[k].first, chosen.begin() + runs[k].end, 1);
      any = true;
    }
  } else {
    for (std::uint32_t i = 0; i < n; ++i) {
      if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
      chosen[i] = o.scope == PathScope::All || r.mark == 1;
      any = any || chosen[i];
    }
  }
  if (!any)
    return Outcome::Unchanged(o.scope == PathScope::Polygon
                                  ? "no path has a point inside the polygon"
                              : o.scope == PathScope::Selected ? "no point is selected"
                                                               : "no toolpath to move");
  const int copies =
      !o.copy ? 0 : (o.method == TransformMethod::Mirror ? 1 : std::max(1, o.copies));
  if (copies == 0 && Transform(o, 1).Identity())
    return Outcome::Unchanged("the transform moves nothing");
  // Our rule: a transform that would carry any chosen point beyond the coordinates a record
  // holds (on any axis, also Y, which the store's own test leaves out) is refused as a whole
  // before anything changes, as the offset is, instead of making records that every walk
  // drops.
  for (int k = 1; k <= std::max(1, copies); ++k) {
    const Transform t(o, k);
    for (std::uint32_t i = 0; i < n; ++i) {
      if (!chosen[i] || !s.Peek(i, r)) continue;
      const double in[3] = {r.x, r.y, r.z};
      double out[3];
      t.Point(in, out);
      if (!Holdable(out)) {
        ctx.msg.Notify(Txt::TransformOutOfRange, Txt::KorvoMessage);
        return Outcome::Failed(OutcomeCode::Refused, kOutOfRange);
      }
    }
  }

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdTransform);
  const double h = ctx.retractHeight;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  Writer out(s, w);
  if (copies == 0) {
    // In place: the whole toolpath is written again, the chosen points moved.
    const Transform t(o, 1);
    bool havePrev = false, prevChosen = false;
    for (std::uint32_t i = 0; i < n && w.ok(); ++i) {
      if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
      const bool c = chosen[i] != 0, meets = havePrev && c != prevChosen;
      if (c)
        out.Moved(i, t, meets);
      else
        out.Kept(i, meets);
      havePrev = true, prevChosen = c;
    }
  } else {
    // Copies behind the toolpath, which stays as it is.
    for (int k = 1; k <= copies && w.ok(); ++k) {
      const Transform t(o, k);
      bool prevChosen = false;
      for (std::uint32_t i = 0; i < n && w.ok(); ++i) {
        if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
        if (chosen[i]) out.Moved(i, t, !prevChosen);
        prevChosen = chosen[i] != 0;
      }
    }
  }
  if (!w.ok()) return frame.Rollback("the toolpath does not fit into the point store");
  if (out.outOfRange)
    return frame.Rollback(kOutOfRange, Txt::TransformOutOfRange, OutcomeCode::Refused);
  frame.Appended();
  if (copies == 0) frame.RemoveOriginal();
  if (out.highestAfter > out.highestBefore) {
    const double clearance = std::max(0.0, h - out.highestBefore);
    // Our rule: the raised retract height stays within what a record holds, so that the
    // rapid rebuild never writes a retract that would be dropped.
    ctx.retractHeight = std::min(std::max(h, out.highestAfter + clearance),
                                 static_cast<double>(CPointStore::kSaneLimit));
    ctx.retractHeight = std::max(ctx.retractHeight, h);
  }
  if (!frame.RapidRebuild()) {
    ctx.retractHeight = h;
    return frame.Rollback("no room for the rapid rebuild");
  }
  frame.Finish();
  return Outcome::Done();
}

}  // namespace trevalon
