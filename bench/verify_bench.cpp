// Verify after writing on a program of a million records: the read-back and the move-by-move
// comparison, against the plain read of the same file in the same run (what a load costs).
// The ratio says what verifying adds to reading the program once more.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/application.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_verify.h"
#include "ncio/nc_writer.h"
#include "platform/file_io.h"

namespace {

using namespace trevalon;

constexpr std::uint32_t kRecords = 1'000'000;

// Raster passes of 3-axis cuts with feed changes, a few per cent quarter circles (end and
// centre record) followed by a new cut, rapids between the passes.
struct Program {
  CPointStore store;
  std::string path;

  Program() {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> dz(-0.02, 0.02);
    std::uniform_int_distribution<int> pick(0, 999);
    PointRegister& r = store.reg;
    auto add = [&](int type, double x, double y, double z, int feed) {
      r.type = type, r.x = x, r.y = y, r.z = z, r.feed = feed;
      store.StorePoint(store.count++);
    };
    double y = 0.0, z = -1.0;
    int pass = 0;
    while (store.count < kRecords - 8) {
      double x = pass % 2 ? 150.0 : 0.0;
      const double dir = pass % 2 ? -1.0 : 1.0;
      add(MOVE_RAPID, x, y, 5.0, 0);
      add(MOVE_LINE, x, y, z, 600);
      int feed = 600;
      for (int k = 0; k < 1400 && store.count < kRecords - 8; ++k) {
        x += dir * 0.1;
        const int p = pick(rng);
        if (p < 20) {
          // A quarter (or three quarters) of a circle of radius 0.05 in its plane (an absolute
          // program holds an arc at its start's Z), then a cut on.
          const double from = x - dir * 0.1;  // where the tool is
          add(MOVE_ARC_CCW, from + 0.05 * dir, y + 0.05, z, feed);
          add(PLANE_XY, 0.0, 0.05, 0.0, feed);
          add(MOVE_LINE, x, y, z, feed);
        } else {
          if (p < 30) feed = 1200 + 100 * (p % 5);
          z += dz(rng);
          add(MOVE_LINE_CONT, x, y, z, feed);
        }
      }
      add(MOVE_RAPID, x, y, 5.0, 0);
      y += 0.1;
      ++pass;
    }
    path = (std::filesystem::temp_directory_path() / "trevalon-verify-bench.nc").string();
    std::ostringstream messages;
    HeadlessPlatform platform(&messages);
    CApplication app(platform);
    ReplacingFile file;
    if (!file.Open(path)) return;
    CNcOutputDlg dlg;
    dlg.ijkToR = false;
    dlg.diagonalRapidCheck = false;
    dlg.openInEditor = false;
    dlg.WriteProgram(app.Msg(), store, file);
    file.Commit();
  }
  ~Program() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

Program& Shared() {
  static Program p;
  return p;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The plain read: a fresh store, layer, switches and reader state, as verify reads.
void PlainRead(const std::string& path) {
  auto store = std::make_unique<CPointStore>();
  LayerSlot layer;
  NcSwitches nc;
  auto state = std::make_unique<NcReaderState>();
  AppendNcProgram(NcReadTarget{*store, layer, nc, *state}, path);
  benchmark::DoNotOptimize(store->count);
}

void BM_Verify(benchmark::State& state) {
  Program& p = Shared();
  NcVerifyPart part;
  part.store = &p.store;
  double readTotal = 0, verifyTotal = 0;
  NcVerifyResult result;
  for (auto _ : state) {
    auto a = std::chrono::steady_clock::now();
    PlainRead(p.path);
    auto b = std::chrono::steady_clock::now();
    result = VerifyNcProgram(p.path, {part}, {});
    auto c = std::chrono::steady_clock::now();
    readTotal += Seconds(a, b);
    verifyTotal += Seconds(b, c);
    state.SetIterationTime(Seconds(b, c));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["records"] = p.store.count;
  state.counters["moves"] = static_cast<double>(result.movesCompared);
  state.counters["differences"] = static_cast<double>(result.differences);
  state.counters["read_ms"] = readTotal / n * 1000;
  state.counters["verify_ms"] = verifyTotal / n * 1000;
  state.counters["ratio"] = verifyTotal / readTotal;
}

BENCHMARK(BM_Verify)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
