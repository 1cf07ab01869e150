// The Heidenhain block parser: the centre of a C arc and CR with a radius that is not
// positive (the block-by-block cases, feeds, FMAX, DR and the words that end a block:
// tests/data/ncio/blocks.txt).

#include <gtest/gtest.h>

#include "model/geometry.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

TEST(HeidenhainBlock, CircleCentreArcs) {
  ReaderBench b;
  ExpectBlocks(b, true,
               {{"L X+10 Y+0 F100\n", 1},
                {"CC X+0 Y+0\n", 0, "radius=10 cc=0"},
                {"C X-10 Y+0 DR+\n", 1, "type=6 x=-10"}});
  const double start[3] = {10, 0, 0}, end[3] = {-10, 0, 0};
  double want[3];
  ArcCentreFromRadius(PLANE_XY, start, end, 10.0, MOVE_ARC_CCW, want);
  EXPECT_EQ(b.offset[0], want[0]);
  EXPECT_EQ(b.offset[1], want[1]);
  // The next block starts with that offset; an arc without motion is a full circle.
  ASSERT_EQ(b.Heidenhain("M5\n"), 1);
  EXPECT_EQ(b.offset[0], want[0]);
  // CR with a radius that is not positive is a straight feed move.
  ExpectBlocks(b, true, {{"CR X+10 Y+0 R-5 DR+\n", 1, "type=3 modal=3 radius=-5"}});
}

}  // namespace
}  // namespace trevalon::testing
