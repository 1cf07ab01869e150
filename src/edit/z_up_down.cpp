#include "edit/z_up_down.h"

#include <cmath>
#include <vector>

#include "edit/path_runs.h"
#include "edit/path_scope.h"
#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

enum class Slope { Level, Rises, Falls };

Slope SlopeOf(const PointRegister& s, const PointRegister& e, const ZUpDownOptions& o) {
  const double dz = e.z - s.z, dxy = std::hypot(e.x - s.x, e.y - s.y);
  auto steep = [&](double up) { return dxy == 0 || std::atan2(up, dxy) / kDegToRad >= o.angle; };
  if (dz > 0 && e.z <= o.height && steep(dz)) return Slope::Rises;
  if (dz < 0 && s.z <= o.height && steep(-dz)) return Slope::Falls;
  return Slope::Level;
}

struct Part {
  PathPiece piece;
  bool reversed;
};

// The parts a path is written as; empty when it stays as it is.
std::vector<Part> Plan(CPointStore& s, const PathRun& run, const ZUpDownOptions& o) {
  std::vector<std::uint32_t> pts{run.lead};
  std::vector<PointRegister> at(1);
  s.Peek(run.lead, at[0]);
  PointRegister r;
  for (std::uint32_t i = run.first; i < run.end; ++i) {
    if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
    pts.push_back(i);
    at.push_back(r);
  }
  const std::size_t m = pts.size() - 1;  // moves 1 .. m, move j ends at point j
  std::vector<Slope> slope(m + 1, Slope::Level);
  for (std::size_t j = 1; j <= m; ++j) slope[j] = SlopeOf(at[j - 1], at[j], o);
  // A plunge at feed straight down from the lead stays the way in when the path is reversed:
  // it counts neither way.
  if (m >= 1 && IsRapidType(at[0].type) && IsLinearType(at[1].type) &&
      static_cast<float>(at[1].x) == static_cast<float>(at[0].x) &&
      static_cast<float>(at[1].y) == static_cast<float>(at[0].y) && at[1].z < at[0].z)
    slope[1] = Slope::Level;
  std::vector<Part> parts;

  if (!o.risingOnly) {
    double climb = 0, descent = 0;
    for (std::size_t j = 1; j <= m; ++j) {
      if (slope[j] == Slope::Rises) climb += at[j].z - at[j - 1].z;
      if (slope[j] == Slope::Falls) descent += at[j - 1].z - at[j].z;
    }
    const double net = climb - descent;
    if (net > 0 && net >= o.safe) parts.push_back({WholeRun(run), true});
    return parts;
  }

  // The end of the records of moves up to point j (the start of point j + 1's records).
  auto endAfter = [&](std::size_t j) { return j < m ? pts[j + 1] : run.end; };
  std::size_t done = 0;  // moves 1 .. done are written
  for (std::size_t a = 1; a <= m;) {
    if (slope[a] != Slope::Rises) {
      ++a;
      continue;
    }
    std::size_t b = a;
    while (b < m && slope[b + 1] == Slope::Rises) ++b;
    const double climb = at[b].z - at[a - 1].z;
    if (climb > 0 && climb >= o.safe) {
      if (a - 1 > done) parts.push_back({{pts[done], pts[done + 1], pts[a]}, false});
      parts.push_back({{pts[a - 1], pts[a], endAfter(b)}, true});
      done = b;
    }
    a = b + 1;
  }
  if (parts.empty()) return parts;
  if (done < m) parts.push_back({{pts[done], pts[done + 1], run.end}, false});
  return parts;
}

}  // namespace

Outcome ZUpDownCommand(EditContext& ctx, const ZUpDownOptions& o) {
  CPointStore& s = ctx.store;
  const std::vector<PathRun> runs = CuttingRuns(s);
  const std::vector<char> chosen =
      ChooseRuns(s, runs, o.selectedOnly ? PathScope::Selected : PathScope::All, nullptr, nullptr);
  std::vector<std::vector<Part>> plans(runs.size());
  bool any = false;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (chosen[k]) plans[k] = Plan(s, runs[k], o);
    any = any || !plans[k].empty();
  }
  if (!any) return Outcome::Unchanged("no path climbs");

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdZUpDown);
  const std::uint32_t n = s.count;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  std::uint32_t done = 0;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    w.Copy(done, runs[k].lead);
    if (plans[k].empty()) w.Copy(runs[k].lead, runs[k].end);
    for (const Part& p : plans[k]) w.Piece(p.piece, p.reversed);
    done = runs[k].end;
  }
  w.Copy(done, n);
  return frame.FinishAppendedRewrite(w.ok(), CommandFrame::Rebuild::Rapids);
}

}  // namespace trevalon
