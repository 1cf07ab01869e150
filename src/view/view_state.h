#pragma once
// The view of a document: how a model point becomes a window position, the seven view
// directions, fitting, zoom, and the arithmetic of keys, drags and the wheel. Pure state and
// math; drawing belongs to the desktop program.

#include <algorithm>
#include <cstdint>
#include <functional>

#include "model/statistics.h"

namespace trevalon {

class CPointStore;
class CLayerTable;

enum class MouseMode { Rotate, Pan, Select };

enum class ViewKey { Up, Down, Left, Right, PageUp, PageDown, Home, End, Insert, Delete };

// Window position relative to the window's middle, in whole pixels.
struct WindowPoint {
  int x = 0, y = 0;
};

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class ViewState;

// The bounds a fit takes, collected point by point as the fit's own walk of the store takes
// them: motion points (rapids only while they are shown), the record after an arc end point
// (its centre) passed over. Given to the statistics' walk (RecordVisitor), it lets a load
// measure and fit in one walk of the store.
class FitBounds final : public RecordVisitor {
 public:
  explicit FitBounds(const ViewState& view) : view_(view) {}
  void Visit(std::uint32_t i, const PointRegister& r) override;
  void Take(int type, double x, double y, double z);
  // The record the fit's own walk of a store of `count` records (count > 0) fetches last.
  std::uint32_t LastFetched(std::uint32_t count) const {
    return count >= 2 && skip_ == count - 1 ? count - 2 : count - 1;
  }

 private:
  friend class ViewState;
  const ViewState& view_;
  double umin_ = 99999, vmin_ = 99999, umax_ = -99999, vmax_ = -99999;
  // The model box of what was taken: the fit keeps its centre (the turning centre).
  double boxMin_[3] = {1e300, 1e300, 1e300}, boxMax_[3] = {-1e300, -1e300, -1e300};
  std::uint32_t skip_ = 0xFFFFFFFFu;  // the centre record after the last arc taken
};

class ViewState {
 public:
  ViewState();

  // ---- Directions and projection ------------------------------------------------------
  // n = 1 top, 2 front, 3 side, 4 to 7 the isometric directions.
  void SetDirection(int n);
  // Which of the seven directions the angles are, or 0 for a free rotation.
  int Direction() const;
  void SetAngles(int ax, int ay, int az);
  // u and v before scaling and centring (steps 1 to 3 of the projection).
  void ProjectUV(double x, double y, double z, double& u, double& v) const;
  WindowPoint Project(double x, double y, double z);
  // Window position from the client area's top-left corner to a model point; only in the
  // top, front and side directions (0 and the origin otherwise).
  int WindowToModel(int px, int py, double out[3]) const;

  // ---- Fit and zoom ----------------------------------------------------------------------
  // Fits to the work layer in the store and every visible, non-empty other layer.
  void Fit(CPointStore& store, const CLayerTable* layers);
  // The same fit with the work layer's bounds already taken (a walk that went over the store
  // anyway): the other layers are taken here.
  void FitTo(FitBounds bounds, const CLayerTable* layers);
  // Our rule: the same fit with a free border, a twentieth of the window on each side, so the
  // outermost moves do not sit on the window's edge (the toolbar's fit; F8 keeps Fit).
  void FitWithMargin(CPointStore& store, const CLayerTable* layers);
  void ZoomIn() { scale *= 2.0; }
  void ZoomOut() { scale *= 0.5; }

  // ---- Keyboard, drag and wheel -------------------------------------------------------
  // Navigation keys (Delete only rotates here; deleting a selection is the caller's).
  void Key(ViewKey key);
  void BeginDrag(int x, int y) {
    anchorX = x;
    anchorY = y;
  }
  // A mouse move with the left button held in pan mode (or Shift): 1 when the view moved.
  int DragPan(int x, int y);
  // The same in rotate mode; small movements accumulate until a change exceeds 2 degrees.
  // The turn keeps `pivot` where it is in the window.
  int DragRotate(int x, int y);
  void Wheel(int delta);

  // ---- Turning about a point -----------------------------------------------------------
  // Our rule: the desktop turns the view about the centre of what is shown (MiddlePoint) or
  // a point the user picked, which keeps its place in the window, so a large part does not
  // swing out of it; the classic view turned about a fixed centre. The keys and the wheel
  // take that point when one is given (`about`); without it they turn as they always did.
  // The model point at the window's middle, as deep as `depthOf` along the line of sight.
  void MiddlePoint(const double depthOf[3], double out[3]) const;
  // The depth of a model point along the line of sight (towards the viewer), the coordinate
  // that ProjectUV drops.
  double Depth(double x, double y, double z) const;
  // The model point of projected u, v and depth w (ProjectUV and Depth undone).
  void Unproject(double u, double v, double w, double out[3]) const;
  // Turns to the given angles with `about` kept at its window position (exactly, before
  // Project rounds to whole pixels).
  void TurnAbout(const double about[3], int x, int y, int z);
  void Key(ViewKey key, const double about[3]);
  void Wheel(int delta, const double about[3]);

  // ---- Quiet time after long operations -------------------------------------------------
  // Navigation ignores input for 1000 ms after a long operation ended.
  void MarkOperationEnd(std::uint64_t nowMs) {
    lastOperationMs = nowMs;
    haveLastOperation = true;
  }
  bool InputAllowed(std::uint64_t nowMs) const {
    return !haveLastOperation || nowMs - lastOperationMs >= 1000;
  }

  // ---- State -----------------------------------------------------------------------------
  int ax = 300, ay = 0, az = 330;  // whole degrees
  double sinX = 0, cosX = 1, sinY = 0, cosY = 1, sinZ = 0, cosZ = 1;
  double scale = 1.0;
  // The projected model position at the window's middle. Fit, pan and the keys keep it in
  // whole model units as the classic view did; a turn about a point moves it by fractions,
  // which is how that point keeps its place.
  double cu = 0, cv = 0;
  int width = 800, height = 600;
  double rotationCentre[3] = {0, 0, 0};  // set by "Rotation center input" and "select"
  double pivot[3] = {0, 0, 0};           // what DragRotate turns about
  // The middle of the box of what Fit fitted last: the depth of a turn about the middle.
  double fittedCentre[3] = {0, 0, 0};
  MouseMode mouseMode = MouseMode::Rotate;
  bool showRapids = false;
  int anchorX = 0, anchorY = 0;
  std::uint64_t lastOperationMs = 0;
  bool haveLastOperation = false;

 private:
  void RefreshTrig();
};

// Our rule: every projection to whole pixels holds a position at most a billion pixels from
// the window's middle and makes a value that is not a number 0 (the middle). A billion keeps
// lines that run far out of the window straight in it at any zoom one is likely to reach
// (a tighter hold bends a long line where it is clamped), and the difference of two held
// positions (2e9) still fits an int. Callers leave unsound points out before projecting;
// the NaN rule only keeps the conversion defined.
constexpr double kFarPixel = 1.0e9;
inline int WindowPixel(double p) {
  if (!(p == p)) return 0;
  return static_cast<int>(std::clamp(p, -kFarPixel, kFarPixel));
}

// The view's projection as a value, with the trigonometry copied out of the state, so that a
// drawing loop is a handful of multiplications. ViewState's own projection is this one.
struct ViewProjection {
  explicit ViewProjection(const ViewState& v)
      : sx(v.sinX),
        cx(v.cosX),
        sy(v.sinY),
        cy(v.cosY),
        sz(v.sinZ),
        cz(v.cosZ),
        scale(std::max(v.scale, 1e-5)),
        cu(v.cu),
        cv(v.cv),
        mx(v.width / 2),
        my(v.height / 2) {}
  // u and v before scaling and centring: turns about Y, Z and X in that order.
  void UV(double x, double y, double z, double& u, double& v) const {
    const double t = x * cy - z * sy;
    u = t * cz - y * sz;
    v = (-y * cz - t * sz) * cx + (z * cy + x * sy) * sx;
  }
  // The window position from the window's middle.
  WindowPoint Project(double x, double y, double z) const {
    double u, v;
    UV(x, y, z, u, v);
    return {WindowPixel((u - cu) * scale), WindowPixel((v - cv) * scale)};
  }
  // The same from the client area's top-left corner.
  void ToClient(double x, double y, double z, int& px, int& py) const {
    const WindowPoint w = Project(x, y, z);
    px = w.x + mx;
    py = w.y + my;
  }
  double sx, cx, sy, cy, sz, cz, scale, cu, cv;
  int mx, my;
};

// Rubber-band picks over the store; the rectangle is in client-area pixels from the window's
// top-left corner, as the mouse gives them. SelectInRectangle marks each move that passes through
// the rectangle; TogglePathsInRectangle toggles the selection of each path with such a move.
void SelectInRectangle(CPointStore& store, ViewState& view, WindowRect r);
void TogglePathsInRectangle(CPointStore& store, ViewState& view, WindowRect r);

}  // namespace trevalon
