#include "gui/feed_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/qt_helpers.h"

namespace trevalon {
namespace {

QLineEdit* IntEdit(QWidget* parent, const char* name, int value, int low, int high) {
  auto* e = new QLineEdit(QString::number(value), parent);
  e->setObjectName(name);
  e->setValidator(new QIntValidator(low, high, e));
  return e;
}

QLineEdit* RealEdit(QWidget* parent, const char* name, const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setValidator(new QDoubleValidator(e));
  return e;
}

QString Fixed(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return QString::fromUtf8(text);
}

// An edit's number; a box that holds no number leaves the field as it was, so that clearing
// a box by mistake never turns a feed or a limit into 0.
void TakeReal(const QLineEdit* e, float& field) {
  bool ok = false;
  const double v = e->text().trimmed().toDouble(&ok);
  if (ok) field = static_cast<float>(v);
}
void TakeInt(const QLineEdit* e, std::int32_t& field) {
  bool ok = false;
  const int v = e->text().trimmed().toInt(&ok);
  if (ok) field = v;
}

// The chosen condition file: the file dialog starts on "*.lmx" in the channel's condition
// directory.
QString ConditionFileDialog(QWidget* parent, const std::string& directory, bool save) {
  const QString dir = Q(directory);
  const QString filter = "*.lmx";
  return save ? QFileDialog::getSaveFileName(parent, QString(), dir, filter)
              : QFileDialog::getOpenFileName(parent, QString(), dir, filter);
}

float* Field(CuttingConditions& c, int index) {
  float* fields[6] = {&c.ToolDiameter,       &c.SafetyDistance, &c.CornerMinAngle,
                      &c.CornerMaxReduction, &c.SlopeMinAngle,  &c.SlopeMaxReduction};
  return fields[index];
}

}  // namespace

// ---- LMX settings --------------------------------------------------------------------------

QString LmxSettingsDialog::WeightLabel(int degrees, const char* text, float weight) {
  static const char* formats[3] = {"0%s(%2.2f)", "30%s(%2.2f)", "60%s(%2.2f)"};
  const int k = degrees == 0 ? 0 : degrees == 30 ? 1 : 2;
  char label[96];
  std::snprintf(label, sizeof label, formats[k], text, static_cast<double>(weight));
  return QString::fromUtf8(label);
}

float* LmxSettingsDialog::Weight(int index) {
  float* w[6] = {&conditions.CorWeight0,  &conditions.CorWeight30,  &conditions.CorWeight60,
                 &conditions.SideWeight0, &conditions.SideWeight30, &conditions.SideWeight60};
  return w[index];
}

LmxSettingsDialog::LmxSettingsDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                                     const std::string& masterModelFile)
    : QDialog(parent), conditions(c), app_(app), masterFile_(masterModelFile) {
  setWindowTitle(Q("LMX 설정"));
  auto* layout = new QVBoxLayout(this);
  master = new QCheckBox(Q("Master에 의한 LMX "), this);
  master->setObjectName("master");
  master->setChecked(conditions.LmxByMaster == 1);
  xyReduce = new QCheckBox(Q("LMX 전송시 XY변화 축소(0.3)"), this);
  xyReduce->setObjectName("xyReduce");
  xyReduce->setChecked(conditions.XyChgReduceCheck == 1);
  smooth = new QCheckBox(Q("부드러운 피드 변화"), this);
  smooth->setObjectName("smooth");
  smooth->setChecked(conditions.FeedChgSmoothCheck == 1);
  layout->addWidget(master);
  layout->addWidget(xyReduce);
  layout->addWidget(smooth);
  connect(master, &QCheckBox::clicked, this, [this](bool on) { SetMaster(on); });

  auto* form = new QFormLayout;
  feedUnit = IntEdit(this, "feedUnit", conditions.FeedChgAng, 1, 100000);
  zUpDown = RealEdit(this, "zUpDown", Fixed("%.3f", conditions.ZupZdown));
  sideCorner = RealEdit(this, "sideCorner", Fixed("%.3f", conditions.SideCorRat));
  form->addRow(Q("피드 변화 단위"), feedUnit);
  form->addRow(Q("Z 상향 / Z 하향"), zUpDown);
  form->addRow(Q("경사/코너 감속비"), sideCorner);
  layout->addLayout(form);

  const char* degreeText = app_.Text(Txt::DegreeWeight);
  const char* groups[2] = {"코너 가중치", "경사 가중치"};
  for (int g = 0; g < 2; ++g) {
    auto* box = new QGroupBox(Q(groups[g]), this);
    auto* grid = new QGridLayout(box);
    for (int k = 0; k < 3; ++k) {
      const int index = g * 3 + k;
      auto* s = new QSlider(Qt::Horizontal, box);
      s->setObjectName(QString("weight%1").arg(index));
      s->setRange(0, 100);
      // The weight in single precision times 100, truncated: 0.7 stands at 70.
      s->setValue(static_cast<int>(*Weight(index) * 100.0f));
      s->setMinimumWidth(200);
      auto* l = new QLabel(WeightLabel(k * 30, degreeText, *Weight(index)), box);
      l->setObjectName(QString("weightLabel%1").arg(index));
      l->setMinimumWidth(130);
      grid->addWidget(l, k, 0);
      grid->addWidget(s, k, 1);
      sliders[static_cast<std::size_t>(index)] = s;
      labels[static_cast<std::size_t>(index)] = l;
      connect(s, &QSlider::valueChanged, this,
              [this, index](int position) { SliderMoved(index, position); });
    }
    layout->addWidget(box);
  }
  layout->addWidget(OkCancel(this));
  connect(this, &QDialog::accepted, this, [this] { TakeEdits(); });
}

void LmxSettingsDialog::SetMaster(bool on) {
  const int flag = SetLmxByMaster(conditions, on ? 1 : 0, masterFile_);
  master->setChecked(flag == 1);
}

void LmxSettingsDialog::SliderMoved(int index, int position) {
  float* w = Weight(index);
  *w = static_cast<float>(position) * 0.01f;
  labels[static_cast<std::size_t>(index)]->setText(
      WeightLabel((index % 3) * 30, app_.Text(Txt::DegreeWeight), *w));
}

void LmxSettingsDialog::TakeEdits() {
  conditions.XyChgReduceCheck = xyReduce->isChecked() ? 1 : 0;
  conditions.FeedChgSmoothCheck = smooth->isChecked() ? 1 : 0;
  TakeInt(feedUnit, conditions.FeedChgAng);
  // Every optimised feed is a multiple of the unit: below 1 it would divide by zero.
  KeepFeedUnitUsable(conditions);
  TakeReal(zUpDown, conditions.ZupZdown);
  TakeReal(sideCorner, conditions.SideCorRat);
}

// ---- Automatic feed adjustment -----------------------------------------------------------

AutoFeedDialog::AutoFeedDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                               const std::string& conditionDirectory)
    : QDialog(parent), conditions(c), app_(app), directory_(conditionDirectory) {
  setWindowTitle(Q("자동 피드 조정"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const Txt labels[6] = {Txt::LmxToolDiameter,   Txt::LmxSafetyDistance,
                         Txt::LmxCornerMinAngle, Txt::LmxCornerMaxReduction,
                         Txt::LmxSlopeMinAngle,  Txt::LmxSlopeMaxReduction};
  for (int i = 0; i < 6; ++i) {
    auto* e = RealEdit(this, qPrintable(QString("real%1").arg(i)), QString());
    reals[static_cast<std::size_t>(i)] = e;
    form->addRow(Q(app_.Text(labels[i])).trimmed(), e);
    // An edit takes its value when it loses the focus.
    connect(e, &QLineEdit::editingFinished, this,
            [this, e, i] { TakeReal(e, *Field(conditions, i)); });
  }
  plungeFeed = IntEdit(this, "plungeFeed", 0, 0, 1000000);
  maxFeed = IntEdit(this, "maxFeed", 0, 0, 1000000);
  material = new QLineEdit(this);
  material->setObjectName("material");
  form->addRow(Q("공구 접근피드"), plungeFeed);
  form->addRow(Q(app_.Text(Txt::LmxMaxFeed)).trimmed(), maxFeed);
  form->addRow(Q(app_.Text(Txt::LmxMaterial)).trimmed(), material);
  connect(plungeFeed, &QLineEdit::editingFinished, this,
          [this] { TakeInt(plungeFeed, conditions.PlungeFeed); });
  connect(maxFeed, &QLineEdit::editingFinished, this,
          [this] { TakeInt(maxFeed, conditions.MaxFeed); });
  layout->addLayout(form);

  auto* files = new QHBoxLayout;
  readButton = new QPushButton(Q(app_.Text(Txt::ConditionFileButton)), this);
  readButton->setObjectName("readConditions");
  writeButton = new QPushButton(Q("조건저장"), this);
  writeButton->setObjectName("writeConditions");
  files->addWidget(readButton, 1);
  files->addWidget(writeButton);
  layout->addLayout(files);
  connect(readButton, &QPushButton::clicked, this, [this] {
    const QString path = ConditionFileDialog(this, directory_, false);
    if (!path.isEmpty()) ReadConditions(path.toStdString());
  });
  connect(writeButton, &QPushButton::clicked, this, [this] {
    // Cancelling the file dialog writes nothing and says nothing.
    const QString path = ConditionFileDialog(this, directory_, true);
    if (!path.isEmpty()) WriteConditions(path.toStdString());
  });
  layout->addWidget(OkCancel(this));
  connect(this, &QDialog::accepted, this, [this] { TakeEdits(); });
  ShowConditions();
}

void AutoFeedDialog::ShowConditions() {
  for (int i = 0; i < 6; ++i)
    reals[static_cast<std::size_t>(i)]->setText(Fixed("%6.3f", *Field(conditions, i)));
  plungeFeed->setText(QString::number(conditions.PlungeFeed));
  maxFeed->setText(QString::number(conditions.MaxFeed));
  material->setText(Q(conditions.Material));
}

void AutoFeedDialog::TakeEdits() {
  for (int i = 0; i < 6; ++i) TakeReal(reals[static_cast<std::size_t>(i)], *Field(conditions, i));
  TakeInt(plungeFeed, conditions.PlungeFeed);
  TakeInt(maxFeed, conditions.MaxFeed);
  // The material is one word in a condition file: whatever followed a blank would be read
  // as the next keyword. Blanks inside become '_'; an empty box keeps the material.
  QString word = material->text().trimmed();
  word.replace(QRegularExpression("\\s+"), "_");
  if (!word.isEmpty()) conditions.Material = word.toStdString();
}

int AutoFeedDialog::ReadConditions(const std::string& path) {
  const QString label = Q(app_.Text(Txt::ConditionFileButton));
  if (!ReadConditionsFile(path, conditions)) {
    readButton->setText(label);
    return 0;
  }
  ShowConditions();
  readButton->setText(label + QFileInfo(Q(path)).fileName());
  return 1;
}

int AutoFeedDialog::WriteConditions(const std::string& path) {
  TakeEdits();
  return WriteConditionsFile(app_.Msg(), path, conditions).ok();
}

// ---- Transfer dialog -----------------------------------------------------------------------

TransferDialog::TransferDialog(QWidget* parent, CApplication& app, const ChannelSettings& channel)
    : QDialog(parent),
      conditions(channel.conditions),
      masterModelFile(channel.masterModelFile),
      conditionDirectory(channel.conditionDirectory),
      app_(app) {
  setWindowTitle(Q("전송 dialog"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  maxBox = IntEdit(this, "maxFeed", 0, 0, 100000);
  minBox = IntEdit(this, "minFeed", 0, 0, 100000);
  form->addRow(Q("최대 피드"), maxBox);
  form->addRow(Q("최저 피드"), minBox);
  layout->addLayout(form);
  connect(maxBox, &QLineEdit::textChanged, this, [this] { FeedBoxChanged(); });
  connect(minBox, &QLineEdit::textChanged, this, [this] { FeedBoxChanged(); });

  auto* buttons = new QGridLayout;
  lmxButton = new QPushButton("LMX", this);
  lmxButton->setObjectName("lmx");
  setButton = new QPushButton("Set", this);
  setButton->setObjectName("set");
  // The cutting-data calculator is not part of the program: its button is there, disabled,
  // so that the dialog keeps its place for it.
  calculatorButton = new QPushButton(Q("계산기"), this);
  calculatorButton->setObjectName("calculator");
  calculatorButton->setEnabled(false);
  conditionButton = new QPushButton(Q("조건화일 :"), this);
  conditionButton->setObjectName("conditionFile");
  mmaButton = new QPushButton(this);
  mmaButton->setObjectName("mma");
  buttons->addWidget(lmxButton, 0, 0);
  buttons->addWidget(setButton, 0, 1);
  buttons->addWidget(calculatorButton, 0, 2);
  buttons->addWidget(conditionButton, 1, 0, 1, 3);
  buttons->addWidget(mmaButton, 2, 0, 1, 3);
  layout->addLayout(buttons);
  connect(lmxButton, &QPushButton::clicked, this, [this] { OpenAutoFeed(); });
  connect(setButton, &QPushButton::clicked, this, [this] { OpenLmxSettings(); });
  connect(conditionButton, &QPushButton::clicked, this, [this] {
    const QString path = ConditionFileDialog(this, conditionDirectory, false);
    if (!path.isEmpty()) ReadConditions(path.toStdString());
  });
  connect(mmaButton, &QPushButton::clicked, this, [this] {
    QFileDialog d(this);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilters({"Master file (*.mma)", "Ncdata file(*.nc, *.hnc, *.tap) (*.nc *.hnc *tap)",
                      "All file(*.*) (*)"});
    if (!masterModelFile.empty()) d.selectFile(Q(masterModelFile));
    const bool ok = d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty();
    ChooseMasterFile(ok ? d.selectedFiles().front().toStdString() : std::string());
  });

  finishing = new QCheckBox(Q("정삭"), this);
  finishing->setObjectName("finishing");
  finishing->setChecked(conditions.ConCorChk == 1);
  zSearch = new QCheckBox(Q("Z 상하향 검색"), this);
  zSearch->setObjectName("zSearch");
  zSearch->setChecked(conditions.UpDownChk == 1);
  connect(finishing, &QCheckBox::toggled, this,
          [this](bool on) { conditions.ConCorChk = on ? 1 : 0; });
  connect(zSearch, &QCheckBox::toggled, this,
          [this](bool on) { conditions.UpDownChk = on ? 1 : 0; });
  auto* checks = new QHBoxLayout;
  checks->addWidget(finishing);
  checks->addWidget(zSearch);
  layout->addLayout(checks);
  layout->addWidget(OkCancel(this));

  mmaButton->setText(masterModelFile.size() > 4 ? Q(app_.Text(Txt::MmaFile)) + Q(masterModelFile)
                                                : Q(app_.Text(Txt::MmaFileNone)));
  // The boxes open on MaxFeed and MaxFeed x the corner reduction.
  const FeedBoxes boxes = TransferDialogBoxes(conditions);
  filling_ = true;
  maxBox->setText(QString::number(boxes.maxFeed));
  minBox->setText(QString::number(boxes.minFeed));
  filling_ = false;
}

void TransferDialog::FeedBoxChanged() {
  if (filling_) return;
  // A box in the middle of an edit (empty, a lone sign) counts as 0; the relations apply only
  // while the maximum is above 0.
  ApplyFeedBoxes(conditions, maxBox->text().toInt(), minBox->text().toInt());
}

void TransferDialog::ShowFeedBoxes() {
  filling_ = true;
  maxBox->setText(QString::number(conditions.MaxFeed));
  minBox->setText(QString::number(MinimumFeedShown(conditions)));
  filling_ = false;
}

int TransferDialog::ReadConditions(const std::string& path) {
  const QString label = Q(app_.Text(Txt::ConditionFileButton));
  if (!ReadConditionsFile(path, conditions)) {
    conditionButton->setText(label);
    return 0;
  }
  ShowFeedBoxes();
  finishing->setChecked(conditions.ConCorChk == 1);
  zSearch->setChecked(conditions.UpDownChk == 1);
  conditionButton->setText(label + QFileInfo(Q(path)).fileName());
  return 1;
}

void TransferDialog::ChooseMasterFile(const std::string& path) {
  if (path.empty()) {
    masterModelFile.clear();
    mmaButton->setText(Q(app_.Text(Txt::MmaFileNone)));
    return;
  }
  masterModelFile = MasterModelFileName(path);
  mmaButton->setText(Q(app_.Text(Txt::MmaFile)) + Q(masterModelFile));
}

void TransferDialog::OpenAutoFeed() {
  AutoFeedDialog d(this, app_, conditions, conditionDirectory);
  if (d.exec() != QDialog::Accepted) return;
  conditions = d.conditions;
  ShowFeedBoxes();
}

void TransferDialog::OpenLmxSettings() {
  LmxSettingsDialog d(this, app_, conditions, masterModelFile);
  if (d.exec() != QDialog::Accepted) return;
  conditions = d.conditions;
  SlopeReductionFromCorner(conditions);
}

void TransferDialog::WriteBack(ChannelSettings& channel, bool ok) const {
  channel.dialogResult = ok ? 1 : 0;
  if (!ok) return;
  channel.conditions = conditions;
  channel.masterModelFile = masterModelFile;
}

// ---- Master model ----------------------------------------------------------------------------

bool MasterModelDialog(QWidget* parent, double& toolDiameter, double& allowance,
                       double& tolerance) {
  QDialog d(parent);
  d.setWindowTitle("Master Model");
  auto* form = new QFormLayout(&d);
  auto* tool = RealEdit(&d, "toolDiameter", QString::number(toolDiameter, 'g', 10));
  auto* allow = RealEdit(&d, "allowance", QString::number(allowance, 'g', 10));
  auto* tol = RealEdit(&d, "tolerance", QString::number(tolerance, 'g', 10));
  form->addRow(Q("공구 직경"), tool);
  form->addRow(Q("가공 여유"), allow);
  form->addRow(Q("마스터 모델 공차"), tol);
  form->addRow(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  auto take = [](QLineEdit* e, double& v, bool positive) {
    bool ok = false;
    const double x = e->text().trimmed().toDouble(&ok);
    if (ok && (!positive || x > 0.0)) v = x;
  };
  take(tool, toolDiameter, false);
  take(allow, allowance, false);
  take(tol, tolerance, true);
  return true;
}

}  // namespace trevalon
