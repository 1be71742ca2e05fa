#include <string>

#include <gtest/gtest.h>

#include "Corbane/Debug.hpp"

using namespace Corbane;

namespace {

void Record(const char* text, void* context) { static_cast<std::string*>(context)->append(text); }

class DebugOutput : public ::testing::Test {
 protected:
  DebugOutput() { SetDebugSink(&Record, &seen_); }
  ~DebugOutput() override {
    SetDebugSink(nullptr, nullptr);
    SetDebugToStandardError(true);
  }
  std::string seen_;
};

TEST_F(DebugOutput, FormatsLikePrintfAndReachesTheSinkAndStandardError) {
  ::testing::internal::CaptureStderr();
  DBPrintf("Abnormal add-on termination (\"%s\")", "Quarnel.so");
  DBPrintf("\n");
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(seen_, "Abnormal add-on termination (\"Quarnel.so\")\n");
  EXPECT_EQ(printed, seen_);
}

TEST_F(DebugOutput, StaysOffStandardErrorWhenTurnedOff) {
  SetDebugToStandardError(false);
  ::testing::internal::CaptureStderr();
  DBPrintf("%d%%", 5);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(seen_, "5%");
  SetDebugSink(nullptr, &seen_);
  DBPrintf("gone");
  EXPECT_EQ(seen_, "5%");
}

}  // namespace
