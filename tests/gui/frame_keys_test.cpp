// The keys of the frame: every action with a shortcut (the menus, and what Qt adds to the
// document windows) has keys no other action and none of the view's own keys take, runs a
// command, and a key press reaches exactly that action (an ambiguous key runs nothing). The Qt
// platform layer: Escape polling with the busy indication, and input dropped during a long
// operation.

#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>
#include <map>

#include "gui/command_registry.h"
#include "gui_test_support.h"

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

class FrameKeysTest : public QObject {
  Q_OBJECT
 private slots:
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
};

QTEST_MAIN(FrameKeysTest)
#include "frame_keys_test.moc"
