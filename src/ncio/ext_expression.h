#pragma once
// Parameters and expressions of ISO macro programs, for the extended reader: numbered
// variables (#1-#33 local to a call level, #100-#199 and #500-#999 common, the rest of
// #1-#999999 as plain memory, system variables read through a hook), named parameters (#<name>
// local to a call level, #<_name> global) and the expressions that read them.
//
// A variable that was never set, and #0, is vacant. Our rule, as the controls keep it: a
// vacant value reads as 0 in arithmetic and in GT/GE/LT/LE, but EQ and NE tell it from 0; a
// plain copy (#2=#1) passes the vacancy on, any operation gives a number. Named parameters
// that were never set read as vacant too (a read does not refuse the program).
//
// Every evaluation is bounded: brackets, functions, signs and indirections nest at most
// kExtMaxNesting deep, and the parser moves forward through the text without going back.

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trevalon {

struct ExtValue {
  double value = 0;
  bool vacant = true;
  static ExtValue Of(double v) { return {v, false}; }
};

inline constexpr int kExtMaxNesting = 32;
inline constexpr long kExtMaxVariable = 999999;

// Where an assignment goes: a numbered variable or a named parameter (the name as written,
// a view into the program text).
struct ExtVarRef {
  bool named = false;
  long number = 0;
  std::string_view name;
};

class ExtVariables {
 public:
  static constexpr int kLocals = 33;  // #1-#33

  ExtVariables();

  // False for a number outside #0-#999999 (Get) or for #0 (Set): the caller reports it.
  bool Get(long number, ExtValue& out) const;
  bool Set(long number, ExtValue value);
  // Names compare without case and blanks, as written "#<Depth>" is "#<depth>".
  ExtValue GetNamed(std::string_view name) const;
  void SetNamed(std::string_view name, ExtValue value);
  bool Get(const ExtVarRef& ref, ExtValue& out) const;
  bool Set(const ExtVarRef& ref, ExtValue value);

  // A call level of its own (G65, an o-word call): fresh, vacant locals. Pop never removes
  // the outermost level.
  void PushLevel();
  void PopLevel();
  int Depth() const { return static_cast<int>(locals_.size()) - 1; }

  // FIX and FUP: false (default) truncate towards and away from zero as ISO controls do,
  // true round down and up as controls with o-words do.
  bool floorFix = false;

  // The system variables (#1000 up) the program has not set itself: true with their value,
  // false for a number the hook leaves vacant (ExtMacroRunner gives it).
  std::function<bool(long number, ExtValue& out)> system;

 private:
  const std::string& Key(std::string_view name) const;
  std::vector<std::array<ExtValue, kLocals + 1>> locals_;
  std::vector<std::map<std::string, ExtValue, std::less<>>> namedLocals_;
  std::map<std::string, ExtValue, std::less<>> globals_;
  std::array<ExtValue, 1000> common_{};        // #34-#999, indexed by number
  std::unordered_map<long, ExtValue> system_;  // #1000-#999999 as set
  mutable std::string key_;
};

enum class ExtExprError {
  None,
  Syntax,          // not an expression, or an unknown word
  DivisionByZero,  // / or MOD by 0
  Domain,          // SQRT of a negative, ASIN/ACOS beyond 1, LN of 0 or less
  BadVariable,     // a variable number outside #0-#999999, or an assignment to #0
  TooDeep,         // nested beyond kExtMaxNesting
  NotFinite,       // a result too large to be a number
};

class ExtExpression {
 public:
  explicit ExtExpression(ExtVariables& vars) : vars_(vars) {}

  // A whole expression with its operators, from `pos`; stops before the first text that
  // cannot continue it (another word of the block) and leaves `pos` there.
  bool Expression(std::string_view text, std::size_t& pos, ExtValue& out);
  // The value of an address word: signs, then a number, a variable, a bracket or a function
  // ("-#1", "[#2*2]", "#[#3]", "SIN[30]").
  bool Operand(std::string_view text, std::size_t& pos, ExtValue& out);
  // The variable named after a '#' (pos at the '#'): "#12", "#[#1+1]", "##3", "#<name>".
  bool Reference(std::string_view text, std::size_t& pos, ExtVarRef& out);

  ExtExprError Error() const { return error_; }

 private:
  bool Fail(ExtExprError e);
  bool Binary(std::string_view t, std::size_t& p, int level, ExtValue& out);
  bool Unary(std::string_view t, std::size_t& p, ExtValue& out);
  bool Primary(std::string_view t, std::size_t& p, ExtValue& out);
  bool Bracket(std::string_view t, std::size_t& p, ExtValue& out);
  bool Function(std::string_view t, std::size_t& p, std::string_view name, ExtValue& out);
  bool Finite(double v, ExtValue& out);

  ExtVariables& vars_;
  ExtExprError error_ = ExtExprError::None;
  int depth_ = 0;
};

// The whole of `text` as one expression (tests and simple callers).
bool EvaluateExtExpression(std::string_view text, ExtVariables& vars, ExtValue& out,
                           ExtExprError& error);

}  // namespace trevalon
