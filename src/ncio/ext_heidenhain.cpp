// The extended Heidenhain reader (see ext_heidenhain.h). The program is first cut into blocks
// (line numbers, comments and "*" lines dropped, "~" continuations joined, upper case, decimal
// commas as points), then run block by block from the top: the label table lets calls and
// jumps go anywhere, and every loop is bounded by the count of executed blocks.
#include "ncio/ext_heidenhain.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "model/geometry.h"
#include "model/point_record.h"
#include "ncio/nc_number.h"
#include "ncio/setup_words.h"
#include "texts/messages.h"

namespace trevalon {

namespace {

// Our rule: a run that executes more blocks than this is a loop that never ends; the read
// stops there and keeps what it stored.
// Subprogram calls nest at most this deep; a deeper call is a program that calls itself.
constexpr std::size_t kMostCalls = 64;
// Brackets and functions in one formula nest at most this deep.
constexpr int kMostNesting = 64;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
// Positions closer than this are the same point.
constexpr double kSame = 1e-9;

bool IsAlpha(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
  return ncnumber::IsDigit(c);
}
bool StartsWith(std::string_view s, std::string_view w) {
  return s.substr(0, w.size()) == w;
}
std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}
// The word after `w` when s starts with it as a whole word.
bool Keyword(std::string_view s, std::string_view w, std::string_view& rest) {
  if (!StartsWith(s, w)) return false;
  if (s.size() > w.size() && IsAlpha(s[w.size()])) return false;
  rest = Trim(s.substr(w.size()));
  return true;
}

// Q parameters: Q n, QL n and QR n, unset ones read 0.
class Parameters {
 public:
  double Get(long key) const {
    auto it = values_.find(key);
    return it == values_.end() ? 0.0 : it->second;
  }
  void Set(long key, double v) { values_[key] = v; }
  // Reads "Q12", "QL3", "QR7" at s[i]; the key, or -1 when there is none there.
  static long Read(std::string_view s, std::size_t& i) {
    if (i >= s.size() || s[i] != 'Q') return -1;
    std::size_t j = i + 1;
    long base = 0;
    if (j < s.size() && s[j] == 'L')
      base = 10'000'000, ++j;
    else if (j < s.size() && s[j] == 'R')
      base = 20'000'000, ++j;
    if (j >= s.size() || !IsDigit(s[j])) return -1;
    long n = 0;
    while (j < s.size() && IsDigit(s[j])) {
      if (n < 1'000'000) n = n * 10 + (s[j] - '0');
      ++j;
    }
    i = j;
    return base + n;
  }

 private:
  std::unordered_map<long, double> values_;
};

// A formula of Q parameters: + - * / ^ (and the words DIV, LEN, ANG of the FN functions),
// brackets, SIN COS TAN ASIN ACOS ATAN SQRT ABS INT NEG FRAC SGN LN LOG EXP, PI; angles in
// degrees. It stops at the first character that cannot continue the formula (a comparison
// word, GOTO, the end); `ok` turns false on a syntax error or a result that is not a number.
// A division by zero and a function outside its range (SQRT of a negative, ...) are run
// errors of their own: the control stops the program there, and so does the reader.
class Formula {
 public:
  enum Fault { kNoFault, kDivisionByZero, kOutOfDomain };
  Formula(std::string_view s, std::size_t i, const Parameters& q) : s_(s), i_(i), q_(q) {}
  double Value() {
    double v = Sum();
    if (!std::isfinite(v)) ok_ = false;
    return v;
  }
  bool ok() const { return ok_; }
  Fault fault() const { return fault_; }
  std::size_t at() const { return i_; }

 private:
  void Blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool Word(std::string_view w) {
    Blanks();
    if (s_.substr(i_, w.size()) != w) return false;
    const std::size_t after = i_ + w.size();
    if (IsAlpha(w.back()) && after < s_.size() && IsAlpha(s_[after])) return false;
    i_ = after;
    return true;
  }
  double Sum() {
    double v = Product();
    for (;;) {
      Blanks();
      if (i_ < s_.size() && s_[i_] == '+')
        ++i_, v += Product();
      else if (i_ < s_.size() && s_[i_] == '-')
        ++i_, v -= Product();
      else
        return v;
    }
  }
  double Product() {
    double v = Power();
    for (;;) {
      Blanks();
      if (i_ < s_.size() && s_[i_] == '*') {
        ++i_, v *= Power();
      } else if ((i_ < s_.size() && s_[i_] == '/' && (++i_, true)) || Word("DIV")) {
        const double d = Power();
        if (d == 0) Fail(kDivisionByZero);
        v = d == 0 ? 0 : v / d;
      } else if (Word("LEN")) {
        v = std::hypot(v, Power());
      } else if (Word("ANG")) {
        v = std::atan2(Power(), v) / kDeg;
      } else {
        return v;
      }
    }
  }
  double Power() {
    const double base = Unary();
    Blanks();
    if (i_ < s_.size() && s_[i_] == '^') {
      ++i_;
      if (!Enter()) return 0;
      const double e = Power();
      --depth_;
      const double v = std::pow(base, e);
      if (std::isnan(v) && !std::isnan(base) && !std::isnan(e)) Fail(kOutOfDomain);
      return v;
    }
    return base;
  }
  void Fail(Fault f) {
    ok_ = false;
    if (fault_ == kNoFault) fault_ = f;
  }
  bool Enter() {
    if (++depth_ > kMostNesting) {
      ok_ = false;
      i_ = s_.size();
      return false;
    }
    return true;
  }
  double Unary() {
    Blanks();
    if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) {
      const bool minus = s_[i_++] == '-';
      if (!Enter()) return 0;
      const double v = Unary();
      --depth_;
      return minus ? -v : v;
    }
    return Primary();
  }
  double Primary() {
    Blanks();
    if (i_ >= s_.size()) {
      ok_ = false;
      return 0;
    }
    const char c = s_[i_];
    if (c == '(') {
      ++i_;
      if (!Enter()) return 0;
      const double v = Sum();
      --depth_;
      Blanks();
      if (i_ < s_.size() && s_[i_] == ')')
        ++i_;
      else
        ok_ = false;
      return v;
    }
    if (IsDigit(c) || c == '.') {
      ncnumber::RunValue run;
      std::size_t j = i_;
      while (j < s_.size() && (IsDigit(s_[j]) || s_[j] == '.')) ++j;
      ncnumber::ReadRun<false>(s_.data(), i_, j, run);
      i_ = j;
      if (!run.digits) ok_ = false;
      return run.value;
    }
    if (c == 'Q') {
      const long key = Parameters::Read(s_, i_);
      if (key < 0) {
        ok_ = false;
        return 0;
      }
      return q_.Get(key);
    }
    if (Word("PI")) return kPi;
    static const char* const kFunctions[] = {"ASIN", "ACOS", "ATAN", "SIN", "COS",
                                             "TAN",  "SQRT", "ABS",  "INT", "NEG",
                                             "FRAC", "SGN",  "LN",   "LOG", "EXP"};
    for (int f = 0; f < 15; ++f) {
      if (!Word(kFunctions[f])) continue;
      if (!Enter()) return 0;
      const double x = Unary();
      --depth_;
      const double v = Function(f, x);
      if (std::isnan(v) && !std::isnan(x)) Fail(kOutOfDomain);
      if (f == 12 || f == 13) {  // LN and LOG of 0
        if (x == 0) Fail(kOutOfDomain);
      }
      return v;
    }
    ok_ = false;
    return 0;
  }
  // SIN ... EXP by their place in the list of function words.
  static double Function(int f, double x) {
    switch (f) {
      case 0:
        return std::asin(x) / kDeg;
      case 1:
        return std::acos(x) / kDeg;
      case 2:
        return std::atan(x) / kDeg;
      case 3:
        return std::sin(x * kDeg);
      case 4:
        return std::cos(x * kDeg);
      case 5:
        return std::tan(x * kDeg);
      case 6:
        return std::sqrt(x);
      case 7:
        return std::fabs(x);
      case 8:
        return std::trunc(x);
      case 9:
        return -x;
      case 10:
        return x - std::trunc(x);
      case 11:
        return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
      case 12:
        return std::log(x);
      case 13:
        return std::log10(x);
      default:
        return std::exp(x);
    }
  }

  std::string_view s_;
  std::size_t i_;
  const Parameters& q_;
  int depth_ = 0;
  bool ok_ = true;
  Fault fault_ = kNoFault;
};

// One address of a motion block.
struct Value {
  bool set = false;
  bool incremental = false;
  double v = 0;
};

// The words of a motion block, as far as the motion needs them.
struct Words {
  Value axis[3];  // X Y Z, IX IY IZ
  Value pr, pa;   // polar radius and angle, PR IPR PA IPA
  Value radius;   // R with a number (R0 included; RL and RR are words of their own)
  Value len;      // LEN of APPR/DEP, ignored
  int dr = 0;     // +1 DR+, -1 DR-
  enum { kNoFeed, kFeed, kMax, kAuto } feed = kNoFeed;
  double feedValue = 0;
  bool rotary = false, machineDatum = false, end = false, perRev = false, bad = false;
};

// The feed of an F word: its integer part, kept within what a record holds.
std::int32_t FeedOf(double v) {
  if (!(v > 0)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  return static_cast<std::int32_t>(v);
}

class Interpreter {
 public:
  Interpreter(ExtMoveSink& sink, ExtReadReport& report, const double start[3], ExtProgramInfo* info)
      : sink_(sink), report_(report), info_(info) {
    for (int a = 0; a < 3; ++a) at_[a] = start[a], pole_[a] = start[a];
    sink_.SetPosition(start);
  }
  int Run(const std::vector<std::string_view>& lines);

 private:
  // ---- Blocks ------------------------------------------------------------------------
  void CutBlocks(const std::vector<std::string_view>& lines);
  void AddBlock(std::string_view raw);
  std::string_view BlockText(std::size_t b) const {
    return std::string_view(text_).substr(blocks_[b].first, blocks_[b].second);
  }
  static std::string LabelKey(std::string_view& s);

  // ---- Running -----------------------------------------------------------------------
  enum Step { kNext, kJumped, kEnd, kStop };
  Step Execute(std::string_view s);
  Step CallLabel(std::string_view rest);
  Step Jump(std::string_view rest);
  bool Assign(std::string_view s);
  void ToolCall(std::string_view rest);
  void CycleDef(std::string_view rest);
  void ParseWords(std::string_view s, Words& w);
  bool ReadValue(std::string_view s, std::size_t& i, Value& v);
  Step Function(int n, std::string_view rest);
  // A run error stops the program where it happens, as on the control: the reason and the
  // line go into the report, and the block that raised it makes no move.
  void Stop(Txt why, std::string_view value);
  bool Stopped() const { return !report_.stopReason.empty(); }
  // True when the formula failed with a run error (and the run is then stopped).
  bool RunError(const Formula& f);

  // ---- Motion ------------------------------------------------------------------------
  bool Straight(std::string_view rest, bool polar);
  bool Circle(std::string_view rest, char kind);
  void Centre(std::string_view rest);
  void Corner(std::string_view rest, int kind);
  void Target(const Words& w, double to[3]) const;
  void TakeFeed(const Words& w);
  bool MoveWords(std::string_view rest, Words& w);
  void PolarTarget(const Words& w, double to[3]);
  bool MoveStraight(const double to[3], bool rapid, bool named);
  bool MoveArc(const double to[3], const double centre[3], bool clockwise);
  bool Flush();
  void ClearCorner();

  ExtMoveSink& sink_;
  ExtReadReport& report_;
  ExtProgramInfo* info_;
  ConversationalSetupScan setupScan_;

  std::string text_;  // every block, one after the other
  std::vector<std::pair<std::size_t, std::size_t>> blocks_;
  std::unordered_map<std::string, std::size_t> labels_;  // label -> its LBL block
  std::vector<std::size_t> returns_;                     // the LBL 0 blocks, in order

  struct Frame {
    std::size_t call, label;
    long left;  // repeats still to run
  };
  std::vector<Frame> frames_;
  std::unordered_map<std::size_t, long> repeats_;  // section repeats under way, by CALL block
  std::size_t pc_ = 0;

  Parameters q_;
  double at_[3];                 // where the tool is (the datum shift included)
  double shift_[3] = {0, 0, 0};  // the datum shift in force
  double pole_[3];               // the circle centre / pole (CC)
  int plane_ = PLANE_XY;
  int dr_ = 1;
  std::int32_t feed_ = 0;
  double dir_[3] = {0, 0, 0};  // direction in which the last move ended
  bool dirKnown_ = false;
  bool endSeen_ = false;  // the block holds M2 or M30: the program ends after it

  // Our rule: a straight cut waits here until the next move is known, so that a rounding or a
  // chamfer programmed after it can cut its end back to where the corner begins.
  struct Pending {
    bool has = false;
    double from[3], to[3];
    std::int32_t feed;
    bool named;
    std::uint64_t source;  // the block it came from (ExtMoveSink::Source)
  } pending_;
  struct CornerRequest {
    int kind = 0;  // 1 RND, 2 CHF
    double size = 0;
    std::int32_t feed = 0;
    std::uint64_t source = 0;  // the RND or CHF block
  } corner_;
  // Per block: the line it starts on, for the sink's source (lines_ the lines Run was given).
  std::vector<std::size_t> blockLine_;
  const std::vector<std::string_view>* lines_ = nullptr;
};

// ---- Cutting the program into blocks -------------------------------------------------

void Interpreter::CutBlocks(const std::vector<std::string_view>& lines) {
  std::string joined;
  bool joining = false;
  std::size_t first = 0;  // the line a joined block starts on
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view t = Trim(lines[i]);
    const bool continues = !t.empty() && t.back() == '~';
    if (continues) t.remove_suffix(1);
    if (joining || continues) {
      if (!joining) first = i;
      joined.append(t);
      joined.push_back(' ');
      joining = continues;
      if (!continues) {
        AddBlock(joined);
        blockLine_.resize(blocks_.size(), first);
        joined.clear();
      }
      continue;
    }
    AddBlock(t);
    blockLine_.resize(blocks_.size(), i);
  }
  if (joining) {
    AddBlock(joined);
    blockLine_.resize(blocks_.size(), first);
  }
}

void Interpreter::AddBlock(std::string_view raw) {
  std::string_view s = Trim(raw);
  while (!s.empty() && IsDigit(s.front())) s.remove_prefix(1);  // the block number
  s = Trim(s);
  const std::size_t start = text_.size();
  if (s.empty() || s.front() == '*') {
    blocks_.push_back({start, 0});
    return;
  }
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ';') break;  // the rest is a comment
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    // A decimal comma between digits is a decimal point; any other comma separates words.
    if (c == ',')
      c = i > 0 && IsDigit(s[i - 1]) && i + 1 < s.size() && IsDigit(s[i + 1]) ? '.' : ' ';
    if (c == '\t') c = ' ';
    text_.push_back(c);
  }
  while (text_.size() > start && text_.back() == ' ') text_.pop_back();
  const std::size_t b = blocks_.size();
  blocks_.push_back({start, text_.size() - start});
  std::string_view block = BlockText(b), rest;
  if (Keyword(block, "LBL", rest)) {
    const std::string key = LabelKey(rest);
    if (key == "0")
      returns_.push_back(b);
    else if (!key.empty())
      labels_.emplace(key, b);  // the first of equal labels counts
  }
}

// The label of "LBL 5", "LBL "CONTOUR"", "CALL LBL 5 REP 2": "5", "\"CONTOUR\"" or empty;
// `s` is left after it.
std::string Interpreter::LabelKey(std::string_view& s) {
  s = Trim(s);
  std::size_t i = 0;
  std::string key;
  if (i < s.size() && s[i] == '"') {
    const std::size_t close = s.find('"', 1);
    i = close == std::string_view::npos ? s.size() : close + 1;
    key = std::string(s.substr(0, i));
  } else if (i < s.size() && IsDigit(s[i])) {
    while (i < s.size() && s[i] == '0' && i + 1 < s.size() && IsDigit(s[i + 1])) ++i;
    const std::size_t from = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    key = std::string(s.substr(from, i - from));
  } else {
    while (i < s.size() && (IsAlpha(s[i]) || IsDigit(s[i]) || s[i] == '_')) ++i;
    key = std::string(s.substr(0, i));
  }
  s = Trim(s.substr(i));
  return key;
}

// ---- Running ----------------------------------------------------------------------

int Interpreter::Run(const std::vector<std::string_view>& lines) {
  CutBlocks(lines);
  lines_ = &lines;
  long executed = 0;
  while (pc_ < blocks_.size()) {
    if (++executed > ExtBlockLimit()) {
      Flush();
      report_.stopReason = FillText(UserText(Txt::MacroEndlessLoop, report_.language),
                                    std::to_string(ExtBlockLimit()));
      return 0;
    }
    sink_.SourceAt((*lines_)[blockLine_[pc_]].data());
    report_.line = static_cast<long>(blockLine_[pc_]) + 1;
    const Step step = Execute(BlockText(pc_));
    if (sink_.Full()) return 0;
    if (step == kStop || Stopped()) {
      Flush();
      return 0;
    }
    if (step == kEnd) break;
    if (step == kNext) ++pc_;
  }
  return Flush() ? 1 : 0;
}

Interpreter::Step Interpreter::Execute(std::string_view s) {
  if (s.empty()) return kNext;
  if (info_ && !sink_.CutStored()) setupScan_.Block(info_->setup, s);
  endSeen_ = false;
  std::string_view rest;
  // Words that start a block of their own.
  if (Keyword(s, "BEGIN", rest)) {
    if (Keyword(rest, "PGM", rest)) {
      std::string_view name = rest;
      const std::string key = LabelKey(name);
      if (info_ && !key.empty() && IsDigit(key[0]) && key.size() < 10)
        info_->program = std::stoi(key);
      if (name.find("INCH") != std::string_view::npos) report_.Pass("inch");
    }
    return kNext;
  }
  if (Keyword(s, "END", rest)) return StartsWith(rest, "PGM") ? kEnd : kNext;
  if (Keyword(s, "TOOL", rest)) {
    if (Keyword(rest, "CALL", rest)) ToolCall(rest);
    return kNext;
  }
  if (Keyword(s, "CYCL", rest)) {
    if (Keyword(rest, "DEF", rest)) CycleDef(rest);
    return kNext;
  }
  if (Keyword(s, "TRANS", rest)) {
    if (Keyword(rest, "DATUM", rest)) {
      if (StartsWith(rest, "RESET")) {
        shift_[0] = shift_[1] = shift_[2] = 0;
      } else if (Keyword(rest, "AXIS", rest)) {
        CycleDef(std::string("7.1 ").append(rest));
      } else {
        report_.Pass("datum-table");
      }
    } else {
      report_.Pass("coord-transform");
    }
    return kNext;
  }
  if (Keyword(s, "LBL", rest)) {
    if (LabelKey(rest) != "0" || frames_.empty()) return kNext;
    Frame& f = frames_.back();
    if (f.left > 0) {
      --f.left;
      pc_ = f.label + 1;
    } else {
      pc_ = f.call + 1;
      frames_.pop_back();
    }
    return kJumped;
  }
  if (Keyword(s, "CALL", rest)) {
    if (Keyword(rest, "LBL", rest)) return CallLabel(rest);
    if (StartsWith(rest, "PGM")) report_.Pass("program-call");
    return kNext;
  }
  if (Keyword(s, "FN", rest)) {
    std::size_t i = 0;
    int n = 0;
    while (i < rest.size() && IsDigit(rest[i]) && n < 1000) n = n * 10 + (rest[i++] - '0');
    if (i == 0) {
      report_.Pass("formula");
      return kNext;
    }
    while (i < rest.size() && rest[i] == ' ') ++i;
    if (i < rest.size() && rest[i] == ':') ++i;
    return Function(n, Trim(rest.substr(i)));
  }
  if (Keyword(s, "IF", rest)) return Jump(s);
  if (s.front() == 'Q') {
    if (!Assign(s) && !Stopped()) report_.Pass("formula");
    return Stopped() ? kStop : kNext;
  }
  if (Keyword(s, "PLANE", rest)) {
    if (!StartsWith(rest, "RESET")) report_.Pass("tilted-plane");
    return kNext;
  }
  static const char* const kFk[] = {"FPOL", "FLT", "FL", "FCT", "FC", "FSELECT", "FSTART"};
  for (const char* fk : kFk)
    if (Keyword(s, fk, rest)) {
      report_.Pass("fk-contour");
      return kNext;
    }

  bool moved = true;
  if (Keyword(s, "LP", rest))
    moved = Straight(rest, true);
  else if (Keyword(s, "L", rest))
    moved = Straight(rest, false);
  else if (Keyword(s, "APPR", rest) || Keyword(s, "DEP", rest)) {
    // APPR LT, LN, CT, LCT and their polar forms PLT, PLN, PCT, PLCT: a straight move to the
    // point they name.
    std::string_view kind = rest;
    std::size_t i = 0;
    while (i < kind.size() && IsAlpha(kind[i])) ++i;
    moved = Straight(rest.substr(i), i > 0 && kind[0] == 'P');
  } else if (Keyword(s, "CC", rest))
    Centre(rest);
  else if (Keyword(s, "C", rest))
    moved = Circle(rest, 'C');
  else if (Keyword(s, "CR", rest))
    moved = Circle(rest, 'R');
  else if (Keyword(s, "CT", rest))
    moved = Circle(rest, 'T');
  else if (Keyword(s, "CP", rest))
    moved = Circle(rest, 'P');
  else if (Keyword(s, "RND", rest))
    Corner(rest, 1);
  else if (Keyword(s, "CHF", rest))
    Corner(rest, 2);
  else {
    // Any other block moves nothing: M functions, STOP, a feed of its own ("F500"), ...
    Words w;
    ParseWords(s, w);
    if (s.front() == 'F')
      TakeFeed(w);
    else if (w.perRev)
      report_.Pass("feed-per-rev");
    return w.end ? kEnd : kNext;
  }
  if (!moved) return kStop;
  return endSeen_ ? kEnd : kNext;
}

// FN n: the arithmetic (0-8, 13) and the jumps (9-12) run; FN 14 raises the program's error
// and stops it. Our rule: the functions that only print or wait (15, 16, 20) change nothing
// the toolpath shows and pass quietly; every other one (system data read or written, PLC,
// tables, circle data, ...) may change what follows and is reported as not run, its
// parameters keeping their values.
Interpreter::Step Interpreter::Function(int n, std::string_view rest) {
  if (n <= 8 || n == 13) {
    if (!Assign(rest) && !Stopped()) report_.Pass("formula");
    return Stopped() ? kStop : kNext;
  }
  if (n <= 12) return Jump(rest);
  if (n == 14) {
    // FN 14: ERROR = 1000: the number may be a parameter or a formula.
    std::string number;
    const std::size_t eq = rest.find('=');
    if (eq != std::string_view::npos) {
      Formula f(rest, eq + 1, q_);
      const double v = f.Value();
      if (f.ok() && std::fabs(v) < 1e15) number = std::to_string(static_cast<long long>(v));
    }
    Stop(Txt::MacroAlarm, number);
    return kStop;
  }
  if (n != 15 && n != 16 && n != 20) report_.Pass("fn-function");
  return kNext;
}

void Interpreter::Stop(Txt why, std::string_view value) {
  if (Stopped()) return;
  report_.stopReason =
      FillText(UserText(why, report_.language), value) +
      FillText(UserText(Txt::MacroAtLine, report_.language), std::to_string(report_.line));
}

bool Interpreter::RunError(const Formula& f) {
  if (f.fault() == Formula::kDivisionByZero)
    Stop(Txt::MacroDivisionByZero, {});
  else if (f.fault() == Formula::kOutOfDomain)
    Stop(Txt::MacroOutOfDomain, {});
  return f.fault() != Formula::kNoFault;
}

// CALL LBL n [REP k]. With REP, a label before the call with no LBL 0 between them is a
// section repeat: the section runs k more times. Any other call runs the label as a subprogram
// up to its LBL 0, 1 + k times (a call without REP always does, as on the control, so a
// section that calls its own label without REP nests until the nesting limit stops it).
Interpreter::Step Interpreter::CallLabel(std::string_view rest) {
  const std::string key = LabelKey(rest);
  long reps = 0;
  const bool repeat = StartsWith(rest, "REP");
  if (repeat) {
    std::size_t i = 3;
    while (i < rest.size() && rest[i] == ' ') ++i;
    while (i < rest.size() && IsDigit(rest[i]) && reps < 1'000'000'000)
      reps = reps * 10 + (rest[i++] - '0');
  }
  const auto it = labels_.find(key);
  if (it == labels_.end()) {
    report_.Pass("missing-label");
    return kNext;
  }
  const std::size_t label = it->second, call = pc_;
  bool section = repeat && label < call;
  for (std::size_t r : returns_)
    if (r > label && r < call) section = false;
  if (section) {
    const auto run = repeats_.emplace(call, reps).first;
    if (run->second > 0) {
      --run->second;
      pc_ = label + 1;
      return kJumped;
    }
    repeats_.erase(run);
    return kNext;
  }
  if (frames_.size() >= kMostCalls) {
    report_.stopReason =
        FillText(UserText(Txt::MacroCallsTooDeep, report_.language), std::to_string(kMostCalls));
    return kStop;
  }
  frames_.push_back(Frame{call, label, reps});
  pc_ = label + 1;
  return kJumped;
}

// FN 9-12 and IF: "IF +Q1 EQU +Q2 GOTO LBL 5"; a jump to the block after the label.
Interpreter::Step Interpreter::Jump(std::string_view rest) {
  std::string_view cond;
  if (!Keyword(rest, "IF", cond)) return kNext;
  Formula left(cond, 0, q_);
  const double a = left.Value();
  std::string_view op = Trim(cond.substr(left.at()));
  std::size_t n = 0;
  while (n < op.size() && IsAlpha(op[n])) ++n;
  const std::string_view word = op.substr(0, n);
  Formula right(op, n, q_);
  const double b = right.Value();
  std::string_view tail = Trim(op.substr(right.at())), label;
  if (RunError(left) || RunError(right)) return kStop;
  if (!left.ok() || !right.ok() || !Keyword(tail, "GOTO", tail) || !Keyword(tail, "LBL", label)) {
    report_.Pass("formula");
    return kNext;
  }
  bool yes;
  if (word == "EQU" || word == "EQ")
    yes = a == b;
  else if (word == "NE")
    yes = a != b;
  else if (word == "GT")
    yes = a > b;
  else if (word == "LT")
    yes = a < b;
  else if (word == "GE")
    yes = a >= b;
  else if (word == "LE")
    yes = a <= b;
  else {
    report_.Pass("formula");
    return kNext;
  }
  if (!yes) return kNext;
  const auto it = labels_.find(LabelKey(label));
  if (it == labels_.end()) {
    report_.Pass("missing-label");
    return kNext;
  }
  pc_ = it->second + 1;
  return kJumped;
}

// "Q5 = Q1 * 2 + SIN(Q2)"; false when it could not be worked out (Q5 keeps its value).
bool Interpreter::Assign(std::string_view s) {
  std::size_t i = 0;
  const long key = Parameters::Read(s, i);
  if (key < 0) return false;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i >= s.size() || s[i] != '=') return false;
  Formula f(s, i + 1, q_);
  const double v = f.Value();
  if (RunError(f)) return false;
  if (!f.ok() || Trim(s.substr(f.at())).size() != 0) return false;
  q_.Set(key, v);
  return true;
}

// TOOL CALL 5 Z S4500 F300: the tool, its axis (which sets the working plane) and the speed.
void Interpreter::ToolCall(std::string_view rest) {
  std::string_view r = rest;
  const std::string key = LabelKey(r);
  if (info_ && !key.empty() && IsDigit(key[0]) && key.size() < 10) info_->tool = std::stoi(key);
  for (std::size_t i = 0; i < r.size(); ++i) {
    const char c = r[i];
    const bool alone = (i == 0 || r[i - 1] == ' ') && (i + 1 == r.size() || r[i + 1] == ' ');
    if (alone && c == 'Z') plane_ = PLANE_XY;
    if (alone && c == 'Y') plane_ = PLANE_ZX;
    if (alone && c == 'X') plane_ = PLANE_YZ;
    if (c == 'S' && (i == 0 || r[i - 1] == ' ')) {
      std::size_t j = i + 1;
      Value v;
      if (ReadValue(r, j, v) && info_) info_->spindle = FeedOf(v.v);
    }
  }
}

// CYCL DEF n: 7 (7.1-7.3) shifts the datum; the others are passed over.
void Interpreter::CycleDef(std::string_view rest) {
  std::size_t i = 0;
  long n = 0;
  while (i < rest.size() && IsDigit(rest[i]) && n < 100000) n = n * 10 + (rest[i++] - '0');
  if (n == 7) {
    if (rest.find('#') != std::string_view::npos) {
      report_.Pass("datum-table");
      return;
    }
    while (i < rest.size() && (IsDigit(rest[i]) || rest[i] == '.')) ++i;
    Words w;
    ParseWords(rest.substr(i), w);
    // Our rule: the tool stays where it is; every later absolute position is shifted.
    for (int a = 0; a < 3; ++a)
      if (w.axis[a].set) shift_[a] = w.axis[a].incremental ? shift_[a] + w.axis[a].v : w.axis[a].v;
  } else if (n == 9 || n == 32) {
    // dwell time and tolerance: nothing to show
  } else if (n == 19) {
    report_.Pass("tilted-plane");
  } else if (n == 8 || n == 10 || n == 11 || n == 26) {
    report_.Pass("coord-transform");
  } else {
    report_.Pass("cycle");
  }
}

// A value after an address: a signed number, a Q parameter, or a bracketed formula.
// The control takes blanks between the address, the sign and the value ("Z + 2", "IX - 5",
// "X + Q13"), so the reader does too.
bool Interpreter::ReadValue(std::string_view s, std::size_t& i, Value& v) {
  bool minus = false;
  std::size_t j = i;
  while (j < s.size() && (s[j] == '+' || s[j] == '-' || s[j] == ' ')) {
    if (s[j] == '-') minus = !minus;
    ++j;
  }
  if (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) {
    std::size_t e = j;
    while (e < s.size() && (IsDigit(s[e]) || s[e] == '.')) ++e;
    ncnumber::RunValue run;
    ncnumber::ReadRun<false>(s.data(), j, e, run);
    i = e;
    v.set = run.digits;
    v.v = minus ? -run.value : run.value;
    return v.set;
  }
  if (j < s.size() && s[j] == 'Q') {
    const long key = Parameters::Read(s, j);
    if (key < 0) return false;
    i = j;
    v.set = true;
    v.v = minus ? -q_.Get(key) : q_.Get(key);
    return true;
  }
  if (j < s.size() && s[j] == '(') {
    Formula f(s, j, q_);
    const double x = f.Value();
    i = f.at() > j ? f.at() : j + 1;
    if (RunError(f) || !f.ok()) return false;
    v.set = true;
    v.v = minus ? -x : x;
    return true;
  }
  i = j;
  return false;
}

void Interpreter::ParseWords(std::string_view s, Words& w) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (!IsAlpha(s[i])) {
      if (s[i] == '"') {  // a quoted name: passed over whole
        const std::size_t close = s.find('"', i + 1);
        i = close == std::string_view::npos ? s.size() : close + 1;
      } else {
        ++i;
      }
      continue;
    }
    std::size_t e = i;
    while (e < s.size() && IsAlpha(s[e])) ++e;
    std::string_view key = s.substr(i, e - i);
    // "XQ1", "FQL2": the address runs into the parameter that is its value.
    const std::size_t q = key.find('Q');
    if (q != std::string_view::npos && q > 0) {
      e = i + q;
      key = s.substr(i, q);
    }
    i = e;
    if (key == "F") {
      std::size_t j = i;
      while (j < s.size() && s[j] == ' ') ++j;
      if (s.substr(j, 3) == "MAX" && (j + 3 >= s.size() || !IsAlpha(s[j + 3]))) {
        w.feed = Words::kMax;
        i = j + 3;
        continue;
      }
      if (s.substr(j, 4) == "AUTO") {
        w.feed = Words::kAuto;
        i = j + 4;
        continue;
      }
    }
    if (key == "DR") {
      std::size_t j = i;
      while (j < s.size() && s[j] == ' ') ++j;
      if (j < s.size() && (s[j] == '+' || s[j] == '-')) w.dr = s[j] == '-' ? -1 : 1, i = j + 1;
      continue;
    }
    Value v;
    const bool has = ReadValue(s, i, v);
    if (!has && i < s.size() && (IsDigit(s[i]) || s[i] == '(' || s[i] == 'Q')) w.bad = true;
    const bool inc = key.size() > 1 && key[0] == 'I';
    const std::string_view base = inc ? key.substr(1) : key;
    if (base == "X" || base == "Y" || base == "Z") {
      if (has) w.axis[base[0] - 'X'] = Value{true, inc, v.v};
    } else if (base == "A" || base == "B" || base == "C") {
      if (has) w.rotary = true;
    } else if (base == "PR") {
      if (has) w.pr = Value{true, inc, v.v};
    } else if (base == "PA") {
      if (has) w.pa = Value{true, inc, v.v};
    } else if (key == "R") {
      if (has) w.radius = v;
    } else if (key == "FMAX") {
      w.feed = Words::kMax;
    } else if (key == "FAUTO") {
      w.feed = Words::kAuto;
    } else if (key == "F") {
      if (has) w.feed = Words::kFeed, w.feedValue = v.v;
    } else if (key == "FU" || key == "FZ") {
      w.perRev = true;
    } else if (key == "M") {
      if (has && (v.v == 91 || v.v == 92)) w.machineDatum = true;
      if (has && (v.v == 2 || v.v == 30)) w.end = endSeen_ = true;
    } else if (key == "LEN") {
      w.len = v;
    }
  }
  if (w.bad && !Stopped()) report_.Pass("formula");
}

// ---- Motion -----------------------------------------------------------------------

void Interpreter::TakeFeed(const Words& w) {
  if (w.feed == Words::kFeed) feed_ = ExtFeed(w.feedValue, report_);
  if (w.perRev) report_.Pass("feed-per-rev");
}

void Interpreter::Target(const Words& w, double to[3]) const {
  for (int a = 0; a < 3; ++a) {
    const Value& v = w.axis[a];
    to[a] = !v.set ? at_[a] : v.incremental ? at_[a] + v.v : v.v + shift_[a];
  }
}

// LP and the polar APPR/DEP: PR/IPR and PA/IPA about the pole; a word left out keeps the
// current radius or angle.
void Interpreter::PolarTarget(const Words& w, double to[3]) {
  Target(w, to);
  if (!w.pr.set && !w.pa.set) return;
  const PlaneAxes ax = AxesOfPlane(plane_);
  const double da = at_[ax.a] - pole_[ax.a], db = at_[ax.b] - pole_[ax.b];
  double r = std::hypot(da, db), angle = std::atan2(db, da) / kDeg;
  if (w.pr.set) r = w.pr.incremental ? r + w.pr.v : w.pr.v;
  if (w.pa.set) angle = w.pa.incremental ? angle + w.pa.v : w.pa.v;
  to[ax.a] = pole_[ax.a] + r * std::cos(angle * kDeg);
  to[ax.b] = pole_[ax.b] + r * std::sin(angle * kDeg);
}

// The words of a move block, its feed taken and its rotary words counted; false for a block
// in machine coordinates (M91/M92), which by our rule makes no move and leaves the position
// where it is, since where it goes depends on the machine.
bool Interpreter::MoveWords(std::string_view rest, Words& w) {
  ParseWords(rest, w);
  if (Stopped()) return false;
  if (w.machineDatum) {
    report_.Pass("machine-datum");
    return false;
  }
  TakeFeed(w);
  if (w.rotary) report_.Pass("rotary");
  return true;
}

bool Interpreter::Straight(std::string_view rest, bool polar) {
  Words w;
  if (!MoveWords(rest, w)) return true;
  double to[3];
  if (polar)
    PolarTarget(w, to);
  else
    Target(w, to);
  if (to[0] == at_[0] && to[1] == at_[1] && to[2] == at_[2]) return true;
  if (!(std::isfinite(to[0]) && std::isfinite(to[1]) && std::isfinite(to[2]))) {
    report_.Pass("formula");
    return true;
  }
  // F MAX holds for its own block only, as on the control; the feed in force stays.
  return MoveStraight(to, w.feed == Words::kMax, w.feed != Words::kNoFeed);
}

void Interpreter::Centre(std::string_view rest) {
  Words w;
  ParseWords(rest, w);
  double c[3];
  Target(w, c);  // a coordinate left out (or CC alone) is the current position's
  if (w.axis[0].set && w.axis[1].set)
    plane_ = PLANE_XY;
  else if (w.axis[0].set && w.axis[2].set)
    plane_ = PLANE_ZX;
  else if (w.axis[1].set && w.axis[2].set)
    plane_ = PLANE_YZ;
  for (int a = 0; a < 3; ++a) pole_[a] = c[a];
}

void Interpreter::Corner(std::string_view rest, int kind) {
  Words w;
  ParseWords(rest, w);
  // RND R5, CHF 2 (the chamfer's length may stand without an address).
  double size = w.radius.set ? w.radius.v : 0;
  if (kind == 2 && !w.radius.set) {
    std::size_t i = 0;
    Value v;
    if (ReadValue(rest, i, v)) size = v.v;
  }
  if (w.feed == Words::kFeed)
    corner_.feed = ExtFeed(w.feedValue, report_);
  else
    corner_.feed = feed_;
  if (!pending_.has || !(size > 0)) {
    report_.Pass("corner-unresolved");
    return;
  }
  corner_.kind = kind;
  corner_.size = size;
  corner_.source = sink_.Source();
}

void Interpreter::ClearCorner() {
  if (corner_.kind != 0) report_.Pass("corner-unresolved");
  corner_.kind = 0;
}

bool Interpreter::Flush() {
  ClearCorner();
  if (!pending_.has) return true;
  pending_.has = false;
  const ExtSourceScope scope(sink_, pending_.source);
  return sink_.Line(pending_.to, pending_.feed, pending_.named);
}

bool Interpreter::MoveStraight(const double to[3], bool rapid, bool named) {
  double d[3] = {to[0] - at_[0], to[1] - at_[1], to[2] - at_[2]};
  if (rapid) {
    if (!Flush() || !sink_.Rapid(to, true)) return false;
  } else if (pending_.has && corner_.kind != 0) {
    // The corner between the waiting cut (p0 -> p1) and this one (p1 -> p2), in the plane.
    const PlaneAxes ax = AxesOfPlane(plane_);
    const double* p0 = pending_.from;
    const double* p1 = pending_.to;
    const double l1 = std::hypot(p1[ax.a] - p0[ax.a], p1[ax.b] - p0[ax.b]);
    const double l2 = std::hypot(to[ax.a] - p1[ax.a], to[ax.b] - p1[ax.b]);
    const double u1[2] = {(p1[ax.a] - p0[ax.a]) / l1, (p1[ax.b] - p0[ax.b]) / l1};
    const double u2[2] = {(to[ax.a] - p1[ax.a]) / l2, (to[ax.b] - p1[ax.b]) / l2};
    const double cross = u1[0] * u2[1] - u1[1] * u2[0];
    const double turn = std::atan2(std::fabs(cross), u1[0] * u2[0] + u1[1] * u2[1]);
    const double half = (kPi - turn) / 2;  // half the inner angle
    double cut = 0;
    bool fits = l1 > kSame && l2 > kSame && turn > 1e-9 && half > 1e-9;
    if (fits) {
      cut = corner_.kind == 1 ? corner_.size / std::tan(half) : corner_.size;
      fits = cut < l1 - kSame && cut < l2 - kSame;
    }
    if (!fits) {
      ClearCorner();
      if (!Flush()) return false;
    } else {
      double t1[3], t2[3];
      for (int a = 0; a < 3; ++a) {
        t1[a] = p1[a] - (p1[a] - p0[a]) * cut / l1;
        t2[a] = p1[a] + (to[a] - p1[a]) * cut / l2;
      }
      const std::uint64_t here = sink_.Source();  // this block's
      {
        const ExtSourceScope scope(sink_, pending_.source);
        if (!sink_.Line(t1, pending_.feed, pending_.named)) return false;
      }
      // The corner comes from its RND or CHF block.
      const ExtSourceScope scope(sink_, corner_.source);
      bool ok;
      if (corner_.kind == 1) {
        // The rounding arc's centre lies on the bisector, R / sin(half) from the corner.
        const double bis[2] = {u2[0] - u1[0], u2[1] - u1[1]};
        const double lb = std::hypot(bis[0], bis[1]);
        double centre[3] = {t1[0], t1[1], t1[2]};
        centre[ax.a] = p1[ax.a] + bis[0] / lb * corner_.size / std::sin(half);
        centre[ax.b] = p1[ax.b] + bis[1] / lb * corner_.size / std::sin(half);
        ok = sink_.Arc(t2, centre, plane_, cross < 0, corner_.feed);
      } else {
        ok = sink_.Line(t2, corner_.feed, false);
      }
      if (!ok) return false;
      corner_.kind = 0;
      for (int a = 0; a < 3; ++a) pending_.from[a] = t2[a], pending_.to[a] = to[a];
      pending_.feed = feed_;
      pending_.named = named;
      pending_.source = here;
      for (int a = 0; a < 3; ++a) at_[a] = to[a], dir_[a] = d[a];
      dirKnown_ = true;
      return true;
    }
  } else if (!Flush()) {
    return false;
  }
  if (!rapid) {
    pending_.has = true;
    for (int a = 0; a < 3; ++a) pending_.from[a] = at_[a], pending_.to[a] = to[a];
    pending_.feed = feed_;
    pending_.named = named;
    pending_.source = sink_.Source();
  }
  for (int a = 0; a < 3; ++a) at_[a] = to[a], dir_[a] = d[a];
  dirKnown_ = true;
  return true;
}

bool Interpreter::MoveArc(const double to[3], const double centre[3], bool clockwise) {
  if (!Flush()) return false;
  if (!sink_.Arc(to, centre, plane_, clockwise, feed_)) return false;
  // The direction at the arc's end: along the tangent, the way the arc turns.
  const PlaneAxes ax = AxesOfPlane(plane_);
  const double ra = to[ax.a] - centre[ax.a], rb = to[ax.b] - centre[ax.b];
  dir_[ax.normal] = 0;
  dir_[ax.a] = clockwise ? rb : -rb;
  dir_[ax.b] = clockwise ? -ra : ra;
  dirKnown_ = ra != 0 || rb != 0;
  for (int a = 0; a < 3; ++a) at_[a] = to[a];
  return true;
}

// C (about the pole), CR (by radius), CT (tangent to the move before), CP (polar, about the
// pole).
bool Interpreter::Circle(std::string_view rest, char kind) {
  Words w;
  if (!MoveWords(rest, w)) return true;
  if (w.dr != 0) dr_ = w.dr;
  const PlaneAxes ax = AxesOfPlane(plane_);
  double to[3];
  Target(w, to);
  double centre[3] = {pole_[0], pole_[1], pole_[2]};
  bool clockwise = dr_ < 0;
  if (kind == 'P') {
    // CP PA/IPA: around the pole at the current distance; IPA may turn more than once.
    const double da = at_[ax.a] - pole_[ax.a], db = at_[ax.b] - pole_[ax.b];
    const double r = std::hypot(da, db), from = std::atan2(db, da) / kDeg;
    if (!w.pa.set || !(r > kSame)) {
      report_.Pass("bad-arc");
      return true;
    }
    double sweep;
    if (w.pa.incremental) {
      sweep = w.pa.v;
      if (w.dr == 0 && sweep != 0) clockwise = sweep < 0;
      sweep = std::fabs(sweep);
    } else {
      sweep = std::fmod(clockwise ? from - w.pa.v : w.pa.v - from, 360.0);
      if (sweep < 0) sweep += 360.0;
      if (sweep < 1e-9) sweep = 360.0;
    }
    if (!(sweep > 0) || sweep > 360.0 * 100000) {
      report_.Pass("bad-arc");
      return true;
    }
    // Our rule: whole turns are stored as whole circles (each ending where it starts) and the
    // rest as one arc; a helix rises evenly over all of them.
    const double z0 = at_[ax.normal], rise = to[ax.normal] - z0;
    const long turns = static_cast<long>(std::floor(sweep / 360.0 + 1e-12));
    double restSweep = sweep - 360.0 * static_cast<double>(turns);
    if (restSweep < 1e-9) restSweep = 0;
    for (long t = 1; t <= turns; ++t) {
      double end[3] = {at_[0], at_[1], at_[2]};
      end[ax.normal] = z0 + rise * (360.0 * static_cast<double>(t)) / sweep;
      if (!MoveArc(end, centre, clockwise)) return false;
    }
    if (restSweep > 0) {
      const double angle = (clockwise ? from - restSweep : from + restSweep) * kDeg;
      to[ax.a] = pole_[ax.a] + r * std::cos(angle);
      to[ax.b] = pole_[ax.b] + r * std::sin(angle);
      if (!MoveArc(to, centre, clockwise)) return false;
    }
    return true;
  }
  const double ca = to[ax.a] - at_[ax.a], cb = to[ax.b] - at_[ax.b];
  const double chord = std::hypot(ca, cb);
  if (kind == 'R') {
    // CR: the centre on the chord's perpendicular bisector, on the side that gives an arc
    // below 180 degrees for R+ and above for R-.
    const double r = w.radius.set ? w.radius.v : 0;
    if (!(std::fabs(r) > kSame) || !(chord > kSame)) {
      report_.Pass("bad-arc");
      return chord == 0 || MoveStraight(to, false, true);
    }
    const double h2 = r * r - chord * chord / 4;
    const double h = h2 > 0 ? std::sqrt(h2) : 0;
    // Left of the chord for a short counter-clockwise arc.
    const double side = (clockwise ? -1.0 : 1.0) * (r > 0 ? 1.0 : -1.0);
    centre[ax.a] = at_[ax.a] + ca / 2 - side * cb / chord * h;
    centre[ax.b] = at_[ax.b] + cb / 2 + side * ca / chord * h;
  } else if (kind == 'T') {
    // CT: the centre lies on the normal to the direction of the move before, as far from the
    // end as from the start.
    double t[2] = {dirKnown_ ? dir_[ax.a] : 0, dirKnown_ ? dir_[ax.b] : 0};
    const double lt = std::hypot(t[0], t[1]);
    const double n[2] = {lt > 0 ? -t[1] / lt : 0, lt > 0 ? t[0] / lt : 0};  // left normal
    const double along = n[0] * ca + n[1] * cb;
    if (!(lt > 0) || !(chord > kSame) || std::fabs(along) < 1e-9 * chord) {
      if (chord > kSame && lt > 0 && std::fabs(along) < 1e-9 * chord) {
        return MoveStraight(to, false, true);  // the end lies on the tangent: a straight cut
      }
      report_.Pass("bad-arc");
      return chord == 0 || MoveStraight(to, false, true);
    }
    const double k = chord * chord / (2 * along);
    centre[ax.a] = at_[ax.a] + n[0] * k;
    centre[ax.b] = at_[ax.b] + n[1] * k;
    clockwise = k < 0;
  }
  centre[ax.normal] = at_[ax.normal];
  if (!(std::isfinite(to[0]) && std::isfinite(to[1]) && std::isfinite(to[2]) &&
        std::isfinite(centre[ax.a]) && std::isfinite(centre[ax.b]))) {
    report_.Pass("formula");
    return true;
  }
  return MoveArc(to, centre, clockwise);
}

}  // namespace

int ReadHeidenhainExtended(const std::vector<std::string_view>& lines, ExtMoveSink& sink,
                           ExtReadReport& report, const double start[3], ExtProgramInfo* info) {
  if (report.dialect.empty()) report.dialect = "Heidenhain";
  Interpreter run(sink, report, start, info);
  return run.Run(lines);
}

int ReadHeidenhainExtended(const std::vector<std::string_view>& lines, ExtMoveSink& sink,
                           ExtReadReport& report, const double start[3]) {
  return ReadHeidenhainExtended(lines, sink, report, start, nullptr);
}

}  // namespace trevalon
