#pragma once
// MachineSetup: what a program told the machine up to its first cut, beyond the moves
// themselves: the units its numbers are in, the work offset (datum) they are measured from,
// the plane, the tool length compensation number, the coolant and the spindle's direction.
// The toolpath's numbers are stored as the program wrote them, so a program written from them
// must say the same units and work offset again, or the machine cuts somewhere else.
//
// Every field has a "not said" value: a toolpath made by commands, or read from a program
// that said none of these words, has an empty setup and is written as it always was.

#include <cstdint>
#include <string>

namespace trevalon {

// An address with its number ("G55", "M08"). Appended rather than written as "G" + number:
// g++ 12 warns falsely (-Wrestrict) about the inlined concatenation of a literal and a string.
std::string AddressWord(const char* address, int number);

struct MachineSetup {
  enum class Units : std::uint8_t { Unknown, Millimetre, Inch };
  enum class Offset : std::uint8_t {
    None,
    Standard,  // G54 to G59: number 54 to 59
    Extended,  // G54.1 Pn: number n
    Numbered,  // G110 and up, one G code per offset: number is the G code
    Datum,     // a datum shift of a conversational program: shift holds it
    Preset,    // a preset (datum table row) of a conversational program: number is the row
  };

  Units units = Units::Unknown;
  Offset offset = Offset::None;
  int offsetNumber = 0;
  double shift[3] = {0, 0, 0};  // Offset::Datum only
  int plane = 0;                // 17, 18, 19; 0 not said
  int lengthComp = -1;          // the H number in force (0: cancelled); -1 not said
  int coolant = 0;              // 7 (mist) or 8 (flood); 0 not said or turned off
  int spindleDirection = 0;     // 3 (clockwise) or 4 (counter-clockwise); 0 not said

  bool Empty() const {
    return units == Units::Unknown && offset == Offset::None && plane == 0 && lengthComp < 0 &&
           coolant == 0 && spindleDirection == 0;
  }
  // The work offset as one ISO word ("G54", "G54.1P3", "G110"); "" when there is none that an
  // ISO program can name (a conversational datum shift or preset).
  std::string IsoOffsetWord() const;
  // "G21" or "G20"; "" when unknown.
  std::string IsoUnitsWord() const {
    return units == Units::Millimetre ? "G21" : units == Units::Inch ? "G20" : "";
  }
  // "MM" unless the program was in inches.
  const char* ConversationalUnits() const { return units == Units::Inch ? "INCH" : "MM"; }
  // A short description for the user and the logs: "G21 G54 G17 H1 M08 M03", the words that
  // were said, in that order; a conversational datum as "DATUM X.. Y.. Z..".
  std::string Describe() const;

  // Whether a program written with `other` runs in the same units and from the same work
  // offset (what verify compares; the other fields do not move the tool).
  bool SameUnitsAndOffset(const MachineSetup& other) const;
  bool operator==(const MachineSetup&) const = default;
};

}  // namespace trevalon
