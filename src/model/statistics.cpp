#include "model/statistics.h"

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
}  // namespace

int ComputeStatistics(CPointStore& store) {
  if (store.count == 0) return 0;
  ToolpathStatistics st;
  PointRegister& reg = store.reg;
  // The end point of the move counted before; the first continuation move of a program has
  // none and is measured from the motion point before it, as a start move is.
  bool haveLast = false;
  double lx = 0, ly = 0, lz = 0;

  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i)) continue;
    const int type = reg.type;
    const bool cut = IsLinearType(type);
    if (!cut && !IsRapidType(type)) continue;  // arcs and centre records add nothing
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
