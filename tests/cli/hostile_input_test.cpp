// trevalon-cli against hostile input: empty toolpaths and files, special files as targets,
// scripts that never end or are no text, and the refusals that must say what they refuse. Each
// row checks the exit status, the message and that the files given to it are left as they
// were.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/script.h"
#include "cli/script_stream.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = 0;
  std::string out, err;
};

CliRun RunCliMain(std::vector<std::string> args, std::istream& in) {
  args.insert(args.begin(), "trevalon-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  std::ostringstream out, err;
  const int status = cli::Main(static_cast<int>(argv.size()), argv.data(), out, err, in);
  return {status, out.str(), err.str()};
}

std::string Fill(std::string s, const TempDir& dir) {
  for (std::size_t p; (p = s.find("{d}")) != std::string::npos;)
    s.replace(p, 3, dir.path().string());
  return s;
}

// A row: the script (after -c), or "run NAME" for a script file of the row's directory, or
// "stdin" with the script on standard input; its exit status; texts that must be in the
// error stream ("!" before one: must not) and in the output ("out:" before one).
struct Row {
  std::string command;
  int status;
  std::vector<std::string> expect;
  template <class... Expect>
  Row(std::string c, int s, Expect... e)
      : command(std::move(c)), status(s), expect{std::string(e)...} {}
};

// Every row runs in a fresh directory holding `files`; afterwards each of them is still
// there with the same bytes (unless the row names it in `changes`).
void RunRows(const std::vector<Row>& rows, const std::map<std::string, std::string>& files,
             const std::string& input = "") {
  for (const Row& row : rows) {
    TempDir dir;
    for (const auto& [name, bytes] : files)
      std::ofstream(dir.file(name), std::ios::binary) << bytes;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    const std::string command = Fill(row.command, dir);
    SCOPED_TRACE(command);
    std::vector<std::string> args = {"--sysdir", dir.path().string(), "--lang", "en"};
    if (command.rfind("run ", 0) == 0)
      args.insert(args.end(), {"run", command.substr(4)});
    else if (command == "stdin")
      args.insert(args.end(), {"run", "-"});
    else
      args.insert(args.end(), {"-c", command});
    std::istringstream in(input);
    const CliRun r = RunCliMain(args, in);
    EXPECT_EQ(r.status, row.status) << r.out << r.err;
    for (const std::string& e : row.expect) {
      const bool out = e.rfind("out:", 0) == 0;
      const bool absent = !out && e[0] == '!';
      const std::string text = Fill(e.substr(out ? 4 : absent ? 1 : 0), dir);
      const std::string& got = out ? r.out : r.err;
      EXPECT_EQ(got.find(text) == std::string::npos, absent) << e << "\n" << got;
    }
    for (const auto& [name, bytes] : files) EXPECT_EQ(ReadAll(dir.file(name)), bytes) << name;
    EXPECT_EQ(fs::status(dir.path() / "fifo").type(), fs::file_type::fifo);
  }
}

// A polygon of n window positions on a circle, far enough apart to be taken.
std::string Ring(int n) {
  std::string words;
  for (int k = 0; k < n; ++k) {
    const double a = 6.283185307179586 * k / n;
    words += std::to_string(static_cast<int>(200 + 180 * std::cos(a))) + " " +
             std::to_string(static_cast<int>(200 + 180 * std::sin(a))) + " ";
  }
  return words;
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int k = 0; k < times; ++k) all += text;
  return all;
}

const std::string kPath = "add 1 0 0 5 0; add 3 0 0 -1 100; add 4 10 0 -1 100; add 1 10 0 5 0; ";

TEST(HostileInput, RefusalsSayWhatTheyRefuseAndKeepTheFiles) {
  const std::map<std::string, std::string> files = {
      {"keep.nc", "%\nO1\nG00X0Y0Z5\nM30\n%\n"},
      {"empty.nc", ""},
      {"empty.ppr", ""},
      {"bom.txt",
       "\xEF\xBB\xBF"
       "add 1 0 0 0 0\ndump\n"},
      {"nul.txt", std::string("add 1 0 0 0 0\nadd\0 1", 20)},
      {"quoted.txt", "add 1 0 0 0 0\nlayerinfo 1 comment=\"a\nb # not a comment\"\nbogus\n"},
      // A start part that rapids deep into the work before the first cut.
      {"deep.nc", "%\nO7\nG90G00G17\nG00Z-50.\nG00X0Y0\nG01Z-1.F100\nX10.\nG00Z50.\nM30\n%\n"},
      // An end part (the lines from the last retract on) that rapids deep after the last cut;
      // the end part is only taken from a program of 500 bytes or more.
      {"deepend.nc", "%\nO7\nG90G00G17\nG00Z50.\nG00X0Y0\nG01Z-1.F100\n" +
                         Repeat("X10.\nX0.\n", 60) + "G00Z50.\nG00X0Y0\nG00Z-50.\nM30\n%\n"},
  };
  RunRows(
      {
          // An empty toolpath writes nothing, whatever the output.
          {"save {d}/keep.nc editor=0", 1, "save: the toolpath holds no moves; nothing written"},
          {"layer 2; savelayers {d}/keep.nc 0 2", 1, "the toolpath holds no moves"},
          {"post {d}/keep.nc", 1, "post: "},
          // An empty file holds no moves: refused, the layer is kept.
          {kPath + "load {d}/empty.nc", 1, "'{d}/empty.nc' is empty: it holds no moves"},
          // Special files are never replaced (the FIFO is checked after every row).
          {kPath + "save {d}/fifo editor=0", 1, "not a regular file"},
          {kPath + "save {d} editor=0", 1, "is a folder, not a file"},
          // Options that exclude each other are refused before anything is written.
          {kPath + "save {d}/keep.nc heidenhain=1 incremental=1 editor=0", 2,
           "cannot be written as a Heidenhain program; nothing written", "!Incremental ncdata"},
          {"ppr save {d}/new.ppr from={d}/empty.ppr", 1, "defines no section; nothing written"},
          {"run {d}", 1, "is a folder, not a file"},
          {kPath + "mma {d}/missing.mma; optimize", 0,
           "optimize: warning: the master-model file '{d}/missing.mma' does not exist"},
          // Scripts: a byte-order mark is skipped, a NUL byte is no script, a quoted word over
          // two lines keeps the physical line numbers of what follows.
          {"run {d}/bom.txt", 0, "out:0 1 0.0000 0.0000 0.0000 0 0\n"},
          {"run {d}/nul.txt", 2, "line 2: a NUL byte"},
          {"run {d}/quoted.txt", 2, "line 4: unknown command 'bogus'"},
          // Verify compares the copied start part too, and says how many moves differ.
          {kPath + "save {d}/out.nc editor=0 startend={d}/deep.nc verify=1", 1,
           "difference(s) among", "First difference:", "Z-50.000"},
          {kPath + "save {d}/out.nc editor=0 startend={d}/deepend.nc verify=1", 1,
           "1 difference(s) among", "expected nothing, read G00 X10.000 Y0.000 Z-50.000"},
          // A polygon over the path commands' vertex limit says the limit and fails.
          {kPath + "view size 400 400; reverse scope=polygon " + Ring(120), 1,
           "reverse: the polygon has 100 or more vertices 5 pixels apart; at most 99"},
          {kPath + "view size 400 400; reverse scope=polygon " + Ring(60), 0, "!at most 99"},
          // A retract below the toolpath's top is taken with a warning.
          {kPath + "retract -50", 0, "retract: warning: -50.000 lies below the toolpath's top"},
          {kPath + "retract 50", 0, "!warning"},
      },
      files);
}

TEST(HostileInput, ScriptLinesAreBounded) {
  RunRows({{"stdin", 2, "line 2: longer than 1048576 bytes"}}, {},
          "add 1 0 0 0 0\n" + std::string(cli::kScriptLineLimit + 1, 'a'));
  // An unterminated quote at the end is an error on the quote's line; what came before ran.
  RunRows({{"stdin", 2, "line 2: unterminated quote", "out:0 1 "}}, {},
          "add 1 0 0 0 0; dump\nlayerinfo 1 comment=\"open\n\n");
}

// A stream that fails the test when its second line is asked for before the first line's
// command has printed: the script must run as it is read, not after it has all been read.
class TwoLines : public std::streambuf {
 public:
  explicit TwoLines(const std::ostringstream& out) : out_(out) {}

 protected:
  int_type underflow() override {
    if (step_ == 0) {
      line_ = "add 1 0 0 0 0; dump\n";
    } else if (step_ == 1) {
      EXPECT_NE(out_.str().find("0 1 0.0000"), std::string::npos) << "not run as it came";
      line_ = "dump\n";
    } else {
      return traits_type::eof();
    }
    ++step_;
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  const std::ostringstream& out_;
  std::string line_;
  int step_ = 0;
};

TEST(HostileInput, StandardInputRunsLineByLine) {
  TempDir dir;
  std::ostringstream out, err;
  TwoLines lines(out);
  std::istream in(&lines);
  cli::Session s(out, err);
  StartOptions o;
  o.systemDir = dir.path().string();
  o.language = "en";
  ASSERT_TRUE(s.app.StartUp(o));
  EXPECT_EQ(cli::RunScriptStream(s, in), 0) << err.str();
  EXPECT_EQ(out.str(), "0 1 0.0000 0.0000 0.0000 0 0\n0 1 0.0000 0.0000 0.0000 0 0\n");
}

}  // namespace
}  // namespace trevalon::testing
