// Whether a document holds toolpath changes that no file has: every kind of change sets it,
// only a complete output (or a load) of the layers concerned clears it; and the refusals of an
// output or a load that change nothing, seen on the desktop too.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/output_commands.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

struct App : AppInTempDir {
  Outcome Save(const std::string& name) {
    CNcOutputDlg dlg;
    dlg.outputPath = dir.file(name);
    dlg.openInEditor = false;
    return SaveNcCommand(app, *doc, dlg, doc->nc.heidenhainOutChk);
  }
};

TEST(UnwrittenChanges, EveryChangeCountsUntilTheWorkLayerIsWritten) {
  App a;
  CDocument& d = *a.doc;
  EXPECT_FALSE(d.Modified());
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("pocket_ijk.nc")).ok());
  EXPECT_FALSE(d.Modified());
  // An editing command counts from its undo snapshot on, also when it stops before its end.
  {
    EditContext ctx = MakeEditContext(a.app, d);
    CommandFrame frame(ctx);
    frame.SaveUndo(Txt::CmdUnnamed);
  }
  EXPECT_TRUE(d.Modified());
  ASSERT_TRUE(a.Save("a.nc").ok());
  EXPECT_FALSE(d.Modified());
  ASSERT_EQ(ClearCommand(a.app, d), 1);
  EXPECT_TRUE(d.Modified());
  // An emptied toolpath is not written, so it stays unwritten.
  EXPECT_FALSE(a.Save("b.nc").ok());
  EXPECT_TRUE(d.Modified());
  ASSERT_EQ(UndoCommand(a.app, d), 1);
  EXPECT_TRUE(d.Modified());
  ASSERT_TRUE(a.Save("c.nc").ok());
  ASSERT_EQ(RedoCommand(a.app, d), 1);
  EXPECT_TRUE(d.Modified());
  ASSERT_TRUE(AppendNcCommand(a.app, d, TestData("helix.nc")).ok());
  // A failed output leaves the changes unwritten; a post-processor output writes them.
  CNcOutputDlg bad;
  bad.outputPath = a.dir.file("no/such/dir/x.nc");
  EXPECT_FALSE(SaveNcCommand(a.app, d, bad, d.nc.heidenhainOutChk).ok());
  EXPECT_TRUE(d.Modified());
  CPostProcessorDlg post;
  post.outputPath = a.dir.file("p.nc");
  EXPECT_FALSE(PostProcessCommand(a.app, d, post).ok());  // a template that defines nothing
  EXPECT_TRUE(d.Modified());
  post.ppr.EditSection(kSecNewCut, "G01[$X][$Y][$Z][$F]\r\n");
  ASSERT_TRUE(PostProcessCommand(a.app, d, post).ok());
  EXPECT_FALSE(d.Modified());
  // A load makes the work layer what the file holds.
  ASSERT_EQ(ClearCommand(a.app, d), 1);
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("helix.nc")).ok());
  EXPECT_FALSE(d.Modified());
}

TEST(UnwrittenChanges, EachLayerKeepsItsOwnUntilAnOutputHoldsIt) {
  App a;
  CDocument& d = *a.doc;
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("pocket_ijk.nc")).ok());
  ASSERT_EQ(SwitchLayerCommand(d, 1), 1);
  EXPECT_FALSE(d.Modified());
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("face_mill.nc")).ok());
  a.platform.answers.push_back(Answer::Ok);  // the two layers' tools differ
  ASSERT_EQ(CopyLayerCommand(a.app, d, 0, 2), 1);
  EXPECT_TRUE(d.LayerModified(2));
  EXPECT_FALSE(d.LayerModified(1));
  ASSERT_EQ(ClearCommand(a.app, d), 1);
  // Switching hands the work layer's changes to the layer it leaves.
  ASSERT_EQ(SwitchLayerCommand(d, 0), 1);
  EXPECT_TRUE(d.LayerModified(1));
  EXPECT_FALSE(d.LayerModified(0));
  // Writing or reading the work layer does not touch the others.
  ASSERT_TRUE(a.Save("zero.nc").ok());
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("helix.nc")).ok());
  EXPECT_TRUE(d.Modified());
  int hh = 0;
  // The emptied layer alone writes nothing and stays unwritten; beside another it is written.
  EXPECT_FALSE(SaveLayersCommand(a.app, d, a.dir.file("l.nc"), "1", hh).ok());
  EXPECT_TRUE(d.LayerModified(1));
  ASSERT_TRUE(SaveLayersCommand(a.app, d, a.dir.file("l.nc"), "1 2", hh).ok());
  EXPECT_FALSE(d.LayerModified(1) || d.LayerModified(2));
  ASSERT_TRUE(SaveLayersCommand(a.app, d, a.dir.file("l.nc"), "2 0", hh).ok());
  EXPECT_FALSE(d.Modified());
}

// When neither the editor nor the desktop's own program starts, the help pane says so.
TEST(UnwrittenChanges, EditorThatDoesNotStartIsReported) {
  struct NoEditor : HeadlessPlatform {
    bool OpenInEditor(const std::string&, const std::string&) override { return false; }
  } platform;
  CApplication app(platform);
  TempDir dir;
  app.StartUp(StartOptions{dir.path().string(), "en", false});
  EXPECT_FALSE(OpenInEditor(app, "/tmp/x.nc"));
  EXPECT_EQ(platform.helpText, "Help: The editor could not be started on /tmp/x.nc.");
}

// ---- Refused outputs and loads -----------------------------------------------------------------

// Refusals that leave every file as it was must also be seen on the desktop: an output of a
// toolpath without a move and the load of an empty file each show their message (under
// "Error message") besides the reason the command returns.

const std::string kOldProgram = "%\nO1\nG00X0Y0Z5\nM30\n%\n";

TEST(OutputRefusals, EmptyToolpathIsRefusedWithAMessageAndTheFileKept) {
  struct Case {
    const char* name;
    std::function<Outcome(AppInTempDir&, const std::string&)> write;
  };
  const Case cases[] = {
      {"save",
       [](AppInTempDir& a, const std::string& path) {
         CNcOutputDlg dlg;
         dlg.outputPath = path;
         dlg.openInEditor = false;
         return SaveNcCommand(a.app, *a.doc, dlg, a.doc->nc.heidenhainOutChk);
       }},
      {"post",
       [](AppInTempDir& a, const std::string& path) {
         CPostProcessorDlg post;
         post.outputPath = path;
         post.ppr.EditSection(kSecNewCut, "G01[$X][$Y][$Z][$F]\r\n");
         return PostProcessCommand(a.app, *a.doc, post);
       }},
      {"savelayers",
       [](AppInTempDir& a, const std::string& path) {
         int heidenhain = 0;
         return SaveLayersCommand(a.app, *a.doc, path, "0", heidenhain);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AppInTempDir a;
    const std::string path = a.Write("keep.nc", kOldProgram);
    const Outcome o = c.write(a, path);
    EXPECT_EQ(std::tuple(o.code(), o.reason(), a.platform.messageCount, a.platform.lastMessage,
                         a.platform.lastCaption, ReadAll(path)),
              std::tuple(OutcomeCode::Refused, "the toolpath holds no moves; nothing written", 1,
                         a.app.Text(Txt::NothingToWrite), "Error message", kOldProgram));
  }
}

// An empty file would silently empty the work layer: refused with the file named, and the
// toolpath, its title and the undo ring stay as they were.
TEST(OutputRefusals, EmptyFileAtLoadIsSaidAndTheLayerKept) {
  AppInTempDir a;
  CDocument& d = *a.doc;
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("helix.nc")).ok());
  const std::uint32_t undoPos = d.undo.undoPos;
  const int shownBefore = a.platform.messageCount;
  const std::string empty = a.Write("empty.nc", "");
  EXPECT_EQ(LoadNcCommand(a.app, d, empty).code(), OutcomeCode::Refused);
  EXPECT_EQ(std::tuple(a.platform.messageCount, a.platform.lastMessage, a.platform.lastCaption,
                       d.store.count, d.title, d.undo.undoPos),
            std::tuple(shownBefore + 1,
                       std::string(a.app.Text(Txt::FileHoldsNoMoves)) + " " + empty + "\n",
                       "Error message", 9u, TestData("helix.nc"), undoPos));
}

// ---- Each document its own ---------------------------------------------------------------------

// Each document keeps its own undo history and its own NC reader state: an undo in one
// window never brings back a state another window recorded, and a new document reads as a
// fresh start does while a document's later reads carry the modal state over.

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
