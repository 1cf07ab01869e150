// The delete commands: what each takes out and how the toolpath is joined where it was, the
// undo snapshots they record, and the shape every result keeps on any toolpath.

#include "edit/delete_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <tuple>

#include "ncio/data_cases.h"
#include "test_support.h"
#include "toolpath_shape.h"

namespace trevalon {
namespace {

using namespace testing;

struct DeleteFixture : ::testing::Test, testing::EditParts {
  std::int32_t cuttingFeed = 800;
  // The top view at one pixel per unit, model origin at the window's middle (100, 100): the
  // window position of (x, y) is (100 + x, 100 - y).
  DeleteFixture() {
    TopView(200, 200);
    ctx.cuttingFeed = &cuttingFeed;
  }
  void Load(std::string_view records) {
    store.count = 0;
    AddPoints(store, records);
  }
  // Runs the delete command as the data tables name it (tests/data/edit/deletes.txt).
  Outcome Delete(const std::string& command) {
    const std::string verb = command.substr(0, command.find(' '));
    const std::vector<double> v = testing::Numbers(command.substr(verb.size()));
    const auto at = [&](std::size_t k) { return k < v.size() ? v[k] : -1.0; };
    if (verb == "point") return DeletePoint(ctx, static_cast<std::uint32_t>(at(0)));
    if (verb == "path") return DeletePath(ctx, static_cast<std::uint32_t>(at(0)));
    if (verb == "every-second") return DeleteEverySecondPath(ctx);
    if (verb == "window")
      return DeleteInsideWindow(ctx, int(at(0)), int(at(1)), int(at(2)), int(at(3)), true);
    if (verb == "polygon")
      return DeleteInsidePolygon(
          ctx, testing::RegionOf("window-polygon" + command.substr(verb.size()), view));
    if (verb == "xy-angle") return DeleteByXyAngle(ctx, XyAngleOptions{at(0), at(1)});
    if (verb == "point-length") return DeletePointsByLength(ctx, at(0));
    if (verb == "path-length") return DeletePathsByLength(ctx, at(0));
    if (verb == "z-angle") return DeleteByZAngle(ctx, ZAngleOptions{at(0), at(1), at(2)});
    ADD_FAILURE() << "no delete command " << verb;
    return Outcome::Unchanged();
  }
};

// ---- Picked point and path -------------------------------------------------------------------

TEST_F(DeleteFixture, DeletesJoinTheToolpathWhereItWas) {
  for (const testing::DataCase& c : testing::ReadCases("edit/deletes.txt")) {
    const auto trace = c.Trace();
    Load(c["records"]);
    const std::string before = Records(store);
    EXPECT_TRUE(Delete(c["delete"]).ok());
    EXPECT_EQ(Records(store), c["after"]);
    ASSERT_EQ(undo.Undo(store), 1);
    EXPECT_EQ(Records(store), before);
  }
}

TEST_F(DeleteFixture, APickThatIsNoMotionPointIsRefused) {
  // A pick that is no motion point is refused and changes nothing.
  Load("1 0 0 10, 3 0 0 0, 6 20 0 0, 91 10 0 0");
  for (std::uint32_t bad : {3u, 4u, 1000u}) {
    EXPECT_EQ(DeletePoint(ctx, bad).code(), OutcomeCode::Refused) << bad;
    EXPECT_EQ(DeletePath(ctx, bad).code(), OutcomeCode::Refused) << bad;
  }
  EXPECT_EQ(Records(store), "1 0 0 10, 3 0 0 0, 6 20 0 0, 91 10 0 0");
}

// ---- Every second path -------------------------------------------------------------------------

TEST_F(DeleteFixture, EverySecondPathOfOneChangesNothing) {
  Load("1 0 0 5, 3 5 0 0, 4 10 0 0, 1 10 0 50");  // one path and its retract
  EXPECT_EQ(DeleteEverySecondPath(ctx).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(Records(store), "1 0 0 5, 3 5 0 0, 4 10 0 0, 1 10 0 50");
}

// ---- Regions ----------------------------------------------------------------------------------

TEST_F(DeleteFixture, WindowsOutsideTheToolpathOrStartingOutsideTheViewChangeNothing) {
  Load("1 0 0 50, 2 0 0 0, 3 10 0 0");
  EXPECT_EQ(DeleteInsideWindow(ctx, 150, 150, 160, 160, true).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(DeleteInsideWindow(ctx, -1, 0, 199, 199, true).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(Records(store), "1 0 0 50, 2 0 0 0, 3 10 0 0");
}

TEST_F(DeleteFixture, RepeatedWindowsAreUndoneByTheOneSnapshotBeforeThem) {
  Load("1 0 0 50, 2 0 0 0, 3 10 0 0, 4 20 0 0, 4 30 0 0, 4 40 0 0, 4 50 0 0");
  const std::string before = Records(store);
  ASSERT_EQ(undo.undoTop, 0u);
  ASSERT_TRUE(DeleteInsideWindow(ctx, 118, 98, 122, 102, true).ok());
  ASSERT_TRUE(DeleteInsideWindow(ctx, 138, 98, 142, 102, false).ok());
  EXPECT_EQ(undo.undoTop, 1u);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), before);
}

TEST_F(DeleteFixture, PolygonsOfTooFewOrTooManyVerticesChangeNothing) {
  Load("1 0 0 50, 2 0 0 0, 3 10 0 0, 4 20 0 0, 4 30 0 0, 4 40 0 0");
  const std::string after = Records(store);
  EXPECT_EQ(DeleteInsidePolygon(ctx, Region::Polygon({{0, 0, 0}, {199, 199, 0}})).code(),
            OutcomeCode::Unchanged);
  std::vector<RegionPoint> many;
  for (int k = 0; k < static_cast<int>(kDeletePolygonLimit); ++k)
    many.push_back({100 + 90 * std::cos(k * 0.0628), 100 + 90 * std::sin(k * 0.0628), 0});
  EXPECT_EQ(DeleteInsidePolygon(ctx, Region::Polygon(many)).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(Records(store), after);
}

// ---- Selection --------------------------------------------------------------------------------

TEST_F(DeleteFixture, DeletingTheSelectionNeedsOneAndIsUndoneExactly) {
  Load("1 0 0 50, 2 0 0 0, 3 10 0 0, 4 20 0 0 0 -1, 4 30 0 0");
  // Marked is not selected. Braces: the command runs before the undo ring is looked at.
  EXPECT_EQ((std::tuple{DeleteSelected(ctx).code(), undo.undoTop}),
            std::tuple(OutcomeCode::Unchanged, 0u));
  store.FetchPoint(3);
  store.reg.mark = 1;
  store.StorePoint(3);
  const std::string before = Records(store);
  ASSERT_TRUE(DeleteSelected(ctx).ok());
  EXPECT_EQ(std::tuple(Records(store), redraws),
            std::tuple("1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 20 0 50, 2 20 0 0, 3 30 0 0", 1));
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), before);
}

TEST_F(DeleteFixture, ACommandWithoutUndoThatRunsOutOfRoomLeavesTheToolpath) {
  // A store filled to its capacity: the copy behind the points cannot be made.
  Load("1 0 0 5, 3 0 0 0");
  store.FetchPoint(1);
  store.reg.type = MOVE_LINE_CONT;
  for (std::uint32_t i = store.count; i < CPointStore::kCapacity; ++i) {
    store.reg.x = i % 2 ? 100 : 0;
    store.StorePoint(i);
  }
  store.count = CPointStore::kCapacity;
  EXPECT_EQ(DeletePointsByLength(ctx, 50).code(), OutcomeCode::NoMemory);
  ASSERT_EQ(store.count, CPointStore::kCapacity);
  EXPECT_EQ(std::tuple(store.RawRecord(2)->type, float{store.RawRecord(3)->x}),
            std::tuple(std::int16_t{MOVE_LINE_CONT}, 100.0f));
}

// ---- The shape of every result -----------------------------------------------------------------

// After a rapid rebuild every cutting run that follows a rapid is entered from the retract
// height: that rapid stands at it or above, or the rapid before it stands straight above it
// at it or above.
::testing::AssertionResult EnteredFromAbove(const CPointStore& s, double h) {
  const float level = static_cast<float>(h);
  const PointRecord *q = nullptr, *r = nullptr;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* p = s.RawRecord(i);
    if (!IsMotionType(p->type)) continue;
    if (!IsRapidType(p->type) && r && IsRapidType(r->type) && r->z < level) {
      const bool above = q && IsRapidType(q->type) && q->x == r->x && q->y == r->y && q->z >= level;
      if (!above) return ::testing::AssertionFailure() << "cut " << i << " not entered from above";
    }
    q = r, r = p;
  }
  return ::testing::AssertionSuccess();
}

// The cutting moves of a toolpath (lines and arcs, none of no length) by their start and end
// points, but those that `goes` picks.
using Picks = std::function<bool(const PointRecord& from, const PointRecord& to)>;
std::set<std::array<float, 6>> CuttingMoves(const CPointStore& s, const Picks& goes = {}) {
  std::set<std::array<float, 6>> moves;
  const PointRecord* from = nullptr;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* p = s.RawRecord(i);
    if (!IsMotionType(p->type)) continue;
    const std::array<float, 6> move{
        from ? from->x : 0.0f, from ? from->y : 0.0f, from ? from->z : 0.0f, p->x, p->y, p->z};
    const bool noLength = move[0] == move[3] && move[1] == move[4] && move[2] == move[5];
    if (from && !IsRapidType(p->type) && !noLength && !(goes && goes(*from, *p)))
      moves.insert(move);
    from = p;
  }
  return moves;
}

// A toolpath as programs and earlier edits leave them: paths led in by a retract, traverse and
// plunge, by one rapid, or by two rapids (each naming G00 when `namedRapids`: then the input
// itself is not well formed); cutting runs of lines, ramps and XY arcs on a coarse grid (so
// that the angles and lengths of the commands are met exactly), some of them selected.
void RandomToolpath(std::mt19937& rng, CPointStore& s, double h, bool namedRapids) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  s.count = 0;
  double x = 0, y = 0, z = h;
  const int paths = pick(1, 6);
  for (int p = 0; p < paths; ++p) {
    const double nx = 5.0 * pick(-8, 8), ny = 5.0 * pick(-8, 8), nz = -5.0 * pick(0, 2);
    const int mark = pick(0, 3) == 0;
    switch (pick(0, 2)) {
      case 0:
        testing::AddPoint(s, MOVE_RAPID, x, y, h, 0, mark);
        testing::AddPoint(s, MOVE_RAPID_CONT, nx, ny, h, 0, mark);
        testing::AddPoint(s, MOVE_RAPID_CONT, nx, ny, nz, 0, mark);
        break;
      case 1:
        testing::AddPoint(s, MOVE_RAPID, nx, ny, nz, 0, mark);
        break;
      default:
        testing::AddPoint(s, MOVE_RAPID, nx, ny, h, 0, mark);
        testing::AddPoint(s, namedRapids ? MOVE_RAPID : MOVE_RAPID_CONT, nx, ny, nz, 0, mark);
        break;
    }
    x = nx, y = ny, z = nz;
    int before = MOVE_RAPID;
    for (int m = pick(1, 6); m > 0; --m) {
      const int feed = 100 * pick(1, 9);
      const int sel = pick(0, 3) == 0;
      if (pick(0, 3) == 0) {
        // An XY arc round a grid centre, ending a multiple of 45 degrees further on.
        const double ox = 5.0 * pick(-2, 2), oy = ox == 0 ? 5.0 : 5.0 * pick(-2, 2);
        const double r = std::hypot(ox, oy), start = std::atan2(-oy, -ox);
        const double end = start + 0.785398163 * pick(1, 7);
        const double ex = x + ox + r * std::cos(end), ey = y + oy + r * std::sin(end);
        const int type = pick(0, 1) ? MOVE_ARC_CCW : MOVE_ARC_CW;
        testing::AddPoint(s, type, ex, ey, z, feed, sel);
        testing::AddPoint(s, PLANE_XY, ox, oy, 0, feed, sel);
        x = ex, y = ey, before = type;
      } else {
        x += 5.0 * pick(-4, 4), y += 5.0 * pick(-4, 4);
        const int dz = pick(-1, 1);  // a draw of its own: the operands' order is the compiler's
        z += pick(0, 2) == 0 ? 5.0 * dz : 0.0;
        testing::AddPoint(s, IsLinearType(before) ? MOVE_LINE_CONT : MOVE_LINE, x, y, z, feed, sel);
        before = MOVE_LINE;
      }
    }
  }
}

TEST_F(DeleteFixture, EveryCommandLeavesEveryToolpathWellFormed) {
  std::mt19937 rng(20260513);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  view.scale = 2.0;
  for (int round = 0; round < 300; ++round) {
    for (int command = 0; command < 10; ++command) {
      // The point, path and every-second-path deletes join the toolpath at their gaps only:
      // they keep a well-formed toolpath well formed. The others rebuild it whole.
      const bool joinsOnly = command <= 2;
      RandomToolpath(rng, store, retract, !joinsOnly && round % 2);
      if (joinsOnly) {
        ASSERT_TRUE(WellFormed(store)) << Records(store);
      }
      const std::string before = Records(store);
      const auto cutsBefore = CuttingMoves(store);
      std::uint32_t motion = 0;
      do {
        motion = static_cast<std::uint32_t>(pick(0, static_cast<int>(store.count) - 1));
      } while (!IsMotionType(store.RawRecord(motion)->type));
      // Half the windows have their edges on the pixels of the grid points, where edges decide.
      const int step = pick(0, 1) ? 10 : 1;
      const int x1 = step * pick(0, 199 / step), y1 = step * pick(0, 199 / step);
      const int x2 = x1 + step * pick(-60 / step, 60 / step);
      const int y2 = y1 + step * pick(-60 / step, 60 / step);
      const double px = pick(0, 199), py = pick(0, 199);  // the polygon's other corners
      const std::function<Outcome()> commands[] = {
          [&] { return DeletePoint(ctx, motion); },
          [&] { return DeletePath(ctx, motion); },
          [&] { return DeleteEverySecondPath(ctx); },
          [&] { return DeleteInsideWindow(ctx, x1, y1, x2, y2, true); },
          [&] {
            return DeleteInsidePolygon(
                ctx,
                Region::Polygon({{1.0 * x1, 1.0 * y1, 0}, {px, 1.0 * y1, 0}, {1.0 * x1, py, 0}}));
          },
          [&] {
            return DeleteByXyAngle(ctx, XyAngleOptions{45.0 * pick(-1, 8), 5.0 * pick(1, 4)});
          },
          [&] { return DeletePointsByLength(ctx, 5.0 * pick(1, 8)); },
          [&] { return DeletePathsByLength(ctx, 10.0 * pick(1, 8)); },
          [&] {
            return DeleteByZAngle(
                ctx, ZAngleOptions{15.0 * pick(0, 2), 15.0 * pick(2, 6), 5.0 * pick(0, 4)});
          },
          [&] { return DeleteSelected(ctx); }};
      // The reference for windows and the selection: a cut goes exactly when one of its ends
      // lies in the window, edges included, or when its end is selected; every other cut stays.
      auto inWindow = [&](const PointRecord& r) {
        const WindowPoint w = view.Project(r.x, r.y, r.z);
        const int wx = w.x + view.width / 2, wy = w.y + view.height / 2;
        return std::min(x1, x2) <= wx && wx <= std::max(x1, x2) && std::min(y1, y2) <= wy &&
               wy <= std::max(y1, y2);
      };
      const Picks goes[] = {[&](const PointRecord& from, const PointRecord& to) {
                              return inWindow(from) || inWindow(to);
                            },
                            [](const PointRecord&, const PointRecord& to) { return to.mark == 1; }};
      const auto kept = CuttingMoves(store, goes[command == 3 ? 0 : 1]);
      const Outcome o = commands[command]();
      SCOPED_TRACE("command " + std::to_string(command) + " on " + before);
      ASSERT_NE(o.code(), OutcomeCode::NoMemory);
      if (!o.ok()) {
        EXPECT_EQ(Records(store), before);
        continue;
      }
      ASSERT_TRUE(WellFormed(store)) << Records(store);
      if (!joinsOnly) {
        EXPECT_TRUE(EnteredFromAbove(store, retract)) << Records(store);
      }
      // Only a picked point is deleted by joining its neighbours with a new move; every other
      // delete leaves no cut that the toolpath did not have.
      if (command != 0) {
        for (const auto& cut : CuttingMoves(store))
          ASSERT_TRUE(cutsBefore.count(cut)) << Records(store);
      }
      if (command == 3 || command == 9) {
        EXPECT_EQ(CuttingMoves(store), kept) << Records(store);
      }
      if (command == 8) {
        for (std::uint32_t i = 0; i < store.count; ++i)
          ASSERT_EQ(store.RawRecord(i)->feed, cuttingFeed);
      }
    }
  }
}

}  // namespace
}  // namespace trevalon
