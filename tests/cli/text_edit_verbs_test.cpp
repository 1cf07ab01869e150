// The verbs of the program text: each row a script, its exit status and fragments of what it
// prints or writes. What the edits do is tested in the core (tests/app/text_edit_test.cpp);
// these rows check that the words reach it and its results and failures come back.

#include <gtest/gtest.h>

#include "cli_table.h"

namespace trevalon::testing {
namespace {

const std::map<std::string, std::string> kProgram = {
    {"p.nc", "%\nO1\nN5 G0 X0 Y0 Z5.\nG1 Z-1. F100\n(CUT)\nN7 X10.\nY10.\nM30\n"}};

TEST(TextEditVerbs, EditRenumberSaveAndSync) {
  RunTable(
      {
          {"load {d}/p.nc; edit 6 \"N7 X20.\"; textlines 6; dump", 0, "out:6: N7 X20.",
           "out:read again)"},
          {"load {d}/p.nc; edit insert 7 \"X15.\"; textlines 7 8", 0, "out:7: X15.", "out:8: Y10.",
           "out:text: 9 lines"},
          {"load {d}/p.nc; edit delete 6 7; textlines; info", 0, "out:6: M30", "!out:X10."},
          {"load {d}/p.nc; renumber start=100 step=2; textlines 3 6", 0, "out:3: N100 G0",
           "out:4: G1 Z-1.", "out:6: N102 X10."},
          {"load {d}/p.nc; renumber every=1; textlines 4", 0, "out:4: N20 G1 Z-1."},
          {"load {d}/p.nc; edit 4 \"G1 Z-2. F100\"; undo; textlines 4; redo; textlines 4", 0,
           "out:4: G1 Z-1. F100", "out:4: G1 Z-2. F100"},
          {"load {d}/p.nc; edit 6 \"N7 X30.\"; savetext {d}/q.nc; load {d}/q.nc; textlines 6", 0,
           "out:6: N7 X30."},
          {"load {d}/p.nc; textsync; clear; textsync; textsync keep", 0,
           "out:the text describes the toolpath", "out:no longer describes the toolpath",
           "out:delete all paths", "out:the text is kept"},
          {"load {d}/p.nc; clear; textsync write {d}/w.nc; textsync", 1, "err:textsync write"},
          {"load {d}/p.nc; textsync write {d}/w.nc; textsync", 0,
           "out:the text describes the toolpath"},
          // Refusals: a line beyond the text, bad numbers, no program.
          {"load {d}/p.nc; edit 40 \"X1.\"", 1, "err:edit: no line 40 (the text has 8)"},
          {"load {d}/p.nc; edit delete 0 2", 2, "err:FROM must be 1 or more"},
          {"edit 1 \"X1.\"", 1, "err:no program text"},
          {"load {d}/p.nc; renumber step=0", 1, "err:renumber:"},
          {"load {d}/p.nc; textsync write", 2, "err:textsync: keep, or write FILE"},
      },
      kProgram);
}

}  // namespace
}  // namespace trevalon::testing
