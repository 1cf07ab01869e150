#include "ncio/heidenhain_reader.h"

#include <cmath>
#include <cstring>

#include "model/geometry.h"
#include "ncio/fanuc_reader.h"
#include "ncio/g_codes.h"
#include "ncio/nc_number.h"

namespace trevalon {

using ncnumber::IntegerPart;
using ncnumber::ReadRun;
using ncnumber::RunValue;

namespace {

// Rapid and feed moves of a Heidenhain program are told apart by the feed: above this it is
// a rapid.
constexpr std::int32_t kHighestCuttingFeed = 2000;

bool NextTwoAre(const char* s, std::size_t i, std::size_t len, char a, char b) {
  return i + 1 < len && s[i] == a && s[i + 1] == b;
}

// The steps of ParseHeidenhainBlock, in order.

// The start of a block: an absolute block starts from the last position (and so does
// BlockStart); an incremental one collects its increments in the register, and BlockStart
// keeps its value. Each block starts with the centre offset the previous block ended with. A
// linear or rapid motion goes on as its continuation type: the motion type returned.
inline int BeginConversationalBlock(HeidenhainModalState& m, PointRegister& reg, int incremental,
                                    double arcOffset[3]) {
  if (incremental) {
    reg.x = reg.y = reg.z = 0.0;
  } else {
    reg.x = m.modalPosition[0], reg.y = m.modalPosition[1], reg.z = m.modalPosition[2];
    m.blockStart[0] = m.modalPosition[0];
    m.blockStart[1] = m.modalPosition[1];
    m.blockStart[2] = m.modalPosition[2];
  }
  arcOffset[0] = m.arcOffset[0], arcOffset[1] = m.arcOffset[1], arcOffset[2] = m.arcOffset[2];
  int type = m.modalMotion;
  if (type == MOVE_LINE) type = MOVE_LINE_CONT;
  if (type == MOVE_RAPID) type = MOVE_RAPID_CONT;
  return type;
}

// The motion an F word with a number leaves: a cut up to kHighestCuttingFeed, a rapid above
// it, each continuing a run of its own kind.
inline int TypeAfterFeed(int type, std::int32_t feed) {
  if (feed <= kHighestCuttingFeed) return type != MOVE_LINE_CONT ? MOVE_LINE : type;
  return type != MOVE_RAPID_CONT ? MOVE_RAPID : type;
}

// The motion an L word leaves: a run goes on, the first move is a rapid, and after an arc the
// feed tells a cut from a rapid.
inline int TypeAfterL(int type, std::int32_t feed) {
  if (type == MOVE_LINE) return MOVE_LINE_CONT;
  if (type == MOVE_RAPID) return MOVE_RAPID_CONT;
  if (type == MOVE_NONE) return MOVE_RAPID;
  if (type == MOVE_ARC_CW || type == MOVE_ARC_CCW)
    return feed <= kHighestCuttingFeed ? MOVE_LINE : MOVE_RAPID;
  return type;
}

// A DR word (its D at s[i - 1], its R at s[i]): the direction of the arc by radius and its
// centre from the block's start and the end as read so far. The R, the sign and the two
// characters after it are passed over (so in "DR- F500" the feed is not read), but never the
// end of the line: true when a line feed lies among them, which ends the block.
inline bool ReadDirection(HeidenhainModalState& m, PointRegister& reg, const char* s,
                          std::size_t& i, std::size_t len, int& type, double arcOffset[3]) {
  if (i + 1 < len) {
    if (s[i + 1] == '-') type = MOVE_ARC_CW;
    if (s[i + 1] == '+') type = MOVE_ARC_CCW;
  }
  if (reg.radius <= 0.0) {
    type = MOVE_LINE;  // an arc without a positive radius is read as a straight feed
    m.modalMotion = MOVE_LINE;
  } else {
    m.modalMotion = type;
    const double end[3] = {reg.x, reg.y, reg.z};
    ArcCentreFromRadius(reg.plane, m.blockStart, end, reg.radius, type, arcOffset);
  }
  const std::size_t skipEnd = i + 4 < len ? i + 4 : len;
  if (std::memchr(s + i, '\n', skipEnd - i) != nullptr) return true;
  i = skipEnd;
  return false;
}

// The line feed: the block is read. 1 when it is a move to store. A CC block is never a move:
// it leaves the distance from the start to the centre as the radius of the arc that follows.
// A block that does not move is a full circle when it is an arc, otherwise nothing.
inline int EndConversationalBlock(HeidenhainModalState& m, PointRegister& reg, int incremental,
                                  const double arcOffset[3], int type) {
  if (m.circleCentrePending) {
    m.circleCentrePending = 0;
    reg.radius =
        std::sqrt(m.centreDelta[0] * m.centreDelta[0] + m.centreDelta[1] * m.centreDelta[1]);
    return 0;
  }
  m.arcOffset[0] = arcOffset[0], m.arcOffset[1] = arcOffset[1], m.arcOffset[2] = arcOffset[2];
  if (!incremental) {
    m.modalPosition[0] = reg.x, m.modalPosition[1] = reg.y, m.modalPosition[2] = reg.z;
    if (reg.x != m.blockStart[0] || reg.y != m.blockStart[1] || reg.z != m.blockStart[2]) return 1;
  } else if (reg.x != 0.0 || reg.y != 0.0 || reg.z != 0.0) {
    reg.x += m.blockStart[0], reg.y += m.blockStart[1], reg.z += m.blockStart[2];
    m.blockStart[0] = reg.x, m.blockStart[1] = reg.y, m.blockStart[2] = reg.z;
    return 1;
  }
  return type == MOVE_ARC_CW || type == MOVE_ARC_CCW ? 1 : 0;
}

}  // namespace

int ParseHeidenhainBlock(NcBlockContext& c, std::string_view line, double arcOffset[3]) {
  const char* s = line.data();
  std::size_t len = line.size();
  // A NUL ends the text of the line; a "(" anywhere makes it no block at all.
  if (const void* nul = std::memchr(s, '\0', len)) len = static_cast<const char*>(nul) - s;
  if (std::memchr(s, '(', len) != nullptr) return 0;

  PointRegister& reg = c.reg;
  HeidenhainModalState& m = c.state.heidenhain;
  int& incremental = c.state.incremental;
  int type = BeginConversationalBlock(m, reg, incremental, arcOffset);

  // The words that end the walk leave the register's type as the walk had made it.
  auto NoBlock = [&] {
    reg.type = type;
    return 0;
  };
  RunValue v;
  std::size_t i = 0;
  bool endOfBlock = false;
  while (i < len && !endOfBlock) {
    const char ch = s[i++];
    switch (ch) {
      case 'X':
      case 'x':
        i = ReadRun<true>(s, i, len, v);
        if (m.circleCentrePending)
          m.centreDelta[0] = v.value - reg.x;
        else
          reg.x = v.value;
        break;
      case 'Y':
      case 'y':
        i = ReadRun<true>(s, i, len, v);
        if (m.circleCentrePending)
          m.centreDelta[1] = v.value - reg.y;
        else
          reg.y = v.value;
        break;
      case 'Z':
      case 'z':
        i = ReadRun<true>(s, i, len, v);
        reg.z = v.value;
        break;
      case 'F':
      case 'f':
        // "FMAX" reads no digits here and changes nothing (its X reads an empty number).
        i = ReadRun<true>(s, i, len, v);
        if (v.digits) {
          reg.feed = ClassicFeed(c.state, v.value);
          type = TypeAfterFeed(type, reg.feed);
          m.modalMotion = type;
        }
        break;
      case 'R':
        i = ReadRun<true>(s, i, len, v);
        if (v.digits) reg.radius = v.value;
        break;
      case 'G':
        i = ReadRun<false>(s, i, len, v);
        ApplyClassicG<kConversationalClassicG>(IntegerPart(v.value),
                                               {type, reg, incremental, arcOffset, m.blockStart});
        m.modalMotion = type;
        break;
      case 'L':
        // The character after the L is passed over ("LP", "LN", the blank of "L X"); a line
        // feed is never passed over, as with DR below.
        if (i < len && s[i] != '\n') ++i;
        type = TypeAfterL(type, reg.feed);
        m.modalMotion = type;
        break;
      case 'D':
        if (i >= len || s[i] != 'R') break;  // a D of any other word is skipped
        endOfBlock = ReadDirection(m, reg, s, i, len, type, arcOffset);
        break;
      case 'B':
        if (NextTwoAre(s, i, len, 'E', 'G') || NextTwoAre(s, i, len, 'L', 'K'))
          return NoBlock();  // BEGIN PGM, BLK FORM
        [[fallthrough]];
      case 'T':
        if (NextTwoAre(s, i, len, 'O', 'O')) return NoBlock();  // TOOL CALL, TOOL DEF
        [[fallthrough]];
      case 'E':
        if (NextTwoAre(s, i, len, 'N', 'D')) return NoBlock();  // END PGM
        [[fallthrough]];
      case 'C':
        if (i < len && s[i] == 'R') {
          ++i;  // CR: an arc by radius; its R is no radius word
        } else if (i < len && s[i] == 'C') {
          ++i;  // CC: the block's X and Y give the circle centre
          m.circleCentrePending = 1;
        }
        break;
      case 'c':
        // A lower-case c ends the block at once as a move, without the end-of-block steps.
        reg.type = type;
        return 1;
      case '\n':
        endOfBlock = true;
        break;
      default:
        break;  // M, S, N, I, A, Q, blanks, digits and every other character
    }
  }
  reg.type = type;
  if (!endOfBlock) return 0;  // no line feed: not a block
  return EndConversationalBlock(m, reg, incremental, arcOffset, type);
}

}  // namespace trevalon
