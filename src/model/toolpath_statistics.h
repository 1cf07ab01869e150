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

// One page of the store measured by the statistics' walk, kept so that the next walk measures
// again only the pages that changed (see ComputeStatistics). The walk carries one value from
// record to record: the end point of the last linear move or rapid, `last`.
struct StatisticsPart {
  std::uint64_t stamps[3] = {};  // the pages before, of and after this one when it was measured
  std::uint32_t seen = 0;        // the store's records from the page's first on, at most a page + 1
  bool reusable = false;         // no record before the page before was read
  bool haveLastIn = false, haveLastOut = false;
  double lastIn[3] = {}, lastOut[3] = {};
  ToolpathStatistics stats;  // the page's own share, from the start values
};

}  // namespace trevalon
