#include "gui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/qt_helpers.h"
#include "model/layer_table.h"

namespace trevalon {
namespace {

QString Number(double v) {
  return QString::number(v, 'g', 10);
}

}  // namespace

// ---- Values ----------------------------------------------------------------------------------

std::optional<std::string> AskValueDialog(QWidget* parent, const std::string& caption,
                                          const std::string& label, const std::string& current) {
  QDialog d(parent);
  d.setWindowTitle(Q(caption));
  auto* layout = new QVBoxLayout(&d);
  auto* l = new QLabel(Q(label), &d);
  auto* edit = new QLineEdit(Q(current), &d);
  edit->setObjectName("value");
  edit->setValidator(new QDoubleValidator(&d));
  layout->addWidget(l);
  layout->addWidget(edit);
  layout->addWidget(OkCancel(&d));
  edit->selectAll();
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text().toStdString();
}

bool AskNumbers(QWidget* parent, const QString& caption, const QStringList& labels,
                std::vector<double>& values) {
  QDialog d(parent);
  d.setWindowTitle(caption);
  auto* form = new QFormLayout(&d);
  std::vector<QLineEdit*> edits;
  for (int i = 0; i < labels.size(); ++i) {
    auto* e = new QLineEdit(Number(values[static_cast<std::size_t>(i)]), &d);
    e->setObjectName(QString("value%1").arg(i));
    e->setValidator(new QDoubleValidator(&d));
    form->addRow(labels[i], e);
    edits.push_back(e);
  }
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    bool ok = false;
    const double v = edits[i]->text().toDouble(&ok);
    if (ok) values[i] = v;
  }
  return true;
}

// ---- Work environment ------------------------------------------------------------------------

bool WorkEnvironmentDialog(QWidget* parent, AppSettings& s) {
  QDialog d(parent);
  d.setWindowTitle(Q("작업 환경"));
  auto* form = new QFormLayout(&d);
  struct Field {
    const char* label;
    std::string* value;
  } fields[] = {{"ConfigDir", &s.configDir},
                {"WorkDir", &s.workDir},
                {"PostDir", &s.postDir},
                {"Editor", &s.editor},
                {"FileExt", &s.fileExt},
                {"HelpFileName", &s.helpFileName},
                {"TrainingHelpName", &s.trainingHelpName}};
  std::vector<QLineEdit*> edits;
  for (auto& f : fields) {
    auto* e = new QLineEdit(Q(*f.value), &d);
    e->setObjectName(f.label);
    e->setMinimumWidth(360);
    form->addRow(f.label, e);
    edits.push_back(e);
  }
  auto* cross = new QCheckBox("Cross cursor", &d);
  cross->setObjectName("CrossCursorChk");
  cross->setChecked(s.crossCursorChk == 1);
  form->addRow(cross);
  auto* buttons = OkCancel(&d);
  buttons->button(QDialogButtonBox::Ok)->setText("Save");
  form->addRow(buttons);
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    // A value is one word in korvo.cfg: whatever follows a blank would be lost on reading.
    *fields[i].value = edits[i]->text().trimmed().toStdString();
  }
  s.crossCursorChk = cross->isChecked() ? 1 : 0;
  return true;
}

// ---- Layers ------------------------------------------------------------------------------------

std::optional<int> WorkLayerDialog(QWidget* parent, int current) {
  QDialog d(parent);
  d.setWindowTitle("Select work layer");
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

EchoLayerDialog::EchoLayerDialog(QWidget* parent, const CLayerTable& layers) : QDialog(parent) {
  setWindowTitle("Echo Layer");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    auto* b = new QCheckBox(QString::number(i), this);
    b->setObjectName(QString("echo%1").arg(i));
    b->setChecked(layers[i].echo);
    grid->addWidget(b, i % 20, i / 20);
    boxes.push_back(b);
  }
  layout->addLayout(grid);
  auto* row = new QHBoxLayout;
  auto* allOn = new QPushButton("All ON", this);
  auto* allOff = new QPushButton("All OFF", this);
  connect(allOn, &QPushButton::clicked, this, [this] {
    for (auto* b : boxes) b->setChecked(true);
  });
  connect(allOff, &QPushButton::clicked, this, [this] {
    for (auto* b : boxes) b->setChecked(false);
  });
  row->addWidget(allOn);
  row->addWidget(allOff);
  layout->addLayout(row);
  auto* form = new QFormLayout;
  layerOn = new QLineEdit(this);
  layerOn->setObjectName("layerOn");
  layerOff = new QLineEdit(this);
  layerOff->setObjectName("layerOff");
  layerOn->installEventFilter(this);
  layerOff->installEventFilter(this);
  form->addRow("Layer ON", layerOn);
  form->addRow("Layer OFF", layerOff);
  layout->addLayout(form);
  layout->addWidget(OkCancel(this));
}

void EchoLayerDialog::ApplyList(bool on, const QString& list) {
  for (int layer : ParseLayerList(list.toStdString(), 0, CLayerTable::kUserLayers - 1))
    boxes[static_cast<std::size_t>(layer)]->setChecked(on);
}

bool EchoLayerDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (edit && event->type() == QEvent::FocusIn) {
    edit->clear();  // a field is emptied when it gets the focus
  } else if (edit && event->type() == QEvent::FocusOut) {
    ApplyList(edit == layerOn, edit->text());
  }
  return QDialog::eventFilter(watched, event);
}

void EchoLayerDialog::WriteBack(CLayerTable& layers) const {
  for (int i = 0; i < CLayerTable::kUserLayers; ++i)
    layers[i].echo = boxes[static_cast<std::size_t>(i)]->isChecked();
}

bool CopyLayerDialog(QWidget* parent, int& source, int& target) {
  QDialog d(parent);
  d.setWindowTitle(Q("Layer  복사"));
  auto* form = new QFormLayout(&d);
  auto* src = new QSpinBox(&d);
  auto* dst = new QSpinBox(&d);
  src->setObjectName("source");
  dst->setObjectName("target");
  src->setRange(0, CLayerTable::kUserLayers - 1);
  dst->setRange(0, CLayerTable::kUserLayers - 1);
  src->setValue(source);
  dst->setValue(target);
  form->addRow(Q("복사할 Layer"), src);
  form->addRow(Q("복사될 Layer"), dst);
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  source = src->value();
  target = dst->value();
  return true;
}

LayerInfoDialog::LayerInfoDialog(QWidget* parent, CLayerTable& layers, int selected,
                                 const std::string* output, const std::string& ncFilter)
    : QDialog(parent), layers_(layers) {
  setWindowTitle(Q("Layer 정보"));
  auto* layout = new QHBoxLayout(this);
  list = new QListWidget(this);
  list->setObjectName("layers");
  list->setMinimumWidth(280);
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) list->addItem(QString());
  layout->addWidget(list);
  auto* right = new QVBoxLayout;
  auto* form = new QFormLayout;
  auto number = [this](const char* objectName) {
    auto* e = new QLineEdit(this);
    e->setObjectName(objectName);
    e->setValidator(new QIntValidator(0, 100000, e));
    return e;
  };
  name = new QLineEdit(this);
  fileName = new QLineEdit(this);
  fileName->setReadOnly(true);
  program = number("programNumber");
  tool = number("toolNumber");
  offset = number("toolOffset");
  spindle = number("spindle");
  comment = new QPlainTextEdit(this);
  form->addRow(Q("Layer명"), name);
  form->addRow(Q("파일명"), fileName);
  form->addRow("Layer ProgNum", program);
  form->addRow("Layer ToolNum", tool);
  form->addRow("Layer ToolOffset", offset);
  form->addRow("Layer spindle", spindle);
  right->addLayout(form);
  right->addWidget(new QLabel(Q("<< Layer 주석문 >>"), this));
  right->addWidget(comment);
  auto* update = new QPushButton("Layer update", this);
  update->setObjectName("update");
  connect(update, &QPushButton::clicked, this, &LayerInfoDialog::UpdateLayer);
  right->addWidget(update);
  if (output) {
    outputPath = *output;
    auto* outForm = new QFormLayout;
    outputButton_ = new QPushButton(Q(outputPath), this);
    outputButton_->setObjectName("outputFile");
    connect(outputButton_, &QPushButton::clicked, this, [this, ncFilter] {
      const QString f = QFileDialog::getOpenFileName(this, QString(), Q(outputPath), Q(ncFilter));
      if (f.isEmpty()) return;
      outputPath = f.toStdString();
      outputButton_->setText(f);
    });
    layersField = new QLineEdit(this);
    layersField->setObjectName("outputLayers");
    outForm->addRow(Q("출력화일"), outputButton_);
    outForm->addRow(Q("출력 layer"), layersField);
    right->addLayout(outForm);
  }
  right->addWidget(OkCancel(this));
  layout->addLayout(right);
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    char text[600];
    std::snprintf(text, sizeof text, "%3d  %s", i, layers_[i].fileName.c_str());
    list->item(i)->setText(Q(text));
  }
  connect(list, &QListWidget::currentRowChanged, this, &LayerInfoDialog::Select);
  list->setCurrentRow(selected);
  Select(selected);
  connect(this, &QDialog::accepted, this, [this] {
    if (layersField) outputLayers = layersField->text().toStdString();
  });
}

void LayerInfoDialog::Select(int layer) {
  if (!CLayerTable::Valid(layer) || layer >= CLayerTable::kUserLayers) return;
  selected_ = layer;
  const LayerSlot& s = layers_[layer];
  name->setText(Q(s.name));
  fileName->setText(Q(s.fileName));
  program->setText(QString::number(s.programNumber));
  tool->setText(QString::number(s.toolNumber));
  offset->setText(QString::number(s.toolOffset));
  spindle->setText(QString::number(s.spindle));
  QString c = Q(s.comment);
  c.replace("\r\n", "\n");
  comment->setPlainText(c);
}

void LayerInfoDialog::UpdateLayer() {
  LayerSlot& s = layers_[selected_];
  // The numbers must lie between 0 and 100000; a field outside that keeps the layer's value.
  auto take = [](QLineEdit* e, std::int32_t& v) {
    bool ok = false;
    const int n = e->text().toInt(&ok);
    if (ok && n >= 0 && n <= 100000) v = n;
  };
  s.name = name->text().toStdString();
  take(program, s.programNumber);
  take(tool, s.toolNumber);
  take(offset, s.toolOffset);
  take(spindle, s.spindle);
  std::string text;
  for (const QString& line : comment->toPlainText().split('\n')) {
    if (line.isEmpty()) continue;
    text += line.toStdString() + "\r\n";
  }
  s.comment = text;
  char entry[600];
  std::snprintf(entry, sizeof entry, "%3d  %s", selected_, s.fileName.c_str());
  list->item(selected_)->setText(Q(entry));
}

// ---- Toolpath information -----------------------------------------------------------------------

void ToolpathInfoDialog(QWidget* parent, const ToolpathStatistics& s) {
  QDialog d(parent);
  d.setWindowTitle(Q("Ncdata 정보"));
  auto* layout = new QVBoxLayout(&d);
  auto* top = new QFormLayout;
  auto value = [&d](const QString& text) {
    auto* e = new QLineEdit(text, &d);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignRight);
    return e;
  };
  auto fixed = [](double v) { return QString::number(v, 'f', 3); };
  top->addRow(Q("최대 절삭속도"), value(QString::number(s.maxFeed)));
  top->addRow(Q("절삭 이송거리"), value(fixed(s.cuttingLength)));
  top->addRow(Q("급속 이송거리"), value(fixed(s.rapidLength)));
  top->addRow(Q("가공 예상시간(min)"), value(QString::number(s.cuttingTime, 'f', 2)));
  layout->addLayout(top);
  auto group = [&](const char* title, const double* mn, const double* mx) {
    auto* g = new QGroupBox(Q(title), &d);
    auto* f = new QGridLayout(g);
    const char* minLabels[3] = {"최소 X:", "최소 Y:", "최소 Z:"};
    const char* maxLabels[3] = {"최대 X:", "최대 Y:", "최대 Z:"};
    for (int k = 0; k < 3; ++k) {
      f->addWidget(new QLabel(Q(minLabels[k]), g), k, 0);
      f->addWidget(value(fixed(mn[k])), k, 1);
      f->addWidget(new QLabel(Q(maxLabels[k]), g), k, 2);
      f->addWidget(value(fixed(mx[k])), k, 3);
    }
    layout->addWidget(g);
  };
  group("<< 절삭이송 >>", s.cuttingMin, s.cuttingMax);
  group("<< 급속이송 >>", s.rapidMin, s.rapidMax);
  layout->addWidget(OkCancel(&d));
  d.exec();
}

// ---- Layer colours
// -------------------------------------------------------------------------------

bool LayerColourDialog(QWidget* parent, CApplication& app, LayerColourTable& table) {
  QDialog d(parent);
  d.setWindowTitle("Layer color setting");
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
    form->addRow(QString("layer %1").arg(i), c);
    combos.push_back(c);
  }
  layout->addLayout(form);
  auto* buttons = OkCancel(&d);
  auto* save = buttons->addButton(Q("저장"), QDialogButtonBox::ApplyRole);
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

// ---- NC settings --------------------------------------------------------------------------------

DialogResult NcSettingsDialog(QWidget* parent, NcSwitchValues& v) {
  QDialog d(parent);
  d.setWindowTitle(Q("설정"));
  auto* layout = new QVBoxLayout(&d);
  auto box = [&](const char* label, const char* objectName, int value) {
    auto* b = new QCheckBox(Q(label), &d);
    b->setObjectName(objectName);
    b->setChecked(value != 0);
    layout->addWidget(b);
    return b;
  };
  auto* hin = box("Heidenhain 입력", "HeidenhainInputChk", v.heidenhainInput);
  auto* hout = box("Heidenhain 출력", "HeidenhainOutChk", v.heidenhainOut);
  auto* integer = box("정수 NCDATA 입력", "IntNcdataFlg", v.intNcdata);
  auto* arcs = box("ARC(G2, G3) -> LINEAR(G01)", "ArcToCutInputChk", v.arcToCutInput);
  auto* buttons = new QDialogButtonBox(&d);
  auto* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  auto* save = buttons->addButton(Q("저장"), QDialogButtonBox::AcceptRole);
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  ok->setObjectName("ok");
  save->setObjectName("save");
  cancel->setObjectName("cancel");
  DialogResult result = DialogResult::Cancel;
  QObject::connect(ok, &QPushButton::clicked, &d, [&] {
    result = DialogResult::Ok;
    d.accept();
  });
  QObject::connect(save, &QPushButton::clicked, &d, [&] {
    result = DialogResult::Save;
    d.accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
  layout->addWidget(buttons);
  if (d.exec() != QDialog::Accepted) return DialogResult::Cancel;
  v.heidenhainInput = hin->isChecked();
  v.heidenhainOut = hout->isChecked();
  v.intNcdata = integer->isChecked();
  v.arcToCutInput = arcs->isChecked();
  return result;
}

}  // namespace trevalon
