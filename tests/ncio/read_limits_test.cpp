// What every reader does with values a record cannot hold (feeds beyond 16 bits or below 1,
// coordinates beyond +/-32700), what the extended ISO reader does with G codes it does not run,
// and helices read as chords: records worked out by hand, with the read's report ("kind=blocks
// @first line").

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "ncio/data_cases.h"
#include "ncio/ext_reader.h"
#include "ncio/nc_number.h"
#include "ncio/nc_writer.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

enum Reader { ClassicIso, ClassicHeidenhain, ExtendedIso, ExtendedHeidenhain };

// Values a record cannot hold and G codes not run (tests/data/ncio/read_limits.txt).
TEST(ReadLimits, LimitedAndReported) {
  for (const DataCase& c : ReadCases("ncio/read_limits.txt")) {
    const auto trace = c.Trace();
    ReaderBench b;
    b.nc.extendedReadingChk = c.at("reader").starts_with("extended");
    b.nc.heidenhainInputChk = c.at("reader").ends_with("heidenhain");
    NcReadOutcome o;
    ASSERT_EQ(b.AppendText(c.at("program"), &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    ExpectRecords(b.Records(), c["records"].empty() ? std::vector<Rec>{} : Recs(c["records"]),
                  1e-6);
    const ExtReadReport& r = b.nc.extendedReadingChk ? b.state.lastReport : b.state.classicLimits;
    EXPECT_EQ(PassedOver(r, true), c["report"]);
    // Every record reads back as stored: none is unsound, none holds a wrapped feed.
    for (std::uint32_t i = 0; i < b.store->count; ++i) {
      const PointRecord* rec = b.store->RawRecord(i);
      EXPECT_FALSE(IsUnsoundRecord(*rec)) << i;
      if (IsMotionType(rec->type) && !IsRapidType(rec->type)) {
        EXPECT_GT(rec->feed, 0) << i;
      }
    }
  }
}

// Every reader against a reference of the limits, over random programs of cuts: a record
// holds each coordinate limited to +/-32700 and the integer part of each feed limited to
// 1..32767; the report counts the blocks whose position (the one written, not the one
// stored) or feed was beyond, from the first of them. ISO programs leave words out, so a
// coordinate beyond stays beyond in the blocks after it; the classic ISO cut after the first
// is a continuation, the extended one names its motion with each G1.
TEST(ReadLimits, EveryReaderAgainstTheReferenceOfTheLimits) {
  std::mt19937 rng(31);
  auto draw = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  auto real = [&rng](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  for (Reader reader : {ClassicIso, ExtendedIso, ClassicHeidenhain, ExtendedHeidenhain}) {
    const bool iso = reader == ClassicIso || reader == ExtendedIso;
    const bool extended = reader == ExtendedIso || reader == ExtendedHeidenhain;
    for (int run = 0; run < 60; ++run) {
      std::string program = iso ? "G0 X0 Y0 Z1\n" : extended ? "BEGIN PGM T MM\n" : "";
      if (reader == ExtendedHeidenhain) program += "L X+0 Y+0 Z+1 FMAX\n";
      std::vector<Rec> want;
      if (iso || extended) want.push_back(Rec{1, 0, 0, 1, 0});
      double at[3] = {0, 0, 1};
      int coords = 0, feeds = 0, coordLine = 0, feedLine = 0;
      for (int i = 0; i < 6; ++i) {
        const bool g1 = i == 0 || draw(2) == 0;
        std::string block = iso ? (g1 ? "G1" : "") : "L";
        for (int axis = 0; axis < 3; ++axis) {
          if (iso && axis < 2 && i > 0 && draw(3) == 0) continue;  // left out: stays as it was
          const int kind = axis == 2 ? 0 : draw(4);
          const double sign = draw(2) ? 1 : -1;
          char text[64];
          if (kind == 3 && iso) {
            std::snprintf(text, sizeof text, "%s100000000000000000000", sign < 0 ? "-" : "");
          } else {
            const double v = axis == 2  ? -0.5 * (i + 1)  // every block moves
                             : kind < 2 ? real(-32700, 32700)
                                        : sign * real(32700.001, 1e6);
            std::snprintf(text, sizeof text, iso ? "%.3f" : "%+.3f", v);
          }
          at[axis] = std::strtod(text, nullptr);
          block += std::string(" ") + "XYZ"[axis] + text;
        }
        const int feedKind = draw(3);
        const double feed = feedKind == 0   ? real(0.001, 0.999)
                            : feedKind == 1 ? real(1, iso ? 32767.9 : 2000)  // Heidenhain: F2000
                                            : real(32768, 1e6);              // and up is a rapid
        char f[32];
        std::snprintf(f, sizeof f, " F%.3f\n", iso || feedKind < 2 ? feed : 1999.0);
        block += f;
        program += block;
        const double written = std::strtod(f + 2, nullptr);
        const int line = i + (iso || extended ? 2 : 1) + (reader == ExtendedHeidenhain);
        if (std::fabs(at[0]) > 32700 || std::fabs(at[1]) > 32700) {
          coordLine = coords++ ? coordLine : line;
        }
        if (written < 1 || written >= 32768) feedLine = feeds++ ? feedLine : line;
        const int type = iso && (reader == ClassicIso ? i > 0 : !g1) ? 4 : 3;
        want.push_back(Rec{type, std::clamp(at[0], -32700.0, 32700.0),
                           std::clamp(at[1], -32700.0, 32700.0), at[2],
                           std::clamp(static_cast<int>(written), 1, 32767)});
      }
      if (reader == ExtendedHeidenhain) program += "END PGM T MM\n";
      SCOPED_TRACE(program);
      ReaderBench b;
      b.nc.extendedReadingChk = extended;
      b.nc.heidenhainInputChk = !iso;
      ASSERT_EQ(b.AppendText(program), 1);
      std::vector<Rec> got = b.Records();
      if (!iso)  // Heidenhain motion types are no part of the limits: ReadLimits above
        for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) want[i].type = got[i].type;
      ExpectRecords(got, want, 2e-3);
      // Extended Heidenhain stores (and limits) a straight move while the next block runs.
      const ExtReadReport& r = extended ? b.state.lastReport : b.state.classicLimits;
      std::string report;
      if (coords)
        report += "coord-limited=" + std::to_string(coords) + "@" +
                  std::to_string(coordLine + (reader == ExtendedHeidenhain));
      if (feeds)
        report += (coords ? " feed-limited=" : "feed-limited=") + std::to_string(feeds) + "@" +
                  std::to_string(feedLine);
      EXPECT_EQ(PassedOver(r, true), report);
    }
  }
}

// The feeds and points of tests/data/ncio/record_limits.txt as a record holds them, and the
// first cut without a feed that the writers look for.
TEST(ReadLimits, RecordsLimitOnlyWhatTheyCannotHold) {
  for (const DataCase& c : ReadCases("ncio/record_limits.txt")) {
    const auto trace = c.Trace();
    const auto three = [](const std::string& text) {  // strtod: "nan" and "inf" too
      std::array<double, 3> v{};
      char* at = const_cast<char*>(text.c_str());
      for (double& d : v) d = std::strtod(at, &at);
      return v;
    };
    if (c.fields.count("toolpath")) {  // the writers' check
      CPointStore store;
      AddPoints(store, c.at("toolpath"));
      EXPECT_EQ(FindCutWithoutFeed(store), static_cast<std::uint32_t>(c.Int("nofeed")));
      continue;
    }
    bool limited = false;
    if (c.fields.count("feed")) {
      EXPECT_EQ(ncnumber::RecordFeed(std::stod(c.at("feed")), limited), c.Int("stored"));
    } else {
      std::array<double, 3> in = three(c.at("point"));
      limited = LimitToRecord(in.data());
      EXPECT_EQ(in, three(c.at("stored")));
    }
    EXPECT_EQ(limited, c.Int("limited") == 1);
  }
}

// G codes the extended reader does not run move nothing and are reported one kind per code;
// the codes that only set a state keep the block's move.
// Length of the moves from record 0 on, as a cut of the chords is long.
double PathLength(const std::vector<Rec>& r) {
  double length = 0;
  for (std::size_t i = 1; i < r.size(); ++i)
    length += std::sqrt((r[i].x - r[i - 1].x) * (r[i].x - r[i - 1].x) +
                        (r[i].y - r[i - 1].y) * (r[i].y - r[i - 1].y) +
                        (r[i].z - r[i - 1].z) * (r[i].z - r[i - 1].z));
  return length;
}

// Helices read as chords by the extended reader, against the helix itself: random arcs in
// each plane, both directions, up to a full turn, rising or falling along the plane's
// normal. Every chord point lies on the circle, turns only the arc's way, and stands at the
// height its swept angle gives; the last is the end as written.
TEST(ReadLimits, HelixAsChordsLiesOnTheHelix) {
  std::mt19937 rng(5);
  auto real = [&rng](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  const int axes[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};  // u, v and normal: G17, G18, G19
  for (int run = 0; run < 60; ++run) {
    const int plane = run % 3, ccw = run / 3 % 2;
    const int u = axes[plane][0], v = axes[plane][1], w = axes[plane][2];
    const double r = real(1, 50), h = real(-5, 5);
    const double sweep = run % 4 == 0 ? 2 * M_PI : real(0.2, 2 * M_PI - 0.05);
    double start[3] = {0, 0, 0}, end[3] = {0, 0, 0};
    start[u] = r;
    end[u] = r * std::cos(ccw ? sweep : -sweep), end[v] = r * std::sin(ccw ? sweep : -sweep);
    end[w] = h;
    char program[256];
    std::snprintf(program, sizeof program,
                  "G%d G0 X%.4f Y%.4f Z%.4f\nG%d X%.4f Y%.4f Z%.4f %c%.4f F100\n", 17 + plane,
                  start[0], start[1], start[2], ccw ? 3 : 2, end[0], end[1], end[2], "IJK"[u], -r);
    SCOPED_TRACE(program);
    for (double& c : end) c = std::round(c * 1e4) / 1e4;
    ReaderBench b;
    b.nc.extendedReadingChk = 1;
    b.nc.arcToCutInputChk = 1;
    ASSERT_EQ(b.AppendText(program), 1);
    const std::vector<Rec> recs = b.Records();
    ASSERT_GT(recs.size(), 8u);
    double swept = 0, before = 0;
    for (std::size_t i = 1; i < recs.size(); ++i) {
      SCOPED_TRACE(i);
      const double p[3] = {recs[i].x, recs[i].y, recs[i].z};
      EXPECT_NEAR(std::hypot(p[u], p[v]), r, 2e-3);
      const double angle = std::atan2(p[v], p[u]);
      double step = (ccw ? 1 : -1) * (angle - before);
      step -= 2 * M_PI * std::floor(step / (2 * M_PI) + 1e-9);  // the arc's way round
      EXPECT_LT(step, M_PI / 2);
      swept += step, before = angle;
      EXPECT_NEAR(p[w], h * swept / sweep, 2e-3);
      EXPECT_EQ(recs[i].type, i == 1 ? MOVE_LINE : MOVE_LINE_CONT);
      EXPECT_EQ(recs[i].feed, 100);
    }
    EXPECT_NEAR(swept, sweep, 1e-3);
    EXPECT_NEAR(recs.back().x, end[0], 1e-3);
    EXPECT_NEAR(recs.back().y, end[1], 1e-3);
    EXPECT_NEAR(recs.back().z, end[2], 1e-3);
  }
  // The classic reader keeps its own chords of a helix.
  ReaderBench classic;
  classic.nc.arcToCutInputChk = 1;
  ASSERT_EQ(classic.AppendText("G21 G90 G17 G0 X5 Y0 Z1\nG1 Z0 F100\nG3 X5 Y0 I-5 J0 Z-2\nM30\n"),
            1);
  EXPECT_NEAR(PathLength(classic.Records()), 36.9, 0.05);
}

}  // namespace
}  // namespace trevalon::testing
