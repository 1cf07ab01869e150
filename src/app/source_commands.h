#pragma once
// Where a toolpath's records came from, for the text pane beside the view and the `source`
// verb: the program file as a read records it, and the block a record came from.

#include <cstdint>
#include <optional>
#include <string>

#include "app/document.h"
#include "model/source_lines.h"

namespace trevalon {

// A program file as a read finds it (absolute path, size, time of last change), for
// SourceLines::BeginFile. A file that cannot be looked at gets size and time 0.
SourceFile DescribeSourceFile(const std::string& path);
// Whether the file is still as it was read: the same size and time of last change. Our rule:
// a file changed since (edited in the text editor, written over by a save) no longer holds
// the blocks the records point at, so no line of it is shown as their source.
bool SourceFileUnchanged(const SourceFile& file);

// The place of record i of the work layer and its file; nothing for a record without a
// source (made by an edit) or beyond the toolpath.
std::optional<SourcePlace> SourcePlaceOf(CDocument& doc, std::uint32_t record,
                                         SourceFile* file = nullptr);

struct SourceLineInfo {
  enum class Kind {
    Found,        // path, line and text say where
    MadeByEdit,   // no source line: the record was made by an edit
    FileChanged,  // path changed since it was read
    Unreadable,   // path cannot be read now
  };
  Kind kind = Kind::MadeByEdit;
  std::string path;
  std::size_t line = 0;  // from 1
  std::string text;      // the line without its line end
};
// Record i's source line, read from its file. The caller checks that i is below the count.
SourceLineInfo FindSourceLine(CDocument& doc, std::uint32_t record);

}  // namespace trevalon
