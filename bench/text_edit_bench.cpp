// A one-line edit in the middle of the 2-million-block program (gen_gcode.py 2000000 --seed 1):
// the spliced re-read (classic_splice.h) against a whole classic read of the edited text, in
// the same run, both from the text in memory with the source-line map; and the document's
// whole edit path against a load. CPU time of the thread: the machines these run on are
// shared.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "app/text_edit_commands.h"
#include "bench_support.h"
#include "ncio/classic_splice.h"
#include "platform/file_io.h"
#include "platform/platform.h"

using namespace trevalon;

namespace {

// The program, made once by the generator beside this file.
std::string ProgramPath() {
  return (std::filesystem::temp_directory_path() / "trevalon-text-edit-bench.nc").string();
}

const std::string& ProgramText() {
  static const std::string text = [] {
    const std::string path = ProgramPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      const std::string gen = std::string(TREVALON_BENCH_DIR) + "/gen_gcode.py";
      const std::string cmd = "python3 '" + gen + "' 2000000 '" + path + "' --seed 1";
      if (std::system(cmd.c_str()) != 0) return std::string();
    }
    std::string t;
    if (ReadBoundedFile(path, std::size_t{1} << 31, t, false) != FileReadError::None) t.clear();
    return t;
  }();
  return text;
}

struct Reader {
  CPointStore store;
  LayerSlot layer;
  NcSwitches nc;
  NcReaderState state;
  SourceLines lines;

  NcReadTarget Target() {
    NcReadTarget t{store, layer, nc, state};
    t.sources = &lines;
    t.measureExtent = false;
    return t;
  }
  int Whole(const std::string& text, ClassicReadIndex* index) {
    store.count = 0;
    store.reg = PointRegister{};
    store.reg.type = MOVE_NONE;
    state = NcReaderState{};
    lines = SourceLines{};
    lines.BeginFile(SourceFile{"p2m.nc", text.size(), 0, 0});
    NcReadTarget t = Target();
    ClassicIndexer indexer(*index);
    t.observer = index ? &indexer : nullptr;
    const int r = ReadClassicText(t, text, 0);
    if (index) indexer.Finish(t, r, text.size());
    lines.Fit(store.count);
    return r;
  }
};

// range(0): 0 types over a digit of the middle line, 1 inserts a block there and takes it
// out again in turns (the records after it move).
void BM_OneLineEditSplicedVsWhole(benchmark::State& st) {
  std::string text = ProgramText();
  if (text.empty()) {
    st.SkipWithError("the program could not be made (python3, gen_gcode.py)");
    return;
  }
  Reader r;
  ClassicReadIndex index;
  r.Whole(text, &index);
  // The line in the middle of the program, and a coordinate digit on it.
  const std::size_t at = text.find('\n', text.size() / 2) + 1;
  const std::size_t lineEnd = text.find('\n', at);
  std::size_t digit = text.find_first_of("123456789", text.find_first_of("XYZ", at));
  if (digit == std::string::npos || digit >= lineEnd) digit = at;
  double spliced = 0, whole = 0;
  long n = 0;
  std::uint64_t linesRead = 0;
  for (auto _ : st) {
    TextChange change{digit, digit + 1, digit + 1};
    if (st.range(0) == 0) {
      // Change the digit (1..9 round), as typing over it does.
      text[digit] = text[digit] == '9' ? '1' : static_cast<char>(text[digit] + 1);
    } else if (n % 2 == 0) {
      static const std::string kBlock = "G1 X1.5 Y2.5 Z-3.5 F900\n";
      text.insert(at, kBlock);
      change = TextChange{at, at, at + kBlock.size()};
    } else {
      const std::size_t len = text.find('\n', at) + 1 - at;
      text.erase(at, len);
      change = TextChange{at, at + len, at};
    }
    double t0 = ThreadSeconds();
    SpliceResult res;
    NcReadTarget t = r.Target();
    if (!SpliceClassicRead(t, index, text, change, &res)) {
      st.SkipWithError("the splice refused the edit");
      return;
    }
    const double s = ThreadSeconds() - t0;
    linesRead += res.linesRead;
    // The same edited text read whole into a second reader.
    Reader w;
    t0 = ThreadSeconds();
    w.Whole(text, nullptr);
    const double wt = ThreadSeconds() - t0;
    if (w.store.count != r.store.count) {
      st.SkipWithError("the spliced read and the whole read differ");
      return;
    }
    st.SetIterationTime(s);
    spliced += s;
    whole += wt;
    ++n;
  }
  if (n > 0) {
    st.counters["spliced_ms"] = spliced / n * 1e3;
    st.counters["whole_ms"] = whole / n * 1e3;
    st.counters["percent_of_whole"] = 100.0 * spliced / whole;
    st.counters["lines_read"] = static_cast<double>(linesRead) / n;
    st.counters["records"] = r.store.count;
  }
}

// The whole document path of one line typed over in the middle of the program, as the
// desktop and `edit LINE "TEXT"` take it (the undo step, the spliced read, the source lines,
// the statistics), against loading the program, in the same run. The text is taken up for
// editing before the first edit and not timed.
void BM_OneLineEditDocumentVsLoad(benchmark::State& st) {
  if (ProgramText().empty()) {
    st.SkipWithError("the program could not be made (python3, gen_gcode.py)");
    return;
  }
  HeadlessPlatform platform;
  CApplication app(platform);
  CDocument& doc = app.NewDocument();
  double t0 = ThreadSeconds();
  if (!LoadNcCommand(app, doc, ProgramPath()).ok()) {
    st.SkipWithError("the program could not be loaded");
    return;
  }
  const double load = ThreadSeconds() - t0;
  if (!OpenProgramText(app, doc).ok()) {
    st.SkipWithError("the text could not be taken up");
    return;
  }
  const std::size_t line = doc.text.lines.Count() / 2;
  const std::string original(doc.text.lines.Line(doc.text.text, line - 1));
  double edits = 0;
  long n = 0;
  for (auto _ : st) {
    // Alternately the line with one more digit and the line as it was.
    const std::string with = n % 2 == 0 ? original + "1" : original;
    t0 = ThreadSeconds();
    if (!EditTextLine(app, doc, line, with).ok()) {
      st.SkipWithError("the edit was refused");
      return;
    }
    const double e = ThreadSeconds() - t0;
    st.SetIterationTime(e);
    edits += e;
    ++n;
  }
  if (n > 0) {
    st.counters["edit_ms"] = edits / n * 1e3;
    st.counters["load_ms"] = load * 1e3;
    st.counters["percent_of_load"] = 100.0 * edits / n / load;
    st.counters["records"] = doc.store.count;
  }
}

}  // namespace

BENCHMARK(BM_OneLineEditDocumentVsLoad)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_OneLineEditSplicedVsWhole)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
