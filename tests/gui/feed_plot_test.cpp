// The feed chart window: it opens from the View menu, follows the toolpath after a command,
// marks in the view the move under the mouse, and its buttons write files that Qt reads back.

#include <QDockWidget>
#include <QImage>
#include <QtTest>

#include "gui/feed_plot_dock.h"
#include "gui/toolpath_renderer.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

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

class FeedPlotTest : public QObject {
  Q_OBJECT
 private slots:
  void hoveringTheChartMarksTheMoveInTheView() {
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
  }

  void exportWritesFilesQtReads() {
    Program p;
    ThreeCuts(p);
    p.window->Action("feedPlot")->trigger();
    auto* dock = p.window->findChild<FeedPlotDock*>("feedPlotDock");
    QVERIFY(dock);
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
    QVERIFY(dock->Export(base + ".svg"));
    QVERIFY(ReadAll(base + ".svg").rfind("<?xml", 0) == 0);
  }
};

QTEST_MAIN(FeedPlotTest)
#include "feed_plot_test.moc"
