// The stored form of a password from the command line: what the library
// decodes back, read from standard input and never from the arguments.
#include <gtest/gtest.h>

#include <string>

#include "config/ConfigTestSupport.h"
#include "config/StoredPassword.h"
#include "tools/HostProgram.h"

namespace gateway {
namespace {

using testing::Outcome;
using testing::RunProgram;

TEST(GatewayPasswordTool, PrintsTheStoredFormOfTheFirstLine) {
  testing::TempFolder folder;
  struct Case {
    std::string input;
    std::string password;
  };
  const Case cases[] = {
      {"abc\n", "abc"},
      {"abc", "abc"},
      {"abc\r\nsecond line\n", "abc"},
      {"S3cret;pw=密码\n", "S3cret;pw=密码"},
      {"\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    testing::WriteFile(folder.Path("input"), c.input);
    const Outcome outcome =
        RunProgram(folder, GATEWAY_PASSWORD_TOOL_PATH, {}, folder.Path("input"));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, EncodeSQLSa(c.password) + "\n");
    EXPECT_EQ(DecodeSQLSa(outcome.out.substr(0, outcome.out.size() - 1)), c.password);
  }
  testing::WriteFile(folder.Path("input"), "abc\n");
  EXPECT_EQ(RunProgram(folder, GATEWAY_PASSWORD_TOOL_PATH, {}, folder.Path("input")).out,
            "B0986C\n");
}

TEST(GatewayPasswordTool, RefusesAPasswordOnTheCommandLine) {
  testing::TempFolder folder;
  const Outcome outcome = RunProgram(folder, GATEWAY_PASSWORD_TOOL_PATH, {"abc"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("read from standard input"), std::string::npos) << outcome.err;

  const Outcome help = RunProgram(folder, GATEWAY_PASSWORD_TOOL_PATH, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Password=<stored form>"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace gateway
