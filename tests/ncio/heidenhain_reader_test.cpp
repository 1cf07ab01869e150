// The Heidenhain block parser: feeds that decide rapids, L, CC/C, CR and DR, FMAX, the words
// that end a block, and the shared incremental flag.

#include <gtest/gtest.h>

#include "model/geometry.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

TEST(HeidenhainBlock, FeedDecidesRapidOrCut) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Heidenhain("L X+10 Y+20 F500\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE);
  EXPECT_EQ(r.feed, 500);
  ASSERT_EQ(b.Heidenhain("L X+30 F9999\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID);
  EXPECT_EQ(r.feed, 9999);
  ASSERT_EQ(b.Heidenhain("L Y+40\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID_CONT);
  ASSERT_EQ(b.Heidenhain("L X+5 F2000\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE);  // 2000 is still a cutting feed
  ASSERT_EQ(b.Heidenhain("L X+6 F+2001\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID);
  EXPECT_EQ(b.Heidenhain("L X+6\n"), 0);  // no move
  ASSERT_EQ(b.Heidenhain("G01 X+7\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE);
}

TEST(HeidenhainBlock, FmaxAndIncrementalWordsAreReadLetterByLetter) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Heidenhain("L Y+5 F300\n"), 1);
  // The X of FMAX reads an empty number: X becomes 0; its F reads no digits.
  EXPECT_EQ(b.Heidenhain("L X+10 FMAX\n"), 0);
  EXPECT_EQ(r.x, 0.0);
  EXPECT_EQ(r.type, MOVE_LINE_CONT);
  EXPECT_EQ(r.feed, 300);
  // I is skipped, so IX is read as an absolute X.
  ASSERT_EQ(b.Heidenhain("L IX+5\n"), 1);
  EXPECT_EQ(r.x, 5.0);
  ASSERT_EQ(b.Heidenhain("L IX+5\n"), 0);
}

TEST(HeidenhainBlock, CircleCentreThenArc) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Heidenhain("L X+10 Y+0 F100\n"), 1);
  EXPECT_EQ(b.Heidenhain("CC X+0 Y+0\n"), 0);
  EXPECT_DOUBLE_EQ(r.radius, 10.0);
  EXPECT_EQ(b.state.heidenhain.circleCentrePending, 0);
  ASSERT_EQ(b.Heidenhain("C X-10 Y+0 DR+\n"), 1);
  EXPECT_EQ(r.type, MOVE_ARC_CCW);
  EXPECT_EQ(r.x, -10.0);
  const double start[3] = {10, 0, 0}, end[3] = {-10, 0, 0};
  double want[3];
  ArcCentreFromRadius(PLANE_XY, start, end, 10.0, MOVE_ARC_CCW, want);
  EXPECT_EQ(b.offset[0], want[0]);
  EXPECT_EQ(b.offset[1], want[1]);
  // The next block starts with that offset; an arc without motion is a full circle.
  ASSERT_EQ(b.Heidenhain("M5\n"), 1);
  EXPECT_EQ(b.offset[0], want[0]);
  // CR with a radius that is not positive is a straight feed move.
  ASSERT_EQ(b.Heidenhain("CR X+10 Y+0 R-5 DR+\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE);
  EXPECT_EQ(b.state.heidenhain.modalMotion, MOVE_LINE);
  EXPECT_DOUBLE_EQ(r.radius, -5.0);
}

TEST(HeidenhainBlock, DrPassesOverFourCharacters) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  r.radius = 20;
  ASSERT_EQ(b.Heidenhain("L X+1 F100\n"), 1);
  // "DR- F500": the F is passed over and the feed stays.
  ASSERT_EQ(b.Heidenhain("C X+21 Y+20 DR- F500\n"), 1);
  EXPECT_EQ(r.type, MOVE_ARC_CW);
  EXPECT_EQ(r.feed, 100);
  // "DR-" at the end: the line feed among the passed characters still ends the block.
  ASSERT_EQ(b.Heidenhain("C X+41 Y+0 DR-\n"), 1);
  // Without a line feed the block is not read.
  EXPECT_EQ(b.Heidenhain("C X+1 Y+0 DR-"), 0);
  // A D of another word is skipped.
  ASSERT_EQ(b.Heidenhain("L X+2 DX+9\n"), 1);
  EXPECT_EQ(r.x, 9.0);
}

TEST(HeidenhainBlock, WordsThatAreNoBlocks) {
  ReaderBench b;
  for (const char* line :
       {"0 BEGIN PGM 1 MM\n", "1 BLK FORM 0.1 Z X+0 Y+0 Z-40\n", "2 TOOL CALL 1 Z S1000\n",
        "3 TOOL DEF 1 L+0 R+3\n", "9 END PGM 1 MM\n", "L X+5 (NOTE)\n"}) {
    EXPECT_EQ(b.Heidenhain(line), 0) << line;
  }
  EXPECT_EQ(b.store->reg.x, 0.0);
  // A lower-case c ends the block at once as a move, without the end-of-block steps.
  ASSERT_EQ(b.Heidenhain("L X+5 F100\n"), 1);
  EXPECT_EQ(b.Heidenhain("L X+7 ; check\n"), 1);
  EXPECT_EQ(b.store->reg.x, 7.0);
  EXPECT_EQ(b.state.heidenhain.modalPosition[0], 5.0);
  // T, B and E fall through to the C test on the same characters.
  EXPECT_EQ(b.Heidenhain("TC X+0 Y+0\n"), 0);
  EXPECT_DOUBLE_EQ(b.store->reg.radius, 5.0);
  // "#" is no mark here, and IntNcdataFlg does not scale.
  b.nc.intNcdataFlg = 1;
  ASSERT_EQ(b.Heidenhain("#1 L X+12\n"), 1);
  EXPECT_EQ(b.store->reg.x, 12.0);
}

TEST(HeidenhainBlock, IncrementalMode) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Heidenhain("L X+10 Y+10 F100\n"), 1);
  EXPECT_EQ(b.Heidenhain("G91\n"), 0);
  EXPECT_EQ(b.state.incremental, 1);
  // BlockStart is the position at the G91; each incremental block moves it on.
  ASSERT_EQ(b.Heidenhain("L X+5\n"), 1);
  EXPECT_EQ(r.x, 15.0);
  EXPECT_EQ(r.y, 10.0);
  ASSERT_EQ(b.Heidenhain("L Y-4\n"), 1);
  EXPECT_EQ(r.x, 15.0);
  EXPECT_EQ(r.y, 6.0);
  // G90 leaves the register as the incremental block start made it (zero), so the G90 block
  // itself ends at the origin.
  EXPECT_EQ(b.Heidenhain("G90\n"), 1);
  EXPECT_EQ(r.x, 0.0);
  EXPECT_EQ(b.state.incremental, 0);
}

TEST(HeidenhainBlock, LPassesOverOneCharacterButNeverTheLineFeed) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  EXPECT_EQ(b.Heidenhain("LX+3\n"), 0);  // the X right after the L is passed over
  EXPECT_EQ(r.x, 0.0);
  EXPECT_EQ(r.type, MOVE_RAPID);
  // An L right before the line feed: the line feed still ends the block, so the CC completes.
  EXPECT_EQ(b.Heidenhain("CC X+3 Y+4 L\n"), 0);
  EXPECT_EQ(b.state.heidenhain.circleCentrePending, 0);
  EXPECT_DOUBLE_EQ(r.radius, 5.0);
}

}  // namespace
}  // namespace trevalon::testing
