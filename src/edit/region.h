#pragma once
// Regions: the part of the toolpath an editing command acts on. Every region command (trims,
// deletes, offsets, the region feed limits, path operations by polygon) takes a Region and
// asks it whether a point lies inside; none of them knows how the region was entered.
//
// Six kinds: a window (rubber band), a polygon (clicks), a coordinate box, a circle, a Z band
// and the polygons of a point file. Window regions are tested in model XY in the top view and
// in window coordinates elsewhere; polygons are always tested in window coordinates; boxes,
// circles and point files in model XY; Z bands on Z alone.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "edit/box_grid.h"
#include "platform/file_io.h"
#include "platform/outcome.h"
#include "platform/value_range.h"
#include "texts/messages.h"
#include "view/view_state.h"

namespace trevalon {

struct RegionPoint {
  double x = 0, y = 0, z = 0;
};

// A closed polygon: the vertices as given, and a copy of the first one behind the last, so
// that edge k runs from vertex k to vertex k + 1 for k = 0 .. n - 1.
class RegionPolygon {
 public:
  RegionPolygon() = default;
  explicit RegionPolygon(std::vector<RegionPoint> vertices);
  // The number of vertices n (the closing copy not counted).
  std::size_t size() const { return closed_.empty() ? 0 : closed_.size() - 1; }
  // A polygon needs at least 3 vertices; with fewer a command does nothing.
  bool usable() const { return size() >= 3; }
  // Vertex k for k = 0 .. n; vertex n is vertex 0 again.
  const RegionPoint& operator[](std::size_t k) const { return closed_[k]; }

 private:
  std::vector<RegionPoint> closed_;
};

// The crossing of edge A-B with segment C-D in the XY plane, with a z carried along C-D;
// nothing when the segments are parallel (|det| < 0.001), A equals B, or the point found lies
// outside either segment's bounding box (ends included).
std::optional<RegionPoint> SegmentCrossing(const RegionPoint& a, const RegionPoint& b,
                                           const RegionPoint& c, const RegionPoint& d);

// The parity test: q is inside when the ray from q in the direction of +x crosses an odd
// number of the polygon's edges. Our rule, where the ray meets a vertex or runs along an edge:
// each edge holds its lower end and not its upper one, so a vertex where the boundary passes
// across the ray counts once, one where it only touches the ray not at all, and collinear
// vertices change nothing. A point on an edge that the ray leaves counts that edge, as before:
// a point on a box's left side reads outside and one on its right side inside. (The ray used to end
// at the far point (32000, 0) and a vertex on it counted both its edges, which took points on the
// height of a vertex, and every point of a region reaching beyond that far point, for outside.)
bool InsideRegion(const RegionPolygon& polygon, const RegionPoint& q);
// The XY bounding box of the polygon's vertices. No point outside it is inside the polygon.
XYBox BoundingBox(const RegionPolygon& polygon);

// Where the move from `from` to `to` meets the circle of `radius` around `centre` in XY: the
// first such point along the move (a move that enters and leaves meets it twice; the entry
// counts), with z interpolated along the move; the centre's z takes no part. Nothing when the
// move does not reach the circle or has no length in XY. The circle trims and the circle
// offset cut their moves here.
std::optional<RegionPoint> CircleCrossing(const RegionPoint& centre, double radius,
                                          const RegionPoint& from, const RegionPoint& to);

// What the numbers of a region may be: model coordinates of boxes, circles and Z bands, a
// circle's radius, window positions of clicked vertices. Far beyond any toolpath or window,
// and small enough that the crossing arithmetic of the region tests stays finite.
inline constexpr RealRange kRegionCoordinateRange{-1000000, 1000000};
inline constexpr RealRange kRegionRadiusRange{0, 2000000};
inline constexpr RealRange kWindowPositionRange{-1000000, 1000000};

// Where a region is tested.
enum class RegionPlane {
  ModelXY,  // model x and y
  Window,   // a point's window position in pixels from the client area's top-left corner
  ModelZ,   // model z alone (Z bands)
};

class Region {
 public:
  enum class Kind { Window, Polygon, Box, Circle, ZBand, PointFile };

  // Whether a command takes a rubber-band window at all: its first corner not left of or
  // above the client area, and the corners at least 2 pixels apart in x and in y (a click
  // without a drag is no window).
  static bool WindowAccepted(int x1, int y1, int x2, int y2);
  // Why a window is not taken (for a script's log), or nullptr when it is.
  static const char* WindowRefusal(int x1, int y1, int x2, int y2);
  // A rubber-band window from corner 1 (button down) to corner 2 (button up), in window
  // pixels. In the top view the corners become model points (the vertices take corner 1's z)
  // and the test runs in model XY; elsewhere it runs in window coordinates.
  static Region Window(int x1, int y1, int x2, int y2, const ViewState& view);
  // Clicked vertices in window pixels; always tested in window coordinates.
  static Region Polygon(std::vector<RegionPoint> windowVertices);
  static Region Box(double xMin, double yMin, double xMax, double yMax, double z = 0);
  // Strictly inside the circle in XY; the centre's z takes no part.
  static Region Circle(double cx, double cy, double cz, double radius);
  // zMin <= z <= zMax, both ends included; the two heights are taken in either order.
  static Region ZBand(double zMin, double zMax);
  // One polygon of a point file, in model XY.
  static Region PointFilePolygon(std::vector<RegionPoint> modelVertices);

  Kind kind() const { return kind_; }
  RegionPlane plane() const { return plane_; }
  const RegionPolygon& polygon() const { return polygon_; }
  double radius() const { return radius_; }
  const RegionPoint& centre() const { return centre_; }
  double zMin() const { return zMin_; }
  double zMax() const { return zMax_; }
  // A polygon region with fewer than 3 vertices, or a circle of no radius, selects nothing.
  bool usable() const;

  // The point in the plane of the test: model x, y, z, or its window position (z = 0).
  RegionPoint InPlane(double x, double y, double z, ViewState& view) const;
  // Whether the model point lies inside the region.
  bool Contains(double x, double y, double z, ViewState& view) const;

 private:
  Kind kind_ = Kind::Box;
  RegionPlane plane_ = RegionPlane::ModelXY;
  RegionPolygon polygon_;
  RegionPoint centre_;
  double radius_ = 0, zMin_ = 0, zMax_ = 0;
};

// A .poi file: the lines are read as an 80-byte line buffer reads them (79 characters at a
// time, the rest of a longer line coming as the next line). Lines are skipped up to one whose
// first word is "start"; every following line whose first word is not "end" is one vertex
// "x y z" (numbers that are not there keep the values of the vertex before, 0 at first); the
// "end" line closes the polygon. A polygon that the end of the file leaves open is dropped:
// only a polygon closed by "end" is known to be complete.
// Our rule: the file is read whole and checked before any polygon is used, and refused as a
// whole (no polygon given) when it is larger than any real point file, holds a NUL byte (it is
// no text), holds a vertex that is not a finite number, a polygon of more vertices than a
// polygon may have, or more polygons or vertices in all than the limits below.
// Why: docs/design-rules.md, "Regions: a point file is refused whole".
constexpr std::size_t kPointFileMaxVertices = 2728;
constexpr std::size_t kPointFileMaxPolygons = 100000;
constexpr std::size_t kPointFileMaxTotalVertices = 1000000;
constexpr std::size_t kPointFileMaxBytes = std::size_t{32} << 20;

enum class PointFileProblem : std::uint8_t { None, BadVertex, TooManyVertices, TooManyPolygons };
struct PointFileResult {
  FileReadError error = FileReadError::None;  // the file could not be read at all
  PointFileProblem problem = PointFileProblem::None;
  std::size_t line = 0;  // the line of the problem
  std::string reason;    // for a script's log: the file, the line and what is wrong
  bool ok() const;
};
// The polygons of the file in order, or none with the reason.
PointFileResult ReadPointFile(const std::string& path, std::vector<RegionPolygon>& polygons);
// Tells the user why the file was not taken (the file error, or what is wrong at which line)
// and gives the outcome: CannotOpen for a file that cannot be opened, Refused otherwise.
Outcome RefusePointFile(const Messages& msg, const PointFileResult& read, const std::string& path);

}  // namespace trevalon
