// The interactive inputs of the view, driven by mouse and key events: the rubber band, the
// polygon, the point and path pickers, and selection by mouse.

#include <QtTest>

#include "gui/point_search.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// Two paths: path 1 from record 0, path 2 from record 5.
ToolpathView* TwoPaths(Program& p) {
  return TopView(p,
                 "1 -100 0 10 500, 3 -100 50 0 500, 8 -50 100 0 500, 91 50 0 0 500, "
                 "4 0 100 0 500, 1 50 0 10 500, 3 50 -50 0 500, 4 100 -50 0 500");
}

void Click(QWidget* v, QPoint at) {
  Press(v, at);
  Release(v, at);
}

}  // namespace

class InteractiveInputTest : public QObject {
  Q_OBJECT
 private slots:
  void rubberBandGivesTheCornersOfTheDrag() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<WindowCorners> got;
    bool called = false;
    auto done = [&](std::optional<WindowCorners> w) { called = true, got = w; };
    v->SelectWindow(done, {});
    QCOMPARE(p.window->PaneText(0),
             QString("Help: (ESC : cencel) Push left mouse button and drag."));
    Press(v, QPoint(20, 30));
    DragTo(v, QPoint(21, 30));  // under 2 pixels: the band is not redrawn
    auto* mode = dynamic_cast<WindowInput*>(v->input());
    QVERIFY(mode);
    QCOMPARE(mode->drawn, QPoint(20, 30));
    DragTo(v, QPoint(60, 80));
    QCOMPARE(mode->drawn, QPoint(60, 80));
    Release(v, QPoint(120, 90));
    QVERIFY(called && got && WindowAccepted(*got));
    QCOMPARE(QRect(QPoint(got->x1, got->y1), QPoint(got->x2, got->y2)),
             QRect(QPoint(20, 30), QPoint(120, 90)));
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
    QVERIFY(v->input() == nullptr);
    // A click without moving gives a window the commands refuse; Escape cancels.
    v->SelectWindow(done, {});
    Press(v, QPoint(50, 50));
    Release(v, QPoint(51, 50));
    QVERIFY(got && !WindowAccepted(*got));
    called = false;
    v->SelectWindow(done, {});
    Press(v, QPoint(50, 50));
    Key(v, Qt::Key_Escape);
    QVERIFY(called && !got);
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
  }

  void polygonKeepsTheAcceptedVertices() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::vector<QPoint>> got;
    bool called = false;
    auto done = [&](std::optional<std::vector<QPoint>> r) { called = true, got = r; };
    auto start = [&](int limit, DropRule rule, bool negativeEnds) {
      called = false;
      v->InputPolygon(limit, rule, negativeEnds, done);
    };
    start(100, DropRule::FivePixels, false);
    QCOMPARE(p.window->PaneText(0),
             QString("Help: (ESC : cancel, ENTER : close) Select polygon vertex."));
    for (QPoint q : {QPoint(10, 10), QPoint(13, 13), QPoint(100, 10), QPoint(100, 100)})
      Click(v, q);
    // Holding the button while moving offers vertices; the 5-pixel rule drops the near ones.
    Press(v, QPoint(10, 100));
    DragTo(v, QPoint(12, 101));
    DragTo(v, QPoint(30, 120));
    Release(v, QPoint(30, 120));
    Key(v, Qt::Key_Return);
    QVERIFY(called && got);
    QCOMPARE(*got, (std::vector<QPoint>{{10, 10}, {100, 10}, {100, 100}, {10, 100}, {30, 120}}));
    // Two vertices and Enter give nothing, nor does Escape.
    start(100, DropRule::FivePixels, false);
    for (QPoint q : {QPoint(10, 10), QPoint(100, 10)}) Click(v, q);
    Key(v, Qt::Key_Enter);
    QVERIFY(called && !got);
    start(100, DropRule::FivePixels, false);
    for (int k = 0; k < 5; ++k) Click(v, QPoint(10 + 20 * k, 10 + 7 * k));
    Key(v, Qt::Key_Escape);
    QVERIFY(called && !got);
    // The identical rule drops only repeated positions; reaching the limit ends the input.
    start(4, DropRule::Identical, false);
    for (QPoint q : {QPoint(10, 10), QPoint(10, 10), QPoint(12, 10), QPoint(12, 12)}) Click(v, q);
    QVERIFY(!called);
    Key(v, Qt::Key_Return);
    QVERIFY(called && got && got->size() == 3);
    start(4, DropRule::Identical, false);
    for (QPoint q : {QPoint(10, 10), QPoint(20, 10), QPoint(20, 20), QPoint(10, 20)}) Click(v, q);
    QVERIFY(called && !got);
    // For the inside-polygon trim a position left of the window ends the input.
    start(300, DropRule::FivePixels, true);
    Press(v, QPoint(10, 10));
    Press(v, QPoint(-3, 40));
    QVERIFY(called && !got);
  }

  void pointPickerStepsWithSpaceAndBackspace() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    bool called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    // Record 1 (-100, 50) is at client (100, 100); the click is 6 pixels off.
    Press(v, QPoint(104, 104));
    auto* picker = dynamic_cast<PointPicker*>(v->input());
    QVERIFY(picker && picker->marked);
    QCOMPARE(*picker->marked, 1u);
    QCOMPARE(p.window->PaneText(1), QString("G01"));
    Key(v, Qt::Key_Space);
    QCOMPARE(*picker->marked, 2u);
    QCOMPARE(p.window->PaneText(1), QString("G02"));
    Key(v, Qt::Key_Space);  // the centre record is passed over
    QCOMPARE(*picker->marked, 4u);
    for (int k = 0; k < 4; ++k) Key(v, Qt::Key_Backspace);  // nothing before the first point
    QCOMPARE(*picker->marked, 0u);
    Key(v, Qt::Key_F9);  // view keys keep working while the picker waits
    QCOMPARE(v->doc().view.scale, 2.0);
    Key(v, Qt::Key_Space);
    Key(v, Qt::Key_Return);
    QVERIFY(called && got);
    QCOMPARE(*got, 1u);
    QVERIFY(v->input() == nullptr);
    // A click far from every point ends the picker without a point.
    called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    Press(v, QPoint(5, 295));
    QVERIFY(called && !got);
  }

  void pathPickerStepsFromPathToPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    v->PickPath([&](std::optional<std::uint32_t> i) { got = i; });
    Press(v, QPoint(200, 52));  // record 4 (0, 100) is at client (200, 50): the first path
    auto* picker = dynamic_cast<PathPicker*>(v->input());
    QVERIFY(picker && picker->marked);
    QCOMPARE(*picker->marked, 0u);
    Key(v, Qt::Key_Space);
    QCOMPARE(*picker->marked, 5u);
    Key(v, Qt::Key_Space);  // no path after the last
    QCOMPARE(*picker->marked, 5u);
    Key(v, Qt::Key_Backspace);
    QCOMPARE(*picker->marked, 0u);
    Key(v, Qt::Key_Escape);
    QVERIFY(!got);
  }

  void selectModeDragTogglesPathsAndShiftClickMarksAPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    v->doc().view.mouseMode = MouseMode::Select;
    // A band round the second path (client x 250..300, y 150..200).
    Press(v, QPoint(240, 140));
    DragTo(v, QPoint(320, 220));
    Release(v, QPoint(320, 220));
    CPointStore& s = v->doc().store;
    s.FetchPoint(6);
    QCOMPARE(s.reg.mark, 1);
    s.FetchPoint(1);
    QCOMPARE(s.reg.mark, 0);
    Key(v, Qt::Key_Space);  // select mode: Space clears the selection
    QVERIFY(!v->AnySelected());
    Key(v, Qt::Key_Backspace);  // and Backspace inverts it
    QVERIFY(v->AnySelected());
    Press(v, QPoint(300, 198), Qt::ShiftModifier);
    Release(v, QPoint(300, 198), Qt::ShiftModifier);
    QVERIFY(v->markedPath);
    QCOMPARE(v->markedPath->first, 5u);
  }
};

QTEST_MAIN(InteractiveInputTest)
#include "interactive_input_test.moc"
