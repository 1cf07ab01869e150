#include "app/machine_settings.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/no_case.h"

namespace trevalon {

namespace {

struct Key {
  const char* name;
  double lo, hi;
  const char* unit;
  double MachineLimits::*scalar;  // null for the axis values
  double (MachineLimits::*axes)[3];
  int axis;
};

constexpr Key kKeys[] = {
    {"RapidX", 1, 1e6, "mm/min", nullptr, &MachineLimits::rapid, 0},
    {"RapidY", 1, 1e6, "mm/min", nullptr, &MachineLimits::rapid, 1},
    {"RapidZ", 1, 1e6, "mm/min", nullptr, &MachineLimits::rapid, 2},
    {"AccelX", 1, 1e5, "mm/s^2", nullptr, &MachineLimits::accel, 0},
    {"AccelY", 1, 1e5, "mm/s^2", nullptr, &MachineLimits::accel, 1},
    {"AccelZ", 1, 1e5, "mm/s^2", nullptr, &MachineLimits::accel, 2},
    {"JunctionDeviation", 0, 10, "mm", &MachineLimits::junctionDeviation, nullptr, 0},
    {"BlockTime", 0, 1, "s", &MachineLimits::blockTime, nullptr, 0},
};

// A decimal number and nothing else: an optional sign, digits with an optional point and
// exponent. No hexadecimal, no infinity, no trailing characters.
bool ParseNumber(std::string_view w, double& out) {
  if (!w.empty() && w[0] == '+') w.remove_prefix(1);
  if (w.empty()) return false;
  double v = 0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
  if (ec != std::errc() || end != w.data() + w.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string Shown(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

}  // namespace

std::string MachineSettingsPath(const std::string& configDir) {
  return configDir + "/machine.par";
}

bool ParseMachineSettings(std::string_view text, MachineLimits& limits, std::string& why) {
  MachineLimits next = limits;
  int lineNo = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
      line = line.substr(0, hash);
    // The words of the line (blanks, tabs and a carriage return separate them).
    std::string_view words[3];
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size();) {
      while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      const std::size_t w = i;
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      if (i > w) {
        if (count < 3) words[count] = line.substr(w, i - w);
        ++count;
      }
    }
    if (count == 0) continue;
    const Key* key = nullptr;
    for (const Key& k : kKeys)
      if (EqualNoCase(words[0], k.name)) key = &k;
    if (key == nullptr) continue;  // a key of another version of the program
    const std::string where = "line " + std::to_string(lineNo) + ": " + key->name;
    if (count != 2) {
      why = where + (count == 1 ? " has no value" : " takes one value");
      return false;
    }
    double v = 0;
    if (!ParseNumber(words[1], v) || v < key->lo || v > key->hi) {
      why = where + " must be a number from " + Shown(key->lo) + " to " + Shown(key->hi) + " (" +
            key->unit + "), not '" + std::string(words[1]) + "'";
      return false;
    }
    if (key->scalar)
      next.*(key->scalar) = v;
    else
      (next.*(key->axes))[key->axis] = v;
  }
  limits = next;
  return true;
}

MachineLimits ReadMachineSettings(CApplication& app) {
  const std::string path = MachineSettingsPath(app.settings.configDir);
  MachineLimits limits;
  std::string text;
  const FileReadError e = ReadBoundedFile(path, kMachineSettingsFileLimit, text, true);
  if (e == FileReadError::Missing) return limits;
  if (e != FileReadError::None) {
    app.Msg().ShowReadError(e, path);
    return limits;
  }
  std::string why;
  if (!ParseMachineSettings(text, limits, why)) {
    const std::string shown = FillText(app.Text(Txt::MachineSettingsRefused), path + " " + why);
    app.platform.ShowMessage(shown, app.Text(Txt::ErrorMessage), MessageIcon::Information,
                             MessageButtons::Ok);
  }
  return limits;
}

}  // namespace trevalon
