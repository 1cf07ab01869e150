// The ISO interpreter of extended reading (see ext_iso.h).
#include "ncio/ext_iso.h"

#include <array>
#include <cmath>

#include "model/geometry.h"
#include "ncio/g_codes.h"
#include "ncio/nc_number.h"
#include "ncio/setup_words.h"

namespace trevalon {

namespace {

using ncnumber::Upper;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void AddComment(std::string* comments, std::string_view text) {
  if (comments == nullptr) return;
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  comments->append(text.substr(b, e - b));
  *comments += "\r\n";
}

// No real coordinate, feed or code comes near this. Our rule: a longer digit run reads as this
// limit with its sign, so that the value is limited (and reported) where it is stored instead
// of the word vanishing without a word.
constexpr double kWordLimit = 1e9;

constexpr double kSame = 1e-9;

bool SamePoint(const double a[3], const double b[3]) {
  return std::fabs(a[0] - b[0]) < kSame && std::fabs(a[1] - b[1]) < kSame &&
         std::fabs(a[2] - b[2]) < kSame;
}

}  // namespace

namespace {

// The text of `line` without its comments, appended to `out` a stretch at a time.
void AppendClean(std::string_view line, std::string* comments, std::string& out) {
  std::size_t seg = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '(') {
      out.append(line.substr(seg, i - seg));
      const std::size_t close = line.find(')', i + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      AddComment(comments, line.substr(i + 1, end - i - 1));
      i = end;
      seg = end + 1;
      continue;
    }
    if (c == ';') {
      out.append(line.substr(seg, i - seg));
      AddComment(comments, line.substr(i + 1));
      return;
    }
  }
  if (seg < line.size()) out.append(line.substr(seg));
}

}  // namespace

std::string CleanIsoBlock(std::string_view line, std::string* comments) {
  std::string out;
  out.reserve(line.size());
  AppendClean(line, comments, out);
  return out;
}

std::string_view CleanIsoBlock(std::string_view line, std::string* comments, std::string& scratch) {
  std::size_t i = 0;
  while (i < line.size() && line[i] != '(' && line[i] != ';') ++i;
  if (i == line.size()) return line;
  scratch.clear();
  AppendClean(line, comments, scratch);
  return scratch;
}

// The words of one block. Letters index by their upper-case character, "@" and "^" (polar
// radius and angle) by themselves, all of them (0x40-0x5E) in 32 slots by the character's low
// five bits, so that the words of a block cost little to clear: only the bits that say which
// slots hold a word are cleared, and a value is read only where its bit is set; G and M codes
// keep every occurrence, as tenths (G68.2 is 682), read only up to their counts.
struct ExtIsoMachine::Words {
  static constexpr std::size_t Slot(char c) { return static_cast<unsigned char>(c) & 31u; }
  double value[32];
  std::uint32_t has = 0;
  int g[16];
  int gCount = 0;
  int m[8];
  int mCount = 0;
  bool commaR = false, commaC = false;
  double commaRValue = 0, commaCValue = 0;
  bool macro = false;  // "#" or "[": a block for the macro runner
  bool Has(char c) const { return ((has >> Slot(c)) & 1u) != 0; }
  void Set(char c, double v) {
    has |= 1u << Slot(c);
    value[Slot(c)] = v;
  }
  double V(char c) const { return value[Slot(c)]; }
  // The point the block's polar words give from `from` (X and Y of `to`).
  void Polar(double scale, bool incremental, const double from[3], double to[3]) const;
};

namespace {

// The place value of each decimal as dividing 0.1 by ten again and again gives it: the same
// numbers as that division, without one for every digit read.
constexpr std::array<double, 24> kDecimalSteps = [] {
  std::array<double, 24> steps{};
  double step = 0.1;
  for (double& s : steps) {
    s = step;
    step /= 10;
  }
  return steps;
}();

// A number after an address: blanks, any "+" and "-" signs, digits with one decimal point.
// false when no digit follows (the word is then ignored) or the number is out of all reason.
// `at` moves past what was read.
bool ReadNumber(std::string_view s, std::size_t& at, double& out) {
  // The position is kept here, not behind the reference, which the compiler would otherwise
  // store back before every byte it loads (a byte may alias anything).
  std::size_t i = at;
  bool negative = false;
  // Signs and blanks all lie at or below '-': a digit ends the loop with one comparison.
  while (i < s.size() && s[i] <= '-' && (s[i] == '+' || s[i] == '-' || IsBlank(s[i]))) {
    if (s[i] == '-') negative = !negative;
    ++i;
  }
  const std::size_t n = s.size();
  double v = 0, step = 0;
  bool digits = false, longTail = false;
  // Whole digits, a point and the decimals the table holds: every number a program writes.
  // Up to 15 whole digits are counted in an integer: every step of v * 10 + digit is exact
  // below 2^53, so the integer is the number the steps in double give.
  std::uint64_t whole = 0;
  int wholeDigits = 0;
  for (; i < n && s[i] >= '0' && s[i] <= '9' && wholeDigits < 15; ++i, ++wholeDigits)
    whole = whole * 10 + static_cast<std::uint64_t>(s[i] - '0');
  digits = wholeDigits > 0;
  v = static_cast<double>(whole);
  for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10 + (s[i] - '0');
  if (i < n && s[i] == '.') {
    step = kDecimalSteps[0];
    std::size_t decimals = 0;
    for (++i; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
      v += (s[i] - '0') * step;
      digits = true;
      if (++decimals < kDecimalSteps.size()) {
        step = kDecimalSteps[decimals];
      } else {
        step /= 10;
        ++i;
        longTail = true;
        break;
      }
    }
  }
  // More decimals than that: each place value divided down from the one before, until it
  // runs out (after which digits count as whole ones again and a point starts over).
  for (; longTail && i < n; ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      if (step == 0)
        v = v * 10 + (c - '0');
      else
        v += (c - '0') * step, step /= 10;
    } else if (c == '.' && step == 0) {
      step = 0.1;
    } else {
      break;
    }
  }
  at = i;
  if (!digits) return false;
  if (!(v < kWordLimit)) [[unlikely]]
    v = kWordLimit;
  out = negative ? -v : v;
  return true;
}

// Polar words: "@" the radius, "^" the angle in degrees, of a point in X and Y about the XY
// origin, whichever plane is selected. A word left out takes the radius or angle of the point
// `from`; in G91 the words add to them (so "G91 ^45" turns the point by 45 degrees about the
// origin, keeping its radius). Only X and Y of `to` change.
void PolarPoint(bool hasRadius, double radius, bool hasAngle, double angle, bool incremental,
                const double from[3], double to[3]) {
  constexpr double kDegree = 3.14159265358979323846 / 180.0;
  const double r0 = std::hypot(from[0], from[1]);
  const double a0 = r0 > 0 ? std::atan2(from[1], from[0]) / kDegree : 0.0;
  double r = r0, a = a0;
  if (incremental) {
    if (hasRadius) r += radius;
    if (hasAngle) a += angle;
  } else {
    if (hasRadius) r = radius;
    if (hasAngle) a = angle;
  }
  to[0] = r * std::cos(a * kDegree);
  to[1] = r * std::sin(a * kDegree);
}

// The modal group of a G code (in tenths) whose state the macro runner may read, 0 for a code
// that is no modal state or one not kept (see modal_).
int ModalGroup(int g) {
  switch (g) {
    case 0:
    case 10:
    case 20:
    case 30:
      return 1;
    case 170:
    case 180:
    case 190:
      return 2;
    case 900:
    case 910:
      return 3;
    case 220:
    case 230:
      return 4;
    case 930:
    case 940:
    case 950:
      return 5;
    case 200:
    case 210:
      return 6;
    case 400:
    case 410:
    case 420:
      return 7;
    case 430:
    case 440:
    case 490:
      return 8;
    case 730:
    case 740:
    case 760:
    case 800:
    case 810:
    case 820:
    case 830:
    case 840:
    case 850:
    case 860:
    case 870:
    case 880:
    case 890:
      return 9;
    case 980:
    case 990:
      return 10;
    case 500:
    case 510:
      return 11;
    case 660:
    case 670:
      return 12;
    case 960:
    case 970:
      return 13;
    case 540:
    case 541:
    case 550:
    case 560:
    case 570:
    case 580:
    case 590:
      return 14;
    case 610:
    case 620:
    case 630:
    case 640:
      return 15;
    case 680:
    case 690:
      return 16;
    case 150:
    case 160:
      return 17;
    default:
      return 0;
  }
}

}  // namespace

bool ExtIsoMachine::ModalG(int group, double& code) const {
  if (group < 1 || group >= static_cast<int>(std::size(modal_)) || modal_[group] < 0) return false;
  code = modal_[group] / 10.0;
  return true;
}

bool ExtIsoMachine::ModalWord(char address, double& value) const {
  switch (address) {
    case 'F':
      value = feed_;
      return true;
    case 'S':
      value = layer_.spindle;
      return true;
    case 'T':
      value = layer_.toolNumber;
      return true;
    case 'H':
      value = layer_.toolOffset;
      return true;
    case 'O':
      value = layer_.programNumber;
      return true;
    default:
      return false;
  }
}

void ExtIsoMachine::Words::Polar(double scale, bool incremental, const double from[3],
                                 double to[3]) const {
  PolarPoint(Has('@'), Has('@') ? V('@') * scale : 0.0, Has('^'), Has('^') ? V('^') : 0.0,
             incremental, from, to);
}

ExtIsoMachine::ExtIsoMachine(ExtMoveSink& sink, ExtReadReport& report, LayerSlot& layer,
                             double scale)
    : sink_(sink), report_(report), layer_(layer), scale_(scale) {
  const double* p = sink.Position();
  pos_[0] = p[0], pos_[1] = p[1], pos_[2] = p[2];
}

ExtIsoStep ExtIsoMachine::Execute(std::string_view block) {
  Words w;
  if (!ReadWords(block, w)) return ExtIsoStep::Continue;
  for (int k = 0; k < w.gCount; ++k) {
    const int group = ModalGroup(w.g[k]);
    if (group > 0) modal_[group] = w.g[k];
  }
  if (w.macro) {
    // Parameters and program flow are the macro runner's; a plain read passes them over.
    report_.Pass("macro");
    return ExtIsoStep::Continue;
  }
  if (!sink_.CutStored()) {
    const double p = w.Has('P') ? w.V('P') : 0, h = w.Has('H') ? w.V('H') : 0;
    NoteIsoSetupCodes(layer_.setup, w.g, w.gCount, w.m, w.mCount, w.Has('P') ? &p : nullptr,
                      w.Has('H') ? &h : nullptr);
  }
  SetWords(w);
  BlockCodes codes;
  RunGCodes(w, codes);
  RunMCodes(w, codes);
  const ExtIsoStep done = codes.end ? ExtIsoStep::End : ExtIsoStep::Continue;
  if (codes.noMove) return done;
  return Move(w, codes.named, done);
}

bool ExtIsoMachine::ReadWords(std::string_view block, Words& w) const {
  std::size_t i = 0;
  while (i < block.size() && IsBlank(block[i])) ++i;
  if (i < block.size() && block[i] == '%') return false;
  // Our rule: "/" blocks run, as a control runs them with its block-delete switch off (the
  // switch is the operator's, and the view shows everything the program can do).
  if (i < block.size() && block[i] == '/') ++i;
  while (i < block.size()) {
    const char c = Upper(block[i++]);
    if (c == '#' || c == '[') {
      w.macro = true;
      break;
    }
    if (c == ',') {
      while (i < block.size() && IsBlank(block[i])) ++i;
      const char k = i < block.size() ? Upper(block[i]) : '\0';
      if (k != 'R' && k != 'C') continue;
      ++i;
      double v;
      if (!ReadNumber(block, i, v)) continue;
      (k == 'R' ? w.commaR : w.commaC) = true;
      (k == 'R' ? w.commaRValue : w.commaCValue) = v * scale_;
      continue;
    }
    if (!((c >= 'A' && c <= 'Z') || c == '@' || c == '^')) continue;
    double v;
    if (!ReadNumber(block, i, v)) continue;
    if (c == 'G' || c == 'M') {
      // Below 2^31 in tenths: a code beyond every real one stays one the reader does not know.
      const int code = static_cast<int>(std::lround(std::fmin(std::fabs(v), 1e8) * 10));
      if (c == 'G' && w.gCount < 16) w.g[w.gCount++] = code;
      if (c == 'M' && w.mCount < 8) w.m[w.mCount++] = code;
      continue;
    }
    w.Set(c, v);
  }
  return true;
}

void ExtIsoMachine::SetWords(const Words& w) {
  if (w.Has('F')) feed_ = ExtFeed(w.V('F'), report_);
  if (w.Has('S')) layer_.spindle = ncnumber::IntegerPart(w.V('S'));
  if (w.Has('T')) layer_.toolNumber = layer_.toolOffset = ncnumber::IntegerPart(w.V('T'));
  if (w.Has('H')) layer_.toolOffset = ncnumber::IntegerPart(w.V('H'));
  if (w.Has('O')) layer_.programNumber = ncnumber::IntegerPart(w.V('O'));
  if (w.Has('A') || w.Has('B') || w.Has('C')) report_.Pass("rotary");
}

void ExtIsoMachine::RunGCodes(const Words& w, BlockCodes& codes) {
  for (int k = 0; k < w.gCount; ++k) {
    const int g = w.g[k];
    // The codes of the readers' shared table (g_codes.h), as written: a code with a decimal
    // is a code of its own, never the code of its integer part.
    const GMeaning meaning = g % 10 == 0 ? MeaningOfG(g / 10) : GMeaning::Other;
    switch (meaning) {
      case GMeaning::Rapid:
      case GMeaning::Line:
      case GMeaning::ArcCw:
      case GMeaning::ArcCcw:
        motion_ = MotionOfG(meaning);
        cycle_ = 0;  // a motion G ends a drilling cycle
        codes.named = true;
        continue;
      case GMeaning::PlaneXY:
      case GMeaning::PlaneZX:
      case GMeaning::PlaneYZ:
        plane_ = PlaneOfG(meaning);
        continue;
      case GMeaning::Absolute:
        incremental_ = false;
        continue;
      case GMeaning::Incremental:
        incremental_ = true;
        continue;
      case GMeaning::CycleCancel:
        cycle_ = 0;
        rSet_ = bottomSet_ = false;
        continue;
      case GMeaning::DrillingCycle:
        // The initial level is where the tool stands when a cycle starts.
        if (cycle_ == 0) initialZ_ = pos_[2];
        cycle_ = g / 10;
        continue;
      case GMeaning::MacroCall:  // G65 is the macro runner's, G66 is not run (below)
      case GMeaning::Other:
        break;
    }
    switch (g) {
      case 40:   // dwell: its X and P are time
      case 100:  // data setting
      case 280:  // reference return
      case 300:  // second reference return
      case 520:  // local coordinates
      case 530:  // machine coordinates
      case 920:  // work coordinates set
        codes.noMove = true;
        break;
      case 200:
        report_.Pass("inch");
        break;
      case 930:
        // The store keeps a feed per minute: the F words of inverse time are kept as written.
        report_.Pass("feed-inverse-time");
        break;
      case 950:
        report_.Pass("feed-per-rev");
        break;
      case 980:
        returnToR_ = false;
        break;
      case 990:
        returnToR_ = true;
        break;
      case 700:
      case 710:
      case 720:
      case 750:
      case 770:
      case 780:
      case 790:
        report_.Pass("lathe-cycle");
        codes.noMove = true;
        break;
      case 680:
        report_.Pass("rotation");
        break;
      case 682:
      case 683:
      case 684:
        report_.Pass("tilted-plane");
        break;
      case 650:
        report_.Pass("macro");
        codes.noMove = true;
        break;
      // Codes that set a state the view does not show and move nothing of their own: a
      // block with them moves by its axis words in the motion in force.
      case 150:  // G15: polar coordinates off
        polarMode_ = false;
        break;
      case 50:  // G05, G05.1: high-speed machining modes
      case 51:
      case 80:  // G08: look-ahead
        break;
      case 160:
        // G16: X and Y become a radius and an angle until G15. Not run: the block and every
        // block that would move while it is in force (see below).
        polarMode_ = true;
        NotRun(g);
        codes.noMove = true;
        break;
      case 90:   // G09: exact stop
      case 110:  // G11: end of data setting
      case 210:  // G21: metric
      case 400:  // G40-G42: cutter compensation (the path is read as programmed)
      case 410:
      case 420:
      case 430:  // G43, G44, G49: tool length offset (the path is read at the tool's tip)
      case 440:
      case 490:
      case 500:  // G50, G50.1: scaling and mirroring off
      case 501:
      case 540:  // G54-G59, G54.1: work offsets (the path is read in work coordinates)
      case 541:
      case 550:
      case 560:
      case 570:
      case 580:
      case 590:
      case 610:  // G61, G61.1, G62, G63, G64: cutting modes
      case 611:
      case 620:
      case 630:
      case 640:
      case 670:  // G67: modal macro call off
      case 690:  // G69: rotation off
      case 911:  // G91.1: arc centres relative to the start, as they are read
      case 940:  // G94: feed per minute, what the store keeps
      case 960:  // G96, G97: spindle speed modes
      case 970:
      case 1030:  // G103: look-ahead limit
      case 1870:  // G187: smoothing setting
        break;
      default:
        // Our rule: a block with a G code the reader does not run (engraving, pocket and
        // probing cycles, scaling, mirroring, modal calls, codes unknown to it) makes no
        // move at all, so that its axis words never run as a rapid or a cut in the motion
        // in force; each such code is reported by itself ("g-not-run:47").
        NotRun(g);
        codes.noMove = true;
        break;
    }
  }
}

void ExtIsoMachine::RunMCodes(const Words& w, BlockCodes& codes) {
  for (int k = 0; k < w.mCount; ++k) {
    if (w.m[k] == 20 || w.m[k] == 300) codes.end = true;
    if (w.m[k] == 980 || w.m[k] == 970) {
      report_.Pass("macro");  // a call the macro runner makes
      codes.noMove = true;
    }
  }
}

ExtIsoStep ExtIsoMachine::Move(const Words& w, bool named, ExtIsoStep done) {
  // Our rule: while G16 is in force a block's axis words are polar coordinates the reader
  // does not run; the block makes no move and counts with G16, so that a radius and an angle
  // never run as X and Y.
  // The words that make a move: X, Y, Z, the arc's I, J, K and R, the polar "@" and "^".
  constexpr std::uint32_t kAxisSlots =
      1u << Words::Slot('X') | 1u << Words::Slot('Y') | 1u << Words::Slot('Z') |
      1u << Words::Slot('I') | 1u << Words::Slot('J') | 1u << Words::Slot('K') |
      1u << Words::Slot('R') | 1u << Words::Slot('@') | 1u << Words::Slot('^');
  if (polarMode_ && (w.has & kAxisSlots) != 0) [[unlikely]] {
    NotRun(160);
    return done;
  }

  // The block's end point.
  double to[3] = {pos_[0], pos_[1], pos_[2]};
  const bool cycleBlock = cycle_ != 0;
  const char axes[3] = {'X', 'Y', 'Z'};
  bool axisWord = false;
  for (int a = 0; a < 3; ++a) {
    if (!w.Has(axes[a])) continue;
    axisWord = true;
    if (cycleBlock) continue;  // a cycle's X and Y are the hole, its Z the bottom
    const double v = w.V(axes[a]) * scale_;
    to[a] = incremental_ ? pos_[a] + v : v;
  }
  if (w.Has('@') || w.Has('^')) {
    axisWord = true;
    if (!cycleBlock)  // a cycle's polar words place its holes
      w.Polar(scale_, incremental_, pos_, to);
  }

  if (cycleBlock) {
    if (axisWord || w.Has('R')) {
      if (!RunCycle(w)) return ExtIsoStep::Full;
    }
    return done;
  }
  bool ok = true;
  switch (motion_) {
    case 0:
      if (!axisWord || SamePoint(to, pos_)) break;
      ok = Flush(true) && sink_.Rapid(to, named);
      pos_[0] = to[0], pos_[1] = to[1], pos_[2] = to[2];
      break;
    case 1:
      if (!axisWord) break;
      ok = Line(to, named, w);
      break;
    default:
      if (!axisWord && !w.Has('I') && !w.Has('J') && !w.Has('K')) break;
      ok = Arc(w, to, motion_ == 2);
      break;
  }
  return ok ? done : ExtIsoStep::Full;
}

void ExtIsoMachine::NotRun(int code) {
  std::string kind = kExtGNotRunPrefix;
  kind += std::to_string(code / 10);
  if (code % 10 != 0) kind.append(1, '.').append(1, static_cast<char>('0' + code % 10));
  report_.Pass(kind);
}

bool ExtIsoMachine::Finish() {
  return Flush(true);
}

bool ExtIsoMachine::Flush(bool unresolved) {
  if (!pending_.held) return true;
  pending_.held = false;
  if (unresolved) report_.Pass("corner-unresolved");
  const ExtSourceScope scope(sink_, pending_.source);
  return sink_.Line(pending_.to, pending_.feed, pending_.named);
}

bool ExtIsoMachine::Line(const double to[3], bool named, const Words& w) {
  if (SamePoint(to, pos_)) return true;
  if (pending_.held && !Corner(to, named)) return false;
  if (w.commaR || w.commaC) {
    // Held back until the next move says where the corner leads.
    pending_.held = true;
    const double* from = sink_.Position();
    for (int a = 0; a < 3; ++a) pending_.from[a] = from[a], pending_.to[a] = to[a];
    pending_.feed = feed_;
    pending_.named = named;
    pending_.chamfer = !w.commaR;
    pending_.size = w.commaR ? std::fabs(w.commaRValue) : std::fabs(w.commaCValue);
    pending_.source = sink_.Source();
    pos_[0] = to[0], pos_[1] = to[1], pos_[2] = to[2];
    return true;
  }
  pos_[0] = to[0], pos_[1] = to[1], pos_[2] = to[2];
  return sink_.Line(to, feed_, named);
}

// Our rule: ",R" and ",C" join the held straight move and the next one by a tangent arc or a
// chamfer whose ends lie on both moves; where that cannot be done (the next move is no
// straight one, the corner does not fit in either move, a rounding out of the arc plane, a
// reversal) the held move goes out as written and the report says so, so that no move
// appears that the program did not ask for.
bool ExtIsoMachine::Corner(const double next[3], bool nextNamed) {
  (void)nextNamed;
  const double* p0 = pending_.from;
  const double* p1 = pending_.to;
  double u[3], v[3], lu = 0, lv = 0, dot = 0;
  for (int a = 0; a < 3; ++a) {
    u[a] = p1[a] - p0[a], v[a] = next[a] - p1[a];
    lu += u[a] * u[a], lv += v[a] * v[a];
  }
  lu = std::sqrt(lu), lv = std::sqrt(lv);
  if (lu < kSame || lv < kSame) return Flush(true);
  for (int a = 0; a < 3; ++a) u[a] /= lu, v[a] /= lv, dot += u[a] * v[a];
  if (dot > 1 - 1e-12) return Flush(false);  // straight on: no corner to round
  const PlaneAxes ax = AxesOfPlane(plane_);
  const bool inPlane = std::fabs(u[ax.normal]) < 1e-9 && std::fabs(v[ax.normal]) < 1e-9;
  if (dot < -1 + 1e-12 || (!pending_.chamfer && !inPlane)) return Flush(true);
  const double turn = std::acos(dot);
  const double t = pending_.chamfer ? pending_.size : pending_.size * std::tan(turn / 2);
  if (t <= 0 || t > lu + kSame || t > lv + kSame) return Flush(true);
  double a[3], b[3];
  for (int k = 0; k < 3; ++k) a[k] = p1[k] - u[k] * t, b[k] = p1[k] + v[k] * t;
  pending_.held = false;
  // The shortened move and the corner both belong to the block that asked for the corner.
  const ExtSourceScope scope(sink_, pending_.source);
  if (!SamePoint(a, p0) && !sink_.Line(a, pending_.feed, pending_.named)) return false;
  if (pending_.chamfer) return sink_.Line(b, pending_.feed, false);
  double n[3], ln = 0;
  for (int k = 0; k < 3; ++k) n[k] = v[k] - dot * u[k], ln += n[k] * n[k];
  ln = std::sqrt(ln);
  double centre[3];
  for (int k = 0; k < 3; ++k) centre[k] = a[k] + n[k] / ln * pending_.size;
  const bool clockwise = u[ax.a] * v[ax.b] - u[ax.b] * v[ax.a] < 0;
  return sink_.Arc(b, centre, plane_, clockwise, pending_.feed);
}

bool ExtIsoMachine::Arc(const Words& w, const double to[3], bool clockwise) {
  if (!Flush(true)) return false;
  const PlaneAxes ax = AxesOfPlane(plane_);
  double c[3] = {pos_[0], pos_[1], pos_[2]};
  const char offsets[3] = {'I', 'J', 'K'};
  if (w.Has('I') || w.Has('J') || w.Has('K')) {
    for (int a = 0; a < 3; ++a)
      if (a != ax.normal && w.Has(offsets[a])) c[a] += w.V(offsets[a]) * scale_;
  } else if (w.Has('R')) {
    const double r = w.V('R') * scale_;
    const double da = to[ax.a] - pos_[ax.a], db = to[ax.b] - pos_[ax.b];
    const double d = std::hypot(da, db);
    if (d < kSame || r == 0) {
      report_.Pass("arc-without-centre");  // a whole circle cannot be given by R
      return true;
    }
    const double h2 = r * r - d * d / 4;
    const double h = h2 > 0 ? std::sqrt(h2) : 0.0;  // a radius too short: half a circle
    // The centre of the arc below 180 degrees lies left of the chord for G03 and right of it
    // for G02; a negative R asks for the other one, the arc over 180 degrees.
    const double side = (clockwise ? -1.0 : 1.0) * (r > 0 ? 1.0 : -1.0);
    c[ax.a] = pos_[ax.a] + da / 2 + side * h * (-db / d);
    c[ax.b] = pos_[ax.b] + db / 2 + side * h * (da / d);
  } else {
    report_.Pass("arc-without-centre");
    return true;
  }
  pos_[0] = to[0], pos_[1] = to[1], pos_[2] = to[2];
  return sink_.Arc(to, c, plane_, clockwise, feed_);
}

// Our rule for drilling cycles: every hole is a rapid to the hole at the height the tool
// stands at, a rapid to the R level, a cut to the hole's bottom and a rapid back to the R
// level (G99) or the initial level (G98); pecks, dwells and spindle reversals make no other
// move in the view. In G91 X and Y are increments per hole, R counts from the initial level
// and Z from R. K (or L) repeats the hole; K0 only keeps the cycle's values.
bool ExtIsoMachine::RunCycle(const Words& w) {
  if (!Flush(true)) return false;
  if (w.Has('R')) {
    const double r = w.V('R') * scale_;
    rLevel_ = incremental_ ? initialZ_ + r : r;
    rSet_ = true;
  }
  if (!rSet_) rLevel_ = initialZ_;
  if (w.Has('Z')) {
    const double z = w.V('Z') * scale_;
    bottom_ = incremental_ ? rLevel_ + z : z;
    bottomSet_ = true;
  }
  if (!bottomSet_) return true;
  double repeats = w.Has('K') ? w.V('K') : w.Has('L') ? w.V('L') : 1;
  if (!(repeats >= 0)) repeats = 0;
  if (repeats > 9999) repeats = 9999;
  const int n = static_cast<int>(repeats);
  for (int k = 0; k < n; ++k) {
    double hole[3] = {pos_[0], pos_[1], pos_[2]};
    const char axes[2] = {'X', 'Y'};
    for (int a = 0; a < 2; ++a) {
      if (!w.Has(axes[a])) continue;
      const double v = w.V(axes[a]) * scale_;
      hole[a] = incremental_ ? pos_[a] + v : v;
    }
    // Polar holes: in G91 every repeat turns on from the hole before (a bolt circle).
    if (w.Has('@') || w.Has('^')) w.Polar(scale_, incremental_, pos_, hole);
    if (!SamePoint(hole, pos_) && !sink_.Rapid(hole, false)) return false;
    hole[2] = rLevel_;
    if (std::fabs(pos_[2] - rLevel_) >= kSame && !sink_.Rapid(hole, false)) return false;
    hole[2] = bottom_;
    if (std::fabs(bottom_ - rLevel_) >= kSame && !sink_.Line(hole, feed_, true)) return false;
    hole[2] = returnToR_ ? rLevel_ : initialZ_;
    if (std::fabs(hole[2] - bottom_) >= kSame && !sink_.Rapid(hole, false)) return false;
    pos_[0] = hole[0], pos_[1] = hole[1], pos_[2] = hole[2];
  }
  return true;
}

}  // namespace trevalon
