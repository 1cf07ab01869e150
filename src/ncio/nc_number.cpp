// The writers' number formats: coordinates as printf("%.3f") spells them, integers, and the
// short form of incremental deltas, built without printf in the common case.
#include "ncio/nc_number.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace trevalon {

namespace {

// The decimal digits of n with at least `minDigits` digits (leading zeros), appended.
inline char* AppendDigits(char* p, unsigned long long n, int minDigits) {
  char tmp[24];
  int k = 0;
  do {
    tmp[k++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0 || k < minDigits);
  while (k > 0) *p++ = tmp[--k];
  return p;
}

// v scaled to thousandths and rounded the way printf rounds the exact binary value: to the
// nearest, ties to even. With a 64-bit long double mantissa the product v * 1000 is exact
// (53 + 7 bits), so one rounding of it equals printf's rounding of the decimal expansion.
// False when that does not hold (huge values, NaN, a narrow long double): use printf then.
inline bool ScaledThousandths(double v, unsigned long long& n) {
  if constexpr (LDBL_MANT_DIG < 64) {
    return false;
  } else {
    if (!(std::fabs(v) < 1e15)) return false;
    long double scaled = static_cast<long double>(v) * 1000.0L;
    n = static_cast<unsigned long long>(std::fabs(std::nearbyint(scaled)));
    return true;
  }
}

}  // namespace

char* AppendFixed3(char* p, double v) {
  unsigned long long n;
  if (!ScaledThousandths(v, n)) return p + std::snprintf(p, 400, "%.3f", v);
  if (std::signbit(v)) *p++ = '-';
  p = AppendDigits(p, n / 1000, 1);
  *p++ = '.';
  return AppendDigits(p, n % 1000, 3);
}

char* AppendInt(char* p, long v) {
  unsigned long long n = static_cast<unsigned long long>(v);
  if (v < 0) {
    *p++ = '-';
    n = 0ULL - n;
  }
  return AppendDigits(p, n, 1);
}

// " %.3f " is read back into the value and then shortened: trailing zeros go, a leading "0"
// goes, the blanks go. Built directly from the rounded thousandths, which gives the same text.
char* AppendShort3(char* p, double v, double& rounded) {
  unsigned long long n;
  if (!ScaledThousandths(v, n)) {
    char text[400];
    std::snprintf(text, sizeof text, "%.3f", v);
    rounded = std::strtod(text, nullptr);
    std::size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == '0') --len;  // never passes the decimal point
    const char* s = text;
    if (s[0] == '-' && s[1] == '0' && s[2] == '.') {
      *p++ = '-';
      s += 2;
    } else if (s[0] == '0' && s[1] == '.') {
      s += 1;
    }
    std::size_t skip = static_cast<std::size_t>(s - text);
    std::memcpy(p, s, len - skip);
    return p + (len - skip);
  }
  const bool negative = std::signbit(v);
  // n / 1000 is exact as a double for every n below 2^53: the value read back from the text.
  rounded = static_cast<double>(n) / 1000.0;
  if (negative) rounded = -rounded;
  if (negative) *p++ = '-';
  if (n >= 1000) p = AppendDigits(p, n / 1000, 1);
  *p++ = '.';
  unsigned frac = static_cast<unsigned>(n % 1000);
  if (frac != 0) {
    int digits = 3;
    while (frac % 10 == 0) frac /= 10, --digits;
    p = AppendDigits(p, frac, digits);
  }
  return p;
}

}  // namespace trevalon
