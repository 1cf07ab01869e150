#include "feed/feed_changes.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

#include "feed/feed_rules.h"
#include "model/point_store.h"

namespace trevalon {

std::int32_t StoredFeed(long feed) {
  return static_cast<std::int32_t>(std::clamp<long>(feed, 0, FeedRules::kHighestStoredFeed));
}

Outcome FeedRuleNoMemory(const EditContext& ctx) {
  ctx.msg.Notify(Txt::CannotAllocateMemory, Txt::KorvoMessage);
  return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory for the feed change");
}

// ---- MoveWalk ----------------------------------------------------------------------------------

bool MoveWalk::Next(FeedMove& m) {
  CPointStore& s = store_;
  for (; at_ < s.count; ++at_) {
    if (!s.FetchPoint(at_) || !IsMotionType(s.reg.type)) continue;
    const std::uint32_t i = at_++;
    m.index = i;
    m.type = s.reg.type;
    m.end[0] = s.reg.x, m.end[1] = s.reg.y, m.end[2] = s.reg.z;
    m.hasStart = havePrev_;
    m.length = 0;
    if (havePrev_) {
      std::copy(prev_, prev_ + 3, m.start);
      if (IsArcType(m.type)) {
        ArcOfPoint(s, i, m.arc);
        m.length = m.arc.arc.length;
      } else {
        double d[4], u[3];
        SegmentOfPoints(m.end, m.start, d, u);
        m.length = d[3];
      }
    } else {
      std::copy(m.end, m.end + 3, m.start);
    }
    std::copy(m.end, m.end + 3, prev_);
    havePrev_ = true;
    return true;
  }
  return false;
}

// ---- FeedPlan ----------------------------------------------------------------------------------

bool FeedPlan::Take(CPointStore& s) {
  size_ = s.count;
  feeds_.reset(new (std::nothrow) std::int32_t[size_ > 0 ? size_ : 1]);
  if (!feeds_) return false;
  for (std::uint32_t i = 0; i < size_; ++i) feeds_[i] = s.FetchPoint(i) ? s.reg.feed : 0;
  return true;
}

void FeedPlan::SetEveryFeed(CPointStore& s, std::int32_t feed) {
  for (std::uint32_t i = 0; i < size_; ++i)
    if (s.IsMotion(i)) feeds_[i] = feed;
}

std::uint32_t FeedPlan::Differences(CPointStore& s) const {
  std::uint32_t n = 0;
  for (std::uint32_t i = 0; i < size_; ++i)
    if (s.IsMotion(i) && s.reg.feed != feeds_[i]) ++n;
  return n;
}

Outcome FeedPlan::Apply(EditContext& ctx, const char* unchangedReason, FeedChangeSummary* summary) {
  CPointStore& s = ctx.store;
  const std::uint32_t changed = Differences(s);
  if (summary) *summary = {changed, 0};
  if (changed == 0) return Outcome::Unchanged(unchangedReason);
  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdFeedChange);
  for (std::uint32_t i = 0; i < size_; ++i) {
    if (!s.IsMotion(i) || s.reg.feed == feeds_[i]) continue;
    const bool arc = IsArcType(s.reg.type);
    s.reg.feed = feeds_[i];
    // A page shared with the undo snapshot is copied before it is written; without the memory
    // for that copy the store goes back to where it was.
    if (!s.StorePoint(i)) return frame.Rollback("not enough memory for the feed change");
    if (arc && s.FetchPoint(i + 1) && IsPlaneCode(s.reg.type)) {
      s.reg.feed = feeds_[i];
      if (!s.StorePoint(i + 1)) return frame.Rollback("not enough memory for the feed change");
    }
  }
  frame.Finish();
  return Outcome::Done();
}

// ---- Change feed -------------------------------------------------------------------------------

Outcome ChangeFeedCommand(EditContext& ctx, long feed, FeedChangeSummary* summary) {
  const std::int32_t f = StoredFeed(feed);
  FeedPlan plan;
  if (!plan.Take(ctx.store)) return FeedRuleNoMemory(ctx);
  plan.SetEveryFeed(ctx.store, f);
  Outcome done = plan.Apply(ctx, "every move already has that feed", summary);
  // The value is the document's cutting feed from now on, whatever the toolpath holds (the
  // frame refreshed it from the statistics, which say the same when there are cuts).
  if (done.code() != OutcomeCode::NoMemory && ctx.cuttingFeed) *ctx.cuttingFeed = f;
  return done;
}

// ---- Region feed -------------------------------------------------------------------------------
//
// A move crossing the region's edge is cut there; the inside piece takes the changed feed.
// See docs/design-rules.md, "Region feed: where a move is split".

namespace {

constexpr double kShortestPiece = 0.001;
constexpr double kArcStepPixels = 3.0;
constexpr std::uint32_t kMostArcSteps = 10000;
constexpr double kEdgePrecisionPixels = 0.001;

struct RegionTest {
  const Region& region;
  ViewState& view;

  // The point in the region's plane, in fractions of pixels for window regions.
  RegionPoint InPlane(const double p[3]) const {
    if (region.plane() != RegionPlane::Window) return region.InPlane(p[0], p[1], p[2], view);
    double u, v;
    view.ProjectUV(p[0], p[1], p[2], u, v);
    const double scale = std::max(view.scale, 1e-5);
    return {(u - view.cu) * scale + view.width / 2, (v - view.cv) * scale + view.height / 2, 0};
  }
  // The inside test without the rounding to whole pixels.
  bool Inside(const double p[3]) const {
    if (region.plane() == RegionPlane::Window) return InsideRegion(region.polygon(), InPlane(p));
    return region.Contains(p[0], p[1], p[2], view);
  }
  // Pixels between two model points as the region sees them.
  double Pixels(const double a[3], const double b[3]) const {
    if (region.plane() == RegionPlane::Window) {
      const RegionPoint pa = InPlane(a), pb = InPlane(b);
      return std::hypot(pa.x - pb.x, pa.y - pb.y);
    }
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2])) *
           std::max(view.scale, 1e-5);
  }
  // Screen pixels per model unit, whichever plane the region is tested in.
  double PixelsPerUnit() const { return std::max(view.scale, 1e-5); }
};

// The fraction of the line S-E where it crosses the polygon's edge nearest its inside end.
std::optional<double> LineCrossing(const RegionTest& test, const double s[3], const double e[3],
                                   bool startInside) {
  const RegionPolygon& poly = test.region.polygon();
  const RegionPoint c = test.InPlane(s), d = test.InPlane(e);
  const double cd = std::hypot(d.x - c.x, d.y - c.y);
  if (cd <= 0) return std::nullopt;
  std::optional<double> best;
  for (std::size_t k = 0; k < poly.size(); ++k) {
    const std::optional<RegionPoint> i = SegmentCrossing(poly[k], poly[k + 1], c, d);
    if (!i) continue;
    const double t = std::hypot(i->x - c.x, i->y - c.y) / cd;
    if (!best || (startInside ? t < *best : t > *best)) best = t;
  }
  return best;
}

// A point of the arc at fraction f of its sweep: the radius and the height along the normal
// pass evenly from the start's to the end's.
void ArcPointAt(const StoredArc& a, double f, double out[3]) {
  const PlaneAxes ax = AxesOfPlane(a.plane);
  const double rs = std::hypot(a.start[ax.a] - a.centre[ax.a], a.start[ax.b] - a.centre[ax.b]);
  const double re = std::hypot(a.end[ax.a] - a.centre[ax.a], a.end[ax.b] - a.centre[ax.b]);
  const double sweep = a.arc.sweep * f;
  const double angle = a.type == MOVE_ARC_CW ? a.arc.startAngle - sweep : a.arc.startAngle + sweep;
  PointOnCircle(a.centre, rs + (re - rs) * f, angle, a.plane, out);
  out[ax.normal] = a.start[ax.normal] + (a.end[ax.normal] - a.start[ax.normal]) * f;
}

// The fraction of a curve (point(f) for f from 0 to 1, `pixels` long on the screen) where it
// crosses the region's edge nearest its inside end: equal steps of at most about 3 pixels,
// then the step where the inside state changes halved down to 0.001 pixel.
template <class PointAt>
std::optional<double> CurveCrossing(const RegionTest& test, const PointAt& point, double pixels,
                                    bool startInside) {
  const double steps = std::floor(pixels / kArcStepPixels) + 1;
  const std::uint32_t n = steps < kMostArcSteps ? static_cast<std::uint32_t>(steps) : kMostArcSteps;
  double p[3];
  point(0.0, p);
  bool state = test.Inside(p);
  std::optional<std::pair<double, double>> step;
  for (std::uint32_t k = 1; k <= n; ++k) {
    const double f = static_cast<double>(k) / n;
    point(f, p);
    const bool now = test.Inside(p);
    if (now != state) {
      step = {static_cast<double>(k - 1) / n, f};
      if (startInside) break;  // the first crossing; else the last one
    }
    state = now;
  }
  if (!step) return std::nullopt;
  auto [lo, hi] = *step;
  double pl[3], ph[3];
  point(lo, pl);
  const bool loState = test.Inside(pl);
  for (int k = 0; k < 100; ++k) {
    point(lo, pl);
    point(hi, ph);
    if (test.Pixels(pl, ph) < kEdgePrecisionPixels) break;
    const double mid = (lo + hi) / 2;
    double pm[3];
    point(mid, pm);
    (test.Inside(pm) == loState ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

struct Split {
  std::uint32_t index = 0;  // the end point of the move that is cut
  double at[3] = {0, 0, 0};
  std::int32_t firstFeed = 0;  // the feed of the piece up to the inserted point
  bool arc = false;
  double secondOffset[3] = {0, 0, 0};  // the second arc's centre minus its start
};

std::int32_t Limited(FeedLimit limit, std::int32_t feed, std::int32_t value) {
  if (limit == FeedLimit::Ceiling) return feed > value ? value : feed;
  return feed < value ? value : feed;
}

// Where the move is cut, or nothing when it is not.
std::optional<Split> SplitOf(const RegionTest& test, const FeedMove& m, bool startInside,
                             CPointStore& store) {
  Split sp;
  sp.index = m.index;
  double f;
  if (IsLinearType(m.type)) {
    auto along = [&m](double f, double out[3]) {
      for (int k = 0; k < 3; ++k) out[k] = m.start[k] + (m.end[k] - m.start[k]) * f;
    };
    // A region without a polygon (a circle, a Z band) is found by stepping, as for arcs.
    const std::optional<double> t =
        test.region.polygon().size() >= 3
            ? LineCrossing(test, m.start, m.end, startInside)
            : CurveCrossing(test, along, m.length * test.PixelsPerUnit(), startInside);
    if (!t) return std::nullopt;
    f = *t;
    for (int k = 0; k < 3; ++k) sp.at[k] = m.start[k] + (m.end[k] - m.start[k]) * f;
  } else {
    // Only an arc with its own centre record can be cut into two.
    if (!store.FetchPoint(m.index + 1) || !IsPlaneCode(store.reg.type)) return std::nullopt;
    auto along = [&m](double f, double out[3]) { ArcPointAt(m.arc, f, out); };
    const std::optional<double> t =
        CurveCrossing(test, along, m.arc.arc.length * test.PixelsPerUnit(), startInside);
    if (!t) return std::nullopt;
    f = *t;
    sp.arc = true;
    ArcPointAt(m.arc, f, sp.at);
    const PlaneAxes ax = AxesOfPlane(m.arc.plane);
    for (int k = 0; k < 3; ++k)
      sp.secondOffset[k] = k == ax.normal ? 0.0 : m.arc.centre[k] - static_cast<float>(sp.at[k]);
  }
  if (f * m.length < kShortestPiece || (1 - f) * m.length < kShortestPiece) return std::nullopt;
  return sp;
}

}  // namespace

Outcome RegionFeedCommand(EditContext& ctx, const Region& region, FeedLimit limit, long feed,
                          FeedChangeSummary* summary) {
  CPointStore& s = ctx.store;
  if (summary) *summary = {};
  if (!region.usable()) return Outcome::Unchanged("the region selects nothing");
  ViewState unused;
  if (!ctx.view && region.plane() == RegionPlane::Window)
    return Outcome::Failed(OutcomeCode::Refused, "a window region needs the view");
  const RegionTest test{region, ctx.view ? *ctx.view : unused};
  const std::int32_t value = StoredFeed(feed);

  FeedPlan plan;
  if (!plan.Take(s)) return FeedRuleNoMemory(ctx);
  std::vector<Split> splits;
  MoveWalk walk(s);
  FeedMove m;
  bool startInside = false;
  while (walk.Next(m)) {
    const bool inside = region.Contains(m.end[0], m.end[1], m.end[2], test.view);
    const std::int32_t old = plan[m.index];
    const std::int32_t changed = Limited(limit, old, value);
    if (inside) plan[m.index] = changed;
    if (m.hasStart && inside != startInside && changed != old &&
        (IsLinearType(m.type) || IsArcType(m.type))) {
      if (std::optional<Split> sp = SplitOf(test, m, startInside, s)) {
        sp->firstFeed = startInside ? changed : old;
        splits.push_back(*sp);
      }
    }
    startInside = inside;
  }
  if (splits.empty()) return plan.Apply(ctx, "no feed in the region to change", summary);

  // Moves are cut: the toolpath is written again behind the old points, with the inserted
  // points, and the old points go.
  CommandFrame frame(ctx);
  const std::uint32_t n = s.count;
  if (!frame.Reserve(std::uint64_t{n} * 2 + splits.size() * 2)) {
    ctx.msg.Notify(Txt::StoreFull, Txt::KorvoMessage);
    return Outcome::Failed(OutcomeCode::NoMemory, "the cut moves do not fit in the point store");
  }
  const std::uint32_t changedPoints = plan.Differences(s);
  frame.SaveUndo(Txt::CmdFeedChange);
  const char* full = "the store cannot hold the cut moves";
  std::size_t next = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!s.FetchPoint(i)) continue;  // no motion: dropped by the compaction anyway
    const PointRegister r = s.reg;
    if (!IsMotionType(r.type)) {
      if (!frame.Append()) return frame.Rollback(full);
      continue;
    }
    const bool arc = IsArcType(r.type);
    PointRegister centre;
    const bool haveCentre = arc && s.FetchPoint(i + 1) && IsPlaneCode(s.reg.type);
    if (haveCentre) centre = s.reg;
    if (next < splits.size() && splits[next].index == i) {
      const Split& sp = splits[next++];
      s.reg = r;
      s.reg.x = sp.at[0], s.reg.y = sp.at[1], s.reg.z = sp.at[2];
      s.reg.feed = sp.firstFeed;
      if (!frame.Append()) return frame.Rollback(full);
      if (haveCentre) {
        s.reg = centre;
        s.reg.feed = sp.firstFeed;
        if (!frame.Append()) return frame.Rollback(full);
      }
      s.reg = r;
      s.reg.feed = plan[i];
      if (!arc) s.reg.type = MOVE_LINE_CONT;
      if (!frame.Append()) return frame.Rollback(full);
      if (haveCentre) {
        s.reg = centre;
        s.reg.x = sp.secondOffset[0], s.reg.y = sp.secondOffset[1], s.reg.z = sp.secondOffset[2];
        s.reg.feed = plan[i];
        if (!frame.Append()) return frame.Rollback(full);
        ++i;
      }
      continue;
    }
    s.reg = r;
    s.reg.feed = plan[i];
    if (!frame.Append()) return frame.Rollback(full);
    if (haveCentre) {
      s.reg = centre;
      s.reg.feed = plan[i];
      if (!frame.Append()) return frame.Rollback(full);
      ++i;
    }
  }
  frame.RemoveOriginal();
  frame.Finish();
  if (summary) *summary = {changedPoints, static_cast<std::uint32_t>(splits.size())};
  return Outcome::Done();
}

// ---- Arc feed ----------------------------------------------------------------------------------

Outcome ArcFeedCommand(EditContext& ctx, const ArcFeedOptions& o, FeedChangeSummary* summary) {
  CPointStore& s = ctx.store;
  FeedPlan plan;
  if (!plan.Take(s)) return FeedRuleNoMemory(ctx);
  if (o.setFirst) plan.SetEveryFeed(s, StoredFeed(o.firstFeed));
  const double radiusSpan = o.maxRadius == o.minRadius ? 0.01 : o.maxRadius - o.minRadius;
  const double feedSpan = static_cast<double>(o.maxRadiusFeed) - o.minRadiusFeed;
  MoveWalk walk(s);
  FeedMove m, before;
  bool haveBefore = false;
  std::optional<std::int32_t> leadOut;  // the feed of the arc just before this move
  while (walk.Next(m)) {
    const bool linear = IsLinearType(m.type) && m.hasStart;
    if (leadOut && linear && m.length <= o.safety)
      plan[m.index] = std::min(plan[m.index], *leadOut);
    leadOut.reset();
    if (IsArcType(m.type) && m.hasStart) {
      const double r = m.arc.arc.radius;
      if (r >= o.minRadius && r <= o.maxRadius) {
        const std::int32_t f =
            StoredFeed(TruncFeed((r - o.minRadius) / radiusSpan * feedSpan + o.minRadiusFeed));
        plan[m.index] = f;
        // The lead-in: the linear move that ends where the arc starts.
        if (haveBefore && IsLinearType(before.type) && before.hasStart && before.length <= o.safety)
          plan[before.index] = std::min(plan[before.index], f);
        leadOut = f;
      }
    }
    before = m;
    haveBefore = true;
  }
  return plan.Apply(ctx, "no feed to change", summary);
}

// ---- Length feed -------------------------------------------------------------------------------

Outcome LengthFeedCommand(EditContext& ctx, const LengthFeedOptions& o,
                          FeedChangeSummary* summary) {
  CPointStore& s = ctx.store;
  FeedPlan plan;
  if (!plan.Take(s)) return FeedRuleNoMemory(ctx);
  if (o.setFirst) plan.SetEveryFeed(s, StoredFeed(o.firstFeed));
  const double lengthSpan = o.maxLength == o.minLength ? 0.01 : o.maxLength - o.minLength;
  const double feedSpan = static_cast<double>(o.maxLengthFeed) - o.minLengthFeed;
  auto inRange = [&](double l) { return l >= o.minLength && l <= o.maxLength; };
  // A neighbour's length: a rapid counts as 9999.0; the program's first point is no move.
  // An arc counts with its length along the arc.
  auto neighbourInRange = [&](const FeedMove* n) {
    if (!n) return false;
    if (IsRapidType(n->type)) return inRange(9999.0);
    return n->hasStart && inRange(n->length);
  };
  // A window of three moves slides along the toolpath: the move in the middle is decided.
  MoveWalk walk(s);
  FeedMove moves[3];
  auto decide = [&](const FeedMove* prev, const FeedMove& cur, const FeedMove* after) {
    if (!IsLinearType(cur.type) || !cur.hasStart || !inRange(cur.length)) return;
    if (!neighbourInRange(prev) && !neighbourInRange(after)) return;
    plan[cur.index] =
        StoredFeed(TruncFeed((cur.length - o.minLength) / lengthSpan * feedSpan + o.minLengthFeed));
  };
  // moves[0] the one before, moves[1] the one decided, moves[2] the one after.
  if (walk.Next(moves[1])) {
    bool more = walk.Next(moves[2]);
    decide(nullptr, moves[1], more ? &moves[2] : nullptr);
    while (more) {
      moves[0] = moves[1];
      moves[1] = moves[2];
      more = walk.Next(moves[2]);
      decide(&moves[0], moves[1], more ? &moves[2] : nullptr);
    }
  }
  return plan.Apply(ctx, "no feed to change", summary);
}

}  // namespace trevalon
