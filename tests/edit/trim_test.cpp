// Regions: the parity test and the segment crossing every region command shares, the kinds of
// region and their planes, and point files. Then the trims at them: what is cut where, the joins
// at the boundary, arcs shortened on their own circle, and the invariants every trim leaves on
// any toolpath.

#include "edit/trim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <tuple>
#include <vector>

#include "edit/compaction.h"
#include "model/geometry.h"
#include "model/record_pages.h"
#include "ncio/data_cases.h"
#include "test_support.h"
#include "toolpath_shape.h"

namespace trevalon {
namespace {

using namespace testing;

TEST(SegmentCrossing, FindsTheCrossingAndCarriesZAlongTheSegment) {
  auto i = SegmentCrossing({0, -10, 0}, {0, 10, 0}, {-10, 0, 0}, {10, 0, 20});
  ASSERT_TRUE(i);
  EXPECT_EQ(std::tuple(i->x, i->y, i->z), std::tuple(0.0, 0.0, 10.0));  // z halfway from C to D
  // Parallel, degenerate edge, and a crossing beyond the end of a segment: none.
  EXPECT_FALSE(SegmentCrossing({0, 0, 0}, {10, 0, 0}, {0, 1, 0}, {10, 1, 0}));
  EXPECT_FALSE(SegmentCrossing({1, 1, 0}, {1, 1, 0}, {0, 0, 0}, {5, 5, 0}));
  EXPECT_FALSE(SegmentCrossing({0, -10, 0}, {0, 10, 0}, {1, 0, 0}, {10, 0, 0}));
  // The ends belong to the segments.
  EXPECT_TRUE(SegmentCrossing({0, 0, 0}, {0, 10, 0}, {0, 5, 0}, {10, 5, 0}));
}

TEST(InsideRegion, VerticesOnTheRayCollinearVerticesAndFarRegions) {
  for (const testing::DataCase& c : testing::ReadCases("edit/inside_region.txt")) {
    const auto trace = c.Trace();
    const std::vector<double> xy = testing::Numbers(c["polygon"]), q = testing::Numbers(c["point"]);
    std::vector<RegionPoint> vertices;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) vertices.push_back({xy[i], xy[i + 1], 0});
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(InsideRegion(RegionPolygon(vertices), {q[0], q[1], 0}), c.Int("inside") != 0);
  }
  EXPECT_FALSE(RegionPolygon({{0, 0, 0}, {1, 1, 0}}).usable());
}

TEST(Region, EachKindTestsInItsOwnPlane) {
  ViewState view;
  const Region circle = Region::Circle(0, 0, 50, 10);
  EXPECT_FALSE(circle.Contains(6, 8, 0, view));  // on the circle: outside
  EXPECT_TRUE(circle.Contains(6, 7.9, -100, view));
  const Region band = Region::ZBand(-10, 10);
  EXPECT_TRUE(band.Contains(1e6, 0, 10, view));
  EXPECT_FALSE(band.Contains(0, 0, 10.001, view));
  const Region box = Region::Box(-50, -50, 0, 0);
  EXPECT_TRUE(box.Contains(-1, -1, 99, view));
  EXPECT_FALSE(box.Contains(1, -1, 0, view));

  // A window in the top view is a model-XY polygon; in another view it is tested on the
  // point's window position.
  view.width = 200, view.height = 100;
  view.SetDirection(1);
  const Region top = Region::Window(90, 40, 110, 60, view);
  EXPECT_EQ(top.plane(), RegionPlane::ModelXY);
  EXPECT_TRUE(top.Contains(0, 0, 0, view));
  view.SetDirection(2);
  const Region front = Region::Window(90, 40, 110, 60, view);
  EXPECT_EQ(front.plane(), RegionPlane::Window);
  const WindowPoint w = view.Project(0, 0, 0);
  EXPECT_EQ(front.Contains(0, 0, 0, view), w.x + 100 > 90 && w.x + 100 < 110);
  EXPECT_FALSE(Region::Polygon({{1, 1, 0}, {5, 5, 0}}).usable());
}

std::vector<std::size_t> Sizes(const std::vector<RegionPolygon>& polygons) {
  std::vector<std::size_t> sizes;
  for (const RegionPolygon& p : polygons) sizes.push_back(p.size());
  return sizes;
}

TEST(PointFile, GivesEachClosedPolygonAndDropsAnOpenOne) {
  testing::TempDir dir;
  const std::string path = dir.file("a.poi");
  std::ofstream(path) << "header text\nstart\n0 0 0\n100 0 0\n100 50 0\n0 50 0\nend\nbetween\n"
                         "start\n1 2 3\n4 5 6\n7 8 9\nend\nstart\n1 1 1\n";
  std::vector<RegionPolygon> polygons;
  ASSERT_TRUE(ReadPointFile(path, polygons).ok());
  EXPECT_EQ(Sizes(polygons), (std::vector<std::size_t>{4, 3}));
  EXPECT_EQ(polygons[1][2].z, 9);
  EXPECT_EQ(ReadPointFile(dir.file("missing.poi"), polygons).error, FileReadError::Missing);
  EXPECT_TRUE(polygons.empty());
}

// Files refused as a whole: no polygon is given, and the reason names the line.
TEST(PointFile, RefusesWhatNoRealPointFileHolds) {
  testing::TempDir dir;
  auto polygon = [](int vertices) {
    std::string s = "start\n";
    for (int i = 0; i < vertices; ++i)
      s += std::to_string(i % 7) + " " + std::to_string(i) + " 0\n";
    return s + "end\n";
  };
  std::string many;
  for (std::size_t i = 0; i <= kPointFileMaxPolygons; ++i) many += "start\n0 0\n1 0\n0 1\nend\n";
  struct Case {
    const char* name;
    std::string text;
    PointFileProblem problem;
    FileReadError error;
    std::size_t line;
  };
  const std::vector<Case> cases = {
      {"nan", "start\n0 0 0\nnan 5 0\n5 5 0\nend\n", PointFileProblem::BadVertex,
       FileReadError::None, 3},
      {"inf", polygon(3) + "start\n1 1 0\n2 2 inf\n", PointFileProblem::BadVertex,
       FileReadError::None, 8},
      {"vertices", polygon(int(kPointFileMaxVertices) + 1), PointFileProblem::TooManyVertices,
       FileReadError::None, kPointFileMaxVertices + 2},
      {"polygons", many, PointFileProblem::TooManyPolygons, FileReadError::None,
       5 * (kPointFileMaxPolygons + 1)},
      {"binary", polygon(3) + std::string("start\n\0\0\0\n", 10), PointFileProblem::None,
       FileReadError::NotText, 0},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".poi");
    std::ofstream(path, std::ios::binary) << c.text;
    std::vector<RegionPolygon> polygons;
    const PointFileResult r = ReadPointFile(path, polygons);
    EXPECT_EQ(std::tuple(r.ok(), r.problem, r.error, c.line ? r.line : 0, polygons.empty()),
              std::tuple(false, c.problem, c.error, c.line, true))
        << c.name << ": " << r.reason;
  }
  // A device that never ends is refused at once.
  std::vector<RegionPolygon> none;
  EXPECT_EQ(ReadPointFile("/dev/zero", none).error, FileReadError::NotText);
  EXPECT_TRUE(none.empty());
  // A polygon of exactly the limit is taken whole.
  const std::string path = dir.file("limit.poi");
  std::ofstream(path) << polygon(int(kPointFileMaxVertices));
  std::vector<RegionPolygon> polygons;
  ASSERT_TRUE(ReadPointFile(path, polygons).ok());
  EXPECT_EQ(Sizes(polygons), (std::vector<std::size_t>{kPointFileMaxVertices}));
}

// ---- Trims -------------------------------------------------------------------------------------

struct TrimFixture : ::testing::Test, testing::EditParts {
  TrimFixture() {
    TopView(800, 600);  // the model origin at (400, 300)
    retract = 10;
  }

  Outcome Trim(const Region& r, TrimSide side) { return TrimCommand(ctx, r, side); }
  // The toolpath of these records trimmed ("failed" when the trim fails).
  std::string Trimmed(const std::string& records, const Region& r, TrimSide side) {
    store.count = 0;
    AddPoints(store, records);
    return Trim(r, side) ? Records(store) : "failed";
  }
  // The window of the top view from model corner (x1, y1) to (x2, y2).
  Region TopWindow(int x1, int y1, int x2, int y2) {
    return Region::Window(400 + x1, 300 - y1, 400 + x2, 300 - y2, view);
  }
};

TEST_F(TrimFixture, TrimsCutAtTheBoundary) {
  for (const testing::DataCase& c : testing::ReadCases("edit/trims.txt")) {
    const auto trace = c.Trace();
    const Region r = testing::RegionOf(c["region"], view);
    ASSERT_TRUE(c["side"] == "inside" || c["side"] == "outside") << c["side"];
    EXPECT_EQ(
        Trimmed(c["records"], r, c["side"] == "outside" ? TrimSide::Outside : TrimSide::Inside),
        c["after"]);
  }
}

TEST_F(TrimFixture, AWindowInTheFrontViewCutsInItsOwnPlane) {
  // A window in the front view tests window positions: a move straight down is cut where it
  // passes the window, which the same window in the top view would not see at all.
  // The crossings are as exact as the whole pixels they are found in.
  view.SetDirection(2);
  view.scale = 10;
  AddPoints(store, "1 0 0 10, 3 0 0 0, 4 0 0 -100, 4 50 0 -100");
  const WindowPoint a = view.Project(-2, 0, -4), b = view.Project(2, 0, -6);
  const Region front = Region::Window(a.x + 400, a.y + 300, b.x + 400, b.y + 300, view);
  ASSERT_EQ(front.plane(), RegionPlane::Window);
  ASSERT_TRUE(Trim(front, TrimSide::Inside));
  ASSERT_EQ(store.count, 7u) << Records(store);
  const PointRecord* r = store.RawRecord(0);
  const int types[] = {1, 3, 4, 1, 2, 3, 4};
  for (int k = 0; k < 7; ++k)
    EXPECT_EQ(std::tuple(int{r[k].type}, float{r[k].x}), std::tuple(types[k], k < 6 ? 0.0f : 50.0f))
        << k;
  // Cut down to the window, up, and down to its other side.
  EXPECT_NEAR(r[2].z, -4, 0.1);
  EXPECT_NEAR(r[4].z, -6, 0.1);
  EXPECT_EQ(std::tuple(float{r[3].z}, float{r[5].z}), std::tuple(10.0f, -100.0f));
}

// The arc of radius 10 about the origin from (10, 0) counter-clockwise to (-10, 0).
constexpr const char* kHalfCircle = "1 10 0 10, 3 10 0 0, 6 -10 0 0, 91 -10 0 0";

TEST_F(TrimFixture, ArcsKeepTheirCentreAndDirectionAndEndAtTheBoundary) {
  AddPoints(store, kHalfCircle);
  ASSERT_TRUE(Trim(TopWindow(0, 20, 20, -20), TrimSide::Inside));
  // Over to the crossing at (0, 10), down, and the rest of the arc from there.
  // The centre record now measures the centre from the crossing.
  ASSERT_EQ(store.count, 5u) << Records(store);
  const PointRecord* r = store.RawRecord(0);
  EXPECT_EQ(std::tuple(r[1].type, float{r[1].z}, r[2].type, float{r[2].z}, r[3].type, float{r[3].x},
                       r[4].type),
            std::tuple(MOVE_RAPID_CONT, 10.0f, MOVE_RAPID_CONT, 0.0f, MOVE_ARC_CCW, -10.0f,
                       std::int16_t{PLANE_XY}));
  EXPECT_LT(std::hypot(r[1].x, r[1].y - 10), 1e-4);
  EXPECT_LT(std::hypot(r[2].x + r[4].x, r[2].y + r[4].y), 1e-4);

  // The outside trim keeps the other half: the arc up to the crossing, then the retract
  // straight above the crossing on the arc.
  store.count = 0;
  AddPoints(store, kHalfCircle);
  ASSERT_TRUE(Trim(TopWindow(0, 20, 20, -20), TrimSide::Outside));
  ASSERT_GE(store.count, 5u) << Records(store);
  r = store.RawRecord(0);
  // The centre record says the arc still starts at (10, 0).
  EXPECT_EQ(std::tuple(r[2].type, r[3].type, float{r[3].x}, r[4].type, float{r[4].x}, float{r[4].y},
                       float{r[4].z}),
            std::tuple(MOVE_ARC_CCW, std::int16_t{PLANE_XY}, -10.0f, MOVE_RAPID, float{r[2].x},
                       float{r[2].y}, 10.0f));
  EXPECT_LT(std::hypot(r[2].x, r[2].y - 10), 1e-4);

  // A boundary off the steps' symmetry: a higher zoom walks the arc in more steps and puts
  // the crossing closer to the boundary, always on the arc itself.
  double error[2];
  for (int k = 0; k < 2; ++k) {
    view.scale = k == 0 ? 1 : 50;
    store.count = 0;
    AddPoints(store, kHalfCircle);
    ASSERT_TRUE(Trim(Region::Box(3, -20, 20, 20), TrimSide::Inside));
    const PointRecord& plunge = *store.RawRecord(2);
    EXPECT_NEAR(std::hypot(plunge.x, plunge.y), 10, 1e-4);
    error[k] = std::fabs(plunge.x - 3);
  }
  EXPECT_LT(error[1], 1e-3);
  EXPECT_LT(error[1], error[0]);

  // Zoomed far in, the arc takes some hundred thousand steps, yet the pass appends no point
  // per removed step: the retract, the traverse and the plunge make the same toolpath.
  view.scale = 10000;
  store.count = 0;
  AddPoints(store, kHalfCircle);
  ASSERT_TRUE(TrimPolygon(ctx, TrimSide::Inside, Region::Box(3, -20, 20, 20)));
  EXPECT_LT(store.count, 10u) << Records(store);
}

TEST_F(TrimFixture, APointOnTheCircleSurvivesBothTrims) {
  // A point at the radius is outside for the inside trim and inside for the outside trim: it
  // survives both.
  for (TrimSide side : {TrimSide::Inside, TrimSide::Outside}) {
    store.count = 0;
    AddPoints(store, "1 20 0 10, 3 20 0 0, 4 6 8 0, 4 20 8 0");
    ASSERT_TRUE(Trim(Region::Circle(0, 0, 0, 10), side));
    bool found = false;
    for (std::uint32_t i = 0; i < store.count; ++i) {
      const PointRecord& r = *store.RawRecord(i);
      found |= IsLinearType(r.type) && r.x == 6.0f && r.y == 8.0f && r.z == 0.0f;
    }
    EXPECT_TRUE(found) << Records(store);
  }
}

TEST_F(TrimFixture, ProgressNothingToDoAndAFullStore) {
  for (int k = 0; k < 1500; ++k) {
    const double x = k % 2 ? 100 : 0;
    testing::AddPoint(store, k == 0 ? 1 : 4, x, k * 0.1, k == 0 ? 10 : 0);
  }
  for (int k = 0; k < 1500; ++k) testing::AddPoint(store, 4, 100 - k * 0.01, 200, 0);
  ASSERT_TRUE(Trim(Region::Box(40, -10, 60, 500), TrimSide::Inside));
  // The last line at point 2002 of 3000: 66 % as a whole number, with two decimals.
  EXPECT_EQ(platform.helpText, "  Help: Processing.....(66.00).");

  // Nothing to trim, or a region that selects nothing: unchanged, and said so.
  const std::string before = Records(store);
  Outcome o = Trim(Region::Polygon({{1, 1, 0}, {5, 5, 0}}), TrimSide::Inside);
  EXPECT_EQ(o.code(), OutcomeCode::Unchanged);
  EXPECT_EQ(Records(store), before);
  EXPECT_EQ(Trim(Region::Circle(0, 0, 0, 0), TrimSide::Inside).code(), OutcomeCode::Unchanged);
  CPointStore empty;
  EditContext none{empty, undo, retract, Messages(platform, Language::English), &view, [] {}};
  EXPECT_EQ(TrimCommand(none, Region::Box(0, 0, 1, 1), TrimSide::Inside).code(),
            OutcomeCode::Unchanged);

  // A pass whose result does not fit leaves the store as it was. Pages never written read as
  // nothing, so a store counted up to two records below its capacity costs two pages here.
  store.count = 0;
  AddPoints(store, "1 0 0 10, 3 0 0 -1, 4 100 0 -1");
  store.reg = {};
  for (std::uint32_t i = 3; i < CPointStore::kPageSize; ++i) store.StorePoint(i);  // type 0
  store.count = CPointStore::kCapacity - 2;
  EXPECT_FALSE(TrimPolygon(ctx, TrimSide::Inside, Region::Box(40, -10, 60, 10)));
  EXPECT_EQ(store.count, CPointStore::kCapacity - 2);
  store.count = 3;
  EXPECT_EQ(Records(store), "1 0 0 10, 3 0 0 -1, 4 100 0 -1");
}

TEST_F(TrimFixture, RunningOutOfMemoryAnywhereLeavesTheToolpathAsItWas) {
  // Four pages of zigzag cuts across a window; page allocations fail after k of them, for
  // every k up to what the whole command needs.
  for (std::uint32_t k = 0; k < 4 * CPointStore::kPageSize; ++k)
    testing::AddPoint(store, k == 0 ? 1 : 4, k % 2 ? 100 : 0, k * 0.01, k == 0 ? 10 : 0);
  const std::vector<PointRecord> before = testing::CopyOfRecords(store);
  bool done = false;
  for (long k = 0; !done && k < 40; ++k) {
    FailRecordAllocationsAfter(k);
    const Outcome o = Trim(Region::Box(40, -1, 60, 200), TrimSide::Inside);
    FailRecordAllocationsAfter(-1);
    done = o.ok();
    if (done) break;
    ASSERT_EQ(o.code(), OutcomeCode::NoMemory) << k;
    ASSERT_TRUE(testing::HoldsRecords(store, before)) << k;
    EXPECT_EQ(platform.lastMessage, Messages(platform, Language::English).Text(Txt::StoreFull));
  }
  EXPECT_TRUE(done);

  // The pass alone, its pages shared with a snapshot as after the command's undo step: it
  // gives the whole result or leaves the store as it was, never a part moved.
  const Region box = Region::Box(40, -1, 60, 200);
  store.CopyRecordsIn(before.data(), before.size());
  ASSERT_TRUE(TrimPolygon(ctx, TrimSide::Inside, box));
  const std::string whole = Records(store);
  for (long k = 0; k < 12; ++k) {
    store.CopyRecordsIn(before.data(), before.size());
    RecordSnapshot shared;
    ASSERT_EQ(store.Snapshot(shared), 1);
    FailRecordAllocationsAfter(k);
    const bool ok = TrimPolygon(ctx, TrimSide::Inside, box);
    FailRecordAllocationsAfter(-1);
    if (ok) {
      EXPECT_EQ(Records(store), whole) << k;
      continue;
    }
    ASSERT_TRUE(testing::HoldsRecords(store, before)) << k;
  }
}

// What each polygon's pass leaves, and the one undo step for the whole file:
// APointFileOfManyPolygonsTrimsAsOnePassPerPolygon.
TEST_F(TrimFixture, APointFileThatCannotBeOpenedIsNamed) {
  testing::TempDir dir;
  AddPoints(store, "1 0 0 10, 3 0 0 -1, 4 100 0 -1");
  const std::string before = Records(store);
  const Outcome o = TrimFileCommand(ctx, dir.file("missing.poi"), TrimSide::Inside);
  EXPECT_EQ(std::tuple(o.code(), o.reason().find("missing.poi") != std::string::npos,
                       platform.lastMessage.find("Can not open file") != std::string::npos,
                       platform.lastCaption, Records(store)),
            std::tuple(OutcomeCode::CannotOpen, true, true, "Error message", before));
}

// ---- Invariants on random toolpaths ---------------------------------------------------------

// Paths of a rapid down and cuts in [-50, 50]: straight, some of no length, some XY arcs either
// way; a third of the coordinates on multiples of 10, where the regions' edges lie too.
void RandomToolpath(CPointStore& s, std::mt19937& rng) {
  std::uniform_real_distribution<double> coord(-50, 50);
  auto pick = [&] {
    const double v = coord(rng);
    return rng() % 3 == 0 ? std::round(v / 10) * 10 : v;
  };
  const int paths = 4 + rng() % 8;
  for (int p = 0; p < paths; ++p) {
    double x = pick(), y = pick(), z = -double(rng() % 6);
    testing::AddPoint(s, 1, x, y, 10);
    testing::AddPoint(s, 2, x, y, z);
    bool linear = false;
    for (int m = 1 + rng() % 8; m > 0; --m) {
      const unsigned kind = rng() % 10;
      if (kind < 2) {
        const double i = coord(rng) / 3, j = coord(rng) / 3, r = std::hypot(i, j);
        if (r < 1) continue;
        const double from = std::atan2(-j, -i), sweep = (10 + rng() % 330) * M_PI / 180;
        const bool ccw = rng() % 2 == 0;
        const double to = ccw ? from + sweep : from - sweep;
        x = x + i + r * std::cos(to), y = y + j + r * std::sin(to);
        testing::AddPoint(s, ccw ? MOVE_ARC_CCW : MOVE_ARC_CW, x, y, z);
        testing::AddPoint(s, PLANE_XY, i, j, 0);
        linear = false;
        continue;
      }
      if (kind >= 3) x = pick(), y = pick();
      if (kind == 9) z = -double(rng() % 6);
      testing::AddPoint(s, linear ? MOVE_LINE_CONT : MOVE_LINE, x, y, z);
      linear = true;
    }
  }
}

// The cutting moves of a toolpath: straight ones from a to b, arcs by their centre.
struct Cut {
  bool arc;
  int type;
  double a[3], b[3], centre[3];
};

std::vector<Cut> CutsOf(CPointStore& s) {
  std::vector<Cut> cuts;
  std::uint32_t prev = s.count;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord& r = *s.RawRecord(i);
    if (!IsMotionType(r.type)) continue;
    if (prev < s.count && !IsRapidType(r.type)) {
      const PointRecord& q = *s.RawRecord(prev);
      Cut c{IsArcType(r.type), r.type, {q.x, q.y, q.z}, {r.x, r.y, r.z}, {}};
      if (c.arc) {
        const PointRecord& o = *s.RawRecord(i + 1);
        c.centre[0] = q.x + double{o.x}, c.centre[1] = q.y + double{o.y}, c.centre[2] = q.z;
      }
      cuts.push_back(c);
    }
    prev = i;
  }
  return cuts;
}

// What every trim leaves: a well-formed toolpath, every cut of it on a cut of the
// original (a straight cut with the point before it on one original move, an arc on an
// original arc's circle about the same centre, in the same direction). For a box region the
// middle of every straight cut lies on the kept side.
void CheckTrimmed(const CPointStore& s, const std::vector<Cut>& original, const double* box,
                  TrimSide side, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(testing::WellFormed(s));
  constexpr double tol = 1e-3;
  int prevType = 0;
  double q[3] = {0, 0, 0};
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord& r = *s.RawRecord(i);
    const double p[3] = {r.x, r.y, r.z};
    ASSERT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]));
    if (IsPlaneCode(r.type)) continue;
    const bool cutting = IsLinearType(prevType) || IsArcType(prevType);
    if (IsLinearType(r.type)) {
      bool on = false, both = !cutting;
      for (const Cut& c : original) {
        if (c.arc) continue;
        const bool here = testing::SegmentDistance(p, c.a, c.b) < tol;
        on |= here;
        both |= here && testing::SegmentDistance(q, c.a, c.b) < tol;
      }
      EXPECT_TRUE(on) << "cut point off the toolpath at " << i;
      EXPECT_TRUE(both) << "cut across the toolpath to " << i;
      if (box && cutting) {
        const double mx = (p[0] + q[0]) / 2, my = (p[1] + q[1]) / 2;
        const bool deepInside =
            mx > box[0] + tol && mx < box[2] - tol && my > box[1] + tol && my < box[3] - tol;
        const bool farOutside =
            mx < box[0] - tol || mx > box[2] + tol || my < box[1] - tol || my > box[3] + tol;
        EXPECT_FALSE(side == TrimSide::Inside ? deepInside : farOutside)
            << "kept a cut on the removed side at " << i;
      }
    }
    if (IsArcType(r.type)) {
      const PointRecord& o = *s.RawRecord(i + 1);
      const double cx = q[0] + o.x, cy = q[1] + o.y;
      bool on = false;
      for (const Cut& c : original) {
        if (!c.arc || c.type != r.type) continue;
        const double radius = std::hypot(c.b[0] - c.centre[0], c.b[1] - c.centre[1]);
        on |= std::hypot(cx - c.centre[0], cy - c.centre[1]) < tol &&
              std::fabs(std::hypot(p[0] - cx, p[1] - cy) - radius) < tol &&
              std::fabs(std::hypot(q[0] - cx, q[1] - cy) - radius) < tol;
      }
      EXPECT_TRUE(on) << "arc not on an original arc at " << i;
    }
    prevType = r.type;
    q[0] = p[0], q[1] = p[1], q[2] = p[2];
  }
}

// A point file of many polygons passes over those that cannot change the toolpath; the result
// must be, record for record, what one pass per polygon gives (the reference below walks
// every polygon). Small squares scattered over and beyond the toolpath, some on its moves,
// some around its points, a few large ones, on both sides.
TEST_F(TrimFixture, APointFileOfManyPolygonsTrimsAsOnePassPerPolygon) {
  testing::TempDir dir;
  const std::string file = dir.file("many.poi");
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    auto at = [&](double lo, double hi) {
      return std::round(std::uniform_real_distribution<double>(lo, hi)(rng) * 4) / 4;
    };
    std::vector<std::vector<RegionPoint>> polygons;
    std::ofstream out(file);
    for (int k = 0; k < 300; ++k) {
      const double x = at(-90, 90), y = at(-90, 90), w = k % 50 == 0 ? at(10, 40) : at(0.25, 3);
      std::vector<RegionPoint> v{{x, y, 0}, {x + w, y, 0}, {x + w, y + w, 0}, {x, y + w, 0}};
      if (k % 7 == 0) v.insert(v.begin() + 1, {x + w / 2, y, 0});  // a collinear vertex
      out << "start\n";
      for (const RegionPoint& p : v) out << p.x << ' ' << p.y << " 0\n";
      out << "end\n";
      polygons.push_back(std::move(v));
    }
    out.close();
    for (TrimSide side : {TrimSide::Inside, TrimSide::Outside}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (side == TrimSide::Inside ? " in" : " out"));
      store.count = 0;
      RandomToolpath(store, rng);
      const std::vector<PointRecord> original = testing::CopyOfRecords(store);

      {  // the reference: one pass per polygon, then what every trim does at its end
        CommandFrame frame(ctx);
        frame.SaveUndo(side == TrimSide::Inside ? Txt::CmdTrimInside : Txt::CmdTrimOutside);
        for (const auto& v : polygons) {
          if (store.count == 0) break;
          ASSERT_TRUE(TrimPolygon(ctx, side, Region::PointFilePolygon(v), frame.OriginNote()));
          frame.Rewritten();
        }
        ASSERT_TRUE(frame.RapidRebuild() && frame.RapidRebuild());
        frame.Compact();
        frame.Finish();
      }
      const std::vector<PointRecord> expected = testing::CopyOfRecords(store);

      store.count = 0;
      for (const PointRecord& r : original) {
        LoadRecord(r, store.reg);
        ASSERT_TRUE(AppendRegister(store));
      }
      ASSERT_TRUE(TrimFileCommand(ctx, file, side));
      ASSERT_TRUE(testing::HoldsRecords(store, expected));
      ASSERT_EQ(undo.Undo(store), 1);  // one undo step for the whole file
      ASSERT_TRUE(testing::HoldsRecords(store, original));
    }
  }
}

TEST_F(TrimFixture, EveryTrimLeavesAWellFormedToolpathOnTheOriginalMovesAndUndoes) {
  ViewState iso;
  iso.SetDirection(4);
  iso.width = 800, iso.height = 600;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    store.count = 0;
    RandomToolpath(store, rng);
    const std::vector<Cut> cuts = CutsOf(store);
    const std::vector<PointRecord> before = testing::CopyOfRecords(store);
    auto pick = [&] { return std::round(std::uniform_real_distribution<double>(-50, 50)(rng)); };
    auto corner = [&](int c) { return c + static_cast<int>(rng() % 160) - 80; };

    view.scale = 1 + rng() % 4;
    std::vector<std::pair<Region, std::string>> regions;
    const double x1 = pick(), x2 = pick(), y1 = pick(), y2 = pick();
    regions.push_back({Region::Box(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1,
                                   std::max(y1, y2) + 1),
                       "box"});
    // Every draw a statement of its own: the order of a call's arguments is the compiler's.
    auto window = [&](const ViewState& v) {
      const int ax = corner(400), ay = corner(300), bx = corner(400), by = corner(300);
      return Region::Window(ax, ay, bx, by, v);
    };
    regions.push_back({window(view), "top window"});
    regions.push_back({window(iso), "iso window"});
    std::vector<RegionPoint> clicks, star;
    for (int k = 3 + rng() % 5; k > 0; --k)
      clicks.push_back({double(corner(400)), double(corner(300)), 0});
    regions.push_back({Region::Polygon(clicks), "clicked polygon"});
    for (int k = 0; k < 10; ++k) {
      const double a = k * M_PI / 5, r = k % 2 ? 10 + rng() % 20 : 30 + rng() % 20;
      star.push_back({r * std::cos(a) + pick() / 5, r * std::sin(a) + pick() / 5, 0});
    }
    regions.push_back({Region::PointFilePolygon(star), "star"});
    const double cx = pick(), cy = pick();
    regions.push_back({Region::Circle(cx, cy, 0, 5 + rng() % 40), "circle"});
    const double z1 = -double(rng() % 6), z2 = -double(rng() % 6);
    regions.push_back({Region::ZBand(std::min(z1, z2), std::max(z1, z2)), "z band"});

    for (const auto& [region, name] : regions) {
      for (TrimSide side : {TrimSide::Inside, TrimSide::Outside}) {
        const std::string what = "seed " + std::to_string(seed) + " " + name +
                                 (side == TrimSide::Inside ? " inside" : " outside");
        ViewState& v = name == "iso window" ? iso : view;
        EditContext c{store, undo, retract, Messages(platform, Language::English), &v, [] {}};
        const Outcome o = TrimCommand(c, region, side);
        ASSERT_TRUE(o.ok() || o.code() == OutcomeCode::Unchanged) << what << o.reason();
        const bool isBox = name == "box" || name == "top window";
        double box[4] = {1e9, 1e9, -1e9, -1e9};
        for (std::size_t k = 0; isBox && k < 4; ++k) {
          box[0] = std::min(box[0], region.polygon()[k].x);
          box[1] = std::min(box[1], region.polygon()[k].y);
          box[2] = std::max(box[2], region.polygon()[k].x);
          box[3] = std::max(box[3], region.polygon()[k].y);
        }
        CheckTrimmed(store, cuts, isBox ? box : nullptr, side, what);
        if (!o.ok()) continue;
        ASSERT_EQ(undo.Undo(store), 1) << what;
        ASSERT_TRUE(testing::HoldsRecords(store, before)) << what;
      }
    }
  }
}

}  // namespace
}  // namespace trevalon
