// The feed changes of the desktop: the window feed asks for region after region until its
// question ends it, the dialogs keep their values, and the feed colours switch on and off.

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QtTest>

#include "gui/command_registry.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// One cut from x = -100 to x = 100 along y = 0.
ToolpathView* OneCut(Program& p) {
  ToolpathView* v = TopView(p, "1 -100 0 10, 3 -100 0 0 1000, 4 100 0 0 1000", false);
  v->doc().view.haveLastOperation = false;
  return v;
}

int FeedOf(ToolpathView* v, std::uint32_t i) {
  return v->doc().store.RawRecord(i)->feed;
}

}  // namespace

class FeedCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void windowFeedTakesRegionsUntilTheQuestionEndsIt() {
    Program p;
    ToolpathView* v = OneCut(p);
    {
      Dialogs d({[](QWidget* w) {
        Find<QLineEdit>(w, "value")->setText("250");
        Click(w, "ok");
      }});
      p.window->Action("windowMaxFeed")->trigger();
    }
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));
    // A window over the right half: the cut is split where it enters, and only its inside
    // part is slowed.
    Press(v, QPoint(200, 10));
    DragTo(v, QPoint(390, 290));
    Release(v, QPoint(390, 290));
    QCOMPARE(v->doc().store.count, 4u);
    QCOMPARE(FeedOf(v, 2), 1000);
    QCOMPARE(FeedOf(v, 3), 250);
    QApplication::processEvents();
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));  // the next region
    // Escape asks; Cancel goes on with another region, OK ends the command.
    p.platform->answers = {Answer::Cancel, Answer::Ok};
    Key(v, Qt::Key_Escape);
    QApplication::processEvents();
    QCOMPARE(QString::fromStdString(p.platform->lastMessage), QString("Do you want feed chagne?"));
    QCOMPARE(QString::fromStdString(p.platform->lastCaption), QString("Error message"));
    QVERIFY(dynamic_cast<WindowInput*>(v->input()));
    Key(v, Qt::Key_Escape);
    QApplication::processEvents();
    QVERIFY(v->input() == nullptr);
    QCOMPARE(p.platform->messageCount, 2);
    // The value dialog opens on the last value; undo brings the uncut move back.
    QString shown;
    {
      Dialogs d({[&](QWidget* w) {
        shown = Find<QLineEdit>(w, "value")->text();
        Cancel()(w);
      }});
      p.window->Action("windowMaxFeed")->trigger();
    }
    QCOMPARE(shown, QString("250"));
    QVERIFY(v->input() == nullptr);
    p.window->Action("undo")->trigger();
    QCOMPARE(v->doc().store.count, 3u);
    QCOMPARE(FeedOf(v, 2), 1000);
  }

  void machineDialogKeepsItsChoices() {
    Program p;
    ToolpathView* v = OneCut(p);
    QString weightShown;
    {
      Dialogs d({[&](QWidget* w) {
        Find<QComboBox>(w, "machine")->setCurrentText("Machine0");
        Find<QComboBox>(w, "transferRate")->setCurrentText("2400");
        Find<QSlider>(w, "weight")->setValue(100);
        weightShown = Find<QLabel>(w, "weightLabel")->text();
        Click(w, "ok");
      }});
      p.window->Action("machineFeed")->trigger();
    }
    QCOMPARE(weightShown, QString("<< CNC 가중치(50) >>"));
    QCOMPARE(FeedOf(v, 2), 1000);  // already at the maximum feed, one long move
    QString machine, rate;
    int weight = 0;
    {
      Dialogs d({[&](QWidget* w) {
        machine = Find<QComboBox>(w, "machine")->currentText();
        rate = Find<QComboBox>(w, "transferRate")->currentText();
        weight = Find<QSlider>(w, "weight")->value();
        Cancel()(w);
      }});
      p.window->Action("machineFeed")->trigger();
    }
    QCOMPARE(machine, QString("Machine0"));
    QCOMPARE(rate, QString("2400"));
    QCOMPARE(weight, 100);
  }

  void feedColoursSwitchOnAndOff() {
    Program p;
    ToolpathView* v = OneCut(p);
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
};

QTEST_MAIN(FeedCommandsTest)
#include "feed_commands_test.moc"
