#pragma once
// The point offset: shifts the part of the toolpath inside a region by a fixed vector (a
// small lift or lowering of one area, typically) and joins the shifted and unshifted parts
// with short steps at the region's boundary.

#include <string>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "platform/outcome.h"

namespace trevalon {

struct OffsetVector {
  double dx = 0, dy = 0, dz = 5;  // the dialog's first values
};

// One pass: walks the motion points, appends the result behind them, removes the old points
// and compacts. Boxes (a coordinate box, a window in the top view) test edges included; the
// other regions use their own test. False when the store could not hold the result: the store
// is then as it was before the pass.
bool OffsetRegion(EditContext& ctx, const Region& region, const OffsetVector& v);

// The command for one region: undo snapshot (unless saveUndo is false: the window command
// records one before its first window only), the pass, then the plunge clean-up (model-plane
// regions) or the rapid rebuild (window-plane regions), statistics, redraw.
Outcome OffsetCommand(EditContext& ctx, const Region& region, const OffsetVector& v,
                      bool saveUndo = true);
// One offset per polygon of a point file, in model XY, after one undo snapshot.
Outcome OffsetFileCommand(EditContext& ctx, const std::string& path, const OffsetVector& v);

}  // namespace trevalon
