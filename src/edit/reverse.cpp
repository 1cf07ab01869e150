#include "edit/reverse.h"

#include <algorithm>
#include <vector>

#include "edit/compaction.h"
#include "edit/path_runs.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

struct Item {
  PathPiece piece;
  bool chosen;
};

// With the selected scope a path is a run of selected cuts: each run of cuts is cut where the
// selection changes, every part starting at the point before its first move.
void SplitBySelection(CPointStore& s, const PathRun& run, std::vector<Item>& items) {
  PointRegister r;
  std::uint32_t prev = run.lead;
  bool open = false;
  Item cur{};
  for (std::uint32_t i = run.first; i < run.end; ++i) {
    if (!s.Peek(i, r) || !IsMotionType(r.type)) continue;
    const bool chosen = r.mark == 1;
    if (open && chosen != cur.chosen) {
      cur.piece.end = i;
      items.push_back(cur);
      open = false;
    }
    if (!open) {
      cur = {{prev, i, run.end}, chosen};
      open = true;
    }
    prev = i;
  }
  if (open) {
    cur.piece.end = run.end;
    items.push_back(cur);
  }
}

}  // namespace

bool ReverseRange(CPointStore& s, std::uint32_t first, std::uint32_t last) {
  if (first > last || last >= s.count) return false;
  const std::uint32_t n = s.count, end = EndOfPoint(s, last);
  PathWriter w(s);
  w.Reversed(first, end);
  if (!w.ok()) {
    s.count = n;
    return false;
  }
  MarkRemoved(s, first, end);
  return true;
}

Outcome ReverseCommand(EditContext& ctx, const ReverseOptions& o, const Region* polygon) {
  CPointStore& s = ctx.store;
  if (!o.direction && !o.order && !o.twoWay)
    return Outcome::Unchanged("direction, order and two-way are all off");
  if (o.scope == PathScope::Polygon && (!polygon || !polygon->usable()))
    return Outcome::Unchanged("the polygon has fewer than 3 vertices");
  const std::vector<PathRun> runs = CuttingRuns(s);
  if (runs.empty()) return Outcome::Unchanged("no paths to reverse");

  std::vector<Item> items;
  if (o.scope == PathScope::Selected) {
    for (const PathRun& run : runs) SplitBySelection(s, run, items);
  } else {
    const std::vector<char> chosen = ChooseRuns(s, runs, o.scope, polygon, ctx.view);
    for (std::size_t k = 0; k < runs.size(); ++k)
      items.push_back({WholeRun(runs[k]), chosen[k] != 0});
  }
  struct Turn {
    PathPiece piece;
    bool reversed;
  };
  std::vector<Turn> chosen;
  for (const Item& it : items) {
    if (!it.chosen) continue;
    // Two-way keeps the 1st, 3rd, 5th ... chosen path and reverses the ones between.
    const bool flip = o.twoWay ? chosen.size() % 2 == 1 : o.direction;
    chosen.push_back({it.piece, flip});
  }
  if (chosen.empty())
    return Outcome::Unchanged(o.scope == PathScope::Polygon
                                  ? "no path has a point inside the polygon"
                                  : "no path is selected");
  if (o.order) {
    // The order reversed, and each path run backwards on top of what it got above.
    std::reverse(chosen.begin(), chosen.end());
    for (Turn& t : chosen) t.reversed = !t.reversed;
  }

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdReverse);
  const std::uint32_t n = s.count;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  w.Copy(0, runs.front().lead);
  for (const Turn& t : chosen) w.Piece(t.piece, t.reversed);
  for (const Item& it : items)
    if (!it.chosen) w.Piece(it.piece, false);
  w.Copy(runs.back().end, n);
  return frame.FinishAppendedRewrite(w.ok(), o.scope == PathScope::Selected
                                                 ? CommandFrame::Rebuild::RapidsTwice
                                                 : CommandFrame::Rebuild::Rapids);
}

Outcome ReversePathCommand(EditContext& ctx, std::uint32_t index) {
  CPointStore& s = ctx.store;
  if (index >= s.count)
    return Outcome::Failed(OutcomeCode::Refused, "no point " + std::to_string(index) +
                                                     " in the toolpath (it has " +
                                                     std::to_string(s.count) + " records)");
  const std::vector<PathRun> runs = CuttingRuns(s);
  const auto hit = std::find_if(runs.begin(), runs.end(), [index](const PathRun& r) {
    return r.lead == index || (r.first <= index && index < r.end);
  });
  if (hit == runs.end())
    return Outcome::Unchanged("point " + std::to_string(index) + " is on no cutting path");

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdReversePath);
  const std::uint32_t n = s.count;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  w.Copy(0, hit->lead);
  w.ReversedPath(hit->lead, hit->end);
  w.Copy(hit->end, n);
  return frame.FinishAppendedRewrite(w.ok(), CommandFrame::Rebuild::Rapids);
}

}  // namespace trevalon
