// The filter menu from its items: the filters' tolerance dialog, the subdivision dialog with
// its scopes (the point picker for "1 Point"), and "Arc Convert" both ways. Cancel changes
// nothing, OK runs the command, and each dialog reopens on its last OK.

#include <QLineEdit>
#include <QtTest>
#include <cmath>

#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// A straight cut of three points, then a quarter circle of radius 10 in points 3 degrees
// apart (three decimals, as programs hold them).
ToolpathView* LineAndQuarter(Program& p) {
  ToolpathView* v = p.window->NewDocument();
  v->resize(400, 300);
  CPointStore& s = v->doc().store;
  auto put = [&s](int type, double x, double y) {
    s.reg.type = type;
    s.reg.x = std::nearbyint(x * 1000) / 1000;
    s.reg.y = std::nearbyint(y * 1000) / 1000;
    s.reg.z = type == MOVE_RAPID ? 0.5 : 0;
    s.reg.feed = 500, s.reg.mark = 0;
    s.StorePoint(s.count++);
  };
  put(MOVE_RAPID, 0, 0);
  put(MOVE_LINE, 0, 0);
  put(MOVE_LINE_CONT, 1, 0);
  put(MOVE_LINE_CONT, 2, 0);
  for (int j = 1; j <= 30; ++j) {
    const double a = (90.0 - 3 * j) * M_PI / 180;
    put(MOVE_LINE_CONT, 2 + 10 * std::cos(a), -10 + 10 * std::sin(a));
  }
  v->doc().view.SetDirection(1);
  return v;
}

Step Fill(std::vector<std::pair<const char*, const char*>> fields, bool ok = true,
          QString* shown = nullptr, const char* read = nullptr) {
  return [=](QWidget* d) {
    if (shown) *shown = Find<QLineEdit>(d, read)->text();
    for (const auto& [name, value] : fields) {
      QWidget* w = Find<QWidget>(d, name);
      if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(value);
      else
        qobject_cast<QAbstractButton*>(w)->setChecked(QString(value) == "1");
    }
    ok ? Click(d, "ok") : static_cast<QDialog*>(d)->reject();
  };
}

int Arcs(const CPointStore& s) {
  int n = 0;
  for (std::uint32_t i = 0; i < s.count; ++i) n += IsArcType(s.RawRecord(i)->type);
  return n;
}

}  // namespace

class FilterCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void filterMenuCommandsRunFromTheirDialogs() {
    Program p;
    ToolpathView* v = LineAndQuarter(p);
    CPointStore& s = v->doc().store;
    auto run = [&p](const char* action, std::vector<Step> steps) {
      const std::size_t n = steps.size();
      Dialogs d(std::move(steps));
      p.window->Action(action)->trigger();
      QCOMPARE(d.answered, n);
    };
    const std::uint32_t all = s.count;

    // The linear filter: Cancel keeps everything; 0.002 takes the middle of the line out and
    // is what the dialog shows next time.
    run("linearFilter", {Fill({{"tolerance", "0.002"}}, false)});
    QCOMPARE(s.count, all);
    run("linearFilter", {Fill({{"tolerance", "0.002"}})});
    QCOMPARE(s.count, all - 1);
    QString shown;
    run("linearFilter", {Fill({}, false, &shown, "tolerance")});
    QCOMPARE(shown, QString("0.002"));

    // Lines to arcs, then arcs back to lines.
    run("arcConvert", {Fill({{"toArcs", "1"}, {"tolerance", "0.01"}, {"xy", "1"}})});
    QCOMPARE(Arcs(s), 1);
    const std::uint32_t fitted = s.count;
    run("arcFilter", {Fill({{"tolerance", "0.001"}})});  // a quarter circle is no flat arc
    QCOMPARE(s.count, fitted);
    run("arcConvert", {Fill({{"toLines", "1"}}, true, &shown, "tolerance")});
    QCOMPARE(shown, QString("0.01"));
    QCOMPARE(Arcs(s), 0);
    QVERIFY(s.count > fitted);

    // Subdivision of everything; "1 Point" waits for the picker, Escape leaves it.
    const std::uint32_t lines = s.count;
    run("subdivide", {Fill({{"all", "1"}, {"step", "0.5"}})});
    QVERIFY(s.count > lines);
    const std::uint32_t split = s.count;
    run("subdivide", {Fill({{"onePoint", "1"}, {"step", "0.1"}})});
    QVERIFY(dynamic_cast<PointPicker*>(v->input()) != nullptr);
    Key(v, Qt::Key_Escape);
    QVERIFY(v->input() == nullptr);
    QCOMPARE(s.count, split);
  }
};

QTEST_MAIN(FilterCommandsTest)
#include "filter_commands_test.moc"
