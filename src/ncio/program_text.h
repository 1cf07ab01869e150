#pragma once
// A program's text as the text pane shows it: the table of where its lines start, so that a
// pane of any length draws only the lines in sight, and the kinds of the words of one line
// for their colours. Bytes are not decoded here.
//
// The lines are those of extended reading (SplitNcLines): LF, CR LF and CR each end a line, a
// last line without a line end counts, an empty text has no line. A record's place (a byte
// offset, source_lines.h) belongs to the line that holds that byte.

#include <cstdint>
#include <string_view>
#include <vector>

namespace trevalon {

class NcTextLines {
 public:
  // The largest text the table takes: its offsets are 32-bit, as the source lines' are.
  static constexpr std::uint64_t kMaxText = 0xFFFFFFFFu;

  // Builds the table over `text` (4 bytes per line); false, with no lines, for a text larger
  // than kMaxText.
  bool Index(std::string_view text);
  // After bytes [begin, oldEnd) of the indexed text became bytes [begin, newEnd) of `text`:
  // only the lines from the one before the change are read again, up to the first line that
  // starts where an old line started (moved by the change) beyond the new bytes; the lines
  // after it only move. The table is then the one Index(text) makes, at the cost of the
  // changed lines and one pass adding to the later starts, where Index reads the whole text.
  // Longest() may overstate afterwards (a line that got shorter keeps its length there), which
  // only widens what a pane may scroll. A change that does not fit the table indexes anew.
  bool Update(std::string_view text, std::uint64_t begin, std::uint64_t oldEnd,
              std::uint64_t newEnd);
  std::size_t Count() const { return starts_.size(); }
  // Where line i (from 0) starts, and where the next one starts (or the text ends).
  std::uint64_t Start(std::size_t i) const { return starts_[i]; }
  std::uint64_t End(std::size_t i) const { return i + 1 < starts_.size() ? starts_[i + 1] : size_; }
  // Line i of `text` (the text indexed) without its line end.
  std::string_view Line(std::string_view text, std::size_t i) const;
  // The line that holds byte `offset` (a line end belongs to its line); Count() for an offset
  // at or beyond the end of the text.
  std::size_t LineOf(std::uint64_t offset) const;
  // The most bytes a line holds (its line end included), for the width a pane may scroll.
  std::size_t Longest() const { return longest_; }

 private:
  std::vector<std::uint32_t> starts_;
  std::uint64_t size_ = 0;
  std::size_t longest_ = 0;
};

// The kinds of words a line is coloured by.
enum class NcWordKind : std::uint8_t {
  GCode,        // G words: the motion and the modes
  MCode,        // M words
  Coordinate,   // X Y Z, arc words I J K R, rotary and parallel axes
  Feed,         // F words
  BlockNumber,  // N words, and the leading number of a Heidenhain block
  Word,         // any other address with a value (S, T, H, D, P, Q, ...)
  Comment,      // "(...)", and from ";" (or a Heidenhain "*") to the end of the line
};

struct NcWordSpan {
  std::uint32_t begin = 0, length = 0;
  NcWordKind kind = NcWordKind::Word;
};

// The coloured pieces of one line, in order; what lies between them is plain text. A word is
// an address letter that no letter precedes, then an optional sign and blanks, then digits,
// a point or a '#' variable: "TOOL CALL" or "LBL" hold no word, "X-1.5", "x 2", "Q1", "X#3" do.
void NcLineWords(std::string_view line, std::vector<NcWordSpan>& out);

}  // namespace trevalon
