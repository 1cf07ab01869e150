// The macro runner of the extended ISO reader (see ext_macro.h).
#include "ncio/ext_macro.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "ncio/nc_number.h"
#include "texts/messages.h"

namespace trevalon {
namespace {

using ncnumber::IsAlpha;
using ncnumber::IsDigit;
using ncnumber::Upper;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view t, std::size_t& p) {
  while (p < t.size() && IsBlank(t[p])) ++p;
}

bool WordAt(std::string_view t, std::size_t p, std::string_view w) {
  if (p > t.size() || t.size() - p < w.size()) return false;
  for (std::size_t i = 0; i < w.size(); ++i)
    if (Upper(t[p + i]) != w[i]) return false;
  return true;
}

// Past a block's start: blanks, "/" and the N number.
std::size_t StatementStart(std::string_view t) {
  std::size_t p = 0;
  SkipBlanks(t, p);
  if (p < t.size() && t[p] == '/') ++p, SkipBlanks(t, p);
  if (p < t.size() && Upper(t[p]) == 'N') {
    std::size_t q = p + 1;
    SkipBlanks(t, q);
    if (q < t.size() && IsDigit(t[q])) {
      while (q < t.size() && IsDigit(t[q])) ++q;
      p = q;
      SkipBlanks(t, p);
    }
  }
  return p;
}

// The N number a line starts with, or -1.
long LabelOf(std::string_view t) {
  std::size_t p = 0;
  SkipBlanks(t, p);
  if (p < t.size() && t[p] == '/') ++p, SkipBlanks(t, p);
  if (p >= t.size() || Upper(t[p]) != 'N') return -1;
  ++p;
  SkipBlanks(t, p);
  if (p >= t.size() || !IsDigit(t[p])) return -1;
  long n = 0;
  for (; p < t.size() && IsDigit(t[p]); ++p) {
    n = n * 10 + (t[p] - '0');
    if (n > 99999999) return -1;
  }
  return n;
}

// Our rule for a call of a program the file does not hold (a probing macro, a subprogram kept
// in the control): the call is passed over and counted, the rest of the program is read.
constexpr const char* kCallNotInFile = "call-not-in-file";

// A word's value as a whole number (program numbers, labels, repeats), kept within reach of
// a long so that no value, however large, overflows.
long Whole(double v) {
  return std::lround(std::clamp(v, -1e9, 1e9));
}

// A number as the ISO interpreter reads it back: six decimals, trailing zeros dropped, the
// point kept ("3.", "-0.5"). Six decimals are finer than any control's least input increment,
// which is what a control rounds an address value to.
void AppendNumber(double v, std::string& out) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  char* end = r.ptr;
  while (end > buf && end[-1] == '0') --end;
  std::string_view s(buf, static_cast<std::size_t>(end - buf));
  if (s == "-0.") s = "0.";
  out.append(s);
}

// The name of an o-word ("100", "<name>" as "name", lower case) and where its keyword starts.
bool OName(std::string_view t, std::size_t& p, std::string& name) {
  SkipBlanks(t, p);
  if (p >= t.size() || Upper(t[p]) != 'O') return false;
  ++p;
  SkipBlanks(t, p);
  name.clear();
  if (p < t.size() && t[p] == '<') {
    const std::size_t end = t.find('>', p + 1);
    if (end == std::string_view::npos) return false;
    for (char c : t.substr(p + 1, end - p - 1))
      if (!IsBlank(c)) name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    p = end + 1;
  } else {
    while (p < t.size() && IsDigit(t[p])) name += t[p++];
  }
  return !name.empty();
}

}  // namespace

ExtMacroRunner::ExtMacroRunner(const std::vector<std::string_view>& lines, ExtReadReport& report,
                               ExtMacroOptions options)
    : lines_(lines), report_(report), opt_(options) {
  budget_ = lines_.size() + static_cast<unsigned long long>(std::max(0L, opt_.maxBlocks));
  PreScan();
  charBudget_ = static_cast<unsigned long long>(std::max(0LL, opt_.maxChars));
  for (const std::string_view line : lines_) charBudget_ += line.size();
  vars_.floorFix = !owords_.empty();
  vars_.system = [this](long number, ExtValue& out) { return SystemVariable(number, out); };
  Frame main;
  main.progEnd = lines_.size();
  // The main program runs from the top to the first O-number after its own header (an
  // O-number on the first line that holds more than comments and "%").
  std::size_t first = lines_.size();
  for (std::size_t i = 0; i < lines_.size() && first == lines_.size(); ++i) {
    const std::string_view s = lines_[i];
    std::size_t p = 0;
    SkipBlanks(s, p);
    if (p < s.size() && s[p] != '%' && s[p] != '(' && s[p] != ';' && s[p] != '\r') first = i;
  }
  for (const auto& program : programs_)
    if (program.first != first) {
      main.progEnd = program.first;
      break;
    }
  frames_.push_back(main);
}

void ExtMacroRunner::PreScan() {
  std::unordered_map<std::string, std::vector<int>> open;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view t = lines_[i];
    std::size_t p = 0;
    SkipBlanks(t, p);
    if (p >= t.size() || Upper(t[p]) != 'O') continue;
    if (!OName(t, p, name_)) continue;
    SkipBlanks(t, p);
    std::size_t k = p;
    while (k < t.size() && IsAlpha(t[k])) ++k;
    std::string kw(t.substr(p, k - p));
    for (char& c : kw) c = Upper(c);
    if (kw.empty()) {
      if (std::all_of(name_.begin(), name_.end(), IsDigit) && name_.size() <= 9) {
        const long number = std::stol(name_);
        programs_.emplace_back(i, number);
        programByNumber_.try_emplace(number, i);
      }
      continue;
    }
    static constexpr std::pair<std::string_view, Kw> kWords[] = {
        {"SUB", Kw::Sub},       {"ENDSUB", Kw::EndSub}, {"CALL", Kw::Call},
        {"DO", Kw::Do},         {"WHILE", Kw::While},   {"ENDWHILE", Kw::EndWhile},
        {"IF", Kw::If},         {"ELSEIF", Kw::ElseIf}, {"ELSE", Kw::Else},
        {"ENDIF", Kw::EndIf},   {"REPEAT", Kw::Repeat}, {"ENDREPEAT", Kw::EndRepeat},
        {"RETURN", Kw::Return}, {"BREAK", Kw::Break},   {"CONTINUE", Kw::Continue}};
    Kw kind = Kw::None;
    for (const auto& [w, kk] : kWords)
      if (kw == w) kind = kk;
    if (kind == Kw::None) continue;
    const int idx = static_cast<int>(owords_.size());
    owords_.push_back(OWord{i, name_, kind});
    std::vector<int>& stack = open[name_];
    const int top = stack.empty() ? -1 : stack.back();
    auto link = [&](Kw opener) {
      if (top >= 0 && owords_[top].kw == opener) {
        owords_[top].match = idx;
        owords_[idx].match = top;
        stack.pop_back();
      }
    };
    switch (kind) {
      case Kw::Sub:
        subs_.try_emplace(name_, idx);
        [[fallthrough]];
      case Kw::Do:
      case Kw::Repeat:
        stack.push_back(idx);
        break;
      case Kw::While:
        if (top >= 0 && owords_[top].kw == Kw::Do) {
          owords_[idx].kw = Kw::WhileOfDo;
          link(Kw::Do);
        } else {
          stack.push_back(idx);
        }
        break;
      case Kw::EndSub:
        link(Kw::Sub);
        break;
      case Kw::EndWhile:
        link(Kw::While);
        break;
      case Kw::EndRepeat:
        link(Kw::Repeat);
        break;
      case Kw::If:
        owords_[idx].last = idx;
        stack.push_back(idx);
        break;
      case Kw::ElseIf:
      case Kw::Else:
      case Kw::EndIf:
        if (top >= 0 && owords_[top].kw == Kw::If) {
          owords_[owords_[top].last].next = idx;
          owords_[top].last = idx;
          if (kind == Kw::EndIf) {
            for (int b = top; b >= 0 && b != idx; b = owords_[b].next) owords_[b].end = idx;
            stack.pop_back();
          }
        }
        break;
      case Kw::Break:
      case Kw::Continue:
        owords_[idx].match = top;
        break;
      default:
        break;
    }
  }
}

// What a character means to the quick look at a line: 1 a comment starts, 2 a variable or
// an expression, 3 an address that may call or end (M, G).
constexpr std::array<unsigned char, 256> kLook = [] {
  std::array<unsigned char, 256> a{};
  a['('] = a[';'] = 1;
  a['#'] = a['['] = 2;
  a['M'] = a['m'] = a['G'] = a['g'] = 3;
  return a;
}();

// Copies the line without its comments into `out`: 0 nothing to execute, 1 a plain block
// (handed out as it stands), 2 a line for the macro path (variables, expressions, program
// flow, calls). Plain blocks, the bulk of any program, cost one pass over their characters.
int ExtMacroRunner::Strip(std::string_view line, std::string& out) {
  out.clear();
  comment_ = {};
  bool macro = false;
  const std::size_t n = line.size();
  std::size_t seg = 0, i = 0;
  for (; i < n; ++i) {
    const unsigned char look = kLook[static_cast<unsigned char>(line[i])];
    if (look == 0) continue;
    if (look == 2) {
      macro = true;
    } else if (look == 3) {
      // M98, M97, M99, M30, M02 and G65 take the macro path.
      std::size_t q = i + 1;
      while (q < n && IsBlank(line[q])) ++q;
      int v = 0, digits = 0;
      for (; q < n && IsDigit(line[q]) && digits < 6; ++q, ++digits) v = v * 10 + (line[q] - '0');
      if (digits > 0 &&
          (Upper(line[i]) == 'M' ? (v == 98 || v == 97 || v == 99 || v == 30 || v == 2) : v == 65))
        macro = true;
    } else if (line[i] == ';') {
      break;
    } else {
      out.append(line.substr(seg, i - seg));
      const std::size_t close = line.find(')', i + 1);
      if (comment_.empty())
        comment_ = line.substr(i + 1, close == std::string_view::npos ? line.npos : close - i - 1);
      if (close == std::string_view::npos) {
        seg = i = n;
        break;
      }
      i = close;
      seg = close + 1;
    }
  }
  out.append(line.substr(seg, i - seg));
  if (macro) return 2;
  const std::string_view t = out;
  std::size_t p = 0;
  while (p < t.size() && (IsBlank(t[p]) || t[p] == '\r')) ++p;
  if (p >= t.size()) return 0;
  if (t[p] == '/' || Upper(t[p]) == 'N') p = StatementStart(t);
  if (p >= t.size()) return 1;  // an N number alone: the interpreter passes it over
  const char c = Upper(t[p]);
  if (c == '%') return 0;
  if (c == 'O' || WordAt(t, p, "IF") || WordAt(t, p, "WHILE") || WordAt(t, p, "GOTO") ||
      WordAt(t, p, "END") || WordAt(t, p, "DO"))
    return 2;
  return 1;
}

bool ExtMacroRunner::Next(std::string& block) {
  while (!ended_) {
    if (cur_ >= frames_.back().progEnd) {
      if (frames_.size() == 1) {
        ended_ = true;
        break;
      }
      Return();
      continue;
    }
    line_ = cur_;
    report_.line = static_cast<long>(cur_) + 1;  // what the runner passes over is said here
    const std::string_view line = lines_[cur_++];
    executedChars_ += line.size();
    if (++executed_ > budget_ || executedChars_ > charBudget_) {
      Stop(Txt::MacroEndlessLoop,
           std::to_string(executed_ > budget_ ? opt_.maxBlocks : static_cast<long>(executed_ - 1)));
      break;
    }
    const int kind = Strip(line, block);
    if (kind == 1) return true;
    if (kind == 2 && Execute(block)) return true;
  }
  block.clear();
  return false;
}

// The system variables, as a control standing ready with no offsets set would answer them.
// See docs/design-rules.md, "Extended reading: system variables".
bool ExtMacroRunner::SystemVariable(long n, ExtValue& out) const {
  auto zero = [&] { return out = ExtValue::Of(0), true; };
  if ((n >= 1000 && n <= 1015) || n == 1032) return zero();
  if ((n >= 1100 && n <= 1115) || n == 1132 || n == 1133) return zero();
  if ((n >= 2001 && n <= 2999) || (n >= 10001 && n <= 19999)) return zero();
  if (n == 3001)
    return out = ExtValue::Of(clockMs_ + static_cast<double>(executed_ - clockMsAt_)), true;
  if (n == 3002)
    return out = ExtValue::Of(clockHours_ + static_cast<double>(executed_ - clockHoursAt_) / 3.6e6),
           true;
  if ((n >= 4001 && n <= 4130) || (n >= 4201 && n <= 4330)) {
    if (machine_ == nullptr) return false;
    const int k = static_cast<int>(n >= 4201 ? n - 4200 : n - 4000);
    double v = 0;
    if (k <= 30) {
      if (!machine_->ModalG(k, v)) return false;
      return out = ExtValue::Of(v), true;
    }
    static constexpr std::pair<int, char> kWords[] = {
        {109, 'F'}, {111, 'H'}, {115, 'O'}, {119, 'S'}, {120, 'T'}};
    for (const auto& [number, letter] : kWords)
      if (k == number) {
        if (!machine_->ModalWord(letter, v)) return false;
        return out = ExtValue::Of(v), true;
      }
    return false;
  }
  if (n >= 5001 && n <= 5066 && (n - 5001) % 20 < 6) {
    const int axis = static_cast<int>((n - 5001) % 20);
    if (axis >= 3) return zero();
    if (machine_ == nullptr) return false;
    return out = ExtValue::Of(machine_->Position(axis)), true;
  }
  if (n >= 5081 && n <= 5106) return zero();
  if ((n >= 5201 && n <= 5326) || (n >= 7001 && n <= 7946) || (n >= 14001 && n <= 19988))
    return zero();
  return false;
}

void ExtMacroRunner::Stop(Txt text, std::string_view value) {
  if (ended_) return;
  report_.stopReason =
      FillText(UserText(text, opt_.language), value) +
      FillText(UserText(Txt::MacroAtLine, opt_.language), std::to_string(line_ + 1));
  ended_ = true;
}

void ExtMacroRunner::ExprStop(const ExtExpression& e, std::string_view t) {
  switch (e.Error()) {
    case ExtExprError::DivisionByZero:
      return Stop(Txt::MacroDivisionByZero, {});
    case ExtExprError::Domain:
      return Stop(Txt::MacroOutOfDomain, {});
    case ExtExprError::BadVariable:
      return Stop(Txt::MacroBadVariable, {});
    default: {
      std::size_t b = 0;
      SkipBlanks(t, b);
      return Stop(Txt::MacroBadExpression, t.substr(b, 60));
    }
  }
}

bool ExtMacroRunner::Condition(std::string_view t, std::size_t& p, bool& truth) {
  ExtExpression e(vars_);
  ExtValue v;
  if (!e.Operand(t, p, v)) {
    ExprStop(e, t);
    return false;
  }
  truth = !v.vacant && v.value != 0;
  return true;
}

bool ExtMacroRunner::Integer(std::string_view t, std::size_t& p, long& out) {
  ExtExpression e(vars_);
  ExtValue v;
  if (!e.Operand(t, p, v)) {
    ExprStop(e, t);
    return false;
  }
  const double x = v.vacant ? 0.0 : v.value;
  if (!(x > -1e9 && x < 1e9)) {
    Stop(Txt::MacroBadExpression, t);
    return false;
  }
  out = std::lround(x);
  return true;
}

// Executes a line of the macro path; true when it leaves a block to hand out in `out`.
bool ExtMacroRunner::Execute(std::string& out) {
  clean_.swap(out);
  out.clear();
  const std::string_view t = clean_;
  std::size_t p = StatementStart(t);
  if (p >= t.size()) return false;
  if (Upper(t[p]) == 'O') return OLine(t, p);
  branchPending_ = false;
  if (WordAt(t, p, "IF")) {
    p += 2;
    bool truth = false;
    if (!Condition(t, p, truth)) return false;
    SkipBlanks(t, p);
    if (WordAt(t, p, "GOTO")) {
      p += 4;
      long label = 0;
      if (!Integer(t, p, label)) return false;
      if (truth) Jump(label, frames_.back(), cur_);
      return false;
    }
    if (WordAt(t, p, "THEN")) return truth && Block(t, p + 4, out);
    Stop(Txt::MacroBadExpression, t);
    return false;
  }
  if (WordAt(t, p, "WHILE")) {
    p += 5;
    bool truth = false;
    if (!Condition(t, p, truth)) return false;
    SkipBlanks(t, p);
    long id = 0;
    if (!WordAt(t, p, "DO") || !Integer(t, p += 2, id)) {
      if (!ended_) Stop(Txt::MacroUnmatched, "WHILE");
      return false;
    }
    if (truth) {
      EnterLoop(id);
      return false;
    }
    std::size_t end = 0;
    if (!FindEnd(id, end)) {
      Stop(Txt::MacroUnmatched, "WHILE");
      return false;
    }
    cur_ = end + 1;
    return false;
  }
  if (WordAt(t, p, "DO")) {
    long id = 0;
    if (!Integer(t, p += 2, id)) return false;
    EnterLoop(id);
    return false;
  }
  if (WordAt(t, p, "END")) {
    long id = 0;
    if (!Integer(t, p += 3, id)) return false;
    const Frame& f = frames_.back();
    for (std::size_t k = loops_.size(); k > f.loopBase; --k)
      if (loops_[k - 1].id == id) {
        cur_ = loops_[k - 1].line;  // the WHILE decides again; a DO alone loops on
        loops_.resize(k - 1);
        return false;
      }
    Stop(Txt::MacroUnmatched, "END");
    return false;
  }
  if (WordAt(t, p, "GOTO")) {
    p += 4;
    long label = 0;
    if (Integer(t, p, label)) Jump(label, frames_.back(), cur_);
    return false;
  }
  return Block(t, p, out);
}

// Our rule: an expression ends where the next word starts: at the end of the line, at a
// blank, at "#" or at a letter (a comma of ",R" too); after blanks an "@" or "^" word may
// follow. Anything else (a digit, a point, an operator the expression did not take) is text
// the control would refuse.
bool ExtMacroRunner::Junk(std::string_view t, std::size_t p) const {
  const std::size_t at = p;
  while (p < t.size() && (IsBlank(t[p]) || t[p] == '\r')) ++p;
  if (p >= t.size()) return false;
  const char c = t[p];
  if (IsAlpha(c) || c == '#' || c == ',') return false;
  return !((c == '@' || c == '^') && p > at);
}

// The forward search for "END id" from a WHILE that is not entered.
void ExtMacroRunner::EnterLoop(long id) {
  const Frame& f = frames_.back();
  for (std::size_t k = f.loopBase; k < loops_.size(); ++k)
    if (loops_[k].id == id) {
      loops_.resize(k);
      break;
    }
  if (loops_.size() - f.loopBase >= 32) {
    Stop(Txt::MacroUnmatched, "DO");
    return;
  }
  loops_.push_back({id, line_});
}

bool ExtMacroRunner::FindEnd(long id, std::size_t& line) const {
  if (const auto it = whileEnds_.find(line_); it != whileEnds_.end()) {
    line = it->second;
    return true;
  }
  for (std::size_t i = cur_; i < frames_.back().progEnd; ++i) {
    const std::string_view t = lines_[i];
    std::size_t p = StatementStart(t);
    if (!WordAt(t, p, "END")) continue;
    p += 3;
    SkipBlanks(t, p);
    long n = 0;
    int digits = 0;
    for (; p < t.size() && IsDigit(t[p]) && digits < 9; ++p, ++digits) n = n * 10 + (t[p] - '0');
    if (digits > 0 && n == id) {
      whileEnds_.emplace(line_, i);
      line = i;
      return true;
    }
  }
  return false;
}

// The line of block N`label` in the running program: searched forward from here, then from
// the program's start, as controls search.
bool ExtMacroRunner::Jump(long label, const Frame& in, std::size_t& line) {
  if (label < 0 || label > 99999999) {
    Stop(Txt::MacroNoLabel, std::to_string(label));
    return false;
  }
  const unsigned long long key = static_cast<unsigned long long>(in.progStart) * 100000000ULL +
                                 static_cast<unsigned long long>(label);
  if (const auto it = labels_.find(key); it != labels_.end()) {
    line = it->second;
    return true;
  }
  const std::size_t from = std::clamp(cur_, in.progStart, in.progEnd);
  for (std::size_t n = 0, span = in.progEnd - in.progStart; n < span; ++n) {
    std::size_t i = from + n;
    if (i >= in.progEnd) i -= span;
    if (LabelOf(lines_[i]) == label) {
      labels_.emplace(key, i);
      line = i;
      return true;
    }
  }
  Stop(Txt::MacroNoLabel, std::to_string(label));
  return false;
}

bool ExtMacroRunner::Call(std::size_t bodyStart, std::size_t progStart, std::size_t progEnd,
                          long repeats, bool locals, bool oword) {
  if (static_cast<int>(frames_.size()) > opt_.maxCallDepth) {
    Stop(Txt::MacroCallsTooDeep, std::to_string(opt_.maxCallDepth));
    return false;
  }
  if (repeats < 1) return true;
  Frame f;
  f.returnLine = cur_;
  f.progStart = progStart;
  f.progEnd = progEnd;
  f.bodyStart = bodyStart;
  f.repeats = repeats;
  f.locals = locals;
  f.oword = oword;
  f.loopBase = loops_.size();
  f.repBase = reps_.size();
  frames_.push_back(f);
  if (locals) vars_.PushLevel();
  cur_ = bodyStart;
  return true;
}

void ExtMacroRunner::Return() {
  Frame& f = frames_.back();
  loops_.resize(f.loopBase);
  reps_.resize(f.repBase);
  if (f.repeats > 1) {
    --f.repeats;
    cur_ = f.bodyStart;
    return;
  }
  if (f.locals) vars_.PopLevel();
  cur_ = f.returnLine;
  frames_.pop_back();
}

std::size_t ExtMacroRunner::ProgramEnd(std::size_t header) const {
  const auto it = std::upper_bound(
      programs_.begin(), programs_.end(), header,
      [](std::size_t l, const std::pair<std::size_t, long>& e) { return l < e.first; });
  return it == programs_.end() ? lines_.size() : it->first;
}

// Words and assignments of one block. Our rule: everything on the line is evaluated with
// the values from before it; the assignments take effect after (see ext_macro.h).
bool ExtMacroRunner::Block(std::string_view t, std::size_t p, std::string& out) {
  words_.clear();
  assigns_.clear();
  out.clear();
  ExtExpression e(vars_);
  while (p < t.size()) {
    const char c = t[p];
    if (IsBlank(c) || c == '\r') {
      ++p;
      continue;
    }
    if (c == '#') {
      Assign a;
      if (!e.Reference(t, p, a.ref)) return ExprStop(e, t), false;
      SkipBlanks(t, p);
      if (p >= t.size() || t[p] != '=') return Stop(Txt::MacroBadExpression, t), false;
      ++p;
      if (!e.Expression(t, p, a.v)) return ExprStop(e, t), false;
      if (Junk(t, p)) return Stop(Txt::MacroBadExpression, t.substr(0, 60)), false;
      assigns_.push_back(a);
      continue;
    }
    if (!IsAlpha(c) && c != '@' && c != '^') {
      out += c;  // "," of ",R"/",C" and whatever the interpreter judges
      ++p;
      continue;
    }
    Word w{Upper(c), {}, out.size(), out.size(), 0, false};
    ++p;
    SkipBlanks(t, p);
    std::size_t q = p;
    while (q < t.size() && (t[q] == '+' || t[q] == '-' || IsBlank(t[q]))) ++q;
    bool expression = q < t.size() && (t[q] == '#' || t[q] == '[');
    if (!expression && q < t.size() && IsAlpha(t[q])) {
      std::size_t r = q;
      while (r < t.size() && IsAlpha(t[r])) ++r;
      SkipBlanks(t, r);
      expression = r < t.size() && t[r] == '[';
    }
    if (expression) {
      if (!e.Operand(t, p, w.v)) return ExprStop(e, t), false;
      if (Junk(t, p)) return Stop(Txt::MacroBadExpression, t.substr(0, 60)), false;
      if (!w.v.vacant && w.letter != 'N') {
        out += w.letter;
        AppendNumber(w.v.value, out);
      }
    } else {
      const std::size_t start = p;
      bool point = false;
      while (p < t.size() &&
             (IsDigit(t[p]) || t[p] == '.' || t[p] == '+' || t[p] == '-' || IsBlank(t[p]))) {
        if (t[p] == '.') point = true;
        if (IsDigit(t[p]) && !point) ++w.digits;
        ++p;
      }
      name_.clear();
      for (char d : t.substr(start, p - start))
        if (!IsBlank(d) && !(d == '+' && name_.empty())) name_ += d;
      double v = 0;
      const char* b = name_.data();
      if (!name_.empty() && std::from_chars(b, b + name_.size(), v).ptr == b + name_.size() &&
          std::isfinite(v))
        w.v = ExtValue::Of(v);
      if (w.letter != 'N') out.append(1, w.letter).append(name_);
    }
    w.e = out.size();
    words_.push_back(w);
  }

  // Which program flow the block holds.
  const Word* flow = nullptr;
  bool g65 = false;
  for (const Word& w : words_) {
    if (w.v.vacant) continue;
    if (w.letter == 'G' && w.v.value == 65) g65 = true;
    if (w.letter == 'M' && (w.v.value == 98 || w.v.value == 97 || w.v.value == 99 ||
                            w.v.value == 30 || w.v.value == 2))
      flow = &w;
  }
  auto value = [&](char letter, double& v) {
    for (const Word& w : words_)
      if (w.letter == letter && !w.v.vacant) return v = w.v.value, true;
    return false;
  };

  for (const Assign& a : assigns_) {
    if (!a.ref.named && a.ref.number == 3000) {
      std::string alarm = a.v.vacant ? std::string() : std::to_string(Whole(a.v.value));
      std::string_view text = comment_;
      while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
      if (!text.empty()) alarm.append(alarm.empty() ? "" : " ").append(text);
      Stop(Txt::MacroAlarm, alarm);
      return false;
    }
    if (!a.ref.named && (a.ref.number == 3001 || a.ref.number == 3002)) {
      // Setting a clock starts it again from that value.
      const double v = a.v.vacant ? 0.0 : a.v.value;
      (a.ref.number == 3001 ? clockMs_ : clockHours_) = v;
      (a.ref.number == 3001 ? clockMsAt_ : clockHoursAt_) = executed_;
      continue;
    }
    if (!vars_.Set(a.ref, a.v)) return Stop(Txt::MacroBadVariable, {}), false;
  }

  if (g65) {
    // G65 P<o> L<repeats> and the arguments A->#1 ... Z->#26 on a call level of its own.
    static constexpr int kArg[26] = {1, 2, 3, 7,  8,  9,  0,  11, 4,  5,  6,  0,  13,
                                     0, 0, 0, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    double prog = 0, reps = 1;
    if (!value('P', prog)) return report_.Pass(kCallNotInFile), out.clear(), false;
    value('L', reps);
    if (Whole(reps) < 1) return out.clear(), false;
    const auto it = programByNumber_.find(Whole(prog));
    if (it == programByNumber_.end()) return report_.Pass(kCallNotInFile), out.clear(), false;
    if (!Call(it->second + 1, it->second, ProgramEnd(it->second), Whole(reps), true, false))
      return false;
    for (const Word& w : words_) {
      const int n = w.letter >= 'A' && w.letter <= 'Z' ? kArg[w.letter - 'A'] : 0;
      if (n > 0 && !w.v.vacant) vars_.Set(n, w.v);
    }
    out.clear();
    return false;
  }
  if (flow == nullptr) return !out.empty();

  const long m = Whole(flow->v.value);
  for (Word& w : words_)
    if (&w == flow ||
        (m != 30 && m != 2 && (w.letter == 'P' || w.letter == 'L' || (w.letter == 'K' && m != 99))))
      w.remove = true;
  double pv = 0, reps = 1;
  const bool hasP = value('P', pv);
  const bool hasReps = value('L', reps) || value('K', reps);
  const Word* pWord = nullptr;
  for (const Word& w : words_)
    if (w.letter == 'P' && !w.v.vacant) pWord = &w;
  // Drop the removed words from the text handed out.
  scratch_.clear();
  std::size_t last = 0;
  for (const Word& w : words_)
    if (w.remove) scratch_.append(out, last, w.b - last), last = w.e;
  scratch_.append(out, last);
  out.swap(scratch_);

  if (m == 30 || m == 2) {
    ended_ = true;
  } else if (m == 98) {
    if (!hasP) return report_.Pass(kCallNotInFile), !out.empty();
    long prog = Whole(pv);
    // M98 P<repeats><4-digit number>: the leading digits of a longer P count the repeats.
    if (!hasReps && pWord != nullptr && pWord->digits > 4) {
      reps = static_cast<double>(prog / 10000);
      prog %= 10000;
    }
    const auto it = programByNumber_.find(prog);
    if (it == programByNumber_.end()) return report_.Pass(kCallNotInFile), !out.empty();
    if (!Call(it->second + 1, it->second, ProgramEnd(it->second), Whole(reps), false, false))
      return false;
  } else if (m == 97) {
    std::size_t target = 0;
    const Frame here = frames_.back();
    if (!hasP || !Jump(Whole(pv), here, target)) {
      if (!ended_) Stop(Txt::MacroNoLabel, "");
      return false;
    }
    if (!Call(target, here.progStart, here.progEnd, Whole(reps), false, false)) return false;
  } else if (m == 99) {
    if (frames_.size() == 1) {
      // M99 P<n> in the main program jumps to its block N<n> (a loop that never ends stops
      // at the block limit); without P the main program ends.
      std::size_t target = 0;
      if (!hasP)
        ended_ = true;
      else if (Jump(Whole(pv), frames_.back(), target))
        cur_ = target;
    } else {
      frames_.back().repeats = hasP ? 1 : frames_.back().repeats;
      Return();
      if (hasP) {  // M99 P<n>: back to block N<n> of the caller
        std::size_t target = 0;
        if (!Jump(Whole(pv), frames_.back(), target)) return false;
        cur_ = target;
      }
    }
  }
  return !out.empty();
}

// An o-word line: LinuxCNC-style subroutines, loops and branches.
bool ExtMacroRunner::OLine(std::string_view t, std::size_t p) {
  const auto it = std::lower_bound(owords_.begin(), owords_.end(), line_,
                                   [](const OWord& o, std::size_t l) { return o.line < l; });
  const bool pending = branchPending_;
  branchPending_ = false;
  if (it == owords_.end() || it->line != line_) return false;  // an O-number header
  const int idx = static_cast<int>(it - owords_.begin());
  const OWord& o = *it;
  if (!OName(t, p, name_)) return false;
  SkipBlanks(t, p);
  while (p < t.size() && IsAlpha(t[p])) ++p;
  auto partner = [&](int k) -> const OWord* {
    if (k < 0) {
      Stop(Txt::MacroUnmatched, t.substr(0, 60));
      return nullptr;
    }
    return &owords_[k];
  };
  bool truth = false;
  switch (o.kw) {
    case Kw::Sub:
      if (const OWord* e = partner(o.match)) cur_ = e->line + 1;
      return false;
    case Kw::EndSub:
    case Kw::Return: {
      SkipBlanks(t, p);
      if (p < t.size() && t[p] == '[') {
        ExtExpression e(vars_);
        ExtValue v;
        if (!e.Operand(t, p, v)) return ExprStop(e, t), false;
        vars_.SetNamed("_value", v);
      }
      if (frames_.size() > 1 && frames_.back().oword) {
        frames_.back().repeats = 1;
        Return();
      }
      return false;
    }
    case Kw::Call: {
      const auto s = subs_.find(o.name);
      if (s == subs_.end()) return report_.Pass(kCallNotInFile), false;
      ExtExpression e(vars_);
      ExtValue args[30];
      int n = 0;
      for (SkipBlanks(t, p); p < t.size() && t[p] == '['; SkipBlanks(t, p)) {
        if (n == 30) return Stop(Txt::MacroBadExpression, t.substr(0, 60)), false;
        if (!e.Operand(t, p, args[n++])) return ExprStop(e, t), false;
      }
      const std::size_t body = owords_[s->second].line + 1;
      if (!Call(body, 0, lines_.size(), 1, true, true)) return false;
      for (int k = 0; k < n; ++k) vars_.Set(k + 1, args[k]);
      return false;
    }
    case Kw::Do:
      return false;
    case Kw::While:
      if (!Condition(t, p, truth)) return false;
      if (!truth)
        if (const OWord* e = partner(o.match)) cur_ = e->line + 1;
      return false;
    case Kw::EndWhile:
      if (const OWord* e = partner(o.match)) cur_ = e->line;
      return false;
    case Kw::WhileOfDo:
      if (!Condition(t, p, truth)) return false;
      if (truth)
        if (const OWord* e = partner(o.match)) cur_ = e->line + 1;
      return false;
    case Kw::If:
      if (!Condition(t, p, truth)) return false;
      if (!truth) Branch(o.next);
      return false;
    case Kw::ElseIf:
      if (pending) {
        if (!Condition(t, p, truth)) return false;
        if (!truth) Branch(o.next);
      } else if (const OWord* e = partner(o.end)) {
        cur_ = e->line + 1;
      }
      return false;
    case Kw::Else:
      if (!pending)
        if (const OWord* e = partner(o.end)) cur_ = e->line + 1;
      return false;
    case Kw::EndIf:
      return false;
    case Kw::Repeat: {
      long count = 0;
      if (!Integer(t, p, count)) return false;
      const OWord* e = partner(o.match);
      if (e == nullptr) return false;
      if (count < 1) {
        cur_ = e->line + 1;
      } else {
        if (reps_.size() - frames_.back().repBase >= 32)
          return Stop(Txt::MacroUnmatched, t.substr(0, 60)), false;
        reps_.push_back({idx, count});
      }
      return false;
    }
    case Kw::EndRepeat: {
      for (std::size_t k = reps_.size(); k > frames_.back().repBase; --k) {
        if (reps_[k - 1].entry != o.match) continue;
        if (--reps_[k - 1].left > 0) {
          cur_ = owords_[o.match].line + 1;
          reps_.resize(k);
        } else {
          reps_.resize(k - 1);
        }
        return false;
      }
      Stop(Txt::MacroUnmatched, t.substr(0, 60));
      return false;
    }
    case Kw::Break:
    case Kw::Continue: {
      const OWord* opener = partner(o.match);
      if (opener == nullptr) return false;
      const OWord* closer = partner(opener->match);
      if (closer == nullptr) return false;
      const bool brk = o.kw == Kw::Break;
      if (opener->kw == Kw::Repeat) {
        if (brk) {
          for (std::size_t k = reps_.size(); k > frames_.back().repBase; --k)
            if (reps_[k - 1].entry == o.match) {
              reps_.resize(k - 1);
              break;
            }
          cur_ = closer->line + 1;
        } else {
          cur_ = closer->line;
        }
      } else if (opener->kw == Kw::While) {
        cur_ = brk ? closer->line + 1 : opener->line;
      } else {  // do ... while
        cur_ = brk ? closer->line + 1 : closer->line;
      }
      return false;
    }
    case Kw::None:
      break;
  }
  return false;
}

// After a false if or elseif: on to the next branch, which decides for itself.
bool ExtMacroRunner::Branch(int entry) {
  if (entry < 0) {
    Stop(Txt::MacroUnmatched, "if");
    return false;
  }
  cur_ = owords_[entry].line;
  branchPending_ = true;
  return true;
}

}  // namespace trevalon
