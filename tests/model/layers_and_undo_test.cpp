#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <tuple>
#include <vector>

#include "app/layer_commands.h"
#include "model/layer_table.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;

void Fill(CPointStore& s, int n, double tag) {
  s.count = 0;
  for (int i = 0; i < n; ++i) AddPoint(s, MOVE_LINE_CONT, tag, i, 0, 100, i % 2);
}

// Switching to the work layer itself does nothing. (What a switch saves and restores, and
// that a snapshot carries no broken record: the SharedPages tests below.)
TEST(Layers, SwitchingToTheWorkLayerDoesNothing) {
  CPointStore s;
  CLayerTable t;
  Fill(s, 10, 1.0);
  EXPECT_EQ(t.SwitchWorkLayer(0, s), 0);
  EXPECT_EQ(s.count, 10u);
}

// Appending puts the source behind the destination and keeps the destination's attributes;
// an empty source layer is copied whole; a failed append leaves the destination as it was.
TEST(Layers, Append) {
  CPointStore s;
  CLayerTable t;
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

TEST(SharedPages, SnapshotsKeepTheirRecordsWhateverTheStoreWrites) {
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  CPointStore s;
  CUndoRing u;
  CLayerTable t;
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
TEST(SharedPages, SavingALayerActsAsAFetchOfEveryRecord) {
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  CPointStore shared, walked;
  CUndoRing u;
  CLayerTable t;
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

TEST(SharedPages, AppendAcrossPagesCopiesOnlyWhatFollowsTheLastWholePage) {
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  CPointStore s;
  CUndoRing u;
  CLayerTable t;
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

TEST(Layers, ListParserTakesNumbersAndRanges) {
  EXPECT_EQ(ParseLayerList("3 7-9 20"), (std::vector<int>{3, 7, 8, 9, 20}));
  EXPECT_TRUE(ParseLayerList("5-2").empty());
  EXPECT_EQ(ParseLayerList("0-99").size(), 100u);
  EXPECT_EQ(ParseLayerList("150 -3 x 2"), (std::vector<int>{2}));
  EXPECT_EQ(ParseLayerList("1 3-5 2"), (std::vector<int>{1, 3, 4, 5, 2}));
  EXPECT_TRUE(ParseLayerList("--- 9999999999999999999 1-").empty());
}

// Eleven edits allow nine undos; redo returns to the newest state once; an empty store is
// recorded as any other, so undo after a command on an empty toolpath empties it again.
TEST(UndoRing, NineUndosOneRedoAndAnEmptyStoreIsAState) {
  CPointStore s, other;
  CUndoRing u;
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
TEST(UndoRing, StepsCarryTheirCommandsNames) {
  CPointStore s;
  CUndoRing u;
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
