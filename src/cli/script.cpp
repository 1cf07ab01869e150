#include "cli/script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/layer_commands.h"
#include "cli/script_stream.h"

namespace trevalon::cli {

// ---- Splitting -----------------------------------------------------------------------
bool SplitScript(std::string_view text, std::vector<ScriptCommand>& out, std::string& error,
                 int& errorLine) {
  int line = 1, index = 0;
  ScriptCommand cmd;
  std::string word;
  bool inWord = false, inQuote = false, inComment = false;
  int quoteLine = 0;
  auto endWord = [&] {
    if (inWord) cmd.words.push_back(std::move(word));
    word.clear();
    inWord = false;
  };
  auto endCommand = [&] {
    endWord();
    if (!cmd.words.empty()) {
      cmd.index = ++index;
      out.push_back(std::move(cmd));
    }
    cmd = ScriptCommand{};
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inQuote) {
      if (c == '"') {
        inQuote = false;
      } else if (c == '\\' && i + 1 < text.size()) {
        char n = text[i + 1];
        if (n == 'n' || n == 'r' || n == '"' || n == '\\') {
          word += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
          ++i;
        } else {
          word += c;
        }
      } else {
        if (c == '\n') ++line;
        word += c;
      }
      continue;
    }
    if (inComment) {
      if (c == '\n') {
        inComment = false;
        endCommand();
        ++line;
      }
      continue;
    }
    if (cmd.words.empty() && !inWord) cmd.line = line;
    switch (c) {
      case '\n':
        endCommand();
        ++line;
        break;
      case ';':
        endCommand();
        break;
      case '#':
        endCommand();
        inComment = true;
        break;
      case ' ':
      case '\t':
      case '\r':
        endWord();
        break;
      case '"':
        inQuote = true;
        inWord = true;
        quoteLine = line;
        break;
      default:
        word += c;
        inWord = true;
    }
  }
  if (inQuote) {
    error = "unterminated quote";
    errorLine = quoteLine;
    return false;
  }
  endCommand();
  return true;
}

std::string QuoteWord(std::string_view w) {
  bool plain = !w.empty() && std::none_of(w.begin(), w.end(), [](char c) {
    return c == ' ' || c == '\t' || c == ';' || c == '#' || c == '"' || c == '\\' || c == '\n' ||
           c == '\r';
  });
  if (plain) return std::string(w);
  std::string q = "\"";
  for (char c : w) {
    if (c == '\n')
      q += "\\n";
    else if (c == '\r')
      q += "\\r";
    else if (c == '"' || c == '\\')
      q += '\\', q += c;
    else
      q += c;
  }
  return q + "\"";
}

// ---- Errors ------------------------------------------------------------------------------
void Usage(const std::string& message) {
  throw ScriptError(2, message);
}
void Failure(const std::string& message) {
  throw ScriptError(1, message);
}

void Check(const Outcome& outcome, const std::string& verb) {
  if (!outcome.ok()) Failure(verb + ": " + outcome.reason());
}

void CheckEdit(Session& s, const Outcome& outcome, const std::string& verb) {
  if (outcome.code() == OutcomeCode::Unchanged) {
    s.err << verb << ": " << UnchangedLine(outcome) << '\n';
    return;
  }
  Check(outcome, verb);
}

// ---- Session -------------------------------------------------------------------------------
Session::Session(std::ostream& o, std::ostream& e) : platform(&e), app(platform), out(o), err(e) {
  doc = &app.NewDocument();
}

// ---- Arguments -----------------------------------------------------------------------------
Args::Args(const std::vector<std::string>& words) {
  if (!words.empty()) verb_ = words[0];
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    std::size_t eq = w.find('=');
    if (eq != std::string::npos && eq > 0 && std::isalpha(static_cast<unsigned char>(w[0]))) {
      std::string key = w.substr(0, eq), value = w.substr(eq + 1);
      options_[key] = value;
      ordered_.emplace_back(key, value);
    } else {
      positional_.push_back(w);
    }
  }
}

void Args::Expect(std::size_t min, std::size_t max,
                  std::initializer_list<const char*> allowed) const {
  if (positional_.size() < min) Usage(verb_ + ": missing argument");
  if (positional_.size() > max) Usage(verb_ + ": too many arguments ('" + positional_[max] + "')");
  for (const auto& option : ordered_) {
    const std::string& key = option.first;
    bool ok = std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return key == a; });
    if (!ok) Usage(verb_ + ": unknown option '" + key + "'");
  }
}

const std::string* Args::Option(const std::string& key) const {
  auto it = options_.find(key);
  return it == options_.end() ? nullptr : &it->second;
}

long ParseInt(std::string_view w, const char* what) {
  long v = 0;
  const char* b = w.data();
  const char* e = b + w.size();
  if (b != e && *b == '+') ++b;
  auto r = std::from_chars(b, e, v);
  if (w.empty() || r.ec != std::errc() || r.ptr != e)
    Usage(std::string(what) + " must be a whole number, not '" + std::string(w) + "'");
  return v;
}

double ParseReal(std::string_view w, const char* what) {
  std::string s(w);
  char* end = nullptr;
  double v = s.empty() ? 0.0 : std::strtod(s.c_str(), &end);
  if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(v))
    Usage(std::string(what) + " must be a number, not '" + s + "'");
  return v;
}

long Args::Int(std::size_t i, const char* what) const {
  return ParseInt(positional_.at(i), what);
}
double Args::Real(std::size_t i, const char* what) const {
  return ParseReal(positional_.at(i), what);
}
double Args::Real(std::size_t i, const char* what, RealRange range) const {
  const double v = Real(i, what);
  if (!range.Contains(v)) {
    char limits[96];
    std::snprintf(limits, sizeof limits, range.aboveLo ? "above %g and up to %g" : "in %g to %g",
                  range.lo, range.hi);
    Usage(verb_ + ": " + what + " must lie " + limits + ", not '" + positional_.at(i) + "'");
  }
  return v;
}
long Args::IntOption(const std::string& key, long fallback) const {
  const std::string* v = Option(key);
  return v ? ParseInt(*v, key.c_str()) : fallback;
}
double Args::RealOption(const std::string& key, double fallback) const {
  const std::string* v = Option(key);
  return v ? ParseReal(*v, key.c_str()) : fallback;
}
bool Args::FlagOption(const std::string& key, bool fallback) const {
  const std::string* v = Option(key);
  if (!v) return fallback;
  if (*v == "0") return false;
  if (*v == "1") return true;
  Usage(key + " must be 0 or 1, not '" + *v + "'");
}

// ---- Registry ------------------------------------------------------------------------------
namespace {
std::vector<Verb>& VerbTable() {
  static std::vector<Verb> table;
  return table;
}
std::vector<Shortcut>& ShortcutTable() {
  static std::vector<Shortcut> table;
  return table;
}
}  // namespace

VerbRegistrar::VerbRegistrar(std::initializer_list<Verb> verbs) {
  for (const Verb& v : verbs) VerbTable().push_back(v);
}
const Verb* FindVerb(std::string_view name) {
  for (const Verb& v : VerbTable())
    if (name == v.name) return &v;
  return nullptr;
}
std::vector<Verb> AllVerbs() {
  std::vector<Verb> v = VerbTable();
  std::sort(v.begin(), v.end(), [](const Verb& a, const Verb& b) {
    return std::string_view(a.name) < std::string_view(b.name);
  });
  return v;
}
ShortcutRegistrar::ShortcutRegistrar(std::initializer_list<Shortcut> shortcuts) {
  for (const Shortcut& s : shortcuts) ShortcutTable().push_back(s);
}
const Shortcut* FindShortcut(std::string_view name) {
  for (const Shortcut& s : ShortcutTable())
    if (name == s.name) return &s;
  return nullptr;
}
std::vector<Shortcut> AllShortcuts() {
  return ShortcutTable();
}

// ---- Running -------------------------------------------------------------------------------
void RunCommand(Session& s, const std::vector<std::string>& words) {
  if (words.empty()) return;
  const Verb* v = FindVerb(words[0]);
  if (!v) Usage("unknown command '" + words[0] + "'");
  Args args(words);
  // A verb that changed the toolpath ends with the line the desktop puts on its help line
  // (on stderr, beside the verb's own report on stdout).
  CDocument* doc = s.doc;
  const std::string summary = RunAndSummarise(s.app, *doc, [&] { v->handler(s, args); });
  if (!summary.empty() && s.doc == doc) s.err << summary << '\n';
}

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Runs the commands split from a piece of a script, up to (not including) the line
// `stopLine` when it is not 0. `lineBase` is added to their lines; a -c text numbers its
// commands instead. 0 when all ran, else the exit status (the message written).
int RunCommands(Session& s, const std::vector<ScriptCommand>& commands, bool commandLine,
                int lineBase, int stopLine, bool flushEach) {
  for (const ScriptCommand& c : commands) {
    if (stopLine != 0 && c.line >= stopLine) break;
    const int where = commandLine ? c.index : c.line + lineBase;
    try {
      RunCommand(s, c.words);
    } catch (const ScriptError& e) {
      s.out.flush();
      s.err << "line " << where << ": " << e.what() << '\n';
      return e.status;
    } catch (const std::bad_alloc&) {
      s.out.flush();
      s.err << "line " << where << ": out of memory\n";
      return 1;
    }
    if (flushEach) s.out.flush();
  }
  return 0;
}

}  // namespace

int RunScript(Session& s, std::string_view text, bool commandLine) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  std::vector<ScriptCommand> commands;
  std::string error;
  int errorLine = 0;
  bool split = SplitScript(text, commands, error, errorLine);
  if (int status = RunCommands(s, commands, commandLine, 0, split ? 0 : errorLine, false))
    return status;
  if (!split) {
    s.err << "line " << (commandLine ? static_cast<int>(commands.size()) + 1 : errorLine) << ": "
          << error << '\n';
    return 2;
  }
  return s.status;
}

int RunScriptStream(Session& s, std::istream& in) {
  std::streambuf* source = in.rdbuf();
  // The lines that make one piece: one line, or several while a quoted word is open.
  std::string piece;
  int pieceLine = 1;  // physical line of the piece's first line
  int line = 1;       // physical line being read
  bool inQuote = false, escape = false, first = true;
  for (;;) {
    // One physical line, its line feed included; the quote state follows it as the splitter
    // will, so that the piece is split only once it holds whole commands.
    bool ended = false, comment = false;
    for (;;) {
      const int ch = source ? source->sbumpc() : std::char_traits<char>::eof();
      if (ch == std::char_traits<char>::eof()) {
        ended = true;
        break;
      }
      const char c = static_cast<char>(ch);
      if (c == '\0') {
        s.out.flush();
        s.err << "line " << line << ": a NUL byte: this is no script text\n";
        return 2;
      }
      if (piece.size() >= kScriptLineLimit) {
        s.out.flush();
        s.err << "line " << line << ": longer than " << kScriptLineLimit
              << " bytes: this is no script text\n";
        return 2;
      }
      piece += c;
      if (first && piece.size() == kByteOrderMark.size()) {
        first = false;
        if (piece == kByteOrderMark) piece.clear();
      }
      if (c == '\n') {
        escape = false;
        break;
      }
      if (comment) continue;
      if (inQuote) {
        if (escape) {
          escape = false;
          if (c == 'n' || c == 'r' || c == '"' || c == '\\') continue;
        }
        if (c == '\\')
          escape = true;
        else if (c == '"')
          inQuote = false;
      } else if (c == '#') {
        comment = true;
      } else if (c == '"') {
        inQuote = true;
      }
    }
    first = false;
    if (!inQuote || ended) {
      std::vector<ScriptCommand> commands;
      std::string error;
      int errorLine = 0;
      const bool split = SplitScript(piece, commands, error, errorLine);
      if (int status = RunCommands(s, commands, false, pieceLine - 1, split ? 0 : errorLine, true))
        return status;
      if (!split) {
        s.err << "line " << errorLine + pieceLine - 1 << ": " << error << '\n';
        return 2;
      }
      piece.clear();
      pieceLine = line + 1;
    }
    if (ended) return 0;
    ++line;
  }
}

}  // namespace trevalon::cli
