#include "gui/point_search.h"

#include "model/point_store.h"
#include "view/view_state.h"

namespace trevalon {

void ClientPosition(ViewState& view, double x, double y, double z, int& px, int& py) {
  const WindowPoint w = view.Project(x, y, z);
  px = w.x + view.width / 2;
  py = w.y + view.height / 2;
}

std::optional<std::uint32_t> FindPointAt(CPointStore& store, ViewState& view, int px, int py) {
  const long limit = kPickRadii[3];
  long best = limit * limit + 1;
  std::optional<std::uint32_t> found;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    if (!view.showRapids && IsRapidType(store.reg.type)) continue;
    int x, y;
    ClientPosition(view, store.reg.x, store.reg.y, store.reg.z, x, y);
    const long dx = x - px, dy = y - py;
    if (dx > limit || dx < -limit || dy > limit || dy < -limit) continue;
    const long d = dx * dx + dy * dy;
    if (d < best) best = d, found = i;
  }
  return found;
}

std::optional<std::uint32_t> NextMotionPoint(CPointStore& store, std::uint32_t i) {
  for (std::uint32_t k = i + 1; k < store.count; ++k) {
    if (store.FetchPoint(k) && IsMotionType(store.reg.type)) return k;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> PrevMotionPoint(CPointStore& store, std::uint32_t i) {
  for (std::uint32_t k = i; k-- > 0;) {
    if (store.FetchPoint(k) && IsMotionType(store.reg.type)) return k;
  }
  return std::nullopt;
}

std::uint32_t PathStart(CPointStore& store, std::uint32_t i) {
  for (std::uint32_t k = i + 1; k-- > 0;) {
    if (store.FetchPoint(k) && IsRapidType(store.reg.type)) return k;
  }
  return 0;
}

std::uint32_t PathEnd(CPointStore& store, std::uint32_t start) {
  for (std::uint32_t k = start + 1; k < store.count; ++k) {
    if (store.FetchPoint(k) && IsRapidType(store.reg.type)) return k;
  }
  return store.count;
}

namespace {
bool HasCut(CPointStore& store, std::uint32_t start) {
  const std::uint32_t end = PathEnd(store, start);
  for (std::uint32_t k = start; k < end; ++k) {
    if (store.FetchPoint(k) && (IsLinearType(store.reg.type) || IsArcType(store.reg.type)))
      return true;
  }
  return false;
}
}  // namespace

std::optional<std::uint32_t> NextPath(CPointStore& store, std::uint32_t start) {
  for (std::uint32_t s = PathEnd(store, start); s < store.count; s = PathEnd(store, s)) {
    if (HasCut(store, s)) return s;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> PrevPath(CPointStore& store, std::uint32_t start) {
  std::uint32_t s = start;
  while (s > 0) {
    s = PathStart(store, s - 1);
    if (HasCut(store, s)) return s;
    if (s == 0) break;
  }
  return std::nullopt;
}

}  // namespace trevalon
