// "Layer color setting": ten lists of the sixteen colours. OK takes them; the save button
// writes color.par (its failure is the file error) and takes them too.

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "gui/command_registry.h"
#include "gui/toolpath_view.h"
#include "view/layer_colours.h"

namespace trevalon {
namespace {

bool EditColours(QWidget* parent, CApplication& app, LayerColourTable& table) {
  QDialog d(parent);
  d.setWindowTitle(L("Layer color setting"));
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QFormLayout;
  std::vector<QComboBox*> combos;
  for (int i = 0; i < LayerColourTable::kFileLayers; ++i) {
    auto* c = new QComboBox(&d);
    c->setObjectName(QString("colour%1").arg(i));
    for (const NamedColour& nc : kColourList) {
      QPixmap swatch(14, 14);
      swatch.fill(QColor(nc.red, nc.green, nc.blue));
      c->addItem(QIcon(swatch), nc.name);
    }
    c->setCurrentIndex(table.index[static_cast<std::size_t>(i)]);
    form->addRow(L("layer %1").arg(i), c);
    combos.push_back(c);
  }
  layout->addLayout(form);
  auto* buttons = OkCancel(&d);
  auto* save = buttons->addButton(L("저장"), QDialogButtonBox::ApplyRole);
  save->setObjectName("save");
  bool saved = false;
  auto take = [&](LayerColourTable& t) {
    for (int i = 0; i < LayerColourTable::kFileLayers; ++i)
      t.index[static_cast<std::size_t>(i)] = combos[static_cast<std::size_t>(i)]->currentIndex();
  };
  QObject::connect(save, &QPushButton::clicked, &d, [&] {
    LayerColourTable t = table;
    take(t);
    if (!WriteLayerColours(app.settings.configDir, t)) {
      app.ShowCannotOpen();  // nothing else changes
      return;
    }
    table = t;
    saved = true;
  });
  layout->addWidget(buttons);
  if (d.exec() != QDialog::Accepted) return saved;
  take(table);
  return true;
}

CommandRegistrar registrar{
    {"layerColours", Needs::View,
     [](CommandContext& c) {
       if (EditColours(c.parent(), c.app, c.view->doc().colours)) c.view->Redraw();
     }},
};

}  // namespace
}  // namespace trevalon
