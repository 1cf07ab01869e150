#pragma once
// CFeedEngine: gives every cutting move of a channel's work array a feed from its geometry
// and, under master control, from the material the move meets, and writes the result, with
// moves split where a feed changes part of the way along them, into the output array of the
// optimiser. The engine only lowers feeds: every move starts at the maximum feed and each
// rule can bring it down to the floor of that rule, never lower, and never raise it. The feed
// arithmetic of the rules is FeedRules (feed_rules.h); the passes are in slope_pass.cpp,
// corner_pass.cpp and output_pass.cpp.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "feed/feed_control.h"
#include "feed/feed_point.h"
#include "feed/feed_rules.h"
#include "feed/master_query.h"

namespace trevalon {

class CFeedEngine {
 public:
  static constexpr std::uint32_t kWindow = 200;        // records treated together
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;  // "no such record" inside the engine

  // The engine of one run on one channel of the optimiser; the conditions are read now.
  CFeedEngine(CFeedControl& control, int channel);

  // Analyses the channel's work array, then fills the optimiser's output array and sets the
  // channel's point count to the number of output records. Returns 0, with the channel's
  // count unchanged, only when the output array cannot be had.
  int Run();
  // Whether the last Run's analysis was stopped by the abort flag before its end.
  bool Aborted() const { return aborted_; }

  // Called after each window of the analysis with the number of records treated so far; it
  // may raise the channel's abort flag (the Escape key of a long operation).
  std::function<void(std::uint32_t done, std::uint32_t count)> onWindow;
  // The zone walks jump over points by their path length; off, they go point by point (the
  // same result, slower). Lets tests hold the two against each other.
  bool skipByPathLength = true;

  // ---- Feed rules (FeedRules of the run's conditions) -----------------------------------
  // Level of a weight against a reduction ratio: ((1 - Q) x W + Q) x MaxFeed, truncated.
  int Level(float weight, float reduction) const { return rules_.Level(weight, reduction); }
  // Slope feed at an angle in degrees (0 to 90): linear between the anchors at 0, 30, 60 and
  // 90 degrees in whole steps of (second - first) / 30.
  int SlopeFeed(double angle) const { return rules_.SlopeFeed(angle); }
  // Corner feed of the arc rules: real interpolation between the corner anchors, raised to
  // the corner floor and rounded; -1 when the angle does not exceed CornerMinAngle.
  int CornerFeed(double angle) const {
    return rules_.CornerFeed(angle, ch_.conditions.CornerMinAngle);
  }
  // Corner feed of the XY and elevation corners: whole steps like SlopeFeed, with the corner
  // weights, raised to the corner floor and rounded.
  int CornerFeedSteps(double angle) const { return rules_.CornerFeedSteps(angle); }
  // Rounds a computed feed down to a multiple of the feed change unit.
  int RoundFeed(long feed) const { return rules_.RoundFeed(feed); }
  // Slope of a move in degrees, 0 to 90, rising and falling alike; -1 when it has none.
  static double SlopeAngle(const double d[4]) { return FeedRules::SlopeAngle(d); }

  // ---- Work-array access -----------------------------------------------------------------
  // False when i is beyond the count or the record is no motion.
  bool Read(std::uint32_t i, FeedPoint& out) const;
  void Write(std::uint32_t i, const FeedPoint& r) { w_[i] = r; }
  std::uint32_t PrevMotion(std::uint32_t i) const;  // 0 when none
  std::uint32_t NextMotion(std::uint32_t i) const;  // 0 when none
  // d = P(to) - P(from), d[3] its length, u its unit vector; false (zeros) for no length.
  bool Vector(std::uint32_t from, std::uint32_t to, double d[4], double u[3]) const;

  // ---- Derived values of the run ---------------------------------------------------------
  int MaxFeed() const { return rules_.MaxFeed(); }
  int Unit() const { return rules_.Unit(); }
  double SearchDistance() const { return search_; }
  double XyCornerDistance() const { return xyDistance_; }

 private:
  // One side of a corner, found by walking from the corner point along the toolpath.
  struct Leg {
    bool found = false;               // a zone point exists
    double point[3] = {0, 0, 0};      // the zone point
    std::uint32_t neighbour = kNone;  // the move next to the corner on this side (its record)
    double moveLength = 0;            // length of that move
    bool zoneOnMove = false;          // the move is longer than the distance: it gets a zone
    int pct = 0;                      // the zone's percentage of the move
  };

  // ---- Passes ------------------------------------------------------------------------------
  void MeasurePaths();
  bool AnalyseWindow(std::uint32_t lo, std::uint32_t hi);  // false when aborted
  void ShortMovePass();
  // slope_pass.cpp
  void SlopeRule(std::uint32_t i);
  void MasterRule(std::uint32_t i);
  // corner_pass.cpp
  void XyCorner(std::uint32_t i, const Leg& in, const Leg& out);
  void ElevationCorner(std::uint32_t i, const Leg& in, const Leg& out);
  void ArcRule(std::uint32_t i);
  void ArcEndCorner(std::uint32_t arc, bool atEnd, const double centre[3], int plane, int arcFeed);
  // output_pass.cpp
  bool OutputPass();  // false when the output array is full
  bool EmitLinear(std::uint32_t r);

  // ---- Helpers -------------------------------------------------------------------------------
  // The motion point before and after record i; kNone when none. Inline: every pass asks
  // them for every move.
  std::uint32_t Prev(std::uint32_t i) const {
    while (i-- > 0) {
      if (IsMotionCode(w_[i].MotionType)) return i;
    }
    return kNone;
  }
  std::uint32_t Next(std::uint32_t i) const {
    for (std::uint32_t k = i + 1; k < n_; ++k) {
      if (IsMotionCode(w_[k].MotionType)) return k;
    }
    return kNone;
  }
  bool WalkZone(std::uint32_t i, bool forward, double distance, Leg& leg) const;
  void ApplyCorner(std::uint32_t i, const Leg& in, const Leg& out, int cornerFeed);
  double Engagement(double a, double b, double c) const;
  void SetStartZone(FeedPoint& r, int pct, int feed) const;
  void SetEndZone(FeedPoint& r, int pct, int feed) const;
  void MergeZones(FeedPoint& r, int zoneFeed) const;
  void LowerWhole(FeedPoint& r, int feed) const;
  bool Append(const FeedPoint& r);
  bool AppendPoint(const FeedPoint& src, const double p[3], int feed, std::uint32_t type);

  CFeedControl& control_;
  ChannelSettings& ch_;
  FeedPoint* w_ = nullptr;
  std::uint32_t n_ = 0;
  FeedPoint* out_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t fill_ = 0;
  std::uint32_t slowed_ = 0;
  bool aborted_ = false;
  std::uint32_t lastShortNext_ = kNone;  // next move lowered whole by the master rule
  MasterQuery masterQuery_;              // the master rule's query, prepared once per run
  // Path length from the start of each record's run of cuts, and the run's number (it rises
  // at every rapid): lets the zone walks skip the points that cannot be far enough away.
  // Both absent when their memory cannot be had; the walks then go point by point.
  std::unique_ptr<double[]> pathLength_;
  std::unique_ptr<std::uint32_t[]> runOf_;

  // Conditions as the run uses them.
  FeedRules rules_;
  double rt_ = 0, search_ = 1, xyDistance_ = 1, elevationDistance_ = 0;
  double xyMinAngle_ = 0, elevationMinAngle_ = 0, elevationDeviation_ = 0.2;
};

}  // namespace trevalon
