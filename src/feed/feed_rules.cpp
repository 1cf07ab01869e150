// The feed rules' levels and anchors from the cutting conditions, and the corner feed of the
// arc rules.
#include "feed/feed_rules.h"

#include <algorithm>
#include <cmath>

namespace trevalon {

FeedRules::FeedRules(const CuttingConditions& c) {
  // The store keeps 16-bit feeds, and a negative maximum means no feed at all.
  maxFeed_ = std::clamp<int>(c.MaxFeed, 0, kHighestStoredFeed);
  // A feed change unit of 0 (or less) would divide every rounding by zero: it counts as 1,
  // which leaves the feeds unrounded.
  unit_ = c.FeedChgAng > 0 ? c.FeedChgAng : 1;
  cornerReduction_ = c.CornerMaxReduction;
  slopeReduction_ = c.SlopeMaxReduction;
  cornerFloor_ = static_cast<int>(TruncFeed(static_cast<double>(maxFeed_) * cornerReduction_));
  slopeFloor_ = static_cast<int>(TruncFeed(static_cast<double>(maxFeed_) * slopeReduction_));
  slopeAnchors_[0] = Level(c.SideWeight0, slopeReduction_);
  slopeAnchors_[1] = Level(c.SideWeight30, slopeReduction_);
  slopeAnchors_[2] = Level(c.SideWeight60, slopeReduction_);
  slopeAnchors_[3] = slopeFloor_;
  cornerAnchors_[0] = Level(c.CorWeight0, cornerReduction_);
  cornerAnchors_[1] = Level(c.CorWeight30, cornerReduction_);
  cornerAnchors_[2] = Level(c.CorWeight60, cornerReduction_);
  cornerAnchors_[3] = cornerFloor_;
}

int FeedRules::Level(float weight, float reduction) const {
  // Double arithmetic on the single-precision values: 0.7f and 0.1f give 729, not 730.
  double q = reduction, w = weight;
  return static_cast<int>(TruncFeed(((1.0 - q) * w + q) * maxFeed_));
}

int FeedRules::CornerFeed(double angle, double minAngle) const {
  double c = std::fmod(angle, 360.0);
  if (c < 0) c += 360.0;
  if (c > 90.0) c = 90.0;
  if (minAngle >= c) return -1;
  int band = c < 30 ? 0 : (c < 60 ? 1 : 2);
  double offset = c - 30.0 * band;
  int first = cornerAnchors_[band], second = cornerAnchors_[band + 1];
  long feed = TruncFeed(first + (second - first) * offset / 30.0);
  if (feed < cornerFloor_) feed = cornerFloor_;
  return RoundFeed(feed);
}

}  // namespace trevalon
