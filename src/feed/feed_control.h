#pragma once
// CFeedControl: the optimiser object, one for the whole application, created on first use.
// It holds the channel records (channel 1 is the one the commands use), each with its work
// array and master-model reference, and the engine's output array.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "feed/cutting_conditions.h"
#include "feed/feed_point.h"
#include "feed/master_model.h"

namespace trevalon {

struct ChannelSettings {
  std::int32_t enabled = 1;
  std::int32_t dialogResult = 0;
  std::int32_t abort = 0;           // read by the engine before each move; 1 ends the analysis
  std::uint32_t progressIndex = 0;  // the move the corner pass is treating
  CuttingConditions conditions;
  std::string ncDirectory;  // initial directory for NC files
  std::string ncPattern = "*.nc";
  std::string conditionDirectory;     // where condition files are offered
  std::string masterModelFile;        // loaded when LmxByMaster is 1
  std::string portName;               // "Com%d"
  std::uint32_t pointCount = 0;       // work records; after a run, output records
  std::unique_ptr<FeedPoint[]> work;  // the run's work array, only while a run lasts
  int masterState = 3;
  MasterGrid master;  // the document's mesh while master control is on
  // The distance of the XY corner pass in the last run (kept for XyChgReduceCheck).
  double xyCornerDistance = 0.0;
  // Result of the last run: cutting moves whose feed came out below the maximum feed.
  std::uint32_t slowedMoves = 0;
};

class CFeedControl {
 public:
  static constexpr int kChannels = 17;  // 0 unused, 1..16 "Com1".."Com16"
  // Directories of the channels follow the work environment (~/korvo/ncdata, ~/korvo/lmx).
  explicit CFeedControl(const std::string& korvoRoot);

  ChannelSettings& Current() { return channels[currentChannel]; }

  // The transfer dialog opens on the current channel. The first opening in a session makes
  // SlopeMaxReduction follow CornerMaxReduction x SideCorRat (at most 1.0); later openings
  // show the values of the last OK.
  void OpenTransferDialog();

  ChannelSettings channels[kChannels];
  int currentChannel = 1;
  int engineMode = 3;  // 2: no XY corner and arc treatment; 1: no elevation corner treatment
  bool transferDialogOpened = false;

  // ---- The engine's output array (kept until the next run) ----------------------------------
  std::unique_ptr<FeedPoint[]> output;
  std::size_t outputCapacity = 0;  // in records
  std::uint32_t outputCount = 0;
  // The capacity the next run starts with; 0 means twice the input count. Lets tests make
  // the output pass meet its capacity.
  std::size_t firstOutputCapacity = 0;
};

}  // namespace trevalon
