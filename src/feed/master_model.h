#pragma once
// MasterModel: the document's height mesh of the stock, one height and one slope angle per
// cell, built from a toolpath that has been cut, kept in .mma files and consulted by the feed
// optimiser to see how steep the material is that a move meets. The optimiser's prepared
// query is in master_query.h; the .mma format in mma_file.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/value_range.h"

namespace trevalon {

class CPointStore;
class CUndoRing;

// ---- Mesh records ----------------------------------------------------------------------------
// Grid placement and sizes; also the second block of an .mma file (88 bytes, little-endian).
struct MeshHeader {
  double originX = 0.0;       // lowest toolpath X minus one tolerance
  double originY = 0.0;       // lowest toolpath Y minus one tolerance
  double lowZ = 0.0;          // lowest toolpath Z
  double highX = 0.0;         // highest toolpath X, relative to the origin
  double highY = 0.0;         // highest toolpath Y, relative to the origin
  double highZ = 0.0;         // highest toolpath Z
  double toolDiameter = 0.0;  // effective: tool diameter + 2 x machining allowance
  double cellSize = 0.0;
  std::uint32_t cellCount = 0;  // columns x rows
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  std::uint32_t reserved1 = 0;
  std::uint32_t exists = 0;  // 1 when the model holds a mesh
  std::uint32_t reserved2 = 0;
};
static_assert(sizeof(MeshHeader) == 88, "the header is written to .mma files as it lies");

// One node of the mesh: where its sample lies (relative to the origin), its height and its
// slope in whole degrees 0 to 90.
struct MeshCell {
  float x = kEmpty;
  float y = kEmpty;
  float z = kEmpty;
  std::int16_t slope = 0;
  std::int16_t spare = 0;
  static constexpr float kEmpty = -9999.0f;
  bool HasHeight() const { return z != kEmpty; }
};
static_assert(sizeof(MeshCell) == 16, "cells are one contiguous block of 16-byte records");

// ---- The optimiser's view of a mesh ------------------------------------------------------
// What the optimiser copies into its channel record when master control is on: the grid's
// placement and a pointer to the document's cells (valid while the document's model is not
// deleted, reloaded or recreated).
struct MasterGrid {
  double originX = 0.0, originY = 0.0;
  double cellSize = 0.0;
  std::uint32_t columns = 0, rows = 0;
  const MeshCell* cells = nullptr;

  // The optimiser's query: the largest slope angle (whole degrees, 1 to 90) among the cells
  // within `radius` of the toolpath point (x, y) whose height lies above z; 0 when no such
  // cell exists, when the largest angle is 0, or when the grid is empty.
  // x and y are toolpath coordinates (the query subtracts the grid origin). The point is first
  // snapped to the nearest grid node in X and in Y (a tie goes to the lower node); columns
  // from (snapped x - radius) / cell size to (snapped x + radius) / cell size, truncated, are
  // examined, likewise rows, never column or row 0 and never beyond the last; a cell counts
  // when its distance from the snapped node, in cells times the cell size, is at most radius.
  int MaxSlopeAbove(double x, double y, double z, double radius) const;

  // Off, a MasterQuery on this grid asks MaxSlopeAbove afresh for every point (the same
  // answers, slower): lets tests hold the prepared query against the plain one.
  bool preparedQuery = true;
};

// ---- The document's master model ---------------------------------------------------------
class MasterModel {
 public:
  MasterModel() = default;
  MasterModel(const MasterModel&) = delete;
  MasterModel& operator=(const MasterModel&) = delete;

  // Dialog values of the create command; they persist while the document lives.
  double toolDiameter = 10.0;
  double tolerance = 1.0;  // becomes the cell size
  double allowance = 0.0;  // machining allowance
  int shown = 0;           // whether the view draws the mesh
  // What the dialog and `master create` accept: sizes of real tools and allowances, and a
  // tolerance that stays above 0; beyond them the mesh arithmetic would overflow.
  static constexpr RealRange kToolDiameterRange{0.0, 1000.0};
  static constexpr RealRange kAllowanceRange{-1000.0, 1000.0};
  static constexpr RealRange kToleranceRange{0.0, 1000.0, true};

  MeshHeader header;

  bool Exists() const { return header.exists == 1 && cells_ != nullptr; }
  std::uint32_t CellCount() const { return cells_ ? header.cellCount : 0; }
  const MeshCell* Cells() const { return cells_.get(); }
  const MeshCell& Cell(std::uint32_t column, std::uint32_t row) const {
    return cells_[static_cast<std::size_t>(row) * header.columns + column];
  }
  // The grid for the optimiser (an empty grid when no mesh exists).
  MasterGrid Grid() const;
  // Shortcut for MasterGrid::MaxSlopeAbove on this model's grid.
  int MaxSlopeAbove(double x, double y, double z, double radius) const {
    return Grid().MaxSlopeAbove(x, y, z, radius);
  }

  // Releases the cells; the header becomes zero (exists 0); the dialog values stay.
  void Release();

  // ---- Creation from a toolpath --------------------------------------------------------
  // Builds the mesh from the linear feed moves of the store with the dialog values above.
  // Results: 1 built; 0 nothing happened (fewer than 5 points, a tolerance that is not
  // positive, no memory: the model stays as it was); -1 the store holds no cutting move,
  // and the model was cleared. After a build the store that served for it is emptied (an
  // undo snapshot is taken first, so the toolpath can be brought back).
  // `memoryFailed` is set when the grid could not be allocated.
  int Create(CPointStore& store, CUndoRing& undo, bool* memoryFailed = nullptr);

  // ---- .mma files ----------------------------------------------------------------------
  // The file's bytes: 100 zero bytes, the header, height and slope of every cell by rows.
  std::string FileBytes() const;
  // Replaces the model by the mesh in these bytes. 0 (model unchanged, `why` says what is
  // wrong) for a file shorter than its header says, whose cell count is not columns x rows,
  // that holds no cell, or whose origin or cell size is not a usable number (the cell size
  // must be positive). Bytes behind the last cell are ignored. Nothing is allocated before
  // the file is known to hold every cell its header announces.
  int ReadBytes(std::string_view bytes, std::string* why = nullptr);
  // The largest mesh there is: creation refuses a fine grid above this many cells, and the
  // mesh it keeps is never finer. A file announcing more is not a master model.
  static constexpr std::uint32_t kMaxCells = 8u * 1024 * 1024;
  // Reads an .mma file into the model as ReadBytes does, reading no more than its header
  // announces (bytes behind the last cell are never read, so a device that never ends is
  // no danger), and refusing a header that announces more than kMaxCells cells. `error`
  // tells a file that could not be read (None when the file's contents were refused).
  int ReadFile(const std::string& path, FileReadError& error, std::string* why = nullptr);

 private:
  // The cells of a mesh, or none when the memory cannot be had.
  static std::unique_ptr<MeshCell[]> AllocateCells(std::size_t n);

  std::unique_ptr<MeshCell[]> cells_;
};

}  // namespace trevalon
