#include "edit/arc_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "edit/arc_fit_math.h"
#include "edit/filters.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "ncio/nc_block_words.h"
#include "view/status_line.h"

namespace trevalon {

namespace {

using namespace arcmath;

// ---- Arcs to linear cuts ----------------------------------------------------------------

// One arc of the store as its chords are made from it.
struct ChordArc {
  double start[3], end[3], centre[3];
  double startRadius = 0, endRadius = 0;
  ArcDescription desc;
  int type = MOVE_ARC_CCW, plane = PLANE_XY;
  long chords = 1;
};

// The arc ending in the register, starting at `from`, with its centre record `offset`.
ChordArc MakeChordArc(const PointRegister& end, const double from[3], const double offset[3],
                      int plane, double tolerance) {
  ChordArc c;
  c.type = end.type;
  c.plane = NormalisePlane(plane);
  const PlaneAxes ax = AxesOfPlane(c.plane);
  for (int a = 0; a < 3; ++a) {
    c.start[a] = from[a];
    c.centre[a] = from[a] + (a == ax.normal ? 0.0 : offset[a]);
  }
  c.end[0] = end.x, c.end[1] = end.y, c.end[2] = end.z;
  c.startRadius = std::hypot(c.start[ax.a] - c.centre[ax.a], c.start[ax.b] - c.centre[ax.b]);
  c.endRadius = std::hypot(c.end[ax.a] - c.centre[ax.a], c.end[ax.b] - c.centre[ax.b]);
  ArcParameters(c.start, c.end, c.centre, c.type, c.plane, c.desc);
  // The tolerance less what storing the points in single precision can move them by.
  double reach = 0;
  for (int a = 0; a < 3; ++a)
    reach = std::max({reach, std::fabs(c.start[a]), std::fabs(c.end[a]), std::fabs(c.centre[a])});
  double t = tolerance - (1e-6 + reach * 2.4e-7);
  if (t < tolerance / 2) t = tolerance / 2;
  const double r = std::max(c.startRadius, c.endRadius);
  const double cosine = r > 0 ? std::clamp((r - t) / r, -1.0, 1.0) : -1.0;
  const double theta = 2.0 * std::acos(cosine) / kDegToRad;
  double steps = c.desc.sweep / theta;
  // One chord per thousandth of a degree is far below any machine's resolution.
  if (!(steps < 360000.0)) steps = 360000.0;
  c.chords = static_cast<long>(steps) + 1;
  return c;
}

void ChordPoint(const ChordArc& c, long j, double out[3]) {
  const double f = static_cast<double>(j) / static_cast<double>(c.chords);
  const PlaneAxes ax = AxesOfPlane(c.plane);
  const double angle = c.type == MOVE_ARC_CW ? c.desc.startAngle - f * c.desc.sweep
                                             : c.desc.startAngle + f * c.desc.sweep;
  const double r = c.startRadius + (c.endRadius - c.startRadius) * f;
  out[ax.a] = c.centre[ax.a] + r * std::cos(angle * kDegToRad);
  out[ax.b] = c.centre[ax.b] + r * std::sin(angle * kDegToRad);
  out[ax.normal] = c.start[ax.normal] + (c.end[ax.normal] - c.start[ax.normal]) * f;
}

// Walks the records that compaction keeps: motion points with the motion point before them,
// an arc with its centre record. `visit(i, from, haveFrom, fromType, centre)` sees record i in
// the register; for an arc `centre` is its centre record (null when it has none), which is
// then not visited on its own.
template <class Visit>
bool WalkMotion(CPointStore& s, std::uint32_t n, Visit visit) {
  double from[3] = {0, 0, 0};
  bool haveFrom = false;
  int fromType = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    const PointRegister point = s.reg;
    PointRegister centre;
    bool haveCentre = false;
    if (IsArcType(point.type) && i + 1 < n && s.FetchPoint(i + 1) && IsPlaneCode(s.reg.type)) {
      centre = s.reg;
      haveCentre = true;
    }
    s.reg = point;
    if (!visit(i, from, haveFrom, fromType, haveCentre ? &centre : nullptr)) return false;
    from[0] = point.x, from[1] = point.y, from[2] = point.z;
    haveFrom = true;
    fromType = point.type;
    if (haveCentre) ++i;
  }
  return true;
}

// ---- Fitting arcs -------------------------------------------------------------------------

// A point of the stretch being fitted.
struct RunPoint {
  std::uint32_t index = 0;  // its record
  double x[3] = {0, 0, 0};  // as stored
  double along = 0;         // length along the cuts from the stretch's first point
  std::int32_t feed = 0, mark = 0;
  // The point as a reader gets it back from the written program, worked out when first needed.
  bool haveRead = false;
  double read[3] = {0, 0, 0};
};

// Sums over points of the in-plane coordinates (a, b), taken from the stretch's origin, and
// of their products up to the third degree: what the least-squares circle needs, for any run
// of points in two subtractions.
struct Moments {
  double n = 0, A = 0, B = 0, AA = 0, AB = 0, BB = 0, AAA = 0, AAB = 0, ABB = 0, BBB = 0;
  void Add(double a, double b) {
    n += 1, A += a, B += b;
    AA += a * a, AB += a * b, BB += b * b;
    AAA += a * a * a, AAB += a * a * b, ABB += a * b * b, BBB += b * b * b;
  }
  Moments operator-(const Moments& o) const {
    Moments m;
    m.n = n - o.n, m.A = A - o.A, m.B = B - o.B, m.AA = AA - o.AA, m.AB = AB - o.AB;
    m.BB = BB - o.BB, m.AAA = AAA - o.AAA, m.AAB = AAB - o.AAB, m.ABB = ABB - o.ABB;
    m.BBB = BBB - o.BBB;
    return m;
  }
};

struct Fit {
  int k = 0;                        // the run P0 .. Pk
  int type = 0;                     // MOVE_ARC_CCW or MOVE_ARC_CW
  double offsetA = 0, offsetB = 0;  // centre minus start, as stored in the centre record
  double deviation = 0;
  double centreA = 0, centreB = 0;  // the fitted centre
};

enum class Verdict { Flat, Ok, Bad };

class PlanePass {
 public:
  PlanePass(CPointStore& store, int plane, const ArcFitOptions& o, double tolerance)
      : s_(store), plane_(plane), ax_(AxesOfPlane(plane)), o_(o), t_(tolerance) {}

  // Called before the first write of the pass: false stops the pass (no memory).
  std::function<bool()> beforeWrite;
  // Called every 101 points walked with the share walked in percent: true stops the pass.
  std::function<bool(double)> progress;

  // False when a record could not be written.
  bool Run();

  std::uint32_t arcs = 0;
  std::uint64_t replaced = 0;
  double maxDeviation = 0;
  bool stopped = false;

 private:
  std::uint32_t Stretch(std::uint32_t first);
  void Push(std::uint32_t index);
  void Fill(std::size_t size);
  void Rebase();
  void Advance(int k);
  bool Search(int kmax, bool checkStored, Fit& best);
  Verdict Classify(int k, const Fit* best, bool checkStored, Fit& out);
  bool Measure(int k, int type, double ca, double cb, bool checkStored, Fit& out);
  double Deviation(const ArcView& v, int k, double stopAbove) const;
  const double* Read(RunPoint& p);
  std::size_t RunEnd(std::size_t most);
  bool Write(const Fit& f);
  bool Tick();

  CPointStore& s_;
  int plane_;
  PlaneAxes ax_;
  const ArcFitOptions& o_;
  double t_;
  bool failed_ = false;

  // The stretch: its first point (a linear cut or an arc end) and the linear cuts after it,
  // read as far as the fits need; pts_[start_] is where the next fit starts.
  std::vector<RunPoint> pts_;
  std::vector<Moments> pre_;  // pre_[i]: sums over pts_[0 .. i)
  double origin_[2] = {0, 0};
  std::size_t start_ = 0;
  std::uint32_t cursor_ = 0;  // next record to read
  bool ended_ = false;
  std::uint64_t walked_ = 0, shown_ = 0;
  // The run from the last start: its start's height and its feed, and how far the points
  // after it keep them (exclusive); `runBroken_` when the point at runEnd_ breaks the run
  // rather than the reading having stopped there.
  bool haveRun_ = false, runBroken_ = false;
  double runHeight_ = 0;
  std::int32_t runFeed_ = 0;
  std::size_t runEnd_ = 0;
};

const double* PlanePass::Read(RunPoint& p) {
  if (!p.haveRead) {
    for (int a = 0; a < 3; ++a) p.read[a] = AsRead(p.x[a]);
    p.haveRead = true;
  }
  return p.read;
}

// The end (exclusive) of the run that starts at pts_[start_]: the points after it that share
// the feed of the first cut (an arc has one feed) and keep within the tolerance of the start's
// height along the plane's normal (the run stops at the first that does not). A start at the
// same height with the same feed as the last one, inside its run, has the same run: the
// points up to its end are not looked at again.
std::size_t PlanePass::RunEnd(std::size_t most) {
  const std::size_t first = start_ + 1;
  const std::size_t limit = std::min(pts_.size(), start_ + most + 1);
  if (first >= pts_.size()) return first;
  const double h = pts_[start_].x[ax_.normal];
  const std::int32_t feed = pts_[first].feed;
  if (!(haveRun_ && h == runHeight_ && feed == runFeed_ && first <= runEnd_)) {
    haveRun_ = true, runBroken_ = false;
    runHeight_ = h, runFeed_ = feed, runEnd_ = first;
  }
  while (!runBroken_ && runEnd_ < limit) {
    const RunPoint& p = pts_[runEnd_];
    if (p.feed != feed || std::fabs(p.x[ax_.normal] - h) > t_) {
      runBroken_ = true;
      break;
    }
    ++runEnd_;
  }
  return std::min(runEnd_, limit);
}

bool PlanePass::Tick() {
  if (!progress || walked_ / 101 == shown_) return false;
  shown_ = walked_ / 101;
  const double at = pts_.empty() ? cursor_ : pts_[start_].index;
  return progress(s_.count ? 100.0 * at / s_.count : 100.0);
}

bool PlanePass::Run() {
  std::uint32_t i = 0;
  while (i < s_.count && !stopped && !failed_) {
    if (!s_.FetchPoint(i) || !IsMotionType(s_.reg.type) || IsRapidType(s_.reg.type)) {
      ++i;
      if (IsMotionType(s_.reg.type)) ++walked_;
      if (Tick()) stopped = true;
      continue;
    }
    i = Stretch(i);
  }
  return !failed_;
}

void PlanePass::Push(std::uint32_t index) {
  RunPoint p;
  p.index = index;
  p.x[0] = s_.reg.x, p.x[1] = s_.reg.y, p.x[2] = s_.reg.z;
  p.feed = s_.reg.feed, p.mark = s_.reg.mark;
  if (!pts_.empty()) {
    const RunPoint& q = pts_.back();
    p.along = q.along + std::sqrt((p.x[0] - q.x[0]) * (p.x[0] - q.x[0]) +
                                  (p.x[1] - q.x[1]) * (p.x[1] - q.x[1]) +
                                  (p.x[2] - q.x[2]) * (p.x[2] - q.x[2]));
  }
  Moments m = pre_.back();
  m.Add(p.x[ax_.a] - origin_[0], p.x[ax_.b] - origin_[1]);
  pts_.push_back(p);
  pre_.push_back(m);
}

// Reads linear cuts of the stretch until pts_ holds `size` points or the stretch ends at a
// motion point that is no linear cut (the cursor then stays on it) or at the end of the store.
void PlanePass::Fill(std::size_t size) {
  while (pts_.size() < size && !ended_) {
    while (cursor_ < s_.count && !(s_.FetchPoint(cursor_) && IsMotionType(s_.reg.type))) ++cursor_;
    if (cursor_ >= s_.count || !IsLinearType(s_.reg.type)) {
      ended_ = true;
      return;
    }
    Push(cursor_++);
  }
}

// The sums are taken from an origin near the points so that they keep their precision: when
// the fits have moved far into a long stretch, the points behind go and the origin moves up.
void PlanePass::Rebase() {
  if (start_ < 4096 || start_ * 2 < pts_.size()) return;
  pts_.erase(pts_.begin(), pts_.begin() + static_cast<std::ptrdiff_t>(start_));
  runEnd_ = runEnd_ > start_ ? runEnd_ - start_ : 0;
  start_ = 0;
  origin_[0] = pts_[0].x[ax_.a];
  origin_[1] = pts_[0].x[ax_.b];
  pre_.assign(1, Moments{});
  for (const RunPoint& p : pts_) {
    Moments m = pre_.back();
    m.Add(p.x[ax_.a] - origin_[0], p.x[ax_.b] - origin_[1]);
    pre_.push_back(m);
  }
}

void PlanePass::Advance(int k) {
  start_ += static_cast<std::size_t>(k);
  walked_ += static_cast<std::uint64_t>(k);
  if (Tick()) stopped = true;
  Rebase();
}

std::uint32_t PlanePass::Stretch(std::uint32_t first) {
  pts_.clear();
  pre_.assign(1, Moments{});
  start_ = 0;
  s_.FetchPoint(first);
  origin_[0] = ax_.a == 0 ? s_.reg.x : ax_.a == 1 ? s_.reg.y : s_.reg.z;
  origin_[1] = ax_.b == 0 ? s_.reg.x : ax_.b == 1 ? s_.reg.y : s_.reg.z;
  Push(first);
  cursor_ = first + 1;
  ended_ = false;
  const std::size_t most = static_cast<std::size_t>(o_.maxPoints);
  haveRun_ = false;
  while (!stopped && !failed_) {
    Fill(start_ + most + 1);
    if (pts_.size() - 1 - start_ < 3) break;  // no run of more than 3 points is left
    // A run of 3 points or fewer is never replaced.
    const std::size_t avail = RunEnd(most) - 1 - start_;
    if (avail < 3) {
      Advance(1);
      continue;
    }
    const int kmax = static_cast<int>(std::min(avail, most));
    // The search judges the arcs as read back; the arc it keeps is judged as stored too
    // (its centre lies within a rounding of the read one, so that seldom fails; when it does
    // the search runs again judging every arc both ways).
    Fit fit;
    bool found = Search(kmax, false, fit);
    if (found && !Measure(fit.k, fit.type, fit.centreA, fit.centreB, true, fit))
      found = Search(kmax, true, fit);
    if (found) {
      if (!Write(fit)) break;
      Advance(fit.k);
    } else {
      Advance(1);
    }
  }
  walked_ += pts_.size() - start_;
  return cursor_;
}

// Arcs are fitted from the run's first point to ever further end points: the span doubles
// while the fits hold, then halves back to the longest one that holds. A fit that stays
// within the tolerance of its chord is flat: no arc yet, but a longer span may bend enough.
// Once an arc has held, a flat or failing span, or one turning the other way, ends the search.
bool PlanePass::Search(int kmax, bool checkStored, Fit& best) {
  bool have = false;
  int good = 2, bad = kmax + 1;
  for (int k = 3;;) {
    Fit f;
    const Verdict v = Classify(k, have ? &best : nullptr, checkStored, f);
    if (v == Verdict::Bad) {
      bad = k;
      break;
    }
    good = k;
    if (v == Verdict::Ok) best = f, have = true;
    if (k == kmax) break;
    k = std::min(kmax, 2 * k);
  }
  while (bad - good > 1) {
    const int mid = good + (bad - good) / 2;
    Fit f;
    const Verdict v = Classify(mid, have ? &best : nullptr, checkStored, f);
    if (v == Verdict::Bad) {
      bad = mid;
    } else {
      good = mid;
      if (v == Verdict::Ok) best = f, have = true;
    }
  }
  return have;
}

// The circle through the run's first and last points that fits the points between best in
// the least-squares sense (of the algebraic distance |P - C|^2 - R^2, which makes the centre's
// place along the chord's perpendicular bisector one division of sums), judged first by what
// the sums tell and then point by point.
Verdict PlanePass::Classify(int k, const Fit* best, bool checkStored, Fit& out) {
  const Verdict soft = best ? Verdict::Bad : Verdict::Flat;
  const RunPoint& p0 = pts_[start_];
  const RunPoint& pk = pts_[start_ + static_cast<std::size_t>(k)];
  const double ea = pk.x[ax_.a] - p0.x[ax_.a], eb = pk.x[ax_.b] - p0.x[ax_.b];
  const double L2 = ea * ea + eb * eb;
  const double L = std::sqrt(L2);
  if (L < kMinChord) return soft;

  // The points' sums taken from P0.
  const Moments m = pre_[start_ + static_cast<std::size_t>(k) + 1] - pre_[start_];
  const double a0 = p0.x[ax_.a] - origin_[0], b0 = p0.x[ax_.b] - origin_[1];
  const double n = m.n;
  const double Sa = m.A - n * a0, Sb = m.B - n * b0;
  const double Saa = m.AA - 2 * a0 * m.A + n * a0 * a0;
  const double Sbb = m.BB - 2 * b0 * m.B + n * b0 * b0;
  const double Sab = m.AB - b0 * m.A - a0 * m.B + n * a0 * b0;
  const double Saaa = m.AAA - 3 * a0 * m.AA + 3 * a0 * a0 * m.A - n * a0 * a0 * a0;
  const double Sbbb = m.BBB - 3 * b0 * m.BB + 3 * b0 * b0 * m.B - n * b0 * b0 * b0;
  const double Sabb =
      m.ABB - a0 * m.BB - 2 * b0 * m.AB + 2 * a0 * b0 * m.B + b0 * b0 * m.A - n * a0 * b0 * b0;
  const double Saab =
      m.AAB - b0 * m.AA - 2 * a0 * m.AB + 2 * a0 * b0 * m.A + a0 * a0 * m.B - n * a0 * a0 * b0;
  const double Sra = Saaa + Sabb, Srb = Saab + Sbbb;

  // With p the offset of a point from the chord along its left normal and q its algebraic
  // distance from the chord's circle of diameter L, the centre lies s = sum(q p) / 2 sum(p^2)
  // along the normal from the chord's middle.
  const double den = eb * eb * Saa - 2 * ea * eb * Sab + ea * ea * Sbb;  // L^2 sum(p^2)
  if (!(den > 1e-24 * L2 * L2)) return soft;                             // no bulge at all
  const double num = -eb * Sra + ea * Srb + ea * eb * (Saa - Sbb) + (eb * eb - ea * ea) * Sab;
  const double sStar = num * L / (2 * den);
  const double sideSum = -eb * Sa + ea * Sb;  // L sum(p): the side the points bulge to
  // An arc turning counter-clockwise bulges to the right of its chord.
  const int type = sideSum < 0 ? MOVE_ARC_CCW : MOVE_ARC_CW;
  if (best && type != best->type) return Verdict::Bad;
  const double ca = ea / 2 - sStar * eb / L, cb = eb / 2 + sStar * ea / L;
  const double R = Len(L / 2, sStar);
  if (!(R < o_.maxRadius)) return soft;
  // The arc is the shorter way round (its sweep at most half a turn) when its centre lies on
  // the side of the chord it turns towards: left of it for an arc turning counter-clockwise.
  const bool minor = (type == MOVE_ARC_CCW) == (sStar >= 0);
  const double sagitta = minor ? R - std::fabs(sStar) : R + std::fabs(sStar);
  // An arc that keeps within the tolerance of its chord is a straight cut to the tolerance:
  // straight runs with rounding noise are never made huge arcs.
  if (!(sagitta > t_)) return soft;
  if (!(R > o_.minRadius)) return Verdict::Bad;
  const ArcView v = MakeView(0, 0, 0, ea, eb, ca, cb, type == MOVE_ARC_CCW ? 1 : -1);
  if (v.sweep > kMaxSweep) return Verdict::Bad;
  const double length = pk.along - p0.along, arcLength = R * v.sweep;
  if (!(arcLength >= 0.5 * length && arcLength <= 2.0 * length)) return Verdict::Bad;
  return Measure(k, type, p0.x[ax_.a] + ca, p0.x[ax_.b] + cb, checkStored, out) ? Verdict::Ok
                                                                                : Verdict::Bad;
}

// The arc is judged twice: as the store holds it (start as stored, centre at the stored
// offsets from it) and as the ISO writer writes it with I/J/K and three decimals and a reader
// takes it back (start, end and offsets rounded as written, stored in single precision). The
// offsets lie on the grid of the written thousandths around the fitted centre; which of them
// are tried is said below.
bool PlanePass::Measure(int k, int type, double ca, double cb, bool checkStored, Fit& out) {
  RunPoint& p0 = pts_[start_];
  RunPoint& pk = pts_[start_ + static_cast<std::size_t>(k)];
  const double dir = type == MOVE_ARC_CCW ? 1 : -1;
  const double sa = p0.x[ax_.a], sb = p0.x[ax_.b], sh = p0.x[ax_.normal];
  const double ea = pk.x[ax_.a], eb = pk.x[ax_.b];
  // The end as written lies at the start's height: its own height is not written.
  const double* rs = Read(p0);
  const double* re = Read(pk);
  const double rsa = rs[ax_.a], rsb = rs[ax_.b], rsh = rs[ax_.normal];
  const double rea = re[ax_.a], reb = re[ax_.b];
  if (Len(rea - rsa, reb - rsb) < kMinChord) return false;
  const double limit = t_ - 1e-6;
  const double length = pk.along - p0.along;
  // The checks that need no walk: the radius at the start agrees with the one at the end,
  // the radius lies inside the bounds, the arc turns no more than the largest sweep and its
  // length is between half and twice the length of the cuts it replaces.
  auto acceptable = [&](const ArcView& v) {
    if (std::fabs(v.rs - v.re) > 0.01) return false;
    if (!(v.re > o_.minRadius && v.re < o_.maxRadius)) return false;
    if (v.sweep > kMaxSweep || v.sweep <= 0) return false;
    const double arcLength = v.re * v.sweep;
    return arcLength >= 0.5 * length && arcLength <= 2.0 * length;
  };
  // The deviation as read back (infinity beyond `stopAbove`), and, only when that is within
  // the limit, the larger of it and the deviation as stored.
  auto judge = [&](double oa, double ob, double stopAbove) {
    const float fa = static_cast<float>(oa), fb = static_cast<float>(ob);
    // A reader finds no offset word below a thousandth.
    const double ra = std::fabs(fa) < 0.001 ? 0.0 : AsRead(fa);
    const double rb = std::fabs(fb) < 0.001 ? 0.0 : AsRead(fb);
    const ArcView read = MakeView(rsa, rsb, rsh, rea, reb, rsa + ra, rsb + rb, dir);
    if (!acceptable(read)) return kInfinity;
    const double asRead = Deviation(read, k, stopAbove);
    if (!(asRead <= limit) || !checkStored) return asRead;
    const ArcView stored = MakeView(sa, sb, sh, ea, eb, sa + fa, sb + fb, dir);
    if (!acceptable(stored)) return kInfinity;
    return std::max(asRead, Deviation(stored, k, limit));
  };
  double bestA = std::nearbyint((ca - rsa) * 1000.0) / 1000.0;
  double bestB = std::nearbyint((cb - rsb) * 1000.0) / 1000.0;
  double bestDev = kInfinity;
  if (!checkStored) {
    // While searching: the offsets nearest the fitted centre, and when rounding takes them
    // just beyond the limit, the first neighbour on the grid that holds.
    bestDev = judge(bestA, bestB, limit + 0.0025);
    if (bestDev > limit && bestDev <= limit + 0.0025) {
      const double oa = bestA, ob = bestB;
      for (int n = 0; n < 9 && !(bestDev <= limit); ++n) {
        if (n == 4) continue;
        const double na = oa + (n % 3 - 1) * 0.001, nb = ob + (n / 3 - 1) * 0.001;
        const double d = judge(na, nb, limit);
        if (d <= limit) bestDev = d, bestA = na, bestB = nb;
      }
    }
  } else {
    // The arc that is kept: of the nine offsets around the fitted centre, the one whose
    // radius at the start agrees best with the radius at the end as read back (a control
    // checks that they agree), the first of them that holds the tolerance.
    struct Option {
      double a, b, mismatch;
    };
    Option options[9];
    for (int n = 0; n < 9; ++n) {
      Option& o = options[n];
      o.a = bestA + (n % 3 - 1) * 0.001;
      o.b = bestB + (n / 3 - 1) * 0.001;
      const float fa = static_cast<float>(o.a), fb = static_cast<float>(o.b);
      const double ra = std::fabs(fa) < 0.001 ? 0.0 : AsRead(fa);
      const double rb = std::fabs(fb) < 0.001 ? 0.0 : AsRead(fb);
      const double cra = rsa + ra, crb = rsb + rb;
      o.mismatch = std::fabs(Len(rsa - cra, rsb - crb) - Len(rea - cra, reb - crb));
    }
    std::stable_sort(options, options + 9,
                     [](const Option& x, const Option& y) { return x.mismatch < y.mismatch; });
    for (const Option& o : options) {
      const double d = judge(o.a, o.b, limit);
      if (d <= limit) {
        bestDev = d, bestA = o.a, bestB = o.b;
        break;
      }
    }
  }
  if (!(bestDev <= limit)) return false;
  out.k = k;
  out.type = type;
  out.offsetA = bestA;
  out.offsetB = bestB;
  out.deviation = bestDev;
  out.centreA = ca;
  out.centreB = cb;
  return true;
}

// The largest distance of the run's points P0 .. Pk, and of the cuts between them, from the
// arc: in the plane from the circle (for a start radius other than the end radius both the
// circle of the end radius and the radius changing evenly along the arc, as readers differ),
// along the normal from the arc's plane; a point before the start or beyond the end from that
// end. The points must go round the arc in its direction (back by no more than the tolerance)
// and no cut may turn a quarter of a circle. Stops with infinity once beyond `stopAbove`.
double PlanePass::Deviation(const ArcView& v, int k, double stopAbove) const {
  // Every point after the start must lie within `stopAbove` of the circle of the end radius.
  // A fit that fails usually fails at the points it reached last: the last few are looked at
  // first, from the end back, and the others in the walk below.
  const int lookFirst = std::max(k - 8, 0);
  for (int j = k; j > lookFirst; --j) {
    const RunPoint& p = pts_[start_ + static_cast<std::size_t>(j)];
    if (!(std::fabs(Len(p.x[ax_.a] - v.ca, p.x[ax_.b] - v.cb) - v.re) <= stopAbove))
      return kInfinity;
  }
  const double sx = v.sa - v.ca, sy = v.sb - v.cb;
  double worst = 0, furthest = -kInfinity;
  ArcWalkPoint prev;
  for (int j = 0; j <= k; ++j) {
    const RunPoint& p = pts_[start_ + static_cast<std::size_t>(j)];
    const double va = p.x[ax_.a] - v.ca, vb = p.x[ax_.b] - v.cb;
    const double rho = Len(va, vb);
    if (j > 0 && j <= lookFirst && !(std::fabs(rho - v.re) <= stopAbove)) return kInfinity;
    // How far round the arc the point lies: the first from the start, each further one by
    // the turn from the point before (less than a quarter of a circle, see below).
    double phi;
    if (j == 0) {
      phi = v.dir * std::atan2(sx * vb - sy * va, sx * va + sy * vb);
    } else {
      const double dot = prev.a * va + prev.b * vb;
      if (dot <= 0) return kInfinity;  // a cut turning a quarter of a circle or more
      phi = prev.phi + v.dir * TurnAngle(prev.a * vb - prev.b * va, dot);
    }
    if (phi < furthest - t_ / std::max(rho, 1e-9)) return kInfinity;  // goes back
    furthest = std::max(furthest, phi);
    const double dh = p.x[ax_.normal] - v.sh;
    double radial;
    if (phi >= 0 && phi <= v.sweep) {
      const double f = v.sweep > 0 ? phi / v.sweep : 0;
      radial = std::max(std::fabs(rho - v.re), std::fabs(rho - (v.rs + (v.re - v.rs) * f)));
    } else {
      const double ta = phi < 0 ? v.sa : v.ea, tb = phi < 0 ? v.sb : v.eb;
      radial = Len(p.x[ax_.a] - ta, p.x[ax_.b] - tb);
    }
    const ArcWalkPoint cur{va, vb, phi, radial, dh};
    double dev = Len(radial, dh);
    if (j > 0) {
      // The cut from the point before, against the end radius or, within the sweep, the
      // radius changing evenly along the arc where that is larger.
      dev = std::max(dev, CutSag(prev, cur, [&v](double phiU) {
                       double rRef = v.re;
                       if (phiU >= 0 && phiU <= v.sweep && v.sweep > 0)
                         rRef = std::max(rRef, v.rs + (v.re - v.rs) * (phiU / v.sweep));
                       return rRef;
                     }));
    }
    worst = std::max(worst, dev);
    if (!(worst <= stopAbove)) return kInfinity;
    prev = cur;
  }
  return worst;
}

// The arc takes the records of the run: the point after the first becomes the arc's end
// point, the point after it the centre record (the record right after the arc's, whatever it
// held), the others are removed.
bool PlanePass::Write(const Fit& f) {
  if (beforeWrite && !beforeWrite()) {
    failed_ = true;
    return false;
  }
  const RunPoint& p0 = pts_[start_];
  const RunPoint& p1 = pts_[start_ + 1];
  RunPoint& pk = pts_[start_ + static_cast<std::size_t>(f.k)];
  PointRegister& r = s_.reg;
  r = PointRegister{};
  r.x = pk.x[0], r.y = pk.x[1], r.z = pk.x[2];
  double* end[3] = {&r.x, &r.y, &r.z};
  *end[ax_.normal] = p0.x[ax_.normal];  // the arc lies in its plane at its start's height
  r.type = f.type;
  r.feed = p1.feed;
  r.mark = p1.mark;
  r.plane = plane_;
  const double endAt[3] = {r.x, r.y, r.z};
  bool ok = s_.StorePoint(p1.index) != 0;
  double offset[3] = {0, 0, 0};
  offset[ax_.a] = f.offsetA;
  offset[ax_.b] = f.offsetB;
  r.x = offset[0], r.y = offset[1], r.z = offset[2];
  r.type = plane_;
  ok = ok && s_.StorePoint(p1.index + 1);
  for (int j = 2; j <= f.k && ok; ++j) {
    const std::uint32_t i = pts_[start_ + static_cast<std::size_t>(j)].index;
    if (i == p1.index + 1 || !s_.FetchPoint(i)) continue;
    s_.reg.type = MOVE_NONE;
    ok = s_.StorePoint(i) != 0;
  }
  if (!ok) {
    failed_ = true;
    return false;
  }
  // The next run starts at the arc's end.
  pk.index = p1.index;
  for (int a = 0; a < 3; ++a) pk.x[a] = endAt[a];
  pk.haveRead = false;
  ++arcs;
  replaced += static_cast<std::uint64_t>(f.k);
  maxDeviation = std::max(maxDeviation, f.deviation);
  return true;
}

Outcome CheckOptions(const ArcFitOptions& o) {
  if (!kArcToleranceRange.Contains(o.tolerance))
    return Outcome::Failed(OutcomeCode::Refused, "the tolerance must lie above 0 and up to 10");
  if (!kArcPointsRange.Contains(o.maxPoints))
    return Outcome::Failed(OutcomeCode::Refused, "the points must lie in 3 to 100000");
  if (!kArcRadiusRange.Contains(o.minRadius) || !kArcRadiusRange.Contains(o.maxRadius) ||
      !(o.minRadius < o.maxRadius))
    return Outcome::Failed(OutcomeCode::Refused,
                           "the radii must lie in 0 to 100000, the smallest below the largest");
  if (o.prefilter && !kFilterToleranceRange.Contains(o.prefilterTolerance))
    return Outcome::Failed(OutcomeCode::Refused,
                           "the filter tolerance must lie above 0 and up to 1000");
  return Outcome::Done();
}

}  // namespace

Outcome ArcsToLines(EditContext& ctx, double tolerance, ArcFitSummary* summary) {
  if (!kArcToleranceRange.Contains(tolerance))
    return Outcome::Failed(OutcomeCode::Refused, "the tolerance must lie above 0 and up to 10");
  CPointStore& s = ctx.store;
  const std::uint32_t n = s.count;
  if (n == 0) return Outcome::Unchanged("the toolpath is empty");
  std::uint64_t total = n, arcs = 0;
  WalkMotion(
      s, n, [&](std::uint32_t, const double from[3], bool haveFrom, int, const PointRegister* c) {
        if (IsArcType(s.reg.type) && haveFrom && c) {
          const double off[3] = {c->x, c->y, c->z};
          total +=
              static_cast<std::uint64_t>(MakeChordArc(s.reg, from, off, c->type, tolerance).chords);
          ++arcs;
        } else {
          total += c ? 2 : 1;
        }
        return total <= CPointStore::kCapacity;
      });
  if (arcs == 0) return Outcome::Unchanged("the toolpath has no arc");
  CommandFrame frame(ctx);
  if (total > CPointStore::kCapacity || !frame.Reserve(total))
    return Outcome::Failed(OutcomeCode::NoMemory, "the chords do not fit into the point store");
  frame.SaveUndo(Txt::CmdArcConvert);
  const bool ok = WalkMotion(s, n,
                             [&](std::uint32_t, const double from[3], bool haveFrom, int fromType,
                                 const PointRegister* c) {
                               if (!(IsArcType(s.reg.type) && haveFrom && c)) {
                                 // An arc without a centre record, or one with nothing before it,
                                 // goes to its end as a straight cut, as the writer writes it.
                                 if (IsArcType(s.reg.type)) s.reg.type = MOVE_LINE_CONT;
                                 return frame.Append();
                               }
                               const PointRegister end = s.reg;
                               const double off[3] = {c->x, c->y, c->z};
                               const ChordArc arc =
                                   MakeChordArc(end, from, off, c->type, tolerance);
                               int type = IsRapidType(fromType) ? MOVE_LINE : MOVE_LINE_CONT;
                               for (long j = 1; j <= arc.chords; ++j) {
                                 double p[3];
                                 if (j < arc.chords) {
                                   ChordPoint(arc, j, p);
                                 } else {
                                   p[0] = end.x, p[1] = end.y, p[2] = end.z;
                                 }
                                 s.reg = end;
                                 s.reg.x = p[0], s.reg.y = p[1], s.reg.z = p[2];
                                 s.reg.type = type;
                                 if (!frame.Append()) return false;
                                 type = MOVE_LINE_CONT;
                               }
                               return true;
                             });
  if (!ok) return frame.Rollback("no memory to turn the arcs into linear cuts");
  frame.RemoveOriginal();
  frame.Regenerate();
  frame.Compact();
  frame.Finish();
  if (summary) {
    summary->pointsBefore = n;
    summary->pointsAfter = s.count;
    summary->arcs = static_cast<std::uint32_t>(arcs);
  }
  return Outcome::Done();
}

Outcome FitArcs(EditContext& ctx, const ArcFitOptions& o, ArcFitSummary* summary) {
  if (Outcome checked = CheckOptions(o); !checked) return checked;
  if (!o.xy && !o.zx && !o.yz) return Outcome::Unchanged("no plane is chosen");
  CPointStore& s = ctx.store;
  const std::uint32_t before = s.count;
  if (before == 0) return Outcome::Unchanged("the toolpath is empty");

  // The snapshot is taken before the first change, so that a toolpath with nothing to
  // convert is left as it was, without one.
  CommandFrame frame(ctx);
  bool changed = false;
  auto change = [&] {
    if (!changed) frame.SaveUndo(Txt::CmdArcConvert);
    changed = true;
    return true;
  };
  if (o.prefilter) {
    const std::vector<std::uint32_t> removed =
        LinearFilterRemovals(s, FilterTolerance(o.prefilterTolerance));
    if (!removed.empty()) {
      change();
      if (!MarkRecordsRemoved(s, removed))
        return frame.Rollback("no memory to filter the toolpath");
      frame.Compact();
      frame.Regenerate();
    }
  }

  const Messages& msg = ctx.msg;
  ArcFitSummary sum;
  struct Plane {
    bool on;
    int code;
    Txt text;
  };
  const Plane planes[3] = {{o.xy, PLANE_XY, Txt::XyPlaneProcessing},
                           {o.zx, PLANE_ZX, Txt::ZxPlaneProcessing},
                           {o.yz, PLANE_YZ, Txt::YzPlaneProcessing}};
  for (const Plane& p : planes) {
    if (!p.on || sum.stopped) continue;
    if (changed) frame.Compact();
    PlanePass pass(s, p.code, o, o.tolerance);
    pass.beforeWrite = change;
    pass.progress = [&msg, &p](double percent) {
      char line[120];
      std::snprintf(line, sizeof line, msg.Text(p.text), percent);
      msg.Help(line);
      return msg.platform().EscapePressed();
    };
    if (!pass.Run()) return frame.Rollback("no memory to fit arcs");
    sum.arcs += pass.arcs;
    sum.replaced += pass.replaced;
    sum.maxDeviation = std::max(sum.maxDeviation, pass.maxDeviation);
    sum.stopped = pass.stopped;
  }
  msg.Help(HelpPaneText("", msg.language()));
  if (changed) {
    frame.Compact();
    frame.Regenerate();
    frame.Compact();
    frame.Finish();
  }
  sum.pointsBefore = before;
  sum.pointsAfter = s.count;
  if (summary) *summary = sum;
  if (sum.stopped) return Outcome::Cancelled("stopped by Escape; the arcs fitted so far are kept");
  if (!changed) return Outcome::Unchanged("no run of linear cuts fits an arc within the tolerance");
  return Outcome::Done();
}

}  // namespace trevalon
