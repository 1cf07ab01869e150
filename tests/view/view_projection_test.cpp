#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view/view_state.h"

namespace trevalon {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The whole-pixel rule every drawing and every window pick shares: truncation towards the
// middle, a billion pixels at most either way, NaN at the middle.
TEST(ViewProjection, WholePixelRule) {
  const struct {
    double p;
    int want;
  } cases[] = {
      {0.0, 0},
      {2.9, 2},
      {-2.9, -2},
      {1e9 - 0.5, 999999999},
      {1e9, 1000000000},
      {5e12, 1000000000},
      {-5e12, -1000000000},
      {kInf, 1000000000},
      {-kInf, -1000000000},
      {std::nan(""), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(WindowPixel(c.p), c.want) << c.p;
}

// The value projection is the view's own: in every direction, at scales from the floor to a
// far zoom, with the middle moved, for points near and far, it gives what ViewState::Project
// gives, and the client position is that plus the window's middle.
TEST(ViewProjection, IsTheViewsProjection) {
  const double points[][3] = {{0, 0, 0},      {10, 5, 3},     {-42.5, 17.25, -3},
                              {1e6, -2e6, 7}, {1e300, 0, -1}, {std::nan(""), 1, 2},
                              {0, kInf, 0}};
  const double scales[] = {0.0, 1e-5, 0.37, 2.0, 500.0, 1e6, 1e12};
  for (int dir = 1; dir <= 7; ++dir) {
    for (double scale : scales) {
      ViewState v;
      v.SetDirection(dir);
      v.width = 801, v.height = 600, v.cu = 12.5, v.cv = -7;
      v.scale = scale;
      const ViewProjection proj(v);
      for (const auto& p : points) {
        const WindowPoint want = v.Project(p[0], p[1], p[2]);
        const WindowPoint got = proj.Project(p[0], p[1], p[2]);
        EXPECT_EQ(got.x, want.x) << dir << " " << scale << " " << p[0];
        EXPECT_EQ(got.y, want.y) << dir << " " << scale << " " << p[0];
        int px, py;
        proj.ToClient(p[0], p[1], p[2], px, py);
        EXPECT_EQ(px, want.x + 400);
        EXPECT_EQ(py, want.y + 300);
      }
    }
  }
}

// A line far longer than the window, seen at a high zoom, keeps its direction in the window:
// the projection holds it only where it is a billion pixels out.
TEST(ViewProjection, LongLinesStayStraightAtAHighZoom) {
  ViewState v;
  v.SetDirection(1);
  v.scale = 1e5;
  const ViewProjection proj(v);
  const WindowPoint a = proj.Project(0, 0, 0), b = proj.Project(200, -100, 0);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(b.x, 20000000);
  EXPECT_EQ(b.y, 10000000);  // +Y up the screen: -Y down
  const WindowPoint far = proj.Project(1e5, 0, 0);
  EXPECT_EQ(far.x, 1000000000);
}

}  // namespace
}  // namespace trevalon
