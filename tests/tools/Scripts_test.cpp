// The demo script's command line: --help prints its usage without building
// anything, and a wrong argument is refused before anything is installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "tools/HostProgram.h"

namespace gateway {
namespace {

using testing::Outcome;
using testing::RunProgram;

const std::string kDemo = std::string(GATEWAY_SOURCE_DIR) + "/scripts/demo.sh";

TEST(DemoScript, HelpPrintsTheUsageAndDoesNothingElse) {
  testing::TempFolder folder;
  for (const char* option : {"--help", "-h"}) {
    const Outcome outcome = RunProgram(folder, "bash", {kDemo, option});
    EXPECT_EQ(outcome.status, 0) << option;
    EXPECT_EQ(outcome.out.rfind("usage: scripts/demo.sh [ORDERS [LINES_PER_ORDER]]\n", 0), 0u)
        << outcome.out;
    EXPECT_NE(outcome.out.find("build/demo-build.log"), std::string::npos);
    EXPECT_EQ(outcome.err, "");
  }
}

TEST(DemoScript, RefusesWrongArgumentsWithExit2) {
  testing::TempFolder folder;
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"many"}, "ORDERS must be a whole number, not 'many'"},
      {{"10", "0"}, "LINES_PER_ORDER must be a whole number, not '0'"},
      {{"10", "5", "7"}, "too many arguments"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{kDemo};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Outcome outcome = RunProgram(folder, "bash", arguments);
    EXPECT_EQ(outcome.status, 2) << c.message;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("scripts/demo.sh: " + c.message + "\n", 0), 0u) << outcome.err;
  }
}

}  // namespace
}  // namespace gateway
