// The record store (its pages, the register, walks, shared blocks and the source-line numbers),
// the layers kept beside it and the undo ring of its snapshots.

#include "model/point_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "app/layer_commands.h"
#include "model/layer_table.h"
#include "model/source_lines.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

// A store, its undo ring and its layers, fresh for each test.
struct StoreTest : ::testing::Test {
  CPointStore s;
  CUndoRing u;
  CLayerTable t;
};
using PointStore = StoreTest;
using Layers = StoreTest;
using SharedPages = StoreTest;
using UndoRing = StoreTest;

// The register as one line: type x y z feed mark plane radius.
std::string Reg(const PointRegister& r) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "%d %.17g %.17g %.17g %d %d %d %.17g", r.type, r.x, r.y, r.z,
                r.feed, r.mark, r.plane, r.radius);
  return buf;
}

TEST_F(PointStore, EmptyStorePagesAndTheirLimit) {
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
TEST_F(PointStore, RecordsKeepSingleFloatsAndLow16BitsAndInsaneOnesBecomeNull) {
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

TEST_F(PointStore, WalksSegmentsExtentSelectionAndClear) {
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
  s.InvertSelection();
  EXPECT_EQ(Marks(s), "1010");
  s.ClearSelection();
  EXPECT_EQ(Marks(s), "0000");
  AddPoint(s, MOVE_LINE, 0, 0, 0, 1, -1);
  s.ClearMarks();
  EXPECT_EQ(Marks(s), "00000");

  // Clear takes an undo snapshot.
  CUndoRing undo;
  s.Clear(undo);
  EXPECT_EQ(s.count, 0u);
  EXPECT_EQ(undo.Undo(s), 1);
  ASSERT_EQ(s.count, 5u);
  ASSERT_EQ(s.FetchPoint(1), 1);
  EXPECT_EQ(s.reg.x, 1.0);
}

TEST_F(PointStore, PeekReadsWhatAFetchLoadsAndChangesNothing) {
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
TEST_F(PointStore, PagesFromSharedBlocksKeepTheirRecords) {
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

// ---- Layers and undo ---------------------------------------------------------------------------

void Fill(CPointStore& s, int n, double tag) {
  s.count = 0;
  for (int i = 0; i < n; ++i) AddPoint(s, MOVE_LINE_CONT, tag, i, 0, 100, i % 2);
}

// Switching to the work layer itself does nothing. (What a switch saves and restores, and
// that a snapshot carries no broken record: the SharedPages tests below.)
TEST_F(Layers, SwitchingToTheWorkLayerDoesNothing) {
  Fill(s, 10, 1.0);
  EXPECT_EQ(t.SwitchWorkLayer(0, s), 0);
  EXPECT_EQ(s.count, 10u);
}

// Appending puts the source behind the destination and keeps the destination's attributes;
// an empty source layer is copied whole; a failed append leaves the destination as it was.
TEST_F(Layers, Append) {
  Fill(s, 500, 3.0);
  t.SaveLayer(3, s);
  Fill(s, 200, 5.0);
  t.SaveLayer(5, s);
  t[5].name = "roughing";
  t[3].fileName = "/nc/finish.nc";
  ASSERT_EQ(t.AppendLayer(3, 5), 1);
  ASSERT_EQ(t[5].snapshot.count(), 700u);
  EXPECT_EQ(std::tuple(float{t[5].snapshot[0].x}, float{t[5].snapshot[200].x}, t[5].name,
                       t[5].fileName, t[CLayerTable::kScratch].snapshotAllocated),
            std::tuple(5.0f, 3.0f, "roughing", "Layer 5", false));

  t[2].fileName = "empty.nc";
  t[2].toolNumber = 9;
  ASSERT_EQ(t.AppendLayer(2, 5), 1);
  EXPECT_EQ(std::tuple(t[5].snapshot.count(), t[5].fileName, t[5].toolNumber),
            std::tuple(0u, "empty.nc", 9));

  Fill(s, 30, 1.0);
  t.SaveLayer(1, s);
  FailRecordAllocationsAfter(0);  // the combined array cannot be had
  EXPECT_EQ(t.AppendLayer(1, 3), 0);
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(std::tuple(t[3].snapshot.count(), float{t[3].snapshot[499].x}), std::tuple(500u, 3.0f));
}

// Every record below count as it reads through the store or a snapshot: x, y, feed, mark and
// type, enough to tell the states of these tests apart.
using Contents = std::vector<std::array<double, 5>>;
template <class R>  // a record or the register
Contents Of(const R& r) {
  return {{r.x, r.y, static_cast<double>(r.feed), static_cast<double>(r.mark),
           static_cast<double>(r.type)}};
}
Contents Of(CPointStore& s) {
  Contents c;
  for (std::uint32_t i = 0; i < s.count; ++i) c.push_back(Of((s.FetchPoint(i), s.reg))[0]);
  return c;
}
Contents Of(const RecordSnapshot& a) {
  Contents c;
  for (std::uint32_t i = 0; i < a.count(); ++i) c.push_back(Of(a[i])[0]);
  return c;
}

void Edit(CPointStore& s, std::uint32_t i, double tag) {
  ASSERT_EQ(s.FetchPoint(i), 1);
  s.reg.x = tag;
  s.reg.mark = -1;
  ASSERT_EQ(s.StorePoint(i), 1);
}

std::size_t DistinctPages(const CPointStore& s, const CUndoRing& u, const CLayerTable& t) {
  PageTally tally;
  s.TallyPages(tally);
  u.TallyPages(tally);
  t.TallyPages(tally);
  return tally.Pages();
}

constexpr std::uint32_t kPage = CPointStore::kPageSize;

TEST_F(SharedPages, SnapshotsKeepTheirRecordsWhateverTheStoreWrites) {
  Fill(s, 2 * kPage + 100, 1.0);
  const Contents a = Of(s);
  u.SaveUndo(s);
  ASSERT_EQ(t.SaveLayer(0, s), 1);
  EXPECT_EQ(DistinctPages(s, u, t), 3u);  // neither snapshot copied a page
  Edit(s, 5, 2.0);
  EXPECT_EQ(DistinctPages(s, u, t), 4u);  // the first write copied its page, only that one
  Edit(s, 6, 2.5);
  EXPECT_EQ(DistinctPages(s, u, t), 4u);
  const Contents b = Of(s);
  ASSERT_NE(a, b);
  EXPECT_EQ(Of(t[0].snapshot), a);

  ASSERT_EQ(u.Undo(s), 1);  // records b, brings back a
  EXPECT_EQ(Of(s), a);
  Edit(s, kPage + 1, 3.0);  // a write after a restore must not reach the restored slot
  ASSERT_EQ(u.Redo(s), 1);
  EXPECT_EQ(Of(s), b);
  ASSERT_EQ(u.Undo(s), 1);
  EXPECT_EQ(Of(s), a);
  ASSERT_EQ(u.Redo(s), 1);
  Edit(s, 2 * kPage, 4.0);
  const Contents c = Of(s);

  ASSERT_EQ(t.SwitchWorkLayer(1, s), 1);  // layer 0 takes c, layer 1 was never filled
  ASSERT_EQ(s.count, 0u);
  Fill(s, 50, 5.0);  // writes into pages that layer 0 holds
  const Contents d = Of(s);
  ASSERT_EQ(t.SwitchWorkLayer(0, s), 1);
  EXPECT_EQ(Of(s), c);
  Edit(s, 0, 6.0);
  const Contents e = Of(s);
  ASSERT_EQ(t.SwitchWorkLayer(1, s), 1);
  EXPECT_EQ(Of(s), d);
  ASSERT_EQ(t.SwitchWorkLayer(0, s), 1);
  EXPECT_EQ(Of(s), e);
  ASSERT_EQ(u.Undo(s), 1);
  EXPECT_EQ(Of(s), a);
  ASSERT_EQ(u.Redo(s), 1);
  EXPECT_EQ(Of(s), b);
  EXPECT_EQ(Of(t[1].snapshot), d);
}

// SaveLayer must leave the store, the register and the snapshot exactly as a walk of
// FetchPoint over every record would, pages shared with an undo slot or never allocated too.
TEST_F(SharedPages, SavingALayerActsAsAFetchOfEveryRecord) {
  CPointStore shared, walked;
  for (CPointStore* s : {&shared, &walked}) {
    for (std::uint32_t i = 0; i < 3 * kPage + 40; ++i) {
      s->count = i;
      if (i / kPage == 1) continue;  // page 1 is never written
      // Unsound records here and there, and all through the last page.
      const bool broken = i % 997 == 3 || i >= 3 * kPage;
      AddPoint(*s, i % 7 == 0 ? MOVE_RAPID : MOVE_LINE_CONT, i % 1999 == 5 ? 40000.0 : i, -2.0 * i,
               broken ? -50000.0 : 1.0, i % 300, i % 3 - 1);
    }
  }
  u.SaveUndo(shared);
  ASSERT_EQ(t.SaveLayer(2, shared), 1);
  for (std::uint32_t i = 0; i < walked.count; ++i) walked.FetchPoint(i);

  // The register holds the last sound record, a page back.
  EXPECT_EQ(std::tuple(Of(shared.reg), shared.reg.y, shared.AllocatedPages()),
            std::tuple(Of(walked.reg), -2.0 * (3 * kPage - 1), 3u));
  for (std::uint32_t i = 0; i < walked.count; ++i) {
    const PointRecord* w = walked.RawRecord(i);
    const Contents expected = w ? Of(*w) : Contents{{32700.0, 32700.0, 300, 0, MOVE_NONE}};
    if (w) {
      ASSERT_EQ(Of(*shared.RawRecord(i)), expected) << i;
    }
    ASSERT_EQ(Of(t[2].snapshot[i]), expected) << i;
  }
  // The undo slot keeps the records as recorded, unsound ones included, and null records
  // where the store had no page.
  ASSERT_EQ(u.Undo(shared), 1);
  EXPECT_EQ(float{shared.RawRecord(3)->z}, -50000.0f);
  EXPECT_EQ(Of(*shared.RawRecord(kPage + 1)), (Contents{{32700.0, 32700.0, 300, 0, MOVE_NONE}}));
  EXPECT_EQ(shared.FetchPoint(3), 0);  // a fetch rewrites the store's record, not the slot's
  EXPECT_EQ(float{shared.RawRecord(3)->z}, 32700.0f);
  ASSERT_EQ(u.Redo(shared), 1);
  ASSERT_EQ(u.Undo(shared), 1);
  EXPECT_EQ(float{shared.RawRecord(3)->z}, -50000.0f);
}

TEST_F(SharedPages, AppendAcrossPagesCopiesOnlyWhatFollowsTheLastWholePage) {
  Fill(s, kPage + 10, 3.0);
  t.SaveLayer(3, s);
  Fill(s, 2 * kPage + 7, 5.0);
  t.SaveLayer(5, s);
  Fill(s, kPage, 6.0);
  t.SaveLayer(6, s);
  s.ReleasePages();
  const Contents three = Of(t[3].snapshot), five = Of(t[5].snapshot), six = Of(t[6].snapshot);
  EXPECT_EQ(DistinctPages(s, u, t), 2u + 3u + 1u);

  ASSERT_EQ(t.AppendLayer(3, 5), 1);
  Contents joined = five;
  joined.insert(joined.end(), three.begin(), three.end());
  EXPECT_EQ(Of(t[5].snapshot), joined);
  EXPECT_EQ(Of(t[3].snapshot), three);
  // Layer 5 keeps its two whole pages; its last 7 records and layer 3's went into two new ones.
  EXPECT_EQ(DistinctPages(s, u, t), 2u + 4u + 1u);

  ASSERT_EQ(t.AppendLayer(3, 6), 1);  // layer 6 ends on a page boundary: nothing is copied
  joined = six;
  joined.insert(joined.end(), three.begin(), three.end());
  EXPECT_EQ(Of(t[6].snapshot), joined);
  EXPECT_EQ(DistinctPages(s, u, t), 7u);
  t.RestoreLayer(6, s);
  Edit(s, kPage + 2, 7.0);
  EXPECT_EQ(Of(t[3].snapshot), three);
  EXPECT_EQ(Of(t[6].snapshot), joined);
}

TEST_F(Layers, ListParserTakesNumbersAndRanges) {
  EXPECT_EQ(ParseLayerList("3 7-9 20"), (std::vector<int>{3, 7, 8, 9, 20}));
  EXPECT_TRUE(ParseLayerList("5-2").empty());
  EXPECT_EQ(ParseLayerList("0-99").size(), 100u);
  EXPECT_EQ(ParseLayerList("150 -3 x 2"), (std::vector<int>{2}));
  EXPECT_EQ(ParseLayerList("1 3-5 2"), (std::vector<int>{1, 3, 4, 5, 2}));
  EXPECT_TRUE(ParseLayerList("--- 9999999999999999999 1-").empty());
}

// Eleven edits allow nine undos; redo returns to the newest state once; an empty store is
// recorded as any other, so undo after a command on an empty toolpath empties it again.
TEST_F(UndoRing, NineUndosOneRedoAndAnEmptyStoreIsAState) {
  CPointStore other;
  EXPECT_EQ(u.Undo(s), 0);  // nothing recorded yet
  u.SaveUndo(s, Txt::CmdFace);
  Fill(s, 1, 0);  // the state before edit k has k points
  ASSERT_EQ(u.Undo(s), 1);
  EXPECT_EQ(s.count, 0u);
  ASSERT_EQ(u.Redo(s), 1);
  EXPECT_EQ(s.count, 1u);
  for (int edit = 1; edit <= 11; ++edit) {
    u.SaveUndo(s);
    Fill(s, edit + 1, edit);
  }
  int undone = 0;
  while (u.Undo(s)) ++undone;
  // The ninth restores the state before the third edit.
  EXPECT_EQ(std::tuple(undone, s.count), std::tuple(9, 3u));
  int redone = 0;
  while (u.Redo(s)) ++redone;
  // Back to the newest state, and no further.
  EXPECT_EQ(std::tuple(redone, s.count), std::tuple(9, 12u));

  CUndoRing v;
  v.SaveUndo(s);
  ASSERT_EQ(v.Undo(other), 1);  // a ring restores into the store it is given
  EXPECT_EQ(other.count, 12u);
}

// Each step carries the name of its command: the next undo and redo name theirs, and the
// list names every step undo can still reach, the newest first, up to the ring's depth.
TEST_F(UndoRing, StepsCarryTheirCommandsNames) {
  EXPECT_EQ(std::tuple(u.UndoName(), u.UndoNames().size()), std::tuple(std::nullopt, 0u));
  const Txt names[] = {Txt::CmdLoad, Txt::CmdSort, Txt::CmdTrimInside};
  for (int k = 0; k < 3; ++k) {
    u.SaveUndo(s, names[k]);
    Fill(s, k + 1, k);
  }
  u.SaveUndo(s);  // a step without a name
  Fill(s, 4, 3);
  EXPECT_EQ(std::tuple(u.UndoName(), u.CanUndo()), std::tuple(std::nullopt, true));
  EXPECT_EQ(u.UndoNames(), (std::vector<std::optional<Txt>>{std::nullopt, Txt::CmdTrimInside,
                                                            Txt::CmdSort, Txt::CmdLoad}));
  ASSERT_EQ(u.Undo(s), 1);
  ASSERT_EQ(u.Undo(s), 1);  // the trim taken back
  EXPECT_EQ(std::tuple(u.UndoName(), u.RedoName(), u.UndoNames().size()),
            std::tuple(Txt::CmdSort, Txt::CmdTrimInside, 2u));
  ASSERT_EQ(u.Redo(s), 1);
  // The step to redo is the unnamed one.
  EXPECT_EQ(std::tuple(u.UndoName(), u.RedoName(), u.CanRedo()),
            std::tuple(Txt::CmdTrimInside, std::nullopt, true));
  // A new command drops what could have been redone.
  u.SaveUndo(s, Txt::CmdReverse);
  EXPECT_EQ(std::tuple(u.CanRedo(), u.UndoName()), std::tuple(false, Txt::CmdReverse));

  // Past the ring's depth the list holds exactly what undo can still reach.
  for (int edit = 0; edit < 15; ++edit) {
    u.SaveUndo(s, edit % 2 ? Txt::CmdFace : Txt::CmdSpiral);
    Fill(s, 5 + edit, edit);
  }
  const std::size_t listed = u.UndoNames().size();
  EXPECT_EQ(std::tuple(listed, u.UndoNames().front()),
            std::tuple(CUndoRing::kSlots - 1, Txt::CmdSpiral));  // edit 14
  std::size_t undone = 0;
  while (u.Undo(s)) {
    ++undone;
    EXPECT_EQ(u.UndoNames().size(), listed - undone);
  }
  EXPECT_EQ(undone, listed);
}

class LayerCommands : public ::testing::Test {
 protected:
  HeadlessPlatform platform;
  CApplication app{platform};
  CDocument& doc = app.NewDocument();
};

// Copying asks before mixing tools; switching sets the title; echo takes a list.
TEST_F(LayerCommands, CopySwitchAndEcho) {
  Fill(doc.store, 10, 1);
  doc.layers.SaveLayer(3, doc.store);
  doc.layers[3].toolNumber = 7;
  platform.answers = {Answer::Cancel};
  EXPECT_EQ(CopyLayerCommand(app, doc, 3, 0), 0);
  EXPECT_EQ(std::tuple(platform.lastCaption, doc.store.count), std::tuple("Korvo message", 10u));
  platform.answers = {Answer::Ok};
  EXPECT_EQ(CopyLayerCommand(app, doc, 3, 0), 1);
  EXPECT_EQ(doc.store.count, 20u);  // the work layer got the combined points

  doc.layers[2].fileName = "/jobs/a.nc";
  ASSERT_EQ(SwitchLayerCommand(doc, 2), 1);
  EXPECT_EQ(doc.title, "/jobs/a.nc");
  EXPECT_EQ(SwitchLayerCommand(doc, 100), 0);
  EchoLayersCommand(doc, false, "0-99");
  EXPECT_FALSE(doc.layers[99].echo);
  EchoLayersCommand(doc, true, "5-2");
  EXPECT_FALSE(doc.layers[3].echo);
}

}  // namespace
}  // namespace trevalon
