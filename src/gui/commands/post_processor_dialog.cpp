// "Post Processor": the output path, then the dialog "NC DATA 출력" with the template, the
// numbers and the section editors, then the program through the template.

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/output_commands.h"
#include "gui/command_registry.h"
#include "gui/nc_files.h"
#include "gui/toolpath_view.h"
#include "ncio/post_conversion.h"
#include "ncio/post_template.h"

namespace trevalon {
namespace {

const char* kTemplateFilter = "Post processor (*.ppr)";

// The file the post-processor writes: a save dialog, so that replacing a file asks first.
std::string PickPostOutput(const AppSettings& s, QWidget* parent, const std::string& start) {
  FilePick pick;
  pick.mode = FilePick::Mode::Save;
  pick.title = L("Post Processor - 출력 파일");
  pick.filters = NcNameFilters(s);
  pick.start = start;
  return PickFile(parent, pick);
}

// The section editor: the section's text in a multi-line box; OK replaces its lines.
void EditSection(CPostTemplate& t, int id, QWidget* parent) {
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

// The dialog "NC DATA 출력"; true on OK with the options in `p`.
bool PostDialog(CApplication& app, CPostProcessorDlg& p, bool& verify, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(L("NC DATA 출력"));
  FieldBinder f(&d);
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QGridLayout;
  auto* pprButton = new QPushButton(p.ppr.name.empty() ? "default" : Q(p.ppr.name), &d);
  pprButton->setObjectName("ppFile");
  QObject::connect(pprButton, &QPushButton::clicked, &d, [&] {
    FilePick pick;
    pick.filters = {kTemplateFilter};
    pick.directory = app.settings.postDir;
    const std::string path = PickFile(&d, pick);
    if (path.empty()) return;
    p.ppr.ChooseTemplate(path);
    pprButton->setText(Q(p.ppr.name));
  });
  auto* outButton = new QPushButton(Q(p.outputPath), &d);
  outButton->setObjectName("Button1");
  QObject::connect(outButton, &QPushButton::clicked, &d, [&] {
    const std::string path = PickPostOutput(app.settings, &d, p.outputPath);
    if (path.empty()) return;
    p.outputPath = path;
    outButton->setText(Q(path));
  });
  int row = 0;
  form->addWidget(new QLabel(L("PP 파일"), &d), row, 0);
  form->addWidget(pprButton, row++, 1, 1, 2);
  form->addWidget(new QLabel(L("출력 파일"), &d), row, 0);
  form->addWidget(outButton, row++, 1, 1, 2);
  form->addWidget(new QLabel(L("Spindle"), &d), row, 0);
  form->addWidget(f.Int("spindle", p.spindle, CPostProcessorDlg::kSpindleRange), row++, 1);
  form->addWidget(f.Check(L("공구번호"), "toolChange", p.toolChange), row, 0);
  form->addWidget(f.Int("toolNumber", p.toolNumber, CPostProcessorDlg::kToolNumberRange), row++, 1);
  form->addWidget(f.Check(L("프로그램 번호"), "programNumberOn", p.programNumberOn), row, 0);
  form->addWidget(f.Int("programNumber", p.programNumber, CPostProcessorDlg::kProgramNumberRange),
                  row++, 1);
  form->addWidget(f.Check(L("가공 정보"), "machiningInfo", p.machiningInfo), row++, 0);
  form->addWidget(VerifyAfterWritingBox(app, f, verify), row++, 0);
  layout->addLayout(form);

  auto* sections = new QGroupBox(Q("PP"), &d);
  auto* sgrid = new QGridLayout(sections);
  const struct {
    const char* caption;
    int id;
  } buttons[] = {{LabelText("Define"), kSecDefine},
                 {LabelText("시작"), kSecStart},
                 {LabelText("새 절삭이송"), kSecNewCut},
                 {LabelText("절삭이송"), kSecCut},
                 {LabelText("새 급속이송"), kSecNewRapid},
                 {LabelText("급속이송"), kSecRapid},
                 {LabelText("공구 변경"), kSecTool},
                 {LabelText("SPINDLE"), kSecSpindle},
                 {LabelText("종료"), kSecTerm}};
  int k = 0;
  for (const auto& b : buttons) {
    auto* button = new QPushButton(L(b.caption), sections);
    button->setObjectName(QString("section%1").arg(b.id));
    const int id = b.id;
    QObject::connect(button, &QPushButton::clicked, &d,
                     [&p, id, &d] { EditSection(p.ppr, id, &d); });
    sgrid->addWidget(button, k / 3, k % 3);
    ++k;
  }
  auto* editPp = new QPushButton(L("PP 편집"), sections);
  QObject::connect(editPp, &QPushButton::clicked, &d, [&] { (void)OpenInEditor(app, p.ppr.name); });
  auto* savePp = new QPushButton(L("PP저장"), sections);
  QObject::connect(savePp, &QPushButton::clicked, &d, [&] {
    FilePick pick;
    pick.mode = FilePick::Mode::Save;
    pick.filters = {kTemplateFilter};
    pick.directory = app.settings.postDir;
    const std::string path = PickFile(&d, pick);
    if (path.empty()) return;
    (void)p.ppr.SaveTemplate(app.Msg(), path);
    pprButton->setText(Q(p.ppr.name));
  });
  sgrid->addWidget(editPp, 3, 0);
  sgrid->addWidget(savePp, 3, 1);
  layout->addWidget(sections);
  layout->addWidget(OkCancel(&d));
  return f.Exec(d);
}

void PostProcessor(CommandContext& c) {
  CDocument& doc = c.view->doc();
  const LayerSlot& layer = doc.layers[doc.layers.workLayer];
  CPostProcessorDlg p;
  p.outputPath = PickPostOutput(
      c.app.settings, c.parent(),
      layer.fileName.find("Layer") == std::string::npos ? layer.fileName : "default.nc");
  if (p.outputPath.empty()) return;
  // The shipped templates go into the template folder where they are missing, so that a
  // fresh installation finds default.ppr and the template button the others beside it.
  InstallPostTemplates(c.app);
  p.ppr.LoadTemplate(c.app.settings.postDir + "/default.ppr");
  p.TakeLayerDefaults(layer);
  p.prompts = &c.app.platform;
  bool verify = true;
  if (!PostDialog(c.app, p, verify, c.parent())) return;
  NcVerifyResult verified;
  const Outcome o = PostProcessCommand(c.app, doc, p, verify ? &verified : nullptr);
  if (verify) ShowVerifyResult(c.app, o, verified, p.outputPath);
  c.view->MarkOperationEnd();
  RetitleAfterOutput(*c.view);
}

CommandRegistrar registrar{{"postProcessor", Needs::View, PostProcessor}};

}  // namespace
}  // namespace trevalon
