// "작업 환경": the settings of korvo.cfg; "Save" applies and writes them. The language (the
// system's, Korean, English or Japanese) and the Korean-labels box take effect at once: the
// menus, toolbars, docks and status tips change, and every dialog opened after it.

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "gui/command_registry.h"
#include "gui/labels.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

// The language choice in the order the dialog lists it; "" follows the system.
constexpr std::pair<const char*, Txt> kLanguages[] = {{"", Txt::LanguageSystem},
                                                      {"ko", Txt::LanguageKorean},
                                                      {"en", Txt::LanguageEnglish},
                                                      {"ja", Txt::LanguageJapanese}};

bool EditSettings(const CApplication& app, QWidget* parent, AppSettings& s) {
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
  auto* language = new QComboBox(&d);
  language->setObjectName("Language");
  language->setStatusTip(app.Text(Txt::TipLanguage));
  language->setToolTip(app.Text(Txt::TipLanguage));
  for (const auto& [code, name] : kLanguages) {
    language->addItem(app.Text(name), QString(code));
    if (s.language == code) language->setCurrentIndex(language->count() - 1);
  }
  form->addRow(L("언어"), language);
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
  s.language = language->currentData().toString().toStdString();
  return true;
}

void WorkEnvironment(CommandContext& c) {
  AppSettings s = c.app.settings;
  if (!EditSettings(c.app, c.parent(), s)) return;
  // A language chosen here wins over the command line's --lang from now on; one left as it
  // was keeps the language the program runs in.
  if (s.language != c.app.settings.language) c.app.language = SettingsLanguage(s);
  c.app.ApplySettings(s);
  for (ToolpathView* v : c.frame.Views())
    v->setCursor(s.crossCursorChk == 1 ? Qt::CrossCursor : Qt::ArrowCursor);
  // A new label translator makes Qt send the frame its LanguageChange as well; the status
  // tips and the close question's buttons are the core's texts and change in any case.
  UseLabelLanguage(c.app);
  c.frame.RetranslateLabels();
}

CommandRegistrar registrar{{"workEnvironment", Needs::Nothing, WorkEnvironment}};

}  // namespace
}  // namespace trevalon
