// The Qt platform layer: Escape polling with the busy indication, and input dropped during a
// long operation.

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
};

QTEST_MAIN(QtPlatformTest)
#include "qt_platform_test.moc"
