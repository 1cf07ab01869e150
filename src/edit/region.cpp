#include "edit/region.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/point_store.h"
#include "platform/file_io.h"

namespace trevalon {

RegionPolygon::RegionPolygon(std::vector<RegionPoint> vertices) : closed_(std::move(vertices)) {
  if (!closed_.empty()) closed_.push_back(closed_.front());
}

std::optional<RegionPoint> SegmentCrossing(const RegionPoint& a, const RegionPoint& b,
                                           const RegionPoint& c, const RegionPoint& d) {
  if (a.x == b.x && a.y == b.y && a.z == b.z) return std::nullopt;
  const double det = (d.x - c.x) * (b.y - a.y) - (b.x - a.x) * (d.y - c.y);
  if (std::fabs(det) < 0.001) return std::nullopt;  // parallel
  const double a1 = (b.x - a.x) * a.y - (b.y - a.y) * a.x;
  const double a2 = (d.x - c.x) * c.y - (d.y - c.y) * c.x;
  RegionPoint i;
  // Axis-parallel edges take the exact coordinate instead of the quotient, so that a point on
  // a horizontal or vertical edge is not lost to rounding.
  if (b.y == a.y)
    i.y = a.y;
  else if (d.y == c.y)
    i.y = c.y;
  else
    i.y = (a2 * (b.y - a.y) - a1 * (d.y - c.y)) / det;
  if (b.x == a.x)
    i.x = a.x;
  else if (d.x == c.x)
    i.x = c.x;
  else
    i.x = (a2 * (b.x - a.x) - a1 * (d.x - c.x)) / det;
  auto within = [](double v, double p, double q) {
    return std::fmin(p, q) <= v && v <= std::fmax(p, q);
  };
  if (!within(i.x, a.x, b.x) || !within(i.y, a.y, b.y) || !within(i.x, c.x, d.x) ||
      !within(i.y, c.y, d.y))
    return std::nullopt;
  const double ci = FlooredSqrt((c.x - i.x) * (c.x - i.x) + (c.y - i.y) * (c.y - i.y));
  const double cd = FlooredSqrt((c.x - d.x) * (c.x - d.x) + (c.y - d.y) * (c.y - d.y));
  // C and D cannot coincide in XY here (det would be 0), so cd is not 0.
  i.z = cd > 0 ? c.z - (c.z - d.z) * ci / cd : c.z;
  return i;
}

bool InsideRegion(const RegionPolygon& polygon, const RegionPoint& q) {
  bool inside = false;
  for (std::size_t k = 0; k < polygon.size(); ++k) {
    const RegionPoint &a = polygon[k], &b = polygon[k + 1];
    // Each edge holds its lower end and not its upper one, so a ray through a vertex counts
    // it once where the boundary passes across the ray and not at all where it only touches
    // it, and an edge along the ray counts never. An edge through q itself counts, as it did
    // when the ray started at q.
    if ((a.y > q.y) == (b.y > q.y)) continue;
    const double x = std::clamp(a.x + (q.y - a.y) * (b.x - a.x) / (b.y - a.y), std::fmin(a.x, b.x),
                                std::fmax(a.x, b.x));
    if (q.x <= x) inside = !inside;
  }
  return inside;
}

XYBox BoundingBox(const RegionPolygon& polygon) {
  XYBox box = XYBox::At(polygon[0].x, polygon[0].y);
  for (std::size_t k = 1; k < polygon.size(); ++k) box.Add(polygon[k].x, polygon[k].y);
  return box;
}

std::optional<RegionPoint> CircleCrossing(const RegionPoint& centre, double radius,
                                          const RegionPoint& from, const RegionPoint& to) {
  // |from + t (to - from) - centre|^2 = radius^2 in XY, for t along the move.
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double fx = from.x - centre.x, fy = from.y - centre.y;
  const double a = dx * dx + dy * dy;
  if (FlooredSqrt(a) == 0) return std::nullopt;
  const double b = 2 * (fx * dx + fy * dy);
  const double c = fx * fx + fy * fy - radius * radius;
  const double disc = b * b - 4 * a * c;
  if (disc < 0) return std::nullopt;
  const double root = std::sqrt(disc);
  // An end lying on the circle can come out a hair beyond the move's ends; it still counts.
  constexpr double kSlack = 1e-9;
  for (double t : {(-b - root) / (2 * a), (-b + root) / (2 * a)}) {
    if (t < -kSlack || t > 1 + kSlack) continue;
    t = std::clamp(t, 0.0, 1.0);
    return RegionPoint{from.x + t * dx, from.y + t * dy, from.z + t * (to.z - from.z)};
  }
  return std::nullopt;
}

// ---- Region --------------------------------------------------------------------------------

bool Region::WindowAccepted(int x1, int y1, int x2, int y2) {
  return WindowRefusal(x1, y1, x2, y2) == nullptr;
}

const char* Region::WindowRefusal(int x1, int y1, int x2, int y2) {
  if (x1 < 0 || y1 < 0) return "the window starts outside the view";
  if (std::abs(x2 - x1) < 2 || std::abs(y2 - y1) < 2)
    return "the window is narrower or lower than 2 pixels";
  return nullptr;
}

Region Region::Window(int x1, int y1, int x2, int y2, const ViewState& view) {
  Region r;
  r.kind_ = Kind::Window;
  if (view.Direction() == 1) {
    double c1[3], c2[3];
    view.WindowToModel(x1, y1, c1);
    view.WindowToModel(x2, y2, c2);
    r.plane_ = RegionPlane::ModelXY;
    r.polygon_ = RegionPolygon({{c1[0], c1[1], c1[2]},
                                {c2[0], c1[1], c1[2]},
                                {c2[0], c2[1], c1[2]},
                                {c1[0], c2[1], c1[2]}});
  } else {
    const double ax = x1, ay = y1, bx = x2, by = y2;
    r.plane_ = RegionPlane::Window;
    r.polygon_ = RegionPolygon({{ax, ay, 0}, {bx, ay, 0}, {bx, by, 0}, {ax, by, 0}});
  }
  return r;
}

Region Region::Polygon(std::vector<RegionPoint> windowVertices) {
  Region r;
  r.kind_ = Kind::Polygon;
  r.plane_ = RegionPlane::Window;
  for (RegionPoint& v : windowVertices) v.z = 0;
  r.polygon_ = RegionPolygon(std::move(windowVertices));
  return r;
}

Region Region::Box(double xMin, double yMin, double xMax, double yMax, double z) {
  Region r;
  r.kind_ = Kind::Box;
  r.plane_ = RegionPlane::ModelXY;
  r.polygon_ = RegionPolygon({{xMin, yMin, z}, {xMax, yMin, z}, {xMax, yMax, z}, {xMin, yMax, z}});
  return r;
}

Region Region::Circle(double cx, double cy, double cz, double radius) {
  Region r;
  r.kind_ = Kind::Circle;
  r.plane_ = RegionPlane::ModelXY;
  r.centre_ = {cx, cy, cz};
  r.radius_ = radius;
  return r;
}

Region Region::ZBand(double zMin, double zMax) {
  Region r;
  r.kind_ = Kind::ZBand;
  r.plane_ = RegionPlane::ModelZ;
  // Our rule: the band lies between the two heights in whichever order they are given; a
  // reversed band used to hold no height at all, so that its trim removed everything.
  r.zMin_ = std::fmin(zMin, zMax);
  r.zMax_ = std::fmax(zMin, zMax);
  return r;
}

Region Region::PointFilePolygon(std::vector<RegionPoint> modelVertices) {
  Region r;
  r.kind_ = Kind::PointFile;
  r.plane_ = RegionPlane::ModelXY;
  r.polygon_ = RegionPolygon(std::move(modelVertices));
  return r;
}

bool Region::usable() const {
  switch (kind_) {
    case Kind::Circle:
      return radius_ > 0;
    case Kind::ZBand:
      return true;
    default:
      return polygon_.usable();
  }
}

RegionPoint Region::InPlane(double x, double y, double z, ViewState& view) const {
  if (plane_ != RegionPlane::Window) return {x, y, z};
  // The window position: the projection from the window's middle plus half the client size,
  // in whole pixels.
  const WindowPoint w = view.Project(x, y, z);
  return {static_cast<double>(w.x + view.width / 2), static_cast<double>(w.y + view.height / 2), 0};
}

bool Region::Contains(double x, double y, double z, ViewState& view) const {
  switch (kind_) {
    case Kind::Circle: {
      const double dx = x - centre_.x, dy = y - centre_.y;
      return FlooredSqrt(dx * dx + dy * dy) < radius_;
    }
    case Kind::ZBand:
      return zMin_ <= z && z <= zMax_;
    default:
      return InsideRegion(polygon_, InPlane(x, y, z, view));
  }
}

// ---- Point files ---------------------------------------------------------------------------

bool PointFileResult::ok() const {
  return error == FileReadError::None && problem == PointFileProblem::None;
}

PointFileResult ReadPointFile(const std::string& path, std::vector<RegionPolygon>& polygons) {
  polygons.clear();
  PointFileResult result;
  // Read a piece at a time, so that binary data (a NUL byte) ends the read at once, a device
  // that never ends among it.
  std::string text;
  BoundedInput in;
  result.error = in.Open(path);
  while (result.error == FileReadError::None && !in.AtEnd()) {
    const std::size_t from = text.size();
    result.error = in.Append(std::size_t{1} << 16, text);
    if (result.error != FileReadError::None) break;
    if (text.find('\0', from) != std::string::npos)
      result.error = FileReadError::NotText;
    else if (text.size() > kPointFileMaxBytes)
      result.error = FileReadError::TooLarge;
  }
  if (result.error != FileReadError::None) {
    result.reason = DescribeReadError(result.error, path, kPointFileMaxBytes);
    return result;
  }
  auto refuse = [&](PointFileProblem problem, std::size_t line, const std::string& why) {
    polygons.clear();
    result.problem = problem;
    result.line = line;
    result.reason = "'" + path + "' line " + std::to_string(line) + ": " + why;
    return result;
  };
  auto firstWord = [](const char* s, const char* word) {
    while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\n') ++s;
    const std::size_t n = std::strlen(word);
    return std::strncmp(s, word, n) == 0 &&
           (s[n] == '\0' || s[n] == ' ' || s[n] == '\t' || s[n] == '\r' || s[n] == '\n');
  };
  char line[80];
  bool inPolygon = false;
  std::vector<RegionPoint> vertices;
  std::size_t total = 0, lineNo = 1;
  double x = 0, y = 0, z = 0;
  for (std::size_t at = 0; at < text.size();) {
    // What an 80-byte line buffer takes at a time: up to the line's end, at most 79 bytes.
    std::size_t n = 0;
    while (n < sizeof line - 1 && at + n < text.size()) {
      if (text[at + n++] == '\n') break;
    }
    std::memcpy(line, text.data() + at, n);
    line[n] = '\0';
    at += n;
    const std::size_t here = lineNo;
    if (line[n - 1] == '\n') ++lineNo;
    if (!inPolygon) {
      if (firstWord(line, "start")) {
        inPolygon = true;
        vertices.clear();
      }
      continue;
    }
    if (firstWord(line, "end")) {
      inPolygon = false;
      if (polygons.size() == kPointFileMaxPolygons)
        return refuse(PointFileProblem::TooManyPolygons, here,
                      "more than " + std::to_string(kPointFileMaxPolygons) + " polygons");
      polygons.emplace_back(std::move(vertices));
      vertices = {};
      continue;
    }
    std::sscanf(line, "%lf %lf %lf", &x, &y, &z);
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
      return refuse(PointFileProblem::BadVertex, here, "a vertex that is not a finite number");
    if (vertices.size() == kPointFileMaxVertices)
      return refuse(
          PointFileProblem::TooManyVertices, here,
          "a polygon of more than " + std::to_string(kPointFileMaxVertices) + " vertices");
    if (++total > kPointFileMaxTotalVertices)
      return refuse(PointFileProblem::TooManyVertices, here,
                    "more than " + std::to_string(kPointFileMaxTotalVertices) + " vertices in all");
    vertices.push_back({x, y, z});
  }
  return result;
}

Outcome RefusePointFile(const Messages& msg, const PointFileResult& read, const std::string& path) {
  if (read.error != FileReadError::None) {
    msg.ShowReadError(read.error, path);
    if (read.error == FileReadError::Missing || read.error == FileReadError::CannotOpen ||
        read.error == FileReadError::ReadFailed)
      return Outcome::CannotOpen(path);
    return Outcome::Failed(OutcomeCode::Refused, read.reason);
  }
  const Txt text = read.problem == PointFileProblem::BadVertex ? Txt::PointFileBadVertex
                   : read.problem == PointFileProblem::TooManyPolygons
                       ? Txt::PointFileTooManyPolygons
                       : Txt::PointFileTooManyVertices;
  msg.ShowFileError(text, path + ":" + std::to_string(read.line));
  return Outcome::Failed(OutcomeCode::Refused, read.reason);
}

}  // namespace trevalon
