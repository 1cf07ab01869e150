// Moving, turning, mirroring and scaling paths: every arc that stays an arc runs through the
// transformed points of the arc it was (same circle, right plane and direction); what cannot
// stay an arc becomes chords; copies go behind; moved and unmoved parts meet by rapids.

#include "edit/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "model/geometry.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;
using testing::Records;

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

}  // namespace
}  // namespace trevalon
