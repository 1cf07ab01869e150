// The cutting simulation: the bundled example (a ball D6 at 0.1 mm cells; aim under 1 s) and a
// generated program of two million blocks (gen_gcode.py beside this file, seed 1; aim under
// 60 s), both on every core. Wall time, since the work is shared out over the threads; the
// `cells_per_s` counter says how fast the stock was swept.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/load_commands.h"
#include "sim/simulation.h"

#ifndef TREVALON_BENCH_SOURCE
#define TREVALON_BENCH_SOURCE "."
#endif

namespace trevalon {
namespace {

struct Loaded {
  HeadlessPlatform platform;
  std::unique_ptr<CApplication> app;
  CDocument* doc = nullptr;
  bool ok = false;
  explicit Loaded(const std::string& path) {
    app = std::make_unique<CApplication>(platform);
    doc = &app->NewDocument();
    ok = !path.empty() && LoadNcCommand(*app, *doc, path).ok() && doc->store.count > 0;
  }
};

// The generated program, written once into the temporary folder.
std::string LargeProgram() {
  const std::string path =
      (std::filesystem::temp_directory_path() / "trevalon-sim-bench-2m.nc").string();
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) > 50'000'000) return path;
  const std::string cmd = "python3 " + std::string(TREVALON_BENCH_SOURCE) +
                          "/gen_gcode.py 2000000 " + path + " --seed 1";
  return std::system(cmd.c_str()) == 0 ? path : std::string();
}

void Simulate(benchmark::State& state, Loaded& l) {
  if (!l.ok) {
    state.SkipWithError("the program could not be loaded");
    return;
  }
  SimulationOptions o;
  o.tool.kind = SimToolKind::Ball;
  o.tool.diameter = 6.0;
  o.cell = 0.1;
  o.threads = static_cast<int>(state.range(0));
  HeightField field;
  SimulationResult result;
  double cells = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!Simulate(l.doc->store, o, field, result).ok()) {
      state.SkipWithError("the simulation was refused");
      return;
    }
    const auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    cells += static_cast<double>(field.Cells());
  }
  state.counters["moves"] = static_cast<double>(result.moves.size());
  state.counters["removed_mm3"] = result.removedVolume;
  state.counters["cells"] = static_cast<double>(field.Cells());
  state.counters["rapid_collisions"] = result.rapidCollisions;
  state.counters["air_cut_moves"] = result.airCutMoves;
}

void BM_SimulateExample(benchmark::State& state) {
  static Loaded l(std::string(TREVALON_BENCH_SOURCE) + "/../examples/core-insert-finish.nc");
  Simulate(state, l);
  state.SetLabel("bundled example, ball D6, 0.1 mm cells (aim: under 1 s)");
}
BENCHMARK(BM_SimulateExample)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SimulateTwoMillionBlocks(benchmark::State& state) {
  static Loaded l(LargeProgram());
  Simulate(state, l);
  state.SetLabel("gen_gcode.py 2000000 --seed 1, ball D6, 0.1 mm cells (aim: under 60 s)");
}
BENCHMARK(BM_SimulateTwoMillionBlocks)
    ->Arg(0)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace trevalon
