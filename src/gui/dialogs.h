#pragma once
// The dialogs of the desktop program for the commands the core carries out: values, work
// environment, layers, toolpath information, layer colours, NC settings and the NC output.
// Captions and labels are those of the program's dialog templates, which are Korean in every
// language. Each returns what the user confirmed; Cancel changes nothing.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "model/toolpath_statistics.h"
#include "view/layer_colours.h"

class QCheckBox;
class QWidget;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace trevalon {

// One number: the value prompt of the templates. Empty result: cancelled.
std::optional<std::string> AskValueDialog(QWidget* parent, const std::string& caption,
                                          const std::string& label, const std::string& current);
// Several numbers under their labels (rotation centre, value dialogs of the commands).
bool AskNumbers(QWidget* parent, const QString& caption, const QStringList& labels,
                std::vector<double>& values);

// Work environment: the eight settings of korvo.cfg.
bool WorkEnvironmentDialog(QWidget* parent, AppSettings& s);
// "Select work layer": one radio button per layer 0 to 99.
std::optional<int> WorkLayerDialog(QWidget* parent, int current);
// "Echo Layer": one box per layer, All ON / All OFF, and the Layer ON / Layer OFF lists.
class EchoLayerDialog : public QDialog {
  Q_OBJECT
 public:
  EchoLayerDialog(QWidget* parent, const CLayerTable& layers);
  void WriteBack(CLayerTable& layers) const;
  // The list fields' work when they lose the focus: tick (on) or clear the listed layers.
  void ApplyList(bool on, const QString& list);
  std::vector<QCheckBox*> boxes;
  QLineEdit* layerOn = nullptr;
  QLineEdit* layerOff = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
// "Layer  복사": source and target layer.
bool CopyLayerDialog(QWidget* parent, int& source, int& target);

// "Layer 정보": the layers' attributes; with an output path it is the layer output's dialog
// with the "출력화일" button and the "출력 layer" list.
class LayerInfoDialog : public QDialog {
  Q_OBJECT
 public:
  LayerInfoDialog(QWidget* parent, CLayerTable& layers, int selected,
                  const std::string* outputPath = nullptr, const std::string& ncFilter = {});
  std::string outputPath;
  std::string outputLayers;
  // "Layer update": the fields into the selected layer.
  void UpdateLayer();
  void Select(int layer);

  QListWidget* list = nullptr;
  QLineEdit *name = nullptr, *fileName = nullptr, *program = nullptr, *tool = nullptr,
            *offset = nullptr, *spindle = nullptr, *layersField = nullptr;
  QPlainTextEdit* comment = nullptr;

 private:
  CLayerTable& layers_;
  int selected_ = 0;
  QPushButton* outputButton_ = nullptr;
};

// "Ncdata 정보": the statistics of the toolpath.
void ToolpathInfoDialog(QWidget* parent, const ToolpathStatistics& s);
// "Layer color setting": ten lists of the sixteen colours. OK takes them; the save button
// writes color.par (its failure is the file error) and takes them too.
bool LayerColourDialog(QWidget* parent, CApplication& app, LayerColourTable& table);

// "설정": the four NC switches. OK takes them; "저장" takes them and asks for korvo.par.
struct NcSwitchValues {
  int intNcdata = 0, arcToCutInput = 0, heidenhainInput = 0, heidenhainOut = 0;
};
enum class DialogResult { Cancel, Ok, Save };
DialogResult NcSettingsDialog(QWidget* parent, NcSwitchValues& values);

}  // namespace trevalon
