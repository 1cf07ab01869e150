// The face, radial and spiral generators: counts, types and start points as the dialogs'
// values give them, appended behind the toolpath without an undo snapshot.

#include "edit/generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "model/geometry.h"
#include "test_support.h"

namespace trevalon {
namespace {

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
