#include "model/statistics.h"

#include <cmath>
#include <numbers>

#include "model/geometry.h"

namespace trevalon {

namespace {
inline void Widen(double mn[3], double mx[3], double x, double y, double z) {
  if (x < mn[0]) mn[0] = x;
  if (x > mx[0]) mx[0] = x;
  if (y < mn[1]) mn[1] = y;
  if (y > mx[1]) mx[1] = y;
  if (z < mn[2]) mn[2] = z;
  if (z > mx[2]) mx[2] = z;
}

// The length of the arc whose end point is record i: the sweep as the geometry decides it
// (ArcParameters: direction, full circles) on the radius in the arc's plane, and for a helix
// its rise along the plane's normal, the length of the screw line unrolled. Exact pi and the
// mean of the start and end radii: this is a length of the part, not a value the program
// writes. An arc end point without its centre record says no circle and adds nothing.
double ArcLength(CPointStore& store, std::uint32_t i) {
  PointRegister& reg = store.reg;
  const int type = reg.type;
  const double end[3] = {reg.x, reg.y, reg.z};
  if (!store.FetchPoint(i + 1) || !IsPlaneCode(reg.type)) return 0.0;
  const int plane = NormalisePlane(reg.type);
  const double offset[3] = {reg.x, reg.y, reg.z};
  store.PrevMotion(i);
  const double start[3] = {reg.x, reg.y, reg.z};
  const PlaneAxes ax = AxesOfPlane(plane);
  double centre[3];
  for (int k = 0; k < 3; ++k) centre[k] = start[k] + (k == ax.normal ? 0.0 : offset[k]);
  ArcDescription arc;
  ArcParameters(start, end, centre, type, plane, arc);
  const double rs = std::hypot(start[ax.a] - centre[ax.a], start[ax.b] - centre[ax.b]);
  const double re = std::hypot(end[ax.a] - centre[ax.a], end[ax.b] - centre[ax.b]);
  const double turn = arc.sweep * std::numbers::pi / 180.0 * 0.5 * (rs + re);
  const double rise = end[ax.normal] - start[ax.normal];
  return std::sqrt(turn * turn + rise * rise);
}
}  // namespace

double StoredArcLength(CPointStore& store, std::uint32_t i) {
  if (!store.FetchPoint(i) || !IsArcType(store.reg.type)) return 0.0;
  return ArcLength(store, i);
}

ToolpathStatistics CurrentStatistics(CPointStore& store) {
  return ComputeStatistics(store) ? store.stats : ToolpathStatistics{};
}

int ComputeStatistics(CPointStore& store, RecordVisitor* also) {
  if (store.count == 0) return 0;
  ToolpathStatistics st;
  PointRegister& reg = store.reg;
  // The end point of the move counted before; the first continuation move of a program has
  // none and is measured from the motion point before it, as a start move is.
  bool haveLast = false;
  double lx = 0, ly = 0, lz = 0;

  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i)) continue;
    if (also != nullptr) also->Visit(i, reg);
    const int type = reg.type;
    const bool cut = IsLinearType(type);
    if (IsArcType(type)) {
      // Arcs count into their own length only: the cutting length, extents and time are
      // those of the linear moves (written programs carry them in their closing comments),
      // and an arc does not become `last`.
      st.arcLength += ArcLength(store, i);
      continue;
    }
    if (!cut && !IsRapidType(type)) continue;  // centre records add nothing
    const double x = reg.x, y = reg.y, z = reg.z;
    const int feed = reg.feed;
    double* mn = cut ? st.cuttingMin : st.rapidMin;
    double* mx = cut ? st.cuttingMax : st.rapidMax;
    Widen(mn, mx, x, y, z);

    double sx, sy, sz;
    if (type == MOVE_LINE || type == MOVE_RAPID || !haveLast) {
      store.PrevMotion(i);  // point 0 itself when there is none before
      sx = reg.x, sy = reg.y, sz = reg.z;
      if (type == MOVE_LINE || type == MOVE_RAPID) Widen(mn, mx, sx, sy, sz);
    } else {
      sx = lx, sy = ly, sz = lz;
    }
    const double dx = x - sx, dy = y - sy, dz = z - sz;
    const double len = FlooredSqrt(dx * dx + dy * dy + dz * dz);
    if (cut) {
      if (feed > st.maxFeed) st.maxFeed = feed;
      st.cuttingLength += len;
      // A cut without a feed (F0 or a broken feed word) cannot be timed; it adds its length
      // but no time rather than an infinite or negative estimate.
      if (feed > 0) st.cuttingTime += len / feed;
    } else {
      st.rapidLength += len;
    }
    lx = x, ly = y, lz = z;
    haveLast = true;
  }
  store.stats = st;
  for (int a = 0; a < 3; ++a) {
    store.extentMin[a] = st.cuttingMin[a];
    store.extentMax[a] = st.cuttingMax[a];
  }
  return 1;
}

}  // namespace trevalon
