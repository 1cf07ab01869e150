#pragma once
// A reading environment for the reader tests: a store, a layer table, the switches and the
// reader state of one application, and helpers that parse lines and compare records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "ncio/data_cases.h"
#include "ncio/fanuc_reader.h"

namespace trevalon::testing {

struct Rec {
  int type;
  double x, y, z;
  int feed;
};

struct ReaderBench {
  std::unique_ptr<CPointStore> store = std::make_unique<CPointStore>();
  CLayerTable layers;
  NcSwitches nc;
  NcReaderState state;
  CUndoRing undo;
  double offset[3] = {0, 0, 0};

  NcReadTarget Target() { return NcReadTarget{*store, layers[layers.workLayer], nc, state}; }
  NcBlockContext Context() {
    return NcBlockContext{store->reg, state, layers[layers.workLayer],
                          nc.intNcdataFlg == 1 ? 0.001 : 1.0};
  }
  int Fanuc(const std::string& line) {
    NcBlockContext c = Context();
    return ParseFanucBlock(c, line, offset);
  }
  int Heidenhain(const std::string& line) {
    NcBlockContext c = Context();
    return ParseHeidenhainBlock(c, line, offset);
  }
  // Appends program text through a memory stream.
  int AppendText(const std::string& text, NcReadOutcome* outcome = nullptr) {
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    int r = AppendNcStream(Target(), f, outcome);
    std::fclose(f);
    return r;
  }
  int Load(const std::string& path, NcReadOutcome* outcome = nullptr) {
    return LoadNcProgram(Target(), undo, path, outcome);
  }
  std::vector<Rec> Records() const;
};

// The store's records as they are stored.
inline std::vector<Rec> ReaderBench::Records() const {
  std::vector<Rec> out;
  for (std::uint32_t i = 0; i < store->count; ++i) {
    const PointRecord* r = store->RawRecord(i);
    out.push_back(Rec{r->type, r->x, r->y, r->z, r->feed});
  }
  return out;
}

// Records written as `dump` prints them without the index and the mark, separated by commas:
// "1 0 0 5 0, 3 0 0 -1 250".
inline std::vector<Rec> Recs(const std::string& text) {
  std::vector<Rec> out;
  std::istringstream in(text);
  for (std::string one; std::getline(in, one, ',');) {
    Rec r{};
    std::istringstream(one) >> r.type >> r.x >> r.y >> r.z >> r.feed;
    out.push_back(r);
  }
  return out;
}

// One block for a parser and what it must leave: whether it stored a point, and "key=value"
// pairs compared exactly (or within 1e-9 after '~'): type x y z feed radius plane of the
// register; i j k of the arc offset; s t h o of the layer (spindle, tool, offset, program);
// modal (the parser's modal motion), mx (its modal X), inc (incremental), cc (a circle centre
// pending).
struct Block {
  std::string line;
  int stored;
  std::string expect = "";
};

template <class... V>
double FieldNamed(const std::string& key, V... values) {
  const double v[] = {static_cast<double>(values)...};
  std::istringstream names("type x y z feed radius plane i j k s t h o inc cc modal mx");
  int i = 0;
  for (std::string name; names >> name; ++i)
    if (name == key) return v[i];
  ADD_FAILURE() << "no field " << key;
  return 0;
}

inline double BlockField(ReaderBench& b, bool heidenhain, const std::string& key) {
  const PointRegister& r = b.store->reg;
  const LayerSlot& l = b.layers[b.layers.workLayer];
  const auto& hh = b.state.heidenhain;
  const auto& modal = heidenhain ? hh.modalMotion : b.state.fanuc.modalMotion;
  const auto& mx = heidenhain ? hh.modalPosition[0] : b.state.fanuc.modalPosition[0];
  return FieldNamed(key, r.type, r.x, r.y, r.z, r.feed, r.radius, r.plane, b.offset[0], b.offset[1],
                    b.offset[2], l.spindle, l.toolNumber, l.toolOffset, l.programNumber,
                    b.state.incremental, hh.circleCentrePending, modal, mx);
}

// Parses the blocks in order with one parser.
inline void ExpectBlocks(ReaderBench& b, bool heidenhain, const std::vector<Block>& blocks) {
  for (const Block& block : blocks) {
    SCOPED_TRACE(block.line);
    EXPECT_EQ(heidenhain ? b.Heidenhain(block.line) : b.Fanuc(block.line), block.stored);
    std::istringstream in(block.expect);
    for (std::string pair; in >> pair;) {
      const std::size_t eq = pair.find('=');
      const bool near = pair[eq + 1] == '~';
      const double want = std::strtod(pair.c_str() + eq + 1 + near, nullptr);
      const double got = BlockField(b, heidenhain, pair.substr(0, eq));
      if (near) {
        EXPECT_NEAR(got, want, 1e-9) << pair;
      } else {
        EXPECT_EQ(got, want) << pair;
      }
    }
  }
}

// Runs a case of tests/data/ncio/blocks.txt on a fresh reading environment: its entries in
// order, "parser fanuc" or "parser heidenhain", "thousandths N" (the switch from there on),
// "radius R" (the register's radius), "comment TEXT" (the work layer's comment so far), and
// "block TEXT -> STORED KEY=VALUE ..." as a Block.
inline void RunBlockCase(const DataCase& c) {
  ReaderBench b;
  bool heidenhain = false;
  for (const auto& [key, value] : c.entries) {
    if (key == "parser") {
      heidenhain = value == "heidenhain";
    } else if (key == "thousandths") {
      b.nc.intNcdataFlg = std::stoi(value);
    } else if (key == "radius") {
      b.store->reg.radius = std::stod(value);
    } else if (key == "comment") {
      EXPECT_EQ(b.layers[b.layers.workLayer].comment, value);
    } else {
      ASSERT_EQ(key, "block");
      const std::size_t arrow = value.rfind(" -> ");
      Block block{value.substr(0, arrow), 0};
      std::istringstream rest(value.substr(arrow + 4));
      rest >> block.stored;
      std::getline(rest >> std::ws, block.expect);
      ExpectBlocks(b, heidenhain, {block});
    }
  }
}

// ---- Toolpaths compared with what a written program reads back as ----------------------

// A move: 1 rapid, 3 cut, 6 or 8 arc (with its absolute centre and its plane).
struct Move {
  int kind;  // 1 rapid, 3 line, 6 or 8 arc
  double end[3];
  double centre[3];  // arcs: absolute, from the start and the centre record
  int feed;
  int plane;
};

inline std::vector<Move> Moves(CPointStore& s) {
  std::vector<Move> out;
  double last[3] = {0, 0, 0};
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    Move m{IsRapidType(s.reg.type) ? 1
           : IsArcType(s.reg.type) ? s.reg.type
                                   : 3,
           {s.reg.x, s.reg.y, s.reg.z},
           {0, 0, 0},
           s.reg.feed,
           0};
    if (IsArcType(m.kind) && s.FetchPoint(i + 1)) {
      m.plane = NormalisePlane(s.reg.type);
      const double off[3] = {s.reg.x, s.reg.y, s.reg.z};
      for (int a = 0; a < 3; ++a)
        m.centre[a] = last[a] + (a == AxesOfPlane(m.plane).normal ? 0.0 : off[a]);
    }
    for (int a = 0; a < 3; ++a) last[a] = m.end[a];
    out.push_back(m);
  }
  return out;
}

inline double Gap(const double p[3], const double q[3]) {
  return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

constexpr double kPi = 3.14159265358979323846;

// Angle turned from p to q about c in the direction of `kind`, in (0, 2 pi].
inline double Turn(const double p[3], const double q[3], const double c[3], const PlaneAxes& ax,
                   int kind) {
  const double a0 = std::atan2(p[ax.b] - c[ax.b], p[ax.a] - c[ax.a]);
  const double a1 = std::atan2(q[ax.b] - c[ax.b], q[ax.a] - c[ax.a]);
  double t = kind == MOVE_ARC_CW ? a0 - a1 : a1 - a0;
  while (t <= 1e-9) t += 2 * kPi;
  while (t > 2 * kPi + 1e-9) t -= 2 * kPi;
  return t;
}

inline double Round3(double v) {
  char t[512];
  std::snprintf(t, sizeof t, "%.3f", v);
  return std::strtod(t, nullptr);
}

// What a Heidenhain program read back made of the arcs.
struct ReadBackCounts {
  int arcs = 0, pieces = 0, chordArcs = 0, chords = 0;
  int plainArcsAsChords = 0;  // radius 0.1 or more, sweep 0.2 radians or more
};

// Walks the toolpath and the program read back side by side. Rapids and cuts come back one
// for one with their kind and their end, every cut with its feed; moves that do not move in
// the output's rounding may be gone. Every arc comes back as one arc or a run of pieces of its
// direction and plane at its feed about the same centre (within 0.005), ending at its end.
// ISO (no `hh`): compared from the approach to the first cut on, positions within 0.0011; a
// helix by radius may come back as the flat arc and a straight move along the normal; after
// the last move only rapids may follow (the closing retract). Heidenhain (`hh` counts the
// arcs): compared from the first record, each axis within the rounding (0.00051), a move gone
// when its rounded end is where the reader stands; an arc may come back as straight cuts
// whose points and chord middles lie within 0.001 of it; either way its pieces turn through
// its whole sweep; nothing follows the last move.
inline void ExpectSameToolpath(const std::vector<Move>& want, const std::vector<Move>& got,
                               ReadBackCounts* hh = nullptr) {
  constexpr double tol = 0.0011, kRounding = 0.00051;
  std::size_t w = 0, g = 0;
  double here[3] = {0, 0, 0}, at[3] = {0, 0, 0};  // where the toolpath is, where the reader is
  const auto set = [](double* to, const double* from) { std::copy(from, from + 3, to); };
  const auto near = [&](const double* p, const double* q) {
    if (!hh) return Gap(p, q) < tol;
    for (int a = 0; a < 3; ++a)
      if (std::fabs(p[a] - q[a]) > kRounding) return false;
    return true;
  };
  const auto stays = [&](const double* p) {
    if (!hh) return Gap(p, here) < tol;
    for (int a = 0; a < 3; ++a)
      if (std::fabs(Round3(p[a]) - at[a]) >= 1e-4) return false;
    return true;
  };
  if (!hh) {
    while (w < want.size() && want[w].kind == 1) ++w;
    while (g < got.size() && got[g].kind == 1) ++g;
    ASSERT_GT(w, 0u);
    ASSERT_GT(g, 0u);
    ASSERT_LT(Gap(want[w - 1].end, got[g - 1].end), tol) << "the approach ends elsewhere";
    set(here, want[w - 1].end), set(at, got[g - 1].end);
  }
  for (; w < want.size(); ++w) {
    const Move& m = want[w];
    SCOPED_TRACE(::testing::Message() << "move " << w << " read back " << g);
    if (!IsArcType(m.kind)) {
      if (stays(m.end)) {
        if (hh) set(here, m.end);
        continue;
      }
      ASSERT_LT(g, got.size()) << "the read back ends early";
      EXPECT_EQ(got[g].kind, m.kind);
      if (m.kind == 3) {
        EXPECT_EQ(got[g].feed, m.feed);
      }
      EXPECT_TRUE(near(got[g].end, m.end))
          << got[g].end[0] << " " << got[g].end[1] << " " << got[g].end[2];
      set(here, m.end), set(at, got[g++].end);
      continue;
    }
    const PlaneAxes ax = AxesOfPlane(m.plane);
    const double r = std::hypot(here[ax.a] - m.centre[ax.a], here[ax.b] - m.centre[ax.b]);
    const double sweep =
        Gap(here, m.end) < 1e-9 ? 2 * kPi : Turn(here, m.end, m.centre, ax, m.kind);
    if (hh && ++hh->arcs && r * sweep < 0.001 && stays(m.end)) {
      set(here, m.end);
      continue;  // an arc too small to show in 3 decimals
    }
    // Rounding the ends turns a small arc's ends about its centre by up to 0.001 / r.
    const double angleTolerance = 0.01 + 0.002 / r;
    double turned = 0;
    bool first = true, asChords = false;
    for (int steps = 0;; ++steps) {
      ASSERT_LT(g, got.size()) << "the read back ends inside an arc";
      ASSERT_LT(steps, 200000) << "the arc never ends";
      const Move& p = got[g];
      EXPECT_EQ(p.feed, m.feed);
      if (IsArcType(p.kind)) {
        EXPECT_FALSE(asChords);
        EXPECT_EQ(p.kind, m.kind);
        EXPECT_EQ(p.plane, m.plane);
        double c[3], mc[3];
        set(c, p.centre), set(mc, m.centre);
        c[ax.normal] = mc[ax.normal] = 0;
        EXPECT_LT(Gap(c, mc), 0.005) << "centre";
        turned += Turn(at, p.end, m.centre, ax, m.kind);
        if (hh) ++hh->pieces;
      } else if (!hh) {  // the helix's move along the normal
        ASSERT_FALSE(first);
        ASSERT_EQ(p.kind, 3);
        EXPECT_LT(Gap(p.end, m.end), tol);
        set(at, got[g++].end);
        break;
      } else {
        ASSERT_EQ(p.kind, 3);
        asChords = true;
        const double mid[3] = {(at[0] + p.end[0]) / 2, (at[1] + p.end[1]) / 2,
                               (at[2] + p.end[2]) / 2};
        for (const double* q : {p.end, mid})
          EXPECT_LE(std::fabs(std::hypot(q[ax.a] - m.centre[ax.a], q[ax.b] - m.centre[ax.b]) - r),
                    0.001);
        const double t = Turn(at, p.end, m.centre, ax, m.kind);
        if (t < kPi) turned += t;  // a chord that does not turn (a tiny radius)
        ++hh->chords;
      }
      set(at, got[g++].end);
      first = false;
      if (hh) {
        if (near(p.end, m.end) && turned > sweep - angleTolerance) break;
        continue;
      }
      double flat[3];
      set(flat, m.end);
      flat[ax.normal] = p.end[ax.normal];
      if (Gap(p.end, m.end) < tol) break;
      if (Gap(p.end, flat) < tol && g < got.size() && got[g].kind == 3) continue;
      ASSERT_LT(g, got.size()) << "the arc stops short";  // a piece ends on the circle
    }
    if (hh && r > 0.01) {
      EXPECT_NEAR(turned, sweep, angleTolerance);
    }
    if (hh && asChords) ++hh->chordArcs;
    if (hh && asChords && r >= 0.1 && sweep >= 0.2) ++hh->plainArcsAsChords;
    set(here, m.end);
  }
  for (; g < got.size(); ++g)
    EXPECT_TRUE(!hh && got[g].kind == 1) << "a move the toolpath did not have";
}

// What a read passed over, in the report's order: "kind=blocks", with "@first line" (-1 when
// the report has none) when `lines` is asked for.
inline std::string PassedOver(const ExtReadReport& r, bool lines = false) {
  std::ostringstream out;
  for (const auto& [kind, blocks] : r.passedOver) {
    out << (out.tellp() > 0 ? " " : "") << kind << '=' << blocks;
    const auto first = r.firstLine.find(kind);
    if (lines) out << '@' << (first == r.firstLine.end() ? -1 : first->second);
  }
  return out.str();
}

// What a read leaves in a layer, in one line: "O<program> T<tool> H<offset> S<spindle>
// (<comment>)".
inline std::string LayerWords(const LayerSlot& l) {
  std::ostringstream out;
  out << 'O' << l.programNumber << " T" << l.toolNumber << " H" << l.toolOffset << " S" << l.spindle
      << " (" << l.comment << ')';
  return out.str();
}

// Records compared as stored: coordinates as single-precision values of the expected ones.
inline void ExpectRecords(const std::vector<Rec>& got, const std::vector<Rec>& expected,
                          double tolerance = 0.0) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    EXPECT_EQ(got[i].type, expected[i].type);
    EXPECT_EQ(got[i].feed, expected[i].feed);
    // Exactly (a distance of 0) the single-precision value, or within the tolerance.
    auto want = [&](double v) { return tolerance == 0.0 ? double(static_cast<float>(v)) : v; };
    for (double Rec::*axis : {&Rec::x, &Rec::y, &Rec::z}) {
      EXPECT_NEAR(got[i].*axis, want(expected[i].*axis), tolerance);
    }
  }
}

}  // namespace trevalon::testing
