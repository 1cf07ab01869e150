// "작업 환경": the eight settings of korvo.cfg; "Save" applies and writes them.

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include "gui/command_registry.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

bool EditSettings(QWidget* parent, AppSettings& s) {
  QDialog d(parent);
  d.setWindowTitle(Q("작업 환경"));
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
  auto* cross = CheckBox(&d, "Cross cursor", "CrossCursorChk", s.crossCursorChk == 1);
  form->addRow(cross);
  auto* buttons = OkCancel(&d);
  buttons->button(QDialogButtonBox::Ok)->setText("Save");
  form->addRow(buttons);
  if (d.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    // A value is one word in korvo.cfg: whatever follows a blank would be lost on reading.
    *fields[i].value = edits[i]->text().trimmed().toStdString();
  }
  s.crossCursorChk = cross->isChecked() ? 1 : 0;
  return true;
}

void WorkEnvironment(CommandContext& c) {
  AppSettings s = c.app.settings;
  if (!EditSettings(c.parent(), s)) return;
  c.app.ApplySettings(s);
  for (ToolpathView* v : c.frame.Views())
    v->setCursor(s.crossCursorChk == 1 ? Qt::CrossCursor : Qt::ArrowCursor);
}

CommandRegistrar registrar{{"workEnvironment", Needs::Nothing, WorkEnvironment}};

}  // namespace
}  // namespace trevalon
