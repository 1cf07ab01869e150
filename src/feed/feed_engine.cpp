#include "feed/feed_engine.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/geometry.h"
#include "model/point_record.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

// The store keeps feeds in 16 bits: a maximum feed above this could not be written back.
constexpr int kHighestStoredFeed = 32767;
// Zone walks give up after this many points; the zone point is then the last point walked.
// Keeps an absurd safety distance in a condition file from making a run quadratic.
constexpr int kMaxWalk = 2000;
// Legs shorter than this in XY have no heading worth comparing.
constexpr double kShortestLeg = 0.01;

bool IsMotionCode(std::uint32_t t) {
  return IsMotionType(static_cast<int>(t));
}
bool IsLinearCode(std::uint32_t t) {
  return t == MOVE_LINE || t == MOVE_LINE_CONT;
}
bool IsArcCode(std::uint32_t t) {
  return t == MOVE_ARC_CCW || t == MOVE_ARC_CW;
}
bool IsRapidCode(std::uint32_t t) {
  return t == MOVE_RAPID || t == MOVE_RAPID_CONT;
}

double Distance2(const FeedPoint& a, const FeedPoint& b) {
  double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
  return dx * dx + dy * dy + dz * dz;
}
double Distance(const FeedPoint& a, const FeedPoint& b) {
  return FlooredSqrt(Distance2(a, b));
}

// Truncation toward zero, as every feed the optimiser computes. Values from absurd
// conditions (a weight of 1e30 in a hand-edited file) are held to +-1e9 and NaN gives 0, so
// that the conversion is always defined.
long Trunc(double v) {
  if (!(v == v)) return 0;
  if (v > 1e9) return 1000000000L;
  if (v < -1e9) return -1000000000L;
  return static_cast<long>(v);
}

// Angle of the triangle at its corner, from the two legs a, b and the chord c, in degrees;
// -1 when a leg has no length.
double InteriorAngle(double a, double b, double c) {
  if (a <= 0 || b <= 0) return -1;
  double cs = (a * a + b * b - c * c) / (2.0 * a * b);
  cs = std::clamp(cs, -1.0, 1.0);
  return std::acos(cs) / kDegToRad;
}

}  // namespace

// One side of a corner, found by walking from the corner point along the toolpath.
struct CFeedEngine::Leg {
  bool found = false;               // a zone point exists
  double point[3] = {0, 0, 0};      // the zone point
  std::uint32_t neighbour = kNone;  // the move next to the corner on this side (its record)
  double moveLength = 0;            // length of that move
  bool zoneOnMove = false;          // the move is longer than the distance: it gets a zone
  int pct = 0;                      // the zone's percentage of the move
};

CFeedEngine::CFeedEngine(CFeedControl& control, int channel)
    : control_(control), ch_(control.channels[channel]) {
  const CuttingConditions& c = ch_.conditions;
  // The store keeps 16-bit feeds, and a negative maximum means no feed at all.
  maxFeed_ = std::clamp<int>(c.MaxFeed, 0, kHighestStoredFeed);
  // A feed change unit of 0 (or less) would divide every rounding by zero: it counts as 1,
  // which leaves the feeds unrounded.
  unit_ = c.FeedChgAng > 0 ? c.FeedChgAng : 1;
  cornerReduction_ = c.CornerMaxReduction;
  slopeReduction_ = c.SlopeMaxReduction;
  cornerFloor_ = static_cast<int>(Trunc(static_cast<double>(maxFeed_) * cornerReduction_));
  slopeFloor_ = static_cast<int>(Trunc(static_cast<double>(maxFeed_) * slopeReduction_));
  slopeAnchors_[0] = Level(c.SideWeight0, slopeReduction_);
  slopeAnchors_[1] = Level(c.SideWeight30, slopeReduction_);
  slopeAnchors_[2] = Level(c.SideWeight60, slopeReduction_);
  slopeAnchors_[3] = slopeFloor_;
  cornerAnchors_[0] = Level(c.CorWeight0, cornerReduction_);
  cornerAnchors_[1] = Level(c.CorWeight30, cornerReduction_);
  cornerAnchors_[2] = Level(c.CorWeight60, cornerReduction_);
  cornerAnchors_[3] = cornerFloor_;

  rt_ = static_cast<double>(c.ToolDiameter) * 0.5;
  double safety = c.SafetyDistance;
  if (!(safety == safety)) safety = 0;  // a file's "nan" is no distance
  search_ = safety < 1.0 ? 1.0 : safety;
  // With XyChgReduceCheck the XY corner pass keeps the distance of the channel's previous
  // run (0 before any run) and never goes below 0.3, the "(0.3)" of the check box, so that
  // a first run with the check on still looks at corners over a short distance.
  if (c.XyChgReduceCheck == 1) {
    xyDistance_ = std::max(ch_.xyCornerDistance, 0.3);
  } else {
    xyDistance_ = search_;
    ch_.xyCornerDistance = search_;
  }
  elevationDistance_ = safety;
  // The effective minimum angles: CornerMinAngle x distance / rt, at most CornerMinAngle / 3.
  // Without a tool radius the cap is the value.
  double cap = static_cast<double>(c.CornerMinAngle) / 3.0;
  xyMinAngle_ = rt_ > 0 ? std::min(c.CornerMinAngle * xyDistance_ / rt_, cap) : cap;
  elevationMinAngle_ = rt_ > 0 ? std::min(c.CornerMinAngle * elevationDistance_ / rt_, cap) : cap;
  elevationDeviation_ = std::max(0.05 * rt_, 0.2);
}

// ---- Feed rules ------------------------------------------------------------------------------

int CFeedEngine::Level(float weight, float reduction) const {
  // Double arithmetic on the single-precision values: 0.7f and 0.1f give 729, not 730.
  double q = reduction, w = weight;
  return static_cast<int>(Trunc(((1.0 - q) * w + q) * maxFeed_));
}

int CFeedEngine::StepInterpolation(const int anchors[4], double angle) const {
  int band = angle < 30 ? 0 : (angle < 60 ? 1 : 2);
  double offset = angle - 30.0 * band;
  int first = anchors[band], second = anchors[band + 1];
  int step = (second - first) / 30;  // whole steps, truncated toward zero
  return static_cast<int>(Trunc(first + step * offset));
}

int CFeedEngine::SlopeFeed(double angle) const {
  return StepInterpolation(slopeAnchors_, angle);
}

int CFeedEngine::CornerFeed(double angle) const {
  double c = std::fmod(angle, 360.0);
  if (c < 0) c += 360.0;
  if (c > 90.0) c = 90.0;
  if (ch_.conditions.CornerMinAngle >= c) return -1;
  int band = c < 30 ? 0 : (c < 60 ? 1 : 2);
  double offset = c - 30.0 * band;
  int first = cornerAnchors_[band], second = cornerAnchors_[band + 1];
  long feed = Trunc(first + (second - first) * offset / 30.0);
  if (feed < cornerFloor_) feed = cornerFloor_;
  return RoundFeed(feed);
}

int CFeedEngine::CornerFeedSteps(double angle) const {
  long feed = StepInterpolation(cornerAnchors_, std::min(angle, 90.0));
  if (feed < cornerFloor_) feed = cornerFloor_;
  return RoundFeed(feed);
}

double CFeedEngine::SlopeAngle(const double d[4]) {
  if (d[3] < 0.0001) return -1;
  double uz = d[2] / d[3];
  if (std::fabs(uz) <= 0.0001) return -1;
  double h = std::sqrt(d[0] * d[0] + d[1] * d[1]);
  return std::atan2(std::fabs(d[2]), h) / kDegToRad;
}

// ---- Work-array access -----------------------------------------------------------------------

bool CFeedEngine::Read(std::uint32_t i, FeedPoint& out) const {
  if (i >= n_ || w_[i].MotionType == 0) return false;
  out = w_[i];
  return true;
}

std::uint32_t CFeedEngine::Prev(std::uint32_t i) const {
  while (i-- > 0) {
    if (IsMotionCode(w_[i].MotionType)) return i;
  }
  return kNone;
}

std::uint32_t CFeedEngine::Next(std::uint32_t i) const {
  for (std::uint32_t k = i + 1; k < n_; ++k) {
    if (IsMotionCode(w_[k].MotionType)) return k;
  }
  return kNone;
}

std::uint32_t CFeedEngine::PrevMotion(std::uint32_t i) const {
  std::uint32_t k = i < n_ ? Prev(i) : kNone;
  return k == kNone ? 0 : k;
}

std::uint32_t CFeedEngine::NextMotion(std::uint32_t i) const {
  std::uint32_t k = Next(i);
  return k == kNone ? 0 : k;
}

bool CFeedEngine::Vector(std::uint32_t from, std::uint32_t to, double d[4], double u[3]) const {
  d[0] = d[1] = d[2] = d[3] = u[0] = u[1] = u[2] = 0;
  if (from >= n_ || to >= n_) return false;
  d[0] = w_[to].X - w_[from].X;
  d[1] = w_[to].Y - w_[from].Y;
  d[2] = w_[to].Z - w_[from].Z;
  d[3] = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (d[3] == 0.0) {
    d[0] = d[1] = d[2] = 0;
    return false;
  }
  for (int a = 0; a < 3; ++a) u[a] = d[a] / d[3];
  return true;
}

// ---- Zones ---------------------------------------------------------------------------------

void CFeedEngine::SetStartZone(FeedPoint& r, int pct, int feed) const {
  pct = std::min(pct, 100);
  feed = std::clamp(feed, 0, maxFeed_);  // zone feeds are 16 bits wide
  if (pct > r.StartZonePct) r.StartZonePct = static_cast<std::int16_t>(pct);
  if (r.StartZoneFeed == 0 || r.StartZoneFeed > feed)
    r.StartZoneFeed = static_cast<std::int16_t>(feed);
  MergeZones(r, feed);
}

void CFeedEngine::SetEndZone(FeedPoint& r, int pct, int feed) const {
  pct = std::min(pct, 100);
  feed = std::clamp(feed, 0, maxFeed_);
  if (pct > r.EndZonePct) r.EndZonePct = static_cast<std::int16_t>(pct);
  if (r.EndZoneFeed == 0 || r.EndZoneFeed > feed) r.EndZoneFeed = static_cast<std::int16_t>(feed);
  MergeZones(r, feed);
}

// Zones that cover more than 80 % of a move leave too short a middle to be worth a change of
// feed: the whole move takes the zone feed (or a lower zone feed it had). The move's own feed
// is never raised by it.
void CFeedEngine::MergeZones(FeedPoint& r, int zoneFeed) const {
  if (r.StartZonePct + r.EndZonePct <= 80) return;
  int f = zoneFeed;
  if (r.StartZoneFeed > 0 && r.StartZoneFeed < f) f = r.StartZoneFeed;
  if (r.EndZoneFeed > 0 && r.EndZoneFeed < f) f = r.EndZoneFeed;
  f = RoundFeed(f);
  if (f < r.Feed) r.Feed = f;
  r.StartZonePct = r.StartZoneFeed = r.EndZonePct = r.EndZoneFeed = 0;
}

void CFeedEngine::LowerWhole(FeedPoint& r, int feed) const {
  if (r.Feed > feed) r.Feed = feed;
  if (r.StartZoneFeed > feed) r.StartZonePct = r.StartZoneFeed = 0;
  if (r.EndZoneFeed > feed) r.EndZonePct = r.EndZoneFeed = 0;
}

// ---- Run ---------------------------------------------------------------------------------

int CFeedEngine::Run() {
  w_ = ch_.work.get();
  n_ = w_ ? ch_.pointCount : 0;
  lastShortNext_ = kNone;

  MeasurePaths();

  // Analysis, window by window, so that each look-back and look-ahead stays among recently
  // treated records.
  bool aborted = false;
  for (std::uint32_t lo = 0; lo < n_ && !aborted;) {
    std::uint32_t hi = n_ - lo > kWindow ? lo + kWindow : n_;
    aborted = !AnalyseWindow(lo, hi);
    if (onWindow) onWindow(hi, n_);
    lo = hi;
  }
  if (!aborted) ShortMovePass();
  aborted_ = aborted;
  pathLength_.reset();
  runOf_.reset();

  // Output, restarted with twice the capacity whenever it meets the end of the array.
  std::size_t cap = control_.firstOutputCapacity ? control_.firstOutputCapacity
                                                 : 2 * static_cast<std::size_t>(n_);
  if (cap == 0) cap = 1;
  for (;;) {
    control_.output.reset();
    control_.outputCapacity = 0;
    control_.outputCount = 0;
    out_ = new (std::nothrow) FeedPoint[cap];
    if (out_ == nullptr) return 0;
    control_.output.reset(out_);
    control_.outputCapacity = capacity_ = cap;
    fill_ = 0;
    if (OutputPass()) break;
    if (cap > 0x7FFFFFFFu) return 0;  // more output records than a run can count
    cap *= 2;
  }
  control_.outputCount = static_cast<std::uint32_t>(fill_);
  ch_.pointCount = control_.outputCount;
  ch_.slowedMoves = slowed_;
  return 1;
}

void CFeedEngine::MeasurePaths() {
  pathLength_.reset();
  runOf_.reset();
  if (!skipByPathLength) return;
  pathLength_.reset(new (std::nothrow) double[n_ > 0 ? n_ : 1]);
  runOf_.reset(new (std::nothrow) std::uint32_t[n_ > 0 ? n_ : 1]);
  if (!pathLength_ || !runOf_) {
    pathLength_.reset();
    runOf_.reset();
    return;
  }
  double length = 0;
  std::uint32_t run = 0;
  const FeedPoint* last = nullptr;
  for (std::uint32_t k = 0; k < n_; ++k) {
    const FeedPoint& r = w_[k];
    if (IsRapidCode(r.MotionType)) {
      ++run;
      length = 0;
      last = &r;
    } else if (IsMotionCode(r.MotionType)) {
      if (last) length += std::sqrt(Distance2(*last, r));
      last = &r;
    }
    pathLength_[k] = length;
    runOf_[k] = run;
  }
}

bool CFeedEngine::AnalyseWindow(std::uint32_t lo, std::uint32_t hi) {
  const CuttingConditions& c = ch_.conditions;
  // Reset: every move of the window starts at the maximum feed. A record that the window
  // before lowered as the neighbour of its last corners starts over here too; its own corner
  // treatment below sees those corners again through its legs.
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    if (IsMotionCode(w_[i].MotionType)) w_[i].ProgFeed = w_[i].Feed = maxFeed_;
  }
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    if (IsLinearCode(w_[i].MotionType)) SlopeRule(i);
  }
  if (c.LmxByMaster == 1 && ch_.master.cells != nullptr) {
    // The grid and the search distance stay the same for the whole run.
    if (!masterQuery_.PreparedFor(ch_.master, search_, c.SlopeMinAngle))
      masterQuery_.Prepare(ch_.master, search_, c.SlopeMinAngle);
    for (std::uint32_t i = lo; i < hi; ++i) {
      if (ch_.abort == 1) return false;
      if (IsLinearCode(w_[i].MotionType)) MasterRule(i);
    }
  }
  const int mode = control_.engineMode;
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    std::uint32_t t = w_[i].MotionType;
    if (!IsMotionCode(t)) continue;
    ch_.progressIndex = i;
    if (IsLinearCode(t)) {
      std::uint32_t nx = Next(i);
      if (nx != kNone && IsArcCode(w_[nx].MotionType)) continue;
      // Both treatments look at the same legs when their distances agree (the usual case).
      Leg in, out;
      bool legs = false;
      if (mode != 2) {
        legs = WalkZone(i, true, xyDistance_, out) && WalkZone(i, false, xyDistance_, in);
        if (legs) XyCorner(i, in, out);
      }
      if (mode != 1 && elevationDistance_ > 0) {
        if (mode == 2 || elevationDistance_ != xyDistance_) {
          in = Leg{}, out = Leg{};
          legs = WalkZone(i, true, elevationDistance_, out) &&
                 WalkZone(i, false, elevationDistance_, in);
        }
        if (legs) ElevationCorner(i, in, out);
      }
    } else if (IsArcCode(t) && mode != 2) {
      ArcRule(i);
    }
  }
  return true;
}

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
    r.Feed = RoundFeed(std::min<long>(c.PlungeFeed, maxFeed_));
    return;
  }
  feed = SlopeFeed(a);
  long floor = Trunc(static_cast<double>(r.ProgFeed) * slopeReduction_);
  if (feed < floor) feed = floor;
  if (c.UpDownChk == 1) {
    if (d[2] < 0) feed = Trunc(static_cast<double>(feed) * c.ZupZdown);
    if (feed > maxFeed_) feed = maxFeed_;
    if (feed < slopeFloor_) feed = slopeFloor_;
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
  int ps = len > 1.2 * S ? static_cast<int>(Trunc(S * 100.0 / len)) : 0;

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
      long N = Trunc(len / S);
      for (long k = 3; k <= N - 3; ++k) ms = std::max(ms, at(static_cast<double>(k) / N));
    } else {
      ms = at(0.5);
    }
  }
  const CuttingConditions& c = ch_.conditions;
  int top = std::max(m0, ms);
  if (!(top > c.SlopeMinAngle)) return;

  auto floored = [&](int feed, std::int32_t progFeed) {
    long floor = Trunc(static_cast<double>(progFeed) * slopeReduction_);
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
  int pe = nlen > 1.2 * S ? static_cast<int>(Trunc(S * 100.0 / nlen)) : 0;
  FeedPoint& nr = w_[n];
  if (pe > 0 && pe < 100) {
    if (nr.Feed > fz) SetStartZone(nr, pe, fz);
  } else if (IsLinearCode(nr.MotionType) && n != lastShortNext_) {
    // The next move is too short for a zone of its own: it is slowed as a whole, by the
    // steepness met at this point, unless the move before already did so. Only a cutting
    // move: a rapid's feed means nothing and an arc has its own rule.
    long f = Trunc(nr.ProgFeed * (1.0 - (1.0 - static_cast<double>(slopeReduction_)) * m0 / 90.0));
    int lowered = floored(static_cast<int>(f), nr.ProgFeed);
    if (lowered < nr.Feed) nr.Feed = lowered;
    lastShortNext_ = n;
  }
}

// ---- Corners ---------------------------------------------------------------------------------

// Walks from the corner point i along the cutting moves (forward or back) to the first point
// whose straight distance from i is at least `distance`. The zone point lies on the last
// segment walked, at exactly that distance from i (the sphere around i meets the segment
// there); when the path ends or turns into a rapid first, it is the last point walked. Arcs
// on the way count as their chords. A first move longer than the distance gets a zone of
// distance x 100 / its length percent (at least 1).
bool CFeedEngine::WalkZone(std::uint32_t i, bool forward, double distance, Leg& leg) const {
  // Bit masks of the motion codes: the walk runs over millions of records.
  constexpr std::uint32_t kMotionBits = 1u << 1 | 1u << 2 | 1u << 3 | 1u << 4 | 1u << 6 | 1u << 8;
  constexpr std::uint32_t kCutBits = 1u << 3 | 1u << 4 | 1u << 6 | 1u << 8;
  auto bit = [](std::uint32_t t) { return t < 32 ? 1u << t : 0u; };
  const FeedPoint& c = w_[i];
  const double D2 = distance * distance;
  std::uint32_t cur = i;
  std::uint32_t k = i;
  bool found = false;
  double d2 = 0;
  for (int steps = 0; steps < kMaxWalk; ++steps) {
    // The next motion point in the walk's direction; forward it must end a cut, backward
    // the move ending at the current point must be a cut.
    if (forward) {
      do {
        ++k;
      } while (k < n_ && !(bit(w_[k].MotionType) & kMotionBits));
      if (k >= n_ || !(bit(w_[k].MotionType) & kCutBits)) break;
    } else {
      if (!(bit(w_[cur].MotionType) & kCutBits)) break;
      do {
        if (k == 0) break;
        --k;
      } while (!(bit(w_[k].MotionType) & kMotionBits));
      if (k == cur || !(bit(w_[k].MotionType) & kMotionBits)) break;
    }
    const FeedPoint& q = w_[k];
    double dx = q.X - c.X, dy = q.Y - c.Y, dz = q.Z - c.Z;
    d2 = dx * dx + dy * dy + dz * dz;
    if (steps == 0) {
      leg.neighbour = forward ? k : i;
      leg.moveLength = FlooredSqrt(d2);
    }
    if (d2 >= D2) {
      found = true;
      if (steps == 0 && leg.moveLength > distance) {
        double f = distance / leg.moveLength;
        leg.point[0] = c.X + dx * f;
        leg.point[1] = c.Y + dy * f;
        leg.point[2] = c.Z + dz * f;
        leg.zoneOnMove = true;
        leg.pct = std::max(1, static_cast<int>(Trunc(distance * 100.0 / leg.moveLength)));
        leg.found = true;
        return true;
      }
      break;
    }
    cur = k;
    if (steps == 0 && pathLength_) {
      // Every point whose path length from i is below the distance lies nearer than it in a
      // straight line too: jump over them (by doubling steps, then halving) to the last one.
      const double reach = distance - 1e-6 - 1e-12 * std::fabs(pathLength_[i]);
      const std::uint32_t run = runOf_[i];
      const double base = pathLength_[i];
      auto near = [&](std::uint32_t idx) {
        return runOf_[idx] == run && std::fabs(pathLength_[idx] - base) < reach;
      };
      std::uint32_t last = cur;  // known near
      if (forward) {
        std::uint32_t step = 1, far = cur;
        while (true) {
          std::uint64_t probe = static_cast<std::uint64_t>(last) + step;
          if (probe >= n_ || !near(static_cast<std::uint32_t>(probe))) {
            far = probe >= n_ ? n_ : static_cast<std::uint32_t>(probe);
            break;
          }
          last = static_cast<std::uint32_t>(probe);
          step *= 2;
        }
        while (far - last > 1) {
          std::uint32_t mid = last + (far - last) / 2;
          if (near(mid))
            last = mid;
          else
            far = mid;
        }
        // The walk resumes from the last motion point at or before `last`.
        while (last > cur && !(bit(w_[last].MotionType) & kMotionBits)) --last;
      } else {
        std::uint32_t step = 1;
        std::int64_t far;
        while (true) {
          std::int64_t probe = static_cast<std::int64_t>(last) - step;
          if (probe < 0 || !near(static_cast<std::uint32_t>(probe))) {
            far = probe < 0 ? -1 : probe;  // -1: before the first record
            break;
          }
          last = static_cast<std::uint32_t>(probe);
          step *= 2;
        }
        while (last - far > 1) {
          std::int64_t mid = far + (last - far) / 2;
          if (near(static_cast<std::uint32_t>(mid)))
            last = static_cast<std::uint32_t>(mid);
          else
            far = mid;
        }
        while (last < cur && !(bit(w_[last].MotionType) & kMotionBits)) ++last;
      }
      cur = k = last;
    }
  }
  leg.found = true;
  if (found) {
    // On the segment from cur to k, the point at exactly `distance` from i.
    const FeedPoint& s = w_[cur];
    const FeedPoint& q = w_[k];
    double a[3] = {s.X - c.X, s.Y - c.Y, s.Z - c.Z};
    double d[3] = {q.X - s.X, q.Y - s.Y, q.Z - s.Z};
    double A = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double B = 2.0 * (a[0] * d[0] + a[1] * d[1] + a[2] * d[2]);
    double C = a[0] * a[0] + a[1] * a[1] + a[2] * a[2] - D2;
    double t = 1.0;
    if (A > 0) {
      double disc = std::max(B * B - 4.0 * A * C, 0.0);
      t = std::clamp((-B + std::sqrt(disc)) / (2.0 * A), 0.0, 1.0);
    }
    leg.point[0] = s.X + d[0] * t;
    leg.point[1] = s.Y + d[1] * t;
    leg.point[2] = s.Z + d[2] * t;
    return true;
  }
  if (cur == i) {
    leg.found = false;
    return false;
  }
  leg.point[0] = w_[cur].X;
  leg.point[1] = w_[cur].Y;
  leg.point[2] = w_[cur].Z;
  return true;
}

// Engagement angle of a corner from its two legs a, b and the chord c between their ends:
// 0 on a straight line (the circle through the three points has a radius of 10000 or more),
// 90 when that circle is no larger than the tool radius + 2, else twice the turn of the
// corner, limited to 90 x sqrt(rt / rc) and to 90.
double CFeedEngine::Engagement(double a, double b, double c) const {
  double inner = InteriorAngle(a, b, c);
  if (inner < 0) return 0;
  double s = std::sin(inner * kDegToRad);
  double rc = s > 1e-9 ? c / (2.0 * s) : 10000.0;
  if (rc >= 10000.0) return 0;
  if (rc <= rt_ + 2.0) return 90;
  double e = 2.0 * (180.0 - inner);
  e = std::min(e, 90.0 * std::sqrt(std::max(rt_, 0.0) / rc));
  return std::min(e, 90.0);
}

// Lowers the two moves at corner point i to the corner feed: a zone where the move is longer
// than the zone distance, else the whole move (on the outgoing side only a code-4 move).
void CFeedEngine::ApplyCorner(std::uint32_t i, const Leg& in, const Leg& out, int cornerFeed) {
  FeedPoint& r = w_[i];
  if (r.Feed > cornerFeed) {
    if (in.zoneOnMove) {
      SetEndZone(r, in.pct, cornerFeed);
    } else {
      LowerWhole(r, cornerFeed);
    }
  }
  if (out.neighbour == kNone) return;
  FeedPoint& nr = w_[out.neighbour];
  if (nr.Feed > cornerFeed) {
    if (out.zoneOnMove) {
      SetStartZone(nr, out.pct, cornerFeed);
    } else if (nr.MotionType == MOVE_LINE_CONT) {
      LowerWhole(nr, cornerFeed);
    }
  }
}

// The XY corner at the end of the move into point i: the change of XY heading between the
// leg from the incoming zone point to i and the leg from i to the outgoing zone point. A
// corner that lies inside the zone of the corner before it is treated on its own; where the
// two overlap the lower feed stays, since zones and feeds are only ever lowered.
void CFeedEngine::XyCorner(std::uint32_t i, const Leg& in, const Leg& out) {
  const FeedPoint& c = w_[i];
  double vin[3] = {c.X - in.point[0], c.Y - in.point[1], c.Z - in.point[2]};
  double vout[3] = {out.point[0] - c.X, out.point[1] - c.Y, out.point[2] - c.Z};
  double hin2 = vin[0] * vin[0] + vin[1] * vin[1];
  double hout2 = vout[0] * vout[0] + vout[1] * vout[1];
  // No XY direction out of the corner, or a leg too short for a heading: no corner.
  if (hout2 < kShortestLeg * kShortestLeg || hin2 < kShortestLeg * kShortestLeg) return;
  // An incoming leg that is all but vertical has no heading either (corner angle 0).
  if (vin[2] != 0 && hin2 / (vin[2] * vin[2]) < 0.1) return;
  double angle = AngleDifference(Angle(vin[1], vin[0]), Angle(vout[1], vout[0]));
  if (angle > 180.0) angle = 360.0 - angle;
  if (angle > 90.0) angle = 90.0;
  const CuttingConditions& cc = ch_.conditions;
  if (angle < xyMinAngle_) return;  // below the effective minimum: nothing changes
  if (cc.ConCorChk == 1) {
    double hin = std::sqrt(hin2), hout = std::sqrt(hout2);
    double cx = out.point[0] - in.point[0], cy = out.point[1] - in.point[1];
    angle = std::max(angle, Engagement(hin, hout, std::sqrt(cx * cx + cy * cy)));
  }
  if (!(angle > cc.CornerMinAngle)) return;
  ApplyCorner(i, in, out, CornerFeedSteps(angle));
}

// The elevation corner at point i: the change of the angle above the XY plane between the
// incoming and the outgoing leg (signed, so that a ridge or a valley counts with both of its
// sides). The engagement is measured on the legs unfolded into the vertical plane: horizontal
// run against height. Legs shorter than the deviation 0.05 x rt (at least 0.2) are not
// taken: on such legs the last decimal of the coordinates decides the angle.
void CFeedEngine::ElevationCorner(std::uint32_t i, const Leg& in, const Leg& out) {
  const FeedPoint& c = w_[i];
  double hin = std::hypot(c.X - in.point[0], c.Y - in.point[1]);
  double zin = c.Z - in.point[2];
  double hout = std::hypot(out.point[0] - c.X, out.point[1] - c.Y);
  double zout = out.point[2] - c.Z;
  double lin = std::hypot(hin, zin), lout = std::hypot(hout, zout);
  if (lin < elevationDeviation_ || lout < elevationDeviation_) return;
  // As in the XY corners, an all but vertical incoming leg (a plunge) makes no corner.
  if (zin != 0 && hin * hin / (zin * zin) < 0.1) return;
  auto elevation = [](double h, double dz) {
    if (std::fabs(dz) < 0.0001) return 0.0;
    double a = std::atan2(std::fabs(dz), h) / kDegToRad;
    return dz < 0 ? -a : a;
  };
  double angle = std::fabs(elevation(hout, zout) - elevation(hin, zin));
  if (angle > 90.0) angle = 90.0;
  const CuttingConditions& cc = ch_.conditions;
  if (angle < elevationMinAngle_) return;
  if (cc.ConCorChk == 1) {
    double chord = std::hypot(hin + hout, zin + zout);
    angle = std::max(angle, Engagement(lin, lout, chord));
  }
  if (!(angle > cc.CornerMinAngle)) return;
  ApplyCorner(i, in, out, CornerFeedSteps(angle));
}

// ---- Arcs ------------------------------------------------------------------------------------

// The arc's centre is its start point (the motion point before it) plus the offset in the arc
// centre record that follows it; its radius is the distance of the end point from the centre
// in the arc's plane. An arc without its centre record has no radius and takes no arc rule.
void CFeedEngine::ArcRule(std::uint32_t i) {
  std::uint32_t p = Prev(i);
  if (p == kNone || i + 1 >= n_) return;
  const FeedPoint& rec = w_[i + 1];
  if (!IsPlaneCode(static_cast<int>(rec.MotionType))) return;
  int plane = static_cast<int>(rec.MotionType);
  PlaneAxes ax = AxesOfPlane(plane);
  const FeedPoint& s = w_[p];
  double centre[3] = {s.X + rec.X, s.Y + rec.Y, s.Z + rec.Z};
  double end[3] = {w_[i].X, w_[i].Y, w_[i].Z};
  double radius = std::hypot(end[ax.a] - centre[ax.a], end[ax.b] - centre[ax.b]);
  const CuttingConditions& c = ch_.conditions;
  if (c.ConCorChk == 1) radius -= rt_;
  double engagement = 90.0;
  if (radius > 0) {
    double x = std::min(search_ * 0.5 / radius, 1.0);
    engagement = 2.0 * std::asin(x) / kDegToRad;
  }
  int feed = CornerFeed(engagement);
  if (feed != -1 && feed < w_[i].Feed) w_[i].Feed = feed;
  int arcFeed = w_[i].Feed;
  ArcEndCorner(i, true, centre, plane, arcFeed);
  ArcEndCorner(i, false, centre, plane, arcFeed);
}

// The corner where the arc meets the move next to it (atEnd: the move after the arc's end,
// else the move into its start). Moves within the search distance of that point take the
// corner feed whole; the first one reaching farther takes it whole when it ends within 1.2
// times the distance, else in a zone covering its part within the distance.
void CFeedEngine::ArcEndCorner(std::uint32_t arc, bool atEnd, const double centre[3], int plane,
                               int arcFeed) {
  std::uint32_t p = Prev(arc);
  std::uint32_t joint = atEnd ? arc : p;        // the arc's point where the corner is
  std::uint32_t first = atEnd ? Next(arc) : p;  // record of the neighbouring move
  if (first == kNone || !IsLinearCode(w_[first].MotionType)) return;
  std::uint32_t firstStart = atEnd ? arc : Prev(p);
  if (firstStart == kNone) return;

  // The arc's tangent at the joint: the radius there turned by +90 degrees for a
  // counter-clockwise arc and by -90 for a clockwise one.
  PlaneAxes ax = AxesOfPlane(plane);
  const FeedPoint& j = w_[joint];
  double pj[3] = {j.X, j.Y, j.Z};
  double rad[3] = {0, 0, 0};
  rad[ax.a] = pj[ax.a] - centre[ax.a];
  rad[ax.b] = pj[ax.b] - centre[ax.b];
  double tan[3] = {0, 0, 0};
  bool ccw = w_[arc].MotionType == MOVE_ARC_CCW;
  tan[ax.a] = ccw ? -rad[ax.b] : rad[ax.b];
  tan[ax.b] = ccw ? rad[ax.a] : -rad[ax.a];
  double move[3] = {w_[first].X - w_[firstStart].X, w_[first].Y - w_[firstStart].Y, 0};
  if (std::hypot(tan[0], tan[1]) < 1e-9 || std::hypot(move[0], move[1]) < kShortestLeg) return;
  double change = AngleDifference(Angle(tan[1], tan[0]), Angle(move[1], move[0]));
  if (change > 180.0) change = 360.0 - change;
  if (change <= 5.0 && arcFeed >= maxFeed_) return;
  int cf = CornerFeed(change);
  int fc = (cf == -1 || arcFeed < cf) ? arcFeed : cf;

  const double S = search_;
  std::uint32_t k = first;
  for (int steps = 0; steps < kMaxWalk && k != kNone && IsLinearCode(w_[k].MotionType); ++steps) {
    std::uint32_t nearEnd = atEnd ? Prev(k) : k;
    std::uint32_t farEnd = atEnd ? k : Prev(k);
    if (nearEnd == kNone || farEnd == kNone) return;
    double d = Distance(j, w_[farEnd]);
    FeedPoint& r = w_[k];
    if (d <= S) {
      LowerWhole(r, fc);
      k = atEnd ? Next(k) : farEnd;
      continue;
    }
    if (d <= 1.2 * S) {
      LowerWhole(r, fc);
    } else {
      double dn = Distance(j, w_[nearEnd]);
      double len = Distance(w_[nearEnd], w_[farEnd]);
      int pct = len > 0 ? static_cast<int>(Trunc((S - dn) * 100.0 / len)) : 0;
      if (pct > 0) {
        if (atEnd) {
          SetStartZone(r, pct, fc);
        } else {
          SetEndZone(r, pct, fc);
        }
      }
    }
    return;
  }
}

// ---- Short moves -----------------------------------------------------------------------------

// A move whose full-feed middle is shorter than the tool radius cannot reach its feed between
// two slower neighbours: it runs at their mean instead (rounded to the feed change unit).
void CFeedEngine::ShortMovePass() {
  for (std::uint32_t i = 0; i < n_; ++i) {
    FeedPoint& r = w_[i];
    if (r.MotionType != MOVE_LINE_CONT) continue;
    std::uint32_t p = Prev(i);
    if (p == kNone) continue;
    double len = Distance(w_[p], r);
    std::uint32_t nx = Next(i);
    auto nearFeed = [&](std::uint32_t k) -> int {
      if (k == kNone) return -1;
      return w_[k].EndZonePct > 0 ? w_[k].EndZoneFeed : w_[k].Feed;
    };
    auto farFeed = [&](std::uint32_t k) -> int {
      if (k == kNone) return -1;
      return w_[k].StartZonePct > 0 ? w_[k].StartZoneFeed : w_[k].Feed;
    };
    int a, b;
    double middle;
    if (r.StartZonePct > 0 && r.EndZonePct > 0) {
      a = r.StartZoneFeed, b = r.EndZoneFeed;
      middle = (100 - r.StartZonePct - r.EndZonePct) * len / 100.0;
    } else if (r.StartZonePct > 0) {
      a = r.StartZoneFeed, b = farFeed(nx);
      middle = (100 - r.StartZonePct) * len / 100.0;
    } else if (r.EndZonePct > 0) {
      a = r.EndZoneFeed, b = nearFeed(p);
      middle = (100 - r.EndZonePct) * len / 100.0;
    } else {
      a = nearFeed(p), b = farFeed(nx);
      middle = len;
    }
    if (a < 0 || b < 0) continue;  // no neighbour on that side
    if (middle < rt_ && r.Feed > a && r.Feed > b) r.Feed = RoundFeed((a + b) / 2);
  }
}

// ---- Output ----------------------------------------------------------------------------------

int CFeedEngine::Finish(int feed) const {
  if (feed > maxFeed_) feed = maxFeed_;
  if (feed <= 0) feed = cornerFloor_;
  return RoundFeed(feed);
}

bool CFeedEngine::Append(const FeedPoint& r) {
  if (fill_ >= capacity_) return false;
  out_[fill_++] = r;
  return true;
}

bool CFeedEngine::AppendPoint(const FeedPoint& src, const double p[3], int feed,
                              std::uint32_t type) {
  if (fill_ >= capacity_) return false;
  FeedPoint& o = out_[fill_++];
  o.X = p[0];
  o.Y = p[1];
  o.Z = p[2];
  o.ProgFeed = src.ProgFeed;
  o.Feed = feed;
  o.StartZonePct = o.StartZoneFeed = o.EndZonePct = o.EndZoneFeed = 0;
  o.MotionType = type;
  return true;
}

// Rapids, arc centre records and records of no motion are copied as they are; arcs keep
// their place and geometry but their feed is capped and rounded like every optimised feed.
bool CFeedEngine::OutputPass() {
  slowed_ = 0;
  const int fullFeed = RoundFeed(maxFeed_);
  for (std::uint32_t r = 0; r < n_; ++r) {
    const FeedPoint& rec = w_[r];
    if (IsLinearCode(rec.MotionType)) {
      if (!EmitLinear(r)) return false;
      continue;
    }
    FeedPoint o = rec;
    if (IsArcCode(rec.MotionType)) {
      o.Feed = Finish(rec.Feed);
      if (o.Feed < fullFeed) ++slowed_;
    }
    if (!Append(o)) return false;
  }
  return true;
}

// A linear move comes out as up to three pieces (start zone, middle, end zone), each of them
// ramped against its neighbours when smooth feed changes are asked for. The split points lie
// on the move; the last piece ends on the move's own end point. Ramp feeds are rounded down
// to the feed change unit like every feed the optimiser computes. A code-3 move is not
// ramped at its start (the approach), but its later pieces are code-4 cuts and ramp as such.
bool CFeedEngine::EmitLinear(std::uint32_t r) {
  const FeedPoint& rec = w_[r];
  std::uint32_t p = Prev(r);
  const int fullFeed = RoundFeed(maxFeed_);
  if (p == kNone) {
    FeedPoint o = rec;
    o.Feed = Finish(rec.Feed);
    o.StartZonePct = o.StartZoneFeed = o.EndZonePct = o.EndZoneFeed = 0;
    if (o.Feed < fullFeed) ++slowed_;
    return Append(o);
  }
  struct Piece {
    double to;  // fraction of the move where the piece ends
    int feed;
  } pieces[3];
  int count = 0;
  int startPct = std::clamp<int>(rec.StartZonePct, 0, 100);
  int endPct = std::clamp<int>(rec.EndZonePct, 0, 100 - startPct);
  if (startPct > 0) pieces[count++] = {startPct / 100.0, Finish(rec.StartZoneFeed)};
  if (endPct > 0) {
    double to = (100 - endPct) / 100.0;
    if (count == 0 || to > pieces[count - 1].to) pieces[count++] = {to, Finish(rec.Feed)};
    pieces[count++] = {1.0, Finish(rec.EndZoneFeed)};
  } else {
    pieces[count++] = {1.0, Finish(rec.Feed)};
  }
  if (count > 1 && pieces[count - 2].to >= 1.0) {  // a start zone over the whole move
    pieces[count - 2].feed = std::min(pieces[count - 2].feed, pieces[count - 1].feed);
    --count;
  }

  const FeedPoint& s = w_[p];
  const double from[3] = {s.X, s.Y, s.Z};
  const double d[3] = {rec.X - s.X, rec.Y - s.Y, rec.Z - s.Z};
  const double len = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  const bool smooth = ch_.conditions.FeedChgSmoothCheck == 1;

  // Feeds at the far ends of the neighbours (as the output writes them).
  int fp = 0, fn = 0;
  bool nextIsRapid = false, hasNext = false;
  if (smooth) {
    const FeedPoint& pr = w_[p];
    fp = Finish(IsLinearCode(pr.MotionType) && pr.EndZonePct > 0 ? pr.EndZoneFeed : pr.Feed);
    std::uint32_t nx = Next(r);
    hasNext = nx != kNone;
    if (hasNext) {
      const FeedPoint& nr = w_[nx];
      nextIsRapid = IsRapidCode(nr.MotionType);
      fn = Finish(IsLinearCode(nr.MotionType) && nr.StartZonePct > 0 ? nr.StartZoneFeed : nr.Feed);
    }
  }

  bool slowed = false;
  double at = 0.0;
  std::uint32_t type = rec.MotionType;
  for (int k = 0; k < count; ++k) {
    const Piece& pc = pieces[k];
    const bool last = k == count - 1;
    int A = pc.feed, Z = pc.feed, N = 1;
    if (smooth && type != MOVE_LINE && !(last && nextIsRapid)) {
      int F = pc.feed;
      int before = k == 0 ? fp : pieces[k - 1].feed;
      int after = last ? (hasNext && !nextIsRapid ? fn : F) : pieces[k + 1].feed;
      bool ramp = true;
      if (F < 0.8 * after) {
        A = F, Z = after;
      } else if (F >= 0.8 * before) {
        ramp = false;
      } else {
        A = before, Z = F;
      }
      if (ramp && std::min(A, Z) < 0.8 * std::max(A, Z)) {
        double pieceLen = (pc.to - at) * len;
        int steps = pieceLen <= 5.0 ? static_cast<int>(Trunc(2.0 * pieceLen + 1.0)) : 10;
        if (steps >= 2) N = steps;
      }
      if (N == 1) A = Z = F;
    }
    for (int q = 1; q <= N; ++q) {
      double f = q == N ? pc.to : at + (pc.to - at) * q / N;
      double pt[3];
      if (f >= 1.0) {
        pt[0] = rec.X, pt[1] = rec.Y, pt[2] = rec.Z;
      } else {
        for (int ax = 0; ax < 3; ++ax) pt[ax] = from[ax] + d[ax] * f;
      }
      int feed = N == 1 ? pc.feed : RoundFeed(A - (static_cast<long>(q) * (A - Z)) / N);
      if (feed < fullFeed) slowed = true;
      if (!AppendPoint(rec, pt, feed, type)) return false;
      type = MOVE_LINE_CONT;  // only the first piece of a split move keeps code 3
    }
    at = pc.to;
  }
  if (slowed) ++slowed_;
  return true;
}

}  // namespace trevalon
