#pragma once
// The feed profile of a toolpath: its cutting moves one after the other along the cutting
// distance, each with its feed and, when the document has a master model, the slope of the
// material it meets; the data of the feed chart (feed_chart.h).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace trevalon {

class CPointStore;
struct MasterGrid;

struct ProfileMove {
  // The cutting distance where the move ends; it starts where the move before it ended (the
  // first one at 0).
  double end = 0;
  std::uint32_t record = 0;  // the move's end point in the store
  std::int16_t feed = 0;
  // Whole degrees 0 to 90: the master rule's answer at the move's end point (see
  // BuildFeedProfile); 0 without a master model.
  std::int16_t slope = 0;
};

struct FeedProfile {
  std::vector<ProfileMove> moves;
  bool hasSlopes = false;  // built with a master model
  // The material removal rate of each move (mm^3/min at its feed), one per move, when the
  // cutting simulation has been asked for it (AddRemovalRates); empty otherwise.
  std::vector<float> rates;
  bool HasRates() const { return !moves.empty() && rates.size() == moves.size(); }

  double Length() const { return moves.empty() ? 0.0 : moves.back().end; }
  double Start(std::size_t i) const { return i == 0 ? 0.0 : moves[i - 1].end; }
  // The move under the cutting distance d: the first whose span [start, end] holds it (a
  // distance where two moves meet belongs to the earlier one). A distance before 0 gives the
  // first move, one beyond the end the last; none for an empty profile.
  std::optional<std::size_t> MoveAt(double d) const;
};

// Walks the store once. Every cutting move counts: lines (types 3 and 4) by their straight
// length from the motion point before them, arcs (6 and 8) by the length of the arc as the
// statistics measure it (helices along their screw line; an arc end without its centre record
// adds no length). Rapids add no distance and are no moves of the profile; a move whose length
// is not a finite number (an unsound Y) adds none either. Arc centre records and unsound
// records are passed over.
//
// With a grid (a master model), each move carries the slope that the optimiser's master rule
// meets at the move's end point: the largest slope angle of the cells within `radius` whose
// material lies above the point (MasterGrid::MaxSlopeAbove). Our rule: the end point, not
// the greatest along the move. Why: docs/design-rules.md, "Feed profile: the slope of a move".
//
// False (and `out` empty) when the memory for the profile cannot be had.
bool BuildFeedProfile(CPointStore& store, FeedProfile& out, const MasterGrid* grid = nullptr,
                      double radius = 0.0);

// ---- Decimation for drawing ------------------------------------------------------------------
// One column of a profile drawn `columns` pixels wide: a chart needs no more than the lowest
// and the highest value of the moves that pass through each pixel column.
struct ColumnValues {
  int column = 0;
  double first = 0, second = 0;  // the column's extremes, the one reached last second
  bool single = false;           // one value only: `first`
};

// The feed (slopes false) or the slope series of a profile in pixel columns: column c holds
// cutting distances [c, c + 1) x perColumn, the last one everything beyond. Every move counts
// in each column its span touches (a zero-length move in the column of its distance), so
// that no spike of a single short move is lost. One pass over the moves: O(moves + columns).
// Columns that no move reaches are left out.
std::vector<ColumnValues> DecimateProfile(const FeedProfile& profile, bool slopes, double perColumn,
                                          int columns);
// The same for the removal rates (none without HasRates).
std::vector<ColumnValues> DecimateRates(const FeedProfile& profile, double perColumn, int columns);

// Gives every move of the profile its removal rate: the volume the simulated move of the same
// record took, times the move's feed, over its length (0 for a move the simulation does not
// hold or that has no length). The simulation must be of the toolpath the profile was built
// from. False (rates empty) when the memory cannot be had.
bool AddRemovalRates(FeedProfile& profile, const std::vector<std::uint32_t>& records,
                     const std::vector<float>& volumes, const std::vector<float>& lengths);

}  // namespace trevalon
