// The verbs of the program text: each row a script, its exit status and fragments of what it
// prints or writes. What the edits do is tested in the core (tests/app/text_edit_test.cpp);
// these rows check that the words reach it and its results and failures come back.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/script.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

struct Row {
  std::string script;
  int status;
  std::vector<std::string> out;  // fragments of the output ("!TEXT": not in it)
  std::vector<std::string> err = {};
};

void RunRows(const std::vector<Row>& rows) {
  TempDir dir;
  std::ofstream(dir.file("p.nc"), std::ios::binary)
      << "%\nO1\nN5 G0 X0 Y0 Z5.\nG1 Z-1. F100\n(CUT)\nN7 X10.\nY10.\nM30\n";
  for (const Row& row : rows) {
    std::string script = row.script;
    for (std::size_t p; (p = script.find("{d}")) != std::string::npos;)
      script.replace(p, 3, dir.path().string());
    SCOPED_TRACE(script);
    std::vector<std::string> all = {"trevalon-cli", "--sysdir", dir.path().string(), "--lang", "en",
                                    "-c",           script};
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    std::ostringstream out, err;
    std::istringstream in;
    const int status = cli::Main(static_cast<int>(argv.size()), argv.data(), out, err, in);
    EXPECT_EQ(status, row.status) << out.str() << err.str();
    for (const std::string& f : row.out) {
      const bool negate = !f.empty() && f[0] == '!';
      EXPECT_EQ(out.str().find(negate ? f.substr(1) : f) == std::string::npos, negate) << f << "\n"
                                                                                       << out.str();
    }
    for (const std::string& f : row.err)
      EXPECT_NE(err.str().find(f), std::string::npos) << f << "\n" << err.str();
  }
}

TEST(TextEditVerbs, EditRenumberSaveAndSync) {
  RunRows({
      {"load {d}/p.nc; edit 6 \"N7 X20.\"; textlines 6; dump", 0, {"6: N7 X20.", "read again)"}},
      {"load {d}/p.nc; edit insert 7 \"X15.\"; textlines 7 8",
       0,
       {"7: X15.", "8: Y10.", "text: 9 lines"}},
      {"load {d}/p.nc; edit delete 6 7; textlines; info", 0, {"6: M30", "!X10."}},
      {"load {d}/p.nc; renumber start=100 step=2; textlines 3 6",
       0,
       {"3: N100 G0", "4: G1 Z-1.", "6: N102 X10."}},
      {"load {d}/p.nc; renumber every=1; textlines 4", 0, {"4: N20 G1 Z-1."}},
      {"load {d}/p.nc; edit 4 \"G1 Z-2. F100\"; undo; textlines 4; redo; textlines 4",
       0,
       {"4: G1 Z-1. F100", "4: G1 Z-2. F100"}},
      {"load {d}/p.nc; edit 6 \"N7 X30.\"; savetext {d}/q.nc; load {d}/q.nc; textlines 6",
       0,
       {"6: N7 X30."}},
      {"load {d}/p.nc; textsync; clear; textsync; textsync keep",
       0,
       {"the text describes the toolpath", "no longer describes the toolpath", "delete all paths",
        "the text is kept"}},
      {"load {d}/p.nc; clear; textsync write {d}/w.nc; textsync", 1, {}, {"textsync write"}},
      {"load {d}/p.nc; textsync write {d}/w.nc; textsync", 0, {"the text describes the toolpath"}},
      // Refusals: a line beyond the text, bad numbers, no program.
      {"load {d}/p.nc; edit 40 \"X1.\"", 1, {}, {"edit: no line 40 (the text has 8)"}},
      {"load {d}/p.nc; edit delete 0 2", 2, {}, {"FROM must be 1 or more"}},
      {"edit 1 \"X1.\"", 1, {}, {"no program text"}},
      {"load {d}/p.nc; renumber step=0", 1, {}, {"renumber:"}},
      {"load {d}/p.nc; textsync write", 2, {}, {"textsync: keep, or write FILE"}},
  });
}

}  // namespace
}  // namespace trevalon::testing
