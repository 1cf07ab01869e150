#pragma once
// The machine time: how long a machine with given axis limits really takes for a toolpath,
// rapids, accelerations, corners and block processing included. The statistics' cutting time
// is length over feed for the linear cuts only; this is the time the job keeps the machine.
//
// The model, in the order the estimate applies it:
//  - Every motion record is a block. The first motion point of the toolpath is where the
//    machine stands: it takes no time. Arc centre records and records that fail the store's
//    sanity test are no blocks.
//  - A block moves from the motion point before it to its own point: rapids and lines
//    straight, arcs around their centre record (start and end radius averaged, a helix's rise
//    along the plane's normal). An arc without its centre record, or with a vanishing radius,
//    moves straight.
//  - Speed limit of a block: rapids run at the rapid rate, cuts at their feed; both capped so
//    that no axis exceeds its own rapid rate (the per-axis rates projected onto the move's
//    direction: the largest speed whose every axis component stays within its axis's rate).
//    On an arc the in-plane direction turns, so the smaller of the two in-plane axes' values
//    holds over the whole arc. Inside an arc the centripetal acceleration stays within the
//    smaller in-plane acceleration: v^2 <= a * r (for a helix, on the in-plane part of v).
//  - Acceleration along a block: the per-axis accelerations projected onto its direction in
//    the same way (arcs again with the smaller in-plane value). The speed follows a
//    trapezoid: accelerate, cruise, decelerate, or a triangle when the block is too short to
//    reach its speed. Tangential and centripetal acceleration are not shared out inside arcs.
//  - Corners: the speed through the junction of two blocks comes from the junction deviation
//    (the classic rule: the corner is rounded by a circle that stays within the deviation of
//    the corner point, and the speed is the centripetal limit on that circle:
//    v^2 = a * d * sin(t/2) / (1 - sin(t/2)), t the angle between the reversed incoming and the
//    outgoing direction, a the acceleration projected onto the direction of the speed change).
//    Arcs meet their neighbours with their tangents at their ends. A straight continuation is
//    limited only by the two blocks' speeds, a reversal stops the machine.
//  - Lookahead over the whole program: a backward pass lowers every junction speed to what
//    the machine can still brake from before the next stop, a forward pass to what it can
//    reach from the stop before. Linear in the number of moves.
//  - Rapids and cuts are planned apart: the machine comes to a stop at every change between a
//    rapid and a cutting move, as a control does when it switches between positioning and
//    interpolation. So the rapid time is exactly the time of the rapid runs.
//  - Block processing: a block takes at least the block processing time. Its speed is capped
//    at length / block time in the plan, so that a run of short blocks slows the machine the
//    way a control's block rate does; a block without length (and a cut without a feed, which
//    cannot be timed otherwise) costs the block time alone. A cut without a feed is not joined
//    to its neighbours: the machine stops before and after it.
//  - Not modelled: jerk limits, spindle and tool changes, dwell, feed overrides, servo lag.

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
