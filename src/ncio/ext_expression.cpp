// Macro variables and expressions of the extended ISO reader (see ext_expression.h).
#include "ncio/ext_expression.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "ncio/nc_number.h"

namespace trevalon {
namespace {

using ncnumber::IsAlpha;
using ncnumber::IsDigit;
using ncnumber::Upper;

constexpr double kDeg = std::numbers::pi / 180.0;

void SkipBlanks(std::string_view t, std::size_t& p) {
  while (p < t.size() && (t[p] == ' ' || t[p] == '\t')) ++p;
}

// The word at `p` (case-insensitive) when it is `w`.
bool WordAt(std::string_view t, std::size_t p, std::string_view w) {
  if (t.size() - p < w.size()) return false;
  for (std::size_t i = 0; i < w.size(); ++i)
    if (Upper(t[p + i]) != w[i]) return false;
  return true;
}

bool Truth(const ExtValue& v) {
  return !v.vacant && v.value != 0;
}

// A variable number from a value: rounded to the nearest whole number.
bool NumberOf(const ExtValue& v, long& number) {
  const double x = v.vacant ? 0.0 : v.value;
  if (!(x > -0.5 && x < kExtMaxVariable + 0.5)) return false;
  number = std::lround(x);
  return true;
}

}  // namespace

// ---- Variables ---------------------------------------------------------------------------

ExtVariables::ExtVariables() : locals_(1), namedLocals_(1) {}

bool ExtVariables::Get(long n, ExtValue& out) const {
  if (n < 0 || n > kExtMaxVariable) return false;
  if (n == 0) {
    out = {};
  } else if (n <= kLocals) {
    out = locals_.back()[n];
  } else if (n < static_cast<long>(common_.size())) {
    out = common_[n];
  } else {
    const auto it = system_.find(n);
    if (it != system_.end())
      out = it->second;
    else if (!system || !system(n, out))
      out = {};
  }
  return true;
}

bool ExtVariables::Set(long n, ExtValue value) {
  if (n <= 0 || n > kExtMaxVariable) return false;
  if (n <= kLocals)
    locals_.back()[n] = value;
  else if (n < static_cast<long>(common_.size()))
    common_[n] = value;
  else
    system_[n] = value;
  return true;
}

const std::string& ExtVariables::Key(std::string_view name) const {
  key_.clear();
  for (char c : name)
    if (c != ' ' && c != '\t') key_ += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return key_;
}

ExtValue ExtVariables::GetNamed(std::string_view name) const {
  const std::string& key = Key(name);
  const auto& map = !key.empty() && key[0] == '_' ? globals_ : namedLocals_.back();
  const auto it = map.find(key);
  return it == map.end() ? ExtValue{} : it->second;
}

void ExtVariables::SetNamed(std::string_view name, ExtValue value) {
  const std::string& key = Key(name);
  auto& map = !key.empty() && key[0] == '_' ? globals_ : namedLocals_.back();
  map.insert_or_assign(key, value);
}

bool ExtVariables::Get(const ExtVarRef& ref, ExtValue& out) const {
  if (!ref.named) return Get(ref.number, out);
  out = GetNamed(ref.name);
  return true;
}

bool ExtVariables::Set(const ExtVarRef& ref, ExtValue value) {
  if (!ref.named) return Set(ref.number, value);
  SetNamed(ref.name, value);
  return true;
}

void ExtVariables::PushLevel() {
  locals_.emplace_back();
  namedLocals_.emplace_back();
}

void ExtVariables::PopLevel() {
  if (locals_.size() <= 1) return;
  locals_.pop_back();
  namedLocals_.pop_back();
}

// ---- Expressions -------------------------------------------------------------------------
// Precedence, lowest first: AND OR XOR (on truth values: a condition's parts), EQ NE GT GE
// LT LE, + -, * / MOD, ** (power); all left to right. Brackets group.

bool ExtExpression::Fail(ExtExprError e) {
  if (error_ == ExtExprError::None) error_ = e;
  return false;
}

bool ExtExpression::Finite(double v, ExtValue& out) {
  if (!std::isfinite(v)) return Fail(ExtExprError::NotFinite);
  out = ExtValue::Of(v);
  return true;
}

bool ExtExpression::Expression(std::string_view t, std::size_t& p, ExtValue& out) {
  return Binary(t, p, 0, out);
}

bool ExtExpression::Binary(std::string_view t, std::size_t& p, int level, ExtValue& out) {
  if (level == 5) return Unary(t, p, out);
  if (!Binary(t, p, level + 1, out)) return false;
  for (;;) {
    SkipBlanks(t, p);
    if (p >= t.size()) return true;
    int op = 0;  // which operator of this level, 0: none
    std::size_t len = 0;
    static constexpr std::string_view kOps[5][6] = {{"AND", "OR", "XOR"},
                                                    {"EQ", "NE", "GT", "GE", "LT", "LE"},
                                                    {"+", "-"},
                                                    {"*", "/", "MOD"},
                                                    {"**"}};
    for (int i = 0; i < 6 && op == 0; ++i) {
      const std::string_view w = kOps[level][i];
      if (w.empty()) break;
      if (WordAt(t, p, w)) {
        // "*" is not the start of "**".
        if (w == "*" && p + 1 < t.size() && t[p + 1] == '*') continue;
        op = i + 1, len = w.size();
      }
    }
    if (op == 0) return true;
    p += len;
    ExtValue rhs;
    if (!Binary(t, p, level + 1, rhs)) return false;
    const double a = out.vacant ? 0.0 : out.value, b = rhs.vacant ? 0.0 : rhs.value;
    double r = 0;
    switch (level * 10 + op) {
      case 1:
        r = Truth(out) && Truth(rhs);
        break;
      case 2:
        r = Truth(out) || Truth(rhs);
        break;
      case 3:
        r = Truth(out) != Truth(rhs);
        break;
      // EQ and NE tell a vacant value from 0; the order comparisons read it as 0.
      case 11:
        r = out.vacant == rhs.vacant && a == b;
        break;
      case 12:
        r = !(out.vacant == rhs.vacant && a == b);
        break;
      case 13:
        r = a > b;
        break;
      case 14:
        r = a >= b;
        break;
      case 15:
        r = a < b;
        break;
      case 16:
        r = a <= b;
        break;
      case 21:
        r = a + b;
        break;
      case 22:
        r = a - b;
        break;
      case 31:
        r = a * b;
        break;
      case 32:
        if (b == 0) return Fail(ExtExprError::DivisionByZero);
        r = a / b;
        break;
      case 33:
        if (b == 0) return Fail(ExtExprError::DivisionByZero);
        r = std::fmod(a, b);
        break;
      case 41:
        r = std::pow(a, b);
        break;
      default:
        return Fail(ExtExprError::Syntax);
    }
    if (!Finite(r, out)) return false;
  }
}

bool ExtExpression::Unary(std::string_view t, std::size_t& p, ExtValue& out) {
  SkipBlanks(t, p);
  if (p < t.size() && (t[p] == '-' || t[p] == '+')) {
    const bool minus = t[p] == '-';
    ++p;
    if (++depth_ > kExtMaxNesting) return Fail(ExtExprError::TooDeep);
    const bool ok = Unary(t, p, out);
    --depth_;
    if (!ok) return false;
    if (minus)
      out = ExtValue::Of(out.vacant ? 0.0 : -out.value);
    else if (out.vacant)
      out = ExtValue::Of(0.0);
    return true;
  }
  return Primary(t, p, out);
}

bool ExtExpression::Operand(std::string_view t, std::size_t& p, ExtValue& out) {
  return Unary(t, p, out);
}

bool ExtExpression::Bracket(std::string_view t, std::size_t& p, ExtValue& out) {
  SkipBlanks(t, p);
  if (p >= t.size() || t[p] != '[') return Fail(ExtExprError::Syntax);
  ++p;
  if (++depth_ > kExtMaxNesting) return Fail(ExtExprError::TooDeep);
  const bool ok = Expression(t, p, out);
  --depth_;
  if (!ok) return false;
  SkipBlanks(t, p);
  if (p >= t.size() || t[p] != ']') return Fail(ExtExprError::Syntax);
  ++p;
  return true;
}

bool ExtExpression::Primary(std::string_view t, std::size_t& p, ExtValue& out) {
  SkipBlanks(t, p);
  if (p >= t.size()) return Fail(ExtExprError::Syntax);
  const char c = t[p];
  if (c == '[') return Bracket(t, p, out);
  if (c == '#') {
    ExtVarRef ref;
    if (!Reference(t, p, ref)) return false;
    if (!vars_.Get(ref, out)) return Fail(ExtExprError::BadVariable);
    return true;
  }
  if (IsDigit(c) || c == '.') {
    const std::size_t start = p;
    bool point = false, digit = false;
    while (p < t.size() && (IsDigit(t[p]) || (t[p] == '.' && !point))) {
      if (t[p] == '.')
        point = true;
      else
        digit = true;
      ++p;
    }
    if (!digit) return Fail(ExtExprError::Syntax);
    double v = 0;
    const auto r = std::from_chars(t.data() + start, t.data() + p, v);
    if (r.ec != std::errc()) return Fail(ExtExprError::NotFinite);
    return Finite(v, out);
  }
  if (IsAlpha(c)) {
    const std::size_t start = p;
    while (p < t.size() && IsAlpha(t[p])) ++p;
    return Function(t, p, t.substr(start, p - start), out);
  }
  return Fail(ExtExprError::Syntax);
}

bool ExtExpression::Function(std::string_view t, std::size_t& p, std::string_view name,
                             ExtValue& out) {
  static constexpr std::string_view kNames[] = {"SIN",  "COS",  "TAN", "ASIN",  "ACOS",
                                                "ATAN", "SQRT", "ABS", "ROUND", "FIX",
                                                "FUP",  "LN",   "EXP", "EXISTS"};
  int f = -1;
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i)
    if (name.size() == kNames[i].size() && WordAt(name, 0, kNames[i])) f = i;
  if (f < 0) return Fail(ExtExprError::Syntax);
  if (++depth_ > kExtMaxNesting) return Fail(ExtExprError::TooDeep);
  ExtValue arg;
  if (f == 13) {  // EXISTS[#<name>]: whether a named parameter holds a value
    SkipBlanks(t, p);
    ExtVarRef ref;
    bool ok = p < t.size() && t[p] == '[';
    if (ok) ++p, SkipBlanks(t, p);
    ok = ok && p < t.size() && t[p] == '#' && Reference(t, p, ref) && vars_.Get(ref, arg);
    SkipBlanks(t, p);
    ok = ok && p < t.size() && t[p] == ']';
    --depth_;
    if (!ok) return Fail(ExtExprError::Syntax);
    ++p;
    out = ExtValue::Of(arg.vacant ? 0.0 : 1.0);
    return true;
  }
  const bool ok = Bracket(t, p, arg);
  --depth_;
  if (!ok) return false;
  const double a = arg.vacant ? 0.0 : arg.value;
  double r = 0;
  switch (f) {
    case 0:
      r = std::sin(a * kDeg);
      break;
    case 1:
      r = std::cos(a * kDeg);
      break;
    case 2:
      r = std::tan(a * kDeg);
      break;
    case 3:
    case 4:
      if (a < -1 || a > 1) return Fail(ExtExprError::Domain);
      r = (f == 3 ? std::asin(a) : std::acos(a)) / kDeg;
      break;
    case 5: {
      // ATAN[a]/[b] and ATAN[a,b]: the angle of the point (b, a), -180 to 180 degrees;
      // ATAN[a] alone: the angle whose tangent is a.
      std::size_t q = p;
      SkipBlanks(t, q);
      if (q < t.size() && t[q] == '/') {
        std::size_t r2 = q + 1;
        SkipBlanks(t, r2);
        if (r2 < t.size() && t[r2] == '[') {
          ExtValue b;
          p = r2;
          if (++depth_ > kExtMaxNesting) return Fail(ExtExprError::TooDeep);
          const bool okb = Bracket(t, p, b);
          --depth_;
          if (!okb) return false;
          r = std::atan2(a, b.vacant ? 0.0 : b.value) / kDeg;
          break;
        }
      }
      r = std::atan(a) / kDeg;
      break;
    }
    case 6:
      if (a < 0) return Fail(ExtExprError::Domain);
      r = std::sqrt(a);
      break;
    case 7:
      r = std::fabs(a);
      break;
    case 8:
      r = std::round(a);
      break;
    case 9:
      r = vars_.floorFix ? std::floor(a) : std::trunc(a);
      break;
    case 10:
      r = vars_.floorFix ? std::ceil(a) : (a < 0 ? std::floor(a) : std::ceil(a));
      break;
    case 11:
      if (a <= 0) return Fail(ExtExprError::Domain);
      r = std::log(a);
      break;
    case 12:
      r = std::exp(a);
      break;
  }
  return Finite(r, out);
}

bool ExtExpression::Reference(std::string_view t, std::size_t& p, ExtVarRef& out) {
  if (p >= t.size() || t[p] != '#') return Fail(ExtExprError::Syntax);
  ++p;
  SkipBlanks(t, p);
  if (p >= t.size()) return Fail(ExtExprError::Syntax);
  out = ExtVarRef{};
  const char c = t[p];
  if (c == '<') {
    const std::size_t end = t.find('>', p + 1);
    if (end == std::string_view::npos || end == p + 1) return Fail(ExtExprError::Syntax);
    out.named = true;
    out.name = t.substr(p + 1, end - p - 1);
    p = end + 1;
    return true;
  }
  ExtValue v;
  if (IsDigit(c)) {
    long n = 0;
    while (p < t.size() && IsDigit(t[p])) {
      n = n * 10 + (t[p] - '0');
      if (n > kExtMaxVariable) return Fail(ExtExprError::BadVariable);
      ++p;
    }
    out.number = n;
    return true;
  }
  if (++depth_ > kExtMaxNesting) return Fail(ExtExprError::TooDeep);
  bool ok = false;
  if (c == '[') {
    ok = Bracket(t, p, v);
  } else if (c == '#') {  // ##1: the variable whose number #1 holds
    ExtVarRef inner;
    ok = Reference(t, p, inner);
    if (ok && !vars_.Get(inner, v)) ok = Fail(ExtExprError::BadVariable);
  } else {
    ok = Fail(ExtExprError::Syntax);
  }
  --depth_;
  if (!ok) return false;
  if (!NumberOf(v, out.number)) return Fail(ExtExprError::BadVariable);
  return true;
}

bool EvaluateExtExpression(std::string_view text, ExtVariables& vars, ExtValue& out,
                           ExtExprError& error) {
  ExtExpression e(vars);
  std::size_t p = 0;
  bool ok = e.Expression(text, p, out);
  SkipBlanks(text, p);
  if (ok && p != text.size()) {
    ok = false;
    error = ExtExprError::Syntax;
    return false;
  }
  error = e.Error();
  return ok;
}

}  // namespace trevalon
