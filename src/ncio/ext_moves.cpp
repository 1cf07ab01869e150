// Moves of an extended read stored as the classic reader stores them (see ext_moves.h).
#include "ncio/ext_moves.h"

#include "model/geometry.h"
#include "model/point_record.h"

namespace trevalon {

ExtMoveSink::ExtMoveSink(CPointStore& store, bool arcsAsChords)
    : store_(store), chords_(arcsAsChords) {}

bool ExtMoveSink::Put(int type, const double p[3], std::int32_t feed) {
  if (full_) return false;
  PointRegister& reg = store_.reg;
  reg.x = p[0], reg.y = p[1], reg.z = p[2];
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
    reg.x = to[0], reg.y = to[1], reg.z = to[2];
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

}  // namespace trevalon
