#pragma once
// What a G code means to the readers: one table for the classic ISO and conversational
// parsers (fanuc_reader.cpp, heidenhain_reader.cpp), the extended ISO interpreter (ext_iso.cpp)
// and the scans that tell the lines a control reads otherwise (ext_reader.cpp, the plain-line
// walk of the ISO parser). Inline: the classic parsers look every G word of a program up here.
//
// The readers differ on purpose in how they apply the same meaning; the differences are the
// named flags of ClassicGRules and the comments below, side by side:
//  - A code with a decimal: the classic readers read a G code by its integer part (G17.1 is
//    G17, G2.5 is G2); the extended interpreter runs the code as written and reports a code
//    with a decimal it does not know (G17.1 is not run).
//  - G0 in a run of rapids: the classic ISO parser starts a new run (a plain rapid) at every
//    G0, while G1 continues a run of cuts; the classic conversational parser continues both.
//    The extended interpreter starts a new run at every block that names its motion.
//  - G90 after coordinates in the same block: the classic ISO parser drops them (the block
//    starts again from where it began); the classic conversational parser keeps them; the
//    extended interpreter runs a block's codes before its move, so G90 anywhere in a block
//    holds for every coordinate of it.
//  - G17, G18, G19: the classic ISO parser and the extended interpreter select the arc plane;
//    the classic conversational parser passes them over (its arcs lie in the XY plane).
//  - Drilling cycles, the cycle cancel and macro calls only the extended interpreter runs; the
//    classic readers pass them over, and the scans count their lines as read otherwise.

#include <cstdint>

#include "model/point_record.h"

namespace trevalon {

enum class GMeaning : std::uint8_t {
  Other,          // no code of the groups below (or none the table knows)
  Rapid,          // G0
  Line,           // G1
  ArcCw,          // G2
  ArcCcw,         // G3
  PlaneXY,        // G17
  PlaneZX,        // G18
  PlaneYZ,        // G19
  Absolute,       // G90
  Incremental,    // G91
  CycleCancel,    // G80
  DrillingCycle,  // G73, G74, G76, G81-G89
  MacroCall,      // G65, G66
};

// The meaning of a G code without decimals (G17 is 17).
constexpr GMeaning MeaningOfG(long code) {
  switch (code) {
    case 0:
      return GMeaning::Rapid;
    case 1:
      return GMeaning::Line;
    case 2:
      return GMeaning::ArcCw;
    case 3:
      return GMeaning::ArcCcw;
    case 17:
      return GMeaning::PlaneXY;
    case 18:
      return GMeaning::PlaneZX;
    case 19:
      return GMeaning::PlaneYZ;
    case 90:
      return GMeaning::Absolute;
    case 91:
      return GMeaning::Incremental;
    case 80:
      return GMeaning::CycleCancel;
    case 73:
    case 74:
    case 76:
    case 81:
    case 82:
    case 83:
    case 84:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
      return GMeaning::DrillingCycle;
    case 65:
    case 66:
      return GMeaning::MacroCall;
    default:
      return GMeaning::Other;
  }
}

// A motion code's motion as the extended interpreter keeps it (0 G0, 1 G1, 2 G2, 3 G3); -1 for
// a code of no motion.
constexpr int MotionOfG(GMeaning m) {
  switch (m) {
    case GMeaning::Rapid:
      return 0;
    case GMeaning::Line:
      return 1;
    case GMeaning::ArcCw:
      return 2;
    case GMeaning::ArcCcw:
      return 3;
    default:
      return -1;
  }
}

// The plane a plane code selects (PLANE_XY, PLANE_ZX, PLANE_YZ); 0 for any other code.
constexpr int PlaneOfG(GMeaning m) {
  return m == GMeaning::PlaneXY   ? PLANE_XY
         : m == GMeaning::PlaneZX ? PLANE_ZX
         : m == GMeaning::PlaneYZ ? PLANE_YZ
                                  : 0;
}

// How a classic parser applies a G code; the classic rules of each dialect, kept as they are.
struct ClassicGRules {
  // G0 starts a new run of rapids even in a run of rapids (the block is stored as a plain
  // rapid); else G0 continues a run of rapids as G1 continues a run of cuts.
  bool rapidStartsRun;
  // G90 drops the coordinates read before it in the same block.
  bool absoluteDropsEarlierWords;
  // G17, G18 and G19 select the arc plane and clear the centre offset along its normal.
  bool selectsPlane;
};
inline constexpr ClassicGRules kIsoClassicG{true, true, true};
inline constexpr ClassicGRules kConversationalClassicG{false, false, false};

// What a classic parser's G code changes: the block's motion type, the register (plane and
// coordinates read so far), G90/G91, the centre offset, and the block's start (what G90 goes
// back to, when the rules drop the coordinates before it).
struct ClassicGBlock {
  int& type;
  PointRegister& reg;
  int& incremental;
  double* arcOffset;
  const double* start;
};

// Applies the G code `code` (its integer part) to the block under the rules R. A block that
// continues a run (MOVE_LINE_CONT, MOVE_RAPID_CONT) keeps it at a G1, and at a G0 unless
// R.rapidStartsRun.
template <const ClassicGRules& R>
inline void ApplyClassicG(long code, ClassicGBlock b) {
  switch (MeaningOfG(code)) {
    case GMeaning::Rapid:
      if (R.rapidStartsRun || b.type != MOVE_RAPID_CONT) b.type = MOVE_RAPID;
      break;
    case GMeaning::Line:
      if (b.type != MOVE_LINE_CONT) b.type = MOVE_LINE;
      break;
    case GMeaning::ArcCw:
      b.type = MOVE_ARC_CW;
      break;
    case GMeaning::ArcCcw:
      b.type = MOVE_ARC_CCW;
      break;
    case GMeaning::PlaneXY:
      if (R.selectsPlane) b.reg.plane = PLANE_XY, b.arcOffset[2] = 0.0;
      break;
    case GMeaning::PlaneZX:
      if (R.selectsPlane) b.reg.plane = PLANE_ZX, b.arcOffset[1] = 0.0;
      break;
    case GMeaning::PlaneYZ:
      if (R.selectsPlane) b.reg.plane = PLANE_YZ, b.arcOffset[0] = 0.0;
      break;
    case GMeaning::Absolute:
      b.incremental = 0;
      if (R.absoluteDropsEarlierWords)
        b.reg.x = b.start[0], b.reg.y = b.start[1], b.reg.z = b.start[2];
      break;
    case GMeaning::Incremental:
      b.incremental = 1;
      b.reg.x = b.reg.y = b.reg.z = 0.0;
      break;
    default:
      break;  // cycles, macro calls and every other code: passed over
  }
}

}  // namespace trevalon
