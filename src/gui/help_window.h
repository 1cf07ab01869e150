#pragma once
// The help window: the user manual's HTML pages in a browser beside the main window, with
// back, forward, the contents page (also F1 while the help window is active: in the main
// window F1 stays the top view) and a find field. One help window per main window; the Help
// menu's items bring it up on their page.

#include <QDialog>
#include <QString>
#include <string>

#include "app/help_files.h"

class QLineEdit;
class QTextBrowser;

namespace trevalon {

class CApplication;
class MainWindow;

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  // `folder` holds the manual's pages.
  HelpWindow(QWidget* parent, const QString& folder);

  // Shows `page` of the manual ("index.html", "reading.html#extended"), the window raised.
  void ShowPage(const QString& page);
  // The contents page.
  void Home();
  QTextBrowser* browser() const { return browser_; }
  const QString& folder() const { return folder_; }

 private:
  void Find(bool backward);

  QString folder_;
  QTextBrowser* browser_ = nullptr;
  QLineEdit* find_ = nullptr;
};

// What the running program's search for the manual starts from (see ManualFolders): the
// environment, the program's folder, and the source, build and install paths of its build.
ManualSearch InstalledManualSearch();

// The Help menu's items: HelpFileName (help) or TrainingHelpName (tutorial) when it names a
// file of the user's own, opened with the desktop's program for its type as ever; otherwise,
// or when that file cannot be opened, the manual on its contents page or on the first-job
// walkthrough, looked for as `search` says. A manual that cannot be found is reported with the
// folders searched.
void ShowHelp(CApplication& app, MainWindow& frame, bool tutorial,
              const ManualSearch& search = InstalledManualSearch());

}  // namespace trevalon
