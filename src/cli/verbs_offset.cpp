// Verbs of the point offset and of the clean-ups: the offset by a box, circle, window, polygon
// or point file, the retract height, the rapid rebuild and the regeneration.

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "cli/script.h"
#include "edit/cleanup_commands.h"
#include "edit/point_offset.h"
#include "model/statistics.h"

namespace trevalon::cli {

namespace {

// The vector DX DY DZ from the words at `at`.
OffsetVector VectorAt(const Args& a, std::size_t at) {
  // Any vector that could leave a point within the record's coordinates; the offset itself
  // refuses one that carries a point beyond them.
  const RealRange range = kRegionCoordinateRange;
  return {a.Real(at, "DX", range), a.Real(at + 1, "DY", range), a.Real(at + 2, "DZ", range)};
}

void Offset(Session& s, const Args& a) {
  if (a.size() < 1)
    Usage("offset: box, circle, window, polygon or file, then the region and DX DY DZ");
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  const std::string& kind = a[0];
  if (kind == "box") {
    a.Expect(8, 8);
    const Region box = Region::Box(
        a.Real(1, "XMIN", kRegionCoordinateRange), a.Real(2, "YMIN", kRegionCoordinateRange),
        a.Real(3, "XMAX", kRegionCoordinateRange), a.Real(4, "YMAX", kRegionCoordinateRange));
    CheckEdit(s, OffsetCommand(ctx, box, VectorAt(a, 5)), "offset");
  } else if (kind == "circle") {
    a.Expect(8, 8);
    const Region circle = Region::Circle(
        a.Real(1, "X", kRegionCoordinateRange), a.Real(2, "Y", kRegionCoordinateRange),
        a.Real(3, "Z", kRegionCoordinateRange), a.Real(4, "R", kRegionRadiusRange));
    CheckEdit(s, OffsetCommand(ctx, circle, VectorAt(a, 5)), "offset");
  } else if (kind == "window") {
    a.Expect(8, 8);
    auto corner = [&](std::size_t i, const char* what) {
      const long v = a.Int(i, what);
      if (v < -1000000 || v > 1000000) Usage(std::string("offset: ") + what + " lies too far out");
      return static_cast<int>(v);
    };
    const int x1 = corner(1, "X1"), y1 = corner(2, "Y1"), x2 = corner(3, "X2"),
              y2 = corner(4, "Y2");
    const OffsetVector v = VectorAt(a, 5);
    if (const char* why = Region::WindowRefusal(x1, y1, x2, y2)) {
      CheckEdit(s, Outcome::Unchanged(why), "offset");
      return;
    }
    CheckEdit(s, OffsetCommand(ctx, Region::Window(x1, y1, x2, y2, s.doc->view), v), "offset");
  } else if (kind == "polygon") {
    a.Expect(4, 1000000);
    const OffsetVector v = VectorAt(a, 1);
    if ((a.size() - 4) % 2 != 0) Usage("offset polygon: the vertices come as pairs X Y");
    std::vector<RegionPoint> vertices;
    for (std::size_t i = 4; i + 1 < a.size(); i += 2)
      vertices.push_back(
          {a.Real(i, "X", kWindowPositionRange), a.Real(i + 1, "Y", kWindowPositionRange), 0});
    CheckEdit(s, OffsetCommand(ctx, Region::Polygon(std::move(vertices)), v), "offset");
  } else if (kind == "file") {
    a.Expect(5, 5);
    CheckEdit(s, OffsetFileCommand(ctx, a[1], VectorAt(a, 2)), "offset");
  } else {
    Usage("offset: box, circle, window, polygon or file, then the region and DX DY DZ");
  }
}

void Retract(Session& s, const Args& a) {
  a.Expect(0, 1);
  if (a.size() == 0) {
    char line[64];
    std::snprintf(line, sizeof line, "%.3f\n", s.doc->retractHeight);
    s.out << line;
    return;
  }
  const double h = a.Real(0, "H");
  if (!kRetractHeightRange.Contains(h)) Usage("retract: H must lie in -32700 to 32700");
  s.doc->retractHeight = h;
  // Our rule: a retract below the toolpath's top is taken (a toolpath may be meant to climb
  // over a clamp that is not there), but said: the rapids it makes would cross the moves above.
  CPointStore& store = s.doc->store;
  if (store.count != 0 && ComputeStatistics(store)) {
    const double top = std::max(store.stats.cuttingMax[2], store.stats.rapidMax[2]);
    if (top > -10000.0 && h < top) {
      char line[160];
      std::snprintf(line, sizeof line,
                    "retract: warning: %.3f lies below the toolpath's top (Z%.3f); rapids at this "
                    "height would cross the moves above it\n",
                    h, top);
      s.err << line;
    }
  }
}

void RapidRebuildVerb(Session& s, const Args& a) {
  a.Expect(0, 0);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, RapidRebuildCommand(ctx), "rapidrebuild");
}

void RegenerateVerb(Session& s, const Args& a) {
  a.Expect(0, 0);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, RegenerateCommand(ctx), "regenerate");
}

VerbRegistrar registrar{
    {"offset",
     "offset box XMIN YMIN XMAX YMAX DX DY DZ | circle X Y Z R DX DY DZ | window X1 Y1 X2 Y2 "
     "DX DY DZ | polygon DX DY DZ X1 Y1 X2 Y2 X3 Y3 ... | file FILE DX DY DZ",
     Offset},
    {"retract", "retract [H]", Retract},
    {"rapidrebuild", "rapidrebuild", RapidRebuildVerb},
    {"regenerate", "regenerate", RegenerateVerb},
};

}  // namespace

}  // namespace trevalon::cli
