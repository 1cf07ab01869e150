// Every command dialog, from its menu item: Cancel leaves the document and the settings as
// they were, OK applies what was typed (numbers only inside the ranges the core declares), and
// a dialog reopens on the values of its last OK.

#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>
#include <filesystem>
#include <map>

#include "feed/feed_control.h"
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

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT
 private slots:
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

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
