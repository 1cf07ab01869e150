// The master rule's prepared query against the plain one. The plain grid walk, kept here as
// it was written before the query was prepared, must give every answer the prepared query
// gives, on awkward grids, radii and points; and the optimiser must write the same output,
// record for record and bit for bit, whichever of the two it asks.

#include "feed/master_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "feed/feed_control.h"
#include "feed/feed_engine.h"
#include "feed/master_model.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

// Every cell of the square around the snapped node, each with its distance: the query as
// the grid answered it before it was prepared.
int ReferenceQuery(const MasterGrid& g, double x, double y, double z, double radius) {
  if (g.cells == nullptr || g.columns < 2 || g.rows < 2 || !(g.cellSize > 0.0) || !(radius >= 0.0))
    return 0;
  double nx = std::ceil((x - g.originX) / g.cellSize - 0.5);
  double ny = std::ceil((y - g.originY) / g.cellSize - 0.5);
  if (!std::isfinite(nx) || !std::isfinite(ny) || !std::isfinite(radius)) return 0;
  double sx = nx * g.cellSize, sy = ny * g.cellSize;
  double c0 = std::max(1.0, std::trunc((sx - radius) / g.cellSize));
  double c1 = std::min(g.columns - 1.0, std::trunc((sx + radius) / g.cellSize));
  double r0 = std::max(1.0, std::trunc((sy - radius) / g.cellSize));
  double r1 = std::min(g.rows - 1.0, std::trunc((sy + radius) / g.cellSize));
  if (c0 > c1 || r0 > r1) return 0;
  int best = 0;
  for (auto j = static_cast<std::uint32_t>(r0); j <= static_cast<std::uint32_t>(r1); ++j) {
    const MeshCell* row = g.cells + static_cast<std::size_t>(j) * g.columns;
    double dj = j - ny;
    for (auto i = static_cast<std::uint32_t>(c0); i <= static_cast<std::uint32_t>(c1); ++i) {
      double di = i - nx;
      if (std::sqrt(di * di + dj * dj) * g.cellSize > radius) continue;
      const MeshCell& c = row[i];
      if (c.z > z && c.slope > best) best = c.slope;
    }
  }
  return best;
}

// A mesh of random heights (some cells empty, a few not a number or infinite) and slopes
// (mostly 0 to 90, some negative or beyond 90, as a damaged file may hold).
struct RandomMesh {
  std::vector<MeshCell> cells;
  MasterGrid grid;
  RandomMesh(std::mt19937& rng, std::uint32_t columns, std::uint32_t rows, double cellSize) {
    std::uniform_real_distribution<float> height(0.0f, 10.0f);
    std::uniform_int_distribution<int> pick(0, 99), slope(0, 90), odd(-200, 400);
    cells.resize(static_cast<std::size_t>(columns) * rows);
    for (MeshCell& c : cells) {
      int p = pick(rng);
      c.z = p < 8 ? MeshCell::kEmpty : height(rng);
      if (p == 8) c.z = std::numeric_limits<float>::quiet_NaN();
      if (p == 9) c.z = std::numeric_limits<float>::infinity();
      c.slope = static_cast<std::int16_t>(p < 20 ? 0 : p < 23 ? odd(rng) : slope(rng));
    }
    grid.originX = -3.25;
    grid.originY = 7.5;
    grid.cellSize = cellSize;
    grid.columns = columns;
    grid.rows = rows;
    grid.cells = cells.data();
  }
};

// Query points: runs of close points along X and Y (several to a node, as on a toolpath),
// points on the half-way lines between nodes (ties), jumps anywhere in and around the grid,
// and heights at, just above and just below cell heights, infinite or not a number.
struct QueryPoint {
  double x, y, z;
};
std::vector<QueryPoint> QueryPoints(std::mt19937& rng, const MasterGrid& g) {
  const double w = g.columns * g.cellSize, h = g.rows * g.cellSize;
  std::uniform_real_distribution<double> ux(g.originX - 4 * g.cellSize, g.originX + w + 4);
  std::uniform_real_distribution<double> uy(g.originY - 4 * g.cellSize, g.originY + h + 4);
  std::uniform_real_distribution<double> uz(-1.0, 11.0);
  std::uniform_int_distribution<int> pick(0, 19);
  std::uniform_int_distribution<std::size_t> anyCell(0, g.columns * g.rows - 1);
  auto height = [&]() -> double {
    const float cz = g.cells[anyCell(rng)].z;
    const double special[] = {cz,
                              std::nextafter(double(cz), kInf),
                              std::nextafter(double(cz), -kInf),
                              std::nextafter(cz, std::numeric_limits<float>::infinity()),
                              kInf,
                              -kInf,
                              kNaN,
                              1e300};
    const int k = pick(rng);
    return k < 8 ? special[k] : uz(rng);
  };
  std::vector<QueryPoint> pts;
  for (int run = 0; run < 120; ++run) {
    double x = ux(rng), y = uy(rng);
    if (run % 5 == 0) x = g.originX + (std::floor((x - g.originX) / g.cellSize) + 0.5) * g.cellSize;
    if (run % 7 == 0) y = g.originY + (std::floor((y - g.originY) / g.cellSize) + 0.5) * g.cellSize;
    const bool alongX = run % 2 == 0;
    const int steps = run % 3 == 0 ? 1 : 25;
    for (int k = 0; k < steps; ++k) {
      pts.push_back({x, y, height()});
      (alongX ? x : y) += 0.09 * g.cellSize;
    }
  }
  // A raster back and forth over part of the grid: its later passes meet nodes again after
  // many others.
  for (int pass = 0; pass < 6; ++pass) {
    const double y = g.originY + (3.0 + 0.4 * pass) * g.cellSize;
    for (int k = 0; k < 120; ++k) {
      const double f = pass % 2 ? 120 - k : k;
      pts.push_back({g.originX + f * 0.3 * g.cellSize, y, height()});
    }
  }
  pts.push_back({kNaN, g.originY + 2, 0.0});
  pts.push_back({g.originX + 2, kInf, 0.0});
  pts.push_back({1e300, 1e300, 0.0});
  return pts;
}

TEST(PreparedMasterQuery, AnswersAsThePlainGridWalkOnAwkwardGridsRadiiAndPoints) {
  std::mt19937 rng(20240611);
  int compared = 0, found = 0;
  for (double cellSize : {1.0, 0.7, 1.3, 0.25}) {
    RandomMesh mesh(rng, 37, 29, cellSize);
    const MasterGrid& g = mesh.grid;
    const std::vector<QueryPoint> pts = QueryPoints(rng, g);
    // Radii on the rim of whole cells (the distance test decides there), between them, none,
    // one wider than the tables (asked of the grid afresh), and unusable ones.
    const double radii[] = {0.0,
                            cellSize,
                            std::sqrt(2.0) * cellSize,
                            std::sqrt(13.0) * cellSize,
                            5.0 * cellSize,
                            5.0,
                            2.49 * cellSize,
                            (MasterQuery::kMaxReach + 3) * cellSize,
                            -1.0,
                            kNaN,
                            kInf};
    for (double radius : radii) {
      for (double floor : {10.0, 0.0, -3.0, -3.5, 45.5, kNaN}) {
        SCOPED_TRACE(::testing::Message()
                     << "cell " << cellSize << " radius " << radius << " floor " << floor);
        MasterQuery q(g, radius, floor);
        EXPECT_EQ(q.Tabled(), radius >= 0 && radius < 100 * cellSize);
        EXPECT_TRUE(q.PreparedFor(g, radius, floor));
        for (std::size_t k = 0; k < pts.size(); ++k) {
          const QueryPoint& p = pts[k];
          const int want = ReferenceQuery(g, p.x, p.y, p.z, radius);
          // Up to the floor any answer not above it will do.
          auto steepRight = [&](int steep) {
            return want > floor ? steep == want : !(steep > floor);
          };
          // Both kinds in changing order: the steep cells alone serve some points of a node,
          // and the others are gathered when a later point of it needs them.
          int full, steep = want;
          if (k % 3 == 0) {
            steep = q.SteepSlopeAbove(p.x, p.y, p.z);
            full = q.MaxSlopeAbove(p.x, p.y, p.z);
          } else {
            full = q.MaxSlopeAbove(p.x, p.y, p.z);
            if (k % 3 == 1) steep = q.SteepSlopeAbove(p.x, p.y, p.z);
          }
          ASSERT_EQ(full, want) << "point " << k << " (" << p.x << ", " << p.y << ", " << p.z
                                << ")";
          ASSERT_TRUE(steepRight(steep)) << "point " << k << ": " << steep << " for " << want;
          ASSERT_EQ(g.MaxSlopeAbove(p.x, p.y, p.z, radius), want) << "point " << k;
          ++compared;
          found += want > 0;
        }
      }
    }
  }
  // The points meet material often enough for the comparison to mean something.
  EXPECT_GT(found, compared / 4);
}

TEST(PreparedMasterQuery, PreparationFollowsTheGridRadiusAndFloor) {
  std::mt19937 rng(7);
  RandomMesh mesh(rng, 12, 10, 1.0);
  MasterQuery q(mesh.grid, 3.0, 10.0);
  MasterGrid moved = mesh.grid, plain = mesh.grid;
  moved.originX += 0.5;
  plain.preparedQuery = false;
  EXPECT_EQ(std::tuple(q.Tabled(), q.PreparedFor(mesh.grid, 3.5, 10.0),
                       q.PreparedFor(mesh.grid, 3.0, 12.0), q.PreparedFor(moved, 3.0, 10.0),
                       q.PreparedFor(plain, 3.0, 10.0)),
            std::tuple(true, false, false, false, false));
  q.Prepare(plain, 3.0, 10.0);
  EXPECT_FALSE(q.Tabled());  // asked of the grid afresh
  EXPECT_EQ(q.MaxSlopeAbove(2.0, 12.0, 0.0), ReferenceQuery(plain, 2.0, 12.0, 0.0, 3.0));
  // An empty grid answers 0 either way.
  MasterQuery none(MasterGrid{}, 5.0, 0.0);
  EXPECT_EQ(std::tuple(none.Tabled(), none.MaxSlopeAbove(0, 0, 0)), std::tuple(false, 0));
}

// ---- The optimiser with a master model ---------------------------------------------------

// A finishing raster of short moves along X over a dome, a flank and a pocket wall, with
// rapids between its blocks. With `longMoves`, some passes start with one long move along the
// pass (the master rule samples it, or asks at its middle, and gives it zones) that ends on
// the gentle flank behind the steep dome it crosses, so that its end meets less steep
// material than its way; the pass then goes on in line, without a corner.
void Toolpath(CPointStore& s, bool longMoves) {
  auto surface = [](double x, double y) {
    double d = std::hypot(x - 30.0, y - 20.0);
    double z = d < 18.0 ? std::sqrt(18.0 * 18.0 - d * d) * 0.6 : 0.0;
    z += 0.12 * x;
    if (x > 45.0 && y < 12.0) z -= 6.0;
    return z;
  };
  double y = 0.0;
  for (int pass = 0; pass < 90; ++pass, y += 0.45) {
    const bool forward = pass % 2 == 0;
    auto xAt = [&](int k) { return forward ? 0.1 * k : 60.0 - 0.1 * k; };
    if (pass % 15 == 0) {
      testing::AddPoint(s, MOVE_RAPID, xAt(0), y, 30.0);
      testing::AddPoint(s, MOVE_RAPID_CONT, xAt(0), y, surface(xAt(0), y) + 2.0);
      testing::AddPoint(s, MOVE_LINE, xAt(0), y, surface(xAt(0), y), 300);
    } else {
      testing::AddPoint(s, MOVE_LINE_CONT, xAt(0), y, surface(xAt(0), y), 1200);
    }
    int from = 1;
    if (longMoves && (pass % 9 == 4 || pass % 9 == 7)) {
      from = pass % 9 == 4 ? 540 : 90;  // 54 long (sampled) or 9 long (asked at its middle)
      testing::AddPoint(s, MOVE_LINE_CONT, xAt(from), y, surface(xAt(from), y), 1200);
      ++from;
    }
    for (int k = from; k <= 600; ++k)
      testing::AddPoint(s, MOVE_LINE_CONT, xAt(k), y, surface(xAt(k), y), 1200);
  }
}

std::vector<FeedPoint> RunEngine(CFeedControl& fc, const std::vector<FeedPoint>& work) {
  ChannelSettings& ch = fc.channels[1];
  ch.work.reset(new FeedPoint[work.size()]);
  std::copy(work.begin(), work.end(), ch.work.get());
  ch.pointCount = static_cast<std::uint32_t>(work.size());
  CFeedEngine engine(fc, 1);
  EXPECT_EQ(engine.Run(), 1);
  return std::vector<FeedPoint>(fc.output.get(), fc.output.get() + fc.outputCount);
}

bool SameRecord(const FeedPoint& a, const FeedPoint& b) {
  auto bits = [](double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    return v;
  };
  return bits(a.X) == bits(b.X) && bits(a.Y) == bits(b.Y) && bits(a.Z) == bits(b.Z) &&
         a.ProgFeed == b.ProgFeed && a.Feed == b.Feed && a.StartZonePct == b.StartZonePct &&
         a.StartZoneFeed == b.StartZoneFeed && a.EndZonePct == b.EndZonePct &&
         a.EndZoneFeed == b.EndZoneFeed && a.MotionType == b.MotionType;
}

TEST(PreparedMasterQuery, OptimiserOutputIsTheSameAsWithThePlainQuery) {
  CPointStore store;
  Toolpath(store, true);
  std::vector<FeedPoint> work;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    FeedPoint r{};
    if (store.FetchPoint(i)) {
      r.X = store.reg.x, r.Y = store.reg.y, r.Z = store.reg.z;
      r.ProgFeed = r.Feed = store.reg.feed;
      r.MotionType = static_cast<std::uint32_t>(store.reg.type);
    }
    work.push_back(r);
  }
  ASSERT_GT(work.size(), 40000u);

  // Meshes from the raster alone at two tolerances (creation empties the store).
  for (double tolerance : {1.0, 0.7}) {
    CPointStore meshPath;
    Toolpath(meshPath, false);
    CUndoRing undo;
    MasterModel model;
    model.tolerance = tolerance;
    ASSERT_EQ(model.Create(meshPath, undo), 1);
    // Search distances of whole cells and between them; minimum angles that keep most of the
    // mesh, little of it, and all of it.
    for (float safety : {5.0f, 2.3f}) {
      for (float minAngle : {10.0f, 30.0f, 0.0f}) {
        SCOPED_TRACE(::testing::Message() << "tolerance " << tolerance << " safety " << safety
                                          << " minimum angle " << minAngle);
        CFeedControl fc("/nonexistent");
        CuttingConditions& c = fc.channels[1].conditions;
        c.SafetyDistance = safety;
        c.SlopeMinAngle = minAngle;
        c.LmxByMaster = 1;
        fc.channels[1].master = model.Grid();
        const std::vector<FeedPoint> prepared = RunEngine(fc, work);
        fc.channels[1].master.preparedQuery = false;
        const std::vector<FeedPoint> plain = RunEngine(fc, work);
        ASSERT_EQ(prepared.size(), plain.size());
        for (std::size_t k = 0; k < plain.size(); ++k)
          ASSERT_TRUE(SameRecord(prepared[k], plain[k]))
              << "record " << k << ": feed " << prepared[k].Feed << " against " << plain[k].Feed;
        // The mesh did change feeds, so the comparison covers the master rule.
        c.LmxByMaster = 0;
        const std::vector<FeedPoint> without = RunEngine(fc, work);
        std::size_t changed = without.size() != plain.size() ? 1 : 0;
        for (std::size_t k = 0; !changed && k < plain.size(); ++k)
          changed = !SameRecord(without[k], plain[k]);
        EXPECT_TRUE(changed);
      }
    }
  }
}

}  // namespace
}  // namespace trevalon
