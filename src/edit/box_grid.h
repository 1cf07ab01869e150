#pragma once
// Boxes in the XY plane, in a grid of cells over their extent, for one question asked many
// times: does any of them meet a given box? How a point file of many polygons finds, for each
// polygon, whether it can touch the toolpath at all without walking the whole toolpath.

#include <cstdint>
#include <vector>

namespace trevalon {

// A closed box: touching counts as meeting.
struct XYBox {
  double minX, maxX, minY, maxY;
  static XYBox At(double x, double y) { return {x, x, y, y}; }
  void Add(double x, double y);
  bool Meets(const XYBox& o) const {
    return !(maxX < o.minX || minX > o.maxX || maxY < o.minY || minY > o.maxY);
  }
};

class BoxGrid {
 public:
  // Takes the boxes (finite numbers); about one cell per box. A box that covers many cells (a
  // long traverse) is kept in a list beside the grid and tested on every question.
  void Build(std::vector<XYBox> boxes);
  // Whether any box meets q; the same answer as testing every box.
  bool AnyMeets(const XYBox& q) const;

 private:
  int Cell(double v, double origin, double size) const;
  std::vector<XYBox> boxes_;
  std::vector<std::uint32_t> large_, first_, ids_;
  XYBox extent_{0, 0, 0, 0};
  int n_ = 1;
  double cellW_ = 1, cellH_ = 1;
};

}  // namespace trevalon
