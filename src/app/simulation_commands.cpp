#include "app/simulation_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "app/machine_settings.h"
#include "platform/file_io.h"
#include "view/chart_picture.h"

namespace trevalon {

SimTool DocumentSimTool(CApplication& app, const CDocument& doc) {
  if (doc.simToolGiven) return doc.simulation.tool;
  SimTool t;
  t.kind = SimToolKind::Ball;
  const double d = app.FeedControl().Current().conditions.ToolDiameter;
  t.diameter = SimTool::kDiameterRange.Contains(d) && std::isfinite(d) ? d : 6.0;
  return t;
}

SimulationOptions DocumentSimulationOptions(CApplication& app, const CDocument& doc) {
  SimulationOptions o = doc.simulation;
  o.tool = DocumentSimTool(app, doc);
  const MachineLimits machine = ReadMachineSettings(app);
  std::copy(machine.rapid, machine.rapid + 3, o.rapidRate);
  o.threads = 0;
  return o;
}

Outcome RunSimulation(CPointStore& store, const SimulationOptions& options, HeightField& field,
                      SimulationResult& out) {
  if (store.count == 0)
    return Outcome::Failed(OutcomeCode::Refused, "the work layer holds no toolpath to simulate");
  return Simulate(store, options, field, out);
}

namespace {
std::string Number(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(v) < 1e-12 ? 0.0 : v);
  return buf;
}
}  // namespace

std::string SimulationJson(const SimulationResult& r, const HeightField& field,
                           const SimTool& tool) {
  std::string s = "{\"removed_volume\":" + Number(r.removedVolume, 3);
  s += ",\"rapid_collisions\":" + std::to_string(r.rapidCollisions);
  s += ",\"first_rapid_collision\":" +
       (r.firstRapidCollision < 0 ? std::string("null") : std::to_string(r.firstRapidCollision));
  s += ",\"air_cut_length\":" + Number(r.airCutLength, 3);
  s += ",\"air_cut_moves\":" + std::to_string(r.airCutMoves);
  s += ",\"air_cut_time\":" + Number(r.airCutTime, 4);
  s += ",\"cutting_moves\":" + std::to_string(r.cuttingMoves);
  s += ",\"moves\":" + std::to_string(r.moves.size());
  s += ",\"cells\":" + std::to_string(field.Cells());
  s += ",\"cell\":" + Number(field.cell, 4);
  s += ",\"stock\":[";
  for (int k = 0; k < 6; ++k) {
    if (k) s += ',';
    s += Number(k < 3 ? r.stock.min[k] : r.stock.max[k - 3], 3);
  }
  s += "],\"tool\":\"" + std::string(tool.KindName()) + "\",\"d\":" + Number(tool.diameter, 3);
  s += ",\"r\":" + Number(tool.Corner(), 3) + "}";
  return s;
}

Outcome WriteSimulationPng(CPointStore& store, const HeightField& field,
                           const SimulationResult& result, const std::string& path) {
  if (ChartFormatOfPath(path) != ChartFormat::Png)
    return Outcome::Failed(OutcomeCode::Refused, "'" + path + "' is no .png file name");
  if (field.nx <= 0 || field.ny <= 0)
    return Outcome::Failed(OutcomeCode::Refused, "there is no machined part to draw");
  // Cells to a pixel: the whole stock within 2000 pixels, and at least 16 pixels a side.
  const int step = std::max(1, (std::max(field.nx, field.ny) + 1999) / 2000);
  const int w = std::max(16, (field.nx + step - 1) / step);
  const int h = std::max(16, (field.ny + step - 1) / step);
  enum : std::uint8_t { kBack = 0, kTop = 1, kRed = 2, kShade0 = 3 };
  constexpr int kShades = 250;
  std::vector<ChartColour> palette;
  palette.push_back({255, 255, 255});
  palette.push_back({214, 196, 160});  // the stock's uncut top
  palette.push_back({220, 30, 30});    // rapids through material
  for (int k = 0; k < kShades; ++k) {
    const double t = static_cast<double>(k) / (kShades - 1);
    palette.push_back({static_cast<std::uint8_t>(40 + 150 * t),
                       static_cast<std::uint8_t>(55 + 165 * t),
                       static_cast<std::uint8_t>(80 + 175 * t)});
  }
  std::vector<std::uint8_t> px;
  try {
    px.assign(static_cast<std::size_t>(w) * h, kBack);
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory to draw the machined part");
  }
  auto at = [&](int i, int j) {
    i = std::clamp(i, 0, field.nx - 1);
    j = std::clamp(j, 0, field.ny - 1);
    return static_cast<double>(field.z[static_cast<std::size_t>(j) * field.nx + i]);
  };
  const double span = std::max(1e-9, field.top - field.bottom);
  const float uncut = static_cast<float>(field.top);
  for (int py = 0; py < h; ++py) {
    const int j = (h - 1 - py) * step;  // the picture's top row is the stock's back (high Y)
    if (j >= field.ny) continue;
    for (int pxi = 0; pxi < w; ++pxi) {
      const int i = pxi * step;
      if (i >= field.nx) continue;
      std::uint8_t& out = px[static_cast<std::size_t>(py) * w + pxi];
      if (field.z[static_cast<std::size_t>(j) * field.nx + i] >= uncut) {
        out = kTop;
        continue;
      }
      // Lit from the view direction (above): the brightness is the normal's Z, and the height
      // brightens it a little so that depth reads at a glance.
      const double gx = (at(i + step, j) - at(i - step, j)) / (2.0 * step * field.cell);
      const double gy = (at(i, j + step) - at(i, j - step)) / (2.0 * step * field.cell);
      const double nz = 1.0 / std::sqrt(1.0 + gx * gx + gy * gy);
      const double height = (at(i, j) - field.bottom) / span;
      const double lum = std::clamp(nz * (0.55 + 0.45 * height), 0.0, 1.0);
      out = static_cast<std::uint8_t>(kShade0 + std::lround(lum * (kShades - 1)));
    }
  }
  // The colliding rapids: their XY path, red.
  if (result.rapidCollisions > 0) {
    auto toPixel = [&](double x, double y, double& u, double& v) {
      u = (x - field.x0) / (field.cell * step);
      v = (h - 1) - (y - field.y0) / (field.cell * step);
    };
    std::size_t m = 0;
    bool havePrev = false;
    double prev[2] = {0, 0};
    for (std::uint32_t i = 0; i < store.count && m < result.moves.size(); ++i) {
      if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
      const double p[2] = {store.reg.x, store.reg.y};
      if (havePrev && result.moves[m].record == i) {
        const SimulatedMove& mv = result.moves[m++];
        if (mv.Rapid() && mv.Cut()) {
          double u0, v0, u1, v1;
          toPixel(prev[0], prev[1], u0, v0);
          toPixel(p[0], p[1], u1, v1);
          const int n =
              static_cast<int>(std::ceil(std::max(std::fabs(u1 - u0), std::fabs(v1 - v0))));
          for (int k = 0; k <= n; ++k) {
            const double f = n ? static_cast<double>(k) / n : 0.0;
            const long u = std::lround(u0 + (u1 - u0) * f), v = std::lround(v0 + (v1 - v0) * f);
            for (long dv = -1; dv <= 1; ++dv)
              for (long du = -1; du <= 1; ++du)
                if (u + du >= 0 && u + du < w && v + dv >= 0 && v + dv < h)
                  px[static_cast<std::size_t>(v + dv) * w + static_cast<std::size_t>(u + du)] =
                      kRed;
          }
        }
      }
      prev[0] = p[0];
      prev[1] = p[1];
      havePrev = true;
    }
  }
  std::string bytes;
  try {
    bytes = IndexedPng(w, h, palette, px);
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory to draw the machined part");
  }
  if (bytes.empty())
    return Outcome::Failed(OutcomeCode::Refused, "the machined part cannot be drawn at this size");
  std::string why;
  if (!WriteFileReplacing(path, bytes, &why)) return Outcome::CannotCreate(path, why);
  return Outcome::Done();
}

}  // namespace trevalon
