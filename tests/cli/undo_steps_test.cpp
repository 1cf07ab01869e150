// Every script verb that changes the toolpath is one undo step: after the command the
// document differs and one undo gives back exactly the document before it (every record,
// its source line, the work layer's data), saying which command it took back, and redo puts
// the command's result back; or the command changed nothing and recorded nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "cli/script.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// Four paths out of order: a rectangle with a point on a straight line, a path with an arc,
// a short path that climbs, and a closed square.
constexpr const char* kProgram =
    "G0 X0 Y0 Z10\nZ2\nG1 Z-1 F500\nX20 F1000\nX40\nY5\nX0\nG0 Z10\n"
    "X0 Y20\nZ2\nG1 Z-1 F500\nX40 F1000\nG3 X40 Y30 I0 J5\nG1 X0\nG0 Z10\n"
    "X100 Y50\nZ2\nG1 Z-1 F500\nX102\nX104 Z1\nG0 Z10\n"
    "X-50 Y-50\nZ2\nG1 Z-1 F500\nX-30\nY-30\nX-50\nY-50\nG0 Z10\nM30\n";

// Everything undo must bring back, as text: each record whole, where it came from, and the
// work layer's own data.
std::string DocumentState(CDocument& d) {
  std::ostringstream o;
  CPointStore& s = d.store;
  const SourceLines lines = d.CurrentSourceLines();
  o << "count " << s.count << "\n";
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    char line[160];
    std::snprintf(line, sizeof line, "%u: %.9g %.9g %.9g f%d m%d t%d", i, r ? r->x : 0.f,
                  r ? r->y : 0.f, r ? r->z : 0.f, r ? r->feed : -1, r ? r->mark : -1,
                  r ? r->type : -1);
    o << line;
    if (const auto place = lines.Find(i)) o << " @" << place->file << ":" << place->offset;
    o << "\n";
  }
  const LayerSlot& w = d.layers[d.layers.workLayer];
  o << "layer " << d.layers.workLayer << " " << w.name << " | " << w.fileName << " | " << w.comment
    << " | " << w.spindle << " " << w.toolNumber << " " << w.toolOffset << " " << w.programNumber
    << " | " << w.setup.Describe() << " | " << d.StopNote(d.layers.workLayer) << "\n";
  return o.str();
}

TEST(UndoSteps, EveryCommandThatChangesTheToolpathIsOneUndoStep) {
  TempDir dir;
  const std::string program = dir.file("paths.nc");
  std::ofstream(program) << kProgram;
  for (const DataCase& step : ReadCases("cli/undo_steps.cases")) {
    const auto trace = step.Trace();
    std::ostringstream out, err;
    cli::Session s(out, err);
    ASSERT_TRUE(s.app.StartUp(StartOptions{dir.path().string(), "en", false}));
    s.app.settings.configDir = dir.path().string();
    s.platform.presetAnswer = Answer::Ok;
    InitDocument(s.app, *s.doc);
    std::string command = step.name;
    const std::string key = "{data}";
    if (const auto at = command.find(key); at != std::string::npos)
      command.replace(at, key.size(), TestData(""));
    ASSERT_EQ(
        cli::RunScript(
            s, "view size 400 300; view top; load " + program + "; view fit; " + step["before"],
            true),
        0)
        << err.str();
    CDocument& d = *s.doc;
    const std::string before = DocumentState(d);
    const std::uint32_t top = d.undo.undoTop, pos = d.undo.undoPos, before_count = d.store.count;
    s.platform.helpText = "(before)";
    const std::string help_before = s.platform.helpText;
    const int status = cli::RunScript(s, command, true);
    ASSERT_EQ(status, 0) << err.str();
    const std::string after = DocumentState(d);
    if (after == before) {
      // Nothing changed: the history is as it was, so undo takes back the command before.
      EXPECT_EQ(d.undo.undoTop, top);
      EXPECT_EQ(d.undo.undoPos, pos);
      continue;
    }
    // The help line says what the command did, and the command-line tool prints the same
    // line; a load keeps the reader's notices there instead.
    const bool load = step.name.rfind("load ", 0) == 0;
    const std::string summary = load ? "" : EditSummaryLine(s.app, d, before_count);
    EXPECT_EQ(s.platform.helpText, load ? help_before : summary);
    if (!load) {
      EXPECT_NE(err.str().find(summary + "\n"), std::string::npos) << err.str();
    }
    if (Txt name{}; !step["undo"].empty()) {
      ASSERT_TRUE(FindTxt(step["undo"], name)) << step["undo"];
      EXPECT_EQ(UndoLine(s.app, d), std::string("Undo: ") + UserText(name, Language::English));
    }
    err.str("");
    ASSERT_EQ(cli::RunScript(s, "undo", true), 0);
    if (step.name.rfind("load ", 0) == 0) {
      // A load's undo brings back the records, their lines and the setup; the layer's file
      // name, comment and numbers stay the new program's (as they always have).
      const std::string now = DocumentState(d);
      EXPECT_EQ(now.substr(0, now.find("layer ")), before.substr(0, before.find("layer ")));
    } else {
      EXPECT_EQ(DocumentState(d), before);
    }
    EXPECT_EQ(err.str().rfind("Undo: ", 0), 0u) << err.str();
    ASSERT_EQ(cli::RunScript(s, "redo", true), 0);
    EXPECT_EQ(DocumentState(d), after);
  }
}

}  // namespace
}  // namespace trevalon::testing
