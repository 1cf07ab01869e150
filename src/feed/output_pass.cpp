// The optimiser engine's output pass: every record into the output array, linear moves split
// at their zones and, with smooth feed changes, ramped against their neighbours.
#include <algorithm>

#include "feed/feed_engine.h"
#include "model/point_record.h"
#include "model/point_store.h"

namespace trevalon {

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
  const int fullFeed = RoundFeed(rules_.MaxFeed());
  for (std::uint32_t r = 0; r < n_; ++r) {
    const FeedPoint& rec = w_[r];
    if (IsLinearCode(rec.MotionType)) {
      if (!EmitLinear(r)) return false;
      continue;
    }
    FeedPoint o = rec;
    if (IsArcCode(rec.MotionType)) {
      o.Feed = rules_.Finish(rec.Feed);
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
  const int fullFeed = RoundFeed(rules_.MaxFeed());
  if (p == kNone) {
    FeedPoint o = rec;
    o.Feed = rules_.Finish(rec.Feed);
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
  if (startPct > 0) pieces[count++] = {startPct / 100.0, rules_.Finish(rec.StartZoneFeed)};
  if (endPct > 0) {
    double to = (100 - endPct) / 100.0;
    if (count == 0 || to > pieces[count - 1].to) pieces[count++] = {to, rules_.Finish(rec.Feed)};
    pieces[count++] = {1.0, rules_.Finish(rec.EndZoneFeed)};
  } else {
    pieces[count++] = {1.0, rules_.Finish(rec.Feed)};
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
    fp = rules_.Finish(IsLinearCode(pr.MotionType) && pr.EndZonePct > 0 ? pr.EndZoneFeed : pr.Feed);
    std::uint32_t nx = Next(r);
    hasNext = nx != kNone;
    if (hasNext) {
      const FeedPoint& nr = w_[nx];
      nextIsRapid = IsRapidCode(nr.MotionType);
      fn = rules_.Finish(IsLinearCode(nr.MotionType) && nr.StartZonePct > 0 ? nr.StartZoneFeed
                                                                            : nr.Feed);
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
        int steps = pieceLen <= 5.0 ? static_cast<int>(TruncFeed(2.0 * pieceLen + 1.0)) : 10;
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
