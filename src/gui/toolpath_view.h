#pragma once
// The view of one document window: draws the toolpaths, navigates (keys, drags, wheel), shows
// positions and points in the status line, selects by mouse and runs the interactive inputs
// that commands ask for.

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/application.h"
#include "gui/input_modes.h"
#include "gui/toolpath_renderer.h"
#include "view/status_line.h"
#include "view/toolpath_lod.h"

namespace trevalon {

struct MachinedPart;

class ToolpathView : public QWidget {
  Q_OBJECT
 public:
  ToolpathView(CApplication& app, CDocument& doc, QWidget* parent = nullptr);
  ~ToolpathView() override;

  CApplication& app() { return app_; }
  CDocument& doc() { return doc_; }

  // Marks the picture out of date and schedules one repaint: however often a command and the
  // core ask, the toolpath is rendered once, when the window paints next.
  void Redraw();
  // Renders done since the view was made.
  int renders = 0;
  // The title of the window: the work layer's file name.
  void UpdateTitle();
  // Runs an edit of this window's document; when it recorded an undo step (it changed the
  // toolpath), the help line says what it did (EditSummaryLine).
  void RunEdit(const std::function<void()>& edit);

  // ---- Navigation (each honours the quiet time after a long operation) -----------------
  void SetDirection(int n);
  // The described fit (F8), or with a free border around the toolpath (the toolbar).
  void Fit(bool margin = false);
  void ZoomIn();
  void ZoomOut();
  bool NavigationAllowed();
  // After a program was read the picture keeps fitting the window while the window settles
  // into its size, until the user first works with the view.
  void FitWhenSized() { fitOnResize_ = true; }
  // Marks the end of a long operation: navigation rests for 1000 ms.
  void MarkOperationEnd();

  // ---- Interactive inputs ----------------------------------------------------------------
  void SelectWindow(WindowInput::Done done, const std::string& prompt);
  void InputPolygon(int limit, DropRule rule, bool negativeEnds, PolygonInput::Done done);
  void PickPoint(PointPicker::Done done, const std::string& prompt = {});
  void PickPath(PathPicker::Done done);
  // An input a command brings along (clicks of start points, say), with its prompt.
  void StartCommandInput(std::unique_ptr<InputMode> mode, const std::string& prompt);
  InputMode* input() const { return input_.get(); }
  // Ends the running input: the mode is kept alive until the next event, the help pane and
  // the window text return to their rest state.
  void FinishInput();
  // The prompt of an input: the window text and the help pane.
  void SetPrompt(const std::string& prompt);

  // ---- Status line -----------------------------------------------------------------------
  // Shows point `index` in the status line and tells the text pane (pointShown).
  void ShowPointStatus(std::uint32_t index);
  void ShowMouseStatus(QPoint client);
  StatusPanes panes;

  // ---- Selection ---------------------------------------------------------------------------
  bool AnySelected();
  // A path marked in the highlight colour by a Shift-click ([first, end) records).
  std::optional<std::pair<std::uint32_t, std::uint32_t>> markedPath;
  // A move marked from outside the view (the feed chart's cursor), by the record of its end
  // point: drawn over the picture as the point picker marks a point.
  std::optional<std::uint32_t> markedMove;
  // The points whose window position lies under the cursor in the work layer or an echo
  // layer: the layer that holds the nearest one, or -1.
  int LayerAt(QPoint client);

  // ---- The text pane's mark ---------------------------------------------------------------
  // The move of the block under the text pane's cursor, marked as the point picker marks its
  // point and shown in the status line; nothing (std::nullopt) clears the mark, and so does
  // showing another point.
  void ShowSourceMark(std::optional<std::uint32_t> record);
  std::optional<std::uint32_t> sourceMark() const { return sourceMark_; }
  // The point picker's mark: a cross on the point and the two moves that meet there.
  void DrawPointMarker(QPainter& p, std::uint32_t index);
  // ---- Drag frames -----------------------------------------------------------------------
  // While the left button rotates or pans, and while wheel steps follow each other closely,
  // a toolpath of at least `lodRecords` records (the store and the drawn echo layers) is drawn
  // from its simplified copy; the full drawing follows on release, or `wheelRestMs` after the
  // last wheel step. The copy is prepared on a second thread after each full drawing of a
  // toolpath that has none that fits, so that it is mostly ready when a drag begins; a frame
  // never waits for it: until it is ready, frames come from a quick stride copy.
  bool DragFrames() const { return quick_; }
  void EndDragFrames();
  std::uint64_t lodRecords = 250000;
  int wheelRestMs = 250;
  // Frames drawn from the prepared copy and from the stride copy since the view was made.
  int lodRenders = 0, strideRenders = 0;
  bool LodReady() const { return lod_.lod != nullptr; }
  bool Preparing() const { return preparer_.Running(); }

  // ---- The cutting simulation -------------------------------------------------------------
  // The last simulation of this window's document (null until one ran): drawn under the
  // toolpath while it is shown and still describes the work layer.
  std::unique_ptr<MachinedPart> machined;
  // The part drawn now, or null.
  const MachinedPart* DrawnPart() const;

  RenderOptions options;
  ToolpathRenderer renderer;
  const QImage& picture() const { return cache_; }
  // Client position of a model point.
  QPoint ClientOf(double x, double y, double z);

 signals:
  void statusChanged();
  void viewChanged();  // direction or modes changed: the frame refreshes its check marks
  // A point was shown (the pickers, their steps, the click in select mode).
  void pointShown(std::uint32_t index);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  void Render();
  void PaintMarkedMove(QPainter& p, std::uint32_t i);
  void RenderQuick(QPainter& painter);
  void BeginDragFrames();
  // What a drag in rotate mode turns about (ViewState::pivot): the point under the mouse with
  // `picked` (Alt held), else the centre of what is shown.
  void ChoosePivot(QPoint at, bool picked);
  std::uint64_t DrawnRecords() const;
  LodParams WantedLod() const;
  // The prepared copy still describes the toolpath and the drawing options.
  bool LodFits() const;
  void PrepareLod();
  void TakeLod();
  void StartInput(std::unique_ptr<InputMode> mode);
  void ClickPick(QPoint at, bool shift);

  CApplication& app_;
  CDocument& doc_;
  QImage cache_;
  bool dirty_ = true;
  std::unique_ptr<InputMode> input_;
  // Inputs that ended; kept until control is back in the event loop, because an input's
  // own handler may be what ended it (and its result may start the next input).
  std::vector<std::unique_ptr<InputMode>> retired_;
  // Left-button state of the view's own drags.
  bool fitOnResize_ = false;
  bool leftDown_ = false;
  bool bandDrag_ = false;
  bool dragMoved_ = false;
  QPoint press_, bandEnd_;
  std::optional<std::uint32_t> sourceMark_;
  bool quick_ = false;      // drag frames
  bool lastQuick_ = false;  // the picture is a drag frame
  QTimer wheelRest_;
  LodPreparer preparer_;
  LodPreparer::Result lod_;
  bool prepareAgain_ = false;  // a preparation of an older toolpath is stopping
};

}  // namespace trevalon
