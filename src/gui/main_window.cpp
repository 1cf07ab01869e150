#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <fstream>
#include <string_view>
#include <utility>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/text_edit_commands.h"
#include "gui/dialog_kit.h"
#include "gui/source_pane.h"
#include "gui/source_text_view.h"
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
  platform_.language = app_.language;
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
  BuildSourceDock();
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
  disconnect(sourceDock_, nullptr, this, nullptr);
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
  InitDocument(app_, doc);
  auto* pane = new SourcePane(*view, memory_, sourceStack_);
  sourceStack_->addWidget(pane);
  connect(view, &ToolpathView::pointShown, pane, [this, pane](std::uint32_t record) {
    if (!sourceDock_->isHidden()) pane->ShowRecord(record);
  });
  connect(pane, &SourcePane::documentChanged, this, [this] {
    RefreshState();
    RefreshStatus();
  });
  QMdiSubWindow* sub = mdi_->addSubWindow(view);
  // The toolkit gives each document window a close item with the platform's close keys, one
  // of them Ctrl+W, which the Edit menu's trim inside a window has always had: two claims
  // make Qt run neither. The trim keeps Ctrl+W (a described key, used all day); closing keeps
  // Ctrl+F4 through the File menu's 닫기, which asks about unwritten changes the same way.
  if (QMenu* system = sub->systemMenu())
    for (QAction* a : system->actions()) a->setShortcuts({});
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->installEventFilter(this);  // closing asks about unwritten changes
  sub->setWindowIcon(windowIcon());
  CDocument* docPtr = &doc;
  connect(view, &QObject::destroyed, this, [this, docPtr, pane] {
    delete pane;  // it works on the view and its document: it goes first
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
  return Read(view, path, append).ok() ? 1 : 0;
}

Outcome MainWindow::Read(ToolpathView* view, const std::string& path, bool append) {
  if (!view) return Outcome::Unchanged("no document window");
  CDocument& doc = view->doc();
  doc.view.width = std::max(1, view->width());
  doc.view.height = std::max(1, view->height());
  // The read fits the view and asks for the redraw.
  Outcome outcome = append ? AppendNcCommand(app_, doc, path) : LoadNcCommand(app_, doc, path);
  const bool ok = outcome.ok();
  view->UpdateTitle();
  view->MarkOperationEnd();
  view->FitWhenSized();
  if (ok) {
    AddRecent(path);
    if (QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
      sub->setWindowTitle(view->windowTitle());
  }
  RefreshState();
  return outcome;
}

int MainWindow::OpenFile(const std::string& path) {
  ToolpathView* view = NewDocument();
  // Fit needs the window's real size: let the new window take its place first.
  QApplication::processEvents();
  const Outcome outcome = Read(view, path, false);
  // A file that is not a program leaves nothing behind, not even the window made for it.
  if (outcome.code() == OutcomeCode::Refused) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget())) sub->close();
  }
  return outcome.ok() ? 1 : 0;
}

bool MainWindow::MayCloseDocument(ToolpathView* view) {
  if (!view) return true;
  CDocument& doc = view->doc();
  if (!doc.Modified()) return true;
  auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget());
  if (sub) mdi_->setActiveSubWindow(sub);
  const std::string text = FillText(app_.Text(Txt::SaveChanges), doc.title);
  switch (platform_.AskSaveChanges(text, app_.Text(Txt::KorvoMessage))) {
    case QtPlatform::SaveChoice::Discard:
      return true;
    case QtPlatform::SaveChoice::Cancel:
      return false;
    case QtPlatform::SaveChoice::Save:
      break;
  }
  // The program text as edited goes to its own file first; when the toolpath is what it reads
  // as, that writes the toolpath too, and nothing more is asked.
  if (doc.text.Unsaved()) {
    if (SourcePane* pane = SourcePaneOf(view)) pane->ApplyPending();
    if (!SaveProgramText(app_, doc, doc.text.path).ok()) return false;
    view->UpdateTitle();
    if (!doc.Modified()) return true;
  }
  const Command* save = FindCommand("saveNc");
  if (!save) return false;
  RunOn(*save, view);
  // Cancelled dialogs, a file that could not be written or a program stopped half way keep
  // the window: the changes are still only here.
  return !doc.Modified();
}

void MainWindow::SwitchLayer(int layer) {
  ToolpathView* v = ActiveView();
  if (!v) return;
  if (SwitchLayerCommand(v->doc(), layer)) v->UpdateTitle();
  RefreshLayerList(false);
  RefreshSourcePane();
}

// ---- Commands ----------------------------------------------------------------------------------

void MainWindow::Run(const Command& c) {
  RunOn(c, ActiveView());
}

void MainWindow::RunOn(const Command& c, ToolpathView* v) {
  if (c.needs == Needs::View && !v) return;
  // A line still being typed in the program pane is part of the text before any command runs
  // (an undo then takes it back as the newest step).
  if (SourcePane* pane = SourcePaneOf(v)) pane->ApplyPending();
  CommandContext ctx{app_, *this, v, memory_, c.action};
  // A command that changed the toolpath says what it did on the help line (undo and redo say
  // their own); one that waits for a window or a polygon says it when that input has run it
  // (region_input).
  const std::string_view action = c.action;
  if (v && action != "undo" && action != "redo")
    v->RunEdit([&] { c.run(ctx); });
  else
    c.run(ctx);
  RefreshState();
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

void MainWindow::RebuildUndoMenu() {
  if (!undoMenu_) return;
  undoMenu_->clear();
  ToolpathView* v = ActiveView();
  const std::vector<std::optional<Txt>> names =
      v ? v->doc().undo.UndoNames() : std::vector<std::optional<Txt>>{};
  if (names.empty()) {
    undoMenu_->addAction(Q(app_.Text(Txt::NothingToUndo)))->setEnabled(false);
    return;
  }
  for (std::size_t k = 0; k < names.size(); ++k) {
    QAction* a =
        undoMenu_->addAction(QString("&%1 %2").arg(k + 1).arg(Q(UndoStepName(app_, names[k]))));
    a->setStatusTip(Q(app_.Text(Txt::TipUndo)));
    connect(a, &QAction::triggered, this, [this, v, k] {
      if (v != ActiveView()) return;  // the window closed or another one came up
      // Our rule: a line still being typed in the program pane is newer than every step the
      // list named; taking steps back drops it.
      if (SourcePane* pane = SourcePaneOf(v)) pane->text()->ReloadEditor();
      for (std::size_t j = 0; j <= k; ++j)
        if (!UndoCommand(app_, v->doc())) break;
      RefreshState();
    });
  }
}

// ---- Status line and state ------------------------------------------------------------------

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
  RefreshSourcePane();
  if (v) {
    for (const auto& [action, command] : ticked_) {
      CommandContext ctx{app_, *this, v, memory_, command->action};
      action->setChecked(command->checked(ctx));
    }
    if (!refillingLayers_ && layerList_) layerList_->setCurrentIndex(v->doc().layers.workLayer);
  }
  emit stateRefreshed();
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

// ---- The NC program beside the view ------------------------------------------------------------

void MainWindow::BuildSourceDock() {
  sourceDock_ = new QDockWidget(L("NC 프로그램"), this);
  sourceDock_->setObjectName("sourceDock");
  sourceDock_->setProperty("label", QByteArray(LabelText("NC 프로그램")));
  sourceDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea |
                               Qt::BottomDockWidgetArea);
  sourceStack_ = new QStackedWidget(sourceDock_);
  sourceStack_->addWidget(new QWidget(sourceStack_));  // shown while no window is open
  sourceDock_->setWidget(sourceStack_);
  addDockWidget(Qt::RightDockWidgetArea, sourceDock_);
  resizeDocks({sourceDock_}, {420}, Qt::Horizontal);
  sourceDock_->hide();
  connect(sourceDock_, &QDockWidget::visibilityChanged, this, [this] { RefreshState(); });
}

SourcePane* MainWindow::SourcePaneOf(const ToolpathView* view) const {
  if (!sourceStack_ || !view) return nullptr;
  for (int i = 0; i < sourceStack_->count(); ++i)
    if (auto* pane = qobject_cast<SourcePane*>(sourceStack_->widget(i)))
      if (&pane->view() == view) return pane;
  return nullptr;
}

void MainWindow::RefreshSourcePane() {
  if (!sourceStack_ || closing_) return;
  SourcePane* pane = SourcePaneOf(ActiveView());
  if (!pane) {
    sourceStack_->setCurrentIndex(0);
    return;
  }
  sourceStack_->setCurrentWidget(pane);
  const bool shown = !sourceDock_->isHidden();
  pane->DropStaleMark(shown);
  // A hidden pane reads nothing: it catches up when the dock is shown.
  if (shown) pane->Sync();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // Quitting asks about each document with unwritten changes in turn; a window whose
  // question was answered closes at once, and Cancel stops the quit with that window open.
  for (ToolpathView* v : Views()) {
    if (!MayCloseDocument(v)) {
      e->ignore();
      return;
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(v->parentWidget())) {
      answered_ = true;
      sub->close();
      answered_ = false;
    }
  }
  mdi_->closeAllSubWindows();
  e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Close && !answered_ && !closing_) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(watched)) {
      if (!MayCloseDocument(qobject_cast<ToolpathView*>(sub->widget()))) {
        e->ignore();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

}  // namespace trevalon
