// The load and append commands as the desktop and the command-line tool run them: undo,
// layer, title, statistics, retract height, maximum feed and messages; and the NC settings
// commands.

#include "app/load_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "model/statistics.h"
#include "ncio/nc_text_check.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

using App = AppInTempDir;

// What a refused load or append must leave as it was.
auto Kept(const CDocument& d) {
  return std::tuple(d.store.count, d.title, d.layers[0].fileName, d.layers[0].comment,
                    d.layers[0].spindle, d.undo.undoPos, d.Modified());
}

TEST(LoadCommand, ReplacesTheWorkLayerAndRefreshesTheDocument) {
  App a;
  CDocument& d = *a.doc;
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
TEST(LoadCommand, ExtendedReadThatStopsKeepsWhatWasReadAndMarksTheLayer) {
  App a;
  CDocument& d = *a.doc;
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
TEST(LoadCommand, UnopenableOrBinaryFileIsRefusedBeforeAnythingChanges) {
  App a;
  CDocument& d = *a.doc;
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

TEST(LoadCommand, FullStoreKeepsThePointsAndTellsTheUser) {
  App a;
  CDocument& d = *a.doc;
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

TEST(AppendCommand, AddsBehindWithoutSnapshotOrLayerSave) {
  App a;
  CDocument& d = *a.doc;
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

TEST(NcSettingsCommands, DocumentsStartFromTheFileAndOkChangesOnlyOne) {
  App a;
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
TEST(LoadCommand, OneWalkMeasuresAndFitsAsSeparateWalksDo) {
  App a;
  CDocument& d = *a.doc;
  const std::string path = a.Write("arcs.nc",
                                   "G0 X0 Y0 Z5\nG1 Z-1 F300\nX10 Y5\nG2 X20 Y5 I5 J0\nG0 Z10\n"
                                   "X-30 Y40\nG1 Z-2 F500\nG3 X-20 Y40 R5\n");
  auto walked = [&d] {
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

}  // namespace
}  // namespace trevalon::testing
