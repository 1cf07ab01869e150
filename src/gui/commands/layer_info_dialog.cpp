#include "gui/commands/layer_info_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/command_registry.h"
#include "gui/main_window.h"
#include "gui/nc_files.h"

namespace trevalon {

LayerInfoDialog::LayerInfoDialog(QWidget* parent, CLayerTable& layers, int selected,
                                 const std::string* output, const QStringList& ncFilters)
    : QDialog(parent), layers_(layers) {
  setWindowTitle(L("Layer 정보"));
  auto* layout = new QHBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("layers");
  list_->setMinimumWidth(280);
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) list_->addItem(QString());
  layout->addWidget(list_);
  auto* right = new QVBoxLayout;
  auto* form = new QFormLayout;
  name_ = new QLineEdit(this);
  name_->setObjectName("name");
  fileName_ = new QLineEdit(this);
  fileName_->setReadOnly(true);
  program_ = IntField(this, "programNumber", 0, LayerSlot::kNumberRange);
  tool_ = IntField(this, "toolNumber", 0, LayerSlot::kNumberRange);
  offset_ = IntField(this, "toolOffset", 0, LayerSlot::kNumberRange);
  spindle_ = IntField(this, "spindle", 0, LayerSlot::kNumberRange);
  comment_ = new QPlainTextEdit(this);
  form->addRow(L("Layer명"), name_);
  form->addRow(L("파일명"), fileName_);
  form->addRow(L("Layer ProgNum"), program_);
  form->addRow(L("Layer ToolNum"), tool_);
  form->addRow(L("Layer ToolOffset"), offset_);
  form->addRow(L("Layer spindle"), spindle_);
  right->addLayout(form);
  right->addWidget(new QLabel(L("<< Layer 주석문 >>"), this));
  right->addWidget(comment_);
  auto* update = new QPushButton(L("Layer update"), this);
  update->setObjectName("update");
  connect(update, &QPushButton::clicked, this, &LayerInfoDialog::UpdateLayer);
  right->addWidget(update);
  if (output) {
    outputPath = *output;
    auto* outForm = new QFormLayout;
    outputButton_ = new QPushButton(Q(outputPath), this);
    outputButton_->setObjectName("outputFile");
    connect(outputButton_, &QPushButton::clicked, this, [this, ncFilters] {
      FilePick pick;
      pick.mode = FilePick::Mode::Save;
      pick.title = L("출력화일");
      pick.filters = ncFilters;
      pick.start = outputPath;
      const std::string f = PickFile(this, pick);
      if (f.empty()) return;
      outputPath = f;
      outputConfirmed = true;
      outputButton_->setText(Q(f));
    });
    layersField_ = new QLineEdit(this);
    layersField_->setObjectName("outputLayers");
    outForm->addRow(L("출력화일"), outputButton_);
    outForm->addRow(L("출력 layer"), layersField_);
    // The layer output has no options dialog: its verify box stands with the layer list.
    verifyBox_ = CheckBox(this, L("쓰기 후 검증"), "verifyAfterWriting", verify);
    outForm->addRow(QString(), verifyBox_);
    right->addLayout(outForm);
  }
  right->addWidget(OkCancel(this));
  layout->addLayout(right);
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    char text[600];
    std::snprintf(text, sizeof text, "%3d  %s", i, layers_[i].fileName.c_str());
    list_->item(i)->setText(Q(text));
  }
  connect(list_, &QListWidget::currentRowChanged, this, &LayerInfoDialog::Select);
  list_->setCurrentRow(selected);
  Select(selected);
  connect(this, &QDialog::accepted, this, [this] {
    if (layersField_) outputLayers = layersField_->text().toStdString();
    if (verifyBox_) verify = verifyBox_->isChecked();
  });
}

void LayerInfoDialog::SetVerifyTip(const QString& tip) {
  if (!verifyBox_) return;
  verifyBox_->setToolTip(tip);
  verifyBox_->setStatusTip(tip);
}

void LayerInfoDialog::Select(int layer) {
  if (!CLayerTable::Valid(layer) || layer >= CLayerTable::kUserLayers) return;
  selected_ = layer;
  const LayerSlot& s = layers_[layer];
  name_->setText(Q(s.name));
  fileName_->setText(Q(s.fileName));
  program_->setText(QString::number(s.programNumber));
  tool_->setText(QString::number(s.toolNumber));
  offset_->setText(QString::number(s.toolOffset));
  spindle_->setText(QString::number(s.spindle));
  comment_->setPlainText(CommentForEditing(s.comment));
}

void LayerInfoDialog::UpdateLayer() {
  LayerSlot& s = layers_[selected_];
  s.name = name_->text().toStdString();
  TakeInt(program_, s.programNumber, LayerSlot::kNumberRange);
  TakeInt(tool_, s.toolNumber, LayerSlot::kNumberRange);
  TakeInt(offset_, s.toolOffset, LayerSlot::kNumberRange);
  TakeInt(spindle_, s.spindle, LayerSlot::kNumberRange);
  s.comment = CommentFromEditing(comment_->toPlainText());
  char entry[600];
  std::snprintf(entry, sizeof entry, "%3d  %s", selected_, s.fileName.c_str());
  list_->item(selected_)->setText(Q(entry));
}

namespace {

// "Layer Setting": the work layer's attributes live in its slot already; the dialog edits
// them in place, and the layer list takes the names.
void LayerInformation(CommandContext& c) {
  CDocument& doc = c.view->doc();
  LayerInfoDialog d(c.parent(), doc.layers, doc.layers.workLayer);
  if (d.exec() != QDialog::Accepted) return;
  c.frame.RefreshLayerList(true);
}

CommandRegistrar registrar{{"layerInfo", Needs::View, LayerInformation}};

}  // namespace
}  // namespace trevalon
