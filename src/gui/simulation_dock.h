#pragma once
// The simulation's slider: a dock under the documents that runs the active window's cutting
// simulation to any move. The view shows the material as it is after that move, the program
// pane goes to the move's block and the status line shows its point; the line beside the
// slider says which move it is and what it took.

#include <QDockWidget>
#include <QPointer>
#include <cstddef>

class QLabel;
class QSlider;

namespace trevalon {

class MainWindow;
class ToolpathView;

class SimulationDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit SimulationDock(MainWindow& frame);

  // Follows the active window: the slider's range is its part's moves and its position the
  // move shown; without a current part the slider rests, disabled.
  void Refresh();
  QSlider* slider() const { return slider_; }
  QLabel* info() const { return info_; }
  // Cuts the part up to the slider's position now (the slider itself waits for the event
  // loop, so that a drag cuts only where it rests).
  void Apply();

 private:
  void ShowInfo();

  MainWindow& frame_;
  QSlider* slider_ = nullptr;
  QLabel* info_ = nullptr;
  QPointer<ToolpathView> view_;
  bool filling_ = false;
  bool queued_ = false;
};

// The frame's slider dock, made and docked the first time.
SimulationDock& SimulationDockOf(MainWindow& frame);

}  // namespace trevalon
