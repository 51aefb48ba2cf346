// The database password of the gateway configuration, in every form it may be
// written there, reaches no file that the module or the host writes and none
// of their output: the built host runs the built module with the trace on,
// through success and through every way of failing, and everything they left
// behind is searched for the password and for its stored scrambled form.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "config/StoredPassword.h"
#include "data/DataTestSupport.h"
#include "demo/DemoGeneratorPath.h"
#include "text/TextCase.h"
#include "tools/HostProgram.h"

namespace gateway::host {
namespace {

namespace fs = std::filesystem;
using gateway::testing::kDemoGenerator;
using gateway::testing::ReadFile;
using gateway::testing::TempFolder;
using gateway::testing::WriteFile;

constexpr const char* kSecret = "Ko9Secret4Pw";

// One configuration and one run of the host.
struct Case {
  std::string name;
  std::string provider;                // the configured connection string
  std::string traced;                  // the trace record's value for it
  std::vector<std::string> arguments;  // extra host arguments
  std::vector<std::string> shows;      // texts the run must leave somewhere
};

// A demo gateway root (module, metadata, registry file, ERP databases), an
// ERP database without tables for the statements that fail, the alert logs,
// error reports and temporary files kept inside the root, and the test
// registry of ODBC drivers.
class CredentialsTest : public ::testing::Test {
 protected:
  // Before any test moves TMPDIR into its root: the registry of ODBC drivers
  // is made once per process, in the temporary folder, and must outlive the
  // root of the test that happens to make it.
  static void SetUpTestSuite() { gateway::testing_data::OdbcTestDriver(); }
  void SetUp() override {
    if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
    const std::string command = std::string(kDemoGenerator) + " --root " + Root() +
                                " --orders 3 --lines-per-order 1 --module " GATEWAY_MODULE_PATH
                                " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    gateway::testing_data::RunSqlite(Root("broken.db"), "create table X(A int);");
    WriteFile(Root("request.xml"),
              "<Request><Seperator>;</Seperator><Factory>F01</Factory>"
              "<PropertyList>TC001;TC002</PropertyList></Request>");
    fs::create_directories(Root("tmp"));
  }

  std::string Root(const std::string& relative = "") const {
    return folder_.Path("root/" + relative);
  }

  // Runs the host once with the case's configuration, the trace left on by
  // default; returns everything the run wrote and printed, by where it is.
  std::vector<std::pair<std::string, std::string>> Run(const Case& c, int number) {
    WriteFile(Root("GatewayConfig.ini"), "[Connection]\nProvider=" + c.provider + "\n");
    std::vector<std::string> arguments{"--library", Root("Bin/PurchaseOrder.so"), "--output-dir",
                                       Root("responses/" + std::to_string(number))};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    arguments.push_back(Root("request.xml"));
    const Outcome outcome = RunHostProgram(folder_, arguments);
    std::vector<std::pair<std::string, std::string>> written{{"standard output", outcome.out},
                                                             {"standard error", outcome.err}};
    for (const auto& entry : fs::recursive_directory_iterator(Root())) {
      const std::string path = entry.path().string();
      if (!entry.is_regular_file() || path == Root("GatewayConfig.ini") ||
          entry.path().extension() == ".db" || entry.path().extension() == ".so") {
        continue;
      }
      written.emplace_back(path, ReadFile(path));
    }
    return written;
  }

  TempFolder folder_;
  gateway::testing::ScopedEnv registry_{"GATEWAY_REGISTRY", folder_.Path("root/registry.ini")};
  gateway::testing::ScopedEnv tmpdir_{"TMPDIR", folder_.Path("root/tmp")};
};

TEST_F(CredentialsTest, NoFormOfThePasswordReachesAnyLogResponseOrOutput) {
  const std::string scrambled = EncodeSQLSa(kSecret);
  const std::string secret = kSecret;
  const gateway::testing_data::ClosedPort port;
  const std::string sqlite_odbc =
      "Provider=MSDASQL;Driver=" + gateway::testing_data::OdbcTestDriver() + ";Database=" + Root();
  const std::string freetds = "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;";
  const std::string server = "Initial Catalog=ERP;Data Source=127.0.0.1," + port.Text();
  const Case cases[] = {
      {"stored password, SQLite",
       "Provider=SQLite;Data Source=erp.db;Password=" + scrambled,
       "Provider=SQLite;Data Source=erp.db;Password=***",
       {},
       {"<Row ", "<Status>0</Status>"}},
      {"plain text where the stored form belongs: an error report",
       "Provider=SQLite;Data Source=erp.db;pAsSwOrD=" + secret,
       "Provider=SQLite;Data Source=erp.db;pAsSwOrD=***",
       {},
       {"<Row ", "解析 Sa 时发生错误!"}},
      {"plain PWD in braces, ODBC",
       sqlite_odbc + "erp.db;pWd={" + secret + "}",
       sqlite_odbc + "erp.db;pWd=***",
       {},
       {"<Row ", "<Status>0</Status>"}},
      {"stored password, ODBC",
       sqlite_odbc + "erp.db; PASSWORD = " + scrambled + " ;",
       sqlite_odbc + "erp.db; PASSWORD =***;",
       {},
       {"<Row ", "<Status>0</Status>"}},
      {"bad statement, SQLite",
       "Provider=SQLite;Data Source=broken.db;PWD=" + scrambled,
       "Provider=SQLite;Data Source=broken.db;PWD=***",
       {},
       {"<Status>-1</Status>"}},
      {"bad statement, ODBC",
       sqlite_odbc + "broken.db;Password=" + secret,
       sqlite_odbc + "broken.db;Password=***",
       {},
       {"<Status>-1</Status>"}},
      {"bad driver",
       "Provider=SQLOLEDB;Driver={No Such Driver};Data Source=127.0.0.1;User ID=sa;Password=" +
           scrambled,
       "Provider=SQLOLEDB;Driver={No Such Driver};Data Source=127.0.0.1;User ID=sa;Password=***",
       {},
       {"Can't open lib 'No Such Driver'", "(Driver=No Such Driver;Server=127.0.0.1)"}},
      {"failed connect",
       freetds + "Password=" + scrambled + ";" + server + ";Connect Timeout=2",
       freetds + "Password=***;" + server + ";Connect Timeout=2",
       {},
       {"[FreeTDS]", "Server=127.0.0.1;Port="}},
      {"failed connect in Initialize, ODBC string given in Extended Properties",
       "Provider=MSDASQL;Extended Properties=\"Driver=FreeTDS;Server=127.0.0.1;Port=" +
           port.Text() + ";UID=sa;Pwd=" + secret + "\"",
       "Provider=MSDASQL;Extended Properties=\"Driver=FreeTDS;Server=127.0.0.1;Port=" +
           port.Text() + ";UID=sa;Pwd=***\"",
       {"--init", "<P><Factory>F01</Factory></P>"},
       {"gatewayhost: Initialize: Cannot connect", "[FreeTDS]", "(Driver=FreeTDS;Server=127.0.0.1;Port="}},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto written = Run(c, ++number);
    std::string everything;
    for (const auto& [where, text] : written) {
      for (const std::string& form : {secret, scrambled, LowerCaseAscii(scrambled)}) {
        EXPECT_EQ(text.find(form), std::string::npos) << form << " in " << where << ":\n" << text;
      }
      everything += text;
    }
    EXPECT_NE(
        ReadFile(Root("Bin/Log/PurchaseOrder.Log"))
            .find("[Prop  ] = Connection.ConnectionString \r\n[Value ] = " + c.traced + " \r\n"),
        std::string::npos)
        << ReadFile(Root("Bin/Log/PurchaseOrder.Log"));
    for (const std::string& shown : c.shows) {
      EXPECT_NE(everything.find(shown), std::string::npos) << shown << " in:\n" << everything;
    }
  }
}

}  // namespace
}  // namespace gateway::host
