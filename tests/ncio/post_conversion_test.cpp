#include "ncio/post_conversion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/application.h"
#include "app/output_commands.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

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

TEST_F(PostConversion, ArcSectionsNewAndContinuing) {
  // A CW arc, one continuing it, a line, a CCW arc (new after CW), a CW arc in ZX (new: other
  // direction, other plane) and an arc whose centre record names no plane: nothing written.
  AddPoints(doc->store,
            "1 0 0 0, 8 10 0 0 100, 91 5 0 0, 8 0 0 0 100, 91 -5 0 0, 3 0 5 0 100, "
            "6 5 5 0 100, 91 2.5 0 0, 8 5 5 5 100, 92 0 0 2.5, 8 5 9 9 100, 94 0 0 0");
  Only(
      "[NewXyCW]\nNEW-CW [$I]\n[End]\n[XyCW]\nCW [$I]\n[End]\n[NewXyCCW]\nNEW-CCW [$I]\n[End]\n"
      "[NewZxCW]\nNEW-ZX-CW [$ARCPLANE][$K]$R\n[End]\n[NewCut]\nLINE [$I]\n[End]\n");
  EXPECT_EQ(Convert(),
            "NEW-CW I5.000\nCW I-5.000\nLINE \nNEW-CCW I2.500\nNEW-ZX-CW G18K2.5002.500\n");
}

TEST_F(PostConversion, StartSeesEveryCoordinateAsChanged) {
  AddPoints(doc->store, "0 1 1 1, 1 999 2 3");  // not a motion: the next motion record starts
  dlg.toolChange = true;
  dlg.toolNumber = 4;
  dlg.lengthOffset = 9;
  dlg.programNumber = 77;
  Only(
      "[Start]\nO$O [$X][$Y][$Z]\n[End]\n[Tool]\nT$T H$H [$H]\n[End]\n[Spindle]\nS$S\n[End]\n"
      "[NewRapid]\n[$X][$Y][$Z]\n[End]\n[Term]\nEND $X [$Z]\n[End]\n");
  dlg.spindle = 1234;
  EXPECT_EQ(Convert(), "O77 Y2.000Z3.000\nT4 H9 H9\nS1234\n\nEND 999.000 \n");
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
}  // namespace trevalon
