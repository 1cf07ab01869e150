// Fuzzing the macro runner of the extended reader: arbitrary text as a program, split into
// lines at LF, CR LF and CR, run to its end with a small block limit so that every loop the
// input builds ends quickly. Every block handed out must be free of comments, and the run
// must end by itself or with a reason.
//
// Run (new inputs go to a scratch folder, the seeds stay as they are):
//   build-fuzz/fuzz/ext_macro_fuzz /tmp/ext-macro-corpus fuzz/corpus/ext_macro
//     -max_total_time=60 -max_len=4096

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ncio/ext_macro.h"

using namespace trevalon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1 << 16)) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));

  ExtReadReport report;
  ExtMacroOptions options;
  options.maxBlocks = 5000;
  options.maxChars = 1 << 20;
  options.language = static_cast<Language>(1 + size % 3);
  ExtMacroRunner runner(lines, report, options);
  std::string block;
  // Each executed line hands out at most one block: more than the limit would be a runner
  // that ignores its own bound.
  const std::size_t most = lines.size() + 5000;
  std::size_t handed = 0;
  while (runner.Next(block)) {
    if (block.find('(') != std::string::npos || block.find(';') != std::string::npos) std::abort();
    if (++handed > most) std::abort();
  }
  return 0;
}
