#pragma once
// "Feed Optimizer" on a document: the transfer dialog's result, the master control rule,
// then the optimiser run on the command frame.

#include "app/application.h"
#include "feed/feed_run.h"
#include "platform/outcome.h"

namespace trevalon {

// The run after the transfer dialog: nothing happens (Unchanged, and the dialog result
// becomes 0) unless the channel's dialog result is 1 and the channel is enabled. Master
// control: a model already in the document switches it on; otherwise, when it is on, the
// channel's model file is loaded, and a file that cannot be loaded switches it off. Then
// OptimizeFeeds. With a summary, the machine time before and after a run that was done is
// estimated with the limits of machine.par.
Outcome RunFeedOptimizer(CApplication& app, CDocument& doc, FeedRunSummary* summary = nullptr);

// The command as a whole, for callers without a dialog: channel 1 becomes current, the
// transfer dialog opens (its first-opening relation applies) and is confirmed with OK, then
// the run follows.
Outcome FeedOptimizerCommand(CApplication& app, CDocument& doc, FeedRunSummary* summary = nullptr);

}  // namespace trevalon
