#pragma once
// The work-environment settings kept in korvo.cfg, where that file lives, and the language
// the user texts are shown in.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "texts/user_texts.h"

namespace trevalon {

struct AppSettings {
  std::string configDir;         // ConfigDir: korvo.par, color.par and other settings files
  std::string workDir;           // WorkDir: initial directory of the NC file dialogs
  std::string postDir;           // PostDir: post-processor templates
  std::string editor;            // Editor: program that opens an NC file for editing
  std::string fileExt;           // FileExt: pattern of the NC file dialogs
  std::string helpFileName;      // HelpFileName
  std::string trainingHelpName;  // TrainingHelpName
  int crossCursorChk = 0;        // CrossCursorChk: 1 gives the views a cross-hair cursor
  // KoreanLabelsChk: 1 keeps the desktop's menus and dialogs in their Korean labels whatever
  // the language (messages and status tips still follow the language).
  int koreanLabelsChk = 0;
  // Language: "ko", "en" or "ja", the language of the desktop's menus, dialogs and messages;
  // empty follows the system (LanguageFromEnvironment). The command line's --lang wins.
  std::string language;
};

// The language the settings ask for, else the system's.
Language SettingsLanguage(const AppSettings& s);

// The defaults: the program's tree under ~/korvo, the user's editor ($VISUAL, $EDITOR, else
// the desktop's opener).
AppSettings DefaultSettings();

// Where korvo.cfg lives: the override when given, else $TREVALON_SYSDIR, else
// $XDG_CONFIG_HOME/trevalon, else ~/.config/trevalon.
std::string SystemDirectory(std::string_view override);

// The language from LC_ALL, LC_MESSAGES and LANG, the first one set: ko gives Korean, ja
// Japanese, anything else English.
Language LanguageFromEnvironment();
// "en", "ko" or "ja"; false for anything else.
bool ParseLanguage(std::string_view code, Language& out);

// korvo.cfg holds eight or nine short lines; no real one comes near this.
inline constexpr std::size_t kSettingsFileLimit = 1u << 20;

// Reads korvo.cfg: key and value pairs separated by blanks, keys without regard to case,
// unknown keys skipped, a later line wins. A value stands on its key's line: a key with
// nothing after it on its line has an empty value (korvo.cfg writes an empty setting as
// "Editor  "), never the next line's key. workDirRead tells whether the file named a work
// directory. Nothing is created: a missing file (Missing) leaves the settings as they are,
// and so does a file that is refused (a folder, beyond kSettingsFileLimit, a NUL byte).
FileReadError ReadSettingsFile(const std::string& path, AppSettings& s,
                               bool* workDirRead = nullptr);
// Writes the eight lines, KoreanLabelsChk when it is on and Language when it is set; 0 when
// the file cannot be created (the old file stays).
int WriteSettingsFile(const std::string& path, const AppSettings& s);

// The folders of the work environment: ConfigDir, WorkDir, PostDir, the help files' folders
// and the condition files' folder (ConfigDir/lmx).
std::vector<std::string> OwnFolders(const AppSettings& s);

// Our rule: the program's own folders are made the first time a file is written into one of
// them (never when something is only read), so a fresh machine needs no set-up; a file
// elsewhere must go into a folder that exists. True when the file's folder is there now (or
// is not one of them); otherwise `failed` names the folder that could not be made.
bool MakeOwnFolderFor(const AppSettings& s, const std::string& filePath, std::string* failed);

// The filter of the NC file dialogs, from the FileExt pattern.
std::string NcFileFilter(const AppSettings& s);

}  // namespace trevalon
