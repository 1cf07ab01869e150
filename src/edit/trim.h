#pragma once
// Trimming: removes the part of the toolpath inside a region (inside trims) or outside it
// (outside trims), cutting every linear move that crosses the boundary at the crossing and
// joining the kept pieces with retracts, traverses and plunges at the retract height. Arcs
// keep their centre and direction and are shortened at the boundary.
//
// The passes (TrimPolygon, TrimZBand, TrimCircle) walk the points once, append the result
// behind them, remove the old points and compact; the commands put a pass on the command
// frame (undo snapshot, two rapid rebuilds, statistics, redraw, last-operation mark).

#include <string>
#include <vector>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "platform/outcome.h"

namespace trevalon {

enum class TrimSide {
  Inside,   // removes what lies inside the region
  Outside,  // removes what lies outside it
};

// ---- Passes ----------------------------------------------------------------------------------
// Each pass: one read and one write per point, the progress line in the help pane every 1001
// points. False when the store could not hold the result: the store is then as it was before
// the pass. The polygon pass tests in the region's plane (model XY, or window positions through
// the context's view, whose scale also sets the arc stepping).
// `origin`, when given, receives per record of the result the record of the toolpath before
// the pass it was made while walking (the command frame's OriginNote, for CommandFrame::Rewritten);
// it is left empty when there was no memory for it.
bool TrimPolygon(EditContext& ctx, TrimSide side, const Region& polygonRegion,
                 std::vector<std::uint32_t>* origin = nullptr);
// Keeps what lies between zMin and zMax, both included.
bool TrimZBand(EditContext& ctx, double zMin, double zMax,
               std::vector<std::uint32_t>* origin = nullptr);
bool TrimCircle(EditContext& ctx, TrimSide side, double cx, double cy, double radius,
                std::vector<std::uint32_t>* origin = nullptr);

// ---- Commands --------------------------------------------------------------------------------
// One trim by a window, polygon, box, circle or Z band region (a Z band always keeps what
// lies in it): undo snapshot, the pass, the rapid rebuild twice, one more compaction (the
// cuts of no length that the last regeneration marked go), statistics, redraw, last-operation
// mark. An empty toolpath or a region that selects nothing (fewer than 3 vertices, no radius)
// changes nothing and says Unchanged. A result the store cannot hold puts the toolpath back
// as it was and says NoMemory.
Outcome TrimCommand(EditContext& ctx, const Region& region, TrimSide side);
// One trim per polygon of a point file, in model XY: one undo snapshot before the first, the
// rapid rebuilds once after the last. A file that cannot be opened shows the file error and
// says CannotOpen with the file's name; a file that ReadPointFile refuses says so (Refused)
// before anything changes; a file without a polygon of 3 vertices changes
// nothing.
Outcome TrimFileCommand(EditContext& ctx, const std::string& path, TrimSide side);

}  // namespace trevalon
