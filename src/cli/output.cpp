#include "cli/output.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "model/statistics.h"

namespace trevalon::cli {

namespace {
std::string Triple(const double v[3]) {
  std::string s = "[";
  for (int a = 0; a < 3; ++a) (s += a ? "," : "") += JsonReal(v[a]);
  return s += "]";
}

// The length of the UTF-8 sequence that starts at s[i], 0 when it is not a well-formed one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const std::size_t n = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
  return n;
}
}  // namespace

std::string JsonReal(double v) {
  // JSON has no words for what is not a finite number: such a value is written as null, so
  // that a line of info stays valid JSON whatever a toolpath holds.
  if (!std::isfinite(v)) return "null";
  char b[400];  // %.6f of the largest double: 309 digits and the decimals
  std::snprintf(b, sizeof b, "%.6f", v);
  return b;
}

std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04x", u);
      out += b;
    } else if (u >= 0x80) {
      const std::size_t n = Utf8Length(s, i);
      if (n == 0) {
        out += "\\ufffd";
        ++i;
      } else {
        out.append(s.substr(i, n));
        i += n;
      }
      continue;
    } else {
      out += c;
    }
    ++i;
  }
  return out + "\"";
}

std::string StatisticsJsonMembers(CPointStore& store, const MachineLimits& machine) {
  const ToolpathStatistics st = CurrentStatistics(store);
  const MachineTime t = EstimateMachineTime(store, machine);
  std::string s =
      "\"count\":" + std::to_string(store.count) + ",\"max_feed\":" + std::to_string(st.maxFeed) +
      ",\"cutting_length\":" + JsonReal(st.cuttingLength) +
      ",\"rapid_length\":" + JsonReal(st.rapidLength) +
      ",\"cutting_time\":" + JsonReal(st.cuttingTime) +
      ",\"cutting_min\":" + Triple(st.cuttingMin) + ",\"cutting_max\":" + Triple(st.cuttingMax) +
      ",\"rapid_min\":" + Triple(st.rapidMin) + ",\"rapid_max\":" + Triple(st.rapidMax) +
      ",\"arc_length\":" + JsonReal(st.arcLength);
  s += ",\"machine_time\":" + (t.complete ? JsonReal(t.total) : std::string("null"));
  s += ",\"rapid_time\":" + (t.complete ? JsonReal(t.rapid) : std::string("null"));
  return s;
}

void PrintStatisticsJson(std::ostream& out, CPointStore& store, const MachineLimits& machine) {
  out << '{' << StatisticsJsonMembers(store, machine) << "}\n";
}

}  // namespace trevalon::cli
