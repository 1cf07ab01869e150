// Programs read back: what the writers write, read with the matching reader, gives the toolpath
// it was written from, and verify after writing finds what does not.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "app/output_commands.h"
#include "model/geometry.h"
#include "ncio/data_cases.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_comment.h"
#include "ncio/nc_verify.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"
#include "ncio/reader_test_support.h"
#include "ncio/shipped_templates.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// Written programs read back with the matching reader give the toolpath they were written
// from: the same cuts and arcs at the same feeds, positions within the output's rounding, arc
// centres within 0.005, and no move the toolpath did not have.

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

// (Continuing moves and arcs by radius as written: tests/data/ncio/written_programs.txt.)

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

// Round trip: random toolpaths written in every output format and read back with the matching
// reader must give the moves they were written from. The comparison is the one the output
// commands run after writing (nc_verify.h); here it has to find nothing, and it has to have
// compared every move the toolpath has. The ISO forms are also read back here and compared
// move by move with the tests' own comparison (reader_test_support.h), arc centres included.

// What a generated toolpath may hold. Each format runs with everything on except what its
// writer cannot say yet (see Formats).
struct Limits {
  // A continuing rapid (2) right after a cut or an arc, a continuing cut (4) right after a
  // rapid or an arc: toolpaths edited or read from programs hold them.
  bool continuationAfterOtherKind = true;
  double maxSweep = 2 * kPi;  // the largest arc, in radians; 2 pi: whole circles too
  bool arcsOutsideXy = true;  // arcs in the ZX and YZ planes
  bool arcs = true;
  std::int32_t maxFeed = 6000;
  // Rapids anywhere, not only on a grid that both the store and three decimals hold exactly
  // (eighths).
  bool rapidsOffGrid = true;
  // Arcs whose chord runs within a few degrees of an axis of their plane.
  bool chordsNearAxes = true;
  // Feeds on rapids of their own (else they carry 0).
  bool feedsOnRapids = true;
  // Feeds on arcs of their own (else they carry the last cut's feed).
  bool feedsOnArcs = true;
  // The toolpath may end on an arc.
  bool endOnArc = true;
  // Arcs that climb or sink along their plane's normal (helices).
  bool helices = true;
};

// A random toolpath from a fixed seed: runs of rapids and cuts in every order, arcs in the
// three planes (single and continuing, radii from 0.5 to 2000, small, above and below a half
// circle, short of a whole circle, whole circles, helices), feed changes inside and between
// runs. Every move is at least 0.05 long, so that every one
// must come back. Returns the number of moves.
std::uint64_t Generate(CPointStore& s, unsigned seed, int moves, const Limits& lim) {
  std::mt19937 rng(seed);
  auto uni = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  double at[3] = {0, 0, 0};
  std::uint64_t count = 0;
  std::int32_t feed = 500, cutFeed = 0;
  int lastKind = 0;  // 1 rapid, 3 cut, 6 arc
  auto put = [&](int type, const double p[3], std::int32_t f) {
    testing::AddPoint(s, type, p[0], p[1], p[2], f);
    // Go on from the point as stored (single precision), as the writer will.
    s.FetchPoint(s.count - 1);
    at[0] = s.reg.x, at[1] = s.reg.y, at[2] = s.reg.z;
  };
  auto step = [&](double p[3]) {
    do {
      for (int a = 0; a < 3; ++a) p[a] = at[a] + (pick(4) == 0 ? 0.0 : uni(-30, 30));
      for (int a = 0; a < 3; ++a) p[a] = std::fmax(-150.0, std::fmin(150.0, p[a]));
    } while (std::hypot(p[0] - at[0], p[1] - at[1], p[2] - at[2]) < 0.05);
  };
  auto rapidStep = [&](double q[3]) {
    do {
      step(q);
      if (!lim.rapidsOffGrid)
        for (int a = 0; a < 3; ++a) q[a] = std::round(q[a] * 8) / 8;
    } while (std::hypot(q[0] - at[0], q[1] - at[1], q[2] - at[2]) < 0.05);
  };
  double p[3];
  rapidStep(p);
  put(MOVE_RAPID, p, 0);
  ++count;
  lastKind = 1;
  while (count < static_cast<std::uint64_t>(moves)) {
    int what = pick(lim.arcs ? 3 : 2);
    // Arcs that carry the last cut's feed wait for a cut: no writer writes a cut without a
    // feed.
    if (what == 2 && !lim.feedsOnArcs && cutFeed == 0) what = 1;
    if (pick(5) == 0) feed = 50 + 10 * pick((lim.maxFeed - 50) / 10 + 1);
    if (what == 0) {  // rapids
      const int n = 1 + pick(3);
      for (int k = 0; k < n; ++k) {
        rapidStep(p);
        const bool first = k == 0 && (lastKind != 1 || pick(2) == 0);
        int type = first ? MOVE_RAPID : MOVE_RAPID_CONT;
        if (k == 0 && lastKind != 1 && !lim.continuationAfterOtherKind) type = MOVE_RAPID;
        if (k == 0 && lastKind != 1 && lim.continuationAfterOtherKind && pick(2) == 0)
          type = MOVE_RAPID_CONT;
        put(type, p, pick(3) == 0 || !lim.feedsOnRapids ? 0 : feed);
        ++count;
      }
      lastKind = 1;
    } else if (what == 1) {  // cuts
      const int n = 1 + pick(6);
      for (int k = 0; k < n; ++k) {
        step(p);
        int type = k == 0 ? MOVE_LINE : MOVE_LINE_CONT;
        if (k == 0 && lastKind == 3 && pick(2) == 0) type = MOVE_LINE_CONT;
        if (k == 0 && lastKind != 3 && lim.continuationAfterOtherKind && pick(3) == 0)
          type = MOVE_LINE_CONT;
        if (k > 0 && pick(4) == 0) feed = 50 + 10 * pick((lim.maxFeed - 50) / 10 + 1);
        put(type, p, feed);
        cutFeed = feed;
        ++count;
      }
      lastKind = 3;
    } else {  // arcs: one, or several of the same kind and plane (continuing arcs)
      const int plane = lim.arcsOutsideXy ? PLANE_XY + pick(3) : PLANE_XY;
      const int type = pick(2) ? MOVE_ARC_CW : MOVE_ARC_CCW;
      const int ia = AxesOfPlane(plane).a, ib = AxesOfPlane(plane).b;
      const int n = 1 + pick(3);
      for (int k = 0; k < n; ++k) {
        static const double kSweeps[][2] = {{0.1, 1.0}, {1.0, 2.6},  {2.9, 3.1},        {3.1, 3.3},
                                            {3.5, 6.0}, {6.0, 6.28}, {2 * kPi, 2 * kPi}};
        double lo, hi;
        do {
          const int c = pick(7);
          lo = kSweeps[c][0], hi = kSweeps[c][1];
        } while (lo > lim.maxSweep);
        const double sweep = uni(lo, std::fmin(hi, lim.maxSweep));
        // Now and then a radius from 0.5 to 2000 (log-uniform), only near the origin so that
        // the toolpath stays where single precision holds three decimals.
        const bool near =
            std::fmax(std::fabs(at[0]), std::fmax(std::fabs(at[1]), std::fabs(at[2]))) <= 150;
        const bool wide = near && pick(4) == 0;
        const double logR = uni(std::log(0.5), std::log(2000.0));
        const double r = wide ? std::exp(logR) : uni(1.0, 40.0);
        double a0 = uni(-kPi, kPi);
        // The chord's direction is a0 + sweep / 2 + 90 degrees (less for clockwise): keep
        // it 5 degrees off the axes when asked.
        if (!lim.chordsNearAxes) {
          const double tilt = a0 + (type == MOVE_ARC_CW ? -sweep : sweep) / 2;
          const double off = std::remainder(tilt, kPi / 2);
          if (std::fabs(off) < 0.09) a0 += off < 0 ? -0.09 - off : 0.09 - off;
        }
        double centre[3] = {at[0], at[1], at[2]};
        centre[ia] = at[ia] - r * std::cos(a0);
        centre[ib] = at[ib] - r * std::sin(a0);
        const double a1 = a0 + (type == MOVE_ARC_CW ? -sweep : sweep);
        double end[3] = {at[0], at[1], at[2]};
        if (sweep < 2 * kPi) {
          end[ia] = centre[ia] + r * std::cos(a1);
          end[ib] = centre[ib] + r * std::sin(a1);
        }
        if (lim.helices && pick(5) == 0) end[AxesOfPlane(plane).normal] += uni(-5.0, 5.0);
        double ijk[3] = {centre[0] - at[0], centre[1] - at[1], centre[2] - at[2]};
        const std::int32_t arcFeed = lim.feedsOnArcs ? feed : cutFeed;
        put(type, end, arcFeed);
        testing::AddPoint(s, plane, ijk[0], ijk[1], ijk[2], arcFeed);
        ++count;
      }
      lastKind = 6;
    }
  }
  if (lastKind == 6 && !lim.endOnArc) {
    rapidStep(p);
    put(MOVE_RAPID, p, 0);
    ++count;
  }
  return count;
}

// One output format and what its writer cannot say yet
// (tests/data/ncio/round_trip_formats.txt).
struct Format {
  std::string name, shipped;  // shipped: a shipped template (ncio/shipped_templates.h) for post
  bool heidenhain, incremental, ijkToR, layers, post, tnc;
  Limits limits;
};

std::vector<Format> Formats() {
  std::vector<Format> out;
  for (const DataCase& c : ReadCases("ncio/round_trip_formats.txt")) {
    const auto on = [&](const char* key) { return c.fields.count(key) > 0; };
    for (const auto& [key, value] : c.entries) {  // a word misspelt would pass for "off"
      EXPECT_NE(std::string(" shipped heidenhain incremental ijk layers post tnc maxfeed "
                            "nofeedsonarcs noendonarc ")
                    .find(" " + key + " "),
                std::string::npos)
          << c.file << ":" << c.line << " " << key;
    }
    Format f{c.name,     c["shipped"], on("heidenhain"), on("incremental"),
             !on("ijk"), on("layers"), on("post"),       on("tnc"),
             {}};
    f.limits.maxFeed = on("maxfeed") ? c.Int("maxfeed") : f.limits.maxFeed;
    f.limits.feedsOnArcs = !on("nofeedsonarcs");
    f.limits.endOnArc = !on("noendonarc");
    out.push_back(f);
  }
  return out;
}

class RoundTrip : public ::testing::Test, public testing::AppInTempDir {
 protected:
  // Writes the work layer (or layers 0 to 2) in `f` with verify on; the outcome's reason
  // carries the first difference.
  Outcome Write(const Format& f, NcVerifyResult& result) {
    const std::string path = dir.file("rt.nc");
    if (f.layers) {
      int hh = 0;
      return SaveLayersCommand(app, *doc, path, "0 1 2", hh, &result);
    }
    if (f.post) {
      CPostProcessorDlg dlg;
      dlg.outputPath = path;
      if (!f.shipped.empty()) {
        const ShippedTemplate* t = FindShippedTemplate(f.shipped);
        EXPECT_NE(t, nullptr);
        if (t) dlg.ppr.ParseTemplateText(t->text);
      } else {
        EXPECT_TRUE(dlg.ppr.LoadTemplate(std::string(TREVALON_EXAMPLES) + "/default.ppr"));
      }
      dlg.TakeLayerDefaults(doc->layers[doc->layers.workLayer]);
      return PostProcessCommand(app, *doc, dlg, &result);
    }
    CNcOutputDlg dlg;
    dlg.outputPath = path;
    dlg.TakeLayerDefaults(doc->layers[doc->layers.workLayer], 0);
    dlg.heidenhain = f.heidenhain;
    dlg.tncStyle = f.tnc;
    dlg.incremental = f.incremental;
    dlg.ijkToR = f.ijkToR;
    dlg.diagonalRapidCheck = false;
    dlg.openInEditor = false;
    int hh = 0;
    return SaveNcCommand(app, *doc, dlg, hh, &result);
  }
};

TEST_F(RoundTrip, RandomToolpathsInEveryFormat) {
  for (const Format& f : Formats()) {
    SCOPED_TRACE(f.name);
    for (unsigned seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(seed);
      std::uint64_t moves = 0;
      if (f.layers) {
        // Three layers, each with its own tool: the blocks between them are the framing's.
        for (int k = 2; k >= 0; --k) {
          ASSERT_TRUE(doc->store.Init());
          moves += Generate(doc->store, seed * 10 + k, 400, f.limits);
          doc->layers[k].toolNumber = k + 1;
          doc->layers[k].spindle = 1000 * (k + 1);
          doc->layers.SaveLayer(k, doc->store);
        }
      } else {
        ASSERT_TRUE(doc->store.Init());
        moves = Generate(doc->store, seed, 1500, f.limits);
      }
      NcVerifyResult r;
      const Outcome o = Write(f, r);
      EXPECT_TRUE(o.ok()) << o.reason();
      // Every move came back; only a layer's first rapid may be made by the blocks that start
      // the layer (they take the tool to its start already).
      EXPECT_LE(r.movesCompared, moves);
      EXPECT_GE(r.movesCompared, moves - (f.layers ? 3 : 0));
      if (f.layers || f.post || f.heidenhain) continue;
      testing::ReaderBench back;
      ASSERT_EQ(AppendNcProgram(back.Target(), dir.file("rt.nc")), 1);
      testing::ExpectSameToolpath(testing::Moves(doc->store), testing::Moves(*back.store));
    }
  }
}

// Verify after writing: programs that read back otherwise than the toolpath (hand-edited
// files) are found with the right first difference and count; what the output's own rules
// allow (framing rapids, arcs in pieces, Heidenhain chords, rounding) is not reported.

class NcVerify : public ::testing::Test {
 protected:
  NcVerifyResult Check(const std::string& program, bool heidenhain = false) {
    const std::string path = dir.file("v.nc");
    std::ofstream(path, std::ios::binary) << program;
    NcVerifyOptions o;
    o.heidenhain = heidenhain;
    NcVerifyPart part;
    part.store = &store;
    return VerifyNcProgram(path, {part}, o);
  }
  TempDir dir;
  CPointStore store;
};

// A program that is not there.
TEST_F(NcVerify, AFileThatIsNotThere) {
  NcVerifyPart part;
  part.store = &store;
  EXPECT_EQ(VerifyNcProgram(dir.file("v.nc"), {part}, {}).status, NcVerifyStatus::CannotRead);
}

// The programs of tests/data/ncio/verify_programs.txt against their toolpaths: closing rapids
// that stay above the toolpath's rapid heights or not, arcs in pieces on the same circle.
TEST_F(NcVerify, ProgramsAgainstTheirToolpaths) {
  for (const DataCase& c : ReadCases("ncio/verify_programs.txt")) {
    const auto trace = c.Trace();
    store.count = 0;
    AddPoints(store, c.at("toolpath"));
    const NcVerifyResult r = Check(c.at("program"));
    EXPECT_EQ(r.ok(), c.Int("same") == 1) << DescribeFirstDifference(r, Language::English);
    EXPECT_EQ(r.status, c.Int("same") == 1 ? NcVerifyStatus::Same : NcVerifyStatus::Different);
    if (c.fields.count("afterlast")) {
      EXPECT_FALSE(r.first.hasExpected);
    }
    if (c.fields.count("read")) {
      EXPECT_TRUE(r.first.hasRead);
    }
    if (c.fields.count("readx")) {
      EXPECT_EQ(r.first.read.position[0], std::stod(c.at("readx")));
    }
    for (const auto& [key, got] : {std::pair{"compared", r.movesCompared},
                                   {"differences", r.differences},
                                   {"record", std::uint64_t{r.first.sourceIndex}},
                                   {"readrecord", std::uint64_t{r.first.readIndex}}}) {
      if (c.fields.count(key)) {
        EXPECT_EQ(got, std::stoull(c.at(key))) << key;
      }
    }
    const std::string described = DescribeFirstDifference(r, Language::English);
    if (c.fields.count("described")) {
      EXPECT_EQ(described, c.at("described"));
    }
    EXPECT_NE(described.find(c["describes"]), std::string::npos);
  }
}

TEST_F(NcVerify, ChordsForArcsOnlyInHeidenhainOutput) {
  // A ZX quarter circle of radius 10 about (0, 0, 0), from (10, 0, 0) to (0, 0, 10) (G18
  // turns from Z towards X: clockwise).
  AddPoints(store, "1 10 0 0, 8 0 0 10 300, 92 -10 0 0 300");
  // A program of n chords along it, after the rapid to its start.
  const auto chords = [](int n) {
    std::string out = "1 L X+10.000 Y+0.000 Z+0.000 F6000\n";
    for (int k = 1; k <= n; ++k) {
      const double a = 3.14159265358979323846 / 2 * k / n;
      char line[96];
      std::snprintf(line, sizeof line, "%d L X%+.3f Z%+.3f F300\n", k + 1, 10 * std::cos(a),
                    10 * std::sin(a));
      out += line;
    }
    return out;
  };
  // Chords of one degree leave a circle of radius 10 by 0.0004. The Heidenhain reader passes
  // over the character after L: the blank is there for it.
  NcVerifyResult r = Check(chords(90), true);
  EXPECT_TRUE(r.ok()) << DescribeFirstDifference(r, Language::English);
  EXPECT_EQ(r.movesCompared, 2u);
  EXPECT_FALSE(Check(chords(90), false).ok());  // read as ISO it is something else altogether
  // Too coarse: four chords leave the arc by 0.19.
  EXPECT_FALSE(Check(chords(4), true).ok());
}

using NcVerifyCommands = DocumentTest;

TEST_F(NcVerifyCommands, FailedVerifyKeepsTheFileAndTheReaderState) {
  // A template whose cuts leave Y out: the program reads back otherwise.
  AddPoints(d.store, "1 0 0 5, 3 10 0 5 100, 4 10 10 5 100, 1 10 10 20");
  const NcReaderState before = d.ncReader;
  CPostProcessorDlg dlg;
  dlg.outputPath = a.dir.file("p.nc");
  dlg.ppr.ParseTemplateText(
      "[Start]\nG00X$XY$YZ$Z\n[End]\n[NewCut]\nG01X$XF$F\n[End]\n[Cut]\nX$X\n[End]\n"
      "[NewRapid]\nG00X$XY$YZ$Z\n[End]\n");
  NcVerifyResult r;
  const Outcome o = PostProcessCommand(a.app, d, dlg, &r);
  EXPECT_EQ(o.code(), OutcomeCode::Refused);
  // Record 2 goes to Y10, the program stays at Y0 (what is read there is the closing rapid,
  // which then stands where it should).
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(r.first.sourceIndex, 2u);
  EXPECT_NE(o.reason().find(
                "record 2: expected G01 X10.000 Y10.000 Z5.000 F100, read G00 X10.000 Y10.000 "
                "Z20.000"),
            std::string::npos)
      << o.reason();
  EXPECT_EQ(testing::ReadAll(dlg.outputPath),
            "G00X0.000Y0.000Z5.000\nG00X0.000Y0.000Z5.000\nG01X10.000F100\nX10.000\n"
            "G00X10.000Y10.000Z20.000\n");
  EXPECT_EQ(std::memcmp(&before.fanuc, &d.ncReader.fanuc, sizeof before.fanuc), 0);
  // The desktop's message in the user's language holds the same.
  EXPECT_NE(DescribeVerifyFailure(r, dlg.outputPath, Language::Korean).find("레코드 2"),
            std::string::npos);
}

}  // namespace
}  // namespace trevalon::testing
