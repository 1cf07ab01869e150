#pragma once
// The desktop program's command line, read before anything else happens (no window, no
// display needed): --help and --version are answered on the terminal, an unknown option is
// an error, and every file named on it is made absolute against the folder the program was
// started in, before start-up makes the work directory current.

#include <filesystem>
#include <string>
#include <vector>

namespace trevalon {

struct CommandLine {
  enum class Action {
    Run,      // open the window (or take the screenshot) with `args`
    Help,     // print the usage on standard output, exit 0
    Version,  // print "trevalon VERSION", exit 0
    Error,    // print `error` and the usage on standard error, exit 2
  };
  Action action = Action::Run;
  std::string error;
  // The words for the rest of start-up, with relative paths made absolute and a "--" that
  // ended the options taken out.
  std::vector<std::string> args;
};

CommandLine ReadCommandLine(const std::vector<std::string>& words,
                            const std::filesystem::path& startDir);
std::string UsageText();

}  // namespace trevalon
