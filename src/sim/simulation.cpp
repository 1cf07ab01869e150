#include "sim/simulation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <thread>

#include "model/geometry.h"

namespace trevalon {

namespace {

// Rows of a band: the unit of work of one thread (see RunSweeps).
constexpr int kBandRows = 16;
constexpr long kMaxChords = 100000;
// How often in a run the progress is asked.
constexpr std::size_t kProgressSteps = 100;

struct MoveBuilder {
  const SimulationOptions& opt;
  double chordTolerance;
  std::vector<SweepSegment>& segs;
  std::vector<SimulatedMove>& moves;

  void Segment(const double a[3], const double b[3]) {
    SweepSegment s;
    for (int k = 0; k < 3; ++k) {
      s.a[k] = static_cast<float>(a[k]);
      s.b[k] = static_cast<float>(b[k]);
    }
    s.move = static_cast<std::uint32_t>(moves.size() - 1);
    segs.push_back(s);
  }

  // The path of a machine that moves every axis at its own rapid rate at once.
  void Dogleg(const double a[3], const double b[3]) {
    double t[3];
    for (int k = 0; k < 3; ++k) t[k] = std::fabs(b[k] - a[k]) / opt.rapidRate[k];
    double times[3] = {t[0], t[1], t[2]};
    std::sort(times, times + 3);
    double prev[3] = {a[0], a[1], a[2]};
    double last = 0;
    for (double tk : times) {
      if (tk <= last * (1.0 + 1e-12) || tk <= 0.0) continue;
      double p[3];
      for (int k = 0; k < 3; ++k) p[k] = t[k] <= tk ? b[k] : a[k] + (b[k] - a[k]) * (tk / t[k]);
      Segment(prev, p);
      std::copy(p, p + 3, prev);
      last = tk;
    }
  }

  // Chords of an arc around `centre` in `plane`, from a to b.
  double Arc(const double a[3], const double b[3], const double centre[3], int type, int plane) {
    ArcDescription arc;
    ArcParameters(a, b, centre, type, plane, arc);
    const PlaneAxes ax = AxesOfPlane(plane);
    const double ra = std::hypot(a[ax.a] - centre[ax.a], a[ax.b] - centre[ax.b]);
    const double rb = std::hypot(b[ax.a] - centre[ax.a], b[ax.b] - centre[ax.b]);
    const double rise = b[ax.normal] - a[ax.normal];
    if (std::max(ra, rb) < 0.001) {
      Segment(a, b);
      return std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]) +
                       (b[2] - a[2]) * (b[2] - a[2]));
    }
    const double sweep = arc.sweep * M_PI / 180.0;
    const double start = std::atan2(a[ax.b] - centre[ax.b], a[ax.a] - centre[ax.a]);
    const double dir = type == MOVE_ARC_CW ? -1.0 : 1.0;
    const double r = std::max(ra, rb);
    const double step = r > chordTolerance ? 2.0 * std::acos(1.0 - chordTolerance / r) : 2.0 * M_PI;
    const long n = std::clamp(static_cast<long>(std::ceil(sweep / step)), 1L, kMaxChords);
    double prev[3] = {a[0], a[1], a[2]};
    for (long j = 1; j <= n; ++j) {
      double p[3];
      if (j == n) {
        std::copy(b, b + 3, p);
      } else {
        const double f = static_cast<double>(j) / n;
        const double ang = start + dir * sweep * f, rr = ra + (rb - ra) * f;
        p[ax.a] = centre[ax.a] + rr * std::cos(ang);
        p[ax.b] = centre[ax.b] + rr * std::sin(ang);
        p[ax.normal] = a[ax.normal] + rise * f;
      }
      Segment(prev, p);
      std::copy(p, p + 3, prev);
    }
    const double planar = 0.5 * (ra + rb) * sweep;
    return std::sqrt(planar * planar + rise * rise);
  }
};

// Sweeps every segment in order. The field's rows are cut into bands of kBandRows rows, band
// b belonging to thread b % threads; each thread sweeps every segment over its own bands only,
// so the field and the moves' volumes come out exactly as in a serial run.
// Why: docs/design-rules.md, "Simulation: threads split the stock".
// With `engaged` (not null), each move's engagement too, merged over its chords and threads
// (SweepEngagement::Merge gives the same in any order).
//
// Progress is asked by thread 0, which is the calling thread, between its segments; a stop it
// hears is handed to the other threads through `stopped`, which they look at as often.
enum class SweepEnd { Done, NoMemory, Stopped };
SweepEnd RunSweeps(HeightField& field, const SimTool& tool, const std::vector<SweepSegment>& segs,
                   std::size_t moveCount, int threads, std::vector<std::int64_t>& taken,
                   std::vector<SweepEngagement>* engaged,
                   const std::function<bool(double)>& progress) {
  // Thread 0 counts into `taken` itself, the others into arrays of their own added to it at
  // the end: one array of eight bytes a move fewer at the peak of a large run.
  std::vector<std::vector<std::int64_t>> parts;
  std::vector<std::vector<SweepEngagement>> engagedParts;
  try {
    taken.assign(moveCount, 0);
    parts.resize(static_cast<std::size_t>(threads - 1));
    for (auto& p : parts) p.assign(moveCount, 0);
    if (engaged) {
      engaged->assign(moveCount, SweepEngagement());
      engagedParts.resize(static_cast<std::size_t>(threads - 1));
      for (auto& p : engagedParts) p.assign(moveCount, SweepEngagement());
    }
  } catch (const std::bad_alloc&) {
    return SweepEnd::NoMemory;
  }
  std::atomic<bool> stopped{false};
  const std::size_t every = std::max<std::size_t>(1, segs.size() / kProgressSteps);
  auto work = [&](int t) {
    std::vector<std::int64_t>& mine = t == 0 ? taken : parts[static_cast<std::size_t>(t - 1)];
    SweepEngagement* met = !engaged ? nullptr
                           : t == 0 ? engaged->data()
                                    : engagedParts[static_cast<std::size_t>(t - 1)].data();
    for (std::size_t k = 0; k < segs.size(); ++k) {
      if (k % every == 0) {
        if (t == 0 && progress && !progress(static_cast<double>(k) / segs.size()))
          stopped.store(true, std::memory_order_relaxed);
        if (stopped.load(std::memory_order_relaxed)) return;
      }
      const SweepSegment& s = segs[k];
      int lo, hi;
      SegmentRows(field, tool, s, lo, hi);
      for (int band = lo / kBandRows; band * kBandRows < hi; ++band) {
        if (band % threads != t) continue;
        const int r0 = std::max(lo, band * kBandRows), r1 = std::min(hi, (band + 1) * kBandRows);
        mine[s.move] += SweepRows(field, tool, s, r0, r1, met ? met + s.move : nullptr);
      }
    }
  };
  std::vector<std::thread> pool;
  try {
    for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
  } catch (const std::system_error&) {
    // Fewer threads than asked: the ones that started keep their bands, this one takes the
    // rest by running the missing threads' shares itself.
  }
  for (int t = static_cast<int>(pool.size()) + 1; t < threads; ++t) work(t);
  work(0);
  for (std::thread& th : pool) th.join();
  if (stopped.load()) return SweepEnd::Stopped;
  for (const auto& p : parts)
    for (std::size_t m = 0; m < moveCount; ++m) taken[m] += p[m];
  for (const auto& p : engagedParts)
    for (std::size_t m = 0; m < moveCount; ++m) (*engaged)[m].Merge(p[m]);
  return SweepEnd::Done;
}

}  // namespace

Outcome AutoStock(CPointStore& store, const SimTool& tool, StockBox& out) {
  double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
  bool any = false;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i)) continue;
    const int t = store.reg.type;
    if (!IsLinearType(t) && !IsArcType(t)) continue;
    const double p[3] = {store.reg.x, store.reg.y, store.reg.z};
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    any = true;
  }
  if (!any)
    return Outcome::Failed(OutcomeCode::Refused,
                           "no cutting move to take the stock from: give the stock's corners");
  const double margin = tool.diameter;
  out.min[0] = lo[0] - margin;
  out.min[1] = lo[1] - margin;
  out.max[0] = hi[0] + margin;
  out.max[1] = hi[1] + margin;
  out.min[2] = lo[2] - 1.0;
  out.max[2] = hi[2];
  if (!(out.max[2] > out.min[2])) out.max[2] = out.min[2] + 1.0;
  return Outcome::Done();
}

Outcome Simulate(CPointStore& store, const SimulationOptions& opt, HeightField& field,
                 SimulationResult& out) {
  field = HeightField();
  out = SimulationResult();
  if (std::string why = opt.tool.Problem(); !why.empty())
    return Outcome::Failed(OutcomeCode::Refused, why);
  if (opt.dogleg)
    for (double r : opt.rapidRate)
      if (!(r > 0.0) || !std::isfinite(r))
        return Outcome::Failed(OutcomeCode::Refused, "the rapid rates must be above 0");
  StockBox box = opt.stock;
  if (opt.autoStock) {
    Outcome o = AutoStock(store, opt.tool, box);
    if (!o) return o;
  }
  if (std::string why = field.Init(box, opt.cell); !why.empty())
    return Outcome::Failed(OutcomeCode::Refused, why);

  std::vector<SweepSegment> segs;
  SimulationResult res;
  res.stock = box;
  try {
    MoveBuilder build{opt, std::max(1e-4, 0.05 * opt.cell), segs, res.moves};
    bool havePrev = false;
    double prev[3] = {0, 0, 0};
    for (std::uint32_t i = 0; i < store.count; ++i) {
      if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
      const double p[3] = {store.reg.x, store.reg.y, store.reg.z};
      const int type = store.reg.type;
      if (!havePrev) {
        std::copy(p, p + 3, prev);
        havePrev = true;
        continue;
      }
      if (res.moves.size() >= opt.moveLimit) break;
      SimulatedMove mv;
      mv.record = i;
      mv.type = static_cast<std::int16_t>(type);
      mv.feed = static_cast<std::int16_t>(store.reg.feed);
      res.moves.push_back(mv);
      double length;
      PointRegister centreRec;
      if (IsArcType(type) && store.Peek(i + 1, centreRec) && IsPlaneCode(centreRec.type)) {
        const int plane = NormalisePlane(centreRec.type);
        const PlaneAxes ax = AxesOfPlane(plane);
        const double offset[3] = {centreRec.x, centreRec.y, centreRec.z};
        double centre[3];
        for (int k = 0; k < 3; ++k) centre[k] = prev[k] + (k == ax.normal ? 0.0 : offset[k]);
        length = build.Arc(prev, p, centre, type, plane);
      } else {
        build.Segment(prev, p);
        length =
            std::sqrt((p[0] - prev[0]) * (p[0] - prev[0]) + (p[1] - prev[1]) * (p[1] - prev[1]) +
                      (p[2] - prev[2]) * (p[2] - prev[2]));
        if (opt.dogleg && IsRapidType(type)) build.Dogleg(prev, p);
      }
      res.moves.back().length = static_cast<float>(length);
      std::copy(p, p + 3, prev);
    }
  } catch (const std::bad_alloc&) {
    field = HeightField();
    return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory for the simulation's moves");
  }

  int threads = opt.threads > 0
                    ? opt.threads
                    : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::clamp(threads, 1, 64);
  std::vector<std::int64_t> taken;
  std::vector<SweepEngagement> engaged;
  const SweepEnd end = RunSweeps(field, opt.tool, segs, res.moves.size(), threads, taken,
                                 opt.engagement ? &engaged : nullptr, opt.progress);
  if (end != SweepEnd::Done) {
    field = HeightField();
    if (end == SweepEnd::Stopped) return Outcome::Cancelled("the simulation was stopped");
    return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory for the simulation's moves");
  }
  std::vector<SweepSegment>().swap(segs);

  const double unit = kHeightQuantum * field.cell * field.cell;
  std::int64_t total = 0;
  for (std::size_t m = 0; m < res.moves.size(); ++m) {
    SimulatedMove& mv = res.moves[m];
    total += taken[m];
    mv.volume = static_cast<float>(static_cast<double>(taken[m]) * unit);
    if (!engaged.empty() && mv.Cut()) {
      mv.depth = engaged[m].depth;
      mv.radial = static_cast<float>(engaged[m].Radial(field.cell, opt.tool.diameter));
    }
    if (mv.Rapid()) {
      if (mv.Cut()) {
        if (res.rapidCollisions++ == 0) res.firstRapidCollision = mv.record;
      }
      continue;
    }
    ++res.cuttingMoves;
    if (mv.Cut()) continue;
    ++res.airCutMoves;
    res.airCutLength += mv.length;
    if (mv.feed > 0) res.airCutTime += mv.length / mv.feed;
  }
  res.removedVolume = static_cast<double>(total) * unit;
  out = std::move(res);
  return Outcome::Done();
}

}  // namespace trevalon
