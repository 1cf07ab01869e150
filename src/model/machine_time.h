#pragma once
// The machine time: how long a machine with given axis limits really takes for a toolpath,
// rapids, accelerations, corners and block processing included (the statistics' cutting time
// is only the linear cuts' length over feed).
//
// Blocks run at their feed or rapid rate capped per axis, with trapezoid acceleration,
// junction-deviation corners, lookahead over the whole program and a least block time.
// Not modelled: jerk limits, spindle and tool changes, dwell, feed overrides, servo lag.
// The model step by step: docs/design-rules.md, "Machine time: the model".

#include <cstdint>

#include "model/point_store.h"

namespace trevalon {

// The limits of one machine. Speeds and accelerations are per axis (X, Y, Z).
struct MachineLimits {
  double rapid[3] = {24000.0, 24000.0, 15000.0};  // rapid rate, mm/min
  double accel[3] = {2000.0, 2000.0, 1500.0};     // maximum acceleration, mm/s^2
  double junctionDeviation = 0.01;                // mm
  double blockTime = 0.002;                       // s, the least time a block takes
};

struct MachineTime {
  double total = 0;  // minutes, every block
  double rapid = 0;  // minutes, the part of `total` spent in rapid moves
  // False when the memory for the plan could not be had; the times are then 0.
  bool complete = true;
};

// The machine time of the store's toolpath (records [0, count)). Reads the store through the
// register (which it leaves on some record it fetched) and changes no record except those a
// fetch nulls for failing the sanity test. An empty store takes no time.
MachineTime EstimateMachineTime(CPointStore& store, const MachineLimits& limits);

}  // namespace trevalon
