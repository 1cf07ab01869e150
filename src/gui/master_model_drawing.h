#pragma once
// The master model in the view: the mesh drawn as a shaded height map under the toolpaths.

#include <QPainter>
#include <cstdint>

#include "feed/master_model.h"
#include "view/view_state.h"

namespace trevalon {

// Draws every mesh quad whose four corners have a height, in the view's projection. Returns
// the number of quads handed to the painter (0 without a mesh).
std::uint64_t DrawMasterModel(QPainter& painter, const MasterModel& model, const ViewState& view);

}  // namespace trevalon
