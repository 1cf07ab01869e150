#include "model/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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
double ArcLength(CPointStore& store, std::uint32_t i, std::uint32_t& lowest) {
  PointRegister& reg = store.reg;
  const int type = reg.type;
  const double end[3] = {reg.x, reg.y, reg.z};
  if (!store.FetchPoint(i + 1) || !IsPlaneCode(reg.type)) return 0.0;
  const int plane = NormalisePlane(reg.type);
  const double offset[3] = {reg.x, reg.y, reg.z};
  lowest = std::min(lowest, store.PrevMotion(i));
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

// What the walk carries from record to record: the end point of the move counted before. The
// first continuation move of a program has none and is measured from the motion point before
// it, as a start move is.
struct WalkState {
  bool haveLast = false;
  double last[3] = {0, 0, 0};
};

// Measures records [begin, end) into `st` (which starts from the start values), carrying `w`
// on; `lowest` becomes the lowest record index read.
void MeasureRecords(CPointStore& store, std::uint32_t begin, std::uint32_t end,
                    ToolpathStatistics& st, WalkState& w, std::uint32_t& lowest,
                    RecordVisitor* also) {
  PointRegister& reg = store.reg;
  lowest = begin;
  for (std::uint32_t i = begin; i < end; ++i) {
    if (!store.FetchPoint(i)) continue;
    if (also != nullptr) also->Visit(i, reg);
    const int type = reg.type;
    const bool cut = IsLinearType(type);
    if (IsArcType(type)) {
      // Arcs count into their own length only: the cutting length, extents and time are
      // those of the linear moves (written programs carry them in their closing comments),
      // and an arc does not become `last`.
      st.arcLength += ArcLength(store, i, lowest);
      continue;
    }
    if (!cut && !IsRapidType(type)) continue;  // centre records add nothing
    const double x = reg.x, y = reg.y, z = reg.z;
    const int feed = reg.feed;
    double* mn = cut ? st.cuttingMin : st.rapidMin;
    double* mx = cut ? st.cuttingMax : st.rapidMax;
    Widen(mn, mx, x, y, z);

    double sx, sy, sz;
    if (type == MOVE_LINE || type == MOVE_RAPID || !w.haveLast) {
      lowest = std::min(lowest, store.PrevMotion(i));  // point 0 itself when there is none before
      sx = reg.x, sy = reg.y, sz = reg.z;
      if (type == MOVE_LINE || type == MOVE_RAPID) Widen(mn, mx, sx, sy, sz);
    } else {
      sx = w.last[0], sy = w.last[1], sz = w.last[2];
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
    w.last[0] = x, w.last[1] = y, w.last[2] = z;
    w.haveLast = true;
  }
}

bool SameBits(const double a[3], const double b[3]) {
  return std::memcmp(a, b, 3 * sizeof(double)) == 0;
}

void Add(ToolpathStatistics& total, const ToolpathStatistics& part) {
  total.maxFeed = std::max(total.maxFeed, part.maxFeed);
  total.cuttingLength += part.cuttingLength;
  total.rapidLength += part.rapidLength;
  total.cuttingTime += part.cuttingTime;
  total.arcLength += part.arcLength;
  for (int a = 0; a < 3; ++a) {
    total.cuttingMin[a] = std::min(total.cuttingMin[a], part.cuttingMin[a]);
    total.cuttingMax[a] = std::max(total.cuttingMax[a], part.cuttingMax[a]);
    total.rapidMin[a] = std::min(total.rapidMin[a], part.rapidMin[a]);
    total.rapidMax[a] = std::max(total.rapidMax[a], part.rapidMax[a]);
  }
}
}  // namespace

double StoredArcLength(CPointStore& store, std::uint32_t i) {
  if (!store.FetchPoint(i) || !IsArcType(store.reg.type)) return 0.0;
  std::uint32_t lowest = i;
  return ArcLength(store, i, lowest);
}

ToolpathStatistics CurrentStatistics(CPointStore& store) {
  return ComputeStatistics(store) ? store.stats : ToolpathStatistics{};
}

int ComputeStatistics(CPointStore& store, RecordVisitor* also) {
  if (store.count == 0) return 0;
  // The store is measured page by page, each page from the walk state the page before left,
  // and the pages' shares are added in order. A page whose records, neighbours (a move's start
  // point may lie on the page before, an arc's centre record on the page after) and incoming
  // state are those of the last walk keeps its share, so that after an edit of a few pages
  // only those are measured again. The sums always go by page, so a walk that reuses shares
  // gives the very numbers a walk from scratch gives.
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  const std::uint32_t pages = (store.count + kPage - 1) / kPage;
  std::vector<StatisticsPart>& parts = store.statisticsParts;
  parts.resize(pages);
  ToolpathStatistics st;
  WalkState w;
  for (std::uint32_t p = 0; p < pages; ++p) {
    StatisticsPart& part = parts[p];
    const std::uint32_t begin = p * kPage;
    const std::uint32_t seen = std::min(store.count - begin, kPage + 1);
    const std::uint64_t stamps[3] = {p > 0 ? store.PageStamp(p - 1) : 0, store.PageStamp(p),
                                     store.PageStamp(p + 1)};
    const bool same = also == nullptr && part.reusable && part.seen == seen &&
                      std::equal(stamps, stamps + 3, part.stamps) &&
                      part.haveLastIn == w.haveLast && SameBits(part.lastIn, w.last);
    if (!same) {
      part.haveLastIn = w.haveLast;
      std::copy(w.last, w.last + 3, part.lastIn);
      part.stats = ToolpathStatistics{};
      std::uint32_t lowest = begin;
      MeasureRecords(store, begin, std::min(store.count, begin + kPage), part.stats, w, lowest,
                     also);
      part.haveLastOut = w.haveLast;
      std::copy(w.last, w.last + 3, part.lastOut);
      part.seen = seen;
      // Read after the walk: a record the walk set right (an unsound one) stamped its page.
      part.stamps[0] = p > 0 ? store.PageStamp(p - 1) : 0;
      part.stamps[1] = store.PageStamp(p);
      part.stamps[2] = store.PageStamp(p + 1);
      part.reusable = p == 0 || lowest >= begin - kPage;
    } else {
      w.haveLast = part.haveLastOut;
      std::copy(part.lastOut, part.lastOut + 3, w.last);
    }
    Add(st, part.stats);
  }
  store.SealPages();
  store.stats = st;
  for (int a = 0; a < 3; ++a) {
    store.extentMin[a] = st.cuttingMin[a];
    store.extentMax[a] = st.cuttingMax[a];
  }
  return 1;
}

}  // namespace trevalon
