// "작업 Layer": "Select work layer" with one radio button per layer; "공구경로에 의한 layer
// 선택": the layer of the toolpath clicked on becomes the work layer.

#include <QGridLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/command_registry.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

std::optional<int> ChooseLayer(QWidget* parent, int current) {
  QDialog d(parent);
  d.setWindowTitle(L("Select work layer"));
  auto* layout = new QVBoxLayout(&d);
  auto* grid = new QGridLayout;
  std::vector<QRadioButton*> radios;
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    auto* r = new QRadioButton(QString::number(i), &d);
    r->setObjectName(QString("layer%1").arg(i));
    r->setChecked(i == current);
    grid->addWidget(r, i % 20, i / 20);
    radios.push_back(r);
  }
  layout->addLayout(grid);
  layout->addWidget(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    if (radios[static_cast<std::size_t>(i)]->isChecked()) return i;
  }
  return std::nullopt;
}

void WorkLayer(CommandContext& c) {
  if (auto layer = ChooseLayer(c.parent(), c.view->doc().layers.workLayer))
    c.frame.SwitchLayer(*layer);
}

void LayerByToolpath(CommandContext& c) {
  // One click on a drawn toolpath: the layer that holds the nearest point becomes the work
  // layer. Escape cancels.
  ToolpathView* v = c.view;
  MainWindow* frame = &c.frame;
  v->SelectWindow(
      [frame, v](std::optional<WindowCorners> w) {
        if (!w) return;
        const int layer = v->LayerAt(QPoint(w->x2, w->y2));
        if (layer >= 0) frame->SwitchLayer(layer);
      },
      c.app.Text(Txt::HelpSelectToolpath));
}

CommandRegistrar registrar{
    {"workLayer", Needs::View, WorkLayer},
    {"layerByToolpath", Needs::View, LayerByToolpath},
};

}  // namespace
}  // namespace trevalon
