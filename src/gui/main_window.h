#pragma once
// The frame of the desktop program: the multi-document area with one toolpath view per
// document, the menus with their accelerators and status tips, the toolbars with the layer
// list, the status line's panes and the list of recently used files.

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/qt_platform.h"
#include "gui/toolpath_view.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;

namespace trevalon {

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
  // The load and append commands; `path` given skips the file dialog.
  void LoadCommand(bool append, const std::string& path = {});

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
  const std::vector<std::string>& recentFiles() const { return recent_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QAction* Add(QMenu* menu, const char* label, Txt tip, const char* name,
               std::function<void()> handler, QKeySequence key = {}, bool enabled = true);
  void BuildMenus();
  void BuildToolbars();
  void BuildStatusLine();
  void RefreshState();
  void RefreshStatus();
  void RefreshLayerList(bool names);
  void AddRecent(const std::string& path);
  void LoadRecent();
  void SaveRecent();
  void RebuildRecentMenu();
  void SwitchLayer(int layer);

  // Commands
  void SaveNc();
  void SaveLayers();
  void PostProcessor();
  void WorkLayer();
  void LayerByToolpath();
  void EchoLayers();
  void CopyLayer();
  void LayerInformation();
  void ToolpathInformation();
  void NcSettings();
  void WorkEnvironment();
  void LayerColours();
  void ViewInEditor();
  void RotationCentreInput();
  void RotationCentreSelect();
  void SetMouseMode(MouseMode m);

  CApplication& app_;
  QtPlatform& platform_;
  QMdiArea* mdi_ = nullptr;
  QComboBox* layerList_ = nullptr;
  std::array<QLabel*, StatusPanes::kCount> panes_{};
  QProgressBar* busy_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  std::vector<std::string> recent_;
  std::vector<QAction*> viewActions_;  // enabled only with a document window
  std::string lastLoadDir_[2];         // the load and the append dialog remember their own
  std::string lastEditorFile_;
  bool refillingLayers_ = false;
  bool closing_ = false;
};

}  // namespace trevalon
