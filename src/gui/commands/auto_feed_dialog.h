#pragma once
// "자동 피드 조정": the tool, limits, feeds and material of a cutting-condition group; reads
// and writes condition files. It works on its own copy; read `conditions` after OK.

#include <QDialog>
#include <array>
#include <string>

#include "app/application.h"
#include "feed/cutting_conditions.h"

class QLineEdit;
class QPushButton;

namespace trevalon {

class AutoFeedDialog : public QDialog {
 public:
  AutoFeedDialog(QWidget* parent, CApplication& app, const CuttingConditions& c,
                 const std::string& conditionDirectory);
  CuttingConditions conditions;

 private:
  // Reads a condition file into the copy and shows it; the button names the file. A file
  // that cannot be opened only resets the button text.
  void ReadConditions(const std::string& path);
  // Writes the copy (after taking the edits) to a condition file; the file error when it
  // cannot be created.
  void WriteConditions(const std::string& path);
  // Every edit into the copy; the material is one word (blanks become '_').
  void TakeEdits();
  // The copy into the edits: reals "%6.3f", feeds "%d", the material.
  void ShowConditions();

  CApplication& app_;
  std::string directory_;
  std::array<QLineEdit*, 6> reals_{};  // tool diameter .. slope maximum reduction
  QLineEdit *plungeFeed_ = nullptr, *maxFeed_ = nullptr, *material_ = nullptr;
  QPushButton* readButton_ = nullptr;
};

// The condition file chosen in the file dialog ("*.lmx" in the channel's condition
// directory); empty when cancelled.
std::string PickConditionFile(QWidget* parent, const std::string& directory, bool save);

}  // namespace trevalon
