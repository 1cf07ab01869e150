// Point store speed and memory against plain arrays of the same 18-byte records, measured in
// the same run: walking, appending, statistics, and snapshots (undo, layers) against memcpy of
// the same bytes. The comparisons run baseline and subject alternately in every iteration and
// time both with the thread's CPU clock, so a busy machine slows them alike; `ratio` is the
// subject's time over the baseline's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "model/statistics.h"
#include "model/undo_ring.h"

namespace trevalon {
namespace {

constexpr std::uint32_t kRecords = 10'000'000;
constexpr double kBytes = static_cast<double>(kRecords) * sizeof(PointRecord);

// A finishing-like toolpath: rapids between passes of short linear cuts.
void Fill(CPointStore& s, std::uint32_t n) {
  s.count = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const bool rapid = i % 500 == 0;
    s.reg.type = rapid ? MOVE_RAPID : (i % 500 == 1 ? MOVE_LINE : MOVE_LINE_CONT);
    s.reg.x = (i % 500) * 0.2;
    s.reg.y = (i / 500) * 0.5;
    s.reg.z = rapid ? 10.0 : -0.01 * (i % 37);
    s.reg.feed = 1500;
    s.reg.mark = 0;
    s.StorePoint(s.count++);
  }
}

CPointStore& SharedStore() {
  static CPointStore* store = [] {
    auto* s = new CPointStore;
    Fill(*s, kRecords);
    return s;
  }();
  return *store;
}

// The same records in one array. Its pages are touched once here (the copy), so that both
// walks read memory that is mapped and warm.
std::vector<PointRecord>& SharedVector() {
  static std::vector<PointRecord>* v = [] {
    auto* vec = new std::vector<PointRecord>(kRecords);
    SharedStore().CopyRecordsOut(vec->data(), kRecords);
    return vec;
  }();
  return *v;
}

// Runs base() and subject() in turn once per iteration; the iteration time is the subject's.
template <typename Base, typename Subject>
void Compare(benchmark::State& state, Base&& base, Subject&& subject, const char* label) {
  double tb = 0, ts = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    base();
    const double t1 = ThreadSeconds();
    subject();
    const double t2 = ThreadSeconds();
    tb += t1 - t0;
    ts += t2 - t1;
    state.SetIterationTime(t2 - t1);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["baseline_ms"] = tb / n * 1e3;
  state.counters["ms"] = ts / n * 1e3;
  state.counters["ratio"] = ts / tb;
  state.SetLabel(label);
}

// ---- Walks ---------------------------------------------------------------------------------

struct WalkSum {
  double sum = 0;
  long feeds = 0;
};

void WalkRecords(const PointRecord* r, std::uint32_t n, WalkSum& w) {
  for (std::uint32_t i = 0; i < n; ++i) {
    if (r[i].type == 0) continue;
    w.sum += static_cast<double>(r[i].x) + r[i].y + r[i].z;
    w.feeds += r[i].feed;
  }
}

void WalkVector() {
  WalkSum w;
  WalkRecords(SharedVector().data(), kRecords, w);
  benchmark::DoNotOptimize(w);
}

// The same loop over the store's own pages: the same memory as the FetchPoint walk.
void WalkPageSpans() {
  const CPointStore& s = SharedStore();
  WalkSum w;
  s.ForEachSpan([&w](const PointRecord* r, std::uint32_t n) { WalkRecords(r, n, w); });
  benchmark::DoNotOptimize(w);
}

void WalkFetchPoint() {
  CPointStore& s = SharedStore();
  // Local sums: a sum whose address escapes would be kept in memory across the out-of-line
  // page change, a store and a reload on every record that the array walks do not pay.
  double sum = 0;
  long feeds = 0;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i)) continue;
    sum += s.reg.x + s.reg.y + s.reg.z;
    feeds += s.reg.feed;
  }
  WalkSum w{sum, feeds};
  benchmark::DoNotOptimize(w);
}

void BM_WalkFetchPointVsVector(benchmark::State& state) {
  SharedVector();
  Compare(state, WalkVector, WalkFetchPoint, "FetchPoint walk / walk of one array (aim <= 2)");
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkFetchPointVsVector)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WalkFetchPointVsPageSpans(benchmark::State& state) {
  Compare(state, WalkPageSpans, WalkFetchPoint, "FetchPoint walk / walk of the same pages");
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkFetchPointVsPageSpans)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WalkPageSpansVsVector(benchmark::State& state) {
  SharedVector();
  Compare(state, WalkVector, WalkPageSpans, "same loop: store pages / one array");
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkPageSpansVsVector)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- Appending -----------------------------------------------------------------------------

void BM_AppendVector(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<PointRecord> v;
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      v.push_back(PointRecord{static_cast<float>(i * 0.2), 1.0f, 2.0f, 1500, 0, MOVE_LINE_CONT});
    }
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AppendVector)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AppendStorePoint(benchmark::State& state) {
  for (auto _ : state) {
    CPointStore s;
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      s.reg.x = i * 0.2, s.reg.y = 1.0, s.reg.z = 2.0;
      s.reg.feed = 1500, s.reg.mark = 0, s.reg.type = MOVE_LINE_CONT;
      s.StorePoint(s.count++);
    }
    benchmark::DoNotOptimize(s.count);
    // Memory per record: the pages plus the page table.
    state.counters["bytes_per_record"] =
        (static_cast<double>(s.AllocatedPages()) * sizeof(RecordPage) + sizeof(CPointStore)) /
        s.count;
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AppendStorePoint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ComputeStatistics(benchmark::State& state) {
  CPointStore& s = SharedStore();
  for (auto _ : state) {
    s.statisticsParts.clear();  // a walk from scratch
    benchmark::DoNotOptimize(ComputeStatistics(s));
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMillisecond)->Iterations(3);

// After one record in the middle changed: the walk measures the pages around it again and
// takes the others' shares, against a walk from scratch.
void BM_StatisticsAfterOneEditVsScratch(benchmark::State& state) {
  CPointStore& s = SharedStore();
  const std::uint32_t middle = s.count / 2;
  Compare(
      state,
      [&s] {
        s.statisticsParts.clear();
        benchmark::DoNotOptimize(ComputeStatistics(s));
      },
      [&s, middle] {
        s.FetchPoint(middle);
        s.StorePoint(middle);
        benchmark::DoNotOptimize(ComputeStatistics(s));
      },
      "statistics after a one-record edit / from scratch");
}
BENCHMARK(BM_StatisticsAfterOneEditVsScratch)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// ---- Snapshots against memcpy of the same bytes ----------------------------------------

// The baseline of every snapshot benchmark: one copy of the ten million records into an
// array that exists already (no page faults).
struct Memcpy {
  std::vector<PointRecord> dst = std::vector<PointRecord>(kRecords);
  void operator()() {
    std::memcpy(dst.data(), SharedVector().data(), kRecords * sizeof(PointRecord));
    benchmark::ClobberMemory();
  }
};

// Pages held by the store and the snapshots, each counted once, per record of the store.
double BytesPerRecord(const CPointStore& s, const CUndoRing* u, const CLayerTable* t) {
  PageTally tally;
  s.TallyPages(tally);
  if (u) u->TallyPages(tally);
  if (t) t->TallyPages(tally);
  return static_cast<double>(tally.Bytes()) / s.count;
}

// SaveUndo of the whole store once the ring's ten slots hold states (a long editing session).
void BM_SaveUndoVsMemcpy(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CUndoRing ring;
  for (int i = 0; i < 10; ++i) ring.SaveUndo(s);
  Memcpy copy;
  Compare(
      state, copy, [&] { ring.SaveUndo(s); }, "SaveUndo / memcpy (aim <= 0.1)");
  state.counters["bytes_per_record"] = BytesPerRecord(s, &ring, nullptr);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_SaveUndoVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveLayerVsMemcpy(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CLayerTable layers;
  Memcpy copy;
  int layer = 0;
  Compare(
      state, copy, [&] { layers.SaveLayer(layer++ % 10, s); }, "SaveLayer / memcpy (aim <= 0.1)");
  state.counters["bytes_per_record"] = BytesPerRecord(s, nullptr, &layers);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_SaveLayerVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Undo and redo in turn: each brings a recorded state back into the store.
void BM_UndoRedoVsMemcpy(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CUndoRing ring;
  for (int i = 0; i < 10; ++i) ring.SaveUndo(s);
  ring.Undo(s);  // records the current state once
  Memcpy copy;
  bool redo = true;
  Compare(
      state, copy,
      [&] {
        redo ? ring.Redo(s) : ring.Undo(s);
        redo = !redo;
      },
      "one Undo or Redo / memcpy (aim <= 0.1)");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_UndoRedoVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Switching between two layers of ten million records: the work layer is saved, the other
// one restored.
void BM_SwitchLayerVsMemcpy(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CLayerTable layers;
  layers.SaveLayer(1, s);
  Memcpy copy;
  Compare(
      state, copy, [&] { layers.SwitchWorkLayer(1 - layers.workLayer, s); },
      "SwitchWorkLayer / memcpy (aim <= 0.1)");
  layers.SwitchWorkLayer(0, s);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_SwitchLayerVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The price of sharing: after a snapshot the first write into each page copies that page.
// Subject: a layer save (which gives up that layer's previous snapshot) and then one
// StorePoint into every page of the store, each copying its page; baseline: memcpy of the same
// bytes. `ns_per_first_write` is one page copy with its allocation; `ns_per_later_write` a
// write into a page the store holds alone.
void BM_FirstWritesAfterSnapshotVsMemcpy(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CLayerTable layers;
  Memcpy copy;
  const std::uint32_t pages = (s.count + CPointStore::kPageSize - 1) / CPointStore::kPageSize;
  auto writeEveryPage = [&] {
    for (std::uint32_t p = 0; p < pages; ++p) {
      const std::uint32_t i = p * CPointStore::kPageSize;
      s.FetchPoint(i);
      s.StorePoint(i);  // the record stays as it was
    }
  };
  Compare(
      state, copy,
      [&] {
        layers.SaveLayer(1, s);
        writeEveryPage();
      },
      "layer save + first write into every page / memcpy of the records");
  double later = 0;
  for (int k = 0; k < 5; ++k) {
    const double t0 = ThreadSeconds();
    writeEveryPage();
    later += ThreadSeconds() - t0;
  }
  state.counters["ns_per_first_write"] = state.counters["ms"] * 1e6 / pages;
  state.counters["ns_per_later_write"] = later / 5 * 1e9 / pages;
  state.counters["ns_per_page_memcpy"] = state.counters["baseline_ms"] * 1e6 / pages;
}
BENCHMARK(BM_FirstWritesAfterSnapshotVsMemcpy)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace trevalon
