#pragma once
// The material of a cutting simulation: a stock box, the tool that cuts it, and the stock as a
// height field that the tool's swept shape lowers.
//
// The height field holds one Z (a float) per cell of a regular XY grid: the top of the
// material above that cell's centre, between the stock's bottom and its top; rows are stored
// one after the other in X. Why: docs/design-rules.md, "Simulation: the height field".
//
// The tool's programmed point is its tip: the lowest point on its axis. Its lower surface at
// a distance rho from the axis lies ProfileHeight(rho) above the tip: 0 for a flat end, the
// sphere R - sqrt(R^2 - rho^2) for a ball, and for a bull nose flat up to R - r and then the
// corner torus of radius r. Above that surface the tool is a cylinder of radius R.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/value_range.h"

namespace trevalon {

enum class SimToolKind : std::uint8_t { Flat, Ball, Bull };

struct SimTool {
  SimToolKind kind = SimToolKind::Ball;
  double diameter = 6.0;
  double cornerRadius = 0.0;  // bull nose only; a ball's is D/2, a flat end's 0

  static constexpr RealRange kDiameterRange{0.0, 1000.0, true};
  static constexpr RealRange kCornerRange{0.0, 500.0};

  double Radius() const { return diameter / 2.0; }
  // The corner radius the profile uses: D/2 for a ball, 0 for a flat end.
  double Corner() const {
    return kind == SimToolKind::Ball ? Radius() : kind == SimToolKind::Flat ? 0.0 : cornerRadius;
  }
  // "" when the tool can cut, else what is wrong.
  std::string Problem() const;
  // "flat", "ball" or "bull".
  const char* KindName() const;
};

// Parses "flat", "ball" or "bull"; false for anything else.
bool ParseSimToolKind(const std::string& word, SimToolKind& kind);

// Height of the tool's lower surface above its tip at distance rho from its axis (rho <= R).
inline double ProfileHeight(double radius, double corner, double rho) {
  const double flat = radius - corner;
  if (rho <= flat) return 0.0;
  const double d = rho - flat;
  const double q = corner * corner - d * d;
  return corner - (q > 0.0 ? std::sqrt(q) : 0.0);
}

struct StockBox {
  double min[3] = {0, 0, 0};
  double max[3] = {0, 0, 0};
  // "" when the box has room in every axis and finite corners, else what is wrong.
  std::string Problem() const;
};

class HeightField {
 public:
  // What `cell` may be, and how many cells a field may hold (1.2 GB of heights).
  static constexpr RealRange kCellRange{0.001, 100.0};
  static constexpr std::uint64_t kMaxCells = 300'000'000;

  // The box at `cell` mm, every column full up to the box's top. "" when made, else why not
  // (the box, the cell size, too many cells, no memory); the field is then empty.
  std::string Init(const StockBox& box, double cell);

  int nx = 0, ny = 0;
  double cell = 0;
  double x0 = 0, y0 = 0;       // the grid's lower left corner; cell (i, j) is centred at
  double bottom = 0, top = 0;  // x0 + (i + 0.5) cell, y0 + (j + 0.5) cell
  std::vector<float> z;        // ny rows of nx heights

  std::uint64_t Cells() const { return static_cast<std::uint64_t>(nx) * ny; }
  double CellX(int i) const { return x0 + (i + 0.5) * cell; }
  double CellY(int j) const { return y0 + (j + 0.5) * cell; }
  // The material left, mm^3.
  double MaterialVolume() const;
};

// One straight piece of a tool's path, tip from a to b, on behalf of one move.
struct SweepSegment {
  float a[3], b[3];
  std::uint32_t move;  // the move's position in the simulation's move list
};

// A cell is lowered only where the tool reaches more than this below it (mm): a pass along a
// surface already cut leaves it as it is instead of shaving rounding noise off it.
inline constexpr double kCutDepthEpsilon = 1e-4;
// Removed heights are counted as whole multiples of this (mm), so that the sum over cells
// does not depend on the order in which the cells were cut: an integer sum is exact in any
// order, which is what keeps a run on several threads identical to the serial one.
inline constexpr double kHeightQuantum = 1e-7;

// The engagement of a segment's sweep: what the tool meets, measured over the cells it lowers
// and from their heights as they were before it lowered them.
//  - depth: the axial depth of cut, the largest height of material taken from one cell (its
//    height before, less the tool's lower surface over it or the stock's bottom, whichever is
//    higher). For a flat end it is how far below the material's top the tip goes; for a
//    ball or bull nose over a flat top it is the same at the cell under the tip, and the
//    scallop's height where a stepover only shaves the side. Exact at the cells' centres: a
//    slope steeper than the cell can hide up to cell x slope between centres.
//  - across: the band, across the move, that the lowered cells lie in: their lowest and
//    highest offset from the tip's line (left of the move positive; for a move without XY
//    travel, a plunge, the offset in X). The radial engagement is the band's width plus one
//    cell (the centres of n cells in a row span n - 1 cells), at most the diameter. It is
//    right to within a cell. Our rule: a band is counted whole, from its lowest to its highest
//    offset, air between included.
//    Why: docs/design-rules.md, "Simulation: the engagement band".
// A sweep that lowers nothing leaves the engagement as it was; Merge gathers the sweeps of one
// move (its chords, the rows of several threads) in any order with the same result.
struct SweepEngagement {
  float depth = 0.0f;
  float acrossLo = 1e30f, acrossHi = -1e30f;  // empty band: lo > hi

  bool Met() const { return acrossLo <= acrossHi; }
  void Merge(const SweepEngagement& o) {
    depth = depth > o.depth ? depth : o.depth;
    acrossLo = acrossLo < o.acrossLo ? acrossLo : o.acrossLo;
    acrossHi = acrossHi > o.acrossHi ? acrossHi : o.acrossHi;
  }
  // The radial engagement, mm: 0 when nothing was met.
  double Radial(double cell, double diameter) const {
    if (!Met()) return 0.0;
    const double w = static_cast<double>(acrossHi) - acrossLo + cell;
    return w < diameter ? w : diameter;
  }
};

// Sweeps the tool along the segment over the rows [rowLo, rowHi) of the field and returns
// the material taken, in kHeightQuantum units of height summed over cells (times cell^2 for
// mm^3). `engagement`, when given, gathers what this sweep meets (merged into what it holds).
std::int64_t SweepRows(HeightField& field, const SimTool& tool, const SweepSegment& seg, int rowLo,
                       int rowHi, SweepEngagement* engagement = nullptr);

// The rows a segment can touch: [lo, hi), clamped to the field (lo >= hi: none).
void SegmentRows(const HeightField& field, const SimTool& tool, const SweepSegment& seg, int& lo,
                 int& hi);

}  // namespace trevalon
