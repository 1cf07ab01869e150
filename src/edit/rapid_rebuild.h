#pragma once
// The two clean-ups that end the editing commands which cut pieces out of the toolpath or move
// them: the rapid rebuild, which makes every run of rapids a retract, a traverse at the retract
// height and a plunge, and the plunge clean-up, which only makes sure that every cutting run
// is entered straight down from the retract height.

#include <cstdint>
#include <vector>

namespace trevalon {

class CPointStore;

// The rapid rebuild. Walks the motion points and appends behind them:
//  - a point that is not a rapid, unchanged (an arc with its centre record);
//  - for a run of rapids: the retract (the run's first rapid at the retract height when the
//    move into it goes straight up, else the motion point before the run at the retract
//    height as a run start), then the run's last rapid at the retract height and the run's
//    last rapid itself (both continuations), then the point after the run unchanged. Rapids
//    after the last cut are dropped (the retract stays).
// Then the old points go, the store is compacted and the run types are regenerated.
// The very first rapid has no motion point before it: the move into it counts as the point
// itself (no length, so not straight up), which gives its position at the retract height.
// Our rule: a rapid that would land exactly where the rapid appended just before it stands
// is not appended again, so the rebuild never makes moves of no length (the first rapid's
// retract and the plunge above the same point, a straight-up retract and the traverse
// above it, a run that already ends at the retract height).
// False when the store cannot hold the rebuilt toolpath; the store is then as it was.
// `from`, when given, says for each record of the result which record of the store before it
// was copied (moved up to the retract height, perhaps), as CompactStore says it.
bool RapidRebuild(CPointStore& store, double retractHeight,
                  std::vector<std::uint32_t>* from = nullptr);

// The plunge clean-up, our rule for the approach into a cutting run. For every motion point
// that is not a rapid but follows one (the start of a cutting run, an arc included), let r be
// that rapid (where the cut starts) and q the motion point before r:
//  - r at or above the retract height: nothing to do;
//  - q a rapid straight above r (same x and y): q is raised to the retract height when it
//    lies below it;
//  - otherwise a rapid at the retract height straight above r is put between q and r.
// So every cutting run is entered by a vertical rapid descent that starts at the retract
// height or higher; then the run types are regenerated, so every cutting run starts with a
// linear-cut start. Traverses are left where the command put them: the rapid rebuild is the
// command that levels them.
// False when the store cannot hold the result; the store is then as it was. `from` as for
// RapidRebuild.
bool PlungeCleanup(CPointStore& store, double retractHeight,
                   std::vector<std::uint32_t>* from = nullptr);

}  // namespace trevalon
