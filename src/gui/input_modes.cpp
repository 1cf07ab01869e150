#include "gui/input_modes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "edit/region.h"
#include "gui/point_search.h"
#include "gui/toolpath_view.h"

namespace trevalon {

bool WindowAccepted(const WindowCorners& w) {
  return Region::WindowAccepted(w.x1, w.y1, w.x2, w.y2);
}

namespace {
QPen BandPen() {
  QPen pen(QColor(255, 255, 255), 0, Qt::DashLine);
  return pen;
}

// Ends an input with its result. The result function is taken out of the mode first: the
// mode may be released as soon as the view has taken it back, and the function may well
// open a dialog or start the next input.
template <class Done, class Result>
void EndWith(ToolpathView& view, Done& done, Result result) {
  Done d = std::move(done);
  view.FinishInput();
  if (d) d(std::move(result));
}
}  // namespace

// ---- Window ---------------------------------------------------------------------------------

bool WindowInput::MousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return false;
  dragging = true;
  const QPoint p = e->position().toPoint();
  corners = {p.x(), p.y(), p.x(), p.y()};
  drawn = p;
  return true;
}

bool WindowInput::MouseMove(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (!dragging) {
    view_.ShowMouseStatus(p);
    return true;
  }
  corners.x2 = p.x();
  corners.y2 = p.y();
  // The band is redrawn only when the corner has moved 2 pixels or more.
  if (std::abs(p.x() - drawn.x()) >= 2 || std::abs(p.y() - drawn.y()) >= 2) {
    drawn = p;
    view_.update();
  }
  view_.ShowMouseStatus(p);
  return true;
}

bool WindowInput::MouseRelease(QMouseEvent* e) {
  if (!dragging || e->button() != Qt::LeftButton) return false;
  const QPoint p = e->position().toPoint();
  corners.x2 = p.x();
  corners.y2 = p.y();
  dragging = false;
  EndWith(view_, done_, corners);
  return true;
}

bool WindowInput::Key(QKeyEvent* e) {
  if (e->key() != Qt::Key_Escape) return false;
  Cancel();
  return true;
}

void WindowInput::Cancel() {
  dragging = false;
  EndWith(view_, done_, std::nullopt);
}

void WindowInput::Paint(QPainter& p) {
  if (!dragging) return;
  p.setPen(BandPen());
  p.setBrush(QColor(255, 255, 255, 24));
  p.drawRect(QRect(QPoint(corners.x1, corners.y1), drawn).normalized());
}

// ---- Polygon --------------------------------------------------------------------------------

bool PolygonInput::Offer(QPoint p) {
  if (negativeEnds_ && (p.x() < 0 || p.y() < 0)) {
    Cancel();
    return false;
  }
  if (!vertices.empty()) {
    const QPoint& q = vertices.back();
    if (rule_ == DropRule::Identical) {
      if (q == p) return true;
    } else {
      const double dx = p.x() - q.x(), dy = p.y() - q.y();
      if (std::sqrt(dx * dx + dy * dy) < 5.0) return true;
    }
  }
  vertices.push_back(p);
  view_.update();
  if (static_cast<int>(vertices.size()) >= limit_) {
    // Reaching the limit ends the input without a result.
    Cancel();
    return false;
  }
  return true;
}

bool PolygonInput::MousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return false;
  Offer(e->position().toPoint());
  return true;
}

bool PolygonInput::MouseMove(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->buttons() & Qt::LeftButton) {
    // Holding the button keeps producing vertices; the drop rule absorbs most of them.
    Offer(p);
    return true;
  }
  if (!haveCursor || std::abs(p.x() - cursor.x()) >= 2 || std::abs(p.y() - cursor.y()) >= 2) {
    cursor = p;
    haveCursor = true;
    view_.update();
  }
  view_.ShowMouseStatus(p);
  return true;
}

bool PolygonInput::Key(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (vertices.size() >= 3)
      EndWith(view_, done_, std::optional<std::vector<QPoint>>(vertices));
    else
      EndWith(view_, done_, std::optional<std::vector<QPoint>>());
    return true;
  }
  if (e->key() == Qt::Key_Escape) {
    Cancel();
    return true;
  }
  return false;
}

void PolygonInput::Cancel() {
  EndWith(view_, done_, std::nullopt);
}

void PolygonInput::Paint(QPainter& p) {
  if (vertices.empty()) return;
  p.setPen(QPen(QColor(255, 255, 255), 0));
  p.drawPolyline(vertices.data(), static_cast<int>(vertices.size()));
  if (haveCursor) {
    p.setPen(BandPen());
    p.drawLine(vertices.back(), cursor);
  }
}

// ---- Pickers ----------------------------------------------------------------------------------

void StepPicker::Mark(std::uint32_t i) {
  marked = i;
  view_.ShowPointStatus(i);
  view_.update();
}

bool StepPicker::MousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return false;
  const QPoint p = e->position().toPoint();
  CPointStore& store = view_.doc().store;
  auto found = FindPointAt(store, view_.doc().view, p.x(), p.y());
  if (found) {
    Mark(Target(store, *found));
  } else if (!marked) {
    Cancel();  // nothing near the cursor: the picker ends
  }
  return true;
}

bool StepPicker::Key(QKeyEvent* e) {
  CPointStore& store = view_.doc().store;
  switch (e->key()) {
    case Qt::Key_Escape:
      Cancel();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!marked) return true;
      {
        const auto m = marked;
        EndWith(view_, done_, m);
      }
      return true;
    case Qt::Key_Space:
      if (marked) {
        if (auto n = Next(store, *marked)) Mark(*n);
      }
      return true;
    case Qt::Key_Backspace:
      if (marked) {
        if (auto n = Prev(store, *marked)) Mark(*n);
      }
      return true;
    default:
      return false;
  }
}

void StepPicker::Cancel() {
  marked.reset();
  EndWith(view_, done_, std::nullopt);
}

// ---- Point picker ----------------------------------------------------------------------------

std::optional<std::uint32_t> PointPicker::Next(CPointStore& store, std::uint32_t i) {
  return NextMotionPoint(store, i);
}

std::optional<std::uint32_t> PointPicker::Prev(CPointStore& store, std::uint32_t i) {
  return PrevMotionPoint(store, i);
}

void PointPicker::Paint(QPainter& p) {
  if (marked) view_.DrawPointMarker(p, *marked);
}

// ---- Path picker -------------------------------------------------------------------------------

std::uint32_t PathPicker::Target(CPointStore& store, std::uint32_t i) {
  return PathStart(store, i);
}

std::optional<std::uint32_t> PathPicker::Next(CPointStore& store, std::uint32_t i) {
  return NextPath(store, i);
}

std::optional<std::uint32_t> PathPicker::Prev(CPointStore& store, std::uint32_t i) {
  return PrevPath(store, i);
}

void PathPicker::Paint(QPainter& p) {
  if (!marked) return;
  CPointStore& store = view_.doc().store;
  const std::uint32_t end = PathEnd(store, *marked);
  std::vector<QPoint> pts;
  for (std::uint32_t k = *marked; k < end; ++k) {
    if (!store.FetchPoint(k) || !IsMotionType(store.reg.type)) continue;
    pts.push_back(view_.ClientOf(store.reg.x, store.reg.y, store.reg.z));
  }
  p.setPen(QPen(ToolpathRenderer::Highlight(), 2));
  if (pts.size() >= 2)
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
  else if (pts.size() == 1)
    p.drawEllipse(pts[0], 4, 4);
}

}  // namespace trevalon
