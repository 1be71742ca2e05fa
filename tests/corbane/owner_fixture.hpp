// A fresh owner, current for the test, so that the test's books start at zero
// whatever the test framework allocated before.
#pragma once

#include <gtest/gtest.h>

#include "Corbane/Memory.hpp"

class FreshOwner : public ::testing::Test {
 protected:
  FreshOwner() : owner_(Corbane::RegisterOwner("test")), scope_(owner_) {}
  Corbane::MemoryStats Stats() const { return Corbane::OwnerStats(owner_); }

  Corbane::OwnerId owner_;

 private:
  Corbane::OwnerScope scope_;
};
