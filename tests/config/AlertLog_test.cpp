#include "config/AlertLog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ConfigTestSupport.h"
#include "config/Clock.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;

// A registry file and a temporary directory of the test's own, and a fixed clock.
class AlertLogTest : public ::testing::Test {
 protected:
  AlertLogTest()
      : registry_("GATEWAY_REGISTRY", folder_.Path("registry.ini")),
        tmpdir_("TMPDIR", folder_.Path("tmp")),
        clock_(DateTime{2024, 1, 5, 15, 7, 9, 45}) {}

  void SetClientPath(const std::string& path) {
    testing::WriteFile(folder_.Path("registry.ini"),
                       "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" + path + "\n");
  }

  testing::TempFolder folder_;
  testing::ScopedEnv registry_;
  testing::ScopedEnv tmpdir_;
  ScopedClockForTesting clock_;
};

TEST_F(AlertLogTest, FileNameByNameAndPeriod) {
  SetClientPath(folder_.Path("client"));
  const struct {
    const char* name;
    const char* period;
    const char* file;
  } cases[] = {
      {"ProgramList", "M", "Alert_ProgramList_202401.log"},
      {"ProgramList", "D", "Alert_ProgramList_20240105.log"},
      {"ProgramList", "Y", "Alert_ProgramList_2024.log"},
      {"ProgramList", "d", "Alert_ProgramList_20240105.log"},
      {"ProgramList", "", "Alert_ProgramList_20240105.log"},
      {"Prog.txt", "D", "Alert_Prog.txt_20240105"},
  };
  for (const auto& c : cases) {
    const std::string file = folder_.Path("client/Log/") + c.file;
    fs::remove(file);
    EXPECT_TRUE(WriteAlertLog(c.name, "50% done", c.period)) << c.name << " " << c.period;
    EXPECT_EQ(testing::ReadFile(file), "[2024/01/05 15:07:09:045] 50% done\n") << c.file;
  }
}

TEST_F(AlertLogTest, LinesAreAppended) {
  SetClientPath(folder_.Path("client") + "/");
  EXPECT_TRUE(WriteAlertLog("ProgramList", " Database :ERP", "D"));
  EXPECT_TRUE(WriteAlertLog("ProgramList", " Query.SQL.Text :SELECT 1\r\n", "D"));
  EXPECT_EQ(testing::ReadFile(folder_.Path("client/Log/Alert_ProgramList_20240105.log")),
            "[2024/01/05 15:07:09:045]  Database :ERP\n"
            "[2024/01/05 15:07:09:045]  Query.SQL.Text :SELECT 1\r\n\n");
}

TEST_F(AlertLogTest, TheLinesOfOneEntryShareTheStampAndStayTogether) {
  SetClientPath(folder_.Path("client"));
  EXPECT_TRUE(WriteAlertLog("ProgramList", {" Database :ERP", " Query.SQL.Text :SELECT 1\n"}, "D"));
  EXPECT_EQ(testing::ReadFile(folder_.Path("client/Log/Alert_ProgramList_20240105.log")),
            "[2024/01/05 15:07:09:045]  Database :ERP\n"
            "[2024/01/05 15:07:09:045]  Query.SQL.Text :SELECT 1\n\n");
}

TEST_F(AlertLogTest, EveryLineAfterARotationGoesToTheFileOfTheName) {
  SetClientPath(folder_.Path("client"));
  const std::string log = folder_.Path("client/Log/Alert_ProgramList_20240105.log");
  EXPECT_TRUE(WriteAlertLog("ProgramList", "one", "D"));
  // Each line is in the file as soon as the write returns.
  EXPECT_EQ(testing::ReadFile(log), "[2024/01/05 15:07:09:045] one\n");
  fs::rename(log, log + ".1");  // rotated away
  EXPECT_TRUE(WriteAlertLog("ProgramList", "two", "D"));
  EXPECT_TRUE(WriteAlertLog("ProgramList", "three", "D"));
  EXPECT_EQ(testing::ReadFile(log + ".1"), "[2024/01/05 15:07:09:045] one\n");
  EXPECT_EQ(testing::ReadFile(log),
            "[2024/01/05 15:07:09:045] two\n[2024/01/05 15:07:09:045] three\n");
  // Replaced by a file of another writer: appended to, not overwritten.
  testing::WriteFile(log + ".new", "other\n");
  fs::rename(log + ".new", log);
  EXPECT_TRUE(WriteAlertLog("ProgramList", "four", "D"));
  EXPECT_EQ(testing::ReadFile(log), "other\n[2024/01/05 15:07:09:045] four\n");
  // Truncated in place (copy and truncate): the next line starts the file.
  fs::resize_file(log, 0);
  EXPECT_TRUE(WriteAlertLog("ProgramList", "five", "D"));
  EXPECT_EQ(testing::ReadFile(log), "[2024/01/05 15:07:09:045] five\n");
  // The whole folder removed: made again.
  fs::remove_all(folder_.Path("client/Log"));
  EXPECT_TRUE(WriteAlertLog("ProgramList", "six", "D"));
  EXPECT_EQ(testing::ReadFile(log), "[2024/01/05 15:07:09:045] six\n");
}

TEST_F(AlertLogTest, AChangedClientPathTakesEffectAtTheNextLine) {
  SetClientPath(folder_.Path("one"));
  EXPECT_TRUE(WriteAlertLog("ProgramList", "a", "D"));
  SetClientPath(folder_.Path("two"));  // same length: only the content differs
  EXPECT_TRUE(WriteAlertLog("ProgramList", "b", "D"));
  EXPECT_EQ(testing::ReadFile(folder_.Path("one/Log/Alert_ProgramList_20240105.log")),
            "[2024/01/05 15:07:09:045] a\n");
  EXPECT_EQ(testing::ReadFile(folder_.Path("two/Log/Alert_ProgramList_20240105.log")),
            "[2024/01/05 15:07:09:045] b\n");
}

TEST_F(AlertLogTest, FailureIsReportedNotThrown) {
  SetClientPath(folder_.Path("client"));
  testing::WriteFile(folder_.Path("client/Log"), "a file where the folder should be");
  EXPECT_FALSE(WriteAlertLog("ProgramList", "text", "D"));
  EXPECT_FALSE(WriteGeneratorAlert("text"));
  // A name must not lead the file out of the log folder.
  SetClientPath(folder_.Path("other"));
  EXPECT_FALSE(WriteAlertLog("../escape", "text", "D"));
  EXPECT_FALSE(fs::exists(folder_.Path("other/escape_20240105.log")));
}

TEST_F(AlertLogTest, GeneratorAlertUsesTheLocaleFormats) {
  EXPECT_TRUE(WriteGeneratorAlert("first"));
  EXPECT_TRUE(WriteGeneratorAlert("second"));
  EXPECT_EQ(testing::ReadFile(folder_.Path("tmp/Log/Alert_OrvexGenerator_20240105.log")),
            "[2024/1/5 15:07:09] first\n[2024/1/5 15:07:09] second\n");
}

TEST_F(AlertLogTest, AlertBasePath) {
  EXPECT_EQ(GetAlertBasePath(), folder_.Path("tmp"));
  {
    testing::ScopedEnv tmpdir("TMPDIR", std::nullopt);
    EXPECT_EQ(GetAlertBasePath(), "/tmp");
  }
  SetClientPath("/srv/client");
  EXPECT_EQ(GetAlertBasePath(), "/srv/client");
}

}  // namespace
}  // namespace gateway
