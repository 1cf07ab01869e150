#pragma once
// FeedPoint: the optimiser's work record, one per point of the point store, in store order.
// It widens the stored point to doubles and carries the feeds the engine assigns, including
// the reduced-feed zones at either end of a move that make the output split the move. Also
// what the engine's passes ask of work records for every move: the kind of motion, distances.

#include <cstdint>

#include "model/point_record.h"
#include "model/point_store.h"

namespace trevalon {

struct FeedPoint {
  double X, Y, Z;
  std::int32_t ProgFeed;       // reference feed of the move ending at this point
  std::int32_t Feed;           // feed assigned by the engine
  std::int16_t StartZonePct;   // reduced-feed zone at the start of the move, % of its length
  std::int16_t StartZoneFeed;  // feed inside the start zone (0 = not set)
  std::int16_t EndZonePct;     // reduced-feed zone at the end of the move, % of its length
  std::int16_t EndZoneFeed;    // feed inside the end zone (0 = not set)
  std::uint32_t MotionType;    // motion code of the point store; 0 = no motion
};

// The motion codes of work records (the point store's codes, unsigned).
inline bool IsMotionCode(std::uint32_t t) {
  return IsMotionType(static_cast<int>(t));
}
inline bool IsLinearCode(std::uint32_t t) {
  return t == MOVE_LINE || t == MOVE_LINE_CONT;
}
inline bool IsArcCode(std::uint32_t t) {
  return t == MOVE_ARC_CCW || t == MOVE_ARC_CW;
}
inline bool IsRapidCode(std::uint32_t t) {
  return t == MOVE_RAPID || t == MOVE_RAPID_CONT;
}

// The squared distance of two work records' points, and the distance (a vanishing one is 0).
inline double Distance2(const FeedPoint& a, const FeedPoint& b) {
  double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
  return dx * dx + dy * dy + dz * dz;
}
inline double Distance(const FeedPoint& a, const FeedPoint& b) {
  return FlooredSqrt(Distance2(a, b));
}

}  // namespace trevalon
