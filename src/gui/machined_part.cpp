#include "gui/machined_part.h"

#include <QPen>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/simulation_commands.h"
#include "gui/master_model_drawing.h"
#include "texts/messages.h"

namespace trevalon {
namespace {

// The drawing keeps to about this many quads, as the master model's does.
constexpr double kMaxQuads = 160000.0;
constexpr int kLightLevels = 64;

// The machined surface in steel, the stock's uncut top in its own warmer colour, at a
// brightness of 0 to 1.
QColor PartColour(bool uncut, double brightness) {
  const double b = 0.2 + 0.8 * std::clamp(brightness, 0.0, 1.0);
  return uncut ? QColor::fromRgbF(0.86 * b, 0.76 * b, 0.56 * b)
               : QColor::fromRgbF(0.66 * b, 0.74 * b, 0.84 * b);
}

}  // namespace

Outcome RunMachinedPart(CDocument& doc, SimulationOptions options, MachinedPart& part) {
  HeightField field;
  SimulationResult result;
  if (Outcome ran = RunSimulation(doc.store, options, field, result); !ran) return ran;
  part.options = options;
  part.options.autoStock = false;  // the slider cuts the very same stock again
  part.options.stock = result.stock;
  part.options.progress = nullptr;
  part.options.moveLimit = static_cast<std::size_t>(-1);
  part.field = std::move(field);
  part.result = std::move(result);
  part.shownMoves = part.result.moves.size();
  part.edits = doc.edits;
  part.layer = doc.layers.workLayer;
  ++part.run;
  return Outcome::Done();
}

Outcome ShowMachinedPartAt(CDocument& doc, MachinedPart& part, std::size_t moves) {
  moves = std::min(moves, part.Moves());
  if (moves == part.shownMoves && part.field.nx > 0) return Outcome::Done();
  SimulationOptions o = part.options;
  o.moveLimit = moves;
  HeightField field;
  SimulationResult upTo;
  if (Outcome ran = Simulate(doc.store, o, field, upTo); !ran) return ran;
  part.field = std::move(field);
  part.shownMoves = moves;
  return Outcome::Done();
}

void ShowSimulationRefused(CApplication& app, const Outcome& why) {
  if (why.code() == OutcomeCode::Cancelled) return;
  const std::string text = FillText(app.Text(Txt::SimulationRefused), why.reason());
  app.Msg().platform().ShowMessage(text, app.Text(Txt::ErrorMessage), MessageIcon::Error,
                                   MessageButtons::Ok);
}

std::optional<std::uint32_t> RecordOfMove(const MachinedPart& part, std::size_t moves) {
  if (moves == 0 || moves > part.Moves()) return std::nullopt;
  return part.result.moves[moves - 1].record;
}

// Draws the part as filled quads between neighbouring cell centres in the view's projection
// (every n-th cell beyond kMaxQuads), far side first, lit from the view direction.
// Why: docs/design-rules.md, "Drawing: the machined part".
std::uint64_t DrawMachinedPart(QPainter& painter, const HeightField& f, const ViewState& view) {
  if (f.nx < 2 || f.ny < 2 || f.z.size() != f.Cells()) return 0;
  const ViewAxes axes(view);
  const double step =
      std::max({1.0, std::ceil(std::sqrt(static_cast<double>(f.nx) * f.ny / kMaxQuads)),
                std::ceil(2.0 / (f.cell * axes.project.scale))});
  if (!(step < f.nx && step < f.ny)) return 0;
  const int n = static_cast<int>(step);
  const double d = f.cell * n;
  const int quadsI = (f.nx - 1) / n, quadsJ = (f.ny - 1) / n;
  const bool iUp = axes.w[0] >= 0.0, jUp = axes.w[1] >= 0.0;

  std::vector<QPen> pens(2 * kLightLevels);
  std::vector<QBrush> brushes(pens.size());
  for (int uncut = 0; uncut < 2; ++uncut)
    for (int l = 0; l < kLightLevels; ++l) {
      const QColor c = PartColour(uncut != 0, static_cast<double>(l) / (kLightLevels - 1));
      const std::size_t k = static_cast<std::size_t>(uncut * kLightLevels + l);
      pens[k] = QPen(c, 0);
      brushes[k] = QBrush(c);
    }

  const float top = static_cast<float>(f.top);
  auto z = [&](int i, int j) { return f.z[static_cast<std::size_t>(j) * f.nx + i]; };
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  std::uint64_t drawn = 0;
  std::size_t current = pens.size();
  for (int qj = 0; qj < quadsJ; ++qj) {
    const int j = (jUp ? qj : quadsJ - 1 - qj) * n;
    for (int qi = 0; qi < quadsI; ++qi) {
      const int i = (iUp ? qi : quadsI - 1 - qi) * n;
      const float z00 = z(i, j), z10 = z(i + n, j), z01 = z(i, j + n), z11 = z(i + n, j + n);
      const double x0 = f.CellX(i), y0 = f.CellY(j);
      const QPoint p[4] = {axes.Pixel(x0, y0, z00), axes.Pixel(x0 + d, y0, z10),
                           axes.Pixel(x0 + d, y0 + d, z11), axes.Pixel(x0, y0 + d, z01)};
      if (QuadOutsideWindow(p, view.width, view.height)) continue;
      const double gx = ((z10 + z11) - (z00 + z01)) / (2.0 * d);
      const double gy = ((z01 + z11) - (z00 + z10)) / (2.0 * d);
      const double lit = FacingLight(gx, gy, axes.w);
      const bool uncut = z00 >= top && z10 >= top && z01 >= top && z11 >= top;
      const int level = static_cast<int>(std::min(lit, 1.0) * (kLightLevels - 1) + 0.5);
      const std::size_t k = static_cast<std::size_t>((uncut ? kLightLevels : 0) + level);
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

std::uint32_t DrawRapidCollisions(QPainter& painter, CPointStore& store,
                                  const SimulationResult& result, const ViewState& view) {
  if (result.rapidCollisions == 0) return 0;
  const ViewAxes axes(view);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(QColor(235, 30, 30), 3));
  std::uint32_t drawn = 0;
  std::size_t m = 0;
  bool havePrev = false;
  QPoint prev;
  for (std::uint32_t i = 0; i < store.count && m < result.moves.size(); ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    const QPoint here = axes.Pixel(store.reg.x, store.reg.y, store.reg.z);
    if (havePrev && result.moves[m].record == i) {
      const SimulatedMove& mv = result.moves[m++];
      if (mv.Rapid() && mv.Cut()) {
        painter.drawLine(prev, here);
        ++drawn;
      }
    }
    prev = here;
    havePrev = true;
  }
  painter.restore();
  return drawn;
}

}  // namespace trevalon
