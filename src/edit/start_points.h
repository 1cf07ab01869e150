#pragma once
// Start points: the user clicks points in an orthographic view; an open path starts at its end
// nearer to a click (it is reversed when that is its last point), and a closed path starts at
// the point of the loop nearest to a click.

#include <cstddef>
#include <vector>

#include "edit/command_frame.h"
#include "platform/outcome.h"

namespace trevalon {

enum class StartPointPaths {
  Open,    // "열려진 경로"
  Closed,  // "닫혀진 경로"
  Both,    // "닫혀진 경로 & 열려진 경로": the open paths, then the closed ones
};

// A click in the client area, in pixels from its top-left corner.
struct ClickPosition {
  int x = 0, y = 0;
};
inline constexpr std::size_t kMaxStartPoints = 20;

// Distances are measured in the plane of the view (top XY, front XZ, side YZ): a click says
// nothing about the depth along the view direction, so that coordinate takes no part.
// A path starts where its first cut starts (at its lead, the last rapid before it) and ends at
// its last point. It is closed when its last point lies within 0.01 of that start (3D), or,
// for a loop entered by its first cut, within 0.01 of the first cut's end; every other path
// is open.
//  - Open paths: the click nearest to either end (below 1000) picks the end; a path whose last
//    point is strictly nearer to that click than its start is reversed (as the reverse commands run
//    a path) and keeps its place in the toolpath; its first point takes the document's cutting
//    feed.
//  - Closed paths: the foot point nearest to a click (over every click and every move of the
//    loop, a later candidate only when strictly nearer, below 1000) becomes the loop's start:
//    the loop is written from there to its end, on from its start back to the foot point, a
//    move through the foot point split there (an arc into two arcs about the same centre).
// Then the regeneration, the plunge clean-up and the rapid rebuild; one undo snapshot first.
// The first kMaxStartPoints clicks count. Refused outside the top, front and side views (nothing
// changes); Unchanged when no path changes.
Outcome StartPointsCommand(EditContext& ctx, StartPointPaths which,
                           const std::vector<ClickPosition>& clicks);

}  // namespace trevalon
