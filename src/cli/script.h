#pragma once
// The line-oriented command language of trevalon-cli: splitting a script into commands and
// words, the verbs' argument helpers, and the registry that every subsystem adds its verbs to.

#include <any>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "platform/outcome.h"
#include "platform/platform.h"
#include "platform/value_range.h"

namespace trevalon::cli {

// ---- Splitting -----------------------------------------------------------------------
struct ScriptCommand {
  int line = 0;   // physical line of the script (1-based)
  int index = 0;  // position among the commands (1-based)
  std::vector<std::string> words;
};

// One command per line or per ';'; blanks separate words; "..." holds blanks and ';' (with
// \n, \r, \" and \\ inside); '#' outside quotes starts a comment. False with a message for
// an unterminated quote (the commands before it are kept in out).
bool SplitScript(std::string_view text, std::vector<ScriptCommand>& out, std::string& error,
                 int& errorLine);

// Quotes a word so that SplitScript gives it back unchanged.
std::string QuoteWord(std::string_view word);

// ---- Errors ------------------------------------------------------------------------------
// Thrown by a verb: status 2 for a usage error (unknown verb, bad argument), 1 for a
// command that failed.
struct ScriptError : std::runtime_error {
  ScriptError(int s, const std::string& m) : std::runtime_error(m), status(s) {}
  int status;
};
[[noreturn]] void Usage(const std::string& message);
[[noreturn]] void Failure(const std::string& message);
// A command of the core that did not do its work fails the verb with the core's reason:
// "VERB: reason".
void Check(const Outcome& outcome, const std::string& verb);

// ---- Session -------------------------------------------------------------------------------
// One application with one document, driven by scripts.
struct Session {
  Session(std::ostream& out, std::ostream& err);
  HeadlessPlatform platform;
  CApplication app;
  CDocument* doc = nullptr;
  std::ostream& out;
  std::ostream& err;
  // The exit status of a script that runs to its end: 1 once a read stopped before the end
  // of its program (the moves before the stop were loaded and the script went on).
  int status = 0;

  // The values a command's dialog would keep while the program runs: a verb's options that
  // are not given take the values of the verb's previous use in this session, starting from
  // the dialog's first values (`start`).
  template <class Values>
  Values& Remembered(const std::string& key, Values start = {}) {
    auto it = remembered_.find(key);
    if (it == remembered_.end()) it = remembered_.emplace(key, std::move(start)).first;
    return *std::any_cast<Values>(&it->second);
  }

 private:
  std::map<std::string, std::any> remembered_;
};

// The same for an editing command that may rightly do nothing (a refused window, a polygon of
// fewer than three vertices, an empty toolpath): Unchanged is not a failure; its reason goes
// to the error stream as "verb: reason (nothing changed)" and the script goes on.
void CheckEdit(Session& s, const Outcome& outcome, const std::string& verb);

// ---- Arguments -----------------------------------------------------------------------------
// The words of one command: positional words, and options written key=value.
class Args {
 public:
  explicit Args(const std::vector<std::string>& words);
  const std::string& verb() const { return verb_; }
  std::size_t size() const { return positional_.size(); }
  const std::string& operator[](std::size_t i) const { return positional_.at(i); }
  const std::vector<std::string>& positional() const { return positional_; }

  // Usage errors unless the count lies in [min, max] and every option is one of `allowed`.
  void Expect(std::size_t min, std::size_t max,
              std::initializer_list<const char*> allowed = {}) const;

  bool Has(const std::string& key) const { return options_.count(key) != 0; }
  const std::string* Option(const std::string& key) const;
  const std::vector<std::pair<std::string, std::string>>& options() const { return ordered_; }

  long Int(std::size_t i, const char* what) const;
  double Real(std::size_t i, const char* what) const;
  // The same within a range: a usage error names the word and the range.
  double Real(std::size_t i, const char* what, RealRange range) const;
  long IntOption(const std::string& key, long fallback) const;
  double RealOption(const std::string& key, double fallback) const;
  bool FlagOption(const std::string& key, bool fallback) const;  // 0 or 1

 private:
  std::string verb_;
  std::vector<std::string> positional_;
  std::map<std::string, std::string> options_;
  std::vector<std::pair<std::string, std::string>> ordered_;
};

long ParseInt(std::string_view word, const char* what);
double ParseReal(std::string_view word, const char* what);

// ---- Registry ------------------------------------------------------------------------------
using VerbHandler = void (*)(Session&, const Args&);
struct Verb {
  const char* name;
  const char* usage;
  VerbHandler handler;
};
// A verb file registers its verbs with a static VerbRegistrar.
struct VerbRegistrar {
  VerbRegistrar(std::initializer_list<Verb> verbs);
};
const Verb* FindVerb(std::string_view name);
std::vector<Verb> AllVerbs();

// Shortcuts of the command line itself (trevalon-cli NAME ARGS...), e.g. "info FILE".
using ShortcutHandler = int (*)(Session&, const std::vector<std::string>& args);
struct Shortcut {
  const char* name;
  const char* usage;
  ShortcutHandler handler;
};
struct ShortcutRegistrar {
  ShortcutRegistrar(std::initializer_list<Shortcut> shortcuts);
};
const Shortcut* FindShortcut(std::string_view name);
std::vector<Shortcut> AllShortcuts();

// ---- Running -------------------------------------------------------------------------------
// Runs one command; throws ScriptError.
void RunCommand(Session& s, const std::vector<std::string>& words);
// Runs a script; stops at the first error with "line N: reason" on err. Returns the exit
// status: 0, 1 (a command failed) or 2 (usage). commandLine numbers the commands of a -c
// text one by one; a file is numbered by its lines.
int RunScript(Session& s, std::string_view text, bool commandLine);

// The whole tool: trevalon-cli's main.
int Main(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in);

}  // namespace trevalon::cli
