#pragma once
// The feed chart window: a dockable chart of the active document's feed along the cutting
// distance, the toolpath before the last optimiser run beside it and the master model's slope
// when there is one, drawn from the core's layout (feed/feed_chart.h) as the exported files
// are. It follows the toolpath after every command; the mouse over the chart marks the move
// under it in the view; its buttons write the chart as a PNG or SVG file.

#include <QDockWidget>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/feed_chart_commands.h"

namespace trevalon {

class MainWindow;
class ToolpathView;

// Paints a chart picture as the PNG and SVG writers draw it.
void PaintChartPicture(QPainter& p, const ChartPicture& picture);

class FeedChartWidget : public QWidget {
  Q_OBJECT
 public:
  explicit FeedChartWidget(QWidget* parent = nullptr);

  // The series to show (null: none); the chart is laid out anew for the widget's size.
  void SetSeries(std::shared_ptr<const FeedChartSeries> series);
  const std::shared_ptr<const FeedChartSeries>& series() const { return series_; }
  const FeedChart& chart() const { return chart_; }
  // The record of the move under the widget position x (over the plot area), if any.
  std::optional<std::uint32_t> RecordAt(QPoint at) const;

 signals:
  // The record under the mouse, -1 when the mouse left the plot.
  void hovered(qint64 record);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  void LayOut();

  std::shared_ptr<const FeedChartSeries> series_;
  FeedChart chart_;
  // The chart as painted, so that moving the cursor repaints an image, not the chart.
  QImage picture_;
  int cursorX_ = -1;  // the hovered pixel column, -1 none
  std::optional<std::size_t> cursorMove_;
};

class FeedPlotDock : public QDockWidget {
  Q_OBJECT
 public:
  explicit FeedPlotDock(MainWindow& frame);

  // Lays out the chart of the active document anew when its toolpath, work layer or master
  // model changed, or a cutting simulation ran, since the last time (nothing while the window is
  // hidden). Called when the frame refreshes after a command, and after each repaint of the view:
  // every change of a toolpath redraws its view, also one that an interactive input makes after its
  // command has returned.
  void Refresh();
  FeedChartWidget* chart() const { return chart_; }
  // Writes the chart at the command line's default size; false (message shown) when the file
  // could not be written.
  bool Export(const std::string& path);

 private:
  void ExportPicked(bool png);
  void Mark(qint64 record);
  bool eventFilter(QObject* watched, QEvent* e) override;

  MainWindow& frame_;
  FeedChartWidget* chart_ = nullptr;
  QPointer<ToolpathView> view_;  // the view whose document the chart shows
  // What the chart was built from: the document (compared, never followed), its edit count,
  // work layer, master model cells and slope radius.
  struct Key {
    const void* doc = nullptr;
    std::uint64_t edits = 0;
    int layer = -1, beforeLayer = -1;
    const void* cells = nullptr;
    double radius = 0;
    // The window's cutting simulation while it describes the work layer: its run.
    std::uint64_t simulation = 0;
    bool operator==(const Key&) const = default;
  };
  std::optional<Key> shown_;
  bool refreshQueued_ = false;
};

}  // namespace trevalon
