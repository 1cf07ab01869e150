#pragma once
// The machined part of a document window: its last cutting simulation (the findings of the
// whole program, and the stock as it is after the move the slider shows), drawn under the
// toolpath in the view's own projection, with the rapids that go through material marked red
// over the toolpath.

#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/application.h"
#include "app/document.h"
#include "platform/outcome.h"
#include "sim/simulation.h"

namespace trevalon {

struct MachinedPart {
  SimulationOptions options;  // as the run went, with its stock given explicitly
  SimulationResult result;    // the findings of the whole program
  HeightField field;          // the material after the first `shownMoves` moves
  std::size_t shownMoves = 0;
  // The toolpath it was made from: the document's change count and work layer. A part whose
  // toolpath changed since is neither drawn nor charted (its moves are other moves now).
  std::uint64_t edits = 0;
  int layer = -1;
  std::uint64_t run = 0;  // counts the runs, so that the feed chart sees a new one
  bool shown = true;      // the View menu's toggle

  bool Current(const CDocument& doc) const {
    return layer == doc.layers.workLayer && edits == doc.edits && field.nx > 0;
  }
  std::size_t Moves() const { return result.moves.size(); }
};

// Simulates the document's work layer with `options` into `part` (the slider at the last
// move). The part changes only when the run completes: a refused or stopped run (Cancelled)
// leaves it as it was.
Outcome RunMachinedPart(CDocument& doc, SimulationOptions options, MachinedPart& part);

// The material after the first `moves` moves (clamped to the program's), cut anew from the
// same stock with the same tool: the slider. Our rule: the part is re-simulated up to the move
// rather than taken from kept snapshots, because a run of the bundled example's 6,000 moves
// takes a fraction of a second and the snapshots of a large stock would cost as much memory
// as the stock again for every one kept; the dock coalesces the slider's steps so that only
// the position it rests on is cut. Refused (the part as it was) when the field cannot have
// its memory.
Outcome ShowMachinedPartAt(CDocument& doc, MachinedPart& part, std::size_t moves);

// The record of the end point of the `moves`-th move (1 the first), or nothing at 0.
std::optional<std::uint32_t> RecordOfMove(const MachinedPart& part, std::size_t moves);

// Says why a simulation could not run, in a message box (a stop by Escape says nothing here).
void ShowSimulationRefused(CApplication& app, const Outcome& why);

// Draws the height field as a shaded surface in the view's projection; returns the quads
// handed to the painter.
std::uint64_t DrawMachinedPart(QPainter& painter, const HeightField& field, const ViewState& view);

// Draws the rapids of `result` that go through material, red, along their straight path
// (the store's records the result was made from); returns how many.
std::uint32_t DrawRapidCollisions(QPainter& painter, CPointStore& store,
                                  const SimulationResult& result, const ViewState& view);

}  // namespace trevalon
