// "Ncdata로 저장(&C)": the output path, then the options dialog "Ncdata로 저장" on the work
// layer's values, then the program.

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>
#include <map>

#include "app/output_commands.h"
#include "gui/command_registry.h"
#include "gui/nc_files.h"
#include "gui/toolpath_view.h"
#include "ncio/nc_writer.h"
#include "ncio/start_end_parts.h"

namespace trevalon {
namespace {

// How many lines of the start part the dialog shows: enough to see the program number, the
// setup words and the tool call that the machine gets first.
constexpr int kPreviewLines = 6;

// "화일 시작, 종료부" belongs to the document's window: a program saved from one window takes
// its source's own start and end part, another window's toolpath made by commands does not.
// Our rule: until OK has set it in a window, the box is ticked when the work layer's toolpath
// came from a program that can still be read (its start part is what the machine expects).
bool& ViewFileStartEnd(ToolpathView* view, const std::string& source) {
  static std::map<const ToolpathView*, bool> chosen;
  auto [it, added] = chosen.try_emplace(view, false);
  if (added) {
    const QFileInfo file(Q(source));
    it->second = file.isFile() && file.isReadable();
    QObject::connect(view, &QObject::destroyed, [view] { chosen.erase(view); });
  }
  return it->second;
}

// Shows the first lines of the start part the program will get: the source's own start when
// the box is ticked and the source has one, else a note that the fixed start is written.
void ShowStartPart(QPlainTextEdit* preview, bool fileStartEnd, const std::string& source) {
  const std::string lines = fileStartEnd ? StartPartPreview(source, kPreviewLines) : "";
  preview->setPlainText(Q(lines));
  preview->setPlaceholderText(fileStartEnd ? L("원본 파일에 시작부가 없음: 고정 시작부를 씀")
                                           : L("고정 시작부를 씀"));
}

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
  // The start part shown follows the source file and the "화일 시작, 종료부" box.
  auto* preview = new QPlainTextEdit(&d);
  preview->setObjectName("startPartPreview");
  preview->setReadOnly(true);
  preview->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Tall enough for every line shown, without a scroll bar.
  preview->setFixedHeight(preview->fontMetrics().lineSpacing() * kPreviewLines +
                          2 * preview->frameWidth() +
                          2 * static_cast<int>(preview->document()->documentMargin()) + 6);
  QCheckBox* startEnd = nullptr;
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
    ShowStartPart(preview, startEnd->isChecked(), o.sourcePath);
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
    if (&c.value == &o.fileStartEnd) startEnd = box;
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
  // The style only matters to a Heidenhain program: the choice waits greyed out until
  // "하이덴하인" is ticked.
  auto* style = new QComboBox(&d);
  style->setObjectName("heidenhainStyle");
  style->addItem(L("기본형"));
  style->addItem(L("TNC 형식"));
  style->setCurrentIndex(o.tncStyle ? 1 : 0);
  style->setEnabled(o.heidenhain);
  QObject::connect(heidenhain, &QCheckBox::toggled, style, &QWidget::setEnabled);
  grid->addWidget(new QLabel(L("하이덴하인 형식"), &d), row, 0);
  grid->addWidget(style, row++, 1);
  ShowStartPart(preview, startEnd->isChecked(), o.sourcePath);
  QObject::connect(startEnd, &QCheckBox::toggled, preview,
                   [&o, preview](bool on) { ShowStartPart(preview, on, o.sourcePath); });
  auto* start = new QHBoxLayout;
  const char* axes[3] = {"startX", "startY", "startZ"};
  for (int axis = 0; axis < 3; ++axis) start->addWidget(f.Real(axes[axis], o.startPoint[axis]));
  grid->addWidget(new QLabel(L("시작점(X, Y, Z)"), &d), row, 0);
  grid->addLayout(start, row++, 1, 1, 3);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(L("시작부 미리보기"), &d));
  layout->addWidget(preview);
  layout->addWidget(new QLabel(L("<< 주석문 >>"), &d));
  auto* comment = new QPlainTextEdit(CommentForEditing(o.comment), &d);
  comment->setObjectName("comment");
  layout->addWidget(comment);
  layout->addWidget(OkCancel(&d));
  d.resize(620, 680);
  if (!f.Exec(d)) return false;
  o.comment = CommentFromEditing(comment->toPlainText());
  o.tncStyle = style->currentIndex() == 1;
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
  // The style last written, as the save verb's hstyle= remembers it.
  dlg.tncStyle = doc.nc.heidenhainStyleChk == 1;
  bool& fileStartEnd = ViewFileStartEnd(c.view, dlg.sourcePath);
  dlg.fileStartEnd = fileStartEnd;
  bool verify = true;
  if (!OptionsDialog(c.app, dlg, verify, c.parent())) return;
  fileStartEnd = dlg.fileStartEnd;
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
