#pragma once
// "Z 상향 -> Z 하향": cuts that climb are turned round so that they are cut downhill.

#include "edit/command_frame.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

struct ZUpDownOptions {
  bool risingOnly = true;     // "Z 상향 부분만": turn only the climbing parts, not whole paths
  double height = 50;         // "검색 높이 (Z height)"
  double angle = 10;          // "검색 각도(Z angle)", degrees
  double safe = 5;            // "안전거리(Safe Dist)"
  bool selectedOnly = false;  // "공구경로 선택만"
};
inline constexpr RealRange kZUpDownHeightRange{-100000, 100000};
inline constexpr RealRange kZUpDownAngleRange{0, 90};
inline constexpr RealRange kZUpDownSafeRange{0, 100000};

// Which moves rise: a cut (a line, or an arc by its chord from start to end) rises when its end
// lies higher than its start, no higher than the search height, and its slope above the XY
// plane is the search angle or steeper (a vertical climb always). A cut falls when it would
// rise run the other way (its start at most the search height). Climbs and descents count
// by their height; a plunge at feed into a path counts neither way, as it stays the way in
// when the path is reversed.
//  - Whole paths (risingOnly off): a path is reversed when its rising cuts climb more than its
//    falling cuts descend, by at least the safe distance.
//  - Rising parts (risingOnly on): every run of rising cuts one after the other that climbs by
//    at least the safe distance is cut out of its path and cut downwards, in its place: the
//    path up to it, the part run from its top to its bottom, the rest of the path from the
//    top on. The rapids between the parts are made retract, traverse and plunge by the rapid
//    rebuild.
// The safe distance is the smallest climb worth turning round: a climb of less is left to be
// cut upwards, because turning it costs a retract and a plunge.
// With selectedOnly only paths with a selected point are looked at. One undo snapshot first,
// the rapid rebuild after. Unchanged when nothing climbs.
Outcome ZUpDownCommand(EditContext& ctx, const ZUpDownOptions& options);

}  // namespace trevalon
