#pragma once
// The master model in the view: the mesh drawn as a shaded height map under the toolpaths.

#include <QPainter>
#include <cstdint>

#include "feed/master_model.h"
#include "view/view_state.h"

namespace trevalon {

// The view's rotation as three axes in model coordinates: u to the right, v downwards and w
// towards the viewer, so that a drawing's depth order and shading come from the same turns as
// its pixels, which are the view's own projection.
struct ViewAxes {
  double u[3], v[3], w[3];
  ViewProjection project;
  explicit ViewAxes(const ViewState& s) : project(s) {
    const double sx = s.sinX, cx = s.cosX, sy = s.sinY, cy = s.cosY, sz = s.sinZ, cz = s.cosZ;
    u[0] = cy * cz, u[1] = -sz, u[2] = -sy * cz;
    v[0] = -cy * sz * cx + sy * sx, v[1] = -cz * cx, v[2] = sy * sz * cx + cy * sx;
    w[0] = cy * sz * sx + sy * cx, w[1] = cz * sx, w[2] = -sy * sz * sx + cy * cx;
  }
  QPoint Pixel(double x, double y, double z) const {
    int px, py;
    project.ToClient(x, y, z, px, py);
    return QPoint(px, py);
  }
};

// Draws every mesh quad whose four corners have a height, in the view's projection. Returns
// the number of quads handed to the painter (0 without a mesh).
std::uint64_t DrawMasterModel(QPainter& painter, const MasterModel& model, const ViewState& view);

}  // namespace trevalon
