// The start and end parts of a source program that the writer's "file start and end" option
// copies around the toolpath: what comes before the first cut and after the last retract.
#include "ncio/start_end_parts.h"

#include <fstream>
#include <vector>

#include "platform/system_paths.h"

namespace trevalon {

namespace {

// One line as the source program is read: at most 79 characters; a longer line goes on in
// the next read, and a line of exactly 79 characters leaves its line feed for an empty read.
// The line feed (with a carriage return before it) is not part of the line; `complete` tells
// whether the read reached it.
bool NextSourceLine(std::string_view data, std::size_t& pos, std::string_view& line,
                    bool& complete) {
  constexpr std::size_t kMaxChars = 79;
  if (pos >= data.size()) return false;
  std::size_t start = pos, chars = 0;
  while (pos < data.size() && chars < kMaxChars) {
    char c = data[pos++];
    if (c == '\n') {
      std::size_t end = pos - 1;
      if (end > start && data[end - 1] == '\r') --end;
      line = data.substr(start, end - start);
      complete = true;
      return true;
    }
    // A carriage return before a line feed is part of the line break, not a character.
    if (!(c == '\r' && pos < data.size() && data[pos] == '\n')) ++chars;
  }
  line = data.substr(start, pos - start);
  complete = false;
  return true;
}

bool Has(std::string_view line, std::string_view word) {
  return line.find(word) != std::string_view::npos;
}
// Comment lines with a slash (dates, "(T1/D10)") say nothing about the program's motion.
bool PassedOver(std::string_view l) {
  return Has(l, "(") && Has(l, "/");
}
bool IsRapidLine(std::string_view l) {
  return Has(l, "G00") || (Has(l, "G0") && !Has(l, "G01"));
}
bool IsCuttingLine(std::string_view l) {
  return Has(l, "G01") || Has(l, "G1") || Has(l, "G02") || Has(l, "G2") || Has(l, "G03") ||
         Has(l, "G3");
}

// A part of the source program: the lines read, separated by line feeds. The pieces of a line
// longer than 79 characters are tested one by one but join up again, so the part holds the
// program's lines as they stand.
class SourcePart {
 public:
  explicit SourcePart(std::string& text) : text_(text) { text_.clear(); }
  void Append(std::string_view line, bool complete) {
    lastStart_ = text_.size();
    if (needBreak_) text_ += '\n';
    text_.append(line);
    needBreak_ = complete;
  }
  // Takes the last line off, with the line feed in front of it.
  void DropLast() {
    text_.resize(lastStart_);
    needBreak_ = !text_.empty();
  }

 private:
  std::string& text_;
  std::size_t lastStart_ = 0;
  bool needBreak_ = false;
};

}  // namespace

static bool ScanStartPartImpl(std::string_view head, std::string& startPart) {
  SourcePart part(startPart);
  std::size_t pos = 0;
  std::string_view line, previous;
  bool complete = false;
  int read = 0;
  bool rapidSeen = false;
  while (NextSourceLine(head, pos, line, complete)) {
    if (++read > 50) {
      startPart.clear();
      return false;
    }
    if (PassedOver(line)) continue;
    if (!rapidSeen) {
      part.Append(line, complete);
      rapidSeen = IsRapidLine(line);
    } else if (IsCuttingLine(line)) {
      // An approach move (a Z alone) before the first cut belongs to the toolpath.
      if (!Has(previous, "X") && !Has(previous, "Y")) part.DropLast();
      return true;
    } else {
      part.Append(line, complete);
    }
    previous = line;
  }
  return true;
}

void ScanStartPart(std::string_view head, std::string& startPart, std::string& endPart) {
  if (!ScanStartPartImpl(head, startPart)) endPart.clear();
}

void ScanEndPart(std::string_view tail, std::uint64_t fileSize, std::string& endPart) {
  endPart.clear();
  if (fileSize < 500) return;
  if (tail.size() > 500) tail = tail.substr(tail.size() - 500);
  std::size_t pos = 0;
  std::string_view line;
  bool complete = false;
  NextSourceLine(tail, pos, line, complete);  // the first line is cut somewhere in the middle
  struct Piece {
    std::string_view line;
    bool complete;
  };
  std::vector<Piece> lines;
  while (NextSourceLine(tail, pos, line, complete))
    if (!PassedOver(line)) lines.push_back({line, complete});
  std::size_t from = 0;
  for (std::size_t k = lines.size(); k-- > 0;) {
    if (IsRapidLine(lines[k].line) && Has(lines[k].line, "Z")) {
      // A retract that also moves in X or Y is still part of the toolpath.
      if (Has(lines[k].line, "X") || Has(lines[k].line, "Y")) return;
      from = k;
      break;
    }
  }
  SourcePart part(endPart);
  for (std::size_t k = from; k < lines.size(); ++k) part.Append(lines[k].line, lines[k].complete);
}

void ReadStartEndParts(const std::string& path, std::string& startPart, std::string& endPart) {
  startPart.clear();
  endPart.clear();
  std::ifstream f(NativePath(path), std::ios::binary);
  if (!f) return;
  // 51 lines of at most 79 characters and their line breaks fit well into the head.
  std::string head(8192, '\0');
  f.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(f.gcount()));
  f.clear();
  if (!ScanStartPartImpl(head, startPart)) return;
  f.seekg(0, std::ios::end);
  std::streamoff size = f.tellg();
  if (size < 0) return;
  std::streamoff from = size > 500 ? size - 500 : 0;
  f.seekg(from);
  std::string tail(static_cast<std::size_t>(size - from), '\0');
  f.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  tail.resize(static_cast<std::size_t>(f.gcount()));
  ScanEndPart(tail, static_cast<std::uint64_t>(size), endPart);
}

std::string StartPartPreview(const std::string& path, int maxLines) {
  std::string startPart, endPart;
  ReadStartEndParts(path, startPart, endPart);
  if (maxLines <= 0) return {};
  // The same text the writer copies, cut at the line feed after its last shown line.
  std::size_t pos = 0;
  for (int k = 0; k < maxLines; ++k) {
    pos = startPart.find('\n', pos);
    if (pos == std::string::npos) return startPart;
    if (k + 1 < maxLines) ++pos;
  }
  startPart.resize(pos);
  return startPart;
}

}  // namespace trevalon
