#include "app/settings.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/file_io.h"
#include "platform/no_case.h"
#include "platform/system_paths.h"

namespace trevalon {

namespace {
std::string Env(const char* name) {
  return EnvironmentValue(name);
}

}  // namespace

AppSettings DefaultSettings() {
  AppSettings s;
  const std::string root = HomeFolder() + "/korvo";
  s.configDir = root;
  s.workDir = root + "/ncdata";
  s.postDir = root + "/post";
  s.editor = DefaultEditor();
  s.fileExt = "*.nc;*.hnc;*.ppp;*.tap";
  s.helpFileName = root + "/help/korvo.hlp";
  s.trainingHelpName = root + "/help/korvo-t.hlp";
  s.crossCursorChk = 0;
  s.koreanLabelsChk = 0;
  return s;
}

std::string SystemDirectory(std::string_view override) {
  if (!override.empty()) return std::string(override);
  std::string d = Env("TREVALON_SYSDIR");
  if (!d.empty()) return d;
  return ConfigurationFolder();
}

bool ParseLanguage(std::string_view code, Language& out) {
  if (code == "en") return out = Language::English, true;
  if (code == "ko") return out = Language::Korean, true;
  if (code == "ja") return out = Language::Japanese, true;
  return false;
}

Language SettingsLanguage(const AppSettings& s) {
  Language chosen;
  return ParseLanguage(s.language, chosen) ? chosen : LanguageFromEnvironment();
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

FileReadError ReadSettingsFile(const std::string& path, AppSettings& s, bool* workDirRead) {
  if (workDirRead) *workDirRead = false;
  std::string text;
  const FileReadError e = ReadBoundedFile(path, kSettingsFileLimit, text, true);
  if (e != FileReadError::None) return e;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
  std::size_t pos = 0;
  // The next word; `sameLine` stops at a line feed instead of passing it.
  auto next = [&](bool sameLine) {
    while (pos < text.size() && (blank(text[pos]) || (!sameLine && text[pos] == '\n'))) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !blank(text[pos]) && text[pos] != '\n') ++pos;
    return std::string_view(text).substr(start, pos - start);
  };
  for (std::string_view key = next(false); !key.empty(); key = next(false)) {
    const std::string value(next(true));
    // Our rule: an empty folder setting means the default folder; taken as it stands it
    // would put korvo.par or look for templates at the root of the file system.
    if (EqualNoCase(key, "ConfigDir")) {
      s.configDir = value.empty() ? DefaultSettings().configDir : value;
    } else if (EqualNoCase(key, "WorkDir")) {
      s.workDir = value;
      if (workDirRead) *workDirRead = true;
    } else if (EqualNoCase(key, "PostDir")) {
      s.postDir = value.empty() ? DefaultSettings().postDir : value;
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
    } else if (EqualNoCase(key, "KoreanLabelsChk")) {
      s.koreanLabelsChk = std::atoi(value.c_str());
    } else if (EqualNoCase(key, "Language")) {
      // A code the program does not know follows the system, as no line would.
      Language known;
      s.language = ParseLanguage(value, known) ? value : std::string();
    }
  }
  return FileReadError::None;
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
  // Our rule: the Korean-labels key is written only when it is on, so that the file of a user
  // who never asked for it stays the eight lines it always was.
  if (s.koreanLabelsChk != 0) o << "KoreanLabelsChk " << s.koreanLabelsChk << " \n";
  // The same for the language: a file without the line follows the system.
  if (!s.language.empty()) o << "Language " << s.language << " \n";
  std::error_code ec;
  std::filesystem::create_directories(NativePath(path).parent_path(), ec);
  return WriteFileReplacing(path, o.str());
}

std::vector<std::string> OwnFolders(const AppSettings& s) {
  return {s.configDir,
          s.workDir,
          s.postDir,
          Utf8Path(NativePath(s.helpFileName).parent_path()),
          Utf8Path(NativePath(s.trainingHelpName).parent_path()),
          s.configDir + "/lmx"};
}

bool MakeOwnFolderFor(const AppSettings& s, const std::string& filePath, std::string* failed) {
  namespace fs = std::filesystem;
  auto normal = [](const fs::path& p) {
    fs::path n = p.lexically_normal();
    return n.has_filename() ? n : n.parent_path();  // "a/b/" and "a/b" are one folder
  };
  const fs::path folder = normal(NativePath(filePath).parent_path());
  if (folder.empty()) return true;
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  for (const std::string& own : OwnFolders(s))
    if (!own.empty() && normal(NativePath(own)) == folder)
      return MakeFolders(Utf8Path(folder), failed);
  return true;  // not ours: the write itself says that the folder is missing
}

std::string NcFileFilter(const AppSettings& s) {
  return "NCDATA FILE (" + s.fileExt + ")|" + s.fileExt + "|All Files (*.*)|*.*||";
}

}  // namespace trevalon
