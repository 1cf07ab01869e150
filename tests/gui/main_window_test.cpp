// The frame: opening programs (command line, the file picker, the recent list), the menu
// items wired to their registered commands, one render per command, the status panes and
// the layer list.
//
// The keys of the frame: every action with a shortcut (the menus, and what Qt adds to the
// document windows) has keys no other action and none of the view's own keys take, runs a
// command, and a key press reaches exactly that action (an ambiguous key runs nothing). The Qt
// platform layer: Escape polling with the busy indication, and input dropped during a long
// operation.
//
// The desktop's command line, the --screenshot mode: arguments, and a PNG of the requested size
// from programs or with the master model built from one.

#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/layer_commands.h"
#include "gui/command_line.h"
#include "gui/command_registry.h"
#include "gui/point_search.h"
#include "gui/screenshot.h"
#include "gui_test_support.h"
#include "view/status_line.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// The keys the toolpath view reads itself (ToolpathView::keyPressEvent): a window shortcut on
// one of them would take it from the view.
const std::vector<QKeySequence>& ViewKeys() {
  static const std::vector<QKeySequence> keys = [] {
    std::vector<QKeySequence> k;
    for (int f = Qt::Key_F1; f <= Qt::Key_F10; ++f) k.emplace_back(f);
    for (int key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left,
                    Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End,
                    Qt::Key_Insert, Qt::Key_Delete})
      k.emplace_back(key);
    k.emplace_back(QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete));
    return k;
  }();
  return keys;
}

// Every action of the frame that answers a key, with a name for the messages.
std::vector<QAction*> KeyedActions(MainWindow& w) {
  std::vector<QAction*> out;
  for (QAction* a : w.findChildren<QAction*>())
    if (!a->shortcuts().isEmpty()) out.push_back(a);
  return out;
}

QString NameOf(QAction* a) {
  return a->objectName().isEmpty() ? a->text() : a->objectName();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void programsOpenFromTheCommandLineAndThePicker() {
    Program p;
    const std::string first = TestFile("face_mill.nc"), second = TestFile("pocket_ijk.nc");
    ToolpathView* v = Open(p, second);
    QCOMPARE(v->windowTitle(), QString::fromStdString(second));
    QCOMPARE(p.window->mdi()->activeSubWindow()->windowTitle(), QString::fromStdString(second));
    QCOMPARE(p.window->recentFiles().size(), std::size_t(1));
    CPointStore& s = v->doc().store;
    const std::uint32_t secondCount = s.count;

    // The picker starts in the work directory with the NC filter, then on the file it took.
    QString startDir, filter, startFile;
    Run(p, "load", {[&](QWidget* w) {
          auto* f = qobject_cast<QFileDialog*>(w);
          startDir = f->directory().absolutePath();
          filter = f->nameFilters().value(0);
          ChooseFile(first)(w);
        }});
    QCOMPARE(startDir, p.dir.path());
    QCOMPARE(filter, QString("NCDATA FILE (*.nc *.hnc *.ppp *.tap)"));
    QCOMPARE(v->windowTitle(), QString::fromStdString(first));
    const std::uint32_t firstCount = s.count;
    Run(p, "append", {ChooseFile(second)});
    // Append keeps the file name; the mark says the toolpath is no longer what the file holds.
    QCOMPARE(v->windowTitle(), QString::fromStdString(first) + "*");
    QCOMPARE(s.count, firstCount + secondCount);
    Run(p, "load", {[&](QWidget* w) {
          startFile = qobject_cast<QFileDialog*>(w)->selectedFiles().value(0);
          Cancel()(w);
        }});
    QCOMPARE(startFile, QString::fromStdString(first));
    QCOMPARE(s.count, firstCount + secondCount);
    QCOMPARE(p.window->recentFiles().front(), second);  // the last read, the append
  }

  void menuItemsRunTheirRegisteredCommandsOrWaitDisabled() {
    Program p;
    std::vector<QAction*> items;
    for (QAction* top : p.window->menuBar()->actions()) Items(top->menu(), items);
    for (QAction* a : items) {
      if (a->menu() || a->objectName().isEmpty()) continue;  // the recent files
      const bool built = FindCommand(a->objectName().toStdString()) != nullptr;
      QVERIFY2(built != a->property("unbuilt").toBool(), qPrintable(a->objectName()));
      if (!built) QVERIFY(!a->isEnabled());
    }
    // Each registered command has its item, enabled on a document. (Each one run with its
    // dialogs cancelled: the labels test's walk over every dialog.)
    Open(p);
    for (const Command& c : AllCommands()) {
      QAction* a = p.window->Action(c.action);
      QVERIFY2(a && a->isEnabled(), c.action);
    }
    p.window->Action("exit")->trigger();
    QTRY_VERIFY(p.window->Views().empty());
    QVERIFY(!p.window->Action("fit")->isEnabled());
  }

  void everyCommandRendersTheViewOnce() {
    Program p;
    ToolpathView* v = Open(p);
    QTRY_VERIFY(v->renders > 0);
    // The load asked for its redraw once, and the view rendered once.
    QApplication::processEvents();
    int renders = v->renders;
    v->doc().view.haveLastOperation = false;  // no quiet time after the load
    for (const char* name :
         {"deleteAll", "undo", "redo", "undo", "view1", "fit", "zoomIn", "zoomOut", "redraw",
          "showRapids", "grid", "feedColours", "invertSelection", "clearSelection"}) {
      p.window->Action(name)->trigger();
      QApplication::processEvents();
      QVERIFY2(v->renders == renders + 1, name);
      renders = v->renders;
    }
    // A read: the core fits and asks, the frame retitles; one render.
    QCOMPARE(p.window->ReadInto(v, TestFile("face_mill.nc"), true), 1);
    QApplication::processEvents();
    QCOMPARE(v->renders, renders + 1);
  }

  void statusPanesShowThePickedPoint() {
    Program p;
    ToolpathView* v = Open(p);
    v->SetDirection(1);
    v->Fit();
    CPointStore& s = v->doc().store;
    // The first arc end point of the program.
    std::uint32_t arc = 0;
    for (std::uint32_t i = 0; i < s.count && !arc; ++i)
      if (s.FetchPoint(i) && IsArcType(s.reg.type)) arc = i;
    QVERIFY(arc > 0);
    s.FetchPoint(arc);
    const double x = s.reg.x, y = s.reg.y, z = s.reg.z;
    const QPoint at = v->ClientOf(x, y, z);
    Press(v, at);
    Release(v, at + QPoint(3, 2));  // within 10 pixels: a click
    QCOMPARE(p.window->PaneText(7).toStdString(), PickedPointText(x, y, z, Language::English));
    // The panes as the status line fills them (each kind of move: its own test).
    QCOMPARE(p.window->PaneText(1), QString("G03"));
    // Moving the mouse (once the quiet time after the load is over) shows its model position
    // and empties the point panes.
    v->doc().view.haveLastOperation = false;
    Hover(v, QPoint(v->width() / 2, v->height() / 2));
    QCOMPARE(p.window->PaneText(1), QString());
    QVERIFY(p.window->PaneText(2).startsWith("X:"));
  }

  // Closing a window or quitting with unwritten toolpath changes asks; Save runs the NC
  // output with its dialogs, Discard closes, Cancel (and a save that did not happen) keeps.
  void closingAsksBeforeUnwrittenChangesAreLost() {
    Program p;
    using Choice = QtPlatform::SaveChoice;
    Open(p);
    p.window->NewDocument();
    // Nothing changed: no question.
    p.window->Action("closeWindow")->trigger();
    QTRY_COMPARE(p.window->Views().size(), std::size_t(1));
    QCOMPARE(p.platform->messageCount, 0);
    p.window->Action("deleteAll")->trigger();
    // Closes the window answering the question with `choice` and the dialogs with `steps`;
    // how many windows are left.
    auto close = [&p](Choice choice, std::vector<Step> steps) {
      p.platform->saveChoices = {choice};
      Run(p, "closeWindow", std::move(steps));
      QApplication::processEvents();
      return p.window->Views().size();
    };
    QCOMPARE(close(Choice::Cancel, {}), std::size_t(1));
    QVERIFY(QString::fromStdString(p.platform->lastMessage).contains("pocket_ijk.nc"));
    QVERIFY(p.platform->lastMessage.find("Save the changes?") != std::string::npos);
    // Save, but its file dialog is cancelled: the window stays.
    QCOMPARE(close(Choice::Save, {Cancel()}), std::size_t(1));
    // Save through both dialogs of a toolpath without moves: nothing can be written (an empty
    // program would replace a good one), so the window stays with its changes.
    const std::string out = p.dir.filePath("kept.nc").toStdString();
    const Step ok = [](QWidget* w) { Click(w, "ok"); };
    QCOMPARE(close(Choice::Save, {ChooseFile(out), ok}), std::size_t(1));
    QVERIFY(ReadAll(out).empty());
    // With moves again (a program appended): written, then closed.
    Run(p, "append", {ChooseFile(TestFile("face_mill.nc"))});
    close(Choice::Save, {ChooseFile(out), ok});
    QTRY_VERIFY(p.window->Views().empty());
    QVERIFY(ReadAll(out).find("M30") != std::string::npos);

    // Quitting asks for each changed document; Cancel stops the quit with that window open.
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(p.window->OpenFile(TestFile("face_mill.nc")), 1);
      p.window->Action("deleteAll")->trigger();
    }
    p.platform->saveChoices = {Choice::Discard, Choice::Cancel};
    QVERIFY(!p.window->close());
    QTRY_COMPARE(p.window->Views().size(), std::size_t(1));
    QVERIFY(p.window->isVisible());
    p.platform->saveChoices = {Choice::Discard};
    QVERIFY(p.window->close());
    QTRY_VERIFY(p.window->Views().empty());
  }

  // A file that is not text is refused: no window is left for it, the recent list and the
  // document it was read into stay as they were.
  void binaryFileIsRefusedAndLeavesNoTrace() {
    Program p;
    const std::string binary = p.dir.filePath("image.nc").toStdString();
    std::ofstream(binary, std::ios::binary) << std::string("G0 X1.\n\0\x01\x02", 10);
    ToolpathView* v = Open(p);
    QCOMPARE(p.window->OpenFile(binary), 0);
    QTRY_COMPARE(p.window->Views().size(), std::size_t(1));
    QCOMPARE(p.platform->lastMessage, std::string(p.app->Text(Txt::NotNcProgram)));
    // (The document read into keeps its toolpath, layer and undo steps: the load command's
    // own test.)
    QCOMPARE(p.window->ReadInto(v, binary, false), 0);
    QCOMPARE(p.window->ReadInto(v, binary, true), 0);
    QCOMPARE(v->windowTitle(), QString::fromStdString(TestFile("pocket_ijk.nc")));
    QCOMPARE(p.window->recentFiles().size(), std::size_t(1));
  }

  // Every output picks its file in a save dialog that asks before replacing; the layer
  // output's path taken from the work layer asks the question itself.
  void outputsAskBeforeReplacingAFile() {
    Program p;
    const std::string program = p.dir.filePath("part.nc").toStdString();
    const std::string original = ReadAll(TestFile("pocket_ijk.nc"));
    std::ofstream(program, std::ios::binary) << original;
    Open(p, program);
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QString title;
    bool confirms = false;
    Run(p, "postProcessor", {[&](QWidget* w) {
          auto* f = qobject_cast<QFileDialog*>(w);
          mode = f->acceptMode();
          title = f->windowTitle();
          confirms = !f->testOption(QFileDialog::DontConfirmOverwrite);
          f->reject();
        }});
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QVERIFY(confirms);
    QVERIFY(title.startsWith("Post Processor"));

    auto layerOutput = [&] {
      Dialogs d({[](QWidget* w) {
        Find<QLineEdit>(w, "outputLayers")->setText("0");
        Click(w, "ok");
      }});
      p.window->Action("saveLayers")->trigger();
    };
    p.platform->answers = {Answer::Cancel};
    layerOutput();
    QVERIFY(p.platform->lastMessage.find("already exists") != std::string::npos);
    QCOMPARE(ReadAll(program), original);
    p.platform->answers = {Answer::Ok};
    layerOutput();
    QVERIFY(ReadAll(program) != original);
    QVERIFY(ReadAll(program).find("M30") != std::string::npos);
  }

  // An edit marks the title, undo and redo run from their items, the Edit
  // menu's undo list names the steps and takes back as many as chosen, and a save clears
  // the mark.
  void editsSayWhatTheyDidAndTheTitleMarksUnwrittenChanges() {
    Program p;
    const QString file = QString::fromStdString(TestFile("pocket_ijk.nc"));
    ToolpathView* v = Open(p, file.toStdString());
    const std::uint32_t count = v->doc().store.count;
    QCOMPARE(v->windowTitle(), file);
    // The Edit menu's undo list, a step that cannot be taken marked "(off)".
    auto undoList = [&p] {
      p.window->RebuildUndoMenu();
      QStringList texts;
      for (QAction* a : p.window->undoMenu()->actions())
        texts << a->text() + (a->isEnabled() ? "" : " (off)");
      return texts.join('|');
    };
    p.window->Action("deleteAll")->trigger();
    QCOMPARE(QString::fromStdString(p.platform->helpText),
             QString("delete all paths: %1 → 0 points, 0 arcs").arg(count));
    QCOMPARE(v->windowTitle(), file + "*");
    QCOMPARE(p.window->mdi()->activeSubWindow()->windowTitle(), file + "*");
    QCOMPARE(undoList(), QString("&1 delete all paths|&2 load NC program"));
    // (What undo and redo say on the help line: the document undo's own test.)
    p.window->Action("undo")->trigger();
    QCOMPARE(v->doc().store.count, count);
    p.window->Action("redo")->trigger();
    QCOMPARE(v->doc().store.count, 0u);
    // The second entry takes back both steps: the window is as empty as before the load.
    p.window->RebuildUndoMenu();
    p.window->undoMenu()->actions().value(1)->trigger();
    QCOMPARE(v->doc().store.count, 0u);
    QCOMPARE(undoList(), QString("Nothing to undo (off)"));
    p.window->Action("redo")->trigger();
    QCOMPARE(v->doc().store.count, count);
    QVERIFY(v->windowTitle().endsWith('*'));
    // Written out, the toolpath is what a file holds: the mark goes.
    const std::string out = p.dir.filePath("saved.nc").toStdString();
    {
      Dialogs d({ChooseFile(out), [](QWidget* w) { Click(w, "ok"); }});
      p.window->Action("saveNc")->trigger();
    }
    QVERIFY(ReadAll(out).find("M30") != std::string::npos);
    QVERIFY(!v->windowTitle().endsWith('*'));
  }

  void layerListSwitchesTheWorkLayerAndTheTitle() {
    Program p;
    ToolpathView* v = Open(p);
    const std::uint32_t count = v->doc().store.count;
    p.window->layerList()->activated(3);
    QCOMPARE(v->doc().layers.workLayer, 3);
    QCOMPARE(v->doc().store.count, 0u);
    QCOMPARE(v->windowTitle(), QString("Layer 3"));
    p.window->layerList()->activated(0);
    QCOMPARE(v->doc().store.count, count);
    QCOMPARE(v->windowTitle(), QString::fromStdString(TestFile("pocket_ijk.nc")));
  }

  // A drag in rotate mode turns about the centre of what is shown: the point in the window's
  // middle stays there. With Alt it turns about the toolpath's point under the mouse.
  void rotationKeepsTheMiddleOrThePickedPoint() {
    Program p;
    ToolpathView* v = TopView(p, "3 0 0 0 1, 4 100 0 0 1, 4 100 50 -20 1");
    ViewState& view = v->doc().view;
    view.Fit(v->doc().store, nullptr);
    view.cu += 30, view.cv -= 10;  // panned: the middle is not the toolpath's centre
    double middle[3];
    view.MiddlePoint(view.fittedCentre, middle);
    // Whether the model point q is within a pixel of the client position `at`.
    auto stays = [v](const double* q, QPoint at) {
      const QPoint d = v->ClientOf(q[0], q[1], q[2]) - at;
      return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
    };
    const QPoint shown = v->ClientOf(middle[0], middle[1], middle[2]);
    QVERIFY(stays(middle, QPoint(200, 150)));
    Do(p, v, "drag:120,100:180,130");
    QVERIFY(view.Direction() != 1);  // it turned
    QVERIFY(stays(middle, shown));
    // Alt from the corner point: that point stays under the mouse.
    const double corner[3] = {100, 50, -20};
    const QPoint at = v->ClientOf(100, 50, -20);
    Press(v, at, Qt::AltModifier);
    DragTo(v, at + QPoint(50, -40), Qt::AltModifier);
    Release(v, at + QPoint(50, -40), Qt::AltModifier);
    QVERIFY(stays(corner, at));
    QVERIFY(v->ClientOf(middle[0], middle[1], middle[2]) != shown);
  }

  // Opening the program pane fits the view again to the room it leaves; the toolbar's fit
  // leaves a border that F8's fit does not.
  void programPaneRefitsAndTheToolbarFitKeepsABorder() {
    Program p;
    ToolpathView* v = Open(p);
    ViewState& view = v->doc().view;
    view.haveLastOperation = false;  // no quiet time after the load
    p.window->Action("zoomIn")->trigger();
    const int widthBefore = v->width();
    p.window->Action("sourcePane")->trigger();
    QTRY_VERIFY(v->width() < widthBefore && view.width == v->width());
    ViewState fitted = view;
    fitted.Fit(v->doc().store, &v->doc().layers);
    QCOMPARE(view.scale, fitted.scale);
    p.window->Action("fitMargin")->trigger();
    QCOMPARE(view.scale, 0.9 * fitted.scale);
    Key(v, Qt::Key_F8);
    QCOMPARE(view.scale, fitted.scale);
    // The toolbar's button is the fit with the border.
    bool inToolbar = false;
    for (QAction* a : p.window->findChild<QToolBar*>("viewToolbar")->actions())
      if (a->property("label").toByteArray() == QByteArray(LabelText("여백 두고 Fit")))
        inToolbar = true;
    QVERIFY(inToolbar);
  }

  // Every menu command that changes the toolpath leaves its summary on the help line, the
  // same line the command-line tool prints; one that changed nothing leaves no summary.
  void everyEditingCommandSaysWhatItDidOnTheHelpLine() {
    Program p;
    const QStringList actions =
        QString(
            "rapidRebuild regenerate reverse sort zUpToZDown linearFilter arcFilter "
            "subdivide arcConvert changeFeed arcFeed lengthFeed machineFeed "
            "deleteEverySecond deletePointsByLength deletePathsByLength deleteZAngle "
            "deleteXyAngle face radial spiral moveCopy startOpen startClosed deleteAll")
            .split(' ');
    // Each dialog is taken as it opens: OK, or Yes to a question.
    const Step accept = [](QWidget* w) {
      if (auto* ok = w->findChild<QAbstractButton*>("ok")) return ok->click();
      static_cast<QDialog*>(w)->accept();
    };
    int changed = 0, unchanged = 0;
    for (const QString& action : actions) {
      ToolpathView* v = p.window->NewDocument();
      QCOMPARE(p.window->ReadInto(v, TREVALON_EXAMPLES "/core-insert-finish.nc", false), 1);
      CDocument& doc = v->doc();
      const std::uint32_t count = doc.store.count, steps = doc.undo.undoTop;
      p.platform->answers = {Answer::Ok, Answer::Ok, Answer::Ok};
      p.platform->helpText.clear();
      {
        Dialogs d({accept, accept, accept});
        p.window->Action(action)->trigger();
      }
      const std::string help = p.platform->helpText;
      const QByteArray what = QString("%1: %2").arg(action, QString::fromStdString(help)).toUtf8();
      if (doc.undo.undoTop != steps) {
        ++changed;
        QVERIFY2(help == EditSummaryLine(*p.app, doc, count), what.constData());
      } else {
        QVERIFY2(help.find(" → ") == std::string::npos, what.constData());
        // One that rightly did nothing says why, as the command-line tool does.
        if (help.find("(nothing changed)") != std::string::npos) ++unchanged;
      }
      p.window->mdi()->closeActiveSubWindow();
    }
    // Most of them do change the program: the walk is not vacuous; the example is sorted
    // already and the move of 0 moves nothing, and they say so.
    QVERIFY2(changed >= 15, std::to_string(changed).c_str());
    QVERIFY2(unchanged >= 2, std::to_string(unchanged).c_str());
  }

  void everyKeyIsUniqueAndRunsACommand() {
    Program p;
    // Two document windows and the program pane: whatever they add to the frame counts.
    p.window->NewDocument();
    p.window->NewDocument();
    p.window->Action("sourcePane")->trigger();
    std::map<QString, QString> taken;  // key text -> action
    const std::vector<QAction*> keyed = KeyedActions(*p.window);
    QVERIFY(keyed.size() >= 10);
    for (QAction* a : keyed) {
      for (const QKeySequence& k : a->shortcuts()) {
        const QString key = k.toString();
        const auto [at, fresh] = taken.emplace(key, NameOf(a));
        QVERIFY2(fresh, qPrintable(key + " is taken by " + at->second + " and " + NameOf(a)));
        for (const QKeySequence& own : ViewKeys())
          QVERIFY2(k != own, qPrintable(key + " of " + NameOf(a) + " is the view's own key"));
      }
      // A key runs a registered command.
      QVERIFY2(FindCommand(a->objectName().toStdString()), qPrintable(NameOf(a)));
    }
    // The keys the menus promise.
    for (const QString& promise :
         QString("Ctrl+N=load Ctrl+O=load Ctrl+D=append Ctrl+C=saveNc Ctrl+S=saveNc "
                 "Ctrl+Shift+S=saveNc Ctrl+Q=exit Ctrl+F4=closeWindow Ctrl+Z=undo Ctrl+Y=redo "
                 "Ctrl+W=trimWindowIn Tab=deletePoint Shift+D=deletePath Ctrl+F6=nextWindow")
             .split(' ')) {
      const QString key = promise.section('=', 0, 0);
      QVERIFY2(taken.count(key) && taken[key] == promise.section('=', 1), qPrintable(promise));
    }
    // The menu shows every key of its item.
    const QString load = p.window->Action("load")->text();
    QVERIFY2(load.endsWith("\tCtrl+N, Ctrl+O"), qPrintable(load));
  }

  // A key press in the view reaches its action once: Qt runs nothing for a key that two
  // actions claim.
  void keysReachTheirActionFromTheView() {
    Program p;
    ToolpathView* v = p.window->NewDocument();
    p.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    v->setFocus();
    for (QAction* a : KeyedActions(*p.window)) {
      if (!a->isEnabled()) continue;
      // Counted instead of run: the commands themselves have their own tests.
      QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
      int runs = 0;
      QObject::connect(a, &QAction::triggered, [&runs] { ++runs; });
      for (const QKeySequence& k : a->shortcuts()) {
        runs = 0;
        QTest::keySequence(v, k);
        QVERIFY2(runs == 1, qPrintable(k.toString() + " of " + NameOf(a)));
      }
      QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
    }
  }

  void escapeIsSeenAndOtherInputDroppedDuringAnOperation() {
    Program p;
    ToolpathView* v = p.window->NewDocument();
    QtPlatform& platform = *p.platform;
    QVERIFY(!platform.EscapePressed());  // the first poll starts the operation
    auto* busy = p.window->statusBar()->findChild<QProgressBar*>();
    QVERIFY(busy && busy->isVisibleTo(p.window.get()));
    // A key that arrives while the operation runs never reaches the view.
    const int az = v->doc().view.az;
    QCoreApplication::postEvent(v, new QKeyEvent(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier));
    QCoreApplication::postEvent(v, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QVERIFY(platform.EscapePressed());
    QVERIFY(!platform.EscapePressed());  // each press is reported once
    QCOMPARE(v->doc().view.az, az);
    // Once the polls stop, the indication goes away and input flows again.
    QTRY_VERIFY_WITH_TIMEOUT(!busy->isVisibleTo(p.window.get()), 3000);
  }

  void argumentsAreCheckedBeforeAnythingOpens() {
    ScreenshotRequest r;
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs({"a.nc", "b.nc"}, r, shot), std::string());
    QVERIFY(!shot);
    QCOMPARE(r.files.size(), std::size_t(2));
    r = {};
    QCOMPARE(ParseScreenshotArgs({"--screenshot", "o.png", "--size", "640x480", "--view", "side",
                                  "--feed-colours", "x.nc"},
                                 r, shot),
             std::string());
    QCOMPARE(QString::asprintf("%d %s %dx%d %d %d", shot, r.output.c_str(), r.width, r.height,
                               r.direction, r.feedColours),
             QString("1 o.png 640x480 3 1"));
    for (std::vector<std::string> bad :
         {std::vector<std::string>{"--screenshot", "o.png", "--size", "640"},
          {"--screenshot", "o.png", "--view", "iso9"},
          {"--screenshot"},
          {"--screenshot", "o.png", "--master"}})
      QVERIFY(!ParseScreenshotArgs(bad, r, shot).empty());
    QCOMPARE(ViewDirectionByName("iso4"), 7);
  }

  // The command line is read in the folder the program started in: files, the PNG, the
  // master program and the system directory become absolute there; values that are no paths
  // stay; --help, --version and mistakes end the start.
  void commandLinePathsAreTakenFromTheStartFolder() {
    using Action = CommandLine::Action;
    const std::filesystem::path start = "/home/u/jobs";
    CommandLine c = ReadCommandLine(
        {"--screenshot", "out.png", "--size", "640x480", "--view", "top", "--master", "m.nc",
         "--sysdir", "cfg", "part.nc", "/abs/b.nc", "--", "-odd.nc"},
        start);
    QCOMPARE(int(c.action), int(Action::Run));
    QString args;  // none holds a blank
    for (const std::string& a : c.args) args += QString::fromStdString(a) + " ";
    QCOMPARE(args, QString("--screenshot /home/u/jobs/out.png --size 640x480 --view top --master "
                           "/home/u/jobs/m.nc --sysdir /home/u/jobs/cfg /home/u/jobs/part.nc "
                           "/abs/b.nc /home/u/jobs/-odd.nc "));
    ScreenshotRequest r;
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs(c.args, r, shot), std::string());
    QCOMPARE(r.files, (std::vector<std::string>{"/home/u/jobs/part.nc", "/abs/b.nc",
                                                "/home/u/jobs/-odd.nc"}));
    QCOMPARE(int(ReadCommandLine({"a.nc", "--help"}, start).action), int(Action::Help));
    QCOMPARE(int(ReadCommandLine({"-h"}, start).action), int(Action::Help));
    QCOMPARE(int(ReadCommandLine({"--version"}, start).action), int(Action::Version));
    for (std::vector<std::string> bad : {std::vector<std::string>{"--bogus"},
                                         {"a.nc", "-"},
                                         {"-platform", "offscreen"},
                                         {"--lang"}}) {
      c = ReadCommandLine(bad, start);
      QCOMPARE(int(c.action), int(Action::Error));
      QVERIFY(!c.error.empty());
    }
    QCOMPARE(ReadCommandLine({"--bogus"}, start).error, std::string("unknown option --bogus"));
  }

  void programsBecomeAPngOfTheRequestedSize() {
    Program p;
    ScreenshotRequest r;
    r.output = p.dir.filePath("shot.png").toStdString();
    r.width = 320;
    r.height = 200;
    r.direction = 1;
    r.files = {TestFile("pocket_ijk.nc"), TestFile("face_mill.nc")};
    std::string error;
    QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
    QImage image(QString::fromStdString(r.output));
    QCOMPARE(image.size(), QSize(320, 200));
    // Something was drawn: not every pixel has the background's colour.
    const QRgb background = image.pixel(160, 2);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
      for (int x = 0; x < image.width() && !drawn; ++x) drawn = image.pixel(x, y) != background;
    QVERIFY(drawn);
    QVERIFY(p.app->documents.empty());  // the document is gone again

    r.files = {"/no/such/program.nc"};
    QCOMPARE(TakeScreenshot(*p.app, r, error), 1);
    QVERIFY(error.find("/no/such/program.nc") != std::string::npos);

    // --master: the mesh built from a program covers the middle of the picture.
    const std::string example = std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc";
    const std::string png = p.dir.filePath("master.png").toStdString();
    r = {};
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs({"--screenshot", png, "--size", "320x200", "--master", example}, r,
                                 shot),
             std::string());
    QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
    QVERIFY(QImage(QString::fromStdString(png)).pixelColor(160, 100) != QColor(12, 16, 22));
    r.master = p.dir.filePath("missing.nc").toStdString();
    QCOMPARE(TakeScreenshot(*p.app, r, error), 1);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
