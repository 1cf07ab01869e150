#pragma once
// Finding toolpath points and paths on the screen for the pickers and for selection by
// mouse: which motion point lies under the cursor, and where the path of a point begins and
// ends. Plain C++ over the store and the view state.

#include <cstdint>
#include <optional>

namespace trevalon {

class CPointStore;
class ViewState;

// The search rings of the pickers, in pixels.
inline constexpr int kPickRadii[] = {3, 8, 13, 18};

// The motion point nearest to the cursor (client pixels from the top-left corner) within the
// first ring that holds any. Within a ring the nearest point wins, so the rings come down to
// "the nearest point, if it is no further than 18 pixels"; of points at the same distance the
// first in the toolpath wins. Rapids count only when they are drawn.
std::optional<std::uint32_t> FindPointAt(CPointStore& store, ViewState& view, int px, int py);

// Window position of a point in client pixels (from the top-left corner).
void ClientPosition(ViewState& view, double x, double y, double z, int& px, int& py);

// The next and previous motion points; nothing at the ends.
std::optional<std::uint32_t> NextMotionPoint(CPointStore& store, std::uint32_t i);
std::optional<std::uint32_t> PrevMotionPoint(CPointStore& store, std::uint32_t i);

// A path runs from a rapid point up to, not including, the next rapid point. The path of a
// point begins at the nearest rapid point at or before it (at record 0 when there is none).
std::uint32_t PathStart(CPointStore& store, std::uint32_t i);
// One past the last record of the path that begins at `start`.
std::uint32_t PathEnd(CPointStore& store, std::uint32_t start);
// The paths before and after; stepping passes over paths that hold no cutting move, so
// that Space and Backspace go from one cut to the next as the user sees them.
std::optional<std::uint32_t> NextPath(CPointStore& store, std::uint32_t start);
std::optional<std::uint32_t> PrevPath(CPointStore& store, std::uint32_t start);

}  // namespace trevalon
