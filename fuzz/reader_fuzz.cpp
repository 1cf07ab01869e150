// Fuzzing the NC program reader: arbitrary bytes read as a program by AppendNcStream, in
// both dialects and with every combination of the switches, twice in a row so that the
// modal state of one read meets the next; the block parsers also see the whole input as one
// line of any length. Nothing is written anywhere: the input is read from memory.
//
// The first byte chooses the switches (bit 0 Heidenhain input, bit 1 arcs as chords, bit 2
// thousandths) and with bits 3-4 a memory limit of 1 to 3 store pages (0: none), so that the
// full store is reached without millions of points.
//
// Run (new inputs go to a scratch folder, the seeds stay as they are):
//   build-fuzz/fuzz/reader_fuzz /tmp/reader-corpus fuzz/corpus/reader
//     -dict=fuzz/reader.dict -max_total_time=60 -max_len=4096

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/statistics.h"
#include "ncio/fanuc_reader.h"

using namespace trevalon;

namespace {
constexpr std::size_t kMaxInput = 1 << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > kMaxInput) return 0;
  const unsigned mode = data[0];
  const char* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = size - 1;

  auto store = std::make_unique<CPointStore>();
  CLayerTable layers;
  NcSwitches nc;
  nc.heidenhainInputChk = mode & 1;
  nc.arcToCutInputChk = (mode >> 1) & 1;
  nc.intNcdataFlg = (mode >> 2) & 1;
  NcReaderState state;
  // The source lines follow every record a read stores or takes back.
  SourceLines lines;
  lines.BeginFile(SourceFile{});
  NcReadTarget target{*store, layers[0], nc, state, &lines};

  const unsigned pages = (mode >> 3) & 3;
  if (pages != 0) FailRecordAllocationsAfter(static_cast<long>(pages));
  for (int round = 0; round < 2 && length > 0; ++round) {
    std::FILE* f = fmemopen(const_cast<char*>(text), length, "rb");
    if (!f) break;
    AppendNcStream(target, f);
    std::fclose(f);
    nc.heidenhainInputChk = (mode & 1) ^ round;  // the second read in the other dialect
  }
  FailRecordAllocationsAfter(-1);

  double offset[3];
  NcBlockContext c{store->reg, state, layers[0], nc.intNcdataFlg == 1 ? 0.001 : 1.0};
  ParseFanucBlock(c, std::string_view(text, length), offset);
  ParseHeidenhainBlock(c, std::string_view(text, length), offset);
  ComputeStatistics(*store);
  if (lines.Size() != store->count) std::abort();
  return 0;
}
