#pragma once
// The measurements of one toolpath: lengths, extents, highest feed and cutting time. One
// record belongs to each point store and keeps the results of its last walk.

#include <cstdint>

namespace trevalon {

struct ToolpathStatistics {
  std::int32_t maxFeed = 0;
  double cuttingLength = 0;
  double rapidLength = 0;
  double cuttingMin[3] = {10000.0, 10000.0, 10000.0};
  double cuttingMax[3] = {-10000.0, -10000.0, -10000.0};
  double rapidMin[3] = {10000.0, 10000.0, 10000.0};
  double rapidMax[3] = {-10000.0, -10000.0, -10000.0};
  double cuttingTime = 0;  // minutes
  // The arcs' own length, which the cutting length and time leave out (they count linear
  // moves only): the whole cutting length of a toolpath is cuttingLength + arcLength.
  double arcLength = 0;
};

}  // namespace trevalon
