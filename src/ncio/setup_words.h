#pragma once
// Noting a program's setup (model/machine_setup.h) while it is read: every reader hands the
// blocks it meets up to its first cut (the approach rapids belong to the setup) to these
// functions. They only look: what a block moves and how it is read stays the reader's alone.

#include <string_view>

#include "model/machine_setup.h"

namespace trevalon {

// G and M codes times ten (G54.1 is 541), as the extended ISO reader keeps them, with the
// block's P and H words where it has them (null otherwise).
//  - G20/G21 units; G17/G18/G19 plane; G54-G59, G54.1 Pn (P1 when no P is given), G110-G129
//    work offsets; G43/G44 with H sets the length compensation number, G49 cancels it (0).
//  - M03/M04 spindle direction, M05 stops it; M07/M08 coolant, M09 turns it off; M13/M14
//    (spindle and coolant together) set both.
void NoteIsoSetupCodes(MachineSetup& s, const int* g, int gCount, const int* m, int mCount,
                       const double* p, const double* h);
// One ISO block as a file holds it: words are letters with numbers, "(...)" comments and
// everything after ";" are passed over, a "#" word (a macro value) is left out.
void NoteIsoSetupBlock(MachineSetup& s, std::string_view block);

// The blocks of a conversational program, one after the other (a cycle's parameters follow
// its definition on lines of their own):
//  - BEGIN PGM name MM|INCH: the units;
//  - CYCL DEF 7.1-7.3 X/Y/Z: a datum shift (7.1 #n: the datum table's row n, a preset);
//    CYCL DEF 247 with Q339=n: preset n;
//  - TOOL CALL n X|Y|Z: the tool axis gives the plane (Z: XY), the tool its length
//    compensation (a conversational control takes it from the tool table);
//  - M3/M4/M5, M7/M8/M9, M13/M14 as in ISO.
class ConversationalSetupScan {
 public:
  void Block(MachineSetup& s, std::string_view block);
  bool operator==(const ConversationalSetupScan&) const = default;

 private:
  bool presetCycle_ = false;  // inside CYCL DEF 247: its Q339 names the preset
};

}  // namespace trevalon
