// The NC program beside the view: a point shown in the view (the point picker's click and its
// steps, the click in select mode) scrolls the text pane to the block that made it, and the
// pane's cursor marks its block's move in the view.

#include "gui/source_pane.h"

#include <QDockWidget>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>
#include <fstream>

#include "gui/source_text_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// A zigzag along X, one move per line: the move to X=i stands on line 5 + i up to i = 100,
// a comment line follows, then on line 6 + i. Record i + 1 is the move to X=i.
std::string ZigzagProgram(const QTemporaryDir& dir) {
  const std::string path = dir.filePath("zigzag.nc").toStdString();
  std::ofstream out(path);
  out << "%\nO1000 (SOURCE PANE)\nG90 G17\nG00 X0 Y0 Z10\nG01 Z0 F500\n";
  for (int i = 1; i <= 300; ++i) {
    out << "X" << i << " Y" << (i % 2 ? 0 : 5) << "\n";
    if (i == 100) out << "(HALF WAY)\n";
  }
  out << "G00 Z10\nM30\n";
  return path;
}

std::size_t LineOfMove(int i) {
  return static_cast<std::size_t>(i <= 100 ? 5 + i : 6 + i);  // from 1
}

bool InSight(SourceTextView* t, std::size_t line) {
  return line >= t->FirstVisibleLine() && line < t->FirstVisibleLine() + t->VisibleLineCount();
}

void ClickAt(QWidget* w, QPoint at) {
  Press(w, at);
  Release(w, at);
}

}  // namespace

class SourcePaneTest : public QObject {
  Q_OBJECT
 private slots:
  void pickedPointsScrollThePaneAndThePaneMarksTheirMoves() {
    Program p;
    QAction* toggle = p.window->Action("sourcePane");
    QVERIFY(p.window->sourceDock()->isHidden());
    QVERIFY(!toggle->isEnabled());  // no document window yet
    const std::string path = ZigzagProgram(p.dir);
    QCOMPARE(p.window->OpenFile(path), 1);
    toggle->trigger();
    QVERIFY(!p.window->sourceDock()->isHidden());
    QVERIFY(toggle->isChecked());
    ToolpathView* v = p.window->ActiveView();
    SourcePane* pane = p.window->SourcePaneOf(v);
    QVERIFY(pane);
    SourceTextView* text = pane->text();
    QCOMPARE(text->lines().Count(), std::size_t(308));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc"));
    QTRY_VERIFY(v->width() > 100);
    v->Fit();
    QApplication::processEvents();

    // The point picker: a click on the move to X=200 scrolls its line into sight.
    std::optional<std::uint32_t> picked;
    v->PickPoint([&](std::optional<std::uint32_t> i) { picked = i; });
    CPointStore& s = v->doc().store;
    QVERIFY(s.FetchPoint(201));
    ClickAt(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(200) - 1));
    QVERIFY(InSight(text, LineOfMove(200) - 1));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc:%1").arg(LineOfMove(200)));
    // Its steps follow, back over the comment line too.
    Key(v, Qt::Key_Space);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(201) - 1));
    auto* picker = dynamic_cast<StepPicker*>(v->input());
    QVERIFY(picker);
    picker->Mark(102);  // the move to X=101, after the comment
    Key(v, Qt::Key_Backspace);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(100) - 1));
    Key(v, Qt::Key_Escape);
    QVERIFY(!picked);

    // The click in select mode, on the move to X=30 at the far end of the text.
    text->verticalScrollBar()->setValue(static_cast<int>(text->lines().Count()));
    v->doc().view.mouseMode = MouseMode::Select;
    QVERIFY(s.FetchPoint(31));
    ClickAt(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(30) - 1));
    QVERIFY(InSight(text, LineOfMove(30) - 1));

    // The pane's cursor: a click on the line of the move to X=32 marks that move in the view,
    // the arrow keys move the mark, a comment line clears it.
    const int h = text->fontMetrics().lineSpacing();
    const std::size_t line = LineOfMove(32) - 1;
    ClickAt(text->viewport(),
            QPoint(60, static_cast<int>(line - text->FirstVisibleLine()) * h + h / 2));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(line));
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(33));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(34));
    text->SetCurrentLine(LineOfMove(100) - 1);
    Key(text, Qt::Key_Down);
    QVERIFY(!v->sourceMark());
    QVERIFY(pane->info()->text().endsWith("This block makes no move"));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(102));
    // A change of the toolpath takes the mark away: its record may be another move now.
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QVERIFY(!v->sourceMark());

    // A point that an edit made has no block; the pane says so and shows none.
    s.reg.type = MOVE_LINE_CONT, s.reg.x = 400, s.reg.y = 0, s.reg.z = 0;
    s.StorePoint(s.count++);
    v->ShowPointStatus(s.count - 1);
    QVERIFY(!text->currentLine());
    QCOMPARE(pane->info()->text(), QString("No source line: made by an edit"));
    QVERIFY(!v->sourceMark());

    toggle->trigger();
    QVERIFY(p.window->sourceDock()->isHidden());
    QVERIFY(!toggle->isChecked());
    // The window closes with the dock shown.
    toggle->trigger();
    QVERIFY(toggle->isChecked());
  }
};

QTEST_MAIN(SourcePaneTest)
#include "source_pane_test.moc"
