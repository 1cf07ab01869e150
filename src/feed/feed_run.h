#pragma once
// The "Feed Optimizer" command: the toolpath of a document goes through the optimiser engine
// on the current channel and comes back with new feeds, moves split where a feed changes part
// of the way along them, feed rises smoothed, and the store tidied.

#include <cstdint>

namespace trevalon {

class CApplication;
class CDocument;
class CPointStore;

struct FeedRunSummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  std::uint32_t slowedMoves = 0;  // cutting moves that came out below the maximum feed
  double cuttingTimeBefore = 0, cuttingTimeAfter = 0;  // minutes
  bool aborted = false;  // Escape ended the analysis early; the output was written all the same
};

// The run after the transfer dialog: nothing happens (and the dialog result becomes 0)
// unless the channel's dialog result is 1 and the channel is enabled. Takes an undo snapshot
// before the store changes and reports the summary in the help pane. 1 when the store was
// rewritten; 0 when nothing happened or the memory for the run could not be had (message
// shown, store unchanged).
int RunFeedOptimizer(CApplication& app, CDocument& doc, FeedRunSummary* summary = nullptr);

// The command as a whole, for callers without a dialog: channel 1 becomes current, the
// transfer dialog opens (its first-opening relation applies) and is confirmed with OK, then
// the run follows.
int FeedOptimizerCommand(CApplication& app, CDocument& doc, FeedRunSummary* summary = nullptr);

// Feed-rise smoothing: a cutting point whose feed rises sharply from the point before it,
// while a slower feed follows within the tool radius, is brought down to the mean of the
// feed before and that slower feed, rounded down to a multiple of `unit`. Returns the number
// of points changed.
std::uint32_t SmoothFeedRises(CPointStore& store, double toolRadius, int unit);

}  // namespace trevalon
