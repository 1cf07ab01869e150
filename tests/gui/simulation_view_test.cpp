// The cutting simulation on the desktop: the dialog runs the simulation and reports what it
// found (or refuses a tool that cannot cut and changes nothing), the slider cuts the part to
// any move with the program pane following, the machined part shows in the picture and its
// toggle takes it away, the feed chart gains the removal rate, and --simulate draws the part.

#include <QLabel>
#include <QSlider>
#include <QtTest>

#include "gui/feed_plot_dock.h"
#include "gui/machined_part.h"
#include "gui/screenshot.h"
#include "gui/simulation_dock.h"
#include "gui/source_pane.h"
#include "gui/source_text_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// A rapid down, a plunge, three slots going deeper, a rapid through the stock and an air cut
// along the stock's top. The first block's point is where the machine stands: move k ends on
// line k + 1 (from 0).
constexpr const char* kProgram =
    "G90 G21\n"
    "G0 X0 Y0 Z5\n"
    "G0 Z1\n"
    "G1 Z-1 F300\n"
    "G1 X20\n"
    "G1 Y10 Z-2\n"
    "G1 X0 Z-3\n"
    "G0 X10 Y-5 Z-0.5\n"
    "G1 Y-8 F300\n"
    "M30\n";

ToolpathView* Opened(Program& p) {
  const std::string path = p.dir.filePath("slots.nc").toStdString();
  std::ofstream(path) << kProgram;
  ToolpathView* v = Open(p, path);
  v->doc().view.haveLastOperation = false;  // no quiet time after the load
  return v;
}

// The dialog's answer: a flat D4 at 0.2 mm cells from the automatic stock.
Step FlatD4() {
  return FillAnd({{"autoStock", "1"}, {"toolKind", "0"}, {"toolDiameter", "4"}, {"cell", "0.2"}});
}

}  // namespace

class SimulationViewTest : public QObject {
  Q_OBJECT
 private slots:
  void dialogRunsAndReports() {
    Program p;
    ToolpathView* v = Opened(p);
    p.window->Action("sourcePane")->trigger();
    QCOMPARE(Run(p, "simulate", {FlatD4()}), std::size_t(1));
    const MachinedPart* part = v->DrawnPart();
    QVERIFY(part);
    // The help line says what the script's JSON says (what the simulation finds on such a
    // program: the simulation's own tests).
    const SimulationResult& r = part->result;
    QCOMPARE(QString::fromStdString(p.platform->helpText),
             QString::asprintf(" Simulation: %.1f mm3 removed, 1 rapids through material (first: "
                               "#%lld), 1 air cuts (3.0 mm)",
                               r.removedVolume, static_cast<long long>(r.firstRapidCollision)));
    // The first rapid through material is shown: the program pane is on its block.
    QCOMPARE(p.window->SourcePaneOf(v)->text()->currentLine(), std::optional<std::size_t>(7));
    // The options are the document's now, as the script's simulate keeps them.
    QVERIFY(v->doc().simulation.tool.kind == SimToolKind::Flat && v->doc().simulation.cell == 0.2 &&
            v->doc().simToolGiven);
    // The toolpath is not changed by a simulation.
    QVERIFY(!v->doc().Modified());

    // A bull nose whose corner is larger than its radius is refused: a message, and the
    // part and the document's options stay as they were.
    const std::uint64_t run = part->run;
    const int messages = p.platform->messageCount;
    Run(p, "simulate",
        {FillAnd({{"toolKind", "2"}, {"toolDiameter", "4"}, {"cornerRadius", "3"}})});
    QCOMPARE(p.platform->messageCount, messages + 1);
    QVERIFY(p.platform->lastMessage.find("cannot run") != std::string::npos);
    QCOMPARE(v->machined->run, run);
    QCOMPARE(v->doc().simulation.tool.kind, SimToolKind::Flat);
    // Cancel runs nothing.
    Run(p, "simulate", {Cancel()});
    QCOMPARE(v->machined->run, run);
  }

  void sliderCutsToTheMoveAndThePaneFollows() {
    Program p;
    ToolpathView* v = Opened(p);
    p.window->Action("sourcePane")->trigger();
    Run(p, "simulate", {FlatD4()});
    auto* dock = p.window->findChild<SimulationDock*>("simulationDock");
    QVERIFY(dock && dock->isVisible());
    QSlider* slider = dock->slider();
    QCOMPARE(slider->maximum(), 7);
    QCOMPARE(slider->value(), 7);
    const MachinedPart& part = *v->machined;
    const double full = part.field.MaterialVolume();
    // The slider's position, and the block of the move's end point. (That the part cut to a
    // move is the stock less what the moves before took: the simulation's steps test.)
    for (const auto& [moves, line] :
         std::vector<std::pair<int, std::size_t>>{{4, 5}, {1, 2}, {6, 7}, {0, 7}, {7, 8}}) {
      slider->setValue(moves);
      QTRY_COMPARE(part.shownMoves, std::size_t(moves));
      // At 0 no move is shown: the pane stays where it was.
      QCOMPARE(p.window->SourcePaneOf(v)->text()->currentLine(), std::optional<std::size_t>(line));
      QVERIFY(dock->info()->text().contains(QString("%1 / 7").arg(moves)));
      if (moves < 4) {
        QVERIFY(part.field.MaterialVolume() > full);  // the slots still to come are there
      }
    }
    QVERIFY(std::fabs(part.field.MaterialVolume() - full) < 1e-6);
    // A change of the toolpath leaves the part behind: not drawn, the slider resting.
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QVERIFY(!v->DrawnPart());
    QVERIFY(!slider->isEnabled());
  }

  void machinedPartShowsAndHides() {
    Program p;
    ToolpathView* v = Opened(p);
    v->doc().view.SetDirection(1);
    Run(p, "simulate", {FlatD4()});
    QTest::qWait(50);  // the slider's dock takes its place beside the view
    QAction* toggle = p.window->Action("showMachinedPart");
    // The toggle's tick, whether quads of the part were drawn, and the rapids through
    // material drawn, after a render.
    auto drawn = [&] {
      v->repaint();
      return QString("%1 %2 %3")
          .arg(toggle->isChecked())
          .arg(v->renderer.partQuadsDrawn > 0)
          .arg(v->renderer.collisionsDrawn);
    };
    v->Fit();
    QCOMPARE(drawn(), QString("1 1 1"));
    const QImage with = v->picture().copy();
    toggle->trigger();
    QCOMPARE(drawn(), QString("0 0 0"));
    QCOMPARE(v->picture().size(), with.size());
    QVERIFY(v->picture() != with);
    toggle->trigger();
    QCOMPARE(drawn(), QString("1 1 1"));
    QVERIFY(v->picture() == with);
  }

  void feedChartShowsTheRemovalRate() {
    Program p;
    Opened(p);
    p.window->Action("feedPlot")->trigger();
    auto* chart = p.window->findChild<FeedPlotDock*>("feedPlotDock")->chart();
    QVERIFY(chart->series() && !chart->series()->after.HasRates());
    Run(p, "simulate", {FlatD4()});
    QTRY_VERIFY(chart->series() && chart->series()->after.HasRates());
    QVERIFY(chart->chart().hasRates);
  }

  void screenshotDrawsTheMachinedPart() {
    Program p;
    const std::string nc = p.dir.filePath("slots.nc").toStdString();
    std::ofstream(nc) << kProgram;
    std::string error;
    QImage shots[2];
    for (int simulate = 0; simulate < 2; ++simulate) {
      const std::string png = p.dir.filePath(QString("shot%1.png").arg(simulate)).toStdString();
      ScreenshotRequest r;
      bool shot = false;
      std::vector<std::string> args = {"--screenshot", png, "--size", "320x200", "--view", "top"};
      if (simulate) args.insert(args.end(), {"--simulate", "--sim-tool", "flat,4"});
      args.push_back(nc);
      QCOMPARE(ParseScreenshotArgs(args, r, shot), std::string());
      QCOMPARE(r.simulate, simulate == 1);
      QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
      shots[simulate] = QImage(QString::fromStdString(png));
    }
    QVERIFY(shots[0] != shots[1]);
    ScreenshotRequest r;
    bool shot = false;
    for (const char* bad : {"ball", "bull,4", "flat,4,1", "cone,4", "ball,0"})
      QVERIFY(
          !ParseScreenshotArgs({"--screenshot", "o.png", "--simulate", "--sim-tool", bad}, r, shot)
               .empty());
  }
};

QTEST_MAIN(SimulationViewTest)
#include "simulation_view_test.moc"
