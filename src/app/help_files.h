#pragma once
// The help of the program: the user manual shipped with it (a folder of HTML pages with
// index.html as its contents page) and the help files a user may name in the work
// environment (HelpFileName, TrainingHelpName).

#include <string>
#include <vector>

namespace trevalon {

// The contents page of the manual and the page of the first-job walkthrough.
inline constexpr const char* kManualContents = "index.html";
inline constexpr const char* kManualTutorial = "first-job.html";

// What the manual's search depends on, filled in by the desktop program.
struct ManualSearch {
  // $XDG_DATA_DIRS as it is set; unset means the usual "/usr/local/share:/usr/share".
  bool xdgDataDirsSet = false;
  std::string xdgDataDirs;
  std::string programDir;     // the folder of the running program
  std::string buildDir;       // the build folder the program was built in ("" when unknown)
  std::string sourceManual;   // docs/manual of the source tree it was built from
  std::string installManual;  // the manual under the configured install prefix
};

// Where the manual is looked for, in this order:
//  1. the source tree's docs/manual, when the program runs from inside its build folder, so
//     that a build shows the manual of its own sources;
//  2. share/trevalon/manual beside the program's bin folder: the manual installed with this
//     very program (also when the install was moved elsewhere as a whole), before any other
//     version the data folders may hold;
//  3. trevalon/manual under every folder of $XDG_DATA_DIRS, in their order;
//  4. the one under the install prefix the program was built for.
// Empty and relative entries are left out and a folder is listed once.
std::vector<std::string> ManualFolders(const ManualSearch& s);

// The first of those folders that holds the contents page; "" when none does.
std::string FindManual(const ManualSearch& s);

// A help file named in the work environment is the user's own and opens as before (with the
// desktop's program for its type) when it names a file that is there; otherwise (the default
// names in a fresh set-up, an empty setting, a folder) the manual is shown.
bool IsOwnHelpFile(const std::string& path);

}  // namespace trevalon
