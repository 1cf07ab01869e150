// Verbs of the trims: by a coordinate box, a circle, a Z band, a window or a polygon of the
// current view, and by the polygons of a point file.

#include <string>
#include <vector>

#include "cli/script.h"
#include "edit/trim.h"

namespace trevalon::cli {

namespace {

constexpr const char* kUsage =
    "trim box XMIN YMIN XMAX YMAX inside|outside, trim circle X Y Z R inside|outside, "
    "trim zband ZMIN ZMAX, trim window X1 Y1 X2 Y2 inside|outside, "
    "trim polygon inside|outside X1 Y1 X2 Y2 X3 Y3 ..., trim file FILE inside|outside";

TrimSide Side(const std::string& word, const std::string& verb) {
  if (word == "inside") return TrimSide::Inside;
  if (word == "outside") return TrimSide::Outside;
  Usage(verb + ": '" + word + "' is neither inside nor outside");
}

// A window position: a whole number of pixels.
int Pixel(const Args& a, std::size_t i, const char* what) {
  const long v = a.Int(i, what);
  if (v < -1000000000L || v > 1000000000L)
    Usage(std::string("trim window: ") + what + " lies beyond any window");
  return static_cast<int>(v);
}

void Trim(Session& s, const Args& a) {
  a.Expect(1, static_cast<std::size_t>(-1));
  const std::string& kind = a[0];
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  const std::string verb = "trim " + kind;
  if (kind == "box") {
    a.Expect(6, 6);
    const RealRange c = kRegionCoordinateRange;
    const double xMin = a.Real(1, "XMIN", c), yMin = a.Real(2, "YMIN", c),
                 xMax = a.Real(3, "XMAX", c), yMax = a.Real(4, "YMAX", c);
    const TrimSide side = Side(a[5], verb);
    CheckEdit(s, TrimCommand(ctx, Region::Box(xMin, yMin, xMax, yMax), side), verb);
  } else if (kind == "circle") {
    a.Expect(6, 6);
    const RealRange c = kRegionCoordinateRange;
    const double x = a.Real(1, "X", c), y = a.Real(2, "Y", c), z = a.Real(3, "Z", c),
                 r = a.Real(4, "R", kRegionRadiusRange);
    const TrimSide side = Side(a[5], verb);
    CheckEdit(s, TrimCommand(ctx, Region::Circle(x, y, z, r), side), verb);
  } else if (kind == "zband") {
    a.Expect(3, 3);
    const double zMin = a.Real(1, "ZMIN", kRegionCoordinateRange),
                 zMax = a.Real(2, "ZMAX", kRegionCoordinateRange);
    // Region::ZBand takes the heights in either order; the user hears that they were turned.
    if (zMin > zMax)
      s.err << verb << ": ZMIN lies above ZMAX; the band from " << zMax << " to " << zMin
            << " is kept\n";
    CheckEdit(s, TrimCommand(ctx, Region::ZBand(zMin, zMax), TrimSide::Outside), verb);
  } else if (kind == "window") {
    a.Expect(6, 6);
    const int x1 = Pixel(a, 1, "X1"), y1 = Pixel(a, 2, "Y1"), x2 = Pixel(a, 3, "X2"),
              y2 = Pixel(a, 4, "Y2");
    const TrimSide side = Side(a[5], verb);
    // The rubber band's own refusal: a first corner left of or above the window, or corners
    // less than 2 pixels apart, ends the command with no change.
    if (const char* why = Region::WindowRefusal(x1, y1, x2, y2)) {
      CheckEdit(s, Outcome::Unchanged(why), verb);
      return;
    }
    CheckEdit(s, TrimCommand(ctx, Region::Window(x1, y1, x2, y2, s.doc->view), side), verb);
  } else if (kind == "polygon") {
    if (a.size() < 2) Usage("trim polygon: usage: trim polygon inside|outside X1 Y1 X2 Y2 ...");
    const TrimSide side = Side(a[1], verb);
    if (a.size() % 2 != 0) Usage("trim polygon: every vertex needs an X and a Y");
    std::vector<RegionPoint> vertices;
    for (std::size_t i = 2; i + 1 < a.size(); i += 2)
      vertices.push_back(
          {a.Real(i, "X", kWindowPositionRange), a.Real(i + 1, "Y", kWindowPositionRange), 0});
    CheckEdit(s, TrimCommand(ctx, Region::Polygon(std::move(vertices)), side), verb);
  } else if (kind == "file") {
    a.Expect(3, 3);
    const TrimSide side = Side(a[2], verb);
    CheckEdit(s, TrimFileCommand(ctx, a[1], side), verb);
  } else {
    Usage(std::string("trim: ") + kUsage);
  }
}

VerbRegistrar registrar{
    {"trim", kUsage, Trim},
};

}  // namespace

}  // namespace trevalon::cli
