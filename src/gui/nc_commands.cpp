#include "gui/nc_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/load_commands.h"
#include "app/output_commands.h"
#include "gui/dialogs.h"
#include "gui/qt_helpers.h"
#include "gui/toolpath_view.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"
#include "ncio/post_template.h"

namespace trevalon {
namespace {

// The filter of the NC file dialogs, "NCDATA FILE (%s)|%s|All Files (*.*)|*.*||" with the
// pattern twice, in the form the Qt file dialog takes: the pattern's ';' become blanks.
QString NcFilterEntry(const AppSettings& s) {
  QString pattern = Q(s.fileExt);
  QString spaced = pattern;
  spaced.replace(';', ' ');
  return QString("NCDATA FILE (%1)").arg(spaced);
}

// The save dialog of the outputs: NC filter, overwrite prompted. Empty: cancelled.
std::string AskOutputPath(CApplication& app, QWidget* parent, const std::string& initial) {
  QFileDialog dlg(parent);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setNameFilters(NcNameFilters(app.settings));
  if (!initial.empty())
    dlg.selectFile(Q(initial));
  else
    dlg.setDirectory(Q(app.settings.workDir));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().front().toStdString();
}

// A comment kept as lines each ending "\r\n", edited as plain lines.
QString CommentForEditing(const std::string& comment) {
  QString c = Q(comment);
  c.replace("\r\n", "\n");
  if (c.endsWith('\n')) c.chop(1);
  return c;
}
std::string CommentFromEditing(const QString& text) {
  std::string out;
  for (const QString& line : text.split('\n')) {
    if (line.isEmpty()) continue;
    out += line.toStdString() + "\r\n";
  }
  return out;
}

void AfterOutput(ToolpathView& view) {
  view.UpdateTitle();
  if (auto* sub = view.parentWidget()) sub->setWindowTitle(view.windowTitle());
}

}  // namespace

QStringList NcNameFilters(const AppSettings& s) {
  return {NcFilterEntry(s), "All Files (*.*)"};
}

void InitialiseNcSwitches(ToolpathView& view) {
  InitDocument(view.app(), view.doc());
}

int ReadNcFile(CApplication& app, ToolpathView& view, const std::string& path, bool append) {
  CDocument& doc = view.doc();
  doc.view.width = std::max(1, view.width());
  doc.view.height = std::max(1, view.height());
  const int ok = (append ? AppendNcCommand(app, doc, path) : LoadNcCommand(app, doc, path)).ok();
  view.UpdateTitle();
  view.Redraw();
  return ok;
}

// ---- NC settings ------------------------------------------------------------------------------

void NcSettingsCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  CDocument& doc = view.doc();
  NcSwitchValues v{doc.nc.intNcdataFlg, doc.nc.arcToCutInputChk, doc.nc.heidenhainInputChk,
                   doc.nc.heidenhainOutChk};
  const DialogResult r = NcSettingsDialog(parent, v);
  if (r == DialogResult::Cancel) return;
  NcSwitches chosen;
  chosen.intNcdataFlg = v.intNcdata;
  chosen.arcToCutInputChk = v.arcToCutInput;
  chosen.heidenhainInputChk = v.heidenhainInput;
  chosen.heidenhainOutChk = v.heidenhainOut;
  trevalon::NcSettingsCommand(app, doc, chosen, r == DialogResult::Save);
}

// ---- Single output --------------------------------------------------------------------------

bool NcOutputOptionsDialog(CApplication& app, CNcOutputDlg& o, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(QString::fromUtf8("Ncdata로 저장"));
  auto* layout = new QVBoxLayout(&d);
  auto* grid = new QGridLayout;
  int row = 0;
  auto* outButton = new QPushButton(Q(o.outputPath), &d);
  outButton->setObjectName("Button1");
  QObject::connect(outButton, &QPushButton::clicked, &d, [&] {
    const std::string p = AskOutputPath(app, &d, o.outputPath);
    if (p.empty()) return;
    o.outputPath = p;
    outButton->setText(Q(p));
  });
  grid->addWidget(new QLabel(QString::fromUtf8("출력 파일"), &d), row, 0);
  grid->addWidget(outButton, row++, 1, 1, 3);
  auto* srcButton = new QPushButton(Q(o.sourcePath), &d);
  srcButton->setObjectName("Button2");
  QObject::connect(srcButton, &QPushButton::clicked, &d, [&] {
    const QString f = QFileDialog::getOpenFileName(&d, QString(), Q(o.sourcePath),
                                                   NcNameFilters(app.settings).join(";;"));
    if (f.isEmpty()) return;
    o.sourcePath = f.toStdString();
    srcButton->setText(f);
  });
  grid->addWidget(new QLabel(QString::fromUtf8("원본 파일"), &d), row, 0);
  grid->addWidget(srcButton, row++, 1, 1, 3);

  auto number = [&d](int value, const char* name) {
    auto* e = new QLineEdit(QString::number(value), &d);
    e->setObjectName(name);
    e->setValidator(new QIntValidator(0, 100000, e));
    return e;
  };
  auto check = [&d](const char* label, bool on, const char* name) {
    auto* c = new QCheckBox(QString::fromUtf8(label), &d);
    c->setObjectName(name);
    c->setChecked(on);
    return c;
  };
  auto* spindle = number(o.spindle, "spindle");
  grid->addWidget(new QLabel("Spindle", &d), row, 0);
  grid->addWidget(spindle, row++, 1);
  auto* tool = check("공구번호", o.toolChange, "toolChange");
  auto* toolNumber = number(o.toolNumber, "toolNumber");
  grid->addWidget(tool, row, 0);
  grid->addWidget(toolNumber, row++, 1);
  auto* offset = number(o.toolOffset, "toolOffset");
  grid->addWidget(new QLabel(QString::fromUtf8("공구 장보정"), &d), row, 0);
  grid->addWidget(offset, row++, 1);
  auto* program = check("프로그램 번호", o.programNumberOn, "programNumberOn");
  auto* programNumber = number(o.programNumber, "programNumber");
  grid->addWidget(program, row, 0);
  grid->addWidget(programNumber, row++, 1);
  auto* blockNumbers = check("N번호 출력", o.blockNumbers, "blockNumbers");
  auto* info = check("가공 정보", o.machiningInfo, "machiningInfo");
  auto* heidenhain = check("하이덴하인", o.heidenhain, "heidenhain");
  auto* ijk = check("IJK -> R", o.ijkToR, "ijkToR");
  auto* incremental = check("Incremental (G91)", o.incremental, "incremental");
  auto* diagonal = check("사선 급속이송", o.diagonalRapidCheck, "diagonalRapidCheck");
  auto* startEnd = check("화일 시작, 종료부", o.fileStartEnd, "fileStartEnd");
  auto* editor = check("파일 생성후 편집기", o.openInEditor, "openInEditor");
  QCheckBox* checks[] = {blockNumbers, info,     heidenhain, ijk,
                         incremental,  diagonal, startEnd,   editor};
  for (int k = 0; k < 8; ++k) grid->addWidget(checks[k], row + k / 2, 2 + k % 2);
  row += 4;
  // Heidenhain and incremental exclude each other: the writer object decides and says why.
  QObject::connect(heidenhain, &QCheckBox::clicked, &d, [&, heidenhain](bool on) {
    o.incremental = incremental->isChecked();
    o.heidenhain = false;
    if (on && !o.TickHeidenhain(app.Msg())) heidenhain->setChecked(false);
  });
  QObject::connect(incremental, &QCheckBox::clicked, &d, [&, incremental](bool on) {
    o.heidenhain = heidenhain->isChecked();
    o.incremental = false;
    if (on && !o.TickIncremental(app.Msg())) incremental->setChecked(false);
  });
  auto* sx = new QLineEdit(QString::number(o.startPoint[0]), &d);
  auto* sy = new QLineEdit(QString::number(o.startPoint[1]), &d);
  auto* sz = new QLineEdit(QString::number(o.startPoint[2]), &d);
  auto* start = new QHBoxLayout;
  start->addWidget(sx);
  start->addWidget(sy);
  start->addWidget(sz);
  grid->addWidget(new QLabel(QString::fromUtf8("시작점(X, Y, Z)"), &d), row, 0);
  grid->addLayout(start, row++, 1, 1, 3);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(QString::fromUtf8("<< 주석문 >>"), &d));
  auto* comment = new QPlainTextEdit(CommentForEditing(o.comment), &d);
  comment->setObjectName("comment");
  layout->addWidget(comment);
  layout->addWidget(OkCancel(&d));
  d.resize(620, 560);
  if (d.exec() != QDialog::Accepted) return false;
  // The two numbers with a range keep their last valid value when the field is out of it.
  auto take = [](QLineEdit* e, std::int32_t& v) {
    bool ok = false;
    const int n = e->text().toInt(&ok);
    if (ok && n >= 0 && n <= 100000) v = n;
  };
  take(spindle, o.spindle);
  take(toolNumber, o.toolNumber);
  take(offset, o.toolOffset);
  take(programNumber, o.programNumber);
  o.toolChange = tool->isChecked();
  o.programNumberOn = program->isChecked();
  o.blockNumbers = blockNumbers->isChecked();
  o.machiningInfo = info->isChecked();
  o.heidenhain = heidenhain->isChecked();
  o.ijkToR = ijk->isChecked();
  o.incremental = incremental->isChecked();
  o.diagonalRapidCheck = diagonal->isChecked();
  o.fileStartEnd = startEnd->isChecked();
  o.openInEditor = editor->isChecked();
  o.startPoint[0] = sx->text().toDouble();
  o.startPoint[1] = sy->text().toDouble();
  o.startPoint[2] = sz->text().toDouble();
  o.comment = CommentFromEditing(comment->toPlainText());
  return true;
}

void SaveNcDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  CDocument& doc = view.doc();
  const LayerSlot& layer = doc.layers[doc.layers.workLayer];
  // A layer that never came from a file offers no name.
  const std::string initial =
      layer.fileName.find("Layer") == std::string::npos ? layer.fileName : std::string();
  const std::string path = AskOutputPath(app, parent, initial);
  if (path.empty()) return;
  CNcOutputDlg dlg;
  dlg.outputPath = path;
  dlg.TakeLayerDefaults(layer, doc.nc.heidenhainOutChk);
  if (!NcOutputOptionsDialog(app, dlg, parent)) return;
  // Failures have shown their messages; the view is refreshed either way.
  (void)SaveNcCommand(app, doc, dlg, doc.nc.heidenhainOutChk);
  view.MarkOperationEnd();
  AfterOutput(view);
}

void SaveLayersDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  CDocument& doc = view.doc();
  LayerSlot& work = doc.layers[doc.layers.workLayer];
  std::string path;
  if (work.fileName.find("Layer") != std::string::npos) {
    path = AskOutputPath(app, parent, {});
    if (path.empty()) return;
  } else {
    path = work.fileName;
  }
  LayerInfoDialog d(parent, doc.layers, doc.layers.workLayer, &path,
                    NcNameFilters(app.settings).join(";;").toStdString());
  if (d.exec() != QDialog::Accepted) return;
  if (ParseLayerList(d.outputLayers, 0, CLayerTable::kSlots - 1).empty()) return;
  (void)SaveLayersCommand(app, doc, d.outputPath, d.outputLayers, doc.nc.heidenhainOutChk);
  view.MarkOperationEnd();
  view.Redraw();
  AfterOutput(view);
}

// ---- Post-processor -------------------------------------------------------------------------

namespace {
// The section editor: the section's text in a multi-line box; OK replaces its lines.
void EditSectionDialog(CPostTemplate& t, int id, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(QString("[%1]").arg(PostSectionName(id)));
  auto* layout = new QVBoxLayout(&d);
  QString text = Q(t[id].Text());
  text.replace("\r\n", "\n");
  auto* edit = new QPlainTextEdit(text, &d);
  edit->setObjectName("sectionText");
  QFont mono("monospace");
  mono.setStyleHint(QFont::TypeWriter);
  edit->setFont(mono);
  layout->addWidget(edit);
  layout->addWidget(OkCancel(&d));
  d.resize(480, 300);
  if (d.exec() != QDialog::Accepted) return;
  QString typed = edit->toPlainText();
  typed.replace("\n", "\r\n");
  t.EditSection(id, typed.toStdString());
}
}  // namespace

bool PostProcessorDialog(CApplication& app, CPostProcessorDlg& p, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(QString::fromUtf8("NC DATA 출력"));
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QGridLayout;
  auto* pprButton = new QPushButton(p.ppr.name.empty() ? "default" : Q(p.ppr.name), &d);
  pprButton->setObjectName("ppFile");
  QObject::connect(pprButton, &QPushButton::clicked, &d, [&] {
    const QString f = QFileDialog::getOpenFileName(&d, QString(), Q(app.settings.postDir),
                                                   "Post processor (*.ppr)");
    if (f.isEmpty()) return;
    p.ppr.ChooseTemplate(f.toStdString());
    pprButton->setText(Q(p.ppr.name));
  });
  auto* outButton = new QPushButton(Q(p.outputPath), &d);
  outButton->setObjectName("Button1");
  QObject::connect(outButton, &QPushButton::clicked, &d, [&] {
    const QString f = QFileDialog::getOpenFileName(&d, QString(), Q(p.outputPath),
                                                   NcNameFilters(app.settings).join(";;"));
    if (f.isEmpty()) return;
    p.outputPath = f.toStdString();
    outButton->setText(f);
  });
  int row = 0;
  form->addWidget(new QLabel(QString::fromUtf8("PP 파일"), &d), row, 0);
  form->addWidget(pprButton, row++, 1, 1, 2);
  form->addWidget(new QLabel(QString::fromUtf8("출력 파일"), &d), row, 0);
  form->addWidget(outButton, row++, 1, 1, 2);
  auto* spindle = new QLineEdit(QString::number(p.spindle), &d);
  spindle->setObjectName("spindle");
  spindle->setValidator(new QIntValidator(0, 100000, spindle));
  form->addWidget(new QLabel("Spindle", &d), row, 0);
  form->addWidget(spindle, row++, 1);
  auto* tool = new QCheckBox(QString::fromUtf8("공구번호"), &d);
  tool->setChecked(p.toolChange);
  auto* toolNumber = new QLineEdit(QString::number(p.toolNumber), &d);
  toolNumber->setValidator(new QIntValidator(0, 100000, toolNumber));
  form->addWidget(tool, row, 0);
  form->addWidget(toolNumber, row++, 1);
  auto* program = new QCheckBox(QString::fromUtf8("프로그램 번호"), &d);
  program->setChecked(p.programNumberOn);
  auto* programNumber = new QLineEdit(QString::number(p.programNumber), &d);
  programNumber->setValidator(new QIntValidator(0, 100000, programNumber));
  form->addWidget(program, row, 0);
  form->addWidget(programNumber, row++, 1);
  auto* info = new QCheckBox(QString::fromUtf8("가공 정보"), &d);
  info->setChecked(p.machiningInfo);
  form->addWidget(info, row++, 0);
  layout->addLayout(form);

  auto* sections = new QGroupBox(QString::fromUtf8("PP"), &d);
  auto* sgrid = new QGridLayout(sections);
  const struct {
    const char* caption;
    int id;
  } buttons[] = {
      {"Define", kSecDefine},  {"시작", kSecStart},           {"새 절삭이송", kSecNewCut},
      {"절삭이송", kSecCut},   {"새 급속이송", kSecNewRapid}, {"급속이송", kSecRapid},
      {"공구 변경", kSecTool}, {"SPINDLE", kSecSpindle},      {"종료", kSecTerm}};
  int k = 0;
  for (const auto& b : buttons) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), sections);
    button->setObjectName(QString("section%1").arg(b.id));
    const int id = b.id;
    QObject::connect(button, &QPushButton::clicked, &d,
                     [&p, id, &d] { EditSectionDialog(p.ppr, id, &d); });
    sgrid->addWidget(button, k / 3, k % 3);
    ++k;
  }
  auto* editPp = new QPushButton(QString::fromUtf8("PP 편집"), sections);
  QObject::connect(editPp, &QPushButton::clicked, &d,
                   [&] { app.platform.OpenInEditor(app.settings.editor, p.ppr.name); });
  auto* savePp = new QPushButton(QString::fromUtf8("PP저장"), sections);
  QObject::connect(savePp, &QPushButton::clicked, &d, [&] {
    QFileDialog dlg(&d);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter("Post processor (*.ppr)");
    dlg.setDirectory(Q(app.settings.postDir));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    (void)p.ppr.SaveTemplate(app.Msg(), dlg.selectedFiles().front().toStdString());
    pprButton->setText(Q(p.ppr.name));
  });
  sgrid->addWidget(editPp, 3, 0);
  sgrid->addWidget(savePp, 3, 1);
  layout->addWidget(sections);
  layout->addWidget(OkCancel(&d));
  if (d.exec() != QDialog::Accepted) return false;
  auto take = [](QLineEdit* e, std::int32_t& v) {
    bool ok = false;
    const int n = e->text().toInt(&ok);
    if (ok && n >= 0 && n <= 100000) v = n;
  };
  take(spindle, p.spindle);
  take(toolNumber, p.toolNumber);
  take(programNumber, p.programNumber);
  p.toolChange = tool->isChecked();
  p.programNumberOn = program->isChecked();
  p.machiningInfo = info->isChecked();
  return true;
}

void PostProcessorCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  CDocument& doc = view.doc();
  const LayerSlot& layer = doc.layers[doc.layers.workLayer];
  CPostProcessorDlg p;
  QFileDialog dlg(parent);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setNameFilters(NcNameFilters(app.settings));
  dlg.selectFile(
      Q(layer.fileName.find("Layer") == std::string::npos ? layer.fileName : "default.nc"));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  p.outputPath = dlg.selectedFiles().front().toStdString();
  p.ppr.LoadTemplate(app.settings.postDir + "/default.ppr");
  p.TakeLayerDefaults(layer);
  p.prompts = &app.platform;
  if (!PostProcessorDialog(app, p, parent)) return;
  (void)PostProcessCommand(app, doc, p);
  view.MarkOperationEnd();
  AfterOutput(view);
}

}  // namespace trevalon
