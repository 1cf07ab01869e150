#pragma once
// A reading environment for the reader tests: a store, a layer table, the switches and the
// reader state of one application, and helpers that parse lines and compare records.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
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
  std::vector<Rec> Records() const {
    std::vector<Rec> out;
    for (std::uint32_t i = 0; i < store->count; ++i) {
      const PointRecord* r = store->RawRecord(i);
      out.push_back(Rec{r->type, r->x, r->y, r->z, r->feed});
    }
    return out;
  }
};

inline std::string Data(const std::string& name) {
  return std::string(TREVALON_TEST_DATA) + "/" + name;
}

// Records compared as stored: coordinates as single-precision values of the expected ones.
inline void ExpectRecords(const std::vector<Rec>& got, const std::vector<Rec>& want,
                          double tolerance = 0.0) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    EXPECT_EQ(got[i].type, want[i].type);
    EXPECT_EQ(got[i].feed, want[i].feed);
    if (tolerance == 0.0) {
      EXPECT_EQ(got[i].x, static_cast<double>(static_cast<float>(want[i].x)));
      EXPECT_EQ(got[i].y, static_cast<double>(static_cast<float>(want[i].y)));
      EXPECT_EQ(got[i].z, static_cast<double>(static_cast<float>(want[i].z)));
    } else {
      EXPECT_NEAR(got[i].x, want[i].x, tolerance);
      EXPECT_NEAR(got[i].y, want[i].y, tolerance);
      EXPECT_NEAR(got[i].z, want[i].z, tolerance);
    }
  }
}

}  // namespace trevalon::testing
