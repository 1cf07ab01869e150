// Moves of an extended read stored as the classic reader stores them (see ext_moves.h).
#include "ncio/ext_moves.h"

#include "model/geometry.h"
#include "model/point_record.h"

namespace trevalon {

namespace {

double& Axis(PointRegister& r, int a) {
  return a == 0 ? r.x : a == 1 ? r.y : r.z;
}

}  // namespace

bool LimitToRecord(double p[3]) {
  bool changed = false;
  for (int a = 0; a < 3; ++a) {
    const double v = p[a];
    if (std::fabs(v) <= kRecordCoordLimit) continue;
    p[a] = v > 0 ? kRecordCoordLimit : v < 0 ? -kRecordCoordLimit : 0.0;
    if (std::isinf(v)) p[a] = 0.0;  // no number: not a direction to limit towards
    changed = true;
  }
  return changed;
}

ExtMoveSink::ExtMoveSink(CPointStore& store, bool arcsAsChords)
    : store_(store), chords_(arcsAsChords) {}

void ExtMoveSink::Limit(double p[3]) {
  if (!LimitToRecord(p) || report_ == nullptr) return;
  if (report_->line == limitedLine_ && report_->passedOver.count("coord-limited")) return;
  limitedLine_ = report_->line;
  report_->Pass("coord-limited");
}

bool ExtMoveSink::Put(int type, const double p[3], std::int32_t feed) {
  if (full_) return false;
  PointRegister& reg = store_.reg;
  reg.x = p[0], reg.y = p[1], reg.z = p[2];
  if (!RecordHolds(p)) [[unlikely]] {
    double q[3] = {p[0], p[1], p[2]};
    Limit(q);
    reg.x = q[0], reg.y = q[1], reg.z = q[2];
  }
  reg.type = type;
  reg.feed = feed;
  reg.mark = 0;
  if (!store_.StorePoint(store_.count)) {
    full_ = true;
    return false;
  }
  ++store_.count;
  ++stored_;
  cut_ = cut_ || !IsRapidType(type);
  Note();
  return true;
}

bool ExtMoveSink::Rapid(const double to[3], bool named) {
  const int type = named || lastKind_ != 1 ? MOVE_RAPID : MOVE_RAPID_CONT;
  // A rapid keeps the feed in force, as the classic reader stores it.
  if (!Put(type, to, store_.reg.feed)) return false;
  lastKind_ = 1;
  SetPosition(to);
  return true;
}

bool ExtMoveSink::Line(const double to[3], std::int32_t feed, bool named) {
  const int type = named || lastKind_ != 3 ? MOVE_LINE : MOVE_LINE_CONT;
  if (!Put(type, to, feed)) return false;
  lastKind_ = 3;
  SetPosition(to);
  return true;
}

bool ExtMoveSink::Arc(const double to[3], const double centre[3], int plane, bool clockwise,
                      std::int32_t feed) {
  if (full_) return false;
  plane = NormalisePlane(plane);
  const PlaneAxes ax = AxesOfPlane(plane);
  const int type = clockwise ? MOVE_ARC_CW : MOVE_ARC_CCW;
  double offset[3] = {centre[0] - at_[0], centre[1] - at_[1], centre[2] - at_[2]};
  offset[ax.normal] = 0.0;
  PointRegister& reg = store_.reg;
  if (chords_) {
    double end[3] = {to[0], to[1], to[2]};
    if (!RecordHolds(end) || !RecordHolds(offset)) [[unlikely]] {
      Limit(end);
      Limit(offset);
    }
    // Our rule: the chords of a helix lie on the helix (its radius in the plane, the normal
    // axis rising evenly along the angle), not on the circle at the start's height with one
    // last chord down to the end.
    if (std::fabs(end[ax.normal] - at_[ax.normal]) > 1e-9) {
      if (!HelixChords(end, offset, plane, type, feed)) return false;
      SetPosition(to);
      return true;
    }
    reg.x = end[0], reg.y = end[1], reg.z = end[2];
    reg.feed = feed;
    reg.mark = 0;
    reg.plane = plane;
    const std::uint32_t before = store_.count;
    const std::uint32_t next =
        ArcToChords(store_, store_.count, type, offset, kReaderChordTolerance);
    if (next == 0) {
      full_ = true;
      return false;
    }
    stored_ += next - before;
    store_.count = next;
    Note();
    lastKind_ = 3;
    SetPosition(to);
    return true;
  }
  if (!Put(type, to, feed)) return false;
  if (!Put(plane, offset, feed)) {
    --store_.count;  // an arc end without its centre record is not kept
    --stored_;
    Note();
    return false;
  }
  reg.plane = plane;
  lastKind_ = 6;
  SetPosition(to);
  return true;
}

bool ExtMoveSink::HelixChords(const double to[3], const double offset[3], int plane, int type,
                              std::int32_t feed) {
  PointRegister& reg = store_.reg;
  const PlaneAxes ax = AxesOfPlane(plane);
  // The arc in the start's plane first (ArcToChords cuts it as the classic reader does),
  // then each chord point raised to its share of the rise: the chords are equal steps of the
  // angle, so the share of point m of n is (m + 1) / n.
  reg.x = to[0], reg.y = to[1], reg.z = to[2];
  Axis(reg, ax.normal) = at_[ax.normal];
  reg.feed = feed;
  reg.mark = 0;
  reg.plane = plane;
  double centre[3] = {offset[0], offset[1], offset[2]};
  const std::uint32_t before = store_.count;
  const std::uint32_t next = ArcToChords(store_, store_.count, type, centre, kReaderChordTolerance);
  if (next == 0) {
    full_ = true;
    return false;
  }
  store_.count = next;
  const std::uint32_t n = next - before;
  const double from = at_[ax.normal], rise = to[ax.normal] - at_[ax.normal];
  for (std::uint32_t m = 0; m < n; ++m) {
    store_.FetchPoint(before + m);
    Axis(reg, ax.normal) = m + 1 == n ? to[ax.normal] : from + rise * (m + 1) / n;
    store_.StorePoint(before + m);
  }
  stored_ += n;
  Note();
  lastKind_ = 3;
  return true;
}

}  // namespace trevalon
