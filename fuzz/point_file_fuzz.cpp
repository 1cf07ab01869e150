// Arbitrary bytes as a point file: the reader must take any text and give only polygons of at
// most 2728 vertices, and a trim by any polygon it gives (any vertices: repeated, on a line,
// crossing itself, huge, not numbers) must leave a well-formed toolpath of sound records.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "edit/region.h"
#include "edit/trim.h"
#include "model/point_store.h"
#include "model/undo_ring.h"

namespace {

using namespace trevalon;

// A small toolpath with straight cuts, an arc each way and a cut of no length, in 0 .. 100.
const PointRecord kToolpath[] = {
    {0, 0, 10, 0, 0, MOVE_RAPID},         {0, 0, -1, 500, 0, MOVE_LINE},
    {100, 0, -1, 500, 0, MOVE_LINE_CONT}, {100, 50, -1, 500, 0, MOVE_ARC_CCW},
    {0, 25, 0, 500, 0, PLANE_XY},         {100, 50, -1, 500, 0, MOVE_LINE},
    {0, 50, -3, 500, 0, MOVE_LINE_CONT},  {0, 100, -3, 500, 0, MOVE_ARC_CW},
    {0, 25, 0, 500, 0, PLANE_XY},         {0, 100, 10, 0, 0, MOVE_RAPID},
    {50, 50, 10, 0, 0, MOVE_RAPID_CONT},  {50, 50, -5, 300, 0, MOVE_LINE},
    {90, 90, -5, 300, 0, MOVE_LINE_CONT},
};

void CheckToolpath(const CPointStore& s) {
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord& r = *s.RawRecord(i);
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) std::abort();
    if (IsUnsoundRecord(r)) std::abort();
    if (IsArcType(r.type) && (i + 1 >= s.count || !IsPlaneCode(s.RawRecord(i + 1)->type)))
      std::abort();
    if (!IsMotionType(r.type) &&
        !(IsPlaneCode(r.type) && i > 0 && IsArcType(s.RawRecord(i - 1)->type)))
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path =
      "/tmp/trevalon_point_file_fuzz_" + std::to_string(getpid()) + ".poi";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  HeadlessPlatform platform;
  CUndoRing undo;
  ViewState view;
  view.scale = 2;
  double retract = 20;
  std::vector<RegionPolygon> polygons;
  const PointFileResult read = ReadPointFile(path, polygons);
  // A refused file gives no polygon; a read one holds none beyond the limits.
  if (!read.ok() && !polygons.empty()) std::abort();
  if (polygons.size() > kPointFileMaxPolygons) std::abort();
  int tried = 0;
  for (const RegionPolygon& polygon : polygons) {
    if (polygon.size() > kPointFileMaxVertices) std::abort();
    for (std::size_t k = 0; k < polygon.size(); ++k)
      if (!std::isfinite(polygon[k].x) || !std::isfinite(polygon[k].y)) std::abort();
    // The trims only for the first few polygons of a size one draws, so that a run stays fast.
    if (++tried > 4 || polygon.size() > 300) continue;
    std::vector<RegionPoint> vertices;
    for (std::size_t k = 0; k < polygon.size(); ++k) vertices.push_back(polygon[k]);
    const Region region = Region::PointFilePolygon(vertices);
    for (TrimSide side : {TrimSide::Inside, TrimSide::Outside}) {
      CPointStore store;
      store.CopyRecordsIn(kToolpath, sizeof kToolpath / sizeof kToolpath[0]);
      EditContext ctx{store, undo, retract, Messages(platform, Language::English), &view, [] {}};
      if (!TrimPolygon(ctx, side, region)) std::abort();  // a few points always fit
      CheckToolpath(store);
    }
  }
  return 0;
}
