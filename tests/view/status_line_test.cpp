#include "view/status_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/point_store.h"
#include "test_support.h"
#include "view/view_state.h"

namespace trevalon {
namespace {

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

}  // namespace
}  // namespace trevalon
