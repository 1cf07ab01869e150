#include "gui/simulation_dock.h"

#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/dialog_kit.h"
#include "gui/machined_part.h"
#include "gui/main_window.h"

namespace trevalon {

SimulationDock::SimulationDock(MainWindow& frame) : QDockWidget(&frame), frame_(frame) {
  setObjectName("simulationDock");
  setWindowTitle(L("가공 시뮬레이션"));
  setProperty("label", QByteArray(LabelText("가공 시뮬레이션")));  // retitled with the labels
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 2, 4, 2);
  slider_ = new QSlider(Qt::Horizontal, body);
  slider_->setObjectName("simulationSlider");
  info_ = new QLabel(body);
  info_->setObjectName("simulationInfo");
  layout->addWidget(slider_);
  layout->addWidget(info_);
  setWidget(body);
  connect(slider_, &QSlider::valueChanged, this, [this] {
    if (filling_ || queued_) return;
    // The steps of a drag come faster than a cut: only the position the slider rests on
    // when the event loop is back is cut.
    queued_ = true;
    QTimer::singleShot(0, this, [this] { Apply(); });
  });
  connect(&frame_, &MainWindow::stateRefreshed, this, &SimulationDock::Refresh);
}

void SimulationDock::Refresh() {
  view_ = frame_.ActiveView();
  MachinedPart* part = view_ ? view_->machined.get() : nullptr;
  const bool current = part && part->Current(view_->doc());
  filling_ = true;
  slider_->setEnabled(current);
  slider_->setRange(0, current ? static_cast<int>(part->Moves()) : 0);
  slider_->setValue(current ? static_cast<int>(part->shownMoves) : 0);
  filling_ = false;
  if (part && !current)
    info_->setText(Q(view_->app().Text(Txt::SimulationStale)));
  else
    ShowInfo();
}

void SimulationDock::Apply() {
  queued_ = false;
  if (!view_) return;
  MachinedPart* part = view_->machined.get();
  if (!part || !part->Current(view_->doc())) return;
  const std::size_t moves = static_cast<std::size_t>(slider_->value());
  if (Outcome cut = ShowMachinedPartAt(view_->doc(), *part, moves); !cut) {
    ShowSimulationRefused(view_->app(), cut);
    return;
  }
  const std::optional<std::uint32_t> record = RecordOfMove(*part, moves);
  // The move is marked in the view as the feed chart marks one, and its point shown: the
  // status line and the program pane follow.
  view_->markedMove = record;
  if (record) view_->ShowPointStatus(*record);
  view_->Redraw();
  ShowInfo();
}

void SimulationDock::ShowInfo() {
  const MachinedPart* part = view_ ? view_->machined.get() : nullptr;
  if (!part || !part->Current(view_->doc())) {
    if (!part) info_->clear();
    return;
  }
  const std::size_t moves = part->shownMoves;
  const std::optional<std::uint32_t> record = RecordOfMove(*part, moves);
  char text[256];
  std::snprintf(text, sizeof text, view_->app().Text(Txt::SimulationMoveShown),
                static_cast<unsigned>(moves), static_cast<unsigned>(part->Moves()),
                record ? static_cast<unsigned>(*record) : 0u,
                moves ? static_cast<double>(part->result.moves[moves - 1].volume) : 0.0);
  info_->setText(QString::fromUtf8(text).trimmed());
}

SimulationDock& SimulationDockOf(MainWindow& frame) {
  auto* dock = frame.findChild<SimulationDock*>("simulationDock");
  if (!dock) {
    dock = new SimulationDock(frame);
    frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
  }
  return *dock;
}

}  // namespace trevalon
