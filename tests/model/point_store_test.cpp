#include "model/point_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;
using testing::AddPoints;

TEST(PointStore, EmptyStoreAnswersNothing) {
  CPointStore s;
  s.reg.x = 7;
  EXPECT_EQ(s.FetchPoint(0), 0);
  EXPECT_EQ(s.reg.x, 7);  // register untouched
  EXPECT_EQ(s.PrevMotion(5), 0u);
  EXPECT_EQ(s.NextMotion(0), 0u);
  double mn[3], mx[3];
  EXPECT_EQ(s.Extent(mn, mx), 0);
  EXPECT_EQ(mn[0], 10000.0);
  EXPECT_EQ(mx[2], -10000.0);
}

TEST(PointStore, RecordsKeepSingleFloatsAndLow16Bits) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 1.1, -2.2, 3.3, 40000, -1);
  ASSERT_EQ(s.FetchPoint(0), 1);
  EXPECT_EQ(s.reg.x, static_cast<double>(1.1f));
  EXPECT_EQ(s.reg.y, static_cast<double>(-2.2f));
  EXPECT_EQ(s.reg.feed, 40000 - 65536);  // sign-extended low 16 bits
  EXPECT_EQ(s.reg.mark, -1);
  EXPECT_EQ(s.reg.type, MOVE_LINE);
}

TEST(PointStore, PageLimitAndPagesAllocatedOnFirstStore) {
  CPointStore s;
  EXPECT_EQ(s.AllocatedPages(), 0u);
  s.reg = PointRegister{};
  s.reg.type = MOVE_LINE;
  EXPECT_EQ(s.StorePoint(13'079'999), 1);  // last slot of page 3999
  EXPECT_EQ(s.StorePoint(13'080'000), 0);
  EXPECT_EQ(s.AllocatedPages(), 1u);
  EXPECT_EQ(s.count, 0u);  // storing never changes count
  EXPECT_EQ(s.StorePoint(3270), 1);
  EXPECT_EQ(s.AllocatedPages(), 2u);
}

TEST(PointStore, FailedPageAllocationStoresNothing) {
  CPointStore s;
  FailRecordAllocationsAfter(0);
  s.reg.type = MOVE_LINE;
  EXPECT_EQ(s.StorePoint(0), 0);
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(s.AllocatedPages(), 0u);
  EXPECT_EQ(s.StorePoint(0), 1);
}

TEST(PointStore, InsaneRecordBecomesNullRecordOnFetch) {
  CPointStore s;
  AddPoints(s, "3 1 2 3 100, 3 40000 0 0 100 1, 3 0 40000 0 100");  // y is not tested
  ASSERT_EQ(s.FetchPoint(0), 1);
  EXPECT_EQ(s.FetchPoint(1), 0);
  EXPECT_EQ(s.reg.x, 1.0);  // register keeps the previous point
  EXPECT_EQ(s.FetchPoint(1), 0);
  const PointRecord* r = s.RawRecord(1);
  EXPECT_EQ(float{r->x}, 32700.0f);
  EXPECT_EQ(float{r->z}, 32700.0f);
  EXPECT_EQ(r->feed, 300);
  EXPECT_EQ(r->type, 0);
  EXPECT_EQ(r->mark, 1);  // mark unchanged
  EXPECT_EQ(s.FetchPoint(2), 1);
  EXPECT_EQ(s.reg.y, 40000.0);
}

TEST(PointStore, WalkHelpersSkipCentreRecordsAndLeaveTheRegister) {
  CPointStore s;
  AddPoints(s, "1 0 0 5, 3 0 0 0 100, 6 10 0 0 100, 91 5 0 0 100, 4 10 10 0 100");
  EXPECT_EQ(s.PrevMotion(4), 2u);
  EXPECT_EQ(s.reg.type, MOVE_ARC_CCW);
  EXPECT_EQ(s.NextMotion(2), 4u);
  EXPECT_EQ(s.NextMotion(4), 0u);  // count - 1
  EXPECT_EQ(s.PrevMotion(0), 0u);
  EXPECT_EQ(s.reg.type, MOVE_RAPID);  // PrevMotion(0) fetches point 0
  EXPECT_TRUE(s.IsArc(2));
  EXPECT_FALSE(s.IsLinear(5));                  // beyond count
  EXPECT_EQ(s.SetMotionType(3, MOVE_LINE), 0);  // a centre record is not a move
  EXPECT_EQ(s.SetMotionType(4, MOVE_LINE), 1);
  EXPECT_TRUE(s.IsLinearStart(4));
}

TEST(PointStore, SegmentLengthsBelowTheFloorAreZero) {
  CPointStore s;
  AddPoints(s, "3 0 0 0, 3 3 4 0, 3 3.00003 4 0");
  double d[4], u[3] = {9, 9, 9};
  EXPECT_EQ(s.Segment(0, 0, d, u), 0);
  EXPECT_EQ(u[0], 0.0);
  EXPECT_EQ(s.Segment(1, 0, d, u), 1);
  EXPECT_DOUBLE_EQ(d[3], 5.0);
  EXPECT_DOUBLE_EQ(u[1], 0.8);
  u[0] = 42;
  EXPECT_EQ(s.Segment(2, 1, d, u), 0);
  EXPECT_EQ(d[3], 0.0);
  EXPECT_EQ(u[0], 42);  // unchanged for a zero length
}

TEST(PointStore, ExtentCountsLinearMovesAndTheStartOfFirstCuts) {
  CPointStore s;
  AddPoints(s, "1 -50 -50 50, 2 1 2 10, 3 1 2 0 100, 4 5 6 -1 100, 8 99 99 -1 100, 91 1 1 0 100");
  double mn[3], mx[3];
  ASSERT_EQ(s.Extent(mn, mx), 1);
  EXPECT_EQ(mn[0], 1);
  EXPECT_EQ(mx[0], 5);
  EXPECT_EQ(mx[2], 10);  // the rapid before the first cut is its start
  EXPECT_EQ(mn[2], -1);
}

TEST(PointStore, SelectionOperationsTouchMotionPointsOnly) {
  CPointStore s;
  AddPoints(s, "3 0 0 0 1 -1, 4 1 0 0 1 1, 8 2 0 0 1 0, 91 1 0 0 1 0");
  s.InvertSelection();
  auto mark = [&](std::uint32_t i) { return s.RawRecord(i)->mark; };
  EXPECT_EQ(mark(0), 1);  // -1 becomes 1
  EXPECT_EQ(mark(1), 0);
  EXPECT_EQ(mark(2), 1);
  EXPECT_EQ(mark(3), 0);  // centre record untouched
  s.ClearSelection();
  EXPECT_EQ(mark(0), 0);
  AddPoint(s, MOVE_LINE, 0, 0, 0, 1, -1);
  s.ClearMarks();
  EXPECT_EQ(mark(4), 0);
}

TEST(PointStore, ClearTakesAnUndoSnapshot) {
  CPointStore s;
  CUndoRing undo;
  AddPoint(s, MOVE_LINE, 1, 2, 3, 4);
  s.Clear(undo);
  EXPECT_EQ(s.count, 0u);
  EXPECT_EQ(undo.Undo(s), 1);
  ASSERT_EQ(s.count, 1u);
  ASSERT_EQ(s.FetchPoint(0), 1);
  EXPECT_EQ(s.reg.z, 3.0);
}

void ExpectSameRegister(const PointRegister& a, const PointRegister& b) {
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.z, b.z);
  EXPECT_EQ(a.feed, b.feed);
  EXPECT_EQ(a.mark, b.mark);
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.plane, b.plane);
  EXPECT_EQ(a.radius, b.radius);
}

TEST(PointStore, PeekReadsWhatAFetchLoadsAndChangesNothing) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 1.1, -2.2, 3.3, 40000, -1);
  // An unsound record, a sound one of no motion, an arc.
  AddPoints(s, "3 40000 0 0 100 1, 0 4 5 6 7, 8 8 9 10 11");
  const std::uint32_t unallocated = CPointStore::kPageSize;  // page 1 was never written
  s.count = unallocated + 1;
  const std::uint32_t probes[] = {0, 1, 2, 3, unallocated, s.count, 0xffffffffu};

  s.reg = PointRegister{};
  s.reg.x = -1, s.reg.plane = PLANE_ZX, s.reg.radius = 2.5;
  const PointRegister before = s.reg;
  PointRegister seen[std::size(probes)];
  int results[std::size(probes)];
  for (std::size_t k = 0; k < std::size(probes); ++k) {
    seen[k].x = -7;  // left alone where nothing can be read
    results[k] = s.Peek(probes[k], seen[k]);
  }
  ExpectSameRegister(s.reg, before);
  EXPECT_EQ(float{s.RawRecord(1)->x}, 40000.0f);  // the unsound record is not rewritten
  EXPECT_EQ((std::vector<int>(results, results + std::size(probes))),
            (std::vector<int>{1, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(seen[4].x, -7);
  EXPECT_EQ(seen[5].x, -7);

  // A fetch gives the same result; where it loads the register, it loads what Peek read. An
  // unsound record is read by Peek as the null record a fetch turns it into.
  for (std::size_t k = 0; k < 4; ++k) {
    PointRegister r = s.reg;
    EXPECT_EQ(s.FetchPoint(probes[k]), results[k]) << k;
    if (k == 1) {
      ExpectSameRegister(s.reg, r);  // the fetch that rewrites loads nothing
      EXPECT_EQ(s.FetchPoint(1), 0);
    }
    seen[k].plane = s.reg.plane, seen[k].radius = s.reg.radius;
    ExpectSameRegister(s.reg, seen[k]);
  }
  EXPECT_EQ(seen[1].mark, 1);
  EXPECT_EQ(seen[1].feed, 300);
  EXPECT_EQ(seen[1].y, 32700.0);
}

TEST(PointStore, WalkAcrossPagesForwardAndBackward) {
  CPointStore s;
  const std::uint32_t n = 3 * CPointStore::kPageSize + 17;
  for (std::uint32_t i = 0; i < n; ++i) AddPoint(s, MOVE_LINE_CONT, i, 0, 0, 1);
  for (std::uint32_t i = n; i-- > 0;) {
    ASSERT_EQ(s.FetchPoint(i), 1);
    ASSERT_EQ(s.reg.x, static_cast<double>(static_cast<float>(i)));
  }
  std::vector<PointRecord> copy(n);
  s.CopyRecordsOut(copy.data(), n);
  EXPECT_EQ(float{copy[n - 1].x}, static_cast<float>(n - 1));
}

// Pages are cut from large blocks: pages given back in any order and taken again never
// disturb the records of the pages still held, across many blocks, and a store filled past
// several blocks reads back what it was given.
TEST(PointStore, PagesFromSharedBlocksKeepTheirRecords) {
  std::vector<RecordPage*> held;
  for (int k = 0; k < 120; ++k) {
    RecordPage* p = NewRecordPage();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->refs, 1u);
    EXPECT_EQ(p->sound, 0u);
    p->records[0].x = static_cast<float>(k);
    p->records[kRecordsPerPage - 1].feed = static_cast<std::int16_t>(k);
    held.push_back(p);
  }
  // Give back every third page and the first block whole, then take as many again.
  std::vector<RecordPage*> kept;
  for (std::size_t k = 0; k < held.size(); ++k) {
    if (k % 3 == 0 || k < 40)
      FreeRecordPage(held[k]);
    else
      kept.push_back(held[k]);
  }
  std::vector<RecordPage*> again;
  for (int k = 0; k < 60; ++k) {
    again.push_back(NewRecordPage());
    ASSERT_NE(again.back(), nullptr);
    again.back()->records[0].x = -1.0f;
  }
  for (RecordPage* p : again)
    for (RecordPage* q : kept) ASSERT_NE(p, q);
  for (RecordPage* p : kept) {
    const auto k = std::find(held.begin(), held.end(), p) - held.begin();
    EXPECT_EQ(p->records[0].x, static_cast<float>(k));
    EXPECT_EQ(p->records[kRecordsPerPage - 1].feed, k);
  }
  for (RecordPage* p : kept) FreeRecordPage(p);
  for (RecordPage* p : again) FreeRecordPage(p);

  CPointStore s;
  const std::uint32_t n = CPointStore::kPageSize * 80 + 7;
  for (std::uint32_t i = 0; i < n; ++i) {
    s.reg.x = i % 1000, s.reg.y = i / 1000, s.reg.z = 0;
    s.reg.type = MOVE_LINE_CONT;
    ASSERT_EQ(s.StorePoint(i), 1);
  }
  s.count = n;
  RecordSnapshot snap;
  ASSERT_EQ(s.Snapshot(snap), 1);
  s.ReleasePages();
  for (std::uint32_t i = 0; i < n; i += 997) {
    // Records are packed: copy the members out rather than bind a reference to them.
    const float x = snap[i].x, y = snap[i].y;
    EXPECT_EQ(x, static_cast<float>(i % 1000));
    EXPECT_EQ(y, static_cast<float>(i / 1000));
  }
}

}  // namespace
}  // namespace trevalon
