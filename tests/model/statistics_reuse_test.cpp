// The statistics' walk keeps each page's share and measures again only the pages that changed.
// Whatever changed the store in between (a record stored in place, a splice of as many or of
// other counts, an undo state brought back, a shorter or longer store), the result must be
// the one a store that never measured anything gives for the same records.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "model/point_store.h"
#include "model/statistics.h"
#include "model/undo_ring.h"

namespace trevalon {
namespace {

PointRecord RandomRecord(std::mt19937& rng) {
  // Runs of rapids and cuts with arcs (end point, then centre record) between them.
  static constexpr std::int16_t kTypes[] = {
      MOVE_RAPID,  MOVE_RAPID_CONT, MOVE_LINE,    MOVE_LINE_CONT, MOVE_LINE_CONT, MOVE_LINE_CONT,
      MOVE_ARC_CW, PLANE_XY,        MOVE_ARC_CCW, PLANE_ZX,       MOVE_NONE};
  PointRecord r{};
  const std::uint32_t t = rng() % std::size(kTypes);
  r.type = kTypes[t];
  r.x = static_cast<float>(rng() % 2000) / 10.0f;
  r.y = static_cast<float>(rng() % 2000) / 10.0f;
  r.z = static_cast<float>(rng() % 300) / 10.0f - 15.0f;
  r.feed = static_cast<std::int16_t>(100 + rng() % 3000);
  return r;
}

std::vector<PointRecord> RandomRecords(std::mt19937& rng, std::uint32_t n) {
  std::vector<PointRecord> v(n);
  for (auto& r : v) r = RandomRecord(rng);
  return v;
}

void ExpectMeasuredAfresh(CPointStore& store) {
  ASSERT_EQ(ComputeStatistics(store), 1);
  std::vector<PointRecord> records(store.count);
  store.CopyRecordsOut(records.data(), store.count);
  CPointStore fresh;
  ASSERT_EQ(fresh.CopyRecordsIn(records.data(), store.count), 1);
  ASSERT_EQ(ComputeStatistics(fresh), 1);
  // Bit for bit: the shares are added in the same order either way.
  const auto bits = [](const ToolpathStatistics& t) {
    std::vector<double> v = {static_cast<double>(t.maxFeed), t.cuttingLength, t.rapidLength,
                             t.cuttingTime, t.arcLength};
    for (const double* a : {t.cuttingMin, t.cuttingMax, t.rapidMin, t.rapidMax})
      v.insert(v.end(), a, a + 3);
    std::vector<std::uint64_t> out(v.size());
    std::memcpy(out.data(), v.data(), v.size() * sizeof(double));
    return out;
  };
  EXPECT_EQ(bits(store.stats), bits(fresh.stats));
  EXPECT_EQ(std::memcmp(store.extentMin, fresh.extentMin, sizeof store.extentMin), 0);
  EXPECT_EQ(std::memcmp(store.extentMax, fresh.extentMax, sizeof store.extentMax), 0);
}

TEST(StatisticsReuse, EveryKindOfChangeMeasuresAsAFreshStore) {
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  std::mt19937 rng(11);
  CPointStore store;
  CUndoRing undo;
  const std::vector<PointRecord> start = RandomRecords(rng, 5 * kPage + 17);
  ASSERT_EQ(store.CopyRecordsIn(start.data(), static_cast<std::uint32_t>(start.size())), 1);
  ExpectMeasuredAfresh(store);
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE(round);
    const std::uint32_t kind = rng() % 6;
    const std::uint32_t at = rng() % store.count;
    if (kind == 0) {
      // A record rewritten in place, after a fetch made its page the current one: the store
      // must not write it without stamping the page.
      store.FetchPoint(at);
      store.reg.x += 1.5;
      store.reg.type = (rng() % 2) ? MOVE_LINE_CONT : MOVE_RAPID_CONT;
      ASSERT_EQ(store.StorePoint(at), 1);
    } else if (kind == 1 || kind == 2) {
      const std::uint32_t removed = std::min<std::uint32_t>(rng() % 40, store.count - at);
      const std::uint32_t added = kind == 1 ? removed : rng() % 40;
      const std::vector<PointRecord> with = RandomRecords(rng, added);
      undo.SaveUndo(store);
      ASSERT_EQ(store.SpliceRecords(at, removed, with.data(), added), 1);
    } else if (kind == 3) {
      undo.Undo(store);
    } else if (kind == 4) {
      undo.SaveUndo(store);
      const std::uint32_t drop = rng() % (2 * kPage);
      store.count = store.count > drop ? store.count - drop : 1;
    } else {
      // A store that grows again over records kept beyond its count.
      undo.SaveUndo(store);
      const std::uint32_t n = rng() % kPage;
      const std::vector<PointRecord> more = RandomRecords(rng, n);
      ASSERT_EQ(
          store.SpliceRecords(store.count, 0, more.data(), static_cast<std::uint32_t>(more.size())),
          1);
    }
    ExpectMeasuredAfresh(store);
  }
}

TEST(StatisticsReuse, AStoreAfterTheWalkInTheLastPageItReadIsSeen) {
  // The walk ends in the page last written, which a store may still write in place: the next
  // store there must stamp it anew.
  std::mt19937 rng(3);
  CPointStore store;
  const std::vector<PointRecord> start = RandomRecords(rng, 100);
  ASSERT_EQ(store.CopyRecordsIn(start.data(), 100), 1);
  for (int k = 0; k < 3; ++k) {
    store.FetchPoint(50);
    store.reg.type = MOVE_LINE;
    store.reg.x += 7;
    ASSERT_EQ(store.StorePoint(50), 1);
    ExpectMeasuredAfresh(store);
  }
}

}  // namespace
}  // namespace trevalon
