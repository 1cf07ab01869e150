// Desktop tools that check no rule, run by hand:
//   trevalon-gui-tools editor-times PROGRAM   what typing and applying a line cost on a long
//                                             program (printed, not judged: the machine's load
//                                             decides the figures)
//   trevalon-gui-tools manual-picture FOLDER  the manual's picture of the editing pane,
//                                             FOLDER/program-editor.png
// Without a display: QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>
#include <cstdio>
#include <fstream>

#include "app/text_edit_commands.h"
#include "gui/source_pane.h"
#include "gui/source_text_view.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "trevalon-gui-tools: %s\n", what);
  return 1;
}

int EditorTimes(const std::string& path) {
  Program p;
  ToolpathView* v = Open(p, path);
  QElapsedTimer clock;
  clock.start();
  p.window->Action("programEdit")->trigger();
  const qint64 open = clock.restart();
  SourcePane* pane = p.window->SourcePaneOf(v);
  const std::size_t middle = v->doc().text.lines.Count() / 2;
  if (!pane->GoToLine(middle)) return Fail("the middle line was not reached");
  const qint64 go = clock.restart();
  QLineEdit* editor = pane->text()->lineEditor();
  qint64 key = 0, paint = 0, apply = 0;
  for (int round = 0; round < 2; ++round) {  // the second, when the fonts are cached
    clock.restart();
    editor->end(false);
    QTest::keyClicks(editor, "0");
    key = clock.restart();
    // The first paint after a change also renders the view the change asked to redraw; the
    // second is the pane's own.
    pane->text()->viewport()->repaint();
    clock.restart();
    pane->text()->viewport()->repaint();
    paint = clock.restart();
    pane->ApplyPending();
    apply = clock.restart();
  }
  v->repaint();
  const qint64 redraw = clock.restart();
  // The core's part of an apply alone: the text edit command with its spliced re-read.
  if (!EditTextLine(*p.app, v->doc(), middle, "X1 Y1 Z1").ok())
    return Fail("the core's text edit failed");
  const qint64 core = clock.restart();
  std::printf(
      "lines %zu: editing on %lld ms, go to line %lld ms, a key %lld ms, pane paint %lld ms, "
      "apply %lld ms, view redraw %lld ms, the core's text edit alone %lld ms\n",
      v->doc().text.lines.Count(), open, go, key, paint, apply, redraw, core);
  return 0;
}

int ManualPicture(const QString& folder) {
  Program p;
  p.window->resize(1400, 820);
  const std::string path = p.dir.filePath("core-insert-finish.nc").toStdString();
  std::ofstream(path, std::ios::binary)
      << ReadAll(std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc");
  ToolpathView* v = Open(p, path);
  p.window->Action("programEdit")->trigger();
  SourcePane* pane = p.window->SourcePaneOf(v);
  QTest::qWait(300);
  v->Fit();
  if (!pane->GoToLine(13)) return Fail("line 13 was not reached");
  QLineEdit* editor = pane->text()->lineEditor();
  editor->selectAll();
  QTest::keyClicks(editor, "X-39.200 Z-16.0000");
  pane->ApplyPending();
  pane->findField()->setText("Z-1[46]\\.0+");
  pane->replaceField()->setText("Z-15.0000");
  pane->regexBox()->setChecked(true);
  QTest::qWait(100);
  const QString png = folder + "/program-editor.png";
  if (!p.window->grab().save(png)) return Fail("the picture was not written");
  std::printf("%s\n", qPrintable(png));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = application.arguments();
  if (args.size() == 3 && args[1] == "editor-times") return EditorTimes(args[2].toStdString());
  if (args.size() == 3 && args[1] == "manual-picture") return ManualPicture(args[2]);
  std::fprintf(stderr,
               "usage: trevalon-gui-tools editor-times PROGRAM\n"
               "       trevalon-gui-tools manual-picture FOLDER\n");
  return 2;
}
