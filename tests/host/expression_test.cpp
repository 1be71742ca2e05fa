#include <gtest/gtest.h>

#include "ForvaneHost/Expression.hpp"
#include "support/project_builder.hpp"

namespace {

using fvhost::CheckExpression;
using fvhost::ExpressionCheckForm;

fvhost::Project WallProject() {
  testing_support::ProjectBuilder b;
  auto wall = b.Group("Pset_WallCommon");
  b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  b.Definition(wall, "Fire Rating");
  return b.Build();
}

TEST(ExpressionCheck, AcceptsWellFormedExpressions) {
  auto project = WallProject();
  for (const char* text : {"1", "  2.5 ", ".5", "1e3", "1.5E-2", "\"text\"", "\"\"", "-1", "--1", "(1)", "((1 + 2) * 3)",
                           "1 + 2 - 3 * 4 / 5", "{Property:Pset_WallCommon/Width} / 10",
                           "{Property:Pset_WallCommon/Fire Rating}", "round(1.234, 2)", "ROUND(1)", "Min(1, 2, 3)",
                           "MAX(1)", "abs(-{Property:Pset_WallCommon/Width})", "CONCAT(\"a\", \"b\", 1)",
                           "-(1 + MAX(2, ABS(-3)))"}) {
    std::string why;
    EXPECT_EQ(CheckExpression(project, text, &why), FvErr_NoError) << text << ": " << why;
  }
}

TEST(ExpressionCheck, RejectsMalformedExpressionsWithAPlaceAndAReason) {
  auto project = WallProject();
  struct Case {
    const char* text;
    const char* why;
  };
  const Case cases[] = {
      {"", "at 1: the expression is empty"},
      {"   ", "at 4: the expression is empty"},
      {"1 +", "at 4: the expression ends where a value was expected"},
      {"(1 + 2", "at 7: expected ')'"},
      {"1 2", "at 3: unexpected '2'"},
      {"1 )", "at 3: unexpected ')'"},
      {"\"open", "at 1: the string is not closed"},
      {"1e", "at 2: the number's exponent has no digits"},
      {".", "at 1: a number needs digits"},
      {"* 2", "at 1: unexpected '*'"},
      {"{Property:Pset_WallCommon/Height}", "at 1: no property Height in a group Pset_WallCommon"},
      {"{Property:Pset_Other/Width}", "at 1: no property Width in a group Pset_Other"},
      {"{Property:Pset_WallCommon/Width", "at 1: the reference is not closed with '}'"},
      {"{Property:Width}", "at 1: the reference needs GROUP/NAME"},
      {"{Property:/Width}", "at 1: the reference needs GROUP/NAME"},
      {"{Prop:Pset_WallCommon/Width}", "at 1: a reference begins with {Property:"},
      {"SQRT(4)", "at 1: unknown function SQRT"},
      {"ABS 4", "at 5: expected '(' after ABS"},
      {"ABS(1, 2)", "at 1: ABS takes 1 argument(s), not 2"},
      {"ROUND()", "at 1: ROUND takes 1 to 2 arguments, not 0"},
      {"MIN(1; 2)", "at 6: expected ')' or ','"},
      {"1 + ###Property:Pset_WallCommon/Width###", "at 5: unexpected '#'"},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_EQ(CheckExpression(project, c.text, &why), FvErr_BadExpression) << c.text;
    EXPECT_EQ(why, c.why) << c.text;
  }
}

TEST(ExpressionCheck, SurvivesDeepNestingWithoutRunningOutOfStack) {
  fvhost::Project empty;
  std::string deep(100000, '(');
  EXPECT_EQ(CheckExpression(empty, deep + "1" + std::string(100000, ')')), FvErr_BadExpression);
  std::string minus(100000, '-');
  EXPECT_EQ(CheckExpression(empty, minus + "1"), FvErr_BadExpression);
  EXPECT_EQ(CheckExpression(empty, std::string(50, '(') + "1" + std::string(50, ')')), FvErr_NoError);
}

TEST(ExpressionCheckForm, ReadsTripleHashesAlternatelyAsOpeningAndClosingBraces) {
  EXPECT_EQ(ExpressionCheckForm("###Property:G/A### + ###Property:G/B###"), "{Property:G/A} + {Property:G/B}");
  EXPECT_EQ(ExpressionCheckForm("1 + 2"), "1 + 2");
  EXPECT_EQ(ExpressionCheckForm("####"), "{#");
  auto project = WallProject();
  EXPECT_EQ(CheckExpression(project, ExpressionCheckForm("###Property:Pset_WallCommon/Width### * 2")), FvErr_NoError);
}

}  // namespace
