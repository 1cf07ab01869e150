#include "model/machine_time.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <vector>

#include "model/geometry.h"

namespace trevalon {

namespace {

constexpr double kUnlimited = std::numeric_limits<double>::infinity();
// Direction components below this count as no component: no axis limit applies to them.
constexpr double kNoComponent = 1e-12;
// Junctions whose directions agree (or are opposed) this closely are straight (a reversal).
constexpr double kStraight = 0.999999;

// The largest s for which s * |u[k]| <= limit[k] on every axis: an axis limit projected onto
// the direction u (a unit vector).
double Projected(const double limit[3], const double u[3]) {
  double s = kUnlimited;
  for (int k = 0; k < 3; ++k) {
    const double c = std::fabs(u[k]);
    if (c > kNoComponent) s = std::min(s, limit[k] / c);
  }
  return s;
}

// One block as the plan sees it: its length, the directions it starts and ends in, the
// highest speed its axes allow, its acceleration, and for arcs the centripetal speed limit.
struct Move {
  double length = 0;
  double in[3] = {0, 0, 0}, out[3] = {0, 0, 0};
  double axisSpeed = kUnlimited;   // mm/s
  double accel = kUnlimited;       // mm/s^2
  double curveSpeed = kUnlimited;  // mm/s
};

void StraightMove(const double p[3], const double q[3], const double rate[3], const double accel[3],
                  Move& m) {
  const double d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
  m.length = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (m.length == 0) return;
  for (int k = 0; k < 3; ++k) m.in[k] = m.out[k] = d[k] / m.length;
  m.axisSpeed = Projected(rate, m.in);
  m.accel = Projected(accel, m.in);
}

// The arc from p to q whose end point is the register's record i (type `type`), when record
// i + 1 is its centre record. False for an arc the plan takes as a straight move: no centre
// record, or a start or end point on the centre.
bool ArcMove(CPointStore& store, std::uint32_t i, const double p[3], const double q[3], int type,
             const double rate[3], const double accel[3], Move& m) {
  if (!store.FetchPoint(i + 1) || !IsPlaneCode(store.reg.type)) return false;
  const int plane = NormalisePlane(store.reg.type);
  const double offset[3] = {store.reg.x, store.reg.y, store.reg.z};
  const PlaneAxes ax = AxesOfPlane(plane);
  double c[3];
  for (int k = 0; k < 3; ++k) c[k] = p[k] + (k == ax.normal ? 0.0 : offset[k]);
  const double sa = p[ax.a] - c[ax.a], sb = p[ax.b] - c[ax.b];
  const double ea = q[ax.a] - c[ax.a], eb = q[ax.b] - c[ax.b];
  const double rs = std::hypot(sa, sb), re = std::hypot(ea, eb);
  if (rs < 1e-6 || re < 1e-6) return false;
  ArcDescription arc;
  ArcParameters(p, q, c, type, plane, arc);
  const double r = 0.5 * (rs + re);
  const double turn = arc.sweep * std::numbers::pi / 180.0 * r;
  const double rise = q[ax.normal] - p[ax.normal];
  m.length = FlooredSqrt(turn * turn + rise * rise);
  if (m.length == 0) return true;
  const double along = turn / m.length, up = rise / m.length;
  // The in-plane tangent turns the radius a quarter turn: towards growing angles (from +a to
  // +b) on a counter-clockwise arc, the other way on a clockwise one.
  const double turnSign = type == MOVE_ARC_CW ? -1.0 : 1.0;
  m.in[ax.a] = -turnSign * sb / rs * along;
  m.in[ax.b] = turnSign * sa / rs * along;
  m.in[ax.normal] = up;
  m.out[ax.a] = -turnSign * eb / re * along;
  m.out[ax.b] = turnSign * ea / re * along;
  m.out[ax.normal] = up;
  // The in-plane direction takes every value on the way, so the weaker in-plane axis holds
  // for the whole arc; the helix's rise is constant.
  const double planeRate = std::min(rate[ax.a], rate[ax.b]);
  const double planeAccel = std::min(accel[ax.a], accel[ax.b]);
  const double s[3] = {along, std::fabs(up), 0.0};
  const double rates[3] = {planeRate, rate[ax.normal], kUnlimited};
  const double accels[3] = {planeAccel, accel[ax.normal], kUnlimited};
  m.axisSpeed = Projected(rates, s);
  m.accel = Projected(accels, s);
  // Centripetal: the in-plane speed v * along on the circle of radius r.
  m.curveSpeed = std::sqrt(planeAccel * r) / std::max(along, kNoComponent);
  return true;
}

// The time of one block: from speed vin to vout over `length` with acceleration a and the
// cruise speed vmax; a trapezoid, or a triangle when vmax is not reached. The passes make
// the two end speeds reachable from each other within the length.
double BlockSeconds(double length, double a, double vmax, double vin, double vout) {
  vin = std::min(vin, vmax);
  vout = std::min(vout, vmax);
  const double peak2 = a * length + 0.5 * (vin * vin + vout * vout);
  if (peak2 <= vmax * vmax) return (2.0 * std::sqrt(peak2) - vin - vout) / a;
  const double ramps = (2.0 * vmax * vmax - vin * vin - vout * vout) / (2.0 * a);
  return (2.0 * vmax - vin - vout) / a + (length - ramps) / vmax;
}

class Planner {
 public:
  explicit Planner(const MachineLimits& m) : limits_(m) {}

  // A block that moves: joined to the run before unless the kind of motion changes.
  void Add(bool rapid, const Move& m, double speed) {
    if (!run_.empty() && rapid != runRapid_) Stop();
    double vmax = std::min(speed, m.curveSpeed);
    if (limits_.blockTime > 0) vmax = std::min(vmax, m.length / limits_.blockTime);
    double entry2 = 0;  // a run starts from a stop
    if (!run_.empty()) {
      entry2 = std::min({JunctionSpeed2(lastOut_, m.in), vmax * vmax, lastVmax_ * lastVmax_});
    }
    run_.push_back(Segment{static_cast<float>(m.length), static_cast<float>(m.accel),
                           static_cast<float>(vmax), static_cast<float>(entry2)});
    runRapid_ = rapid;
    lastVmax_ = vmax;
    std::copy(m.out, m.out + 3, lastOut_);
  }

  // A block that does not move (or cannot be timed): the block time.
  void Idle(bool rapid) {
    total_ += limits_.blockTime;
    if (rapid) rapid_ += limits_.blockTime;
  }

  // The machine stops: the run so far is planned and timed.
  void Stop() {
    const std::size_t n = run_.size();
    if (n == 0) return;
    // Backward: every entry speed low enough to brake down to the stop at the run's end.
    double next2 = 0;
    for (std::size_t k = n; k-- > 0;) {
      Segment& s = run_[k];
      const double e2 = std::min(static_cast<double>(s.entry2),
                                 next2 + 2.0 * static_cast<double>(s.accel) * s.length);
      s.entry2 = static_cast<float>(e2);
      next2 = e2;
    }
    // Forward: each block leaves at what it can reach and what the next one allows.
    double seconds = 0, in2 = 0;
    for (std::size_t k = 0; k < n; ++k) {
      const Segment& s = run_[k];
      const double a = s.accel, len = s.length;
      in2 = std::min(in2, static_cast<double>(s.entry2));
      const double next = k + 1 < n ? static_cast<double>(run_[k + 1].entry2) : 0.0;
      const double out2 = std::min(next, in2 + 2.0 * a * len);
      const double t = BlockSeconds(len, a, s.vmax, std::sqrt(in2), std::sqrt(out2));
      seconds += std::max(t, limits_.blockTime);
      in2 = out2;
    }
    total_ += seconds;
    if (runRapid_) rapid_ += seconds;
    run_.clear();
  }

  double TotalSeconds() const { return total_; }
  double RapidSeconds() const { return rapid_; }

 private:
  // The plan keeps four single-precision values per block, so that the longest toolpath the
  // store holds fits in memory beside it.
  struct Segment {
    float length, accel, vmax;
    float entry2;  // the junction's limit (speed squared), then the planned entry speed
  };

  // The junction deviation rule between a block that ends in direction e and one that starts
  // in direction s (unit vectors): the speed squared through the corner.
  double JunctionSpeed2(const double e[3], const double s[3]) const {
    const double dot = e[0] * s[0] + e[1] * s[1] + e[2] * s[2];
    if (dot >= kStraight) return kUnlimited;
    if (dot <= -kStraight) return 0.0;
    const double sinHalf = std::sqrt(0.5 * (1.0 + dot));
    const double len = std::sqrt(2.0 - 2.0 * dot);
    const double change[3] = {(s[0] - e[0]) / len, (s[1] - e[1]) / len, (s[2] - e[2]) / len};
    const double a = Projected(limits_.accel, change);
    return a * limits_.junctionDeviation * sinHalf / (1.0 - sinHalf);
  }

  const MachineLimits& limits_;
  std::vector<Segment> run_;
  bool runRapid_ = false;
  double lastOut_[3] = {0, 0, 0};
  double lastVmax_ = 0;
  double total_ = 0, rapid_ = 0;
};

}  // namespace

MachineTime EstimateMachineTime(CPointStore& store, const MachineLimits& limits) {
  double rate[3];
  for (int k = 0; k < 3; ++k) rate[k] = limits.rapid[k] / 60.0;
  Planner plan(limits);
  PointRegister& reg = store.reg;
  bool standing = false;  // the machine's position is known
  double p[3] = {0, 0, 0};
  try {
    for (std::uint32_t i = 0; i < store.count; ++i) {
      if (!store.FetchPoint(i) || !IsMotionType(reg.type)) continue;
      const int type = reg.type, feed = reg.feed;
      const double q[3] = {reg.x, reg.y, reg.z};
      if (!standing) {
        std::copy(q, q + 3, p);
        standing = true;
        continue;
      }
      const bool rapid = IsRapidType(type);
      Move m;
      if (!IsArcType(type) || !ArcMove(store, i, p, q, type, rate, limits.accel, m))
        StraightMove(p, q, rate, limits.accel, m);
      std::copy(q, q + 3, p);
      if (m.length == 0) {
        plan.Idle(rapid);
      } else if (rapid) {
        plan.Add(true, m, m.axisSpeed);
      } else if (feed <= 0) {
        plan.Stop();
        plan.Idle(false);
      } else {
        plan.Add(false, m, std::min(feed / 60.0, m.axisSpeed));
      }
    }
    plan.Stop();
  } catch (const std::bad_alloc&) {
    return MachineTime{0, 0, false};
  }
  return MachineTime{plan.TotalSeconds() / 60.0, plan.RapidSeconds() / 60.0, true};
}

}  // namespace trevalon
