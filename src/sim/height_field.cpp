#include "sim/height_field.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace trevalon {

std::string SimTool::Problem() const {
  if (!std::isfinite(diameter) || !kDiameterRange.Contains(diameter))
    return "the tool diameter must be above 0 and at most 1000 mm";
  if (kind == SimToolKind::Bull &&
      (!std::isfinite(cornerRadius) || cornerRadius < 0.0 || cornerRadius > Radius()))
    return "a bull nose's corner radius must lie from 0 to half the diameter";
  return {};
}

const char* SimTool::KindName() const {
  switch (kind) {
    case SimToolKind::Flat:
      return "flat";
    case SimToolKind::Ball:
      return "ball";
    default:
      return "bull";
  }
}

bool ParseSimToolKind(const std::string& word, SimToolKind& kind) {
  if (word == "flat")
    kind = SimToolKind::Flat;
  else if (word == "ball")
    kind = SimToolKind::Ball;
  else if (word == "bull")
    kind = SimToolKind::Bull;
  else
    return false;
  return true;
}

std::string StockBox::Problem() const {
  static const char* const kAxis[3] = {"X", "Y", "Z"};
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(min[k]) || !std::isfinite(max[k]) || std::fabs(min[k]) > 1e6 ||
        std::fabs(max[k]) > 1e6)
      return std::string("the stock's ") + kAxis[k] + " must be a finite number within 1e6 mm";
    if (!(max[k] > min[k]))
      return std::string("the stock's ") + kAxis[k] + " end must lie above its start";
  }
  return {};
}

std::string HeightField::Init(const StockBox& box, double cellSize) {
  *this = HeightField();
  if (std::string why = box.Problem(); !why.empty()) return why;
  if (!std::isfinite(cellSize) || !kCellRange.Contains(cellSize))
    return "the cell size must lie from 0.001 to 100 mm";
  const double cx = std::max(1.0, std::round((box.max[0] - box.min[0]) / cellSize));
  const double cy = std::max(1.0, std::round((box.max[1] - box.min[1]) / cellSize));
  if (cx * cy > static_cast<double>(kMaxCells))
    return "the stock holds too many cells at this cell size (at most 300 million): choose "
           "larger cells";
  try {
    z.assign(static_cast<std::size_t>(cx * cy), static_cast<float>(box.max[2]));
  } catch (const std::bad_alloc&) {
    z.clear();
    return "not enough memory for the stock's cells: choose larger cells";
  }
  nx = static_cast<int>(cx);
  ny = static_cast<int>(cy);
  cell = cellSize;
  x0 = box.min[0];
  y0 = box.min[1];
  bottom = box.min[2];
  top = box.max[2];
  return {};
}

double HeightField::MaterialVolume() const {
  double sum = 0;
  for (int j = 0; j < ny; ++j) {
    double row = 0;
    const float* r = z.data() + static_cast<std::size_t>(j) * nx;
    for (int i = 0; i < nx; ++i) row += r[i] - bottom;
    sum += row;
  }
  return sum * cell * cell;
}

void SegmentRows(const HeightField& field, const SimTool& tool, const SweepSegment& seg, int& lo,
                 int& hi) {
  const double R = tool.Radius();
  const double ymin = std::min(seg.a[1], seg.b[1]) - R, ymax = std::max(seg.a[1], seg.b[1]) + R;
  const double flo = std::ceil((ymin - field.y0) / field.cell - 0.5);
  const double fhi = std::floor((ymax - field.y0) / field.cell - 0.5) + 1.0;
  lo = static_cast<int>(std::clamp(flo, 0.0, static_cast<double>(field.ny)));
  hi = static_cast<int>(std::clamp(fhi, 0.0, static_cast<double>(field.ny)));
}

namespace {

// The x where a*x + b lies in [lo, hi], intersected into [xlo, xhi].
void ClipLinear(double a, double b, double lo, double hi, double& xlo, double& xhi) {
  if (std::fabs(a) < 1e-12) {
    if (b < lo || b > hi) xlo = 1.0, xhi = 0.0;  // empty
    return;
  }
  double p = (lo - b) / a, q = (hi - b) / a;
  if (p > q) std::swap(p, q);
  xlo = std::max(xlo, p);
  xhi = std::min(xhi, q);
}

// The along-track offset s in [lo, hi] where z(s) = m s + profile(sqrt(e2 + s^2)) is lowest,
// for a bull nose on a sloping move. The function is convex (a convex, non-decreasing profile
// of a convex distance, plus a linear term), so its slope changes sign once: bisection on it.
double BullLowest(double m, double e2, double radius, double corner, double lo, double hi) {
  const double flat = radius - corner;
  auto slope = [&](double s) {
    const double rho = std::sqrt(e2 + s * s);
    if (rho <= flat || rho <= 0.0) return m;
    const double d = rho - flat;
    const double q = corner * corner - d * d;
    const double fp = q > 1e-18 ? d / std::sqrt(q) : 1e9;
    return m + fp * s / rho;
  };
  if (slope(lo) >= 0.0) return lo;
  if (slope(hi) <= 0.0) return hi;
  // To a millionth of a millimetre along the move: far below any cell.
  while (hi - lo > 1e-6) {
    const double mid = 0.5 * (lo + hi);
    (slope(mid) < 0.0 ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace

std::int64_t SweepRows(HeightField& field, const SimTool& tool, const SweepSegment& seg, int rowLo,
                       int rowHi, SweepEngagement* engagement) {
  const double R = tool.Radius(), R2 = R * R, corner = tool.Corner();
  const SimToolKind kind = corner <= 0.0 ? SimToolKind::Flat
                           : corner >= R ? SimToolKind::Ball
                                         : SimToolKind::Bull;
  const double ax = seg.a[0], ay = seg.a[1], az = seg.a[2];
  const double hx = seg.b[0] - ax, hy = seg.b[1] - ay, dz = seg.b[2] - az;
  const double L2 = hx * hx + hy * hy;
  // A move without XY travel (a plunge, a lift) cuts with the tool at its lowest point.
  const bool vertical = L2 < 1e-12;
  const double L = vertical ? 0.0 : std::sqrt(L2);
  const double ux = vertical ? 0.0 : hx / L, uy = vertical ? 0.0 : hy / L;
  const double m = vertical ? 0.0 : dz / L;  // Z per mm of XY travel
  const double ballScale = 1.0 / std::sqrt(1.0 + m * m);
  const double zlow = std::min(az, static_cast<double>(seg.b[2]));
  const double c = field.cell;
  const float floorZ = static_cast<float>(field.bottom);
  std::int64_t removed = 0;
  // What the sweep meets, kept in locals for the inner loop (see SweepEngagement).
  double depth = 0.0, acrossLo = 1e30, acrossHi = -1e30;

  for (int j = rowLo; j < rowHi; ++j) {
    const double yc = field.CellY(j);
    // The row's part of the footprint (the XY points within R of the segment): the discs at
    // both ends and the band between them; the footprint is convex, so their hull is exact.
    double xlo = std::numeric_limits<double>::infinity(), xhi = -xlo;
    auto disc = [&](double px, double py) {
      const double d = yc - py;
      if (d * d > R2) return;
      const double w = std::sqrt(R2 - d * d);
      xlo = std::min(xlo, px - w);
      xhi = std::max(xhi, px + w);
    };
    disc(ax, ay);
    if (!vertical) {
      disc(seg.b[0], seg.b[1]);
      double blo = -std::numeric_limits<double>::infinity(), bhi = -blo;
      const double wy = yc - ay;
      ClipLinear(uy, -ax * uy - wy * ux, -R, R, blo, bhi);   // across the move
      ClipLinear(ux, -ax * ux + wy * uy, 0.0, L, blo, bhi);  // along it
      if (blo <= bhi) xlo = std::min(xlo, blo), xhi = std::max(xhi, bhi);
    }
    if (!(xlo <= xhi)) continue;
    const int i0 = static_cast<int>(std::max(0.0, std::ceil((xlo - field.x0) / c - 0.5)));
    const int i1 = static_cast<int>(
        std::min(static_cast<double>(field.nx) - 1.0, std::floor((xhi - field.x0) / c - 0.5)));
    float* row = field.z.data() + static_cast<std::size_t>(j) * field.nx;
    const double wy = yc - ay;
    for (int i = i0; i <= i1; ++i) {
      const float h = row[i];
      if (h <= zlow + kCutDepthEpsilon) continue;  // the tool never comes below its tip
      const double wx = field.CellX(i) - ax;
      double g, across;
      if (vertical) {
        across = wx;
        const double rho2 = wx * wx + wy * wy;
        if (rho2 > R2) continue;
        g = zlow + ProfileHeight(R, corner, std::sqrt(rho2));
      } else {
        // s: the tool's XY offset along the move from the point nearest the cell; the cell
        // is under the tool while |s| <= k, and the tip is on the move while 0 <= along + s
        // <= L.
        const double along = wx * ux + wy * uy, perp = wx * uy - wy * ux;
        across = -perp;  // left of the move positive
        const double e2 = perp * perp;
        if (e2 > R2) continue;
        const double k2 = R2 - e2, k = std::sqrt(k2);
        const double lo = std::max(-along, -k), hi = std::min(L - along, k);
        if (lo > hi) continue;
        const double base = az + m * along;
        double s;
        switch (kind) {
          case SimToolKind::Flat:
            s = m > 0.0 ? lo : hi;
            g = base + m * s;
            break;
          case SimToolKind::Ball: {
            // The sphere's lowest point over the cell: d/ds (m s - sqrt(k^2 - s^2)) = 0.
            s = std::clamp(-m * k * ballScale, lo, hi);
            const double q = k2 - s * s;
            g = base + m * s + R - (q > 0.0 ? std::sqrt(q) : 0.0);
            break;
          }
          default:
            s = m == 0.0 ? std::clamp(0.0, lo, hi) : BullLowest(m, e2, R, corner, lo, hi);
            g = base + m * s + ProfileHeight(R, corner, std::sqrt(e2 + s * s));
            break;
        }
      }
      if (!(g < h - kCutDepthEpsilon)) continue;
      float nh = static_cast<float>(g);
      if (nh < floorZ) nh = floorZ;
      if (nh >= h) continue;
      const double taken = static_cast<double>(h) - nh;
      removed += std::llround(taken / kHeightQuantum);
      row[i] = nh;
      depth = std::max(depth, taken);
      acrossLo = std::min(acrossLo, across);
      acrossHi = std::max(acrossHi, across);
    }
  }
  if (engagement && acrossLo <= acrossHi) {
    SweepEngagement mine;
    mine.depth = static_cast<float>(depth);
    mine.acrossLo = static_cast<float>(acrossLo);
    mine.acrossHi = static_cast<float>(acrossHi);
    engagement->Merge(mine);
  }
  return removed;
}

}  // namespace trevalon
