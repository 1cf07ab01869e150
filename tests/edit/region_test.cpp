// Regions: the parity test and the segment crossing every region command shares, the kinds
// of region and their planes, and point files.

#include "edit/region.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

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
  const RegionPolygon square({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});
  struct Case {
    RegionPolygon polygon;
    RegionPoint q;
    bool inside;
  };
  // A diamond whose right vertex lies on the ray from the centre; a square with a collinear
  // vertex on its right side, at the height of the point tested, and on its bottom side; a box
  // reaching far beyond any toolpath.
  const RegionPolygon diamond({{0, -5, 0}, {5, 0, 0}, {0, 5, 0}, {-5, 0, 0}});
  const RegionPolygon rightVertex(
      {{-200, -200, 0}, {200, -200, 0}, {200, 0, 0}, {200, 200, 0}, {-200, 200, 0}});
  const RegionPolygon bottomVertex(
      {{0, 0, 0}, {200, 0, 0}, {400, 0, 0}, {400, 400, 0}, {0, 400, 0}});
  const RegionPolygon huge({{-1e6, -1e6, 0}, {1e6, -1e6, 0}, {1e6, 1e6, 0}, {-1e6, 1e6, 0}});
  // A notch whose lower vertex touches the ray from the left without crossing it.
  const RegionPolygon notch({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {5, 5, 0}, {0, 10, 0}});
  const std::vector<Case> cases = {
      {square, {5, 5, 0}, true},
      {square, {15, 5, 0}, false},
      {square, {-5, 5, 0}, false},
      {diamond, {0, 0, 0}, true},
      {diamond, {0, 1, 0}, true},
      {diamond, {-6, 0, 0}, false},
      {diamond, {6, 0, 0}, false},
      {rightVertex, {0, 0, 0}, true},
      {rightVertex, {-40, 0, 0}, true},
      {rightVertex, {300, 0, 0}, false},
      {bottomVertex, {200, 0.5, 0}, true},
      {bottomVertex, {200, -0.5, 0}, false},
      {huge, {0, 0, 0}, true},
      {huge, {40000, 0, 0}, true},
      {notch, {2, 5, 0}, true},
      {notch, {5, 7, 0}, false},
      {notch, {8, 5, 0}, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(InsideRegion(cases[i].polygon, cases[i].q), cases[i].inside) << "case " << i;
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

}  // namespace
}  // namespace trevalon
