#include "edit/sort_paths.h"

#include <algorithm>
#include <cmath>

#include "edit/compaction.h"
#include "edit/path_runs.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

constexpr double kSearchStart = 1000.0;

double Distance(const double* a, const double* b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return FlooredSqrt(dx * dx + dy * dy + dz * dz);
}

// The candidates of a mode: one per path (its start), or two (start, then end) in mode 3.
// Candidate id = path * keys + which; ids in store order are the order the search meets them.
struct Keys {
  const std::vector<PathEnds>& paths;
  int keys;
  const double* Point(std::uint32_t id) const {
    const PathEnds& p = paths[id / keys];
    return id % keys == 0 ? p.start : p.end;
  }
};

// Where the search from the current path starts.
const double* QueryPoint(const std::vector<PathEnds>& paths, const SortStep& current, int mode) {
  const PathEnds& p = paths[current.path];
  if (mode == 1) return p.start;
  if (mode == 2) return p.end;
  return current.reversed ? p.start : p.end;
}

// The best candidate so far: nearer, or as near and earlier in store order.
struct Best {
  bool found = false;
  std::uint32_t id = 0;
  double d = kSearchStart;
  // The plain search's rule: a candidate replaces the best one only when strictly nearer,
  // starting at 1000, in store order. Within `limit` only, as nothing farther is taken.
  void Offer(double dist, std::uint32_t candidate, double limit) {
    if (!(dist <= limit)) return;
    if (!found ? dist < kSearchStart : (dist < d || (dist == d && candidate < id))) {
      found = true, id = candidate, d = dist;
    }
  }
};

// The order, given a function that finds the best untaken candidate from a point.
template <class FindNearest, class OnTaken>
std::vector<SortStep> Order(const std::vector<PathEnds>& paths, int mode, double distance, int keys,
                            FindNearest&& find, OnTaken&& onTaken) {
  const std::uint32_t n = static_cast<std::uint32_t>(paths.size());
  std::vector<SortStep> order;
  if (n == 0) return order;
  order.reserve(n);
  std::vector<char> taken(n, 0);
  std::uint32_t firstLeft = 0;  // no path below it is left
  auto take = [&](std::uint32_t path, bool reversed) {
    taken[path] = 1;
    order.push_back({path, reversed});
    onTaken(path, taken);
  };
  take(0, false);
  while (order.size() < n) {
    const Best best = find(QueryPoint(paths, order.back(), mode), taken);
    if (best.found && best.d <= distance) {
      take(best.id / keys, best.id % keys == 1);
    } else {
      while (taken[firstLeft]) ++firstLeft;
      take(firstLeft, false);
    }
  }
  return order;
}

// A uniform grid over XY holding the candidates not yet taken, in cells of about two
// candidates each, stored cell by cell. Taken candidates stay in their cell until the grid is
// rebuilt for the ones left, which happens whenever three quarters are gone, so the cells stay
// about as full as at the start. Candidates whose x or y is not a finite number within 1e9
// (no toolpath lies there, but the store does not forbid it) are kept aside and compared on
// every search.
class NearestGrid {
 public:
  NearestGrid(const Keys& keys, std::uint32_t count) : keys_(keys) {
    bool any = false;
    for (std::uint32_t id = 0; id < count; ++id) {
      const double* p = keys_.Point(id);
      if (Outlier(p)) {
        aside_.push_back(id);
        continue;
      }
      if (!any) x0_ = x1_ = p[0], y0_ = y1_ = p[1], any = true;
      x0_ = std::min(x0_, p[0]), x1_ = std::max(x1_, p[0]);
      y0_ = std::min(y0_, p[1]), y1_ = std::max(y1_, p[1]);
    }
    // Every point a search starts from is a candidate's point (a start or an end), so the box
    // of the candidates holds the searches too; in modes 1 and 2 the ends are added.
    if (keys_.keys == 1) {
      for (const PathEnds& p : keys_.paths) {
        if (Outlier(p.end)) continue;
        if (!any) x0_ = x1_ = p.end[0], y0_ = y1_ = p.end[1], any = true;
        x0_ = std::min(x0_, p.end[0]), x1_ = std::max(x1_, p.end[0]);
        y0_ = std::min(y0_, p.end[1]), y1_ = std::max(y1_, p.end[1]);
      }
    }
    std::vector<std::uint32_t> all;
    all.reserve(count);
    for (std::uint32_t id = 0; id < count; ++id)
      if (!Outlier(keys_.Point(id))) all.push_back(id);
    Build(all);
  }

  Best Find(const double* q, double limit, const std::vector<char>& taken) const {
    Best best;
    const double radius = std::min(limit, kSearchStart);
    auto scan = [&](std::uint32_t id) {
      if (!taken[id / keys_.keys]) best.Offer(Distance(q, keys_.Point(id)), id, limit);
    };
    for (std::uint32_t id : aside_) scan(id);
    if (Outlier(q) || radius < 0) return best;
    const int ci = CellX(q[0]), cj = CellY(q[1]);
    const double eps = 1e-9 * (std::fabs(q[0]) + std::fabs(q[1]) + (x1_ - x0_) + (y1_ - y0_) + 1);
    for (int k = 0;; ++k) {
      if (k > 0) {
        // Everything in ring k lies outside the cells of the rings inside it.
        const double lb =
            std::min(std::min(q[0] - (x0_ + (ci - k + 1) * sx_), (x0_ + (ci + k) * sx_) - q[0]),
                     std::min(q[1] - (y0_ + (cj - k + 1) * sy_), (y0_ + (cj + k) * sy_) - q[1]));
        if (lb - eps > (best.found ? best.d : radius)) break;
      }
      if (ci - k < 0 && cj - k < 0 && ci + k >= gx_ && cj + k >= gy_) break;
      auto cell = [&](int i, int j) {
        if (i < 0 || j < 0 || i >= gx_ || j >= gy_) return;
        const std::size_t c = static_cast<std::size_t>(j) * gx_ + i;
        for (std::uint32_t e = start_[c]; e < start_[c + 1]; ++e) scan(entries_[e]);
      };
      if (k == 0) {
        cell(ci, cj);
        continue;
      }
      for (int i = ci - k; i <= ci + k; ++i) cell(i, cj - k), cell(i, cj + k);
      for (int j = cj - k + 1; j <= cj + k - 1; ++j) cell(ci - k, j), cell(ci + k, j);
    }
    return best;
  }

  // A path was taken: rebuilds the grid when few of the candidates it holds are left.
  void Taken(std::uint32_t path, const std::vector<char>& taken) {
    for (int w = 0; w < keys_.keys; ++w)
      if (!Outlier(keys_.Point(path * keys_.keys + w))) --alive_;
    if (built_ > 64 && alive_ < built_ / 4) {
      std::vector<std::uint32_t> left;
      left.reserve(alive_);
      for (std::uint32_t e : entries_)
        if (!taken[e / keys_.keys]) left.push_back(e);
      Build(left);
    }
  }

 private:
  static bool Outlier(const double* p) {
    return !(std::fabs(p[0]) <= 1e9) || !(std::fabs(p[1]) <= 1e9);
  }
  int CellX(double x) const {
    return std::clamp(static_cast<int>(std::floor((x - x0_) / sx_)), 0, gx_ - 1);
  }
  int CellY(double y) const {
    return std::clamp(static_cast<int>(std::floor((y - y0_) / sy_)), 0, gy_ - 1);
  }

  void Build(const std::vector<std::uint32_t>& ids) {
    const double wx = std::max(x1_ - x0_, 1e-6), wy = std::max(y1_ - y0_, 1e-6);
    const double target = std::max<double>(1, ids.size() / 2.0);
    const double side = std::sqrt(wx * wy / target);
    auto cells = [&](double w) {
      return static_cast<int>(std::clamp(std::ceil(w / side), 1.0, 65536.0));
    };
    gx_ = cells(wx), gy_ = cells(wy);
    while (static_cast<double>(gx_) * gy_ > 4 * target + 16) {
      if (gx_ >= gy_)
        gx_ = std::max(1, gx_ / 2);
      else
        gy_ = std::max(1, gy_ / 2);
    }
    sx_ = wx / gx_, sy_ = wy / gy_;
    const std::size_t nc = static_cast<std::size_t>(gx_) * gy_;
    start_.assign(nc + 1, 0);
    std::vector<std::uint32_t> cellOf(ids.size());
    for (std::size_t k = 0; k < ids.size(); ++k) {
      const double* p = keys_.Point(ids[k]);
      cellOf[k] = static_cast<std::uint32_t>(CellY(p[1])) * gx_ + CellX(p[0]);
      ++start_[cellOf[k] + 1];
    }
    for (std::size_t c = 0; c < nc; ++c) start_[c + 1] += start_[c];
    entries_.assign(ids.size(), 0);
    std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
    for (std::size_t k = 0; k < ids.size(); ++k) entries_[fill[cellOf[k]]++] = ids[k];
    built_ = alive_ = static_cast<std::uint32_t>(ids.size());
  }

  const Keys& keys_;
  std::vector<std::uint32_t> aside_;
  double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
  int gx_ = 1, gy_ = 1;
  double sx_ = 1, sy_ = 1;
  std::vector<std::uint32_t> start_, entries_;
  std::uint32_t built_ = 0, alive_ = 0;
};

int KeysOf(int mode) {
  return mode == 3 ? 2 : 1;
}

}  // namespace

std::vector<SortStep> SortOrderPlain(const std::vector<PathEnds>& paths, int mode,
                                     double distance) {
  const Keys keys{paths, KeysOf(mode)};
  const std::uint32_t count = static_cast<std::uint32_t>(paths.size()) * keys.keys;
  return Order(
      paths, mode, distance, keys.keys,
      [&](const double* q, const std::vector<char>& taken) {
        // The nearest of all, searched from 1000 and replaced only by a strictly nearer one;
        // whether it is near enough is decided after.
        Best best;
        for (std::uint32_t id = 0; id < count; ++id) {
          if (taken[id / keys.keys]) continue;
          const double d = Distance(q, keys.Point(id));
          if (d < best.d) best.found = true, best.id = id, best.d = d;
        }
        return best;
      },
      [](std::uint32_t, const std::vector<char>&) {});
}

std::vector<SortStep> SortOrder(const std::vector<PathEnds>& paths, int mode, double distance) {
  const Keys keys{paths, KeysOf(mode)};
  NearestGrid grid(keys, static_cast<std::uint32_t>(paths.size()) * keys.keys);
  return Order(
      paths, mode, distance, keys.keys,
      [&](const double* q, const std::vector<char>& taken) {
        return grid.Find(q, distance, taken);
      },
      [&](std::uint32_t path, const std::vector<char>& taken) { grid.Taken(path, taken); });
}

namespace {

PathEnds EndsOf(CPointStore& s, const PathRun& run) {
  PathEnds e{};
  PointRegister r;
  s.Peek(run.lead, r);
  e.start[0] = r.x, e.start[1] = r.y, e.start[2] = r.z;
  s.Peek(run.last, r);
  e.end[0] = r.x, e.end[1] = r.y, e.end[2] = r.z;
  return e;
}

// Mode 4: the way between paths that lie close together.
Outcome ReturnHeight(EditContext& ctx, const std::vector<PathRun>& runs, const SortOptions& o) {
  CPointStore& s = ctx.store;
  struct Change {
    std::uint32_t i;
    int type;
    double z;
    int feed;
  };
  std::vector<Change> changes;
  PointRegister r, last;
  for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
    const PathRun &a = runs[k], &b = runs[k + 1];
    const PathEnds ea = EndsOf(s, a), eb = EndsOf(s, b);
    const double dx = eb.start[0] - ea.end[0], dy = eb.start[1] - ea.end[1];
    if (!(FlooredSqrt(dx * dx + dy * dy) < o.distance)) continue;
    s.Peek(a.last, last);
    const double level = std::max(ea.end[2], eb.start[2]) + o.height;
    for (std::uint32_t i = a.end; i < b.lead; ++i) {
      if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
      if (o.height > 0) {
        if (r.z > level) changes.push_back({i, r.type, level, r.feed});
      } else {
        changes.push_back({i, o.height == 0 ? MOVE_LINE_CONT : MOVE_NONE, r.z, last.feed});
      }
    }
    if (o.height <= 0) changes.push_back({b.lead, MOVE_LINE_CONT, eb.start[2], last.feed});
  }
  if (changes.empty()) return Outcome::Unchanged("no way between two close paths to change");
  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdSort);
  for (const Change& c : changes) {
    s.FetchPoint(c.i);
    s.reg.type = c.type, s.reg.z = c.z, s.reg.feed = c.feed;
    s.StorePoint(c.i);
  }
  frame.Regenerate();
  frame.Compact();
  frame.Finish();
  return Outcome::Done();
}

}  // namespace

Outcome SortCommand(EditContext& ctx, const SortOptions& o) {
  CPointStore& s = ctx.store;
  const std::vector<PathRun> runs = CuttingRuns(s);
  if (runs.size() < 2) return Outcome::Unchanged("fewer than two paths to sort");
  if (o.mode == 4) return ReturnHeight(ctx, runs, o);

  std::vector<PathEnds> ends;
  ends.reserve(runs.size());
  for (const PathRun& run : runs) ends.push_back(EndsOf(s, run));
  const std::vector<SortStep> order = SortOrder(ends, o.mode, o.distance);

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdSort);
  const std::uint32_t n = s.count;
  const double h = ctx.retractHeight;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  w.Copy(0, runs.front().lead);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const PathRun& run = runs[order[k].path];
    const int approach = k == 0 ? MOVE_RAPID : MOVE_RAPID_CONT;
    if (!order[k].reversed) {
      w.RapidAt(run.lead, h, approach);
      w.Rapid(run.lead, MOVE_RAPID_CONT);
      w.Copy(run.first, run.end);
      w.RapidAt(run.last, h, MOVE_RAPID);
    } else {
      w.RapidAt(run.last, h, approach);
      w.ReversedPath(run.lead, run.end);
      w.RapidAt(run.lead, h, MOVE_RAPID);
    }
  }
  w.Copy(runs.back().end, n);
  if (!w.ok()) return frame.Rollback("the sorted toolpath does not fit into the point store");
  frame.Appended();
  frame.RemoveOriginal();
  frame.Regenerate();
  frame.Compact();
  frame.Finish();
  return Outcome::Done();
}

}  // namespace trevalon
