#pragma once
// "LMX 설정" (the transfer dialog's "Set" button): master control, the XY-change and smoothing
// switches, the feed change unit, the Z up / Z down ratio, the slope-to-corner ratio and the
// six weights by slope angle. It works on its own copy of the cutting conditions; read
// `conditions` after OK.

#include <QDialog>
#include <array>
#include <string>

#include "app/application.h"
#include "feed/cutting_conditions.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace trevalon {

class LmxSettingsDialog : public QDialog {
 public:
  LmxSettingsDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                    const std::string& masterModelFile);
  CuttingConditions conditions;

 private:
  // The master check box: switching on holds only with a master-model file name of more
  // than 4 characters.
  void SetMaster(bool on);
  // A slider moved: its weight follows at once and its label is rewritten.
  void SliderMoved(int index, int position);
  void TakeEdits();
  float* Weight(int index);

  CApplication& app_;
  std::string masterFile_;
  QCheckBox *master_ = nullptr, *xyReduce_ = nullptr, *smooth_ = nullptr;
  QLineEdit *feedUnit_ = nullptr, *zUpDown_ = nullptr, *sideCorner_ = nullptr;
  std::array<QLabel*, 6> labels_{};  // corner 0/30/60, then slope 0/30/60
};

}  // namespace trevalon
