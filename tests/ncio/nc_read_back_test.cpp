// Written programs read back with the matching reader give the toolpath they were written
// from: the same cuts and arcs at the same feeds, positions within the output's rounding, arc
// centres within 0.005, and no move the toolpath did not have.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/output_commands.h"
#include "model/geometry.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_comment.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"
#include "reader_test_support.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

// ---- Moves and their comparison -------------------------------------------------------

// Length of the cuts, arcs along the arc (a whole circle when the end is the start).
double CuttingLength(const std::vector<Move>& moves) {
  double total = 0;
  for (std::size_t k = 1; k < moves.size(); ++k) {
    const Move& m = moves[k];
    if (m.kind == 1) continue;
    if (m.kind == 3) {
      total += Gap(moves[k - 1].end, m.end);
      continue;
    }
    ArcDescription arc;
    ArcParameters(moves[k - 1].end, m.end, m.centre, m.kind, m.plane, arc);
    const PlaneAxes ax = AxesOfPlane(m.plane);
    const double r = std::hypot(m.centre[ax.a] - m.end[ax.a], m.centre[ax.b] - m.end[ax.b]);
    total += std::hypot(arc.sweep * kDegToRad * r, m.end[ax.normal] - moves[k - 1].end[ax.normal]);
  }
  return total;
}

// ---- Fixture: write with the application's commands, read back into a fresh store --------

class NcReadBack : public ::testing::Test, public testing::AppInTempDir {
 protected:
  std::string Save(std::function<void(CNcOutputDlg&)> set = {}) {
    CNcOutputDlg dlg;
    dlg.outputPath = dir.file("out.nc");
    dlg.spindle = 0;
    dlg.openInEditor = false;
    dlg.diagonalRapidCheck = false;
    if (set) set(dlg);
    int hh = 0;
    NcVerifyResult verified;  // what the command checks after writing must pass as well
    const Outcome o = SaveNcCommand(app, *doc, dlg, hh, &verified);
    EXPECT_TRUE(o.ok()) << o.reason();
    return ReadAll(dlg.outputPath);
  }
  // Writes the toolpath in the four ISO forms and runs `check` on each program written.
  void ForEachIsoForm(const std::function<void(const std::string& out)>& check) {
    for (bool incremental : {false, true})
      for (bool r : {true, false}) {
        SCOPED_TRACE(::testing::Message() << "incremental " << incremental << " R " << r);
        check(Save([&](CNcOutputDlg& d) {
          d.incremental = incremental;
          d.ijkToR = r;
        }));
      }
  }
  std::string Post(const std::string& templateText) {
    CPostProcessorDlg dlg;
    dlg.outputPath = dir.file("out.nc");
    dlg.ppr.SetDefaults();
    if (templateText.empty())
      dlg.ppr.LoadTemplate(std::string(TREVALON_EXAMPLES) + "/default.ppr");
    else
      dlg.ppr.ParseTemplateText(templateText);
    EXPECT_TRUE(PostProcessCommand(app, *doc, dlg).ok());
    return ReadAll(dlg.outputPath);
  }
  // The last written program read as a fresh application would read it.
  CPointStore& ReadBack() {
    back = std::make_unique<testing::ReaderBench>();
    EXPECT_EQ(AppendNcProgram(back->Target(), dir.file("out.nc")), 1);
    return *back->store;
  }
  std::vector<Move> Want() { return Moves(doc->store); }

  std::unique_ptr<testing::ReaderBench> back;
};

// ---- A continuing move after another kind of motion names its G word -----------------------

TEST_F(NcReadBack, ContinuingMovesNameTheirMotionAfterAnotherKind) {
  // Lines of type 4 after an arc and after a rapid, a rapid of type 2 after a cut, an arc
  // continuing after a line, a feed change alone after an arc.
  AddPoints(doc->store,
            "1 0 0 10, 2 0 0 5, 4 0 0 0 300, 4 10 0 0 300, 6 10 10 0 300, 91 0 5 0, "
            "4 0 10 0 300, 2 0 10 5, 4 0 20 5 400, 6 10 20 5 400, 91 5 0 0, 4 10 20 5 500, "
            "4 20 20 5 500");
  // (That each form reads back as the toolpath: RoundTrip.RandomToolpathsInEveryFormat, whose
  // toolpaths hold continuing moves after every other kind.)
  std::string out = Save();
  EXPECT_NE(out.find("\nG00X0.000Y0.000Z10.000\nZ5.000\nG01Z0.000F300\nX10.000\n"
                     "G17G03X15.000Y5.000R5.000\nX10.000Y10.000R5.000\nG01X0.000\n"
                     "G00Z5.000\nG01Y20.000F400\n"),
            std::string::npos)
      << out;
  // The feed change that does not move after an arc must not read as a whole circle.
  EXPECT_NE(out.find("\nG01F500\nX20.000\n"), std::string::npos) << out;

  // The template: a continuing record after another kind is written with the new section.
  const std::string program = Post("");
  EXPECT_NE(program.find("\nN6G17G03Y10.000I0.000J5.000\nN7G01X0.000\nN8G00Z5.000\n"),
            std::string::npos)
      << program;
  // Where no new section is defined the continuing one stays.
  const std::string plain = Post("[Cut]\nC[$X]\n[End]\n[NewRapid]\nR[$Z]\n[End]\n");
  EXPECT_EQ(plain, "R\nC\nCX10.000\nCX0.000\nRZ5.000\nC\nC\nCX20.000\n");
}

// ---- Arcs by radius -------------------------------------------------------------------------

TEST_F(NcReadBack, ArcsByRadiusOverAndNearAHalfCircle) {
  // 270 degrees counter-clockwise about the origin from (0, -10) to (-10, 0): one block, the
  // larger arc by a negative R (10 + 0.0005 is written as 10.001 by the rounding up).
  AddPoints(doc->store, "1 0 -10 0, 6 -10 0 0 200, 91 0 10 0");
  EXPECT_NE(Save().find("\nG17G03X-10.000Y0.000R-10.001F200\n"), std::string::npos);
  // 180 degrees: two quarters; a whole circle: three thirds, each about the same centre.
  doc->store.count = 0;
  AddPoints(doc->store, "1 0 -10 0, 6 0 10 0 200, 91 0 10 0, 6 0 10 0 200, 91 0 -10 0");
  EXPECT_NE(Save().find("\nG17G03X10.000Y0.000R10.001F200\nX0.000Y10.000R10.001\n"
                        "X-8.660Y-5.000R10.001\nX8.660Y-5.000R10.001\nX0.000Y10.000R10.001\n"),
            std::string::npos);
  // With centre offsets every arc stays one block, the whole circle too.
  EXPECT_NE(Save([](CNcOutputDlg& d) {
              d.ijkToR = false;
            }).find("\nG17G03Y10.000J10.000F200\nJ-10.000\n"),
            std::string::npos);
}

// An arc whose ends round to the same words is a whole circle to a reader: a sliver must go
// out as the straight move it is, a whole circle (or one short of it by less than the
// rounding) as a circle, in every form.
TEST_F(NcReadBack, ArcsWhoseEndsRoundTogetherAreCirclesOnlyWhenTheyTurnRound) {
  // A 0.0004 chord of a radius-100 arc, a half circle of radius 0.0002, a circle short by
  // 0.00004 of a whole turn.
  AddPoints(doc->store,
            "1 0 0 5, 3 0 0 0 100, 8 0.0004 0 0 100, 91 0.0002 -100 0, 3 10 0 0 100, "
            "8 10.0004 0 0 100, 91 0.0002 0 0, 3 20 0 0 100, 8 20.00004 0 0 100, 91 -10 0 0, "
            "3 30 0 0 100");
  const std::vector<Move> want = Want();
  ForEachIsoForm([&](const std::string&) {
    const std::vector<Move> got = Moves(ReadBack());
    int arcs = 0;
    double turned = 0;
    for (const Move& m : got)
      if (IsArcType(m.kind)) ++arcs;
    for (std::size_t k = 1; k < got.size(); ++k)
      if (IsArcType(got[k].kind)) turned += Gap(got[k].end, got[k - 1].end);
    // Only the near-whole circle comes back as arcs: its pieces' chords add up to about the
    // circle's perimeter (2 pi 10 = 62.8) and nothing else turns.
    EXPECT_GE(arcs, 1);
    EXPECT_LT(turned, 63.0);
    std::size_t last = got.size();
    while (last > 0 && got[last - 1].kind == 1) --last;  // the closing retract
    ASSERT_GT(last, 0u);
    EXPECT_LT(Gap(got[last - 1].end, want.back().end), 0.001);
  });
}

// A program that ends on an arc at the safe height leaves the arc before M09, which a reader
// would otherwise take as a whole circle where the tool stands.
TEST_F(NcReadBack, AProgramEndingOnAnArcDoesNotCloseWithACircle) {
  // (That it reads back as the toolpath: RoundTrip.RandomToolpathsInEveryFormat, whose
  // toolpaths may end on an arc.)
  AddPoints(doc->store, "1 5 5 0, 3 10 0 0 100, 6 0 10 0 100, 91 -10 0 0");
  ForEachIsoForm([&](const std::string& out) {
    EXPECT_NE(out.find("\nG00\nM09\n"), std::string::npos) << out;
  });
}

// ---- Start height ---------------------------------------------------------------------------

TEST_F(NcReadBack, TheToolEntersAtTheHeightOfTheRapidsBeforeTheFirstCut) {
  // Record 0 at Z0 only because the program had not set Z: it climbs to Z30 where it is, then
  // moves across at Z30 and down to the cut.
  AddPoints(doc->store, "1 -42 -32 0, 2 -42 -32 30, 2 -40 -30 30, 2 -40 -30 -9, 3 -40 -30 -14 600");
  doc->layers[0].toolNumber = 3, doc->layers[0].toolOffset = 3, doc->layers[0].spindle = 9000;
  const std::string out = Save([&](CNcOutputDlg& d) { d.TakeLayerDefaults(doc->layers[0], 0); });
  EXPECT_EQ(
      out.rfind("%\nG90G00G17\nZ30.000\nG49\nG28G91Z0.0T3M06\nG90\nG43Z30.000H3\n"
                "G00X-42.000Y-32.000\nS9000M03\nG00X-42.000Y-32.000Z30.000\nX-40.000Y-30.000\n"
                "Z-9.000\nG01Z-14.000F600\n",
                0),
      0u)
      << out;
  // The closing retract goes back to that height.
  EXPECT_NE(out.find("\nG00Z30.000\nM09\n"), std::string::npos);
  // Nothing is written below Z30 before the tool is over the cut.
  for (const Move& m : Moves(ReadBack())) {
    if (m.end[0] == -40 && m.end[1] == -30) break;
    EXPECT_EQ(m.end[2], 30);
  }
  // The Heidenhain start and the template's [Start] take the same height.
  EXPECT_NE(
      Save([](CNcOutputDlg& d) { d.heidenhain = true; }).find("L X-42.000 Y-32.000 Z30.000 F6000"),
      std::string::npos);
  EXPECT_EQ(Post("").substr(0, 40), "%\nO0\nN0G90G17G00X-42.000Y-32.000Z30.000\n");

  // A toolpath that rapids across low first keeps that move: only the start blocks rise.
  doc->store.count = 0;
  AddPoints(doc->store, "1 0 0 0, 2 5 0 0, 2 5 0 20, 3 5 0 -1 100");
  const std::string low = Save();
  EXPECT_NE(low.find("G90G00G17\nG00X0.000Y0.000Z0.000\nX5.000\nZ20.000\n"), std::string::npos)
      << low;
}

// The closing retract names an absolute height in every ISO form: after incremental cuts a
// bare Z word would step from where the tool stands, down into the work when that Z is below
// zero. The program ends at the safe height, and verify holds it there.
TEST_F(NcReadBack, TheClosingRetractEndsAtTheSafeHeightInEveryForm) {
  struct Row {
    const char* path;
    double top;  // where the program must end (no retract where the tool already stands higher)
  };
  const Row rows[] = {
      {"1 0 0 10, 3 0 0 -4 200, 3 20 0 -4 200", 10},  // ends below zero, under the safe height
      {"1 0 0 -2, 3 0 0 -4 200, 3 20 0 -1 200", -1},  // ends above the safe height, below zero
      {"1 0 0 5, 3 0 0 0 200, 3 20 0 12 200", 12},    // ends above it
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    doc->store.count = 0;
    AddPoints(doc->store, row.path);
    ForEachIsoForm([&](const std::string& out) {
      const std::vector<Move> got = Moves(ReadBack());
      ASSERT_FALSE(got.empty());
      EXPECT_NEAR(got.back().end[2], row.top, 1e-3) << out;
    });
  }
}

// ---- Comments -------------------------------------------------------------------------------

TEST_F(NcReadBack, CommentTextNeverBecomesCode) {
  EXPECT_EQ(CommentText("A) G00 Z-100. (B"), "A] G00 Z-100. [B");
  EXPECT_EQ(CommentText("x\ry\x01z\x7f\tw"), "x y z \tw");
  AddPoints(doc->store, "1 0 0 10, 3 1 0 10 100");
  const std::string out = Save([](CNcOutputDlg& d) {
    d.comment = "A) G00 Z-100. (B\nsecond\rG01 X-5.";
    d.machiningInfo = true;
  });
  EXPECT_EQ(out.substr(0, 50), "%\n(A] G00 Z-100. [B)\r\n(second G01 X-5.)\nG90G00G17\n");
  // Nothing of the comment moves: the program reads back as the toolpath alone.
  ExpectSameToolpath(Want(), Moves(ReadBack()));
  EXPECT_EQ(back->layers[0].comment.substr(0, 18), "A] G00 Z-100. [B\r\n");
}

// ---- The reader's centre from a radius ------------------------------------------------------

TEST(ArcCentreFromRadiusFloor, AChordAlongAnAxisLeavesNoCrumbOfOffset) {
  testing::ReaderBench b;
  b.Fanuc("G1 X1.\n");
  ASSERT_EQ(b.Fanuc("G2 R0.001 Y1000.\n"), 1);
  EXPECT_EQ(b.offset[1], 0.0);  // R before Y: the chord has no length, the offset no J
  EXPECT_NEAR(std::fabs(b.offset[0]), 0.001, 1e-12);
}

// ---- The bundled example, every way it can be written ---------------------------------------

TEST_F(NcReadBack, TheExampleComesBackInEveryForm) {
  testing::ReaderBench original;
  ASSERT_EQ(original.Load(std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc"), 1);
  ASSERT_EQ(original.store->count, 6239u);
  const std::vector<Move> want = Moves(*original.store);
  const double length = CuttingLength(want);
  doc->store.count = 0;
  for (std::uint32_t i = 0; i < original.store->count; ++i) {
    original.store->FetchPoint(i);
    const PointRegister& r = original.store->reg;
    AddPoint(doc->store, r.type, r.x, r.y, r.z, r.feed);
  }
  auto check = [&] {
    const std::vector<Move> got = Moves(ReadBack());
    ExpectSameToolpath(want, got);
    EXPECT_NEAR(CuttingLength(got), length, 0.05);
  };
  ForEachIsoForm([&](const std::string&) { check(); });
  Post("");
  check();
}

}  // namespace
}  // namespace trevalon
