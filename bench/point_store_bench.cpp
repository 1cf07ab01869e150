// Point store speed and memory against plain arrays of the same 18-byte records, measured in
// the same run: walking, appending, statistics, and undo snapshots against memcpy.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "model/point_store.h"
#include "model/statistics.h"
#include "model/undo_ring.h"

namespace trevalon {
namespace {

constexpr std::uint32_t kRecords = 10'000'000;

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

std::vector<PointRecord>& SharedVector() {
  static std::vector<PointRecord>* v = [] {
    auto* vec = new std::vector<PointRecord>(kRecords);
    SharedStore().CopyRecordsOut(vec->data(), kRecords);
    return vec;
  }();
  return *v;
}

void BM_WalkVector(benchmark::State& state) {
  auto& v = SharedVector();
  for (auto _ : state) {
    double sum = 0;
    long feeds = 0;
    for (const PointRecord& r : v) {
      if (r.type == 0) continue;
      sum += static_cast<double>(r.x) + r.y + r.z;
      feeds += r.feed;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(feeds);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkVector)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WalkFetchPoint(benchmark::State& state) {
  CPointStore& s = SharedStore();
  for (auto _ : state) {
    double sum = 0;
    long feeds = 0;
    for (std::uint32_t i = 0; i < s.count; ++i) {
      if (!s.FetchPoint(i)) continue;
      sum += s.reg.x + s.reg.y + s.reg.z;
      feeds += s.reg.feed;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(feeds);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkFetchPoint)->Unit(benchmark::kMillisecond)->Iterations(5);

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
        (static_cast<double>(s.AllocatedPages()) * CPointStore::kPageSize * sizeof(PointRecord) +
         sizeof(CPointStore)) /
        s.count;
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AppendStorePoint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ComputeStatistics(benchmark::State& state) {
  CPointStore& s = SharedStore();
  for (auto _ : state) benchmark::DoNotOptimize(ComputeStatistics(s));
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemcpyRecords(benchmark::State& state) {
  auto& v = SharedVector();
  std::vector<PointRecord> dst(kRecords);
  for (auto _ : state) {
    std::memcpy(dst.data(), v.data(), kRecords * sizeof(PointRecord));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kRecords * sizeof(PointRecord));
}
BENCHMARK(BM_MemcpyRecords)->Unit(benchmark::kMillisecond)->Iterations(5);

// SaveUndo of the whole store once the ring's ten slots exist (a long editing session), and
// the first SaveUndo into a slot that has no array yet (first-touch page faults included).
void BM_SaveUndoWarm(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CUndoRing ring;
  for (int i = 0; i < 10; ++i) ring.SaveUndo(s);
  for (auto _ : state) ring.SaveUndo(s);
  state.SetBytesProcessed(state.iterations() * kRecords * sizeof(PointRecord));
}
BENCHMARK(BM_SaveUndoWarm)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveUndoCold(benchmark::State& state) {
  CPointStore& s = SharedStore();
  for (auto _ : state) {
    CUndoRing ring;
    ring.SaveUndo(s);
    state.PauseTiming();
    ring = CUndoRing();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * kRecords * sizeof(PointRecord));
}
BENCHMARK(BM_SaveUndoCold)->Unit(benchmark::kMillisecond)->Iterations(3);

// Undo and redo: each copies a snapshot back into the store's pages.
void BM_UndoRedo(benchmark::State& state) {
  CPointStore& s = SharedStore();
  CUndoRing ring;
  for (int i = 0; i < 10; ++i) ring.SaveUndo(s);
  ring.Undo(s);  // records the current state once
  for (auto _ : state) {
    ring.Redo(s);
    ring.Undo(s);
  }
  state.SetBytesProcessed(state.iterations() * kRecords * sizeof(PointRecord) * 2);
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace trevalon
