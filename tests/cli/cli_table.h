#pragma once
// trevalon-cli's main run in the tests: one command line, and tables of scripts with their exit
// status and fragments of what they print and write.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/script.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon::testing {

struct ScriptResult {
  int status = 0;
  std::string out, err;
};

// Runs trevalon-cli's main with these arguments (without the program name).
inline ScriptResult RunCli(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> all = {"trevalon-cli"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  std::ostringstream out, err;
  std::istringstream in(input);
  const int status = cli::Main(static_cast<int>(argv.size()), argv.data(), out, err, in);
  return {status, out.str(), err.str()};
}

// Runs one command line (words split at blanks) in the session: 0, or the status of the
// ScriptError it raised (1 a refused command, 2 a usage error).
inline int RunWords(cli::Session& session, const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  try {
    cli::RunCommand(session, words);
    return 0;
  } catch (const cli::ScriptError& e) {
    return e.status;
  }
}

// A script run with -c, or "$ WORDS" for a command line split at blanks (after "-c" the rest is
// one word). {d} is the row's directory (also --sysdir), {data} the test data, {ex} the
// examples. Each expectation is "STREAM:TEXT" with STREAM out, err or a file in {d}: TEXT occurs
// there; a leading '=' asks for all of it, '^' for its start, '!' for TEXT not to occur.
struct Row {
  std::string command;
  int status;
  std::vector<std::string> expect;
  std::string file = __FILE__;  // where the row is written, for the failure report
  int line = 0;
  template <class... Expect>
  Row(std::string c, int s, Expect... e)
      : command(std::move(c)), status(s), expect{std::string(e)...} {}
};

inline std::string Fill(std::string s, const TempDir& dir) {
  const std::pair<std::string, std::string> keys[] = {
      {"{d}", dir.path().string()}, {"{data}", TREVALON_TEST_DATA}, {"{ex}", TREVALON_EXAMPLES}};
  for (const auto& [key, value] : keys)
    for (std::size_t p; (p = s.find(key)) != std::string::npos;) s.replace(p, key.size(), value);
  return s;
}

// The rows run in order in one directory, so a row may use the files of the rows before it.
// `usage` lists commands with wrong words: each is a usage error (status 2) run after the rows.
// `in`, when given, is the directory to run in instead of a fresh one.
inline void RunTable(std::vector<Row> rows, const std::map<std::string, std::string>& files = {},
                     const std::vector<std::string>& usage = {}, const TempDir* in = nullptr) {
  for (const std::string& command : usage) rows.push_back({command, 2});
  const TempDir own;
  const TempDir& dir = in ? *in : own;
  for (const auto& [name, bytes] : files) std::ofstream(dir.file(name), std::ios::binary) << bytes;
  for (const Row& row : rows) {
    const std::string command = Fill(row.command, dir);
    const ::testing::ScopedTrace trace(row.file.c_str(), row.line, command);
    std::vector<std::string> args = {"--sysdir", dir.path().string(), "--lang", "en"};
    if (command.rfind("$ ", 0) == 0) {
      std::istringstream words(command.substr(2));
      for (std::string w; words >> w;) {
        args.push_back(w);
        if (w != "-c") continue;
        std::getline(words >> std::ws, w);
        args.push_back(w);
      }
    } else {
      args.insert(args.end(), {"-c", command});
    }
    const ScriptResult r = RunCli(args);
    EXPECT_EQ(r.status, row.status) << r.out << r.err;
    for (const std::string& e : row.expect) {
      const std::size_t colon = e.find(':');
      const char how = std::string("=^!").find(e[0]) != std::string::npos ? e[0] : ' ';
      const std::string where = e.substr(how == ' ' ? 0 : 1, colon - (how == ' ' ? 0 : 1));
      const std::string text = Fill(e.substr(colon + 1), dir);
      const std::string got = where == "out"   ? r.out
                              : where == "err" ? r.err
                                               : ReadAll(dir.file(where));
      const bool found = got.find(text) != std::string::npos;
      EXPECT_TRUE(how == '='   ? got == text
                  : how == '^' ? got.rfind(text, 0) == 0
                               : found == (how != '!'))
          << e << "\n"
          << where << ":\n"
          << got;
    }
  }
}

// A transcript file: tables of rows written as text (the format is described at the top of
// each file under tests/data/cli). Each row keeps the file and line it came from.
struct Transcript {
  std::string name;
  bool alone = false;  // each row alone in a fresh directory (RunAlone)
  std::map<std::string, std::string> files;
  std::vector<Row> rows;
};

inline std::vector<Transcript> ReadTranscripts(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  std::vector<Transcript> tables;
  std::vector<std::pair<std::string, std::string>> lets;
  std::string* last = nullptr;  // the text a '+' line continues
  const auto place = [&](const std::string& text) {
    std::string t = text;
    for (const auto& [key, value] : lets)
      for (std::size_t p; (p = t.find(key)) != std::string::npos;) t.replace(p, key.size(), value);
    return t;
  };
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line[start] == '#') continue;
    const std::string body = line.substr(start), rest = line.substr(line.find(' ') + 1);
    if (body[0] == '+' && last) {
      *last += place(body.substr(1));
    } else if (body.rfind("@ ", 0) == 0) {
      tables.push_back({body.substr(2), false, {}, {}});
      if (tables.back().name.size() > 6 && tables.back().name.ends_with(" alone")) {
        tables.back().name.resize(tables.back().name.size() - 6);
        tables.back().alone = true;
      }
      lets.clear();
      last = nullptr;
    } else if (tables.empty()) {
      ADD_FAILURE_AT(path.c_str(), number) << "a line before the first table: " << line;
    } else if (body.rfind("let ", 0) == 0) {
      const std::size_t blank = rest.find(' ');
      lets.emplace_back("{" + rest.substr(0, blank) + "}", "");
      last = &lets.back().second;
      *last = place(rest.substr(blank + 1));
    } else if (body.rfind("file ", 0) == 0) {
      const std::size_t blank = rest.find(' ');
      last = &tables.back().files[rest.substr(0, blank)];
      *last = blank == std::string::npos ? "" : place(rest.substr(blank + 1));
    } else if (body[0] == '[' && start == 0) {
      const std::size_t close = body.find("] ");
      tables.back().rows.push_back({place(body.substr(close + 2)), std::stoi(body.substr(1))});
      tables.back().rows.back().file = path;
      tables.back().rows.back().line = number;
      last = &tables.back().rows.back().command;
    } else if (start > 0 && !tables.back().rows.empty()) {
      tables.back().rows.back().expect.push_back(place(body));
      last = &tables.back().rows.back().expect.back();
    } else {
      ADD_FAILURE_AT(path.c_str(), number) << "cannot read: " << line;
    }
  }
  for (Transcript& t : tables) {
    for (auto& [name, bytes] : t.files) bytes = Unescape(bytes);
    for (Row& row : t.rows) {
      row.command = Unescape(row.command);
      for (std::string& e : row.expect) e = Unescape(e);
    }
  }
  return tables;
}

}  // namespace trevalon::testing
