#pragma once
// The keys of the settings and condition files are matched without regard to case, as people
// write them by hand. Only ASCII letters fold, whatever the locale the desktop has set: a key
// never holds anything else, and a byte of another text must not match by accident.

#include <string_view>

namespace trevalon {

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace trevalon
