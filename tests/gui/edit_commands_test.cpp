// Every command dialog, from its menu item: Cancel leaves the document and the settings as
// they were, OK applies what was typed (numbers only inside the ranges the core declares), and
// a dialog reopens on the values of its last OK.
//
// The editing commands from their menu items and keys: the deletes (the accelerators start the
// pickers, Shift+Delete in select mode deletes the selection, the window delete repeats until
// Escape under one undo snapshot), the feed changes (region after region until the question
// ends it), the filters and "Arc Convert", the point offset (its vector kept per document
// window), the path order commands and the trims. Cancel changes nothing, OK runs the command,
// and each dialog reopens on the values of its last OK in that same command.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <map>

#include "feed/feed_control.h"
#include "gui/command_registry.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

std::string S(double v) {
  return QString::number(v).toStdString();
}

struct Case {
  const char* action;
  std::vector<Step> before;  // dialogs ahead of the command's own (file dialogs)
  Fields fields;             // typed into the command's dialog
  std::vector<Step> nested;  // dialogs that the typing opens
  std::function<std::string(CDocument&)> state;
  std::string afterOk;
};

// One cutting run along X: the point (x, 0) is at client (200 + x, 150); the cut to (20, 0)
// selected if asked.
ToolpathView* OneRun(Program& p, bool selected = false) {
  ToolpathView* v = TopView(p, selected ? "1 0 0 50 500, 2 0 0 0 500, 3 10 0 0 500, "
                                          "4 20 0 0 500 1, 4 30 0 0 500, 4 40 0 0 500"
                                        : "1 0 0 50 500, 2 0 0 0 500, 3 10 0 0 500, "
                                          "4 20 0 0 500, 4 30 0 0 500, 4 40 0 0 500");
  v->doc().retractHeight = 50;
  v->setFocus();
  return v;
}

// A straight cut along y = 0 from x = -100 to 100, rapids hidden: at 500 with the retract
// height at 10 for the trims, at 1000 for the feed changes.
ToolpathView* StraightCut(Program& p, bool forFeeds = false) {
  if (forFeeds) {
    ToolpathView* v = TopView(p, "1 -100 0 10, 3 -100 0 0 1000, 4 100 0 0 1000", false);
    v->doc().view.haveLastOperation = false;
    return v;
  }
  ToolpathView* v = TopView(p, "1 -100 0 10 500, 3 -100 0 0 500, 4 100 0 0 500", false);
  v->doc().retractHeight = 10;
  return v;
}

// Two cuts along X: path 1 from x = -100 to -50, path 2 from 50 to 100.
ToolpathView* TwoPaths(Program& p) {
  ToolpathView* v = TopView(p,
                            "1 -100 0 0 500, 3 -50 0 0 500, 1 -50 0 10 500, 2 50 0 10 500, "
                            "2 50 0 0 500, 3 100 0 0 500");
  v->doc().retractHeight = 10;
  return v;
}

int FeedAt(ToolpathView* v, std::uint32_t i) {
  return v->doc().store.RawRecord(i)->feed;
}

// Where each cutting run starts and ends, as "from>to" in x.
std::string Cuts(CPointStore& s) {
  std::string out;
  for (std::uint32_t i = 1; i < s.count; ++i) {
    if (!s.IsLinear(i)) continue;
    const int to = static_cast<int>(s.reg.x);
    s.FetchPoint(i - 1);
    out += std::to_string(static_cast<int>(s.reg.x)) + ">" + std::to_string(to) + " ";
  }
  return out;
}

// The x of the cut points, in order (a plunge is a rapid: the cut after it starts below it).
QList<double> CutXs(CPointStore& s) {
  QList<double> xs;
  for (std::uint32_t i = 0; i < s.count; ++i)
    if (IsLinearType(s.RawRecord(i)->type)) xs << s.RawRecord(i)->x;
  return xs;
}

int Arcs(const CPointStore& s) {
  int n = 0;
  for (std::uint32_t i = 0; i < s.count; ++i) n += IsArcType(s.RawRecord(i)->type);
  return n;
}

}  // namespace

class EditCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void deleteCommandsFromTheirKeysAndItems() {
    Program p;
    ToolpathView* v = OneRun(p);
    // Accelerators go to the active window, as the window system's key presses do. (What a
    // delete leaves behind: the delete commands' own tests.)
    QApplication::setActiveWindow(p.window.get());
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Tab);
    QCOMPARE(Mode(v), QString("point"));
    Do(p, v, "press:211,151 key:Return");  // the first cut's end (10, 0)
    QCOMPARE(v->doc().store.count, 5u);
    QTest::keyClick(v, Qt::Key_D, Qt::ShiftModifier);
    QCOMPARE(Mode(v), QString("path"));
    Do(p, v, "key:Escape");
    QCOMPARE(Mode(v), QString("none"));
    QCOMPARE(v->doc().store.count, 5u);

    // Shift+Delete in select mode deletes the selection.
    v = OneRun(p, true);
    v->doc().view.mouseMode = MouseMode::Select;
    CPointStore& s = v->doc().store;
    const int ax = v->doc().view.ax;
    Do(p, v, "key:Shift+Delete");
    QCOMPARE(v->doc().view.ax, ax);  // deleted, not tilted
    QCOMPARE(s.count, 8u);           // the cut to (20, 0) made a hop
    Do(p, v, "item:undo");
    QCOMPARE(s.count, 6u);

    // The window delete repeats until Escape under one undo snapshot. A click on (20, 0): a
    // window of no size still deletes, and the next window is asked for.
    v = OneRun(p);
    const std::uint32_t undoTop = v->doc().undo.undoTop;
    Do(p, v, "item:deleteInWindows tap:220,150 wait");
    QCOMPARE(v->doc().store.count, 7u);
    QCOMPARE(Mode(v), QString("window"));
    Do(p, v, "drag:235,145:245,155 wait key:Escape");  // round (40, 0), the last cut
    QCOMPARE(Mode(v), QString("none"));
    QCOMPARE(v->doc().undo.undoTop, undoTop + 1);
    Do(p, v, "item:undo");
    QCOMPARE(v->doc().store.count, 6u);
  }

  void feedCommandsFromTheirItems() {
    Program p;
    ToolpathView* v = StraightCut(p, true);
    Run(p, "windowMaxFeed", {FillAnd({{"value", "250"}})});
    // A window over the right half: only its inside part is slowed (the cut split where the
    // window begins: the feed changes' own test), and the next region is asked for.
    Do(p, v, "drag:200,10:390,290 wait");
    QCOMPARE(FeedAt(v, 2), 1000);
    QCOMPARE(FeedAt(v, 3), 250);
    QCOMPARE(Mode(v), QString("window"));
    // Escape asks; Cancel goes on with another region, OK ends the command.
    p.platform->answers = {Answer::Cancel, Answer::Ok};
    Do(p, v, "key:Escape wait");
    QCOMPARE(QString::fromStdString(p.platform->lastCaption + ": " + p.platform->lastMessage),
             QString("Error message: Do you want feed chagne?"));
    QCOMPARE(Mode(v), QString("window"));
    Do(p, v, "key:Escape wait");
    QCOMPARE(Mode(v), QString("none"));
    QCOMPARE(p.platform->messageCount, 2);
    // The value dialog opens on the last value; undo brings the uncut move back.
    QCOMPARE(FieldShown(p, "windowMaxFeed", "value"), QString("250"));
    QCOMPARE(Mode(v), QString("none"));
    Do(p, v, "item:undo");
    QCOMPARE(v->doc().store.count, 3u);

    // The machine feed dialog keeps its choices.
    v = StraightCut(p, true);
    QString weightShown;
    Run(p, "machineFeed", {[&](QWidget* w) {
          Find<QComboBox>(w, "machine")->setCurrentText("Machine0");
          Find<QComboBox>(w, "transferRate")->setCurrentText("2400");
          Find<QSlider>(w, "weight")->setValue(100);
          weightShown = Find<QLabel>(w, "weightLabel")->text();
          Click(w, "ok");
        }});
    QCOMPARE(weightShown, QString("<< CNC 가중치(50) >>"));
    QString shown;
    Run(p, "machineFeed", {[&](QWidget* w) {
          shown = Find<QComboBox>(w, "machine")->currentText() + " " +
                  Find<QComboBox>(w, "transferRate")->currentText() + " " +
                  QString::number(Find<QSlider>(w, "weight")->value());
          Cancel()(w);
        }});
    QCOMPARE(shown, QString("Machine0 2400 100"));
    // The feed colours: a checked item that switches on and off.
    QAction* a = p.window->Action("feedColours");
    const Command* c = FindCommand("feedColours");
    QVERIFY(c && c->checked);
    for (bool on : {true, false, true}) {
      a->trigger();
      QApplication::processEvents();
      QCOMPARE(!v->options.colourByLayer, on);
      QCOMPARE(a->isChecked(), on);
    }
  }

  void filterMenuCommandsRunFromTheirDialogs() {
    Program p;
    // A straight cut of three points, then a quarter circle of radius 10 in points 3 degrees
    // apart (three decimals, as programs hold them).
    std::string records = "1 0 0 0.5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 500";
    for (int j = 1; j <= 30; ++j) {
      const double a = (90.0 - 3 * j) * M_PI / 180;
      records +=
          QString::asprintf(", 4 %.3f %.3f 0 500", 2 + 10 * std::cos(a), -10 + 10 * std::sin(a))
              .toStdString();
    }
    ToolpathView* v = TopView(p, records.c_str());
    CPointStore& s = v->doc().store;
    auto run = [&p](const char* action, Step step) { QCOMPARE(Run(p, action, {step}), 1u); };
    const std::uint32_t all = s.count;

    // The linear filter: Cancel keeps everything; 0.002 takes the middle of the line out and
    // is what the dialog shows next time.
    run("linearFilter", FillAnd({{"tolerance", "0.002"}}, false));
    QCOMPARE(s.count, all);
    run("linearFilter", FillAnd({{"tolerance", "0.002"}}));
    QCOMPARE(s.count, all - 1);
    QCOMPARE(FieldShown(p, "linearFilter", "tolerance"), QString("0.002"));

    // Lines to arcs, then arcs back to lines.
    run("arcConvert", FillAnd({{"toArcs", "1"}, {"tolerance", "0.01"}, {"xy", "1"}}));
    QCOMPARE(Arcs(s), 1);
    const std::uint32_t fitted = s.count;
    QString shown;
    run("arcConvert", [&shown](QWidget* d) {
      shown = Find<QLineEdit>(d, "tolerance")->text();
      FillAnd({{"toLines", "1"}})(d);
    });
    QCOMPARE(shown, QString("0.01"));
    QCOMPARE(Arcs(s), 0);
    QVERIFY(s.count > fitted);

    // Subdivision of everything; "1 Point" waits for the picker, Escape leaves it.
    const std::uint32_t lines = s.count;
    run("subdivide", FillAnd({{"all", "1"}, {"step", "0.5"}}));
    QVERIFY(s.count > lines);
    const std::uint32_t split = s.count;
    run("subdivide", FillAnd({{"onePoint", "1"}, {"step", "0.1"}}));
    QCOMPARE(Mode(v), QString("point"));
    Do(p, v, "key:Escape");
    QCOMPARE(Mode(v), QString("none"));
    QCOMPARE(s.count, split);
  }

  // The point offset: the vector dialog comes first and keeps its values per document window;
  // the box dialog then gives the region, and Cancel anywhere changes nothing.
  void offsetVectorFirstThenTheBoxAndTheVectorStaysWithItsWindow() {
    Program p;
    ToolpathView* first = Open(p);
    CDocument& doc = first->doc();
    const double lowest = doc.store.stats.cuttingMin[2];
    // Asks the vector (seen: what it opened on), then the box; a step may cancel instead.
    auto offsetBox = [&p](const char* dz, bool okVector, bool okBox) {
      QString seen;
      Run(p, "offsetBox",
          {[&](QWidget* w) {
             seen = Find<QLineEdit>(w, "value2")->text();
             FillAnd({{"value2", dz}}, okVector)(w);
           },
           FillAnd(
               {{"value0", "-9999"}, {"value1", "-9999"}, {"value2", "9999"}, {"value3", "9999"}},
               okBox)});
      return seen;
    };
    QCOMPARE(offsetBox("-2", true, false), QString("5"));  // the box cancelled: no change
    QCOMPARE(doc.store.stats.cuttingMin[2], lowest);
    QCOMPARE(offsetBox("-3", false, true), QString("-2"));  // the vector's OK is kept
    QCOMPARE(offsetBox("-3", true, true), QString("-2"));   // the vector cancelled: kept as was
    QCOMPARE(doc.store.stats.cuttingMin[2], lowest - 3);
    QCOMPARE(offsetBox("0", false, false), QString("-3"));
    // Another window starts from the first values.
    QVERIFY(Open(p) != first);
    QCOMPARE(offsetBox("0", false, false), QString("5"));
  }

  // Start points clicked in the view and run with Enter (Escape gives up), one path reversed
  // in its place by the path picker, the reverse dialog reopening on its last OK, the move.
  void pathOrderCommandsFromTheirItems() {
    Program p;
    QCOMPARE(Cuts(TwoPaths(p)->doc().store), std::string("-100>-50 50>100 "));
    const struct {
      const char *gestures, *cuts;
    } picked[] = {
        // Beside the start of path 1 and beside the end of path 2.
        {"item:startOpen tap:99,151 tap:301,149 key:Return", "-100>-50 100>50 "},
        {"item:startBoth tap:101,150 key:Escape", "-100>-50 50>100 "},
        {"item:reverseOne tap:101,150 key:Return", "-50>-100 50>100 "},  // path 1's start
    };
    for (const auto& r : picked) {
      ToolpathView* v = TwoPaths(p);
      Do(p, v, r.gestures);
      // The row's gestures, the input left and the cuts, as one string.
      const QString row = QString(r.gestures) + " -> ";
      QCOMPARE(row + Mode(v) + " " + QString::fromStdString(Cuts(v->doc().store)),
               row + "none " + r.cuts);
    }

    ToolpathView* v = TwoPaths(p);
    QCOMPARE(Run(p, "reverse", {FillAnd({{"direction", "0"}, {"twoWay", "1"}})}), 1u);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));
    bool twoWay = false, direction = true;
    Run(p, "reverse", {[&](QWidget* w) {
          twoWay = Find<QCheckBox>(w, "twoWay")->isChecked();
          direction = Find<QCheckBox>(w, "direction")->isChecked();
          Click(w, "cancel");
        }});
    QVERIFY(twoWay && !direction);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));

    v = TwoPaths(p);
    Run(p, "moveCopy", {FillAnd({{"dx", "5"}})});
    QCOMPARE(Cuts(v->doc().store), std::string("-95>-45 55>105 "));
  }

  void trimCommandsFromTheirItems() {
    Program p;
    ToolpathView* v = StraightCut(p);
    Do(p, v, "item:trimWindowIn drag:180,140:220,160");
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));
    // The next window is asked for at once; Escape ends the command.
    Do(p, v, "wait");
    QCOMPARE(Mode(v), QString("window"));
    Do(p, v, "press:240,140 release:260,160");
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 40, 100}));
    Do(p, v, "wait key:Escape");
    QCOMPARE(Mode(v), QString("none"));
    // Each window was one undo step.
    Do(p, v, "item:undo");
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));

    // The box dialogs keep their own values.
    v = StraightCut(p);
    const Fields box = {{"value0", "-20"}, {"value1", "-10"}, {"value2", "20"}, {"value3", "10"}};
    QCOMPARE(Run(p, "trimBoxIn", {FillAnd(box)}), 1u);
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));
    // The inside trim opens with what it took; the outside trim with its own first values.
    QCOMPARE(FieldShown(p, "trimBoxIn", "value0").toDouble(), -20.0);
    QCOMPARE(FieldShown(p, "trimBoxOut", "value0").toDouble(), -50.0);
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));  // Cancel: no change
  }

  // The dialogs' own tests run last: the work environment's OK among them puts the labels
  // into the program's language (English here) for every test after it, and the feed
  // dialog's test above reads its label in Korean.
  void cancelLeavesEverythingAndOkApplies() {
    Program p;
    const std::string dir = p.dir.path().toStdString();
    const std::string saved = dir + "/saved.nc", layers = dir + "/layers.nc",
                      posted = dir + "/posted.nc";
    // The layer output's file is there already: its save dialog asks before replacing it.
    std::ofstream(layers).flush();
    const Step replace = [](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) qFatal("no question before replacing");
      box->button(QMessageBox::Yes)->click();
    };
    // The post-processor writes only through a template that defines a section.
    std::ofstream(dir + "/config/default.ppr") << "[NewCut]\nG01[$X][$Y][$Z][$F]\n[End]\n";
    const CuttingConditions& c = p.app->FeedControl().channels[1].conditions;
    // clang-format off
    const std::vector<Case> cases = {
        {"ncSettings", {}, {{"ArcToCutInputChk", "1"}}, {},
         [](CDocument& d) { return S(d.nc.arcToCutInputChk); }, "1"},
        {"workLayer", {}, {{"layer3", "1"}}, {},
         [](CDocument& d) { return S(d.layers.workLayer); }, "3"},
        {"echoLayers", {}, {{"layerOff", "5 7"}, {"echo9", "0"}}, {},
         [](CDocument& d) {
           return S(d.layers[5].echo) + S(d.layers[7].echo) + S(d.layers[9].echo);
         }, "000"},
        {"copyLayer", {}, {{"target", "2"}}, {},
         [](CDocument& d) { return S(d.layers[2].snapshot.count() == d.store.count); }, "1"},
        // "Layer update" edits the layer in place; OK shows the names in the layer list. A
        // program number above 100000 is refused (the file's O2001 stays).
        {"layerInfo", {},
         {{"name", "Roughing"}, {"programNumber", "100001"}, {"update", "click"}}, {},
         [&p](CDocument& d) {
           return p.window->layerList()->itemText(0).toStdString() + " " +
                  S(d.layers[0].programNumber);
         }, "Roughing 2001"},
        {"layerColours", {}, {{"colour0", "6"}}, {},
         [](CDocument& d) { return S(d.colours.index[0]); }, "6"},
        {"workEnvironment", {}, {{"HelpFileName", "guide.pdf"}}, {},
         [&p](CDocument&) { return p.app->settings.helpFileName; }, "guide.pdf"},
        {"rotationCentreInput", {}, {{"value0", "12.5"}, {"value2", "abc"}}, {},
         [](CDocument& d) {
           return S(d.view.rotationCentre[0]) + " " + S(d.view.rotationCentre[2]);
         }, "12.5 0"},
        // A tolerance must stay above 0; an allowance that is no number keeps its value.
        {"masterCreate", {}, {{"tolerance", "0.8"}, {"allowance", "x"}}, {},
         [](CDocument& d) {
           return S(d.master.tolerance) + " " + S(d.master.allowance) + " " + S(d.master.Exists());
         }, "0.8 0 1"},
        {"autoFeed", {}, {{"maxFeed", "1700"}, {"real0", "6"}, {"material", "ALU 6061"}}, {},
         [&c](CDocument&) { return S(c.MaxFeed) + " " + S(c.ToolDiameter) + " " + c.Material; },
         "1700 6 ALU_6061"},
        // The transfer dialog, and "LMX 설정" over it.
        {"feedOptimizer", {}, {{"maxFeed", "2400"}, {"minFeed", "600"}, {"set", "click"}},
         {FillAnd({{"sideCorner", "20"}, {"weight4", "45"}})},
         [&c](CDocument&) {
           return S(c.MaxFeed) + " " + S(c.CornerMaxReduction) + " " + S(c.SideCorRat) + " " +
                  S(c.SideWeight30);
         }, "2400 0.25 20 0.45"},
        // Eight digits: as many as the writer and the save verb take.
        {"saveNc", {ChooseFile(saved)},
         {{"programNumberOn", "1"}, {"programNumber", "12345678"}, {"fileStartEnd", "0"}}, {},
         [saved](CDocument&) { return ReadAll(saved).substr(0, 12); }, "%\nO12345678\n"},
        {"saveLayers", {}, {{"outputFile", "click"}, {"outputLayers", "0"}},
         {ChooseFile(layers), replace},
         [layers](CDocument&) { return ReadAll(layers).substr(0, 2); }, "%\n"},
        {"postProcessor", {ChooseFile(posted)}, {{"spindle", "2500"}}, {},
         [posted](CDocument&) { return S(QFile::exists(QString::fromStdString(posted))); }, "1"},
    };
    // clang-format on
    for (const Case& k : cases) {
      ToolpathView* v = p.window->NewDocument();
      QCOMPARE(p.window->ReadInto(v, TestFile("pocket_ijk.nc"), false), 1);
      CDocument& doc = v->doc();
      p.platform->answers = {Answer::Ok, Answer::Ok};  // the copied layers' tools differ
      const std::string before = k.state(doc);
      for (bool ok : {false, true}) {
        std::vector<Step> steps = k.before;
        steps.push_back([&k, ok](QWidget* d) {
          Fill(d, k.fields);
          ok ? Click(d, "ok") : static_cast<QDialog*>(d)->reject();
        });
        steps.insert(steps.end(), k.nested.begin(), k.nested.end());
        Dialogs dialogs(steps);
        p.window->Action(k.action)->trigger();
        QVERIFY2(dialogs.answered == steps.size(), k.action);
        const std::string now = k.state(doc);
        QVERIFY2(now == (ok ? k.afterOk : before), (std::string(k.action) + ": " + now).c_str());
      }
      p.window->mdi()->closeActiveSubWindow();
    }
  }

  // "쓰기 후 검증" is ticked at first: the program is read back and the help pane says so;
  // unticked, it is not read back.
  void outputsVerifyAfterWritingUnlessUnticked() {
    Program p;
    const std::string dir = p.dir.path().toStdString();
    const std::string in = dir + "/in.nc";
    std::ofstream(in) << "G00X0Y0Z5.\nG01X10.F100\nY10.\nG00Z20.\n";
    QCOMPARE(p.window->OpenFile(in), 1);
    const std::string passed = p.app->Msg().Text(Txt::VerifyPassed);
    const std::string said = passed.substr(0, passed.find('%'));
    for (bool tick : {true, false}) {
      p.platform->helpText.clear();
      bool shownTicked = false;
      Run(p, "saveNc",
          {ChooseFile(dir + (tick ? "/a.nc" : "/b.nc")), [&](QWidget* w) {
             shownTicked = Find<QCheckBox>(w, "verifyAfterWriting")->isChecked();
             Fill(w, {{"verifyAfterWriting", tick ? "1" : "0"}, {"openInEditor", "0"}});
             Click(w, "ok");
           }});
      QVERIFY(shownTicked);
      QCOMPARE(p.platform->helpText.rfind(said, 0) == 0, tick);
    }
  }

  // The save dialog shows the first lines of the start part the program gets, following the
  // "file start and end" box; the box is remembered per window and starts ticked for a
  // toolpath read from a program. The Heidenhain style goes to the writer and is remembered.
  void saveDialogShowsTheStartPartAndTheHeidenhainStyle() {
    Program p;
    const std::string dir = p.dir.path().toStdString();
    const std::string in = dir + "/in.nc";
    std::ofstream(in) << "%\n(SETUP 1/2)\nG21\nG54\nG90G00X0Y0\nS1000M03\nM08\nT1M06\n"
                         "G43Z50.H1\nG01Z0F100\nX10.\nY10.\nG00Z50.\nM30\n%\n";
    ToolpathView* fromFile = Open(p, in);
    // What the dialog shows as it opens: the box, the style list (its choice, and whether it
    // can be chosen), and the preview as opened, with the box flipped, and flipped back.
    auto save = [&p, &dir](const char* name, Fields fields) {
      QString shown;
      Run(p, "saveNc", {ChooseFile(dir + "/" + name), [&](QWidget* w) {
                          auto* box = Find<QCheckBox>(w, "fileStartEnd");
                          auto* preview = Find<QPlainTextEdit>(w, "startPartPreview");
                          auto* style = Find<QComboBox>(w, "heidenhainStyle");
                          const bool ticked = box->isChecked();
                          shown = QString("box %1 style %2%3")
                                      .arg(int(ticked))
                                      .arg(style->currentIndex())
                                      .arg(style->isEnabled() ? "" : " off");
                          for (bool tick : {!ticked, ticked}) {
                            shown += "|" + preview->toPlainText();
                            box->setChecked(tick);
                          }
                          shown += "|" + preview->toPlainText();
                          fields.push_back({"verifyAfterWriting", "0"});
                          fields.push_back({"openInEditor", "0"});
                          Fill(w, fields);
                          QCOMPARE(style->isEnabled(),
                                   Find<QCheckBox>(w, "heidenhain")->isChecked());
                          Click(w, "ok");
                        }});
      return shown.replace('\n', ' ');
    };
    const QString six = "% G21 G54 G90G00X0Y0 S1000M03 M08";
    QCOMPARE(save("a.nc", {{"heidenhain", "0"}}), "box 1 style 0 off|" + six + "||" + six);
    QCOMPARE(ReadAll(dir + "/a.nc").substr(0, 13), std::string("%\nG21\nG54\nG90"));

    // The written program is the source now; its start part is the one it took.
    QCOMPARE(save("b.nc", {{"fileStartEnd", "0"}, {"heidenhain", "1"}, {"heidenhainStyle", "1"}}),
             "box 1 style 0 off|" + six + "||" + six);
    QVERIFY(ReadAll(dir + "/b.nc").find(" FMAX") != std::string::npos);
    QCOMPARE(fromFile->doc().nc.heidenhainStyleChk, 1);

    // The same window opens on the unticked box and the TNC style.
    QVERIFY(save("c.nc", {{"heidenhain", "0"}}).startsWith("box 0 style 1||"));

    // A toolpath made in another window has no program behind it.
    TopView(p, "0 0 0 50, 1 10 0 0 100");
    const QString made = save("d.nc", {});
    QVERIFY2(made.startsWith("box 0 ") && made.endsWith("|||"), qPrintable(made));
  }

  // The toolpath information shows the machine time beside the cutting time, with the
  // limits of machine.par in the configuration folder as they are when it opens. After arc
  // fitting the described figures leave the arcs out: the dialog shows the arcs' length and
  // the cutting time with them beside those figures.
  void toolpathInformationShowsTheMachineTimeAndTheArcs() {
    Program p;
    const std::string dir = p.dir.path().toStdString();
    std::ofstream(dir + "/in.nc") << "G00X0Y0Z5.\nG01Z0F600\nX100.\nY100.\nG00Z105.\n";
    // A plunge of 5 mm and a half circle of radius 10 (31.416 mm) at 600 mm/min.
    std::ofstream(dir + "/arc.nc") << "G00X0Y0Z5.\nG01Z0F600\nG02X20.Y0I10.J0\nG00Z5.\n";
    QCOMPARE(p.window->OpenFile(dir + "/in.nc"), 1);
    std::map<QString, QString> shown;
    auto info = [&p, &shown] {
      Run(p, "toolpathInfo", {[&shown](QWidget* w) {
            for (const char* name :
                 {"arcLength", "cuttingTimeWithArcs", "machineTime", "rapidTime"})
              shown[name] = Find<QLineEdit>(w, name)->text();
            Click(w, "ok");
          }});
      return shown["machineTime"] + " " + shown["rapidTime"];
    };
    // 205 mm at 600 mm/min (0.342 min) and the rapid's 100 mm in 0.6 s on the defaults.
    QCOMPARE(info(), QString("0.35 0.01"));
    // A machine whose Z rapids at 1000 mm/min and accelerates at 10 mm/s^2: the rapid takes
    // 7.7 s, and the plunge never reaches its feed.
    std::ofstream(dir + "/config/machine.par") << "RapidZ 1000\nAccelZ 10\n";
    QCOMPARE(info(), QString("0.49 0.13"));
    std::filesystem::remove(dir + "/config/machine.par");
    QCOMPARE(p.window->OpenFile(dir + "/arc.nc"), 1);
    info();
    QCOMPARE(shown["arcLength"].toDouble(), 31.416);
    QVERIFY(shown["cuttingTimeWithArcs"].toDouble() >= 0.06);  // the arc alone takes 0.052 min
  }

  void dialogsReopenOnTheValuesOfTheirLastOk() {
    Program p;
    Open(p);
    auto copy = [&p](const char* source, bool ok) {
      int shown = -1;
      Run(p, "copyLayer", {[&](QWidget* w) {
            shown = Find<QSpinBox>(w, "source")->value();
            Fill(w, {{"source", source}, {"target", "5"}});
            Click(w, ok ? "ok" : "cancel");
          }});
      return shown;
    };
    QCOMPARE(copy("4", true), 0);
    QCOMPARE(copy("9", false), 4);
    QCOMPARE(copy("1", true), 4);
    QCOMPARE(copy("0", false), 1);
  }
};

QTEST_MAIN(EditCommandsTest)
#include "edit_commands_test.moc"
