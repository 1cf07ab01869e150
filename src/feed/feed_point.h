#pragma once
// FeedPoint: the optimiser's work record, one per point of the point store, in store order.
// It widens the stored point to doubles and carries the feeds the engine assigns, including
// the reduced-feed zones at either end of a move that make the output split the move.

#include <cstdint>

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

}  // namespace trevalon
