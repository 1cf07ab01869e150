#pragma once
// The extended Heidenhain reader: a conversational program interpreted as the control runs it
// (Q parameters and formulas, labels and their calls, the datum shift, polar and tangential
// contours, roundings and chamfers, incremental words, F MAX as a rapid whatever the feed), its
// moves handed to an ExtMoveSink. The classic Heidenhain parser (heidenhain_reader.h) stays as
// it is; this one is used only by extended reading.
//
// What it does not expand it counts in the report by these keys, one per block:
//   "rotary"          rotary words (A, B, C); the linear axes move as written
//   "tilted-plane"    PLANE functions and the tilting cycle 19; positions used as written
//   "coord-transform" mirror, rotation and scaling cycles (8, 10, 11, 26)
//   "cycle"           machining cycles (CYCL DEF 200 and up, and the other numbered cycles)
//   "datum-table"     a datum shift taken from a datum table
//   "fk-contour"      FK free contour blocks (FL, FLT, FC, FCT, FPOL, FSELECT)
//   "machine-datum"   M91/M92 blocks: no move, the position stays
//   "feed-per-rev"    FU and FZ feeds: the feed in force stays
//   "program-call"    CALL PGM: the other program is not read
//   "fn-function"     FN functions other than arithmetic, jumps, printing and waiting
//                     (FN 17 SYSWRITE, FN 18 SYSREAD, PLC, tables, ...): not run, their
//                     parameters keep their values
//   "missing-label"   a call or jump to a label the program does not hold
//   "formula"         a formula or value that could not be worked out (the parameter keeps
//                     its value, the word is left out)
//   "corner-unresolved" a rounding or chamfer that is not between two straight moves or does
//                     not fit them: the corner stays sharp
//   "bad-arc"         an arc that cannot be built (radius 0, no tangent): a straight cut to its
//                     end point instead
//   "inch"            an INCH program: values are used as written

#include <string_view>
#include <vector>

#include "model/machine_setup.h"
#include "ncio/ext_moves.h"

namespace trevalon {

// What the classic reader also keeps of a program, for the work layer.
struct ExtProgramInfo {
  int tool = 0, spindle = 0, program = 0;
  MachineSetup setup;  // what the blocks up to the first cut said
};

// `lines`: the file's lines without their line ends; `start`: the position before the first
// move. Returns 1 when the program was read to its end, 0 when the store became full
// (sink.Full()) or the read stopped (report.stopReason says why, with the line): a loop that
// never ends, calls nested without end, FN 14 ERROR, a division by zero or a function outside
// its range (SQRT of a negative, ...). The moves before stay stored.
int ReadHeidenhainExtended(const std::vector<std::string_view>& lines, ExtMoveSink& sink,
                           ExtReadReport& report, const double start[3]);
int ReadHeidenhainExtended(const std::vector<std::string_view>& lines, ExtMoveSink& sink,
                           ExtReadReport& report, const double start[3], ExtProgramInfo* info);

}  // namespace trevalon
