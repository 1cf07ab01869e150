// The diff shortcut: two NC programs compared as toolpaths (model/toolpath_diff.h says how the
// moves are aligned and what counts as a difference).
//
// trevalon-cli diff A B [--json] [--tolerance=T]
// Exit status as diff(1) has it: 0 the toolpaths are the same, 1 they differ, 2 a usage
// error or a program that cannot be read in full.

#include <cmath>
#include <cstdio>
#include <ostream>

#include "app/machine_settings.h"
#include "cli/output.h"
#include "cli/script.h"
#include "cli/separate_reads.h"
#include "model/statistics.h"
#include "model/toolpath_diff.h"

namespace trevalon::cli {

namespace {

// The JSON form lists at most this many differences; the counts count them all.
constexpr std::size_t kDiffDetails = 10000;
constexpr double kDefaultTolerance = 0.001;

struct Measures {
  ToolpathStatistics stats;
  MachineTime machine;
};

const char* TypeName(DifferenceType t) {
  switch (t) {
    case DifferenceType::Moved:
      return "moved";
    case DifferenceType::Feed:
      return "feed";
    case DifferenceType::Motion:
      return "motion";
    case DifferenceType::Added:
      return "added";
    case DifferenceType::Removed:
      return "removed";
  }
  return "";
}

const char* MotionName(int type) {
  if (IsRapidType(type)) return "rapid";
  if (IsLinearType(type)) return "line";
  return type == MOVE_ARC_CCW ? "arc_ccw" : "arc_cw";
}

std::string SideJson(const char* side, const DifferenceSide& s) {
  if (s.index < 0) return "";
  char b[240];
  std::snprintf(b, sizeof b,
                ",\"%s\":%lld,\"%s_pos\":[%.4f,%.4f,%.4f],\"%s_feed\":%d,\"%s_motion\":\"%s\"",
                side, static_cast<long long>(s.index), side, s.pos[0], s.pos[1], s.pos[2], side,
                s.feed, side, MotionName(s.type));
  return b;
}

std::string MachineTimeJson(const MachineTime& t) {
  return t.complete ? JsonReal(t.total) : std::string("null");
}

void PrintJson(Session& s, const std::string& fa, const std::string& fb, double tolerance,
               const ToolpathComparison& c, const Measures& a, const Measures& b) {
  std::ostream& o = s.out;
  o << "{\"file_a\":" << JsonString(fa) << ",\"file_b\":" << JsonString(fb)
    << ",\"tolerance\":" << JsonReal(tolerance) << ",\"same\":" << (c.Same() ? "true" : "false")
    << ",\"moves_a\":" << c.movesA << ",\"moves_b\":" << c.movesB << ",\"moved\":" << c.moved
    << ",\"feed_changed\":" << c.feeds << ",\"motion_changed\":" << c.motions
    << ",\"added\":" << c.added << ",\"removed\":" << c.removed
    << ",\"cutting_length_a\":" << JsonReal(a.stats.cuttingLength)
    << ",\"cutting_length_b\":" << JsonReal(b.stats.cuttingLength)
    << ",\"cutting_time_a\":" << JsonReal(a.stats.cuttingTime)
    << ",\"cutting_time_b\":" << JsonReal(b.stats.cuttingTime)
    << ",\"machine_time_a\":" << MachineTimeJson(a.machine)
    << ",\"machine_time_b\":" << MachineTimeJson(b.machine) << ",\"differences\":[";
  for (std::size_t i = 0; i < c.details.size(); ++i) {
    const ToolpathDifference& d = c.details[i];
    o << (i ? ",\n" : "\n") << "{\"type\":\"" << TypeName(d.type) << '"' << SideJson("a", d.a)
      << SideJson("b", d.b) << '}';
  }
  o << (c.details.empty() ? "" : "\n") << "],\"truncated\":" << (c.truncated ? "true" : "false")
    << "}\n";
}

void PrintSummary(Session& s, const ToolpathComparison& c, const Measures& a, const Measures& b) {
  char line[400];
  auto count = [](std::uint64_t n) { return static_cast<unsigned long long>(n); };
  std::snprintf(line, sizeof line,
                "moves: %llu -> %llu\nmoved points: %llu\nchanged feeds: %llu\n"
                "changed motion kinds: %llu\nadded moves: %llu\nremoved moves: %llu\n",
                count(c.movesA), count(c.movesB), count(c.moved), count(c.feeds), count(c.motions),
                count(c.added), count(c.removed));
  s.out << line;
  std::snprintf(
      line, sizeof line, "cutting length: %.3f mm -> %.3f mm\ncutting time: %.3f min -> %.3f min\n",
      a.stats.cuttingLength, b.stats.cuttingLength, a.stats.cuttingTime, b.stats.cuttingTime);
  s.out << line;
  if (a.machine.complete && b.machine.complete) {
    std::snprintf(line, sizeof line, "machine time: %.3f min -> %.3f min\n", a.machine.total,
                  b.machine.total);
    s.out << line;
  }
  s.out << (c.Same() ? "the toolpaths are the same\n" : "the toolpaths differ\n");
}

int DiffShortcut(Session& s, const std::vector<std::string>& args) {
  std::vector<std::string> files;
  bool json = false;
  double tolerance = kDefaultTolerance;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w == "--json") {
      json = true;
    } else if (w == "--tolerance" || w.rfind("--tolerance=", 0) == 0) {
      std::string value;
      if (w == "--tolerance") {
        if (i + 1 >= args.size()) Usage("diff: --tolerance needs a value");
        value = args[++i];
      } else {
        value = w.substr(12);
      }
      tolerance = ParseReal(value, "diff: the tolerance");
      if (!(tolerance >= 0) || !std::isfinite(tolerance))
        Usage("diff: the tolerance must not be negative");
    } else if (!w.empty() && w[0] == '-') {
      Usage("diff: unknown option '" + w + "'");
    } else {
      files.push_back(w);
    }
  }
  if (files.size() != 2) Usage("diff: usage: diff A B [--json] [--tolerance=T]");

  const MachineLimits machine = ReadMachineSettings(s.app);
  SeparateDocument da(s), db(s);
  Measures ma, mb;
  CDocument* docs[2] = {&da.doc(), &db.doc()};
  Measures* measures[2] = {&ma, &mb};
  for (int k = 0; k < 2; ++k) {
    const Outcome o = ReadAlone(s, *docs[k], files[k]);
    if (!o.ok()) {
      s.err << "trevalon-cli diff: " << o.reason() << '\n';
      return 2;
    }
    measures[k]->stats = CurrentStatistics(docs[k]->store);
    measures[k]->machine = EstimateMachineTime(docs[k]->store, machine);
  }
  const ToolpathComparison c =
      CompareToolpaths(da.doc().store, db.doc().store, tolerance, kDiffDetails);
  if (!c.complete) {
    s.err << "trevalon-cli diff: not enough memory to compare the toolpaths\n";
    return 2;
  }
  if (json)
    PrintJson(s, files[0], files[1], tolerance, c, ma, mb);
  else
    PrintSummary(s, c, ma, mb);
  return c.Same() ? 0 : 1;
}

ShortcutRegistrar shortcuts{
    {"diff",
     "diff A B [--json] [--tolerance=T]   compare two NC programs as toolpaths: moved points "
     "(farther apart than T mm, default 0.001), changed feeds and kinds of motion, added and "
     "removed moves, lengths and times; --json lists the differences (at most 10000). Exit "
     "status 0 same, 1 different, 2 usage error or unreadable program",
     DiffShortcut},
};

}  // namespace

}  // namespace trevalon::cli
