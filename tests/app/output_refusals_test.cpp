// Refusals that leave every file as it was must also be seen on the desktop: an output of a
// toolpath without a move and the load of an empty file each show their message (under
// "Error message") besides the reason the command returns.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <tuple>

#include "app/load_commands.h"
#include "app/output_commands.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

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
    const std::string path = a.dir.file("keep.nc");
    std::ofstream(path, std::ios::binary) << kOldProgram;
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
  const std::string empty = a.dir.file("empty.nc");
  std::ofstream(empty).flush();
  EXPECT_EQ(LoadNcCommand(a.app, d, empty).code(), OutcomeCode::Refused);
  EXPECT_EQ(std::tuple(a.platform.messageCount, a.platform.lastMessage, a.platform.lastCaption,
                       d.store.count, d.title, d.undo.undoPos),
            std::tuple(shownBefore + 1,
                       std::string(a.app.Text(Txt::FileHoldsNoMoves)) + " " + empty + "\n",
                       "Error message", 9u, TestData("helix.nc"), undoPos));
}

}  // namespace
}  // namespace trevalon::testing
