// Redrawing a 2-million-point finishing toolpath into a 1600 x 1000 image: the view's renderer
// (same-pixel points dropped, one polyline per colour run) against one drawLine per move.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "app/document.h"
#include "gui/toolpath_renderer.h"

namespace trevalon {
namespace {

constexpr int kWidth = 1600, kHeight = 1000;

void Add(CPointStore& s, int type, double x, double y, double z, int feed) {
  s.reg.type = type;
  s.reg.x = x, s.reg.y = y, s.reg.z = z;
  s.reg.feed = feed;
  s.reg.mark = 0;
  s.StorePoint(s.count);
  ++s.count;
}

// A zig-zag finishing pass over a wavy 200 x 125 surface: 400 passes of 5000 points.
CDocument& FinishingDocument() {
  static CDocument* doc = [] {
    auto* d = new CDocument;
    CPointStore& s = d->store;
    s.Init();
    const int passes = 400, points = 5000;
    Add(s, MOVE_RAPID, 0, 0, 50, 0);
    for (int p = 0; p < passes; ++p) {
      const double y = 125.0 * p / passes;
      for (int k = 0; k < points; ++k) {
        const int kk = (p % 2 == 0) ? k : points - 1 - k;
        const double x = 200.0 * kk / (points - 1);
        const double z = 8.0 * std::sin(x / 17.0) * std::cos(y / 13.0) + 0.002 * (k % 7);
        const int feed = 800 + static_cast<int>(1200 * (0.5 + 0.5 * std::sin(x / 31.0)));
        Add(s, (k == 0 && p == 0) ? MOVE_LINE : MOVE_LINE_CONT, x, y, z, feed);
      }
    }
    d->view.width = kWidth;
    d->view.height = kHeight;
    d->view.SetDirection(4);
    d->view.Fit(d->store, &d->layers);
    return d;
  }();
  return *doc;
}

std::uint64_t lastDrawn = 0;

// The thread's CPU time: the machine may be shared, and both renderers are measured alike.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double RenderMs(bool naive, bool byFeed) {
  CDocument& doc = FinishingDocument();
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  const double start = CpuMs();
  QPainter painter(&image);
  if (naive) {
    RenderNaive(painter, doc);
  } else {
    ToolpathRenderer r;
    RenderOptions o;
    o.colourByLayer = !byFeed;
    r.Render(painter, doc, o);
    lastDrawn = r.pointsDrawn;
  }
  painter.end();
  return CpuMs() - start;
}

// The full redraw against the naive renderer, both measured in this run; the counters give
// the two times and their ratio.
void BM_FullRedrawVsNaive(benchmark::State& state) {
  const bool byFeed = state.range(0) != 0;
  FinishingDocument();
  double naive = 0, redraw = 0;
  int n = 0;
  for (auto _ : state) {
    naive += RenderMs(true, false);
    redraw += RenderMs(false, byFeed);
    ++n;
  }
  state.counters["points"] = static_cast<double>(FinishingDocument().store.count);
  state.counters["drawn"] = static_cast<double>(lastDrawn);
  state.counters["redraw_ms"] = redraw / n;
  state.counters["naive_ms"] = naive / n;
  state.counters["speedup"] = naive / redraw;
  state.SetLabel(byFeed ? "colour by feed" : "colour by layer");
}
BENCHMARK(BM_FullRedrawVsNaive)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_FullRedraw(benchmark::State& state) {
  FinishingDocument();
  for (auto _ : state) benchmark::DoNotOptimize(RenderMs(false, false));
}
BENCHMARK(BM_FullRedraw)->Iterations(5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
}  // namespace trevalon

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
