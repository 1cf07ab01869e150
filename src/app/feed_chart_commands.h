#pragma once
// The feed chart of a document: the series of its work layer (with the master model's slopes
// when it has one) and of the toolpath to compare it with, and the chart written as a PNG or
// SVG file. The desktop's chart window and the verb "plot feed" both start here.

#include <string>

#include "app/application.h"
#include "feed/feed_chart.h"
#include "feed/feed_profile.h"
#include "platform/outcome.h"
#include "sim/simulation.h"

namespace trevalon {

struct FeedChartSeries {
  FeedProfile after;   // the work layer as it is now
  FeedProfile before;  // the toolpath to compare with, when hasBefore
  bool hasBefore = false;
};

// The radius of the slope query: the search distance of the optimiser's master rule on the
// current channel (its safety distance, at least 1), so that the chart's slope is the one the
// last run went by.
double FeedChartSlopeRadius(CApplication& app);

// The series of the document's chart. With `beforeFile`, that NC program is read with the
// document's reading switches into a store of its own for the before series (the document,
// its undo ring and the reader's modal state stay as they were; a file that cannot be read
// fails with the reason). Without it, the before series is the work layer as the last feed
// optimiser run on it found it, when there was one since the layer was loaded. NoMemory when
// a profile cannot have its memory.
Outcome CollectFeedChartSeries(CApplication& app, CDocument& doc, const std::string& beforeFile,
                               FeedChartSeries& out);

// The removal rate of every move of `profile` (built from the document's work layer) from the
// document's cutting simulation (its stock and tool): refused as the simulation is (no
// cutting move for an automatic stock, a bad stock or tool), the profile then without rates.
Outcome AddSimulatedRemovalRates(CApplication& app, CDocument& doc, FeedProfile& profile);
// The same from a simulation that has run already (the desktop keeps its last one): NoMemory
// when the rates cannot have their memory.
Outcome AddRemovalRatesOf(const SimulationResult& result, FeedProfile& profile);

// The chart of the document written to `path`, PNG or SVG by its extension (anything else is
// refused before any work), with the removal rates when the options ask for them; the file is
// replaced only once it is complete.
Outcome WriteFeedChartCommand(CApplication& app, CDocument& doc, const std::string& path,
                              const std::string& beforeFile, const FeedChartOptions& options);

}  // namespace trevalon
