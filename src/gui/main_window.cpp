#include "gui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <cstdio>
#include <fstream>

#include "app/layer_commands.h"
#include "gui/dialogs.h"
#include "gui/feed_commands.h"
#include "gui/nc_commands.h"
#include "gui/qt_helpers.h"
#include "model/statistics.h"
#include "platform/file_io.h"

namespace trevalon {
namespace {

constexpr int kRecentCount = 4;

}  // namespace

MainWindow::MainWindow(CApplication& app, QtPlatform& platform) : app_(app), platform_(platform) {
  setWindowTitle(app_.Text(Txt::AppTitle));
  setWindowIcon(QIcon(":/trevalon/trevalon.svg"));
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setBackground(QColor(58, 62, 70));
  setCentralWidget(mdi_);
  platform_.parentWindow = this;
  platform_.onHelpText = [this](const std::string& text) {
    if (panes_[0]) panes_[0]->setText(Q(text));
  };
  platform_.onBusy = [this](bool busy) {
    if (busy_) busy_->setVisible(busy);
  };
  LoadRecent();
  BuildMenus();
  BuildToolbars();
  BuildStatusLine();
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
    RefreshState();
    RefreshStatus();
  });
  resize(1280, 860);
  RefreshState();
}

MainWindow::~MainWindow() {
  // The document windows go first, while the frame they report to is still whole.
  closing_ = true;
  disconnect(mdi_, nullptr, this, nullptr);
  for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
  platform_.onHelpText = nullptr;
  platform_.onBusy = nullptr;
  platform_.parentWindow = nullptr;
}

// ---- Documents -----------------------------------------------------------------------------

ToolpathView* MainWindow::NewDocument() {
  CDocument& doc = app_.NewDocument();
  // A new view takes the colours and the NC switches from the configuration directory.
  ReadLayerColours(app_.settings.configDir, doc.colours);
  doc.title = doc.layers[0].fileName;
  doc.view.SetDirection(startDirection);
  auto* view = new ToolpathView(app_, doc);
  view->options = startOptions;
  InitialiseNcSwitches(*view);
  QMdiSubWindow* sub = mdi_->addSubWindow(view);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->setWindowIcon(windowIcon());
  CDocument* docPtr = &doc;
  connect(view, &QObject::destroyed, this, [this, docPtr] {
    app_.CloseDocument(docPtr);
    if (!closing_) RefreshState();
  });
  connect(view, &ToolpathView::statusChanged, this, &MainWindow::RefreshStatus);
  connect(view, &ToolpathView::viewChanged, this, &MainWindow::RefreshState);
  sub->resize(900, 640);
  if (mdi_->subWindowList().size() == 1)
    sub->showMaximized();
  else
    sub->show();
  view->setFocus();
  RefreshState();
  return view;
}

ToolpathView* MainWindow::ActiveView() const {
  QMdiSubWindow* sub = mdi_->activeSubWindow();
  if (!sub) {
    const auto list = mdi_->subWindowList();
    if (list.isEmpty()) return nullptr;
    sub = list.back();
  }
  return qobject_cast<ToolpathView*>(sub->widget());
}

std::vector<ToolpathView*> MainWindow::Views() const {
  std::vector<ToolpathView*> out;
  for (QMdiSubWindow* s : mdi_->subWindowList())
    if (auto* v = qobject_cast<ToolpathView*>(s->widget())) out.push_back(v);
  return out;
}

int MainWindow::ReadInto(ToolpathView* view, const std::string& path, bool append) {
  if (!view) return 0;
  const int ok = ReadNcFile(app_, *view, path, append);
  view->MarkOperationEnd();
  view->FitWhenSized();
  if (ok) {
    AddRecent(path);
    view->UpdateTitle();
    if (QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
      sub->setWindowTitle(view->windowTitle());
  }
  RefreshState();
  return ok;
}

int MainWindow::OpenFile(const std::string& path) {
  ToolpathView* view = NewDocument();
  // Fit needs the window's real size: let the new window take its place first.
  QApplication::processEvents();
  return ReadInto(view, path, false);
}

void MainWindow::LoadCommand(bool append, const std::string& given) {
  ToolpathView* view = ActiveView();
  if (!view) view = NewDocument();
  std::string path = given;
  if (path.empty()) {
    std::string& last = lastLoadDir_[append ? 1 : 0];
    QFileDialog dlg(this);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::ReadOnly, true);
    dlg.setNameFilters(NcNameFilters(app_.settings));
    if (!last.empty())
      dlg.selectFile(Q(last));
    else
      dlg.setDirectory(Q(app_.settings.workDir));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    path = dlg.selectedFiles().front().toStdString();
    last = path;
  }
  ReadInto(view, path, append);
}

// ---- Recently used files ----------------------------------------------------------------------

void MainWindow::LoadRecent() {
  recent_.clear();
  std::ifstream in(app_.systemDir + "/recent.lst");
  std::string line;
  while (static_cast<int>(recent_.size()) < kRecentCount && std::getline(in, line)) {
    if (!line.empty()) recent_.push_back(line);
  }
}

void MainWindow::SaveRecent() {
  std::string text;
  for (const auto& r : recent_) text += r + "\n";
  WriteFileReplacing(app_.systemDir + "/recent.lst", text);
}

void MainWindow::AddRecent(const std::string& path) {
  const std::string full = QFileInfo(Q(path)).absoluteFilePath().toStdString();
  std::erase(recent_, full);
  recent_.insert(recent_.begin(), full);
  if (static_cast<int>(recent_.size()) > kRecentCount) recent_.resize(kRecentCount);
  SaveRecent();
  RebuildRecentMenu();
}

void MainWindow::RebuildRecentMenu() {
  if (!recentMenu_) return;
  recentMenu_->clear();
  int n = 1;
  for (const auto& r : recent_) {
    QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(n++).arg(Q(r)));
    a->setStatusTip(app_.Text(Txt::TipRecentFile));
    const std::string path = r;
    connect(a, &QAction::triggered, this, [this, path] { OpenFile(path); });
  }
  recentMenu_->setEnabled(!recent_.empty());
}

// ---- Menus
// ---------------------------------------------------------------------------------------

QAction* MainWindow::Add(QMenu* menu, const char* label, Txt tip, const char* name,
                         std::function<void()> handler, QKeySequence key, bool enabled) {
  auto* a = new QAction(QString::fromUtf8(label), this);
  a->setObjectName(name);
  a->setStatusTip(QString::fromUtf8(app_.Text(tip)));
  if (!key.isEmpty()) a->setShortcut(key);
  if (handler && enabled) {
    connect(a, &QAction::triggered, this, [handler] { handler(); });
  } else {
    a->setEnabled(false);
    // Commands whose work is not part of the program yet stay visible and disabled.
    a->setProperty("unbuilt", true);
  }
  menu->addAction(a);
  return a;
}

QAction* MainWindow::Action(const QString& objectName) const {
  return findChild<QAction*>(objectName);
}

void MainWindow::BuildMenus() {
  auto onView = [this](std::function<void(ToolpathView&)> f) {
    return [this, f] {
      if (ToolpathView* v = ActiveView()) f(*v);
    };
  };
  auto track = [this](QAction* a) {
    if (a->isEnabled()) viewActions_.push_back(a);
    return a;
  };
  const std::function<void()> none;

  // ---- File
  QMenu* file = menuBar()->addMenu(QString::fromUtf8("파일(&F)"));
  Add(
      file, "Ncdata 불러오기(&N)...\tCtrl+N", Txt::TipLoad, "load", [this] { LoadCommand(false); },
      QKeySequence("Ctrl+N"));
  track(Add(
      file, "Ncdata 추가하기(&D)...\tCtrl+D", Txt::TipAppend, "append",
      [this] { LoadCommand(true); }, QKeySequence("Ctrl+D")));
  file->addSeparator();
  track(Add(
      file, "Ncdata로 저장(&C)\tCtrl+C", Txt::TipSaveNc, "saveNc", [this] { SaveNc(); },
      QKeySequence("Ctrl+C")));
  track(Add(file, "Layer ncdata 저장(&L)", Txt::TipSaveLayers, "saveLayers",
            [this] { SaveLayers(); }, {}));
  track(Add(file, "Post Processor", Txt::TipPostProcessor, "postProcessor",
            [this] { PostProcessor(); }));
  file->addSeparator();
  Add(file, "새 창(&W)", Txt::TipNewWindow, "newWindow", [this] { NewDocument(); });
  track(Add(file, "닫기(&O)", Txt::TipCloseWindow, "closeWindow",
            [this] { mdi_->closeActiveSubWindow(); }));
  file->addSeparator();
  recentMenu_ = file->addMenu(QString::fromUtf8("최근 파일"));
  RebuildRecentMenu();
  file->addSeparator();
  Add(file, "종료(&X)", Txt::TipExit, "exit", [this] { close(); });

  // ---- Optimise
  QMenu* opt = menuBar()->addMenu(QString::fromUtf8("최적화(&O)"));
  track(Add(opt, "Feed Optimizer", Txt::TipFeedOptimizer, "feedOptimizer",
            onView([this](ToolpathView& v) {
              FeedOptimizerDialogCommand(app_, v, this);
              RefreshState();
            })));
  Add(opt, "자동 피드 조정", Txt::TipAutoFeed, "autoFeed", [this] { AutoFeedCommand(app_, this); });
  QMenu* master = opt->addMenu(QString::fromUtf8("Lmx 마스터 모델"));
  auto masterCommand = [this, &onView](std::function<void(ToolpathView&)> f) {
    return onView([this, f](ToolpathView& v) {
      f(v);
      RefreshState();
    });
  };
  track(Add(master, "생성", Txt::TipMasterCreate, "masterCreate",
            masterCommand([this](ToolpathView& v) { MasterCreateCommand(app_, v, this); })));
  track(Add(master, "삭제", Txt::TipMasterDelete, "masterDelete",
            masterCommand([this](ToolpathView& v) { MasterDeleteCommand(app_, v); })));
  track(Add(master, "저장", Txt::TipMasterSave, "masterSave",
            masterCommand([this](ToolpathView& v) { MasterSaveCommand(app_, v, this); })));
  track(Add(master, "불러오기", Txt::TipMasterLoad, "masterLoad",
            masterCommand([this](ToolpathView& v) { MasterLoadCommand(app_, v, this); })));
  opt->addSeparator();
  Add(opt, "피드변경", Txt::TipChangeFeed, "changeFeed", none);
  Add(opt, "Window로 최대 feed 변경", Txt::TipWindowMaxFeed, "windowMaxFeed", none);
  Add(opt, "Poly Window로 최대 feed 변경", Txt::TipPolygonMaxFeed, "polygonMaxFeed", none);
  Add(opt, "Window로 최소 feed 변경", Txt::TipWindowMinFeed, "windowMinFeed", none);
  Add(opt, "Poly Window로 최소 feed 변경", Txt::TipPolygonMinFeed, "polygonMinFeed", none);
  Add(opt, "Arc(G02,G03)에 의한 feed 변경", Txt::TipArcFeed, "arcFeed", none);
  Add(opt, "이송량에 의한 feed 변경", Txt::TipLengthFeed, "lengthFeed", none);
  Add(opt, "기계조건에 의한 feed 변경", Txt::TipMachineFeed, "machineFeed", none);

  // ---- Edit
  QMenu* edit = menuBar()->addMenu(QString::fromUtf8("편집(&E)"));
  track(Add(edit, "Undo\tCtrl+Z", Txt::TipUndo, "undo", onView([this](ToolpathView& v) {
              UndoCommand(app_, v.doc());
              v.Redraw();
            }),
            QKeySequence("Ctrl+Z")));
  track(Add(edit, "Redo\tCtrl+Y", Txt::TipRedo, "redo", onView([this](ToolpathView& v) {
              RedoCommand(app_, v.doc());
              v.Redraw();
            }),
            QKeySequence("Ctrl+Y")));
  edit->addSeparator();
  QMenu* trim = edit->addMenu(QString::fromUtf8("트림"));
  Add(trim, "윈도우 안쪽 트림(Ctrl+W)", Txt::TipTrimInside, "trimWindowIn", none,
      QKeySequence("Ctrl+W"));
  Add(trim, "윈도우 바같쪽 트림", Txt::TipTrimOutside, "trimWindowOut", none);
  Add(trim, "좌표 안쪽 트림", Txt::TipTrimInside, "trimBoxIn", none);
  Add(trim, "좌표 바같쪽 트림", Txt::TipTrimOutside, "trimBoxOut", none);
  Add(trim, "Z 좌표 바같쪽 트림", Txt::TipTrimOutside, "trimZBand", none);
  Add(trim, "원 안쪽 트림", Txt::TipTrimInside, "trimCircleIn", none);
  Add(trim, "원 바같쪽 트림", Txt::TipTrimOutside, "trimCircleOut", none);
  Add(trim, "다각형 안쪽 트림", Txt::TipTrimInside, "trimPolygonIn", none);
  Add(trim, "다각형 바같쪽 트림", Txt::TipTrimOutside, "trimPolygonOut", none);
  Add(trim, "화일에 의한 안쪽 트림", Txt::TipTrimInside, "trimFileIn", none);
  Add(trim, "화일에 의한 바같쪽 트림", Txt::TipTrimOutside, "trimFileOut", none);
  QMenu* del = edit->addMenu(QString::fromUtf8("삭제"));
  Add(del, "포인트 (TAB)", Txt::TipDeletePoint, "deletePoint", none, QKeySequence(Qt::Key_Tab));
  Add(del, "경로 1개 (SHIFT+D)", Txt::TipDeletePath, "deletePath", none, QKeySequence("Shift+D"));
  Add(del, "중간 경로", Txt::TipDeleteEverySecond, "deleteEverySecond", none);
  Add(del, "윈도우 안쪽", Txt::TipDeleteInWindows, "deleteInWindows", none);
  Add(del, "다각형 안쪽", Txt::TipDeleteInPolygon, "deleteInPolygon", none);
  Add(del, "XY 각도", Txt::TipDeleteXyAngle, "deleteXyAngle", none);
  Add(del, "길이에 의한 포인트", Txt::TipDeletePointsByLength, "deletePointsByLength", none);
  Add(del, "길이에 의한 경로", Txt::TipDeletePathsByLength, "deletePathsByLength", none);
  track(Add(del, "모든경로", Txt::TipDeleteAll, "deleteAll", onView([this](ToolpathView& v) {
              ClearCommand(app_, v.doc());
              v.Redraw();
            })));
  Add(del, "Z 각도", Txt::TipDeleteZAngle, "deleteZAngle", none);
  Add(del, "급속이송 경로 걸르기", Txt::TipRapidRebuild, "rapidRebuild", none);
  edit->addSeparator();
  track(Add(edit, "선택 취소 (SPACE)", Txt::TipClearSelection, "clearSelection",
            onView([](ToolpathView& v) {
              v.doc().store.ClearSelection();
              v.Redraw();
            })));
  Add(edit, "선택된 공구경로 삭제(Shift+Del)", Txt::TipDeleteSelected, "deleteSelected", none);
  track(Add(edit, "선택 반전 (BACK SPACE)", Txt::TipInvertSelection, "invertSelection",
            onView([](ToolpathView& v) {
              v.doc().store.InvertSelection();
              v.Redraw();
            })));
  edit->addSeparator();
  QMenu* order = edit->addMenu(QString::fromUtf8("공구경로 순서"));
  Add(order, "공구경로 방향 바꾸기", Txt::TipReverse, "reverse", none);
  Add(order, "공구 경로 1개 방향 바꾸기", Txt::TipReverseOne, "reverseOne", none);
  QMenu* starts = order->addMenu(QString::fromUtf8("시작점 변경"));
  Add(starts, "열려진 경로", Txt::TipStartPoints, "startOpen", none);
  Add(starts, "닫혀진 경로", Txt::TipStartPoints, "startClosed", none);
  Add(starts, "닫혀진 경로 & 열려진 경로", Txt::TipStartPoints, "startBoth", none);
  Add(order, "공구경로 정렬", Txt::TipSort, "sort", none);
  Add(order, "Z 상향 -> Z 하향", Txt::TipZUpToZDown, "zUpToZDown", none);
  Add(order, "공구경로 이동및 복사", Txt::TipMoveCopy, "moveCopy", none);
  QMenu* filters = edit->addMenu(QString::fromUtf8("필터링"));
  Add(filters, "Ncdata(G01) 필터링", Txt::TipLinearFilter, "linearFilter", none);
  Add(filters, "Ncdata(G02, G03) 필터링", Txt::TipArcFilter, "arcFilter", none);
  Add(filters, "Ncdata 재생성", Txt::TipRegenerate, "regenerate", none);
  Add(filters, "포인트 세분화", Txt::TipSubdivide, "subdivide", none);
  Add(filters, "Linear <--> ARC", Txt::TipArcConvert, "arcConvert", none);
  QMenu* offset = edit->addMenu(QString::fromUtf8("포인트 Offset"));
  Add(offset, "윈도우 안쪽 Offset", Txt::TipOffset, "offsetWindow", none);
  Add(offset, "좌표 안쪽 Offset", Txt::TipOffset, "offsetBox", none);
  Add(offset, "원 안쪽 Offset", Txt::TipOffset, "offsetCircle", none);
  Add(offset, "다각형 안쪽 Offset", Txt::TipOffset, "offsetPolygon", none);
  Add(offset, "화일에 의한 안쪽 Offset", Txt::TipOffset, "offsetFile", none);
  QMenu* gen = edit->addMenu(QString::fromUtf8("2D 공구경로 생성"));
  Add(gen, "Face", Txt::TipFace, "face", none);
  Add(gen, "방사선", Txt::TipRadial, "radial", none);
  Add(gen, "나선형", Txt::TipSpiral, "spiral", none);

  // ---- View
  QMenu* view = menuBar()->addMenu(QString::fromUtf8("보기(&V)"));
  const char* directions[7] = {"Top\tF1",   "Front\tF2", "Side\tF3", "Iso 1\tF4",
                               "Iso 2\tF5", "Iso 3\tF6", "Iso 4\tF7"};
  auto* dirGroup = new QActionGroup(this);
  // A free rotation is none of the seven directions: then no item is ticked.
  dirGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (int n = 1; n <= 7; ++n) {
    QAction* a = track(Add(view, directions[n - 1], Txt::TipViewDirection,
                           qPrintable(QString("view%1").arg(n)),
                           onView([n](ToolpathView& v) { v.SetDirection(n); })));
    a->setCheckable(true);
    a->setActionGroup(dirGroup);
    a->setIcon(QIcon());
  }
  view->addSeparator();
  track(Add(view, "Fit\tF8", Txt::TipFit, "fit", onView([](ToolpathView& v) { v.Fit(); })));
  track(Add(view, "Zoom in\tF9", Txt::TipZoomIn, "zoomIn",
            onView([](ToolpathView& v) { v.ZoomIn(); })));
  track(Add(view, "Zoom out\tF10", Txt::TipZoomOut, "zoomOut",
            onView([](ToolpathView& v) { v.ZoomOut(); })));
  track(Add(view, "Redraw", Txt::TipRedraw, "redraw", onView([](ToolpathView& v) { v.Redraw(); })));
  view->addSeparator();
  auto* modeGroup = new QActionGroup(this);
  const struct {
    const char* label;
    Txt tip;
    const char* name;
    MouseMode mode;
  } modes[3] = {{"Rotate", Txt::TipRotateMode, "modeRotate", MouseMode::Rotate},
                {"Pan", Txt::TipPanMode, "modePan", MouseMode::Pan},
                {"Select", Txt::TipSelectMode, "modeSelect", MouseMode::Select}};
  for (const auto& m : modes) {
    const MouseMode mode = m.mode;
    QAction* a = track(Add(view, m.label, m.tip, m.name, [this, mode] { SetMouseMode(mode); }));
    a->setCheckable(true);
    a->setActionGroup(modeGroup);
  }
  view->addSeparator();
  auto toggle = [&](const char* label, Txt tip, const char* name,
                    std::function<bool&(ToolpathView&)> flag) {
    QAction* a = track(Add(view, label, tip, name, [this, flag] {
      if (ToolpathView* v = ActiveView()) {
        flag(*v) = !flag(*v);
        v->Redraw();
        RefreshState();
      }
    }));
    a->setCheckable(true);
    return a;
  };
  toggle("Rapid", Txt::TipShowRapids, "showRapids",
         [](ToolpathView& v) -> bool& { return v.doc().view.showRapids; });
  toggle("Feed color 보기", Txt::TipFeedColours, "feedColours",
         [](ToolpathView& v) -> bool& { return v.options.colourByLayer; });
  toggle("Grid", Txt::TipGrid, "grid", [](ToolpathView& v) -> bool& { return v.options.showGrid; });
  toggle("Axis", Txt::TipTriad, "triad",
         [](ToolpathView& v) -> bool& { return v.options.showTriad; });
  track(Add(view, "마스타 모델 보기", Txt::TipShowMaster, "showMaster",
            onView([this](ToolpathView& v) {
              MasterShowCommand(v);
              RefreshState();
            })))
      ->setCheckable(true);
  view->addSeparator();
  track(Add(view, "Rotation center input", Txt::TipRotationCentreInput, "rotationCentreInput",
            [this] { RotationCentreInput(); }));
  track(Add(view, "Rotation center select", Txt::TipRotationCentreSelect, "rotationCentreSelect",
            [this] { RotationCentreSelect(); }));
  view->addSeparator();
  Add(view, "Text editor", Txt::TipViewInEditor, "viewInEditor", [this] { ViewInEditor(); });
  track(Add(view, "공구경로 정보", Txt::TipToolpathInfo, "toolpathInfo",
            [this] { ToolpathInformation(); }));

  // ---- Misc
  QMenu* misc = menuBar()->addMenu(QString::fromUtf8("기타(&M)"));
  track(Add(misc, "작업 Layer", Txt::TipWorkLayer, "workLayer", [this] { WorkLayer(); }));
  track(Add(misc, "공구경로에 의한 layer 선택", Txt::TipLayerByToolpath, "layerByToolpath",
            [this] { LayerByToolpath(); }));
  track(Add(misc, "Layer echo", Txt::TipEchoLayers, "echoLayers", [this] { EchoLayers(); }));
  track(Add(misc, "Layer 공구경로 복사", Txt::TipCopyLayer, "copyLayer", [this] { CopyLayer(); }));
  track(Add(misc, "Layer Setting", Txt::TipLayerInfo, "layerInfo", [this] { LayerInformation(); }));

  // ---- Settings
  QMenu* settings = menuBar()->addMenu(QString::fromUtf8("설정(&S)"));
  track(Add(settings, "NCDATA 설정", Txt::TipNcSettings, "ncSettings", [this] { NcSettings(); }));
  Add(settings, "작업 환경", Txt::TipWorkEnvironment, "workEnvironment",
      [this] { WorkEnvironment(); });
  track(Add(settings, "Layer color setting", Txt::TipLayerColours, "layerColours",
            [this] { LayerColours(); }));

  // ---- Window
  QMenu* window = menuBar()->addMenu(QString::fromUtf8("창(&W)"));
  track(Add(window, "Cascade", Txt::TipCascade, "cascade", [this] { mdi_->cascadeSubWindows(); }));
  track(Add(window, "Tile", Txt::TipTile, "tile", [this] { mdi_->tileSubWindows(); }));
  track(Add(
      window, "Next\tCtrl+F6", Txt::TipNextWindow, "nextWindow",
      [this] { mdi_->activateNextSubWindow(); }, QKeySequence("Ctrl+F6")));

  // ---- Help
  QMenu* help = menuBar()->addMenu(QString::fromUtf8("도움말(&H)"));
  Add(help, "Help", Txt::TipHelp, "help",
      [this] { platform_.OpenDocument(app_.settings.helpFileName); });
  Add(help, "Tutorial", Txt::TipTutorial, "tutorial",
      [this] { platform_.OpenDocument(app_.settings.trainingHelpName); });
  Add(help, "About TREVALON", Txt::TipAbout, "about", [this] {
    QMessageBox::about(this, app_.Text(Txt::AppTitle),
                       "TREVALON 0.1\nCNC toolpath workbench: view, edit, optimise and write NC "
                       "programs.");
  });
}

void MainWindow::BuildToolbars() {
  QToolBar* bar = addToolBar("View");
  bar->setObjectName("viewToolbar");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (const char* name :
       {"load", "view1", "view2", "view3", "view4", "view5", "view6", "view7", "fit", "zoomIn",
        "zoomOut", "modeRotate", "modePan", "modeSelect", "undo", "redo"}) {
    QAction* a = Action(name);
    if (!a) continue;
    if (QString(name) == "view1" || QString(name) == "fit" || QString(name) == "modeRotate" ||
        QString(name) == "undo")
      bar->addSeparator();
    QAction* shown = new QAction(a->text().section('\t', 0, 0), bar);
    shown->setStatusTip(a->statusTip());
    shown->setCheckable(a->isCheckable());
    shown->setEnabled(a->isEnabled());
    connect(shown, &QAction::triggered, a, &QAction::trigger);
    connect(a, &QAction::changed, shown, [a, shown] {
      shown->setEnabled(a->isEnabled());
      shown->setChecked(a->isChecked());
    });
    bar->addAction(shown);
  }
  QToolBar* layers = addToolBar("Layer");
  layers->setObjectName("layerToolbar");
  layerList_ = new QComboBox(layers);
  layerList_->setObjectName("layerList");
  layerList_->setStatusTip(app_.Text(Txt::TipWorkLayer));
  layerList_->setMinimumContentsLength(12);
  for (int i = 0; i < CLayerTable::kUserLayers; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "Layer %3d", i);
    layerList_->addItem(text);
  }
  layerList_->setCurrentIndex(0);
  connect(layerList_, &QComboBox::activated, this, [this](int index) { SwitchLayer(index); });
  layers->addWidget(layerList_);
}

void MainWindow::BuildStatusLine() {
  // Pane 0 takes the room that is left; the others are as wide as their longest text.
  const int widths[StatusPanes::kCount] = {0, 40, 110, 110, 110, 100, 70, 230};
  for (int i = 0; i < StatusPanes::kCount; ++i) {
    auto* l = new QLabel(this);
    l->setObjectName(QString("pane%1").arg(i));
    if (widths[i]) l->setMinimumWidth(widths[i]);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panes_[static_cast<std::size_t>(i)] = l;
    if (i == 0)
      statusBar()->addWidget(l, 1);
    else
      statusBar()->addPermanentWidget(l);
  }
  panes_[0]->setText(Q(HelpPaneText("", app_.language)));
  busy_ = new QProgressBar(this);
  busy_->setRange(0, 0);
  busy_->setMaximumWidth(120);
  busy_->setVisible(false);
  statusBar()->addPermanentWidget(busy_);
}

QString MainWindow::PaneText(int pane) const {
  return panes_[static_cast<std::size_t>(pane)]->text();
}

void MainWindow::RefreshStatus() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  for (int i = 1; i < StatusPanes::kCount; ++i)
    panes_[static_cast<std::size_t>(i)]->setText(Q(v->panes.pane[static_cast<std::size_t>(i)]));
}

void MainWindow::RefreshState() {
  ToolpathView* v = ActiveView();
  for (QAction* a : viewActions_) a->setEnabled(v != nullptr);
  if (!v) return;
  const ViewState& s = v->doc().view;
  if (QAction* a = Action(QString("view%1").arg(s.Direction())))
    a->setChecked(true);
  else if (auto* g = Action("view1")->actionGroup(); g && g->checkedAction())
    g->checkedAction()->setChecked(false);
  const char* mode = s.mouseMode == MouseMode::Rotate ? "modeRotate"
                     : s.mouseMode == MouseMode::Pan  ? "modePan"
                                                      : "modeSelect";
  Action(mode)->setChecked(true);
  Action("showRapids")->setChecked(s.showRapids);
  Action("feedColours")->setChecked(!v->options.colourByLayer);
  Action("grid")->setChecked(v->options.showGrid);
  Action("triad")->setChecked(v->options.showTriad);
  Action("showMaster")->setChecked(v->doc().master.shown != 0);
  if (!refillingLayers_ && layerList_) layerList_->setCurrentIndex(v->doc().layers.workLayer);
}

void MainWindow::RefreshLayerList(bool names) {
  ToolpathView* v = ActiveView();
  refillingLayers_ = true;
  if (names && v) {
    for (int i = 0; i < CLayerTable::kUserLayers; ++i)
      layerList_->setItemText(i, Q(v->doc().layers[i].name));
  }
  if (v) layerList_->setCurrentIndex(v->doc().layers.workLayer);
  refillingLayers_ = false;
}

void MainWindow::SetMouseMode(MouseMode m) {
  if (ToolpathView* v = ActiveView()) {
    v->doc().view.mouseMode = m;
    RefreshState();
  }
}

void MainWindow::closeEvent(QCloseEvent* e) {
  mdi_->closeAllSubWindows();
  e->accept();
}

// ---- Layer commands
// ------------------------------------------------------------------------------

void MainWindow::SwitchLayer(int layer) {
  ToolpathView* v = ActiveView();
  if (!v) return;
  if (SwitchLayerCommand(v->doc(), layer)) {
    v->UpdateTitle();
    v->Redraw();
  }
  RefreshLayerList(false);
}

void MainWindow::WorkLayer() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  if (auto layer = WorkLayerDialog(this, v->doc().layers.workLayer)) SwitchLayer(*layer);
}

void MainWindow::LayerByToolpath() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  // One click on a drawn toolpath: the layer that holds the nearest point becomes the work
  // layer. Escape cancels.
  v->SelectWindow(
      [this, v](std::optional<WindowCorners> w) {
        if (!w) return;
        const int layer = v->LayerAt(QPoint(w->x2, w->y2));
        if (layer >= 0) SwitchLayer(layer);
      },
      app_.Text(Txt::HelpSelectToolpath));
}

void MainWindow::EchoLayers() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  EchoLayerDialog d(this, v->doc().layers);
  if (d.exec() != QDialog::Accepted) return;
  d.WriteBack(v->doc().layers);
  v->Redraw();
}

void MainWindow::CopyLayer() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  // The source is remembered while the program runs; the target starts as the work layer.
  static int source = 0;
  int target = v->doc().layers.workLayer;
  if (!CopyLayerDialog(this, source, target)) return;
  CopyLayerCommand(app_, v->doc(), source, target);
  v->Redraw();
}

void MainWindow::LayerInformation() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  CDocument& doc = v->doc();
  // The work layer's attributes live in its slot already; the dialog edits them in place.
  LayerInfoDialog d(this, doc.layers, doc.layers.workLayer);
  if (d.exec() != QDialog::Accepted) return;
  RefreshLayerList(true);
}

void MainWindow::ToolpathInformation() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  ComputeStatistics(v->doc().store);
  ToolpathInfoDialog(this, v->doc().store.stats);
}

// ---- Settings ----------------------------------------------------------------------------------

void MainWindow::WorkEnvironment() {
  AppSettings s = app_.settings;
  if (!WorkEnvironmentDialog(this, s)) return;
  app_.ApplySettings(s);
  for (ToolpathView* v : Views())
    v->setCursor(s.crossCursorChk == 1 ? Qt::CrossCursor : Qt::ArrowCursor);
}

void MainWindow::LayerColours() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  if (LayerColourDialog(this, app_, v->doc().colours)) v->Redraw();
}

void MainWindow::NcSettings() {
  if (ToolpathView* v = ActiveView()) NcSettingsCommand(app_, *v, this);
}

void MainWindow::ViewInEditor() {
  QFileDialog dlg(this);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setNameFilters(NcNameFilters(app_.settings));
  if (!lastEditorFile_.empty())
    dlg.selectFile(Q(lastEditorFile_));
  else
    dlg.setDirectory(Q(app_.settings.workDir));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  lastEditorFile_ = dlg.selectedFiles().front().toStdString();
  platform_.OpenInEditor(app_.settings.editor, lastEditorFile_);
}

void MainWindow::SaveNc() {
  if (ToolpathView* v = ActiveView()) SaveNcDialogCommand(app_, *v, this);
}

void MainWindow::SaveLayers() {
  if (ToolpathView* v = ActiveView()) {
    SaveLayersDialogCommand(app_, *v, this);
    RefreshLayerList(true);
  }
}

void MainWindow::PostProcessor() {
  if (ToolpathView* v = ActiveView()) PostProcessorCommand(app_, *v, this);
}

// ---- Rotation centre
// -----------------------------------------------------------------------------

void MainWindow::RotationCentreInput() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  double* c = v->doc().view.rotationCentre;
  std::vector<double> values{c[0], c[1], c[2]};
  if (!AskNumbers(this, app_.Text(Txt::AppTitle),
                  {app_.Text(Txt::XCenter), app_.Text(Txt::YCenter), app_.Text(Txt::ZCenter)},
                  values))
    return;
  for (int k = 0; k < 3; ++k) c[k] = values[static_cast<std::size_t>(k)];
}

void MainWindow::RotationCentreSelect() {
  ToolpathView* v = ActiveView();
  if (!v) return;
  v->PickPoint([v](std::optional<std::uint32_t> picked) {
    if (!picked) return;
    CPointStore& store = v->doc().store;
    if (!store.FetchPoint(*picked)) return;
    double* c = v->doc().view.rotationCentre;
    c[0] = store.reg.x, c[1] = store.reg.y, c[2] = store.reg.z;
  });
}

}  // namespace trevalon
