#include "ncio/ext_expression.h"

#include <gtest/gtest.h>

#include <string>

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
  const Case cases[] = {
      {"1+2*3", 7},
      {"[1+2]*3", 9},
      {"-#1+10", 7},
      {"--2", 2},
      {"+.5", 0.5},
      {"5.", 5},
      {"10/4", 2.5},
      {"7 MOD 3", 1},
      {"2**3", 8},
      {"#[#101-1]", 3},  // #1
      {"##101", -1.2},   // #101 holds 2: #2
      {"#500*4", 2},
      {"#<depth>*2", 8},
      {"#< D e p t h >", 4},
      {"#<_safe>", 25},
      {"#<unknown>+1", 1},
      {"#33+1", 1},  // vacant reads as 0 in arithmetic
      {"SIN[30]", 0.5},
      {"COS[60]", 0.5},
      {"TAN[45]", 1},
      {"ATAN[1]/[1]", 45},
      {"ATAN[1]/[-1]", 135},
      {"ATAN[1]", 45},
      {"SQRT[16]", 4},
      {"ABS[-2.5]", 2.5},
      {"ROUND[2.5]", 3},
      {"ROUND[-2.5]", -3},
      {"FIX[#2]", -1},  // towards zero
      {"FUP[#2]", -2},  // away from zero
      {"FIX[1.7]", 1},
      {"FUP[1.2]", 2},
      {"sin[90]", 1},
      {"3 GT 2", 1},
      {"2 GE 3", 0},
      {"1+1 EQ 2", 1},
      {"[#1 GT 2] AND [#1 LT 4]", 1},
      {"[#1 GT 5] OR [#1 LT 1]", 0},
      {"1 XOR 0", 1},
      {"#10 EQ #0", 1},  // vacant equals vacant
      {"#10 EQ 0", 0},   // but not 0
      {"#10 NE 0", 1},
      {"#10 GE 0", 1},  // order comparisons read vacant as 0
      {"EXISTS[#<depth>]", 1},
      {"EXISTS[#<nothing>]", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ExtValue out;
    ExtExprError error = ExtExprError::None;
    ASSERT_TRUE(EvaluateExtExpression(c.text, v, out, error));
    EXPECT_NEAR(out.value, c.value, 1e-12);
  }
  // Controls with o-words round FIX down and FUP up.
  v.floorFix = true;
  ExtValue out;
  ExtExprError error;
  ASSERT_TRUE(EvaluateExtExpression("FIX[-1.2]+FUP[-1.2]*10", v, out, error));
  EXPECT_DOUBLE_EQ(out.value, -2 + -10);
}

TEST(ExtExpression, VacancyPassesThroughACopyOnly) {
  ExtVariables v;
  ExtValue out;
  ExtExprError error;
  ASSERT_TRUE(EvaluateExtExpression("#7", v, out, error));
  EXPECT_TRUE(out.vacant);
  ASSERT_TRUE(EvaluateExtExpression("#7+0", v, out, error));
  EXPECT_FALSE(out.vacant);
  ASSERT_TRUE(EvaluateExtExpression("-#7", v, out, error));
  EXPECT_FALSE(out.vacant);
}

struct Bad {
  const char* text;
  ExtExprError error;
};

// Every bad expression is refused with its reason; none crashes or loops.
TEST(ExtExpression, Errors) {
  ExtVariables v;
  std::string deep(200, '[');
  deep += "1" + std::string(200, ']');
  std::string signs(5000, '-');
  signs += "1";
  std::string digits(5000, '9');
  const Bad cases[] = {
      {"1/0", ExtExprError::DivisionByZero},
      {"5 MOD [2-2]", ExtExprError::DivisionByZero},
      {"SQRT[-1]", ExtExprError::Domain},
      {"ACOS[2]", ExtExprError::Domain},
      {"LN[0]", ExtExprError::Domain},
      {"#1000000", ExtExprError::BadVariable},
      {"#[-1]", ExtExprError::BadVariable},
      {"#[1E9]", ExtExprError::Syntax},
      {"[1+2", ExtExprError::Syntax},
      {"1+", ExtExprError::Syntax},
      {"FOO[1]", ExtExprError::Syntax},
      {"SIN 30", ExtExprError::Syntax},
      {"#<unclosed", ExtExprError::Syntax},
      {"1 2", ExtExprError::Syntax},
      {"", ExtExprError::Syntax},
      {deep.c_str(), ExtExprError::TooDeep},
      {signs.c_str(), ExtExprError::TooDeep},
      {digits.c_str(), ExtExprError::NotFinite},
      {"EXP[1000]", ExtExprError::NotFinite},
      {"10**400", ExtExprError::NotFinite},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(std::string(c.text).substr(0, 40));
    ExtValue out;
    ExtExprError error = ExtExprError::None;
    EXPECT_FALSE(EvaluateExtExpression(c.text, v, out, error));
    EXPECT_EQ(error, c.error);
  }
  EXPECT_FALSE(v.Set(0, ExtValue::Of(1)));  // #0 stays vacant
}

// Locals belong to their call level; common variables and globals are seen from every level.
TEST(ExtExpression, CallLevels) {
  ExtVariables v;
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
