// The feed changes by value, region and rule: ceilings and floors in a window, moves cut at the
// window's edge (lines and arcs), the arc and length rules, the machine feed's transfer and
// smoothing, undo, and a rule that would change nothing leaving the document alone.

#include "feed/feed_changes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "feed/machine_feed.h"
#include "model/geometry.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

struct FeedChangeFixture : ::testing::Test, testing::EditParts {
  std::uint64_t edits = 0;
  std::int32_t cuttingFeed = 300;
  FeedChangeFixture() {
    // Window pixel (px, py) is model (px - 200, 150 - py).
    TopView(400, 300);
    ctx.edits = &edits, ctx.cuttingFeed = &cuttingFeed;
  }
  // Every record's feed, in order.
  std::string Feeds() const {
    std::string out;
    for (std::uint32_t i = 0; i < store.count; ++i) {
      if (i > 0) out += ' ';
      out += std::to_string(store.RawRecord(i)->feed);
    }
    return out;
  }
  // The window over model x 0 .. 100 (y -140 .. 140), in the view's current direction.
  Region WindowOverX0To100() {
    const WindowPoint a = view.Project(0, -140, -140), b = view.Project(100, 140, 140);
    return Region::Window(a.x + 200, a.y + 150, b.x + 200, b.y + 150, view);
  }
};

TEST_F(FeedChangeFixture, CeilingAndFloorChangeOnlyThePointsInsideAndCanBeUndone) {
  // A rapid and three cuts inside the window; a rapid out of it and a cut outside.
  AddPoints(store,
            "1 10 0 10 0, 3 10 0 0 1000, 4 20 0 0 200, 4 40 0 0 1000, 1 150 0 10 0,"
            "3 160 0 0 1000");
  const std::string before = Records(store);
  ASSERT_EQ(RegionFeedCommand(ctx, WindowOverX0To100(), FeedLimit::Ceiling, 300).code(),
            OutcomeCode::Done);
  EXPECT_EQ(Feeds(), "0 300 200 300 0 1000");
  EXPECT_EQ(Records(store), before);  // only a rapid crossed the edge: nothing cut
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Feeds(), "0 1000 200 1000 0 1000");
  // The floor raises what is below, the rapid inside too (every motion point inside).
  ASSERT_TRUE(RegionFeedCommand(ctx, WindowOverX0To100(), FeedLimit::Floor, 300).ok());
  EXPECT_EQ(Feeds(), "300 1000 300 1000 0 1000");
  // Nothing left to change: no undo snapshot, no change counted.
  const std::uint64_t editsBefore = edits;
  const std::uint32_t undoTop = undo.undoTop;
  EXPECT_EQ(RegionFeedCommand(ctx, WindowOverX0To100(), FeedLimit::Floor, 300).code(),
            OutcomeCode::Unchanged);
  EXPECT_EQ(std::tuple(edits, undo.undoTop), std::tuple(editsBefore, undoTop));
  // A window region with fewer than three vertices selects nothing.
  EXPECT_EQ(
      RegionFeedCommand(ctx, Region::Polygon({{0, 0, 0}, {5, 5, 0}}), FeedLimit::Floor, 900).code(),
      OutcomeCode::Unchanged);
}

TEST_F(FeedChangeFixture, LinesCrossingTheEdgeGainOnePointThereWithZAlongTheMove) {
  // The same toolpath and window seen from the top (model plane) and from the front (window
  // plane): the move into the window and the move out of it are each cut once, at x = 0 and
  // x = 100; only the pieces inside carry the ceiling.
  for (int direction : {1, 2}) {
    SCOPED_TRACE(direction);
    store.count = 0;
    view.SetDirection(direction);
    AddPoints(store, "1 -20 0 10, 2 -20 0 0, 3 20 0 4 1000, 4 120 0 4 1000, 4 130 0 4 1000");
    FeedChangeSummary r;
    ASSERT_TRUE(RegionFeedCommand(ctx, WindowOverX0To100(), FeedLimit::Ceiling, 300, &r).ok());
    EXPECT_EQ(r.added, 2u);
    // The inserted point takes the move's type (3: the first cut after the rapids), the cut
    // end behind it continues the cut (4).
    EXPECT_EQ(Records(store),
              "1 -20 0 10, 2 -20 0 0, 3 0 0 2, 4 20 0 4, 4 100 0 4, 4 120 0 4, "
              "4 130 0 4");
    EXPECT_EQ(Feeds(), "0 0 1000 300 300 1000 1000");
  }
  // A region without edges to cross (a circle) is stepped along: the cut lands on its rim.
  store.count = 0;
  view.SetDirection(1);
  AddPoints(store, "1 -20 0 10, 2 -20 0 0, 3 0 0 4 1000");
  ASSERT_TRUE(RegionFeedCommand(ctx, Region::Circle(0, 0, 0, 10), FeedLimit::Ceiling, 300).ok());
  ASSERT_EQ(store.count, 4u);
  EXPECT_LT(std::hypot(store.RawRecord(2)->x + 10, store.RawRecord(2)->z - 2), 1e-3);
  EXPECT_EQ(Feeds(), "0 0 1000 300");
}

TEST_F(FeedChangeFixture, ArcsCrossingTheEdgeBecomeTwoArcsOnTheSameCentre) {
  // A counter-clockwise arc of radius 50 about the origin from -60 to 180 degrees, starting
  // inside the window and ending outside it.
  const double s = 50 * std::sin(60 * M_PI / 180);
  const std::string program = "1 25 " + std::to_string(-s) + " 10, 3 25 " + std::to_string(-s) +
                              " 0 1000, 6 -50 0 0 1000, 91 -25 " + std::to_string(s) +
                              " 0 1000, 4 -60 0 0 1000";
  // In the top view (model plane) and in the first isometric view (window plane), where the
  // arc's projection leaves the window at 20 pixels left of the middle.
  for (int direction : {1, 4}) {
    SCOPED_TRACE(direction);
    store.count = 0;
    view.SetDirection(direction);
    AddPoints(store, program);
    const Region window = direction == 1 ? Region::Window(220, 10, 320, 290, view)
                                         : Region::Window(180, 5, 380, 295, view);
    FeedChangeSummary r;
    ASSERT_TRUE(RegionFeedCommand(ctx, window, FeedLimit::Ceiling, 300, &r).ok());
    EXPECT_EQ(r.added, 1u);
    ASSERT_EQ(store.count, 7u);
    EXPECT_EQ(Feeds(), "0 300 300 300 1000 1000 1000");  // only the inside part is slowed
    StoredArc first, second;
    ArcOfPoint(store, 2, first);
    ArcOfPoint(store, 4, second);
    for (const StoredArc* arc : {&first, &second}) {
      EXPECT_EQ(arc->type, MOVE_ARC_CCW);
      EXPECT_LT(std::hypot(arc->centre[0], arc->centre[1], arc->arc.radius - 50), 1e-4);
    }
    // The cut lies on the window's edge (within a thousandth of a pixel, and the store's
    // single precision), where the two arcs meet.
    const RegionPoint edge = window.polygon()[0];
    if (direction == 1) {
      EXPECT_NEAR(first.end[0], 20, 1e-3);
    } else {
      double u, v;
      view.ProjectUV(first.end[0], first.end[1], first.end[2], u, v);
      EXPECT_NEAR(u * view.scale + 200, edge.x, 1e-3);
    }
    EXPECT_EQ(first.end[0], second.start[0]);
    EXPECT_NEAR(first.arc.sweep + second.arc.sweep, 240, 1e-3);
    EXPECT_EQ(store.RawRecord(6)->type, MOVE_LINE_CONT);
    // One undo brings the uncut arc back.
    ASSERT_EQ(undo.Undo(store), 1);
    EXPECT_EQ(store.count, 5u);
  }
}

TEST_F(FeedChangeFixture, ChangeFeedSetsEveryMoveAndTheDocumentsFeedHeldToTheStore) {
  AddPoints(store, "1 0 0 10 0, 3 0 0 0 500, 8 10 0 0 500, 91 5 0 0 500");
  FeedChangeSummary r;
  ASSERT_TRUE(ChangeFeedCommand(ctx, 40000, &r).ok());
  EXPECT_EQ(Feeds(), "32767 32767 32767 32767");  // the centre record keeps its arc's feed
  EXPECT_EQ(std::tuple(cuttingFeed, r.changed), std::tuple(32767, 3u));
  // A toolpath of rapids alone still hands the value on as the document's cutting feed.
  store.count = 0;
  AddPoints(store, "1 0 0 10 800");
  EXPECT_TRUE(ChangeFeedCommand(ctx, 800, nullptr).code() == OutcomeCode::Unchanged);
  EXPECT_EQ(cuttingFeed, 800);
}

TEST_F(FeedChangeFixture, ArcFeedFollowsTheRadiusAndSlowsShortLeadInsAndOuts) {
  // Arcs of radius 10.05, 25 (out of range) and 5.125; lead-ins of 0.5 and 0.4, lead-outs of
  // 2.0 (longer than the safety distance) and 0.5.
  AddPoints(store,
            "1 -0.5 0 10 0, 3 -0.5 0 0 1000, 4 0 0 0 1000, 6 20.1 0 0 1000, 91 10.05 0 0 1000,"
            "4 22.1 0 0 1000, 6 72.1 0 0 1000, 91 25 0 0 1000, 4 72.5 0 0 1000,"
            "6 82.75 0 0 1000, 91 5.125 0 0 1000, 4 83.25 0 0 1000");
  ArcFeedOptions o;  // 0.1 .. 20 and 200 .. 500, safety 1
  ASSERT_TRUE(ArcFeedCommand(ctx, o).ok());
  // (R - 0.1) / 19.9 x 300 + 200, truncated: 350 and 275.
  EXPECT_EQ(Feeds(), "0 1000 350 350 350 1000 1000 1000 275 275 275 275");
  // Feed first: every move gets 1000 before the radii decide.
  o.setFirst = 1, o.firstFeed = 1000;
  ASSERT_TRUE(ArcFeedCommand(ctx, o).ok());
  EXPECT_EQ(Feeds(), "1000 1000 350 350 350 1000 1000 1000 275 275 275 275");
}

TEST_F(FeedChangeFixture, LengthFeedChangesRunsOfShortMovesNotLoneOnes) {
  // A lone short move (0.25) between long ones, then a run of three (0.25, 0.375, 0.125)
  // ending before a rapid.
  AddPoints(store,
            "1 0 0 10, 3 0 0 0 1000, 4 5 0 0 1000, 4 5.25 0 0 1000, 4 10.25 0 0 1000,"
            "4 10.5 0 0 1000, 4 10.875 0 0 1000, 4 11 0 0 1000, 1 11 0 10 0");
  ASSERT_TRUE(LengthFeedCommand(ctx, LengthFeedOptions{}).ok());
  // (L - 0.01) / 0.49 x 300 + 200, truncated.
  EXPECT_EQ(Feeds(), "0 1000 1000 1000 1000 346 423 270 0");
}

TEST(MachineFeed, BlocksMachinesAndTheirBuffers) {
  // 30 characters: three negative words of 9 and 8 and 8 digits plus sign, and the end.
  const double from[3] = {-1000.5, -500.5, -500.5}, to[3] = {-1000.6, -500.6, -500.6};
  EXPECT_EQ(BlockCharacters(MOVE_LINE_CONT, from, 1000, to, 1000, 0.17), 30);
  EXPECT_DOUBLE_EQ(TransferSeconds(30, 9600), 0.03125);
  // One word changed: 7 more; a G00 with a new feed: the G and F words; an arc: G, I and J.
  const double a[3] = {1, 2, 3}, b[3] = {5, 2, 3};
  // No move: no block.
  EXPECT_EQ(std::tuple(BlockCharacters(MOVE_LINE_CONT, a, 0, b, 0, 4),
                       BlockCharacters(MOVE_RAPID, a, 500, b, 8000, 4),
                       BlockCharacters(MOVE_ARC_CW, a, 500, b, 500, 4),
                       BlockCharacters(MOVE_LINE_CONT, a, 0, a, 0, 0.00009)),
            std::tuple(6 + 7 + 2, 6 + 7 + 3 + 5 + 2, 6 + 7 + 3 + 14 + 2, 0));
  EXPECT_EQ(FindMachine("Fanuc15M")->blocks, 30);
  EXPECT_EQ(FindMachine("fanuc15m"), nullptr);
  // At 24 %: 5 + (-26 x 5) / 50 = 5 - 2; never less than the running block.
  EXPECT_EQ(std::tuple(BufferedBlocks(5, 50), BufferedBlocks(5, 100), BufferedBlocks(5, 24),
                       BufferedBlocks(5, 0)),
            std::tuple(5, 10, 3, 1));
  MachineFeedOptions o;
  o.machine = "Machine9", o.weight = 75;
  ConfirmMachineChoice(o);
  EXPECT_EQ(o.blockCount, 135);
  o.machine = "Unknown";
  ConfirmMachineChoice(o);
  EXPECT_EQ(o.blockCount, 135);  // a machine not in the list leaves the count
  // 666.7 to the nearest 50; 0 becomes the unit.
  EXPECT_EQ(std::tuple(TimeWeightedFeed(1, 1000, 1, 500, 50), TimeWeightedFeed(1, 20, 1, 20, 50)),
            std::tuple(650, 50));
}

TEST_F(FeedChangeFixture, MachineFeedSlowsTheBlocksOnceTheBufferRunsDry) {
  // Twelve moves of 0.1 at 1000 (0.006 s each) whose blocks take 0.03125 s each at 9600: the
  // first four fill the control's five blocks, the fifth is slowed to bridge the gap to the
  // next transfer (827, rounded down to 800), those after it to the minimum feed (300), and
  // the last, with nothing more to come, runs as programmed.
  const double step = 0.1 / std::sqrt(3.0);
  std::string program = "1 -1000 -500 -500 0";
  for (int k = 1; k <= 12; ++k) {
    const double d = k * step;
    program += ", " + std::string(k == 1 ? "3 " : "4 ") + std::to_string(-1000 - d) + " " +
               std::to_string(-500 - d) + " " + std::to_string(-500 - d) + " 1000";
  }
  AddPoints(store, program);
  MachineFeedOptions o;  // Fanuc0M (5 blocks), 9600, 1000 .. 300, unit 50
  o.smooth = 0;
  ASSERT_TRUE(MachineFeedCommand(ctx, o).ok());
  EXPECT_EQ(Feeds(), "1000 1000 1000 1000 1000 800 300 300 300 300 300 300 1000");
  // A faster line keeps them all.
  ASSERT_EQ(undo.Undo(store), 1);
  o.transferRate = 56800, o.machine = "Fanuc15M", o.setMax = 0;
  ConfirmMachineChoice(o);
  EXPECT_EQ(MachineFeedCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

TEST_F(FeedChangeFixture, MachineFeedSmoothsValleysAndPairsButNotAcrossRapids) {
  // Long moves the line keeps up with: only the rounding and the smoothing act.
  AddPoints(store,
            "1 0 0 10 0, 3 0 0 0 1000, 4 10 0 0 1000, 4 20 0 0 500, 4 30 0 0 1000,"
            "4 40 0 0 1010, 1 40 0 10 0, 3 40 10 0 400");
  MachineFeedOptions o;
  o.setMax = 0, o.maxFeed = 2000;
  ASSERT_TRUE(MachineFeedCommand(ctx, o).ok());
  // 1010 is rounded down to 1000. The valley at 500 takes the move before it to 650 with it;
  // then each pair whose second feed is not 30 % above the first meets in the middle:
  // 1000 and 650 give 800, 800 and 650 give 700. The rapids stop both walks.
  EXPECT_EQ(Feeds(), "0 800 700 700 1000 1000 0 400");
}

}  // namespace
}  // namespace trevalon
