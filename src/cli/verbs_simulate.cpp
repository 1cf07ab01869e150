// Verbs of the cutting simulation: the document's stock and tool, and "simulate", which cuts
// the work layer out of the stock and prints what it found as one line of JSON.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "app/simulation_commands.h"
#include "cli/script.h"
#include "view/chart_picture.h"

namespace trevalon::cli {

namespace {

constexpr const char* kStockUsage = "stock [auto | X0,Y0,Z0,X1,Y1,Z1 | X0 Y0 Z0 X1 Y1 Z1]";
constexpr const char* kToolUsage = "tool [flat|ball|bull] [d=D] [r=R]";

std::string Short(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4g", v);
  return buf;
}

// Six numbers, two opposite corners in any order: the box between them.
StockBox StockFromNumbers(const std::vector<std::string>& words, const char* verb) {
  if (words.size() != 6)
    Usage(std::string(verb) +
          ": the stock is auto or six numbers X0,Y0,Z0,X1,Y1,Z1; usage: " + kStockUsage);
  double v[6];
  for (int k = 0; k < 6; ++k) v[k] = ParseReal(words[static_cast<std::size_t>(k)], "stock corner");
  StockBox b;
  for (int k = 0; k < 3; ++k) {
    b.min[k] = std::min(v[k], v[k + 3]);
    b.max[k] = std::max(v[k], v[k + 3]);
  }
  if (std::string why = b.Problem(); !why.empty()) Usage(std::string(verb) + ": " + why);
  return b;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (true) {
    const std::size_t comma = text.find(',', from);
    out.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return out;
}

// Applies "auto" or a box to `o`.
void ApplyStock(SimulationOptions& o, const std::vector<std::string>& words, const char* verb) {
  if (words.size() == 1 && words[0] == "auto") {
    o.autoStock = true;
    return;
  }
  o.stock = StockFromNumbers(words.size() == 1 ? SplitCommas(words[0]) : words, verb);
  o.autoStock = false;
}

std::string DescribeStock(const SimulationOptions& o) {
  if (o.autoStock) return "auto";
  std::string s;
  for (int k = 0; k < 6; ++k) {
    if (k) s += ',';
    s += Short(k < 3 ? o.stock.min[k] : o.stock.max[k - 3]);
  }
  return s;
}

// The kind, d= and r= of a command applied to `t` (the tool in force); usage errors for
// values out of range.
void ApplyTool(SimTool& t, const std::string* kind, const Args& a, const char* verb) {
  if (kind && !ParseSimToolKind(*kind, t.kind))
    Usage(std::string(verb) + ": the tool is flat, ball or bull, not '" + *kind +
          "'; usage: " + kToolUsage);
  if (a.Has("d")) t.diameter = a.RealOption("d", t.diameter);
  if (a.Has("r")) {
    if (t.kind != SimToolKind::Bull)
      Usage(std::string(verb) + ": r= is the corner radius of a bull nose (tool=bull)");
    t.cornerRadius = a.RealOption("r", t.cornerRadius);
  } else if (kind && t.kind == SimToolKind::Bull && !(t.cornerRadius > 0.0)) {
    Usage(std::string(verb) + ": a bull nose needs its corner radius r=");
  }
  if (std::string why = t.Problem(); !why.empty()) Usage(std::string(verb) + ": " + why);
}

std::string DescribeTool(const SimTool& t) {
  std::string s = std::string(t.KindName()) + " d=" + Short(t.diameter);
  if (t.kind == SimToolKind::Bull) s += " r=" + Short(t.cornerRadius);
  return s;
}

void StockVerb(Session& s, const Args& a) {
  a.Expect(0, 6);
  if (a.size() > 0) {
    SimulationOptions o = s.doc->simulation;
    ApplyStock(o, a.positional(), "stock");
    s.doc->simulation = o;
  }
  s.out << "stock: " << DescribeStock(s.doc->simulation) << "\n";
}

void ToolVerb(Session& s, const Args& a) {
  a.Expect(0, 1, {"d", "r"});
  if (a.size() > 0 || a.Has("d") || a.Has("r")) {
    SimTool t = DocumentSimTool(s.app, *s.doc);
    ApplyTool(t, a.size() > 0 ? &a[0] : nullptr, a, "tool");
    s.doc->simulation.tool = t;
    s.doc->simToolGiven = true;
  }
  s.out << "tool: " << DescribeTool(DocumentSimTool(s.app, *s.doc)) << "\n";
}

// simulate [stock=] [tool=] [d=] [r=] [cell=] [dogleg=] [png=]: the options given are checked
// all before anything runs, and kept for the next run only once this one has run.
void SimulateVerb(Session& s, const Args& a) {
  a.Expect(0, 0, {"stock", "tool", "d", "r", "cell", "dogleg", "png"});
  SimulationOptions o = DocumentSimulationOptions(s.app, *s.doc);
  if (const std::string* st = a.Option("stock")) ApplyStock(o, {*st}, "simulate");
  const bool toolGiven = a.Has("tool") || a.Has("d") || a.Has("r");
  if (toolGiven) ApplyTool(o.tool, a.Option("tool"), a, "simulate");
  if (a.Has("cell")) {
    o.cell = a.RealOption("cell", o.cell);
    if (!HeightField::kCellRange.Contains(o.cell)) Usage("simulate: cell lies in 0.001 to 100 mm");
  }
  o.dogleg = a.FlagOption("dogleg", o.dogleg);
  const std::string* png = a.Option("png");
  if (png && (png->empty() || ChartFormatOfPath(*png) != ChartFormat::Png))
    Usage("simulate: png= needs a file name ending in .png");
  HeightField field;
  SimulationResult result;
  Check(RunSimulation(s.doc->store, o, field, result), "simulate");
  if (png) Check(WriteSimulationPng(s.doc->store, field, result, *png), "simulate");
  CDocument& doc = *s.doc;
  doc.simulation.autoStock = o.autoStock;
  doc.simulation.stock = o.stock;
  doc.simulation.cell = o.cell;
  doc.simulation.dogleg = o.dogleg;
  if (toolGiven) {
    doc.simulation.tool = o.tool;
    doc.simToolGiven = true;
  }
  s.out << SimulationJson(result, field, o.tool) << "\n";
}

VerbRegistrar registrar{
    {"stock",
     "stock [auto | X0,Y0,Z0,X1,Y1,Z1]   the cutting simulation's stock: from the toolpath, or "
     "the box between two corners; without a word, the stock in force",
     StockVerb},
    {"tool",
     "tool [flat|ball|bull] [d=D] [r=R]   the cutting simulation's tool (tip at the programmed "
     "point; r: a bull nose's corner radius); without words, the tool in force",
     ToolVerb},
    {"simulate",
     "simulate [stock=auto|X0,Y0,Z0,X1,Y1,Z1] [tool=flat|ball|bull] [d=D] [r=R] [cell=0.1] "
     "[dogleg=0|1] [png=FILE]   cut the work layer out of the stock: removed volume, rapids "
     "through material, air cuts, as one line of JSON",
     SimulateVerb},
};

}  // namespace

}  // namespace trevalon::cli
