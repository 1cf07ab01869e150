// The Heidenhain block parser: feeds that decide rapids, L, CC/C, CR and DR, FMAX, the words
// that end a block, and the shared incremental flag.

#include <gtest/gtest.h>

#include "model/geometry.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

TEST(HeidenhainBlock, FeedsWordsAndIncrementalMode) {
  ReaderBench f, x, w, i, l;
  ExpectBlocks(f, true,
               {{"L X+10 Y+20 F500\n", 1, "type=3 feed=500"},
                {"L X+30 F9999\n", 1, "type=1 feed=9999"},
                {"L Y+40\n", 1, "type=2"},
                {"L X+5 F2000\n", 1, "type=3"},  // 2000 is still a cutting feed
                {"L X+6 F+2001\n", 1, "type=1"},
                {"L X+6\n", 0},  // no move
                {"G01 X+7\n", 1, "type=3"}});
  // The X of FMAX reads an empty number: X becomes 0; its F reads no digits.
  ExpectBlocks(x, true,
               {{"L Y+5 F300\n", 1},
                {"L X+10 FMAX\n", 0, "x=0 type=4 feed=300"},
                {"L IX+5\n", 1, "x=5"},  // I is skipped, so IX is read as an absolute X
                {"L IX+5\n", 0}});
  ExpectBlocks(w, true,
               {{"0 BEGIN PGM 1 MM\n", 0},
                {"1 BLK FORM 0.1 Z X+0 Y+0 Z-40\n", 0},
                {"2 TOOL CALL 1 Z S1000\n", 0},
                {"3 TOOL DEF 1 L+0 R+3\n", 0},
                {"9 END PGM 1 MM\n", 0},
                {"L X+5 (NOTE)\n", 0, "x=0"},
                // A lower-case c ends the block at once as a move, without the end-of-block
                // steps.
                {"L X+5 F100\n", 1},
                {"L X+7 ; check\n", 1, "x=7 mx=5"},
                {"TC X+0 Y+0\n", 0, "radius=5"}});  // T, B and E fall through to the C test
  // "#" is no mark here, and IntNcdataFlg does not scale.
  w.nc.intNcdataFlg = 1;
  ExpectBlocks(w, true, {{"#1 L X+12\n", 1, "x=12"}});
  // BlockStart is the position at the G91; each incremental block moves it on. G90 leaves
  // the register as the incremental block start made it (zero), so the G90 block itself ends
  // at the origin.
  ExpectBlocks(i, true,
               {{"L X+10 Y+10 F100\n", 1},
                {"G91\n", 0, "inc=1"},
                {"L X+5\n", 1, "x=15 y=10"},
                {"L Y-4\n", 1, "x=15 y=6"},
                {"G90\n", 1, "x=0 inc=0"}});
  // The X right after an L is passed over; an L right before the line feed never passes
  // over it, so the CC completes.
  ExpectBlocks(l, true, {{"LX+3\n", 0, "x=0 type=1"}, {"CC X+3 Y+4 L\n", 0, "cc=0 radius=5"}});
}

TEST(HeidenhainBlock, CircleCentreArcsAndDr) {
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

  // DR passes over four characters: "DR- F500" passes over the F and the feed stays; at the
  // end of a line the line feed among them still ends the block, without it the block is not
  // read; a D of another word is skipped.
  ReaderBench d;
  d.store->reg.radius = 20;
  ExpectBlocks(d, true,
               {{"L X+1 F100\n", 1},
                {"C X+21 Y+20 DR- F500\n", 1, "type=8 feed=100"},
                {"C X+41 Y+0 DR-\n", 1},
                {"C X+1 Y+0 DR-", 0},
                {"L X+2 DX+9\n", 1, "x=9"}});
}

}  // namespace
}  // namespace trevalon::testing
