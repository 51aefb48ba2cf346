#include "config/TraceLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ConfigTestSupport.h"
#include "config/Clock.h"
#include "config/GatewayConfigU.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;

// A gateway root with the library in Bin/, a fixed clock, and the trace switch
// and the shared configuration put back afterwards.
class TraceLogTest : public ::testing::Test {
 protected:
  TraceLogTest()
      : module_(root_.Path("Bin/PurchaseOrder.so")),
        clock_(DateTime{2024, 1, 5, 15, 7, 9, 45}),
        saved_config_(GatewayConfig()) {}
  ~TraceLogTest() override {
    SetTraceSwitchProvider(nullptr);
    GatewayConfig() = saved_config_;
  }

  std::string LogFile() const { return root_.Path("Bin/Log/PurchaseOrder.Log"); }

  testing::TempFolder root_;
  testing::ScopedModulePath module_;
  ScopedClockForTesting clock_;
  TGatewayConfig saved_config_;
};

const char kRecord[] =
    "[15:07:09.045]\r\n"
    "[Class ] = TTextNodePool \r\n"
    "[Code  ] = TBasePool \r\n"
    "[Action] = GetXML \r\n"
    "[Prop  ] = Result \r\n"
    "[Value ] = <a>50% %s %d</a> \r\n"
    "\n";

void WriteSampleTrace() {
  WriteTrace("TTextNodePool", "TBasePool", "GetXML", "Result", "<a>50% %s %d</a>");
}

TEST_F(TraceLogTest, RecordBytesAndDirectoryCreation) {
  SetTraceSwitchProvider([] { return true; });
  WriteSampleTrace();
  WriteSampleTrace();
  EXPECT_EQ(testing::ReadFile(LogFile()), std::string(kRecord) + kRecord);
}

TEST_F(TraceLogTest, NothingIsWrittenWhileTracingIsOff) {
  SetTraceSwitchProvider([] { return false; });
  WriteSampleTrace();
  EXPECT_FALSE(fs::exists(root_.Path("Bin/Log")));

  // A failing switch counts as off and does not escape.
  SetTraceSwitchProvider([]() -> bool { throw std::runtime_error("no parameters"); });
  EXPECT_FALSE(IsTraceEnabled());
  WriteSampleTrace();
  EXPECT_FALSE(fs::exists(root_.Path("Bin/Log")));
}

TEST_F(TraceLogTest, ReadOnlyLogIsMadeWritable) {
  SetTraceSwitchProvider([] { return true; });
  testing::WriteFile(LogFile(), "old");
  fs::permissions(LogFile(), fs::perms::owner_read | fs::perms::group_read);
  WriteSampleTrace();
  EXPECT_NE(fs::status(LogFile()).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(testing::ReadFile(LogFile()), std::string("old") + kRecord);
}

TEST_F(TraceLogTest, UnwritableLogIsSkippedSilently) {
  SetTraceSwitchProvider([] { return true; });
  testing::WriteFile(root_.Path("Bin/Log"), "a file where the folder should be");
  WriteSampleTrace();
  EXPECT_TRUE(fs::is_regular_file(root_.Path("Bin/Log")));
}

TEST_F(TraceLogTest, WithoutProviderTheConfigurationFileDecides) {
  GatewayConfig() = TGatewayConfig();
  EXPECT_FALSE(IsTraceEnabled());  // no file: still the empty value

  const std::string config = root_.Path("GatewayConfig.ini");
  testing::WriteFile(config, "[Options]\nKeepLog=1\n");
  EXPECT_TRUE(IsTraceEnabled());
  EXPECT_TRUE(GatewayConfig().KeepLog);

  testing::WriteFile(config, "[Options]\nKeepLog=0\n");
  EXPECT_FALSE(IsTraceEnabled());

  testing::WriteFile(config, "[Options]\n");  // a missing key means on
  EXPECT_TRUE(IsTraceEnabled());
  fs::remove(config);
  EXPECT_TRUE(IsTraceEnabled());  // the last loaded value stays
}

TEST_F(TraceLogTest, ResetDeletesTheLogOnlyWhileTracing) {
  testing::WriteFile(LogFile(), "old");
  SetTraceSwitchProvider([] { return false; });
  ResetTraceLog();
  EXPECT_TRUE(fs::exists(LogFile()));
  SetTraceSwitchProvider([] { return true; });
  ResetTraceLog();
  EXPECT_FALSE(fs::exists(LogFile()));
  ResetTraceLog();  // no file: nothing to do
}

}  // namespace
}  // namespace gateway
