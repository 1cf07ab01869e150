#pragma once
// FeedRules: the arithmetic that turns an angle (the slope of a move, the turn of a corner,
// the engagement of an arc) and the cutting conditions into a feed, for the optimiser engine
// and the rule-based feed changes. Every feed comes from double arithmetic on the
// single-precision conditions, truncated toward zero, and is rounded down to a multiple of
// the feed change unit (FeedChgAng). The small rules are inline: the engine asks them for
// every move of programs of millions.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "feed/cutting_conditions.h"
#include "model/geometry.h"

namespace trevalon {

// Truncation toward zero, as every feed the optimiser computes. Values from absurd
// conditions (a weight of 1e30 in a hand-edited file) are held to +-1e9 and NaN gives 0, so
// that the conversion is always defined.
inline long TruncFeed(double v) {
  if (!(v == v)) return 0;
  if (v > 1e9) return 1000000000L;
  if (v < -1e9) return -1000000000L;
  return static_cast<long>(v);
}

class FeedRules {
 public:
  // The store keeps feeds in 16 bits: a maximum feed above this could not be written back.
  static constexpr int kHighestStoredFeed = 32767;

  FeedRules() = default;
  // The levels of one set of conditions: the maximum feed held to 0..kHighestStoredFeed (a
  // negative maximum means no feed at all), a feed change unit of at least 1 (0 or less would
  // divide every rounding by zero: it counts as 1, which leaves the feeds unrounded), the
  // floors MaxFeed x CornerMaxReduction and MaxFeed x SlopeMaxReduction, and the anchors of
  // the slope and corner weights at 0, 30, 60 and 90 degrees (the floor at 90).
  explicit FeedRules(const CuttingConditions& c);

  // Level of a weight against a reduction ratio: ((1 - Q) x W + Q) x MaxFeed, truncated.
  int Level(float weight, float reduction) const;

  // Linear between the anchors at 0, 30, 60 and 90 degrees (angle 0 to 90), in whole steps of
  // (second - first) / 30, truncated toward zero.
  static int StepInterpolation(const int anchors[4], double angle) {
    int band = angle < 30 ? 0 : (angle < 60 ? 1 : 2);
    double offset = angle - 30.0 * band;
    int first = anchors[band], second = anchors[band + 1];
    int step = (second - first) / 30;  // whole steps, truncated toward zero
    return static_cast<int>(TruncFeed(first + step * offset));
  }
  // Slope feed at an angle in degrees (0 to 90), with the slope weights.
  int SlopeFeed(double angle) const { return StepInterpolation(slopeAnchors_, angle); }
  // Corner feed of the arc rules: the angle brought into 0..360 and capped at 90, real
  // interpolation between the corner anchors, raised to the corner floor and rounded; -1 when
  // the angle does not exceed `minAngle` (CornerMinAngle).
  int CornerFeed(double angle, double minAngle) const;
  // Corner feed of the XY and elevation corners: whole steps like SlopeFeed, with the corner
  // weights and the angle capped at 90, raised to the corner floor and rounded.
  int CornerFeedSteps(double angle) const {
    long feed = StepInterpolation(cornerAnchors_, std::min(angle, 90.0));
    if (feed < cornerFloor_) feed = cornerFloor_;
    return RoundFeed(feed);
  }
  // The lowest feed the slope rules give a move of this reference feed: the reference feed
  // x SlopeMaxReduction, truncated (not rounded).
  long ReferenceFloor(std::int32_t progFeed) const {
    return TruncFeed(static_cast<double>(progFeed) * slopeReduction_);
  }

  // Rounds a computed feed down to a multiple of the feed change unit.
  int RoundFeed(long feed) const { return static_cast<int>(feed / unit_ * unit_); }
  // A feed as it is written out: capped at the maximum feed, a feed of 0 or less taken as the
  // corner floor, rounded.
  int Finish(int feed) const {
    if (feed > maxFeed_) feed = maxFeed_;
    if (feed <= 0) feed = cornerFloor_;
    return RoundFeed(feed);
  }

  // Slope of a move d (d[3] its length) in degrees, 0 to 90, rising and falling alike; -1
  // when it has none.
  static double SlopeAngle(const double d[4]) {
    if (d[3] < 0.0001) return -1;
    double uz = d[2] / d[3];
    if (std::fabs(uz) <= 0.0001) return -1;
    double h = std::sqrt(d[0] * d[0] + d[1] * d[1]);
    return std::atan2(std::fabs(d[2]), h) / kDegToRad;
  }

  int MaxFeed() const { return maxFeed_; }
  int Unit() const { return unit_; }
  int CornerFloor() const { return cornerFloor_; }
  int SlopeFloor() const { return slopeFloor_; }
  float CornerReduction() const { return cornerReduction_; }
  float SlopeReduction() const { return slopeReduction_; }

 private:
  int maxFeed_ = 0;
  int unit_ = 1;
  float cornerReduction_ = 0, slopeReduction_ = 0;
  int cornerFloor_ = 0, slopeFloor_ = 0;
  int slopeAnchors_[4] = {}, cornerAnchors_[4] = {};
};

}  // namespace trevalon
