#include "model/machine_setup.h"

#include <cstdio>

namespace trevalon {

std::string MachineSetup::IsoOffsetWord() const {
  switch (offset) {
    case Offset::Standard:
    case Offset::Numbered:
      return "G" + std::to_string(offsetNumber);
    case Offset::Extended:
      return "G54.1P" + std::to_string(offsetNumber);
    default:
      return "";
  }
}

std::string MachineSetup::Describe() const {
  std::string s;
  auto add = [&s](const std::string& word) {
    if (word.empty()) return;
    if (!s.empty()) s += ' ';
    s += word;
  };
  add(IsoUnitsWord());
  if (offset == Offset::Datum) {
    char text[128];
    std::snprintf(text, sizeof text, "DATUM X%+.3f Y%+.3f Z%+.3f", shift[0], shift[1], shift[2]);
    add(text);
  } else if (offset == Offset::Preset) {
    add("PRESET " + std::to_string(offsetNumber));
  } else {
    add(IsoOffsetWord());
  }
  if (plane) add("G" + std::to_string(plane));
  if (lengthComp >= 0) add("H" + std::to_string(lengthComp));
  if (coolant) add("M0" + std::to_string(coolant));
  if (spindleDirection) add("M0" + std::to_string(spindleDirection));
  return s;
}

bool MachineSetup::SameUnitsAndOffset(const MachineSetup& o) const {
  if (units != o.units) return false;
  if (offset != o.offset || offsetNumber != o.offsetNumber) return false;
  if (offset == Offset::Datum)
    for (int a = 0; a < 3; ++a)
      if (shift[a] != o.shift[a]) return false;
  return true;
}

}  // namespace trevalon
