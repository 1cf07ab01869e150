#include "model/machine_setup.h"

#include <cstdio>

namespace trevalon {

std::string AddressWord(const char* address, int number) {
  std::string w(address);
  w += std::to_string(number);
  return w;
}

std::string MachineSetup::IsoOffsetWord() const {
  switch (offset) {
    case Offset::Standard:
    case Offset::Numbered:
      return AddressWord("G", offsetNumber);
    case Offset::Extended:
      return AddressWord("G54.1P", offsetNumber);
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
    add(AddressWord("PRESET ", offsetNumber));
  } else {
    add(IsoOffsetWord());
  }
  if (plane) add(AddressWord("G", plane));
  if (lengthComp >= 0) add(AddressWord("H", lengthComp));
  if (coolant) add(AddressWord("M0", coolant));
  if (spindleDirection) add(AddressWord("M0", spindleDirection));
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
