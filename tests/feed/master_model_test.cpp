#include "feed/master_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <tuple>

#include "app/application.h"
#include "app/master_model_commands.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;
using testing::TempDir;

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

// A 6 x 5 grid of cell size 2 at origin (10, 20), all cells at height 5 and slope 0 except
// the ones given as {column, row, height, slope}; and queries {x, y, z, radius, answer}.
struct Query {
  double x, y, z, radius;
  int slope;
};
void ExpectQueries(std::initializer_list<std::array<double, 4>> set,
                   std::initializer_list<Query> queries) {
  std::vector<TestCell> cells(30, TestCell{5.0f, 0});
  for (auto [i, j, z, slope] : set)
    cells[static_cast<std::size_t>(j * 6 + i)] = {float(z), std::int16_t(slope)};
  MasterModel m;
  ASSERT_EQ(m.ReadBytes(MmaBytes(10, 20, 2.0, 30, 6, 5, cells)), 1);
  for (const Query& q : queries)
    EXPECT_EQ(m.MaxSlopeAbove(q.x, q.y, q.z, q.radius), q.slope)
        << q.x << " " << q.y << " " << q.z << " " << q.radius;
}

TEST(MasterQuery, HandWorkedAnswers) {
  // x = 10 + 5 lies half-way between nodes 2 and 3: the tie goes to node 2; a hair past the
  // middle snaps to node 3, where column 1 is 4 away. The diagonal of node (2, 2), 2.83 away,
  // counts once the radius reaches it.
  ExpectQueries(
      {{1, 2, 5, 60}, {3, 2, 5, 30}, {3, 3, 5, 80}},
      {{15, 24, 0, 2, 60}, {15.01, 24, 0, 2, 80}, {15.01, 24, 0, 1.9, 30}, {14, 24, 0, 2.82, 60}});
  ExpectQueries({{3, 2, 5, 30}, {3, 3, 5, 80}}, {{14, 24, 0, 2.9, 80}});
  // Only material above the tool counts, and column 0 and row 0 are never looked at: node
  // (1, 2) sees no column 0, node (2, 1) no row 0; node (0, 0)'s only candidate, cell (1, 1),
  // lies 2.83 away.
  ExpectQueries({{0, 2, 50, 70}, {2, 0, 50, 70}, {2, 2, 5, 40}, {1, 1, 6, 20}},
                {{12, 24, 0, 2, 40},
                 {12, 24, 5, 2, 20},
                 {12, 24, 6, 2, 0},
                 {14, 22, 0, 2, 40},
                 {10, 20, 0, 2, 0},
                 {10, 20, 0, 3, 20}});
  // Far away or degenerate queries find nothing; radius 0 sees the snapped node itself; a
  // huge radius is clamped to the grid.
  ExpectQueries({{5, 4, 5, 33}}, {{1e9, 1e9, 0, 3, 0},
                                  {-1e9, 24, 0, 3, 0},
                                  {1e300, std::nan(""), 0, 3, 0},
                                  {20, 28, 0, -1, 0},
                                  {20, 28, 0, 0, 33},
                                  {100, 100, 0, 1e6, 33}});
  EXPECT_EQ(MasterModel{}.MaxSlopeAbove(0, 0, 0, 10), 0);
}

// Two rising cuts along X at Y 0 and Y 2: Z = X, from X 0 to 4.
void TwoRamps(CPointStore& s) {
  testing::AddPoints(s, "1 0 0 10, 3 0 0 0 500, 4 4 0 4 500, 1 0 2 10, 3 0 2 0 500, 4 4 2 4 500");
}

TEST(MasterCreate, RampsGiveHeightsOnTheNodesAndFortyFiveDegrees) {
  CPointStore s;
  CUndoRing undo;
  TwoRamps(s);
  MasterModel m;
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

TEST(MasterCreate, VerticalMovesMarkOnlyTheirLowerEnd) {
  CPointStore s;
  CUndoRing undo;
  // A plunge marks its end point, not the start at Z 10; a lift its start point; the last
  // plunge lies on the last fine column, beyond the coarse grid.
  testing::AddPoints(s, "1 0 0 10, 3 0 0 0 300, 1 3 3 0, 3 3 3 10 300, 1 6 6 10, 3 6 6 0 300");
  MasterModel m;
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

TEST(MasterCreate, DamagedRecordsDoNotHangOrCrash) {
  CPointStore s;
  CUndoRing undo;
  TwoRamps(s);
  // An arc end far out in Y (the store does not range-check Y) followed by a cut from it.
  testing::AddPoints(s, "8 2 1e30 0 500, 91 0 0 0 500, 4 2 1 0 500");
  MasterModel m;
  EXPECT_EQ(m.Create(s, undo), 1);
  EXPECT_EQ(m.header.rows, 3u);
}

TEST(MasterCreate, TooFewPointsOrNoCutsOrNoMemory) {
  CPointStore s;
  CUndoRing undo;
  MasterModel m;
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

}  // namespace
}  // namespace trevalon
