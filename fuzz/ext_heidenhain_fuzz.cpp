// Fuzzing the extended Heidenhain reader: arbitrary text cut into lines at line feeds and read
// as a program, with arcs stored as records or as chords (bit 0 of the first byte) and with a
// memory limit of 1 to 4 store pages (bits 1-2), so that the full store is reached.
// The reader holds a formula evaluator, labels, calls and jumps: every recursion and loop in
// it is bounded, which this harness checks by running any input to its end.
//
// Run (new inputs go to a scratch folder, the seeds stay as they are):
//   build-fuzz/fuzz/ext_heidenhain_fuzz /tmp/ext-hh-corpus fuzz/corpus/ext_heidenhain
//     -max_total_time=60 -max_len=4096

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/point_store.h"
#include "model/record_pages.h"
#include "model/statistics.h"
#include "ncio/ext_heidenhain.h"

using namespace trevalon;

namespace {
constexpr std::size_t kMaxInput = 1 << 16;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > kMaxInput) return 0;
  const unsigned mode = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }

  auto store = std::make_unique<CPointStore>();
  // Always a memory limit of 1 to 4 store pages: a few cycle blocks with large repeats
  // would otherwise fill gigabytes. Loops stop after a few thousand blocks.
  ExtBlockLimit() = 20'000;
  const unsigned pages = 1 + ((mode >> 1) & 3);
  FailRecordAllocationsAfter(static_cast<long>(pages));
  ExtMoveSink sink(*store, (mode & 1) != 0);
  ExtReadReport report;
  ExtProgramInfo info;
  const double start[3] = {0, 0, 0};
  ReadHeidenhainExtended(lines, sink, report, start, &info);
  FailRecordAllocationsAfter(-1);
  ComputeStatistics(*store);
  return 0;
}
