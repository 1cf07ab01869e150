#pragma once
// The dialogs of the feed optimiser: the transfer dialog that precedes a run, the automatic
// feed adjustment dialog, the LMX settings dialog with its weight sliders, and the master
// model's creation values. Each works on its own copy of the cutting conditions; only OK hands
// the copy back, so Cancel leaves the channel as it was.

#include <QDialog>
#include <QString>
#include <array>
#include <string>

#include "app/application.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace trevalon {

// "LMX 설정": master control, the XY-change and smoothing switches, the feed change unit, the
// Z up / Z down ratio, the slope-to-corner ratio and the six weights by slope angle.
class LmxSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  LmxSettingsDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                    const std::string& masterModelFile);
  CuttingConditions conditions;  // the dialog's copy; read it after OK

  // The master check box: switching on holds only with a master-model file name of more
  // than 4 characters.
  void SetMaster(bool on);
  // A slider moved: its weight follows at once and its label is rewritten.
  void SliderMoved(int index, int position);
  // The edits into the copy (done on OK as well).
  void TakeEdits();

  QCheckBox *master = nullptr, *xyReduce = nullptr, *smooth = nullptr;
  QLineEdit *feedUnit = nullptr, *zUpDown = nullptr, *sideCorner = nullptr;
  std::array<QSlider*, 6> sliders{};  // corner 0/30/60, then slope 0/30/60
  std::array<QLabel*, 6> labels{};

  // The label of a weight: "30도 가중치(0.70)".
  static QString WeightLabel(int degrees, const char* text, float weight);

 private:
  float* Weight(int index);
  CApplication& app_;
  std::string masterFile_;
};

// "자동 피드 조정": the tool, limits, feeds and material of the group; reads and writes
// condition files.
class AutoFeedDialog : public QDialog {
  Q_OBJECT
 public:
  AutoFeedDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                 const std::string& conditionDirectory);
  CuttingConditions conditions;

  // Reads a condition file into the copy and shows it; the button names the file. A file
  // that cannot be opened only resets the button text. 1 when read.
  int ReadConditions(const std::string& path);
  // Writes the copy (after taking the edits) to a condition file; the file error when it
  // cannot be created. 1 when written.
  int WriteConditions(const std::string& path);
  // Every edit into the copy; the material is one word (blanks become '_').
  void TakeEdits();
  // The copy into the edits: reals "%6.3f", feeds "%d", the material.
  void ShowConditions();

  std::array<QLineEdit*, 6> reals{};  // tool diameter .. slope maximum reduction
  QLineEdit *plungeFeed = nullptr, *maxFeed = nullptr, *material = nullptr;
  QPushButton *readButton = nullptr, *writeButton = nullptr;

 private:
  CApplication& app_;
  std::string directory_;
};

// "전송 dialog": the maximum and minimum feed with the reductions they imply, the other
// dialogs of the group, the condition file, the master-model file and the two check boxes.
class TransferDialog : public QDialog {
  Q_OBJECT
 public:
  TransferDialog(QWidget* parent, CApplication& app, const ChannelSettings& channel);

  CuttingConditions conditions;  // the dialog's copy of the channel's group
  std::string masterModelFile;
  std::string conditionDirectory;

  // OK: the copy into the channel, dialog result 1. Cancel: dialog result 0 only.
  void WriteBack(ChannelSettings& channel, bool ok) const;

  // A feed box changed: MaxFeed, CornerMaxReduction and SlopeMaxReduction follow.
  void FeedBoxChanged();
  // Both boxes from the copy: MaxFeed and MaxFeed x the smaller reduction.
  void ShowFeedBoxes();
  // "조건화일 :": reads a condition file into the copy. 1 when read.
  int ReadConditions(const std::string& path);
  // "MMA : ": the chosen file; an empty path is a cancelled choice and empties the name.
  void ChooseMasterFile(const std::string& path);
  // The buttons' dialogs (a test may open them through the buttons as well).
  void OpenAutoFeed();
  void OpenLmxSettings();

  QLineEdit *maxBox = nullptr, *minBox = nullptr;
  QPushButton *lmxButton = nullptr, *conditionButton = nullptr, *setButton = nullptr,
              *mmaButton = nullptr, *calculatorButton = nullptr;
  QCheckBox *finishing = nullptr, *zSearch = nullptr;

 private:
  CApplication& app_;
  bool filling_ = false;
};

// "Master Model": tool diameter, machining allowance and tolerance of a new mesh. A field
// that is not a number keeps its value; the tolerance must stay above 0 (it becomes the cell
// size). False when cancelled.
bool MasterModelDialog(QWidget* parent, double& toolDiameter, double& allowance, double& tolerance);

}  // namespace trevalon
