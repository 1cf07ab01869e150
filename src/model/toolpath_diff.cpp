#include "model/toolpath_diff.h"

#include <algorithm>
#include <new>

#include "model/geometry.h"

namespace trevalon {

namespace {

// One motion record as the comparison needs it: its end point and, for an arc with its
// centre record, the absolute centre and the plane.
struct Move {
  std::uint32_t index;
  float p[3];
  float c[3];
  std::int16_t feed;
  std::int16_t type;
  std::int16_t plane;  // the arc's plane code; 0 for everything but arcs with a centre record
};

int KindOf(int type) {
  if (IsRapidType(type)) return 0;
  if (IsLinearType(type)) return 1;
  return type == MOVE_ARC_CCW ? 2 : 3;
}

double Distance2(const float p[3], const float q[3]) {
  double s = 0;
  for (int k = 0; k < 3; ++k) {
    const double d = static_cast<double>(p[k]) - static_cast<double>(q[k]);
    s += d * d;
  }
  return s;
}

std::vector<Move> MovesOf(CPointStore& store) {
  std::vector<Move> out;
  out.reserve(store.count);
  PointRegister& reg = store.reg;
  float prev[3] = {0, 0, 0};
  bool havePrev = false;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(reg.type)) continue;
    Move m{i,
           {static_cast<float>(reg.x), static_cast<float>(reg.y), static_cast<float>(reg.z)},
           {0, 0, 0},
           static_cast<std::int16_t>(reg.feed),
           static_cast<std::int16_t>(reg.type),
           0};
    if (IsArcType(m.type) && store.FetchPoint(i + 1) && IsPlaneCode(reg.type)) {
      // The centre record holds the offset from the arc's start, the motion point before.
      m.plane = static_cast<std::int16_t>(NormalisePlane(reg.type));
      const PlaneAxes ax = AxesOfPlane(m.plane);
      const float offset[3] = {static_cast<float>(reg.x), static_cast<float>(reg.y),
                               static_cast<float>(reg.z)};
      const float* start = havePrev ? prev : m.p;
      for (int k = 0; k < 3; ++k) m.c[k] = start[k] + (k == ax.normal ? 0.0f : offset[k]);
    }
    std::copy(m.p, m.p + 3, prev);
    havePrev = true;
    out.push_back(m);
  }
  return out;
}

class Comparer {
 public:
  Comparer(const std::vector<Move>& a, const std::vector<Move>& b, double tolerance,
           std::size_t maxDetails, ToolpathComparison& r)
      : a_(a), b_(b), tol2_(tolerance * tolerance), max_(maxDetails), r_(r) {}

  void Run() {
    const std::size_t n = a_.size(), m = b_.size();
    std::size_t i = 0, j = 0;
    std::size_t wait = 0, backoff = 1;  // moves to pair without a search; the next wait
    while (i < n && j < m) {
      if (Match(i, j)) {
        Pair(i++, j++);
        wait = 0, backoff = 1;
        continue;
      }
      if (wait > 0) {
        --wait;
        Pair(i++, j++);
        continue;
      }
      std::size_t skipA = 0, skipB = 0;
      if (!Resync(i, j, skipA, skipB)) {
        Pair(i++, j++);
        wait = backoff - 1;
        backoff = std::min(2 * backoff, kResyncReach);
        continue;
      }
      const std::size_t both = std::min(skipA, skipB);
      for (std::size_t k = 0; k < both; ++k) Pair(i + k, j + k);
      for (std::size_t k = both; k < skipA; ++k) Removed(i + k);
      for (std::size_t k = both; k < skipB; ++k) Added(j + k);
      i += skipA, j += skipB;
    }
    for (; i < n; ++i) Removed(i);
    for (; j < m; ++j) Added(j);
  }

 private:
  bool Match(std::size_t i, std::size_t j) const { return Distance2(a_[i].p, b_[j].p) <= tol2_; }

  // The toolpaths agree again at (i, j): kResyncConfirm moves pair up, or both end together.
  bool Agree(std::size_t i, std::size_t j) const {
    for (std::size_t t = 0; t < kResyncConfirm; ++t) {
      const bool endA = i + t >= a_.size(), endB = j + t >= b_.size();
      if (endA || endB) return t > 0 || (endA && endB);
      if (!Match(i + t, j + t)) return false;
    }
    return true;
  }

  // The nearest place after (i, j) where the toolpaths agree: the fewest moves skipped on
  // both sides together, and among those the most even split.
  bool Resync(std::size_t i, std::size_t j, std::size_t& skipA, std::size_t& skipB) const {
    const std::size_t n = a_.size(), m = b_.size();
    for (std::size_t c = 1; c <= kResyncReach; ++c) {
      for (std::size_t uneven = c % 2; uneven <= c; uneven += 2) {
        for (int side = 0; side < (uneven == 0 ? 1 : 2); ++side) {
          const std::size_t ka = side == 0 ? (c + uneven) / 2 : (c - uneven) / 2;
          const std::size_t kb = c - ka;
          if (i + ka > n || j + kb > m) continue;
          if (Agree(i + ka, j + kb)) {
            skipA = ka, skipB = kb;
            return true;
          }
        }
      }
    }
    return false;
  }

  void Pair(std::size_t i, std::size_t j) {
    const Move& x = a_[i];
    const Move& y = b_[j];
    const bool arcs = x.plane != 0 && y.plane != 0;
    if (Distance2(x.p, y.p) > tol2_ ||
        (arcs && (x.plane != y.plane || Distance2(x.c, y.c) > tol2_)))
      Note(DifferenceType::Moved, &x, &y, r_.moved);
    if (KindOf(x.type) != KindOf(y.type)) Note(DifferenceType::Motion, &x, &y, r_.motions);
    if (!IsRapidType(x.type) && !IsRapidType(y.type) && x.feed != y.feed)
      Note(DifferenceType::Feed, &x, &y, r_.feeds);
  }
  void Removed(std::size_t i) { Note(DifferenceType::Removed, &a_[i], nullptr, r_.removed); }
  void Added(std::size_t j) { Note(DifferenceType::Added, nullptr, &b_[j], r_.added); }

  void Note(DifferenceType type, const Move* x, const Move* y, std::uint64_t& counter) {
    ++counter;
    if (r_.details.size() >= max_) {
      r_.truncated = true;
      return;
    }
    ToolpathDifference d;
    d.type = type;
    Side(x, d.a);
    Side(y, d.b);
    r_.details.push_back(d);
  }
  static void Side(const Move* mv, DifferenceSide& s) {
    if (mv == nullptr) return;
    s.index = mv->index;
    for (int k = 0; k < 3; ++k) s.pos[k] = mv->p[k];
    s.feed = mv->feed;
    s.type = mv->type;
  }

  const std::vector<Move>& a_;
  const std::vector<Move>& b_;
  double tol2_;
  std::size_t max_;
  ToolpathComparison& r_;
};

}  // namespace

ToolpathComparison CompareToolpaths(CPointStore& a, CPointStore& b, double tolerance,
                                    std::size_t maxDetails) {
  ToolpathComparison r;
  try {
    const std::vector<Move> ma = MovesOf(a);
    const std::vector<Move> mb = MovesOf(b);
    r.movesA = ma.size();
    r.movesB = mb.size();
    Comparer(ma, mb, tolerance, maxDetails, r).Run();
  } catch (const std::bad_alloc&) {
    ToolpathComparison failed;
    failed.complete = false;
    return failed;
  }
  return r;
}

}  // namespace trevalon
