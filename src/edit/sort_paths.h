#pragma once
// Sorting paths by nearest distance ("공구경로 정렬"), and the return height between paths
// that lie close together (sort mode 4).

#include <cstdint>
#include <vector>

#include "edit/command_frame.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

enum class SortMode {
  StartToStart = 1,   // "방향유지, 시작점-시작점": keep direction, from a path's start
  EndToStart = 2,     // "방향유지, 시작점-끝점": keep direction, from a path's end
  DirectionFree = 3,  // "방향무시": a path may be cut from either end
  ReturnHeight = 4,   // "정렬거리내 복귀높이 ": lower the way between close paths
};

struct SortOptions {
  int mode = 1;
  double distance = 5;  // "정렬 거리" D
  double height = 10;   // "복귀 높이" H (mode 4)
};
inline constexpr IntRange kSortModeRange{1, 4};
inline constexpr RealRange kSortDistanceRange{0, 100000};
inline constexpr RealRange kSortHeightRange{-1, 100000};

// ---- The order ----------------------------------------------------------------------------
// A path's start (where its first cut starts) and end (its last point).
struct PathEnds {
  double start[3], end[3];
};
struct SortStep {
  std::uint32_t path;  // index into the paths given
  bool reversed;       // cut from its end to its start (mode 3 only)
};

// The order of the sort (modes 1 to 3). The first path comes first. From the current path the
// next one is the nearest of the paths not yet taken, when it is at most `distance` away;
// otherwise the remaining path that comes first in store order (in its own direction).
// Distances are straight 3D distances between points: paths on different levels are apart by
// their height difference, so a sort does not jump between levels of a Z-level toolpath any
// more readily than along one. "Nearest" is searched as the program always has: starting at
// 1000, a candidate replaces the best one only when strictly nearer, candidates in store order;
// so of equally near paths the first in store order wins, and nothing 1000 or more away is
// ever nearest.
//  - mode 1: from the current path's start to the other paths' starts;
//  - mode 2: from the current path's end to the other paths' starts;
//  - mode 3: from where the current path ends as it is cut to either end of the other paths;
//    a path whose end is strictly nearer than its start is reversed (on equal distances it
//    keeps its direction), so each path is a candidate with its start first, then its end.
// Paths are found through a uniform grid over XY, searched in rings outwards; the result is
// the one the plain search below gives, ties included.
std::vector<SortStep> SortOrder(const std::vector<PathEnds>& paths, int mode, double distance);
// The plain search over all remaining paths at every step (quadratic): the reference.
std::vector<SortStep> SortOrderPlain(const std::vector<PathEnds>& paths, int mode, double distance);

// ---- The command ----------------------------------------------------------------------------
// One undo snapshot first. Modes 1 to 3: the paths are written in the new order behind the
// store, each as its start at the retract height (the first a run start, the others
// traverses), its start, its moves (backwards for a reversed path, as the reverse commands run a
// path) and its last point at the retract height; then the old points go and the run types are
// regenerated. Mode 4 keeps the order: for each two paths one after the other whose gap (from
// the last point of the one to the start of the next) is shorter than D in XY, the rapids
// between them are
//  - H > 0: lowered to H above the higher of the two ends (a rapid already lower stays);
//  - H = 0: made linear cuts at the feed of the cut before them, the plunge onto the next
//    path included, so the tool cuts along the same way instead of rushing;
//  - H < 0 (the dialog's -1): left out, and the plunge onto the next path becomes the one
//    linear cut that joins the two paths.
// Unchanged for fewer than two paths, or when mode 4 finds nothing to change.
Outcome SortCommand(EditContext& ctx, const SortOptions& options);

}  // namespace trevalon
