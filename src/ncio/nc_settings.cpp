#include "ncio/nc_settings.h"

#include <cstdio>
#include <sstream>
#include <string_view>

#include "platform/file_io.h"
#include "platform/no_case.h"

namespace trevalon {

namespace {

// A value word as a C scan of "%d" takes it: optional blanks are already gone, an optional
// sign, then digits as far as they go; a word without leading digits gives 0, and a number
// beyond the 32-bit range saturates instead of wrapping.
std::int32_t DecimalValue(std::string_view w) {
  std::size_t i = 0;
  bool negative = false;
  if (i < w.size() && (w[i] == '-' || w[i] == '+')) negative = w[i++] == '-';
  long long v = 0;
  for (; i < w.size() && w[i] >= '0' && w[i] <= '9'; ++i) {
    v = v * 10 + (w[i] - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return static_cast<std::int32_t>(v);
}

}  // namespace

std::string NcSettingsPath(const std::string& configDir) {
  return configDir + "/korvo.par";
}

FileReadError ReadNcSettingsFile(const std::string& path, NcSwitches& nc) {
  std::string text;
  const FileReadError e = ReadBoundedFile(path, kNcSettingsFileLimit, text, true);
  if (e != FileReadError::None) return e;
  std::istringstream in(text);
  std::string key, value;
  while (in >> key >> value) {
    if (EqualNoCase(key, "IntNcdataFlg"))
      nc.intNcdataFlg = DecimalValue(value);
    else if (EqualNoCase(key, "ArcToCutInputChk"))
      nc.arcToCutInputChk = DecimalValue(value);
    else if (EqualNoCase(key, "HeidenhainInputChk"))
      nc.heidenhainInputChk = DecimalValue(value);
    else if (EqualNoCase(key, "HeidenhainOutChk"))
      nc.heidenhainOutChk = DecimalValue(value);
    else if (EqualNoCase(key, "ExtendedReadingChk"))
      nc.extendedReadingChk = DecimalValue(value);
    else if (EqualNoCase(key, "HeidenhainStyleChk"))
      nc.heidenhainStyleChk = DecimalValue(value);
  }
  return FileReadError::None;
}

std::string FormatNcSettings(const NcSwitches& nc) {
  char text[160];
  std::snprintf(text, sizeof text,
                "IntNcdataFlg %d \nArcToCutInputChk %d \nHeidenhainInputChk %d \n"
                "HeidenhainOutChk %d \n",
                nc.intNcdataFlg, nc.arcToCutInputChk, nc.heidenhainInputChk, nc.heidenhainOutChk);
  std::string lines = text;
  if (nc.extendedReadingChk != 0) {
    std::snprintf(text, sizeof text, "ExtendedReadingChk %d \n", nc.extendedReadingChk);
    lines += text;
  }
  // Left out at its default, as the extended reading line is.
  if (nc.heidenhainStyleChk != 0) {
    std::snprintf(text, sizeof text, "HeidenhainStyleChk %d \n", nc.heidenhainStyleChk);
    lines += text;
  }
  return lines;
}

int WriteNcSettingsFile(const std::string& path, const NcSwitches& nc) {
  return WriteFileReplacing(path, FormatNcSettings(nc));
}

}  // namespace trevalon
