// The delete commands as one verb: "delete WHAT ...". Window and polygon positions are window
// pixels of the document's current view (view size, view top, ...), as the mouse gives them.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/layer_commands.h"
#include "cli/script.h"
#include "edit/delete_commands.h"

namespace trevalon::cli {

namespace {

std::uint32_t PointIndex(const Args& a) {
  const long v = a.Int(1, "I");
  if (v < 0 || v > static_cast<long>(UINT32_MAX))
    Failure("delete " + a[0] + ": point " + a[1] + " is beyond the toolpath");
  return static_cast<std::uint32_t>(v);
}

double Ranged(const Args& a, std::size_t i, const char* what, RealRange range) {
  const double v = a.Real(i, what);
  if (!range.Contains(v)) {
    char limits[96];
    std::snprintf(limits, sizeof limits, range.aboveLo ? "above %g and up to %g" : "in %g to %g",
                  range.lo, range.hi);
    Usage("delete " + a[0] + ": " + what + " must lie " + limits);
  }
  return v;
}

int Pixel(const Args& a, std::size_t i, const char* what) {
  const long v = a.Int(i, what);
  if (v < -1000000 || v > 1000000) Usage(std::string(what) + " is outside the window");
  return static_cast<int>(v);
}

void Delete(Session& s, const Args& a) {
  if (a.size() < 1)
    Usage(
        "delete: point, path, alternate, window, polygon, xyangle, longpoints, "
        "shortpaths, zangle, all or selected");
  const std::string& what = a[0];
  const std::string verb = "delete " + what;
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  if (what == "point" || what == "path") {
    a.Expect(2, 2);
    const std::uint32_t i = PointIndex(a);
    Check(what == "point" ? DeletePoint(ctx, i) : DeletePath(ctx, i), verb);
  } else if (what == "alternate") {
    a.Expect(1, 1);
    CheckEdit(s, DeleteEverySecondPath(ctx), verb);
  } else if (what == "window") {
    a.Expect(5, 5);
    CheckEdit(s,
              DeleteInsideWindow(ctx, Pixel(a, 1, "X1"), Pixel(a, 2, "Y1"), Pixel(a, 3, "X2"),
                                 Pixel(a, 4, "Y2"), true),
              verb);
  } else if (what == "polygon") {
    if (a.size() % 2 == 0) Usage("delete polygon: X Y pairs");
    // As the mouse input does: a vertex equal to the one before is dropped.
    std::vector<RegionPoint> vertices;
    for (std::size_t i = 1; i + 1 < a.size(); i += 2) {
      const RegionPoint p{double(Pixel(a, i, "X")), double(Pixel(a, i + 1, "Y")), 0};
      if (vertices.empty() || vertices.back().x != p.x || vertices.back().y != p.y)
        vertices.push_back(p);
    }
    CheckEdit(s, DeleteInsidePolygon(ctx, Region::Polygon(std::move(vertices))), verb);
  } else if (what == "xyangle") {
    a.Expect(3, 3);
    XyAngleOptions o;
    o.angle = Ranged(a, 1, "A", kDeleteAngleRange);
    o.tolerance = Ranged(a, 2, "T", kDeleteToleranceRange);
    CheckEdit(s, DeleteByXyAngle(ctx, o), verb);
  } else if (what == "longpoints") {
    a.Expect(2, 2);
    CheckEdit(s, DeletePointsByLength(ctx, Ranged(a, 1, "L", kDeleteLengthRange)), verb);
  } else if (what == "shortpaths") {
    a.Expect(2, 2);
    CheckEdit(s, DeletePathsByLength(ctx, Ranged(a, 1, "L", kDeleteLengthRange)), verb);
  } else if (what == "zangle") {
    a.Expect(4, 4);
    ZAngleOptions o;
    o.minAngle = Ranged(a, 1, "AMIN", kDeleteAngleRange);
    o.maxAngle = Ranged(a, 2, "AMAX", kDeleteAngleRange);
    o.gap = Ranged(a, 3, "G", kDeleteGapRange);
    CheckEdit(s, DeleteByZAngle(ctx, o), verb);
  } else if (what == "all") {
    a.Expect(1, 1);
    ClearCommand(s.app, *s.doc);
  } else if (what == "selected") {
    a.Expect(1, 1);
    CheckEdit(s, DeleteSelected(ctx), verb);
  } else {
    Usage(
        "delete: point, path, alternate, window, polygon, xyangle, longpoints, shortpaths, "
        "zangle, all or selected");
  }
}

VerbRegistrar registrar{
    {"delete",
     "delete point I | path I | alternate | window X1 Y1 X2 Y2 | polygon X1 Y1 X2 Y2 X3 Y3 ... | "
     "xyangle A T | longpoints L | shortpaths L | zangle AMIN AMAX G | all | selected",
     Delete},
};

}  // namespace

}  // namespace trevalon::cli
