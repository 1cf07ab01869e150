// "Layer 공구경로 복사": the dialog "Layer  복사" with the source and the target layer; the
// source is remembered while the program runs, the target starts as the work layer.

#include <QFormLayout>
#include <QSpinBox>

#include "app/layer_commands.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

struct CopyValues {
  int source = 0;
};

void CopyLayer(CommandContext& c) {
  CopyValues& remembered = c.Remembered<CopyValues>();
  QDialog d(c.parent());
  d.setWindowTitle(L("Layer  복사"));
  auto* form = new QFormLayout(&d);
  auto spin = [&d](const char* name, int value) {
    auto* s = new QSpinBox(&d);
    s->setObjectName(name);
    s->setRange(0, CLayerTable::kUserLayers - 1);
    s->setValue(value);
    return s;
  };
  auto* source = spin("source", remembered.source);
  auto* target = spin("target", c.view->doc().layers.workLayer);
  form->addRow(L("복사할 Layer"), source);
  form->addRow(L("복사될 Layer"), target);
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return;
  remembered.source = source->value();
  // The core asks for the redraw.
  CopyLayerCommand(c.app, c.view->doc(), remembered.source, target->value());
}

CommandRegistrar registrar{{"copyLayer", Needs::View, CopyLayer}};

}  // namespace
}  // namespace trevalon
