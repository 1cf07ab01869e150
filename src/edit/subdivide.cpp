#include "edit/subdivide.h"

#include <cmath>
#include <string>

#include "model/point_store.h"

namespace trevalon {

namespace {

// More steps than the store could ever hold: such a cut is never split.
constexpr double kMaxSteps = static_cast<double>(CPointStore::kCapacity);

class Subdivision {
 public:
  Subdivision(EditContext& ctx, const SubdivideRequest& r) : ctx_(ctx), r_(r) {}

  // The steps the cut ending at record i (in the register) is split into: 1 when it stays.
  // `from` is the motion point before it.
  std::uint64_t Steps(std::uint32_t i, const double from[3]) {
    CPointStore& s = ctx_.store;
    if (!IsLinearType(s.reg.type) || !Chosen(i)) return 1;
    const double dx = s.reg.x - from[0], dy = s.reg.y - from[1], dz = s.reg.z - from[2];
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(d > r_.step)) return 1;
    const double q = d / r_.step;
    if (!(q < kMaxSteps)) return kMaxSteps + 1;  // refused by the capacity test
    return static_cast<std::uint64_t>(q) + 1;
  }

 private:
  bool Chosen(std::uint32_t i) {
    CPointStore& s = ctx_.store;
    switch (r_.scope) {
      case SubdivideScope::All:
        return true;
      case SubdivideScope::Selected:
        return s.reg.mark == 1;
      case SubdivideScope::Polygon:
        return r_.region->Contains(s.reg.x, s.reg.y, s.reg.z, *ctx_.view);
      case SubdivideScope::Point:
        return i == r_.point;
    }
    return false;
  }

  EditContext& ctx_;
  const SubdivideRequest& r_;
};

// Walks the records that compaction keeps (motion points and the centre record after an
// arc) with the motion point before each; `visit(i, from, haveFrom)` sees record i in the
// register.
template <class Visit>
void WalkKept(CPointStore& s, std::uint32_t n, Visit visit) {
  double from[3] = {0, 0, 0};
  bool haveFrom = false, afterArc = false;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!s.FetchPoint(i)) {
      afterArc = false;
      continue;
    }
    const int t = s.reg.type;
    if (!IsMotionType(t)) {
      if (afterArc && IsPlaneCode(t) && !visit(i, from, false)) return;
      afterArc = false;
      continue;
    }
    const double at[3] = {s.reg.x, s.reg.y, s.reg.z};
    if (!visit(i, from, haveFrom)) return;
    from[0] = at[0], from[1] = at[1], from[2] = at[2];
    haveFrom = true;
    afterArc = IsArcType(t);
  }
}

}  // namespace

Outcome Subdivide(EditContext& ctx, const SubdivideRequest& r, SubdivideSummary* summary) {
  CPointStore& s = ctx.store;
  if (!kSubdivideStepRange.Contains(r.step))
    return Outcome::Failed(OutcomeCode::Refused, "the step must lie above 0 and up to 1000000");
  if (r.scope == SubdivideScope::Polygon && (!r.region || !r.region->usable() || !ctx.view))
    return Outcome::Unchanged("the polygon needs at least 3 vertices");
  if (s.count == 0) return Outcome::Unchanged("the toolpath is empty");
  if (r.scope == SubdivideScope::Point) {
    if (r.point >= s.count)
      return Outcome::Failed(OutcomeCode::Refused, "there is no point " + std::to_string(r.point));
    bool cut = s.FetchPoint(r.point) && IsLinearType(s.reg.type);
    // PrevMotion gives 0 for none as well as for point 0.
    if (cut && s.PrevMotion(r.point) == 0) cut = s.IsMotion(0) && r.point > 0;
    if (!cut)
      return Outcome::Unchanged("point " + std::to_string(r.point) + " is not a linear cut");
  }

  // First the size of the result, so that a subdivision the store cannot hold changes nothing.
  Subdivision sub(ctx, r);
  const std::uint32_t n = s.count;
  std::uint64_t total = n, split = 0;
  WalkKept(s, n, [&](std::uint32_t i, const double from[3], bool haveFrom) {
    const std::uint64_t steps = haveFrom ? sub.Steps(i, from) : 1;
    total += steps;
    if (steps > 1) ++split;
    return total <= CPointStore::kCapacity;
  });
  if (split == 0) return Outcome::Unchanged("no chosen linear cut is longer than the step");
  EditContext frameCtx = ctx;
  if (r.scope == SubdivideScope::Point) frameCtx.redraw = nullptr;
  CommandFrame frame(frameCtx);
  if (total > CPointStore::kCapacity || !frame.Reserve(total))
    return Outcome::Failed(OutcomeCode::NoMemory,
                           "the subdivided toolpath does not fit into the point store");
  frame.SaveUndo(Txt::CmdSubdivide);

  bool ok = true;
  WalkKept(s, n, [&](std::uint32_t i, const double from[3], bool haveFrom) {
    const std::uint64_t steps = haveFrom ? sub.Steps(i, from) : 1;
    if (steps > 1) {
      const PointRegister end = s.reg;
      for (std::uint64_t k = 1; k < steps && ok; ++k) {
        const double f = static_cast<double>(k) / static_cast<double>(steps);
        s.reg = end;
        s.reg.x = from[0] + (end.x - from[0]) * f;
        s.reg.y = from[1] + (end.y - from[1]) * f;
        s.reg.z = from[2] + (end.z - from[2]) * f;
        if (k > 1) s.reg.type = MOVE_LINE_CONT;
        ok = frame.Append();
      }
      s.reg = end;  // the last step ends exactly where the cut did
      s.reg.type = MOVE_LINE_CONT;
    }
    ok = ok && frame.Append();
    return ok;
  });
  if (!ok) return frame.Rollback("no memory to subdivide the toolpath");
  frame.RemoveOriginal();
  frame.Finish();
  if (summary) {
    summary->pointsBefore = n;
    summary->pointsAfter = s.count;
    summary->cutsSplit = static_cast<std::uint32_t>(split);
  }
  return Outcome::Done();
}

}  // namespace trevalon
