#include "view/view_state.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"
#include "model/layer_table.h"
#include "model/point_store.h"

namespace trevalon {

namespace {
struct DirectionAngles {
  int ax, ay, az;
};
constexpr DirectionAngles kDirections[7] = {
    {0, 0, 0}, {270, 0, 0}, {0, 90, 270}, {300, 0, 330}, {300, 0, 240}, {300, 0, 150}, {300, 0, 60},
};

int WrapUp(int a) {
  return a > 360 ? a - 360 : a;
}
int WrapDown(int a) {
  return a < 0 ? a + 360 : a;
}
}  // namespace

ViewState::ViewState() {
  RefreshTrig();
}

void ViewState::RefreshTrig() {
  sinX = std::sin(ax * kDegToRad), cosX = std::cos(ax * kDegToRad);
  sinY = std::sin(ay * kDegToRad), cosY = std::cos(ay * kDegToRad);
  sinZ = std::sin(az * kDegToRad), cosZ = std::cos(az * kDegToRad);
}

void ViewState::SetAngles(int x, int y, int z) {
  ax = x, ay = y, az = z;
  RefreshTrig();
}

void ViewState::SetDirection(int n) {
  if (n < 1 || n > 7) return;
  const DirectionAngles& d = kDirections[n - 1];
  SetAngles(d.ax, d.ay, d.az);
}

int ViewState::Direction() const {
  for (int n = 0; n < 7; ++n) {
    if (kDirections[n].ax == ax && kDirections[n].ay == ay && kDirections[n].az == az) return n + 1;
  }
  return 0;
}

void ViewState::ProjectUV(double x, double y, double z, double& u, double& v) const {
  ViewProjection(*this).UV(x, y, z, u, v);
}

double ViewState::Depth(double x, double y, double z) const {
  // The third axis of the same three turns as ProjectUV.
  const double t = x * cosY - z * sinY, s = z * cosY + x * sinY;
  const double r = -y * cosZ - t * sinZ;
  return -r * sinX + s * cosX;
}

void ViewState::Unproject(double u, double v, double w, double out[3]) const {
  // Each of the turns is orthonormal: undone in reverse order by its transpose.
  const double r = v * cosX - w * sinX, s = v * sinX + w * cosX;
  const double t = u * cosZ - r * sinZ;
  out[1] = -u * sinZ - r * cosZ;
  out[0] = t * cosY + s * sinY;
  out[2] = s * cosY - t * sinY;
}

void ViewState::MiddlePoint(const double depthOf[3], double out[3]) const {
  Unproject(cu, cv, Depth(depthOf[0], depthOf[1], depthOf[2]), out);
}

void ViewState::TurnAbout(const double about[3], int x, int y, int z) {
  double u0, v0, u1, v1;
  ProjectUV(about[0], about[1], about[2], u0, v0);
  SetAngles(x, y, z);
  ProjectUV(about[0], about[1], about[2], u1, v1);
  // (u - cu) * scale is the window position: the same before and after.
  cu += u1 - u0;
  cv += v1 - v0;
}

WindowPoint ViewState::Project(double x, double y, double z) {
  if (scale < 1e-5) scale = 1e-5;
  return ViewProjection(*this).Project(x, y, z);
}

int ViewState::WindowToModel(int px, int py, double out[3]) const {
  out[0] = out[1] = out[2] = 0.0;
  const double p = (px - width / 2) / scale + cu;
  const double q = (py - height / 2) / scale + cv;
  switch (Direction()) {
    case 1:
      out[0] = p, out[1] = -q;
      return 1;
    case 2:
      out[0] = p, out[2] = -q;
      return 1;
    case 3:
      out[1] = p, out[2] = -q;
      return 1;
    default:
      return 0;
  }
}

void FitBounds::Take(int type, double x, double y, double z) {
  if (IsRapidType(type) && !view_.showRapids) return;
  const double p[3] = {x, y, z};
  for (int k = 0; k < 3; ++k) boxMin_[k] = std::min(boxMin_[k], p[k]);
  for (int k = 0; k < 3; ++k) boxMax_[k] = std::max(boxMax_[k], p[k]);
  double u, v;
  view_.ProjectUV(x, y, z, u, v);
  umin_ = std::min(umin_, u), umax_ = std::max(umax_, u);
  vmin_ = std::min(vmin_, v), vmax_ = std::max(vmax_, v);
}

void FitBounds::Visit(std::uint32_t i, const PointRegister& r) {
  if (i == skip_ || !IsMotionType(r.type)) return;
  Take(r.type, r.x, r.y, r.z);
  if (IsArcType(r.type)) skip_ = i + 1;  // the centre record belongs to the arc
}

void ViewState::Fit(CPointStore& store, const CLayerTable* layers) {
  FitBounds bounds(*this);
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.IsMotion(i)) continue;
    bounds.Take(store.reg.type, store.reg.x, store.reg.y, store.reg.z);
    if (IsArcType(store.reg.type)) ++i;  // the centre record belongs to the arc
  }
  FitTo(bounds, layers);
}

void ViewState::FitTo(FitBounds bounds, const CLayerTable* layers) {
  const auto take = [&bounds](int type, double x, double y, double z) {
    bounds.Take(type, x, y, z);
  };
  if (layers) {
    for (int l = 0; l < CLayerTable::kSlots - 1; ++l) {
      const LayerSlot& s = (*layers)[l];
      if (l == layers->workLayer || !s.echo || !s.snapshotAllocated || s.snapshot.count() == 0)
        continue;
      for (std::uint32_t i = 0; i < s.snapshot.count(); ++i) {
        const PointRecord& r = s.snapshot[i];
        if (!IsMotionType(r.type)) continue;
        take(r.type, r.x, r.y, r.z);
        if (IsArcType(r.type)) ++i;
      }
    }
  }
  double umin = bounds.umin_, vmin = bounds.vmin_, umax = bounds.umax_, vmax = bounds.vmax_;
  if (umin == 99999 && vmin == 99999 && umax == -99999 && vmax == -99999) {
    umin = vmin = -20;
    umax = vmax = 20;
    for (double& c : fittedCentre) c = 0;
  } else {
    for (int k = 0; k < 3; ++k) fittedCentre[k] = 0.5 * (bounds.boxMin_[k] + bounds.boxMax_[k]);
  }
  double su = (umax - umin) < 0.01 ? 10.0 : width / (umax - umin);
  double sv = (vmax - vmin) < 0.01 ? 10.0 : height / (vmax - vmin);
  scale = std::min(su, sv);
  if (scale > 500) scale = 500;
  cu = static_cast<int>((umin + umax) / 2);
  cv = static_cast<int>((vmin + vmax) / 2);
}

void ViewState::FitWithMargin(CPointStore& store, const CLayerTable* layers) {
  Fit(store, layers);
  scale *= 0.9;
}

void ViewState::Key(ViewKey key, const double about[3]) {
  // The pan keys move the picture; only a turn keeps the point.
  if (key < ViewKey::PageUp) return Key(key);
  const int x0 = ax, y0 = ay, z0 = az;
  Key(key);
  const int x1 = ax, y1 = ay, z1 = az;
  SetAngles(x0, y0, z0);
  TurnAbout(about, x1, y1, z1);
}

void ViewState::Wheel(int delta, const double about[3]) {
  if (mouseMode != MouseMode::Rotate) return Wheel(delta);
  const int z0 = az;
  Wheel(delta);
  const int z1 = az;
  SetAngles(ax, ay, z0);
  TurnAbout(about, ax, ay, z1);
}

void ViewState::Key(ViewKey key) {
  const int step = static_cast<int>(10.0 / scale + 1.0);
  switch (key) {
    case ViewKey::Up:
      cv += step;
      break;
    case ViewKey::Down:
      cv -= step;
      break;
    case ViewKey::Right:
      cu -= step;
      break;
    case ViewKey::Left:
      cu += step;
      break;
    case ViewKey::PageUp:
      az = WrapUp(az + 10);
      break;
    case ViewKey::PageDown:
      az = WrapDown(az - 10);
      break;
    case ViewKey::Home:
      ay = WrapUp(ay + 10);
      break;
    case ViewKey::End:
      ay = WrapDown(ay - 10);
      break;
    case ViewKey::Insert:
      ax = WrapUp(ax + 10);
      break;
    case ViewKey::Delete:
      ax = WrapDown(ax - 10);
      break;
  }
  RefreshTrig();
}

int ViewState::DragPan(int x, int y) {
  cu -= static_cast<int>((x - anchorX) / scale);
  cv -= static_cast<int>((y - anchorY) / scale);
  anchorX = x, anchorY = y;
  return 1;
}

int ViewState::DragRotate(int x, int y) {
  const double dz = 0.5 * (x - anchorX), dx = 0.5 * (y - anchorY);
  if (std::fabs(dz) <= 2.0 && std::fabs(dx) <= 2.0) return 0;  // accumulate small moves
  auto wrap = [](int a) { return a > 360 ? a - 360 : (a < 0 ? a + 360 : a); };
  TurnAbout(pivot, wrap(static_cast<int>(ax + dx)), ay, wrap(static_cast<int>(az + dz)));
  anchorX = x, anchorY = y;
  return 1;
}

void ViewState::Wheel(int delta) {
  if (mouseMode == MouseMode::Rotate) {
    az += 5 * (delta / 120);
    RefreshTrig();
  } else {
    scale *= 1.0 + delta / 1200.0;
  }
}

namespace {
WindowRect Normalise(const ViewState& view, WindowRect r) {
  // Client pixels to positions relative to the window's middle, as Project gives them.
  WindowRect n{
      std::min(r.left, r.right) - view.width / 2, std::min(r.top, r.bottom) - view.height / 2,
      std::max(r.left, r.right) - view.width / 2, std::max(r.top, r.bottom) - view.height / 2};
  if (n.right - n.left < 10) n.left -= 5, n.right += 5;
  if (n.bottom - n.top < 10) n.top -= 5, n.bottom += 5;
  return n;
}

bool Inside(const WindowRect& r, WindowPoint p) {
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

// Whether the move ending at record k passes through the rectangle, sampled about every
// three pixels along its projection.
bool MoveHits(CPointStore& store, ViewState& view, std::uint32_t k, int type, const WindowRect& r) {
  if (IsArcType(type)) {
    StoredArc a;
    ArcOfPoint(store, k, a);
    long n = static_cast<long>(a.arc.length * view.scale / 3.0 + 1.0);
    if (n < 1) n = 1;
    if (n > 1000000) n = 1000000;
    double p[3];
    for (long s = 0; s <= n; ++s) {
      double ang = type == MOVE_ARC_CW ? a.arc.startAngle - s * a.arc.sweep / n
                                       : a.arc.startAngle + s * a.arc.sweep / n;
      PointOnCircle(a.centre, a.arc.radius, ang, a.plane, p);
      if (Inside(r, view.Project(p[0], p[1], p[2]))) return true;
    }
    return false;
  }
  if (IsLinearType(type)) {
    store.FetchPoint(k);
    WindowPoint e = view.Project(store.reg.x, store.reg.y, store.reg.z);
    store.PrevMotion(k);
    WindowPoint s = view.Project(store.reg.x, store.reg.y, store.reg.z);
    double dist = std::hypot(double(e.x - s.x), double(e.y - s.y));
    long n = static_cast<long>(dist / 3.0);
    if (n < 1) n = 1;
    for (long j = 0; j <= n; ++j) {
      WindowPoint q{static_cast<int>(s.x + (e.x - s.x) * double(j) / n),
                    static_cast<int>(s.y + (e.y - s.y) * double(j) / n)};
      if (Inside(r, q)) return true;
    }
  }
  return false;
}

void ToggleMark(CPointStore& store, std::uint32_t k) {
  if (!store.FetchPoint(k)) return;
  store.reg.mark = store.reg.mark == 1 ? 0 : 1;
  store.StorePoint(k);
}
}  // namespace

void SelectInRectangle(CPointStore& store, ViewState& view, WindowRect rect) {
  const WindowRect r = Normalise(view, rect);
  for (std::uint32_t k = 1; k < store.count; ++k) {
    if (!store.FetchPoint(k)) continue;
    const int type = store.reg.type;
    if (!MoveHits(store, view, k, type, r)) continue;
    store.FetchPoint(k);
    store.reg.mark = 1;
    store.StorePoint(k);
  }
}

void TogglePathsInRectangle(CPointStore& store, ViewState& view, WindowRect rect) {
  const WindowRect r = Normalise(view, rect);
  for (std::uint32_t k = 1; k < store.count; ++k) {
    if (!store.FetchPoint(k)) continue;
    if (!MoveHits(store, view, k, store.reg.type, r)) continue;
    // The path around k: back to its rapid (or the start), forward to the next rapid.
    std::uint32_t first = k;
    store.FetchPoint(k);
    while (!IsRapidType(store.reg.type)) {
      std::uint32_t p = store.PrevMotion(first);
      first = p;
      if (p == 0) break;
    }
    std::uint32_t end = k;
    for (;;) {
      std::uint32_t n = store.NextMotion(end);
      if (n == 0) {
        end = store.count;
        break;
      }
      end = n;
      if (IsRapidType(store.reg.type)) break;
    }
    for (std::uint32_t j = first; j < end; ++j) ToggleMark(store, j);
    k = end - 1;  // the walk goes on after the path, so each path toggles once
  }
}

}  // namespace trevalon
