// trevalon-cli: options, the script runners and the shortcuts.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/load_commands.h"
#include "cli/script.h"
#include "cli/script_stream.h"
#include "platform/file_io.h"
#include "platform/system_paths.h"

namespace trevalon::cli {

namespace {
void PrintHelp(std::ostream& out) {
  out << "Usage:\n"
         "  trevalon-cli [OPTIONS] -c \"COMMAND; COMMAND ...\"\n"
         "  trevalon-cli [OPTIONS] run SCRIPT        (SCRIPT may be - for standard input)\n"
         "  trevalon-cli [OPTIONS] SHORTCUT ARGS...\n"
         "  trevalon-cli --help\n"
         "\nOptions:\n"
         "  --sysdir DIR         where korvo.cfg lives (default $TREVALON_SYSDIR, else\n"
         "                       "
      << ConfigurationFolderRule()
      << ")\n"
         "  --lang en|ko|ja      language of the messages (default from LC_ALL/LC_MESSAGES/LANG)\n"
         "  --answer ok|cancel   how questions are answered (default cancel)\n"
         "\nScripts: one command per line or separated by ';', words separated by blanks,\n"
         "\"...\" around a word with blanks or ';' (\\n and \\\" inside), '#' starts a comment,\n"
         "options as key=value. Exit status: 0 done, 1 a command failed, 2 usage error.\n"
         "\nCommands:\n";
  for (const Verb& v : AllVerbs()) out << "  " << v.usage << '\n';
  auto shortcuts = AllShortcuts();
  if (!shortcuts.empty()) {
    out << "\nShortcuts:\n";
    for (const Shortcut& s : shortcuts) out << "  trevalon-cli " << s.usage << '\n';
  }
}
}  // namespace

int Main(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in) {
  StartOptions start;
  std::string answer;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) {
        err << "trevalon-cli: " << name << " needs a value\n";
        return {};
      }
      return argv[++i];
    };
    if (!rest.empty()) {
      rest.push_back(a);
    } else if (a == "--help" || a == "-h") {
      PrintHelp(out);
      return 0;
    } else if (a == "--sysdir") {
      start.systemDir = value("--sysdir");
      if (start.systemDir.empty()) return 2;
    } else if (a == "--lang") {
      start.language = value("--lang");
      if (start.language.empty()) return 2;
    } else if (a == "--answer") {
      answer = value("--answer");
      if (answer != "ok" && answer != "cancel") {
        err << "trevalon-cli: --answer takes ok or cancel\n";
        return 2;
      }
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty()) {
    PrintHelp(err);
    return 2;
  }

  Session s(out, err);
  std::string why;
  if (!s.app.StartUp(start, &why)) {
    err << "trevalon-cli: " << why << '\n';
    return 2;
  }
  s.platform.presetAnswer = answer == "ok" ? Answer::Ok : Answer::Cancel;
  InitDocument(s.app, *s.doc);  // the document's NC switches from korvo.par

  const std::string& mode = rest[0];
  if (mode == "-c") {
    if (rest.size() != 2) {
      err << "trevalon-cli: -c takes one argument (quote the commands)\n";
      return 2;
    }
    return RunScript(s, rest[1], true);
  }
  if (mode == "run") {
    if (rest.size() != 2) {
      err << "trevalon-cli: run takes one script file (or -)\n";
      return 2;
    }
    if (rest[1] == "-") return RunScriptStream(s, in);
    // A folder opens as a stream on some systems and reads as nothing: it is said instead.
    std::error_code ec;
    if (std::filesystem::is_directory(NativePath(rest[1]), ec)) {
      err << "trevalon-cli: " << DescribeReadError(FileReadError::Folder, rest[1]) << '\n';
      return 1;
    }
    std::ifstream f(NativePath(rest[1]), std::ios::binary);
    if (!f) {
      err << "trevalon-cli: cannot open script '" << rest[1] << "'\n";
      return 1;
    }
    return RunScriptStream(s, f);
  }
  if (const Shortcut* sc = FindShortcut(mode)) {
    std::vector<std::string> args(rest.begin() + 1, rest.end());
    try {
      return sc->handler(s, args);
    } catch (const ScriptError& e) {
      // A reason that already names the shortcut's own verb is not named twice.
      const std::string what = e.what();
      if (what.compare(0, mode.size() + 2, mode + ": ") == 0)
        err << "trevalon-cli " << what << '\n';
      else
        err << "trevalon-cli " << mode << ": " << what << '\n';
      return e.status;
    }
  }
  err << "trevalon-cli: unknown mode '" << mode << "' (try --help)\n";
  return 2;
}

}  // namespace trevalon::cli
