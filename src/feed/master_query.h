#pragma once
// MasterQuery: the feed optimiser's prepared query of a master-model grid, the answers of
// MasterGrid::MaxSlopeAbove for a great many points in a row, from a table of the circle and
// the cells gathered per node.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "feed/master_model.h"

namespace trevalon {

// ---- The optimiser's prepared query ------------------------------------------------------
// MasterGrid::MaxSlopeAbove for one grid and one radius, asked for a great many points in a
// row. Its answers are those of MasterGrid::MaxSlopeAbove bit for bit, for every input.
// Row half-widths of the circle are worked out once, and the cells around a node that comes
// twice in a row are gathered for the points that follow (a few hundred nodes kept).
// How: docs/design-rules.md, "Optimiser: the prepared slope query".
// Grids and radii the tables do not cover (a circle wider than kMaxReach cells, an unusable
// cell size or radius) are asked through MasterGrid::MaxSlopeAbove.
class MasterQuery {
 public:
  static constexpr int kMaxReach = 128;  // in cells from the node

  MasterQuery() = default;
  MasterQuery(const MasterGrid& grid, double radius, double floor = 0.0) {
    Prepare(grid, radius, floor);
  }

  // `floor` only matters to SteepSlopeAbove.
  void Prepare(const MasterGrid& grid, double radius, double floor = 0.0);
  // Whether Prepare was called with this grid (the same cells and placement), radius and
  // floor.
  bool PreparedFor(const MasterGrid& grid, double radius, double floor = 0.0) const;
  // Whether the tables are in use (otherwise every point is asked of the grid afresh).
  bool Tabled() const { return tabled_; }

  // MasterGrid::MaxSlopeAbove(x, y, z, radius) for the prepared grid and radius.
  int MaxSlopeAbove(double x, double y, double z) { return Query(x, y, z, false); }
  // The same answer when it lies above the floor, otherwise some value not above the floor
  // (0 from the gathered cells, the answer itself where the whole circle is walked): for a
  // caller that ignores slopes up to the floor, and so need look only at steeper cells.
  int SteepSlopeAbove(double x, double y, double z) { return Query(x, y, z, true); }

 private:
  int Query(double x, double y, double z, bool steepOnly);
  // Calls visit(row, first, last) for every row of the circle around the node (nx, ny) that
  // holds cells the plain query would look at: columns first to last of that row.
  template <typename Visit>
  void ForEachRow(double nx, double ny, Visit visit) const;
  int ScanGrid(double nx, double ny, double z) const;
  // A gathered circle: where its cells lie in the arrays, for which node.
  struct Circle {
    double nx = 0.0, ny = 0.0;
    bool valid = false;
    std::size_t steep = 0;  // steep cells from the circle's first place
    std::size_t shallowFrom = kNoShallow, shallowTo = 0;
  };
  static constexpr std::size_t kNoShallow = ~std::size_t{0};
  std::size_t SlotOf(double nx, double ny) const;
  // Gathers the steep cells of the node's circle into a slot, or, with steep false, the
  // others behind them.
  void Gather(std::size_t slot, bool steep);
  int ScanList(double z, bool steepOnly);

  MasterGrid grid_;
  double radius_ = 0.0;
  double floor_ = 0.0;
  int steepFrom_ = 1;  // the smallest slope above the floor
  bool prepared_ = false;
  bool tabled_ = false;
  int reach_ = -1;                    // largest row distance, in cells, with a cell in the circle
  std::vector<int> halfWidth_;        // by row distance 0..reach_: columns either side of the node
  double lastX_ = 0.0, lastY_ = 0.0;  // the node of the previous point
  bool haveLast_ = false;
  // Gathered circles, each in its slot (chosen by the node) of `room_` places of the arrays.
  std::vector<Circle> circles_;
  std::vector<float> heights_;
  std::vector<std::int16_t> slopes_;
  std::size_t room_ = 0;
  std::size_t current_ = 0;  // the slot of the previous point's circle
  bool haveCurrent_ = false;
  int uses_ = 0;  // points answered from the current circle so far
};

}  // namespace trevalon
