// Verbs of the application: the work-environment settings and the user texts.

#include <ostream>

#include "cli/script.h"
#include "platform/no_case.h"

namespace trevalon::cli {

namespace {

struct SettingKey {
  const char* name;
  std::string AppSettings::*text;  // null for the flags
  int AppSettings::*flag = nullptr;
};
constexpr SettingKey kKeys[] = {
    {"ConfigDir", &AppSettings::configDir},
    {"WorkDir", &AppSettings::workDir},
    {"PostDir", &AppSettings::postDir},
    {"Editor", &AppSettings::editor},
    {"FileExt", &AppSettings::fileExt},
    {"HelpFileName", &AppSettings::helpFileName},
    {"TrainingHelpName", &AppSettings::trainingHelpName},
    {"CrossCursorChk", nullptr, &AppSettings::crossCursorChk},
    {"KoreanLabelsChk", nullptr, &AppSettings::koreanLabelsChk},
    {"Language", &AppSettings::language},
};

void Settings(Session& s, const Args& a) {
  if (a.options().empty() && a.size() == 0) {
    const AppSettings& st = s.app.settings;
    for (const SettingKey& k : kKeys) {
      s.out << k.name << ' ';
      if (k.text)
        s.out << st.*k.text << '\n';
      else
        s.out << st.*k.flag << '\n';
    }
    s.out << "SettingsFile " << s.app.SettingsPath() << '\n';
    return;
  }
  bool save = false;
  for (const std::string& w : a.positional()) {
    if (w != "save") Usage("settings: unexpected word '" + w + "' (KEY=VALUE... [save])");
    save = true;
  }
  AppSettings next = s.app.settings;
  for (const auto& [key, value] : a.options()) {
    const SettingKey* found = nullptr;
    for (const SettingKey& k : kKeys)
      if (EqualNoCase(key, k.name)) found = &k;
    if (!found) Usage("settings: unknown key '" + key + "'");
    // korvo.cfg is read word by word: a value with a blank would come back cut.
    if (value.empty() || value.find_first_of(" \t\r\n") != std::string::npos)
      Usage("settings: " + std::string(found->name) + " needs one word without blanks");
    if (found->text == &AppSettings::language) {
      // The desktop's language choice: a code, or "system" to follow the system again.
      Language chosen;
      if (value != "system" && !ParseLanguage(value, chosen))
        Usage("settings: Language is en, ko, ja or system");
      next.language = value == "system" ? std::string() : value;
    } else if (found->text) {
      next.*found->text = value;
    } else {
      next.*found->flag = static_cast<int>(ParseInt(value, found->name));
    }
  }
  // A changed language choice applies at once, as in the desktop.
  if (next.language != s.app.settings.language) s.app.language = SettingsLanguage(next);
  if (save) {
    if (!s.app.ApplySettings(next)) Failure("settings: cannot write " + s.app.SettingsPath());
  } else {
    s.app.settings = next;
  }
}

void Text(Session& s, const Args& a) {
  a.Expect(1, 1);
  Txt id;
  if (!FindTxt(a[0], id)) Usage("text: no user text '" + a[0] + "'");
  s.out << s.app.Text(id) << '\n';
}

VerbRegistrar registrar{
    {"settings", "settings [KEY=VALUE...] [save]   show or change the work environment", Settings},
    {"text", "text ID   print a user text (by name or number) in the current language", Text},
};

}  // namespace

}  // namespace trevalon::cli
