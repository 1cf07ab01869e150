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
//  - A move whose engagement (sim/height_field.h SweepEngagement: the axial depth of cut and
//    the radial engagement the simulation measures) lies beyond the conditions' MaxAxialDepth
//    or MaxRadialEngagement (our own keys, each used when set) runs at most at MaxFeed x
//    limit / actual, the smaller of the two when both are exceeded (our rule: the two are not
//    multiplied). With the removal rate the lower feed wins; then the same floor (which wins
//    over the engagement), rounding and plunge limit as above.
//    Why: docs/design-rules.md, "Material feeds: the engagement limits".
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
  std::uint32_t limited = 0;  // moves whose feed the material held below MaxFeed
  // Moves whose engagement held their feed lower than the removal rate alone would have.
  std::uint32_t engagementHeld = 0;
  double peakRate = 0;    // mm^3/min, the highest removal rate after the run
  double peakDepth = 0;   // mm, the deepest axial depth of cut a move took
  double peakRadial = 0;  // mm, the widest radial engagement
};

// The feed a move of length `length` taking `volume` gets under the conditions (the rule
// above); `plunge` for a cut straight down; `depth` and `radial` its engagement (mm).
std::int32_t MaterialFeed(const CuttingConditions& c, double volume, double length, bool plunge,
                          double depth = 0.0, double radial = 0.0);

// The feed the engagement alone allows (MaxFeed when within both limits or none is set),
// before the floor and rounding.
double EngagementFeed(const CuttingConditions& c, double depth, double radial);

// The mode on the context's store, with one undo snapshot (named after the feed optimiser)
// when a feed changes. Refused, the toolpath unchanged, for conditions without a usable feed,
// without any of MaxRemovalRate, MaxAxialDepth and MaxRadialEngagement, or a simulation that
// cannot run. The engagement is measured only when one of its limits is set. The summary says the
// points, the slowed moves and the cutting time before and after, as the optimiser's does.
Outcome MaterialFeeds(EditContext& ctx, const CuttingConditions& c,
                      const SimulationOptions& simulation, FeedRunSummary* summary = nullptr,
                      MaterialFeedCounts* counts = nullptr);

}  // namespace trevalon
