#pragma once
// The work-environment settings kept in korvo.cfg, where that file lives, and the language
// the user texts are shown in.

#include <string>
#include <string_view>

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
};

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

// Reads korvo.cfg: whitespace-separated key and value pairs, keys without regard to case,
// unknown keys skipped, a later line wins. A missing file is created empty and the settings
// stay. workDirRead tells whether the file named a work directory. Returns 0 when the file
// neither exists nor can be created.
int ReadSettingsFile(const std::string& path, AppSettings& s, bool* workDirRead = nullptr);
// Writes the eight lines; 0 when the file cannot be created (the old file stays).
int WriteSettingsFile(const std::string& path, const AppSettings& s);

// The filter of the NC file dialogs, from the FileExt pattern.
std::string NcFileFilter(const AppSettings& s);

}  // namespace trevalon
