#pragma once
// CuttingConditions: the optimiser's settings group (tool, limits, feeds, material, weights
// by slope angle, feed change unit), kept in .lmx files. Single-precision fields stay single
// precision: the optimiser's arithmetic depends on it.

#include <cstdint>
#include <string>

namespace trevalon {

struct CuttingConditions {
  float ToolDiameter = 10.0f;
  float SafetyDistance = 5.0f;
  float CornerMinAngle = 10.0f;
  float CornerMaxReduction = 0.1f;
  float SlopeMinAngle = 10.0f;
  float SlopeMaxReduction = 0.1f;
  std::int32_t ConCorChk = 1;
  std::int32_t UpDownChk = 1;
  std::int32_t MaxFeed = 1000;
  std::int32_t PlungeFeed = 1000;
  std::string Material = "STEEL(S45C)";
  std::int32_t FeedChgSmoothCheck = 0;
  std::int32_t XyChgReduceCheck = 0;
  std::int32_t FeedChgAng = 10;
  float CorWeight0 = 1.0f, CorWeight30 = 0.7f, CorWeight60 = 0.3f;
  float SideWeight0 = 1.0f, SideWeight30 = 0.7f, SideWeight60 = 0.3f;
  float ZupZdown = 1.0f;
  float SideCorRat = 2.0f;
  std::int32_t LmxByMaster = 0;
};

}  // namespace trevalon
