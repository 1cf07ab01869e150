#include "feed/master_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "app/master_model_commands.h"
#include "feed/feed_control.h"
#include "feed/feed_engine.h"
#include "feed/master_query.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

struct TestCell {
  float z;
  std::int16_t slope;
};

// An .mma file built byte by byte, independently of the writer.
std::string MmaBytes(double ox, double oy, double cell, std::uint32_t count, std::uint32_t cols,
                     std::uint32_t rows, const std::vector<TestCell>& cells) {
  std::string b(100, '\0');
  auto put = [&](const void* p, std::size_t n) { b.append(static_cast<const char*>(p), n); };
  double reals[8] = {ox, oy, -5.0, 7.0, 8.0, 9.0, 12.0, cell};
  put(reals, sizeof reals);
  std::uint32_t ints[6] = {count, cols, rows, 0, 1, 0};
  put(ints, sizeof ints);
  for (const TestCell& c : cells) {
    put(&c.z, 4);
    put(&c.slope, 2);
  }
  return b;
}

std::vector<TestCell> Ramp(std::size_t n) {
  std::vector<TestCell> v;
  for (std::size_t i = 0; i < n; ++i)
    v.push_back({static_cast<float>(i) * 0.5f, static_cast<std::int16_t>(i * 7 % 91)});
  return v;
}

TEST(MasterFile, TwoByThreeIs224BytesAndReadsBackByteExact) {
  std::string bytes = MmaBytes(10.5, -3.25, 1.0, 6, 2, 3, Ramp(6));
  ASSERT_EQ(bytes.size(), 224u);
  MasterModel m;
  ASSERT_EQ(m.ReadBytes(bytes), 1);
  ASSERT_TRUE(m.Exists());
  EXPECT_EQ(std::tuple(m.header.columns, m.header.rows, m.header.originX, m.header.toolDiameter),
            std::tuple(2u, 3u, 10.5, 12.0));
  // Element 5: row 2, column 1; node positions are not kept in files.
  EXPECT_EQ(std::tuple(m.Cell(1, 2).z, m.Cell(1, 2).slope, m.Cell(1, 2).x),
            std::tuple(2.5f, std::int16_t{35}, -9999.0f));
  EXPECT_EQ(m.FileBytes(), bytes);

  // Text in the header block is ignored and written back as zeros.
  std::string texted = bytes;
  std::memcpy(texted.data(), "some text", 9);
  MasterModel t;
  ASSERT_EQ(t.ReadBytes(texted), 1);
  EXPECT_EQ(t.FileBytes(), bytes);
}

TEST(MasterFile, BadFilesAreRefusedAndTheModelStaysAsItWas) {
  MasterModel m;
  const std::string good = MmaBytes(0, 0, 2.0, 6, 3, 2, Ramp(6));
  ASSERT_EQ(m.ReadBytes(good), 1);
  const std::string before = m.FileBytes();

  std::vector<std::string> bad = {
      good.substr(0, good.size() - 1),                     // last cell cut short
      good.substr(0, 150),                                 // header cut short
      "",                                                  // empty
      MmaBytes(0, 0, 2.0, 7, 3, 2, Ramp(7)),               // count not columns x rows
      MmaBytes(0, 0, 2.0, 0, 0, 5, {}),                    // no cell
      MmaBytes(0, 0, 0.0, 6, 3, 2, Ramp(6)),               // cell size 0
      MmaBytes(0, 0, -1.0, 6, 3, 2, Ramp(6)),              // negative cell size
      MmaBytes(0, 0, std::nan(""), 6, 3, 2, Ramp(6)),      // cell size not a number
      MmaBytes(HUGE_VAL, 0, 1.0, 6, 3, 2, Ramp(6)),        // infinite origin
      MmaBytes(0, 0, 1.0, 0, 65536, 65536, {}),            // 2^32 cells, count wraps to 0
      MmaBytes(0, 0, 1.0, 4000000000u, 80000, 50000, {}),  // absurd: billions of cells
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    std::string why;
    EXPECT_EQ(m.ReadBytes(bad[i], &why), 0) << i;
    EXPECT_FALSE(why.empty()) << i;
    EXPECT_EQ(m.FileBytes(), before) << i;
  }
  // Bytes behind the last cell do not matter.
  MasterModel n;
  EXPECT_EQ(n.ReadBytes(good + "xyz"), 1);
  EXPECT_EQ(n.FileBytes(), good);
}

TEST(MasterFile, LoadSaveAndDeleteThroughTheDocument) {
  TempDir dir;
  HeadlessPlatform platform;
  CApplication app(platform);
  CDocument doc;
  const std::string good = MmaBytes(0, 0, 1.0, 6, 3, 2, Ramp(6));
  {
    std::ofstream(dir.file("a.mma"), std::ios::binary) << good;
    std::ofstream(dir.file("bad.mma"), std::ios::binary) << good.substr(0, 200);
  }
  EXPECT_FALSE(SaveMasterModel(app, doc, dir.file("none.mma")).ok());  // nothing to save
  EXPECT_EQ(platform.lastCaption, "Optimizer message");

  ASSERT_TRUE(LoadMasterModel(app, doc, dir.file("a.mma")).ok());
  EXPECT_EQ(doc.master.shown, 1);  // loading switches the display on
  int messages = platform.messageCount;
  const Outcome refused = LoadMasterModel(app, doc, dir.file("bad.mma"));
  EXPECT_EQ(refused.code(), OutcomeCode::Refused);
  EXPECT_NE(refused.reason().find("shorter than its header"), std::string::npos)
      << refused.reason();
  EXPECT_EQ(std::tuple(platform.messageCount, platform.lastCaption, platform.lastMessage),
            std::tuple(messages + 1, "Error message", " Can not open file !!.\n"));
  EXPECT_FALSE(LoadMasterModel(app, doc, dir.file("missing.mma")).ok());
  // A folder, and a header announcing more cells than any mesh has, are refused before a
  // cell is read; a device without end gives an empty header.
  std::ofstream(dir.file("vast.mma"), std::ios::binary)
      << MmaBytes(0, 0, 1.0, 65536u * 256, 65536, 256, Ramp(6));
  std::vector<std::string> refusedPaths = {dir.path().string(), dir.file("vast.mma")};
  if (std::filesystem::exists("/dev/zero")) refusedPaths.push_back("/dev/zero");
  for (const std::string& path : refusedPaths) {
    const Outcome o = LoadMasterModel(app, doc, path);
    EXPECT_EQ(o.code(), OutcomeCode::Refused) << path;
    EXPECT_NE(o.reason().find(path), std::string::npos) << o.reason();
  }
  // The refused files left the loaded model.
  EXPECT_EQ(std::tuple(doc.master.header.columns, doc.master.Exists()), std::tuple(3u, true));

  ASSERT_TRUE(SaveMasterModel(app, doc, dir.file("b.mma")).ok());
  EXPECT_EQ(testing::ReadAll(dir.file("b.mma")), good);
  EXPECT_FALSE(SaveMasterModel(app, doc, dir.file("no/dir/b.mma")).ok());
  EXPECT_EQ(platform.lastMessage, " Can not open file !!.\n");

  // Deleting asks; showing needs a mesh.
  platform.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(DeleteMasterModel(app, doc).ok());
  EXPECT_EQ(std::tuple(platform.lastMessage, platform.lastCaption, doc.master.Exists()),
            std::tuple(" Do you want master model? ", " Optimizer message ", true));
  platform.answers.push_back(Answer::Ok);
  EXPECT_TRUE(DeleteMasterModel(app, doc).ok());
  EXPECT_EQ(std::tuple(doc.master.Exists(), doc.master.header.exists, doc.master.shown),
            std::tuple(false, 0u, 0));
  EXPECT_FALSE(ToggleMasterModelDisplay(doc).ok());
  EXPECT_EQ(doc.master.shown, 0);
}

TEST(MasterQuery, HandWorkedAnswers) {
  for (const testing::DataCase& c : testing::ReadCases("feed/master_queries.txt")) {
    const auto trace = c.Trace();
    std::string set = c["cells"];
    std::replace(set.begin(), set.end(), ',', ' ');
    const std::vector<double> cell = testing::Numbers(set), q = testing::Numbers(c["query"]);
    ASSERT_EQ(std::tuple(cell.size() % 4, q.size()), std::tuple(0u, 4u));
    std::vector<TestCell> cells(30, TestCell{5.0f, 0});
    for (std::size_t k = 0; k < cell.size(); k += 4)
      cells[static_cast<std::size_t>(cell[k + 1] * 6 + cell[k])] = {float(cell[k + 2]),
                                                                    std::int16_t(cell[k + 3])};
    MasterModel m;
    ASSERT_EQ(m.ReadBytes(MmaBytes(10, 20, 2.0, 30, 6, 5, cells)), 1);
    EXPECT_EQ(m.MaxSlopeAbove(q[0], q[1], q[2], q[3]), c.Int("slope"));
  }
  EXPECT_EQ(MasterModel{}.MaxSlopeAbove(0, 0, 0, 10), 0);
}

// Two rising cuts along X at Y 0 and Y 2: Z = X, from X 0 to 4.
void TwoRamps(CPointStore& s) {
  testing::AddPoints(s, "1 0 0 10, 3 0 0 0 500, 4 4 0 4 500, 1 0 2 10, 3 0 2 0 500, 4 4 2 4 500");
}

// A store and its undo ring for the mesh to be made from.
struct MasterCreate : ::testing::Test {
  MasterModel m;
  CPointStore s;
  CUndoRing undo;
};

TEST_F(MasterCreate, RampsGiveHeightsOnTheNodesAndFortyFiveDegrees) {
  TwoRamps(s);
  ASSERT_EQ(m.Create(s, undo), 1);
  // Origin one tolerance below the lowest X and Y; the cell size is the tolerance.
  // Fine spacing 0.2: 26 x 16 fine cells, every fifth kept: 5 x 3.
  const MeshHeader& h = m.header;
  EXPECT_EQ(std::tuple(h.originX, h.originY, h.cellSize, h.highX, h.highZ, h.toolDiameter,
                       h.columns, h.rows, h.cellCount),
            std::tuple(-1.0, -1.0, 1.0, 5.0, 10.0, 10.0, 5u, 3u, 15u));
  for (std::uint32_t i = 1; i < 5; ++i) {
    for (std::uint32_t j = 1; j < 3; ++j) {
      // Column i lies at X = i - 1; the row between the cuts is filled from them.
      EXPECT_NEAR(m.Cell(i, j).z, i - 1.0, 1e-5) << i << "," << j;
      EXPECT_EQ(m.Cell(i, j).slope, 45) << i << "," << j;
    }
    EXPECT_FALSE(m.Cell(i, 0).HasHeight());
  }
  EXPECT_FALSE(m.Cell(0, 1).HasHeight());  // X -1 holds no cut
  // The toolpath has left the store; undo brings it back.
  EXPECT_EQ(s.count, 0u);
  ASSERT_EQ(undo.Undo(s), 1);
  EXPECT_EQ(s.count, 6u);
  ASSERT_TRUE(s.FetchPoint(2));
  EXPECT_EQ(s.reg.x, 4.0);  // as the user had it, not shifted
}

TEST_F(MasterCreate, VerticalMovesMarkOnlyTheirLowerEnd) {
  // A plunge marks its end point, not the start at Z 10; a lift its start point; the last
  // plunge lies on the last fine column, beyond the coarse grid.
  testing::AddPoints(s, "1 0 0 10, 3 0 0 0 300, 1 3 3 0, 3 3 3 10 300, 1 6 6 10, 3 6 6 0 300");
  ASSERT_EQ(m.Create(s, undo), 1);
  ASSERT_EQ(m.header.columns, 7u);  // 36 fine columns / 5
  int filled = 0;
  for (std::uint32_t j = 0; j < m.header.rows; ++j)
    for (std::uint32_t i = 0; i < m.header.columns; ++i) filled += m.Cell(i, j).HasHeight();
  EXPECT_EQ(filled, 2);
  // No neighbour with a height: slope 0.
  EXPECT_EQ(std::tuple(m.Cell(1, 1).z, m.Cell(4, 4).z, m.Cell(1, 1).slope),
            std::tuple(0.0f, 0.0f, std::int16_t{0}));
}

TEST_F(MasterCreate, DamagedRecordsDoNotHangOrCrash) {
  TwoRamps(s);
  // An arc end far out in Y (the store does not range-check Y) followed by a cut from it.
  testing::AddPoints(s, "8 2 1e30 0 500, 91 0 0 0 500, 4 2 1 0 500");
  EXPECT_EQ(m.Create(s, undo), 1);
  EXPECT_EQ(m.header.rows, 3u);
}

TEST_F(MasterCreate, TooFewPointsOrNoCutsOrNoMemory) {
  ASSERT_EQ(m.ReadBytes(MmaBytes(0, 0, 1.0, 4, 2, 2, Ramp(4))), 1);
  const std::string before = m.FileBytes();
  testing::AddPoints(s, "1 0 0 10, 3 0 0 0 300, 4 10 0 0 300, 4 10 10 0 300");
  EXPECT_EQ(m.Create(s, undo), 0);  // 4 points: nothing happens
  EXPECT_EQ(std::tuple(m.FileBytes(), s.count), std::tuple(before, 4u));

  // A tolerance far too fine for the extent: the memory failure, nothing changed.
  AddPoint(s, MOVE_LINE_CONT, 5000, 5000, 0, 300);
  m.tolerance = 0.001;
  bool memory = false;
  EXPECT_EQ(m.Create(s, undo, &memory), 0);
  EXPECT_TRUE(memory);
  EXPECT_EQ(std::tuple(m.FileBytes(), s.count), std::tuple(before, 5u));

  // Only rapids: no box, the model is cleared.
  CPointStore r;
  for (int i = 0; i < 5; ++i) AddPoint(r, i ? MOVE_RAPID_CONT : MOVE_RAPID, i, i, 10);
  EXPECT_EQ(m.Create(r, undo), -1);
  EXPECT_EQ(std::tuple(m.Exists(), r.count), std::tuple(false, 5u));
}

// ---- The prepared query ------------------------------------------------------------------------

// The master rule's prepared query against the plain one. The plain grid walk, kept here as
// it was written before the query was prepared, must give every answer the prepared query
// gives, on awkward grids, radii and points; and the optimiser must write the same output,
// record for record and bit for bit, whichever of the two it asks.

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
