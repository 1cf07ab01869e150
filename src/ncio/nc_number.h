#pragma once
// The numbers of NC blocks: the number that follows a letter, as both block parsers read it
// (namespace ncnumber: a run of characters collected into a buffer of 20, converted as far as
// it forms a decimal number; shared by the Fanuc-style and the Heidenhain parser), and the
// formats in which the writers spell coordinates, feeds and incremental deltas.

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace trevalon::ncnumber {

// The number buffer holds 20 characters. A longer run is cut to its first 20 characters and
// the rest of the run is passed over with it: the extra characters can only be further
// digits, points or signs, so the value keeps its leading digits (only decimals beyond the
// buffer are lost) and the walk continues after the whole run.
inline constexpr std::size_t kNumberBuffer = 20;

struct RunValue {
  double value = 0;     // 0 when the text forms no number
  bool empty = true;    // no character was collected
  bool digits = false;  // the converted part holds at least one digit
};

inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}
inline bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Powers of ten that are exact doubles.
inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads the run that starts at s[i] (the character after the letter) up to `end`; returns
// the index of the first character after the run. The run is made of digits, "." and "-",
// and also "+" when kPlus (the Heidenhain signed number). The value is what a C conversion
// of the collected text gives: an optional sign, digits, an optional point and digits, the
// rest ignored ("1-2" gives 1, "-" and "." give 0).
template <bool kPlus>
inline std::size_t ReadRun(const char* s, std::size_t i, std::size_t end, RunValue& out) {
  auto inRun = [](char c) { return IsDigit(c) || c == '.' || c == '-' || (kPlus && c == '+'); };
  const std::size_t start = i;
  const std::size_t cap = end - start > kNumberBuffer ? start + kNumberBuffer : end;
  std::size_t j = start;
  bool negative = false;
  if (j < cap && (s[j] == '-' || (kPlus && s[j] == '+'))) negative = s[j++] == '-';
  const std::size_t unsignedStart = j;
  std::uint64_t mantissa = 0;
  int count = 0, fraction = 0;
  while (j < cap && IsDigit(s[j])) {
    mantissa = mantissa * 10 + static_cast<unsigned>(s[j] - '0');
    ++count, ++j;
  }
  if (j < cap && s[j] == '.') {
    ++j;
    while (j < cap && IsDigit(s[j])) {
      mantissa = mantissa * 10 + static_cast<unsigned>(s[j] - '0');
      ++count, ++fraction, ++j;
    }
  }
  const std::size_t numberEnd = j;
  while (j < end && inRun(s[j])) ++j;
  out.empty = j == start;
  out.digits = count > 0;
  if (count == 0) {
    out.value = 0.0;
  } else if (count <= 19 && mantissa <= (std::uint64_t{1} << 53)) {
    // Both operands are exact, so one division rounds correctly: the same double as a
    // full decimal conversion.
    double v = static_cast<double>(mantissa) / kPow10[fraction];
    out.value = negative ? -v : v;
  } else {
    double v = 0.0;
    std::from_chars(s + unsignedStart, s + numberEnd, v);
    out.value = negative ? -v : v;
  }
  return j;
}

// The integer part of a value, truncated toward zero. A value outside the 32-bit range
// gives the processor's "integer indefinite" (the lowest int), as the hardware conversion
// does, instead of undefined behaviour.
inline std::int32_t IntegerPart(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// What a record's 16-bit feed holds.
inline constexpr std::int32_t kHighestRecordFeed = 32767;
inline constexpr std::int32_t kLowestRecordFeed = -32768;

// The feed a record keeps for the value of an F word: its integer part, as every reader has
// always taken it. Our rule: a value the record cannot hold is limited, never wrapped into
// its 16 bits: above 32767 it becomes 32767, above 0 and below 1 it becomes 1 (not 0, which
// no control takes as a cutting feed), below -32768 it becomes -32768 and a value that is no
// number 0. `limited` is set when the feed had to be limited (so that the read can say so);
// dropping the decimals of a feed from 1 up is no limit.
inline std::int32_t RecordFeed(double v, bool& limited) {
  if (v >= 1.0 && v < 32768.0) return static_cast<std::int32_t>(v);  // every real feed
  if (v > -32769.0 && v <= -1.0) return static_cast<std::int32_t>(v);
  if (v == 0.0 || (v > -1.0 && v < 0.0)) return 0;
  limited = true;
  if (v > 0.0) return v < 1.0 ? 1 : kHighestRecordFeed;
  if (v < 0.0) return kLowestRecordFeed;
  return 0;  // not a number
}

}  // namespace trevalon::ncnumber

namespace trevalon {

// ---- Number formats of the writers ---------------------------------------------------
// Appends v exactly as printf("%.3f") spells it (same rounding, "-0.000" for small negative
// values) and returns the end. Coordinates are written millions of times per program, so the
// common case avoids printf; the caller leaves at least 400 bytes of room.
char* AppendFixed3(char* p, double v);
// Appends a decimal integer ("%d").
char* AppendInt(char* p, long v);
// The short-number format of incremental deltas: v rounded to 3 decimals as " %.3f " spells
// it, trailing zeros, a leading "0" and the blanks dropped (1.5, 10., .25, -.25, 100.05).
// Appends the text and returns the end; `rounded` receives the value that text stands for.
char* AppendShort3(char* p, double v, double& rounded);

}  // namespace trevalon
