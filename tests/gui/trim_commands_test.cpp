// The trim menu: a window trim driven by the mouse and repeated until Escape, and the box
// dialogs, each with the values last confirmed in that same command.

#include <QLineEdit>
#include <QtTest>

#include "gui/toolpath_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// A straight cut along y = 0 from x = -100 to 100.
ToolpathView* StraightCut(Program& p) {
  ToolpathView* v = TopView(p, "1 -100 0 10 500, 3 -100 0 0 500, 4 100 0 0 500", false);
  v->doc().retractHeight = 10;
  return v;
}

// The x of the cut points, in order (a plunge is a rapid: the cut after it starts below it).
QList<double> CutXs(CPointStore& s) {
  QList<double> xs;
  for (std::uint32_t i = 0; i < s.count; ++i)
    if (IsLinearType(s.RawRecord(i)->type)) xs << s.RawRecord(i)->x;
  return xs;
}

}  // namespace

class TrimCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void insideWindowTrimsEachWindowUntilEscape() {
    Program p;
    ToolpathView* v = StraightCut(p);
    p.window->Action("trimWindowIn")->trigger();
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));
    Press(v, QPoint(180, 140));
    DragTo(v, QPoint(220, 160));
    Release(v, QPoint(220, 160));
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));
    // The next window is asked for at once; Escape ends the command.
    QCoreApplication::processEvents();
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));
    Press(v, QPoint(240, 140));
    Release(v, QPoint(260, 160));
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 40, 100}));
    QCoreApplication::processEvents();
    Key(v, Qt::Key_Escape);
    QVERIFY(v->input() == nullptr);
    // Each window was one undo step.
    p.window->Action("undo")->trigger();
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));
  }

  void boxDialogsKeepTheirOwnValues() {
    Program p;
    ToolpathView* v = StraightCut(p);
    auto fill = [](QWidget* d) {
      const char* values[] = {"-20", "-10", "20", "10"};
      for (int k = 0; k < 4; ++k)
        Find<QLineEdit>(d, qPrintable(QString("value%1").arg(k)))->setText(values[k]);
      Click(d, "ok");
    };
    {
      Dialogs dialogs({fill});
      p.window->Action("trimBoxIn")->trigger();
      QCOMPARE(dialogs.answered, std::size_t{1});
    }
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));
    // The inside trim opens with what it took; the outside trim with its own first values.
    QString in, out;
    auto read = [](QString& into) {
      return [&into](QWidget* d) {
        into = Find<QLineEdit>(d, "value0")->text();
        static_cast<QDialog*>(d)->reject();
      };
    };
    {
      Dialogs dialogs({read(in)});
      p.window->Action("trimBoxIn")->trigger();
    }
    {
      Dialogs dialogs({read(out)});
      p.window->Action("trimBoxOut")->trigger();
    }
    QCOMPARE(in.toDouble(), -20.0);
    QCOMPARE(out.toDouble(), -50.0);
    QCOMPARE(CutXs(v->doc().store), (QList<double>{-100, -20, 100}));  // Cancel: no change
  }
};

QTEST_MAIN(TrimCommandsTest)
#include "trim_commands_test.moc"
