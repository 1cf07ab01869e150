#include "ncio/ext_expression.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ncio/data_cases.h"

namespace trevalon {
namespace {

// The expressions of tests/data/ncio/ext_expressions.txt against what a control computes:
// precedence, degrees, rounding functions, vacancy, and the reason each bad one is refused.
TEST(ExtExpression, ValuesAndErrors) {
  const std::map<std::string, ExtExprError> errors = {
      {"Syntax", ExtExprError::Syntax},   {"DivisionByZero", ExtExprError::DivisionByZero},
      {"Domain", ExtExprError::Domain},   {"BadVariable", ExtExprError::BadVariable},
      {"TooDeep", ExtExprError::TooDeep}, {"NotFinite", ExtExprError::NotFinite}};
  for (const testing::DataCase& c : testing::ReadCases("ncio/ext_expressions.txt")) {
    const auto trace = c.Trace();
    ExtVariables v;
    v.Set(1, ExtValue::Of(3));
    v.Set(2, ExtValue::Of(-1.2));
    v.Set(101, ExtValue::Of(2));
    v.Set(500, ExtValue::Of(0.5));
    v.SetNamed("Depth", ExtValue::Of(4));
    v.SetNamed("_safe", ExtValue::Of(25));
    v.floorFix = c.fields.count("floorfix") > 0;
    ExtValue out;
    ExtExprError error = ExtExprError::None;
    const bool ok =
        EvaluateExtExpression(c.fields.count("text") ? c["text"] : c.name, v, out, error);
    EXPECT_EQ(ok, !c.fields.count("error"));
    EXPECT_EQ(error, ok ? ExtExprError::None : errors.at(c.at("error")));
    if (ok && c.fields.count("value")) {
      EXPECT_NEAR(out.value, std::stod(c.at("value")), 1e-12);
    }
    if (ok && c.fields.count("vacant")) {
      EXPECT_EQ(out.vacant, c.Int("vacant") == 1);
    }
  }
}

// Every bad expression is refused with its reason (the texts too long for a data file); none
// crashes or loops. Locals belong to their call level; common variables and globals are seen
// from every level.
TEST(ExtExpression, ErrorsAndCallLevels) {
  using E = ExtExprError;
  const std::pair<E, std::vector<std::string>> cases[] = {
      {E::TooDeep,
       {std::string(200, '[') + "1" + std::string(200, ']'), std::string(5000, '-') + "1"}},
      {E::NotFinite, {std::string(5000, '9')}}};
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
