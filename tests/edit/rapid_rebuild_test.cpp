// What stands behind every editing command: the command frame; and the tidy-up steps behind
// every command and the optimiser run: the rapid rebuild and the plunge clean-up (every rapid
// run becomes retract, traverse and plunge at the retract height; every cutting run is entered
// straight down from it), compaction and regeneration, and the rebuild and regeneration as
// commands. Then the face, radial and spiral generators, which append new paths of that shape
// behind the toolpath: counts, types and start points as the dialogs' values give them.

#include "edit/rapid_rebuild.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "edit/cleanup_commands.h"
#include "edit/command_frame.h"
#include "edit/compaction.h"
#include "edit/generators.h"
#include "edit/regenerate.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

// ---- The command frame -------------------------------------------------------------------------

// The command frame: memory is taken before anything changes, the result goes behind the old
// points, the old points go, and the end of a command is reported once.

struct FrameFixture : ::testing::Test, testing::EditParts {};

TEST_F(FrameFixture, AppendsBehindRemovesTheOriginalAndFinishesOnce) {
  testing::AddPoints(store, "1 0 0 10, 3 10 0 0 500, 4 20 0 0 500");
  CommandFrame frame(ctx);
  ASSERT_TRUE(frame.Reserve(store.count + 2));
  frame.SaveUndo(Txt::CmdUnnamed);
  // The result: the cut reversed.
  for (std::uint32_t i = frame.originalCount(); i-- > 0;) {
    store.FetchPoint(i);
    ASSERT_TRUE(frame.Append());
  }
  frame.RemoveOriginal();
  frame.Regenerate();
  frame.Finish("done");
  EXPECT_EQ(testing::Records(store), "1 20 0 0, 3 10 0 0, 1 0 0 10");
  EXPECT_EQ(std::tuple(redraws, platform.helpText, view.haveLastOperation),
            std::tuple(1, "done", true));
  // One undo snapshot brings the original back.
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(testing::Records(store), "1 0 0 10, 3 10 0 0, 4 20 0 0");
}

TEST_F(FrameFixture, ReserveBeyondTheCapacityChangesNothing) {
  AddPoint(store, 1, 1, 2, 3);
  const PointRegister before = store.reg;
  CommandFrame frame(ctx);
  EXPECT_FALSE(frame.Reserve(std::uint64_t{CPointStore::kCapacity} + 1));
  EXPECT_EQ(std::tuple(store.count, store.reg.x, store.AllocatedPages()),
            std::tuple(1u, before.x, 1u));
  // A full store refuses the append and keeps its count.
  store.count = CPointStore::kCapacity;
  EXPECT_FALSE(frame.Append());
  EXPECT_EQ(store.count, CPointStore::kCapacity);
  store.count = 1;
}

TEST_F(FrameFixture, ProgressEveryThousandAndOnePointsPollsEscape) {
  platform.escapeAfterPolls = 1;
  CommandFrame frame(ctx);
  EXPECT_FALSE(frame.Progress(1, 5000, "%u of %u"));
  EXPECT_FALSE(frame.Progress(1001, 5000, "%u of %u"));  // first poll: not yet
  EXPECT_EQ(platform.helpText, "1001 of 5000");
  EXPECT_TRUE(frame.Progress(2002, 5000, "%u of %u"));
}

// ---- The rapid rebuild -------------------------------------------------------------------------

TEST(RapidRebuild, MakesEveryRunRetractTraversePlungeWithoutRepeatingAPoint) {
  CPointStore s;
  // A start rapid, a cut, placeholder rapids left by a removed piece, a cut, trailing rapids.
  AddPoints(s,
            "1 0 0 5, 3 0 0 -1, 4 10 0 -1, 2 12 0 -1, 2 14 0 -1, 4 20 0 -1, 1 20 0 30, 2 0 0 30");
  ASSERT_TRUE(RapidRebuild(s, 50));
  EXPECT_EQ(Records(s),
            // the first rapid: its own position at 50 (once), then down onto it
            "1 0 0 50, 2 0 0 5, 3 0 0 -1, 4 10 0 -1, "
            // the hop: retract above the last cut, traverse, plunge, the cut after it
            "1 10 0 50, 2 14 0 50, 2 14 0 -1, 3 20 0 -1, "
            // the final rapids go; the retract (straight up) stays at the retract height
            "1 20 0 50");
}

TEST(RapidRebuild, KeepsArcsWithTheirCentresAndRunsTwiceToTheSameResult) {
  CPointStore s;
  AddPoints(s, "1 0 0 5, 3 0 0 0, 6 10 0 0, 91 5 0 0, 2 30 0 0, 4 40 0 0");
  ASSERT_TRUE(RapidRebuild(s, 20));
  const std::string once = Records(s);
  EXPECT_EQ(once,
            "1 0 0 20, 2 0 0 5, 3 0 0 0, 6 10 0 0, 91 5 0 0, 1 10 0 20, 2 30 0 20, 2 30 0 0, "
            "3 40 0 0");
  ASSERT_TRUE(RapidRebuild(s, 20));
  EXPECT_EQ(Records(s), once);
}

TEST(PlungeCleanup, EntersEveryCuttingRunFromTheRetractHeight) {
  CPointStore s;
  // Run 1: entered from a rapid at the cut's height beside it (a point above is put in).
  // Run 2: entered from straight above, but from below the retract height (raised).
  // Run 3: entered from the retract height: left alone.
  AddPoints(s,
            "1 0 0 0, 3 5 0 0, 1 5 0 10, 2 8 0 10, 2 8 0 0, 3 9 0 0, "
            "1 9 0 60, 2 12 0 60, 2 12 0 0, 3 13 0 0");
  ASSERT_TRUE(PlungeCleanup(s, 50));
  EXPECT_EQ(Records(s),
            "1 0 0 50, 2 0 0 0, 3 5 0 0, 1 5 0 10, 2 8 0 50, 2 8 0 0, 3 9 0 0, "
            "1 9 0 60, 2 12 0 60, 2 12 0 0, 3 13 0 0");
}

TEST(RapidRebuild, AFullStoreLeavesTheToolpathAsItWas) {
  CPointStore s;
  // Fill the store to its capacity with one run of a rapid and cuts: the rebuild needs one
  // record more than there is room for and must give up without a trace.
  AddPoints(s, "1 0 0 5, 3 0 0 0");
  s.FetchPoint(1);
  s.reg.type = MOVE_LINE_CONT;
  for (std::uint32_t i = s.count; i < CPointStore::kCapacity; ++i) {
    s.reg.x = i % 2;
    s.StorePoint(i);
  }
  s.count = CPointStore::kCapacity;
  EXPECT_FALSE(RapidRebuild(s, 50));
  ASSERT_EQ(s.count, CPointStore::kCapacity);
  EXPECT_EQ(std::tuple(s.RawRecord(0)->type, float{s.RawRecord(0)->z},
                       s.RawRecord(CPointStore::kCapacity - 1)->type),
            std::tuple(std::int16_t{MOVE_RAPID}, 5.0f, std::int16_t{MOVE_LINE_CONT}));
}

// ---- Compaction and regeneration ---------------------------------------------------------------

// Compaction and regeneration: the two tidy-up steps behind every editing command and the
// optimiser run.

std::vector<int> Types(CPointStore& s) {
  std::vector<int> t;
  for (std::uint32_t i = 0; i < s.count; ++i) t.push_back(s.RawRecord(i)->type);
  return t;
}

TEST(Compaction, KeepsMotionPointsAndTheCentreRecordAfterEachArc) {
  // Removed points (type 0) and a stray centre record after a line go; the arc's own centre
  // record stays with its offsets.
  CPointStore s;
  AddPoints(s,
            "1 0 0 5, 0 9 9 9, 3 10 0 0 100, 91 1 1 0, 6 20 10 0 100, 91 0 10 0, 0 9 9 9, "
            "4 30 10 0 100");
  ASSERT_EQ(CompactStore(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 6, PLANE_XY, 4}));
  EXPECT_EQ(std::tuple(float{s.RawRecord(3)->y}, float{s.RawRecord(4)->x}),
            std::tuple(10.0f, 30.0f));
  // Marking a range removes exactly that range at the next compaction.
  MarkRemoved(s, 0, 2);
  CompactStore(s);
  EXPECT_EQ(Types(s), (std::vector<int>{6, PLANE_XY, 4}));
  CPointStore empty;
  EXPECT_EQ(std::tuple(CompactStore(empty), empty.count), std::tuple(1, 0u));
}

TEST(Regenerate, RederivesRunTypesMarksCutsOfNoLengthAndMakesArcEndsPlanar) {
  // The first motion point becomes a rapid start.
  CPointStore s;
  AddPoints(s, "4 0 0 5, 4 10 0 0, 4 20 0 0, 1 20 0 5, 1 30 0 5, 2 30 0 0, 4 40 0 0, 3 50 0 0");
  ASSERT_EQ(Regenerate(s), 1);
  EXPECT_EQ(Types(s), (std::vector<int>{1, 3, 4, 1, 2, 2, 3, 4}));
  // A cut of no length after a cut goes, and so does the next one, compared with the cut
  // before the removed one; a rapid of no length stays. An XY arc whose end strays from the
  // plane by rounding noise takes the Z of the point before, a ZX arc its Y; a helix (the
  // ZX arc climbing 0.7 along Y) keeps its climb.
  CPointStore t;
  AddPoints(t,
            "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 10 0 0, 4 10 0 0, 6 20 10 0.0004, 91 0 10 0, "
            "8 30 0.7 20, 92 5 0 5, 1 30 0 5, 2 30 0 5");
  Regenerate(t);
  EXPECT_EQ(Types(t), (std::vector<int>{1, 3, 4, 0, 0, 6, PLANE_XY, 8, PLANE_ZX, 1, 2}));
  EXPECT_EQ(
      std::tuple(float{t.RawRecord(5)->z}, float{t.RawRecord(7)->y}, float{t.RawRecord(7)->z}),
      std::tuple(0.0f, 0.7f, 20.0f));
  CompactStore(t);
  EXPECT_EQ(t.count, 9u);
}

// ---- The tidy-up steps as commands -------------------------------------------------------------

// The rapid rebuild and the regeneration as commands: one undo step each, a change
// that counts, a redraw; the regeneration leaves the cuts of no length it finds marked in place.

TEST(CleanupCommands, AreUndoStepsAndRegenerationKeepsTheMarkedCutsUntilTheNextCompaction) {
  HeadlessPlatform platform;
  CPointStore store;
  CUndoRing undo;
  double retract = 20;
  std::uint64_t edits = 0;
  int redraws = 0;
  EditContext ctx{
      store, undo, retract, Messages(platform, Language::English), nullptr, [&] { ++redraws; },
      &edits};
  EXPECT_EQ(RegenerateCommand(ctx).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(RapidRebuildCommand(ctx).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(redraws, 0);

  // Types out of order, a cut of no length, an arc end off its plane by rounding noise.
  AddPoints(store, "1 0 0 5, 1 0 0 0, 4 10 0 0, 3 10 0 0, 4 20 0 0, 6 40 0 0.0003, 91 10 0 0");
  ASSERT_TRUE(RegenerateCommand(ctx).ok());
  EXPECT_EQ(Records(store), "1 0 0 5, 2 0 0 0, 3 10 0 0, 0 10 0 0, 4 20 0 0, 6 40 0 0, 91 10 0 0");
  ASSERT_TRUE(RapidRebuildCommand(ctx).ok());
  EXPECT_EQ(Records(store), "1 0 0 20, 2 0 0 0, 3 10 0 0, 4 20 0 0, 6 40 0 0, 91 10 0 0");
  EXPECT_EQ(std::tuple(redraws, edits), std::tuple(2, 4u));  // edits: each step and each end
  // Each is one undo step: back to the regenerated toolpath, then to the one before it.
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), "1 0 0 5, 2 0 0 0, 3 10 0 0, 0 10 0 0, 4 20 0 0, 6 40 0 0, 91 10 0 0");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store),
            "1 0 0 5, 1 0 0 0, 4 10 0 0, 3 10 0 0, 4 20 0 0, 6 40 0 0.0003, 91 10 0 0");
  // A regeneration that finds everything in order takes its step back: undo after it takes
  // back the command before, never a command that did nothing.
  ASSERT_EQ(undo.Redo(store), 1);
  ASSERT_EQ(undo.Redo(store), 1);
  const std::uint32_t pos = undo.undoPos;
  ASSERT_TRUE(RegenerateCommand(ctx).ok());
  EXPECT_EQ(std::tuple(undo.undoPos, undo.UndoName()), std::tuple(pos, Txt::CmdRapidRebuild));
}

// ---- The generators ----------------------------------------------------------------------------
struct Generators : ::testing::Test, testing::EditParts {
  std::int32_t feed = 750;
  Generators() {
    retract = 40;
    ctx.cuttingFeed = &feed;
  }

  // A record's fields by value: the packed record's floats cannot be bound to references.
  struct Point {
    float x, y, z;
    int feed, mark, type;
  };
  Point At(std::uint32_t i) const {
    const PointRecord& r = *store.RawRecord(i);
    return {r.x, r.y, r.z, r.feed, r.mark, r.type};
  }
  int CountType(int type) const {
    int n = 0;
    for (std::uint32_t i = 0; i < store.count; ++i) n += At(i).type == type;
    return n;
  }
};

TEST_F(Generators, FaceWithTheFirstValuesCutsSeventeenPassesFromTheTopDown) {
  testing::AddPoints(store, "1 1 2 3 100 1");  // an existing point stays first
  store.reg.mark = 1;                          // a mark left in the register is not copied
  ASSERT_TRUE(GenerateFace(ctx, FaceValues{}).ok());
  ASSERT_EQ(store.count, 1u + 68u);
  EXPECT_EQ(undo.undoTop, 1u);  // one undo step, which takes the passes back
  for (int pass = 0; pass < 17; ++pass) {
    const std::uint32_t b = 1 + 4 * pass;
    EXPECT_EQ(std::tuple(At(b).type, At(b + 1).type, At(b + 2).type, At(b + 3).type, At(b).x,
                         At(b + 2).x, At(b).z, At(b + 1).z, At(b + 1).feed, At(b + 1).mark),
              std::tuple(MOVE_RAPID, MOVE_LINE, MOVE_LINE, MOVE_RAPID, -100.0f, 100.0f, 40.0f, 0.0f,
                         750, 0))
        << pass;
    EXPECT_FLOAT_EQ(At(b + 1).y, 80.0f - 10.0f * pass) << pass;
  }
}

TEST_F(Generators, FaceAlongYSpreadsThePassesEvenlyAndAnEmptyRectangleMakesNothing) {
  FaceValues v;
  v.direction = 3;
  v.xSize = 25;
  ASSERT_TRUE(GenerateFace(ctx, v).ok());
  ASSERT_EQ(store.count, 16u);  // four passes: both edges and two between
  // Direction 3 runs towards +Y.
  for (auto [i, x, y] : {std::tuple(0u, -12.5f, -80.0f),
                         {4u, -12.5f + 25.0f / 3, -80.0f},
                         {12u, 12.5f, -80.0f},
                         {2u, -12.5f, 80.0f}}) {
    EXPECT_FLOAT_EQ(At(i).x, x) << i;
    EXPECT_FLOAT_EQ(At(i + (i % 4 == 0)).y, y) << i;
  }

  FaceValues backwards;
  backwards.kind = 3;
  backwards.xMax = -150;  // below the X minimum of -100
  for (int dir = 1; dir <= 4; ++dir) {
    backwards.direction = dir;
    EXPECT_EQ(GenerateFace(ctx, backwards).code(), OutcomeCode::Unchanged);
  }
  EXPECT_EQ(store.count, 16u);
}

TEST_F(Generators, RadialCutsThirtyTwoSpokesFromTheOuterCircleToTheCentre) {
  RadialValues v;
  v.x = 5, v.y = -5;
  ASSERT_TRUE(GenerateRadial(ctx, v).ok());
  ASSERT_EQ(store.count, 129u);
  EXPECT_EQ(std::tuple(At(0).type, At(0).x, At(0).z), std::tuple(MOVE_RAPID, 5.0f, 40.0f));
  const double n = 100 * kDegToRad * 180 / 10;  // 31.4159...
  for (int k = 0; k < 32; ++k) {
    const std::uint32_t b = 1 + 4 * k;
    const double a = k * 360 / n * kDegToRad;
    // The inner end of every spoke is the centre.
    EXPECT_EQ(std::tuple(At(b).type, At(b + 1).type, At(b + 2).type, At(b + 3).type, At(b + 2).x,
                         At(b + 2).y),
              std::tuple(MOVE_RAPID_CONT, MOVE_LINE, MOVE_LINE_CONT, MOVE_RAPID, 5.0f, -5.0f))
        << k;
    EXPECT_LT(std::hypot(At(b + 1).x - 5 - 50 * std::cos(a), At(b + 1).y + 5 - 50 * std::sin(a)),
              1e-4)
        << k;
  }
}

TEST_F(Generators, SpiralFromTheCentreKeepsEveryCutAStartOfRun) {
  RadialValues v;
  v.x = 3, v.y = 4;
  ASSERT_TRUE(GenerateSpiral(ctx, v).ok());
  EXPECT_EQ(testing::Records(store).substr(0, 30), "1 0 0 40, 2 3 4 40, 3 3 4 0, 3");
  // Two rapids: the origin and the final retract, straight up.
  EXPECT_EQ(std::tuple(CountType(MOVE_LINE_CONT), CountType(MOVE_RAPID), At(store.count - 1).x,
                       At(store.count - 1).z),
            std::tuple(0, 2, At(store.count - 2).x, 40.0f));
  // Five rings, each once round while the radius grows by ten, then the outer circle. The
  // rings start from the raised inner radius 0.1 while the stepover comes from the span
  // before it was raised, so the last ring ends 0.1 beyond the outer circle, as the
  // generator has always made it.
  double far = 0;
  for (std::uint32_t i = 3; i < store.count - 1; ++i)
    far = std::max(far, std::hypot(At(i).x - 3.0, At(i).y - 4.0));
  EXPECT_NEAR(far, 50.1, 0.01);
}

TEST_F(Generators, SpiralAroundAnIslandPlungesOnTheInnerCircleWithTheEvenedStepover) {
  RadialValues v;
  v.outer = 100, v.inner = 20, v.step = 15;
  ASSERT_TRUE(GenerateSpiral(ctx, v).ok());
  EXPECT_EQ(testing::Records(store).substr(0, 33), "1 0 0 40, 2 10 0 40, 3 10 0 0, 4 ");
  EXPECT_EQ(CountType(MOVE_LINE), 1);
  // Every ring starts at angle 0, one evened stepover (40 / 3) further out than the one
  // before, and the outer circle ends the cut.
  std::vector<double> atZero;
  for (std::uint32_t i = 2; i < store.count; ++i)
    if (At(i).y == 0.0f && At(i).z == 0.0f) atZero.push_back(At(i).x);
  ASSERT_EQ(atZero.size(), 5u);  // the plunge, three rings, the outer circle
  EXPECT_EQ(std::tuple(atZero[0], atZero[4]), std::tuple(10.0, 50.0));
  for (int k = 1; k <= 3; ++k) EXPECT_NEAR(atZero[k], 10 + 40.0 / 3 * (k - 1), 0.05) << k;
  // No ring to clear: nothing.
  const std::uint32_t n = store.count;
  v.inner = 100;
  EXPECT_EQ(GenerateSpiral(ctx, v).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(store.count, n);
}

TEST_F(Generators, AToolpathBeyondTheStoreIsRefusedBeforeAnythingChanges) {
  RadialValues v;
  v.outer = 10000, v.step = 0.005;  // about 6.3 million spokes of four points
  EXPECT_EQ(GenerateRadial(ctx, v).code(), OutcomeCode::NoMemory);
  EXPECT_EQ(store.count, 0u);
}

}  // namespace
}  // namespace trevalon
