// The master-model queries: the plain walk of the grid (MasterGrid::MaxSlopeAbove) and the
// optimiser's prepared query (MasterQuery), which answers as the plain walk bit for bit from
// a table of the circle and the cells gathered per node.
#include "feed/master_query.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace trevalon {

int MasterGrid::MaxSlopeAbove(double x, double y, double z, double radius) const {
  if (cells == nullptr || columns < 2 || rows < 2 || !(cellSize > 0.0) || !(radius >= 0.0))
    return 0;
  // Snap to the nearest node; ceil(f - 0.5) sends a tie to the lower node.
  double nx = std::ceil((x - originX) / cellSize - 0.5);
  double ny = std::ceil((y - originY) / cellSize - 0.5);
  if (!std::isfinite(nx) || !std::isfinite(ny) || !std::isfinite(radius)) return 0;
  double sx = nx * cellSize, sy = ny * cellSize;
  double c0 = std::max(1.0, std::trunc((sx - radius) / cellSize));
  double c1 = std::min(columns - 1.0, std::trunc((sx + radius) / cellSize));
  double r0 = std::max(1.0, std::trunc((sy - radius) / cellSize));
  double r1 = std::min(rows - 1.0, std::trunc((sy + radius) / cellSize));
  if (c0 > c1 || r0 > r1) return 0;
  int best = 0;
  for (auto j = static_cast<std::uint32_t>(r0); j <= static_cast<std::uint32_t>(r1); ++j) {
    const MeshCell* row = cells + static_cast<std::size_t>(j) * columns;
    double dj = j - ny;
    for (auto i = static_cast<std::uint32_t>(c0); i <= static_cast<std::uint32_t>(c1); ++i) {
      double di = i - nx;
      if (std::sqrt(di * di + dj * dj) * cellSize > radius) continue;
      const MeshCell& c = row[i];
      if (c.z > z && c.slope > best) best = c.slope;
    }
  }
  return best;
}

namespace {

bool SameReal(double a, double b) {
  return a == b || (a != a && b != b);
}

// The largest float not above z (not a number for z not a number, above which nothing
// lies either). A cell height, a float, lies above z exactly when it lies above this value,
// so that the gathered heights can be compared in single precision without changing a
// single answer.
float FloatAtOrBelow(double z) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr double kTop = std::numeric_limits<float>::max();
  if (z == static_cast<double>(kInf)) return kInf;
  if (z >= kTop) return std::numeric_limits<float>::max();
  if (z < -kTop) return -kInf;
  float t = static_cast<float>(z);
  if (static_cast<double>(t) > z) t = std::nextafter(t, -kInf);
  return t;
}

}  // namespace

void MasterQuery::Prepare(const MasterGrid& grid, double radius, double floor) {
  grid_ = grid;
  radius_ = radius;
  floor_ = floor;
  // A slope (a whole number of 16 bits) lies above the floor exactly when it reaches this.
  if (!(floor < 32767.0))
    steepFrom_ = 32768;  // none, nor for a floor that is not a number
  else if (floor < -32768.0)
    steepFrom_ = -32768;
  else
    steepFrom_ = static_cast<int>(std::floor(floor)) + 1;
  prepared_ = true;
  tabled_ = false;
  reach_ = -1;
  halfWidth_.clear();
  haveLast_ = haveCurrent_ = false;
  circles_.clear();
  const double cs = grid.cellSize;
  if (!grid.preparedQuery || grid.cells == nullptr || grid.columns < 2 || grid.rows < 2 ||
      !(cs > 0.0) || !std::isfinite(cs) || !(radius >= 0.0) || !std::isfinite(radius))
    return;
  // The plain query's own test for a cell di columns and dj rows from the node. Square root
  // and product are both rounded monotonically, so the cells of a row that pass it are those
  // up to some distance from the node, and the rows that hold any are those up to the reach.
  auto outside = [&](std::int64_t di, std::int64_t dj) {
    return std::sqrt(static_cast<double>(di * di + dj * dj)) * cs > radius;
  };
  if (!outside(0, kMaxReach + 1)) return;  // a circle too wide for the tables
  int reach = 0;
  while (!outside(0, reach + 1)) ++reach;
  halfWidth_.resize(static_cast<std::size_t>(reach) + 1);
  for (int dj = 0; dj <= reach; ++dj) {
    int w = 0;
    while (!outside(w + 1, dj)) ++w;
    halfWidth_[dj] = w;
  }
  reach_ = reach;
  // Room for every cell of the square around the node, and one more: the gathering loops
  // write each cell they see before they decide whether to count it.
  room_ = static_cast<std::size_t>(2 * reach + 1) * (2 * reach + 1) + 1;
  // Up to 1024 circles, in no more than about 6 MB.
  const std::size_t slots = std::clamp<std::size_t>((1u << 20) / room_, 1, 1024);
  try {
    circles_.assign(slots, Circle{});
    heights_.assign(slots * room_, 0.0f);
    slopes_.assign(slots * room_, 0);
  } catch (const std::bad_alloc&) {
    circles_.clear();  // without the memory every point is asked of the grid afresh
    return;
  }
  tabled_ = true;
}

bool MasterQuery::PreparedFor(const MasterGrid& grid, double radius, double floor) const {
  return prepared_ && grid.cells == grid_.cells && grid.columns == grid_.columns &&
         grid.rows == grid_.rows && grid.preparedQuery == grid_.preparedQuery &&
         SameReal(grid.originX, grid_.originX) && SameReal(grid.originY, grid_.originY) &&
         SameReal(grid.cellSize, grid_.cellSize) && SameReal(radius, radius_) &&
         SameReal(floor, floor_);
}

template <typename Visit>
void MasterQuery::ForEachRow(double nx, double ny, Visit visit) const {
  // The square of columns and rows that the plain query examines, computed as it does: its
  // truncations decide which cells at the rim of the circle are looked at.
  const double cs = grid_.cellSize, radius = radius_;
  const double sx = nx * cs, sy = ny * cs;
  const double c0 = std::max(1.0, std::trunc((sx - radius) / cs));
  const double c1 = std::min(grid_.columns - 1.0, std::trunc((sx + radius) / cs));
  double r0 = std::max(1.0, std::trunc((sy - radius) / cs));
  double r1 = std::min(grid_.rows - 1.0, std::trunc((sy + radius) / cs));
  if (c0 > c1 || r0 > r1) return;
  // A square that meets the grid keeps the node within a few cells of it, so that every
  // difference below is a small whole number, exact in double precision.
  r0 = std::max(r0, ny - reach_);
  r1 = std::min(r1, ny + reach_);
  if (r0 > r1) return;
  for (auto j = static_cast<std::uint32_t>(r0); j <= static_cast<std::uint32_t>(r1); ++j) {
    const int w = halfWidth_[static_cast<std::size_t>(std::fabs(j - ny))];
    const double first = std::max(c0, nx - w), last = std::min(c1, nx + w);
    if (first > last) continue;
    visit(grid_.cells + static_cast<std::size_t>(j) * grid_.columns,
          static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last));
  }
}

int MasterQuery::ScanGrid(double nx, double ny, double z) const {
  int best = 0;
  ForEachRow(nx, ny, [&](const MeshCell* row, std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t i = first; i <= last; ++i) {
      const int s = row[i].slope & -static_cast<int>(row[i].z > z);
      best = s > best ? s : best;
    }
  });
  return best;
}

std::size_t MasterQuery::SlotOf(double nx, double ny) const {
  // Nodes along a row and along a column fall into different slots; a node far outside the
  // grid (its circle holds no cell) into any.
  constexpr double kFar = 1e9;
  if (!(std::fabs(nx) < kFar && std::fabs(ny) < kFar)) return 0;
  const auto key = static_cast<std::int64_t>(nx) + 7919 * static_cast<std::int64_t>(ny);
  const auto slots = static_cast<std::int64_t>(circles_.size());
  return static_cast<std::size_t>((key % slots + slots) % slots);
}

void MasterQuery::Gather(std::size_t slot, bool steep) {
  Circle& circle = circles_[slot];
  float* h = heights_.data() + slot * room_;
  std::int16_t* s = slopes_.data() + slot * room_;
  if (steep) {
    std::size_t n = 0;
    ForEachRow(circle.nx, circle.ny,
               [&](const MeshCell* row, std::uint32_t first, std::uint32_t last) {
                 for (std::uint32_t i = first; i <= last; ++i) {
                   // Every cell is written and only the steep ones counted, so that the loop
                   // does not branch.
                   h[n] = row[i].z;
                   s[n] = row[i].slope;
                   n += row[i].slope >= steepFrom_;
                 }
               });
    circle.steep = n;
    circle.shallowFrom = kNoShallow;
    circle.valid = true;
  } else {
    // The others, behind the steep ones, for the first point at this node that needs them.
    std::size_t n = circle.steep;
    ForEachRow(circle.nx, circle.ny,
               [&](const MeshCell* row, std::uint32_t first, std::uint32_t last) {
                 for (std::uint32_t i = first; i <= last; ++i) {
                   h[n] = row[i].z;
                   s[n] = row[i].slope;
                   n += row[i].slope < steepFrom_;
                 }
               });
    circle.shallowFrom = circle.steep;
    circle.shallowTo = n;
  }
}

int MasterQuery::ScanList(double z, bool steepOnly) {
  // Heights are compared in single precision against the largest float not above z, which
  // gives the same verdict as the plain comparison; a height that is not a number is above
  // no threshold, like above no point, and a slope below 1 never wins over the answer 0.
  const float t = FloatAtOrBelow(z);
  auto scan = [t](const float* h, const std::int16_t* s, std::size_t n) {
    std::int16_t best = 0;
    for (std::size_t k = 0; k < n; ++k) {
      // Both loads are unconditional and the choice a mask, so that the loop vectorizes.
      const auto v = static_cast<std::int16_t>(s[k] & -static_cast<std::int16_t>(h[k] > t));
      best = v > best ? v : best;
    }
    return static_cast<int>(best);
  };
  const Circle& circle = circles_[current_];
  const float* h = heights_.data() + current_ * room_;
  const std::int16_t* s = slopes_.data() + current_ * room_;
  // Any steep cell above the point outranks every other one; without one, the answer of a
  // steep-only query is 0, and the other cells decide the full answer.
  int best = scan(h, s, circle.steep);
  if (steepOnly || best > 0) return best;
  if (circle.shallowFrom == kNoShallow) Gather(current_, false);
  return scan(h + circle.shallowFrom, s + circle.shallowFrom,
              circle.shallowTo - circle.shallowFrom);
}

int MasterQuery::Query(double x, double y, double z, bool steepOnly) {
  if (!tabled_) return grid_.MaxSlopeAbove(x, y, z, radius_);
  // The snapped node, as the plain query finds it.
  const double cs = grid_.cellSize;
  const double nx = std::ceil((x - grid_.originX) / cs - 0.5);
  const double ny = std::ceil((y - grid_.originY) / cs - 0.5);
  if (!std::isfinite(nx) || !std::isfinite(ny)) return 0;
  const bool same = haveCurrent_ && nx == circles_[current_].nx && ny == circles_[current_].ny;
  if (!same) {
    const std::size_t slot = SlotOf(nx, ny);
    Circle& circle = circles_[slot];
    if (!(circle.valid && nx == circle.nx && ny == circle.ny)) {
      // A circle is worth gathering for a node met twice in a row, and for any node while
      // the points keep coming several to a node.
      const bool repeated = haveLast_ && nx == lastX_ && ny == lastY_;
      lastX_ = nx;
      lastY_ = ny;
      haveLast_ = true;
      if (!repeated && !(haveCurrent_ && uses_ >= 2)) {
        haveCurrent_ = false;
        return ScanGrid(nx, ny, z);
      }
      circle.nx = nx;
      circle.ny = ny;
      Gather(slot, true);
    }
    current_ = slot;
    haveCurrent_ = true;
    uses_ = 0;
  }
  ++uses_;
  return ScanList(z, steepOnly);
}

}  // namespace trevalon
