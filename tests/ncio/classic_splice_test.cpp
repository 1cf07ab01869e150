// The spliced re-read after a text edit against a whole read of the edited text: the same
// records, the same source places, the same layer numbers, comment and reports.

#include "ncio/classic_splice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace trevalon {
namespace {

struct ReadDoc {
  CPointStore store;
  LayerSlot layer;
  NcSwitches nc;
  NcReaderState state;
  SourceLines lines;
  ClassicReadIndex index;

  NcReadTarget Target() {
    NcReadTarget t{store, layer, nc, state};
    t.sources = &lines;
    t.measureExtent = false;
    return t;
  }
  // A load's read of the whole text, from the reader state `initial`.
  int FullRead(const std::string& text, const NcReaderState& initial, bool indexed) {
    store.Init();
    store.reg = PointRegister{};
    store.reg.type = MOVE_NONE;
    store.reg.feed = 0;
    state = initial;
    lines = SourceLines{};
    lines.BeginFile(SourceFile{"p.nc", text.size(), 0, 0});
    NcReadTarget t = Target();
    ClassicIndexer indexer(index);
    if (indexed) t.observer = &indexer;
    const int r = ReadClassicText(t, text, 0);
    if (indexed) indexer.Finish(t, r, text.size());
    lines.Fit(store.count);
    return r;
  }
};

std::string Num(std::mt19937& rng, double lo, double hi) {
  char b[32];
  std::snprintf(b, sizeof b, "%.3f", std::uniform_real_distribution<double>(lo, hi)(rng));
  return b;
}

// One block of a milling program, of the kinds the classic reader treats apart.
std::string RandomBlock(std::mt19937& rng) {
  const int kind = std::uniform_int_distribution<int>(0, 22)(rng);
  const auto xy = [&] {
    std::string s = "X";
    s += Num(rng, -50, 50);
    s += " Y";
    s += Num(rng, -50, 50);
    return s;
  };
  switch (kind) {
    case 0:
      return "G0 Z" + Num(rng, 1, 20);
    case 1:
      return "G0 " + xy();
    case 2:
    case 3:
    case 4:
      return "G1 " + xy() + " F" + std::to_string(100 + rng() % 900);
    case 5:
    case 6:
      return xy();
    case 7:
      return "Z" + Num(rng, -5, 5);
    case 8:
      return "G2 " + xy() + " I" + Num(rng, -5, 5) + " J" + Num(rng, -5, 5);
    case 9:
      return "G3 " + xy() + " R" + Num(rng, 60, 90);
    case 10:
      return "(CONTOUR " + std::to_string(rng() % 100) + ")";
    case 11:
      return "T" + std::to_string(rng() % 20) + " M6";
    case 12:
      return "S" + std::to_string(1000 + rng() % 9000) + " M3";
    case 13:
      return "G91";
    case 14:
      return "G90";
    case 15:
      return "G1 X" + Num(rng, -2, 2) + " Y" + Num(rng, -2, 2) + " F" +
             std::to_string(100 + rng() % 900) + " ; a comment long enough to pass the " +
             "seventy-nine characters of the line buffer";
    case 16:
      return "#100=" + std::to_string(rng() % 5);
    case 17:
      return "G81 Z-3. R2. F100";
    case 18:
      return "G1 X99999. F300";
    case 19:
      return "";
    case 20:
      return "G18";
    case 21:
      return "G17 G54 M8";
    default:
      return "N" + std::to_string(rng() % 9000) + " G1 " + xy();
  }
}

std::string LineEnd(std::mt19937& rng) {
  return rng() % 10 == 0 ? "\r\n" : "\n";
}

std::vector<std::string> RandomProgram(std::mt19937& rng, int blocks) {
  std::vector<std::string> lines{"%", "O1234", "G90 G17 G21"};
  for (int i = 0; i < blocks; ++i) lines.push_back(RandomBlock(rng) + LineEnd(rng));
  for (std::size_t i = 0; i < 3; ++i) lines[i] += "\n";
  lines.push_back("M30\n");
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l;
  return s;
}

std::uint64_t OffsetOf(const std::vector<std::string>& lines, std::size_t i) {
  std::uint64_t o = 0;
  for (std::size_t k = 0; k < i; ++k) o += lines[k].size();
  return o;
}

void ExpectSameRead(ReadDoc& spliced, ReadDoc& whole, const std::string& what) {
  ASSERT_EQ(spliced.store.count, whole.store.count) << what;
  std::vector<PointRecord> a(spliced.store.count), b(whole.store.count);
  spliced.store.CopyRecordsOut(a.data(), spliced.store.count);
  whole.store.CopyRecordsOut(b.data(), whole.store.count);
  for (std::uint32_t i = 0; i < a.size(); ++i)
    ASSERT_EQ(0, std::memcmp(&a[i], &b[i], sizeof(PointRecord))) << what << ", record " << i;
  ASSERT_EQ(spliced.lines.Size(), whole.lines.Size()) << what;
  for (std::uint32_t i = 0; i < spliced.lines.Size(); ++i) {
    const auto p = spliced.lines.Find(i), q = whole.lines.Find(i);
    ASSERT_EQ(p.has_value(), q.has_value()) << what << ", place of record " << i;
    if (p) {
      ASSERT_EQ(p->offset, q->offset) << what << ", place of record " << i;
    }
  }
  EXPECT_EQ(spliced.layer.comment, whole.layer.comment) << what;
  EXPECT_EQ(spliced.layer.spindle, whole.layer.spindle) << what;
  EXPECT_EQ(spliced.layer.toolNumber, whole.layer.toolNumber) << what;
  EXPECT_TRUE(spliced.layer.setup == whole.layer.setup) << what;
  EXPECT_EQ(0, std::memcmp(&spliced.state.fanuc.modalPosition, &whole.state.fanuc.modalPosition,
                           sizeof whole.state.fanuc.modalPosition))
      << what;
  EXPECT_EQ(spliced.state.incremental, whole.state.incremental) << what;
  EXPECT_EQ(spliced.store.reg.feed, whole.store.reg.feed) << what;
  EXPECT_EQ(spliced.state.classicLimits.passedOver, whole.state.classicLimits.passedOver) << what;
  EXPECT_EQ(spliced.state.classicLimits.firstLine, whole.state.classicLimits.firstLine) << what;
  EXPECT_EQ(spliced.state.lastClassic.blocks, whole.state.lastClassic.blocks) << what;
  EXPECT_EQ(spliced.state.lastClassic.firstLine, whole.state.lastClassic.firstLine) << what;
  EXPECT_EQ(spliced.state.lastClassic.otherDialect, whole.state.lastClassic.otherDialect) << what;
}

struct SpliceCase {
  const char* name;
  int arcsAsChords;
  int thousandths;
  int blocks;
  unsigned seed;
};

// Random single-block edits (replace, delete, insert), one after another on the same
// document, each compared with a whole read of the text as it then stands.
TEST(ClassicSplice, RandomEditsReadAsAWholeReadDoes) {
  const SpliceCase cases[] = {
      {"plain", 0, 0, 2500, 1},
      {"arcs as chords", 1, 0, 1800, 2},
      {"thousandths", 0, 1, 1800, 3},
      {"short program", 0, 0, 40, 4},
  };
  for (const SpliceCase& c : cases) {
    std::mt19937 rng(c.seed);
    std::vector<std::string> prog = RandomProgram(rng, c.blocks);
    NcReaderState initial;
    initial.fanuc.modalPosition[2] = 25.0;  // a read carries the modal state of the last
    ReadDoc doc;
    doc.nc.arcToCutInputChk = c.arcsAsChords;
    doc.nc.intNcdataFlg = c.thousandths;
    ASSERT_EQ(1, doc.FullRead(Join(prog), initial, true)) << c.name;
    ASSERT_TRUE(doc.index.Valid()) << c.name;
    int spliced = 0;
    for (int edit = 0; edit < 60; ++edit) {
      const int what = static_cast<int>(rng() % 3);
      const std::size_t i = rng() % prog.size();
      TextChange ch;
      ch.begin = OffsetOf(prog, i);
      ch.oldEnd = ch.begin + (what == 2 ? 0 : prog[i].size());
      std::string label = std::string(c.name) + ", edit " + std::to_string(edit);
      if (what == 0) {
        prog[i] = RandomBlock(rng) + LineEnd(rng);
        label += " replace line " + std::to_string(i + 1);
      } else if (what == 1) {
        prog.erase(prog.begin() + static_cast<long>(i));
        label += " delete line " + std::to_string(i + 1);
      } else {
        prog.insert(prog.begin() + static_cast<long>(i), RandomBlock(rng) + LineEnd(rng));
        label += " insert before line " + std::to_string(i + 1);
      }
      ch.newEnd = ch.begin + (what == 1 ? 0 : prog[i].size());
      const std::string text = Join(prog);
      SpliceResult r;
      NcReadTarget t = doc.Target();
      ASSERT_EQ(1, SpliceClassicRead(t, doc.index, text, ch, &r)) << label;
      spliced += r.toEnd ? 0 : 1;
      ReadDoc whole;
      whole.nc = doc.nc;
      ASSERT_EQ(1, whole.FullRead(text, initial, false)) << label;
      ExpectSameRead(doc, whole, label);
      if (HasFatalFailure()) return;
    }
    // Most edits meet the old read again well before the end of the program.
    if (c.blocks > 1000) {
      EXPECT_GT(spliced, 30) << c.name;
    }
  }
}

TEST(ClassicSplice, RefusesWhatItCannotServe) {
  std::mt19937 rng(7);
  // Past the first checkpoint, so that an edit before it can meet the old read there.
  const std::vector<std::string> prog =
      RandomProgram(rng, 2 * ClassicReadIndex::kLinesPerCheckpoint);
  const std::string text = Join(prog);
  ReadDoc doc;
  ASSERT_EQ(1, doc.FullRead(text, NcReaderState{}, true));
  const std::uint32_t count = doc.store.count;
  NcReadTarget t = doc.Target();
  // A change that does not fit the indexed text, other switches, no index: nothing changes.
  EXPECT_EQ(0, SpliceClassicRead(t, doc.index, text, TextChange{0, 5, 4}));
  doc.nc.arcToCutInputChk = 1;
  EXPECT_EQ(0, SpliceClassicRead(t, doc.index, text, TextChange{3, 3, 3}));
  doc.nc.arcToCutInputChk = 0;
  ClassicReadIndex none;
  EXPECT_EQ(0, SpliceClassicRead(t, none, text, TextChange{3, 3, 3}));
  EXPECT_EQ(count, doc.store.count);
  // The same text, nothing changed: the read meets itself at the next checkpoint.
  SpliceResult r;
  EXPECT_EQ(1, SpliceClassicRead(t, doc.index, text, TextChange{3, 3, 3}, &r));
  EXPECT_EQ(count, doc.store.count);
  EXPECT_FALSE(r.toEnd);
}

}  // namespace
}  // namespace trevalon
