#include "ncio/post_template.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "ncio/shipped_templates.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

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
  EXPECT_TRUE(t[kSecCut].defined);
  EXPECT_EQ(t[kSecCut].Text(), "G01 X1\r\n");
  EXPECT_TRUE(t[kSecRapid].defined);
  EXPECT_EQ(t[kSecRapid].Text(), "C\r\n");
  EXPECT_FALSE(t[kSecNewCut].defined);
  EXPECT_EQ(t[kSecNewCut].lineCount, 0);
  EXPECT_EQ(t[kSecTerm].lineCount, 10);  // lines beyond the tenth are dropped
  EXPECT_EQ(t[kSecTerm].lines[9], "10\r\n");
  // Untouched sections keep their default lines and write nothing.
  EXPECT_FALSE(t[kSecStart].defined);
  EXPECT_EQ(t[kSecStart].Text(), defaults[kSecStart].Text());
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

}  // namespace
}  // namespace trevalon
