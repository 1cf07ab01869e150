#pragma once
// The words of a block as the fixed-format writer spells them (coordinates, feed, changed
// axes, incremental deltas, arc plane), shared by its ISO and Heidenhain block writers and its
// program frame. Inline: they run for every block of a program of millions.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/point_record.h"
#include "ncio/nc_number.h"

namespace trevalon::ncwords {

// Room for one motion block: a few words of at most ~60 characters.
inline constexpr std::size_t kLine = 2048;

inline char* Put(char* p, const char* s) {
  while (*s) *p++ = *s++;
  return p;
}

inline const char* PlaneWord(int plane) {
  return plane == PLANE_ZX ? "G18" : plane == PLANE_YZ ? "G19" : "G17";
}
// The axis along a plane's normal: Z for G17, Y for G18, X for G19.
inline int NormalAxis(int plane) {
  return plane == PLANE_ZX ? 1 : plane == PLANE_YZ ? 0 : 2;
}
inline char* Word(char* p, char letter, double v) {
  *p++ = letter;
  return AppendFixed3(p, v);
}
// A coordinate with its sign always written, as conversational controls show it ("X+10.000",
// "Y-5.000"); a value that rounds to zero is "+0.000", never "-0.000".
inline char* SignedWord(char* p, char letter, double v) {
  *p++ = letter;
  char* sign = p++;
  *sign = '+';
  char* e = AppendFixed3(p, v);
  if (*p != '-') return e;
  bool zero = true;
  for (const char* q = p + 1; q < e; ++q) zero = zero && (*q == '0' || *q == '.');
  if (!zero) *sign = '-';
  std::memmove(p, p + 1, static_cast<std::size_t>(e - p - 1));
  return e - 1;
}
inline char* SignedWordAfterBlank(char* p, char letter, double v) {
  *p++ = ' ';
  return SignedWord(p, letter, v);
}
inline char* FeedWord(char* p, std::int32_t feed) {
  *p++ = 'F';
  return AppendInt(p, feed);
}
// Changed coordinates in the order X, Y, Z; true when any was written.
inline bool ChangedWords(char*& p, const double to[3], const double from[3]) {
  bool any = false;
  static const char kAxis[3] = {'X', 'Y', 'Z'};
  for (int a = 0; a < 3; ++a)
    if (to[a] != from[a]) {
      p = Word(p, kAxis[a], to[a]);
      any = true;
    }
  return any;
}
// Incremental deltas, rounded; `to` becomes from + the rounded deltas.
inline bool DeltaWords(char*& p, double to[3], const double from[3]) {
  bool any = false;
  static const char kAxis[3] = {'X', 'Y', 'Z'};
  for (int a = 0; a < 3; ++a) {
    char text[420];
    double rounded;
    char* e = AppendShort3(text, to[a] - from[a], rounded);
    to[a] = from[a] + rounded;
    if (rounded != 0.0) {
      *p++ = kAxis[a];
      std::memcpy(p, text, static_cast<std::size_t>(e - text));
      p += e - text;
      any = true;
    }
  }
  return any;
}

// A coordinate as a reader gets it back from its "%.3f" word (read by the readers' own
// number routine).
inline double WrittenValue(double v) {
  char text[420];
  const char* e = AppendFixed3(text, v);
  ncnumber::RunValue run;
  ncnumber::ReadRun<true>(text, 0, static_cast<std::size_t>(e - text), run);
  return run.value;
}

// Whether a reader can tell `to` from `from` once written: absolute words by their texts,
// incremental ones by the rounded delta.
inline bool SameWhenWritten(double from, double to, bool incremental) {
  char a[420], b[420];
  if (incremental) {
    double rounded = 0;
    AppendShort3(a, to - from, rounded);
    return rounded == 0.0;
  }
  *AppendFixed3(a, from) = '\0';
  *AppendFixed3(b, to) = '\0';
  return std::strcmp(a, b) == 0;
}

}  // namespace trevalon::ncwords
