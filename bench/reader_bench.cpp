// Reading a large finishing program: LoadNcProgram against a plain baseline in the same run.
// The baseline splits the same file into lines (1 MiB chunks) and converts every number
// after X, Y, Z, I, J, K, R and F with std::from_chars into 18-byte records; the reader does
// all of its work on top of that (line buffer rules, modal state, arcs, the paged store).
// The whole load command is also measured against the floor of the load goals (FloorRead: a
// careful chunked parse into records in fresh memory), with the faults of fresh memory and
// what the loaded toolpath holds per record.
// Extended reading (the whole text, the line table, the interpreters) is measured against
// the classic reader in the same run, on the same program and on one written with a WHILE
// loop, with the heap it takes beside the store.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "bench_support.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/undo_ring.h"
#include "ncio/fanuc_reader.h"
#include "platform/platform.h"

// Heap accounting for the extended read: while `gHeapCounting` is set, every allocation and
// release through operator new and delete moves a running balance (the block's usable size,
// as malloc gives it), and the highest balance is kept. The balance starts at zero when the
// measurement starts, so the peak is what the measured code held beyond everything that was
// there before: for a read into a store whose pages already exist, the whole-file text, the
// line table and whatever the interpreters allocate, not the store. The flag costs one
// relaxed load per allocation when it is off; the other benchmarks of this program see only
// that.
namespace {
std::atomic<bool> gHeapCounting{false};
std::atomic<long long> gHeapBalance{0};
std::atomic<long long> gHeapPeak{0};

void NoteHeap(long long delta) {
  const long long now = gHeapBalance.fetch_add(delta, std::memory_order_relaxed) + delta;
  long long peak = gHeapPeak.load(std::memory_order_relaxed);
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

// The allocation and the release stay out of line: inlined into one caller, the compiler
// would pair malloc with an operator delete and warn of a mismatch.
[[gnu::noinline]] void* CountedAlloc(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  if (gHeapCounting.load(std::memory_order_relaxed))
    NoteHeap(static_cast<long long>(malloc_usable_size(p)));
  return p;
}
[[gnu::noinline]] void CountedFree(void* p) noexcept {
  if (p != nullptr && gHeapCounting.load(std::memory_order_relaxed))
    NoteHeap(-static_cast<long long>(malloc_usable_size(p)));
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
  return CountedAlloc(n);
}
void operator delete(void* p) noexcept {
  CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
  CountedFree(p);
}

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

// The same kind of program written with parameters and program flow: each raster pass is a
// WHILE loop whose body holds ten moves with expressions (nine X Y Z, an arc by R), so that
// the moves stored come near the plain program's block count while the runner executes
// about 1.3 lines per move (below its block limit).
struct MacroProgramFile {
  std::string path;
  long moves = 0;  // the motion blocks the program executes
  long bytes = 0;

  MacroProgramFile() {
    path = (std::filesystem::temp_directory_path() / "trevalon-reader-bench-macro.nc").string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    constexpr long kPerPass = 2 + 150 * 11 + 1;  // G0, G1 Z, the loop's moves, G0 Z
    const long passes = kBlocks / kPerPass;
    moves = passes * kPerPass;
    bytes = std::fprintf(f,
                         "%%\nO0002\n(BALL END MILL D6 FINISHING, PASSES BY WHILE)\n"
                         "G90 G17 G21\nT1 M6\nS12000 M3\n#1=0\n#2=0.\n"
                         "WHILE [#1 LT %ld] DO1\n"
                         "G0 X0. Y#2 Z5.\nG1 Z-1. F600\n#3=0\n"
                         "WHILE [#3 LT 150] DO2\n",
                         passes);
    for (int k = 1; k <= 9; ++k)
      bytes += std::fprintf(f, "X[#3+0.%d] Y#2 Z[-1.+#3*0.0001-0.00%d]\n", k, k);
    bytes += std::fprintf(f,
                          "G2 X[#3+1.] Y[#2+0.1] R0.08\nG1 X[#3+1.] Y#2\n#3=#3+1\nEND2\n"
                          "G0 Z5.\n#2=#2+0.2\n#1=#1+1\nEND1\nM30\n%%\n");
    std::fclose(f);
  }
  ~MacroProgramFile() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

const MacroProgramFile& MacroProgram() {
  static MacroProgramFile file;
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

// The floor of the load goals: a careful chunked parse of the same file into 18-byte records
// made in fresh memory each time (reserved from the file size, as a reader that knows nothing
// more would), with the modal motion and position, every number after X Y Z I J K R F
// converted with std::from_chars, N words, comments and '%'/O lines passed over, and the arc
// centres in a side table of 20-byte entries.
struct FloorRecord {
  float x, y, z;
  std::int16_t motion, feed, flags;
};
struct FloorArc {
  std::uint32_t record;
  float i, j, k, r;
};

std::size_t FloorRead(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::error_code ec;
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(path, ec));
  std::vector<FloorRecord> recs;
  std::vector<FloorArc> arcs;
  recs.reserve(size / 16 + 16);
  double x = 0, y = 0, z = 0, feed = 0;
  int motion = 0;
  const auto num = [](const char* p, const char* e, double& v) {
    if (p < e && *p == '+') ++p;
    const auto r = std::from_chars(p, e, v);
    if (r.ec == std::errc()) return r.ptr;
    while (p < e && ((*p >= '0' && *p <= '9') || *p == '.' || *p == '-' || *p == '+')) ++p;
    return p;
  };
  const auto block = [&](const char* p, const char* e) {
    bool axis = false, ijk = false, hasR = false;
    double nx = x, ny = y, nz = z, i = 0, j = 0, k = 0, r = 0;
    int m = motion;
    while (p < e) {
      switch (*p++) {
        case 'X':
          p = num(p, e, nx), axis = true;
          break;
        case 'Y':
          p = num(p, e, ny), axis = true;
          break;
        case 'Z':
          p = num(p, e, nz), axis = true;
          break;
        case 'I':
          p = num(p, e, i), ijk = true;
          break;
        case 'J':
          p = num(p, e, j), ijk = true;
          break;
        case 'K':
          p = num(p, e, k), ijk = true;
          break;
        case 'R':
          p = num(p, e, r), hasR = true;
          break;
        case 'F':
          p = num(p, e, feed);
          break;
        case 'G': {
          int g = 0;
          const auto res = std::from_chars(p, e, g);
          p = res.ptr;
          if (res.ec == std::errc() && g >= 0 && g <= 3) m = g;
          break;
        }
        case '(': {
          const void* q = std::memchr(p, ')', static_cast<std::size_t>(e - p));
          p = q ? static_cast<const char*>(q) + 1 : e;
          break;
        }
        case ';':
        case '%':
        case 'O':
          p = e;
          break;
        default:
          while (p < e && ((*p >= '0' && *p <= '9') || *p == '.' || *p == '-')) ++p;
          break;
      }
    }
    motion = m;
    if (!axis && !ijk && !hasR) return;
    x = nx, y = ny, z = nz;
    recs.push_back(FloorRecord{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                               static_cast<std::int16_t>(m),
                               static_cast<std::int16_t>(feed > 32767 ? 32767 : feed), 0});
    if ((ijk || hasR) && (m == 2 || m == 3))
      arcs.push_back(FloorArc{static_cast<std::uint32_t>(recs.size() - 1), static_cast<float>(i),
                              static_cast<float>(j), static_cast<float>(k), static_cast<float>(r)});
  };
  constexpr std::size_t kChunk = 1 << 20;
  std::vector<char> buf(2 * kChunk);
  std::size_t carry = 0;
  for (;;) {
    const std::size_t got = std::fread(buf.data() + carry, 1, kChunk, f);
    const char* b = buf.data();
    const char* end = b + carry + got;
    const char* p = b;
    while (const char* lf =
               static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
      block(p, lf);
      p = lf + 1;
    }
    carry = static_cast<std::size_t>(end - p);
    if (got == 0) {
      if (carry) block(p, end);
      break;
    }
    if (carry) std::memmove(buf.data(), p, carry);
  }
  std::fclose(f);
  benchmark::DoNotOptimize(recs.data());
  benchmark::DoNotOptimize(arcs.data());
  return recs.size();
}

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// Page faults of the process so far that needed no disk: mostly fresh memory touched.
double MinorFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_minflt);
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
  double baselineTotal = 0, loadTotal = 0, baselineFaults = 0, loadFaults = 0;
  for (auto _ : state) {
    if (!again) {
      app = std::make_unique<CApplication>(platform);
      doc = &app->NewDocument();
    }
    const double f0 = MinorFaults();
    const double t0 = ThreadSeconds();
    BaselineRead(file.path, records);
    const double t1 = ThreadSeconds();
    const double f1 = MinorFaults();
    const bool loaded = LoadNcCommand(*app, *doc, file.path).ok();
    const double t2 = ThreadSeconds();
    baselineFaults += f1 - f0;
    loadFaults += MinorFaults() - f1;
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
  // What the loaded toolpath holds per record: its pages and the source-line numbers (18 and
  // 4 bytes at the least), and the faults of fresh memory each side took.
  const double count = static_cast<double>(doc->store.count);
  state.counters["held_bytes_per_record"] =
      (static_cast<double>(doc->store.AllocatedPages()) * sizeof(RecordPage) + 4.0 * count) / count;
  state.counters["baseline_faults"] = baselineFaults / n;
  state.counters["load_faults"] = loadFaults / n;
  state.SetLabel(again ? "load command, again into the same document / baseline (aim <= 1.3)"
                       : "load command, new document / baseline (aim <= 1.3)");
}
// The whole load command of a new document against the floor (FloorRead), both in fresh
// memory every time, timed with the thread's CPU clock: the ratio the load goal is measured
// by (at most 1.3).
void BM_LoadCommandVsFloor(benchmark::State& state) {
  const ProgramFile& file = Program();
  if (file.blocks == 0) {
    state.SkipWithError("cannot write the program file");
    return;
  }
  HeadlessPlatform platform;
  double floorTotal = 0, loadTotal = 0;
  std::size_t floorRecords = 0;
  std::uint32_t records = 0;
  for (auto _ : state) {
    auto app = std::make_unique<CApplication>(platform);
    CDocument* doc = &app->NewDocument();
    const double t0 = ThreadSeconds();
    floorRecords = FloorRead(file.path);
    const double t1 = ThreadSeconds();
    const bool loaded = LoadNcCommand(*app, *doc, file.path).ok();
    const double t2 = ThreadSeconds();
    if (!loaded) {
      state.SkipWithError("the program could not be loaded");
      break;
    }
    records = doc->store.count;
    floorTotal += t1 - t0;
    loadTotal += t2 - t1;
    state.SetIterationTime(t2 - t1);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["records"] = static_cast<double>(records);
  state.counters["floor_records"] = static_cast<double>(floorRecords);
  state.counters["floor_s"] = floorTotal / n;
  state.counters["load_s"] = loadTotal / n;
  state.counters["ratio"] = loadTotal / floorTotal;
  state.SetLabel("load command / floor (aim <= 1.3)");
}
BENCHMARK(BM_LoadCommandVsFloor)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LoadCommandVsBaseline)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Extended reading against the classic reader, both through LoadNcProgram into the same
// store, timed with the thread's CPU clock in every iteration. Argument 0: the plain program
// above, read by both. Argument 1: the WHILE program, read extended; the classic read is
// then the plain program's (the classic reader passes macro lines over, so its read of the
// WHILE program would measure nothing), a reference of the same number of moves.
// heap_peak_MB is the extended read's heap beyond the store (see the heap accounting at the
// top): a read before the loop gives the store its pages, so none are allocated while it is
// measured. text_and_lines_MB is what the read must hold at the least for that: the file's
// bytes and one 16-byte line view per line.
void BM_ExtendedReadVsClassic(benchmark::State& state) {
  const ProgramFile& plain = Program();
  const bool macro = state.range(0) == 1;
  const std::string& extPath = macro ? MacroProgram().path : plain.path;
  if (plain.blocks == 0 || (macro && MacroProgram().moves == 0)) {
    state.SkipWithError("cannot write the program file");
    return;
  }
  auto store = std::make_unique<CPointStore>();
  CLayerTable layers;
  CUndoRing undo;
  NcSwitches nc;
  NcReaderState reader;
  NcReadTarget target{*store, layers[0], nc, reader};
  auto read = [&](bool extended, const std::string& path) {
    nc.extendedReadingChk = extended ? 1 : 0;
    store->count = 0;  // no undo snapshot of the previous round in the measurement
    NcReadOutcome o = NcReadOutcome::Read;
    LoadNcProgram(target, undo, path, &o);
    return o;
  };
  read(false, plain.path);  // the store's pages
  read(true, extPath);
  double classicTotal = 0, extendedTotal = 0;
  std::uint32_t classicRecords = 0;
  NcReadOutcome extendedOutcome = NcReadOutcome::Read;
  long long heapPeak = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    read(false, plain.path);
    const double t1 = ThreadSeconds();
    classicRecords = store->count;
    gHeapBalance.store(0);
    gHeapPeak.store(0);
    gHeapCounting.store(true);
    const double t2 = ThreadSeconds();
    extendedOutcome = read(true, extPath);
    const double t3 = ThreadSeconds();
    gHeapCounting.store(false);
    heapPeak = std::max(heapPeak, gHeapPeak.load());
    classicTotal += t1 - t0;
    extendedTotal += t3 - t2;
    state.SetIterationTime(t3 - t2);
  }
  if (extendedOutcome != NcReadOutcome::Read) state.SkipWithError("the extended read stopped");
  std::error_code ec;
  const double fileBytes = static_cast<double>(std::filesystem::file_size(extPath, ec));
  const double lines = macro ? 40.0 : static_cast<double>(plain.blocks);
  const double n = static_cast<double>(state.iterations());
  state.counters["classic_records"] = static_cast<double>(classicRecords);
  state.counters["extended_records"] = static_cast<double>(store->count);
  state.counters["classic_s"] = classicTotal / n;
  state.counters["extended_s"] = extendedTotal / n;
  state.counters["ratio"] = extendedTotal / classicTotal;
  state.counters["heap_peak_MB"] = static_cast<double>(heapPeak) / 1e6;
  state.counters["text_and_lines_MB"] = (fileBytes + 16.0 * lines) / 1e6;
  state.counters["peak_rss_MB"] = PeakRssMb();
  state.SetLabel(macro ? "extended read of the WHILE program / classic read (aim <= 1.5)"
                       : "extended read / classic read (aim <= 1.5)");
}
BENCHMARK(BM_ExtendedReadVsClassic)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
