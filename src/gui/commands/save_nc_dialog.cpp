// "Ncdata로 저장(&C)": the output path, then the options dialog "Ncdata로 저장" on the work
// layer's values, then the program.

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/output_commands.h"
#include "gui/command_registry.h"
#include "gui/nc_files.h"
#include "gui/toolpath_view.h"
#include "ncio/nc_writer.h"

namespace trevalon {
namespace {

// The options dialog; true on OK with the options in `o`.
bool OptionsDialog(CApplication& app, CNcOutputDlg& o, bool& verify, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(L("Ncdata로 저장"));
  FieldBinder f(&d);
  auto* layout = new QVBoxLayout(&d);
  auto* grid = new QGridLayout;
  int row = 0;
  auto* outButton = new QPushButton(Q(o.outputPath), &d);
  outButton->setObjectName("Button1");
  QObject::connect(outButton, &QPushButton::clicked, &d, [&] {
    const std::string p = AskOutputPath(app.settings, &d, o.outputPath);
    if (p.empty()) return;
    o.outputPath = p;
    outButton->setText(Q(p));
  });
  grid->addWidget(new QLabel(L("출력 파일"), &d), row, 0);
  grid->addWidget(outButton, row++, 1, 1, 3);
  auto* srcButton = new QPushButton(Q(o.sourcePath), &d);
  srcButton->setObjectName("Button2");
  QObject::connect(srcButton, &QPushButton::clicked, &d, [&] {
    FilePick pick;
    pick.filters = NcNameFilters(app.settings);
    pick.start = o.sourcePath;
    const std::string p = PickFile(&d, pick);
    if (p.empty()) return;
    o.sourcePath = p;
    srcButton->setText(Q(p));
  });
  grid->addWidget(new QLabel(L("원본 파일"), &d), row, 0);
  grid->addWidget(srcButton, row++, 1, 1, 3);

  grid->addWidget(new QLabel(L("Spindle"), &d), row, 0);
  grid->addWidget(f.Int("spindle", o.spindle, CNcOutputDlg::kSpindleRange), row++, 1);
  grid->addWidget(f.Check(L("공구번호"), "toolChange", o.toolChange), row, 0);
  grid->addWidget(f.Int("toolNumber", o.toolNumber, CNcOutputDlg::kToolNumberRange), row++, 1);
  grid->addWidget(new QLabel(L("공구 장보정"), &d), row, 0);
  grid->addWidget(f.Int("toolOffset", o.toolOffset, CNcOutputDlg::kToolOffsetRange), row++, 1);
  grid->addWidget(f.Check(L("프로그램 번호"), "programNumberOn", o.programNumberOn), row, 0);
  grid->addWidget(f.Int("programNumber", o.programNumber, CNcOutputDlg::kProgramNumberRange), row++,
                  1);
  QCheckBox* heidenhain = nullptr;
  QCheckBox* incremental = nullptr;
  const struct {
    const char* label;
    const char* name;
    bool& value;
  } checks[] = {{LabelText("N번호 출력"), "blockNumbers", o.blockNumbers},
                {LabelText("가공 정보"), "machiningInfo", o.machiningInfo},
                {LabelText("하이덴하인"), "heidenhain", o.heidenhain},
                {LabelText("IJK -> R"), "ijkToR", o.ijkToR},
                {LabelText("Incremental (G91)"), "incremental", o.incremental},
                {LabelText("사선 급속이송"), "diagonalRapidCheck", o.diagonalRapidCheck},
                {LabelText("화일 시작, 종료부"), "fileStartEnd", o.fileStartEnd},
                {LabelText("파일 생성후 편집기"), "openInEditor", o.openInEditor}};
  int k = 0;
  for (const auto& c : checks) {
    QCheckBox* box = f.Check(L(c.label), c.name, c.value);
    if (&c.value == &o.heidenhain) heidenhain = box;
    if (&c.value == &o.incremental) incremental = box;
    grid->addWidget(box, row + k / 2, 2 + k % 2);
    ++k;
  }
  grid->addWidget(VerifyAfterWritingBox(app, f, verify), row + k / 2, 2 + k % 2);
  row += 5;
  // Heidenhain and incremental exclude each other: the writer object decides and says why.
  QObject::connect(heidenhain, &QCheckBox::clicked, &d, [&, heidenhain, incremental](bool on) {
    o.incremental = incremental->isChecked();
    o.heidenhain = false;
    if (on && !o.TickHeidenhain(app.Msg())) heidenhain->setChecked(false);
  });
  QObject::connect(incremental, &QCheckBox::clicked, &d, [&, heidenhain, incremental](bool on) {
    o.heidenhain = heidenhain->isChecked();
    o.incremental = false;
    if (on && !o.TickIncremental(app.Msg())) incremental->setChecked(false);
  });
  auto* start = new QHBoxLayout;
  const char* axes[3] = {"startX", "startY", "startZ"};
  for (int axis = 0; axis < 3; ++axis) start->addWidget(f.Real(axes[axis], o.startPoint[axis]));
  grid->addWidget(new QLabel(L("시작점(X, Y, Z)"), &d), row, 0);
  grid->addLayout(start, row++, 1, 1, 3);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(L("<< 주석문 >>"), &d));
  auto* comment = new QPlainTextEdit(CommentForEditing(o.comment), &d);
  comment->setObjectName("comment");
  layout->addWidget(comment);
  layout->addWidget(OkCancel(&d));
  d.resize(620, 560);
  if (!f.Exec(d)) return false;
  o.comment = CommentFromEditing(comment->toPlainText());
  return true;
}

void SaveNc(CommandContext& c) {
  CDocument& doc = c.view->doc();
  const LayerSlot& layer = doc.layers[doc.layers.workLayer];
  // A layer that never came from a file offers no name.
  const std::string initial =
      layer.fileName.find("Layer") == std::string::npos ? layer.fileName : std::string();
  const std::string path = AskOutputPath(c.app.settings, c.parent(), initial);
  if (path.empty()) return;
  CNcOutputDlg dlg;
  dlg.outputPath = path;
  dlg.TakeLayerDefaults(layer, doc.nc.heidenhainOutChk);
  bool verify = true;
  if (!OptionsDialog(c.app, dlg, verify, c.parent())) return;
  // Failures have shown their messages; the view is refreshed either way.
  NcVerifyResult verified;
  const Outcome o =
      SaveNcCommand(c.app, doc, dlg, doc.nc.heidenhainOutChk, verify ? &verified : nullptr);
  if (verify) ShowVerifyResult(c.app, o, verified, dlg.outputPath);
  c.view->MarkOperationEnd();
  RetitleAfterOutput(*c.view);
}

CommandRegistrar registrar{{"saveNc", Needs::View, SaveNc}};

}  // namespace
}  // namespace trevalon
