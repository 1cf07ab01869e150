#pragma once
// Helpers shared by the tests: temporary directories, building toolpaths, running the
// command-line tool in-process.

#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "cli/script.h"
#include "model/point_store.h"

namespace trevalon::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Starts the application in English with korvo.cfg in dir, never in the user's home.
int StartInTempDir(CApplication& app, const TempDir& dir);

// The whole file as bytes ("" when it cannot be read).
std::string ReadAll(const std::string& path);

// Appends one record through the register.
void AddPoint(CPointStore& s, int type, double x, double y, double z, int feed = 0, int mark = 0);
// Appends records written as `dump` prints them without the index, separated by commas:
// "1 0 0 5, 3 0 0 0 100" (feed and mark may be left out).
void AddPoints(CPointStore& s, std::string_view records);

struct ScriptResult {
  int status = 0;
  std::string out, err;
};
// Runs trevalon-cli's main with these arguments (without the program name).
ScriptResult RunCli(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace trevalon::testing
