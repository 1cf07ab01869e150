// The point offset from the menu: the vector dialog comes first and keeps its values per
// document window; the box dialog then gives the region, and Cancel anywhere changes nothing.

#include <QtTest>

#include "gui/toolpath_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

class OffsetCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void vectorFirstThenTheBoxAndTheVectorStaysWithItsWindow() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* first = p.window->ActiveView();
    CDocument& doc = first->doc();
    const double lowest = doc.store.stats.cuttingMin[2];
    // Asks the vector (seen: what it opened on), then the box; a step may cancel instead.
    auto offsetBox = [&p](const char* dz, bool okVector, bool okBox) {
      QString seen;
      Dialogs d({[&](QWidget* w) {
                   seen = Find<QLineEdit>(w, "value2")->text();
                   Find<QLineEdit>(w, "value2")->setText(dz);
                   Click(w, okVector ? "ok" : "cancel");
                 },
                 [&](QWidget* w) {
                   for (const char* f : {"value0", "value1"})
                     Find<QLineEdit>(w, f)->setText("-9999");
                   for (const char* f : {"value2", "value3"})
                     Find<QLineEdit>(w, f)->setText("9999");
                   Click(w, okBox ? "ok" : "cancel");
                 }});
      p.window->Action("offsetBox")->trigger();
      return seen;
    };
    QCOMPARE(offsetBox("-2", true, false), QString("5"));  // the box cancelled: no change
    QCOMPARE(doc.store.stats.cuttingMin[2], lowest);
    QCOMPARE(offsetBox("-3", false, true), QString("-2"));  // the vector's OK is kept
    QCOMPARE(offsetBox("-3", true, true), QString("-2"));   // the vector cancelled: kept as was
    QCOMPARE(doc.store.stats.cuttingMin[2], lowest - 3);
    QCOMPARE(offsetBox("0", false, false), QString("-3"));
    // Another window starts from the first values.
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    QVERIFY(p.window->ActiveView() != first);
    QCOMPARE(offsetBox("0", false, false), QString("5"));
  }
};

QTEST_MAIN(OffsetCommandsTest)
#include "offset_commands_test.moc"
