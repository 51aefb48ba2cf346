#include "config/ErrorReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ConfigTestSupport.h"
#include "config/Clock.h"
#include "config/Errors.h"

namespace gateway {
namespace {

// Reports go to TMPDIR/Log (no registry file), at a fixed time.
class ErrorReportTest : public ::testing::Test {
 protected:
  ErrorReportTest()
      : registry_("GATEWAY_REGISTRY", folder_.Path("absent.ini")),
        tmpdir_("TMPDIR", folder_.Path()),
        clock_(DateTime{2024, 1, 5, 9, 30, 0, 0}) {}

  // The report, with the stamp every entry starts with written as "@ ".
  std::string Report() const {
    const std::string text =
        testing::ReadFile(folder_.Path("Log/Alert_OrvexGenerator_20240105.log"));
    return ReplaceStamps(text);
  }

  static std::string ReplaceStamps(std::string text) {
    const std::string stamp = "[2024/1/5 9:30:00] ";
    for (size_t at = text.find(stamp); at != std::string::npos; at = text.find(stamp, at)) {
      text.replace(at, stamp.size(), "@ ");
    }
    return text;
  }

  testing::TempFolder folder_;
  testing::ScopedEnv registry_;
  testing::ScopedEnv tmpdir_;
  ScopedClockForTesting clock_;
};

const std::string kHyphens(34, '-');

TEST_F(ErrorReportTest, TitleOnly) {
  WriteErrorReport(nullptr, "Load", "  ");
  EXPECT_EQ(Report(), "@ " + kHyphens + " Load on " + kHyphens + "\n");
}

TEST_F(ErrorReportTest, DatabaseErrorEntriesAreNumbered) {
  const EDatabaseError error("login failed",
                             {{18456, "Login failed"}, {4060, "Cannot open"}, {-1, "x"}});
  WriteErrorReport(&error, " ", "");
  EXPECT_EQ(Report(), "@ " + kHyphens + kHyphens +
                          "\n"
                          "@ 讯息信息:\n"
                          "@ EDBEngineError Error 01: Code: 18456, Message: Login failed\n"
                          "@ EDBEngineError Error 02: Code: 4060, Message: Cannot open\n"
                          "@ EDBEngineError Error 03: Code: -1, Message: x\n"
                          "@ ErrorMessage Count: 3\n");
}

TEST_F(ErrorReportTest, DatabaseErrorWithoutEntries) {
  const EDatabaseError error("no entries");
  WriteErrorReport(&error, "", "");
  EXPECT_EQ(Report(), "@ " + kHyphens + kHyphens + "\n@ 讯息信息:\n@ ErrorMessage Count: 0\n");
}

TEST_F(ErrorReportTest, SystemAndFileErrors) {
  const EOSError os("Permission denied", 13);
  WriteErrorReport(&os, "", "");
  const EInOutError io("Disk full", 28);
  WriteErrorReport(&io, "", "");
  const std::string head = "@ " + kHyphens + kHyphens + "\n@ 讯息信息:\n";
  EXPECT_EQ(Report(), head +
                          "@ EWin32Error Error 01: Code: 13, Message: Permission denied\n"
                          "@ ErrorMessage Count: 1\n" +
                          head +
                          "@ EInOutError Error 01: Code: 28, Message: Disk full\n"
                          "@ ErrorMessage Count: 1\n");
}

TEST_F(ErrorReportTest, OtherExceptionsKeepTheirMessageIntact) {
  const std::runtime_error error("100% %s %d failed");
  WriteErrorReport(&error, "Decode password", "The stored password is not valid hex");
  EXPECT_EQ(Report(), "@ " + kHyphens + " Decode password on " + kHyphens +
                          "\n"
                          "@ 讯息信息:\n"
                          "@ Exception is runtime_error\r\nMessage 01: 100% %s %d failed\n"
                          "@ ErrorMessage Count: 1\n"
                          "@ Programer Message: The stored password is not valid hex\n");
}

TEST_F(ErrorReportTest, UnwritableLogDoesNotThrow) {
  testing::WriteFile(folder_.Path("Log"), "a file where the folder should be");
  const Exception error("x");
  WriteErrorReport(&error, "t", "p");
  EXPECT_TRUE(std::filesystem::is_regular_file(folder_.Path("Log")));
}

}  // namespace
}  // namespace gateway
