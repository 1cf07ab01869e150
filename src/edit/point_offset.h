#pragma once
// The point offset: shifts the part of the toolpath inside a region by a fixed vector (a
// small lift or lowering of one area, typically) and joins the shifted and unshifted parts
// with short steps at the region's boundary.
//
// The walk looks at the motion points in order, each with the one before it (S, then E):
//   S inside,  E inside:  E shifted;
//   S outside, E inside:  the boundary point I (E's type), I shifted, E shifted;
//   S inside,  E outside: I shifted (E's type), I, E;
//   S outside, E outside: E as it is.
// Only the ends of a move decide, so a move with both ends on one side is never cut.
// Our rule for arcs: an arc whose ends lie on the same side keeps its centre record, which
// holds the centre relative to the arc's start, so the whole arc moves with its start or stays
// with it; an arc with one end on each side is walked as its chords (the reader's chord
// tolerance), so that no arc ever has a shifted end and an unshifted start.

#include <string>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "platform/outcome.h"

namespace trevalon {

struct OffsetVector {
  double dx = 0, dy = 0, dz = 5;  // the dialog's first values
};

// One pass: walks the motion points, appends the result behind them, removes the old points
// and compacts. Boxes (a coordinate box, a window in the top view) test edges included and are
// crossed where the move meets their edges; circles are tested in XY (strictly inside) and
// crossed where the move meets the circle; polygons (window positions, point files in model
// XY) take the parity test and the first edge crossing. False when the store could not hold
// the result (out of memory, or a shifted point beyond the coordinates a record can hold):
// the store is then as it was before the pass. A region that selects nothing, or a Z band,
// leaves the store as it is.
bool OffsetRegion(EditContext& ctx, const Region& region, const OffsetVector& v);

// The command for one region: undo snapshot (unless saveUndo is false: the window command
// records one before its first window only), the pass, then the plunge clean-up (model-plane
// regions) or the rapid rebuild (window-plane regions), statistics, redraw. Unchanged, with
// nothing recorded, when the toolpath is empty, the region selects nothing or no motion point
// lies inside it; Refused when a shifted point would leave the coordinates a record can hold;
// NoMemory when the store cannot hold the result. Every failure leaves the toolpath as it was.
Outcome OffsetCommand(EditContext& ctx, const Region& region, const OffsetVector& v,
                      bool saveUndo = true);
// One offset per polygon of a point file, in model XY, after one undo snapshot (recorded
// before the first polygon that holds part of the toolpath), then the plunge clean-up once.
// A file that cannot be opened, or that ReadPointFile refuses, shows why and changes nothing.
Outcome OffsetFileCommand(EditContext& ctx, const std::string& path, const OffsetVector& v);

}  // namespace trevalon
