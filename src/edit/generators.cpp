#include "edit/generators.h"

#include <cmath>
#include <vector>

#include "model/geometry.h"

namespace trevalon {

namespace {

struct GenPoint {
  double x, y, z;
  int type;
};

Outcome TooMany(const EditContext& ctx, std::uint64_t n);

// Puts the generated points behind the toolpath, all or none, after one undo snapshot named
// `name`.
Outcome AppendAll(EditContext& ctx, const std::vector<GenPoint>& points, Txt name) {
  if (points.empty()) return Outcome::Unchanged("the values make no toolpath");
  CommandFrame frame(ctx);
  const std::uint64_t total = std::uint64_t{ctx.store.count} + points.size();
  if (!frame.Reserve(total))
    return Outcome::Failed(OutcomeCode::NoMemory, "the toolpath of " +
                                                      std::to_string(points.size()) +
                                                      " points does not fit in the point store");
  frame.SaveUndo(name);
  CPointStore& s = ctx.store;
  const std::int32_t feed = ctx.cuttingFeed ? *ctx.cuttingFeed : 300;
  for (const GenPoint& p : points) {
    s.reg.x = p.x, s.reg.y = p.y, s.reg.z = p.z;
    s.reg.type = p.type;
    s.reg.feed = feed;
    s.reg.mark = 0;
    frame.Append();  // the pages are reserved
  }
  frame.Finish();
  return Outcome::Done();
}

// The largest toolpath worth computing: beyond the store's capacity the command refuses
// before it builds anything.
constexpr std::uint64_t kMostPoints = CPointStore::kCapacity;

Outcome TooMany(const EditContext& ctx, std::uint64_t n) {
  ctx.msg.Notify(Txt::StoreFull, Txt::KorvoMessage);
  return Outcome::Failed(OutcomeCode::NoMemory, "the toolpath of about " + std::to_string(n) +
                                                    " points does not fit in the point store");
}

double Cos(double degrees) {
  return std::cos(degrees * kDegToRad);
}
double Sin(double degrees) {
  return std::sin(degrees * kDegToRad);
}
// The step angle whose chord stays within the store's chord tolerance of a circle of radius
// r, in degrees: half of the largest such angle.
double StepAngle(double r) {
  return std::acos((r - kReaderChordTolerance) / r) / kDegToRad;
}

}  // namespace

Outcome GenerateFace(EditContext& ctx, const FaceValues& v) {
  double w = 0, h = 0, cx = 0, cy = 0;
  switch (v.kind) {
    case 2:
      w = v.xSize, h = v.ySize, cx = v.xMin + w / 2, cy = v.yMin + h / 2;
      break;
    case 3:
      w = double{v.xMax} - v.xMin, h = double{v.yMax} - v.yMin;
      cx = v.xMin + w / 2, cy = v.yMin + h / 2;
      break;
    default:
      w = v.xSize, h = v.ySize, cx = v.xCentre, cy = v.yCentre;
      break;
  }
  int sx = 1, sy = -1;
  if (v.direction == 2) sx = -1, sy = 1;
  if (v.direction == 3) sx = 1, sy = 1;
  if (v.direction == 4) sx = -1, sy = -1;
  // Our rule: a rectangle without a positive width and height (a maximum below its
  // minimum, a size of 0) or a stepover that is not positive makes no toolpath, in every
  // direction; the pass count would otherwise be 0 (a division by zero) or the passes would
  // run backwards over a rectangle the user did not mean.
  if (!(w > 0) || !(h > 0) || !(v.step > 0)) return Outcome::Unchanged("the face has no area");
  const bool alongY = v.direction == 3 || v.direction == 4;
  const double across = alongY ? w : h;
  double n = std::trunc(across / v.step);
  if (n * v.step < across) n += 1;
  if (n + 1 > double(kMostPoints) / 4) return TooMany(ctx, std::uint64_t(n + 1) * 4);
  const double step = across / n;
  const double rh = ctx.retractHeight, z = v.z;
  std::vector<GenPoint> points;
  points.reserve(static_cast<std::size_t>(n + 1) * 4);
  for (int i = 0; i <= int(n); ++i) {
    if (alongY) {
      const double x = cx - sx * (w / 2 - i * step);
      const double y0 = cy - sy * h / 2, y1 = cy + sy * h / 2;
      points.insert(points.end(), {{x, y0, rh, MOVE_RAPID},
                                   {x, y0, z, MOVE_LINE},
                                   {x, y1, z, MOVE_LINE},
                                   {x, y1, rh, MOVE_RAPID}});
    } else {
      const double y = cy - sy * (h / 2 - i * step);
      const double x0 = cx - sx * w / 2, x1 = cx + sx * w / 2;
      points.insert(points.end(), {{x0, y, rh, MOVE_RAPID},
                                   {x0, y, z, MOVE_LINE},
                                   {x1, y, z, MOVE_LINE},
                                   {x1, y, rh, MOVE_RAPID}});
    }
  }
  return AppendAll(ctx, points, Txt::CmdFace);
}

Outcome GenerateRadial(EditContext& ctx, const RadialValues& v) {
  const double rh = ctx.retractHeight, z = v.z;
  // The count of spokes whose ends on the outer circle lie one stepover apart (a real
  // number: the last spoke lies less than a full step before the first).
  const double n = double{v.outer} * kDegToRad * 180 / v.step;
  if (!(v.step > 0)) return Outcome::Unchanged("the stepover is not positive");
  if (n > double(kMostPoints) / 4) return TooMany(ctx, std::uint64_t(n) * 4);
  std::vector<GenPoint> points{{v.x, v.y, rh, MOVE_RAPID}};
  const double ro = v.outer / 2.0, ri = v.inner / 2.0;
  for (int k = 0; k < n; ++k) {
    const double a = k * 360 / n;
    const double ox = v.x + ro * Cos(a), oy = v.y + ro * Sin(a);
    const double ix = v.x + ri * Cos(a), iy = v.y + ri * Sin(a);
    points.insert(points.end(), {{ox, oy, rh, MOVE_RAPID_CONT},
                                 {ox, oy, z, MOVE_LINE},
                                 {ix, iy, z, MOVE_LINE_CONT},
                                 {ix, iy, rh, MOVE_RAPID}});
  }
  return AppendAll(ctx, points, Txt::CmdRadial);
}

Outcome GenerateSpiral(EditContext& ctx, const RadialValues& v) {
  const double rh = ctx.retractHeight, z = v.z;
  const double ro = v.outer * 0.5;
  double ri = v.inner * 0.5;
  double s = v.step;
  // Our rule: without a ring to clear (an outer diameter not above the inner one) there is
  // no spiral; the ring count would be 0 or negative and the step angles undefined.
  if (!(ro > ri) || !(s > 0))
    return Outcome::Unchanged("the outer diameter is not above the inner");
  const double span = ro - ri;
  double n = std::trunc(span / s);
  if (n * s != span) {
    n += 1;
    s = span / n;
  }
  // Count first: a spiral of millions of rings is refused before anything is built.
  {
    double count = 4;
    double r0 = std::max(ri, 0.1);
    if (ri > 0.1) count += std::ceil(360 / StepAngle(ri));
    for (double j = 0; j < n && count <= double(kMostPoints); ++j)
      count += std::ceil(360 / StepAngle(r0 + j * s));
    count += std::ceil(360 / StepAngle(ro));
    if (count > double(kMostPoints)) return TooMany(ctx, std::uint64_t(count));
  }
  std::vector<GenPoint> points{{0, 0, rh, MOVE_RAPID}};  // the origin, not the centre
  int later = MOVE_LINE_CONT;
  if (ri <= 0.1) {
    points.push_back({v.x, v.y, rh, MOVE_RAPID_CONT});
    points.push_back({v.x, v.y, z, MOVE_LINE});
    ri = 0.1;
    later = MOVE_LINE;
  } else {
    const double theta = StepAngle(ri), m = 360 / theta;
    for (int k = 0; k < m; ++k) {
      const double px = v.x + ri * Cos(k * theta), py = v.y + ri * Sin(k * theta);
      if (k == 0) {
        points.push_back({px, py, rh, MOVE_RAPID_CONT});
        points.push_back({px, py, z, MOVE_LINE});
      } else {
        points.push_back({px, py, z, MOVE_LINE_CONT});
      }
    }
  }
  for (int j = 0; j < n; ++j) {
    double r = ri + j * s;
    const double theta = StepAngle(r), m = 360 / theta, dr = s / m;
    for (int k = 0; k < m; ++k) {
      r += dr;
      points.push_back({v.x + r * Cos(k * theta), v.y + r * Sin(k * theta), z, later});
    }
  }
  const double theta = StepAngle(ro), m = 360 / theta;
  for (int k = 0; k < m; ++k)
    points.push_back({v.x + ro * Cos(k * theta), v.y + ro * Sin(k * theta), z, later});
  GenPoint last = points.back();
  last.z = rh;
  last.type = MOVE_RAPID;
  points.push_back(last);
  return AppendAll(ctx, points, Txt::CmdSpiral);
}

}  // namespace trevalon
