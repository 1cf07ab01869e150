#include <gtest/gtest.h>

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

TEST(Layers, SwitchingSavesAndRestoresExactly) {
  CPointStore s;
  CLayerTable t;
  Fill(s, 10, 1.0);
  EXPECT_EQ(t.SwitchWorkLayer(0, s), 0);  // same layer: nothing
  ASSERT_EQ(t.SwitchWorkLayer(4, s), 1);
  EXPECT_EQ(s.count, 0u);  // never filled
  ASSERT_EQ(t.SwitchWorkLayer(0, s), 1);
  ASSERT_EQ(s.count, 10u);
  ASSERT_EQ(s.FetchPoint(9), 1);
  EXPECT_EQ(s.reg.mark, 1);
  EXPECT_EQ(s.reg.y, 9);
}

TEST(Layers, SnapshotsCarryNoBrokenRecords) {
  CPointStore s;
  CLayerTable t;
  AddPoint(s, MOVE_LINE, 40000, 0, 0, 5);
  ASSERT_EQ(t.SaveLayer(1, s), 1);
  EXPECT_EQ(t[1].snapshot[0].type, MOVE_NONE);
  EXPECT_EQ(float{t[1].snapshot[0].x}, 32700.0f);
}

TEST(Layers, AppendPutsSourceBehindDestinationAndKeepsDestinationAttributes) {
  CPointStore s;
  CLayerTable t;
  Fill(s, 500, 3.0);
  t.SaveLayer(3, s);
  Fill(s, 200, 5.0);
  t.SaveLayer(5, s);
  t[5].name = "roughing";
  t[3].fileName = "/nc/finish.nc";
  ASSERT_EQ(t.AppendLayer(3, 5), 1);
  ASSERT_EQ(t[5].snapshotCount, 700u);
  EXPECT_EQ(float{t[5].snapshot[0].x}, 5.0f);
  EXPECT_EQ(float{t[5].snapshot[200].x}, 3.0f);
  EXPECT_EQ(t[5].name, "roughing");
  EXPECT_EQ(t[5].fileName, "Layer 5");
  EXPECT_FALSE(t[CLayerTable::kScratch].snapshotAllocated);
}

TEST(Layers, AppendingAnEmptyLayerCopiesIt) {
  CPointStore s;
  CLayerTable t;
  Fill(s, 20, 1.0);
  t.SaveLayer(7, s);
  t[2].fileName = "empty.nc";
  t[2].toolNumber = 9;
  ASSERT_EQ(t.AppendLayer(2, 7), 1);
  EXPECT_EQ(t[7].snapshotCount, 0u);
  EXPECT_EQ(t[7].fileName, "empty.nc");
  EXPECT_EQ(t[7].toolNumber, 9);
}

TEST(Layers, FailedAppendRestoresTheDestination) {
  CPointStore s;
  CLayerTable t;
  Fill(s, 30, 1.0);
  t.SaveLayer(1, s);
  Fill(s, 40, 2.0);
  t.SaveLayer(2, s);
  FailRecordAllocationsAfter(0);  // the combined array cannot be had
  EXPECT_EQ(t.AppendLayer(1, 2), 0);
  FailRecordAllocationsAfter(-1);
  ASSERT_EQ(t[2].snapshotCount, 40u);
  EXPECT_EQ(float{t[2].snapshot[39].x}, 2.0f);
}

TEST(Layers, ListParserTakesNumbersAndRanges) {
  EXPECT_EQ(ParseLayerList("3 7-9 20"), (std::vector<int>{3, 7, 8, 9, 20}));
  EXPECT_TRUE(ParseLayerList("5-2").empty());
  EXPECT_EQ(ParseLayerList("0-99").size(), 100u);
  EXPECT_EQ(ParseLayerList("150 -3 x 2"), (std::vector<int>{2}));
  EXPECT_EQ(ParseLayerList("1 3-5 2"), (std::vector<int>{1, 3, 4, 5, 2}));
  EXPECT_TRUE(ParseLayerList("--- 9999999999999999999 1-").empty());
}

TEST(UndoRing, ElevenEditsAllowNineUndos) {
  CPointStore s;
  CUndoRing u;
  Fill(s, 1, 0);  // the state before edit k has k points
  for (int edit = 1; edit <= 11; ++edit) {
    u.SaveUndo(s);
    Fill(s, edit + 1, edit);
  }
  int undone = 0;
  while (u.Undo(s)) ++undone;
  EXPECT_EQ(undone, 9);
  EXPECT_EQ(s.count, 3u);  // the ninth restores the state before the third edit
}

TEST(UndoRing, RedoReturnsToTheNewestStateOnce) {
  CPointStore s;
  CUndoRing u;
  Fill(s, 3, 1);
  u.SaveUndo(s);
  Fill(s, 5, 2);
  ASSERT_EQ(u.Undo(s), 1);
  EXPECT_EQ(s.count, 3u);
  ASSERT_EQ(u.Redo(s), 1);
  EXPECT_EQ(s.count, 5u);
  EXPECT_EQ(u.Redo(s), 0);
  EXPECT_EQ(s.count, 5u);
}

TEST(UndoRing, EmptyStoreRecordsNothing) {
  CPointStore s;
  CUndoRing u;
  u.SaveUndo(s);
  Fill(s, 4, 1);
  EXPECT_EQ(u.Undo(s), 0);
  EXPECT_EQ(s.count, 4u);
}

TEST(UndoRing, IsSharedBetweenDocuments) {
  CPointStore a, b;
  CUndoRing u;
  Fill(a, 6, 1);
  u.SaveUndo(a);
  Fill(b, 2, 2);
  ASSERT_EQ(u.Undo(b), 1);  // b gets a's recorded state
  EXPECT_EQ(b.count, 6u);
}

class LayerCommands : public ::testing::Test {
 protected:
  HeadlessPlatform platform;
  CApplication app{platform};
  CDocument& doc = app.NewDocument();
};

TEST_F(LayerCommands, CopyAsksBeforeMixingTools) {
  Fill(doc.store, 10, 1);
  doc.layers.SaveLayer(3, doc.store);
  doc.layers[3].toolNumber = 7;
  platform.answers = {Answer::Cancel};
  EXPECT_EQ(CopyLayerCommand(app, doc, 3, 0), 0);
  EXPECT_EQ(platform.lastCaption, "Korvo message");
  EXPECT_EQ(doc.store.count, 10u);
  platform.answers = {Answer::Ok};
  EXPECT_EQ(CopyLayerCommand(app, doc, 3, 0), 1);
  EXPECT_EQ(doc.store.count, 20u);  // the work layer got the combined points
}

TEST_F(LayerCommands, SwitchSetsTitleAndEchoListChangesFlags) {
  doc.layers[2].fileName = "/jobs/a.nc";
  EXPECT_EQ(SwitchLayerCommand(doc, 2), 1);
  EXPECT_EQ(doc.title, "/jobs/a.nc");
  EXPECT_EQ(SwitchLayerCommand(doc, 100), 0);
  EchoLayersCommand(doc, false, "0-99");
  EXPECT_FALSE(doc.layers[99].echo);
  EchoLayersCommand(doc, true, "5-2");
  EXPECT_FALSE(doc.layers[3].echo);
}

}  // namespace
}  // namespace trevalon
