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
//    box is not ticked keeps factor 1. Our rule: with copies, mirror and scale make one copy.
// Our rules: an arc stays the transformed arc (centre record taken anew from the new start,
// direction after its plane's orientation; an arc that would turn into an ellipse or tilt out
// of XY, ZX and YZ becomes chords within 0.001); the move between a moved and an unmoved
// point, and the move into each run of a copy's points, becomes a rapid; a lift raises the
// retract height with the chosen points' top, never lowers it.
// Why: docs/design-rules.md, "Transform: our rules".
// Unchanged when nothing is chosen or the transform moves nothing and makes no copy.
Outcome TransformCommand(EditContext& ctx, const TransformOptions& options,
                         const Region* polygon = nullptr);

}  // namespace trevalon
