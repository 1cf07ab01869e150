#pragma once
// The block parser for Heidenhain conversational programs ("L X+10 Y+20 R0 F500",
// "CC X+0 Y+0", "C X+10 Y+0 DR-", "CR X+10 Y+20 R+15 DR+"). It fills the same register and
// arc offset as the Fanuc-style parser and under the same contract; file handling and storing
// are the reader's (fanuc_reader.h).

#include <string_view>

namespace trevalon {

struct NcBlockContext;

// Modal state of the Heidenhain parser. Like the Fanuc parser's it belongs to the reader as
// a whole, is shared by all documents and carries over from one read to the next.
struct HeidenhainModalState {
  double modalPosition[3] = {0, 0, 0};  // the position reached by the last block
  int modalMotion = 0;                  // set by the last F, G, L or DR word
  double blockStart[3] = {0, 0, 0};     // the position at the start of the current block
  double arcOffset[3] = {0, 0, 0};      // the offset the last block ended with
  int circleCentrePending = 0;          // a CC word: X and Y describe the circle centre
  double centreDelta[2] = {0, 0};       // circle centre minus the position at the CC block
};

// 1 when the register holds a move to be stored, 0 otherwise; fills the register and
// arcOffset. The line is what one read of the line buffer gave, its line feed included when
// it had one; a NUL byte ends it as the end of the text does.
int ParseHeidenhainBlock(NcBlockContext& c, std::string_view line, double arcOffset[3]);

}  // namespace trevalon
