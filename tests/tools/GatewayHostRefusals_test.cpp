// Requests the gateway refuses, end to end: gatewayhost runs them on a demo
// gateway root (an SQLite main company and its factories), and the database
// files are read afterwards with SQLite itself. A refused request runs
// nothing and marks nothing, wherever it came in a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "demo/DemoGeneratorPath.h"
#include "tools/HandOverCheck.h"
#include "tools/HostProgram.h"

namespace gateway::host {
namespace {

using gateway::testing::AsSet;
using gateway::testing::kDemoGenerator;
using gateway::testing::OrdersOf;
using gateway::testing::ReadFile;
using gateway::testing::SqliteColumn;
using gateway::testing::TempFolder;
using gateway::testing::WriteFile;

// Factory F01's orders not handed over yet: order type and number of each line.
const char kF01Request[] =
    "<Request><Seperator>;</Seperator><Factory>F01</Factory>"
    "<PropertyList>TC001;TC002;TD003</PropertyList>"
    "<Condition Type=\"and\"><Property Name=\"TC035\" Type=\"=\" Value=\"N\"/></Condition>"
    "</Request>";

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
  const size_t start = text.find(open);
  if (start == std::string::npos) return "(no " + open + ")";
  const size_t end = text.find(close, start + open.size());
  return text.substr(start + open.size(), end - start - open.size());
}

// A demo gateway root of 20 orders of 2 lines in the main company and in each
// factory, with the built module, tracing off.
class RefusedRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
    const std::string command = std::string(kDemoGenerator) + " --root " + Root() +
                                " --orders 20 --lines-per-order 2 --seed 1 --module " +
                                GATEWAY_MODULE_PATH + " >" + folder_.Path("generator.out") +
                                " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(folder_.Path("generator.out"));
    WriteFile(Root() + "/GatewayConfig.ini",
              "[Options]\nKeepLog=0\n[Connection]\nProvider=Provider=SQLite;Data Source=erp.db\n");
    marked_before_ = MarkedEverywhere();
    main_before_ = MarkedOrders("erp.db");
    f02_before_ = MarkedOrders("ERP_F02.db");
  }

  std::string Root() const { return folder_.Path("root"); }
  std::string Path(const std::string& name) const { return folder_.Path(name); }

  // Orders marked as handed over, per database file.
  std::string MarkedEverywhere() const {
    std::string marked;
    for (const char* file : {"erp.db", "ERP_F01.db", "ERP_F02.db"}) {
      const std::vector<std::string> count =
          SqliteColumn(Root() + "/" + file, "select count(*) from PURTC where TC035 = 'Y'");
      marked += std::string(file) + ":" + (count.empty() ? "?" : count[0]) + " ";
    }
    return marked;
  }

  // The orders ("TC001-TC002") marked in one database file.
  std::set<std::string> MarkedOrders(const std::string& file) const {
    return AsSet(SqliteColumn(Root() + "/" + file,
                              "select TC001 || '-' || TC002 from PURTC where TC035 = 'Y'"));
  }

  Outcome Host(const std::vector<std::string>& requests, const std::string& output_option,
               const std::string& output) {
    std::vector<std::string> arguments{"--library", Root() + "/Bin/PurchaseOrder.so", output_option,
                                       output};
    arguments.insert(arguments.end(), requests.begin(), requests.end());
    return RunHostProgram(folder_, arguments);
  }

  TempFolder folder_;
  gateway::testing::ScopedEnv registry_{"GATEWAY_REGISTRY", folder_.Path("root/registry.ini")};
  std::string marked_before_;
  std::set<std::string> main_before_;
  std::set<std::string> f02_before_;
};

TEST_F(RefusedRequestTest, ARequestThatIsNotXmlOrNamesAnUnknownFactoryRunsNothing) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
  };
  const Case cases[] = {
      {"hello", "hello",
       "The request is not well-formed XML (line 1: Start tag expected, '&lt;' not found), so it "
       "was not run"},
      {"truncated", std::string(kF01Request).substr(0, 60),
       "The request is not well-formed XML (line 1: "},
      {"blank", "\n  \n", "The request is not well-formed XML (line 3: "},
      {"unknown factory", "<Request><Factory>F99</Factory></Request>",
       "The factory [F99] is not in the company table KVTMB, so there is no database to run the "
       "request in"},
      // SQLite compares the code as written.
      {"factory in other letters", "<Request><Factory>f01</Factory></Request>",
       "The factory [f01] is not in the company table KVTMB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(Path("request.xml"), c.bytes);
    const Outcome outcome = Host({Path("request.xml")}, "--output", Path("response.xml"));
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    const std::string response = ReadFile(Path("response.xml"));
    EXPECT_EQ(Between(response, "<Error>", "</Error>").rfind(c.error, 0), 0u) << response;
    EXPECT_EQ(Between(response, "<Status>", "</Status>"), "-1");
    EXPECT_EQ(response.find("<Row"), std::string::npos) << response;
    EXPECT_EQ(MarkedEverywhere(), marked_before_);
  }
}

TEST_F(RefusedRequestTest, NothingOfAnEarlierRequestCarriesOverToOneThatCannotBeRead) {
  // The second request would have run in F01's database with F01's separator.
  WriteFile(Path("f01.xml"), kF01Request);
  WriteFile(Path("broken.xml"), "<Request><PropertyList>TC001</PropertyList>");
  const std::set<std::string> f01_before = MarkedOrders("ERP_F01.db");
  const Outcome outcome = Host({Path("f01.xml"), Path("broken.xml")}, "--output-dir", Path("out"));
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  const std::string first = ReadFile(Path("out/response-1.xml"));
  const std::string second = ReadFile(Path("out/response-2.xml"));
  EXPECT_EQ(Between(first, "<Status>", "</Status>"), "0") << first;
  EXPECT_EQ(Between(second, "<Status>", "</Status>"), "-1") << second;
  EXPECT_EQ(second.find("<Row"), std::string::npos) << second;
  // What the first response delivered is marked, and nothing else anywhere.
  std::set<std::string> expected = f01_before;
  const std::set<std::string> delivered = AsSet(OrdersOf(first));
  EXPECT_FALSE(delivered.empty());
  expected.insert(delivered.begin(), delivered.end());
  EXPECT_EQ(MarkedOrders("ERP_F01.db"), expected);
  EXPECT_EQ(MarkedOrders("erp.db"), main_before_);
  EXPECT_EQ(MarkedOrders("ERP_F02.db"), f02_before_);
}

TEST_F(RefusedRequestTest, ARequestBeyondTheConfiguredBoundsRunsNothing) {
  WriteFile(Path("f01.xml"), kF01Request);
  struct Case {
    std::string options;
    std::string error;
  };
  const Case cases[] = {
      {"MaxRequestBytes=100",
       "The request is " + std::to_string(std::string(kF01Request).size()) +
           " bytes long, more than the 100 a request may have (MaxRequestBytes in "
           "GatewayConfig.ini), so it was not run"},
      {"MaxRequestElements=5",
       "The request holds 6 elements, more than the 5 a request may hold (MaxRequestElements in "
       "GatewayConfig.ini), so it was not run"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    WriteFile(Root() + "/GatewayConfig.ini",
              "[Options]\nKeepLog=0\n" + c.options +
                  "\n[Connection]\nProvider=Provider=SQLite;Data Source=erp.db\n");
    const Outcome outcome = Host({Path("f01.xml")}, "--output", Path("response.xml"));
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    const std::string response = ReadFile(Path("response.xml"));
    EXPECT_EQ(Between(response, "<Error>", "</Error>"), c.error) << response;
    EXPECT_EQ(response.find("<Row"), std::string::npos) << response;
    EXPECT_EQ(MarkedEverywhere(), marked_before_);
  }
}

TEST_F(RefusedRequestTest, ARequestIsReadInTheEncodingItDeclares) {
  // "母" (of 六角螺母, hexagon nuts) in GB2312 is C4 B8, which is also valid
  // UTF-8 (another character): read by its bytes, the condition would exclude
  // nothing, and the lines of nuts it excludes would be delivered and their
  // orders marked.
  const std::string nut_utf8 = "\xE6\xAF\x8D";
  const std::string head = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
  const std::string body =
      "<Request><Seperator>;</Seperator><Factory>F01</Factory>"
      "<PropertyList>TC001;TC002;TD003;TD005</PropertyList><Condition><Group Type=\"and\">"
      "<Property Name=\"TC035\" Type=\"=\" Value=\"N\"/>"
      "<Property Name=\"TD005\" Type=\"not like\" Value=\"%\xC4\xB8%\"/></Group></Condition>"
      "</Request>";
  const std::vector<std::string> nut_lines = SqliteColumn(
      Root() + "/ERP_F01.db", "select count(*) from PURTD where TD005 like '%" + nut_utf8 + "%'");
  ASSERT_FALSE(nut_lines.empty());
  ASSERT_NE(nut_lines[0], "0");  // the demo data has such lines
  const std::set<std::string> f01_before = MarkedOrders("ERP_F01.db");

  WriteFile(Path("gb2312.xml"), head + body);
  const Outcome outcome = Host({Path("gb2312.xml")}, "--output", Path("response.xml"));
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string response = ReadFile(Path("response.xml"));
  EXPECT_EQ(response.find(nut_utf8), std::string::npos) << response;
  const std::set<std::string> delivered = AsSet(OrdersOf(response));
  EXPECT_FALSE(delivered.empty()) << response;
  std::set<std::string> expected = f01_before;
  expected.insert(delivered.begin(), delivered.end());
  EXPECT_EQ(MarkedOrders("ERP_F01.db"), expected);

  // Bytes the declared encoding does not hold: refused before anything runs.
  const std::set<std::string> f01_after = MarkedOrders("ERP_F01.db");
  WriteFile(Path("bad.xml"), head + "<Request><Factory>F01</Factory><X>\xFF</X></Request>");
  const Outcome bad = Host({Path("bad.xml")}, "--output", Path("bad-response.xml"));
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "gatewayhost: request '" + Path("bad.xml") +
                         "': not valid GB2312 text, the encoding its XML declaration names: byte "
                         "0xFF at offset 73 cannot be read\n");
  EXPECT_FALSE(std::filesystem::exists(Path("bad-response.xml")));
  EXPECT_EQ(MarkedOrders("ERP_F01.db"), f01_after);
}

TEST_F(RefusedRequestTest, AnEmptyRequestFileIsRefusedBeforeAnythingRuns) {
  WriteFile(Path("empty.xml"), "");
  WriteFile(Path("f01.xml"), kF01Request);
  const Outcome outcome = Host({Path("f01.xml"), Path("empty.xml")}, "--output-dir", Path("out"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "gatewayhost: request '" + Path("empty.xml") +
                             "' is empty: it holds no request, so nothing was run\n");
  // Every input is read before the module runs anything: not even the first ran.
  EXPECT_FALSE(std::filesystem::exists(Path("out/response-1.xml")));
  EXPECT_EQ(MarkedEverywhere(), marked_before_);
}

}  // namespace
}  // namespace gateway::host
