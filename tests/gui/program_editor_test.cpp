// The program pane as an editor: typing into a line moves the toolpath, undo brings back text
// and toolpath together, find and replace, go to line, renumbering, the lines the editor's keys
// split and join, the bar after a command changed the toolpath, and the unsaved question.

#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>
#include <fstream>

#include "gui/source_pane.h"
#include "gui/source_text_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

const char* kProgram =
    "%\n"
    "O1000\n"
    "N10 G90 G00 X0 Y0 Z5\n"
    "N20 G01 Z-1 F200\n"
    "N30 X10 Y0 F500\n"
    "N40 X10 Y10\n"
    "N50 X0 Y10\n"
    "N60 G00 Z5\n"
    "M30\n"
    "%\n";

// The feed of the move ending at (x, y); -1 without one.
int FeedAt(CPointStore& s, double x, double y) {
  for (std::uint32_t i = 0; i < s.count; ++i)
    if (s.FetchPoint(i) && IsMotionType(s.reg.type) && s.reg.x == x && s.reg.y == y)
      return s.reg.feed;
  return -1;
}
bool HasMove(CPointStore& s, double x, double y) {
  return FeedAt(s, x, y) >= 0;
}

std::string Line(const CDocument& doc, std::size_t line) {  // from 1
  return std::string(doc.text.lines.Line(doc.text.text, line - 1));
}

// A program opened with the pane editing it.
struct Editing {
  Program p;
  std::string path;
  ToolpathView* v = nullptr;
  SourcePane* pane = nullptr;
  SourceTextView* text = nullptr;
  QLineEdit* editor = nullptr;

  explicit Editing(const char* program = kProgram) {
    path = p.dir.filePath("part.nc").toStdString();
    std::ofstream(path, std::ios::binary) << program;
    v = Open(p, path);
    p.window->Action("programEdit")->trigger();
    pane = p.window->SourcePaneOf(v);
    text = pane->text();
    editor = text->lineEditor();
  }
  CDocument& doc() { return v->doc(); }
  // Line `line` (from 1) becomes `typed`, typed as the user does; then the pause applies it.
  void Type(std::size_t line, const QString& typed) {
    text->SetCurrentLine(line - 1);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
  }
};

}  // namespace

class ProgramEditorTest : public QObject {
  Q_OBJECT
 private slots:
  void editingShowsTheDockAndTheLineEditor() {
    Editing e;
    // The dock shown, the pane editing, its item ticked, the line editor shown, the text held.
    auto state = [&e] {
      return Bits({!e.p.window->sourceDock()->isHidden(), e.pane->editing(),
                   e.p.window->Action("programEdit")->isChecked(), e.editor->isVisible(),
                   e.doc().text.open && e.text->holdsOther()});
    };
    QCOMPARE(state(), QString("11111"));
    QCOMPARE(e.editor->text(), QString("%"));
    // Off again: the editor goes, the text stays held.
    e.p.window->Action("programEdit")->trigger();
    QCOMPARE(state(), QString("10001"));
  }

  void typingMovesTheToolpathAndUndoBringsBothBack() {
    Editing e;
    CPointStore& s = e.doc().store;
    QVERIFY(HasMove(s, 10, 0));
    QVERIFY(!e.v->windowTitle().endsWith('*'));
    e.Type(5, "N30 X20 Y0 F500");
    // Nothing is read while typing goes on; the pause applies the line.
    QVERIFY(e.text->EditPending());
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500"));
    QTRY_VERIFY(!e.text->EditPending());
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X20 Y0 F500"));
    // The moves to (20, 0) and (10, 0), the title's mark, the text unsaved.
    QCOMPARE(Bits({HasMove(s, 20, 0), HasMove(s, 10, 0), e.v->windowTitle().endsWith('*'),
                   e.doc().text.Unsaved()}),
             QString("1011"));
    // The moves the change made are highlighted for a moment.
    QVERIFY(e.v->markedPath);
    QTRY_VERIFY_WITH_TIMEOUT(!e.v->markedPath, 3000);
    // Undo: text and toolpath together, and the line editor shows the line as it was.
    e.p.window->Action("undo")->trigger();
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500"));
    QCOMPARE(Bits({HasMove(s, 20, 0), HasMove(s, 10, 0), e.doc().text.Unsaved()}), QString("010"));
    QCOMPARE(e.editor->text(), QString("N30 X10 Y0 F500"));
    e.p.window->Action("redo")->trigger();
    QVERIFY(HasMove(s, 20, 0));
    QCOMPARE(e.editor->text(), QString("N30 X20 Y0 F500"));
  }

  void aCommandAppliesTheLineBeingTypedFirst() {
    Editing e;
    e.Type(5, "N30 X30 Y0 F500");
    QVERIFY(e.text->EditPending());
    // Undo right away: the typed line became a step of its own first, and that step goes.
    e.p.window->Action("undo")->trigger();
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500"));
    QVERIFY(HasMove(e.doc().store, 10, 0));
    QVERIFY(!e.text->EditPending());
  }

  void theUndoListDropsTheLineBeingTyped() {
    Editing e;
    e.Type(5, "N30 X20 Y0 F500");
    e.pane->ApplyPending();
    e.Type(6, "N40 X10 Y30");
    e.p.window->RebuildUndoMenu();
    e.p.window->undoMenu()->actions().front()->trigger();
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500"));
    QCOMPARE(Line(e.doc(), 6), std::string("N40 X10 Y10"));
    QCOMPARE(e.editor->text(), QString("N40 X10 Y10"));
    QVERIFY(!HasMove(e.doc().store, 10, 30));
  }

  // Ctrl+Z stays in the line while it has typing of its own, then gives way to the document.
  void undoKeyBelongsToTheLineUntilItHasNoSteps() {
    Editing e;
    e.text->SetCurrentLine(4);
    const auto overridden = [&] {
      QKeyEvent k(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
      k.ignore();
      QApplication::sendEvent(e.editor, &k);
      return k.isAccepted();
    };
    QVERIFY(!overridden());  // nothing typed: the window's undo runs
    QTest::keyClicks(e.editor, "7");
    QVERIFY(overridden());
  }

  void returnSplitsAndBackspaceJoins() {
    Editing e;
    const std::size_t lines = e.doc().text.lines.Count();
    const std::size_t steps = e.doc().undo.UndoNames().size();
    e.text->SetCurrentLine(4);  // "N30 X10 Y0 F500"
    e.editor->setCursorPosition(7);
    Key(e.editor, Qt::Key_Return);
    QCOMPARE(e.doc().text.lines.Count(), lines + 1);
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10"));
    QCOMPARE(Line(e.doc(), 6), std::string(" Y0 F500"));
    QCOMPARE(e.text->currentLine(), std::optional<std::size_t>(5));
    QCOMPARE(e.editor->cursorPosition(), 0);
    Key(e.editor, Qt::Key_Backspace);
    QCOMPARE(e.doc().text.lines.Count(), lines);
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500"));
    QCOMPARE(e.editor->cursorPosition(), 7);
    // Delete at the end joins with the next line; each change is one undo step.
    e.editor->end(false);
    Key(e.editor, Qt::Key_Delete);
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X10 Y0 F500N40 X10 Y10"));
    QCOMPARE(e.doc().undo.UndoNames().size(), steps + 3);
  }

  void selectedLinesAreCutAndPastedAsLines() {
    Editing e;
    const std::size_t lines = e.doc().text.lines.Count();
    e.text->SetCurrentLine(4);
    Key(e.editor, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(e.text->SelectedLines(),
             std::make_optional(std::make_pair<std::size_t, std::size_t>(4, 5)));
    Key(e.editor, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("N30 X10 Y0 F500\nN40 X10 Y10\n"));
    QCOMPARE(e.doc().text.lines.Count(), lines - 2);
    QVERIFY(!HasMove(e.doc().store, 10, 10));
    // Pasted at the start of a line: the lines go in before it.
    e.text->SetCurrentLine(4);
    e.editor->setCursorPosition(0);
    Key(e.editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.doc().text.text, std::string(kProgram));
    QVERIFY(HasMove(e.doc().store, 10, 10));
  }

  void findAndReplace() {
    const struct {
      const char *find, *with;
      bool regex;
      int replaced;
      const char* line5;
      double y;  // the move to (10, y) after it has
      int feed;  // this feed
    } rows[] = {
        {"F500", "F800", false, 1, "N30 X10 Y0 F800", 0, 800},
        {"X1.", "X9", false, 0, "N30 X10 Y0 F500", 0, 500},  // plain is no pattern
        {"X(\\d+) Y0", "X\\1 Y5", true, 2, "N30 X10 Y5 F500", 5, 500},
        {"^N(\\d+)", "N0\\1", true, 6, "N030 X10 Y0 F500", 0, 500},
    };
    for (const auto& r : rows) {
      Editing e;
      e.pane->findField()->setText(r.find);
      e.pane->replaceField()->setText(r.with);
      e.pane->regexBox()->setChecked(r.regex);
      const std::size_t steps = e.doc().undo.UndoNames().size();
      const int replaced = e.pane->ReplaceAll();
      // The row's pattern, the matches replaced, line 5, the feed, the undo steps it made (all
      // of it one step).
      auto row = [&r](int n, const std::string& line, int feed, std::size_t undo) {
        return QString("%1 -> %2 | %3 | %4 | %5")
            .arg(r.find, QString::number(n), QString::fromStdString(line), QString::number(feed),
                 QString::number(undo));
      };
      QCOMPARE(row(replaced, Line(e.doc(), 5), FeedAt(e.doc().store, 10, r.y),
                   e.doc().undo.UndoNames().size() - steps),
               row(r.replaced, r.line5, r.feed, r.replaced > 0 ? 1 : 0));
    }
  }

  void findGoesFromMatchToMatchAndReplacesOne() {
    Editing e;
    e.pane->findField()->setText("X10");
    e.text->SetCurrentLine(0);
    // The lines (from 0) each Find Next goes to: the third round the end, back to the first.
    QString went;
    for (int k = 0; k < 3; ++k)
      went += e.pane->FindNext() ? QString::number(e.text->currentLine().value_or(99)) : "-";
    QCOMPARE(went, QString("454"));
    QCOMPARE(e.editor->selectedText(), QString("X10"));
    e.pane->replaceField()->setText("X15");
    QVERIFY(e.pane->ReplaceOne());
    QCOMPARE(Line(e.doc(), 5), std::string("N30 X15 Y0 F500"));
    QCOMPARE(Line(e.doc(), 6), std::string("N40 X10 Y10"));  // the next match, not replaced
    QCOMPARE(e.text->currentLine(), std::optional<std::size_t>(5));
    QVERIFY(HasMove(e.doc().store, 15, 0));
    e.pane->findField()->setText("Q99");
    QVERIFY(!e.pane->FindNext());
    QVERIFY(e.pane->info()->text().contains("Q99"));
    // A broken pattern says why and changes nothing.
    e.pane->findField()->setText("F(");
    e.pane->regexBox()->setChecked(true);
    QCOMPARE(e.pane->ReplaceAll(), 0);
    QVERIFY(e.pane->info()->text().startsWith("Not a valid regular expression"));
  }

  void goToLineAsksForTheLine() {
    Editing e;
    e.p.platform->values = {"7", "99", "x", ""};
    e.pane->AskGoToLine();
    QCOMPARE(e.text->currentLine(), std::optional<std::size_t>(6));
    QCOMPARE(e.editor->text(), QString("N50 X0 Y10"));
    for (int i = 0; i < 3; ++i) {  // beyond the text, no number, cancelled: the cursor stays
      e.pane->AskGoToLine();
      QCOMPARE(e.text->currentLine(), std::optional<std::size_t>(6));
    }
  }

  void renumberTakesItsDialog() {
    Editing e;
    Dialogs d({FillAnd({{"start", "100"}, {"step", "5"}, {"every", "0"}}),
               FillAnd({{"start", "1"}, {"step", "1"}, {"every", "1"}})});
    e.pane->AskRenumber();
    QCOMPARE(Line(e.doc(), 3), std::string("N100 G90 G00 X0 Y0 Z5"));
    QCOMPARE(Line(e.doc(), 8), std::string("N125 G00 Z5"));
    QCOMPARE(Line(e.doc(), 9), std::string("M30"));
    e.pane->AskRenumber();
    QCOMPARE(Line(e.doc(), 9), std::string("N7 M30"));
    QCOMPARE(Line(e.doc(), 2), std::string("O1000"));
    QCOMPARE(d.answered, std::size_t(2));
  }

  void commandChangingTheToolpathRaisesTheBar() {
    Editing e;
    // The bar shown, and the moves to (12, 0) and (10, 10).
    auto state = [&e] {
      return Bits({e.pane->syncBar()->isVisible(), HasMove(e.doc().store, 12, 0),
                   HasMove(e.doc().store, 10, 10)});
    };
    QCOMPARE(state(), QString("001"));
    e.p.window->Action("deleteAll")->trigger();
    QCOMPARE(state(), QString("100"));
    // Keep: the bar goes; the next edit reads the text whole, the toolpath is back.
    Click(e.pane, "keepText");
    QCOMPARE(state(), QString("000"));
    e.Type(5, "N30 X12 Y0 F500");
    e.pane->ApplyPending();
    QCOMPARE(state(), QString("011"));
    // A toolpath changed again; replace with the written program: the text becomes the
    // program the writer wrote, and describes the toolpath.
    e.doc().NoteWorkLayerChanged();
    e.p.window->RefreshState();
    QCOMPARE(state(), QString("111"));
    const std::string out = e.p.dir.filePath("written.nc").toStdString();
    Dialogs d({ChooseFile(out)});
    Click(e.pane, "textFromToolpath");
    QCOMPARE(d.answered, std::size_t(1));
    QCOMPARE(e.doc().text.text, ReadAll(out));
    QVERIFY(e.doc().text.Describes(e.doc().edits));
    QCOMPARE(state(), QString("011"));
  }

  void theUnsavedQuestionCoversTheText() {
    Editing e;
    e.Type(5, "N30 X20 Y0 F500");
    e.pane->ApplyPending();
    QVERIFY(e.doc().Modified());
    e.p.platform->saveChoices = {QtPlatform::SaveChoice::Cancel};
    QVERIFY(!e.p.window->MayCloseDocument(e.v));
    QCOMPARE(ReadAll(e.path), std::string(kProgram));
    // Save writes the text as edited to its file; nothing else is asked.
    e.p.platform->saveChoices = {QtPlatform::SaveChoice::Save};
    QVERIFY(e.p.window->MayCloseDocument(e.v));
    QVERIFY(ReadAll(e.path).find("N30 X20 Y0 F500\n") != std::string::npos);
    QVERIFY(!e.doc().Modified() && !e.v->windowTitle().endsWith('*'));
  }

  void saveTextWritesTheTextAsEdited() {
    Editing e;
    e.Type(6, "N40 X10 Y12");
    Click(e.pane, "saveText");  // applies the line being typed first
    std::string expected = kProgram;
    expected.replace(expected.find("N40 X10 Y10"), 11, "N40 X10 Y12");
    QCOMPARE(ReadAll(e.path), expected);
    QVERIFY(!e.doc().Modified());
  }
};

QTEST_MAIN(ProgramEditorTest)
#include "program_editor_test.moc"
