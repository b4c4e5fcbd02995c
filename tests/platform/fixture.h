// Starts the null back end for one test and tears everything down after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/null/null.h"
#include "platform/platform.h"

class NullPlatform : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string error;
    ASSERT_TRUE(plat::Init(&error)) << error;
    ASSERT_TRUE(plat::null::Active());
  }
  void TearDown() override { plat::Shutdown(); }
};
