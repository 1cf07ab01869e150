#include "view/status_line.h"

#include <gtest/gtest.h>

#include "model/point_store.h"
#include "test_support.h"
#include "view/view_state.h"

namespace trevalon {
namespace {

using testing::AddPoint;

class StatusLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.Init();
    AddPoint(store, MOVE_RAPID, 0, 0, 50);
    AddPoint(store, MOVE_LINE, 10, 0, 50, 500);
    AddPoint(store, MOVE_ARC_CW, 20, 10, 50, 800);
    AddPoint(store, PLANE_XY, 0, 6, 8);  // offset of length 10 from the arc's start
    AddPoint(store, MOVE_ARC_CCW, 1.5, -2.25, 3.125, 12345);
    AddPoint(store, PLANE_XY, 3, 4, 0);
  }
  CPointStore store;
  StatusPanes panes;
};

TEST_F(StatusLineTest, PanesForEachKindOfMove) {
  ASSERT_EQ(ShowPoint(store, 0, Language::English, panes), 1);
  EXPECT_EQ(panes.pane[1], "G00");
  EXPECT_EQ(panes.pane[2], "X:0.000");
  EXPECT_EQ(panes.pane[4], "Z:50.000");
  EXPECT_EQ(panes.pane[5], "");
  EXPECT_EQ(panes.pane[6], "F:");

  ASSERT_EQ(ShowPoint(store, 1, Language::English, panes), 1);
  EXPECT_EQ(panes.pane[1], "G01");
  EXPECT_EQ(panes.pane[6], "F: 500");

  ASSERT_EQ(ShowPoint(store, 2, Language::English, panes), 1);
  EXPECT_EQ(panes.pane[1], "G02");
  EXPECT_EQ(panes.pane[2], "X:20.000");
  EXPECT_EQ(panes.pane[5], "R:10.000");
  EXPECT_EQ(panes.pane[6], "F: 800");
  EXPECT_EQ(store.reg.type, MOVE_ARC_CW);  // the register holds the point again

  ASSERT_EQ(ShowPoint(store, 4, Language::English, panes), 1);
  EXPECT_EQ(panes.pane[1], "G03");
  EXPECT_EQ(panes.pane[3], "Y:-2.250");
  EXPECT_EQ(panes.pane[5], "R:5.000");
  EXPECT_EQ(panes.pane[6], "F:12345");
}

TEST_F(StatusLineTest, CentreRecordsAndIndicesBeyondTheStoreLeaveThePanes) {
  ShowPoint(store, 1, Language::English, panes);
  const StatusPanes before = panes;
  EXPECT_EQ(ShowPoint(store, 3, Language::English, panes), 0);
  EXPECT_EQ(ShowPoint(store, 600, Language::English, panes), 0);
  EXPECT_EQ(panes.pane, before.pane);
}

TEST(StatusLine, MouseShowsModelPositionOnlyInOrthographicViews) {
  ViewState v;
  v.width = 800;
  v.height = 600;
  v.scale = 2.0;
  v.cu = 10;
  v.cv = -5;
  StatusPanes panes;
  panes.pane[1] = "G01";
  panes.pane[6] = "F: 100";
  v.SetDirection(1);
  ShowMouse(v, 420, 290, Language::English, panes);  // p = 10 + 10, q = -5 - 5
  EXPECT_EQ(panes.pane[1], "");
  EXPECT_EQ(panes.pane[2], "X:20.000");
  EXPECT_EQ(panes.pane[3], "Y:10.000");
  EXPECT_EQ(panes.pane[4], "Z:0.000");
  EXPECT_EQ(panes.pane[6], "");
  v.SetDirection(3);
  ShowMouse(v, 420, 290, Language::English, panes);
  EXPECT_EQ(panes.pane[2], "X:0.000");
  EXPECT_EQ(panes.pane[3], "Y:20.000");
  EXPECT_EQ(panes.pane[4], "Z:10.000");
  v.SetDirection(5);
  ShowMouse(v, 420, 290, Language::English, panes);
  EXPECT_EQ(panes.pane[2], "X:0.000");
  EXPECT_EQ(panes.pane[3], "Y:0.000");
}

TEST(StatusLine, PickedPointAndHelpPane) {
  EXPECT_EQ(PickedPointText(1.5, -2, 30.25, Language::English), " X 1.500 Y-2.000 Z30.250");
  EXPECT_EQ(HelpPaneText("", Language::English), "Help:  ");
  EXPECT_EQ(HelpPaneText("Help: Select toolpath with left mouse button.", Language::English),
            "Help: Select toolpath with left mouse button.");
  EXPECT_EQ(HelpPaneText("Processing", Language::English), "Help: Processing");
}

}  // namespace
}  // namespace trevalon
