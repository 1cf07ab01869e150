// The Qt platform layer: Escape polling with the busy indication, input dropped during a
// long operation, scripted message boxes and value prompts.

#include <QKeyEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>

#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

class QtPlatformTest : public QObject {
  Q_OBJECT
 private slots:
  void escapeIsSeenAndOtherInputDroppedDuringAnOperation() {
    Program p;
    ToolpathView* v = p.window->NewDocument();
    QtPlatform& platform = *p.platform;
    QVERIFY(!platform.EscapePressed());  // the first poll starts the operation
    auto* busy = p.window->statusBar()->findChild<QProgressBar*>();
    QVERIFY(busy && busy->isVisibleTo(p.window.get()));
    // A key that arrives while the operation runs never reaches the view.
    const int az = v->doc().view.az;
    QCoreApplication::postEvent(v, new QKeyEvent(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier));
    QCoreApplication::postEvent(v, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QVERIFY(platform.EscapePressed());
    QVERIFY(!platform.EscapePressed());  // each press is reported once
    QCOMPARE(v->doc().view.az, az);
    // Once the polls stop, the indication goes away and input flows again.
    QTRY_VERIFY_WITH_TIMEOUT(!busy->isVisibleTo(p.window.get()), 3000);
  }

  void scriptedMessagesAndValues() {
    Program p;
    p.platform->answers.push_back(Answer::Ok);
    QCOMPARE(p.app->Ask(Txt::ConfirmStop, Txt::KorvoMessage), Answer::Ok);
    QCOMPARE(p.app->Ask(Txt::ConfirmStop, Txt::KorvoMessage), Answer::Cancel);
    QCOMPARE(p.platform->lastCaption, std::string("Korvo message"));
    QCOMPARE(p.platform->messageCount, 2);
    p.platform->values = {"12.5", ""};
    QCOMPARE(p.platform->AskValue("c", "X Code", "0").value_or("none"), std::string("12.5"));
    QVERIFY(!p.platform->AskValue("c", "X Code", "0"));
    p.platform->SetHelpText("Help: Processing");
    QCOMPARE(p.window->PaneText(0), QString("Help: Processing"));
  }
};

QTEST_MAIN(QtPlatformTest)
#include "qt_platform_test.moc"
