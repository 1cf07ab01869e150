// Reading a large finishing program: LoadNcProgram against a plain baseline in the same run.
// The baseline splits the same file into lines (1 MiB chunks) and converts every number
// after X, Y, Z, I, J, K, R and F with std::from_chars into 18-byte records; the reader does
// all of its work on top of that (line buffer rules, modal state, arcs, the paged store).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "ncio/fanuc_reader.h"
#include "platform/platform.h"

namespace {

using namespace trevalon;

constexpr long kBlocks = 2'000'000;

// A 3-axis finishing program: raster passes of G01 X Y Z moves with four decimals, some
// X Y only, an occasional F, a few per cent G02/G03 with I J or R, rapids between passes.
struct ProgramFile {
  std::string path;
  long blocks = 0;
  long bytes = 0;

  ProgramFile() {
    path = (std::filesystem::temp_directory_path() / "trevalon-reader-bench.nc").string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> dz(-0.02, 0.02);
    std::uniform_int_distribution<int> pick(0, 999);
    char line[128];
    auto put = [&](int n) {
      std::fwrite(line, 1, static_cast<std::size_t>(n), f);
      bytes += n;
      ++blocks;
    };
    put(std::snprintf(line, sizeof line, "%%\n"));
    put(std::snprintf(line, sizeof line, "O0001\n"));
    put(std::snprintf(line, sizeof line, "(BALL END MILL D6 FINISHING)\n"));
    put(std::snprintf(line, sizeof line, "G90 G17 G21\n"));
    put(std::snprintf(line, sizeof line, "T1 M6\n"));
    put(std::snprintf(line, sizeof line, "S12000 M3\n"));
    double y = 0.0, z = -1.0;
    int pass = 0;
    while (blocks < kBlocks - 3) {
      double x = pass % 2 ? 150.0 : 0.0, dir = pass % 2 ? -1.0 : 1.0;
      put(std::snprintf(line, sizeof line, "G0 X%.4f Y%.4f Z5.\n", x, y));
      put(std::snprintf(line, sizeof line, "G1 Z%.4f F600\n", z));
      for (int k = 0; k < 1500 && blocks < kBlocks - 3; ++k) {
        x += dir * 0.1;
        z += dz(rng);
        int r = pick(rng);
        if (r < 15) {
          put(std::snprintf(line, sizeof line, "G2 X%.4f Y%.4f I%.4f J%.4f\n", x, y + 0.1, 0.05,
                            0.05));
          put(std::snprintf(line, sizeof line, "G1 X%.4f Y%.4f\n", x, y));
        } else if (r < 30) {
          put(std::snprintf(line, sizeof line, "G3 X%.4f Y%.4f R%.4f\n", x, y + 0.1, 0.08));
          put(std::snprintf(line, sizeof line, "G1 X%.4f Y%.4f\n", x, y));
        } else if (r < 40) {
          put(std::snprintf(line, sizeof line, "X%.4f Y%.4f Z%.4f F%d\n", x, y, z,
                            1200 + 100 * (r % 5)));
        } else if (r < 200) {
          put(std::snprintf(line, sizeof line, "X%.4f Y%.4f\n", x, y));
        } else {
          put(std::snprintf(line, sizeof line, "X%.4f Y%.4f Z%.4f\n", x, y, z));
        }
      }
      put(std::snprintf(line, sizeof line, "G0 Z5.\n"));
      y += 0.2;
      ++pass;
    }
    put(std::snprintf(line, sizeof line, "M30\n"));
    put(std::snprintf(line, sizeof line, "%%\n"));
    std::fclose(f);
  }
  ~ProgramFile() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

const ProgramFile& Program() {
  static ProgramFile file;
  return file;
}

// The baseline: lines from 1 MiB chunks, every number after X Y Z I J K R F converted with
// std::from_chars, one 18-byte record per line that holds any of them.
std::size_t BaselineRead(const std::string& path, std::vector<PointRecord>& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  constexpr std::size_t kChunk = 1 << 20;
  std::unique_ptr<char[]> buf(new char[kChunk + 256]);
  std::size_t kept = 0, n = 0;
  float x = 0, y = 0, z = 0;
  std::int16_t feed = 0;
  for (;;) {
    std::size_t got = std::fread(buf.get() + kept, 1, kChunk, f);
    std::size_t have = kept + got;
    if (have == 0) break;
    const char* p = buf.get();
    const char* end = p + have;
    for (;;) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      if (!lf) {
        if (got == 0)
          lf = end;  // last line
        else
          break;
      }
      bool any = false;
      for (const char* q = p; q < lf; ++q) {
        char c = *q;
        if (c == 'X' || c == 'Y' || c == 'Z' || c == 'I' || c == 'J' || c == 'K' || c == 'R' ||
            c == 'F') {
          double v = 0;
          auto r = std::from_chars(q + 1, lf, v);
          q = r.ptr - 1;
          any = true;
          if (c == 'X') x = static_cast<float>(v);
          if (c == 'Y') y = static_cast<float>(v);
          if (c == 'Z') z = static_cast<float>(v);
          if (c == 'F') feed = static_cast<std::int16_t>(v);
        }
      }
      if (any) out[n++] = PointRecord{x, y, z, feed, 0, 4};
      p = lf + 1;
      if (p >= end) break;
    }
    kept = p < end ? static_cast<std::size_t>(end - p) : 0;
    std::memmove(buf.get(), p < end ? p : end, kept);
    if (got == 0) break;
  }
  std::fclose(f);
  return n;
}

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_LoadNcProgramVsBaseline(benchmark::State& state) {
  const ProgramFile& file = Program();
  if (file.blocks == 0) {
    state.SkipWithError("cannot write the program file");
    return;
  }
  std::vector<PointRecord> records(static_cast<std::size_t>(file.blocks) + 16);
  auto store = std::make_unique<CPointStore>();
  CLayerTable layers;
  CUndoRing undo;
  NcSwitches nc;
  NcReaderState reader;
  NcReadTarget target{*store, layers[0], nc, reader};
  double baselineTotal = 0, readerTotal = 0;
  std::size_t baselineRecords = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    auto t0 = Clock::now();
    baselineRecords = BaselineRead(file.path, records);
    auto t1 = Clock::now();
    store->count = 0;  // no undo snapshot of the previous round in the measurement
    LoadNcProgram(target, undo, file.path);
    auto t2 = Clock::now();
    benchmark::DoNotOptimize(records.data());
    baselineTotal += std::chrono::duration<double>(t1 - t0).count();
    const double r = std::chrono::duration<double>(t2 - t1).count();
    readerTotal += r;
    state.SetIterationTime(r);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["blocks"] = static_cast<double>(file.blocks);
  state.counters["MB"] = static_cast<double>(file.bytes) / 1e6;
  state.counters["records"] = static_cast<double>(store->count);
  state.counters["baseline_records"] = static_cast<double>(baselineRecords);
  state.counters["baseline_s"] = baselineTotal / n;
  state.counters["reader_s"] = readerTotal / n;
  state.counters["reader_records_per_s"] = static_cast<double>(store->count) / (readerTotal / n);
  state.counters["ratio"] = readerTotal / baselineTotal;
  state.counters["peak_rss_MB"] = PeakRssMb();
  state.SetLabel("ratio = reader time / baseline time (aim <= 1.3)");
}
BENCHMARK(BM_LoadNcProgramVsBaseline)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The whole load command of a document (undo snapshot, read, layer save, statistics, fit)
// against the same baseline, both timed with the thread's CPU clock in every iteration.
// Argument 0: a new document every time (nothing to snapshot, no page shared). Argument 1:
// the program is loaded again into the same document, whose pages the undo slot and the
// work layer's snapshot hold from the load before, so that every page the read writes is
// copied first.
void BM_LoadCommandVsBaseline(benchmark::State& state) {
  const ProgramFile& file = Program();
  if (file.blocks == 0) {
    state.SkipWithError("cannot write the program file");
    return;
  }
  const bool again = state.range(0) == 1;
  std::vector<PointRecord> records(static_cast<std::size_t>(file.blocks) + 16);
  HeadlessPlatform platform;
  auto app = std::make_unique<CApplication>(platform);
  CDocument* doc = &app->NewDocument();
  if (again && !LoadNcCommand(*app, *doc, file.path)) {
    state.SkipWithError("the program could not be loaded");
    return;
  }
  double baselineTotal = 0, loadTotal = 0;
  for (auto _ : state) {
    if (!again) {
      app = std::make_unique<CApplication>(platform);
      doc = &app->NewDocument();
    }
    const double t0 = ThreadSeconds();
    BaselineRead(file.path, records);
    const double t1 = ThreadSeconds();
    const bool loaded = LoadNcCommand(*app, *doc, file.path).ok();
    const double t2 = ThreadSeconds();
    if (!loaded) {
      state.SkipWithError("the program could not be loaded");
      break;
    }
    benchmark::DoNotOptimize(records.data());
    baselineTotal += t1 - t0;
    loadTotal += t2 - t1;
    state.SetIterationTime(t2 - t1);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["records"] = static_cast<double>(doc->store.count);
  state.counters["baseline_s"] = baselineTotal / n;
  state.counters["load_s"] = loadTotal / n;
  state.counters["ratio"] = loadTotal / baselineTotal;
  state.SetLabel(again ? "load command, again into the same document / baseline (aim <= 1.3)"
                       : "load command, new document / baseline (aim <= 1.3)");
}
BENCHMARK(BM_LoadCommandVsBaseline)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
