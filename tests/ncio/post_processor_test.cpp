// The post processor: its templates (shipped, read, saved, edited) and the conversion of a
// toolpath through them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "app/output_commands.h"
#include "ncio/post_conversion.h"
#include "ncio/post_template.h"
#include "ncio/shipped_templates.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// The shipped templates: the default one is the built-in template as saved, every one defines
// the sections a program needs, and the first use installs them without touching the user's.
TEST(PostTemplate, ShippedTemplatesAndTheirInstallation) {
  ASSERT_EQ(kShippedTemplateCount, 4u);
  const ShippedTemplate* d = FindShippedTemplate("default.ppr");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->text, CPostTemplate().FormatTemplate());
  EXPECT_EQ(FindShippedTemplate("none.ppr"), nullptr);
  for (std::size_t k = 0; k < kShippedTemplateCount; ++k) {
    const ShippedTemplate& s = kShippedTemplateTable[k];
    SCOPED_TRACE(s.fileName);
    CPostTemplate t;
    t.ParseTemplateText(s.text);
    for (int id : {kSecStart, kSecNewCut, kSecCut, kSecNewRapid, kSecRapid, kSecNewXyCW,
                   kSecNewXyCCW, kSecNewZxCW, kSecNewYzCCW, kSecSpindle, kSecTerm})
      EXPECT_TRUE(t[id].defined) << PostSectionName(id);
    // The units before the first move; every line fits a section's line.
    EXPECT_TRUE(t[kSecStart].Text().find("UNITS") != std::string::npos);
    for (const CPostSection& sec : t.sections)
      for (int i = 0; i < sec.lineCount; ++i) EXPECT_LE(sec.lines[i].size(), 101u) << sec.lines[i];
  }
  TempDir dir;
  const std::string folder = dir.file("a/post");
  TemplateInstall first = InstallShippedTemplates(folder);
  EXPECT_EQ(first.written.size(), kShippedTemplateCount);
  EXPECT_EQ(first.failed, "");
  EXPECT_EQ(ReadAll(folder + "/linuxcnc.ppr"), FindShippedTemplate("linuxcnc.ppr")->text);
  // A template the user changed, and one removed: only the removed one comes back.
  std::ofstream(folder + "/default.ppr", std::ios::binary) << "[Start]\nmine\n[End]\n";
  std::filesystem::remove(folder + "/heidenhain.ppr");
  TemplateInstall again = InstallShippedTemplates(folder);
  EXPECT_EQ(again.written, std::vector<std::string>{"heidenhain.ppr"});
  EXPECT_EQ(ReadAll(folder + "/default.ppr"), "[Start]\nmine\n[End]\n");
  // A folder that cannot be made is named.
  std::ofstream(dir.file("file"), std::ios::binary) << "x";
  EXPECT_NE(InstallShippedTemplates(dir.file("file/post")).failed, "");
}

TEST(PostTemplate, ReadingSectionsTrimmingAndEnd) {
  // The defaults are shown but not defined; the shipped default template is them saved.
  CPostTemplate t;
  const CPostTemplate defaults;
  for (int id = 0; id < kSectionCount; ++id) EXPECT_FALSE(t[id].defined) << PostSectionName(id);
  EXPECT_EQ(ReadAll(std::string(TREVALON_EXAMPLES) + "/default.ppr"), t.FormatTemplate());
  // A header followed directly by its end stays empty; lines beyond the tenth are dropped; the
  // later [Rapid] wins; a section may end with the file.
  t.ParseTemplateText(
      "junk before any section\r\n[Cut]\r\n   G01 X1 \t\r\n[End]\r\n[Rapid]\nA\n"
      "(a note on [End] ends it)\nB\n[NewCut][End]\n[End]\n"
      "[Term]\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n[End]\n[Rapid]\nC\n");
  // A section as "defined lines: text".
  const auto section = [&](int id) {
    return std::to_string(t[id].defined) + " " + std::to_string(t[id].lineCount) + ": " +
           t[id].Text();
  };
  EXPECT_EQ(section(kSecCut), "1 1: G01 X1\r\n");
  EXPECT_EQ(section(kSecRapid), "1 1: C\r\n");
  EXPECT_EQ(section(kSecNewCut), "0 0: ");
  // Lines beyond the tenth are dropped.
  EXPECT_EQ(section(kSecTerm), "1 10: 1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
  // Untouched sections keep their default lines and write nothing.
  EXPECT_EQ(section(kSecStart), "0 " + std::to_string(defaults[kSecStart].lineCount) + ": " +
                                    defaults[kSecStart].Text());
  // Long lines are read in pieces.
  t.ParseTemplateText("[Cut]\n" + std::string(150, 'A') + "\n[End]\n");
  ASSERT_EQ(t[kSecCut].lineCount, 2);
  EXPECT_EQ(t[kSecCut].lines[0], std::string(99, 'A') + "\r\n");
  EXPECT_EQ(t[kSecCut].lines[1], std::string(51, 'A') + "\r\n");
}

TEST(PostTemplate, SaveLoadSaveKeepsEverySection) {
  TempDir dir;
  std::ostringstream messages;
  HeadlessPlatform platform(&messages);
  CApplication app(platform);
  CPostTemplate t;
  t.EditSection(kSecCut, "N$N[$X][$Y]\r\nM01");
  const std::string first = dir.file("a.ppr"), second = dir.file("b.ppr");
  ASSERT_TRUE(t.SaveTemplate(app.Msg(), first).ok());
  EXPECT_EQ(t.name, first);
  const std::string text = ReadAll(first);
  const std::string define1 = "\r\n[Define]\r\n \r\n[End]\r\n";
  EXPECT_EQ(text.substr(0, define1.size() + 9), define1 + "\r\n[Start]");
  EXPECT_NE(text.find("\r\n[Cut]\r\nN$N[$X][$Y]\r\nM01\r\n[End]\r\n"), std::string::npos);

  CPostTemplate u;
  ASSERT_EQ(u.LoadTemplate(dir.file("a")), 1);  // found with ".ppr" appended
  for (int id = 0; id < kSectionCount; ++id) {
    // Every section is written under the name the section editor shows.
    const std::string name = PostSectionName(id);
    EXPECT_NE(text.find("\r\n[" + name + "]\r\n"), std::string::npos) << name;
    EXPECT_TRUE(u[id].defined) << name;
    if (id != kSecDefine) {
      EXPECT_EQ(u[id].Text(), t[id].Text()) << name;
    }
  }
  EXPECT_EQ(u[kSecDefine].Text(), "\r\n");  // the blank line before "[End]"
  ASSERT_TRUE(u.SaveTemplate(app.Msg(), second).ok());
  std::string again = ReadAll(second);
  // Only [Define] grows, by the empty line the format gives it.
  const std::string define2 = "\r\n[Define]\r\n\r\n\r\n[End]\r\n";
  EXPECT_EQ(again.substr(0, define2.size()), define2);
  EXPECT_EQ(again.substr(define2.size()), text.substr(define1.size()));

  EXPECT_FALSE(u.SaveTemplate(app.Msg(), dir.file("no/such/dir.ppr")).ok());
  EXPECT_EQ(platform.lastCaption, "Error message");
  EXPECT_EQ(u.LoadTemplate(dir.file("missing")), 0);
  EXPECT_FALSE(u[kSecCut].defined);
  EXPECT_EQ(u[kSecCut].Text(), CPostTemplate{}[kSecCut].Text());
}

TEST(PostTemplate, SectionEditorAndLineMasks) {
  CPostSection s;
  s.SetText("A\r\nB");  // the second line typed without Enter
  ASSERT_EQ(s.lineCount, 2);
  EXPECT_EQ(s.lines[1], "B\r\n");
  EXPECT_TRUE(s.defined);
  s.SetText("  X \r\n");  // not trimmed
  EXPECT_EQ(s.Text(), "  X \r\n");
  std::string many;
  for (int k = 0; k < 12; ++k) many += "L\r\n";
  s.SetText(many);
  EXPECT_EQ(s.lineCount, 10);
  s.SetText("");
  EXPECT_FALSE(s.defined);
  EXPECT_EQ(s.lineCount, 0);
  // The masks keep the bracketed and plain forms apart.
  LineMasks m = ComputeLineMasks("[$N]G01[$X]$Y?Z[$ARCPLANE]$ARCPLANE[?ARCPLANE]?Q");
  EXPECT_EQ(m.bracket, LetterBit('N') | LetterBit('X') | kArcPlaneBit);
  EXPECT_EQ(m.plain, LetterBit('Y') | LetterBit('A') | kArcPlaneBit);
  // "[?ARCPLANE]" also holds "?A"; marking a token that is then not found costs nothing.
  EXPECT_EQ(m.prompt, LetterBit('Z') | LetterBit('Q') | LetterBit('A') | kArcPlaneBit);
  EXPECT_EQ(ComputeLineMasks("[$N]").plain, 0u);
}

class PostConversion : public ::testing::Test, public testing::AppInTempDir {
 protected:
  void SetUp() override { dlg.outputPath = dir.file("out.nc"); }
  // Only the sections given are defined.
  void Only(const std::string& templateText) {
    dlg.ppr.SetDefaults();
    dlg.ppr.ParseTemplateText(templateText);
  }
  std::string Convert() {
    EXPECT_TRUE(PostProcessCommand(app, *doc, dlg).ok());
    return ReadAll(dlg.outputPath);
  }

  CPostProcessorDlg dlg;
};

TEST_F(PostConversion, DefaultTemplateProgramAndAFileThatCannotBeCreated) {
  dlg.ppr.LoadTemplate(std::string(TREVALON_EXAMPLES) + "/default.ppr");
  AddPoints(doc->store, "1 0 0 50, 3 10 0 50 500");
  dlg.spindle = 1000;
  EXPECT_EQ(Convert(),
            "%\nO0\nN0G90G17G00X0.000Y0.000Z50.000\nN1S1000M03\nN2G00\nN3G01X10.000F500\n"
            "N4M09\nN5M30\n%\n");
  EXPECT_EQ(doc->title, dlg.outputPath);
  EXPECT_EQ(doc->layers[0].fileName, dlg.outputPath);
  dlg.outputPath = dir.file("no/dir/out.nc");  // a file that cannot be created
  EXPECT_FALSE(PostProcessCommand(app, *doc, dlg).ok());
  EXPECT_EQ(platform.lastMessage, " Can not open file !!.\n");
}

// A template that defines nothing would write an empty program in place of the toolpath:
// whether it is missing, empty or no text, nothing is written and the user is told.
TEST_F(PostConversion, TemplateDefiningNothingWritesNothing) {
  AddPoints(doc->store, "1 0 0 50");
  std::ofstream(dir.file("empty.ppr")) << "";
  std::ofstream(dir.file("binary.ppr"), std::ios::binary) << "[Cut]\nX" << '\0' << "\n[End]\n";
  for (const char* name : {"none", "empty.ppr", "binary.ppr"}) {
    dlg.ppr.LoadTemplate(dir.file(name));
    dlg.ppr.name = dir.file(name);
    const Outcome o = PostProcessCommand(app, *doc, dlg);
    EXPECT_EQ(o.code(), OutcomeCode::Refused) << name;
    EXPECT_NE(o.reason().find(name), std::string::npos) << o.reason();
    EXPECT_FALSE(std::filesystem::exists(dlg.outputPath)) << name;
    EXPECT_NE(platform.lastMessage.find(name), std::string::npos) << platform.lastMessage;
  }
  EXPECT_EQ(platform.lastMessage.rfind(" This is not a text file", 0), 0u);
}

TEST_F(PostConversion, BlockNumbersWrapDifferentlyForPlainAndBracketed) {
  for (int k = 0; k < 10001; ++k) AddPoint(doc->store, MOVE_LINE_CONT, k, 0, 0, 100);
  Only("[Cut]\nN$N\n[End]\n");
  std::string plain = Convert();
  EXPECT_EQ(plain.substr(plain.size() - 15), "N9998\nN9999\nN0\n");
  Only("[Cut]\n[$N]\n[End]\n");
  std::string bracket = Convert();
  EXPECT_EQ(bracket.substr(bracket.size() - 15), "N9998\nN9999\nN1\n");
  EXPECT_EQ(bracket.substr(0, 3), "N0\n");
  // [Define] sets the first number.
  doc->store.count = 1;
  Only("[Define]\nfirst $N=100\n$F=300 $N=7\n[End]\n[Cut]\nN$N\n[End]\n");
  EXPECT_EQ(Convert(), "N100\n");  // only a line's first key counts
}

TEST_F(PostConversion, PromptsAskEveryTimeAndKeepTheValueOnCancel) {
  AddPoints(doc->store, "3 1 2 3 100, 3 4 5 6 100");
  Only("[NewCut]\n?X ?F ?N $N ?J ?R\n[End]\n");
  // Asked in the order F, J, N, X; "$N" was expanded before any question.
  platform.values = {"250.9", "", "", "7.5", "oops", "", ""};
  std::string out = Convert();
  // Second line: F "oops" keeps the feed, J and N cancelled, X unanswered keeps 4.
  EXPECT_EQ(out, "7.500 250 1 0 0.000 ?R\n4.000 100 3 2 0.000 ?R\n");
}

}  // namespace
}  // namespace trevalon::testing
