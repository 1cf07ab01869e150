// Where the help finds the manual, and when a help file named in the work environment is the
// user's own.

#include "app/help_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace trevalon {
namespace {

namespace fs = std::filesystem;

using Folders = std::vector<std::string>;

TEST(HelpFiles, ManualFoldersComeInTheirOrder) {
  ManualSearch s;
  s.xdgDataDirsSet = true;
  // Empty and relative entries are no data folders; a folder named twice is looked in once.
  s.xdgDataDirs = "/opt/a/share::relative/share:/usr/share/:/opt/a/share";
  s.programDir = "/opt/tv/bin";
  s.buildDir = "/src/tv/build";
  s.sourceManual = "/src/tv/docs/manual";
  s.installManual = "/usr/local/share/trevalon/manual";
  EXPECT_EQ(ManualFolders(s),
            (Folders{"/opt/tv/share/trevalon/manual", "/opt/a/share/trevalon/manual",
                     "/usr/share/trevalon/manual", "/usr/local/share/trevalon/manual"}));

  // Run from inside its build folder (however the path is spelt), the program shows the
  // manual of its own sources first.
  for (const char* dir : {"/src/tv/build/src/gui/", "/src/tv/build/../build/tests/gui"}) {
    s.programDir = dir;
    EXPECT_EQ(ManualFolders(s).front(), "/src/tv/docs/manual") << dir;
  }
  // A folder whose name only begins like the build folder's is elsewhere.
  s.programDir = "/src/tv/build-asan/src/gui";
  const Folders elsewhere = ManualFolders(s);
  EXPECT_EQ(std::count(elsewhere.begin(), elsewhere.end(), "/src/tv/docs/manual"), 0);

  // Unset, the data folders are the usual two; the program's own share folder is one of them.
  ManualSearch unset;
  unset.programDir = "/usr/bin";
  unset.installManual = "/usr/share/trevalon/manual";
  EXPECT_EQ(ManualFolders(unset),
            (Folders{"/usr/share/trevalon/manual", "/usr/local/share/trevalon/manual"}));
}

TEST(HelpFiles, TheFirstFolderWithTheContentsPageWinsAndOwnFilesAreRealFiles) {
  const testing::TempDir dir;
  const fs::path& root = dir.path();
  // An empty manual folder first (an install that lost its pages), then a whole one.
  fs::create_directories(root / "empty/trevalon/manual");
  fs::create_directories(root / "whole/trevalon/manual");
  std::ofstream(root / "whole/trevalon/manual" / kManualContents) << "<html></html>";
  ManualSearch s;
  s.xdgDataDirsSet = true;
  s.xdgDataDirs = (root / "empty").string() + ":" + (root / "whole").string();
  EXPECT_EQ(FindManual(s), (root / "whole/trevalon/manual").string());
  s.xdgDataDirs = (root / "empty").string();
  s.installManual = (root / "nowhere").string();
  EXPECT_EQ(FindManual(s), "");

  const fs::path own = root / "korvo.hlp";
  std::ofstream(own) << "help";
  // Not the fresh set-up's default (missing), a folder, or no name.
  EXPECT_EQ(std::tuple(IsOwnHelpFile(own.string()), IsOwnHelpFile((root / "missing.hlp").string()),
                       IsOwnHelpFile(root.string()), IsOwnHelpFile("")),
            std::tuple(true, false, false, false));
}

}  // namespace
}  // namespace trevalon
