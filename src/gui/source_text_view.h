#pragma once
// A read-only view of a program's text that draws only the lines in sight. The file is read
// once; a line table (NcTextLines, 4 bytes a line) says where each line starts, so a program
// of millions of lines opens in about the time one pass over its bytes takes, and a scroll
// or a repaint costs the lines on screen, never a layout of the whole text. Line numbers in a
// gutter, each drawn line's words coloured by kind (NcLineWords), one current line.
//
// The text is kept as read, not as the file is later: a program edited after it was opened
// keeps showing what was read (the pane decides whether that is what the toolpath came from).

#include <QAbstractScrollArea>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ncio/program_text.h"

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

  std::string_view text() const { return text_; }
  const NcTextLines& lines() const { return lines_; }

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

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool Reindex();  // false (and no text) when the text is too large for the table
  void UpdateScrollBars();
  int LineHeight() const;
  int GutterWidth() const;
  void Choose(std::size_t line);

  std::string text_;
  NcTextLines lines_;
  std::optional<std::size_t> current_;
  std::vector<NcWordSpan> words_;  // of the line being drawn
};

}  // namespace trevalon
