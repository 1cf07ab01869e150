#include "app/application.h"

#include <algorithm>
#include <filesystem>

#include "platform/system_paths.h"

namespace trevalon {

CApplication::CApplication(Platform& p) : platform(p), settings(DefaultSettings()) {}

int CApplication::StartUp(const StartOptions& options, std::string* why) {
  settings = DefaultSettings();
  if (options.language.empty()) {
    language = LanguageFromEnvironment();
  } else if (!ParseLanguage(options.language, language)) {
    if (why) *why = "unknown language '" + options.language + "' (en, ko or ja)";
    return 0;
  }
  systemDir = SystemDirectory(options.systemDir);
  std::error_code ec;
  if (std::filesystem::exists(NativePath(systemDir), ec) &&
      !std::filesystem::is_directory(NativePath(systemDir), ec)) {
    if (why) *why = "the system directory '" + systemDir + "' is not a folder";
    return 0;
  }
  bool workDirRead = false;
  const FileReadError read = ReadSettingsFile(SettingsPath(), settings, &workDirRead);
  // The language korvo.cfg names, unless the command line named one.
  if (options.language.empty()) language = SettingsLanguage(settings);
  if (read != FileReadError::None && read != FileReadError::Missing)
    Msg().ShowReadError(read, SettingsPath());
  if (workDirRead && options.enterWorkDir) {
    std::filesystem::current_path(NativePath(settings.workDir),
                                  ec);  // a missing directory is not tested
  }
  return 1;
}

int CApplication::ApplySettings(const AppSettings& s) {
  int written = WriteSettingsFile(SettingsPath(), s);
  if (!written) ShowCannotOpen();
  settings = s;
  return written;
}

Outcome CApplication::MakeFolderFor(const std::string& filePath) {
  std::string folder;
  if (MakeOwnFolderFor(settings, filePath, &folder)) return Outcome::Done();
  Msg().ShowFileError(Txt::CannotCreateFolder, folder);
  return Outcome::Failed(OutcomeCode::CannotOpen, "cannot create the folder '" + folder + "'");
}

CFeedControl& CApplication::FeedControl() {
  if (!feedControl_) {
    // The channels' directories sit beside the configuration directory's defaults.
    std::string root = settings.configDir;
    feedControl_ = std::make_unique<CFeedControl>(root);
  }
  return *feedControl_;
}

CDocument& CApplication::NewDocument() {
  documents.push_back(std::make_unique<CDocument>());
  return *documents.back();
}

void CApplication::CloseDocument(CDocument* doc) {
  documents.erase(std::remove_if(documents.begin(), documents.end(),
                                 [&](const auto& d) { return d.get() == doc; }),
                  documents.end());
}

EditContext MakeEditContext(CApplication& app, CDocument& doc) {
  return EditContext{doc.store,  doc.undo,     doc.retractHeight,
                     app.Msg(),  &doc.view,    [&doc] { doc.Redraw(); },
                     &doc.edits, &doc.maxFeed, &doc.sourceLines};
}

}  // namespace trevalon
