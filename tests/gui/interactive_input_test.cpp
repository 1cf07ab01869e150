// The interactive inputs of the view, driven by synthetic mouse and key events: the rubber
// band, the polygon, the point and path pickers, and selection by mouse.

#include <QtTest>

#include "gui/point_search.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

void Put(CPointStore& s, int type, double x, double y, double z, int feed = 500) {
  s.reg.type = type;
  s.reg.x = x, s.reg.y = y, s.reg.z = z;
  s.reg.feed = feed;
  s.reg.mark = 0;
  s.StorePoint(s.count);
  ++s.count;
}

// Two paths in the top view at one pixel per unit with the model origin in the window's
// middle: path 1 from record 0, path 2 from record 5.
ToolpathView* TwoPaths(Program& p) {
  ToolpathView* v = p.window->NewDocument();
  v->resize(400, 300);
  CPointStore& s = v->doc().store;
  s.Init();
  Put(s, MOVE_RAPID, -100, 0, 10);
  Put(s, MOVE_LINE, -100, 50, 0);
  Put(s, MOVE_ARC_CW, -50, 100, 0);
  Put(s, PLANE_XY, 50, 0, 0);
  Put(s, MOVE_LINE_CONT, 0, 100, 0);
  Put(s, MOVE_RAPID, 50, 0, 10);
  Put(s, MOVE_LINE, 50, -50, 0);
  Put(s, MOVE_LINE_CONT, 100, -50, 0);
  ViewState& view = v->doc().view;
  view.SetDirection(1);
  view.width = v->width();
  view.height = v->height();
  view.scale = 1.0;
  view.cu = view.cv = 0;
  view.showRapids = true;
  return v;
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
    v->SelectWindow([&](std::optional<WindowCorners> w) { called = true, got = w; }, {});
    QCOMPARE(p.window->PaneText(0).toStdString(),
             std::string("Help: (ESC : cencel) Push left mouse button and drag."));
    Press(v, QPoint(20, 30));
    DragTo(v, QPoint(21, 30));  // under 2 pixels: the band is not redrawn
    auto* mode = dynamic_cast<WindowInput*>(v->input());
    QVERIFY(mode);
    QCOMPARE(mode->drawn, QPoint(20, 30));
    DragTo(v, QPoint(60, 80));
    QCOMPARE(mode->drawn, QPoint(60, 80));
    Release(v, QPoint(120, 90));
    QVERIFY(called && got);
    QCOMPARE(got->x1, 20);
    QCOMPARE(got->y1, 30);
    QCOMPARE(got->x2, 120);
    QCOMPARE(got->y2, 90);
    QVERIFY(WindowAccepted(*got));
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
    QVERIFY(v->input() == nullptr);

    // A click without moving gives a window the commands refuse; Escape cancels.
    v->SelectWindow([&](std::optional<WindowCorners> w) { got = w; }, {});
    Press(v, QPoint(50, 50));
    Release(v, QPoint(51, 50));
    QVERIFY(got && !WindowAccepted(*got));
    called = false;
    v->SelectWindow([&](std::optional<WindowCorners> w) { called = true, got = w; }, {});
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
    v->InputPolygon(100, DropRule::FivePixels, false, done);
    QCOMPARE(p.window->PaneText(0).toStdString(),
             std::string("Help: (ESC : cancel, ENTER : close) Select polygon vertex."));
    for (QPoint q : {QPoint(10, 10), QPoint(13, 13), QPoint(100, 10), QPoint(100, 100)}) {
      Press(v, q);
      Release(v, q);
    }
    // Holding the button while moving offers vertices; the 5-pixel rule drops the near ones.
    Press(v, QPoint(10, 100));
    DragTo(v, QPoint(12, 101));
    DragTo(v, QPoint(30, 120));
    Release(v, QPoint(30, 120));
    Key(v, Qt::Key_Return);
    QVERIFY(called && got);
    const std::vector<QPoint> expected{{10, 10}, {100, 10}, {100, 100}, {10, 100}, {30, 120}};
    QCOMPARE(*got, expected);
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));

    // Two vertices and Enter, or Escape after five, give nothing.
    called = false;
    v->InputPolygon(100, DropRule::FivePixels, false, done);
    for (QPoint q : {QPoint(10, 10), QPoint(100, 10)}) Press(v, q), Release(v, q);
    Key(v, Qt::Key_Enter);
    QVERIFY(called && !got);
    called = false;
    v->InputPolygon(100, DropRule::FivePixels, false, done);
    for (int k = 0; k < 5; ++k) Press(v, QPoint(10 + 20 * k, 10 + 7 * k)), Release(v, QPoint());
    Key(v, Qt::Key_Escape);
    QVERIFY(called && !got);

    // The identical rule drops only repeated positions; the limit ends the input.
    called = false;
    v->InputPolygon(4, DropRule::Identical, false, done);
    for (QPoint q : {QPoint(10, 10), QPoint(10, 10), QPoint(12, 10), QPoint(12, 12)})
      Press(v, q), Release(v, q);
    QVERIFY(!called);
    Key(v, Qt::Key_Return);
    QVERIFY(called && got && got->size() == 3);
    called = false;
    v->InputPolygon(4, DropRule::Identical, false, done);
    for (QPoint q : {QPoint(10, 10), QPoint(20, 10), QPoint(20, 20), QPoint(10, 20)})
      Press(v, q), Release(v, q);
    QVERIFY(called && !got);

    // For the inside-polygon trim a position left of the window ends the input.
    called = false;
    v->InputPolygon(300, DropRule::FivePixels, true, done);
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
    Key(v, Qt::Key_Backspace);
    Key(v, Qt::Key_Backspace);
    Key(v, Qt::Key_Backspace);
    QCOMPARE(*picker->marked, 0u);
    Key(v, Qt::Key_Backspace);  // nothing before the first point
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
    QCOMPARE(PathEnd(v->doc().store, 0), 5u);
  }

  void selectModeDragTogglesPathsAndClickRuleShowsThePoint() {
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
    QVERIFY(v->AnySelected());
    Key(v, Qt::Key_Space);  // select mode: Space clears the selection
    QVERIFY(!v->AnySelected());
    Key(v, Qt::Key_Backspace);  // and Backspace inverts it
    QVERIFY(v->AnySelected());
    // Shift-click marks the path of the point.
    Press(v, QPoint(300, 198), Qt::ShiftModifier);
    Release(v, QPoint(300, 198), Qt::ShiftModifier);
    QVERIFY(v->markedPath);
    QCOMPARE(v->markedPath->first, 5u);
  }

  void rotateDragAccumulatesAndQuietTimeDropsInput() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    v->doc().view.SetDirection(4);
    Press(v, QPoint(100, 100));
    DragTo(v, QPoint(103, 100));
    QCOMPARE(v->doc().view.az, 330);
    DragTo(v, QPoint(105, 100));
    QCOMPARE(v->doc().view.az, 332);
    Release(v, QPoint(105, 100));
    v->MarkOperationEnd();
    Key(v, Qt::Key_PageUp);
    QCOMPARE(v->doc().view.az, 332);  // within 1000 ms of a long operation
  }
};

QTEST_MAIN(InteractiveInputTest)
#include "interactive_input_test.moc"
