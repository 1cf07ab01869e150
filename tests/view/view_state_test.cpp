#include "view/view_state.h"

#include <gtest/gtest.h>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

TEST(View, DirectionsAndProjection) {
  ViewState v;
  EXPECT_EQ(v.Direction(), 4);  // starts as the first isometric view
  v.SetDirection(1);
  v.scale = 2;
  WindowPoint p = v.Project(10, 5, 3);
  EXPECT_EQ(p.x, 20);
  EXPECT_EQ(p.y, -10);  // +Y points up the screen
  v.SetDirection(2);
  p = v.Project(10, 5, 3);
  EXPECT_EQ(p.x, 20);
  EXPECT_EQ(p.y, -6);  // +Z points up in the front view
  v.scale = 0;         // a vanishing scale is floored
  v.Project(1, 1, 1);
  EXPECT_EQ(v.scale, 1e-5);
}

TEST(View, WindowToModelOnlyInOrthographicViews) {
  ViewState v;
  v.width = 600, v.height = 400, v.scale = 2, v.cu = 10, v.cv = -5;
  double m[3];
  v.SetDirection(1);
  ASSERT_EQ(v.WindowToModel(320, 180, m), 1);
  EXPECT_DOUBLE_EQ(m[0], 20);  // (320 - 300) / 2 + 10
  EXPECT_DOUBLE_EQ(m[1], 15);  // -((180 - 200) / 2 - 5)
  v.SetDirection(3);
  ASSERT_EQ(v.WindowToModel(320, 180, m), 1);
  EXPECT_EQ(m[0], 0);
  EXPECT_DOUBLE_EQ(m[1], 20);
  EXPECT_DOUBLE_EQ(m[2], 15);
  v.SetDirection(5);
  EXPECT_EQ(v.WindowToModel(320, 180, m), 0);
  EXPECT_EQ(m[0], 0);
  // Projection and inversion agree in the top view.
  v.SetDirection(1);
  WindowPoint w = v.Project(42, -17, 0);
  ASSERT_EQ(v.WindowToModel(w.x + v.width / 2, w.y + v.height / 2, m), 1);
  EXPECT_DOUBLE_EQ(m[0], 42);
  EXPECT_DOUBLE_EQ(m[1], -17);
}

TEST(View, FitRules) {
  CPointStore s;
  ViewState v;
  v.width = 600, v.height = 600;
  v.SetDirection(1);
  v.Fit(s, nullptr);  // empty: the box -20..20
  EXPECT_DOUBLE_EQ(v.scale, 15);
  EXPECT_EQ(v.cu, 0);

  // A rapid (skipped unless shown) and one vertical line: width below 0.01.
  AddPoints(s, "1 1000 1000 0, 3 0 0 0 1, 4 0 100 0 1");
  v.Fit(s, nullptr);
  EXPECT_DOUBLE_EQ(v.scale, 6);  // min(10, 600 / 100)
  EXPECT_EQ(v.cv, -50);

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
  v.ax = 0;
  v.Key(ViewKey::Delete);
  EXPECT_EQ(v.ax, 350);
  v.ax = 350;
  v.Key(ViewKey::Insert);
  EXPECT_EQ(v.ax, 360);  // only angles above 360 wrap
  v.scale = 100;
  v.Key(ViewKey::Up);
  EXPECT_EQ(v.cv, 1);  // at least one unit
  v.scale = 0.5;
  v.Key(ViewKey::Left);
  EXPECT_EQ(v.cu, 21);
}

TEST(View, DragRotateAccumulatesSmallMovesAndKeepsTheCentre) {
  ViewState v;
  v.SetDirection(1);
  v.BeginDrag(100, 100);
  EXPECT_EQ(v.DragRotate(103, 100), 0);  // 1.5 degrees: nothing
  EXPECT_EQ(v.az, 0);
  EXPECT_EQ(v.DragRotate(105, 100), 1);  // 2.5 degrees from the anchor, stored as 2
  EXPECT_EQ(v.az, 2);
  EXPECT_EQ(v.anchorX, 105);
  v.BeginDrag(0, 0);
  v.DragRotate(0, -10);
  EXPECT_EQ(v.ax, 355);
  // The rotation centre stays in place.
  v.SetDirection(1);
  v.scale = 4;
  v.rotationCentre[0] = 50, v.rotationCentre[1] = 20;
  WindowPoint before = v.Project(50, 20, 0);
  v.BeginDrag(0, 0);
  ASSERT_EQ(v.DragRotate(60, 0), 1);
  WindowPoint after = v.Project(50, 20, 0);
  EXPECT_NEAR(after.x, before.x, 4 * 1 + 1);  // within the whole-unit centre steps
  EXPECT_NEAR(after.y, before.y, 4 * 1 + 1);
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
  EXPECT_EQ(v.cu, -2);
  EXPECT_EQ(v.cv, 1);
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
  int Mark(std::uint32_t i) { return s.RawRecord(i)->mark; }
  CPointStore s;
  ViewState v;
};

TEST_F(RectanglePick, ToggleWholePathsAndShiftSelectsMoves) {
  // Around model (0, 0): client (100, 100). A 2-pixel box grows to 12 pixels.
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(Mark(0), 1);
  EXPECT_EQ(Mark(1), 1);
  EXPECT_EQ(Mark(2), 1);
  EXPECT_EQ(Mark(3), 0);
  TogglePathsInRectangle(s, v, {99, 99, 101, 101});
  EXPECT_EQ(Mark(1), 0);
  // The last path runs to the end.
  TogglePathsInRectangle(s, v, {140, 45, 145, 55});  // model (40..45, 50..55)
  EXPECT_EQ(Mark(3), 1);
  EXPECT_EQ(Mark(5), 1);
  EXPECT_EQ(Mark(0), 0);
  s.ClearSelection();
  SelectInRectangle(s, v, {140, 95, 145, 105});
  EXPECT_EQ(Mark(2), 1);
  EXPECT_EQ(Mark(1), 0);  // a point move at (-50, 0) does not pass through
  EXPECT_EQ(Mark(0), 0);
}

TEST_F(RectanglePick, ArcsAreSampledAlongTheirLength) {
  CPointStore a;
  AddPoints(a, "1 40 0 10, 3 40 0 0 100, 6 -40 0 0 100, 91 -40 0 0 100");  // through (0, 40)
  SelectInRectangle(a, v, {95, 55, 105, 65});                              // around model (0, 40)
  EXPECT_EQ(a.RawRecord(2)->mark, 1);
}

}  // namespace
}  // namespace trevalon
