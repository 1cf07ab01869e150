#include "app/settings.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_io.h"

namespace trevalon {

namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HomeDir() {
  std::string h = Env("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}
}  // namespace

AppSettings DefaultSettings() {
  AppSettings s;
  const std::string root = HomeDir() + "/korvo";
  s.configDir = root;
  s.workDir = root + "/ncdata";
  s.postDir = root + "/post";
  s.editor = Env("VISUAL");
  if (s.editor.empty()) s.editor = Env("EDITOR");
  if (s.editor.empty()) s.editor = "xdg-open";
  s.fileExt = "*.nc;*.hnc;*.ppp;*.tap";
  s.helpFileName = root + "/help/korvo.hlp";
  s.trainingHelpName = root + "/help/korvo-t.hlp";
  s.crossCursorChk = 0;
  return s;
}

std::string SystemDirectory(std::string_view override) {
  if (!override.empty()) return std::string(override);
  std::string d = Env("TREVALON_SYSDIR");
  if (!d.empty()) return d;
  d = Env("XDG_CONFIG_HOME");
  if (!d.empty()) return d + "/trevalon";
  return HomeDir() + "/.config/trevalon";
}

bool ParseLanguage(std::string_view code, Language& out) {
  if (code == "en") return out = Language::English, true;
  if (code == "ko") return out = Language::Korean, true;
  if (code == "ja") return out = Language::Japanese, true;
  return false;
}

Language LanguageFromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string v = Env(var);
    if (v.empty()) continue;
    if (v.rfind("ko", 0) == 0) return Language::Korean;
    if (v.rfind("ja", 0) == 0) return Language::Japanese;
    return Language::English;
  }
  return Language::English;
}

int ReadSettingsFile(const std::string& path, AppSettings& s, bool* workDirRead) {
  if (workDirRead) *workDirRead = false;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    // First start: an empty file marks the place; the defaults stay.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream create(path, std::ios::binary);
    return create ? 1 : 0;
  }
  std::string key, value;
  while (in >> key >> value) {
    if (EqualNoCase(key, "ConfigDir")) {
      s.configDir = value;
    } else if (EqualNoCase(key, "WorkDir")) {
      s.workDir = value;
      if (workDirRead) *workDirRead = true;
    } else if (EqualNoCase(key, "PostDir")) {
      s.postDir = value;
    } else if (EqualNoCase(key, "Editor")) {
      s.editor = value;
    } else if (EqualNoCase(key, "FileExt")) {
      s.fileExt = value;
    } else if (EqualNoCase(key, "HelpFileName")) {
      s.helpFileName = value;
    } else if (EqualNoCase(key, "TrainingHelpName")) {
      s.trainingHelpName = value;
    } else if (EqualNoCase(key, "CrossCursorChk")) {
      // A decimal integer; anything else reads as 0, as a C scan would leave it.
      s.crossCursorChk = std::atoi(value.c_str());
    }
  }
  return 1;
}

int WriteSettingsFile(const std::string& path, const AppSettings& s) {
  std::ostringstream o;
  o << "ConfigDir " << s.configDir << " \n"
    << "WorkDir " << s.workDir << " \n"
    << "PostDir " << s.postDir << " \n"
    << "Editor " << s.editor << " \n"
    << "FileExt " << s.fileExt << " \n"
    << "HelpFileName " << s.helpFileName << " \n"
    << "TrainingHelpName " << s.trainingHelpName << " \n"
    << "CrossCursorChk " << s.crossCursorChk << " \n";
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return WriteFileReplacing(path, o.str());
}

std::string NcFileFilter(const AppSettings& s) {
  return "NCDATA FILE (" + s.fileExt + ")|" + s.fileExt + "|All Files (*.*)|*.*||";
}

}  // namespace trevalon
