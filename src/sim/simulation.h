#pragma once
// The cutting simulation of a toolpath: every move of the store swept through a height-field
// stock (height_field.h) in program order, with the material each move takes, the rapids that
// go through material and the cutting moves that take none (air cuts).
//
// Moves are the store's motion records after the first (the first is where the machine
// stands): rapids and lines straight from the motion point before, arcs around their centre
// record in their plane (XY, ZX or YZ; a helix rises along the plane's normal, its radius
// going over from the start's to the end's), followed as chords that stray less than a
// twentieth of a cell from the arc. An arc without its centre record, or of no radius, moves
// straight, as the machine time takes it.
//
// A rapid is a collision when its swept tool takes more than kTinyVolume. With the dogleg
// option a rapid is also swept along the path of a machine that moves each axis at its own
// rapid rate (all axes start together; the faster ones arrive first), and a collision on
// either path counts: a programmer cannot know which one the control takes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/point_store.h"
#include "platform/outcome.h"
#include "sim/height_field.h"

namespace trevalon {

// A move that takes no more than this (mm^3) took nothing: a cube of 0.1 mm.
inline constexpr double kTinyVolume = 0.001;

struct SimulationOptions {
  SimTool tool;
  bool autoStock = true;  // the stock from the toolpath (AutoStock), else `stock`
  StockBox stock;
  double cell = 0.1;
  bool dogleg = false;
  double rapidRate[3] = {24000.0, 24000.0, 15000.0};  // mm/min per axis, for the dogleg
  int threads = 0;                                    // 0: one per core
  // Also measure each move's engagement (SimulatedMove::depth and radial; height_field.h
  // SweepEngagement says how): 12 bytes a move and thread more while the sweep runs.
  bool engagement = false;
  // Only the first `moveLimit` moves are run (the desktop's slider: the part as it is after
  // a move); the later ones are left out of the move list and the findings. The automatic
  // stock is still taken from the whole program, so that every limit cuts the same stock.
  std::size_t moveLimit = static_cast<std::size_t>(-1);
  // Asked on the calling thread as the sweep goes on, with the share of the work done (0 to
  // 1), about a hundred times in a run; false stops the run (the user pressed Escape).
  std::function<bool(double done)> progress;
};

struct SimulatedMove {
  std::uint32_t record = 0;  // the move's end record in the store
  float volume = 0;          // mm^3 taken
  float length = 0;          // mm along the path (an arc's own length)
  std::int16_t feed = 0;     // the programmed feed, mm/min
  std::int16_t type = 0;     // the record's motion type
  // With SimulationOptions::engagement: the axial depth of cut and the radial engagement,
  // mm, the largest over the move's sweep (0 for a move that takes nothing).
  float depth = 0;
  float radial = 0;
  bool Rapid() const { return IsRapidType(type); }
  bool Cut() const { return volume > kTinyVolume; }
};

struct SimulationResult {
  StockBox stock;
  std::vector<SimulatedMove> moves;  // in program order
  double removedVolume = 0;          // mm^3, every move
  std::uint32_t rapidCollisions = 0;
  std::int64_t firstRapidCollision = -1;  // its record index, -1 none
  std::uint32_t cuttingMoves = 0;
  std::uint32_t airCutMoves = 0;
  double airCutLength = 0;  // mm
  double airCutTime = 0;    // min at the programmed feeds (moves without a feed left out)
};

// The automatic stock: the XY extent of the cutting moves' end points plus the tool's
// diameter on every side, from 1 mm below the lowest cutting Z up to the highest. Our rule:
// the top is the highest point a cut reaches, so that a program's own entry moves at their
// clearance do not count as cutting, and the bottom stays clear of every cut. Refused
// when the store holds no cutting move.
Outcome AutoStock(CPointStore& store, const SimTool& tool, StockBox& out);

// Simulates the store's toolpath (records [0, count)): `field` becomes the machined stock and
// `out` the moves and findings. The result does not depend on the number of threads. Reads
// the store through its register and changes no record. Refused (field and out empty) for a
// bad tool, stock or cell size, or when the memory cannot be had; Cancelled (field and out
// empty) when `progress` stopped it.
Outcome Simulate(CPointStore& store, const SimulationOptions& options, HeightField& field,
                 SimulationResult& out);

}  // namespace trevalon
