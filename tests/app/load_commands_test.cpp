// The load and append commands as the desktop and the command-line tool run them: undo,
// layer, title, statistics, retract height, maximum feed and messages; the NC settings
// commands; and whether a document holds changes that no file has.

#include "app/load_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <tuple>

#include "app/layer_commands.h"
#include "app/output_commands.h"
#include "model/statistics.h"
#include "ncio/nc_text_check.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

using AppendCommand = DocumentTest;
using DocumentUndo = DocumentTest;
using LoadCommand = DocumentTest;
using NcSettingsCommands = DocumentTest;
using OutputRefusals = DocumentTest;
using UnwrittenChanges = DocumentTest;

// What a refused load or append must leave as it was.
auto Kept(const CDocument& d) {
  return std::tuple(d.store.count, d.title, d.layers[0].fileName, d.layers[0].comment,
                    d.layers[0].spindle, d.undo.undoPos, d.Modified());
}

TEST_F(LoadCommand, ReplacesTheWorkLayerAndRefreshesTheDocument) {
  const std::string pocket = TestData("pocket_ijk.nc");
  ASSERT_TRUE(LoadNcCommand(a.app, d, pocket).ok());
  EXPECT_EQ(std::tuple(d.title, d.layers[0].fileName, d.layers[0].snapshot.count(), d.store.count,
                       d.store.stats.maxFeed, d.store.stats.cuttingLength, d.retractHeight,
                       d.maxFeed, a.platform.messageCount),
            std::tuple(pocket, pocket, 12u, 12u, 800, 67.0, 5.0, 800, 0));
  // A second load is undoable back to the first program.
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("face_mill.nc")).ok());
  EXPECT_EQ(std::tuple(d.store.count, d.retractHeight, d.maxFeed), std::tuple(8u, 50.0, 1200));
  ASSERT_EQ(d.undo.Undo(d.store), 1);
  EXPECT_EQ(d.store.count, 12u);
}

// Extended reading: a program whose run stops (here an alarm) is loaded up to the stop with
// the steps of any load (undo, title, statistics), said, and the work layer marked; a later
// load that runs to its end clears the mark, an append that stops sets it.
TEST_F(LoadCommand, ExtendedReadThatStopsKeepsWhatWasReadAndMarksTheLayer) {
  d.nc.extendedReadingChk = 1;
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("pocket_ijk.nc")).ok());
  const std::string alarm =
      a.Write("alarm.nc", "G0 X0 Y0 Z5\nG1 X10 F100\n#3000=1 (TOOL BROKEN)\nG1 X20\n");
  const Outcome o = LoadNcCommand(a.app, d, alarm);
  EXPECT_EQ(o.code(), OutcomeCode::Refused);
  EXPECT_NE(o.reason().find("TOOL BROKEN"), std::string::npos) << o.reason();
  EXPECT_NE(o.reason().find("loaded (2 records)"), std::string::npos) << o.reason();
  EXPECT_TRUE(ReadStopped(d));
  // The rapid to Z5 and the cut to X10; not the cut to X20.
  EXPECT_EQ(std::tuple(d.store.count, d.title, d.store.stats.cuttingLength),
            std::tuple(2u, alarm, 10.0));
  EXPECT_EQ(d.StopNote(0), "The program raised alarm 1 TOOL BROKEN. (line 3)");
  EXPECT_EQ(a.platform.lastMessage,
            "Help: Extended reading stopped: The program raised alarm 1 TOOL BROKEN. (line 3)");
  // A program that runs to its end replaces the toolpath and the mark.
  const std::string loop =
      a.Write("loop.nc", "#1=0\nWHILE [#1 LT 2] DO1\nG1 X[#1*5+5] F100\n#1=#1+1\nEND1\n");
  ASSERT_TRUE(LoadNcCommand(a.app, d, loop).ok());
  EXPECT_FALSE(ReadStopped(d));
  EXPECT_EQ(d.store.count, 2u);
  EXPECT_EQ(d.StopNote(0), "");
  // Each load is one undo step: back to the stopped read, then to the program before.
  for (std::uint32_t count : {2u, 12u}) {
    ASSERT_EQ(d.undo.Undo(d.store), 1);
    EXPECT_EQ(d.store.count, count);
  }
  // An append that stops keeps the toolpath before it and its own moves, and marks the layer.
  ASSERT_TRUE(LoadNcCommand(a.app, d, loop).ok());
  EXPECT_FALSE(AppendNcCommand(a.app, d, alarm).ok());
  EXPECT_EQ(d.store.count, 4u);
  EXPECT_NE(d.StopNote(0).find("TOOL BROKEN"), std::string::npos);
}

// A file that cannot be opened, or one with a NUL byte in its first 4096 bytes (no NC
// program), is refused by load and append before anything changes. A NUL further in is the
// reader's business (it ends that line).
TEST_F(LoadCommand, UnopenableOrBinaryFileIsRefusedBeforeAnythingChanges) {
  ASSERT_TRUE(LoadNcCommand(a.app, d, TestData("helix.nc")).ok());
  const auto before = Kept(d);
  ASSERT_EQ(std::get<0>(before), 9u);
  ASSERT_FALSE(d.Modified());
  for (std::string path : {a.dir.file("missing.nc"), a.dir.path().string()}) {
    EXPECT_EQ(LoadNcCommand(a.app, d, path).code(), OutcomeCode::CannotOpen);
    EXPECT_EQ(a.platform.lastMessage, " Can not open file !!.\n");
    EXPECT_EQ(a.platform.lastCaption, "Error message");
    EXPECT_EQ(AppendNcCommand(a.app, d, path).code(), OutcomeCode::CannotOpen);
    EXPECT_EQ(d.store.reg.feed, 400);
    EXPECT_EQ(Kept(d), before);
  }
  EXPECT_EQ(a.platform.messageCount, 4);

  const std::string text(4095, '\n');
  std::ofstream(a.dir.file("late.nc"), std::ios::binary)
      << text << std::string(1, '\0') << "G0 X1. Y2. Z3.\n";
  std::ofstream(a.dir.file("early.nc"), std::ios::binary)
      << "G0 X1. Y2. Z3.\n"
      << text.substr(20) << std::string(1, '\0') << "G0 X4.\n";
  std::ofstream(a.dir.file("empty.nc")).flush();
  const std::pair<std::string, NcTextCheck> checks[] = {
      {a.dir.file("late.nc"), NcTextCheck::NotText},
      {a.dir.file("missing.nc"), NcTextCheck::CannotOpen},
      {a.dir.path().string(), NcTextCheck::CannotOpen},
      {a.dir.file("empty.nc"), NcTextCheck::Text}};
  for (const auto& [path, check] : checks) EXPECT_EQ(CheckNcText(path), check) << path;
  for (const std::string name : {"late.nc", "early.nc"}) {
    const std::string path = a.dir.file(name);
    for (bool append : {false, true}) {
      const Outcome r = append ? AppendNcCommand(a.app, d, path) : LoadNcCommand(a.app, d, path);
      EXPECT_EQ(r.code(), OutcomeCode::Refused);
      EXPECT_EQ(r.reason(), "'" + path + "' is not an NC program (binary data near its start)");
      EXPECT_EQ(a.platform.lastMessage, a.app.Text(Txt::NotNcProgram));
      EXPECT_EQ(a.platform.lastCaption, "Error message");
    }
    EXPECT_EQ(Kept(d), before) << name;
  }
  // Past the first 4096 bytes the file is text as far as the check goes.
  std::ofstream(a.dir.file("tail.nc"), std::ios::binary) << "G0 X1. Y2. Z3.\n"
                                                         << text << std::string(1, '\0') << "\n";
  EXPECT_EQ(CheckNcText(a.dir.file("tail.nc")), NcTextCheck::Text);
  EXPECT_TRUE(LoadNcCommand(a.app, d, a.dir.file("tail.nc")).ok());
  EXPECT_EQ(d.store.count, 1u);
}

TEST_F(LoadCommand, FullStoreKeepsThePointsAndTellsTheUser) {
  {
    std::ofstream f(a.dir.file("long.nc"));
    f << "G0 X0 Y0 Z7.\n";
    for (int i = 0; i < 4000; ++i) f << "G1 Z-" << (i % 2) << ". F" << 100 + i << "\n";
  }
  FailRecordAllocationsAfter(1);
  const Outcome r = LoadNcCommand(a.app, d, a.dir.file("long.nc"));
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(r.code(), OutcomeCode::NoMemory);
  EXPECT_EQ(r.reason(), "the point store is full; 3270 records kept");
  EXPECT_EQ(a.platform.lastCaption, "Korvo message");
  EXPECT_EQ(a.platform.lastMessage, a.app.Text(Txt::PointStoreFull));
  EXPECT_EQ(std::tuple(d.store.count, d.title, d.retractHeight, d.maxFeed),
            std::tuple(CPointStore::kPageSize, a.dir.file("long.nc"), 7.0, 100 + 3268));
}

TEST_F(AppendCommand, AddsBehindWithoutSnapshotOrLayerSave) {
  const std::string helix = TestData("helix.nc");
  ASSERT_TRUE(LoadNcCommand(a.app, d, helix).ok());
  const std::uint32_t undoPos = d.undo.undoPos;
  ASSERT_TRUE(AppendNcCommand(a.app, d, TestData("drill_cycle.nc")).ok());
  // The retract height is the drilling program's G0 Z50., the maximum feed the helix's
  // highest cutting feed, from the load.
  EXPECT_EQ(std::tuple(d.store.count, d.undo.undoPos, d.title, d.layers[0].fileName,
                       d.layers[0].snapshot.count(), d.retractHeight, d.maxFeed),
            std::tuple(9u + 6u, undoPos, helix, helix, 9u, 50.0, 100));
  // A program without rapid moves leaves the retract height.
  ASSERT_TRUE(LoadNcCommand(a.app, d, a.Write("cuts.nc", "G1 X1. Z-1. F50\nX2.\n")).ok());
  EXPECT_DOUBLE_EQ(d.retractHeight, 50.0);
}

TEST_F(NcSettingsCommands, DocumentsStartFromTheFileAndOkChangesOnlyOne) {
  NcSwitches chosen;
  chosen.heidenhainInputChk = 1;
  ASSERT_EQ(NcSettingsCommand(a.app, *a.doc, chosen, false), 1);  // OK: this document only
  CDocument& other = a.app.NewDocument();
  InitDocument(a.app, other);
  EXPECT_EQ(other.nc.heidenhainInputChk, 0);
  ASSERT_EQ(NcSettingsCommand(a.app, *a.doc, chosen, true), 1);  // save: the file follows
  CDocument& third = a.app.NewDocument();
  InitDocument(a.app, third);
  EXPECT_EQ(third.nc.heidenhainInputChk, 1);
  ASSERT_TRUE(LoadNcCommand(a.app, third, TestData("heidenhain_pocket.h")).ok());
  EXPECT_EQ(third.store.count, 7u);

  // A configuration folder that is missing is made on the first save.
  a.app.settings.configDir = a.dir.file("missing/dir");
  ASSERT_EQ(NcSettingsCommand(a.app, *a.doc, chosen, true), 1);
  EXPECT_EQ(ReadAll(a.dir.file("missing/dir/korvo.par")), FormatNcSettings(chosen));
  // One that cannot be made is named; a file that cannot be written gets the file error.
  std::ofstream(a.dir.file("plain")) << "x";
  a.app.settings.configDir = a.dir.file("plain/korvo");
  chosen.intNcdataFlg = 1;
  std::string why;
  EXPECT_EQ(NcSettingsCommand(a.app, *a.doc, chosen, true, &why), 0);
  EXPECT_EQ(a.doc->nc.intNcdataFlg, 1);  // the fields keep their new values
  EXPECT_EQ(a.platform.lastMessage,
            std::string(" Can not create folder !!.\n ") + a.dir.file("plain") + "\n");
  EXPECT_NE(why.find(a.dir.file("plain")), std::string::npos) << why;
  std::filesystem::create_directories(a.dir.path() / "folder" / "korvo.par");
  a.app.settings.configDir = a.dir.file("folder");
  bool written = true;
  EXPECT_EQ(WriteNcSettings(a.app, *a.doc, &written), 1);
  EXPECT_FALSE(written);
  EXPECT_EQ(a.platform.lastMessage, " Can not open file !!.\n");
}

// A load measures the toolpath and fits the view in one walk of the store: the statistics,
// the extent, the view and the register are those of the separate walks (the store's extent,
// a fit of its own), also for a program that ends in an arc.
TEST_F(LoadCommand, OneWalkMeasuresAndFitsAsSeparateWalksDo) {
  const std::string path = a.Write("arcs.nc",
                                   "G0 X0 Y0 Z5\nG1 Z-1 F300\nX10 Y5\nG2 X20 Y5 I5 J0\nG0 Z10\n"
                                   "X-30 Y40\nG1 Z-2 F500\nG3 X-20 Y40 R5\n");
  auto walked = [this] {
    return std::tuple(d.store.stats.cuttingLength, d.store.stats.arcLength, d.view.scale, d.view.cu,
                      d.view.cv, d.store.reg.x, d.store.reg.y, d.store.reg.type);
  };
  for (const bool rapids : {true, false}) {
    for (const bool append : {false, true}) {
      SCOPED_TRACE(std::string(rapids ? "rapids shown" : "rapids hidden") +
                   (append ? ", append" : ", load"));
      d.view.showRapids = rapids;
      d.view.SetDirection(append ? 4 : 1);
      ASSERT_TRUE((append ? AppendNcCommand(a.app, d, path) : LoadNcCommand(a.app, d, path)).ok());
      const auto once = walked();
      double mn[3], mx[3];
      d.store.Extent(mn, mx);
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(d.store.extentMin[k], mn[k]);
        EXPECT_EQ(d.store.extentMax[k], mx[k]);
      }
      ASSERT_EQ(ComputeStatistics(d.store), 1);
      d.view.Fit(d.store, &d.layers);
      EXPECT_EQ(walked(), once);
    }
  }
  // A file with binary data near its start is refused by the read itself, which opens it
  // once: nothing changes, as before.
  const std::uint32_t count = d.store.count;
  const std::string bin = a.Write("bin.nc", std::string("G0 X1\n\0", 7));
  for (const bool extended : {false, true}) {
    d.nc.extendedReadingChk = extended ? 1 : 0;
    EXPECT_EQ(LoadNcCommand(a.app, d, bin).code(), OutcomeCode::Refused);
    EXPECT_EQ(d.store.count, count);
  }
}

// Whether a document holds toolpath changes that no file has: every kind of change sets it,
// only a complete output (or a load) of the layers concerned clears it; and the refusals of an
// output or a load that change nothing, seen on the desktop too.

// Writes the work layer to path as the NC output does, without opening the editor.
Outcome SaveTo(AppInTempDir& a, const std::string& path) {
  CNcOutputDlg dlg;
  dlg.outputPath = path;
  dlg.openInEditor = false;
  return SaveNcCommand(a.app, *a.doc, dlg, a.doc->nc.heidenhainOutChk);
}

TEST_F(UnwrittenChanges, EveryChangeCountsUntilTheWorkLayerIsWritten) {
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
  ASSERT_TRUE(SaveTo(a, a.dir.file("a.nc")).ok());
  EXPECT_FALSE(d.Modified());
  ASSERT_EQ(ClearCommand(a.app, d), 1);
  EXPECT_TRUE(d.Modified());
  // An emptied toolpath is not written, so it stays unwritten.
  EXPECT_FALSE(SaveTo(a, a.dir.file("b.nc")).ok());
  EXPECT_TRUE(d.Modified());
  ASSERT_EQ(UndoCommand(a.app, d), 1);
  EXPECT_TRUE(d.Modified());
  ASSERT_TRUE(SaveTo(a, a.dir.file("c.nc")).ok());
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

TEST_F(UnwrittenChanges, EachLayerKeepsItsOwnUntilAnOutputHoldsIt) {
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
  ASSERT_TRUE(SaveTo(a, a.dir.file("zero.nc")).ok());
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
TEST_F(UnwrittenChanges, EditorThatDoesNotStartIsReported) {
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

TEST_F(OutputRefusals, EmptyToolpathIsRefusedWithAMessageAndTheFileKept) {
  struct Case {
    const char* name;
    std::function<Outcome(AppInTempDir&, const std::string&)> write;
  };
  const Case cases[] = {
      {"save", SaveTo},
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
TEST_F(OutputRefusals, EmptyFileAtLoadIsSaidAndTheLayerKept) {
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

TEST_F(DocumentUndo, UndoInOneDocumentRestoresOnlyItsOwnState) {
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

TEST_F(DocumentUndo, ANewDocumentReadsFromTheInitialModalState) {
  // The first program ends at X50 Y40 Z-1 in G01; the second only names Y.
  const std::string setUp = a.Write("set_up.nc", "G0 X50. Y40. Z5.\nG1 Z-1. F200\n");
  const std::string onlyY = a.Write("only_y.nc", "Y60.\nY70.\n");

  // What a fresh start reads from the second program alone.
  AppInTempDir fresh;
  ASSERT_TRUE(LoadNcCommand(fresh.app, *fresh.doc, onlyY).ok());
  const std::string alone = Records(fresh.doc->store);

  // Within one document the modal state of the read before carries over.
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
