// The rapid rebuild and the regeneration as commands: one undo step each, a change
// that counts, a redraw; the regeneration leaves the cuts of no length it finds marked in place.

#include "edit/cleanup_commands.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;
using testing::Records;

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

}  // namespace
}  // namespace trevalon
