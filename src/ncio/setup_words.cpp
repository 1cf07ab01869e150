#include "ncio/setup_words.h"

#include <cmath>

namespace trevalon {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A signed number from `i` on, blanks before it allowed; i moves past it. False (i after the
// blanks and signs) when no digit follows.
bool ReadNumber(std::string_view s, std::size_t& i, double& v) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool minus = false;
  while (i < s.size() && (s[i] == '+' || s[i] == '-')) minus ^= s[i++] == '-';
  double whole = 0, step = 0;
  bool digits = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (IsDigit(c)) {
      digits = true;
      if (step == 0) {
        whole = whole * 10 + (c - '0');
      } else {
        whole += (c - '0') * step;
        step /= 10;
      }
    } else if (c == '.' && step == 0) {
      step = 0.1;
    } else {
      break;
    }
  }
  v = minus ? -whole : whole;
  return digits && std::isfinite(v) && std::fabs(v) < 1e9;
}

int Whole(double v) {
  return static_cast<int>(std::lround(v));
}

// M codes times ten, common to both dialects.
void NoteMCode(MachineSetup& s, int code) {
  switch (code) {
    case 30:
    case 40:
      s.spindleDirection = code / 10;
      break;
    case 50:
      s.spindleDirection = 0;
      break;
    case 70:
    case 80:
      s.coolant = code / 10;
      break;
    case 90:
      s.coolant = 0;
      break;
    case 130:
    case 140:
      s.spindleDirection = code / 10 - 10;
      s.coolant = 8;
      break;
    default:
      break;
  }
}

// Whether `s` from `i` starts with `word` followed by a blank, a digit or the end.
bool WordAt(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Upper(s[i + k]) != word[k]) return false;
  return true;
}

}  // namespace

void NoteIsoSetupCodes(MachineSetup& s, const int* g, int gCount, const int* m, int mCount,
                       const double* p, const double* h) {
  for (int k = 0; k < gCount; ++k) {
    const int code = g[k];
    if (code == 200) s.units = MachineSetup::Units::Inch;
    if (code == 210) s.units = MachineSetup::Units::Millimetre;
    if (code == 170 || code == 180 || code == 190) s.plane = code / 10;
    if (code >= 540 && code <= 590 && code % 10 == 0) {
      s.offset = MachineSetup::Offset::Standard;
      s.offsetNumber = code / 10;
    }
    if (code == 541) {
      s.offset = MachineSetup::Offset::Extended;
      s.offsetNumber = p && *p >= 1 ? Whole(*p) : 1;
    }
    // Our rule: G110 to G129 name work offsets of their own (the extended offsets that some
    // controls number as G codes beyond the six standard ones).
    if (code >= 1100 && code <= 1290 && code % 10 == 0) {
      s.offset = MachineSetup::Offset::Numbered;
      s.offsetNumber = code / 10;
    }
    if ((code == 430 || code == 440) && h && *h >= 0) s.lengthComp = Whole(*h);
    if (code == 490) s.lengthComp = 0;
  }
  for (int k = 0; k < mCount; ++k) NoteMCode(s, m[k]);
}

void NoteIsoSetupBlock(MachineSetup& s, std::string_view block) {
  int g[16], m[8];
  int gCount = 0, mCount = 0;
  double p = 0, h = 0;
  bool hasP = false, hasH = false;
  std::size_t i = 0;
  while (i < block.size()) {
    const char c = Upper(block[i]);
    if (c == ';') break;
    if (c == '(') {
      while (i < block.size() && block[i] != ')') ++i;
      continue;
    }
    ++i;
    if (c != 'G' && c != 'M' && c != 'P' && c != 'H') continue;
    double v;
    if (!ReadNumber(block, i, v)) continue;
    if (c == 'G' && gCount < 16) g[gCount++] = Whole(std::fabs(v) * 10);
    if (c == 'M' && mCount < 8) m[mCount++] = Whole(std::fabs(v) * 10);
    if (c == 'P') p = v, hasP = true;
    if (c == 'H') h = v, hasH = true;
  }
  NoteIsoSetupCodes(s, g, gCount, m, mCount, hasP ? &p : nullptr, hasH ? &h : nullptr);
}

void ConversationalSetupScan::Block(MachineSetup& s, std::string_view b) {
  std::size_t end = b.find(';');
  if (end != std::string_view::npos) b = b.substr(0, end);
  std::size_t i = 0;
  while (i < b.size() && (b[i] == ' ' || b[i] == '\t' || IsDigit(b[i]))) ++i;  // block number
  if (WordAt(b, i, "BEGIN")) {
    for (std::size_t k = i; k < b.size(); ++k) {
      if (WordAt(b, k, "INCH")) s.units = MachineSetup::Units::Inch;
      if (WordAt(b, k, "MM") && (k + 2 == b.size() || b[k + 2] == ' '))
        s.units = MachineSetup::Units::Millimetre;
    }
    return;
  }
  if (WordAt(b, i, "CYCL DEF")) {
    std::size_t k = i + 8;
    double n;
    if (!ReadNumber(b, k, n)) return;
    presetCycle_ = Whole(n) == 247;
    if (!(n > 7.05 && n < 7.35)) return;  // 7.1 to 7.3 hold the shift
    for (; k < b.size(); ++k) {
      const char c = Upper(b[k]);
      if (c == '#') {
        ++k;
        double row;
        if (ReadNumber(b, k, row)) {
          s.offset = MachineSetup::Offset::Preset;
          s.offsetNumber = Whole(row);
        }
        return;
      }
      const bool incremental = c == 'I';
      const char axis = incremental && k + 1 < b.size() ? Upper(b[k + 1]) : c;
      if (axis < 'X' || axis > 'Z') continue;
      std::size_t at = k + (incremental ? 2 : 1);
      double v;
      if (!ReadNumber(b, at, v)) continue;
      if (s.offset != MachineSetup::Offset::Datum) {
        s.offset = MachineSetup::Offset::Datum;
        s.offsetNumber = 0;
        s.shift[0] = s.shift[1] = s.shift[2] = 0;
      }
      double& shift = s.shift[axis - 'X'];
      shift = incremental ? shift + v : v;
      k = at - 1;
    }
    return;
  }
  // The cycle's parameters follow on blocks that start with their Q; any other block ends it.
  if (presetCycle_ && i < b.size() && Upper(b[i]) == 'Q') {
    const std::size_t q = b.find("Q339", i);
    if (q == std::string_view::npos) return;
    std::size_t k = q + 4;
    while (k < b.size() && (b[k] == ' ' || b[k] == '=')) ++k;
    double row;
    if (ReadNumber(b, k, row)) {
      s.offset = MachineSetup::Offset::Preset;
      s.offsetNumber = Whole(row);
    }
    return;
  }
  presetCycle_ = false;
  if (WordAt(b, i, "TOOL CALL")) {
    std::size_t k = i + 9;
    double tool;
    if (ReadNumber(b, k, tool) && tool >= 0) s.lengthComp = Whole(tool);
    while (k < b.size() && b[k] == ' ') ++k;
    if (k < b.size()) {
      const char axis = Upper(b[k]);
      if (axis == 'Z') s.plane = 17;
      if (axis == 'Y') s.plane = 18;
      if (axis == 'X') s.plane = 19;
    }
  }
  // M words anywhere in the block (a block may hold several).
  for (std::size_t k = i; k < b.size(); ++k) {
    if (Upper(b[k]) != 'M') continue;
    if (k > 0 && b[k - 1] != ' ' && !IsDigit(b[k - 1])) continue;  // inside a word ("FMAX")
    std::size_t at = k + 1;
    if (at >= b.size() || !IsDigit(b[at])) continue;
    double v;
    if (ReadNumber(b, at, v)) NoteMCode(s, Whole(v * 10));
    k = at - 1;
  }
}

}  // namespace trevalon
