#include "gui/toolpath_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cstdlib>
#include <utility>

#include "app/layer_commands.h"
#include "gui/machined_part.h"
#include "gui/point_search.h"

namespace trevalon {

namespace {
// A copy prepared with `have` draws the picture `want` asks for: the same pens and rapids, and
// a finest level within a pixel at the present zoom (its base tolerance is a quarter pixel at
// the zoom it was prepared for; zooming out always finds coarser levels).
bool Serves(const LodParams& have, const LodParams& want) {
  return have.byLayer == want.byLayer && have.showRapids == want.showRapids &&
         have.baseTolerance <= 4 * want.baseTolerance;
}
}  // namespace

ToolpathView::ToolpathView(CApplication& app, CDocument& doc, QWidget* parent)
    : QWidget(parent), app_(app), doc_(doc) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_DeleteOnClose);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setMinimumSize(200, 150);
  if (app.settings.crossCursorChk == 1) setCursor(Qt::CrossCursor);
  doc_.onRedraw = [this] { Redraw(); };
  UpdateTitle();
  wheelRest_.setSingleShot(true);
  connect(&wheelRest_, &QTimer::timeout, this, [this] { EndDragFrames(); });
}

ToolpathView::~ToolpathView() {
  doc_.onRedraw = nullptr;
}

void ToolpathView::RunEdit(const std::function<void()>& edit) {
  RunAndSummarise(app_, doc_, edit);
}

// The file name, and "*" behind it while the document holds changes no file holds, as
// desktop programs mark them; the document window's frame follows.
void ToolpathView::UpdateTitle() {
  QString title = QString::fromStdString(doc_.title.empty() ? "Layer 0" : doc_.title);
  if (doc_.Modified()) title += '*';
  if (title == windowTitle()) return;
  setWindowTitle(title);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->setWindowTitle(title);
}

// ---- Drawing -------------------------------------------------------------------------------

const MachinedPart* ToolpathView::DrawnPart() const {
  return machined && machined->shown && machined->Current(doc_) ? machined.get() : nullptr;
}

void ToolpathView::Render() {
  doc_.view.width = std::max(1, width());
  doc_.view.height = std::max(1, height());
  const QSize size(doc_.view.width, doc_.view.height);
  if (cache_.size() != size) cache_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&cache_);
  const bool quick = quick_ && DrawnRecords() >= lodRecords;
  renderer.machinedPart = DrawnPart();
  if (quick) {
    RenderQuick(painter);
  } else {
    renderer.Render(painter, doc_, options);
    // A copy that no longer describes the toolpath only holds memory (and its snapshots would
    // make the next edit copy pages): it goes, and a new one is prepared while the user looks.
    if (lod_.lod && !LodFits()) lod_ = {};
    if (DrawnRecords() >= lodRecords && (!lod_.lod || !Serves(lod_.lod->params, WantedLod())))
      PrepareLod();
  }
  lastQuick_ = quick;
  dirty_ = false;
  ++renders;
}

// ---- Drag frames -----------------------------------------------------------------------------

std::uint64_t ToolpathView::DrawnRecords() const {
  std::uint64_t n = doc_.store.count;
  for (int l : DrawnEchoLayers(doc_.layers)) n += doc_.layers[l].snapshot.count();
  return n;
}

LodParams ToolpathView::WantedLod() const {
  LodParams p;
  p.byLayer = options.colourByLayer;
  p.showRapids = doc_.view.showRapids;
  // The finest level strays a quarter of a pixel at the present zoom, so that zooming in up to
  // four times still finds a level within a pixel.
  p.baseTolerance = 0.25 / std::max(doc_.view.scale, 1e-5);
  return p;
}

bool ToolpathView::LodFits() const {
  if (!lod_.lod) return false;
  const LodParams want = WantedLod();
  const LodParams& have = lod_.lod->params;
  return have.byLayer == want.byLayer && have.showRapids == want.showRapids &&
         lod_.source->Matches(doc_.store, doc_.layers);
}

void ToolpathView::RenderQuick(QPainter& painter) {
  if (lod_.lod && !LodFits()) lod_ = {};
  if (lod_.lod) {
    renderer.RenderLod(painter, doc_, options, *lod_.lod);
    ++lodRenders;
    // Zoomed in further than the copy's finest level serves: a finer one is prepared while
    // this one goes on being drawn.
    if (!Serves(lod_.lod->params, WantedLod())) PrepareLod();
    return;
  }
  PrepareLod();
  // No copy yet: every k-th point of each run, about a quarter of a million in all, keeping the
  // ends of every run.
  const LodParams want = WantedLod();
  if (!options.colourByLayer) renderer.FindFeedRange(doc_);
  const PenRule pens{options.colourByLayer, renderer.lowFeed, renderer.highFeed};
  const auto stride =
      static_cast<std::uint32_t>(std::max<std::uint64_t>(1, DrawnRecords() / 250000));
  auto quick = StrideToolpathLod(doc_.store, doc_.layers, want, pens, stride);
  renderer.RenderLod(painter, doc_, options, *quick);
  ++strideRenders;
}

void ToolpathView::PrepareLod() {
  const LodParams want = WantedLod();
  if (preparer_.Running()) {
    // A preparation of something else is under way: it is stopped, and this one follows.
    if (!Serves(preparer_.Params(), want) || !preparer_.Describes(doc_.store, doc_.layers)) {
      preparer_.Cancel();
      prepareAgain_ = true;
    }
    return;
  }
  preparer_.Start(doc_.store, doc_.layers, want, [this] {
    // On the preparing thread: a note to the view's own thread, dropped if the view is gone.
    QMetaObject::invokeMethod(
        this, [this] { TakeLod(); }, Qt::QueuedConnection);
  });
}

void ToolpathView::TakeLod() {
  LodPreparer::Result r = preparer_.Take(doc_.store, doc_.layers);
  if (!preparer_.Running() && r.lod) {
    lod_ = std::move(r);
    if (!LodFits()) lod_ = {};
  }
  if (prepareAgain_ && !preparer_.Running()) {
    prepareAgain_ = false;
    PrepareLod();
  }
  // A drag that is drawing stride frames changes to the prepared copy at once.
  if (quick_ && lod_.lod) {
    dirty_ = true;
    update();
  }
}

void ToolpathView::BeginDragFrames() {
  quick_ = true;
}

void ToolpathView::EndDragFrames() {
  wheelRest_.stop();
  if (!quick_) return;
  quick_ = false;
  // The last frame was a drag frame: the full drawing replaces it.
  if (lastQuick_) {
    dirty_ = true;
    update();
  }
}

void ToolpathView::Redraw() {
  UpdateTitle();  // every change of the toolpath asks for a redraw
  dirty_ = true;
  update();
}

void ToolpathView::paintEvent(QPaintEvent*) {
  if (dirty_ || cache_.size() != size()) Render();
  QPainter p(this);
  p.drawImage(0, 0, cache_);
  if (markedPath) {
    std::vector<QPoint> pts;
    CPointStore& store = doc_.store;
    for (std::uint32_t k = markedPath->first; k < markedPath->second; ++k) {
      if (store.FetchPoint(k) && IsMotionType(store.reg.type))
        pts.push_back(ClientOf(store.reg.x, store.reg.y, store.reg.z));
    }
    p.setPen(QPen(ToolpathRenderer::Highlight(), 2));
    if (pts.size() >= 2) p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
  }
  if (sourceMark_) DrawPointMarker(p, *sourceMark_);
  if (markedMove) PaintMarkedMove(p, *markedMove);
  if (bandDrag_) {
    p.setPen(QPen(Qt::white, 0, Qt::DashLine));
    p.setBrush(QColor(255, 255, 255, 24));
    p.drawRect(QRect(press_, bandEnd_).normalized());
    p.setBrush(Qt::NoBrush);
  }
  if (input_) input_->Paint(p);
}

void ToolpathView::PaintMarkedMove(QPainter& p, std::uint32_t i) {
  CPointStore& store = doc_.store;
  if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) return;
  const QPoint c = ClientOf(store.reg.x, store.reg.y, store.reg.z);
  // The move from the motion point before (an arc by its chord), then a cross on its end.
  const std::uint32_t prev = store.PrevMotion(i);
  p.setPen(QPen(ToolpathRenderer::Highlight(), 3));
  if (prev < i && IsMotionType(store.reg.type))
    p.drawLine(ClientOf(store.reg.x, store.reg.y, store.reg.z), c);
  p.setPen(QPen(ToolpathRenderer::Highlight(), 1));
  p.drawLine(c.x() - 10, c.y(), c.x() + 10, c.y());
  p.drawLine(c.x(), c.y() - 10, c.x(), c.y() + 10);
}

void ToolpathView::resizeEvent(QResizeEvent*) {
  // The picture keeps its centre and scale; only the window around it changes.
  dirty_ = true;
  if (fitOnResize_) {
    doc_.view.width = std::max(1, width());
    doc_.view.height = std::max(1, height());
    doc_.view.Fit(doc_.store, &doc_.layers);
  }
}

QPoint ToolpathView::ClientOf(double x, double y, double z) {
  int px, py;
  ClientPosition(doc_.view, x, y, z, px, py);
  return {px, py};
}

// ---- Navigation ------------------------------------------------------------------------------

bool ToolpathView::NavigationAllowed() {
  return !app_.platform.HonoursQuietTime() || doc_.view.InputAllowed(app_.platform.TickCount());
}

void ToolpathView::MarkOperationEnd() {
  doc_.view.MarkOperationEnd(app_.platform.TickCount());
}

void ToolpathView::SetDirection(int n) {
  if (!NavigationAllowed()) return;
  doc_.view.SetDirection(n);
  Redraw();
  emit viewChanged();
}

void ToolpathView::Fit(bool margin) {
  if (!NavigationAllowed()) return;
  doc_.view.width = std::max(1, width());
  doc_.view.height = std::max(1, height());
  if (margin)
    doc_.view.FitWithMargin(doc_.store, &doc_.layers);
  else
    doc_.view.Fit(doc_.store, &doc_.layers);
  Redraw();
}

void ToolpathView::ZoomIn() {
  if (!NavigationAllowed()) return;
  doc_.view.ZoomIn();
  Redraw();
}

void ToolpathView::ZoomOut() {
  if (!NavigationAllowed()) return;
  doc_.view.ZoomOut();
  Redraw();
}

void ToolpathView::keyPressEvent(QKeyEvent* e) {
  fitOnResize_ = false;
  if (input_ && input_->Key(e)) return;
  const bool selectMode = doc_.view.mouseMode == MouseMode::Select;
  const int key = e->key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F7) return SetDirection(key - Qt::Key_F1 + 1);
  if (key == Qt::Key_F8) return Fit();
  if (key == Qt::Key_F9) return ZoomIn();
  if (key == Qt::Key_F10) return ZoomOut();
  if (selectMode && key == Qt::Key_Space) {
    if (AnySelected()) {
      doc_.store.ClearSelection();
      Redraw();
    }
    return;
  }
  if (selectMode && key == Qt::Key_Backspace) {
    doc_.store.InvertSelection();
    Redraw();
    return;
  }
  ViewKey vk;
  switch (key) {
    case Qt::Key_Up:
      vk = ViewKey::Up;
      break;
    case Qt::Key_Down:
      vk = ViewKey::Down;
      break;
    case Qt::Key_Left:
      vk = ViewKey::Left;
      break;
    case Qt::Key_Right:
      vk = ViewKey::Right;
      break;
    case Qt::Key_PageUp:
      vk = ViewKey::PageUp;
      break;
    case Qt::Key_PageDown:
      vk = ViewKey::PageDown;
      break;
    case Qt::Key_Home:
      vk = ViewKey::Home;
      break;
    case Qt::Key_End:
      vk = ViewKey::End;
      break;
    case Qt::Key_Insert:
      vk = ViewKey::Insert;
      break;
    case Qt::Key_Delete:
      // Shift+Delete over a selection runs the frame's "delete selected" command; otherwise
      // Delete tilts.
      if (selectMode && (e->modifiers() & Qt::ShiftModifier) && AnySelected()) {
        if (QAction* a = window()->findChild<QAction*>("deleteSelected")) a->trigger();
        return;
      }
      vk = ViewKey::Delete;
      break;
    default:
      QWidget::keyPressEvent(e);
      return;
  }
  if (!NavigationAllowed()) return;
  double middle[3];
  doc_.view.MiddlePoint(doc_.view.fittedCentre, middle);
  doc_.view.Key(vk, middle);
  Redraw();
  emit viewChanged();
}

void ToolpathView::wheelEvent(QWheelEvent* e) {
  fitOnResize_ = false;
  if (!NavigationAllowed()) return;
  double middle[3];
  doc_.view.MiddlePoint(doc_.view.fittedCentre, middle);
  doc_.view.Wheel(e->angleDelta().y(), middle);
  BeginDragFrames();
  wheelRest_.start(wheelRestMs);
  Redraw();
}

void ToolpathView::mousePressEvent(QMouseEvent* e) {
  fitOnResize_ = false;
  if (input_ && input_->MousePress(e)) return;
  if (e->button() != Qt::LeftButton) return;
  setFocus();
  leftDown_ = true;
  dragMoved_ = false;
  press_ = e->position().toPoint();
  bandEnd_ = press_;
  doc_.view.BeginDrag(press_.x(), press_.y());
  bandDrag_ = doc_.view.mouseMode == MouseMode::Select || (e->modifiers() & Qt::ControlModifier);
  ChoosePivot(press_, e->modifiers() & Qt::AltModifier);
  if (markedPath) {
    markedPath.reset();
    update();
  }
}

void ToolpathView::mouseMoveEvent(QMouseEvent* e) {
  if (input_ && input_->MouseMove(e)) return;
  const QPoint p = e->position().toPoint();
  if (!NavigationAllowed()) return;
  if (leftDown_ && (e->buttons() & Qt::LeftButton)) {
    if (bandDrag_) {
      bandEnd_ = p;
      update();
    } else if (doc_.view.mouseMode == MouseMode::Pan || (e->modifiers() & Qt::ShiftModifier)) {
      if (doc_.view.DragPan(p.x(), p.y())) dragMoved_ = true, BeginDragFrames(), Redraw();
    } else {
      if (doc_.view.DragRotate(p.x(), p.y()))
        dragMoved_ = true, BeginDragFrames(), Redraw(), emit viewChanged();
    }
  } else if (quick_ && !wheelRest_.isActive()) {
    // The release of a drag went elsewhere: the full drawing returns with the next move.
    EndDragFrames();
  }
  ShowMouseStatus(p);
}

void ToolpathView::mouseReleaseEvent(QMouseEvent* e) {
  if (input_ && input_->MouseRelease(e)) return;
  if (e->button() != Qt::LeftButton || !leftDown_) return;
  leftDown_ = false;
  EndDragFrames();
  const QPoint p = e->position().toPoint();
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool band = bandDrag_;
  bandDrag_ = false;
  // A release within 10 pixels of the press is a click: it picks the point there.
  if (std::abs(p.x() - press_.x()) <= 10 && std::abs(p.y() - press_.y()) <= 10) {
    if (!dragMoved_) ClickPick(press_, shift && band);
    update();
    return;
  }
  if (band) {
    WindowRect r{std::min(press_.x(), p.x()), std::min(press_.y(), p.y()),
                 std::max(press_.x(), p.x()), std::max(press_.y(), p.y())};
    if (shift)
      SelectInRectangle(doc_.store, doc_.view, r);
    else
      TogglePathsInRectangle(doc_.store, doc_.view, r);
    Redraw();
  }
}

void ToolpathView::ChoosePivot(QPoint at, bool picked) {
  ViewState& view = doc_.view;
  double* pivot = view.pivot;
  // With Alt the view turns about the point of the toolpath under the mouse, or where there
  // is none, about the rotation centre the View menu set; otherwise about what is shown.
  if (picked) {
    const auto found = FindPointAt(doc_.store, view, at.x(), at.y());
    if (found && doc_.store.FetchPoint(*found)) {
      pivot[0] = doc_.store.reg.x, pivot[1] = doc_.store.reg.y, pivot[2] = doc_.store.reg.z;
    } else {
      for (int k = 0; k < 3; ++k) pivot[k] = view.rotationCentre[k];
    }
    return;
  }
  view.MiddlePoint(view.fittedCentre, pivot);
}

void ToolpathView::ClickPick(QPoint at, bool markPath) {
  auto found = FindPointAt(doc_.store, doc_.view, at.x(), at.y());
  if (!found) return;
  if (markPath) {
    const std::uint32_t start = PathStart(doc_.store, *found);
    markedPath = std::make_pair(start, PathEnd(doc_.store, start));
  } else if (doc_.store.FetchPoint(*found)) {
    panes.pane[7] =
        PickedPointText(doc_.store.reg.x, doc_.store.reg.y, doc_.store.reg.z, app_.language);
    ShowPointStatus(*found);
  }
}

bool ToolpathView::AnySelected() {
  CPointStore& store = doc_.store;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (store.FetchPoint(i) && IsMotionType(store.reg.type) && store.reg.mark == 1) return true;
  }
  return false;
}

int ToolpathView::LayerAt(QPoint client) {
  long best = 18L * 18L + 1;
  int layer = -1;
  auto consider = [&](const PointRecord& r, int l) {
    if (!IsMotionType(r.type)) return;
    if (!doc_.view.showRapids && IsRapidType(r.type)) return;
    const QPoint q = ClientOf(r.x, r.y, r.z);
    const long dx = q.x() - client.x(), dy = q.y() - client.y();
    const long d = dx * dx + dy * dy;
    if (d < best) best = d, layer = l;
  };
  CPointStore& store = doc_.store;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (const PointRecord* r = store.RawRecord(i)) consider(*r, doc_.layers.workLayer);
  }
  for (int l = 0; l < CLayerTable::kUserLayers; ++l) {
    const LayerSlot& s = doc_.layers[l];
    if (l == doc_.layers.workLayer || !s.echo || !s.snapshotAllocated) continue;
    for (std::uint32_t i = 0; i < s.snapshot.count(); ++i) consider(s.snapshot[i], l);
  }
  return layer;
}

// ---- Status line ---------------------------------------------------------------------------

void ToolpathView::ShowPointStatus(std::uint32_t index) {
  if (sourceMark_ && *sourceMark_ != index) {
    sourceMark_.reset();
    update();
  }
  if (ShowPoint(doc_.store, index, app_.language, panes)) emit statusChanged();
  emit pointShown(index);
}

void ToolpathView::ShowSourceMark(std::optional<std::uint32_t> record) {
  sourceMark_ = record;
  if (record) ShowPointStatus(*record);
  update();
}

void ToolpathView::DrawPointMarker(QPainter& p, std::uint32_t index) {
  CPointStore& store = doc_.store;
  if (!store.FetchPoint(index)) return;
  const QPoint c = ClientOf(store.reg.x, store.reg.y, store.reg.z);
  p.setPen(QPen(ToolpathRenderer::Highlight(), 2));
  // The two moves that meet at the point.
  if (auto prev = PrevMotionPoint(store, index)) {
    store.FetchPoint(*prev);
    p.drawLine(ClientOf(store.reg.x, store.reg.y, store.reg.z), c);
  }
  if (auto next = NextMotionPoint(store, index)) {
    store.FetchPoint(*next);
    p.drawLine(c, ClientOf(store.reg.x, store.reg.y, store.reg.z));
  }
  p.setPen(QPen(ToolpathRenderer::Highlight(), 1));
  p.drawLine(c.x() - 10, c.y(), c.x() + 10, c.y());
  p.drawLine(c.x(), c.y() - 10, c.x(), c.y() + 10);
}

void ToolpathView::ShowMouseStatus(QPoint client) {
  doc_.view.width = std::max(1, width());
  doc_.view.height = std::max(1, height());
  ShowMouse(doc_.view, client.x(), client.y(), app_.language, panes);
  emit statusChanged();
}

// ---- Inputs --------------------------------------------------------------------------------

void ToolpathView::StartInput(std::unique_ptr<InputMode> mode) {
  if (input_) input_->Cancel();
  input_ = std::move(mode);
  setFocus();
  update();
}

void ToolpathView::FinishInput() {
  retired_.push_back(std::move(input_));
  QMetaObject::invokeMethod(
      this, [this] { retired_.clear(); }, Qt::QueuedConnection);
  app_.platform.SetHelpText(HelpPaneText("", app_.language));
  UpdateTitle();
  update();
}

void ToolpathView::SetPrompt(const std::string& prompt) {
  setWindowTitle(QString::fromStdString(prompt));
  app_.platform.SetHelpText(HelpPaneText(prompt, app_.language));
}

void ToolpathView::SelectWindow(WindowInput::Done done, const std::string& prompt) {
  StartInput(std::make_unique<WindowInput>(*this, std::move(done)));
  SetPrompt(prompt.empty() ? app_.Text(Txt::HelpDragWindow) : prompt);
}

void ToolpathView::InputPolygon(int limit, DropRule rule, bool negativeEnds,
                                PolygonInput::Done done) {
  StartInput(std::make_unique<PolygonInput>(*this, limit, rule, negativeEnds, std::move(done)));
  SetPrompt(app_.Text(Txt::HelpSelectPolygonVertex));
}

void ToolpathView::PickPoint(PointPicker::Done done, const std::string& prompt) {
  StartInput(std::make_unique<PointPicker>(*this, std::move(done)));
  SetPrompt(prompt.empty() ? app_.Text(Txt::HelpSelectToolpath) : prompt);
}

void ToolpathView::StartCommandInput(std::unique_ptr<InputMode> mode, const std::string& prompt) {
  StartInput(std::move(mode));
  SetPrompt(prompt);
}

void ToolpathView::PickPath(PathPicker::Done done) {
  StartInput(std::make_unique<PathPicker>(*this, std::move(done)));
  SetPrompt(app_.Text(Txt::HelpSelectToolpath));
}

}  // namespace trevalon
