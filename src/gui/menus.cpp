// The menus and the toolbars of the frame. The menu table is the layout only: labels (the
// program's own Korean texts, shown through the label translator of the user's language),
// status tips, accelerators and order. Each item runs the command registered under its name;
// an item without one stays, disabled.

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <cstdio>

#include "gui/main_window.h"
#include "view/status_line.h"

namespace trevalon {

namespace {
// The Korean label an action, submenu or toolbar was made with, kept so that the labels can
// be shown anew when their language changes; "toolbar" marks the toolbar's copies, which
// leave out the key text.
constexpr const char* kLabel = "label";
constexpr const char* kToolbarCopy = "toolbar";
// The core text of an item's status tip, shown anew in the new language.
constexpr const char* kTip = "tip";

void SetLabel(QObject* o, const char* korean) {
  o->setProperty(kLabel, QByteArray(korean));
}

// The text an item shows: its label, and where the label names its key after a tab, every key
// the item answers (the table's labels name the described key; the platform's keys added
// beside it show there too).
QString ItemText(const QAction* a, const QString& label) {
  const QList<QKeySequence> keys = a->shortcuts();
  if (keys.size() < 2 || !label.contains('\t')) return label;
  QStringList names;
  for (const QKeySequence& k : keys) names << k.toString(QKeySequence::NativeText);
  return label.section('\t', 0, 0) + '\t' + names.join(", ");
}
}  // namespace

struct MenuEntry {
  enum Kind { Menu, Submenu, End, Item, Separator, Recent, UndoList };
  Kind kind;
  const char* label = nullptr;
  Txt tip{};
  const char* name = nullptr;
  const char* key = nullptr;  // the item's keys, separated by '|'
  enum Tick { None, Box, Direction, Mode };
  Tick tick = None;
};

namespace {

using E = MenuEntry;

constexpr E Menu(const char* label) {
  return {E::Menu, label};
}
constexpr E Sub(const char* label) {
  return {E::Submenu, label};
}
constexpr E End() {
  return {E::End};
}
constexpr E Sep() {
  return {E::Separator};
}
constexpr E Item(const char* label, Txt tip, const char* name, const char* key = nullptr,
                 E::Tick tick = E::None) {
  return {E::Item, label, tip, name, key, tick};
}
constexpr E Ticked(const char* label, Txt tip, const char* name, E::Tick tick = E::Box) {
  return {E::Item, label, tip, name, nullptr, tick};
}

// clang-format off
const MenuEntry kMenus[] = {
  Menu("파일(&F)"),
    Item("Ncdata 불러오기(&N)...\tCtrl+N", Txt::TipLoad, "load", "Ctrl+N|Ctrl+O"),
    Item("Ncdata 추가하기(&D)...\tCtrl+D", Txt::TipAppend, "append", "Ctrl+D"),
    Sep(),
    // Every save of the toolpath asks for its file, so the platform's Save and Save As keys
    // both open this one.
    Item("Ncdata로 저장(&C)\tCtrl+C", Txt::TipSaveNc, "saveNc", "Ctrl+C|Ctrl+S|Ctrl+Shift+S"),
    Item("Layer ncdata 저장(&L)", Txt::TipSaveLayers, "saveLayers"),
    Item("Post Processor", Txt::TipPostProcessor, "postProcessor"),
    Sep(),
    Item("새 창(&W)", Txt::TipNewWindow, "newWindow"),
    Item("닫기(&O)", Txt::TipCloseWindow, "closeWindow", "Ctrl+F4"),
    Sep(),
    {E::Recent, LabelText("최근 파일")},
    Sep(),
    Item("종료(&X)", Txt::TipExit, "exit", "Ctrl+Q"),
  Menu("최적화(&O)"),
    Item("Feed Optimizer", Txt::TipFeedOptimizer, "feedOptimizer"),
    Item("자동 피드 조정", Txt::TipAutoFeed, "autoFeed"),
    Sub("Lmx 마스터 모델"),
      Item("생성", Txt::TipMasterCreate, "masterCreate"),
      Item("삭제", Txt::TipMasterDelete, "masterDelete"),
      Item("저장", Txt::TipMasterSave, "masterSave"),
      Item("불러오기", Txt::TipMasterLoad, "masterLoad"),
    End(),
    Sep(),
    Item("피드변경", Txt::TipChangeFeed, "changeFeed"),
    Item("Window로 최대 feed 변경", Txt::TipWindowMaxFeed, "windowMaxFeed"),
    Item("Poly Window로 최대 feed 변경", Txt::TipPolygonMaxFeed, "polygonMaxFeed"),
    Item("Window로 최소 feed 변경", Txt::TipWindowMinFeed, "windowMinFeed"),
    Item("Poly Window로 최소 feed 변경", Txt::TipPolygonMinFeed, "polygonMinFeed"),
    Item("Arc(G02,G03)에 의한 feed 변경", Txt::TipArcFeed, "arcFeed"),
    Item("이송량에 의한 feed 변경", Txt::TipLengthFeed, "lengthFeed"),
    Item("기계조건에 의한 feed 변경", Txt::TipMachineFeed, "machineFeed"),
  Menu("편집(&E)"),
    Item("Undo\tCtrl+Z", Txt::TipUndo, "undo", "Ctrl+Z"),
    Item("Redo\tCtrl+Y", Txt::TipRedo, "redo", "Ctrl+Y"),
    {E::UndoList, LabelText("실행 취소 목록")},
    Sep(),
    Sub("트림"),
      Item("윈도우 안쪽 트림(Ctrl+W)", Txt::TipTrimInside, "trimWindowIn", "Ctrl+W"),
      Item("윈도우 바같쪽 트림", Txt::TipTrimOutside, "trimWindowOut"),
      Item("좌표 안쪽 트림", Txt::TipTrimInside, "trimBoxIn"),
      Item("좌표 바같쪽 트림", Txt::TipTrimOutside, "trimBoxOut"),
      Item("Z 좌표 바같쪽 트림", Txt::TipTrimOutside, "trimZBand"),
      Item("원 안쪽 트림", Txt::TipTrimInside, "trimCircleIn"),
      Item("원 바같쪽 트림", Txt::TipTrimOutside, "trimCircleOut"),
      Item("다각형 안쪽 트림", Txt::TipTrimInside, "trimPolygonIn"),
      Item("다각형 바같쪽 트림", Txt::TipTrimOutside, "trimPolygonOut"),
      Item("화일에 의한 안쪽 트림", Txt::TipTrimInside, "trimFileIn"),
      Item("화일에 의한 바같쪽 트림", Txt::TipTrimOutside, "trimFileOut"),
    End(),
    Sub("삭제"),
      Item("포인트 (TAB)", Txt::TipDeletePoint, "deletePoint", "Tab"),
      Item("경로 1개 (SHIFT+D)", Txt::TipDeletePath, "deletePath", "Shift+D"),
      Item("중간 경로", Txt::TipDeleteEverySecond, "deleteEverySecond"),
      Item("윈도우 안쪽", Txt::TipDeleteInWindows, "deleteInWindows"),
      Item("다각형 안쪽", Txt::TipDeleteInPolygon, "deleteInPolygon"),
      Item("XY 각도", Txt::TipDeleteXyAngle, "deleteXyAngle"),
      Item("길이에 의한 포인트", Txt::TipDeletePointsByLength, "deletePointsByLength"),
      Item("길이에 의한 경로", Txt::TipDeletePathsByLength, "deletePathsByLength"),
      Item("모든경로", Txt::TipDeleteAll, "deleteAll"),
      Item("Z 각도", Txt::TipDeleteZAngle, "deleteZAngle"),
      Item("급속이송 경로 걸르기", Txt::TipRapidRebuild, "rapidRebuild"),
    End(),
    Sep(),
    Item("선택 취소 (SPACE)", Txt::TipClearSelection, "clearSelection"),
    Item("선택된 공구경로 삭제(Shift+Del)", Txt::TipDeleteSelected, "deleteSelected"),
    Item("선택 반전 (BACK SPACE)", Txt::TipInvertSelection, "invertSelection"),
    Sep(),
    Sub("공구경로 순서"),
      Item("공구경로 방향 바꾸기", Txt::TipReverse, "reverse"),
      Item("공구 경로 1개 방향 바꾸기", Txt::TipReverseOne, "reverseOne"),
      Sub("시작점 변경"),
        Item("열려진 경로", Txt::TipStartPoints, "startOpen"),
        Item("닫혀진 경로", Txt::TipStartPoints, "startClosed"),
        Item("닫혀진 경로 & 열려진 경로", Txt::TipStartPoints, "startBoth"),
      End(),
      Item("공구경로 정렬", Txt::TipSort, "sort"),
      Item("Z 상향 -> Z 하향", Txt::TipZUpToZDown, "zUpToZDown"),
      Item("공구경로 이동및 복사", Txt::TipMoveCopy, "moveCopy"),
    End(),
    Sub("필터링"),
      Item("Ncdata(G01) 필터링", Txt::TipLinearFilter, "linearFilter"),
      Item("Ncdata(G02, G03) 필터링", Txt::TipArcFilter, "arcFilter"),
      Item("Ncdata 재생성", Txt::TipRegenerate, "regenerate"),
      Item("포인트 세분화", Txt::TipSubdivide, "subdivide"),
      Item("Linear <--> ARC", Txt::TipArcConvert, "arcConvert"),
    End(),
    Sub("포인트 Offset"),
      Item("윈도우 안쪽 Offset", Txt::TipOffset, "offsetWindow"),
      Item("좌표 안쪽 Offset", Txt::TipOffset, "offsetBox"),
      Item("원 안쪽 Offset", Txt::TipOffset, "offsetCircle"),
      Item("다각형 안쪽 Offset", Txt::TipOffset, "offsetPolygon"),
      Item("화일에 의한 안쪽 Offset", Txt::TipOffset, "offsetFile"),
    End(),
    Sub("2D 공구경로 생성"),
      Item("Face", Txt::TipFace, "face"),
      Item("방사선", Txt::TipRadial, "radial"),
      Item("나선형", Txt::TipSpiral, "spiral"),
    End(),
  Menu("보기(&V)"),
    Ticked("Top\tF1", Txt::TipViewDirection, "view1", E::Direction),
    Ticked("Front\tF2", Txt::TipViewDirection, "view2", E::Direction),
    Ticked("Side\tF3", Txt::TipViewDirection, "view3", E::Direction),
    Ticked("Iso 1\tF4", Txt::TipViewDirection, "view4", E::Direction),
    Ticked("Iso 2\tF5", Txt::TipViewDirection, "view5", E::Direction),
    Ticked("Iso 3\tF6", Txt::TipViewDirection, "view6", E::Direction),
    Ticked("Iso 4\tF7", Txt::TipViewDirection, "view7", E::Direction),
    Sep(),
    Item("Fit\tF8", Txt::TipFit, "fit"),
    Item("여백 두고 Fit", Txt::TipFitMargin, "fitMargin"),
    Item("Zoom in\tF9", Txt::TipZoomIn, "zoomIn"),
    Item("Zoom out\tF10", Txt::TipZoomOut, "zoomOut"),
    Item("Redraw", Txt::TipRedraw, "redraw"),
    Sep(),
    Ticked("Rotate", Txt::TipRotateMode, "modeRotate", E::Mode),
    Ticked("Pan", Txt::TipPanMode, "modePan", E::Mode),
    Ticked("Select", Txt::TipSelectMode, "modeSelect", E::Mode),
    Sep(),
    Ticked("Rapid", Txt::TipShowRapids, "showRapids"),
    Ticked("Feed color 보기", Txt::TipFeedColours, "feedColours"),
    Ticked("Grid", Txt::TipGrid, "grid"),
    Ticked("Axis", Txt::TipTriad, "triad"),
    Ticked("마스타 모델 보기", Txt::TipShowMaster, "showMaster"),
    Sep(),
    Item("Rotation center input", Txt::TipRotationCentreInput, "rotationCentreInput"),
    Item("Rotation center select", Txt::TipRotationCentreSelect, "rotationCentreSelect"),
    Sep(),
    Item("Text editor", Txt::TipViewInEditor, "viewInEditor"),
    Ticked("NC 프로그램 보기", Txt::TipSourcePane, "sourcePane"),
    Ticked("NC 프로그램 편집", Txt::TipProgramEdit, "programEdit"),
    Item("공구경로 정보", Txt::TipToolpathInfo, "toolpathInfo"),
    Item("Feed 그래프", Txt::TipFeedPlot, "feedPlot"),
    Item("가공 시뮬레이션", Txt::TipSimulate, "simulate"),
    Ticked("가공 형상 보기", Txt::TipShowMachinedPart, "showMachinedPart"),
  Menu("기타(&M)"),
    Item("작업 Layer", Txt::TipWorkLayer, "workLayer"),
    Item("공구경로에 의한 layer 선택", Txt::TipLayerByToolpath, "layerByToolpath"),
    Item("Layer echo", Txt::TipEchoLayers, "echoLayers"),
    Item("Layer 공구경로 복사", Txt::TipCopyLayer, "copyLayer"),
    Item("Layer Setting", Txt::TipLayerInfo, "layerInfo"),
  Menu("설정(&S)"),
    Item("NCDATA 설정", Txt::TipNcSettings, "ncSettings"),
    Item("작업 환경", Txt::TipWorkEnvironment, "workEnvironment"),
    Item("Layer color setting", Txt::TipLayerColours, "layerColours"),
  Menu("창(&W)"),
    Item("Cascade", Txt::TipCascade, "cascade"),
    Item("Tile", Txt::TipTile, "tile"),
    Item("Next\tCtrl+F6", Txt::TipNextWindow, "nextWindow", "Ctrl+F6"),
  Menu("도움말(&H)"),
    // No F1 here: F1 is the top view (the keys F1 to F7 choose the seven directions), which
    // a window-wide help key would take from the view. The help window has F1 of its own.
    Item("Help", Txt::TipHelp, "help"),
    Item("Tutorial", Txt::TipTutorial, "tutorial"),
    Item("About TREVALON", Txt::TipAbout, "about"),
};
// clang-format on

}  // namespace

void MainWindow::BuildMenus() {
  auto* directions = new QActionGroup(this);
  // A free rotation is none of the seven directions: then no item is ticked.
  directions->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  auto* modes = new QActionGroup(this);
  std::vector<QMenu*> open;
  for (const MenuEntry& e : kMenus) {
    switch (e.kind) {
      case MenuEntry::Menu:
        open.assign(1, menuBar()->addMenu(L(e.label)));
        SetLabel(open.back()->menuAction(), e.label);
        break;
      case MenuEntry::Submenu:
        open.push_back(open.back()->addMenu(L(e.label)));
        SetLabel(open.back()->menuAction(), e.label);
        break;
      case MenuEntry::End:
        open.pop_back();
        break;
      case MenuEntry::Separator:
        open.back()->addSeparator();
        break;
      case MenuEntry::Recent:
        recentMenu_ = open.back()->addMenu(L(e.label));
        SetLabel(recentMenu_->menuAction(), e.label);
        RebuildRecentMenu();
        break;
      case MenuEntry::UndoList:
        undoMenu_ = open.back()->addMenu(L(e.label));
        undoMenu_->setObjectName("undoList");
        SetLabel(undoMenu_->menuAction(), e.label);
        connect(undoMenu_, &QMenu::aboutToShow, this, &MainWindow::RebuildUndoMenu);
        break;
      case MenuEntry::Item:
        AddItem(open.back(), e, directions, modes);
        break;
    }
  }
}

void MainWindow::AddItem(QMenu* menu, const MenuEntry& e, QActionGroup* directions,
                         QActionGroup* modes) {
  auto* a = new QAction(this);
  SetLabel(a, e.label);
  a->setObjectName(e.name);
  a->setStatusTip(Q(app_.Text(e.tip)));
  a->setProperty(kTip, static_cast<int>(e.tip));
  if (e.key) {
    QList<QKeySequence> keys;
    for (const QString& k : QString(e.key).split('|')) keys << QKeySequence(k);
    a->setShortcuts(keys);
  }
  a->setText(ItemText(a, L(e.label)));
  if (const Command* c = FindCommand(e.name)) {
    connect(a, &QAction::triggered, this, [this, c] { Run(*c); });
    if (c->needs == Needs::View) viewActions_.push_back(a);
    if (c->checked) ticked_.emplace_back(a, c);
  } else {
    // Commands whose work is not part of the program yet stay visible and disabled.
    a->setEnabled(false);
    a->setProperty("unbuilt", true);
  }
  if (e.tick != MenuEntry::None) a->setCheckable(true);
  if (e.tick == MenuEntry::Direction) a->setActionGroup(directions);
  if (e.tick == MenuEntry::Mode) a->setActionGroup(modes);
  menu->addAction(a);
}

QAction* MainWindow::Action(const QString& objectName) const {
  return findChild<QAction*>(objectName);
}

void MainWindow::BuildToolbars() {
  QToolBar* bar = addToolBar(L("View"));
  SetLabel(bar, "View");
  bar->setObjectName("viewToolbar");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (const char* name :
       {"load", "view1", "view2", "view3", "view4", "view5", "view6", "view7", "fitMargin",
        "zoomIn", "zoomOut", "modeRotate", "modePan", "modeSelect", "undo", "redo"}) {
    QAction* a = Action(name);
    if (!a) continue;
    if (QString(name) == "view1" || QString(name) == "fitMargin" || QString(name) == "modeRotate" ||
        QString(name) == "undo")
      bar->addSeparator();
    QAction* shown = new QAction(a->text().section('\t', 0, 0), bar);
    shown->setProperty(kLabel, a->property(kLabel));
    shown->setProperty(kToolbarCopy, true);
    shown->setStatusTip(a->statusTip());
    shown->setProperty(kTip, a->property(kTip));
    shown->setCheckable(a->isCheckable());
    shown->setEnabled(a->isEnabled());
    connect(shown, &QAction::triggered, a, &QAction::trigger);
    connect(a, &QAction::changed, shown, [a, shown] {
      shown->setEnabled(a->isEnabled());
      shown->setChecked(a->isChecked());
    });
    bar->addAction(shown);
  }
  QToolBar* layers = addToolBar(L("Layer"));
  SetLabel(layers, "Layer");
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

void MainWindow::RetranslateLabels() {
  platform_.language = app_.language;
  setWindowTitle(app_.Text(Txt::AppTitle));
  for (QAction* a : findChildren<QAction*>()) {
    const QVariant tip = a->property(kTip);
    if (tip.isValid()) a->setStatusTip(Q(app_.Text(static_cast<Txt>(tip.toInt()))));
    const QByteArray label = a->property(kLabel).toByteArray();
    if (label.isEmpty()) continue;
    const QString text = L(label.constData());
    a->setText(a->property(kToolbarCopy).toBool() ? text.section('\t', 0, 0) : ItemText(a, text));
  }
  if (layerList_) layerList_->setStatusTip(app_.Text(Txt::TipWorkLayer));
  // The toolbars, the docked windows and their buttons carry their Korean label the same way.
  for (QWidget* w : findChildren<QWidget*>()) {
    const QByteArray label = w->property(kLabel).toByteArray();
    if (label.isEmpty()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
      b->setText(L(label.constData()));
    else
      w->setWindowTitle(L(label.constData()));
  }
  if (panes_[0]) panes_[0]->setText(Q(HelpPaneText("", app_.language)));
  RebuildRecentMenu();  // their status tips
  RefreshStatus();
}

void MainWindow::changeEvent(QEvent* e) {
  // Qt says so when the label translator changes (UseLabelLanguage).
  if (e->type() == QEvent::LanguageChange) RetranslateLabels();
  QMainWindow::changeEvent(e);
}

}  // namespace trevalon
