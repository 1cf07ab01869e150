#pragma once
// The cutting simulation of a document: its stock, tool and options (kept in the document),
// the run on the work layer with the rapid rates of machine.par, its findings as one line of
// JSON, and the machined part as a PNG picture.

#include <string>

#include "app/application.h"
#include "platform/outcome.h"
#include "sim/simulation.h"

namespace trevalon {

// The tool the document simulates with: the one given last, else a ball of the current
// cutting conditions' tool diameter.
SimTool DocumentSimTool(CApplication& app, const CDocument& doc);

// The document's options with its tool, the rapid rates of machine.par and one thread per core.
SimulationOptions DocumentSimulationOptions(CApplication& app, const CDocument& doc);

// Simulates the document's work layer with `options`. The document's toolpath is not changed.
Outcome RunSimulation(CPointStore& store, const SimulationOptions& options, HeightField& field,
                      SimulationResult& out);

// The findings as one line of JSON: removed_volume (mm^3), rapid_collisions,
// first_rapid_collision (record index or null), air_cut_length (mm), air_cut_moves,
// air_cut_time (min), cutting_moves, moves, cells, cell, the stock and the tool.
std::string SimulationJson(const SimulationResult& result, const HeightField& field,
                           const SimTool& tool);

// The machined part seen from above as a PNG: the material shaded by its slope and height
// (lit from the view direction), the stock's uncut top in its own colour and the rapids
// that go through material drawn red over it. At most 2000 pixels a side (several cells to a
// pixel for larger stocks). Replaced only once complete.
Outcome WriteSimulationPng(CPointStore& store, const HeightField& field,
                           const SimulationResult& result, const std::string& path);

}  // namespace trevalon
