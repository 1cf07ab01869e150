#include "edit/path_scope.h"

#include <cmath>

#include "model/point_store.h"
#include "view/view_state.h"

namespace trevalon {

bool ParsePathScope(std::string_view word, PathScope& out) {
  if (word == "all") {
    out = PathScope::All;
  } else if (word == "selected") {
    out = PathScope::Selected;
  } else if (word == "polygon") {
    out = PathScope::Polygon;
  } else {
    return false;
  }
  return true;
}

std::optional<Region> PolygonFromClicks(const std::vector<RegionPoint>& clicks, std::size_t limit,
                                        bool fivePixels) {
  std::vector<RegionPoint> accepted;
  for (const RegionPoint& p : clicks) {
    if (!accepted.empty()) {
      const RegionPoint& q = accepted.back();
      const double dx = p.x - q.x, dy = p.y - q.y;
      if (fivePixels ? std::sqrt(dx * dx + dy * dy) < 5.0 : (dx == 0 && dy == 0)) continue;
    }
    accepted.push_back({p.x, p.y, 0});
    if (accepted.size() >= limit) return std::nullopt;
  }
  if (accepted.size() < 3) return std::nullopt;
  return Region::Polygon(std::move(accepted));
}

std::vector<char> ChooseRuns(CPointStore& s, const std::vector<PathRun>& runs, PathScope scope,
                             const Region* polygon, ViewState* view) {
  std::vector<char> chosen(runs.size(), scope == PathScope::All ? 1 : 0);
  if (scope == PathScope::All) return chosen;
  PointRegister r;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const PathRun& run = runs[k];
    auto test = [&](std::uint32_t i) {
      if (!s.Peek(i, r) || !IsMotionType(r.type)) return false;
      if (scope == PathScope::Selected) return r.mark == 1;
      return polygon && view && polygon->Contains(r.x, r.y, r.z, *view);
    };
    bool in = test(run.lead);
    for (std::uint32_t i = run.first; i < run.end && !in; ++i) in = test(i);
    chosen[k] = in;
  }
  return chosen;
}

}  // namespace trevalon
