// Every script verb that changes the toolpath is one undo step: after the command the
// document differs and one undo gives back exactly the document before it (every record,
// its source line, the work layer's data), saying which command it took back, and redo puts
// the command's result back; or the command changed nothing and recorded nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "cli/script.h"
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

struct Step {
  std::string command;      // run after loading the program (and `before`)
  std::optional<Txt> name;  // what undo says it took back
  std::string before = "";  // commands that prepare the document and are no part of the step
};

TEST(UndoSteps, EveryCommandThatChangesTheToolpathIsOneUndoStep) {
  const std::vector<Step> steps = {
      {"trim box -10 -10 50 50 inside", Txt::CmdTrimInside},
      {"trim box -10 -10 50 50 outside", Txt::CmdTrimOutside},
      {"trim circle 0 0 0 25 inside", Txt::CmdTrimInside},
      {"trim polygon outside -60 -60 60 -60 60 60", Txt::CmdTrimOutside},
      {"trim zband -0.5 20", std::nullopt},
      {"trim window 0 0 200 150 inside", Txt::CmdTrimInside},
      {"delete point 4", Txt::CmdDeletePoint},
      {"delete path 4", Txt::CmdDeletePath},
      {"delete alternate", Txt::CmdDeleteEverySecond},
      {"delete window 0 0 200 150", Txt::CmdDeleteInWindows},
      {"delete polygon 0 0 400 0 400 300", Txt::CmdDeleteInPolygon},
      {"delete xyangle 0 10", Txt::CmdDeleteXyAngle},
      {"delete longpoints 30", Txt::CmdDeletePointsByLength},
      {"delete shortpaths 10", Txt::CmdDeletePathsByLength},
      {"delete zangle 10 90 0", Txt::CmdDeleteZAngle},
      {"delete all", Txt::CmdDeleteAll},
      {"delete selected", Txt::CmdDeleteSelected, "select rect 0 0 400 300"},
      {"reverse", Txt::CmdReverse},
      {"reverse order=1 dir=0", Txt::CmdReverse},
      {"reverse path 4", Txt::CmdReversePath},
      {"startpoints closed 150 150", Txt::CmdStartPoints},
      {"sort", Txt::CmdSort},
      {"sort mode=4 height=30", Txt::CmdSort},
      {"zupdown", Txt::CmdZUpDown},
      {"transform move dx=5 dy=-3", Txt::CmdTransform},
      {"transform rotate angle=90 copies=1", Txt::CmdTransform},
      {"filter linear 0.01", Txt::CmdLinearFilter},
      {"filter arc 5", Txt::CmdArcFilter},
      {"subdivide 3", Txt::CmdSubdivide},
      {"arcs tolines 0.01", Txt::CmdArcConvert},
      {"arcs fit", Txt::CmdArcConvert},
      {"offset box -10 -10 50 50 0 0 1", Txt::CmdOffset},
      {"generate face", Txt::CmdFace},
      {"generate radial", Txt::CmdRadial},
      {"generate spiral", Txt::CmdSpiral},
      {"rapidrebuild", Txt::CmdRapidRebuild},
      {"regenerate", Txt::CmdRegenerate},
      {"feed set 700", Txt::CmdFeedChange},
      {"feed window max 500 0 0 400 300", Txt::CmdFeedChange},
      {"feed length lmin=1 fmin=100 lmax=50 fmax=2000", Txt::CmdFeedChange},
      {"optimize", Txt::CmdFeedOptimizer},
      {"master create tol=1", Txt::CmdMasterModel},
      {"clear", Txt::CmdDeleteAll},
      {"load {data}/face_mill.nc", Txt::CmdLoad},
  };
  TempDir dir;
  const std::string program = dir.file("paths.nc");
  std::ofstream(program) << kProgram;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    std::ostringstream out, err;
    cli::Session s(out, err);
    ASSERT_TRUE(s.app.StartUp(StartOptions{dir.path().string(), "en", false}));
    s.app.settings.configDir = dir.path().string();
    s.platform.presetAnswer = Answer::Ok;
    InitDocument(s.app, *s.doc);
    std::string command = step.command;
    const std::string key = "{data}";
    if (const auto at = command.find(key); at != std::string::npos)
      command.replace(at, key.size(), TestData(""));
    ASSERT_EQ(
        cli::RunScript(
            s, "view size 400 300; view top; load " + program + "; view fit; " + step.before, true),
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
    const bool load = step.command.rfind("load ", 0) == 0;
    const std::string summary = load ? "" : EditSummaryLine(s.app, d, before_count);
    EXPECT_EQ(s.platform.helpText, load ? help_before : summary);
    if (!load) {
      EXPECT_NE(err.str().find(summary + "\n"), std::string::npos) << err.str();
    }
    if (step.name) {
      EXPECT_EQ(UndoLine(s.app, d),
                std::string("Undo: ") + UserText(*step.name, Language::English));
    }
    err.str("");
    ASSERT_EQ(cli::RunScript(s, "undo", true), 0);
    if (step.command.rfind("load ", 0) == 0) {
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
