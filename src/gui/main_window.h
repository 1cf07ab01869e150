#pragma once
// The frame of the desktop program: the multi-document area with one toolpath view per
// document, the menus with their accelerators and status tips (each item runs the command
// registered under its name), the toolbars with the layer list, the status line's panes and
// the list of recently used files.

#include <QMainWindow>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "gui/command_registry.h"
#include "gui/qt_platform.h"
#include "gui/toolpath_view.h"

class QAction;
class QActionGroup;
class QComboBox;
class QDockWidget;
class QStackedWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;

namespace trevalon {

struct MenuEntry;
class SourcePane;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(CApplication& app, QtPlatform& platform);
  ~MainWindow() override;

  // A new, empty document window.
  ToolpathView* NewDocument();
  // Opens an NC program in a new document window (as the command line and the recent-file
  // list do). 1 when read.
  int OpenFile(const std::string& path);
  // Reads a program into the document of `view`: load replaces the work layer's toolpath,
  // append adds to it. 1 when read.
  int ReadInto(ToolpathView* view, const std::string& path, bool append);
  // Before a document window closes: a document with unwritten toolpath changes asks
  // whether to save them. Save runs "Ncdata로 저장" with its dialogs on that document and
  // closes only when everything got written; Discard closes; Cancel keeps the window. True
  // when the window may close.
  bool MayCloseDocument(ToolpathView* view);
  // Makes `layer` the work layer of the active document (the layer list and the layer
  // commands).
  void SwitchLayer(int layer);

  // How new document windows start: their drawing options and view direction (the command
  // line's --feed-colours and --view).
  RenderOptions startOptions;
  int startDirection = 4;

  ToolpathView* ActiveView() const;
  std::vector<ToolpathView*> Views() const;
  QString PaneText(int pane) const;
  QAction* Action(const QString& objectName) const;
  QMdiArea* mdi() const { return mdi_; }
  QComboBox* layerList() const { return layerList_; }
  // The dock of the NC program beside the view: it shows the text pane of the active
  // document window (each window has its own), hidden until the View menu shows it.
  QDockWidget* sourceDock() const { return sourceDock_; }
  SourcePane* SourcePaneOf(const ToolpathView* view) const;
  const std::vector<std::string>& recentFiles() const { return recent_; }
  QtPlatform& platform() { return platform_; }

  // The enabled items, the tick marks and the layer list follow the active document (after
  // every command, and when another window becomes active).
  void RefreshState();
  // The layer list's names anew (names true) and its current entry.
  void RefreshLayerList(bool names);
  // The menus and toolbars in the labels of the label translator now installed (after
  // UseLabelLanguage changed it).
  void RetranslateLabels();

 signals:
  // After every command and whenever another document window becomes active (the end of
  // RefreshState): windows that follow the active document look again.
  void stateRefreshed();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildMenus();
  void AddItem(QMenu* menu, const MenuEntry& e, QActionGroup* directions, QActionGroup* modes);
  void Run(const Command& c);
  void RunOn(const Command& c, ToolpathView* view);
  Outcome Read(ToolpathView* view, const std::string& path, bool append);
  void BuildToolbars();
  void BuildStatusLine();
  void BuildSourceDock();
  // The active window's text pane in the dock, brought up to date while the dock is shown.
  void RefreshSourcePane();
  void RefreshStatus();
  void AddRecent(const std::string& path);
  void LoadRecent();
  void SaveRecent();
  void RebuildRecentMenu();

 public:
  // The Edit menu's undo list: the steps undo can take back in the active window, the newest
  // first, each named after its command; choosing one takes it back with every step above it.
  void RebuildUndoMenu();
  QMenu* undoMenu() const { return undoMenu_; }

 private:
  CApplication& app_;
  QtPlatform& platform_;
  DialogMemory memory_;
  QMdiArea* mdi_ = nullptr;
  QComboBox* layerList_ = nullptr;
  QDockWidget* sourceDock_ = nullptr;
  QStackedWidget* sourceStack_ = nullptr;
  std::array<QLabel*, StatusPanes::kCount> panes_{};
  QProgressBar* busy_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QMenu* undoMenu_ = nullptr;
  std::vector<std::string> recent_;
  std::vector<QAction*> viewActions_;                        // enabled only with a document window
  std::vector<std::pair<QAction*, const Command*>> ticked_;  // items whose tick follows a state
  bool refillingLayers_ = false;
  bool closing_ = false;
  // Set while a window closes whose question has been answered already.
  bool answered_ = false;
};

}  // namespace trevalon
