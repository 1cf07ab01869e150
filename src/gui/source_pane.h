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
//
// Editing. Once the document holds its program text (edited_text.h: taken at the first edit),
// the pane shows that text, not the file. With editing on, the text view's line editor
// (source_text_view.h) edits the current line; the pane commits the line through the core's
// text edit commands when typing pauses (kApplyPauseMs), when the cursor leaves the line, and
// on Ctrl+Return. Each commit is one undo step of the document and is read again into the
// toolpath (only the changed stretch, classic_splice.h); the moves it made are highlighted in
// the view for a moment. Find and replace, go to line and renumbering work on the same text.
// When a command changed the toolpath by other means, a bar says that the text no longer
// describes it and offers the core's two ways on.

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/source_lines.h"
#include "platform/outcome.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace trevalon {

class DialogMemory;
class SourceTextView;
class ToolpathView;

class SourcePane : public QWidget {
  Q_OBJECT
 public:
  // `memory`: the dialogs' remembered values (the renumber dialog's among them).
  SourcePane(ToolpathView& view, DialogMemory& memory, QWidget* parent = nullptr);

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

  // ---- Editing ---------------------------------------------------------------------------
  static constexpr int kApplyPauseMs = 500;
  static constexpr int kFlashMs = 1500;
  // Switches editing on or off (the pane's toggle and the View menu). Refused (false) when
  // the document has no program text.
  bool SetEditing(bool on);
  bool editing() const;
  // Commits what the line editor holds that the text does not (one undo step).
  void ApplyPending();
  // Finds the next match of the find field from the cursor (wrapping at the end); replaces
  // the match under the cursor, or every match. Our rule: a pattern matches within one line.
  bool FindNext();
  bool ReplaceOne();
  int ReplaceAll();
  // Go to line (asks for it), renumbering (its dialog), saving the text to its file.
  void AskGoToLine();
  bool GoToLine(std::size_t line);  // from 1
  void AskRenumber();
  void SaveText();
  QLineEdit* findField() const { return find_; }
  QLineEdit* replaceField() const { return replace_; }
  QCheckBox* regexBox() const { return regex_; }
  QToolButton* editToggle() const { return edit_; }
  QFrame* syncBar() const { return syncBar_; }
  QTimer& applyTimer() { return apply_; }

 signals:
  // The document changed through the pane (text, toolpath, title): the frame looks again.
  void documentChanged();

 private:
  // The file shown becomes `f` (read when it is not the one shown already).
  void ShowFile(const SourceFile& f);
  void ShowNothing();
  // The user put the cursor on a line: its first move is marked in the view.
  void LineChosen(std::size_t line);
  void SetInfo(const QString& text);
  // The document's program text as the pane shows it (after every change of it).
  void ShowHeldText();
  // Runs a change of the text through the core; with a line to put the cursor on after it.
  void RunTextChange(const std::function<Outcome()>& change, std::optional<std::size_t> line,
                     std::optional<int> column);
  // Bytes [begin, end) of the text become `with` (structural edits of the line editor).
  void ChangeBytes(std::uint64_t begin, std::uint64_t end, const std::string& with,
                   std::size_t line, int column);
  void Split(std::size_t line, std::size_t column);
  void Join(std::size_t line, bool typedFirst);
  void DeleteLines(std::size_t first, std::size_t last);
  void Paste(std::size_t line, std::size_t column, const std::string& text);
  void RefreshSyncBar();
  bool Pattern(class QRegularExpression& re);
  void BuildTools();

  ToolpathView& view_;
  DialogMemory& memory_;
  SourceTextView* text_;
  QLabel* info_;
  std::optional<SourceFile> shown_;
  bool matches_ = false;         // the text shown is the file as the work layer read it
  bool linking_ = false;         // the pane itself is showing a point in the view
  std::uint64_t markEdits_ = 0;  // the toolpath the mark was made on: its change count
  int markLayer_ = 0;            // and work layer
  bool held_ = false;            // the document's program text is shown, not the file

  QTimer apply_;  // the pause after typing
  QTimer flash_;  // the end of the highlight of the moves an edit made
  std::optional<std::pair<std::uint32_t, std::uint32_t>> flashed_;
  std::optional<std::uint64_t> keptAt_;  // "keep the text" was chosen at this change count
  QToolButton* edit_ = nullptr;
  QWidget* findBar_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLineEdit* replace_ = nullptr;
  QCheckBox* regex_ = nullptr;
  QFrame* syncBar_ = nullptr;
  QLabel* syncText_ = nullptr;
};

}  // namespace trevalon
