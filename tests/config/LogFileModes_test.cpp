// The modes of the files the log writers create: statements and order data are
// for the owner and the group only, a stricter umask narrows that further, and
// a file that already exists keeps the mode it has.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "config/AlertLog.h"
#include "config/Clock.h"
#include "config/ErrorReport.h"
#include "config/TraceLog.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;

// Sets the process's umask until destroyed.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(previous_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

mode_t ModeOf(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return 0;
  return info.st_mode & 0777;
}

// A gateway root with the library in Bin/, alert logs and error reports below
// its client path, tracing on and a fixed clock.
class LogFileModesTest : public ::testing::Test {
 protected:
  LogFileModesTest()
      : module_(root_.Path("Bin/PurchaseOrder.so")),
        registry_("GATEWAY_REGISTRY", root_.Path("registry.ini")),
        clock_(DateTime{2024, 1, 5, 9, 30, 0, 0}) {
    testing::WriteFile(root_.Path("registry.ini"),
                       "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" +
                           root_.Path("client") + "\n");
    SetTraceSwitchProvider([] { return true; });
  }
  ~LogFileModesTest() override { SetTraceSwitchProvider(nullptr); }

  struct Writer {
    const char* name;
    std::function<void()> write;
    std::string file;
  };

  std::vector<Writer> Writers() const {
    return {
        {"trace log", [] { WriteTrace("T", "Code", "Action", "Prop", "value"); },
         root_.Path("Bin/Log/PurchaseOrder.Log")},
        {"alert log", [] { WriteAlertLog("ProgramList", "select 1", "D"); },
         root_.Path("client/Log/Alert_ProgramList_20240105.log")},
        {"error report", [] { WriteErrorReport(nullptr, "Load", "note"); },
         root_.Path("client/Log/Alert_OrvexGenerator_20240105.log")},
    };
  }

  testing::TempFolder root_;
  testing::ScopedModulePath module_;
  testing::ScopedEnv registry_;
  ScopedClockForTesting clock_;
};

TEST_F(LogFileModesTest, NewFilesAreForOwnerAndGroupWithinTheUmask) {
  const struct {
    mode_t umask;
    mode_t mode;
  } cases[] = {{022, 0640}, {002, 0640}, {0, 0640}, {027, 0640}, {077, 0600}};
  for (const Writer& writer : Writers()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(writer.name) + ", umask 0" + std::to_string(c.umask));
      fs::remove(writer.file);
      {
        ScopedUmask umask(c.umask);
        writer.write();
      }
      ASSERT_TRUE(fs::exists(writer.file));
      EXPECT_EQ(ModeOf(writer.file), c.mode);
    }
  }
}

TEST_F(LogFileModesTest, ExistingFilesKeepTheirMode) {
  for (const Writer& writer : Writers()) {
    SCOPED_TRACE(writer.name);
    for (const mode_t mode : {0644, 0600, 0660}) {
      testing::WriteFile(writer.file, "earlier\n");
      ASSERT_EQ(::chmod(writer.file.c_str(), mode), 0);
      writer.write();
      EXPECT_EQ(ModeOf(writer.file), mode);
      EXPECT_GT(testing::ReadFile(writer.file).size(), std::string("earlier\n").size());
    }
  }
}

}  // namespace
}  // namespace gateway
