#include "feed/master_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>

#include "model/point_store.h"
#include "model/statistics.h"
#include "model/undo_ring.h"
#include "platform/file_io.h"

namespace trevalon {

namespace {

constexpr std::size_t kTextBlock = 100;  // the header text, always zero
constexpr std::size_t kFileHeader = kTextBlock + sizeof(MeshHeader);
constexpr std::size_t kFileCellBytes = 6;  // height f32 + slope i16

// The refinement rule keeps the fine grid near 60 000 000 / 14 cells (about 70 MB); only a
// tolerance far too small for the toolpath's extent (a refinement below 1, taken as 1) asks
// for more. Beyond twice that the grid is refused like memory that cannot be had.
constexpr double kMaxGridCells = 8.0 * 1024 * 1024;
constexpr double kMaxSampledCells = 1u << 30;

std::unique_ptr<MeshCell[]> AllocateCells(std::size_t n) {
  return std::unique_ptr<MeshCell[]>(new (std::nothrow) MeshCell[n]);
}

// ---- Little-endian fields, whatever the host's byte order ------------------------------------
void PutBytes(std::string& out, std::uint64_t v, int n) {
  for (int b = 0; b < n; ++b) out.push_back(static_cast<char>((v >> (8 * b)) & 0xFF));
}
void PutDouble(std::string& out, double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, 8);
  PutBytes(out, v, 8);
}
void PutFloat(std::string& out, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  PutBytes(out, v, 4);
}
std::uint64_t GetBytes(const unsigned char* p, int n) {
  std::uint64_t v = 0;
  for (int b = n - 1; b >= 0; --b) v = (v << 8) | p[b];
  return v;
}
double GetDouble(const unsigned char* p) {
  std::uint64_t v = GetBytes(p, 8);
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}
float GetFloat(const unsigned char* p) {
  auto v = static_cast<std::uint32_t>(GetBytes(p, 4));
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

// The slope between two cell heights one cell apart, in whole degrees 0 to 90, truncated.
// Heights are single precision, so a wall that rises exactly one cell size per cell comes out
// a few millionths of a degree either side of 45; the allowance of a thousandth of a degree
// before truncation keeps such slopes at their whole degree instead of dropping one at random.
std::int16_t SlopeDegrees(double dz, double cellSize) {
  double deg = std::atan2(std::fabs(dz), cellSize) * (180.0 / 3.14159265358979323846);
  return static_cast<std::int16_t>(deg + 1e-3);
}

// Gap filling along one line of n fine cells: a row when `alongX`, else a column. `at(m)` gives
// the m-th cell of the line, `setNode(cell, m)` puts a filled cell on its node. Cells from
// index 1 that have a height are joined to the nearest earlier cell with a height when that
// lies at most reach - 1 cells back: both ends move to their nodes along the line (node = index
// x spacing) with the heights of the straight line through the two samples, and the cells
// between get heights on that line at their nodes.
template <typename At, typename SetNode>
void FillLine(std::uint32_t n, std::int64_t reach, double spacing, At at, SetNode setNode,
              bool alongX) {
  std::int64_t last = -1;
  for (std::uint32_t m = 0; m < n; ++m) {
    MeshCell& b = at(m);
    if (!b.HasHeight()) continue;
    if (m >= 1 && last >= 0 && static_cast<std::int64_t>(m) - last <= reach - 1) {
      auto c = static_cast<std::uint32_t>(last);
      MeshCell& a = at(c);
      double ca = alongX ? a.x : a.y, cb = alongX ? b.x : b.y;
      double za = a.z, zb = b.z;
      double nodeA = c * spacing, nodeB = m * spacing;
      double slope = cb != ca ? (zb - za) / (cb - ca) : 0.0;
      double zA = za + slope * (nodeA - ca);
      double zB = za + slope * (nodeB - ca);
      (alongX ? a.x : a.y) = static_cast<float>(nodeA);
      (alongX ? b.x : b.y) = static_cast<float>(nodeB);
      a.z = static_cast<float>(zA);
      b.z = static_cast<float>(zB);
      for (std::uint32_t g = c + 1; g < m; ++g) {
        MeshCell& between = at(g);
        // Filled cells sit on their nodes in both directions, so that the second pass
        // (along the other axis) sees proper sample positions for them.
        setNode(between, g);
        between.z = static_cast<float>(zA + (zB - zA) * (g - c) / static_cast<double>(m - c));
      }
    }
    last = m;
  }
}

}  // namespace

// ---- Query ---------------------------------------------------------------------------------

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

MasterGrid MasterModel::Grid() const {
  MasterGrid g;
  if (!Exists()) return g;
  g.originX = header.originX;
  g.originY = header.originY;
  g.cellSize = header.cellSize;
  g.columns = header.columns;
  g.rows = header.rows;
  g.cells = cells_.get();
  return g;
}

void MasterModel::Release() {
  cells_.reset();
  header = MeshHeader{};
  shown = 0;  // nothing to draw
}

// ---- Creation ------------------------------------------------------------------------------

int MasterModel::Create(CPointStore& st, CUndoRing& undo, bool* memoryFailed) {
  if (memoryFailed) *memoryFailed = false;
  if (st.count < 5) return 0;
  const double tol = tolerance;
  if (!(tol > 0.0) || !std::isfinite(tol)) return 0;

  // A store without any linear feed move has no box (Extent leaves it inverted).
  double lo[3], hi[3];
  if (!st.Extent(lo, hi) || lo[0] > hi[0] || lo[1] > hi[1]) {
    Release();
    return -1;
  }

  MeshHeader h;
  h.originX = lo[0] - tol;
  h.originY = lo[1] - tol;
  h.lowZ = lo[2];
  h.toolDiameter = toolDiameter + 2.0 * allowance;
  h.exists = 1;

  // Refinement: five fine cells per tolerance, fewer when the coarse grid is so large that
  // columns x rows x 350 passes 60 000 000.
  double coarse = std::trunc((hi[0] - lo[0]) / tol) * std::trunc((hi[1] - lo[1]) / tol);
  int k = 5;
  if (coarse * 350.0 > 60000000.0) k = static_cast<int>(std::sqrt(60000000.0 / (coarse * 14.0)));
  if (k < 1) k = 1;
  const double fine = tol / k;

  // The toolpath is taken shifted by minus the origin, as the store holds it: every value is
  // rounded to the store's single precision. The shift is applied while reading rather than
  // written back, since the store is emptied afterwards and its undo snapshot should hold the
  // toolpath as the user had it.
  auto shiftX = [&](double x) { return static_cast<double>(static_cast<float>(x - h.originX)); };
  auto shiftY = [&](double y) { return static_cast<double>(static_cast<float>(y - h.originY)); };
  h.highX = shiftX(hi[0]);  // the shift keeps the order, so the box's top is the shifted top
  h.highY = shiftY(hi[1]);
  h.highZ = hi[2];

  double fineCols = std::trunc(h.highX / fine) + 1.0;
  double fineRows = std::trunc(h.highY / fine) + 1.0;
  if (!(fineCols * fineRows <= kMaxGridCells)) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }
  const auto cols = static_cast<std::uint32_t>(fineCols);
  const auto rows = static_cast<std::uint32_t>(fineRows);
  const std::size_t fineCount = static_cast<std::size_t>(cols) * rows;
  std::unique_ptr<MeshCell[]> grid = AllocateCells(fineCount);
  if (!grid) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }

  // Sampling: each fine cell keeps the sample nearest to its node in XY.
  MeshCell* g = grid.get();
  auto record = [&](double x, double y, double z) {
    double cx = x / fine, cy = y / fine;
    if (!(cx > -1.0 && cx < fineCols && cy > -1.0 && cy < fineRows)) return;
    auto i = static_cast<std::uint32_t>(cx);
    auto j = static_cast<std::uint32_t>(cy);
    MeshCell& c = g[static_cast<std::size_t>(j) * cols + i];
    double nx = i * fine, ny = j * fine;
    double d = (x - nx) * (x - nx) + (y - ny) * (y - ny);
    if (c.HasHeight()) {
      double e = (c.x - nx) * (c.x - nx) + (c.y - ny) * (c.y - ny);
      if (!(d < e)) return;
    }
    c.x = static_cast<float>(x);
    c.y = static_cast<float>(y);
    c.z = static_cast<float>(z);
  };
  bool havePrev = false;
  double px = 0, py = 0, pz = 0;
  for (std::uint32_t n = 0; n < st.count; ++n) {
    if (!st.FetchPoint(n) || !IsMotionType(st.reg.type)) continue;
    double x = shiftX(st.reg.x), y = shiftY(st.reg.y), z = st.reg.z;
    if (IsLinearType(st.reg.type) && havePrev) {
      double dx = x - px, dy = y - py, dz = z - pz;
      double len = FlooredSqrt(dx * dx + dy * dy + dz * dz);
      double uz = len > 0.0 ? dz / len : 0.0;
      if (uz == 1.0 || uz == -1.0) {
        // A plunge or a lift marks only the cell of its lower end.
        if (dz < 0)
          record(x, y, z);
        else
          record(px, py, pz);
      } else {
        double lead = std::fabs(dx) >= std::fabs(dy) ? dx : dy;
        double cells = std::trunc(std::fabs(lead) / fine);
        // Only a damaged record (Y is not range-checked by the store) makes a move that long;
        // its samples could not lie in the grid anyway.
        if (!(cells < kMaxSampledCells)) {
          px = x, py = y, pz = z;
          continue;
        }
        std::int64_t steps = 2 * static_cast<std::int64_t>(cells) + 1;
        for (std::int64_t s = 0; s < steps; ++s) {
          double f = static_cast<double>(s) / steps;
          record(std::fabs(dx) < 0.001 ? px : px + dx * f, std::fabs(dy) < 0.001 ? py : py + dy * f,
                 std::fabs(dz) < 0.001 ? pz : pz + dz * f);
        }
      }
    }
    px = x;
    py = y;
    pz = z;
    havePrev = true;
  }

  // Gap filling: along rows, then along columns, reaching 2 x 2.0 / fine spacing cells.
  const auto reach = static_cast<std::int64_t>(std::min(2.0 * 2.0 / fine, kMaxGridCells));
  for (std::uint32_t j = 1; j < rows; ++j) {
    MeshCell* row = g + static_cast<std::size_t>(j) * cols;
    FillLine(
        cols, reach, fine, [&](std::uint32_t m) -> MeshCell& { return row[m]; },
        [&](MeshCell& c, std::uint32_t m) {
          c.x = static_cast<float>(m * fine);
          c.y = static_cast<float>(j * fine);
        },
        true);
  }
  for (std::uint32_t i = 1; i < cols; ++i) {
    FillLine(
        rows, reach, fine,
        [&](std::uint32_t m) -> MeshCell& { return g[static_cast<std::size_t>(m) * cols + i]; },
        [&](MeshCell& c, std::uint32_t m) {
          c.x = static_cast<float>(i * fine);
          c.y = static_cast<float>(m * fine);
        },
        false);
  }

  // Coarsening: every k-th fine cell in both directions becomes a cell of the mesh.
  const std::uint32_t ccols = cols / k, crows = rows / k;
  if (ccols == 0 || crows == 0) {
    Release();
    return -1;
  }
  std::unique_ptr<MeshCell[]> mesh = AllocateCells(static_cast<std::size_t>(ccols) * crows);
  if (!mesh) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }
  for (std::uint32_t j = 0; j < crows; ++j)
    for (std::uint32_t i = 0; i < ccols; ++i)
      mesh[static_cast<std::size_t>(j) * ccols + i] =
          g[static_cast<std::size_t>(j) * k * cols + static_cast<std::size_t>(i) * k];
  grid.reset();
  h.columns = ccols;
  h.rows = crows;
  h.cellCount = ccols * crows;
  h.cellSize = tol;

  // Slopes, from column 1 and row 1: against the left neighbour (column 2 for column 1; the
  // right one when the left is empty), and against the one below (row 2 for row 1; the one
  // above when that below is empty). A cell without a height has no slope.
  auto at = [&](std::uint32_t i, std::uint32_t j) -> MeshCell& {
    return mesh[static_cast<std::size_t>(j) * ccols + i];
  };
  for (std::uint32_t j = 1; j < crows; ++j) {
    for (std::uint32_t i = 1; i < ccols; ++i) {
      MeshCell& c = at(i, j);
      if (!c.HasHeight()) continue;
      std::int16_t sx = 0, sy = 0;
      std::uint32_t ni = i == 1 ? 2 : i - 1;
      if (i > 1 && !at(ni, j).HasHeight() && i + 1 < ccols) ni = i + 1;
      if (ni < ccols && at(ni, j).HasHeight()) sx = SlopeDegrees(at(ni, j).z - c.z, tol);
      std::uint32_t nj = j == 1 ? 2 : j - 1;
      if (j > 1 && !at(i, nj).HasHeight() && j + 1 < crows) nj = j + 1;
      if (nj < crows && at(i, nj).HasHeight()) sy = SlopeDegrees(at(i, nj).z - c.z, tol);
      c.slope = std::max(sx, sy);
    }
  }

  cells_ = std::move(mesh);
  header = h;
  // The toolpath that served for the mesh leaves the document (undo brings it back).
  st.Clear(undo);
  return 1;
}

// ---- Files ---------------------------------------------------------------------------------

std::string MasterModel::FileBytes() const {
  std::string out;
  const std::uint32_t n = CellCount();
  out.reserve(kFileHeader + kFileCellBytes * static_cast<std::size_t>(n));
  out.append(kTextBlock, '\0');
  const MeshHeader& h = header;
  for (double d :
       {h.originX, h.originY, h.lowZ, h.highX, h.highY, h.highZ, h.toolDiameter, h.cellSize})
    PutDouble(out, d);
  for (std::uint32_t v : {n, h.columns, h.rows, h.reserved1, h.exists, h.reserved2})
    PutBytes(out, v, 4);
  for (std::uint32_t i = 0; i < n; ++i) {
    PutFloat(out, cells_[i].z);
    PutBytes(out, static_cast<std::uint16_t>(cells_[i].slope), 2);
  }
  return out;
}

int MasterModel::ReadBytes(std::string_view bytes, std::string* why) {
  auto refuse = [&](const char* reason) {
    if (why) *why = reason;
    return 0;
  };
  if (bytes.size() < kFileHeader) return refuse("the file is shorter than its header");
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + kTextBlock;
  MeshHeader h;
  double* reals[] = {&h.originX, &h.originY, &h.lowZ,         &h.highX,
                     &h.highY,   &h.highZ,   &h.toolDiameter, &h.cellSize};
  for (double* r : reals) {
    *r = GetDouble(p);
    p += 8;
  }
  std::uint32_t* counts[] = {&h.cellCount, &h.columns, &h.rows,
                             &h.reserved1, &h.exists,  &h.reserved2};
  for (std::uint32_t* c : counts) {
    *c = static_cast<std::uint32_t>(GetBytes(p, 4));
    p += 4;
  }
  if (static_cast<std::uint64_t>(h.columns) * h.rows != h.cellCount)
    return refuse("the cell count is not columns x rows");
  if (h.cellCount == 0) return refuse("the mesh holds no cell");
  // Checked before anything is allocated: the cells must really be in the file.
  if ((bytes.size() - kFileHeader) / kFileCellBytes < h.cellCount)
    return refuse("the file is shorter than its header says");
  if (!(h.cellSize > 0.0) || !std::isfinite(h.cellSize) || !std::isfinite(h.originX) ||
      !std::isfinite(h.originY))
    return refuse("the grid's origin or cell size is not a usable number");
  std::unique_ptr<MeshCell[]> cells = AllocateCells(h.cellCount);
  if (!cells) return refuse("no memory for the mesh");
  for (std::uint32_t i = 0; i < h.cellCount; ++i) {
    // Node positions are not kept in the file: they stay empty.
    cells[i].z = GetFloat(p);
    cells[i].slope = static_cast<std::int16_t>(GetBytes(p + 4, 2));
    p += kFileCellBytes;
  }
  h.exists = 1;
  cells_ = std::move(cells);
  header = h;
  return 1;
}

}  // namespace trevalon
