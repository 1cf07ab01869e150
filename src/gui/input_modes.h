#pragma once
// The interactive inputs of the view, each an input mode that the view's events drive: the
// rubber-band window, the polygon, the point picker and the path picker. A command starts a
// mode with a function to call when the input ends; the view keeps working (keys, repaint)
// while a mode waits. Every way out resets the help pane.

#include <QPoint>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QMouseEvent;
class QKeyEvent;

namespace trevalon {

class CPointStore;
class ToolpathView;

// Two corners in client pixels: where the button went down and where it came up.
struct WindowCorners {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
// Whether a command takes the window: its first corner not left of or above the client area,
// and the corners at least 2 pixels apart in x and in y.
bool WindowAccepted(const WindowCorners& w);

enum class DropRule { FivePixels, Identical };

class InputMode {
 public:
  explicit InputMode(ToolpathView& view) : view_(view) {}
  virtual ~InputMode() = default;
  // Each returns true when the event was used; unused keys go on to the view's navigation.
  virtual bool MousePress(QMouseEvent*) { return false; }
  virtual bool MouseMove(QMouseEvent*) { return false; }
  virtual bool MouseRelease(QMouseEvent*) { return false; }
  virtual bool Key(QKeyEvent*) { return false; }
  virtual void Paint(QPainter&) {}
  // Cancels the input as Escape does.
  virtual void Cancel() = 0;

 protected:
  ToolpathView& view_;
};

// The rubber band (SelectWindow): the rectangle follows the cursor in steps of 2 pixels.
class WindowInput : public InputMode {
 public:
  using Done = std::function<void(std::optional<WindowCorners>)>;
  WindowInput(ToolpathView& view, Done done) : InputMode(view), done_(std::move(done)) {}
  bool MousePress(QMouseEvent* e) override;
  bool MouseMove(QMouseEvent* e) override;
  bool MouseRelease(QMouseEvent* e) override;
  bool Key(QKeyEvent* e) override;
  void Paint(QPainter& p) override;
  void Cancel() override;

  bool dragging = false;
  WindowCorners corners;
  QPoint drawn;  // corner 2 as last drawn

 private:
  Done done_;
};

// Polygon input (InputPolygon): vertices by clicks (and while the button is held), Enter
// closes, Escape cancels; a rubber line runs from the last vertex to the cursor.
class PolygonInput : public InputMode {
 public:
  using Done = std::function<void(std::optional<std::vector<QPoint>>)>;
  PolygonInput(ToolpathView& view, int limit, DropRule rule, bool negativeEnds, Done done)
      : InputMode(view),
        limit_(limit),
        rule_(rule),
        negativeEnds_(negativeEnds),
        done_(std::move(done)) {}
  bool MousePress(QMouseEvent* e) override;
  bool MouseMove(QMouseEvent* e) override;
  bool Key(QKeyEvent* e) override;
  void Paint(QPainter& p) override;
  void Cancel() override;
  // Offers a vertex at a client position; false when the input ended with it.
  bool Offer(QPoint p);

  std::vector<QPoint> vertices;
  QPoint cursor;
  bool haveCursor = false;

 private:
  int limit_;
  DropRule rule_;
  bool negativeEnds_;
  Done done_;
};

// What the two pickers share: a click marks the nearest point (3, 8, 13, 18 pixels), Space
// and Backspace step forward and back, Enter takes the marked record, Escape cancels.
class StepPicker : public InputMode {
 public:
  using Done = std::function<void(std::optional<std::uint32_t>)>;
  StepPicker(ToolpathView& view, Done done) : InputMode(view), done_(std::move(done)) {}
  bool MousePress(QMouseEvent* e) override;
  bool Key(QKeyEvent* e) override;
  void Cancel() override;
  void Mark(std::uint32_t i);

  std::optional<std::uint32_t> marked;

 protected:
  // The record a click on point i marks, and the steps from a marked record.
  virtual std::uint32_t Target(CPointStore& store, std::uint32_t i) { return (void)store, i; }
  virtual std::optional<std::uint32_t> Next(CPointStore& store, std::uint32_t i) = 0;
  virtual std::optional<std::uint32_t> Prev(CPointStore& store, std::uint32_t i) = 0;

 private:
  Done done_;
};

// The point picker: steps go to the next and previous motion point.
class PointPicker : public StepPicker {
 public:
  using StepPicker::StepPicker;
  void Paint(QPainter& p) override;

 protected:
  std::optional<std::uint32_t> Next(CPointStore& store, std::uint32_t i) override;
  std::optional<std::uint32_t> Prev(CPointStore& store, std::uint32_t i) override;
};

// The path picker: the same with whole paths; the marked record is the path's first record.
class PathPicker : public StepPicker {
 public:
  using StepPicker::StepPicker;
  void Paint(QPainter& p) override;

 protected:
  std::uint32_t Target(CPointStore& store, std::uint32_t i) override;
  std::optional<std::uint32_t> Next(CPointStore& store, std::uint32_t i) override;
  std::optional<std::uint32_t> Prev(CPointStore& store, std::uint32_t i) override;
};

}  // namespace trevalon
