#pragma once
// The "Feed Optimizer" command: the toolpath of a document goes through the optimiser engine
// on the current channel and comes back with new feeds, moves split where a feed changes part
// of the way along them, feed rises smoothed, and the store tidied.

#include <cstdint>

#include "platform/outcome.h"
#include "texts/messages.h"

namespace trevalon {

class CFeedControl;
class CPointStore;
class MasterModel;
struct EditContext;

struct FeedRunSummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  std::uint32_t slowedMoves = 0;  // cutting moves that came out below the maximum feed
  double cuttingTimeBefore = 0, cuttingTimeAfter = 0;  // minutes
  bool aborted = false;  // Escape ended the analysis early; the output was written all the same
  // The machine time (model/machine_time.h) before and after, in minutes. The machine's limits
  // belong to the application, so its command fills these in (RunFeedOptimizer); the run on
  // the frame leaves them 0.
  double machineTimeBefore = 0, machineTimeAfter = 0;
};

// The optimiser run on the command frame, for the current channel of `fc` whose master
// control rule has been settled (the model's grid is consulted when LmxByMaster is 1). The
// toolpath is copied into the work array, the engine assigns and splits feeds, and the
// output replaces the toolpath after one undo snapshot; the summary goes to the help pane.
// NoMemory (message shown, store unchanged) when the memory for the run cannot be had.
Outcome OptimizeFeeds(EditContext& ctx, CFeedControl& fc, const MasterModel& master,
                      FeedRunSummary* summary = nullptr);

// The optimiser's one-line summary (moves slowed, cutting time before and after) on the help
// pane; every mode of the optimiser ends with it.
void ShowOptimizerSummary(const Messages& msg, const FeedRunSummary& result);

// Feed-rise smoothing: a cutting point whose feed rises sharply from the point before it,
// while a slower feed follows within the tool radius, is brought down to the mean of the
// feed before and that slower feed, rounded down to a multiple of `unit`. Returns the number
// of points changed.
std::uint32_t SmoothFeedRises(CPointStore& store, double toolRadius, int unit);

}  // namespace trevalon
