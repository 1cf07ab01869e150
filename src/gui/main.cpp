// trevalon: the desktop program. The command line is read first (--help, --version and
// mistakes answered on the terminal); start-up picks the language, reads korvo.cfg, installs
// the labels of that language and opens the frame; the files named on the command line open
// in their own windows, and with none an empty document window opens.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/command_line.h"
#include "gui/labels.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "gui/screenshot.h"
#include "platform/file_io.h"

int main(int argc, char** argv) {
  using namespace trevalon;
  // An interrupted save leaves no temporary file. Qt has no handlers of its own for these
  // signals; ours only remove the files and end the program as the signal asks.
  InstallTempFileCleanup();
  // The command line is settled before anything can change the current directory (start-up
  // enters WorkDir) and before Qt wants a display.
  std::error_code ec;
  const std::filesystem::path startDir = std::filesystem::current_path(ec);
  const CommandLine line =
      ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), startDir);
  switch (line.action) {
    case CommandLine::Action::Help:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::printf("trevalon %s\n", TREVALON_VERSION);
      return 0;
    case CommandLine::Action::Error:
      std::fprintf(stderr, "trevalon: %s\n%s", line.error.c_str(), UsageText().c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  const std::vector<std::string>& args = line.args;
  ScreenshotRequest shot;
  bool isScreenshot = false;
  const std::string problem = ParseScreenshotArgs(args, shot, isScreenshot);
  if (isScreenshot) {
    if (!problem.empty()) {
      std::fprintf(stderr, "trevalon: %s\n", problem.c_str());
      return 2;
    }
    // A screenshot needs no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication qapp(argc, argv);
  QApplication::setApplicationName("trevalon");
  QApplication::setOrganizationName("trevalon");

  QtPlatform platform;
  CApplication app(platform);
  StartOptions start;
  start.enterWorkDir = true;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--sysdir") start.systemDir = args[i + 1];
    if (args[i] == "--lang") start.language = args[i + 1];
  }
  std::string why;
  if (!app.StartUp(start, &why)) {
    std::fprintf(stderr, "trevalon: %s\n", why.c_str());
    return 2;
  }

  if (isScreenshot) {
    platform.scripted = true;
    std::string error;
    const int rc = TakeScreenshot(app, shot, error);
    if (platform.messageCount)
      std::fprintf(stderr, "%s: %s\n", platform.lastCaption.c_str(), platform.lastMessage.c_str());
    if (rc) std::fprintf(stderr, "trevalon: %s\n", error.c_str());
    return rc;
  }

  // The menus and dialogs in the user's language (or Korean, as the settings may ask).
  UseLabelLanguage(app);
  MainWindow window(app, platform);
  window.startOptions.colourByLayer = !shot.feedColours;
  window.startOptions.showGrid = shot.showGrid;
  window.startDirection = shot.direction;
  window.show();
  if (shot.files.empty()) {
    window.NewDocument();
  } else {
    QTimer::singleShot(0, &window, [&window, files = shot.files] {
      for (const auto& f : files) window.OpenFile(f);
    });
  }
  return qapp.exec();
}
