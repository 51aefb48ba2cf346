// The demo generator: the gateway root it makes (configuration, registry file,
// metadata, module, the ERP databases of the main company and its factories),
// the data the purchase-order statement needs, determinism from the seed, and
// the example requests shipped beside it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "business/PurchaseOrderBusiness.h"
#include "config/ConfigTestSupport.h"
#include "config/GatewayConfigU.h"
#include "data/Connection.h"
#include "data/PgTestServer.h"
#include "data/Query.h"
#include "demo/DemoGeneratorPath.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlDom.h"

namespace gateway {
namespace {

namespace fs = std::filesystem;
using testing::kDemoGenerator;
using testing::ReadFile;
using testing::TempFolder;


constexpr int kOrders = 40;
constexpr int kLinesPerOrder = 3;

struct GeneratorRun {
  int status;
  std::string output;  // standard output and error
};

GeneratorRun RunGenerator(const std::string& arguments) {
  const std::string command = std::string(kDemoGenerator) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, "cannot start " + command};
  GeneratorRun run{0, ""};
  char buffer[4096];
  size_t read;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Generates a root of kOrders orders of kLinesPerOrder lines; the generator's
// output when it fails, else nothing.
std::string Generate(const std::string& root, int seed, const std::string& extra = "") {
  const GeneratorRun run = RunGenerator("--root " + root + " --orders " + std::to_string(kOrders) +
                                        " --lines-per-order " + std::to_string(kLinesPerOrder) +
                                        " --seed " + std::to_string(seed) + extra);
  return run.status == 0 ? "" : run.output;
}

// Rows of a statement run on a database file with SQLite itself, each value
// as text ("NULL" for null).
std::vector<std::vector<std::string>> Rows(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::vector<std::vector<std::string>> rows;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << file;
  } else {
    char* error = nullptr;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* into, int count, char** values, char**) {
          std::vector<std::string> row;
          for (int i = 0; i < count; ++i) row.emplace_back(values[i] ? values[i] : "NULL");
          static_cast<std::vector<std::vector<std::string>>*>(into)->push_back(row);
          return 0;
        },
        &rows, &error);
    if (error != nullptr) ADD_FAILURE() << error << " in " << sql;
    sqlite3_free(error);
  }
  sqlite3_close(db);
  return rows;
}

int Count(const std::string& file, const std::string& sql) {
  const auto rows = Rows(file, sql);
  return rows.empty() ? -1 : std::stoi(rows[0][0]);
}

const std::vector<std::string> kErpTables = {"CMSMB", "CMSMC", "CMSMF", "CMSMV",
                                             "CMSNA", "PURMA", "PURTC", "PURTD"};

// One database of the demo root: the main one (no factory) or a factory's.
struct Site {
  const char* factory;  // "" for the main database
  const char* file;
};
const Site kSites[] = {{"", "erp.db"}, {"F01", "ERP_F01.db"}, {"F02", "ERP_F02.db"}};

// A connection with one query on it (declared after it, so it ends first).
struct Selection {
  explicit Selection(const std::string& root) : connection(root) {}
  Connection connection;
  Query query;
};

// One root of 40 orders of 3 lines (seed 7) for the whole suite: generating
// is the slow part, and no test changes the root.
class DemoRootTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempFolder>();
    if (kDemoGenerator != nullptr) {
      failure_ = Generate(Root(), 7, " --module " + std::string(GATEWAY_MODULE_PATH));
    }
  }
  static void TearDownTestSuite() { folder_.reset(); }
  void SetUp() override {
    if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
    ASSERT_EQ(failure_, "");
  }

  static std::string Root() { return folder_->Path("root"); }
  static std::string File(const std::string& name) { return Root() + "/" + name; }

  // The base statement for a factory ("" for the main database) inside
  // `outer` (its "%s"), run through the data layer as the data controller
  // runs it: the connection string of the root's GatewayConfig.ini, the
  // factory's database looked up in KVTMB, "$$" replaced by the prefix with
  // which the connection attaches that database.
  static std::unique_ptr<Selection> Select(const std::string& factory,
                                           const std::string& outer = "%s") {
    TGatewayConfig config;
    config.LoadFromFile(File("GatewayConfig.ini"));
    auto selection = std::make_unique<Selection>(Root());
    selection->connection.SetConnectionString(config.Provider);
    selection->query.SetConnection(&selection->connection);
    std::string prefix;
    if (!factory.empty()) {
      selection->query.SetSQL("select MB003 from KVTMB where MB001='" + factory + "'");
      selection->query.Open();
      prefix =
          selection->connection.DatabasePrefix(selection->query.FieldByName("MB003").AsString());
      selection->query.Close();
    }
    const std::string inner = ReplaceAll(TPurchaseOrderGetData::BaseStatement(), "$$", prefix);
    selection->query.SetSQL(ReplaceAll(outer, "%s", inner));
    selection->query.Open();
    return selection;
  }

  static std::unique_ptr<TempFolder> folder_;
  static std::string failure_;
};

std::unique_ptr<TempFolder> DemoRootTest::folder_;
std::string DemoRootTest::failure_;

std::set<std::string> FieldNames(const Query& query) {
  std::set<std::string> names;
  for (int i = 0; i < query.FieldCount(); ++i) names.insert(query.Fields(i).FieldName());
  return names;
}

// The metadata's Property elements as attribute maps.
std::vector<std::map<std::string, std::string>> MetadataProperties(const XmlDocument& metadata) {
  std::vector<std::map<std::string, std::string>> properties;
  for (const XmlNode& node : metadata.DocumentElement().SelectNodes("//*/PropertyList/Property")) {
    std::map<std::string, std::string> attributes;
    for (const auto& [name, value] : node.Attributes()) attributes[name] = value;
    properties.push_back(attributes);
  }
  return properties;
}

XmlDocument LoadFile(const std::string& path) {
  XmlDocument document;
  EXPECT_TRUE(document.LoadXml(ReadFile(path))) << path;
  return document;
}

TEST_F(DemoRootTest, TheRootHoldsConfigurationRegistryMetadataAndModule) {
  EXPECT_EQ(ReadFile(File("GatewayConfig.ini")),
            "[Options]\nKeepLog=1\nAutoTrunc=1\n"
            "[Connection]\nProvider=Provider=SQLite;Data Source=erp.db\n");
  TGatewayConfig config;
  config.LoadFromFile(File("GatewayConfig.ini"));
  EXPECT_TRUE(config.KeepLog);
  EXPECT_TRUE(config.AutoTrunc);
  EXPECT_EQ(config.Provider, "Provider=SQLite;Data Source=erp.db");
  EXPECT_EQ(ReadFile(File("registry.ini")),
            "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" +
                fs::canonical(Root()).string() + "\n");
  EXPECT_TRUE(ReadFile(File("Bin/PurchaseOrder.so")) == ReadFile(GATEWAY_MODULE_PATH));
  const XmlDocument metadata = LoadFile(File("Obj/PurchaseOrder.xml"));
  const XmlNode object = metadata.DocumentElement();
  ASSERT_FALSE(object.IsNull());
  EXPECT_EQ(object.Attribute("ID"), "PurchaseOrder");
  EXPECT_NE(object.Attribute("Name").value_or(""), "");
  EXPECT_NE(object.Attribute("Desc").value_or(""), "");
  const XmlNode help = object.SelectSingleNode("HelpInfo");
  ASSERT_FALSE(help.IsNull());
  EXPECT_NE(help.Text().find("TC035"), std::string::npos) << help.Text();
}

TEST_F(DemoRootTest, EveryDatabaseHoldsTheErpTablesAndOnlyTheMainOneTheCompanyTable) {
  for (const Site& site : kSites) {
    SCOPED_TRACE(site.file);
    std::vector<std::string> expected = kErpTables;
    if (site.factory[0] == '\0') expected.insert(expected.begin() + 5, "KVTMB");
    std::vector<std::string> tables;
    for (const auto& row :
         Rows(File(site.file), "select name from sqlite_master where type='table' order by name")) {
      tables.push_back(row[0]);
    }
    EXPECT_EQ(tables, expected);
    EXPECT_EQ(Count(File(site.file), "select count(*) from PURTC"), kOrders);
    EXPECT_EQ(Count(File(site.file), "select count(*) from PURTD"), kOrders * kLinesPerOrder);
    for (const char* table : {"PURMA", "CMSMF", "CMSMV", "CMSMB", "CMSNA", "CMSMC"}) {
      EXPECT_GT(Count(File(site.file), std::string("select count(*) from ") + table), 0) << table;
    }
  }
  // The company table names the two factories and their databases (files checked above).
  const auto companies = Rows(File("erp.db"), "select MB001, MB003 from KVTMB order by MB001");
  ASSERT_EQ(companies.size(), 2u);
  EXPECT_EQ(companies[0], (std::vector<std::string>{"F01", "ERP_F01"}));
  EXPECT_EQ(companies[1], (std::vector<std::string>{"F02", "ERP_F02"}));
}

TEST_F(DemoRootTest, TheDataHoldsWhatTheStatementMustLeaveOutAndEveryReferenceResolves) {
  for (const Site& site : kSites) {
    SCOPED_TRACE(site.file);
    const std::string db = File(site.file);
    EXPECT_GT(Count(db, "select count(*) from PURTC where TC035='Y'"), 0);
    EXPECT_GT(Count(db, "select count(*) from PURTC where TC035='N'"), 0);
    EXPECT_GT(Count(db, "select count(*) from PURTD where TD018='N'"), 0);
    EXPECT_GT(Count(db, "select count(*) from PURTC join PURMA on TC004=MA001 where MA069='N'"), 0);
    // Every order has its lines, and every code names a master record.
    EXPECT_EQ(Count(db,
                    "select count(*) from PURTC where (select count(*) from PURTD where "
                    "TD001=TC001 and TD002=TC002) <> " +
                        std::to_string(kLinesPerOrder)),
              0);
    const char* dangling[] = {
        "select count(*) from PURTC where TC004 not in (select MA001 from PURMA)",
        "select count(*) from PURTC where TC005 not in (select MF001 from CMSMF)",
        "select count(*) from PURTC where TC011 not in (select MV001 from CMSMV)",
        "select count(*) from PURTC where TC010 not in (select MB001 from CMSMB)",
        "select count(*) from PURTC where TC027 not in (select NA002 from CMSNA where NA001='1')",
        "select count(*) from PURTD where TD007 not in (select MC001 from CMSMC)",
        "select count(*) from PURTC where TC018 not in ('1','2','3','4','9')",
    };
    for (const char* sql : dangling) EXPECT_EQ(Count(db, sql), 0) << sql;
    // Dates are the ERP's 8-digit texts; audit times are "YYYY-MM-DD hh:mm:ss".
    EXPECT_EQ(Count(db,
                    "select count(*) from PURTC where TC003 not glob "
                    "'20[0-9][0-9][01][0-9][0-3][0-9]' or CREATE_DATE not glob "
                    "'20[0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'"),
              0);
  }
  // The customs manual number belongs to the bonded factory F02 only.
  EXPECT_GT(Count(File("ERP_F02.db"), "select count(*) from PURTC where TC036 <> ''"), 0);
  EXPECT_EQ(Count(File("ERP_F01.db"), "select count(*) from PURTC where TC036 <> ''"), 0);
}

TEST_F(DemoRootTest, TheBaseStatementReturnsTheConfirmedLinesOfApprovedSuppliers) {
  const std::string approved_confirmed =
      "select count(*) from PURTD join PURTC on TD001=TC001 and TD002=TC002 "
      "join PURMA on TC004=MA001 where MA069='Y' and TD018='Y'";
  for (const Site& site : kSites) {
    SCOPED_TRACE(site.file);
    const auto all = Select(site.factory);
    const int expected = Count(File(site.file), approved_confirmed);
    EXPECT_EQ(all->query.RecordCount(), expected);
    EXPECT_GT(expected, 0);
    EXPECT_LT(expected, kOrders * kLinesPerOrder);
    const std::map<std::string, std::string> labels = {{"1", "1.应税内含"},
                                                       {"2", "2.应税外加"},
                                                       {"3", "3.零税率"},
                                                       {"4", "4.免税"},
                                                       {"9", "9.不计税"}};
    for (all->query.First(); !all->query.Eof(); all->query.Next()) {
      ASSERT_EQ(all->query.FieldByName("TD018").AsString(), "Y");
      ASSERT_EQ(all->query.FieldByName("COMPANY").AsString(),
                site.factory[0] ? site.factory : "HQ");
      ASSERT_EQ(all->query.FieldByName("TC018C").AsString(),
                labels.at(all->query.FieldByName("TC018").AsString()));
      ASSERT_FALSE(all->query.FieldByName("MA002").IsNull());
      ASSERT_FALSE(all->query.FieldByName("NA003").IsNull());
    }
    // As the operator wraps it for a request that asks for new orders only.
    const auto fresh = Select(
        site.factory, "select distinct * from (%s) as Object where ((TC035 = 'N')) and ((1=1)) ");
    EXPECT_EQ(fresh->query.RecordCount(),
              Count(File(site.file), approved_confirmed + " and TC035='N'"));
    EXPECT_GT(fresh->query.RecordCount(), 0);
    EXPECT_LT(fresh->query.RecordCount(), expected);
  }
}

TEST_F(DemoRootTest, TheMetadataDescribesExactlyTheColumnsOfTheStatement) {
  const std::set<std::string> columns = FieldNames(Select("F02")->query);
  const auto properties = MetadataProperties(LoadFile(File("Obj/PurchaseOrder.xml")));
  std::set<std::string> fields, keys, companies;
  for (const auto& property : properties) {
    const std::string id = property.count("ID") ? property.at("ID") : "";
    SCOPED_TRACE(id);
    EXPECT_EQ(property.count("Field") ? property.at("Field") : "", id);
    EXPECT_TRUE(fields.insert(id).second) << "listed twice";
    EXPECT_NE(property.count("Name") ? property.at("Name") : "", "");
    EXPECT_NE(property.count("Desc") ? property.at("Desc") : "", "");
    const std::string type = property.count("Type") ? property.at("Type") : "";
    EXPECT_TRUE(type == "C" || type == "N" || type == "D") << type;
    EXPECT_GT(std::stoi(property.count("Size") ? property.at("Size") : "0"), 0);
    if (property.count("IsKey") && property.at("IsKey") == "Y") keys.insert(id);
    if (property.count("Company")) companies.insert(id + "@" + property.at("Company"));
  }
  EXPECT_EQ(fields, columns);
  EXPECT_EQ(keys, (std::set<std::string>{"TC001", "TC002"}));
  EXPECT_EQ(companies, (std::set<std::string>{"TC036@F02"}));
  std::map<std::string, std::string> value_lists;
  for (const auto& property : properties) {
    if (property.count("ValueList")) value_lists[property.at("ID")] = property.at("ValueList");
  }
  EXPECT_EQ(value_lists["TC018"], "1;2;3;4;9");
  EXPECT_EQ(value_lists["TC035"], "Y;N");
}

TEST_F(DemoRootTest, TheExampleRequestsNameRealFactoriesAndColumns) {
  const fs::path requests =
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo/requests";
  EXPECT_FALSE(LoadFile((requests / "help.xml").string()).DocumentElement().IsNull());
  const std::set<std::string> columns = FieldNames(Select("F01")->query);
  for (const char* name : {"getdata.xml", "getdata-agent.xml"}) {
    SCOPED_TRACE(name);
    const XmlNode request = LoadFile((requests / name).string()).DocumentElement();
    ASSERT_FALSE(request.IsNull());
    const std::string separator = request.SelectSingleNode("Seperator").Text();
    const std::string factory = request.SelectSingleNode("Factory").Text();
    EXPECT_EQ(Count(File("erp.db"), "select count(*) from KVTMB where MB001='" + factory + "'"), 1);
    std::vector<std::string> named;
    SplitToList(request.SelectSingleNode("PropertyList").Text(), separator, named);
    for (const XmlNode& property : request.SelectNodes(".//Property")) {
      named.push_back(property.Attribute("Name").value_or(""));
    }
    std::vector<std::string> order;
    SplitToList(request.SelectSingleNode("OrderList").Text(), separator, order);
    for (const std::string& item : order) named.push_back(item.substr(0, item.find(' ')));
    for (const std::string& column : named) EXPECT_EQ(columns.count(column), 1u) << column;
    EXPECT_GE(named.size(), 5u);
  }
}

// The host's response to a request on a root, run as a gateway runs it. In a
// sanitizer build the host skips the leak check: the ODBC driver manager and
// the PostgreSQL driver keep memory they never free.
std::string HostResponse(const std::string& root, const std::string& request) {
  const char* options = std::getenv("ASAN_OPTIONS");
  const std::string command = "ASAN_OPTIONS='" + std::string(options != nullptr ? options : "") +
                              ":detect_leaks=0' GATEWAY_REGISTRY='" + root + "/registry.ini' '" +
                              GATEWAY_HOST_PATH + "' --library '" + root +
                              "/Bin/PurchaseOrder.so' '" + request + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot start " + command;
  std::string output;
  char buffer[4096];
  size_t read;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
  ::pclose(pipe);
  return output;
}

// The same seed written into a PostgreSQL database (the main company in its
// default schema, each factory in a schema of its own) answers the example
// requests with the very bytes an SQLite root of that seed answers.
TEST_F(DemoRootTest, OnADatabaseServerTheSameDataGivesTheSameResponses) {
  if (testing_data::PostgresSkipped()) GTEST_SKIP() << "GATEWAY_SKIP_POSTGRES=1";
  testing_data::PgScratchDatabase database;
  const std::string module = " --module " + std::string(GATEWAY_MODULE_PATH);
  // Roots of their own: a request marks what it returns.
  const std::string on_server = folder_->Path("server");
  const std::string in_files = folder_->Path("files");
  ASSERT_EQ(Generate(on_server, 7, module + " --odbc '" + database.OdbcString() + "'"), "");
  ASSERT_EQ(Generate(in_files, 7, module), "");
  EXPECT_NE(ReadFile(on_server + "/GatewayConfig.ini").find("Provider=MSDASQL;Driver="),
            std::string::npos);
  EXPECT_FALSE(fs::exists(on_server + "/erp.db"));
  const fs::path requests =
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo/requests";
  for (const char* name : {"getdata.xml", "getdata-agent.xml"}) {
    const std::string request = (requests / name).string();
    const std::string expected = HostResponse(in_files, request);
    EXPECT_NE(expected.find("<Row Data="), std::string::npos) << expected;
    EXPECT_EQ(HostResponse(on_server, request), expected) << name;
  }
}

// A second root generated with another seed differs; generated again over the
// same folder with the first seed it holds the very bytes of the first root.
TEST_F(DemoRootTest, TheSameSeedGivesTheSameBytesAndAnotherSeedOtherData) {
  const std::string other = folder_->Path("other");
  ASSERT_EQ(Generate(other, 8), "");
  const char* files[] = {"erp.db", "ERP_F01.db", "ERP_F02.db", "Obj/PurchaseOrder.xml",
                         "GatewayConfig.ini"};
  const std::string lines = "select * from PURTD order by TD001, TD002, TD003";
  EXPECT_NE(Rows(other + "/erp.db", lines), Rows(File("erp.db"), lines));
  EXPECT_NE(Rows(other + "/ERP_F01.db", lines), Rows(File("ERP_F01.db"), lines));
  ASSERT_EQ(Generate(other, 7), "");
  for (const char* file : files) {
    EXPECT_TRUE(ReadFile(other + "/" + file) == ReadFile(File(file))) << file;
  }
  // The databases of one root differ from each other all the same.
  EXPECT_NE(Rows(File("ERP_F01.db"), lines), Rows(File("ERP_F02.db"), lines));
}

TEST(DemoGenerator, BadArgumentsAreRefusedAndCreateNothing) {
  if (kDemoGenerator == nullptr) GTEST_SKIP() << "the demo generator is not part of this build";
  TempFolder folder;
  const std::string root = folder.Path("root");
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"", "--root DIR is required"},
      {"--root " + root + " --orders 0", "--orders needs a whole number from 1 to 1000000"},
      {"--root " + root + " --orders 12x", "not '12x'"},
      {"--root " + root + " --lines-per-order 10000", "--lines-per-order needs"},
      {"--root " + root + " --seed -1", "--seed needs"},
      {"--root " + root + " --colour blue", "unknown option: --colour"},
      {"--root " + root + " --orders", "missing value: --orders"},
      {"--root " + root + " --module " + folder.Path("none.so"), "none.so is not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const GeneratorRun run = RunGenerator(c.arguments);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(root));
  }
}

}  // namespace
}  // namespace gateway
