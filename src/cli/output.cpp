#include "cli/output.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "model/statistics.h"

namespace trevalon::cli {

namespace {
std::string Real(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.6f", v);
  return b;
}
std::string Triple(const double v[3]) {
  char b[200];
  std::snprintf(b, sizeof b, "[%.6f,%.6f,%.6f]", v[0], v[1], v[2]);
  return b;
}
}  // namespace

void PrintStatisticsJson(std::ostream& out, CPointStore& store) {
  const ToolpathStatistics st = CurrentStatistics(store);
  out << "{\"count\":" << store.count << ",\"max_feed\":" << st.maxFeed
      << ",\"cutting_length\":" << Real(st.cuttingLength)
      << ",\"rapid_length\":" << Real(st.rapidLength)
      << ",\"cutting_time\":" << Real(st.cuttingTime)
      << ",\"cutting_min\":" << Triple(st.cuttingMin)
      << ",\"cutting_max\":" << Triple(st.cuttingMax) << ",\"rapid_min\":" << Triple(st.rapidMin)
      << ",\"rapid_max\":" << Triple(st.rapidMax) << ",\"arc_length\":" << Real(st.arcLength)
      << "}\n";
}

}  // namespace trevalon::cli
