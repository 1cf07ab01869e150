// Fuzzing extended reading: arbitrary bytes read as a whole program by ReadNcExtended (the
// text check, the dialect detection and the ISO interpreter with its cycles, corners and
// polar words), with every combination of the switches that it looks at. The read is bounded
// by its input: every block runs once, and a cycle's repeats are limited, so any input
// finishes quickly. Nothing is written anywhere.
//
// The first byte chooses the switches: bit 0 Heidenhain fallback, bit 1 arcs as chords, bit
// 2 thousandths, bits 3-4 a memory limit of 1 to 4 store pages.
//
// Run: build-fuzz/fuzz/ext_reader_fuzz /tmp/ext-corpus fuzz/corpus/ext_reader
//        -dict=fuzz/reader.dict -max_total_time=60 -max_len=4096

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/statistics.h"
#include "ncio/ext_reader.h"

using namespace trevalon;

namespace {
constexpr std::size_t kMaxInput = 1 << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > kMaxInput) return 0;
  const unsigned mode = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  auto store = std::make_unique<CPointStore>();
  CLayerTable layers;
  NcSwitches nc;
  nc.extendedReadingChk = 1;
  nc.heidenhainInputChk = mode & 1;
  nc.arcToCutInputChk = (mode >> 1) & 1;
  nc.intNcdataFlg = (mode >> 2) & 1;
  NcReaderState state;
  // The source lines follow every record a read stores or takes back.
  SourceLines lines;
  lines.BeginFile(SourceFile{});
  NcReadTarget target{*store, layers[0], nc, state, &lines};

  // Always a memory limit of 1 to 4 store pages: a few cycle blocks with large repeats
  // would otherwise fill gigabytes. Loops stop after a few thousand blocks.
  ExtBlockLimit() = 20'000;
  const unsigned pages = 1 + ((mode >> 3) & 3);
  FailRecordAllocationsAfter(static_cast<long>(pages));
  if (IsNcText(text)) {
    ExtReadReport report;
    NcReadOutcome outcome;
    (void)ReadNcExtended(target, text, report, &outcome);
    (void)ComputeStatistics(*store);
  }
  FailRecordAllocationsAfter(-1);
  if (lines.Size() != store->count) std::abort();
  return 0;
}
