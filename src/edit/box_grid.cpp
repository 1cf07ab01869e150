#include "edit/box_grid.h"

#include <algorithm>
#include <cmath>

namespace trevalon {

namespace {
// A box over more cells than this goes to the list beside the grid.
constexpr int kLargeCells = 64;
}  // namespace

void XYBox::Add(double x, double y) {
  minX = std::min(minX, x), maxX = std::max(maxX, x);
  minY = std::min(minY, y), maxY = std::max(maxY, y);
}

// The cell of a coordinate, clamped to the grid. Monotone in the coordinate, so two boxes that
// meet share a cell.
int BoxGrid::Cell(double v, double origin, double size) const {
  const double k = std::floor((v - origin) / size);
  return k <= 0 ? 0 : k >= n_ - 1 ? n_ - 1 : static_cast<int>(k);
}

void BoxGrid::Build(std::vector<XYBox> boxes) {
  boxes_ = std::move(boxes);
  large_.clear(), ids_.clear();
  first_.assign(1, 0);
  n_ = 1;
  if (boxes_.empty()) return;
  extent_ = boxes_[0];
  for (const XYBox& b : boxes_) extent_.Add(b.minX, b.minY), extent_.Add(b.maxX, b.maxY);
  n_ = static_cast<int>(std::clamp(std::sqrt(static_cast<double>(boxes_.size())), 1.0, 1024.0));
  cellW_ = std::max((extent_.maxX - extent_.minX) / n_, 1e-9);
  cellH_ = std::max((extent_.maxY - extent_.minY) / n_, 1e-9);
  const std::size_t cells = static_cast<std::size_t>(n_) * n_;
  // Two rounds over the boxes: count per cell, then fill (cells as offsets into one array).
  std::vector<std::uint32_t> next(cells + 1, 0);
  auto each = [&](auto visit) {
    for (std::uint32_t k = 0; k < boxes_.size(); ++k) {
      const XYBox& b = boxes_[k];
      const int x0 = Cell(b.minX, extent_.minX, cellW_), x1 = Cell(b.maxX, extent_.minX, cellW_);
      const int y0 = Cell(b.minY, extent_.minY, cellH_), y1 = Cell(b.maxY, extent_.minY, cellH_);
      if ((x1 - x0 + 1) * (y1 - y0 + 1) > kLargeCells) {
        visit(k, -1);
        continue;
      }
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) visit(k, y * n_ + x);
    }
  };
  each([&](std::uint32_t k, int cell) {
    if (cell < 0)
      large_.push_back(k);
    else
      ++next[cell + 1];
  });
  for (std::size_t c = 0; c < cells; ++c) next[c + 1] += next[c];
  first_ = next;
  ids_.resize(first_[cells]);
  each([&](std::uint32_t k, int cell) {
    if (cell >= 0) ids_[next[cell]++] = k;
  });
}

bool BoxGrid::AnyMeets(const XYBox& q) const {
  for (std::uint32_t k : large_)
    if (boxes_[k].Meets(q)) return true;
  if (boxes_.empty() || !extent_.Meets(q)) return false;
  const int x0 = Cell(q.minX, extent_.minX, cellW_), x1 = Cell(q.maxX, extent_.minX, cellW_);
  const int y0 = Cell(q.minY, extent_.minY, cellH_), y1 = Cell(q.maxY, extent_.minY, cellH_);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const std::size_t cell = static_cast<std::size_t>(y) * n_ + x;
      for (std::uint32_t j = first_[cell]; j < first_[cell + 1]; ++j)
        if (boxes_[ids_[j]].Meets(q)) return true;
    }
  return false;
}

}  // namespace trevalon
