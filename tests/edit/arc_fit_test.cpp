// Arc conversion both ways. Fitted arcs are judged as a reader gets them back from a program
// written with I/J/K and three decimals: every replaced point and cut within the tolerance,
// no rapid inside an arc, radii inside the bounds, straight runs left straight.
// The linear and arc filters and subdivision follow.

#include "edit/arc_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <tuple>

#include "edit/arc_fit_check.h"
#include "edit/arc_fit_math.h"
#include "edit/filters.h"
#include "edit/subdivide.h"
#include "model/geometry.h"
#include "model/layer_table.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_verify.h"
#include "ncio/nc_writer.h"
#include "platform/file_io.h"
#include "test_support.h"
#include "toolpath_shape.h"

namespace trevalon {
namespace {

using namespace testing;

double Round3(double v) {
  return std::nearbyint(v * 1000.0) / 1000.0;
}

// Toolpaths as CAM systems write them, with coordinates of three decimals: arcs and whole
// circles sampled by chords in the three planes, straight runs, 3D moves, rapids between.
class Generator {
 public:
  explicit Generator(CPointStore& s, unsigned seed) : s_(s), rng_(seed) {}

  void Rapid(double x, double y, double z) {
    Put(MOVE_RAPID, x, y, z);
    Put(MOVE_LINE, x, y, z - 5);
  }
  // Chords within `chord` of a circle of radius r in `plane`, turning `sweep` degrees and
  // climbing `climb` along the plane's normal (a helix).
  void Arc(int plane, double r, double sweep, double chord, bool ccw, double climb = 0) {
    const PlaneAxes ax = AxesOfPlane(plane);
    const double start = Uniform(0, 2 * M_PI);
    double c[3] = {at_[0], at_[1], at_[2]};
    c[ax.a] -= r * std::cos(start);
    c[ax.b] -= r * std::sin(start);
    const double step = 2 * std::acos(1 - chord / r);
    const int n = static_cast<int>(std::ceil(sweep * M_PI / 180 / step));
    if (r > 1.2 && r < 90 && chord <= 0.008) fittable += n;
    for (int i = 1; i <= n; ++i) {
      const double a = start + (ccw ? 1 : -1) * sweep * M_PI / 180 * i / n;
      double p[3] = {c[0], c[1], c[2]};
      p[ax.a] += r * std::cos(a);
      p[ax.b] += r * std::sin(a);
      p[ax.normal] += climb * i / n;
      Put(MOVE_LINE_CONT, p[0], p[1], p[2]);
    }
  }
  // A straight run; noise of a few thousandths across it when asked.
  void Line(double length, double spacing, double noise) {
    const double dx = Uniform(-1, 1), dy = Uniform(-1, 1), dz = Uniform(-0.2, 0.2);
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double from[3] = {at_[0], at_[1], at_[2]};
    const int n = static_cast<int>(length / spacing);
    for (int i = 1; i <= n; ++i) {
      const double f = length * i / n / len;
      const double nx = Uniform(-noise, noise), ny = Uniform(-noise, noise);
      Put(MOVE_LINE_CONT, from[0] + dx * f + nx, from[1] + dy * f + ny, from[2] + dz * f);
    }
  }
  void Wander(int n) {
    for (int i = 0; i < n; ++i) {
      const double x = Uniform(-2, 2), y = Uniform(-2, 2), z = Uniform(-0.5, 0.5);
      Put(MOVE_LINE_CONT, at_[0] + x, at_[1] + y, at_[2] + z);
    }
  }
  void Feed(int f) { feed_ = f; }
  // Every draw is a statement of its own: the order of a call's arguments is the compiler's,
  // and the same seed must give the same program whichever compiler built the test.
  // A rapid in, then 120 random segments: straight runs, wandering points, rapids, feed
  // changes and arcs in the three planes, whole circles among them. For simplification the
  // radii reach further, some straight runs are noisy and helices of several turns come in.
  void RandomProgram(bool simplify) {
    Rapid(0, 0, 10);
    for (int segment = 0; segment < 120; ++segment) {
      const int plane = PLANE_XY + Pick(3);
      int kind = Pick(simplify ? 10 : 8);
      if (!simplify && kind >= 3) ++kind;  // no helices
      switch (kind) {
        case 0: {
          const double length = Uniform(2, 30), spacing = Uniform(0.2, 2);
          Line(length, spacing, simplify && Pick(2) == 0 ? 0.003 : 0.0);
          break;
        }
        case 1:
          Wander(1 + Pick(6));
          break;
        case 2: {
          const double x = Uniform(-100, 100), y = Uniform(-100, 100), z = Uniform(0, 20);
          Rapid(x, y, z);
          break;
        }
        case 3: {
          const double r = Uniform(1, 30), sweep = Uniform(360, 1000), chord = Uniform(0.001, 0.01);
          const int ccw = Pick(2);
          Arc(plane, r, sweep, chord, ccw, -Uniform(0.5, 4));
          break;
        }
        case 4:
          Feed(600 + 100 * Pick(4));
          [[fallthrough]];
        default: {
          const double r =
              std::exp(Uniform(std::log(simplify ? 0.05 : 0.5), std::log(simplify ? 500 : 150)));
          const double sweep = Pick(4) ? Uniform(simplify ? 5 : 15, 200) : 360.0;
          const double chord = Uniform(0.001, 0.01);
          Arc(plane, r, sweep, chord, Pick(2));
        }
      }
    }
  }
  void Point(double x, double y, double z) { Put(MOVE_LINE_CONT, x, y, z); }
  // Points of arcs well inside the radius bounds 1 and 100, sampled within 0.008: every
  // one of them can be replaced within 0.01.
  std::uint64_t fittable = 0;
  double Uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
  int Pick(int n) { return std::uniform_int_distribution<>(0, n - 1)(rng_); }

 private:
  void Put(int type, double x, double y, double z) {
    at_[0] = Round3(x), at_[1] = Round3(y), at_[2] = Round3(z);
    AddPoint(s_, type, at_[0], at_[1], at_[2], IsRapidType(type) ? 0 : feed_);
  }
  CPointStore& s_;
  std::mt19937 rng_;
  double at_[3] = {0, 0, 0};
  int feed_ = 800;
};

// A copy of the store's records.
void CopyStore(const CPointStore& from, CPointStore& to) {
  std::vector<PointRecord> records(from.count);
  from.CopyRecordsOut(records.data(), from.count);
  to.CopyRecordsIn(records.data(), from.count);
}

struct ArcFitFixture : ::testing::Test, testing::EditParts {
  TempDir dir;

  // Writes the store with I/J/K and three decimals, reads it back into `back`.
  void WriteAndRead(CPointStore& source, CPointStore& back, const std::string& name) {
    const std::string path = dir.file(name);
    {
      ReplacingFile file;
      ASSERT_TRUE(file.Open(path));
      CNcOutputDlg out;
      out.ijkToR = false;
      out.diagonalRapidCheck = false;
      out.openInEditor = false;
      ASSERT_EQ(out.WriteProgram(Messages(platform, Language::English), source, file), 1);
      ASSERT_TRUE(file.Commit());
    }
    LayerSlot layer;
    NcSwitches nc;
    auto state = std::make_unique<NcReaderState>();
    ASSERT_EQ(AppendNcProgram(NcReadTarget{back, layer, nc, *state}, path), 1);
    // The program reads back as the toolpath it was written from.
    NcVerifyPart part;
    part.store = &source;
    EXPECT_TRUE(VerifyNcProgram(path, {part}, {}).ok()) << name;
  }
};

TEST_F(ArcFitFixture, AFitReplacesMoreThanThreePointsOnly) {
  // Points 3 degrees apart on a circle of radius 10 (each cut within 0.0035 of the circle):
  // three points stay, four (three cuts) become one arc.
  auto onCircle = [](int deg) {
    return std::to_string(Round3(10 * std::cos(deg * M_PI / 180))) + " " +
           std::to_string(Round3(10 * std::sin(deg * M_PI / 180))) + " 0 500";
  };
  AddPoints(store, "1 10 0 5, 3 10 0 0 500, 4 " + onCircle(3) + ", 4 " + onCircle(6));
  ArcFitOptions o;
  EXPECT_EQ(FitArcs(ctx, o).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(store.count, 4u);
  AddPoints(store, "4 " + onCircle(9));
  ArcFitSummary sum;
  ASSERT_TRUE(FitArcs(ctx, o, &sum).ok());
  EXPECT_EQ(std::tuple(sum.arcs, sum.replaced), std::tuple(1u, 3u));
  // The arc ends where the cuts did; its centre (the rounded points leave it within a few
  // hundredths of the circle's) has offsets on the written thousandths.
  ASSERT_EQ(store.count, 4u);
  EXPECT_EQ(Records(store).substr(0, 37), "1 10 0 5, 3 10 0 0, 6 9.877 1.564 0, ");
  const PointRecord* c = store.RawRecord(3);
  EXPECT_EQ(c->type, PLANE_XY);
  EXPECT_NEAR(c->x, -10, 0.2);
  EXPECT_NEAR(c->y, 0, 0.02);
  const float cx = c->x;  // by value: the packed record's floats cannot be bound to references
  EXPECT_EQ(std::nearbyint(cx * 1000.0f) / 1000.0f, cx);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(store.count, 5u);
}

TEST_F(ArcFitFixture, FittedArcsHoldTheToleranceAsWrittenAndReadBack) {
  for (unsigned seed : {1u, 2u, 3u}) {
    store.count = 0;
    Generator g(store, seed);
    g.RandomProgram(false);
    CPointStore original;
    CopyStore(store, original);

    ArcFitOptions o;
    o.tolerance = 0.01;
    o.minRadius = 1.0;
    o.maxRadius = 100.0;
    ArcFitSummary sum;
    ASSERT_TRUE(FitArcs(ctx, o, &sum).ok());
    EXPECT_LE(sum.maxDeviation, o.tolerance);

    CPointStore back;
    WriteAndRead(store, back, "fitted" + std::to_string(seed) + ".nc");
    const ArcFitCheck c = CheckFittedToolpath(original, back);
    SCOPED_TRACE(seed);
    EXPECT_EQ(std::tuple(c.unmatched, c.rapidsInArcs, c.feedChanges, c.arcs),
              std::tuple(0u, 0u, 0u, sum.arcs));
    EXPECT_LE(c.maxDeviation, o.tolerance) << "arc " << c.worstArc;
    // The centre is written where the radius at the start agrees with the one at the end.
    EXPECT_LE(c.maxRadiusMismatch, 0.0015);
    EXPECT_GT(c.minRadius, o.minRadius);
    EXPECT_LT(c.maxRadius, o.maxRadius);
    // The arcs well inside the bounds are found: nearly all their points are replaced.
    EXPECT_GE(static_cast<double>(sum.replaced), 0.95 * static_cast<double>(g.fittable));
  }
}

// The check itself, on an arc and a line that replace a quarter circle of points 2 degrees
// apart (each cut within 0.0016 of the circle) and a straight run: it sees a replaced point moved
// 0.05 off its arc, a passed-over point moved 0.05 off its line, and an arc that ends where the
// original has no point.
TEST(ArcFitCheck, SeesPointsOffTheirArcOrLineAndAMoveFoundNowhere) {
  CPointStore original, fitted;
  AddPoints(original, "1 10 0 5, 3 10 0 0 500");
  for (int deg = 2; deg <= 90; deg += 2) {
    const double x = Round3(10 * std::cos(deg * M_PI / 180)),
                 y = Round3(10 * std::sin(deg * M_PI / 180));
    AddPoint(original, MOVE_LINE_CONT, x, y, 0, 500);
  }
  const std::uint32_t offLine = original.count;  // (-5, 10)
  AddPoints(original, "4 -5 10 0 500, 4 -10 10 0 500");
  AddPoints(fitted, "1 10 0 5, 3 10 0 0 500, 6 0 10 0 500, 91 -10 0 0 500, 3 -10 10 0 500");
  ArcFitCheck c = CheckFittedToolpath(original, fitted);
  EXPECT_EQ(std::tuple(c.arcs, c.lines, c.unmatched), std::tuple(1u, 1u, 0u));
  EXPECT_LT(std::max(c.maxDeviation, c.maxLineDeviation), 0.002);
  original.FetchPoint(11);  // 20 degrees
  original.reg.x *= 0.995, original.reg.y *= 0.995;
  original.StorePoint(11);
  original.FetchPoint(offLine);
  original.reg.z += 0.05;
  original.StorePoint(offLine);
  c = CheckFittedToolpath(original, fitted);
  EXPECT_GT(std::min(c.maxDeviation, c.maxLineDeviation), 0.045);
  fitted.FetchPoint(2);
  fitted.reg.x += 1;
  fitted.StorePoint(2);
  EXPECT_GT(CheckFittedToolpath(original, fitted).unmatched, 0u);
}

TEST_F(ArcFitFixture, EscapeKeepsTheArcsFittedSoFar) {
  Generator g(store, 4);
  g.Rapid(0, 0, 10);
  for (int i = 0; i < 40; ++i) g.Arc(PLANE_XY, 20, 120, 0.002, i % 2);
  const std::string before = Records(store);
  platform.escapeAfterPolls = 3;
  ArcFitSummary sum;
  EXPECT_EQ(FitArcs(ctx, ArcFitOptions{}, &sum).code(), OutcomeCode::Cancelled);
  EXPECT_TRUE(sum.stopped && sum.arcs > 0u && sum.arcs < 40u) << sum.arcs;
  // What was fitted is a whole toolpath that writes and reads back; undo gives the original.
  CPointStore back;
  WriteAndRead(store, back, "stopped.nc");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), before);
}

TEST_F(ArcFitFixture, StraightRunsWithRoundingNoiseStayStraight) {
  Generator g(store, 11);
  g.Rapid(0, 0, 10);
  for (int i = 0; i < 40; ++i) g.Line(g.Uniform(5, 60), g.Uniform(0.05, 1), 0.0015);
  const std::string before = Records(store);
  ArcFitOptions o;
  o.maxRadius = 100000;
  EXPECT_EQ(FitArcs(ctx, o).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(Records(store), before);
}

TEST_F(ArcFitFixture, ArcsBecomeChordsWithinTheTolerance) {
  // Quarter circles in the three planes, a helix, and an arc straight after a rapid.
  AddPoints(store,
            "1 10 0 5, 3 10 0 0 500, 6 0 10 0 500, 91 -10 0 0 500, "
            "6 10 10 -10 500, 92 0 0 -10 500, "  // ZX, round (0, 10, -10)
            "6 10 0 0 500, 93 0 -10 0 500, "     // YZ, round (10, 0, -10)
            "6 0 10 -2 500, 91 -10 0 0 500, "    // XY, a helix down 2
            "1 0 10 5, 8 10 0 5 500, 91 0 -10 0 500");
  CPointStore original;
  CopyStore(store, original);
  ArcFitSummary sum;
  ASSERT_TRUE(ArcsToLines(ctx, 0.005, &sum).ok());
  EXPECT_EQ(sum.arcs, 5u);
  // Every chord within 0.005 of its arc (the helix's climbing evenly): the check walks
  // the original arcs against the chords the other way round. The arc after the rapid
  // begins a cutting run.
  EXPECT_TRUE(testing::WellFormed(store));
  const ArcFitCheck c = CheckFittedToolpath(store, original);
  EXPECT_EQ(std::tuple(c.arcs, c.unmatched), std::tuple(5u, 0u));
  EXPECT_LE(c.maxDeviation, 0.005);
  EXPECT_GT(c.maxDeviation, 0.004);  // no more chords than the tolerance asks
  EXPECT_EQ(ArcsToLines(ctx, 0.005).code(), OutcomeCode::Unchanged);  // no arc left
}

TEST(ArcMath, AValueReadsBackAsTheWritersTextGivesIt) {
  // The short way for coordinates near a thousandth gives what the written text reads back
  // as: values of three decimals as a store holds them, values between the thousandths and
  // halfway between them, at every size a coordinate has.
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 200000; ++i) {
    const double scale = std::pow(10.0, i % 7 - 1);  // 0.1 .. 100000
    const double grid = std::nearbyint(unit(rng) * scale * 1000.0) / 1000.0;
    const double values[] = {static_cast<float>(grid), grid, unit(rng) * scale,
                             grid + 0.0005 * (i % 2 ? 1 : -1), -0.0};
    for (double v : values)
      ASSERT_EQ(arcmath::AsRead(v),
                static_cast<double>(static_cast<float>(ncwords::WrittenValue(v))))
          << v;
  }
}

// The cut-sag measure both arc fits use: a chord of a circle of radius 10 sags inside it by
// r - r cos(half the chord's angle); the ends' own distances and heights count as they are;
// the reference radius is asked for at the angle where the cut comes nearest the centre.
TEST(ArcCutSag, ChordsEndsAndHeights) {
  using namespace arcmath;
  const double r = 10, half = 0.1;  // a chord of 0.2 radians
  const double sag = r - r * std::cos(half);
  const auto circle = [r](double) { return r; };
  const ArcWalkPoint a{r * std::cos(-half), r * std::sin(-half), 0, 0, 0};
  const ArcWalkPoint b{r * std::cos(half), r * std::sin(half), 0.2, 0, 0};
  const struct {
    ArcWalkPoint from, to;
    double want;
  } cases[] = {
      {a, b, sag},                      // the chord's middle
      {a, a, 0},                        // no length: the end itself
      {{a.a, a.b, 0, 0.3, 0}, b, 0.3},  // an end off the circle counts
      {{a.a, a.b, 0, 0, -0.4}, {b.a, b.b, 0.2, 0, 0.1}, Len(sag, 0.4)},  // with the height
      {{20, 0, 0, 10, 0}, {30, 0, 0, 20, 0}, 20},  // outside: the ends, no sag
  };
  for (const auto& c : cases) EXPECT_NEAR(CutSag(c.from, c.to, circle), c.want, 1e-12);

  // The angle asked for is that of the nearest point: the middle for a symmetric chord.
  double askedAt = -1;
  CutSag(a, b, [&](double phi) {
    askedAt = phi;
    return r;
  });
  EXPECT_NEAR(askedAt, 0.1, 1e-12);
}

// ---- Simplification --------------------------------------------------------------------

TEST_F(ArcFitFixture, SimplifiedProgramsStayWithinTheToleranceAsWrittenAndReadBack) {
  // Random programs of arcs in the three planes, helices, straight and noisy runs, feed
  // changes and rapids, simplified at two tolerances: read back from the written program,
  // every original point and cut lies within the tolerance of the arc or line that replaced
  // it, no rapid and no feed change is inside one, and fewer blocks remain than the fit
  // leaves over the four programs (not in each: the fit measures only the points, so on a
  // program of short noisy runs it may keep fewer blocks than a simplification that keeps
  // every cut within the tolerance too).
  std::uint64_t simplifiedBlocks = 0, fittedBlocks = 0;
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    store.count = 0;
    Generator g(store, seed);
    g.RandomProgram(true);
    CPointStore original, fitted;
    CopyStore(store, original);
    const double t = seed % 2 ? 0.01 : 0.003;
    ArcSimplifySummary sum;
    ASSERT_TRUE(SimplifyToolpath(ctx, {t, true, true, true}, &sum).ok());
    EXPECT_LE(sum.maxDeviation, t);
    EXPECT_EQ(std::tuple(sum.pointsBefore, sum.pointsAfter),
              std::tuple(original.count, store.count));

    CPointStore back;
    WriteAndRead(store, back, "simplified" + std::to_string(seed) + ".nc");
    const ArcFitCheck c = CheckFittedToolpath(original, back);
    SCOPED_TRACE(seed);
    EXPECT_EQ(
        std::tuple(c.unmatched, c.rapidsInArcs + c.rapidsInLines, c.feedChanges, c.arcs, c.lines),
        std::tuple(0u, 0u, 0u, sum.arcs, sum.lines));
    EXPECT_LE(c.maxDeviation, t) << "arc " << c.worstArc;
    EXPECT_LE(c.maxLineDeviation, t);

    CopyStore(original, fitted);
    EditContext fitCtx{fitted, undo, retract, Messages(platform, Language::English), nullptr, {}};
    ArcFitOptions o;
    o.tolerance = t;
    ASSERT_TRUE(FitArcs(fitCtx, o).ok());
    simplifiedBlocks += store.count;
    fittedBlocks += fitted.count;
  }
  EXPECT_LT(simplifiedBlocks, fittedBlocks);
}

TEST_F(ArcFitFixture, EscapeKeepsTheRunsSimplifiedSoFar) {
  // Escape is polled every 65536 records, from the first on: the second poll stops it part
  // way.
  Generator g(store, 6);
  g.Rapid(0, 0, 10);
  while (store.count < 100000) {
    const double x = g.Uniform(-100, 100), y = g.Uniform(-100, 100);
    g.Rapid(x, y, 10);
    g.Arc(PLANE_XY, 20, 120, 0.0002, store.count % 2);
  }
  const std::string before = Records(store);
  platform.escapeAfterPolls = 1;
  ArcSimplifySummary sum;
  EXPECT_EQ(SimplifyToolpath(ctx, ArcSimplifyOptions{}, &sum).code(), OutcomeCode::Cancelled);
  EXPECT_TRUE(sum.stopped);
  EXPECT_GT(sum.arcs, 100u);
  EXPECT_GT(store.count, 30000u);  // the runs after the stop are left as they were
  CPointStore back;
  WriteAndRead(store, back, "simplify-stopped.nc");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), before);
}

TEST_F(ArcFitFixture, SimplifyChoosesLinesAndArcsInTheirPlanes) {
  // What each kind of run becomes at 0.01: a whole circle two arcs (no arc turns more than
  // 300 degrees), a run out and back along a line two lines, a feed change a kept point, a
  // helix arcs that climb, an arc in ZX one arc with its centre record in ZX.
  struct Case {
    const char* name;
    std::function<void(Generator&)> build;
    std::uint32_t arcs, lines;
    int plane;  // of the arcs (XY where there are none)
    bool climbs;
    const char* records = nullptr;  // the simplified toolpath, where it is given
  };
  const Case cases[] = {
      {"circle", [](Generator& g) { g.Arc(PLANE_XY, 10, 360, 0.005, true); }, 2, 0, PLANE_XY,
       false},
      {"out and back",
       [](Generator& g) {
         for (int i = 1; i <= 30; ++i) g.Point(i, 0, -5);
         for (int i = 29; i >= 10; --i) g.Point(i, 0, -5);
       },
       0, 2, PLANE_XY, false},
      {"feed change",
       [](Generator& g) {
         for (int i = 1; i <= 30; ++i) {
           if (i == 12) g.Feed(1200);
           g.Point(i, 0, -5);
         }
       },
       0, 2, PLANE_XY, false,
       // The feed change stays where it was: at the cut into x = 12.
       "1 0 0 0, 3 0 0 -5, 4 11 0 -5, 4 30 0 -5"},
      {"helix", [](Generator& g) { g.Arc(PLANE_XY, 5, 720, 0.002, false, -2); }, 3, 0, PLANE_XY,
       true},
      {"zx arc", [](Generator& g) { g.Arc(PLANE_ZX, 20, 90, 0.003, true); }, 1, 0, PLANE_ZX, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store.count = 0;
    Generator g(store, 5);
    g.Rapid(0, 0, 0);
    c.build(g);
    const std::string before = Records(store);
    ArcSimplifySummary sum;
    ASSERT_TRUE(SimplifyToolpath(ctx, ArcSimplifyOptions{}, &sum).ok());
    EXPECT_EQ(std::tuple(sum.arcs, sum.lines), std::tuple(c.arcs, c.lines));
    // Each arc's height along its plane's normal against the point it starts from.
    const int normal = AxesOfPlane(c.plane).normal;
    auto height = [normal](const PointRecord* r) {
      return double(normal == 0 ? r->x : normal == 1 ? r->y : r->z);
    };
    double h = height(store.RawRecord(1));
    for (std::uint32_t i = 2; i < store.count; ++i) {
      const PointRecord* r = store.RawRecord(i);
      if (IsArcType(r->type)) {
        EXPECT_EQ(store.RawRecord(i + 1)->type, c.plane);
        EXPECT_EQ(height(r) != h, c.climbs);
      }
      if (IsMotionType(r->type)) h = height(r);
    }
    if (c.arcs == 0) {
      EXPECT_EQ(store.count, 4u);
    }
    if (c.records) {
      EXPECT_EQ(Records(store), c.records);
      EXPECT_EQ(std::tuple(store.RawRecord(2)->feed, store.RawRecord(3)->feed),
                std::tuple(800, 1200));
    }
    // One undo step; a second run finds nothing more to do.
    const std::string after = Records(store);
    EXPECT_EQ(SimplifyToolpath(ctx, ArcSimplifyOptions{}).code(), OutcomeCode::Unchanged);
    EXPECT_EQ(Records(store), after);
    ASSERT_EQ(undo.Undo(store), 1);
    EXPECT_EQ(Records(store), before);
  }
  // Bad values and nothing to do leave the toolpath as it was.
  EXPECT_EQ(SimplifyToolpath(ctx, {0.0, true, true, true}).code(), OutcomeCode::Refused);
  EXPECT_EQ(SimplifyToolpath(ctx, {10.5, true, true, true}).code(), OutcomeCode::Refused);
  store.count = 0;
  EXPECT_EQ(SimplifyToolpath(ctx, ArcSimplifyOptions{}).code(), OutcomeCode::Unchanged);
}

// ---- The linear and arc filters and subdivision ------------------------------------------------

// The linear and arc filters and subdivision: what goes, what stays, and that each command
// is one undo step that leaves an unsuitable toolpath as it was.

struct FilterFixture : ::testing::Test, testing::EditParts {
  std::string Filtered(const char* points, double t = 0.001) {
    store.count = 0;
    AddPoints(store, points);
    const Outcome o = LinearFilter(ctx, t);
    EXPECT_TRUE(o.ok() || o.code() == OutcomeCode::Unchanged) << o.reason();
    return Records(store);
  }
};

TEST_F(FilterFixture, LinearFilterDropsPointsOnALineButNotCornersOrFeedChanges) {
  // Three collinear points at one feed lose the middle one, at the end of the store as before
  // a rapid; the plunge is no part of the line.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 500, 1 2 0 5 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0, 1 2 0 5");
  // A rapid without a feed: the first cut's feed stands for it, nothing is divided by 0.
  EXPECT_EQ(Filtered("1 -1 0 0 0, 3 0 0 0 500, 4 1 0 0 500"), "1 -1 0 0, 3 1 0 0");
  // A feed 20 % up keeps the point where it changes; 5 % does not.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 600"),
            "1 0 0 5, 3 0 0 0, 4 1 0 0, 4 2 0 0");
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 525"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
  // An arc's end is an anchor: the line after it keeps its first point.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 6 10 10 0 500, 91 0 10 0 500, 3 11 10 0 500, "
                     "4 12 10 0 500, 4 13 10 0 500"),
            "1 0 0 5, 3 0 0 0, 6 10 10 0, 91 0 10 0, 3 11 10 0, 4 13 10 0");
  // The tolerance is the single-precision one: a point 0.0010000000474974513 off stays
  // within 0.001.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0.001 0 500, 4 2 0 0 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
}

// The reference walk over a rapid and one run of cuts at one feed, measuring every point for
// every end: from the anchor, the first end that leaves a point between beyond the tolerance
// makes the point before it the next anchor, and the points strictly between go. Every point
// taken out thus lies within the tolerance of the cut that replaces it, which bounds every
// point of its cuts as well.
std::vector<std::uint32_t> ReferenceRemovals(const CPointStore& s, double t) {
  std::vector<std::uint32_t> out;
  std::uint32_t anchor = 0;
  for (std::uint32_t e = 2; e < s.count; ++e) {
    for (std::uint32_t j = anchor + 1; j < e; ++j) {
      // As the filter measures: a cut shorter than a thousandth from its start alone.
      const double off =
          testing::SegmentDistance(*s.RawRecord(j), *s.RawRecord(anchor), *s.RawRecord(e), 1e-6);
      if (off > t) {
        for (std::uint32_t r = anchor + 1; r + 1 < e; ++r) out.push_back(r);
        anchor = e - 1;
        break;
      }
    }
  }
  for (std::uint32_t r = anchor + 1; r + 1 < s.count; ++r) out.push_back(r);
  return out;
}

TEST_F(FilterFixture, LinearFilterTakesOutWhatTheReferenceWalkDoes) {
  // Hand-picked runs: out to X30 and back to X10 along one line (X30 lies on the line through
  // the anchor and X10 but 20 beyond the cut), turns back by less and by more than the
  // tolerance, and a long line with noise just under and over the tolerance, where the
  // shortcut that skips measuring is taken.
  for (const char* run :
       {"1 0 0 5, 3 0 0 0, 4 10 0 0, 4 20 0 0, 4 30 0 0, 4 20 0 0, 4 10 0 0, 4 10 5 0",
        "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 9.996 0 0, 4 20 0 0",
        "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 9.99 0 0, 4 20 0 0"}) {
    store.count = 0;
    AddPoints(store, run);
    EXPECT_EQ(LinearFilterRemovals(store, 0.005), ReferenceRemovals(store, 0.005)) << run;
  }
  store.count = 0;
  AddPoint(store, MOVE_RAPID, 0, 0, 5, 400);
  std::uint32_t seed = 7;
  auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 8) % 2001) / 1000.0 - 1.0;  // -1 .. 1
  };
  for (int i = 0; i < 3000; ++i) {
    const double y = 0.0006 * noise() + i * 1e-5;
    AddPoint(store, i ? MOVE_LINE_CONT : MOVE_LINE, i * 0.05, y, 0, 400);
  }
  const std::vector<std::uint32_t> removed = LinearFilterRemovals(store, FilterTolerance(0.001));
  EXPECT_EQ(removed, ReferenceRemovals(store, FilterTolerance(0.001)));
  EXPECT_GT(removed.size(), 2000u);

  // Random runs: straight stretches with noise, turns back along the line, repeated points
  // and steps of a few micrometres.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int round = 0; round < 200; ++round) {
    store.count = 0;
    const double t = FilterTolerance(round % 2 ? 0.01 : 0.001);
    AddPoint(store, MOVE_RAPID, 0, 0, 5, 500);
    double at[3] = {0, 0, 0}, dir[3] = {1, 0, 0};
    AddPoint(store, MOVE_LINE, 0, 0, 0, 500);
    for (int i = 0; i < 300; ++i) {
      const int r = static_cast<int>(rng() % 20);
      if (r == 0) {
        for (double& c : dir) c = unit(rng);
      } else if (r == 1) {
        for (double& c : dir) c = -c;  // back along the line
      }
      const double step = r == 2 ? 0.0 : r == 3 ? 0.003 * unit(rng) : 1 + unit(rng);
      for (int a = 0; a < 3; ++a) at[a] += dir[a] * step + t * 0.4 * unit(rng);
      AddPoint(store, MOVE_LINE_CONT, at[0], at[1], at[2], 500);
    }
    ASSERT_EQ(LinearFilterRemovals(store, t), ReferenceRemovals(store, t)) << "round " << round;
  }
}

TEST_F(FilterFixture, ArcFilterMakesArcsFlatterThanTheToleranceStraight) {
  // Radius 10: the chord of 1 degree lies 0.00038 from the arc, within 0.001 (the largest
  // such sweep is about 1.62 degrees); 2 degrees stay an arc.
  const double d1 = 1 * kDegToRad, d3 = 3 * kDegToRad;
  AddPoints(store, "1 10 0 5 300, 3 10 0 0 300");
  AddPoint(store, MOVE_ARC_CCW, 10 * std::cos(d1), 10 * std::sin(d1), 0, 300);
  AddPoint(store, PLANE_XY, -10, 0, 0, 300);
  AddPoint(store, MOVE_ARC_CCW, 10 * std::cos(d3), 10 * std::sin(d3), 0, 300);
  AddPoint(store, PLANE_XY, -10 * std::cos(d1), -10 * std::sin(d1), 0, 300);
  FilterSummary sum;
  ASSERT_TRUE(ArcFilter(ctx, 0.001, &sum).ok());
  ASSERT_EQ(std::tuple(sum.changed, store.count), std::tuple(1u, 5u));
  EXPECT_EQ(
      std::tuple(store.RawRecord(2)->type, store.RawRecord(3)->type, store.RawRecord(4)->type),
      std::tuple(MOVE_LINE_CONT, MOVE_ARC_CCW, PLANE_XY));
  // Nothing left to flatten: no change and no snapshot; one undo brings the arc back.
  EXPECT_EQ(ArcFilter(ctx, 0.001).code(), OutcomeCode::Unchanged);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(std::tuple(store.RawRecord(2)->type, redraws), std::tuple(MOVE_ARC_CCW, 1));
}

TEST_F(FilterFixture, SubdivisionSplitsOnlyCutsLongerThanTheStepInItsScope) {
  const char* path = "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0 0 1, 4 3.5 0 0, 4 5.5 0 0 0 1";
  AddPoints(store, path);
  SubdivideSummary sum;
  SubdivideRequest all;
  all.step = 1;
  ASSERT_TRUE(Subdivide(ctx, all, &sum).ok());
  // 2.5 long: 3 steps; exactly 1 long: alone; 2 long: int(2) + 1 = 3 steps.
  EXPECT_EQ(Records(store),
            "1 0 0 0.5, 3 0 0 0, 4 0.833333 0 0, 4 1.66667 0 0, 4 2.5 0 0, 4 3.5 0 0, "
            "4 4.16667 0 0, 4 4.83333 0 0, 4 5.5 0 0");
  // The steps keep the cut's mark.
  EXPECT_EQ(std::tuple(sum.cutsSplit, store.RawRecord(4)->mark), std::tuple(2u, 1));

  // The other scopes on the same path: the selected cuts (mark 1), the cuts ending inside a
  // polygon around x = 2.5 in the top view, and the one picked cut.
  view.SetDirection(1);
  view.scale = 10;
  view.width = 400, view.height = 400;
  auto window = [&](double x, double y) {
    const WindowPoint w = view.Project(x, y, 0);
    return RegionPoint{double(w.x + 200), double(w.y + 200), 0};
  };
  const RegionPoint a = window(2, -1), b = window(3, 1);
  const Region polygon = Region::Polygon({a, {b.x, a.y, 0}, b, {a.x, b.y, 0}});
  struct Scope {
    SubdivideRequest r;
    std::uint32_t points;
  };
  SubdivideRequest selected = all, inPolygon = all, point = all;
  selected.scope = SubdivideScope::Selected;
  inPolygon.scope = SubdivideScope::Polygon;
  inPolygon.region = &polygon;
  point.scope = SubdivideScope::Point;
  point.point = 4;  // the cut to 5.5
  for (const Scope& s : {Scope{selected, 9}, Scope{inPolygon, 7}, Scope{point, 7}}) {
    store.count = 0;
    AddPoints(store, path);
    const int before = redraws;
    ASSERT_TRUE(Subdivide(ctx, s.r).ok());
    EXPECT_EQ(store.count, s.points);
    // "1 Point" changes nothing on screen and asks for no redraw.
    EXPECT_EQ(redraws - before, s.r.scope == SubdivideScope::Point ? 0 : 1);
    ASSERT_EQ(undo.Undo(store), 1);  // every subdivision is one undo step
    EXPECT_EQ(Records(store), "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0, 4 3.5 0 0, 4 5.5 0 0");
  }
  // A picked rapid, a point beyond the store, a step of 0: nothing changes.
  point.point = 0;
  const Outcome rapid = Subdivide(ctx, point);
  point.point = 99;
  const Outcome beyond = Subdivide(ctx, point);
  all.step = 0;
  EXPECT_EQ(std::tuple(rapid.code(), beyond.code(), Subdivide(ctx, all).code()),
            std::tuple(OutcomeCode::Unchanged, OutcomeCode::Refused, OutcomeCode::Refused));
  EXPECT_EQ(Records(store), "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0, 4 3.5 0 0, 4 5.5 0 0");
}

}  // namespace
}  // namespace trevalon
