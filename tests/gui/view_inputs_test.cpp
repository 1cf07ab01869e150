// The interactive inputs of the view, driven by mouse and key events: the rubber band, the
// polygon, the point and path pickers, and selection by mouse. The NC program beside the view:
// a point shown in the view (the point picker's click and its steps, the click in select
// mode) scrolls the text pane to the block that made it, and the pane's cursor marks its
// block's move in the view. The feed chart window: it opens from the View menu, follows the
// toolpath after a command, marks in the view the move under the mouse, and its buttons write
// files that Qt reads back.

#include <QDockWidget>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>
#include <fstream>

#include "gui/feed_plot_dock.h"
#include "gui/point_search.h"
#include "gui/source_pane.h"
#include "gui/source_text_view.h"
#include "gui/toolpath_renderer.h"
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

// A zigzag along X, one move per line: the move to X=i stands on line 5 + i up to i = 100,
// a comment line follows, then on line 6 + i. Record i + 1 is the move to X=i.
std::string ZigzagProgram(const QTemporaryDir& dir) {
  const std::string path = dir.filePath("zigzag.nc").toStdString();
  std::ofstream out(path);
  out << "%\nO1000 (SOURCE PANE)\nG90 G17\nG00 X0 Y0 Z10\nG01 Z0 F500\n";
  for (int i = 1; i <= 300; ++i) {
    out << "X" << i << " Y" << (i % 2 ? 0 : 5) << "\n";
    if (i == 100) out << "(HALF WAY)\n";
  }
  out << "G00 Z10\nM30\n";
  return path;
}

std::size_t LineOfMove(int i) {
  return static_cast<std::size_t>(i <= 100 ? 5 + i : 6 + i);  // from 1
}

bool InSight(SourceTextView* t, std::size_t line) {
  return line >= t->FirstVisibleLine() && line < t->FirstVisibleLine() + t->VisibleLineCount();
}

// A plunge of 5, then cuts of 100 along X and along Y, in the top view.
ToolpathView* ThreeCuts(Program& p) {
  ToolpathView* v = TopView(p, "1 0 0 5, 3 0 0 0 100, 4 100 0 0 200, 4 100 100 0 300", false);
  v->doc().view.haveLastOperation = false;
  v->Fit();
  return v;
}

QPoint AtDistance(FeedChartWidget* chart, double distance) {
  const FeedChart& c = chart->chart();
  return QPoint(static_cast<int>(c.XOf(distance)), static_cast<int>((c.top + c.bottom) / 2));
}

}  // namespace

class ViewInputsTest : public QObject {
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
    Do(p, v, "press:20,30 move:21,30");  // under 2 pixels: the band is not redrawn
    auto* mode = dynamic_cast<WindowInput*>(v->input());
    QVERIFY(mode);
    QCOMPARE(mode->drawn, QPoint(20, 30));
    Do(p, v, "move:60,80");
    QCOMPARE(mode->drawn, QPoint(60, 80));
    Do(p, v, "release:120,90");
    QVERIFY(called && got && WindowAccepted(*got));
    QCOMPARE(QRect(QPoint(got->x1, got->y1), QPoint(got->x2, got->y2)),
             QRect(QPoint(20, 30), QPoint(120, 90)));
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
    QCOMPARE(Mode(v), QString("none"));
    // A click without moving gives a window the commands refuse; Escape cancels.
    v->SelectWindow(done, {});
    Do(p, v, "press:50,50 release:51,50");
    QVERIFY(got && !WindowAccepted(*got));
    called = false;
    v->SelectWindow(done, {});
    Do(p, v, "press:50,50 key:Escape");
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
    Do(p, v, "tap:10,10 tap:13,13 tap:100,10 tap:100,100");
    // Holding the button while moving offers vertices; the 5-pixel rule drops the near ones.
    Do(p, v, "press:10,100 move:12,101 move:30,120 release:30,120 key:Return");
    QVERIFY(called && got);
    QCOMPARE(*got, (std::vector<QPoint>{{10, 10}, {100, 10}, {100, 100}, {10, 100}, {30, 120}}));
    // Two vertices and Enter give nothing, nor does Escape.
    start(100, DropRule::FivePixels, false);
    Do(p, v, "tap:10,10 tap:100,10 key:Enter");
    QVERIFY(called && !got);
    start(100, DropRule::FivePixels, false);
    Do(p, v, "tap:10,10 tap:30,17 tap:50,24 tap:70,31 tap:90,38 key:Escape");
    QVERIFY(called && !got);
    // The identical rule drops only repeated positions; reaching the limit ends the input.
    start(4, DropRule::Identical, false);
    Do(p, v, "tap:10,10 tap:10,10 tap:12,10 tap:12,12");
    QVERIFY(!called);
    Do(p, v, "key:Return");
    QVERIFY(called && got && got->size() == 3);
    start(4, DropRule::Identical, false);
    Do(p, v, "tap:10,10 tap:20,10 tap:20,20 tap:10,20");
    QVERIFY(called && !got);
    // For the inside-polygon trim a position left of the window ends the input.
    start(300, DropRule::FivePixels, true);
    Do(p, v, "press:10,10 press:-3,40");
    QVERIFY(called && !got);
  }

  void pointPickerStepsWithSpaceAndBackspace() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    bool called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    // Record 1 (-100, 50) is at client (100, 100); the click is 6 pixels off.
    Do(p, v, "press:104,104");
    auto* picker = dynamic_cast<PointPicker*>(v->input());
    QVERIFY(picker);
    // The marked record, and the pane's G code.
    auto marked = [&] {
      return QString("%1 %2").arg(picker->marked.value_or(99)).arg(p.window->PaneText(1));
    };
    QCOMPARE(marked(), QString("1 G01"));
    Do(p, v, "key:Space");
    QCOMPARE(marked(), QString("2 G02"));
    Do(p, v, "key:Space");  // the centre record is passed over
    QCOMPARE(picker->marked, std::optional<std::uint32_t>(4));
    // Nothing before the first point.
    Do(p, v, "key:Backspace key:Backspace key:Backspace key:Backspace");
    QCOMPARE(picker->marked, std::optional<std::uint32_t>(0));
    Do(p, v, "key:F9");  // view keys keep working while the picker waits
    QCOMPARE(v->doc().view.scale, 2.0);
    Do(p, v, "key:Space key:Return");
    QVERIFY(called);
    QCOMPARE(got, std::optional<std::uint32_t>(1));
    QCOMPARE(Mode(v), QString("none"));
    // A click far from every point ends the picker without a point.
    called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    Do(p, v, "press:5,295");
    QVERIFY(called && !got);
  }

  void pathPickerStepsFromPathToPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    v->PickPath([&](std::optional<std::uint32_t> i) { got = i; });
    Do(p, v, "press:200,52");  // record 4 (0, 100) is at client (200, 50): the first path
    auto* picker = dynamic_cast<PathPicker*>(v->input());
    QVERIFY(picker);
    // The first record of the marked path after each key: no path after the last.
    QString marks = QString::number(picker->marked.value_or(99));
    for (const char* key : {"key:Space", "key:Space", "key:Backspace"}) {
      Do(p, v, key);
      marks += " " + QString::number(picker->marked.value_or(99));
    }
    QCOMPARE(marks, QString("0 5 5 0"));
    Do(p, v, "key:Escape");
    QVERIFY(!got);
  }

  void selectModeDragTogglesPathsAndShiftClickMarksAPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    v->doc().view.mouseMode = MouseMode::Select;
    // A band round the second path (client x 250..300, y 150..200).
    Do(p, v, "drag:240,140:320,220");
    CPointStore& s = v->doc().store;
    QCOMPARE(Bits({s.RawRecord(6)->mark != 0, s.RawRecord(1)->mark != 0}), QString("10"));
    Do(p, v, "key:Space");  // select mode: Space clears the selection
    QVERIFY(!v->AnySelected());
    Do(p, v, "key:Backspace");  // and Backspace inverts it
    QVERIFY(v->AnySelected());
    Do(p, v, "tap+Shift:300,198");
    QVERIFY(v->markedPath);
    QCOMPARE(v->markedPath->first, 5u);
  }

  void pickedPointsScrollThePaneAndThePaneMarksTheirMoves() {
    Program p;
    QAction* toggle = p.window->Action("sourcePane");
    // The dock shown, its item enabled and ticked.
    auto dock = [&p, toggle] {
      return Bits({!p.window->sourceDock()->isHidden(), toggle->isEnabled(), toggle->isChecked()});
    };
    QCOMPARE(dock(), QString("000"));  // no document window yet
    ToolpathView* v = Open(p, ZigzagProgram(p.dir));
    toggle->trigger();
    QCOMPARE(dock(), QString("111"));
    SourcePane* pane = p.window->SourcePaneOf(v);
    QVERIFY(pane);
    SourceTextView* text = pane->text();
    QCOMPARE(text->lines().Count(), std::size_t(308));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc"));
    QTRY_VERIFY(v->width() > 100);
    v->Fit();
    QApplication::processEvents();

    // The point picker: a click on the move to X=200 scrolls its line into sight.
    std::optional<std::uint32_t> picked;
    v->PickPoint([&](std::optional<std::uint32_t> i) { picked = i; });
    CPointStore& s = v->doc().store;
    QVERIFY(s.FetchPoint(201));
    Tap(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(200) - 1));
    QVERIFY(InSight(text, LineOfMove(200) - 1));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc:%1").arg(LineOfMove(200)));
    // Its steps follow, back over the comment line too.
    Key(v, Qt::Key_Space);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(201) - 1));
    auto* picker = dynamic_cast<StepPicker*>(v->input());
    QVERIFY(picker);
    picker->Mark(102);  // the move to X=101, after the comment
    Key(v, Qt::Key_Backspace);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(100) - 1));
    Key(v, Qt::Key_Escape);
    QVERIFY(!picked);

    // The click in select mode, on the move to X=30 at the far end of the text.
    text->verticalScrollBar()->setValue(static_cast<int>(text->lines().Count()));
    v->doc().view.mouseMode = MouseMode::Select;
    QVERIFY(s.FetchPoint(31));
    Tap(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(30) - 1));
    QVERIFY(InSight(text, LineOfMove(30) - 1));

    // The pane's cursor: a click on the line of the move to X=32 marks that move in the view,
    // the arrow keys move the mark, a comment line clears it.
    const int h = text->fontMetrics().lineSpacing();
    const std::size_t line = LineOfMove(32) - 1;
    Tap(text->viewport(),
        QPoint(60, static_cast<int>(line - text->FirstVisibleLine()) * h + h / 2));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(line));
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(33));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(34));
    text->SetCurrentLine(LineOfMove(100) - 1);
    Key(text, Qt::Key_Down);
    QVERIFY(!v->sourceMark());
    QVERIFY(pane->info()->text().endsWith("This block makes no move"));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(102));
    // A change of the toolpath takes the mark away: its record may be another move now.
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QVERIFY(!v->sourceMark());

    // A point that an edit made has no block; the pane says so and shows none.
    s.reg.type = MOVE_LINE_CONT, s.reg.x = 400, s.reg.y = 0, s.reg.z = 0;
    s.StorePoint(s.count++);
    v->ShowPointStatus(s.count - 1);
    QVERIFY(!text->currentLine());
    QCOMPARE(pane->info()->text(), QString("No source line: made by an edit"));
    QVERIFY(!v->sourceMark());

    toggle->trigger();
    QCOMPARE(dock(), QString("010"));
    // The window closes with the dock shown.
    toggle->trigger();
    QCOMPARE(dock(), QString("111"));
  }

  void hoveringTheChartMarksTheMoveAndItsFilesReadBack() {
    Program p;
    ToolpathView* v = ThreeCuts(p);
    p.window->Action("feedPlot")->trigger();
    auto* dock = p.window->findChild<FeedPlotDock*>("feedPlotDock");
    QVERIFY(dock && dock->isVisible());
    FeedChartWidget* chart = dock->chart();
    chart->resize(800, 300);
    QVERIFY(chart->series());
    QCOMPARE(chart->series()->after.moves.size(), std::size_t{3});

    const QColor mark = ToolpathRenderer::Highlight();
    v->grab();  // the view renders at the size it has beside the chart window
    const QPoint end = v->ClientOf(100, 100, 0);
    QVERIFY(v->grab().toImage().pixelColor(end + QPoint(0, 8)) != mark);
    // Over the middle of the last cut (distances 105 to 205), then the second (5 to 105).
    Hover(chart, AtDistance(chart, 150));
    QCOMPARE(v->markedMove, std::optional<std::uint32_t>(3));
    QCOMPARE(v->grab().toImage().pixelColor(end + QPoint(0, 8)), mark);
    Hover(chart, AtDistance(chart, 50));
    QCOMPARE(v->markedMove, std::optional<std::uint32_t>(2));
    // Outside the plot, and leaving the chart, take the mark away.
    Hover(chart, QPoint(2, 2));
    QVERIFY(!v->markedMove);
    Hover(chart, AtDistance(chart, 150));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart, &leave);
    QVERIFY(!v->markedMove);

    // A command that changes the toolpath: the chart follows when the frame refreshes.
    CPointStore& s = v->doc().store;
    s.FetchPoint(3);
    s.reg.feed = 999;
    s.StorePoint(3);
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QCOMPARE(chart->series()->after.moves[2].feed, std::int16_t{999});
    // A change that only redraws the view (an input finishing after its command returned).
    s.FetchPoint(2);
    s.reg.feed = 555;
    s.StorePoint(2);
    v->doc().NoteWorkLayerChanged();
    v->doc().Redraw();
    QTRY_COMPARE(chart->series()->after.moves[1].feed, std::int16_t{555});

    // The export buttons write files that Qt reads back.
    const std::string base = p.dir.filePath("chart").toStdString();
    {
      // A name typed without an extension gets the button's.
      Dialogs d({ChooseFile(base)});
      Find<QAbstractButton>(dock, "exportPng")->click();
    }
    const QImage png(QString::fromStdString(base + ".png"));
    QVERIFY(!png.isNull());
    QCOMPARE(png.size(), QSize(1200, 520));
    QCOMPARE(png.pixelColor(2, 2), QColor(246, 246, 246));
    // (The SVG the same call writes for a name ending in .svg: the chart files' own test.)
  }
};

QTEST_MAIN(ViewInputsTest)
#include "view_inputs_test.moc"
