// "Feed Optimizer": channel 1 becomes current and the dialog "전송 dialog" opens on it: the
// maximum and minimum feed with the reductions they imply, the group's other dialogs, the
// condition file, the master-model file and the two check boxes. After OK the run rewrites
// the toolpath (undoable); Escape stops its analysis.

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/feed_commands.h"
#include "feed/feed_control.h"
#include "gui/command_registry.h"
#include "gui/commands/auto_feed_dialog.h"
#include "gui/commands/lmx_settings_dialog.h"
#include "gui/labels.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

class TransferDialog : public QDialog {
 public:
  TransferDialog(QWidget* parent, CApplication& app, const ChannelSettings& channel)
      : QDialog(parent),
        conditions_(channel.conditions),
        masterModelFile_(channel.masterModelFile),
        conditionDirectory_(channel.conditionDirectory),
        app_(app) {
    setWindowTitle(L("전송 dialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    maxBox_ = IntField(this, "maxFeed", 0, kTransferFeedRange);
    minBox_ = IntField(this, "minFeed", 0, kTransferFeedRange);
    form->addRow(L("최대 피드"), maxBox_);
    form->addRow(L("최저 피드"), minBox_);
    layout->addLayout(form);
    connect(maxBox_, &QLineEdit::textChanged, this, [this] { FeedBoxChanged(); });
    connect(minBox_, &QLineEdit::textChanged, this, [this] { FeedBoxChanged(); });

    auto* buttons = new QGridLayout;
    auto* lmx = new QPushButton("LMX", this);
    lmx->setObjectName("lmx");
    auto* set = new QPushButton(L("Set"), this);
    set->setObjectName("set");
    // The cutting-data calculator is not part of the program: its button is there, disabled,
    // so that the dialog keeps its place for it.
    auto* calculator = new QPushButton(L("계산기"), this);
    calculator->setObjectName("calculator");
    calculator->setEnabled(false);
    conditionButton_ = new QPushButton(L("조건화일 :"), this);
    conditionButton_->setObjectName("conditionFile");
    mmaButton_ = new QPushButton(this);
    mmaButton_->setObjectName("mma");
    buttons->addWidget(lmx, 0, 0);
    buttons->addWidget(set, 0, 1);
    buttons->addWidget(calculator, 0, 2);
    buttons->addWidget(conditionButton_, 1, 0, 1, 3);
    buttons->addWidget(mmaButton_, 2, 0, 1, 3);
    layout->addLayout(buttons);
    connect(lmx, &QPushButton::clicked, this, [this] { OpenAutoFeed(); });
    connect(set, &QPushButton::clicked, this, [this] { OpenLmxSettings(); });
    connect(conditionButton_, &QPushButton::clicked, this, [this] {
      const std::string path = PickConditionFile(this, conditionDirectory_, false);
      if (!path.empty()) ReadConditions(path);
    });
    connect(mmaButton_, &QPushButton::clicked, this, [this] {
      FilePick pick;
      pick.filters = {"Master file (*.mma)", "Ncdata file(*.nc, *.hnc, *.tap) (*.nc *.hnc *tap)",
                      "All file(*.*) (*)"};
      pick.start = masterModelFile_;
      ChooseMasterFile(PickFile(this, pick));
    });

    finishing_ = CheckBox(this, L("정삭"), "finishing", conditions_.ConCorChk == 1);
    zSearch_ = CheckBox(this, L("Z 상하향 검색"), "zSearch", conditions_.UpDownChk == 1);
    connect(finishing_, &QCheckBox::toggled, this,
            [this](bool on) { conditions_.ConCorChk = on ? 1 : 0; });
    connect(zSearch_, &QCheckBox::toggled, this,
            [this](bool on) { conditions_.UpDownChk = on ? 1 : 0; });
    auto* checks = new QHBoxLayout;
    checks->addWidget(finishing_);
    checks->addWidget(zSearch_);
    layout->addLayout(checks);
    layout->addWidget(OkCancel(this));

    mmaButton_->setText(masterModelFile_.size() > 4
                            ? Q(app_.Text(Txt::MmaFile)) + Q(masterModelFile_)
                            : Q(app_.Text(Txt::MmaFileNone)));
    // The boxes open on MaxFeed and MaxFeed x the corner reduction.
    const FeedBoxes boxes = TransferDialogBoxes(conditions_);
    filling_ = true;
    maxBox_->setText(QString::number(boxes.maxFeed));
    minBox_->setText(QString::number(boxes.minFeed));
    filling_ = false;
  }

  // OK: the copy into the channel, dialog result 1. Cancel: dialog result 0 only.
  void WriteBack(ChannelSettings& channel, bool ok) const {
    channel.dialogResult = ok ? 1 : 0;
    if (!ok) return;
    channel.conditions = conditions_;
    channel.masterModelFile = masterModelFile_;
  }

 private:
  // A feed box changed: MaxFeed, CornerMaxReduction and SlopeMaxReduction follow. A box in
  // the middle of an edit (empty, a lone sign) counts as 0; the relations apply only while
  // the maximum is above 0.
  void FeedBoxChanged() {
    if (filling_) return;
    ApplyFeedBoxes(conditions_, maxBox_->text().toInt(), minBox_->text().toInt());
  }
  // Both boxes from the copy: MaxFeed and MaxFeed x the smaller reduction.
  void ShowFeedBoxes() {
    filling_ = true;
    maxBox_->setText(QString::number(conditions_.MaxFeed));
    minBox_->setText(QString::number(MinimumFeedShown(conditions_)));
    filling_ = false;
  }
  // "조건화일 :": a condition file into the copy; a file that cannot be opened only resets
  // the button.
  void ReadConditions(const std::string& path) {
    const QString label = CoreLabel(app_, Txt::ConditionFileButton);
    if (!ReadConditionsFile(app_.Msg(), path, conditions_)) {
      conditionButton_->setText(label);
      return;
    }
    ShowFeedBoxes();
    finishing_->setChecked(conditions_.ConCorChk == 1);
    zSearch_->setChecked(conditions_.UpDownChk == 1);
    conditionButton_->setText(label + QFileInfo(Q(path)).fileName());
  }
  // "MMA : ": the chosen file; a cancelled choice empties the name.
  void ChooseMasterFile(const std::string& path) {
    if (path.empty()) {
      masterModelFile_.clear();
      mmaButton_->setText(Q(app_.Text(Txt::MmaFileNone)));
      return;
    }
    masterModelFile_ = MasterModelFileName(path);
    mmaButton_->setText(Q(app_.Text(Txt::MmaFile)) + Q(masterModelFile_));
  }
  void OpenAutoFeed() {
    AutoFeedDialog d(this, app_, conditions_, conditionDirectory_);
    if (d.exec() != QDialog::Accepted) return;
    conditions_ = d.conditions;
    ShowFeedBoxes();
  }
  void OpenLmxSettings() {
    LmxSettingsDialog d(this, app_, conditions_, masterModelFile_);
    if (d.exec() != QDialog::Accepted) return;
    conditions_ = d.conditions;
    SlopeReductionFromCorner(conditions_);
  }

  CuttingConditions conditions_;  // the dialog's copy of the channel's group
  std::string masterModelFile_;
  std::string conditionDirectory_;
  CApplication& app_;
  bool filling_ = false;
  QLineEdit *maxBox_ = nullptr, *minBox_ = nullptr;
  QPushButton *conditionButton_ = nullptr, *mmaButton_ = nullptr;
  QCheckBox *finishing_ = nullptr, *zSearch_ = nullptr;
};

void FeedOptimizer(CommandContext& c) {
  CFeedControl& fc = c.app.FeedControl();
  fc.currentChannel = 1;
  fc.OpenTransferDialog();
  ChannelSettings& channel = fc.Current();
  TransferDialog d(c.parent(), c.app, channel);
  const bool ok = d.exec() == QDialog::Accepted;
  d.WriteBack(channel, ok);
  if (!ok) return;
  // The run polls Escape between its windows of moves (the status line shows the busy bar and
  // the progress meanwhile), ends with the summary in the help pane and asks for the redraw.
  (void)RunFeedOptimizer(c.app, c.view->doc());
  c.view->MarkOperationEnd();
  emit c.view->statusChanged();
}

CommandRegistrar registrar{{"feedOptimizer", Needs::View, FeedOptimizer}};

}  // namespace
}  // namespace trevalon
