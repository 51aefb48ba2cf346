// Every order handed over exactly once, end to end: gatewayhost processes on
// demo gateway roots run at once, are killed, wait on a locked database and
// get outputs that cannot take their response; the factory database is
// checked afterwards with SQLite itself.
#include <sqlite3.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "data/Connection.h"
#include "data/DataTestSupport.h"
#include "data/PgTestServer.h"
#include "data/Query.h"
#include "demo/DemoGeneratorPath.h"
#include "gatewayhost/HostDryRun.h"
#include "gatewayhost/HostResponse.h"
#include "tools/HandOverCheck.h"
#include "tools/HostProgram.h"

namespace gateway::host {
namespace {

namespace fs = std::filesystem;
using gateway::testing::AsSet;
using gateway::testing::kDemoGenerator;
using gateway::testing::OrdersOf;
using gateway::testing::SqliteColumn;
using gateway::testing::ReadFile;
using gateway::testing::TempFolder;
using gateway::testing::WriteFile;
using gateway::testing_data::DriverKind;

// Factory F01's orders not handed over yet, one row per order line.
std::string Request(const std::string& columns) {
  const std::string condition =
      "<Condition Type=\"and\"><Property Name=\"TC035\" Type=\"=\" Value=\"N\"/></Condition>";
  return "<Request><Seperator>;</Seperator><DateFormat>yyyy-mm-dd hh:nn:ss</DateFormat>"
         "<Factory>F01</Factory><PropertyList>" +
         columns + "</PropertyList>" + condition +
         "<OrderList>TC001;TC002;TD003</OrderList></Request>";
}
const std::string kNarrow = "TC001;TC002;TD003";
// Twenty columns: at 2,000 orders of 5 lines a response of about 1.1 MB.
const std::string kWide =
    "TC001;TC002;TC003;TC004;MA002;TC005;MF002;TC018C;TD003;TD004;TD005;TD006;TD008;TD009;"
    "TD010;TD011;TD012;MC002;TC035;CREATE_DATE";

std::string StatusOf(const std::string& response) {
  static const std::regex status("<Status>([^<]*)</Status>");
  std::smatch match;
  return std::regex_search(response, match, status) ? match[1].str() : "(none)";
}

// A demo gateway root of `orders` orders of 5 lines, reached through the
// given driver, with the built module and tracing off. On the PostgreSQL test
// server the data are written into a database of the root's own.
class HandOverRoot {
 public:
  HandOverRoot(int orders, DriverKind driver, const std::string& connection_extra = "") {
    std::string odbc;
    if (driver == DriverKind::kPostgres) {
      server_ = std::make_unique<gateway::testing_data::PgScratchDatabase>();
      odbc = server_->OdbcString();
    }
    const std::string command = std::string(kDemoGenerator) + " --root " + Root() + " --orders " +
                                std::to_string(orders) + " --lines-per-order 5 --seed 1 --module " +
                                GATEWAY_MODULE_PATH + (odbc.empty() ? "" : " --odbc '" + odbc + "'") +
                                " >" + folder_.Path("generator.out") + " 2>&1";
    generated_ = std::system(command.c_str()) == 0;
    const std::string provider =
        driver == DriverKind::kSqlite     ? "Provider=SQLite;Data Source=erp.db"
        : driver == DriverKind::kPostgres ? "Provider=MSDASQL;" + odbc
                                          : gateway::testing_data::ConnectionStringFor(
                                                driver, Root() + "/erp.db");
    WriteFile(Root() + "/GatewayConfig.ini",
              "[Options]\nKeepLog=0\n[Connection]\nProvider=" + provider + connection_extra + "\n");
    WriteFile(folder_.Path("narrow.xml"), Request(kNarrow));
    WriteFile(folder_.Path("wide.xml"), Request(kWide));
    if (driver != DriverKind::kSqlite) {
      // unixODBC keeps caches it never frees; unloaded with the module at the
      // host's end, a sanitizer build's leak check reports them and fails the
      // host. The hosts of this root skip that check (the same runs through
      // the SQLite driver keep it).
      const char* options = std::getenv("ASAN_OPTIONS");
      sanitizer_ = std::make_unique<gateway::testing::ScopedEnv>(
          "ASAN_OPTIONS", std::string(options != nullptr ? options : "") + ":detect_leaks=0");
    }
  }

  bool Generated() const { return generated_; }
  std::string Root() const { return folder_.Path("root"); }
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  std::string Factory() const { return Root() + "/ERP_F01.db"; }

  std::vector<std::string> Arguments(const std::string& request,
                                     const std::string& output = "") const {
    std::vector<std::string> arguments{"--library", Root() + "/Bin/PurchaseOrder.so"};
    if (!output.empty()) arguments.insert(arguments.end(), {"--output", output});
    arguments.push_back(Path(request));
    return arguments;
  }

  std::set<std::string> Marked() const {
    if (!server_) {
      return AsSet(
          SqliteColumn(Factory(), "select TC001 || '-' || TC002 from PURTC where TC035 = 'Y'"));
    }
    gateway::Connection connection;
    connection.SetConnectionString("Provider=MSDASQL;" + server_->OdbcString());
    gateway::Query query;
    query.SetConnection(&connection);
    query.SetSQL("select TC001 || '-' || TC002 from ERP_F01.PURTC where TC035 = 'Y'");
    query.Open();
    std::set<std::string> marked;
    for (; !query.Eof(); query.Next()) marked.insert(query.Fields(0).AsString());
    return marked;
  }

  // Runs the host with `arguments` to the end.
  Outcome Run(const std::vector<std::string>& arguments) const {
    return RunHostProgram(folder_, arguments);
  }

  // Runs one request to the end into `output`; the response. The host exits
  // with `status`: 0, or 3 for a response that reports a failure.
  std::string RunToEnd(const std::string& request, const std::string& output,
                       int status = 0) const {
    const Outcome outcome = RunHostProgram(folder_, Arguments(request, output));
    EXPECT_EQ(outcome.status, status) << outcome.err;
    return ReadFile(output);
  }

  // The next request hands over every order left, and nothing is left after it.
  void ExpectTheNextRequestReturnsAll(const std::set<std::string>& marked_before) const {
    const std::string response = RunToEnd("narrow.xml", Path("next.xml"));
    EXPECT_EQ(StatusOf(response), "0") << response;
    const std::set<std::string> returned = AsSet(OrdersOf(response));
    EXPECT_FALSE(returned.empty());
    std::set<std::string> expected = marked_before;
    expected.insert(returned.begin(), returned.end());
    EXPECT_EQ(Marked(), expected);
    EXPECT_TRUE(OrdersOf(RunToEnd("narrow.xml", Path("after.xml"))).empty());
  }

 private:
  TempFolder folder_;
  gateway::testing::ScopedEnv registry_{"GATEWAY_REGISTRY", folder_.Path("root/registry.ini")};
  std::unique_ptr<gateway::testing::ScopedEnv> sanitizer_;
  std::unique_ptr<gateway::testing_data::PgScratchDatabase> server_;
  bool generated_ = false;
};

class HandOverTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
  }
};

// Hosts at once, through every driver and on a database server too.
class HandOverAtOnceTest : public HandOverTest {};

TEST_P(HandOverAtOnceTest, HostsRunningAtOnceHandEveryOrderOverExactlyOnce) {
  const HandOverRoot root(400, GetParam());
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  constexpr int kHosts = 4;
  std::vector<std::unique_ptr<HostProcess>> hosts;
  for (int i = 0; i < kHosts; ++i) {
    const std::string n = std::to_string(i);
    hosts.push_back(
        std::make_unique<HostProcess>(root.Arguments("narrow.xml", root.Path("r" + n + ".xml")),
                                      HostProcess::Output{}, root.Path("err" + n)));
  }
  std::map<std::string, int> responses_per_order;
  for (int i = 0; i < kHosts; ++i) {
    const std::string n = std::to_string(i);
    const int status = hosts[static_cast<size_t>(i)]->Wait();
    const std::string response = ReadFile(root.Path("r" + n + ".xml"));
    // Each got the lock in time, or says clearly that it did not (and exits
    // with 3, for a response that reports a failure).
    if (StatusOf(response) == "0") {
      EXPECT_EQ(status, 0) << ReadFile(root.Path("err" + n));
    } else {
      EXPECT_EQ(status, 3) << ReadFile(root.Path("err" + n));
      EXPECT_NE(response.find("locked"), std::string::npos) << response;
      EXPECT_TRUE(OrdersOf(response).empty()) << response;
    }
    for (const std::string& order : AsSet(OrdersOf(response))) ++responses_per_order[order];
  }
  ASSERT_FALSE(responses_per_order.empty());
  std::set<std::string> returned;
  for (const auto& [order, responses] : responses_per_order) {
    EXPECT_EQ(responses, 1) << order << " is in " << responses << " responses";
    EXPECT_EQ(marked_before.count(order), 0u) << order;
    returned.insert(order);
  }
  // Every order in a response is marked, and every order marked is in one.
  std::set<std::string> expected = marked_before;
  expected.insert(returned.begin(), returned.end());
  EXPECT_EQ(root.Marked(), expected);
  // Nothing eligible was left behind.
  EXPECT_TRUE(OrdersOf(root.RunToEnd("narrow.xml", root.Path("after.xml"))).empty());
}

TEST_P(HandOverTest, ALockHeldTooLongIsAClearErrorAndMarksNothing) {
  const HandOverRoot root(40, GetParam(), ";Connect Timeout=1");
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  // Another program holds the factory database's write lock.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open_v2(root.Factory().c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string response = root.RunToEnd("narrow.xml", root.Path("locked.xml"), 3);
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);

  EXPECT_NE(response.find("<Error>Cannot begin the hand-over"), std::string::npos) << response;
  EXPECT_NE(response.find("ERP_F01.db"), std::string::npos) << response;
  EXPECT_NE(response.find("locked"), std::string::npos) << response;
  EXPECT_EQ(StatusOf(response), "-1");
  EXPECT_TRUE(OrdersOf(response).empty()) << response;
  EXPECT_EQ(root.Marked(), marked_before);
  root.ExpectTheNextRequestReturnsAll(marked_before);
}

INSTANTIATE_TEST_SUITE_P(Drivers, HandOverAtOnceTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc,
                                           DriverKind::kPostgres),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return gateway::testing_data::DriverName(param.param);
                         });
INSTANTIATE_TEST_SUITE_P(Drivers, HandOverTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return gateway::testing_data::DriverName(param.param);
                         });

class HostFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
  }
};

// Waits until `done` holds, for at most ten seconds.
template <class Condition>
bool WaitFor(Condition done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST_F(HostFailureTest, AHostKilledInTheMiddleHandsNothingOver) {
  struct Case {
    const char* name;
    bool while_marking;  // else: while it writes the response
  };
  for (const Case c : {Case{"while marking", true}, Case{"while writing the response", false}}) {
    SCOPED_TRACE(c.name);
    const HandOverRoot root(2000, DriverKind::kSqlite);
    ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
    const std::set<std::string> marked_before = root.Marked();
    const std::string journal = root.Factory() + "-journal";
    std::unique_ptr<HostProcess> host;
    if (c.while_marking) {
      // Every marking statement now takes a while: the host is still marking
      // when the journal of its first change appears.
      gateway::testing_data::RunSqlite(
          root.Factory(),
          "create table Slow (x integer);"
          "insert into Slow with recursive n(x) as (select 1 union all select x + 1 from n"
          " where x < 200) select x from n;"
          "create trigger SlowMarking after update of TC035 on PURTC begin"
          " select count(*) from Slow a, Slow b, Slow c where a.x + b.x + c.x < 0; end;");
      host = std::make_unique<HostProcess>(root.Arguments("narrow.xml", root.Path("out.xml")),
                                           HostProcess::Output{}, root.Path("host.err"));
      ASSERT_TRUE(WaitFor([&] { return fs::exists(journal); }));
    } else {
      // The response (over 200 KB) fills the pipe nobody reads: the host has
      // marked everything and waits in its write, before any commit.
      host = std::make_unique<HostProcess>(root.Arguments("narrow.xml"),
                                           HostProcess::Output{"", true}, root.Path("host.err"));
      char first[64];
      ASSERT_GT(::read(host->Pipe(), first, sizeof first), 0);
    }
    host->Kill();
    EXPECT_EQ(host->Wait(), -1);
    host.reset();
    EXPECT_EQ(root.Marked(), marked_before);
    // What a crash before the commit leaves: no response, at most its
    // unfinished temporary file.
    EXPECT_FALSE(fs::exists(root.Path("out.xml")));
    for (const auto& entry : fs::directory_iterator(root.Path(""))) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("out.xml.", 0) == 0) {
        EXPECT_TRUE(name.ends_with(".tmp")) << name;
        EXPECT_EQ(fs::file_size(entry.path()), 0u) << name;
      }
    }
    if (c.while_marking)
      gateway::testing_data::RunSqlite(root.Factory(), "drop trigger SlowMarking");
    root.ExpectTheNextRequestReturnsAll(marked_before);
  }
}

TEST_F(HostFailureTest, AResponseThatCannotBeStoredHandsNothingOverAndKeepsTheOldOne) {
  // The sizes below hold for the demo root of 2,000 orders of 5 lines (seed
  // 1) and the twenty-column request: its response is about 1.1 MB; marking
  // it writes a rollback journal of under 0.6 MB; the factory database is
  // 3.5 MB, and the commit writes pages beyond 2 MB of it.
  struct Case {
    const char* name;
    bool to_file;      // --output FILE, else standard output
    std::string file;  // --output, when not the root's own file
    rlim_t file_size;
    bool pipe_closed;  // standard output is a pipe whose reader has gone
    const char* message;
  };
  const Case cases[] = {
      {"a full device", true, "/dev/full", RLIM_INFINITY, false,
       "cannot write '/dev/full': No space left on device"},
      {"a file size limit below the response", true, "", 850 * 1024, false, "File too large"},
      {"a file size limit that fails the commit", true, "", 2048 * 1024, false,
       "the response was not delivered: The hand-over could not be committed, so no order was "
       "marked"},
      {"a pipe nobody reads", false, "", RLIM_INFINITY, true,
       "cannot write standard output: Broken pipe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HandOverRoot root(2000, DriverKind::kSqlite);
    ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
    const std::set<std::string> marked_before = root.Marked();
    const std::string previous = root.Path("out/response.xml");
    WriteFile(previous, "<Service>the previous response</Service>");
    const std::string output = !c.to_file ? "" : c.file.empty() ? previous : c.file;
    HostProcess host(root.Arguments("wide.xml", output),
                     HostProcess::Output{"", !c.to_file, c.file_size}, root.Path("host.err"));
    if (c.pipe_closed) host.ClosePipe();
    EXPECT_EQ(host.Wait(), 1);
    const std::string error = ReadFile(root.Path("host.err"));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    // The old response is whole, and no temporary file is left beside it.
    EXPECT_EQ(ReadFile(previous), "<Service>the previous response</Service>");
    EXPECT_EQ(std::distance(fs::directory_iterator(root.Path("out")), fs::directory_iterator()), 1);
    EXPECT_EQ(root.Marked(), marked_before);
    root.ExpectTheNextRequestReturnsAll(marked_before);
  }
}

// A dry run through every driver and on a database server too.
class DryRunTest : public HandOverTest {};

TEST_P(DryRunTest, WritesTheRowsAndMarksNothing) {
  const HandOverRoot root(40, GetParam());
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  const std::string dry_line =
      "gatewayhost: request '" + root.Path("narrow.xml") + "': dry run: nothing was handed over\n";
  const std::string mark = std::string(kDryRunMark) + "\n";

  // One request, its response on standard output.
  std::vector<std::string> arguments = root.Arguments("narrow.xml");
  arguments.insert(arguments.begin(), "--dry-run");
  const Outcome alone = root.Run(arguments);
  EXPECT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(alone.err, dry_line);
  const std::vector<std::string> shown = OrdersOf(alone.out);
  ASSERT_FALSE(shown.empty()) << alone.out;
  EXPECT_TRUE(alone.out.ends_with("</Service>\n" + mark)) << alone.out;
  // The mark is no element: a reader of the response finds what it always did.
  const ResponseContent content = ReadResponse(alone.out, ";");
  EXPECT_TRUE(content.Succeeded());
  ASSERT_EQ(content.parts.size(), 1u);
  EXPECT_EQ(content.parts[0].table.rows.size(), shown.size());
  EXPECT_EQ(root.Marked(), marked_before);

  // Several requests through one operator into a folder: each abandoned
  // hand-over leaves the same orders for the next request.
  const Outcome several =
      root.Run({"--library", root.Root() + "/Bin/PurchaseOrder.so", "--dry-run", "--output-dir",
                root.Path("out"), root.Path("narrow.xml"), root.Path("narrow.xml")});
  EXPECT_EQ(several.status, 0) << several.err;
  EXPECT_EQ(several.err, dry_line + dry_line);
  for (const char* name : {"out/response-1.xml", "out/response-2.xml"}) {
    const std::string response = ReadFile(root.Path(name));
    EXPECT_EQ(OrdersOf(response), shown) << name;
    EXPECT_TRUE(response.ends_with(mark)) << name;
  }
  EXPECT_EQ(root.Marked(), marked_before);

  // Without --dry-run the same orders are handed over, and the response is
  // not marked as a dry run.
  const std::string handed_over = root.RunToEnd("narrow.xml", root.Path("real.xml"));
  EXPECT_EQ(OrdersOf(handed_over), shown);
  EXPECT_EQ(handed_over.find(kDryRunMark), std::string::npos);
  std::set<std::string> expected = marked_before;
  expected.insert(shown.begin(), shown.end());
  EXPECT_EQ(root.Marked(), expected);
}

TEST_P(DryRunTest, HoldsNoLockWhileItWritesTheResponse) {
  // A dry run piped into a pager nobody scrolls must not keep the real
  // hand-overs waiting: its hand-over ends as soon as the response is read.
  const HandOverRoot root(200, GetParam());
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  std::vector<std::string> arguments = root.Arguments("wide.xml");
  arguments.push_back("--dry-run");
  // The response (over 100 KB) fills the pipe: the host waits in its write.
  HostProcess dry_run(arguments, HostProcess::Output{"", true}, root.Path("dry.err"));
  std::string shown(64, '\0');
  const ssize_t first = ::read(dry_run.Pipe(), shown.data(), shown.size());
  ASSERT_GT(first, 0);
  shown.resize(static_cast<size_t>(first));

  // Meanwhile a real hand-over gets the lock and the orders the dry run shows.
  const std::string handed_over = root.RunToEnd("narrow.xml", root.Path("real.xml"));

  char buffer[65536];
  for (ssize_t count; (count = ::read(dry_run.Pipe(), buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<size_t>(count));
  EXPECT_EQ(dry_run.Wait(), 0) << ReadFile(root.Path("dry.err"));
  EXPECT_TRUE(shown.ends_with(std::string(kDryRunMark) + "\n"));
  const std::set<std::string> returned = AsSet(OrdersOf(handed_over));
  EXPECT_GT(returned.size(), 50u) << handed_over;
  EXPECT_EQ(AsSet(OrdersOf(shown)), returned);
  std::set<std::string> expected = marked_before;
  expected.insert(returned.begin(), returned.end());
  EXPECT_EQ(root.Marked(), expected);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DryRunTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc,
                                           DriverKind::kPostgres),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return gateway::testing_data::DriverName(param.param);
                         });

// A request of factory F01 with the given PropertyList and further elements.
std::string RequestWith(const std::string& columns, const std::string& elements) {
  std::string request = Request(columns);
  request.insert(request.rfind("</Request>"), elements);
  return request;
}

// Runs `request`, which must be refused with an Error holding `message`, no
// rows and nothing marked.
void ExpectRefused(const HandOverRoot& root, const std::string& request,
                   const std::string& message) {
  SCOPED_TRACE(request);
  WriteFile(root.Path("request.xml"), request);
  const std::set<std::string> marked_before = root.Marked();
  const std::string response = root.RunToEnd("request.xml", root.Path("refused.xml"), 3);
  EXPECT_NE(response.find("<Error>"), std::string::npos) << response;
  EXPECT_NE(response.find(message), std::string::npos) << response;
  EXPECT_EQ(StatusOf(response), "-1") << response;
  EXPECT_EQ(response.find("<Row"), std::string::npos) << response;
  EXPECT_EQ(root.Marked(), marked_before);
}

// What a response delivers is exactly what is marked: a request that could
// deliver rows without their true order keys, or whose fragments could leave
// their place in the statement, is refused and marks nothing.
class DeliveryTest : public HostFailureTest {};
// The same through every driver and on a database server too.
class DeliveryOnEveryDriverTest : public HandOverTest {};

TEST_P(DeliveryOnEveryDriverTest, ARequestThatCannotDeliverTheTrueOrderKeysIsRefused) {
  const HandOverRoot root(40, GetParam());
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  struct Case {
    const char* columns;
    const char* message;
  };
  const Case cases[] = {
      {"Object.TC001;Object.TC002;TD003", "order key TC001"},
      {"TC001;TC002+3 AS TC002;TD003", "order key TC002"},
      {"[TC001];TC002;TD003", "order key TC001"},
      {"TC001;TD003", "order key TC002"},
      {"TC001;TC001 AS TC002;TC002;TD003", "Another column of the response is named as the order "
                                           "key TC002"},
      {"TC001;TC001 tc002;TC002;TD003", "Another column of the response is named as the order key "
                                        "TC002"},
      {"TC001;TC002;Object.*", "columns for its 3 items"},
  };
  for (const Case& c : cases) {
    // Unordered: PostgreSQL would refuse to order by a name two columns bear.
    std::string request = Request(c.columns);
    const size_t order = request.find("<OrderList>");
    request.erase(order, request.find("</OrderList>") + 12 - order);
    ExpectRefused(root, request, c.message);
  }
  root.ExpectTheNextRequestReturnsAll(marked_before);
}

TEST_F(DeliveryTest, AnAgentRestrictionStaysInsideItsParentheses) {
  const HandOverRoot root(40, DriverKind::kSqlite);
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  for (const char* agent :
       {"exists(select 1 as [a']) ) union select name,substr(sql,1,60) from sqlite_master --')",
        "exists(select 1 as [a']) union select name, sql from sqlite_master where ('1'='1",
        "TC004 = \"a'\" union select name, sql from sqlite_master"}) {
    ExpectRefused(root,
                  RequestWith("TC001;TC002", std::string("<AgentOption>") + agent + "</AgentOption>"),
                  "The request's AgentOption");
  }
  // A restriction with a sub-query, a bracketed name and literals works, and
  // hands over what it returns.
  WriteFile(root.Path("agent.xml"),
            RequestWith("TC001;TC002;TD003",
                        "<AgentOption>TC004 in (select MA001 from $$PURMA where [MA001] &lt;&gt; "
                        "'x'')' union select MA001 from $$PURMA where MA001 = '[a''')</AgentOption>"));
  const std::string response = root.RunToEnd("agent.xml", root.Path("agent-response.xml"));
  const std::set<std::string> returned = AsSet(OrdersOf(response));
  EXPECT_FALSE(returned.empty()) << response;
  std::set<std::string> expected = marked_before;
  expected.insert(returned.begin(), returned.end());
  EXPECT_EQ(root.Marked(), expected);
}

TEST_F(DeliveryTest, ThePrefixMarkerInsideALiteralIsData) {
  const HandOverRoot root(40, DriverKind::kSqlite);
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  // Every order number now holds "$$", as a legacy numbering might.
  gateway::testing_data::RunSqlite(root.Factory(),
                                   "update PURTD set TD002 = 'A$$' || TD002;"
                                   "update PURTC set TC002 = 'A$$' || TC002;");
  const std::set<std::string> marked_before = root.Marked();
  WriteFile(root.Path("dollars.xml"),
            "<Request><Seperator>;</Seperator><Factory>F01</Factory>"
            "<PropertyList>TC001;TC002;TD003</PropertyList><Condition Type=\"and\">"
            "<Property Name=\"TC035\" Type=\"=\" Value=\"N\"/>"
            "<Property Name=\"TC002\" Type=\"like\" Value=\"A$$%\"/></Condition></Request>");
  const std::string response = root.RunToEnd("dollars.xml", root.Path("dollars-response.xml"));
  const std::set<std::string> returned = AsSet(OrdersOf(response));
  EXPECT_FALSE(returned.empty()) << response;
  for (const std::string& order : returned) EXPECT_NE(order.find("-A$$"), std::string::npos);
  std::set<std::string> expected = marked_before;
  expected.insert(returned.begin(), returned.end());
  EXPECT_EQ(root.Marked(), expected);
  // Marked as delivered: no request returns them again.
  EXPECT_TRUE(OrdersOf(root.RunToEnd("narrow.xml", root.Path("after.xml"))).empty());
}

TEST_F(DeliveryTest, AFailedStatementSaysWhatTheDatabaseSaid) {
  const HandOverRoot root(40, DriverKind::kSqlite, ";Connect Timeout=1;Command Timeout=1");
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  // A column that does not exist.
  ExpectRefused(root, Request("TC001;TC002;NOPE"),
                "<Error>Cannot perform this operation on a closed dataset: ");
  ExpectRefused(root, Request("TC001;TC002;NOPE"), "no such column: NOPE");
  // A statement that runs longer than the command timeout.
  ExpectRefused(root,
                RequestWith("TC001;TC002", "<AgentOption>(select count(*) from $$PURTD a, $$PURTD b, "
                                           "$$PURTD c, $$PURTD d) &gt; 0</AgentOption>"),
                "command timeout of 1 seconds");
  // The company database locked by another program: the message names that
  // file, not the main one.
  {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open_v2(root.Factory().c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    ExpectRefused(root, Request("TC001;TC002"),
                  "the SQLite database file '" + root.Factory() + "' is locked by another");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    const std::string response = ReadFile(root.Path("refused.xml"));
    EXPECT_EQ(response.find("erp.db"), std::string::npos) << response;
  }
  // The company database file gone.
  fs::rename(root.Factory(), root.Path("away.db"));
  const std::string missing = root.RunToEnd("narrow.xml", root.Path("missing.xml"), 3);
  fs::rename(root.Path("away.db"), root.Factory());
  EXPECT_NE(missing.find("the file '" + root.Factory() + "' does not exist"), std::string::npos)
      << missing;
  EXPECT_EQ(StatusOf(missing), "-1");
  EXPECT_EQ(root.Marked(), marked_before);
  root.ExpectTheNextRequestReturnsAll(marked_before);
}

TEST_F(DeliveryTest, AValueAResponseCannotCarryNamesItsOrderAndColumn) {
  const HandOverRoot root(40, DriverKind::kSqlite);
  ASSERT_TRUE(root.Generated()) << ReadFile(root.Path("generator.out"));
  const std::set<std::string> marked_before = root.Marked();
  // The first line of the first order the request returns.
  const std::string first_line =
      "(select PURTD.rowid from PURTD join PURTC on TC001 = TD001 and TC002 = TD002"
      " join PURMA on TC004 = MA001 where MA069 = 'Y' and TD018 = 'Y' and TC035 = 'N'"
      " order by TD001, TD002, TD003 limit 1)";
  const std::vector<std::string> order = SqliteColumn(
      root.Factory(),
      "select TD001 || '|' || TD002 || '|' || TD003 from PURTD where rowid = " + first_line);
  ASSERT_EQ(order.size(), 1u);
  const std::string tc001 = order[0].substr(0, order[0].find('|'));
  const std::string tc002 = order[0].substr(tc001.size() + 1, order[0].rfind('|') - tc001.size() - 1);
  const std::string td003 = order[0].substr(order[0].rfind('|') + 1);
  struct Case {
    const char* name;
    const char* value;  // SQL for the bad value of TD004
    const char* what;
  };
  const Case cases[] = {
      {"a control character", "'box' || char(1)", "a control character"},
      // GB2312 bytes of a legacy code page, not UTF-8.
      {"bytes that are not UTF-8", "cast(x'B2E2CAD4' as text)", "not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gateway::testing_data::RunSqlite(root.Factory(), std::string("update PURTD set TD004 = ") +
                                                          c.value + " where rowid = " + first_line);
    ExpectRefused(root, Request("TC001;TC002;TD003;TD004"), c.what);
    const std::string response = ReadFile(root.Path("refused.xml"));
    for (const std::string& part :
         {"TC001 '" + tc001 + "'", "TC002 '" + tc002 + "'", "TD003 '" + td003 + "'",
          std::string("column TD004")}) {
      EXPECT_NE(response.find(part), std::string::npos) << part << "\n" << response;
    }
  }
  gateway::testing_data::RunSqlite(root.Factory(),
                                   "update PURTD set TD004 = 'repaired' where rowid = " + first_line);
  root.ExpectTheNextRequestReturnsAll(marked_before);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DeliveryOnEveryDriverTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc,
                                           DriverKind::kPostgres),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return gateway::testing_data::DriverName(param.param);
                         });

}  // namespace
}  // namespace gateway::host
