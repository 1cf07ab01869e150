#pragma once
// Reversing paths: the direction of every path, of the selected paths or of the paths a polygon
// chooses (or of every second one of them, for cutting both ways), the order of the toolpath,
// and the direction of one picked path. None of them records an undo snapshot.

#include <cstdint>

#include "edit/command_frame.h"
#include "edit/path_scope.h"
#include "edit/region.h"
#include "platform/outcome.h"

namespace trevalon {

class CPointStore;

// Appends the motion points first .. last (with the last one's centre record) behind the
// store in the opposite order and gives the old records motion type 0; the compaction or the
// rapid rebuild that follows removes them. A motion type describes the move into a point, so
// each appended point takes the type, feed and mark of the point that followed it: every move
// keeps its kind, feed and selection and only runs the other way. Arcs change direction
// (6 <-> 8) about the same centre; their centre record is written anew from the new start
// point (centre = old start + old offset, new offset = centre - new start).
// The last point has no follower whose move it could take: it starts the reversed run as a
// rapid (type 1) and takes the feed and mark of the first point, the start of the range. So
// reversing a range twice gives every record back, except that the first point is then a run
// start (type 1) whatever rapid type it had.
// False when the store cannot hold the result: the store is then as it was.
bool ReverseRange(CPointStore& store, std::uint32_t first, std::uint32_t last);

struct ReverseOptions {
  bool direction = true;  // "방향 바꾸기": every chosen path runs the other way
  bool order = false;     // "순서 바꾸기": the chosen paths come in the opposite order
  bool twoWay =
      false;  // "두방향 경로": of the chosen paths the 2nd, 4th, 6th ... run the other way
  PathScope scope = PathScope::All;
};

// The reverse dialog confirmed with OK. The scope chooses paths (a polygon chooses those with a
// point inside it, tested in window positions); with the selected scope the choice is by move:
// each run of selected cuts (a mark of 1 on its end points) is a path of its own. Two-way
// reverses every second chosen path and stands in for "direction" when both are ticked; order
// reverses the order of the chosen paths and runs each the other way, so together with
// direction the paths keep their own direction and only come in the opposite order.
// A path runs backwards as ReverseRange runs a range, except that a plunge at feed that led
// into it goes with its start (PathWriter::ReversedPath).
// The chosen paths come first (in store order, or in the opposite order), the others after
// them in their old order and direction; with the scope "all" every path is chosen, so the
// toolpath keeps its order unless order is ticked. Then the rapid rebuild (twice for the
// selected scope). Unchanged when nothing is ticked, or no path is chosen.
Outcome ReverseCommand(EditContext& ctx, const ReverseOptions& options,
                       const Region* polygon = nullptr);

// The path of record `index` (a cut of it, its lead, or its centre record) runs the other way.
// Our rule: the path keeps its place in the toolpath, and the rapid rebuild follows, because the
// way into the path now leads to its other end. Unchanged for a rapid that leads to no cut;
// refused for an index beyond the toolpath.
Outcome ReversePathCommand(EditContext& ctx, std::uint32_t index);

}  // namespace trevalon
