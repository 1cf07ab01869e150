// Writing a large finishing program: the fixed-format writer (ISO absolute and incremental) and
// the template conversion with the default template, against a plain baseline in the same
// run. The baseline formats the three coordinates of every record with snprintf("%.3f") into
// a buffer and writes it to a file; the writers do all of their work on top of that (modal
// suppression, feeds, arcs, block numbering, the replacing file).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/application.h"
#include "model/point_store.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"
#include "platform/file_io.h"

namespace {

using namespace trevalon;

constexpr std::uint32_t kBlocks = 2'000'000;

// Raster passes of G01 X Y Z moves, an occasional feed change, a few per cent arcs with their
// centre records, rapids between the passes: built straight into the store.
struct Toolpath {
  CPointStore store;
  std::uint32_t blocks = 0;

  Toolpath() {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> dz(-0.02, 0.02);
    std::uniform_int_distribution<int> pick(0, 999);
    PointRegister& r = store.reg;
    auto add = [&](int type, double x, double y, double z, int feed) {
      r.type = type, r.x = x, r.y = y, r.z = z, r.feed = feed;
      store.StorePoint(store.count++);
      if (IsMotionType(type)) ++blocks;
    };
    double y = 0.0, z = -1.0;
    int pass = 0;
    while (blocks < kBlocks) {
      double x = pass % 2 ? 150.0 : 0.0, dir = pass % 2 ? -1.0 : 1.0;
      add(MOVE_RAPID, x, y, 5.0, 0);
      add(MOVE_LINE, x, y, z, 600);
      int feed = 600;
      for (int k = 0; k < 1500 && blocks < kBlocks; ++k) {
        x += dir * 0.1;
        z += dz(rng);
        const int p = pick(rng);
        if (p < 30) {
          add(p < 15 ? MOVE_ARC_CW : MOVE_ARC_CCW, x, y + 0.1, z, feed);
          add(PLANE_XY, 0.05, 0.05, 0, feed);
          add(MOVE_LINE, x, y, z, feed);
        } else {
          if (p < 40) feed = 1200 + 100 * (p % 5);
          add(MOVE_LINE_CONT, x, y, z, feed);
        }
      }
      add(MOVE_RAPID, x, y, 5.0, 0);
      y += 0.1;
      ++pass;
    }
  }
};

Toolpath& Path() {
  static Toolpath t;
  return t;
}

std::string OutPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// snprintf("%.3f") three times per motion record into a buffer written to a file.
void Baseline(CPointStore& s, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  constexpr std::size_t kBuf = 1 << 20;
  std::unique_ptr<char[]> buf(new char[kBuf]);
  std::size_t used = 0;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    if (used + 256 > kBuf) {
      std::fwrite(buf.get(), 1, used, f);
      used = 0;
    }
    char* p = buf.get() + used;
    p += std::snprintf(p, 64, "%.3f", s.reg.x);
    p += std::snprintf(p, 64, "%.3f", s.reg.y);
    p += std::snprintf(p, 64, "%.3f", s.reg.z);
    *p++ = '\n';
    used = static_cast<std::size_t>(p - buf.get());
  }
  std::fwrite(buf.get(), 1, used, f);
  std::fclose(f);
}

enum class Variant { IsoAbsolute, IsoIncremental, Template };

void Write(Variant v, CApplication& app, CPointStore& s, const std::string& path) {
  ReplacingFile file;
  if (!file.Open(path)) return;
  if (v == Variant::Template) {
    CPostProcessorDlg dlg;
    // The default template as saved, so that every section is defined.
    dlg.ppr.ParseTemplateText(CPostTemplate().FormatTemplate());
    dlg.Convert(app.Msg(), s, file);
  } else {
    CNcOutputDlg dlg;
    dlg.incremental = v == Variant::IsoIncremental;
    dlg.diagonalRapidCheck = false;
    dlg.openInEditor = false;
    dlg.WriteProgram(app.Msg(), s, file);
  }
  file.Commit();
}

void BM_Write(benchmark::State& state, Variant v) {
  Toolpath& t = Path();
  std::ostringstream messages;
  HeadlessPlatform platform(&messages);
  CApplication app(platform);
  const std::string base = OutPath("trevalon-writer-bench-base.txt");
  const std::string out = OutPath("trevalon-writer-bench.nc");
  double baseTotal = 0, writeTotal = 0;
  for (auto _ : state) {
    auto a = std::chrono::steady_clock::now();
    Baseline(t.store, base);
    auto b = std::chrono::steady_clock::now();
    Write(v, app, t.store, out);
    auto c = std::chrono::steady_clock::now();
    baseTotal += Seconds(a, b);
    writeTotal += Seconds(b, c);
    state.SetIterationTime(Seconds(b, c));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["blocks"] = t.blocks;
  state.counters["baseline_ms"] = baseTotal / n * 1000;
  state.counters["writer_ms"] = writeTotal / n * 1000;
  state.counters["ratio"] = writeTotal / baseTotal;
  std::error_code ec;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(out, ec)) / 1e6;
  std::filesystem::remove(base, ec);
  std::filesystem::remove(out, ec);
}

BENCHMARK_CAPTURE(BM_Write, iso_absolute, Variant::IsoAbsolute)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, iso_incremental, Variant::IsoIncremental)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, template_default, Variant::Template)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
