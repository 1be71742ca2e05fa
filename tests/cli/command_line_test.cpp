// Reading the command line: the fault rules and the order of dialog answers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "CommandLine.hpp"

namespace {

using fvcli::ParseCallFault;
using fvcli::ParseFaultRule;

TEST(FaultRule, EveryCall) {
  std::string why;
  const auto rule = ParseFaultRule("DeletePropertyGroup=BadId", why);
  ASSERT_TRUE(rule) << why;
  EXPECT_EQ(rule->operation, "DeletePropertyGroup");
  EXPECT_EQ(rule->nth, 0);
  EXPECT_FALSE(rule->subject);
  EXPECT_EQ(rule->error, FvErr_BadId);
}

TEST(FaultRule, NthCallAndSubjectAndNumericError) {
  std::string why;
  const auto rule = ParseFaultRule("SetProperty#3@0A1B-guid=0x81060007", why);
  ASSERT_TRUE(rule) << why;
  EXPECT_EQ(rule->operation, "SetProperty");
  EXPECT_EQ(rule->nth, 3);
  EXPECT_EQ(rule->subject, "0A1B-guid");
  EXPECT_EQ(rule->error, FvErr_ValueDoesNotFit);
}

TEST(FaultRule, SubjectMayHoldEqualsHashAndBlanks) {
  std::string why;
  const auto rule = ParseFaultRule("CheckPropertyExpressionString@a = #b=BadExpression", why);
  ASSERT_TRUE(rule) << why;
  EXPECT_EQ(rule->nth, 0);
  EXPECT_EQ(rule->subject, "a = #b");
  EXPECT_EQ(rule->error, FvErr_BadExpression);
}

TEST(FaultRule, EmptySubjectIsASubject) {
  std::string why;
  const auto rule = ParseFaultRule("GetPropertyDefinitions@=General", why);
  ASSERT_TRUE(rule) << why;
  EXPECT_EQ(rule->subject, "");
}

TEST(FaultRule, BadRulesSayWhatIsWrong) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DeletePropertyGroup", "no \"=ERR\""},
      {"DeletePropertyGroup=", "is not an error name or number"},
      {"DeletePropertyGroup=NoSuchError", "\"NoSuchError\" is not an error name"},
      {"DeleteEverything=General", "\"DeleteEverything\" is not a host operation"},
      {"=General", "\"\" is not a host operation"},
      {"SetProperty#0=General", "\"0\" is not a call number"},
      {"SetProperty#-1=General", "\"-1\" is not a call number"},
      {"SetProperty#=General", "\"\" is not a call number"},
      {"SetProperty#2x@a=General", "\"2x\" is not a call number"},
      {"SetProperty#99999999999=General", "is not a call number"},
  };
  for (const auto& [text, expected] : cases) {
    std::string why;
    EXPECT_FALSE(ParseFaultRule(text, why)) << text;
    EXPECT_THAT(why, testing::HasSubstr(expected)) << text;
  }
}

TEST(CallFault, NumberAndError) {
  std::string why;
  const auto fault = ParseCallFault("12=Cancelled", why);
  ASSERT_TRUE(fault) << why;
  EXPECT_EQ(fault->index, 12);
  EXPECT_EQ(fault->error, FvErr_Cancelled);
  for (const char* bad : {"0=General", "x=General", "3", "3=Nope", "=General", "-2=General"}) {
    EXPECT_FALSE(ParseCallFault(bad, why)) << bad;
  }
}

// ---- The whole command line ----

std::variant<fvcli::Invocation, int> Parse(std::vector<const char*> arguments, std::string* err = nullptr) {
  arguments.insert(arguments.begin(), "forvane");
  std::ostringstream out;
  std::ostringstream errors;
  auto result = fvcli::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), out, errors);
  if (err != nullptr) *err = errors.str();
  return result;
}

TEST(CommandLine, DialogAnswersKeepTheirOrder) {
  auto parsed = Parse({"p.json", "--cancel", "--choose", "a.xml", "--run", "M/I", "--cancel", "--choose", "b.xml"});
  ASSERT_TRUE(std::holds_alternative<fvcli::Invocation>(parsed));
  const auto& answers = std::get<fvcli::Invocation>(parsed).dialogAnswers;
  ASSERT_EQ(answers.size(), 4u);
  EXPECT_TRUE(answers[0].cancel);
  EXPECT_EQ(answers[1].path, "a.xml");
  EXPECT_FALSE(answers[1].cancel);
  EXPECT_TRUE(answers[2].cancel);
  EXPECT_EQ(answers[3].path, "b.xml");
}

TEST(CommandLine, RepeatedOptionsTakeOneValueEachAndLeaveTheProject) {
  auto parsed = Parse({"--addon", "a.so", "--run", "M/One", "p.json", "--addon", "b.so", "--run", "M/Two", "--without",
                       "SetProperty", "--quiet", "--host-version", "27", "--trace-calls"});
  ASSERT_TRUE(std::holds_alternative<fvcli::Invocation>(parsed));
  const auto& invocation = std::get<fvcli::Invocation>(parsed);
  EXPECT_EQ(invocation.project, "p.json");
  EXPECT_THAT(invocation.addOns, testing::ElementsAre("a.so", "b.so"));
  EXPECT_THAT(invocation.runs, testing::ElementsAre("M/One", "M/Two"));
  const fvhost::HostOptions options = invocation.HostOptions();
  EXPECT_EQ(options.hostVersion, 27);
  EXPECT_FALSE(options.echo);
  EXPECT_TRUE(options.traceCalls);
  EXPECT_THAT(options.without, testing::ElementsAre("SetProperty"));
}

TEST(CommandLine, BadUsageEndsWithStatusTwoAndAMessage) {
  const std::vector<std::vector<const char*>> cases = {
      {},
      {"p.json", "--host-version", "28"},
      {"p.json", "--undo", "-1"},
      {"p.json", "--undo", "two"},
      {"p.json", "--fail", "Nothing=General"},
      {"p.json", "--fail-call", "0=General"},
      {"p.json", "--without", "Nothing"},
      {"p.json", "--no-such-option"},
      {"p.json", "--addon"},
  };
  for (const auto& arguments : cases) {
    std::string err;
    auto parsed = Parse(arguments, &err);
    ASSERT_TRUE(std::holds_alternative<int>(parsed)) << testing::PrintToString(arguments);
    EXPECT_EQ(std::get<int>(parsed), fvcli::ExitBadUsage);
    EXPECT_FALSE(err.empty());
  }
}

TEST(CommandLine, HelpIsNoFault) {
  auto parsed = Parse({"--help"});
  ASSERT_TRUE(std::holds_alternative<int>(parsed));
  EXPECT_EQ(std::get<int>(parsed), 0);
}

}  // namespace
