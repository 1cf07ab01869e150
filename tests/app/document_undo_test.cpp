// Each document keeps its own undo history and its own NC reader state: an undo in one
// window never brings back a state another window recorded, and a new document reads as a
// fresh start does while a document's later reads carry the modal state over.

#include <gtest/gtest.h>

#include <tuple>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

TEST(DocumentUndo, UndoInOneDocumentRestoresOnlyItsOwnState) {
  AppInTempDir a;
  CDocument& first = *a.doc;
  CDocument& second = a.app.NewDocument();
  InitDocument(a.app, second);
  ASSERT_TRUE(LoadNcCommand(a.app, first, TestData("pocket_ijk.nc")).ok());
  ASSERT_TRUE(LoadNcCommand(a.app, second, TestData("face_mill.nc")).ok());
  const std::string firstProgram = Records(first.store);
  const std::string secondProgram = Records(second.store);
  ASSERT_NE(firstProgram, secondProgram);

  // The second is edited first, the first last: a ring shared by both would give the first
  // program back into the second store.
  ASSERT_EQ(ClearCommand(a.app, second), 1);
  ASSERT_EQ(ClearCommand(a.app, first), 1);
  ASSERT_EQ(UndoCommand(a.app, second), 1);
  EXPECT_EQ(Records(second.store), secondProgram);
  EXPECT_EQ(first.store.count, 0u);  // untouched by the other window's undo
  // Before that, the second's history holds only its load into the empty window.
  ASSERT_EQ(UndoCommand(a.app, second), 1);
  EXPECT_EQ(second.store.count, 0u);
  EXPECT_EQ(UndoCommand(a.app, second), 0);
  EXPECT_EQ(a.platform.helpText, "Nothing to undo");
  ASSERT_EQ(UndoCommand(a.app, first), 1);
  EXPECT_EQ(Records(first.store), firstProgram);
  EXPECT_EQ(a.platform.helpText, "Undo: delete all paths");
  // Redo in each brings back only its own steps.
  ASSERT_EQ(RedoCommand(a.app, first), 1);
  EXPECT_EQ(std::tuple(a.platform.helpText, first.store.count, second.store.count),
            std::tuple("Redo: delete all paths", 0u, 0u));
  // Closing a document takes its history with it; the other keeps its own.
  a.app.CloseDocument(&first);
  ASSERT_EQ(RedoCommand(a.app, second), 1);
  EXPECT_EQ(a.platform.helpText, "Redo: load NC program");
  EXPECT_EQ(Records(second.store), secondProgram);
}

TEST(DocumentUndo, ANewDocumentReadsFromTheInitialModalState) {
  AppInTempDir a;
  // The first program ends at X50 Y40 Z-1 in G01; the second only names Y.
  const std::string setUp = a.Write("set_up.nc", "G0 X50. Y40. Z5.\nG1 Z-1. F200\n");
  const std::string onlyY = a.Write("only_y.nc", "Y60.\nY70.\n");

  // What a fresh start reads from the second program alone.
  AppInTempDir fresh;
  ASSERT_TRUE(LoadNcCommand(fresh.app, *fresh.doc, onlyY).ok());
  const std::string alone = Records(fresh.doc->store);

  // Within one document the modal state of the read before carries over.
  CDocument& d = *a.doc;
  ASSERT_TRUE(LoadNcCommand(a.app, d, setUp).ok());
  ASSERT_TRUE(LoadNcCommand(a.app, d, onlyY).ok());
  const std::string carried = Records(d.store);
  EXPECT_NE(carried, alone);
  EXPECT_NE(carried.find("50 60 -1"), std::string::npos) << carried;

  // A document opened after that reads as the fresh start does, and the first document's
  // state stays its own.
  CDocument& other = a.app.NewDocument();
  InitDocument(a.app, other);
  ASSERT_TRUE(LoadNcCommand(a.app, other, onlyY).ok());
  EXPECT_EQ(Records(other.store), alone);
  ASSERT_TRUE(LoadNcCommand(a.app, d, onlyY).ok());
  EXPECT_EQ(Records(d.store), carried);
}

}  // namespace
}  // namespace trevalon::testing
