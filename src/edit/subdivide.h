#pragma once
// Subdivision ("포인트 세분화"): linear cuts longer than a step are split into equal steps, so
// that later commands (the feed optimiser, offsets) have points along them. The result is
// appended behind the old points and the old points go; every scope records one undo
// snapshot, so that each subdivision can be taken back on its own.

#include <cstdint>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "platform/value_range.h"

namespace trevalon {

// The scope buttons of the dialog: "All", "선택", "다각형", "1 Point".
enum class SubdivideScope {
  All,       // every linear cut
  Selected,  // the linear cuts whose point (the end of the move) is selected (mark 1)
  Polygon,   // the linear cuts whose end point's window position lies inside the polygon
  Point,     // the one linear cut that ends at the picked point
};

// "세분화 간격": the step, 1 when the program starts.
inline constexpr double kSubdivideStepStart = 1.0;
inline constexpr RealRange kSubdivideStepRange{0.0, 1000000.0, true};

struct SubdivideRequest {
  double step = kSubdivideStepStart;
  SubdivideScope scope = SubdivideScope::All;
  const Region* region = nullptr;  // Polygon: the clicked polygon (window positions)
  std::uint32_t point = 0;         // Point: the record index of the picked point
};

struct SubdivideSummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  std::uint32_t cutsSplit = 0;
};

// A cut of length d (3D, from the motion point before) is left alone when d <= step and
// otherwise replaced by n = int(d / step) + 1 equal steps: the points at k/n of the move for
// k = 1 .. n, the first with the cut's own type, the others continuing cuts, all with the
// cut's feed and mark. The store is then compacted; the run types need no regeneration.
// The scope "1 Point" asks for no redraw at the end: the toolpath looks the same.
Outcome Subdivide(EditContext& ctx, const SubdivideRequest& request,
                  SubdivideSummary* summary = nullptr);

}  // namespace trevalon
