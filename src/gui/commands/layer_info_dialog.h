#pragma once
// "Layer 정보": the layers' names, comments and NC numbers, edited in place with "Layer
// update". With an output path it is the layer output's dialog, with the "출력화일" button
// and the "출력 layer" list.

#include <QDialog>
#include <string>

#include "model/layer_table.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace trevalon {

class LayerInfoDialog : public QDialog {
 public:
  LayerInfoDialog(QWidget* parent, CLayerTable& layers, int selected,
                  const std::string* outputPath = nullptr, const QStringList& ncFilters = {});
  std::string outputPath;
  // The output path was taken in the save dialog of "출력화일", which asked before replacing.
  bool outputConfirmed = false;
  std::string outputLayers;  // "출력 layer" after OK
  bool verify = true;        // "쓰기 후 검증" after OK (output only)
  // The tip of the "쓰기 후 검증" box, in the user's language.
  void SetVerifyTip(const QString& tip);

 private:
  // "Layer update": the fields into the selected layer; a number outside its range keeps
  // the layer's value.
  void UpdateLayer();
  void Select(int layer);

  CLayerTable& layers_;
  int selected_ = 0;
  QListWidget* list_ = nullptr;
  QLineEdit *name_ = nullptr, *fileName_ = nullptr, *program_ = nullptr, *tool_ = nullptr,
            *offset_ = nullptr, *spindle_ = nullptr, *layersField_ = nullptr;
  QPlainTextEdit* comment_ = nullptr;
  QPushButton* outputButton_ = nullptr;
  QCheckBox* verifyBox_ = nullptr;
};

}  // namespace trevalon
