#pragma once
// The master model in the view: the mesh drawn as a shaded height map under the toolpaths.

#include <QPainter>
#include <algorithm>
#include <cmath>
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

// Whether a quad drawn at the four pixels p lies wholly outside a window of width × height.
inline bool QuadOutsideWindow(const QPoint p[4], int width, int height) {
  const int left = std::min({p[0].x(), p[1].x(), p[2].x(), p[3].x()});
  const int right = std::max({p[0].x(), p[1].x(), p[2].x(), p[3].x()});
  const int top = std::min({p[0].y(), p[1].y(), p[2].y(), p[3].y()});
  const int bottom = std::max({p[0].y(), p[1].y(), p[2].y(), p[3].y()});
  return right < 0 || bottom < 0 || left >= width || top >= height;
}

// How squarely a surface with the rises gx (dz/dx) and gy (dz/dy) faces the direction `light`
// (a unit vector in model axes): the cosine between them, either side, 0 to 1.
inline double FacingLight(double gx, double gy, const double light[3]) {
  return std::fabs(-gx * light[0] - gy * light[1] + light[2]) / std::sqrt(gx * gx + gy * gy + 1.0);
}

// Draws every mesh quad whose four corners have a height, in the view's projection. Returns
// the number of quads handed to the painter (0 without a mesh).
std::uint64_t DrawMasterModel(QPainter& painter, const MasterModel& model, const ViewState& view);

}  // namespace trevalon
