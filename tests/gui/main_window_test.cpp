// The frame: start-up, opening programs, titles, the status panes, the NC settings dialog.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "gui/point_search.h"
#include "gui_test_support.h"
#include "ncio/nc_settings.h"
#include "view/status_line.h"

using namespace trevalon;
using namespace trevalon::guitest;

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void frameStartsWithMenusToolbarsAndStatusLine() {
    Program p;
    QCOMPARE(p.window->windowTitle(), QString("TREVALON"));
    const auto menus = p.window->menuBar()->actions();
    QCOMPARE(menus.size(), 8);
    // Every command is in its place; unbuilt ones are there and disabled.
    QVERIFY(p.window->Action("load")->isEnabled());
    QCOMPARE(p.window->Action("load")->text(), QString::fromUtf8("Ncdata 불러오기(&N)...\tCtrl+N"));
    QCOMPARE(p.window->Action("load")->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(p.window->Action("load")->statusTip(),
             QString("Read an NC program into the work layer"));
    QVERIFY(p.window->Action("trimWindowIn") != nullptr);
    QVERIFY(!p.window->Action("trimWindowIn")->isEnabled());
    QCOMPARE(p.window->Action("trimWindowIn")->shortcut(), QKeySequence("Ctrl+W"));
    QCOMPARE(p.window->layerList()->count(), 100);
    QCOMPARE(p.window->layerList()->itemText(7), QString("Layer   7"));
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
    // No document yet: the view commands wait for one.
    QVERIFY(!p.window->Action("fit")->isEnabled());
    ToolpathView* v = p.window->NewDocument();
    QVERIFY(v);
    QVERIFY(p.window->Action("fit")->isEnabled());
    QCOMPARE(v->windowTitle(), QString("Layer 0"));
  }

  void programOpensFromTheCommandLineAndTheTitleFollowsIt() {
    Program p;
    const std::string file = TestFile("pocket_ijk.nc");
    QCOMPARE(p.window->OpenFile(file), 1);
    ToolpathView* v = p.window->ActiveView();
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QString::fromStdString(file));
    QCOMPARE(p.window->mdi()->activeSubWindow()->windowTitle(), QString::fromStdString(file));
    QVERIFY(v->doc().store.count > 5);
    QCOMPARE(p.window->recentFiles().size(), std::size_t(1));
    // The view was fitted to the program: every end point of a cut is inside the window (arcs
    // may bulge beyond their end points, rapids are not counted while they are hidden, and the
    // centre is kept in whole model units, so the picture may sit up to one unit off).
    const int slack = static_cast<int>(v->doc().view.scale) + 1;
    CPointStore& s = v->doc().store;
    for (std::uint32_t i = 0; i < s.count; ++i) {
      if (!s.FetchPoint(i) || !IsLinearType(s.reg.type)) continue;
      const QPoint c = v->ClientOf(s.reg.x, s.reg.y, s.reg.z);
      QVERIFY(c.x() >= -slack && c.x() <= v->width() + slack);
      QVERIFY(c.y() >= -slack && c.y() <= v->height() + slack);
    }
    // A missing file is the file error and leaves the document as it was.
    const std::uint32_t before = s.count;
    QCOMPARE(p.window->ReadInto(v, "/no/such/file.nc", false), 0);
    QCOMPARE(QString::fromStdString(p.platform->lastCaption), QString("Error message"));
    QCOMPARE(s.count, before);
    QCOMPARE(v->windowTitle(), QString::fromStdString(file));
  }

  void loadCommandReplacesAndAppendKeepsTheTitle() {
    Program p;
    ToolpathView* v = p.window->NewDocument();
    const std::string first = TestFile("face_mill.nc"), second = TestFile("pocket_ijk.nc");
    p.window->LoadCommand(false, first);
    QCOMPARE(v->windowTitle(), QString::fromStdString(first));
    const std::uint32_t firstCount = v->doc().store.count;
    QVERIFY(firstCount > 0);
    p.window->LoadCommand(false, second);
    QCOMPARE(v->windowTitle(), QString::fromStdString(second));
    const std::uint32_t secondCount = v->doc().store.count;
    p.window->LoadCommand(true, first);
    QCOMPARE(v->windowTitle(), QString::fromStdString(second));
    QCOMPARE(v->doc().store.count, secondCount + firstCount);
    // Undo returns to the program before the last load.
    p.window->Action("undo")->trigger();
    QCOMPARE(v->doc().store.count, firstCount);
  }

  void statusPanesShowThePickedPoint() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    v->SetDirection(1);
    v->Fit();
    CPointStore& s = v->doc().store;
    // The first arc end point of the program.
    std::uint32_t arc = 0;
    for (std::uint32_t i = 0; i < s.count; ++i)
      if (s.FetchPoint(i) && IsArcType(s.reg.type)) {
        arc = i;
        break;
      }
    QVERIFY(arc > 0);
    s.FetchPoint(arc);
    const double x = s.reg.x, y = s.reg.y, z = s.reg.z;
    const QPoint at = v->ClientOf(x, y, z);
    Press(v, at);
    Release(v, at + QPoint(3, 2));  // within 10 pixels: a click
    QCOMPARE(p.window->PaneText(7).toStdString(), PickedPointText(x, y, z, Language::English));
    QCOMPARE(p.window->PaneText(1), QString("G03"));
    QCOMPARE(p.window->PaneText(2).toStdString(), "X:" + QString::number(x, 'f', 3).toStdString());
    QCOMPARE(p.window->PaneText(5), QString("R:10.000"));
    QCOMPARE(p.window->PaneText(6), QString("F: 800"));
    // Moving the mouse shows its model position (once the quiet time after the load is over) in the
    // top view and empties the point panes.
    v->doc().view.haveLastOperation = false;
    Hover(v, QPoint(v->width() / 2, v->height() / 2));
    QCOMPARE(p.window->PaneText(1), QString());
    QVERIFY(p.window->PaneText(2).startsWith("X:"));
    QCOMPARE(p.window->PaneText(6), QString());
  }

  void ncSettingsDialogRoundTripsKorvoPar() {
    Program p;
    std::ofstream(p.ConfigFile("korvo.par")) << "heidenhaininputchk 1\nIntNcdataFlg 1\n";
    ToolpathView* v = p.window->NewDocument();
    QCOMPARE(v->doc().nc.heidenhainInputChk, 1);
    QCOMPARE(v->doc().nc.intNcdataFlg, 1);
    bool seen = false;
    OnModal([&](QWidget* d) {
      auto* hin = d->findChild<QCheckBox*>("HeidenhainInputChk");
      auto* hout = d->findChild<QCheckBox*>("HeidenhainOutChk");
      auto* integer = d->findChild<QCheckBox*>("IntNcdataFlg");
      seen =
          hin && hin->isChecked() && integer && integer->isChecked() && hout && !hout->isChecked();
      hin->setChecked(false);
      hout->setChecked(true);
      d->findChild<QAbstractButton*>("save")->click();
    });
    p.window->Action("ncSettings")->trigger();
    QVERIFY(seen);
    QCOMPARE(ReadAll(p.ConfigFile("korvo.par")),
             std::string("IntNcdataFlg 1 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \n"
                         "HeidenhainOutChk 1 \n"));
    QCOMPARE(v->doc().nc.heidenhainOutChk, 1);
    // OK changes only this document; a new one starts from the file.
    OnModal([](QWidget* d) {
      d->findChild<QCheckBox*>("ArcToCutInputChk")->setChecked(true);
      d->findChild<QAbstractButton*>("ok")->click();
    });
    p.window->Action("ncSettings")->trigger();
    QCOMPARE(v->doc().nc.arcToCutInputChk, 1);
    ToolpathView* w = p.window->NewDocument();
    QCOMPARE(w->doc().nc.arcToCutInputChk, 0);
    QCOMPARE(w->doc().nc.heidenhainOutChk, 1);
  }

  void layerListSwitchesTheWorkLayerAndTheTitle() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    const std::uint32_t count = v->doc().store.count;
    p.window->layerList()->activated(3);
    QCOMPARE(v->doc().layers.workLayer, 3);
    QCOMPARE(v->doc().store.count, 0u);
    QCOMPARE(v->windowTitle(), QString("Layer 3"));
    p.window->layerList()->activated(0);
    QCOMPARE(v->doc().store.count, count);
    QCOMPARE(v->windowTitle(), QString::fromStdString(TestFile("pocket_ijk.nc")));
  }

  void layerDialogsCancelWithoutChangeAndColoursSave() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    const std::uint32_t count = v->doc().store.count;
    // Every dialog of the layers and the view opens and Cancel leaves everything as it was.
    for (const char* name : {"workLayer", "echoLayers", "copyLayer", "layerInfo", "toolpathInfo",
                             "workEnvironment", "layerColours", "rotationCentreInput"}) {
      bool opened = false;
      OnModal([&](QWidget* d) {
        opened = true;
        static_cast<QDialog*>(d)->reject();
      });
      p.window->Action(name)->trigger();
      QVERIFY2(opened, name);
      QCOMPARE(v->doc().store.count, count);
      QCOMPARE(v->doc().layers.workLayer, 0);
    }
    QCOMPARE(v->doc().store.stats.maxFeed, 800);  // the information command measured
    // Layer OFF "0-99" clears every echo box when its field loses the focus.
    OnModal([](QWidget* d) {
      auto* off = d->findChild<QLineEdit*>("layerOff");
      off->setText("stale");
      QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
      QApplication::sendEvent(off, &in);  // a field is emptied when it gets the focus
      if (!off->text().isEmpty()) return;
      off->setText("0-99");
      QApplication::sendEvent(off, &out);
      d->findChild<QAbstractButton*>("ok")->click();
    });
    p.window->Action("echoLayers")->trigger();
    QVERIFY(!v->doc().layers[5].echo);
    // The colour dialog's save writes color.par and takes the colours into the view.
    OnModal([](QWidget* d) {
      d->findChild<QComboBox*>("colour0")->setCurrentIndex(6);
      d->findChild<QAbstractButton*>("save")->click();
      static_cast<QDialog*>(d)->reject();
    });
    p.window->Action("layerColours")->trigger();
    QCOMPARE(v->doc().colours.index[0], 6);
    QCOMPARE(ReadAll(p.ConfigFile("color.par")).substr(0, 9), std::string("6 \n1 \n2 \n"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
