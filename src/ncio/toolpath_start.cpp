// The height a written program enters its toolpath at (see toolpath_start.h).
#include "ncio/toolpath_start.h"

namespace trevalon {

ToolpathStart FindToolpathStart(CPointStore& store, std::uint32_t first) {
  ToolpathStart s;
  if (first >= store.count) return s;
  store.FetchPoint(first);  // the record as the register holds it, whatever its type
  PointRegister& reg = store.reg;
  s.height = s.liftHeight = reg.z;
  const double x0 = reg.x, y0 = reg.y;
  bool atStartSpot = IsRapidType(reg.type);
  for (std::uint32_t i = first + 1; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(reg.type)) continue;
    if (!IsRapidType(reg.type)) break;  // the first cutting move
    if (atStartSpot && (reg.x != x0 || reg.y != y0)) atStartSpot = false;
    if (atStartSpot && reg.z > s.liftHeight) {
      s.liftHeight = reg.z;
      s.liftEnd = i;
    }
    if (reg.z > s.height) s.height = reg.z;
  }
  return s;
}

}  // namespace trevalon
