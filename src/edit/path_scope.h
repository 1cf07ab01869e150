#pragma once
// What the path order commands share beyond the paths themselves: the scope a command acts on
// (all paths, the selected ones, the ones a polygon chooses), the polygon input's rules for
// vertices given all at once, and putting the store back for the commands that record no
// undo snapshot.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "edit/path_runs.h"
#include "edit/region.h"

namespace trevalon {

class CPointStore;
class ViewState;

enum class PathScope { All, Selected, Polygon };
// "all", "selected", "polygon"; false for any other word.
bool ParsePathScope(std::string_view word, PathScope& out);

// The polygon of the path commands: at most 100 vertices, a vertex closer than 5 pixels to the
// last one accepted is dropped.
inline constexpr std::size_t kPathPolygonLimit = 100;

// The polygon input's rules for clicks given all at once (a script): a vertex closer than 5.0
// pixels to the last accepted one is dropped (with `fivePixels`; otherwise only an identical
// one); when the accepted vertices reach `limit` the input ends and nothing is done; fewer
// than 3 do nothing either. The polygon in window positions, or nothing.
std::optional<Region> PolygonFromClicks(const std::vector<RegionPoint>& clicks, std::size_t limit,
                                        bool fivePixels);

// One flag per path: every path; a path with a selected point (mark 1) on it, its lead
// included; a path with a point inside the polygon, its lead included (window positions,
// through the view). The choice is held here, not in the marks, so the selection the user
// made survives the command.
std::vector<char> ChooseRuns(CPointStore& store, const std::vector<PathRun>& runs, PathScope scope,
                             const Region* polygon, ViewState* view);

}  // namespace trevalon
