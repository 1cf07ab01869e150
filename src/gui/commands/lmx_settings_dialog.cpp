#include "gui/commands/lmx_settings_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/dialog_kit.h"
#include "gui/labels.h"

namespace trevalon {
namespace {

// The label of a weight: "30도 가중치(0.70)".
QString WeightLabel(int degrees, const QString& text, float weight) {
  char value[32];
  std::snprintf(value, sizeof value, "(%2.2f)", static_cast<double>(weight));
  return QString::number(degrees) + text + value;
}

QString Fixed3(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(v));
  return QString::fromUtf8(text);
}

}  // namespace

float* LmxSettingsDialog::Weight(int index) {
  float* w[6] = {&conditions.CorWeight0,  &conditions.CorWeight30,  &conditions.CorWeight60,
                 &conditions.SideWeight0, &conditions.SideWeight30, &conditions.SideWeight60};
  return w[index];
}

LmxSettingsDialog::LmxSettingsDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                                     const std::string& masterModelFile)
    : QDialog(parent), conditions(c), app_(app), masterFile_(masterModelFile) {
  setWindowTitle(L("LMX 설정"));
  auto* layout = new QVBoxLayout(this);
  master_ = CheckBox(this, L("Master에 의한 LMX "), "master", conditions.LmxByMaster == 1);
  xyReduce_ = CheckBox(this, L("LMX 전송시 XY변화 축소(0.3)"), "xyReduce",
                       conditions.XyChgReduceCheck == 1);
  smooth_ = CheckBox(this, L("부드러운 피드 변화"), "smooth", conditions.FeedChgSmoothCheck == 1);
  layout->addWidget(master_);
  layout->addWidget(xyReduce_);
  layout->addWidget(smooth_);
  connect(master_, &QCheckBox::clicked, this, [this](bool on) { SetMaster(on); });

  auto* form = new QFormLayout;
  feedUnit_ = IntField(this, "feedUnit", conditions.FeedChgAng, kFeedUnitRange);
  zUpDown_ = RealField(this, "zUpDown", Fixed3(conditions.ZupZdown), kConditionRealRange);
  sideCorner_ = RealField(this, "sideCorner", Fixed3(conditions.SideCorRat), kConditionRealRange);
  form->addRow(L("피드 변화 단위"), feedUnit_);
  form->addRow(L("Z 상향 / Z 하향"), zUpDown_);
  form->addRow(L("경사/코너 감속비"), sideCorner_);
  layout->addLayout(form);

  const QString degreeText = CoreLabel(app_, Txt::DegreeWeight);
  const char* groups[2] = {LabelText("코너 가중치"), LabelText("경사 가중치")};
  for (int g = 0; g < 2; ++g) {
    auto* box = new QGroupBox(L(groups[g]), this);
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
      labels_[static_cast<std::size_t>(index)] = l;
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
  master_->setChecked(flag == 1);
}

void LmxSettingsDialog::SliderMoved(int index, int position) {
  float* w = Weight(index);
  *w = static_cast<float>(position) * 0.01f;
  labels_[static_cast<std::size_t>(index)]->setText(
      WeightLabel((index % 3) * 30, CoreLabel(app_, Txt::DegreeWeight), *w));
}

void LmxSettingsDialog::TakeEdits() {
  conditions.XyChgReduceCheck = xyReduce_->isChecked() ? 1 : 0;
  conditions.FeedChgSmoothCheck = smooth_->isChecked() ? 1 : 0;
  TakeInt(feedUnit_, conditions.FeedChgAng, kFeedUnitRange);
  // A unit read from a hand-edited file may still be 0: it divides.
  KeepFeedUnitUsable(conditions);
  TakeReal(zUpDown_, conditions.ZupZdown, kConditionRealRange);
  TakeReal(sideCorner_, conditions.SideCorRat, kConditionRealRange);
}

}  // namespace trevalon
