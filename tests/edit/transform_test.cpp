// Moving, turning, mirroring and scaling paths: every arc that stays an arc runs through the
// transformed points of the arc it was (same circle, right plane and direction); what cannot
// stay an arc becomes chords; copies go behind; moved and unmoved parts meet by rapids. And the
// point offset, which moves what lies inside a region.

#include "edit/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <tuple>

#include "edit/point_offset.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

struct Transform : ::testing::Test, testing::EditParts {};

// A clockwise XY half circle about (15, 0, 0) through (15, 5, 0), a counter-clockwise ZX half
// circle about (25, 0, 0) through (25, 0, 5), a clockwise YZ half circle about (30, 5, 0)
// through (30, 5, 5).
constexpr const char* kThreeArcs =
    "1 0 0 50, 2 10 0 0, 3 10 0 0 100, 8 20 0 0 200, 91 5 0 0 200, 6 30 0 0 300, 92 5 0 0 300, "
    "8 30 10 0 400, 93 0 5 0 400, 4 40 10 0 500";

struct Arc {
  double mid[3];
  double r0, r1;
  int type, plane;
};
std::vector<Arc> ArcsOf(CPointStore& s) {
  std::vector<Arc> arcs;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.IsArc(i)) continue;
    StoredArc a;
    ArcOfPoint(s, i, a);
    const PlaneAxes ax = AxesOfPlane(a.plane);
    Arc out{};
    out.r0 = std::hypot(a.start[ax.a] - a.centre[ax.a], a.start[ax.b] - a.centre[ax.b]);
    out.r1 = std::hypot(a.end[ax.a] - a.centre[ax.a], a.end[ax.b] - a.centre[ax.b]);
    const double mid = a.type == MOVE_ARC_CW ? a.arc.startAngle - a.arc.sweep / 2
                                             : a.arc.startAngle + a.arc.sweep / 2;
    PointOnCircle(a.centre, out.r0, mid, a.plane, out.mid);
    out.type = a.type, out.plane = a.plane;
    arcs.push_back(out);
  }
  return arcs;
}

// Runs the transform on the three arcs and checks that the arcs left run through the
// transformed middles of the arcs they were (given by their index among the three).
void Check(Transform& t, const TransformOptions& o,
           const std::function<void(const double*, double*)>& apply,
           const std::vector<int>& staying, const std::vector<int>& types) {
  t.store.count = 0;
  AddPoints(t.store, kThreeArcs);
  const std::vector<Arc> before = ArcsOf(t.store);
  ASSERT_TRUE(TransformCommand(t.ctx, o).ok());
  const std::vector<Arc> after = ArcsOf(t.store);
  ASSERT_EQ(after.size(), staying.size());
  for (std::size_t k = 0; k < after.size(); ++k) {
    double expected[3];
    apply(before[staying[k]].mid, expected);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(after[k].mid[c], expected[c], 1e-4) << k << " " << c;
    EXPECT_NEAR(after[k].r0, after[k].r1, 1e-4);
    EXPECT_EQ(after[k].type, types[k]) << k;
  }
}

TEST_F(Transform, ArcsRunThroughTheTransformedArcsOrBecomeChords) {
  TransformOptions move;
  move.dx = 3, move.dy = -2, move.dz = 1;
  Check(*this, move,
        [](const double* p, double* q) { q[0] = p[0] + 3, q[1] = p[1] - 2, q[2] = p[2] + 1; },
        {0, 1, 2}, {8, 6, 8});

  auto turn = [](double degrees) {
    return [degrees](const double* p, double* q) {
      const double a = degrees * 0.017453292519943295;
      q[0] = p[0] * std::cos(a) - p[1] * std::sin(a);
      q[1] = p[0] * std::sin(a) + p[1] * std::cos(a);
      q[2] = p[2];
    };
  };
  TransformOptions rotate;
  rotate.method = TransformMethod::Rotate;
  rotate.angle = 90;  // ZX and YZ arcs swap planes
  Check(*this, rotate, turn(90), {0, 1, 2}, {8, 8, 8});
  rotate.angle = 30;  // the vertical arcs would tilt: chords
  Check(*this, rotate, turn(30), {0}, {8});
  EXPECT_GT(store.count, 40u);

  TransformOptions mirror;
  mirror.method = TransformMethod::Mirror;
  mirror.scaleX = true, mirror.sx = -1;
  // X mirrored: the XY and the ZX arcs turn the other way, the YZ arc does not.
  Check(*this, mirror, [](const double* p, double* q) { q[0] = -p[0], q[1] = p[1], q[2] = p[2]; },
        {0, 1, 2}, {6, 8, 8});
  mirror.sx = 2;  // X scaled: XY and ZX circles become ellipses
  Check(*this, mirror,
        [](const double* p, double* q) { q[0] = 2 * p[0], q[1] = p[1], q[2] = p[2]; }, {2}, {8});
}

TEST_F(Transform, CopiesGoBehindAndTheRetractHeightRisesWithThem) {
  AddPoints(store, "1 0 0 50, 2 0 0 0, 3 10 0 0 100");
  TransformOptions o;
  o.dz = 20, o.copy = true, o.copies = 2;
  ASSERT_TRUE(TransformCommand(ctx, o).ok());
  // The highest chosen point was the rapid at the retract height; the copies reach 90.
  EXPECT_EQ(retract, 90);
  EXPECT_EQ(Records(store),
            "1 0 0 90, 2 0 0 0, 3 10 0 0, 1 10 0 90, 2 0 0 90, 2 0 0 20, 3 10 0 20, 1 10 0 90, "
            "2 0 0 90, 2 0 0 40, 3 10 0 40");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), "1 0 0 50, 2 0 0 0, 3 10 0 0");
}

TEST_F(Transform, MovedAndUnmovedPartsMeetByRapids) {
  // The last two cuts are selected: they move, the first cut stays.
  AddPoints(store, "1 0 0 50, 2 0 0 0, 3 10 0 0 100, 4 20 0 0 100 1, 4 30 0 0 100 1");
  TransformOptions o;
  o.dx = 100, o.scope = PathScope::Selected;
  ASSERT_TRUE(TransformCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 120 0 50, 2 120 0 0, 3 130 0 0");
  EXPECT_EQ(retract, 50);  // nothing went up
  // Nothing to do: no selection left on a point, or a transform that moves nothing.
  o.dx = 0, o.scope = PathScope::All;
  EXPECT_EQ(TransformCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

// A transform that would carry any chosen point beyond what a record holds, on any axis or in
// any copy, is refused whole: the toolpath, the retract height and the undo ring stay as they
// were, and the user is told why.
TEST_F(Transform, BeyondTheRecordsCoordinatesIsRefusedWhole) {
  const char* kPath = "1 0 0 50, 2 0 0 0, 3 10 0 0 100, 4 10 20 -5 100";
  struct Case {
    const char* name;
    TransformOptions o;
  };
  std::vector<Case> cases(6);
  cases[0].name = "move x", cases[0].o.dx = 40000;
  cases[1].name = "move just past", cases[1].o.dx = 32695;
  cases[2].name = "move y", cases[2].o.dy = 32690;
  cases[3].name = "third copy in z", cases[3].o.dz = 11000, cases[3].o.copy = true;
  cases[3].o.copies = 3;
  cases[4].name = "mirror and scale", cases[4].o.method = TransformMethod::Mirror;
  cases[4].o.scaleY = true, cases[4].o.sy = -1, cases[4].o.cy = -20000;
  cases[5].name = "turn about a far centre", cases[5].o.method = TransformMethod::Rotate;
  cases[5].o.angle = 180, cases[5].o.cx = 20000;
  for (const Case& c : cases) {
    store.count = 0;
    AddPoints(store, kPath);
    messages.str("");
    const Outcome out = TransformCommand(ctx, c.o);
    EXPECT_EQ(std::tuple(out.code(), out.reason().find("32700") != std::string::npos,
                         messages.str().find("beyond the coordinates") != std::string::npos,
                         Records(store), retract),
              std::tuple(OutcomeCode::Refused, true, true,
                         "1 0 0 50, 2 0 0 0, 3 10 0 0, 4 10 20 -5", 50.0))
        << c.name << ": " << out.reason();
    EXPECT_EQ(undo.Undo(store), 0) << c.name;
  }
  // Up to the limit itself the move is made.
  store.count = 0;
  AddPoints(store, kPath);
  TransformOptions o;
  o.dx = 32690;
  ASSERT_TRUE(TransformCommand(ctx, o).ok());
  EXPECT_EQ(Records(store), "1 32690 0 50, 2 32690 0 0, 3 32700 0 0, 4 32700 20 -5");
}

// ---- The point offset --------------------------------------------------------------------------

// The point offset: what lies inside a region moves by the vector, with a step at each place
// where a move crosses the boundary; arcs stay true to their centres; failures and regions that
// hold nothing leave the toolpath as it was.

struct OffsetFixture : ::testing::Test, testing::EditParts {
  OffsetFixture() { retract = 10; }

  // A rapid onto the start, a straight cut along X through 0, 20, 40, 60, 80 and a retract.
  void StraightCut() {
    AddPoints(store,
              "1 0 0 10, 3 0 0 0, 4 20 0 0, 4 40 0 0, 4 60 0 0, "
              "4 80 0 0, 1 80 0 10");
  }
};

TEST_F(OffsetFixture, WhatLiesInsideMovesByTheVector) {
  view.SetDirection(1);
  view.width = 200, view.height = 100;
  for (const testing::DataCase& c : testing::ReadCases("edit/offsets.txt")) {
    const auto trace = c.Trace();
    store.count = 0;
    AddPoints(store, c["records"]);
    const std::vector<double> v = testing::Numbers(c["by"]);
    ASSERT_EQ(v.size(), 3u);
    ASSERT_TRUE(OffsetCommand(ctx, testing::RegionOf(c["region"], view), {v[0], v[1], v[2]}).ok());
    EXPECT_EQ(Records(store), c["after"]);
    ASSERT_EQ(undo.Undo(store), 1);  // one snapshot, and it holds the toolpath exactly
    EXPECT_EQ(Records(store), c["records"]);
  }
}

TEST_F(OffsetFixture, NothingInsideChangesNothingAndFurtherWindowsShareOneSnapshot) {
  StraightCut();
  const std::string original = Records(store);
  std::uint64_t edits = 0;
  ctx.edits = &edits;
  // Wholly outside (a cut through a box whose ends lie outside is not cut either), a region
  // with too few vertices, an empty toolpath: nothing recorded, nothing changed.
  EXPECT_EQ(OffsetCommand(ctx, Region::Box(100, -5, 120, 5), {0, 0, 5}).code(),
            OutcomeCode::Unchanged);
  EXPECT_EQ(OffsetCommand(ctx, Region::Box(50, -5, 55, 5), {0, 0, 5}).code(),
            OutcomeCode::Unchanged);
  EXPECT_EQ(OffsetCommand(ctx, Region::PointFilePolygon({{0, 0, 0}, {1, 1, 0}}), {0, 0, 5}).code(),
            OutcomeCode::Unchanged);
  EXPECT_EQ(std::tuple(Records(store), edits), std::tuple(original, 0u));
  EXPECT_EQ(undo.Undo(store), 0);
  // Two windows, the second without a snapshot of its own: one undo goes back before both.
  ASSERT_TRUE(OffsetCommand(ctx, Region::Box(15, -5, 25, 5), {0, 0, 2}).ok());
  ASSERT_TRUE(OffsetCommand(ctx, Region::Box(55, -5, 65, 5), {0, 0, 2}, false).ok());
  EXPECT_NE(Records(store), original);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), original);
}

TEST_F(OffsetFixture, APointCarriedBeyondWhatARecordHoldsRefusesTheWholeOffset) {
  StraightCut();
  const std::string original = Records(store);
  for (bool saveUndo : {true, false}) {
    const Outcome o = OffsetCommand(ctx, Region::Box(30, -5, 60, 5), {0, 0, 40000}, saveUndo);
    EXPECT_EQ(o.code(), OutcomeCode::Refused);
    EXPECT_EQ(Records(store), original);
  }
  EXPECT_EQ(undo.Undo(store), 0);  // nothing recorded
  // The user is told why, and not that the store is full.
  EXPECT_NE(messages.str().find("beyond the coordinates"), std::string::npos);
  EXPECT_EQ(messages.str().find("point store"), std::string::npos);
}

TEST_F(OffsetFixture, ACircleOnlyTouchedTakesNothingAndCrossingsComeFirstAlongTheMove) {
  // A cut that touches the circle at one point only stays outside.
  AddPoints(store, "1 -20 10 10, 3 -20 10 0, 4 0 10 0, 4 20 10 0");
  EXPECT_EQ(OffsetCommand(ctx, Region::Circle(0, 0, 0, 10), {0, 0, 5}).code(),
            OutcomeCode::Unchanged);
  // The crossing is the first along the move: entering, and leaving from inside.
  const auto in = CircleCrossing({0, 0, 0}, 10, {-20, 0, 0}, {20, 0, 4});
  const auto out = CircleCrossing({0, 0, 0}, 10, {0, 0, 0}, {0, 20, 0});
  ASSERT_TRUE(in && out);
  EXPECT_EQ(std::tuple(in->x, in->z, out->y), std::tuple(-10.0, 1.0, 10.0));
  EXPECT_FALSE(CircleCrossing({0, 0, 0}, 10, {-20, 11, 0}, {20, 11, 0}));
}

TEST_F(OffsetFixture, ArcsStayTrueToTheirCentres) {
  // Three half circles along X: wholly outside the box (x < 0), across its edge at x = 0, and
  // wholly inside; then a cut.
  AddPoints(store,
            "1 -40 0 10, 3 -40 0 0, 6 -20 0 0, 91 10 0 0, 6 20 0 0, 91 20 0 0, "
            "8 40 0 0, 91 10 0 0, 4 60 0 0, 1 60 0 10");
  ASSERT_TRUE(OffsetCommand(ctx, Region::Box(0, -100, 100, 100), {1, 2, 5}).ok());
  int arcs = 0;
  bool acrossWasWalked = false;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    store.FetchPoint(i);
    const PointRegister p = store.reg;
    if (IsArcType(p.type)) {
      ++arcs;
      StoredArc a;
      ArcOfPoint(store, i, a);
      auto radius = [&](const double q[3]) {
        return std::hypot(q[0] - a.centre[0], q[1] - a.centre[1], q[2] - a.centre[2]);
      };
      EXPECT_NEAR(radius(a.start), radius(a.end), 0.001) << "arc " << i;
    } else if (IsLinearType(p.type) && p.x > -20 && p.x < 20) {
      // The arc across the edge: chords on its own circle outside, on the shifted one inside.
      acrossWasWalked = true;
      const bool shifted = p.z == 5;
      EXPECT_TRUE(shifted || p.z == 0) << i;
      EXPECT_NEAR(std::hypot(p.x - (shifted ? 1 : 0), p.y - (shifted ? 2 : 0)), 20, 0.0011) << i;
      EXPECT_EQ(shifted, p.x >= 0.999) << i;
    }
  }
  EXPECT_EQ(std::tuple(arcs, acrossWasWalked), std::tuple(2, true));
  const std::string r = Records(store);
  EXPECT_NE(r.find("6 -20 0 0, 91 10 0 0"), std::string::npos) << r;  // outside: as it was
  EXPECT_NE(r.find("8 41 2 5, 91 10 0 0"), std::string::npos) << r;   // inside: moved whole
}

TEST_F(OffsetFixture, PointFilesOffsetPolygonByPolygonUnderOneSnapshot) {
  testing::TempDir dir;
  const std::string file = dir.file("two.poi");
  std::ofstream(file) << "first\nstart\n15 -5 0\n25 -5 0\n25 5 0\n15 5 0\nend\n"
                         "start\n0 0 0\n1 1 0\nend\n"  // too few vertices: passed over
                         "start\n55 -5 0\n65 -5 0\n65 5 0\n55 5 0\nend\n";
  StraightCut();
  const std::string original = Records(store);
  ASSERT_TRUE(OffsetFileCommand(ctx, file, {0, 0, 2}).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 10, 3 0 0 0, 4 15 0 0, 4 15 0 2, 4 20 0 2, 4 25 0 2, 4 25 0 0, 4 40 0 0, "
            "4 55 0 0, 4 55 0 2, 4 60 0 2, 4 65 0 2, 4 65 0 0, 4 80 0 0, 1 80 0 10");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), original);
  EXPECT_EQ(undo.Undo(store), 0);

  // The second polygon would carry a point beyond what a record holds: the first one's
  // offset is taken back as well.
  store.count = 0;
  AddPoints(store, "1 0 0 10, 3 0 0 0, 4 20 0 0, 4 40 0 0, 4 60 0 32000, 4 80 0 0");
  const std::string high = Records(store);
  EXPECT_EQ(OffsetFileCommand(ctx, file, {0, 0, 1000}).code(), OutcomeCode::Refused);
  EXPECT_EQ(Records(store), high);
  EXPECT_NE(messages.str().find("beyond the coordinates"), std::string::npos);

  // Many polygons that hold nothing are passed over, but a later polygon sees what an earlier
  // one moved into it: the point at X10 is carried to X40 by the first square, into the last.
  store.count = 0;
  AddPoints(store, "1 0 0 10, 3 0 0 0, 4 10 0 0, 4 20 0 0");
  {
    std::ofstream many(file);
    many << "start\n9 -1 0\n11 -1 0\n11 1 0\n9 1 0\nend\n";
    for (int k = 0; k < 40; ++k)
      many << "start\n" << k << " 100 0\n" << k + 1 << " 100 0\n" << k << " 101 0\nend\n";
    many << "start\n39 -1 0\n41 -1 0\n41 1 0\n39 1 0\nend\n";
  }
  ASSERT_TRUE(OffsetFileCommand(ctx, file, {30, 0, 0}).ok());
  EXPECT_NE(Records(store).find(" 70 0 0"), std::string::npos) << Records(store);
  ASSERT_EQ(undo.Undo(store), 1);
  store.count = 0;
  AddPoints(store, "1 0 0 10, 3 0 0 0, 4 20 0 0, 4 40 0 0, 4 60 0 32000, 4 80 0 0");

  EXPECT_EQ(OffsetFileCommand(ctx, dir.file("none.poi"), {0, 0, 2}).code(),
            OutcomeCode::CannotOpen);
  EXPECT_NE(messages.str().find("Can not open file"), std::string::npos);
  EXPECT_EQ(Records(store), high);
}

}  // namespace
}  // namespace trevalon
