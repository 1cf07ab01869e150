#include "gui/commands/auto_feed_dialog.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstdio>

#include "feed/feed_control.h"
#include "gui/command_registry.h"
#include "gui/labels.h"

namespace trevalon {
namespace {

float* Field(CuttingConditions& c, int index) {
  float* fields[6] = {&c.ToolDiameter,       &c.SafetyDistance, &c.CornerMinAngle,
                      &c.CornerMaxReduction, &c.SlopeMinAngle,  &c.SlopeMaxReduction};
  return fields[index];
}

}  // namespace

std::string PickConditionFile(QWidget* parent, const std::string& directory, bool save) {
  FilePick pick;
  pick.mode = save ? FilePick::Mode::Save : FilePick::Mode::Open;
  pick.filters = {"*.lmx"};
  pick.directory = directory;
  return PickFile(parent, pick);
}

AutoFeedDialog::AutoFeedDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                               const std::string& conditionDirectory)
    : QDialog(parent), conditions(c), app_(app), directory_(conditionDirectory) {
  setWindowTitle(L("자동 피드 조정"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const QString labels[6] = {
      CoreLabel(app_, Txt::LmxToolDiameter),   CoreLabel(app_, Txt::LmxSafetyDistance),
      CoreLabel(app_, Txt::LmxCornerMinAngle), CoreLabel(app_, Txt::LmxCornerMaxReduction),
      CoreLabel(app_, Txt::LmxSlopeMinAngle),  CoreLabel(app_, Txt::LmxSlopeMaxReduction)};
  for (int i = 0; i < 6; ++i) {
    auto* e = RealField(this, qPrintable(QString("real%1").arg(i)), QString(), kConditionRealRange);
    reals_[static_cast<std::size_t>(i)] = e;
    form->addRow(labels[i].trimmed(), e);
    // An edit takes its value when it loses the focus.
    connect(e, &QLineEdit::editingFinished, this,
            [this, e, i] { TakeReal(e, *Field(conditions, i), kConditionRealRange); });
  }
  plungeFeed_ = IntField(this, "plungeFeed", 0, kConditionFeedRange);
  maxFeed_ = IntField(this, "maxFeed", 0, kConditionFeedRange);
  material_ = new QLineEdit(this);
  material_->setObjectName("material");
  form->addRow(L("공구 접근피드"), plungeFeed_);
  form->addRow(CoreLabel(app_, Txt::LmxMaxFeed).trimmed(), maxFeed_);
  form->addRow(CoreLabel(app_, Txt::LmxMaterial).trimmed(), material_);
  connect(plungeFeed_, &QLineEdit::editingFinished, this,
          [this] { TakeInt(plungeFeed_, conditions.PlungeFeed, kConditionFeedRange); });
  connect(maxFeed_, &QLineEdit::editingFinished, this,
          [this] { TakeInt(maxFeed_, conditions.MaxFeed, kConditionFeedRange); });
  layout->addLayout(form);

  auto* files = new QHBoxLayout;
  readButton_ = new QPushButton(CoreLabel(app_, Txt::ConditionFileButton), this);
  readButton_->setObjectName("readConditions");
  auto* writeButton = new QPushButton(L("조건저장"), this);
  writeButton->setObjectName("writeConditions");
  files->addWidget(readButton_, 1);
  files->addWidget(writeButton);
  layout->addLayout(files);
  connect(readButton_, &QPushButton::clicked, this, [this] {
    const std::string path = PickConditionFile(this, directory_, false);
    if (!path.empty()) ReadConditions(path);
  });
  connect(writeButton, &QPushButton::clicked, this, [this] {
    // Cancelling the file dialog writes nothing and says nothing.
    const std::string path = PickConditionFile(this, directory_, true);
    if (!path.empty()) WriteConditions(path);
  });
  layout->addWidget(OkCancel(this));
  connect(this, &QDialog::accepted, this, [this] { TakeEdits(); });
  ShowConditions();
}

void AutoFeedDialog::ShowConditions() {
  for (int i = 0; i < 6; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%6.3f", static_cast<double>(*Field(conditions, i)));
    reals_[static_cast<std::size_t>(i)]->setText(QString::fromUtf8(text));
  }
  plungeFeed_->setText(QString::number(conditions.PlungeFeed));
  maxFeed_->setText(QString::number(conditions.MaxFeed));
  material_->setText(Q(conditions.Material));
}

void AutoFeedDialog::TakeEdits() {
  for (int i = 0; i < 6; ++i)
    TakeReal(reals_[static_cast<std::size_t>(i)], *Field(conditions, i), kConditionRealRange);
  TakeInt(plungeFeed_, conditions.PlungeFeed, kConditionFeedRange);
  TakeInt(maxFeed_, conditions.MaxFeed, kConditionFeedRange);
  // The material is one word in a condition file: whatever followed a blank would be read
  // as the next keyword. Blanks inside become '_'; an empty box keeps the material.
  QString word = material_->text().trimmed();
  word.replace(QRegularExpression("\\s+"), "_");
  if (!word.isEmpty()) conditions.Material = word.toStdString();
}

void AutoFeedDialog::ReadConditions(const std::string& path) {
  const QString label = CoreLabel(app_, Txt::ConditionFileButton);
  if (!ReadConditionsFile(app_.Msg(), path, conditions)) {
    readButton_->setText(label);
    return;
  }
  ShowConditions();
  readButton_->setText(label + QFileInfo(Q(path)).fileName());
}

void AutoFeedDialog::WriteConditions(const std::string& path) {
  TakeEdits();
  (void)WriteConditionsFile(app_.Msg(), path, conditions);
}

namespace {

// "자동 피드 조정" on channel 1's conditions; OK copies the dialog's group back.
void AutoFeed(CommandContext& c) {
  ChannelSettings& channel = c.app.FeedControl().channels[1];
  AutoFeedDialog d(c.parent(), c.app, channel.conditions, channel.conditionDirectory);
  if (d.exec() != QDialog::Accepted) return;
  channel.conditions = d.conditions;
}

CommandRegistrar registrar{{"autoFeed", Needs::Nothing, AutoFeed}};

}  // namespace
}  // namespace trevalon
