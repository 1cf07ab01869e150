// The delete commands in the desktop: the accelerators start the pickers and Enter deletes,
// Shift+Delete in select mode deletes the selection, and the window delete repeats until
// Escape under one undo snapshot.

#include <QtTest>

#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// One cutting run along X: the point (x, 0) is at client (200 + x, 150).
ToolpathView* OneRun(Program& p) {
  ToolpathView* v = TopView(p,
                            "1 0 0 50 500, 2 0 0 0 500, 3 10 0 0 500, 4 20 0 0 500, "
                            "4 30 0 0 500, 4 40 0 0 500");
  v->doc().retractHeight = 50;
  v->setFocus();
  return v;
}

int TypeAt(ToolpathView* v, std::uint32_t i) {
  return v->doc().store.RawRecord(i)->type;
}

}  // namespace

class DeleteCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void acceleratorsStartThePickersAndEnterDeletes() {
    Program p;
    ToolpathView* v = OneRun(p);
    // Accelerators go to the active window, as the window system's key presses do.
    QApplication::setActiveWindow(p.window.get());
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Tab);
    QVERIFY(dynamic_cast<PointPicker*>(v->input()));
    Press(v, QPoint(211, 151));  // the first cut's end (10, 0)
    Key(v, Qt::Key_Return);
    QCOMPARE(v->doc().store.count, 5u);
    QCOMPARE(TypeAt(v, 2), int(MOVE_LINE));  // (20, 0) starts the run now
    QTest::keyClick(v, Qt::Key_D, Qt::ShiftModifier);
    QVERIFY(dynamic_cast<PathPicker*>(v->input()));
    Key(v, Qt::Key_Escape);
    QVERIFY(v->input() == nullptr);
    QCOMPARE(v->doc().store.count, 5u);
  }

  void selectModeShiftDeleteDeletesTheSelection() {
    Program p;
    ToolpathView* v = OneRun(p);
    v->doc().view.mouseMode = MouseMode::Select;
    CPointStore& s = v->doc().store;
    s.FetchPoint(3);
    s.reg.mark = 1;
    s.StorePoint(3);
    const int ax = v->doc().view.ax;
    Key(v, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(v->doc().view.ax, ax);  // deleted, not tilted
    // The cut to (20, 0) is gone: a hop from (10, 0) to (20, 0), where the cut goes on.
    QCOMPARE(s.count, 8u);
    QCOMPARE(TypeAt(v, 3), int(MOVE_RAPID));
    QCOMPARE(double(s.RawRecord(5)->x), 20.0);
    QCOMPARE(TypeAt(v, 6), int(MOVE_LINE));
    p.window->Action("undo")->trigger();
    QCOMPARE(s.count, 6u);
  }

  void windowsRepeatUntilEscapeUnderOneUndo() {
    Program p;
    ToolpathView* v = OneRun(p);
    const std::uint32_t undoTop = v->doc().undo.undoTop;
    p.window->Action("deleteInWindows")->trigger();
    // A click on (20, 0): a window of no size still deletes.
    Press(v, QPoint(220, 150));
    Release(v, QPoint(220, 150));
    QCoreApplication::processEvents();
    QCOMPARE(v->doc().store.count, 7u);
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));  // the next window is asked for
    Press(v, QPoint(235, 145));                       // round (40, 0), the last cut
    DragTo(v, QPoint(245, 155));
    Release(v, QPoint(245, 155));
    QCoreApplication::processEvents();
    Key(v, Qt::Key_Escape);
    QVERIFY(v->input() == nullptr);
    QCOMPARE(v->doc().undo.undoTop, undoTop + 1);
    p.window->Action("undo")->trigger();
    QCOMPARE(v->doc().store.count, 6u);
    QCOMPARE(TypeAt(v, 3), int(MOVE_LINE_CONT));
  }
};

QTEST_MAIN(DeleteCommandsTest)
#include "delete_commands_test.moc"
