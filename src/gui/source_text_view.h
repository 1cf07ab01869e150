#pragma once
// A read-only view of a program's text that draws only the lines in sight. The file is read
// once; a line table (NcTextLines, 4 bytes a line) says where each line starts, so a program
// of millions of lines opens in about the time one pass over its bytes takes, and a scroll
// or a repaint costs the lines on screen, never a layout of the whole text. Line numbers in a
// gutter, each drawn line's words coloured by kind (NcLineWords), one current line.
//
// The text is kept as read, not as the file is later: a program edited after it was opened
// keeps showing what was read (the pane decides whether that is what the toolpath came from).
//
// Editing. The view can show a text it does not own (the document's program text as edited,
// ShowHeld) and switch to editing it. The editing keeps the draw-only-visible-lines design:
// one line at a time is edited in an in-place line editor laid over the current line, every
// other line stays drawn (and coloured) from the text. A keystroke only touches that line
// editor; the view says what the user wants done to the text (signals below) and the owner
// commits it to the text through the document's text edit commands, which re-read only what
// changed. A program of millions of lines is therefore never laid out nor read whole per key.
// Lines selected with Shift and the up and down keys are cut, copied and deleted whole; a
// paste of several lines goes in as lines.

#include <QAbstractScrollArea>
#include <QTimer>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ncio/program_text.h"

class QLineEdit;

namespace trevalon {

class SourceTextView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit SourceTextView(QWidget* parent = nullptr);

  // Shows the text of a file; false (and an empty view) when it cannot be read or is larger
  // than the line table takes.
  bool Open(const std::string& path);
  // Shows a text held in memory.
  void SetText(std::string text);
  void Clear() { SetText({}); }

  // Shows a text that stays the caller's (it must outlive the view or be replaced first); the
  // place in it stays when `keepPlace`. Call again after the text changed.
  void ShowHeld(const std::string& text, const NcTextLines& lines, bool keepPlace);
  bool holdsOther() const { return shown_ != &text_; }

  std::string_view text() const { return *shown_; }
  const NcTextLines& lines() const { return *shownLines_; }

  // ---- Editing ---------------------------------------------------------------------------
  void SetEditing(bool on);
  bool editing() const { return editing_; }
  QLineEdit* lineEditor() const { return editor_; }
  // The line under the line editor (from 0), and its text as typed.
  std::size_t editedLine() const { return current_.value_or(0); }
  std::string EditedText() const;
  // Whether the line editor holds something the text does not.
  bool EditPending() const;
  // After the text changed: the line editor takes the current line from the text again,
  // its cursor at `column` (characters) when given, else where it was.
  void ReloadEditor(std::optional<int> column = std::nullopt);
  // The lines selected beyond the current one (Shift with the up and down keys): first, last.
  std::optional<std::pair<std::size_t, std::size_t>> SelectedLines() const;
  // Lines drawn highlighted for a moment (the lines an edit changed).
  void FlashLines(std::size_t first, std::size_t count, int ms = 1500);

  // The current line (from 0), drawn highlighted; with `reveal` scrolled into the middle of
  // the view when it is out of sight.
  void SetCurrentLine(std::optional<std::size_t> line, bool reveal = true);
  std::optional<std::size_t> currentLine() const { return current_; }
  // The first line drawn at the top, and how many lines fit in the view.
  std::size_t FirstVisibleLine() const;
  std::size_t VisibleLineCount() const;

 signals:
  // The user put the cursor on a line (a click, or the arrow and page keys).
  void lineChosen(std::size_t line);
  // Editing (see above). The owner commits the line editor's text (EditedText) when it gets
  // `commitWanted`, before the cursor leaves the line, and after typing pauses.
  void lineTyped();
  void commitWanted();
  // The line editor's line is split at byte `column` of its text as typed (Return).
  void splitWanted(std::size_t line, std::size_t column);
  // Line `line` and the next one become one (Backspace at a line's start, Delete at its end);
  // `typedFirst`: the line editor is on the first of the two, else on the second.
  void joinWanted(std::size_t line, bool typedFirst);
  void deleteLinesWanted(std::size_t first, std::size_t last);
  // Text of several lines pasted at byte `column` of the line editor's text as typed.
  void pasteWanted(std::size_t line, std::size_t column, const std::string& text);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  bool Reindex();  // false (and no text) when the text is too large for the table
  void UpdateScrollBars();
  int LineHeight() const;
  int GutterWidth() const;
  void Choose(std::size_t line, bool extend = false);
  void PlaceEditor();
  bool EditorKey(QKeyEvent* e);
  std::size_t BytesBefore(int column) const;

  std::string text_;
  NcTextLines lines_;
  const std::string* shown_ = &text_;
  const NcTextLines* shownLines_ = &lines_;
  std::optional<std::size_t> current_;
  std::optional<std::size_t> anchor_;  // the other end of the line selection
  bool editing_ = false;
  bool typed_ = false;  // the line editor was typed into since it took its line
  QLineEdit* editor_ = nullptr;
  std::size_t flashFirst_ = 0, flashCount_ = 0;
  QTimer flash_;
  std::vector<NcWordSpan> words_;  // of the line being drawn
};

}  // namespace trevalon
