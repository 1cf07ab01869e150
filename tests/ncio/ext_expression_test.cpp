#include "ncio/ext_expression.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace trevalon {
namespace {

struct Case {
  const char* text;
  double value;
};

// Values as a control computes them: precedence, degrees, rounding functions, vacancy.
TEST(ExtExpression, Values) {
  ExtVariables v;
  v.Set(1, ExtValue::Of(3));
  v.Set(2, ExtValue::Of(-1.2));
  v.Set(101, ExtValue::Of(2));
  v.Set(500, ExtValue::Of(0.5));
  v.SetNamed("Depth", ExtValue::Of(4));
  v.SetNamed("_safe", ExtValue::Of(25));
  ExtValue out;
  ExtExprError error = ExtExprError::None;
  const auto expect = [&](std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text);
      ASSERT_TRUE(EvaluateExtExpression(c.text, v, out, error));
      EXPECT_NEAR(out.value, c.value, 1e-12);
    }
  };
  // #[#101-1] is #1; ##101 is #2 (#101 holds 2); FIX goes towards zero, FUP away from it;
  // vacant reads as 0 in arithmetic and order comparisons, equals vacant but not 0.
  expect({{"1+2*3", 7},        {"[1+2]*3", 9},   {"-#1+10", 7},       {"--2", 2},
          {"+.5", 0.5},        {"5.", 5},        {"10/4", 2.5},       {"7 MOD 3", 1},
          {"2**3", 8},         {"#[#101-1]", 3}, {"##101", -1.2},     {"#500*4", 2},
          {"#<depth>*2", 8},   {"#<_safe>", 25}, {"#<unknown>+1", 1}, {"#33+1", 1},
          {"SIN[30]", 0.5},    {"COS[60]", 0.5}, {"TAN[45]", 1},      {"ATAN[1]/[1]", 45},
          {"ATAN[1]", 45},     {"SQRT[16]", 4},  {"ABS[-2.5]", 2.5},  {"ROUND[2.5]", 3},
          {"ROUND[-2.5]", -3}, {"FIX[#2]", -1},  {"FUP[#2]", -2},     {"FIX[1.7]", 1},
          {"FUP[1.2]", 2},     {"sin[90]", 1},   {"3 GT 2", 1},       {"2 GE 3", 0},
          {"1+1 EQ 2", 1},     {"1 XOR 0", 1},   {"#10 EQ #0", 1},    {"#10 EQ 0", 0},
          {"#10 NE 0", 1},     {"#10 GE 0", 1}});
  expect({{"#< D e p t h >", 4},
          {"ATAN[1]/[-1]", 135},
          {"EXISTS[#<depth>]", 1},
          {"EXISTS[#<nothing>]", 0},
          {"[#1 GT 2] AND [#1 LT 4]", 1},
          {"[#1 GT 5] OR [#1 LT 1]", 0}});
  // A vacant value passes through a copy only.
  for (const auto& [text, vacant] : {std::pair{"#7", true}, {"#7+0", false}, {"-#7", false}}) {
    ASSERT_TRUE(EvaluateExtExpression(text, v, out, error));
    EXPECT_EQ(out.vacant, vacant) << text;
  }
  // Controls with o-words round FIX down and FUP up.
  v.floorFix = true;
  expect({{"FIX[-1.2]+FUP[-1.2]*10", -2 + -10}});
}

// Every bad expression is refused with its reason; none crashes or loops. Locals belong to
// their call level; common variables and globals are seen from every level.
TEST(ExtExpression, ErrorsAndCallLevels) {
  using E = ExtExprError;
  const std::pair<E, std::vector<std::string>> cases[] = {
      {E::DivisionByZero, {"1/0", "5 MOD [2-2]"}},
      {E::Domain, {"SQRT[-1]", "ACOS[2]", "LN[0]"}},
      {E::BadVariable, {"#1000000", "#[-1]"}},
      {E::Syntax, {"#[1E9]", "[1+2", "1+", "FOO[1]", "SIN 30", "#<unclosed", "1 2", ""}},
      {E::TooDeep,
       {std::string(200, '[') + "1" + std::string(200, ']'), std::string(5000, '-') + "1"}},
      {E::NotFinite, {std::string(5000, '9'), "EXP[1000]", "10**400"}}};
  ExtVariables v;
  for (const auto& [want, texts] : cases)
    for (const std::string& text : texts) {
      SCOPED_TRACE(text.substr(0, 40));
      ExtValue out;
      ExtExprError error = ExtExprError::None;
      EXPECT_FALSE(EvaluateExtExpression(text, v, out, error));
      EXPECT_EQ(error, want);
    }
  EXPECT_FALSE(v.Set(0, ExtValue::Of(1)));  // #0 stays vacant

  v.Set(1, ExtValue::Of(1));
  v.Set(100, ExtValue::Of(100));
  v.SetNamed("local", ExtValue::Of(5));
  v.SetNamed("_global", ExtValue::Of(6));
  v.PushLevel();
  ExtValue x;
  ASSERT_TRUE(v.Get(1, x));
  EXPECT_TRUE(x.vacant);
  ASSERT_TRUE(v.Get(100, x));
  EXPECT_EQ(x.value, 100);
  EXPECT_TRUE(v.GetNamed("local").vacant);
  EXPECT_EQ(v.GetNamed("_GLOBAL").value, 6);
  v.Set(1, ExtValue::Of(9));
  v.PopLevel();
  v.PopLevel();  // the outermost level stays
  ASSERT_TRUE(v.Get(1, x));
  EXPECT_EQ(x.value, 1);
  EXPECT_EQ(v.GetNamed("local").value, 5);
}

}  // namespace
}  // namespace trevalon
