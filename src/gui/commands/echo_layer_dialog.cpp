// "Layer echo": the dialog "Echo Layer" with one box per layer, All ON / All OFF, and the
// Layer ON / Layer OFF lists; OK writes the hundred flags back.

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

class EchoLayerDialog : public QDialog {
 public:
  EchoLayerDialog(QWidget* parent, const CLayerTable& layers) : QDialog(parent) {
    setWindowTitle(L("Echo Layer"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
      auto* b =
          CheckBox(this, QString::number(i), qPrintable(QString("echo%1").arg(i)), layers[i].echo);
      grid->addWidget(b, i % 20, i / 20);
      boxes_.push_back(b);
    }
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    auto* allOn = new QPushButton(L("All ON"), this);
    auto* allOff = new QPushButton(L("All OFF"), this);
    connect(allOn, &QPushButton::clicked, this, [this] { SetAll(true); });
    connect(allOff, &QPushButton::clicked, this, [this] { SetAll(false); });
    row->addWidget(allOn);
    row->addWidget(allOff);
    layout->addLayout(row);
    auto* form = new QFormLayout;
    layerOn_ = new QLineEdit(this);
    layerOn_->setObjectName("layerOn");
    layerOff_ = new QLineEdit(this);
    layerOff_->setObjectName("layerOff");
    layerOn_->installEventFilter(this);
    layerOff_->installEventFilter(this);
    form->addRow(L("Layer ON"), layerOn_);
    form->addRow(L("Layer OFF"), layerOff_);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
  }

  void WriteBack(CLayerTable& layers) const {
    for (int i = 0; i < CLayerTable::kUserLayers; ++i)
      layers[i].echo = boxes_[static_cast<std::size_t>(i)]->isChecked();
  }

 protected:
  // A list field is emptied when it gets the focus; when it loses it, the listed layers are
  // ticked (Layer ON) or cleared (Layer OFF).
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn) {
      edit->clear();
    } else if (edit && event->type() == QEvent::FocusOut) {
      for (int layer : ParseLayerList(edit->text().toStdString(), 0, CLayerTable::kUserLayers - 1))
        boxes_[static_cast<std::size_t>(layer)]->setChecked(edit == layerOn_);
    }
    return QDialog::eventFilter(watched, event);
  }

 private:
  void SetAll(bool on) {
    for (auto* b : boxes_) b->setChecked(on);
  }
  std::vector<QCheckBox*> boxes_;
  QLineEdit* layerOn_ = nullptr;
  QLineEdit* layerOff_ = nullptr;
};

void EchoLayers(CommandContext& c) {
  EchoLayerDialog d(c.parent(), c.view->doc().layers);
  if (d.exec() != QDialog::Accepted) return;
  d.WriteBack(c.view->doc().layers);
  c.view->Redraw();
}

CommandRegistrar registrar{{"echoLayers", Needs::View, EchoLayers}};

}  // namespace
}  // namespace trevalon
