// Where each record came from: the readers note the block of every record they store, load
// and append keep each record's file, editing commands carry the lines of the records they
// keep, and undo, redo and the layers bring back the lines of the state they restore. And the
// program text edited as one document with the toolpath.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/source_commands.h"
#include "app/text_edit_commands.h"
#include "edit/cleanup_commands.h"
#include "edit/command_frame.h"
#include "edit/compaction.h"
#include "edit/reverse.h"
#include "edit/transform.h"
#include "edit/trim.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

using SourceLines = DocumentTest;

// Per record: the line (from 1) of its block, 0 when it has none.
std::vector<std::size_t> Lines(CDocument& d) {
  std::vector<std::size_t> out;
  for (std::uint32_t i = 0; i < d.store.count; ++i) {
    const SourceLineInfo info = FindSourceLine(d, i);
    out.push_back(info.kind == SourceLineInfo::Kind::Found ? info.line : 0);
  }
  return out;
}

using L = std::vector<std::size_t>;

// Writes the program as p.nc and loads it into the document; gives its path.
std::string Load(AppInTempDir& a, const std::string& text) {
  const std::string path = a.Write("p.nc", text);
  EXPECT_TRUE(LoadNcCommand(a.app, *a.doc, path).ok());
  return path;
}

// The rows are in tests/data/app/source_lines.txt.
TEST_F(SourceLines, EveryReaderNotesTheBlockOfEachRecord) {
  for (const DataCase& c : ReadCases("app/source_lines.txt")) {
    const auto trace = c.Trace();
    AppInTempDir a;
    a.doc->nc.extendedReadingChk = c.Int("extended");
    a.doc->nc.heidenhainInputChk = c.Int("heidenhain");
    ASSERT_TRUE(LoadNcCommand(a.app, *a.doc, a.Write("p.nc", c["text"])).ok());
    L lines;
    std::istringstream in(c["lines"]);
    for (std::size_t n = 0; in >> n;) lines.push_back(n);
    EXPECT_EQ(Lines(*a.doc), lines);
  }
}

TEST_F(SourceLines, AppendKeepsEachRecordsFileAndAChangedFileShowsNoLine) {
  const std::string first = a.Write("first.nc", "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\n");
  const std::string second = a.Write("second.nc", "(two)\nG0 X50 Y0 Z5\nG1 Z-1 F200\n");
  ASSERT_TRUE(LoadNcCommand(a.app, d, first).ok());
  ASSERT_TRUE(AppendNcCommand(a.app, d, second).ok());
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 2, 3}));
  const SourceLineInfo fromSecond = FindSourceLine(d, 3);
  EXPECT_EQ(fromSecond.path, second);
  EXPECT_EQ(fromSecond.text, "G0 X50 Y0 Z5");
  // A file that is refused changes nothing, its lines neither.
  EXPECT_FALSE(AppendNcCommand(a.app, d, a.Write("bin.nc", std::string("G0\0X1\n", 6))).ok());
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 2, 3}));
  // A program changed since it was read no longer holds the blocks: its records show none.
  std::ofstream(first, std::ios::app) << "X20\n";
  EXPECT_EQ(FindSourceLine(d, 0).kind, SourceLineInfo::Kind::FileChanged);
  EXPECT_EQ(Lines(d), (L{0, 0, 0, 2, 3}));
  // A load starts again with the one file.
  ASSERT_TRUE(LoadNcCommand(a.app, d, second).ok());
  EXPECT_EQ(d.CurrentSourceLines().Files().size(), 1u);
  EXPECT_EQ(Lines(d), (L{2, 3}));
}

// Drops record 2 and appends a new point: the frame's own steps, which it can follow.
void DropAndAdd(EditContext& ctx) {
  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdUnnamed);
  MarkRemoved(ctx.store, 2, 3);
  ctx.store.FetchPoint(ctx.store.count - 1);
  ctx.store.reg.x = 99;
  frame.Append();
  frame.Compact();
  frame.Regenerate();
  frame.Finish();
}

TEST_F(SourceLines, EditsKeepTheLinesOfTheRecordsTheyKeepAndUndoBringsThemBack) {
  Load(a, "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nX20\nX30\n(end)\nX40\n");
  const L read{1, 2, 3, 4, 5, 7};
  ASSERT_EQ(Lines(d), read);

  EditContext ctx = MakeEditContext(a.app, d);
  DropAndAdd(ctx);
  const L edited{1, 2, 4, 5, 7, 0};
  EXPECT_EQ(Lines(d), edited);
  EXPECT_EQ(FindSourceLine(d, 5).kind, SourceLineInfo::Kind::MadeByEdit);
  ASSERT_TRUE(UndoCommand(a.app, d));
  EXPECT_EQ(Lines(d), read);
  ASSERT_TRUE(RedoCommand(a.app, d));
  EXPECT_EQ(Lines(d), edited);

  // A point moved in place is no longer what its block made; the rest keep their lines.
  {
    CommandFrame frame(ctx);
    frame.SaveUndo(Txt::CmdUnnamed);
    d.store.FetchPoint(1);
    d.store.reg.z = -2;
    d.store.StorePoint(1);
    frame.Finish();
  }
  EXPECT_EQ(Lines(d), (L{1, 0, 4, 5, 7, 0}));
  // A command that changes the count behind the frame leaves no record a line (but the
  // program stays known); a rollback puts the lines back with the store.
  for (const bool rollback : {true, false}) {
    {
      CommandFrame frame(ctx);
      frame.SaveUndo(Txt::CmdUnnamed);
      MarkRemoved(d.store, 0, 1);
      CompactStore(d.store);
      if (rollback)
        EXPECT_FALSE(frame.Rollback("test").ok());
      else
        frame.Finish();
    }
    EXPECT_EQ(Lines(d), (rollback ? L{1, 0, 4, 5, 7, 0} : L{0, 0, 0, 0, 0})) << rollback;
  }
  EXPECT_EQ(d.CurrentSourceLines().Files().size(), 1u);
  ASSERT_TRUE(UndoCommand(a.app, d));
  EXPECT_EQ(Lines(d), (L{1, 0, 4, 5, 7, 0}));
  // Clear and its undo.
  ClearCommand(a.app, d);
  ASSERT_TRUE(UndoCommand(a.app, d));
  EXPECT_EQ(Lines(d), (L{1, 0, 4, 5, 7, 0}));
  // A change the document counts without carrying the lines leaves them behind.
  d.NoteWorkLayerChanged();
  EXPECT_EQ(Lines(d), (L{0, 0, 0, 0, 0, 0}));
}

// The rapid rebuild and the plunge clean-up copy the cuts and the rapids they keep: those keep
// their lines; the retracts, traverses and approaches they make have none.
TEST_F(SourceLines, RebuildsKeepTheLinesOfTheMovesTheyCopy) {
  const std::string path =
      Load(a, "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nX20\nG0 Z2\nX30\nG1 Z0\nX40\nX50\n");
  EditContext ctx = MakeEditContext(a.app, d);
  // Without an undo state of its own: the frame follows the rebuild's word alone.
  ASSERT_TRUE(RapidRebuildCommand(ctx).ok());
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 4, 0, 0, 6, 7, 8, 9})) << Records(d.store);
  ASSERT_TRUE(LoadNcCommand(a.app, d, path).ok());
  {
    CommandFrame frame(ctx);
    frame.SaveUndo(Txt::CmdUnnamed);
    ASSERT_TRUE(frame.PlungeCleanup());
    frame.Finish();
  }
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 4, 5, 0, 6, 7, 8, 9})) << Records(d.store);
}

// A trim writes its whole result anew behind the old points: the moves it keeps whole (an
// arc with its centre record too) keep their blocks; the points it makes at the boundary and
// the retracts and plunges around them have none. A point-file trim runs several passes, and
// the lines follow each.
TEST_F(SourceLines, TrimsKeepTheLinesOfTheMovesTheyKeepWhole) {
  Load(a, "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nX20\nX30\nG2 X40 Y0 I5 J0\nG0 Z5\n");
  ASSERT_EQ(Lines(d), (L{1, 2, 3, 4, 5, 6, 6, 7}));
  EditContext ctx = MakeEditContext(a.app, d);
  ASSERT_TRUE(TrimCommand(ctx, Region::Box(12, -5, 18, 5), TrimSide::Inside).ok());
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 0, 0, 0, 0, 4, 5, 6, 6, 7})) << Records(d.store);
  ASSERT_TRUE(UndoCommand(a.app, d));
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 4, 5, 6, 6, 7}));

  const std::string poi = a.Write("two.poi",
                                  "start\n12 -5\n18 -5\n18 5\n12 5\nend\nstart\n22 -5\n28 -5\n28 "
                                  "5\n22 5\nend\n");
  ASSERT_TRUE(TrimFileCommand(ctx, poi, TrimSide::Inside).ok());
  const L lines = Lines(d);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), 5u), 1) << Records(d.store);
  EXPECT_EQ(lines.front(), 1u);
  EXPECT_EQ(lines.back(), 7u);
}

// Reversing a path runs its points the other way: each keeps the block that made it, and the
// new lead above the old last point has none (reversal records no undo state, so the frame
// has only the writer's word to go by).
TEST_F(SourceLines, AReversedPathKeepsTheBlockOfEachPoint) {
  Load(a, "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nX20\nG0 Z5\nX50\nG1 Z0\nX60\nX70\nG0 Z5\n");
  EditContext ctx = MakeEditContext(a.app, d);
  ASSERT_TRUE(ReversePathCommand(ctx, 2).ok());
  EXPECT_EQ(Lines(d), (L{0, 4, 3, 2, 0, 6, 7, 8, 9, 10})) << Records(d.store);
}

// A transform: the points it leaves where they are keep their blocks, moved points and copies
// have none.
TEST_F(SourceLines, ATransformKeepsTheLinesOfThePointsItLeaves) {
  Load(a, "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nX20\nG0 Z5\n");
  EditContext ctx = MakeEditContext(a.app, d);
  TransformOptions o;
  o.dx = 100, o.copy = true, o.copies = 1;
  ASSERT_TRUE(TransformCommand(ctx, o, nullptr).ok());
  const L lines = Lines(d);
  ASSERT_GT(lines.size(), 5u) << Records(d.store);
  EXPECT_EQ(L(lines.begin(), lines.begin() + 5), (L{1, 2, 3, 4, 5})) << Records(d.store);
  EXPECT_EQ(std::count(lines.begin() + 5, lines.end(), 0u), static_cast<long>(lines.size()) - 5);
  ASSERT_TRUE(UndoCommand(a.app, d));
  o.copy = false;
  ASSERT_TRUE(TransformCommand(ctx, o, nullptr).ok());
  EXPECT_EQ(Lines(d), L(Lines(d).size(), 0));
}

TEST_F(SourceLines, LayersKeepTheirLinesAndACopiedLayerBringsItsOwn) {
  const std::string first = a.Write("first.nc", "G0 X0 Y0 Z5\nG1 Z0 F100\nX10\n");
  const std::string second = a.Write("second.nc", "(two)\nG0 X50 Y0 Z5\nG1 Z-1 F200\n");
  ASSERT_TRUE(LoadNcCommand(a.app, d, first).ok());
  ASSERT_TRUE(SwitchLayerCommand(d, 1));
  EXPECT_EQ(d.store.count, 0u);
  ASSERT_TRUE(LoadNcCommand(a.app, d, second).ok());
  ASSERT_TRUE(SwitchLayerCommand(d, 0));
  EXPECT_EQ(Lines(d), (L{1, 2, 3}));
  ASSERT_TRUE(CopyLayerCommand(a.app, d, 1, 0));
  EXPECT_EQ(Lines(d), (L{1, 2, 3, 2, 3}));
  EXPECT_EQ(FindSourceLine(d, 4).path, second);
  ASSERT_TRUE(SwitchLayerCommand(d, 1));
  EXPECT_EQ(Lines(d), (L{2, 3}));
}

// ---- Editing the program text ------------------------------------------------------------------

// The program text as one document with the toolpath: an edit gives the toolpath a load of the
// edited text gives, undo brings both back, the unwritten mark and the source lines follow.

// A program long enough for several checkpoints of the read.
std::string LongProgram(unsigned seed, int blocks) {
  std::mt19937 rng(seed);
  std::string p = "%\nO2001\n(ROUGHING)\nG90 G17 G21\nT1 M6\nS8000 M3\nG0 X0 Y0 Z5.\n";
  for (int i = 0; i < blocks; ++i) {
    char b[96];
    const int k = static_cast<int>(rng() % 10);
    const double x = (rng() % 20000) / 100.0, y = (rng() % 20000) / 100.0;
    if (k == 0)
      std::snprintf(b, sizeof b, "N%d G2 X%.2f Y%.2f I1. J1.\n", i, x, y);
    else if (k == 1)
      std::snprintf(b, sizeof b, "G0 Z%.2f\n", (rng() % 500) / 100.0);
    else if (k == 2)
      std::snprintf(b, sizeof b, "(PASS %d)\n", i);
    else
      std::snprintf(b, sizeof b, "N%d G1 X%.2f Y%.2f F%d\n", i, x, y, 200 + i % 7 * 100);
    p += b;
  }
  return p + "M30\n%\n";
}

// The toolpath a load of `text` gives, in a document of its own.
struct Loaded {
  AppInTempDir a;
  explicit Loaded(const std::string& text, bool extended = false) {
    a.doc->nc.extendedReadingChk = extended ? 1 : 0;
    EXPECT_TRUE(LoadNcCommand(a.app, *a.doc, a.Write("fresh.nc", text)).ok());
  }
  // Whether the store holds this load's records, byte for byte.
  ::testing::AssertionResult Gives(const CPointStore& s) const {
    return HoldsRecords(s, CopyOfRecords(a.doc->store));
  }
};

// A document of its own for each text test.
struct TextEdit : ::testing::Test {
  AppInTempDir t;
  CDocument& doc = *t.doc;
};

struct EditCase {
  const char* name;
  bool extended;
  int what;  // 0 edit a line, 1 delete lines, 2 insert a line, 3 renumber every block
  std::size_t line;
  const char* text;
};

TEST_F(TextEdit, EditsGiveTheToolpathALoadOfTheEditedTextGives) {
  const EditCase cases[] = {
      {"a feed in the middle", false, 0, 1500, "N1493 G1 X10. Y20. F777"},
      {"an arc made a line", false, 0, 900, "G1 X5. Y5."},
      {"three lines out", false, 1, 2000, ""},
      {"a block in", false, 2, 1200, "G1 Z-2. F150"},
      {"a line at the end", false, 2, 3010, "G0 Z50."},
      {"renumbered", false, 3, 0, ""},
      {"extended: a feed", true, 0, 1500, "G1 X10. Y20. F777"},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    AppInTempDir t;
    CDocument& doc = *t.doc;
    doc.nc.extendedReadingChk = c.extended ? 1 : 0;
    const std::string program = LongProgram(11, 3000);
    ASSERT_TRUE(LoadNcCommand(t.app, doc, t.Write("p.nc", program)).ok());
    const std::vector<PointRecord> before = CopyOfRecords(doc.store);
    EXPECT_FALSE(doc.Modified());
    Outcome o = Outcome::Done();
    if (c.what == 0) o = EditTextLine(t.app, doc, c.line, c.text);
    if (c.what == 1) o = DeleteTextLines(t.app, doc, c.line, c.line + 2);
    if (c.what == 2) o = InsertTextLine(t.app, doc, c.line, c.text);
    if (c.what == 3) o = RenumberBlocks(t.app, doc, RenumberOptions{100, 5, true});
    ASSERT_TRUE(o.ok()) << o.reason();
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.text.Describes(doc.edits));
    Loaded fresh(doc.text.text, c.extended);
    EXPECT_TRUE(fresh.Gives(doc.store));
    EXPECT_EQ(doc.store.stats.cuttingLength, fresh.a.doc->store.stats.cuttingLength);
    EXPECT_EQ(doc.layers[doc.layers.workLayer].comment,
              fresh.a.doc->layers[fresh.a.doc->layers.workLayer].comment);
    // The source lines name the edited text's lines.
    for (std::uint32_t i = 0; i < doc.store.count; i += 997) {
      const SourceLineInfo mine = FindSourceLine(doc, i);
      const SourceLineInfo theirs = FindSourceLine(*fresh.a.doc, i);
      EXPECT_EQ(mine.line, theirs.line) << "record " << i;
      EXPECT_EQ(mine.text, theirs.text) << "record " << i;
    }
    // Undo: the text and the toolpath as loaded; redo: as edited.
    const std::string edited = doc.text.text;
    ASSERT_EQ(1, UndoCommand(t.app, doc));
    EXPECT_EQ(doc.text.text, program);
    EXPECT_TRUE(HoldsRecords(doc.store, before));
    EXPECT_TRUE(doc.text.Describes(doc.edits));
    ASSERT_EQ(1, RedoCommand(t.app, doc));
    EXPECT_EQ(doc.text.text, edited);
    EXPECT_TRUE(fresh.Gives(doc.store));
    // A second edit after the undo and redo still reads as a load does.
    ASSERT_TRUE(EditTextLine(t.app, doc, 20, "G1 X1. Y1. F100").ok());
    EXPECT_TRUE(Loaded(doc.text.text, c.extended).Gives(doc.store));
  }
}

TEST_F(TextEdit, RenumberKeepsTheToolpath) {
  const std::string r =
      t.Write("r.nc", "%\nO1\nN5 G0 X0 Y0 Z5.\nG1 Z0 F100\n(CUT)\nN7 X10.\nM30\n");
  ASSERT_TRUE(LoadNcCommand(t.app, doc, r).ok());
  const std::vector<PointRecord> before = CopyOfRecords(doc.store);
  ASSERT_TRUE(RenumberBlocks(t.app, doc, RenumberOptions{10, 10, false}).ok());
  EXPECT_EQ(doc.text.text, "%\nO1\nN10 G0 X0 Y0 Z5.\nG1 Z0 F100\n(CUT)\nN20 X10.\nM30\n");
  ASSERT_TRUE(RenumberBlocks(t.app, doc, RenumberOptions{1, 1, true}).ok());
  EXPECT_EQ(doc.text.text, "%\nO1\nN1 G0 X0 Y0 Z5.\nN2 G1 Z0 F100\n(CUT)\nN3 X10.\nN4 M30\n");
  EXPECT_TRUE(HoldsRecords(doc.store, before));
  // Numbered so already: nothing to do, no undo step.
  const auto steps = doc.undo.UndoNames().size();
  EXPECT_EQ(RenumberBlocks(t.app, doc, RenumberOptions{1, 1, true}).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(doc.undo.UndoNames().size(), steps);
}

TEST_F(TextEdit, BadEditsChangeNothing) {
  EXPECT_EQ(EditTextLine(t.app, doc, 1, "G0 X0").code(), OutcomeCode::Refused);  // no program
  ASSERT_TRUE(LoadNcCommand(t.app, doc, t.Write("b.nc", "G0 X0 Y0 Z5.\nG1 X1. F100\n")).ok());
  const std::uint32_t count = doc.store.count;
  const std::uint64_t edits = doc.edits;
  const Outcome refused[] = {
      EditTextLine(t.app, doc, 3, "G0 X0"),
      DeleteTextLines(t.app, doc, 2, 1),
      DeleteTextLines(t.app, doc, 1, 3),
      InsertTextLine(t.app, doc, 4, "X1."),
      EditTextLine(t.app, doc, 1, "G0 X0\nG1 X5."),
      RenumberBlocks(t.app, doc, {0, 0, false}),
  };
  for (const Outcome& o : refused) EXPECT_EQ(o.code(), OutcomeCode::Refused) << o.reason();
  EXPECT_EQ(doc.text.text, "G0 X0 Y0 Z5.\nG1 X1. F100\n");
  EXPECT_EQ(doc.store.count, count);
  EXPECT_EQ(doc.edits, edits);
  // A last line without a line end gets one before a line added behind it.
  ASSERT_TRUE(LoadNcCommand(t.app, doc, t.Write("c.nc", "G0 X0 Y0 Z5.\r\nG1 X1. F100")).ok());
  ASSERT_TRUE(InsertTextLine(t.app, doc, 3, "G1 X2.").ok());
  EXPECT_EQ(doc.text.text, "G0 X0 Y0 Z5.\r\nG1 X1. F100\r\nG1 X2.\r\n");
}

TEST_F(TextEdit, ACommandLeavesTheTextBehindUntilTheUserChooses) {
  ASSERT_TRUE(LoadNcCommand(t.app, doc, t.Write("s.nc", LongProgram(5, 200))).ok());
  EXPECT_EQ(TextNoLongerDescribes(t.app, doc), "");
  ASSERT_EQ(1, ClearCommand(t.app, doc));
  EXPECT_NE(TextNoLongerDescribes(t.app, doc).find("delete all paths"), std::string::npos);
  // An edit then reads the whole text: the toolpath is what the text reads as again.
  ASSERT_TRUE(EditTextLine(t.app, doc, 10, "G1 X3. Y3. F300").ok());
  EXPECT_TRUE(Loaded(doc.text.text).Gives(doc.store));
  EXPECT_EQ(TextNoLongerDescribes(t.app, doc), "");
  // Saving the text writes it; the work layer counts as written.
  ASSERT_TRUE(SaveProgramText(t.app, doc, t.dir.file("saved.nc")).ok());
  EXPECT_EQ(ReadAll(t.dir.file("saved.nc")), doc.text.text);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(FindSourceLine(doc, 3).kind, SourceLineInfo::Kind::Found);
  // The toolpath written as the text: verified, and the toolpath what it reads as.
  ASSERT_EQ(1, ClearCommand(t.app, doc));
  ASSERT_EQ(1, UndoCommand(t.app, doc));
  ASSERT_TRUE(TextFromToolpath(t.app, doc, t.dir.file("written.nc")).ok());
  EXPECT_EQ(doc.text.text, ReadAll(t.dir.file("written.nc")));
  EXPECT_EQ(TextNoLongerDescribes(t.app, doc), "");
  EXPECT_TRUE(Loaded(doc.text.text).Gives(doc.store));
}

}  // namespace
}  // namespace trevalon::testing
