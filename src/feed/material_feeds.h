#pragma once
// Feeds from the material: an optimiser mode beside the slope and corner rules (which stay as
// they are) that sets each cutting move's feed from the material the move really takes, as
// the cutting simulation (sim/simulation.h) finds it.
//
// The rule, per cutting move (lines and arcs) in program order:
//  - A move that takes material runs at the feed that keeps its removal rate within the
//    conditions' MaxRemovalRate: Q = V / (L / F) <= Qmax gives F = Qmax L / V, V the volume
//    the move takes and L its length. Then the optimiser's limits and rounding: at most
//    MaxFeed, at least the optimiser's lowest feed (MaxFeed x the smaller of the two
//    reductions), rounded down to a multiple of the feed change unit (FeedChgAng). A plunge
//    (a cut straight down) takes at most PlungeFeed.
//  - An air cut (a cutting move that takes no material) runs at the conditions' AirCutFeed
//    when it is set (our own key; it may lie above MaxFeed: there is nothing to cut), else at
//    MaxFeed.
//  - Rapids, arc centre records and moves without length keep what they hold.
// Our rule: only feeds change, in place; no move is split or added, so the program written
// afterwards has the same blocks with other F words.

#include <cstdint>

#include "edit/command_frame.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_run.h"
#include "platform/outcome.h"
#include "sim/simulation.h"

namespace trevalon {

struct MaterialFeedCounts {
  std::uint32_t cuts = 0;     // cutting moves given a feed from their material
  std::uint32_t airCuts = 0;  // cutting moves that took nothing
  std::uint32_t limited = 0;  // moves whose feed the removal rate held below MaxFeed
  double peakRate = 0;        // mm^3/min, the highest removal rate after the run
};

// The feed a move of length `length` taking `volume` gets under the conditions (the rule
// above); `plunge` for a cut straight down.
std::int32_t MaterialFeed(const CuttingConditions& c, double volume, double length, bool plunge);

// The mode on the context's store, with one undo snapshot (named after the feed optimiser)
// when a feed changes. Refused, the toolpath unchanged, for conditions without a usable feed,
// without MaxRemovalRate, or a simulation that cannot run. The summary says the points, the
// slowed moves and the cutting time before and after, as the optimiser's does.
Outcome MaterialFeeds(EditContext& ctx, const CuttingConditions& c,
                      const SimulationOptions& simulation, FeedRunSummary* summary = nullptr,
                      MaterialFeedCounts* counts = nullptr);

}  // namespace trevalon
