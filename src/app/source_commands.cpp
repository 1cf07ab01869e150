#include "app/source_commands.h"

#include <filesystem>
#include <system_error>

#include "ncio/program_text.h"
#include "platform/file_io.h"
#include "platform/system_paths.h"

namespace trevalon {

namespace fs = std::filesystem;

SourceFile DescribeSourceFile(const std::string& path) {
  SourceFile f;
  std::error_code ec;
  const fs::path absolute = fs::absolute(NativePath(path), ec);
  f.path = ec ? path : Utf8Path(absolute.lexically_normal());
  const std::uintmax_t size = fs::file_size(NativePath(path), ec);
  if (!ec) f.size = size;
  const fs::file_time_type t = fs::last_write_time(NativePath(path), ec);
  if (!ec) f.modified = static_cast<std::int64_t>(t.time_since_epoch().count());
  return f;
}

bool SourceFileUnchanged(const SourceFile& file) {
  const SourceFile now = DescribeSourceFile(file.path);
  return now.size == file.size && now.modified == file.modified;
}

std::optional<SourcePlace> SourcePlaceOf(CDocument& doc, std::uint32_t record, SourceFile* file) {
  const SourceLines lines = doc.CurrentSourceLines();
  // Lines for more records than the store holds cannot be its own.
  if (record >= doc.store.count || lines.Size() > doc.store.count) return std::nullopt;
  const std::optional<SourcePlace> place = lines.Find(record);
  if (place && file) *file = lines.Files()[place->file];
  return place;
}

SourceLineInfo FindSourceLine(CDocument& doc, std::uint32_t record) {
  SourceLineInfo info;
  SourceFile file;
  const std::optional<SourcePlace> place = SourcePlaceOf(doc, record, &file);
  if (!place) return info;
  info.path = file.path;
  // The text held as edited, while the toolpath is what it reads as: its lines are the
  // records' source, whatever the file on disk holds.
  const EditedText& et = doc.text;
  if (et.open && et.Describes(doc.edits) && et.path == file.path) {
    const std::size_t line = et.lines.LineOf(place->offset);
    if (line >= et.lines.Count()) return info;
    info.kind = SourceLineInfo::Kind::Found;
    info.line = line + 1;
    info.text = std::string(et.lines.Line(et.text, line));
    return info;
  }
  if (!SourceFileUnchanged(file)) {
    info.kind = SourceLineInfo::Kind::FileChanged;
    return info;
  }
  std::string text;
  NcTextLines lines;
  if (ReadBoundedFile(file.path, NcTextLines::kMaxText, text, false) != FileReadError::None ||
      !lines.Index(text)) {
    info.kind = SourceLineInfo::Kind::Unreadable;
    return info;
  }
  const std::size_t line = lines.LineOf(place->offset);
  if (line >= lines.Count()) {
    info.kind = SourceLineInfo::Kind::FileChanged;
    return info;
  }
  info.kind = SourceLineInfo::Kind::Found;
  info.line = line + 1;
  info.text = std::string(lines.Line(text, line));
  return info;
}

}  // namespace trevalon
