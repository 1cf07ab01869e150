// "작업 환경": the settings of korvo.cfg; "Save" applies and writes them. The Korean-labels box
// shows the menus and dialogs in Korean (or in the user's language again) at once.

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

bool EditSettings(QWidget* parent, AppSettings& s) {
  QDialog d(parent);
  d.setWindowTitle(L("작업 환경"));
  auto* form = new QFormLayout(&d);
  struct Field {
    const char* label;
    std::string* value;
  } fields[] = {{"ConfigDir", &s.configDir},
                {"WorkDir", &s.workDir},
                {"PostDir", &s.postDir},
                {"Editor", &s.editor},
                {"FileExt", &s.fileExt},
                {"HelpFileName", &s.helpFileName},
                {"TrainingHelpName", &s.trainingHelpName}};
  std::vector<QLineEdit*> edits;
  for (auto& f : fields) {
    auto* e = new QLineEdit(Q(*f.value), &d);
    e->setObjectName(f.label);
    e->setMinimumWidth(360);
    form->addRow(f.label, e);
    edits.push_back(e);
  }
  auto* cross = CheckBox(&d, L("Cross cursor"), "CrossCursorChk", s.crossCursorChk == 1);
  form->addRow(cross);
  auto* korean =
      CheckBox(&d, L("메뉴와 대화상자를 한글로"), "KoreanLabelsChk", s.koreanLabelsChk == 1);
  form->addRow(korean);
  auto* buttons = OkCancel(&d);
  buttons->button(QDialogButtonBox::Ok)->setText(L("Save"));
  form->addRow(buttons);
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    // A value is one word in korvo.cfg: whatever follows a blank would be lost on reading.
    *fields[i].value = edits[i]->text().trimmed().toStdString();
  }
  s.crossCursorChk = cross->isChecked() ? 1 : 0;
  s.koreanLabelsChk = korean->isChecked() ? 1 : 0;
  return true;
}

void WorkEnvironment(CommandContext& c) {
  AppSettings s = c.app.settings;
  if (!EditSettings(c.parent(), s)) return;
  c.app.ApplySettings(s);
  for (ToolpathView* v : c.frame.Views())
    v->setCursor(s.crossCursorChk == 1 ? Qt::CrossCursor : Qt::ArrowCursor);
  if (UseLabelLanguage(c.app)) c.frame.RetranslateLabels();
}

CommandRegistrar registrar{{"workEnvironment", Needs::Nothing, WorkEnvironment}};

}  // namespace
}  // namespace trevalon
