// Regions: the parity test and the segment crossing every region command shares, the kinds
// of region and their planes, and point files.

#include "edit/region.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support.h"

namespace trevalon {
namespace {

TEST(SegmentCrossing, FindsTheCrossingAndCarriesZAlongTheSegment) {
  auto i = SegmentCrossing({0, -10, 0}, {0, 10, 0}, {-10, 0, 0}, {10, 0, 20});
  ASSERT_TRUE(i);
  EXPECT_DOUBLE_EQ(i->x, 0);
  EXPECT_DOUBLE_EQ(i->y, 0);
  EXPECT_DOUBLE_EQ(i->z, 10);  // halfway from C to D
  // Parallel, degenerate edge, and a crossing beyond the end of a segment: none.
  EXPECT_FALSE(SegmentCrossing({0, 0, 0}, {10, 0, 0}, {0, 1, 0}, {10, 1, 0}));
  EXPECT_FALSE(SegmentCrossing({1, 1, 0}, {1, 1, 0}, {0, 0, 0}, {5, 5, 0}));
  EXPECT_FALSE(SegmentCrossing({0, -10, 0}, {0, 10, 0}, {1, 0, 0}, {10, 0, 0}));
  // The ends belong to the segments.
  EXPECT_TRUE(SegmentCrossing({0, 0, 0}, {0, 10, 0}, {0, 5, 0}, {10, 5, 0}));
}

TEST(InsideRegion, ParityWithVerticesOnTheRayAndHorizontalEdges) {
  const RegionPolygon square({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});
  EXPECT_TRUE(InsideRegion(square, {5, 5, 0}));
  EXPECT_FALSE(InsideRegion(square, {15, 5, 0}));
  EXPECT_FALSE(InsideRegion(square, {-5, 5, 0}));
  // A point on the bottom edge: that edge is parallel to the ray and not counted, so only the
  // right edge (through its end (10, 0)) is crossed and the point reads as inside.
  EXPECT_TRUE(InsideRegion(square, {5, 0, 0}));
  // A diamond whose right vertex lies on the ray from the centre: both edges at that vertex
  // count, so the centre reads as outside.
  const RegionPolygon diamond({{0, -5, 0}, {5, 0, 0}, {0, 5, 0}, {-5, 0, 0}});
  EXPECT_FALSE(InsideRegion(diamond, {0, 0, 0}));
  EXPECT_TRUE(InsideRegion(diamond, {0, 1, 0}));
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

TEST(PointFile, RunsOncePerClosedPolygonAndDropsAnOpenOne) {
  testing::TempDir dir;
  const std::string path = dir.file("a.poi");
  {
    std::ofstream f(path);
    f << "header text\nstart\n0 0 0\n100 0 0\n100 50 0\n0 50 0\nend\nbetween\nstart\n1 2 3\n"
         "4 5 6\n7 8 9\nend\nstart\n1 1 1\n";
  }
  std::vector<std::size_t> sizes;
  ASSERT_TRUE(ReadPointFile(path, [&](const RegionPolygon& p) { sizes.push_back(p.size()); }));
  EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 3}));
  EXPECT_FALSE(ReadPointFile(dir.file("missing.poi"), [](const RegionPolygon&) {}));

  // The vertex cap: further vertex lines of the polygon are read and ignored.
  {
    std::ofstream f(path);
    f << "start\n";
    for (int i = 0; i < 3000; ++i) f << i << " 0 0\n";
    f << "end\n";
  }
  sizes.clear();
  ASSERT_TRUE(ReadPointFile(path, [&](const RegionPolygon& p) { sizes.push_back(p.size()); }));
  EXPECT_EQ(sizes, (std::vector<std::size_t>{kPointFileMaxVertices}));
}

}  // namespace
}  // namespace trevalon
