#pragma once
// The program text as one document with the toolpath (edited_text.h): editing its lines, block
// renumbering, saving it, and what follows when the toolpath changed by other means. Shared by
// the program pane of the desktop and the command-line verbs.
//
// Every edit is one undo step of the document (named, like every command): undo brings back
// the text and the toolpath together. After an edit the toolpath is read again from the text:
// a classic read only from the first changed block until it meets the previous read again
// (classic_splice.h), an extended read whole.

#include <cstdint>
#include <string>

#include "app/application.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

// Takes the work layer's program into the document when it is not held yet. Refused when the
// document has no program; CannotOpen when its file cannot be read.
Outcome OpenProgramText(CApplication& app, CDocument& doc);

// The text's own line end: that of its first line, LF for a text without one.
std::string LineEndOf(const std::string& text);

// Bytes [begin, end) of the text become `with`, and the toolpath follows. The lines, the
// positions of the line functions below are checked by them.
Outcome ChangeProgramText(CApplication& app, CDocument& doc, std::uint64_t begin, std::uint64_t end,
                          const std::string& with, Txt name);

// Line `line` (from 1) becomes `with` (its line end stays). Refused for a line beyond the text
// or a text holding a line end.
Outcome EditTextLine(CApplication& app, CDocument& doc, std::size_t line, const std::string& with);
// Lines from..to (from 1, both included) go.
Outcome DeleteTextLines(CApplication& app, CDocument& doc, std::size_t from, std::size_t to);
// A new line before line `line` (from 1; one past the last adds it at the end), with the
// text's own line end.
Outcome InsertTextLine(CApplication& app, CDocument& doc, std::size_t line,
                       const std::string& with);

// Block numbers: the N word of every block that has one becomes start, start + step, ... in
// order; with `every`, blocks without one get one in front. A Heidenhain program's blocks
// (read as Heidenhain) keep their leading numbers in the same way, every block having one.
struct RenumberOptions {
  long start = 10;
  long step = 10;
  bool every = false;
};
inline constexpr IntRange kRenumberStart{0, 99999999};
inline constexpr IntRange kRenumberStep{1, 99999999};
Outcome RenumberBlocks(CApplication& app, CDocument& doc, const RenumberOptions& options);

// Writes the text as edited to `path` (replacing a file there). The work layer counts as
// written when the toolpath is what the text reads as.
Outcome SaveProgramText(CApplication& app, CDocument& doc, const std::string& path);

// Whether the text no longer describes the toolpath (a command changed it), and by which
// command in the user's words; "" when it describes it or no text is held.
std::string TextNoLongerDescribes(const CApplication& app, const CDocument& doc);
// The text becomes the program as the writer writes the toolpath (written to `path` and read
// back to verify it), and the toolpath what that text reads as: one undo step.
Outcome TextFromToolpath(CApplication& app, CDocument& doc, const std::string& path);

// After undo or redo: the text of the state brought back (undo_ring.h's payload).
void RestoreTextOfUndoState(CDocument& doc);

}  // namespace trevalon
