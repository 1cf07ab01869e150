#pragma once
// "공구경로 이동및 복사": moving, turning, mirroring and scaling paths, in place or as copies.

#include "edit/command_frame.h"
#include "edit/path_scope.h"
#include "edit/region.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

enum class TransformMethod {
  Move,    // "거리"
  Rotate,  // "회전": about the vertical axis through the centre
  Mirror,  // "미러, 스케일": mirror and scale, a factor per axis
};

struct TransformOptions {
  TransformMethod method = TransformMethod::Move;
  double dx = 0, dy = 0, dz = 0;  // "X축", "Y축", "Z축"
  bool moveX = true, moveY = true, moveZ = true;
  double angle = 90;              // about Z, degrees
  double cx = 0, cy = 0, cz = 0;  // the centre of rotation, and the reference of mirror and scale
  double sx = 1, sy = 1, sz = 1;  // mirror and scale factors
  bool scaleX = false, scaleY = false, scaleZ = false;
  bool copy = false;  // "복사 횟수"
  int copies = 1;
  PathScope scope = PathScope::All;
};
inline constexpr RealRange kTransformDistanceRange{-100000, 100000};
inline constexpr RealRange kTransformAngleRange{-3600, 3600};
inline constexpr RealRange kTransformCentreRange{-100000, 100000};
inline constexpr RealRange kTransformFactorRange{-1000, 1000};
inline constexpr IntRange kTransformCopiesRange{1, 1000};

// The chosen points: every motion point (all), the points with mark 1 (selected), or every
// point of the paths a polygon chooses (their leads included). One undo snapshot first.
//  - Move: by (dx, dy, dz), an axis only when its box is ticked; copy k by k times that.
//  - Rotate: a point at XY distance r from (cx, cy) and at angle a goes to angle a + angle
//    (a + k * angle for copy k), z unchanged.
//  - Mirror and scale: each coordinate becomes reference + (value - reference) * factor, the
//    reference being the centre (cx, cy, cz), which starts at the program zero; an axis whose
//    box is not ticked keeps factor 1. Our rule: with copies, mirror and scale make one copy
//    whatever the count, as a mirror image of a mirror image is the original again.
// Arcs keep their centre record consistent: the centre moves as the points do and the offsets
// are taken anew from the new start. Our rules, so that an arc is still the transformed arc:
//  - its direction follows the orientation of its own plane: in XY a negative X factor flips
//    it and a negative Y factor flips it again, in ZX the Z and X factors do, in YZ the Y and
//    Z factors; a ZX or YZ arc turned by 90 or 270 degrees lies in the other of the two planes
//    afterwards (turned by 180 degrees, in its own), in the direction the turn gives it;
//  - an arc whose circle would become an ellipse (unequal factors in its plane, or a factor
//    of 0) or whose plane would tilt out of the three (a ZX or YZ arc turned by an angle that
//    is not a multiple of 90 degrees) is replaced by its chords first, close enough to stay
//    within 0.001 of the transformed arc.
// Our rule where moved and unmoved points meet (a selection that is not whole paths): the move
// between a moved point and an unmoved one is made a rapid, which the rapid rebuild turns
// into a retract, a traverse and a plunge; a cut from a point that stayed to one that moved
// would cut where no move of the toolpath goes. Copies: each run of chosen points of a copy
// starts with a rapid the same way.
// Our rule for the retract height: when the transform lifts the chosen points above where
// they were, the retract height rises so that it stands as far above their new highest point
// as it stood above their old one (never lower than it was), so that the rapid rebuild, which
// follows, never traverses through the moved paths.
// Unchanged when nothing is chosen or the transform moves nothing and makes no copy.
Outcome TransformCommand(EditContext& ctx, const TransformOptions& options,
                         const Region* polygon = nullptr);

}  // namespace trevalon
