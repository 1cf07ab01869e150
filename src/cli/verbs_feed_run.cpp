// Verbs of the feed optimiser run: "optimize" on the document, and the shortcut that
// optimises one NC program into another.

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "app/feed_commands.h"
#include "cli/script.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"
#include "feed/feed_run.h"
#include "platform/system_paths.h"

namespace trevalon::cli {

namespace {

void PrintSummary(Session& s, const FeedRunSummary& r) {
  char line[240];
  std::snprintf(line, sizeof line,
                "optimize: %u points -> %u points, %u moves slowed, cutting time %.3f min -> "
                "%.3f min%s\n",
                r.pointsBefore, r.pointsAfter, r.slowedMoves, r.cuttingTimeBefore,
                r.cuttingTimeAfter, r.aborted ? " (stopped by Escape)" : "");
  s.out << line;
  std::snprintf(line, sizeof line, "optimize: machine time %.3f min -> %.3f min\n",
                r.machineTimeBefore, r.machineTimeAfter);
  s.out << line;
}

// The transfer dialog on channel 1 confirmed with OK, then the run.
FeedRunSummary Optimize(Session& s, const char* verb) {
  // Our rule: a master-model file that is named but not there is said before the run, which
  // then goes on without the model as the dialog's run does.
  const std::string& model = s.app.FeedControl().channels[1].masterModelFile;
  std::error_code ec;
  if (!model.empty() && !std::filesystem::is_regular_file(NativePath(model), ec))
    s.err << verb << ": warning: the master-model file '" << model
          << "' does not exist; the run goes without the model\n";
  FeedRunSummary r;
  Check(FeedOptimizerCommand(s.app, *s.doc, &r), verb);
  return r;
}

// optimize [mode=rules|material]: the slope and corner rules, or feeds from the material the
// simulation finds each move taking and its engagement (MaxRemovalRate, AirCutFeed,
// MaxAxialDepth, MaxRadialEngagement of the conditions).
void OptimizeVerb(Session& s, const Args& a) {
  a.Expect(0, 0, {"mode"});
  const std::string* mode = a.Option("mode");
  if (!mode || *mode == "rules") {
    PrintSummary(s, Optimize(s, "optimize"));
    return;
  }
  if (*mode != "material") Usage("optimize: mode is rules or material, not '" + *mode + "'");
  FeedRunSummary r;
  MaterialFeedCounts counts;
  CheckEdit(s, MaterialFeedCommand(s.app, *s.doc, &r, &counts), "optimize");
  PrintSummary(s, r);
  char line[200];
  std::snprintf(line, sizeof line,
                "optimize: %u cuts from the material (%u held below MaxFeed), %u air cuts, "
                "peak removal rate %.0f mm3/min\n",
                counts.cuts, counts.limited, counts.airCuts, counts.peakRate);
  s.out << line;
  const CuttingConditions& c = s.app.FeedControl().channels[1].conditions;
  if (!(c.MaxAxialDepth > 0.0f) && !(c.MaxRadialEngagement > 0.0f)) return;
  std::snprintf(line, sizeof line,
                "optimize: %u cuts held by their engagement, axial depth up to %.3f mm, radial "
                "engagement up to %.3f mm\n",
                counts.engagementHeld, counts.peakDepth, counts.peakRadial);
  s.out << line;
}

// optimize IN -o OUT [--lmx FILE] [--mma FILE] [--verify]
int OptimizeShortcut(Session& s, const std::vector<std::string>& args) {
  std::string in, out, lmx, mma;
  bool verify = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    auto value = [&](const char* what) -> const std::string& {
      if (i + 1 >= args.size()) Usage(std::string("optimize: ") + what + " needs a file");
      return args[++i];
    };
    if (w == "-o") {
      out = value("-o");
    } else if (w == "--lmx") {
      lmx = value("--lmx");
    } else if (w == "--mma") {
      mma = value("--mma");
    } else if (w == "--verify" || w == "--verify=1" || w == "--verify=0") {
      verify = w != "--verify=0";
    } else if (!w.empty() && w[0] == '-') {
      Usage("optimize: unknown option '" + w + "'");
    } else if (in.empty()) {
      in = w;
    } else {
      Usage("optimize: more than one input file ('" + in + "', '" + w + "')");
    }
  }
  if (in.empty() || out.empty())
    Usage("optimize: usage: optimize IN -o OUT [--lmx FILE] [--mma FILE] [--verify]");

  ChannelSettings& ch = s.app.FeedControl().channels[1];
  if (!lmx.empty()) Check(ReadConditionsFile(s.app.Msg(), lmx, ch.conditions), "optimize");
  if (!mma.empty()) {
    ch.masterModelFile = MasterModelFileName(mma);
    SetLmxByMaster(ch.conditions, 1, ch.masterModelFile);
  }
  RunCommand(s, {"load", in});
  FeedRunSummary r = Optimize(s, "optimize");
  // A command-line optimisation opens no editor.
  RunCommand(s, {"save", out, "editor=0", verify ? "verify=1" : "verify=0"});
  char line[160];
  std::snprintf(line, sizeof line, "cutting time before: %.3f min\ncutting time after: %.3f min\n",
                r.cuttingTimeBefore, r.cuttingTimeAfter);
  s.out << line;
  std::snprintf(line, sizeof line, "moves slowed: %u\npoints: %u -> %u\n", r.slowedMoves,
                r.pointsBefore, r.pointsAfter);
  s.out << line;
  std::snprintf(line, sizeof line, "machine time before: %.3f min\nmachine time after: %.3f min\n",
                r.machineTimeBefore, r.machineTimeAfter);
  s.out << line;
  return 0;
}

VerbRegistrar registrar{
    {"optimize",
     "optimize [mode=rules|material]   run the feed optimiser on the toolpath with channel 1's "
     "cutting conditions: the slope and corner rules, or feeds from the material each move "
     "takes and its engagement (MaxRemovalRate, AirCutFeed, MaxAxialDepth, MaxRadialEngagement)",
     OptimizeVerb},
};

ShortcutRegistrar shortcuts{
    {"optimize",
     "optimize IN -o OUT [--lmx FILE] [--mma FILE] [--verify]   optimise the feeds of an NC "
     "program and "
     "save the result, printing the cutting time and the machine time before and after",
     OptimizeShortcut},
};

}  // namespace

}  // namespace trevalon::cli
