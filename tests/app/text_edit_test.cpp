// The program text as one document with the toolpath: an edit gives the toolpath a load of the
// edited text gives, undo brings both back, the unwritten mark and the source lines follow.

#include <gtest/gtest.h>

#include <random>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/source_commands.h"
#include "app/text_edit_commands.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

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

struct EditCase {
  const char* name;
  bool extended;
  int what;  // 0 edit a line, 1 delete lines, 2 insert a line, 3 renumber every block
  std::size_t line;
  const char* text;
};

TEST(TextEdit, EditsGiveTheToolpathALoadOfTheEditedTextGives) {
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

TEST(TextEdit, RenumberKeepsTheToolpath) {
  AppInTempDir t;
  CDocument& doc = *t.doc;
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

TEST(TextEdit, BadEditsChangeNothing) {
  AppInTempDir t;
  CDocument& doc = *t.doc;
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

TEST(TextEdit, ACommandLeavesTheTextBehindUntilTheUserChooses) {
  AppInTempDir t;
  CDocument& doc = *t.doc;
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
