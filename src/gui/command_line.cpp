#include "gui/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace trevalon {
namespace {

struct Option {
  std::string_view name;
  bool takesValue;
  bool valueIsPath;
};

constexpr std::array<Option, 12> kOptions{{
    {"--screenshot", true, true},
    {"--size", true, false},
    {"--view", true, false},
    {"--master", true, true},
    {"--sysdir", true, true},
    {"--lang", true, false},
    {"--feed-colours", false, false},
    {"--grid", false, false},
    {"--simulate", false, false},
    {"--sim-tool", true, false},
    {"--help", false, false},
    {"--version", false, false},
}};

const Option* FindOption(std::string_view word) {
  if (word == "-h") word = "--help";
  const auto it = std::find_if(kOptions.begin(), kOptions.end(),
                               [&](const Option& o) { return o.name == word; });
  return it == kOptions.end() ? nullptr : &*it;
}

std::string Absolute(const std::string& path, const std::filesystem::path& startDir) {
  if (path.empty()) return path;
  const std::filesystem::path p(path);
  return p.is_absolute() ? path : (startDir / p).string();
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& words,
                            const std::filesystem::path& startDir) {
  CommandLine c;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || w.empty() || w[0] != '-') {
      c.args.push_back(Absolute(w, startDir));
      continue;
    }
    if (w == "--") {
      optionsEnded = true;
      continue;
    }
    const Option* o = FindOption(w);
    if (!o) {
      c.action = CommandLine::Action::Error;
      c.error = "unknown option " + w;
      return c;
    }
    if (o->name == "--help") {
      c.action = CommandLine::Action::Help;
      return c;
    }
    if (o->name == "--version") {
      c.action = CommandLine::Action::Version;
      return c;
    }
    c.args.push_back(w);
    if (!o->takesValue) continue;
    if (i + 1 >= words.size()) {
      // The screenshot options say themselves what they miss; the start-up options here.
      if (o->name == "--sysdir" || o->name == "--lang") {
        c.action = CommandLine::Action::Error;
        c.error = std::string(o->name) + " needs a value";
        return c;
      }
      continue;
    }
    const std::string& value = words[++i];
    c.args.push_back(o->valueIsPath ? Absolute(value, startDir) : value);
  }
  return c;
}

std::string UsageText() {
  return "usage: trevalon [--sysdir DIR] [--lang en|ko|ja] [FILE...]\n"
         "       trevalon --screenshot OUT.png [--size WxH] [--view top|front|side|iso1..iso4]\n"
         "                [--feed-colours] [--grid] [--master FILE]\n"
         "                [--simulate [--sim-tool flat|ball|bull,D[,R]]] FILE...\n"
         "       trevalon --help | --version\n"
         "Opens each NC program FILE in its own window (an empty window without one);\n"
         "--screenshot renders the view of the files into a PNG without opening a window.\n"
         "Relative paths are taken from the folder the program was started in; \"--\" ends\n"
         "the options.\n";
}

}  // namespace trevalon
