// The command frame: memory is taken before anything changes, the result goes behind the old
// points, the old points go, and the end of a command is reported once.

#include "edit/command_frame.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;

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

}  // namespace
}  // namespace trevalon
