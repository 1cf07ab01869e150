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
#include "view/toolpath_lod.h"

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

// A zig-zag finishing pass over a wavy 200 x 125 surface: `passes` passes of 5000 points
// (400 passes: 2 million points, 2000: 10 million).
CDocument* MakeFinishingDocument(int passes) {
  auto* d = new CDocument;
  CPointStore& s = d->store;
  s.Init();
  const int points = 5000;
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
}

CDocument& FinishingDocument() {
  static CDocument* doc = MakeFinishingDocument(400);
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
    // The drawing thread's CPU time would leave out the helper's projections: the renderer
    // is measured on one thread here (BM_DragFrames measures the two).
    r.projectAhead = false;
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

double WallMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Times of one kind of frame: the least wall-clock time (what the user waits for; the least,
// because the machine may be shared) and the mean CPU time of the drawing thread.
struct FrameTimes {
  double wall = 1e300, cpu = 0;
  int n = 0;
  template <class F>
  void Measure(F&& draw) {
    const double w = WallMs(), c = CpuMs();
    draw();
    cpu += CpuMs() - c;
    wall = std::min(wall, WallMs() - w);
    ++n;
  }
  double Cpu() const { return n ? cpu / n : 0; }
};

// The frames of a drag against today's full redraw, on 2 million (400 passes) and 10 million
// points (2000 passes), all measured in this run: today's full redraw (everything on one
// thread), the full redraw with the projection on the second core, the drag frame from the
// prepared copy (the view turning 5 degrees a frame, at the fitted zoom and zoomed in 8 times),
// the stride frame the view draws while no prepared copy fits, and the preparation itself
// (done on the second core while the user works). In ms: `_ms` the least wall-clock time,
// `_cpu` the drawing thread's mean CPU time.
void BM_DragFrames(benchmark::State& state) {
  const int passes = static_cast<int>(state.range(0));
  static CDocument* docs[2] = {nullptr, nullptr};
  CDocument*& doc = docs[passes == 400 ? 0 : 1];
  if (doc == nullptr) doc = passes == 400 ? &FinishingDocument() : MakeFinishingDocument(passes);
  ViewState& view = doc->view;
  const ViewState fitted = view;
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  ToolpathRenderer r;
  RenderOptions o;
  FrameTimes today, full, prepare, drag, zoomed, stride;
  std::uint64_t lodVertices = 0, dragDrawn = 0, fullDrawn = 0;
  bool same = true;
  double ahead = 0;
  for (auto _ : state) {
    view = fitted;
    QImage before(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    r.projectAhead = false;
    today.Measure([&] {
      QPainter painter(&before);
      r.Render(painter, *doc, o);
    });
    r.projectAhead = true;
    full.Measure([&] {
      QPainter painter(&image);
      r.Render(painter, *doc, o);
    });
    same = same && image == before;
    ahead = static_cast<double>(r.pagesAhead) /
            ((doc->store.count + CPointStore::kPageSize - 1) / CPointStore::kPageSize);
    fullDrawn = r.pointsDrawn;
    LodSource source;
    source.Take(doc->store, doc->layers);
    LodParams params;
    params.baseTolerance = 0.25 / view.scale;
    std::shared_ptr<ToolpathLod> lod;
    prepare.Measure([&] { lod = BuildToolpathLod(source.Inputs(), params); });
    lodVertices = lod->Vertices();
    for (int k = 0; k < 8; ++k) {
      view.SetAngles(300, 0, 330 - 5 * k);
      drag.Measure([&] {
        QPainter painter(&image);
        r.RenderLod(painter, *doc, o, *lod);
      });
      dragDrawn = r.pointsDrawn;
      view.scale = fitted.scale * 8;
      zoomed.Measure([&] {
        QPainter painter(&image);
        r.RenderLod(painter, *doc, o, *lod);
      });
      view.scale = fitted.scale;
    }
    view = fitted;
    stride.Measure([&] {
      const std::uint32_t step = std::max<std::uint32_t>(1, doc->store.count / 250000);
      std::shared_ptr<ToolpathLod> quick =
          StrideToolpathLod(doc->store, doc->layers, params, lod->pens, step);
      QPainter painter(&image);
      r.RenderLod(painter, *doc, o, *quick);
    });
  }
  view = fitted;
  state.counters["points"] = static_cast<double>(doc->store.count);
  state.counters["today_ms"] = today.wall;
  state.counters["today_cpu"] = today.Cpu();
  state.counters["full_ms"] = full.wall;
  state.counters["full_cpu"] = full.Cpu();
  state.counters["full_same_pixels"] = same ? 1 : 0;
  state.counters["full_pages_ahead"] = ahead;  // share of pages the helper projected
  state.counters["drag_ms"] = drag.wall;
  state.counters["drag_cpu"] = drag.Cpu();
  state.counters["drag_zoom8_ms"] = zoomed.wall;
  state.counters["stride_ms"] = stride.wall;
  state.counters["prepare_ms"] = prepare.wall;
  state.counters["today_per_drag"] = today.wall / drag.wall;
  state.counters["today_per_full"] = today.wall / full.wall;
  state.counters["lod_vertices"] = static_cast<double>(lodVertices);
  state.counters["drawn_full"] = static_cast<double>(fullDrawn);
  state.counters["drawn_drag"] = static_cast<double>(dragDrawn);
}
BENCHMARK(BM_DragFrames)
    ->Arg(400)
    ->Arg(2000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
}  // namespace trevalon

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
