// The view: its directions, projection and state, the status line; then the simplified
// toolpath of drag frames: every level stays within its tolerance of every move and keeps every
// run whole at its ends and in its pen; levels halve; and a preparation on the second thread is
// dropped when the store or a layer changed while it ran; and the arc both drawings sample.

#include "view/view_state.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <tuple>
#include <vector>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "ncio/data_cases.h"
#include "test_support.h"
#include "view/drawn_arc.h"
#include "view/layer_colours.h"
#include "view/status_line.h"
#include "view/toolpath_lod.h"

namespace trevalon {
namespace {

using namespace testing;

// A view and a store of their own for each test.
struct View : ::testing::Test {
  CPointStore s;
  ViewState v;
};

TEST_F(View, DirectionsAndProjection) {
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

TEST_F(View, WindowToModelOnlyInOrthographicViews) {
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

TEST_F(View, FitRules) {
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

TEST_F(View, FitIncludesVisibleLayersButNotArcCentres) {
  CLayerTable layers;
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

TEST_F(View, KeysWrapAnglesAndPanInWholeUnits) {
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

TEST_F(View, DragRotateAccumulatesSmallMoves) {
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
TEST_F(View, UnprojectAndTheMiddlePoint) {
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
TEST_F(View, TurnsKeepTheirPointInTheWindow) {
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
TEST_F(View, FitWithMarginAndTheFittedCentre) {
  AddPoints(s, "3 0 0 0 1, 4 100 50 -20 1");
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

TEST_F(View, WheelPanAndQuietTime) {
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

class RectanglePick : public View {
 protected:
  void SetUp() override {
    v.width = 200, v.height = 200, v.scale = 1;
    v.SetDirection(1);
    // Path 1: rapid, cut along y = 0 from x = -50 to 50. Path 2: rapid, cut along y = 50.
    AddPoints(s,
              "1 -50 0 10, 3 -50 0 0 100, 4 50 0 0 100, 1 -50 50 10, 3 -50 50 0 100, "
              "4 50 50 0 100");
  }
};

TEST_F(RectanglePick, ToggleWholePathsAndShiftSelectsMoves) {
  // Around model (0, 0): client (100, 100). A 2-pixel box grows to 12 pixels.
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(testing::Marks(s), "111000");
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(testing::Marks(s), "000000");
  // The last path runs to the end.
  TogglePathsInRectangle(s, v, {140, 45, 145, 55});  // model (40..45, 50..55)
  EXPECT_EQ(testing::Marks(s), "000111");
  s.ClearSelection();
  SelectInRectangle(s, v, {140, 95, 145, 105});
  EXPECT_EQ(testing::Marks(s), "001000");  // a point move at (-50, 0) does not pass through
}

TEST_F(RectanglePick, ArcsAreSampledAlongTheirLength) {
  CPointStore a;
  AddPoints(a, "1 40 0 10, 3 40 0 0 100, 6 -40 0 0 100, 91 -40 0 0 100");  // through (0, 40)
  SelectInRectangle(a, v, {95, 55, 105, 65});                              // around model (0, 40)
  EXPECT_EQ(a.RawRecord(2)->mark, 1);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

// The whole-pixel rule every drawing and every window pick shares.
TEST(ViewProjection, WholePixelRule) {
  for (const testing::DataCase& c : testing::ReadCases("view/window_pixel.txt")) {
    const auto trace = c.Trace();
    const std::vector<double> p = testing::Numbers(c["value"]);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(WindowPixel(p[0]), c.Int("pixel"));
  }
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

using StatusLine = View;

// Panes 1 to 6 joined by '|'.
std::string Panes(const StatusPanes& p) {
  std::string out = p.pane[1];
  for (int i = 2; i <= 6; ++i) out += "|" + p.pane[i];
  return out;
}

TEST_F(StatusLine, PanesForEachKindOfMove) {
  // The first arc's offset has length 10; the second one's 5.
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

TEST_F(StatusLine, MouseShowsModelPositionOnlyInOrthographicViews) {
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

// ---- The simplified toolpath -------------------------------------------------------------------

// A wavy finishing run of `points` points per pass, little separate paths (a rapid, then two or
// three cuts) of alternating feed, a selected stretch, and arcs in the three planes.
void MixedToolpath(CPointStore& s, int passes, int points) {
  s.Init();
  AddPoint(s, MOVE_RAPID, 0, 0, 20);
  for (int p = 0; p < passes; ++p) {
    for (int k = 0; k < points; ++k) {
      const int kk = p % 2 == 0 ? k : points - 1 - k;
      const double x = 100.0 * kk / (points - 1), y = 2.0 * p;
      const double z = 5 * std::sin(x / 9.0) * std::cos(y / 7.0) + 0.003 * (k % 5);
      AddPoint(s, k == 0 && p == 0 ? MOVE_LINE : MOVE_LINE_CONT, x, y, z, 900, k > 40 && k < 60);
    }
  }
  for (int n = 0; n < 200; ++n) {
    const double x = 120 + (n % 20) * 3.0, y = (n / 20) * 3.0;
    AddPoint(s, MOVE_RAPID, x, y, 5);
    AddPoint(s, MOVE_LINE, x + 0.4, y + 0.1, 0, 300 + 100 * (n % 3));
    AddPoint(s, MOVE_LINE_CONT, x + 0.5, y + 0.9, 0, 300 + 100 * (n % 3));
    if (n % 2) AddPoint(s, MOVE_LINE_CONT, x + 1.3, y + 0.2, -0.5, 2000);
  }
  // The second arc is a helix: a whole turn in ZX.
  testing::AddPoints(s,
                     "1 0 -10 0, 3 10 -10 0 500, 6 -10 -10 0 500, 91 -10 0 0, 8 -10 -10 20 700, "
                     "92 5 0 0, 6 -10 -4 2 700, 93 0 3 -2");
}

struct LodRun {
  int pen;
  std::vector<LodVertex> v;
};

// The runs of a level: a piece that does not start where the last one ended starts a run.
std::vector<LodRun> Runs(const LodLevel& level) {
  std::vector<LodRun> runs;
  std::uint32_t end = UINT32_MAX;
  for (const LodPiece& p : level.pieces) {
    if (p.first != end) {
      runs.push_back({p.pen, {level.vertices[p.first]}});
    }
    for (std::uint32_t k = 1; k < p.count; ++k)
      runs.back().v.push_back(level.vertices[p.first + k]);
    end = p.first + p.count - 1;
  }
  return runs;
}

bool Same(const LodVertex& a, const LodVertex& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

std::shared_ptr<ToolpathLod> Prepare(CPointStore& store, CLayerTable& layers, LodParams params) {
  LodSource source;
  EXPECT_TRUE(source.Take(store, layers));
  return BuildToolpathLod(source.Inputs(), params);
}

// Every vertex of the walk (the stride copy with stride 1 keeps them all) lies within the
// level's tolerance of the kept line between the kept vertices around it; the kept vertices
// are the walk's own, in order; runs keep their ends and pens; and each coarser level has at
// most half the vertices of the one before it.
TEST(ToolpathLod, EveryLevelStaysWithinItsToleranceAndKeepsEveryRun) {
  CPointStore store;
  CLayerTable layers;
  MixedToolpath(store, 30, 1500);
  for (bool byLayer : {true, false}) {
    for (bool rapids : {false, true}) {
      LodParams params;
      params.byLayer = byLayer;
      params.showRapids = rapids;
      params.baseTolerance = 0.002;
      auto lod = Prepare(store, layers, params);
      ASSERT_TRUE(lod);
      EXPECT_EQ(std::tuple(lod->pens.lowFeed, lod->pens.highFeed), std::tuple(300, 2000));
      auto all = StrideToolpathLod(store, layers, params, lod->pens, 1);
      ASSERT_EQ(lod->layers.size(), 1u);
      const std::vector<LodRun> walk = Runs(all->layers[0].levels[0]);
      const LodLayer& layer = lod->layers[0];
      ASSERT_GE(layer.levels.size(), 3u);
      std::uint64_t previous = 0;
      for (const LodRun& r : walk) previous += r.v.size();
      EXPECT_EQ(layer.sourceVertices, previous);
      double lastTolerance = 0;
      for (const LodLevel& level : layer.levels) {
        SCOPED_TRACE(level.tolerance);
        EXPECT_GT(level.tolerance, lastTolerance);
        lastTolerance = level.tolerance;
        if (&level != &layer.levels.front()) {
          EXPECT_LE(level.vertices.size() * 2, previous);
        }
        previous = level.vertices.size();
        const std::vector<LodRun> kept = Runs(level);
        ASSERT_EQ(kept.size(), walk.size());
        for (std::size_t r = 0; r < walk.size(); ++r) {
          const LodRun& w = walk[r];
          const LodRun& k = kept[r];
          ASSERT_TRUE(k.pen == w.pen && Same(k.v.front(), w.v.front()) &&
                      Same(k.v.back(), w.v.back()))
              << "run " << r;
          std::size_t j = 0;  // k.v[j] is the last kept vertex at or before walk vertex i
          for (std::size_t i = 0; i < w.v.size(); ++i) {
            if (j + 1 < k.v.size() && Same(w.v[i], k.v[j + 1])) {
              ++j;
              continue;
            }
            ASSERT_LT(j + 1, k.v.size());
            ASSERT_LE(testing::SegmentDistance(w.v[i], k.v[j], k.v[j + 1]),
                      level.tolerance * 1.0001 + 1e-5)
                << "run " << r << " vertex " << i;
          }
          ASSERT_EQ(j + 1, k.v.size()) << "kept vertices out of the walk's order, run " << r;
        }
        // The boxes of the pieces hold their vertices.
        for (const LodPiece& p : level.pieces) {
          for (std::uint32_t q = p.first; q < p.first + p.count; ++q) {
            const LodVertex& v = level.vertices[q];
            ASSERT_TRUE(v.x >= p.lo[0] && v.x <= p.hi[0] && v.y >= p.lo[1] && v.y <= p.hi[1] &&
                        v.z >= p.lo[2] && v.z <= p.hi[2]);
          }
        }
      }
      // The coarsest levels hold little more than the ends of the runs.
      EXPECT_LT(layer.levels.back().vertices.size(), 4 * walk.size() + 200);
    }
  }
}

// Records a damaged file may leave: coordinates beyond the sane limit or no numbers, a centre
// record far away or without its arc, an arc without its centre. The walk passes them as the
// full drawing does, and the copy is made.
TEST(ToolpathLod, DamagedRecordsAreWalkedWithoutHarm) {
  CPointStore store;
  CLayerTable layers;
  AddPoint(store, MOVE_RAPID, 0, 0, 0);
  AddPoint(store, MOVE_LINE, 1, std::nan(""), 0, 100);
  // An unsound ZX centre (the arc is drawn straight), a YZ centre without its arc, an arc
  // without its centre, huge coordinates.
  testing::AddPoints(store,
                     "8 2 2 0 100, 91 1 3e38 0, 6 3 1 0 100, 92 0 0 1e9, 93 1 1 1, 8 4 4 4 100, "
                     "4 3e38 0 0 100, 4 5 -3e38 1 100, 4 6 6 6 100");
  store.count += 5000;  // counted but never written
  for (bool rapids : {false, true}) {
    LodParams params;
    params.showRapids = rapids;
    params.baseTolerance = 1e-6;
    auto lod = Prepare(store, layers, params);
    ASSERT_TRUE(lod);
    ASSERT_TRUE(StrideToolpathLod(store, layers, params, lod->pens, 3));
    EXPECT_GE(lod->layers[0].levels.size(), 1u);
  }
}

// Waits for the preparing thread (at most ten seconds).
bool WaitFor(LodPreparer& p) {
  for (int k = 0; k < 10000 && !p.Finished(); ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return p.Finished();
}

// The thread walks snapshots: the store and the layers are edited while it runs, as the user
// interface does between frames (built with ThreadSanitizer, this shows any record the two
// threads share unguarded); a copy of records that are gone is never handed out, and one of
// records still in place is.
TEST(ToolpathLod, APreparationOfAnEditedToolpathIsDropped) {
  CPointStore store;
  CLayerTable layers;
  MixedToolpath(store, 120, 4000);
  LodParams params;
  params.baseTolerance = 0.001;
  std::atomic<int> finished{0};
  auto done = [&] { ++finished; };

  LodPreparer p;
  ASSERT_TRUE(p.Start(store, layers, params, done));
  EXPECT_FALSE(p.Start(store, layers, params, done));  // one at a time
  EXPECT_TRUE(p.Describes(store, layers));
  ASSERT_TRUE(WaitFor(p));
  LodPreparer::Result kept = p.Take(store, layers);
  ASSERT_TRUE(kept.lod);
  EXPECT_TRUE(!p.Running() && kept.source->Matches(store, layers));

  // Edits of every kind while the walk runs: a changed mark, an appended point, a selection
  // cleared, a layer saved and echoed, the whole store replaced by an undo state.
  const std::vector<std::function<void()>> edits = {
      [&] {
        store.FetchPoint(10);
        store.reg.mark = 1;
        store.StorePoint(10);
      },
      [&] { AddPoint(store, MOVE_LINE_CONT, 1, 2, 3, 900); },
      [&] { store.ClearSelection(); },
      [&] { layers.SaveLayer(7, store); },
      [&] {
        RecordSnapshot before;
        ASSERT_TRUE(store.Snapshot(before));
        store.FetchPoint(5);
        store.reg.x += 1;
        store.StorePoint(5);
        store.Restore(before);  // the records are as before, in their old pages
      },
  };
  for (std::size_t e = 0; e < edits.size(); ++e) {
    SCOPED_TRACE(e);
    ASSERT_TRUE(p.Start(store, layers, params, done));
    edits[e]();
    ASSERT_TRUE(WaitFor(p));
    LodPreparer::Result r = p.Take(store, layers);
    // Restored pages are the pages the walk read: the copy still describes the store. The
    // copy taken before any edit no longer fits either (except after the restore).
    EXPECT_EQ(bool(r.lod), e == 4);
    if (e < 4) {
      EXPECT_FALSE(kept.source->Matches(store, layers));
    }
  }
  EXPECT_EQ(finished.load(), 6);

  // Stopped on the way: nothing comes out; and a view closed during a walk waits for it.
  ASSERT_TRUE(p.Start(store, layers, params, done));
  p.Cancel();
  ASSERT_TRUE(WaitFor(p));
  EXPECT_FALSE(p.Take(store, layers).lod);
  {
    LodPreparer closing;
    ASSERT_TRUE(closing.Start(store, layers, params, nullptr));
  }
}

// ---- The drawn arc -----------------------------------------------------------------------------

// The arc the drawings sample: its sweep by direction and plane, a whole turn for a closed arc,
// and a chord count that stays in bounds for any radius, a damaged one included; and the
// points both drawings take along it: on the circle, in order, no chord further than the
// tolerance from it at the scale given, the height along the normal climbing evenly.

PointRecord Rec(int type, float x, float y, float z) {
  PointRecord r{};
  r.type = static_cast<decltype(r.type)>(type);
  r.x = x, r.y = y, r.z = z;
  return r;
}

constexpr double kPi = 3.141592653589793;

TEST(DrawnArc, SweepFollowsDirectionPlaneAndClosure) {
  const double s[3] = {10, 0, 0};
  // From (10,0) round the origin to (0,10): a quarter counter-clockwise, three quarters
  // clockwise; an arc that ends where it starts is a whole turn, either way.
  for (auto [type, endY, sweep] : {std::tuple(MOVE_ARC_CCW, 10.0f, kPi / 2),
                                   {MOVE_ARC_CW, 10.0f, -1.5 * kPi},
                                   {MOVE_ARC_CCW, 0.0f, 2 * kPi},
                                   {MOVE_ARC_CW, 0.0f, -2 * kPi}}) {
    const DrawnArc d = DrawnArcOf(s, Rec(type, 10 - endY, endY, 0), Rec(PLANE_XY, -10, 0, 0));
    EXPECT_LT(std::hypot(d.sweep - sweep, d.r - 10, d.start), 1e-9) << type << " " << endY;
  }
  // G18: angles from +Z towards +X, Y the normal.
  const double t[3] = {0, 5, 10};
  const DrawnArc d = DrawnArcOf(t, Rec(MOVE_ARC_CCW, 10, 5, 0), Rec(PLANE_ZX, 0, 0, -10));
  EXPECT_EQ(std::tuple(d.a, d.b, d.n), std::tuple(2, 0, 1));
  EXPECT_NEAR(d.sweep, kPi / 2, 1e-9);
}

TEST(DrawnArc, ChordCountStaysInBounds) {
  EXPECT_EQ(ChordSteps(kPi, 0.4, 0.33, 0.5), 1);  // smaller than a pixel: the end alone
  EXPECT_EQ(ChordSteps(1e-9, 100, 0.33, 0.5), 2);
  const int quarter = ChordSteps(kPi / 2, 100, 0.33, 0.5);
  EXPECT_GT(quarter, 2);
  EXPECT_LT(quarter, 40);
  // The tolerance vanishes beside a huge or infinite radius.
  for (auto [sweep, r] : {std::pair(2 * kPi, 1e30),
                          {2 * kPi, std::numeric_limits<double>::infinity()},
                          {std::nan(""), 100.0}})
    EXPECT_EQ(ChordSteps(sweep, r, 0.33, 0.5), 4000) << sweep << " " << r;
  EXPECT_EQ(ChordSteps(kPi, std::nan(""), 0.33, 0.5), 1);
}

TEST(DrawnArcSamples, OnTheCircleInOrderWithinTheTolerance) {
  const double s[3] = {10, 0, 2};
  const struct {
    PointRecord end, centre;
    double scale, tol, minRadius;
    int a, b, n;     // the plane's axes and its normal
    int wantPoints;  // -1: many, checked by the chords
  } cases[] = {
      // A helix quarter in XY drawn in pixels at two zooms, and in model units.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 40.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.01, 0.015, 0, 1, 2, -1},
      // In ZX round (10, 0, -8): the radius 10 in Z and X.
      {Rec(MOVE_ARC_CCW, 10, 5, -18), Rec(PLANE_ZX, 0, 0, -10), 1.0, 0.01, 0.015, 2, 0, 1, -1},
      // Too small at this scale: the end alone, nothing between.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 0.04, 0.33, 0.5, 0, 1, 2, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::array<double, 3>> pts;
    SampleDrawnArc(s, c.end, c.centre, c.scale, c.tol, c.minRadius, [&](const double p[3]) {
      pts.push_back({p[0], p[1], p[2]});
    });
    if (c.wantPoints >= 0) {
      EXPECT_EQ(static_cast<int>(pts.size()), c.wantPoints);
      continue;
    }
    ASSERT_GE(pts.size(), 2u);
    const DrawnArc d = DrawnArcOf(s, c.end, c.centre);
    const double e[3] = {c.end.x, c.end.y, c.end.z};
    std::vector<std::array<double, 3>> all{{s[0], s[1], s[2]}};
    all.insert(all.end(), pts.begin(), pts.end());
    all.push_back({e[0], e[1], e[2]});
    double lastAngle = d.start, lastH = s[c.n];
    for (std::size_t k = 1; k < all.size(); ++k) {
      const auto& p = all[k];
      EXPECT_NEAR(std::hypot(p[c.a] - d.ca, p[c.b] - d.cb), d.r, 1e-6);
      // Each step turns the same way as the sweep and the normal moves monotonically.
      const double turn =
          std::remainder(std::atan2(p[c.b] - d.cb, p[c.a] - d.ca) - lastAngle, 2 * kPi);
      EXPECT_GT(turn * d.sweep, 0) << k;
      EXPECT_GE((p[c.n] - lastH) * (e[c.n] - s[c.n]), 0) << k;
      // The chord's middle lies within the tolerance (at the scale) of the circle.
      const auto& q = all[k - 1];
      const double mid = std::hypot(0.5 * (p[c.a] + q[c.a]) - d.ca, 0.5 * (p[c.b] + q[c.b]) - d.cb);
      EXPECT_LE((d.r - mid) * c.scale, c.tol + 1e-9) << k;
      lastAngle += turn, lastH = p[c.n];
    }
  }
}

}  // namespace
}  // namespace trevalon
