#include "model/point_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model/source_lines.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

// The register as one line: type x y z feed mark plane radius.
std::string Reg(const PointRegister& r) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "%d %.17g %.17g %.17g %d %d %d %.17g", r.type, r.x, r.y, r.z,
                r.feed, r.mark, r.plane, r.radius);
  return buf;
}

TEST(PointStore, EmptyStorePagesAndTheirLimit) {
  CPointStore s;
  s.reg.x = 7;
  EXPECT_EQ(s.FetchPoint(0), 0);
  EXPECT_EQ(s.reg.x, 7);  // register untouched
  EXPECT_EQ(s.PrevMotion(5), 0u);
  EXPECT_EQ(s.NextMotion(0), 0u);
  double mn[3], mx[3];
  EXPECT_EQ(s.Extent(mn, mx), 0);
  EXPECT_EQ(std::tuple(mn[0], mx[2]), std::tuple(10000.0, -10000.0));
  // A failed page allocation stores nothing; pages come on the first store into them.
  s.reg = PointRegister{};
  s.reg.type = MOVE_LINE;
  FailRecordAllocationsAfter(0);
  EXPECT_EQ(s.StorePoint(0), 0);
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(s.AllocatedPages(), 0u);
  EXPECT_EQ(s.StorePoint(13'079'999), 1);  // last slot of page 3999
  EXPECT_EQ(s.StorePoint(13'080'000), 0);
  EXPECT_EQ(std::tuple(s.AllocatedPages(), s.count), std::tuple(1u, 0u));  // count unchanged
  EXPECT_EQ(s.StorePoint(3270), 1);
  EXPECT_EQ(s.AllocatedPages(), 2u);
  EXPECT_EQ(s.StorePoint(0), 1);
}

// Single floats, the low 16 bits of the feed (sign-extended); an insane record becomes the
// null record on a fetch (y is not tested), its mark unchanged, the register keeping the
// previous point.
TEST(PointStore, RecordsKeepSingleFloatsAndLow16BitsAndInsaneOnesBecomeNull) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 1.1, -2.2, 3.3, 40000, -1);
  AddPoints(s, "3 40000 0 0 100 1, 3 0 40000 0 100");
  ASSERT_EQ(s.FetchPoint(0), 1);
  EXPECT_EQ(Reg(s.reg), Reg({static_cast<float>(1.1), static_cast<float>(-2.2),
                             static_cast<float>(3.3), 40000 - 65536, -1, MOVE_LINE}));
  EXPECT_EQ(s.FetchPoint(1), 0);
  EXPECT_EQ(s.reg.x, static_cast<float>(1.1));
  EXPECT_EQ(s.FetchPoint(1), 0);
  const PointRecord* r = s.RawRecord(1);
  EXPECT_EQ(std::tuple(float{r->x}, float{r->z}, int{r->feed}, int{r->type}, int{r->mark}),
            std::tuple(32700.0f, 32700.0f, 300, 0, 1));
  EXPECT_EQ(s.FetchPoint(2), 1);
  EXPECT_EQ(s.reg.y, 40000.0);
}

TEST(PointStore, WalksSegmentsExtentSelectionAndClear) {
  CPointStore s;
  // The walk helpers skip centre records and leave the register as their last fetch.
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

  // Segment lengths below the floor are zero, and leave the direction as it was.
  s.count = 0;
  AddPoints(s, "3 0 0 0, 3 3 4 0, 3 3.00003 4 0");
  double d[4], u[3] = {9, 9, 9};
  EXPECT_EQ(s.Segment(0, 0, d, u), 0);
  EXPECT_EQ(u[0], 0.0);
  EXPECT_EQ(s.Segment(1, 0, d, u), 1);
  EXPECT_DOUBLE_EQ(d[3], 5.0);
  EXPECT_DOUBLE_EQ(u[1], 0.8);
  u[0] = 42;
  EXPECT_EQ(s.Segment(2, 1, d, u), 0);
  EXPECT_EQ(std::tuple(d[3], u[0]), std::tuple(0.0, 42.0));

  // The extent counts linear moves and the start of first cuts (the rapid before it).
  s.count = 0;
  AddPoints(s, "1 -50 -50 50, 2 1 2 10, 3 1 2 0 100, 4 5 6 -1 100, 8 99 99 -1 100, 91 1 1 0 100");
  double mn[3], mx[3];
  ASSERT_EQ(s.Extent(mn, mx), 1);
  EXPECT_EQ(std::vector<double>(mn, mn + 3), (std::vector<double>{1, 2, -1}));
  EXPECT_EQ(std::vector<double>(mx, mx + 3), (std::vector<double>{5, 6, 10}));

  // Selection operations touch motion points only: -1 becomes 1, centre records stay.
  s.count = 0;
  AddPoints(s, "3 0 0 0 1 -1, 4 1 0 0 1 1, 8 2 0 0 1 0, 91 1 0 0 1 0");
  auto marks = [&] {
    std::string m;
    for (std::uint32_t i = 0; i < s.count; ++i) m += std::to_string(s.RawRecord(i)->mark) + " ";
    return m;
  };
  s.InvertSelection();
  EXPECT_EQ(marks(), "1 0 1 0 ");
  s.ClearSelection();
  EXPECT_EQ(marks(), "0 0 0 0 ");
  AddPoint(s, MOVE_LINE, 0, 0, 0, 1, -1);
  s.ClearMarks();
  EXPECT_EQ(marks(), "0 0 0 0 0 ");

  // Clear takes an undo snapshot.
  CUndoRing undo;
  s.Clear(undo);
  EXPECT_EQ(s.count, 0u);
  EXPECT_EQ(undo.Undo(s), 1);
  ASSERT_EQ(s.count, 5u);
  ASSERT_EQ(s.FetchPoint(1), 1);
  EXPECT_EQ(s.reg.x, 1.0);
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
  const std::string before = Reg(s.reg);
  PointRegister seen[std::size(probes)];
  std::vector<int> results;
  for (std::size_t k = 0; k < std::size(probes); ++k) {
    seen[k].x = -7;  // left alone where nothing can be read
    results.push_back(s.Peek(probes[k], seen[k]));
  }
  EXPECT_EQ(Reg(s.reg), before);
  EXPECT_EQ(float{s.RawRecord(1)->x}, 40000.0f);  // the unsound record is not rewritten
  EXPECT_EQ(results, (std::vector<int>{1, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(std::tuple(seen[4].x, seen[5].x), std::tuple(-7.0, -7.0));

  // A fetch gives the same result; where it loads the register, it loads what Peek read. An
  // unsound record is read by Peek as the null record a fetch turns it into.
  for (std::size_t k = 0; k < 4; ++k) {
    const std::string r = Reg(s.reg);
    EXPECT_EQ(s.FetchPoint(probes[k]), results[k]) << k;
    if (k == 1) {
      EXPECT_EQ(Reg(s.reg), r);  // the fetch that rewrites loads nothing
      EXPECT_EQ(s.FetchPoint(1), 0);
    }
    seen[k].plane = s.reg.plane, seen[k].radius = s.reg.radius;
    EXPECT_EQ(Reg(s.reg), Reg(seen[k])) << k;
  }
  EXPECT_EQ(std::tuple(seen[1].mark, seen[1].feed, seen[1].y), std::tuple(1, 300, 32700.0));
}

// Pages are cut from large blocks: pages given back in any order and taken again never
// disturb the records of the pages still held, across many blocks, and a store filled past
// several blocks reads back what it was given, walked backward, copied out or snapshotted.
TEST(PointStore, PagesFromSharedBlocksKeepTheirRecords) {
  std::vector<RecordPage*> held;
  for (int k = 0; k < 120; ++k) {
    RecordPage* p = NewRecordPage();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::tuple(p->refs, p->sound), std::tuple(1u, 0u));
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
    EXPECT_EQ(std::tuple(float{p->records[0].x}, long{p->records[kRecordsPerPage - 1].feed}),
              std::tuple(static_cast<float>(k), long{k}));
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
  for (std::uint32_t i = n; i-- > 0;) {  // a walk backward across the pages
    ASSERT_EQ(s.FetchPoint(i), 1);
    ASSERT_EQ(s.reg.x, i % 1000);
  }
  std::vector<PointRecord> copy(n);
  s.CopyRecordsOut(copy.data(), n);
  EXPECT_EQ(float{copy[n - 1].y}, static_cast<float>((n - 1) / 1000));
  RecordSnapshot snap;
  ASSERT_EQ(s.Snapshot(snap), 1);
  s.ReleasePages();
  for (std::uint32_t i = 0; i < n; i += 997) {
    // Records are packed: copy the members out rather than bind a reference to them.
    EXPECT_EQ(std::tuple(float{snap[i].x}, float{snap[i].y}),
              std::tuple(static_cast<float>(i % 1000), static_cast<float>(i / 1000)))
        << i;
  }
}

// ---- The source number table -------------------------------------------------------------------

// The table of source numbers: blocks of a fixed size that grow, shrink, move their numbers
// and are shared by copies without copying what they hold, checked against a plain vector
// through every kind of change.

TEST(SourceNumberTable, FollowsAPlainVectorAcrossBlocks) {
  constexpr std::size_t kBlock = SourceNumberTable::kBlock;
  SourceNumberTable t;
  std::vector<std::uint32_t> want;
  std::mt19937 rng(7);
  const auto check = [&](const SourceNumberTable& got) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); i += 1 + i / 7) ASSERT_EQ(got[i], want[i]) << i;
    if (!want.empty()) {
      ASSERT_EQ(got[want.size() - 1], want.back());
    }
  };
  // Growing by one and by runs over block edges, shrinking into a block and to nothing, and a
  // copy that must not share what it holds.
  const std::size_t sizes[] = {1,          2,          kBlock - 1, kBlock + 3, kBlock + 3,
                               2 * kBlock, kBlock / 2, 0,          3 * kBlock, kBlock + 1};
  std::uint32_t fill = 1;
  for (const std::size_t n : sizes) {
    ++fill;
    while (want.size() + 1 < n && rng() % 2 == 0) {
      t.PushBack(fill);
      want.push_back(fill);
    }
    t.Resize(n, fill);
    want.resize(n, fill);
    check(t);
    if (n > 0) {
      const std::size_t k = rng() % n;
      const std::uint32_t v = 0xABCD0000u + static_cast<std::uint32_t>(k);
      t.Set(k, v);
      want[k] = v;
      // A later text edit moves the numbers after a record, kNone staying kNone.
      const std::size_t from = rng() % n;
      const std::uint32_t shift = 1 + rng() % 1000;
      t.Set(from, 0);
      want[from] = 0;
      t.Shift(from, shift);
      for (std::size_t i = from; i < n; ++i) want[i] += want[i] == 0 ? 0 : shift;
      check(t);
    }
    SourceNumberTable copy = t;
    check(copy);
    if (n > 0) copy.Set(0, 99);
    if (n > 1) copy.Shift(1, 7);
    check(t);
  }
  // A block moved whole keeps what it adds beside its numbers: a number equal to that amount
  // must still read back as itself, not as kNone.
  SourceNumberTable u;
  u.Resize(3 * kBlock, 10);
  u.Shift(kBlock, 5);
  u.Set(kBlock + 3, 5);
  EXPECT_EQ(u[kBlock + 3], 5u);
  EXPECT_EQ(u[kBlock + 4], 15u);
  EXPECT_EQ(u[kBlock - 1], 10u);
  u.Shift(kBlock + 4, 0xFFFFFFFFu);  // minus one
  EXPECT_EQ(u[kBlock + 3], 5u);
  EXPECT_EQ(u[2 * kBlock], 14u);
}

}  // namespace
}  // namespace trevalon
