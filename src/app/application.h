#pragma once
// CApplication: what the whole program shares: the platform, the settings and language,
// the user texts and the open documents (each with its own undo ring and reader state).

#include <memory>
#include <string>
#include <vector>

#include "app/document.h"
#include "app/settings.h"
#include "edit/command_frame.h"
#include "feed/feed_control.h"
#include "platform/outcome.h"
#include "platform/platform.h"
#include "texts/messages.h"
#include "texts/user_texts.h"

namespace trevalon {

struct StartOptions {
  std::string systemDir;  // where korvo.cfg lives; empty: the usual place
  std::string language;   // "en", "ko", "ja"; empty: from the environment
  // The desktop makes the configured work directory current; the command-line tool keeps
  // the directory it was started in so that paths in scripts mean what they say.
  bool enterWorkDir = false;
};

class CApplication {
 public:
  explicit CApplication(Platform& platform);
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  // Defaults, language, user texts, korvo.cfg. Returns 0 (and `why` says it) for an unknown
  // language code and for a system directory that exists but is not a folder. A korvo.cfg
  // that is refused (a folder, too large, not text) is reported and the defaults stay.
  // Nothing is created: korvo.cfg and its folder appear when the settings are first saved.
  int StartUp(const StartOptions& options, std::string* why = nullptr);

  const char* Text(Txt id) const { return UserText(id, language); }
  // Notices and questions in the current language, for the core's commands.
  Messages Msg() const { return Messages(platform, language); }
  // The file error of the whole program: " Can not open file !!.\n", "Error message".
  void ShowCannotOpen() { Msg().ShowCannotOpen(); }
  Answer Ask(Txt text, Txt caption) { return Msg().Ask(text, caption); }
  void Notify(Txt text, Txt caption) { Msg().Notify(text, caption); }

  std::string SettingsPath() const { return systemDir + "/korvo.cfg"; }
  // The work-environment dialog's OK: writes korvo.cfg, then the values take effect (also
  // when the file could not be written, after the file error is shown). 1 when written.
  int ApplySettings(const AppSettings& s);

  // Before a file is written: makes its folder when that is one of the program's own and
  // missing (MakeOwnFolderFor). A folder that cannot be made is shown with its name and the
  // result says so (CannotOpen); Done otherwise.
  Outcome MakeFolderFor(const std::string& filePath);

  // The optimiser object, created the first time it is needed.
  CFeedControl& FeedControl();

  CDocument& NewDocument();
  void CloseDocument(CDocument* doc);

  Platform& platform;
  AppSettings settings;
  Language language = Language::English;
  std::string systemDir;
  std::vector<std::unique_ptr<CDocument>> documents;

 private:
  std::unique_ptr<CFeedControl> feedControl_;
};

// The context of an editing command on a document: its store, the document's undo ring,
// the document's retract height, messages in the current language, the view and its redraw.
EditContext MakeEditContext(CApplication& app, CDocument& doc);

}  // namespace trevalon
