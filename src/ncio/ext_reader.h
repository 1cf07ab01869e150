#pragma once
// Extended reading: a program read whole as text, its dialect told from the program itself,
// then run by the ISO or the Heidenhain interpreter as a control runs it. The classic
// readers (fanuc_reader.h) stay as they are; the NC switch ExtendedReadingChk chooses this
// read instead.

#include <string>
#include <string_view>
#include <vector>

#include "ncio/ext_moves.h"
#include "ncio/fanuc_reader.h"

namespace trevalon {

// The lines of a text: LF, CR LF and CR end a line; a last line without a line end counts.
std::vector<std::string_view> SplitNcLines(std::string_view text);

// Our rule: a text holding a NUL byte or another control character that no NC program
// holds (anything below a blank except tab, line ends, form feed, and the tape codes DC1-DC4
// and the end-of-file mark 0x1A) is not an NC program.
bool IsNcText(std::string_view text);

enum class NcDialect { Unknown, Iso, Heidenhain };

// Heidenhain when a "BEGIN PGM" line comes before the first motion block or that block
// starts with L, C, CC, CR, CT, LP or CP; ISO when a motion block (a G0-G3 or an X, Y or Z
// word) comes first; Unknown when the text has neither. Looks at most at `maxLines` lines.
NcDialect DetectNcDialect(const std::vector<std::string_view>& lines,
                          std::size_t maxLines = static_cast<std::size_t>(-1));

// Reads `text` into the target as ReadLines does (the work layer's S, T, H, O and comment
// emptied first), appending behind the store's records; `report` gets what was passed over.
// 1 read to the end; 0 when the store became full or the run stopped (report.stopReason).
int ReadNcExtended(const NcReadTarget& t, std::string_view text, ExtReadReport& report,
                   NcReadOutcome* outcome);

// What a classic read of a text leaves out that extended reading would read: blocks with
// coordinates skipped because they hold a comment or a blank after an address, and a
// dialect other than the one the reader used.
struct ClassicReadHints {
  long skippedBlocks = 0;
  bool otherDialect = false;
};
ClassicReadHints ScanClassicHints(std::string_view text, bool readAsHeidenhain);

}  // namespace trevalon
