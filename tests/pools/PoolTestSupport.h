// A fixture for the tests of pools that read the request's list separator: the
// library is started in a fresh temporary gateway root (no configuration, so
// no trace log) and shut down again after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigTestSupport.h"
#include "pools/GlobleParams.h"

namespace gateway::testing {

class PoolLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartupLibrary();
    GlobleParams().Seperator = ",";
  }
  void TearDown() override { ShutdownLibrary(); }

  static void SetSeparator(const std::string& separator) { GlobleParams().Seperator = separator; }

 private:
  TempFolder root_;
  ScopedModulePath module_{root_.Path("Bin/PurchaseOrder.so")};
};

}  // namespace gateway::testing
