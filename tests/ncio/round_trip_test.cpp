// Round trip: random toolpaths written in every output format and read back with the matching
// reader must give the moves they were written from. The comparison is the one the output
// commands run after writing (nc_verify.h); here it has to find nothing, and it has to have
// compared every move the toolpath has. The ISO forms are also read back here and compared
// move by move with the tests' own comparison (reader_test_support.h), arc centres included.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "app/load_commands.h"
#include "app/output_commands.h"
#include "model/geometry.h"
#include "ncio/nc_verify.h"
#include "ncio/shipped_templates.h"
#include "reader_test_support.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::kPi;
using testing::TempDir;

// What a generated toolpath may hold. Each format runs with everything on except what its
// writer cannot say yet (see kFormats).
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

// One output format and what its writer cannot say yet. Each restriction is lifted by
// setting the limit back to its default once the writer says it.
struct Format {
  const char* name = "";
  bool heidenhain = false, incremental = false, ijkToR = true, layers = false, post = false;
  bool tnc = false;               // the TNC style of the Heidenhain output
  const char* shipped = nullptr;  // a shipped template (ncio/shipped_templates.h) for post
  Limits limits;
};

std::vector<Format> Formats() {
  std::vector<Format> f(11);
  f[0].name = "ISO absolute, R";
  f[1].name = "ISO absolute, IJK", f[1].ijkToR = false;
  f[2].name = "ISO incremental, R", f[2].incremental = true;
  f[3].name = "ISO incremental, IJK", f[3].incremental = true, f[3].ijkToR = false;
  f[4].name = "ISO layer output", f[4].layers = true;
  f[5].name = "default template", f[5].post = true;
  f[6].name = "Heidenhain", f[6].heidenhain = true;
  // Limits of the default template itself, not of the conversion: its arc sections write no
  // feed word (an arc runs at the feed written last), and its [Term] says M09 right after
  // the last block, which a reader takes as a whole circle while an arc is in force.
  f[5].limits.feedsOnArcs = false;
  f[5].limits.endOnArc = false;
  // A limit of the Heidenhain reader: it takes any feed above 2000 for a rapid, so no
  // program can say a faster cut to it.
  f[6].limits.maxFeed = 2000;
  // The shipped templates, each read back by the reader of its dialect.
  f[7].name = "fanuc-haas template", f[7].post = true, f[7].shipped = "fanuc-haas.ppr";
  f[8].name = "linuxcnc template", f[8].post = true, f[8].shipped = "linuxcnc.ppr";
  f[9].name = "heidenhain template", f[9].post = true, f[9].shipped = "heidenhain.ppr";
  // Read back by the extended reader, which takes FMAX for a rapid and any feed for a cut.
  f[10].name = "Heidenhain TNC style", f[10].heidenhain = true, f[10].tnc = true;
  return f;
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
      if (f.shipped) {
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

}  // namespace
}  // namespace trevalon
