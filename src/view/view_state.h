#pragma once
// The view of a document: how a model point becomes a window position, the seven view
// directions, fitting, zoom, and the arithmetic of keys, drags and the wheel. Pure state and
// math; drawing belongs to the desktop program.

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
  int DragRotate(int x, int y);
  void Wheel(int delta);

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
  int cu = 0, cv = 0;  // projected model position at the window's middle
  int width = 800, height = 600;
  double rotationCentre[3] = {0, 0, 0};
  MouseMode mouseMode = MouseMode::Rotate;
  bool showRapids = false;
  int anchorX = 0, anchorY = 0;
  std::uint64_t lastOperationMs = 0;
  bool haveLastOperation = false;

 private:
  void RefreshTrig();
};

// Rubber-band picks over the store; the rectangle is in client-area pixels from the window's
// top-left corner, as the mouse gives them. SelectInRectangle marks each move that passes through
// the rectangle; TogglePathsInRectangle toggles the selection of each path with such a move.
void SelectInRectangle(CPointStore& store, ViewState& view, WindowRect r);
void TogglePathsInRectangle(CPointStore& store, ViewState& view, WindowRect r);

}  // namespace trevalon
