#include "edit/regenerate.h"

#include <cmath>
#include <cstdint>

#include "model/point_store.h"

namespace trevalon {

namespace {

// How far an arc's end may lie off its plane and still count as in it.
constexpr double kPlanarNoise = 0.001;

std::uint32_t FirstMotion(CPointStore& s, std::uint32_t from) {
  for (std::uint32_t i = from; i < s.count; ++i) {
    if (s.FetchPoint(i) && IsMotionType(s.reg.type)) return i;
  }
  return s.count;
}

}  // namespace

int Regenerate(CPointStore& s) {
  // 1. The toolpath starts with a rapid; a cut right after it starts a cutting run.
  std::uint32_t first = FirstMotion(s, 0);
  if (first < s.count) {
    s.FetchPoint(first);
    s.reg.type = MOVE_RAPID;
    s.StorePoint(first);
    std::uint32_t second = FirstMotion(s, first + 1);
    if (second < s.count && IsLinearType(s.reg.type)) {
      s.reg.type = MOVE_LINE;
      s.StorePoint(second);
    }
  }

  // 2. A cut after a cut that does not move at all (same stored coordinates) goes.
  bool havePrev = false;
  int prevType = 0;
  float px = 0, py = 0, pz = 0;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const PointRecord* r = s.RawRecord(i);
    if (havePrev && IsLinearType(s.reg.type) && IsLinearType(prevType) && r->x == px &&
        r->y == py && r->z == pz) {
      s.reg.type = MOVE_NONE;
      s.StorePoint(i);
      continue;
    }
    havePrev = true;
    prevType = s.reg.type;
    px = r->x, py = r->y, pz = r->z;
  }

  // 3. Run types again from the start; arc end points made planar.
  int prev = 0;
  double prevXyz[3] = {0, 0, 0};
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    int t = s.reg.type;
    if (IsRapidType(t)) {
      t = IsRapidType(prev) ? MOVE_RAPID_CONT : MOVE_RAPID;
    } else if (IsLinearType(t)) {
      t = IsLinearType(prev) ? MOVE_LINE_CONT : MOVE_LINE;
    }
    double xyz[3] = {s.reg.x, s.reg.y, s.reg.z};
    bool changed = t != s.reg.type;
    if (IsArcType(t) && prev != 0) {
      int plane = 0;
      if (i + 1 < s.count && s.FetchPoint(i + 1)) plane = s.reg.type;
      int axis = plane == PLANE_XY ? 2 : plane == PLANE_ZX ? 1 : plane == PLANE_YZ ? 0 : -1;
      s.FetchPoint(i);
      // Our rule: only an end that strays from the plane by less than a thousandth (the
      // rounding of a program's words) is put back in it. A helix keeps its climb: making it
      // planar would move the whole descent onto the next move, a plunge where the program
      // ramps down, and every later edit anywhere in the program would do it again.
      if (axis >= 0 && xyz[axis] != prevXyz[axis] &&
          std::fabs(xyz[axis] - prevXyz[axis]) < kPlanarNoise) {
        xyz[axis] = prevXyz[axis];
        changed = true;
      }
    }
    if (changed) {
      s.reg.type = t;
      s.reg.x = xyz[0], s.reg.y = xyz[1], s.reg.z = xyz[2];
      s.StorePoint(i);
    }
    prev = t;
    // The stored (single-precision) position is what the next point compares against.
    const PointRecord* r = s.RawRecord(i);
    prevXyz[0] = r->x, prevXyz[1] = r->y, prevXyz[2] = r->z;
  }
  return 1;
}

}  // namespace trevalon
