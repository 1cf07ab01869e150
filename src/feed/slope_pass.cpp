// The optimiser engine's slope pass: the slope rule (a move's own rise or fall) and, under
// master control, the master-model rule (the steepness of the material a move meets).
#include <algorithm>
#include <cmath>

#include "feed/feed_engine.h"
#include "model/point_record.h"

namespace trevalon {

// ---- Slope rule ------------------------------------------------------------------------------

void CFeedEngine::SlopeRule(std::uint32_t i) {
  std::uint32_t p = Prev(i);
  if (p == kNone) return;
  double d[4], u[3];
  Vector(p, i, d, u);
  double a = SlopeAngle(d);
  const CuttingConditions& c = ch_.conditions;
  if (a < 0 || !(a > c.SlopeMinAngle)) return;
  FeedPoint& r = w_[i];
  long feed;
  if (r.MotionType == MOVE_LINE && a > 89.0) {
    // A plunge takes the approach feed as the user set it: the Z up / Z down rule below
    // would raise it to the slope floor, which can lie far above a careful approach feed.
    r.Feed = RoundFeed(std::min<long>(c.PlungeFeed, rules_.MaxFeed()));
    return;
  }
  feed = SlopeFeed(a);
  long floor = rules_.ReferenceFloor(r.ProgFeed);
  if (feed < floor) feed = floor;
  if (c.UpDownChk == 1) {
    if (d[2] < 0) feed = TruncFeed(static_cast<double>(feed) * c.ZupZdown);
    if (feed > rules_.MaxFeed()) feed = rules_.MaxFeed();
    if (feed < rules_.SlopeFloor()) feed = rules_.SlopeFloor();
  }
  r.Feed = RoundFeed(feed);
}

// ---- Master-model rule ---------------------------------------------------------------------

void CFeedEngine::MasterRule(std::uint32_t i) {
  std::uint32_t p = Prev(i);
  if (p == kNone) return;
  const double S = search_;
  MasterQuery& query = masterQuery_;
  FeedPoint& r = w_[i];
  const FeedPoint& pp = w_[p];
  double len = Distance(pp, r);
  int ps = len > 1.2 * S ? static_cast<int>(TruncFeed(S * 100.0 / len)) : 0;

  // Without a zone (every short move) the slopes met count only through the largest of
  // them, and only when it exceeds SlopeMinAngle: the query need not look at the cells that
  // are not steeper than that, and reports 0 for whatever lies at or below it.
  const bool steepOnly = ps == 0;
  auto ask = [&](double x, double y, double z) {
    return steepOnly ? query.SteepSlopeAbove(x, y, z) : query.MaxSlopeAbove(x, y, z);
  };
  int m0 = ask(r.X, r.Y, r.Z);
  int ms = 0;
  if (len > 1.2 * S) {
    auto at = [&](double f) {
      return ask(r.X + (pp.X - r.X) * f, r.Y + (pp.Y - r.Y) * f, r.Z + (pp.Z - r.Z) * f);
    };
    if (len > 6.0 * S) {
      long N = TruncFeed(len / S);
      for (long k = 3; k <= N - 3; ++k) ms = std::max(ms, at(static_cast<double>(k) / N));
    } else {
      ms = at(0.5);
    }
  }
  const CuttingConditions& c = ch_.conditions;
  int top = std::max(m0, ms);
  if (!(top > c.SlopeMinAngle)) return;

  auto floored = [&](int feed, std::int32_t progFeed) {
    long floor = rules_.ReferenceFloor(progFeed);
    return RoundFeed(feed < floor ? floor : feed);
  };
  int own = ps == 0 ? top : std::min(ms, 90);
  int feed = floored(SlopeFeed(own), r.ProgFeed);
  if (feed < r.Feed) r.Feed = feed;

  if (!(ps > 0 && ps < 100)) return;
  int fz = floored(SlopeFeed(m0), r.ProgFeed);
  SetEndZone(r, ps, fz);

  // The move after point i only matters from here on: most records never look for it.
  std::uint32_t n = Next(i);
  if (n == kNone) return;
  double nlen = Distance(r, w_[n]);
  int pe = nlen > 1.2 * S ? static_cast<int>(TruncFeed(S * 100.0 / nlen)) : 0;
  FeedPoint& nr = w_[n];
  if (pe > 0 && pe < 100) {
    if (nr.Feed > fz) SetStartZone(nr, pe, fz);
  } else if (IsLinearCode(nr.MotionType) && n != lastShortNext_) {
    // The next move is too short for a zone of its own: it is slowed as a whole, by the
    // steepness met at this point, unless the move before already did so. Only a cutting
    // move: a rapid's feed means nothing and an arc has its own rule.
    long f = TruncFeed(nr.ProgFeed *
                       (1.0 - (1.0 - static_cast<double>(rules_.SlopeReduction())) * m0 / 90.0));
    int lowered = floored(static_cast<int>(f), nr.ProgFeed);
    if (lowered < nr.Feed) nr.Feed = lowered;
    lastShortNext_ = n;
  }
}

}  // namespace trevalon
