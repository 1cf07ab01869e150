#pragma once
// A reading environment for the reader tests: a store, a layer table, the switches and the
// reader state of one application, and helpers that parse lines and compare records.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
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
inline std::vector<Rec> RecsOf(const CPointStore& s) {
  std::vector<Rec> out;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    out.push_back(Rec{r->type, r->x, r->y, r->z, r->feed});
  }
  return out;
}
inline std::vector<Rec> ReaderBench::Records() const {
  return RecsOf(*store);
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

// What a read leaves in a layer, in one line: "O<program> T<tool> H<offset> S<spindle>
// (<comment>)".
inline std::string LayerWords(const LayerSlot& l) {
  std::ostringstream out;
  out << 'O' << l.programNumber << " T" << l.toolNumber << " H" << l.toolOffset << " S" << l.spindle
      << " (" << l.comment << ')';
  return out.str();
}

inline std::string Data(const std::string& name) {
  return std::string(TREVALON_TEST_DATA) + "/" + name;
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
    EXPECT_NEAR(got[i].x, want(expected[i].x), tolerance);
    EXPECT_NEAR(got[i].y, want(expected[i].y), tolerance);
    EXPECT_NEAR(got[i].z, want(expected[i].z), tolerance);
  }
}

}  // namespace trevalon::testing
