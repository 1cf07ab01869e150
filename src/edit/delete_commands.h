#pragma once
// The delete commands: moves taken out of the toolpath without cutting them at a boundary.
// A point or a path picked by the user, every second path, the moves at points inside
// windows or a polygon, the cuts of one XY direction, moves or paths by length, runs of cuts
// of a slope band, and the moves the user selected.
//
// Two ways of taking a move out: a removed cutting move becomes a rapid placeholder (type 2),
// which the rapid rebuild turns into a retract, a traverse at the retract height and a plunge
// (the region, angle, length and selection deletes); the point, path and every-second-path
// deletes give the records type 0 instead and join the toolpath at the gap themselves.
//
// Our rule for type 0: every delete compacts the store before it ends (what it gave type 0,
// and the cuts of no length that the rebuild's regeneration marks), so no walk after it ever
// meets such a record. Why: docs/design-rules.md, "Deleting: no type 0 left behind".
//
// Every command ends with the frame's Finish (statistics, redraw, the view's last-operation
// mark). Which ones record an undo snapshot is part of each command's description below; a
// command without one that runs out of memory still leaves the toolpath as it found it.

#include <cstdint>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

// ---- Picked point and path (one undo snapshot) ---------------------------------------------
// Deletes motion point `index` (type 0). The motion point after it joins the toolpath where
// it now stands: a cutting run's second point becomes its start (type 3), a rapid run's
// second rapid its start (type 1). Refused, changing nothing, for an index beyond the store
// or a record that is no motion point.
Outcome DeletePoint(EditContext& ctx, std::uint32_t index);
// Deletes the path that holds motion point `index`: from the path's first point (the nearest
// rapid at or before it; the rapids of type 1 right before it go too, but never a retract
// straight up out of the cut before them) up to the next rapid that starts a rapid run, which
// stays and continues the rapids before it. Refused as DeletePoint; Unchanged when the path
// holds nothing but such a retract.
Outcome DeletePath(EditContext& ctx, std::uint32_t index);

// ---- Every second path (one undo snapshot) ------------------------------------------------
// From the first cutting run on, of the paths after it every second one goes together with
// the first rapid of the rapid run after it (unless that rapid is the only one of its run).
// Unchanged when there is no second path.
Outcome DeleteEverySecondPath(EditContext& ctx);

// ---- Regions ------------------------------------------------------------------------------
// The moves at the motion points whose window position (client pixels of ctx.view) lies in
// the rectangle from corner 1 (x1, y1) to corner 2, edges included, in every view and of any
// size. A rapid there goes (type 0); a cutting move there becomes a rapid placeholder together
// with the move after it. When anything changed, the rapid rebuild runs. `recordUndo` records
// one undo snapshot first: the desktop's repeated windows record one for the whole series.
// Unchanged for a first corner left of or above the client area, or no point inside.
Outcome DeleteInsideWindow(EditContext& ctx, int x1, int y1, int x2, int y2, bool recordUndo);

// The polygon input of this command: vertices equal to the one before are dropped, and the
// input ends without a result when the vertices reach this many.
inline constexpr std::size_t kDeletePolygonLimit = 100;
// The linear cuts, from the second one of the toolpath on, whose window position lies inside
// the polygon (window plane), or whose linear cut before lies inside, become rapid
// placeholders; then the rapid rebuild runs. One undo snapshot. Unchanged for a polygon of
// fewer than 3 or of kDeletePolygonLimit vertices or more.
Outcome DeleteInsidePolygon(EditContext& ctx, const Region& polygon);

// ---- Direction, length and slope ----------------------------------------------------------
inline constexpr RealRange kDeleteAngleRange{-360.0, 720.0};
inline constexpr RealRange kDeleteToleranceRange{0.0, 180.0, true};
inline constexpr RealRange kDeleteLengthRange{0.0, 1.0e7, true};
inline constexpr RealRange kDeleteGapRange{0.0, 1.0e7};

struct XyAngleOptions {
  double angle = 90;      // " Angle ": the XY direction in degrees from +X towards +Y
  double tolerance = 10;  // degrees
};
// Every linear cut whose move runs in the direction `angle` (either way round, within the
// tolerance, vertical moves never) becomes a rapid placeholder; then regeneration and the
// rapid rebuild. One undo snapshot.
Outcome DeleteByXyAngle(EditContext& ctx, const XyAngleOptions& o);

// " 삭제 길이 ": every move at least `length` long (arcs by their length) becomes a rapid, as
// every rapid stays one; then regeneration and the rapid rebuild. One undo snapshot.
Outcome DeletePointsByLength(EditContext& ctx, double length);
// " Delete toolpath length ": every path shorter than `length` (measured along its cutting
// moves from the point before its first cut) becomes rapid placeholders; then the rapid
// rebuild, twice. One undo snapshot.
Outcome DeletePathsByLength(EditContext& ctx, double length);

struct ZAngleOptions {
  double minAngle = 0;  // " Min surface angle ", degrees above the XY plane
  double maxAngle = 30;
  double gap = 4;  // " Ignore delete point gap ": runs this long or shorter stay
};
// Runs of linear cuts whose slope lies in [minAngle, maxAngle] and which are together longer
// than `gap` become rapids; then the rapid rebuild and the plunge clean-up, and every motion
// point gets the document's cutting feed (*ctx.cuttingFeed). One undo snapshot. Refused when
// the context carries no cutting feed.
Outcome DeleteByZAngle(EditContext& ctx, const ZAngleOptions& o);

// ---- Selection (one undo snapshot) --------------------------------------------------------
// Every selected motion point (mark 1) becomes a rapid placeholder; then the rapid rebuild,
// twice. Unchanged when nothing is selected.
Outcome DeleteSelected(EditContext& ctx);

}  // namespace trevalon
