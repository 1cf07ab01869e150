// The path order commands from their menu items: the start points clicked in the view, one
// path reversed by the path picker, the reverse dialog (which reopens on its last OK) and the
// move dialog.

#include <QCheckBox>
#include <QtTest>

#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// Two cuts along X: path 1 from x = -100 to -50, path 2 from 50 to 100.
ToolpathView* TwoPaths(Program& p) {
  ToolpathView* v = TopView(p,
                            "1 -100 0 0 500, 3 -50 0 0 500, 1 -50 0 10 500, 2 50 0 10 500, "
                            "2 50 0 0 500, 3 100 0 0 500");
  v->doc().retractHeight = 10;
  return v;
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

void ClickAt(QWidget* v, QPoint at) {
  Press(v, at);
  Release(v, at);
}

}  // namespace

class PathOrderCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void startPointsAreClickedAndRunWithEnter() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 50>100 "));
    p.window->Action("startOpen")->trigger();
    QVERIFY(v->input() != nullptr);
    // Beside the start of path 1 and beside the end of path 2.
    ClickAt(v, QPoint(99, 151));
    ClickAt(v, QPoint(301, 149));
    Key(v, Qt::Key_Return);
    QVERIFY(v->input() == nullptr);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));
    // Escape gives up without a change.
    p.window->Action("startBoth")->trigger();
    ClickAt(v, QPoint(101, 150));
    Key(v, Qt::Key_Escape);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));
  }

  void onePickedPathIsReversedInItsPlace() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    p.window->Action("reverseOne")->trigger();
    ClickAt(v, QPoint(101, 150));  // at the start of path 1
    Key(v, Qt::Key_Return);
    QCOMPARE(Cuts(v->doc().store), std::string("-50>-100 50>100 "));
  }

  void theReverseDialogReopensOnItsLastOk() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    {
      Dialogs d({[](QWidget* w) {
        Find<QCheckBox>(w, "direction")->setChecked(false);
        Find<QCheckBox>(w, "twoWay")->setChecked(true);
        Click(w, "ok");
      }});
      p.window->Action("reverse")->trigger();
      QCOMPARE(d.answered, std::size_t{1});
    }
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));
    bool twoWay = false, direction = true;
    {
      Dialogs d({[&](QWidget* w) {
        twoWay = Find<QCheckBox>(w, "twoWay")->isChecked();
        direction = Find<QCheckBox>(w, "direction")->isChecked();
        Click(w, "cancel");
      }});
      p.window->Action("reverse")->trigger();
    }
    QVERIFY(twoWay && !direction);
    QCOMPARE(Cuts(v->doc().store), std::string("-100>-50 100>50 "));
  }

  void theMoveDialogMovesThePaths() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    Dialogs d({[](QWidget* w) {
      Find<QLineEdit>(w, "dx")->setText("5");
      Click(w, "ok");
    }});
    p.window->Action("moveCopy")->trigger();
    QCOMPARE(Cuts(v->doc().store), std::string("-95>-45 55>105 "));
  }
};

QTEST_MAIN(PathOrderCommandsTest)
#include "path_order_commands_test.moc"
