#include "gui/master_model_drawing.h"

#include <QPen>
#include <algorithm>
#include <cmath>
#include <vector>

namespace trevalon {
namespace {

// The drawing keeps to about this many quads: a mesh finer than that is drawn with every
// n-th node in both directions, which a screen cannot tell apart anyway.
constexpr double kMaxQuads = 160000.0;
constexpr double kRadToDeg = 57.29577951308232;

using Axes = ViewAxes;

// The colour of a quad: its slope picks the hue (flat ground green, through yellow and orange,
// to red for walls of 90 degrees), its facing to the light the brightness (0 to 1).
QColor MeshColour(int slopeDegrees, double brightness) {
  const int slope = std::clamp(slopeDegrees, 0, 90);
  const int hue = 130 - slope * 130 / 90;  // 130 green .. 0 red
  const double b = std::clamp(brightness, 0.0, 1.0);
  return QColor::fromHsv(hue, 150, static_cast<int>(60 + 195 * b));
}

}  // namespace

// The height map is drawn as one filled quad per mesh cell, from the cell's node to the nodes
// of its right, upper and upper-right neighbours, all at their heights. Quads go to the painter
// from the far side of the grid to the near side, rows and columns each in the order in which
// the view's depth grows; for a height map seen from above that hides what lies behind a rise
// without any depth sorting (seen from below, where the stock is rarely looked at, the same
// order gives only an approximate picture). Each quad is coloured by the largest slope of its
// corners and lit by a light that sits above the viewer's left shoulder, so that the shape
// reads in every view direction.
std::uint64_t DrawMasterModel(QPainter& painter, const MasterModel& model, const ViewState& view) {
  if (!model.Exists() || model.header.cellSize <= 0.0) return 0;
  const MeshHeader& h = model.header;
  const std::uint32_t columns = h.columns, rows = h.rows;
  if (columns < 2 || rows < 2) return 0;
  const Axes axes(view);
  const double cs = h.cellSize;

  // Every n-th node: few enough quads, and none smaller than about two pixels.
  const double step =
      std::max({1.0, std::ceil(std::sqrt(static_cast<double>(columns) * rows / kMaxQuads)),
                std::ceil(2.0 / (cs * axes.project.scale))});
  // Zoomed out that far, the whole mesh is smaller than a quad: nothing to draw.
  if (!(step < columns && step < rows)) return 0;
  const std::uint32_t n = static_cast<std::uint32_t>(step);
  const double d = cs * n;

  // The light in the view's own axes (right, down, towards the viewer), turned into model
  // axes once for the whole drawing.
  double lu = -0.45, lv = -0.55, lw = 0.6;
  const double ll = std::sqrt(lu * lu + lv * lv + lw * lw);
  lu /= ll, lv /= ll, lw /= ll;
  double light[3];
  for (int k = 0; k < 3; ++k) light[k] = lu * axes.u[k] + lv * axes.v[k] + lw * axes.w[k];

  const std::uint32_t lastI = (columns - 1) / n * n, lastJ = (rows - 1) / n * n;
  const bool iUp = axes.w[0] >= 0.0, jUp = axes.w[1] >= 0.0;
  const std::uint32_t quadsI = lastI / n, quadsJ = lastJ / n;
  // The colours are taken from a palette of slope steps and brightness levels made once per
  // drawing, so that the loop over the quads hands the painter ready pens and brushes.
  constexpr int kSlopeStep = 2, kSlopeLevels = 90 / kSlopeStep + 1, kLightLevels = 64;
  std::vector<QPen> pens(kSlopeLevels * kLightLevels);
  std::vector<QBrush> brushes(pens.size());
  for (int s = 0; s < kSlopeLevels; ++s) {
    for (int l = 0; l < kLightLevels; ++l) {
      const QColor colour = MeshColour(s * kSlopeStep, static_cast<double>(l) / (kLightLevels - 1));
      const std::size_t k = static_cast<std::size_t>(s * kLightLevels + l);
      pens[k] = QPen(colour, 0);
      brushes[k] = QBrush(colour);
    }
  }

  const MeshCell* cells = model.Cells();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  std::uint64_t drawn = 0;
  std::size_t current = pens.size();
  for (std::uint32_t qj = 0; qj < quadsJ; ++qj) {
    const std::uint32_t j = (jUp ? qj : quadsJ - 1 - qj) * n;
    for (std::uint32_t qi = 0; qi < quadsI; ++qi) {
      const std::uint32_t i = (iUp ? qi : quadsI - 1 - qi) * n;
      const MeshCell& c00 = cells[static_cast<std::size_t>(j) * columns + i];
      const MeshCell& c10 = cells[static_cast<std::size_t>(j) * columns + i + n];
      const MeshCell& c01 = cells[static_cast<std::size_t>(j + n) * columns + i];
      const MeshCell& c11 = cells[static_cast<std::size_t>(j + n) * columns + i + n];
      if (!c00.HasHeight() || !c10.HasHeight() || !c01.HasHeight() || !c11.HasHeight()) continue;
      const double x0 = h.originX + i * cs, y0 = h.originY + j * cs;
      // The quad's normal from its mean rises in X and Y. Heights that are not numbers (a
      // damaged file) leave the quad out.
      const double gx = ((c10.z + c11.z) - (c00.z + c01.z)) / (2.0 * d);
      const double gy = ((c01.z + c11.z) - (c00.z + c10.z)) / (2.0 * d);
      if (!std::isfinite(gx) || !std::isfinite(gy)) continue;
      const QPoint p[4] = {axes.Pixel(x0, y0, c00.z), axes.Pixel(x0 + d, y0, c10.z),
                           axes.Pixel(x0 + d, y0 + d, c11.z), axes.Pixel(x0, y0 + d, c01.z)};
      if (QuadOutsideWindow(p, view.width, view.height)) continue;
      const double lit = FacingLight(gx, gy, light);
      // Cells loaded from a file carry their slope; the quad's own rise counts too, so that a
      // mesh drawn with every n-th node still shows its walls.
      const int own = static_cast<int>(std::atan(std::sqrt(gx * gx + gy * gy)) * kRadToDeg);
      const int slope = std::max({static_cast<int>(c00.slope), static_cast<int>(c10.slope),
                                  static_cast<int>(c01.slope), static_cast<int>(c11.slope), own});
      // Some light everywhere, and the turn towards the light squared for depth.
      const double brightness = 0.15 + 0.85 * std::min(lit * lit, 1.0);
      const int level = static_cast<int>(brightness * (kLightLevels - 1) + 0.5);
      const std::size_t k =
          static_cast<std::size_t>(std::min(slope, 90) / kSlopeStep * kLightLevels + level);
      if (k != current) {
        painter.setPen(pens[k]);
        painter.setBrush(brushes[k]);
        current = k;
      }
      painter.drawConvexPolygon(p, 4);
      ++drawn;
    }
  }
  painter.restore();
  return drawn;
}

}  // namespace trevalon
