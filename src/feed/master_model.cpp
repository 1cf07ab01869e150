#include "feed/master_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <new>

#include "model/point_store.h"
#include "model/statistics.h"
#include "model/undo_ring.h"
#include "platform/file_io.h"

namespace trevalon {

namespace {

// The refinement rule keeps the fine grid near 60 000 000 / 14 cells (about 70 MB); only a
// tolerance far too small for the toolpath's extent (a refinement below 1, taken as 1) asks
// for more. Beyond twice that the grid is refused like memory that cannot be had.
constexpr double kMaxGridCells = MasterModel::kMaxCells;
constexpr double kMaxSampledCells = 1u << 30;

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

// The fine grid of a creation: cols x rows cells `fine` apart, the first node at the mesh's
// origin (the toolpath is read shifted by minus the origin).
struct FineGrid {
  MeshCell* cells = nullptr;
  std::uint32_t cols = 0, rows = 0;
  double fine = 0, fineCols = 0, fineRows = 0;
};

// The store's single-precision value of a coordinate shifted by minus the origin: the
// toolpath is taken shifted as the store would hold it. The shift is applied while reading
// rather than written back, since the store is emptied afterwards and its undo snapshot should
// hold the toolpath as the user had it.
double Shifted(double v, double origin) {
  return static_cast<double>(static_cast<float>(v - origin));
}

// Refinement: five fine cells per tolerance, fewer when the coarse grid is so large that
// columns x rows x 350 passes 60 000 000.
int Refinement(const double lo[3], const double hi[3], double tol) {
  double coarse = std::trunc((hi[0] - lo[0]) / tol) * std::trunc((hi[1] - lo[1]) / tol);
  int k = 5;
  if (coarse * 350.0 > 60000000.0) k = static_cast<int>(std::sqrt(60000000.0 / (coarse * 14.0)));
  if (k < 1) k = 1;
  return k;
}

// Sampling: each fine cell keeps the sample nearest to its node in XY.
void SampleToolpath(CPointStore& st, const MeshHeader& h, const FineGrid& grid) {
  MeshCell* g = grid.cells;
  const double fine = grid.fine, fineCols = grid.fineCols, fineRows = grid.fineRows;
  const std::uint32_t cols = grid.cols;
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
    double x = Shifted(st.reg.x, h.originX), y = Shifted(st.reg.y, h.originY), z = st.reg.z;
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
}

// Gap filling: along rows, then along columns, reaching 2 x 2.0 / fine spacing cells.
void FillGaps(const FineGrid& grid) {
  MeshCell* g = grid.cells;
  const double fine = grid.fine;
  const std::uint32_t cols = grid.cols, rows = grid.rows;
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
}

// Coarsening: every k-th fine cell in both directions becomes a cell of the mesh.
void Coarsen(const FineGrid& grid, std::uint32_t k, MeshCell* mesh, std::uint32_t ccols,
             std::uint32_t crows) {
  for (std::uint32_t j = 0; j < crows; ++j)
    for (std::uint32_t i = 0; i < ccols; ++i)
      mesh[static_cast<std::size_t>(j) * ccols + i] =
          grid.cells[static_cast<std::size_t>(j) * k * grid.cols + static_cast<std::size_t>(i) * k];
}

// Slopes, from column 1 and row 1: against the left neighbour (column 2 for column 1; the
// right one when the left is empty), and against the one below (row 2 for row 1; the one
// above when that below is empty). A cell without a height has no slope.
void ComputeSlopes(MeshCell* mesh, std::uint32_t ccols, std::uint32_t crows, double tol) {
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
}

// The toolpath that served for the mesh leaves the document; the undo snapshot taken first
// brings it back.
void EmptyToolpathIntoUndo(CPointStore& st, CUndoRing& undo) {
  st.Clear(undo, Txt::CmdMasterModel);
}

}  // namespace

std::unique_ptr<MeshCell[]> MasterModel::AllocateCells(std::size_t n) {
  return std::unique_ptr<MeshCell[]>(new (std::nothrow) MeshCell[n]);
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
  h.highX = Shifted(hi[0], h.originX);  // the shift keeps the order: the box's top shifted
  h.highY = Shifted(hi[1], h.originY);
  h.highZ = hi[2];

  const int k = Refinement(lo, hi, tol);
  FineGrid fine;
  fine.fine = tol / k;
  fine.fineCols = std::trunc(h.highX / fine.fine) + 1.0;
  fine.fineRows = std::trunc(h.highY / fine.fine) + 1.0;
  if (!(fine.fineCols * fine.fineRows <= kMaxGridCells)) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }
  fine.cols = static_cast<std::uint32_t>(fine.fineCols);
  fine.rows = static_cast<std::uint32_t>(fine.fineRows);
  std::unique_ptr<MeshCell[]> grid = AllocateCells(static_cast<std::size_t>(fine.cols) * fine.rows);
  if (!grid) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }
  fine.cells = grid.get();

  SampleToolpath(st, h, fine);
  FillGaps(fine);

  const std::uint32_t ccols = fine.cols / k, crows = fine.rows / k;
  if (ccols == 0 || crows == 0) {
    Release();
    return -1;
  }
  std::unique_ptr<MeshCell[]> mesh = AllocateCells(static_cast<std::size_t>(ccols) * crows);
  if (!mesh) {
    if (memoryFailed) *memoryFailed = true;
    return 0;
  }
  Coarsen(fine, static_cast<std::uint32_t>(k), mesh.get(), ccols, crows);
  grid.reset();
  h.columns = ccols;
  h.rows = crows;
  h.cellCount = ccols * crows;
  h.cellSize = tol;
  ComputeSlopes(mesh.get(), ccols, crows, tol);

  cells_ = std::move(mesh);
  header = h;
  EmptyToolpathIntoUndo(st, undo);
  return 1;
}

}  // namespace trevalon
