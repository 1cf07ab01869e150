#include "view/view_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "test_support.h"
#include "view/layer_colours.h"
#include "view/status_line.h"

namespace trevalon {
namespace {

using testing::AddPoints;

TEST(View, DirectionsAndProjection) {
  ViewState v;
  EXPECT_EQ(v.Direction(), 4);  // starts as the first isometric view
  // +Y points up the screen in the top view, +Z in the front view.
  v.scale = 2;
  for (auto [direction, y] : {std::pair(1, -10), {2, -6}}) {
    v.SetDirection(direction);
    const WindowPoint p = v.Project(10, 5, 3);
    EXPECT_EQ(std::tuple(p.x, p.y), std::tuple(20, y)) << direction;
  }
  v.scale = 0;  // a vanishing scale is floored
  v.Project(1, 1, 1);
  EXPECT_EQ(v.scale, 1e-5);
}

TEST(View, WindowToModelOnlyInOrthographicViews) {
  ViewState v;
  v.width = 600, v.height = 400, v.scale = 2, v.cu = 10, v.cv = -5;
  double m[3];
  // (320 - 300) / 2 + 10 = 20 and -((180 - 200) / 2 - 5) = 15.
  v.SetDirection(1);
  ASSERT_EQ(v.WindowToModel(320, 180, m), 1);
  EXPECT_EQ(std::tuple(m[0], m[1]), std::tuple(20.0, 15.0));
  v.SetDirection(3);
  ASSERT_EQ(v.WindowToModel(320, 180, m), 1);
  EXPECT_EQ(std::tuple(m[0], m[1], m[2]), std::tuple(0.0, 20.0, 15.0));
  v.SetDirection(5);
  EXPECT_EQ(v.WindowToModel(320, 180, m), 0);
  EXPECT_EQ(m[0], 0);
  // Projection and inversion agree in the top view.
  v.SetDirection(1);
  WindowPoint w = v.Project(42, -17, 0);
  ASSERT_EQ(v.WindowToModel(w.x + v.width / 2, w.y + v.height / 2, m), 1);
  EXPECT_EQ(std::tuple(m[0], m[1]), std::tuple(42.0, -17.0));
}

TEST(View, FitRules) {
  CPointStore s;
  ViewState v;
  v.width = 600, v.height = 600;
  v.SetDirection(1);
  v.Fit(s, nullptr);  // empty: the box -20..20
  EXPECT_EQ(std::tuple(v.scale, v.cu), std::tuple(15.0, 0.0));

  // A rapid (skipped unless shown) and one vertical line: width below 0.01.
  AddPoints(s, "1 1000 1000 0, 3 0 0 0 1, 4 0 100 0 1");
  v.Fit(s, nullptr);
  EXPECT_EQ(std::tuple(v.scale, v.cv), std::tuple(6.0, -50.0));  // min(10, 600 / 100)

  CPointStore t;
  AddPoints(t, "3 0 0 0 1, 4 0.1 0.1 0 1");
  v.Fit(t, nullptr);
  EXPECT_EQ(v.scale, 500);  // not 6000

  v.showRapids = true;
  v.Fit(s, nullptr);
  EXPECT_DOUBLE_EQ(v.scale, 0.6);
}

TEST(View, FitIncludesVisibleLayersButNotArcCentres) {
  CPointStore s;
  CLayerTable layers;
  ViewState v;
  v.width = 100, v.height = 100;
  v.SetDirection(1);
  AddPoints(s, "3 0 0 0 1, 8 10 0 0 1, 91 500 500 0 1");  // an offset is no point to fit
  v.Fit(s, &layers);
  EXPECT_DOUBLE_EQ(v.scale, 10);  // width 10, height 0
  layers.SaveLayer(1, s);
  CPointStore other;
  AddPoints(other, "3 0 0 0 1, 4 50 0 0 1");
  layers.SaveLayer(2, other);
  layers[2].echo = false;
  v.Fit(s, &layers);
  EXPECT_DOUBLE_EQ(v.scale, 10);
  layers[2].echo = true;
  v.Fit(s, &layers);
  EXPECT_DOUBLE_EQ(v.scale, 2);
}

TEST(View, KeysWrapAnglesAndPanInWholeUnits) {
  ViewState v;
  for (int i = 0; i < 36; ++i) v.Key(ViewKey::PageUp);
  EXPECT_EQ(v.az, 330);
  // Only angles above 360 wrap.
  for (auto [key, from, to] : {std::tuple(ViewKey::Delete, 0, 350), {ViewKey::Insert, 350, 360}}) {
    v.ax = from;
    v.Key(key);
    EXPECT_EQ(v.ax, to);
  }
  v.scale = 100;
  v.Key(ViewKey::Up);
  EXPECT_EQ(v.cv, 1);  // at least one unit
  v.scale = 0.5;
  v.Key(ViewKey::Left);
  EXPECT_EQ(v.cu, 21);
}

TEST(View, DragRotateAccumulatesSmallMoves) {
  ViewState v;
  v.SetDirection(1);
  v.BeginDrag(100, 100);
  EXPECT_EQ(v.DragRotate(103, 100), 0);  // 1.5 degrees: nothing
  EXPECT_EQ(v.az, 0);
  EXPECT_EQ(v.DragRotate(105, 100), 1);  // 2.5 degrees from the anchor, stored as 2
  EXPECT_EQ(std::tuple(v.az, v.anchorX), std::tuple(2, 105));
  v.BeginDrag(0, 0);
  v.DragRotate(0, -10);
  EXPECT_EQ(v.ax, 355);
  // The point the drag turns about stays in place: TurnsKeepTheirPointInTheWindow.
}

// Unproject undoes ProjectUV and Depth in every direction, and the middle point is where the
// window's middle is, as deep as asked.
TEST(View, UnprojectAndTheMiddlePoint) {
  ViewState v;
  v.scale = 3, v.cu = 17, v.cv = -4;
  for (int n = 1; n <= 7; ++n) {
    SCOPED_TRACE(n);
    v.SetDirection(n);
    const double p[3] = {12.5, -40, 7.25};
    double u, w, back[3];
    double vv;
    v.ProjectUV(p[0], p[1], p[2], u, vv);
    v.Unproject(u, vv, v.Depth(p[0], p[1], p[2]), back);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(back[k], p[k], 1e-9);
    double middle[3];
    v.MiddlePoint(p, middle);
    v.ProjectUV(middle[0], middle[1], middle[2], u, w);
    EXPECT_LT(std::hypot(u - v.cu, w - v.cv,
                         v.Depth(middle[0], middle[1], middle[2]) - v.Depth(p[0], p[1], p[2])),
              1e-9);
  }
}

// The property of a turn about a point: whatever the angles, scale, centre and point, and
// whichever way the turn comes (a drag, the keys, the wheel), the point keeps its window
// position; the classic turns without a point keep the whole-unit centre.
TEST(View, TurnsKeepTheirPointInTheWindow) {
  std::uint32_t seed = 12345;
  auto next = [&seed](double lo, double hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * (seed >> 8) / double(1u << 24);
  };
  auto precise = [](const ViewState& v, const double p[3], double& x, double& y) {
    double u, w;
    v.ProjectUV(p[0], p[1], p[2], u, w);
    x = (u - v.cu) * v.scale, y = (w - v.cv) * v.scale;
  };
  const ViewKey turns[] = {ViewKey::PageUp, ViewKey::PageDown, ViewKey::Home,
                           ViewKey::End,    ViewKey::Insert,   ViewKey::Delete};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    ViewState v;
    v.SetAngles(static_cast<int>(next(0, 360)), static_cast<int>(next(0, 360)),
                static_cast<int>(next(0, 360)));
    v.scale = next(0.01, 500);
    v.cu = std::floor(next(-5000, 5000)), v.cv = std::floor(next(-5000, 5000));
    const double fitted[3] = {next(-1000, 1000), next(-1000, 1000), next(-300, 300)};
    double p[3];
    if (round % 2)
      v.MiddlePoint(fitted, p);  // the centre of what is shown
    else
      p[0] = next(-1000, 1000), p[1] = next(-1000, 1000), p[2] = next(-300, 300);
    double x0, y0, x1, y1;
    precise(v, p, x0, y0);
    const WindowPoint at = v.Project(p[0], p[1], p[2]);
    switch (round % 3) {
      case 0:
        for (int k = 0; k < 3; ++k) v.pivot[k] = p[k];
        v.BeginDrag(0, 0);
        ASSERT_EQ(v.DragRotate(static_cast<int>(next(-400, 400)) | 8, -37), 1);
        break;
      case 1:
        v.Key(turns[round % 6], p);
        break;
      case 2:
        v.Wheel(120 * static_cast<int>(next(1, 5)), p);
        break;
    }
    precise(v, p, x1, y1);
    EXPECT_LT(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)), 1e-6 * std::max(1.0, v.scale));
    const WindowPoint now = v.Project(p[0], p[1], p[2]);
    EXPECT_TRUE(std::abs(now.x - at.x) <= 1 && std::abs(now.y - at.y) <= 1);
  }
  // Without a point the keys and the wheel turn about the origin, the centre kept whole.
  ViewState v;
  v.cu = 10, v.cv = -3;
  v.Key(ViewKey::PageUp);
  v.Wheel(240);
  EXPECT_EQ(std::tuple(v.cu, v.cv), std::tuple(10.0, -3.0));
  // The pan keys move the picture even with a point given.
  const double p[3] = {1, 2, 3};
  v.scale = 100;
  v.Key(ViewKey::Up, p);
  EXPECT_EQ(v.cv, -2);
}

// The fit with a margin frames the same middle a tenth smaller than the described fit, and
// records the middle of what it fitted for the turns.
TEST(View, FitWithMarginAndTheFittedCentre) {
  CPointStore s;
  AddPoints(s, "3 0 0 0 1, 4 100 50 -20 1");
  ViewState v;
  v.width = 600, v.height = 600;
  v.SetDirection(1);
  v.Fit(s, nullptr);
  const double scale = v.scale, cu = v.cu, cv = v.cv;
  EXPECT_EQ(std::tuple(v.fittedCentre[0], v.fittedCentre[1], v.fittedCentre[2]),
            std::tuple(50.0, 25.0, -10.0));
  v.FitWithMargin(s, nullptr);
  EXPECT_DOUBLE_EQ(v.scale, 0.9 * scale);
  EXPECT_EQ(std::tuple(v.cu, v.cv), std::tuple(cu, cv));
}

TEST(View, WheelPanAndQuietTime) {
  ViewState v;
  v.Wheel(240);
  EXPECT_EQ(v.az, 340);
  v.Wheel(-119);  // less than a notch: nothing
  EXPECT_EQ(v.az, 340);
  v.mouseMode = MouseMode::Pan;
  v.scale = 10;
  v.Wheel(120);
  EXPECT_DOUBLE_EQ(v.scale, 11);
  v.BeginDrag(0, 0);
  v.DragPan(25, -11);
  EXPECT_EQ(std::tuple(v.cu, v.cv), std::tuple(-2.0, 1.0));
  // Quiet time after long operations.
  EXPECT_TRUE(v.InputAllowed(5));
  v.MarkOperationEnd(10'000);
  EXPECT_FALSE(v.InputAllowed(10'999));
  EXPECT_TRUE(v.InputAllowed(11'000));
}

class RectanglePick : public ::testing::Test {
 protected:
  void SetUp() override {
    v.width = 200, v.height = 200, v.scale = 1;
    v.SetDirection(1);
    // Path 1: rapid, cut along y = 0 from x = -50 to 50. Path 2: rapid, cut along y = 50.
    AddPoints(s,
              "1 -50 0 10, 3 -50 0 0 100, 4 50 0 0 100, 1 -50 50 10, 3 -50 50 0 100, "
              "4 50 50 0 100");
  }
  // The marks of the records, one digit each.
  std::string Marks() const {
    std::string m;
    for (std::uint32_t i = 0; i < s.count; ++i) m += char('0' + s.RawRecord(i)->mark);
    return m;
  }
  CPointStore s;
  ViewState v;
};

TEST_F(RectanglePick, ToggleWholePathsAndShiftSelectsMoves) {
  // Around model (0, 0): client (100, 100). A 2-pixel box grows to 12 pixels.
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(Marks(), "111000");
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(Marks(), "000000");
  // The last path runs to the end.
  TogglePathsInRectangle(s, v, {140, 45, 145, 55});  // model (40..45, 50..55)
  EXPECT_EQ(Marks(), "000111");
  s.ClearSelection();
  SelectInRectangle(s, v, {140, 95, 145, 105});
  EXPECT_EQ(Marks(), "001000");  // a point move at (-50, 0) does not pass through
}

TEST_F(RectanglePick, ArcsAreSampledAlongTheirLength) {
  CPointStore a;
  AddPoints(a, "1 40 0 10, 3 40 0 0 100, 6 -40 0 0 100, 91 -40 0 0 100");  // through (0, 40)
  SelectInRectangle(a, v, {95, 55, 105, 65});                              // around model (0, 40)
  EXPECT_EQ(a.RawRecord(2)->mark, 1);
}

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

// ---- The status line ---------------------------------------------------------------------------

// Panes 1 to 6 joined by '|'.
std::string Panes(const StatusPanes& p) {
  std::string out = p.pane[1];
  for (int i = 2; i <= 6; ++i) out += "|" + p.pane[i];
  return out;
}

TEST(StatusLine, PanesForEachKindOfMove) {
  // The first arc's offset has length 10; the second one's 5.
  CPointStore s;
  testing::AddPoints(s,
                     "1 0 0 50, 3 10 0 50 500, 8 20 10 50 800, 91 0 6 8, "
                     "6 1.5 -2.25 3.125 12345, 91 3 4 0");
  StatusPanes p;
  const char* want[] = {"G00|X:0.000|Y:0.000|Z:50.000||F:", "G01|X:10.000|Y:0.000|Z:50.000||F: 500",
                        "G02|X:20.000|Y:10.000|Z:50.000|R:10.000|F: 800", "",
                        "G03|X:1.500|Y:-2.250|Z:3.125|R:5.000|F:12345"};
  for (std::uint32_t i : {0, 1, 2, 4}) {
    ASSERT_EQ(ShowPoint(s, i, Language::English, p), 1);
    EXPECT_EQ(Panes(p), want[i]);
  }
  ShowPoint(s, 2, Language::English, p);
  EXPECT_EQ(s.reg.type, MOVE_ARC_CW);  // the register holds the point again
  // Centre records and indices beyond the store leave the panes.
  EXPECT_EQ(ShowPoint(s, 3, Language::English, p), 0);
  EXPECT_EQ(ShowPoint(s, 600, Language::English, p), 0);
  EXPECT_EQ(Panes(p), want[2]);
}

TEST(StatusLine, MouseShowsModelPositionOnlyInOrthographicViews) {
  ViewState v;
  v.width = 800, v.height = 600, v.scale = 2.0, v.cu = 10, v.cv = -5;
  StatusPanes p;
  p.pane[1] = "G01";
  p.pane[6] = "F: 100";
  // p = 10 + 10, q = -5 - 5; outside the orthographic views the panes show zeros.
  for (auto [direction, panes] :
       {std::pair(1, "|X:20.000|Y:10.000|Z:0.000||"), {3, "|X:0.000|Y:20.000|Z:10.000||"}}) {
    v.SetDirection(direction);
    ShowMouse(v, 420, 290, Language::English, p);
    EXPECT_EQ(Panes(p), panes);
  }
  v.SetDirection(5);
  ShowMouse(v, 420, 290, Language::English, p);
  EXPECT_EQ(std::tuple(p.pane[2], p.pane[3]), std::tuple("X:0.000", "Y:0.000"));

  EXPECT_EQ(PickedPointText(1.5, -2, 30.25, Language::English), " X 1.500 Y-2.000 Z30.250");
  EXPECT_EQ(HelpPaneText("", Language::English), "Help:  ");
  EXPECT_EQ(HelpPaneText("Help: Select toolpath with left mouse button.", Language::English),
            "Help: Select toolpath with left mouse button.");
  EXPECT_EQ(HelpPaneText("Processing", Language::English), "Help: Processing");
}

// ---- Layer colours -----------------------------------------------------------------------------

TEST(LayerColours, LayersAboveTenRepeatOneToTen) {
  LayerColourTable t;
  t.index = {15, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14};
  for (auto [layer, same] : {std::pair(13, 3), {20, 10}, {21, 1}, {99, 9}, {255, 5}})
    EXPECT_EQ(LayerColour(t, layer), LayerColour(t, same)) << layer;
  EXPECT_EQ(std::tuple(LayerColour(t, 10), LayerColour(t, -1)), std::tuple(14, kColourGreen));
  // The fixed eleventh entry continues the default sequence.
  EXPECT_EQ(LayerColour(LayerColourTable{}, 10), 10);
  // Reversed background swaps only white and black.
  EXPECT_EQ(std::tuple(DrawnColour(0, true).red, DrawnColour(15, true).red,
                       DrawnColour(4, true).red, DrawnColour(4, true).green),
            std::tuple(0, 255, 255, 0));
  EXPECT_STREQ(DrawnColour(99).name, "White");
}

TEST(LayerColours, FileRoundTripsAndABadFileKeepsEveryLayerOnTheList) {
  testing::TempDir dir;
  const std::string d = dir.path().string();
  LayerColourTable t;
  EXPECT_EQ(ReadLayerColours(d, t), 0);  // no file: layer number as colour
  EXPECT_EQ(std::tuple(LayerColour(t, 3), LayerColour(t, 0)), std::tuple(3, 0));
  t.index = {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 10};
  ASSERT_EQ(WriteLayerColours(d, t), 1);
  EXPECT_EQ(testing::ReadAll(LayerColourPath(d)), "15 \n14 \n13 \n12 \n11 \n10 \n9 \n8 \n7 \n6 \n");
  LayerColourTable back;
  ASSERT_EQ(ReadLayerColours(d, back), 1);
  EXPECT_EQ(back.index, t.index);
  EXPECT_EQ(WriteLayerColours("/nonexistent-dir/for/colours", t), 0);
  // Out of range: the default kept; reading stops at "blue". CR LF line ends and an empty line
  // read as line feeds do.
  const std::pair<const char*, std::array<int, 11>> files[] = {
      {"5 99 -3 6\nblue 7 7 7\n", {5, 1, 2, 6, 4, 5, 6, 7, 8, 9, 10}},
      {"15 \r\n14 \r\n13\r\n12\r\n\r\n11 \r\n", {15, 14, 13, 12, 11, 5, 6, 7, 8, 9, 10}}};
  for (const auto& [text, index] : files) {
    testing::WriteFile(LayerColourPath(d), text);
    LayerColourTable read;
    ASSERT_EQ(ReadLayerColours(d, read), 1);
    EXPECT_EQ(read.index, index) << text;
  }
}

}  // namespace
}  // namespace trevalon
