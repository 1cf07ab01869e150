#pragma once
// "Feed Optimizer" on a document: the transfer dialog's result, the master control rule,
// then the optimiser run on the command frame.

#include "app/application.h"
#include "feed/feed_run.h"
#include "feed/material_feeds.h"
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

// Feeds from the material (feed/material_feeds.h) on the work layer, with channel 1's cutting
// conditions and the document's simulation stock and tool; one undo step. With a summary, the
// machine time before and after as the optimiser's command gives it. The toolpath as the run
// found it becomes the feed chart's "before" series, as after the optimiser.
Outcome MaterialFeedCommand(CApplication& app, CDocument& doc, FeedRunSummary* summary = nullptr,
                            MaterialFeedCounts* counts = nullptr);

}  // namespace trevalon
