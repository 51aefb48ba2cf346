// Warnings reach the trace log and the host's handler, and nothing breaks
// when no handler is there.
#include "config/Warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "config/TraceLog.h"

namespace gateway {
namespace {

class WarningsTest : public ::testing::Test {
 protected:
  ~WarningsTest() override { SetTraceSwitchProvider(nullptr); }

  testing::TempFolder root_;
  testing::ScopedModulePath module_{root_.Path("Bin/PurchaseOrder.so")};
};

TEST_F(WarningsTest, AWarningGoesToTheTraceAndToTheHandler) {
  SetTraceSwitchProvider([] { return true; });
  {
    testing::CapturedWarnings captured;
    WriteWarning("TBusinessBase", "TBusinessBase", "LoadMetadata", "no metadata: 采购单");
    EXPECT_EQ(captured.Warnings(), std::vector<std::string>{"no metadata: 采购单"});
  }
  const std::string trace = testing::ReadFile(root_.Path("Bin/Log/PurchaseOrder.Log"));
  EXPECT_NE(trace.find("[Action] = LoadMetadata \r\n[Prop  ] = Warning \r\n"
                       "[Value ] = no metadata: 采购单 \r\n"),
            std::string::npos)
      << trace;
}

TEST_F(WarningsTest, WithoutAHandlerOnlyTheTraceIsWritten) {
  SetTraceSwitchProvider([] { return false; });
  SetWarningSink(nullptr);
  WriteWarning("TInputPool", "TInputPool", "FromXML", "nobody listens");
  EXPECT_FALSE(std::filesystem::exists(root_.Path("Bin/Log/PurchaseOrder.Log")));
}

}  // namespace
}  // namespace gateway
