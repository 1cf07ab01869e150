#include "model/geometry.h"

#include <algorithm>
#include <cmath>

#include "model/point_store.h"

namespace trevalon {

PlaneAxes AxesOfPlane(int plane) {
  switch (plane) {
    case PLANE_ZX:
      return {2, 0, 1};
    case PLANE_YZ:
      return {1, 2, 0};
    default:
      return {0, 1, 2};
  }
}

int NormalisePlane(int plane) {
  return IsPlaneCode(plane) ? plane : PLANE_XY;
}

double Angle(double v, double u) {
  double len = std::sqrt(u * u + v * v);
  if (len < kShortVector) return 0.0;
  double cu = u / len, sv = v / len;
  // The four axis directions come out exact, whatever the constant does to the others.
  if (cu == 1.0 && sv == 0.0) return 0.0;
  if (cu == -1.0 && sv == 0.0) return 180.0;
  if (cu == 0.0 && sv == 1.0) return 90.0;
  if (cu == 0.0 && sv == -1.0) return 270.0;
  cu = std::clamp(cu, -1.0, 1.0);
  sv = std::clamp(sv, -1.0, 1.0);
  // Arcsine near the u axis and arccosine near the v axis keep full precision everywhere.
  double rad;
  if (std::fabs(sv) <= std::fabs(cu)) {
    rad = std::asin(std::fabs(sv));
    if (cu < 0) rad = M_PI - rad;
  } else {
    rad = std::acos(cu);
  }
  if (sv < 0) rad = -rad;
  double a = rad / kDegToRad;
  if (a < 0) a += 360.0;
  if (a >= 360.0) a -= 360.0;
  return a;
}

double AngleDifference(double a, double b) {
  if (a >= 0 && a <= 90 && b >= 270 && b <= 360) return a - (b - 360);
  if (b >= 0 && b <= 90 && a >= 270 && a <= 360) return b - (a - 360);
  return b - a > 0 ? b - a : a - b;
}

void PointOnCircle(const double centre[3], double r, double angle, int plane, double out[3]) {
  PlaneAxes ax = AxesOfPlane(plane);
  double phi = angle * kDegToRad;
  out[ax.a] = centre[ax.a] + r * std::cos(phi);
  out[ax.b] = centre[ax.b] + r * std::sin(phi);
  out[ax.normal] = centre[ax.normal];
}

namespace {
// The wrap rule of arcs: counter-clockwise arcs run from the start angle up to the end
// angle, clockwise arcs down; equal angles are a full circle.
double WrapArcAngles(int type, double& startAngle, double& endAngle) {
  if (type == MOVE_ARC_CW) {
    if (startAngle < endAngle) endAngle -= 360.0;
    if (startAngle == endAngle) startAngle = endAngle + 360.0;
    return startAngle - endAngle;
  }
  if (endAngle < startAngle) startAngle -= 360.0;
  if (startAngle == endAngle) endAngle = startAngle + 360.0;
  return endAngle - startAngle;
}

double AngleAbout(const double p[3], const double c[3], const PlaneAxes& ax) {
  return Angle(p[ax.b] - c[ax.b], p[ax.a] - c[ax.a]);
}
}  // namespace

int ArcParameters(const double start[3], const double end[3], const double centre[3], int type,
                  int plane, ArcDescription& arc) {
  PlaneAxes ax = AxesOfPlane(plane);
  double dx = end[0] - centre[0], dy = end[1] - centre[1], dz = end[2] - centre[2];
  arc.radius = std::sqrt(dx * dx + dy * dy + dz * dz);  // over all three axes: helices too
  arc.endAngle = AngleAbout(end, centre, ax);
  arc.startAngle = AngleAbout(start, centre, ax);
  arc.sweep = WrapArcAngles(type, arc.startAngle, arc.endAngle);
  if ((arc.sweep == 0.0 || arc.sweep == 360.0) && arc.radius >= 0.001) {
    arc.sweep = 360.0;
    arc.length = 2.0 * kArcPi * arc.radius;
  } else {
    arc.length = arc.sweep * arc.radius * kArcPi / 180.0;
  }
  return 1;
}

namespace {
int ArcFromLoaded(CPointStore& store, std::uint32_t i, StoredArc& out, bool haveCentreRecord,
                  const double offset[3], int centreType,
                  std::uint32_t (*prev)(CPointStore&, std::uint32_t, const RecordSnapshot*),
                  const RecordSnapshot* a) {
  out.plane = haveCentreRecord ? NormalisePlane(centreType) : PLANE_XY;
  store.reg.plane = out.plane;
  prev(store, i, a);
  out.start[0] = store.reg.x;
  out.start[1] = store.reg.y;
  out.start[2] = store.reg.z;
  PlaneAxes ax = AxesOfPlane(out.plane);
  for (int k = 0; k < 3; ++k) out.centre[k] = out.start[k] + (k == ax.normal ? 0.0 : offset[k]);
  return ArcParameters(out.start, out.end, out.centre, out.type, out.plane, out.arc);
}
}  // namespace

int ArcOfPoint(CPointStore& store, std::uint32_t i, StoredArc& out) {
  store.FetchPoint(i);
  out.end[0] = store.reg.x;
  out.end[1] = store.reg.y;
  out.end[2] = store.reg.z;
  out.type = store.reg.type;
  double offset[3] = {0, 0, 0};
  bool have = store.FetchPoint(i + 1) != 0;
  if (have) {
    offset[0] = store.reg.x;
    offset[1] = store.reg.y;
    offset[2] = store.reg.z;
  }
  return ArcFromLoaded(
      store, i, out, have, offset, store.reg.type,
      [](CPointStore& s, std::uint32_t k, const RecordSnapshot*) { return s.PrevMotion(k); },
      nullptr);
}

int ArcOfArrayPoint(CPointStore& store, const RecordSnapshot& a, std::uint32_t i, StoredArc& out) {
  store.LoadFromArray(a, i);
  out.end[0] = store.reg.x;
  out.end[1] = store.reg.y;
  out.end[2] = store.reg.z;
  out.type = store.reg.type;
  store.LoadFromArray(a, i + 1);
  double offset[3] = {store.reg.x, store.reg.y, store.reg.z};
  return ArcFromLoaded(
      store, i, out, true, offset, store.reg.type,
      [](CPointStore& s, std::uint32_t k, const RecordSnapshot* arr) {
        return s.PrevMotionInArray(k, *arr);
      },
      &a);
}

void ArcCentreFromRadius(int plane, const double start[3], const double end[3], double R, int type,
                         double ijk[3]) {
  PlaneAxes ax = AxesOfPlane(plane);
  double as = start[ax.a], bs = start[ax.b], ae = end[ax.a], be = end[ax.b];
  double r = std::fabs(R);
  double m = (ae == as) ? 100000.0 : (be - bs) / (ae - as);
  double dx = end[0] - start[0], dy = end[1] - start[1], dz = end[2] - start[2];
  double L = std::sqrt(dx * dx + dy * dy + dz * dz);
  double h2 = r * r - L * L / 4.0;
  if (h2 < 1e-9) h2 = 0.0;  // radius shorter than half the chord: centre on the chord
  // Floored like every other root: a chord along b (m = 100000) leaves a b offset of a
  // hundred-thousandth of h, which is no offset at all.
  double da = FlooredSqrt(h2 * m * m / (m * m + 1.0));
  double db = FlooredSqrt(h2 / (m * m + 1.0));
  double ma = (as + ae) / 2.0, mb = (bs + be) / 2.0;
  double c1a, c1b, c2a, c2b;
  double ta = ma + da - as, tb = mb + db - bs;
  if (std::fabs(std::sqrt(ta * ta + tb * tb) - r) < 0.01) {
    c1a = ma + da, c1b = mb + db, c2a = ma - da, c2b = mb - db;
  } else {
    c1a = ma - da, c1b = mb + db, c2a = ma + da, c2b = mb - db;
  }
  double endAngle = Angle(be - c1b, ae - c1a);
  double startAngle = Angle(bs - c1b, as - c1a);
  double sweep = WrapArcAngles(type, startAngle, endAngle);
  bool first = (sweep < 180.0 && R > 0) || (sweep >= 180.0 && R <= 0);
  double ca = first ? c1a : c2a, cb = first ? c1b : c2b;
  ijk[0] = ijk[1] = ijk[2] = 0.0;
  ijk[ax.a] = ca - as;
  ijk[ax.b] = cb - bs;
}

std::uint32_t ArcToChords(CPointStore& store, std::uint32_t k, int type, double offset[3],
                          double tolerance) {
  PointRegister& reg = store.reg;
  reg.plane = NormalisePlane(reg.plane);
  int plane = reg.plane;
  PlaneAxes ax = AxesOfPlane(plane);
  offset[ax.normal] = 0.0;
  const double end[3] = {reg.x, reg.y, reg.z};
  const int feed = reg.feed, mark = reg.mark;

  store.PrevMotion(k);
  const double start[3] = {reg.x, reg.y, reg.z};
  const bool afterRapid = IsRapidType(reg.type);
  double centre[3];
  for (int a = 0; a < 3; ++a) centre[a] = start[a] + offset[a];
  ArcDescription arc;
  ArcParameters(start, end, centre, type, plane, arc);

  // Only the first point of an arc that follows a rapid starts a cut.
  int pointType = afterRapid ? MOVE_LINE : MOVE_LINE_CONT;
  auto put = [&](const double p[3]) {
    reg.x = p[0];
    reg.y = p[1];
    reg.z = p[2];
    reg.type = pointType;
    reg.feed = feed;
    reg.mark = mark;
    if (!store.StorePoint(k)) return false;
    ++k;
    pointType = MOVE_LINE_CONT;
    return true;
  };

  const long n = ArcChordCount(arc, tolerance);
  double p[3];
  for (long j = 1; j < n; ++j) {
    double a = type == MOVE_ARC_CW ? arc.startAngle - j * arc.sweep / n
                                   : arc.startAngle + j * arc.sweep / n;
    PointOnCircle(centre, arc.radius, a, plane, p);
    if (!put(p)) return 0;
  }
  if (!put(end)) return 0;
  return k;
}

long ArcChordCount(const ArcDescription& arc, double tolerance) {
  if (!(std::fabs(arc.radius) >= 0.01)) return 1;
  double c = std::clamp((arc.radius - tolerance) / arc.radius, -1.0, 1.0);
  double theta = 2.0 * std::acos(c) / kDegToRad;
  double steps = std::fabs(arc.endAngle - arc.startAngle) / theta;
  // A tolerance of 0 would ask for infinitely many chords; one step per thousandth of a
  // degree is far below any machine's resolution.
  if (!(steps < 360000.0)) steps = 360000.0;
  return static_cast<long>(steps) + 1;
}

int SegmentOfPoints(const double p[3], const double q[3], double d[4], double u[3]) {
  d[0] = p[0] - q[0];
  d[1] = p[1] - q[1];
  d[2] = p[2] - q[2];
  d[3] = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (d[3] == 0.0) return 0;
  u[0] = d[0] / d[3];
  u[1] = d[1] / d[3];
  u[2] = d[2] / d[3];
  return 1;
}

int IntersectSegmentsXY(const double p1[3], const double p2[3], const double p3[3],
                        const double p4[3], double out[3]) {
  const double x1 = p1[0], y1 = p1[1], x2 = p2[0], y2 = p2[1];
  const double x3 = p3[0], y3 = p3[1], x4 = p4[0], y4 = p4[1];
  if (x1 == x2 && y1 == y2) return 0;
  const double A1 = (x2 - x1) * y1 - (y2 - y1) * x1;
  const double A2 = (x4 - x3) * y3 - (y4 - y3) * x3;
  const double D = (x4 - x3) * (y2 - y1) - (x2 - x1) * (y4 - y3);
  if (std::fabs(D) < 0.001) return 0;  // parallel
  double y, x;
  if (y2 == y1)
    y = y1;
  else if (y4 == y3)
    y = y3;
  else
    y = (A2 * (y2 - y1) - A1 * (y4 - y3)) / D;
  if (x2 == x1)
    x = x1;
  else if (x4 == x3)
    x = x3;
  else
    x = (A2 * (x2 - x1) - A1 * (x4 - x3)) / D;
  auto inside = [](double v, double a, double b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
  };
  if (!inside(x, x1, x2) || !inside(y, y1, y2) || !inside(x, x3, x4) || !inside(y, y3, y4))
    return 0;
  double len = std::hypot(x4 - x3, y4 - y3);
  double t = len > 0 ? std::hypot(x - x3, y - y3) / len : 0.0;
  out[0] = x;
  out[1] = y;
  out[2] = p3[2] - (p3[2] - p4[2]) * t;
  return 1;
}

}  // namespace trevalon
