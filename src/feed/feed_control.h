#pragma once
// CFeedControl: the optimiser object, one for the whole application, created on first use.
// It holds the channel records (channel 1 is the one the commands use), and the engine's
// arrays.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "feed/cutting_conditions.h"

namespace trevalon {

struct FeedPoint;  // the engine's work record

struct ChannelSettings {
  std::int32_t enabled = 1;
  std::int32_t dialogResult = 0;
  std::int32_t abort = 0;
  std::uint32_t progressIndex = 0;
  CuttingConditions conditions;
  std::string ncDirectory;  // initial directory for NC files
  std::string ncPattern = "*.nc";
  std::string conditionDirectory;  // where condition files are offered
  std::string masterModelFile;     // loaded when LmxByMaster is 1
  std::string portName;            // "Com%d"
  std::uint32_t pointCount = 0;
};

class CFeedControl {
 public:
  static constexpr int kChannels = 17;  // 0 unused, 1..16 "Com1".."Com16"
  // Directories of the channels follow the work environment (~/korvo/ncdata, ~/korvo/lmx).
  explicit CFeedControl(const std::string& korvoRoot);

  ChannelSettings channels[kChannels];
  int currentChannel = 1;
  int engineMode = 3;
};

}  // namespace trevalon
