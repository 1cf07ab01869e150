#pragma once
// The NC program beside the toolpath view of one document window: the program the work
// layer was read from, with the block of a move highlighted. The link goes both ways: a point
// shown in the view (the point and path pickers, their Space and Backspace steps, the click in
// select mode) scrolls the pane to the block that made it; putting the cursor on a block marks
// its first move in the view as the point picker marks a point.
//
// Our rules: the pane shows the file of the move that was shown last (an appended program is
// shown when one of its moves is picked), and after a load, or when the file shown is none of
// the work layer's any more, the first file the work layer was read from. A file changed since
// it was read is shown as it is now, but linked to nothing, and the pane says so. Records made
// by an edit have no block: the pane says so and shows none.

#include <QWidget>
#include <cstdint>
#include <optional>

#include "model/source_lines.h"

class QLabel;

namespace trevalon {

class SourceTextView;
class ToolpathView;

class SourcePane : public QWidget {
  Q_OBJECT
 public:
  explicit SourcePane(ToolpathView& view, QWidget* parent = nullptr);

  ToolpathView& view() const { return view_; }
  SourceTextView* text() const { return text_; }
  // The line above the text: the file shown and what the last link found.
  QLabel* info() const { return info_; }

  // After a read or a command: the file shown follows the work layer's files (see above).
  void Sync();
  // The mark the view shows for the pane goes when the toolpath changed under it (its record
  // may be another move now) or when the pane is not shown.
  void DropStaleMark(bool shown);
  // A point was shown in the view: its block becomes the current line, scrolled into sight.
  void ShowRecord(std::uint32_t record);

 private:
  // The file shown becomes `f` (read when it is not the one shown already).
  void ShowFile(const SourceFile& f);
  void ShowNothing();
  // The user put the cursor on a line: its first move is marked in the view.
  void LineChosen(std::size_t line);
  void SetInfo(const QString& text);

  ToolpathView& view_;
  SourceTextView* text_;
  QLabel* info_;
  std::optional<SourceFile> shown_;
  bool matches_ = false;         // the text shown is the file as the work layer read it
  bool linking_ = false;         // the pane itself is showing a point in the view
  std::uint64_t markEdits_ = 0;  // the toolpath the mark was made on: its change count
  int markLayer_ = 0;            // and work layer
};

}  // namespace trevalon
