#include "edit/filters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

struct WalkPoint {
  std::uint32_t index = 0;
  double p[3] = {0, 0, 0};
  std::int32_t feed = 0;
  int type = 0;
};

WalkPoint FromRegister(const CPointStore& s, std::uint32_t i) {
  WalkPoint w;
  w.index = i;
  w.p[0] = s.reg.x, w.p[1] = s.reg.y, w.p[2] = s.reg.z;
  w.feed = s.reg.feed;
  w.type = s.reg.type;
  return w;
}

double Length3(const double v[3]) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// The walk of the linear filter. An anchor A is the last point that certainly stays; the
// chain holds the linear cuts walked since, the last of them being the end tested last.
// A linear cut E that continues a run is tested against A: when the feed changes by more
// than 10 % from A's, the chain's points but its last go and E becomes the anchor; otherwise
// every chain point is measured from the straight line A-E, and the first one beyond the
// tolerance makes the chain's points but its last go, the chain's last point the anchor, and
// E is tried again right after it (only the feed test then).
class LinearFilterWalk {
 public:
  LinearFilterWalk(double tolerance, std::vector<std::uint32_t>& out) : t_(tolerance), out_(out) {}

  void Rapid() {
    Flush();
    haveAnchor_ = false;
  }
  void Arc(const WalkPoint& e) { SetAnchor(e); }
  // A cut that starts a run: the anchor is the motion point before it, or the cut itself
  // after an arc (or at the very start).
  void LineStart(const WalkPoint& e, const WalkPoint* before) {
    if (!before || IsArcType(before->type)) {
      SetAnchor(e);
      return;
    }
    SetAnchor(*before);
    chain_.push_back(e);
  }
  void LineContinued(const WalkPoint& e, const WalkPoint* before) {
    // A continuing cut without a run start before it (a toolpath whose run types were never
    // regenerated) starts the run as a run start would.
    if (!haveAnchor_) {
      LineStart(e, before);
      return;
    }
    if (chain_.empty()) {
      if (FeedChanged(e, nullptr))
        SetAnchor(e);
      else
        chain_.push_back(e);
      return;
    }
    if (FeedChanged(e, &chain_.front())) {
      RemoveAllButLast();
      SetAnchor(e);
      return;
    }
    if (!ChainWithin(e)) {
      RemoveAllButLast();
      const WalkPoint last = chain_.back();
      SetAnchor(last);
      // E right after the new anchor: only the feed test applies.
      if (FeedChanged(e, nullptr))
        SetAnchor(e);
      else
        chain_.push_back(e);
      return;
    }
    chain_.push_back(e);
  }
  // The pending points at a rapid and at the end of the store: those strictly between the
  // anchor and the last tested end go when there is at least one (three collinear points
  // lose the middle one), each only when the motion point after it is a linear cut, which in
  // a chain it always is.
  void Flush() {
    if (chain_.size() >= 2) RemoveAllButLast();
    chain_.clear();
    refValid_ = false;
  }

 private:
  void SetAnchor(const WalkPoint& a) {
    anchor_ = a;
    haveAnchor_ = true;
    chain_.clear();
    refValid_ = false;
  }
  void RemoveAllButLast() {
    for (std::size_t j = 0; j + 1 < chain_.size(); ++j) out_.push_back(chain_[j].index);
  }
  // Whether E's feed differs by more than 10 % from the anchor's. Our rule for an anchor
  // without a feed (0 or below: a rapid before the program's first F word) which nothing can
  // be divided by: the feed of the first cut after it stands for it, since that cut is where
  // the run's feed begins; E right after such an anchor is that cut, so nothing changes.
  // A reference that is still not above 0 counts as changed when E's feed is not the same.
  bool FeedChanged(const WalkPoint& e, const WalkPoint* firstAfterAnchor) const {
    double ref = anchor_.feed;
    if (ref <= 0) {
      if (!firstAfterAnchor) return false;
      ref = firstAfterAnchor->feed;
      if (ref <= 0) return e.feed != firstAfterAnchor->feed;
    }
    return std::fabs(ref - e.feed) / ref > 0.1;
  }
  // Every chain point within the tolerance of the cut A-E (measured from the segment).
  // See docs/design-rules.md, "Linear filter: the chain test".
  bool ChainWithin(const WalkPoint& e) {
    double d[3] = {e.p[0] - anchor_.p[0], e.p[1] - anchor_.p[1], e.p[2] - anchor_.p[2]};
    const double len = Length3(d);
    if (len < 0.001) {
      refValid_ = false;
      for (const WalkPoint& c : chain_) {
        const double w[3] = {c.p[0] - anchor_.p[0], c.p[1] - anchor_.p[1], c.p[2] - anchor_.p[2]};
        if (!(Length3(w) <= t_)) return false;
      }
      return true;
    }
    const double u[3] = {d[0] / len, d[1] / len, d[2] / len};
    if (refValid_) {
      for (; refCount_ < chain_.size(); ++refCount_) {
        double w[3];
        Offset(chain_[refCount_], w);
        refDist_ = std::max(refDist_, std::sqrt(CrossSquared(w, ref_)));
        refReach_ = std::max(refReach_, Length3(w));
        refAhead_ = std::min(refAhead_, w[0] * ref_[0] + w[1] * ref_[1] + w[2] * ref_[2]);
      }
      const double du[3] = {u[0] - ref_[0], u[1] - ref_[1], u[2] - ref_[2]};
      const double turn = refReach_ * Length3(du);
      const double bound = refDist_ + turn;
      // A margin far above the rounding of the bound keeps it on the safe side.
      if (bound * (1 + 1e-9) + 1e-12 < t_ && refAhead_ - turn > 1e-9 &&
          refReach_ * (1 + 1e-9) < len)
        return true;
    }
    // Squared: |w x d|^2 against (t |d|)^2, no root per point.
    const double limit = t_ * t_ * len * len;
    const double len2 = len * len;
    double maxCross = 0, reach = 0, ahead = kFar;
    for (std::size_t j = chain_.size(); j-- > 0;) {
      double w[3];
      Offset(chain_[j], w);
      const double along = w[0] * d[0] + w[1] * d[1] + w[2] * d[2];
      const double w2 = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
      if (along <= 0 || along >= len2) {
        // Beyond an end: the distance from that end.
        const double v[3] = {w[0] - d[0], w[1] - d[1], w[2] - d[2]};
        const double off = along <= 0 ? std::sqrt(w2) : Length3(v);
        if (!(off <= t_)) return false;
      } else {
        const double cross = CrossSquared(w, d);
        // Near the limit the root decides, as the distance is defined; a point whose
        // distance is no number (a coordinate beyond any range) counts as off the cut.
        if (!(cross <= limit * (1 - 1e-12)) && !(std::sqrt(cross) / len <= t_)) return false;
        maxCross = std::max(maxCross, cross);
      }
      reach = std::max(reach, w2);
      ahead = std::min(ahead, along / len);
    }
    ref_[0] = u[0], ref_[1] = u[1], ref_[2] = u[2];
    refDist_ = std::sqrt(maxCross) / len;
    refReach_ = std::sqrt(reach);
    refAhead_ = ahead;
    refCount_ = chain_.size();
    // A chain with a point beyond an end measures again with every new end.
    refValid_ = ahead > 0 && refReach_ < len;
    return true;
  }
  void Offset(const WalkPoint& c, double w[3]) const {
    for (int a = 0; a < 3; ++a) w[a] = c.p[a] - anchor_.p[a];
  }
  // |w x d|^2: |w x d| / |d| is the distance of the point w (from A) from the line along d.
  static double CrossSquared(const double w[3], const double d[3]) {
    const double cx = w[1] * d[2] - w[2] * d[1];
    const double cy = w[2] * d[0] - w[0] * d[2];
    const double cz = w[0] * d[1] - w[1] * d[0];
    return cx * cx + cy * cy + cz * cz;
  }

  double t_;
  std::vector<std::uint32_t>& out_;
  bool haveAnchor_ = false;
  WalkPoint anchor_;
  std::vector<WalkPoint> chain_;
  static constexpr double kFar = 1e300;
  // The last direction whose distances were all measured, their largest value and the
  // largest distance of a chain point from A; chain points [0, refCount_) are in them.
  bool refValid_ = false;
  double ref_[3] = {0, 0, 0};
  double refDist_ = 0, refReach_ = 0;
  // The smallest place of a chain point along u0 from A.
  double refAhead_ = 0;
  std::size_t refCount_ = 0;
};

}  // namespace

std::vector<std::uint32_t> LinearFilterRemovals(CPointStore& store, double tolerance) {
  std::vector<std::uint32_t> out;
  LinearFilterWalk walk(tolerance, out);
  WalkPoint before;
  bool haveBefore = false;
  const std::uint32_t n = store.count;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    const WalkPoint e = FromRegister(store, i);
    const WalkPoint* prev = haveBefore ? &before : nullptr;
    switch (e.type) {
      case MOVE_RAPID:
      case MOVE_RAPID_CONT:
        // Our rule: any rapid after cuts ends their run, as the run's rapid start does in a
        // regenerated toolpath; the rapids after it have nothing pending.
        walk.Rapid();
        break;
      case MOVE_LINE:
        walk.LineStart(e, prev);
        break;
      case MOVE_LINE_CONT:
        walk.LineContinued(e, prev);
        break;
      default:
        walk.Arc(e);
        break;
    }
    before = e;
    haveBefore = true;
  }
  // Points still pending when the store ends are filtered as at a rapid.
  walk.Flush();
  // Chains are taken out in the order they are walked, so the list is in order already.
  if (!std::is_sorted(out.begin(), out.end())) std::sort(out.begin(), out.end());
  return out;
}

bool MarkRecordsRemoved(CPointStore& store, const std::vector<std::uint32_t>& records) {
  for (std::uint32_t i : records) {
    if (!store.FetchPoint(i)) continue;
    store.reg.type = MOVE_NONE;
    if (!store.StorePoint(i)) return false;
  }
  return true;
}

namespace {

// The common end of both filters: the marked records go, the run types are regenerated and
// the cuts of no length that regeneration finds go too.
Outcome FinishFilter(CommandFrame& frame, const std::vector<std::uint32_t>& changed,
                     const std::vector<std::uint32_t>& removed, FilterSummary* summary,
                     bool toLines) {
  CPointStore& s = frame.store();
  const std::uint32_t before = s.count;
  frame.SaveUndo(toLines ? Txt::CmdArcFilter : Txt::CmdLinearFilter);
  for (std::uint32_t i : changed) {
    if (!s.FetchPoint(i)) continue;
    s.reg.type = MOVE_LINE;
    if (!s.StorePoint(i)) return frame.Rollback("no memory to change the toolpath");
  }
  if (!MarkRecordsRemoved(s, removed)) return frame.Rollback("no memory to change the toolpath");
  frame.Compact();
  frame.Regenerate();
  frame.Compact();
  frame.Finish();
  if (summary) {
    summary->pointsBefore = before;
    summary->pointsAfter = s.count;
    summary->changed = static_cast<std::uint32_t>(toLines ? changed.size() : removed.size());
  }
  return Outcome::Done();
}

}  // namespace

Outcome LinearFilter(EditContext& ctx, double tolerance, FilterSummary* summary) {
  if (!kFilterToleranceRange.Contains(tolerance))
    return Outcome::Failed(OutcomeCode::Refused, "the tolerance must lie above 0 and up to 1000");
  if (ctx.store.count == 0) return Outcome::Unchanged("the toolpath is empty");
  const std::vector<std::uint32_t> removed =
      LinearFilterRemovals(ctx.store, FilterTolerance(tolerance));
  if (removed.empty()) return Outcome::Unchanged("no point lies within the tolerance of a line");
  CommandFrame frame(ctx);
  return FinishFilter(frame, {}, removed, summary, false);
}

Outcome ArcFilter(EditContext& ctx, double tolerance, FilterSummary* summary) {
  if (!kFilterToleranceRange.Contains(tolerance))
    return Outcome::Failed(OutcomeCode::Refused, "the tolerance must lie above 0 and up to 1000");
  CPointStore& s = ctx.store;
  if (s.count == 0) return Outcome::Unchanged("the toolpath is empty");
  const double t = FilterTolerance(tolerance);
  std::vector<std::uint32_t> arcs, centres;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.FetchPoint(i) || !IsArcType(s.reg.type)) continue;
    StoredArc arc;
    ArcOfPoint(s, i, arc);
    // The largest sweep whose chord stays within t of the arc. A radius of t/2 or less keeps
    // within t of any chord: its cosine is clamped, which makes that sweep a whole turn.
    const double R = arc.arc.radius;
    const double c = R > 0 ? std::clamp((R - t) / R, -1.0, 1.0) : -1.0;
    const double theta = 2.0 * std::acos(c) / kDegToRad;
    if (!(arc.arc.sweep < theta)) continue;
    arcs.push_back(i);
    if (i + 1 < s.count && s.FetchPoint(i + 1) && IsPlaneCode(s.reg.type)) centres.push_back(i + 1);
  }
  if (arcs.empty()) return Outcome::Unchanged("no arc is flat enough to become a line");
  CommandFrame frame(ctx);
  return FinishFilter(frame, arcs, centres, summary, true);
}

}  // namespace trevalon
