#include "business/PurchaseOrderBusiness.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "data/Connection.h"
#include "data/DataController.h"
#include "data/DataTestSupport.h"
#include "data/Query.h"
#include "data/TestDatabase.h"
#include "data/sqlite/SqliteTypes.h"
#include "gateway/IHandOver.h"
#include "pools/GlobleParams.h"

namespace gateway {
namespace {

using testing_data::DriverKind;
using testing_data::TestDatabase;
using Script = std::function<void(const std::string&)>;

// Every column of the purchase-order line table, so that the base statement's
// select list resolves.
std::string LineColumns() {
  std::string columns;
  for (int i = 1; i <= 47; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "TD%03d", i);
    columns += std::string(i > 1 ? ", " : "") + name + " varchar(20)";
  }
  return columns;
}

// The ERP tables the base statement reads, with three orders: two of order
// type `type` from an approved supplier (one with two lines, one whose number
// holds an apostrophe) and one from a supplier that may not be handed over.
void FillErpDatabase(const Script& run, const std::string& type) {
  run(
        "create table PURTC (TC001 varchar(4), TC002 varchar(11), TC003 datetime, TC004 varchar(10),"
        " TC005 varchar(4), TC010 varchar(10), TC011 varchar(10), TC018 char(1), TC019 text,"
        " TC027 varchar(6), TC035 char(1));"
        "create table PURTD (" + LineColumns() + ");"
        "create table PURMA (MA001 varchar(10), MA002 varchar(40), MA069 char(1));"
        "create table CMSMF (MF001 varchar(4), MF002 varchar(20));"
        "create table CMSMV (MV001 varchar(10), MV002 varchar(20));"
        "create table CMSMB (MB001 varchar(10), MB002 varchar(20));"
        "create table CMSNA (NA001 char(1), NA002 varchar(6), NA003 varchar(20));"
        "create table CMSMC (MC001 varchar(10), MC002 varchar(20));"
        "insert into PURMA values ('S1', '供应商一', 'Y'), ('S2', '供应商二', 'N');"
        "insert into CMSMF values ('RMB', '人民币');"
        "insert into PURTC values ('" + type + "', '001', '2024-01-05 09:30:00', 'S1', 'RMB', 'P1', 'E1',"
        " '1', 'note', 'T1', 'N');"
        "insert into PURTC values ('" + type + "', 'O''1', '2024-01-06 00:00:00', 'S1', 'RMB', 'P1', 'E1',"
        " '2', 'x', 'T1', 'N');"
        "insert into PURTC values ('3302', '003', '2024-01-07 00:00:00', 'S2', 'RMB', 'P1', 'E1',"
        " '3', 'y', 'T1', 'N');"
        "insert into PURTD (TD001, TD002, TD003, TD007, TD018) values"
        " ('" + type + "', '001', '0001', 'W1', 'Y'), ('" + type + "', '001', '0002', 'W1', 'Y'),"
        " ('" + type + "', 'O''1', '0001', 'W1', 'Y'), ('3302', '003', '0001', 'W1', 'Y');");
}

// A gateway root with a small ERP database: three orders, one of them with
// two lines, one from a supplier that may not be handed over. The database is
// an SQLite file read through the SQLite driver or ODBC, or a database on the
// PostgreSQL test server: every case runs on each, and expects the same.
class PurchaseOrderGetDataTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    if (GetParam() == DriverKind::kPostgres && testing_data::PostgresSkipped()) {
      GTEST_SKIP() << "GATEWAY_SKIP_POSTGRES=1";
    }
    database_ = std::make_unique<TestDatabase>(GetParam(), root_.Path("erp.db"), server_);
    testing::WriteFile(root_.Path("GatewayConfig.ini"),
                       "[Options]\nKeepLog=0\n[Connection]\nProvider=" +
                           database_->ConnectionString() + extra_items_ + "\n");
    testing::WriteFile(root_.Path("registry.ini"),
                       "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" +
                           root_.Path() + "\n");
    testing::WriteFile(
        root_.Path("Obj/PurchaseOrder.xml"),
        "<Object ID=\"PURTC\" Name=\"采购单\"><PropertyList>"
        "<Property ID=\"TC001\" Field=\"TC001\" Type=\"C\" IsKey=\"Y\"/>"
        "<Property ID=\"TC002\" Field=\"TC002\" Type=\"C\" IsKey=\"Y\"/>"
        "<Property ID=\"TC019\" Field=\"TC019\" Type=\"T\"/>"
        "</PropertyList></Object>");
    FillErpDatabase(Main(), "3301");
    StartupLibrary();
    business_ = std::make_unique<TPurchaseOrderBusiness>();
    business_->Initialize("");
    get_data_ = business_->GetOperaterList()->GetItem(0);
  }
  void TearDown() override {
    business_.reset();
    ShutdownLibrary();
  }

  std::string Run(const std::string& request) {
    get_data_->GetInputPool()->SetXML(request);
    get_data_->Execute();
    return get_data_->GetOutputPool()->GetXML();
  }

  Script Main() const {
    return [this](const std::string& script) { database_->Run(script); };
  }
  Script Company(const std::string& name) const {
    return [this, name](const std::string& script) { database_->RunInCompany(name, script); };
  }

  TPurchaseOrderGetData& Operater() {
    return *static_cast<TPurchaseOrderGetData*>(get_data_->GetObject());
  }

  std::string Marked() {
    TMyAdoQuery* query = GlobleParams().DataController()->QueryData(
        "select TC001 || '-' || TC002 || ':' || TC035 as M from PURTC order by TC001, TC002");
    std::string marks;
    for (; !query->Eof(); query->Next()) marks += query->Fields(0).AsString() + " ";
    query->Close();
    return marks;
  }

  // Orders marked as the database holds them committed: read through a
  // connection of its own, which sees no uncommitted mark.
  int CommittedMarks() {
    sqlite3* db = nullptr;
    sqlite3_open_v2(root_.Path("erp.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from PURTC where TC035 = 'Y'", -1, &statement, nullptr);
    const int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
  }

  // The confirm step of the "GetData" operator.
  IHandOver* AskHandOver() {
    void* found = nullptr;
    EXPECT_EQ(get_data_->QueryInterface(kIID_IHandOver, &found), kInterfaceOk);
    return static_cast<IHandOver*>(found);
  }

  // Set by fixtures that need them before SetUp: a server of their own, and
  // items added to the configured connection string.
  const testing_data::PgAddress* server_ = nullptr;
  std::string extra_items_;
  testing::TempFolder root_;
  std::unique_ptr<TestDatabase> database_;
  testing::ScopedModulePath module_{root_.Path("Bin/PurchaseOrder.so")};
  testing::ScopedEnv registry_{"GATEWAY_REGISTRY", root_.Path("registry.ini")};
  std::unique_ptr<TPurchaseOrderBusiness> business_;
  IOperater* get_data_ = nullptr;
};

const char kUnmarkedOrders[] =
    "<Service><Seperator>,</Seperator><DateFormat>yyyy-mm-dd</DateFormat>"
    "<PropertyList>TC001,TC002,TD003,TC018C,TC003</PropertyList>"
    "<Condition><Group Type=\"and\"><Property Name=\"TC035\" Type=\"NOTEQUAL\" Value=\"Y\"/>"
    "</Group></Condition><OrderList>TC001,TC002,TD003</OrderList></Service>";

TEST_P(PurchaseOrderGetDataTest, ReturnsTheRowsAndMarksWhatWasDeliveredOnce) {
  const std::string first = Run(kUnmarkedOrders);
  EXPECT_NE(first.find("<Data><DataSet Field=\"TC001,TC002,TD003,TC018C,TC003\">"
                       "<Row Data=\"3301,001,0001,1.应税内含,2024-01-05\"/>"
                       "<Row Data=\"3301,001,0002,1.应税内含,2024-01-05\"/>"
                       "<Row Data=\"3301,O'1,0001,2.应税外加,2024-01-06\"/>"
                       "</DataSet></Data><Status>0</Status>"),
            std::string::npos)
      << first;
  // The supplier S2 may not be handed over: its order is neither returned nor marked.
  EXPECT_EQ(Marked(), "3301-001:Y 3301-O'1:Y 3302-003:N ");

  const std::string second = Run(kUnmarkedOrders);
  // Each request closes the previous result and reuses its query: results
  // do not pile up over the operator's life.
  const size_t queries = GlobleParams().DataController()->Queries().size();
  Run(kUnmarkedOrders);
  Run(kUnmarkedOrders);
  EXPECT_EQ(GlobleParams().DataController()->Queries().size(), queries);
  EXPECT_NE(second.find("<Data><DataSet Field=\"TC001,TC002,TD003,TC018C,TC003\"/></Data>"
                        "<Status>0</Status>"),
            std::string::npos)
      << second;
}

TEST_P(PurchaseOrderGetDataTest, EachOrderIsMarkedByOneStatementLoggedOnce) {
  // Order 001 comes with two lines, order O'1 with one: two statements run.
  const std::string response = Run(kUnmarkedOrders);
  ASSERT_NE(response.find("<Status>0</Status>"), std::string::npos) << response;
  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(root_.Path("Log"))) {
    log += testing::ReadFile(entry.path().string());
  }
  auto count = [&log](const std::string& text) {
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(" Query.SQL.Text : UPDATE PURTC SET TC035='Y' WHERE TC001='3301' AND "
                  "TC002='001'\n"),
            1u)
      << log;
  EXPECT_EQ(count(" Query.SQL.Text : UPDATE PURTC SET TC035='Y' WHERE TC001='3301' AND "
                  "TC002='O''1'\n"),
            1u)
      << log;
  EXPECT_EQ(count(" Query.SQL.Text : UPDATE"), 2u) << log;
  EXPECT_EQ(Marked(), "3301-001:Y 3301-O'1:Y 3302-003:N ");
}

TEST_P(PurchaseOrderGetDataTest, EveryBackendAnswersByteForByteTheSame) {
  // Text, fixed-width text, date-times, the computed label and the joined
  // master data; the expected response is one text for every backend.
  const std::string response =
      Run("<Service><Seperator>;</Seperator><DateFormat>yyyy-mm-dd hh:nn:ss</DateFormat>"
          "<PropertyList>TC001;TC002;TD003;TC003;TC004;MA002;MF002;TC018C;TD007;TC019;TC035"
          "</PropertyList><Condition><Group><Property Name=\"TC035\" Type=\"NOTEQUAL\" "
          "Value=\"Y\"/></Group></Condition><OrderList>TC001;TC002;TD003</OrderList></Service>");
  EXPECT_EQ(response,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE SC [\n<!ENTITY stdd "
            "\"&amp;stdd;\">\n]>\n<Service><Data><DataSet Field=\"TC001;TC002;TD003;TC003;TC004;"
            "MA002;MF002;TC018C;TD007;TC019;TC035\">"
            "<Row Data=\"3301;001;0001;2024-01-05 09:30:00;S1;供应商一;人民币;1.应税内含;W1;note;N\"/>"
            "<Row Data=\"3301;001;0002;2024-01-05 09:30:00;S1;供应商一;人民币;1.应税内含;W1;note;N\"/>"
            "<Row Data=\"3301;O'1;0001;2024-01-06 00:00:00;S1;供应商一;人民币;2.应税外加;W1;x;N\"/>"
            "</DataSet></Data><Status>0</Status></Service>\n");
}

// The rows are written straight into the response; the response must be the
// one the document of all sub-pools gives, which a handler on the data pool
// still asks for.
TEST_P(PurchaseOrderGetDataTest, TheRowsAreWrittenAsTheWholeDocumentWritesThem) {
  const char request[] =
      "<Service><Seperator>,</Seperator><DateFormat>yyyy-mm-dd hh:nn:ss</DateFormat>"
      "<PropertyList>TC001,TC002,TD003,TC003,TC019,MA002,TC018C,TD004</PropertyList>"
      "<OrderList>TC001,TC002,TD003</OrderList></Service>";
  auto through_document = [this, &request] {
    TBasePool* data = Operater().GetOutputPool()->Pools().Find("Data");
    data->OnAfterGetXML = [](TBasePool&, std::string&) {};
    const std::string response = Run(request);
    data->OnAfterGetXML = nullptr;
    return response;
  };
  const struct {
    const char* name;
    const char* update;
    const char* expected_part;  // in the response
  } cases[] = {
      {"separators, markup, quotes, white space, Chinese, NULLs",
       "update PURTC set TC019 = 'a,b <&> \"q\" it''s\t1\n2\r\n3 中文 ' where TC002 = '001';"
       "update PURTC set TC003 = null, TC019 = null where TC002 = 'O''1'",
       "<Row Data=\"3301,001,0001,2024-01-05 09:30:00,a&amp;stdd;b &lt;&amp;&gt; &quot;q&quot; "
       "it's&#9;1&#10;2&#13;&#10;3 中文 ,供应商一,1.应税内含,\"/>"
       "<Row Data=\"3301,001,0002,2024-01-05 09:30:00,a&amp;stdd;b &lt;&amp;&gt; &quot;q&quot; "
       "it's&#9;1&#10;2&#13;&#10;3 中文 ,供应商一,1.应税内含,\"/>"
       "<Row Data=\"3301,O'1,0001,1899-12-30 00:00:00,,供应商一,2.应税外加,\"/>"},
      // A character XML does not allow: the document's answer, whatever it is.
      {"a control character", "update PURTC set TC019 = 'bell\x07' where TC002 = '001'", ""},
  };
  for (const auto& c : cases) {
    database_->Run(c.update);
    const std::string direct = Run(request);
    EXPECT_NE(direct.find(c.expected_part), std::string::npos) << c.name << "\n" << direct;
    EXPECT_EQ(direct, through_document()) << c.name;
  }
}

TEST_P(PurchaseOrderGetDataTest, BuildsTheOuterStatementAroundTheBaseStatement) {
  Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002,TC019</PropertyList>"
      "<Condition><Group><Property Name=\"TC001\" Type=\"EQUAL\" Value=\"a=1\"/></Group>"
      "</Condition><AgentOption>TC004='S1'</AgentOption><OrderList>TC002</OrderList></Service>");
  auto* query = dynamic_cast<TMyAdoQuery*>(
      Operater().GetDataSet());
  ASSERT_NE(query, nullptr);
  const std::string sql = query->SQLText();
  // TC019 is a text property: no DISTINCT.
  EXPECT_EQ(sql.rfind("select  TC001,TC002,TC019 from ( SELECT PURTC.*,", 0), 0u) << sql;
  EXPECT_NE(sql.find("TD018='Y' \n) as Object where (((TC001 = 'a=1'))) and (TC004='S1') "
                     "order by TC002"),
            std::string::npos)
      << sql;
  // The query used the request's condition and order list: their pools are gone.
  EXPECT_EQ(Operater().GetInputPool()->Pools().Find("Condition"), nullptr);
  EXPECT_EQ(Operater().GetInputPool()->Pools().Find("OrderList"), nullptr);
  // An agent restriction brings the key list.
  EXPECT_NE(get_data_->GetOutputPool()->GetXML().find("<Key>TC001,TC002</Key>"), std::string::npos);
}

TEST_P(PurchaseOrderGetDataTest, WithoutPoolsEveryColumnAndTheDefaultRestriction) {
  const std::string response = Run("<Service><Seperator>|</Seperator></Service>");
  auto* query = dynamic_cast<TMyAdoQuery*>(
      Operater().GetDataSet());
  ASSERT_NE(query, nullptr);
  EXPECT_EQ(query->SQLText().rfind("select  * from ( SELECT", 0), 0u) << query->SQLText();
  EXPECT_NE(query->SQLText().find(") as Object where ((1=1)) \n"), std::string::npos)
      << query->SQLText();
  // Without a property list the Data pool writes the metadata's fields.
  EXPECT_NE(response.find("<DataSet Field=\"TC001|TC002|TC019\">"), std::string::npos) << response;
}

TEST_P(PurchaseOrderGetDataTest, AStatementTheDatabaseRefusesIsReportedAndMarksNothing) {
  const std::string response =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002,NOPE</PropertyList>"
          "</Service>");
  // The text callers match on, then the database's own cause.
  EXPECT_NE(response.find("<Error>Cannot perform this operation on a closed dataset: "),
            std::string::npos)
      << response;
  EXPECT_NE(response.find("NOPE"), std::string::npos) << response;
  EXPECT_NE(response.find("</Error><Status>-1</Status>"), std::string::npos) << response;
  EXPECT_EQ(response.find("<Data"), std::string::npos) << response;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
}

TEST_P(PurchaseOrderGetDataTest, AResponseThatCannotBeProducedMarksNothing) {
  database_->Run("update PURTC set TC019 = 'has &stdd; inside' where TC002 = '001'");
  const std::string response =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002,TC019</PropertyList>"
          "</Service>");
  EXPECT_NE(response.find("<Error>The response could not be produced, so no order was marked: "),
            std::string::npos)
      << response;
  EXPECT_NE(response.find("<Status>-1</Status>"), std::string::npos) << response;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
}

// The request checks run before anything reaches a database; the allowed
// request at the end is written in SQLite's dialect.
class PurchaseOrderRequestCheckTest : public PurchaseOrderGetDataTest {};

TEST_P(PurchaseOrderRequestCheckTest, InjectedFragmentsAreRefusedBeforeAnythingRuns) {
  struct Case {
    const char* request_part;
    const char* element;
  };
  const Case cases[] = {
      {"<PropertyList>TC001;DELETE FROM PURTC</PropertyList>", "PropertyList"},
      {"<PropertyList>TC001 --</PropertyList>", "PropertyList"},
      {"<PropertyList>(select TC002 from PURTC)</PropertyList>", "PropertyList"},
      {"<PropertyList>TC001) union (TC002</PropertyList>", "PropertyList"},
      {"<OrderList>TC001,TC002 DESC; drop table PURTC</OrderList>", "OrderList"},
      {"<Condition><Group><Property Name=\"1=1 or TC001\" Type=\"EQUAL\" Value=\"x\"/>"
       "<Property Name=\"TC001/*\" Type=\"EQUAL\" Value=\"x\"/></Group></Condition>",
       "Condition"},
      {"<Condition><Group><Property Name=\"TC001\" Type=\"= 1 or 1\" Value=\"x\"/></Group>"
       "</Condition>",
       "Condition"},
      {"<Condition><Group Type=\"and 1=1 or\"><Property Name=\"TC001\" Type=\"EQUAL\" "
       "Value=\"x\"/></Group></Condition>",
       "Condition"},
      {"<AgentOption>TC004='S1'; update PURTC set TC035='Y'</AgentOption>", "AgentOption"},
      {"<AgentOption>TC004='S1' --</AgentOption>", "AgentOption"},
      {"<AgentOption>(TC004='S1'</AgentOption>", "AgentOption"},
      // A quote inside a quoted name does not open a literal.
      {"<AgentOption>exists(select 1 as [a']) ) union select name,substr(sql,1,60) from "
       "sqlite_master --')</AgentOption>",
       "AgentOption"},
      {"<AgentOption>exists(select 1 as [a']) union select name, sql from sqlite_master "
       "where ('1'='1</AgentOption>",
       "AgentOption"},
      {"<AgentOption>TC004 = \"a'\" union select name, sql from sqlite_master</AgentOption>",
       "AgentOption"},
      {"<AgentOption>TC004 = `a'` intersect select name, sql from sqlite_master</AgentOption>",
       "AgentOption"},
      {"<AgentOption>TC004 = 'S1' except select TC001, TC002 from $$PURTC</AgentOption>",
       "AgentOption"},
      {"<AgentOption>TC004=E'\\'' or 1=1 --'</AgentOption>", "AgentOption"},
      {"<AgentOption>TC004=$a$'$a$ or 1=1 or '1'='1'</AgentOption>", "AgentOption"},
      {"<PropertyList>TC001,TC002,[a']) from sqlite_master --</PropertyList>", "PropertyList"},
      {"<OrderList>TC001,[a'] union select 1</OrderList>", "OrderList"},
  };
  for (const Case& c : cases) {
    const std::string response =
        Run(std::string("<Service><Seperator>,</Seperator>") + c.request_part + "</Service>");
    EXPECT_NE(response.find(std::string("<Error>The request's ") + c.element), std::string::npos)
        << c.request_part << "\n" << response;
    EXPECT_NE(response.find("<Status>-1</Status>"), std::string::npos) << c.request_part;
    EXPECT_EQ(response.find("<Row"), std::string::npos) << c.request_part;
  }
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");

  // What a real request needs stays allowed.
  const std::string allowed =
      Run("<Service><Seperator>|</Seperator><PropertyList>TC001|TC002|[TC004]|Object.TC005|"
          "SUBSTRING(TC003,1,4)</PropertyList><OrderList>TC001 DESC|TC002 asc</OrderList>"
          "<Condition><Group Type=\"OR\"><Property Name=\"TC001\" Type=\"IN\" Value=\"3301|3302\"/>"
          "<Property Name=\"TC002\" Type=\"not  like\" Value=\"x%\"/></Group></Condition>"
          "<AgentOption>TC004 in (select MA001 from PURMA where MA002 &lt;&gt; 'a;b--' "
          "union select MA001 from PURMA where MA002 = '[x'']')</AgentOption></Service>");
  EXPECT_NE(allowed.find("<Status>0</Status>"), std::string::npos) << allowed;
  EXPECT_NE(allowed.find("<Row"), std::string::npos) << allowed;
  // A request refused after one with rows carries none of those rows.
  const std::string refused =
      Run(std::string("<Service><Seperator>,</Seperator>") + cases[0].request_part + "</Service>");
  EXPECT_NE(refused.find("<Status>-1</Status>"), std::string::npos) << refused;
  EXPECT_EQ(refused.find("<Row"), std::string::npos) << refused;
}

TEST_P(PurchaseOrderGetDataTest, AColonInsideAQuotedNameIsNoParameterMarker) {
  // The statement the database runs is the one the check has read: a colon
  // inside a bracketed name is no parameter marker, which would take the
  // name's end with it (and let the "?" in the literal below pass for the
  // marker) so that the literal's text became part of the statement.
  const std::string response =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002</PropertyList>"
          "<AgentOption>exists(select 1 as [a:b] ' ]) ) union select name, sql from "
          "sqlite_master where ? is null --')</AgentOption></Service>");
  EXPECT_EQ(response.find("CREATE TABLE"), std::string::npos) << response;
  EXPECT_EQ(response.find("<Row"), std::string::npos) << response;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
}

TEST_P(PurchaseOrderGetDataTest, MarkingQuotesTheOrderKey) {
  Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002</PropertyList>"
      "<Condition><Group><Property Name=\"TC002\" Type=\"EQUAL\" Value=\"O'1\"/></Group>"
      "</Condition></Service>");
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:Y 3302-003:N ");
}

TEST_P(PurchaseOrderGetDataTest, AFactoryReadsAndMarksItsOwnDatabase) {
  // Factory F01 keeps its orders (of type 3401) in its own database FAC1.
  database_->Run(
      "create table KVTMB (MB001 varchar(10), MB002 varchar(40), MB003 "
      "varchar(40)); insert into KVTMB values ('F01', '一厂', 'FAC1');");
  FillErpDatabase(Company("FAC1"), "3401");
  const std::string response =
      Run("<Service><Seperator>,</Seperator><Factory>F01</Factory>"
          "<PropertyList>TC001,TC002</PropertyList><OrderList>TC002</OrderList></Service>");
  // Key columns only: DISTINCT folds the two lines of order 001 into one row.
  EXPECT_NE(response.find("<Row Data=\"3401,001\"/><Row Data=\"3401,O'1\"/></DataSet>"),
            std::string::npos)
      << response;
  // The main company's orders are untouched; the factory's are marked.
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(root_.Path("Log"))) {
    log += testing::ReadFile(entry.path().string());
  }
  EXPECT_NE(log.find(" Database :FAC1"), std::string::npos);
  EXPECT_NE(log.find("  FROM FAC1.PURTC AS PURTC  LEFT JOIN FAC1.PURTD AS PURTD"),
            std::string::npos);
  EXPECT_NE(log.find(" Query.SQL.Text : UPDATE FAC1.PURTC SET TC035='Y' WHERE TC001='3401' "
                     "AND TC002='O''1'"),
            std::string::npos)
      << log;
  TMyAdoQuery* factory = GlobleParams().DataController()->QueryData(
      "select count(*) from $$PURTC where TC035 = 'Y'");
  EXPECT_EQ(factory->Fields(0).AsInteger(), 2);
  factory->Close();
}

TEST_P(PurchaseOrderGetDataTest, ARequestThatCannotBeReadOrNamesNoKnownFactoryRunsNothing) {
  database_->Run(
      "create table KVTMB (MB001 varchar(10), MB002 varchar(40), MB003 "
      "varchar(40)); insert into KVTMB values ('F01', '一厂', 'FAC1');");
  FillErpDatabase(Company("FAC1"), "3401");
  // A request in factory F01 that returns (and marks) nothing.
  const std::string kNothingOfF01 =
      "<Service><Seperator>,</Seperator><Factory>F01</Factory><Condition><Group>"
      "<Property Name=\"TC001\" Type=\"EQUAL\" Value=\"none\"/></Group></Condition></Service>";
  struct Case {
    std::string request;
    std::string error;
  };
  const Case cases[] = {
      {"hello", "The request is not well-formed XML (line 1: Start tag expected"},
      {"<Service><Seperator>,</Seperator><Factory>F01</Fac",
       "The request is not well-formed XML (line 1: "},
      {" \n", "The request is not well-formed XML (line 2: "},
      {"<Service><Factory>F99</Factory></Service>", "The factory [F99] is not in the company table"},
      // These databases compare the code as written.
      {"<Service><Factory>f01</Factory></Service>", "The factory [f01] is not in the company table"},
  };
  for (const Case& c : cases) {
    // A factory request first: nothing of it may carry over to the next.
    Run(kNothingOfF01);
    const std::string response = Run(c.request);
    EXPECT_NE(response.find("<Error>" + c.error), std::string::npos) << c.request << "\n" << response;
    EXPECT_NE(response.find("<Status>-1</Status>"), std::string::npos) << c.request;
    EXPECT_EQ(response.find("<Row"), std::string::npos) << c.request;
    EXPECT_EQ(GlobleParams().Seperator, "") << c.request;
  }
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
  Run(kNothingOfF01);  // the factory's database again, to count its marks
  TMyAdoQuery* marked = GlobleParams().DataController()->QueryData(
      "select count(*) from $$PURTC where TC035 = 'Y'");
  ASSERT_TRUE(marked->Active()) << marked->LastError();
  EXPECT_EQ(marked->Fields(0).AsInteger(), 0);
  marked->Close();

  // An empty text given through the interface is a request without
  // elements: the connection's own database, every column, no separator.
  Run("<Service><Seperator>;</Seperator><Factory>F01</Factory></Service>");
  const std::string empty = Run("");
  EXPECT_NE(empty.find("<DataSet Field=\"TC001TC002TC019\">"), std::string::npos) << empty;
  EXPECT_NE(empty.find("<Status>0</Status>"), std::string::npos) << empty;
  EXPECT_EQ(Marked(), "3301-001:Y 3301-O'1:Y 3302-003:N ");
}

// Cases that work on the SQLite database file itself (triggers, a second
// connection that reads only what was committed), through the SQLite driver.
class PurchaseOrderOnFileTest : public PurchaseOrderGetDataTest {};

TEST_P(PurchaseOrderOnFileTest, AMarkingThatFailsPartwayMarksNothingAndSaysWhy) {
  // 600 more orders of one line each, and a trigger that refuses the 500th
  // marking statement.
  const std::string numbers =
      "(with recursive n(x) as (select 1 union all select x + 1 from n where x < 600) "
      "select x from n)";
  const std::string orders =
      "insert into PURTC select '3301', printf('B%04d', x), '2024-02-01 00:00:00', 'S1', 'RMB',"
      " 'P1', 'E1', '1', 'n', 'T1', 'N' from " +
      numbers + ";";
  const std::string lines =
      "insert into PURTD (TD001, TD002, TD003, TD007, TD018) select '3301', printf('B%04d', x),"
      " '0001', 'W1', 'Y' from " +
      numbers + ";";
  testing_data::RunSqlite(root_.Path("erp.db"),
                          orders + lines +
                              "create table Marking (n integer); insert into Marking values (0);"
                              "create trigger RefuseThe500th before update of TC035 on PURTC begin"
                              " update Marking set n = n + 1;"
                              " select raise(abort, 'the 500th marking is refused')"
                              " where (select n from Marking) >= 500; end;");
  const std::string response = Run(kUnmarkedOrders);
  EXPECT_NE(response.find("<Error>An order could not be marked as handed over, so no order was "
                          "marked: The statement failed: the 500th marking is refused"),
            std::string::npos)
      << response;
  EXPECT_NE(response.find("</Error><Status>-1</Status></Service>"), std::string::npos) << response;
  EXPECT_EQ(response.find("<Row"), std::string::npos) << response;
  // The 499 statements before it were rolled back with their trigger's count.
  EXPECT_EQ(CommittedMarks(), 0);
  TMyAdoQuery* count = GlobleParams().DataController()->QueryData("select n from Marking");
  EXPECT_EQ(count->Fields(0).AsInteger(), 0);
  count->Close();

  // Without the trigger the same request hands every order over.
  testing_data::RunSqlite(root_.Path("erp.db"), "drop trigger RefuseThe500th");
  EXPECT_NE(Run(kUnmarkedOrders).find("<Status>0</Status>"), std::string::npos);
  EXPECT_EQ(CommittedMarks(), 602);
}

TEST_P(PurchaseOrderOnFileTest, TheConfirmStepCommitsOnlyWhenTheHostConfirms) {
  // How a host ends the hand-over it was given; each leaves nothing marked
  // but Confirm.
  struct Case {
    const char* name;
    std::function<void(IHandOver&)> end;
    int marked;
    const char* reason;  // what the output and a later Confirm then say
  };
  const Case cases[] = {
      {"Confirm", [](IHandOver& step) { step.Confirm(); }, 2, nullptr},
      {"Abandon", [](IHandOver& step) { step.Abandon(); }, 0,
       "The hand-over was abandoned, so no order was marked"},
      {"a new request",
       [this](IHandOver&) {
         get_data_->GetInputPool()->SetXML("<Service><Seperator>,</Seperator></Service>");
       },
       0, "A new request arrived before the hand-over was confirmed, so no order was marked"},
      {"the end of the business object", [this](IHandOver&) { business_.reset(); }, 0,
       "The business object was ended before the hand-over was confirmed, so no order was "
       "marked"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_data::RunSqlite(root_.Path("erp.db"), "update PURTC set TC035 = 'N'");
    if (!business_) {
      business_ = std::make_unique<TPurchaseOrderBusiness>();
      get_data_ = business_->GetOperaterList()->GetItem(0);
    }
    IHandOver* step = AskHandOver();
    ASSERT_NE(step, nullptr);
    const std::string response = Run(kUnmarkedOrders);
    EXPECT_NE(response.find("<Row Data=\"3301,O'1,0001,"), std::string::npos) << response;
    EXPECT_TRUE(step->Pending());
    // Marked inside the open transaction only: nobody else sees it yet.
    EXPECT_EQ(CommittedMarks(), 0);
    c.end(*step);
    EXPECT_FALSE(step->Pending());
    EXPECT_EQ(CommittedMarks(), c.marked);
    if (c.reason != nullptr) {
      try {
        step->Confirm();
        ADD_FAILURE() << "Confirm after the hand-over ended did not raise";
      } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), c.reason);
      }
      if (business_) {
        const std::string after = get_data_->GetOutputPool()->GetXML();
        EXPECT_NE(after.find(std::string("<Error>") + c.reason + "</Error>"), std::string::npos)
            << after;
        EXPECT_NE(after.find("<Status>-1</Status>"), std::string::npos) << after;
        EXPECT_EQ(after.find("<Row"), std::string::npos) << after;
      }
    } else {
      // The response read before stays what the output says.
      EXPECT_EQ(get_data_->GetOutputPool()->GetXML(), response);
      step->Confirm();  // nothing open any more: does nothing
    }
    step->Release();
  }
}

TEST_P(PurchaseOrderOnFileTest, WithoutRowsOrWithoutTheStepNothingWaitsForTheHost) {
  IHandOver* step = AskHandOver();
  // No rows: nothing to confirm, and the write lock is free at once.
  const std::string empty =
      Run("<Service><Seperator>,</Seperator><Condition><Group><Property Name=\"TC001\" "
          "Type=\"EQUAL\" Value=\"none\"/></Group></Condition></Service>");
  EXPECT_NE(empty.find("<Status>0</Status>"), std::string::npos) << empty;
  EXPECT_FALSE(step->Pending());
  sqlite3* other = nullptr;
  sqlite3_open_v2(root_.Path("erp.db").c_str(), &other, SQLITE_OPEN_READWRITE, nullptr);
  EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  step->Confirm();

  // A failed request leaves nothing open either.
  Run("<Service><Seperator>,</Seperator><PropertyList>NOPE</PropertyList></Service>");
  EXPECT_FALSE(step->Pending());
  EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  // The confirm step is the operator's: its other interfaces answer through it.
  void* operater = nullptr;
  EXPECT_EQ(step->QueryInterface(kIID_IOperater, &operater), kInterfaceOk);
  EXPECT_EQ(operater, static_cast<void*>(get_data_));
  get_data_->Release();
  // Letting go of it switches it off: Execute commits by itself again.
  step->Release();
  Run(kUnmarkedOrders);
  EXPECT_EQ(CommittedMarks(), 2);
  // Help hands nothing over and has no confirm step.
  void* none = &operater;
  EXPECT_EQ(business_->GetOperaterList()->GetItem(1)->QueryInterface(kIID_IHandOver, &none),
            kNoInterface);
  EXPECT_EQ(none, nullptr);
}

TEST_P(PurchaseOrderOnFileTest, AHandOverWaitingForItsHostKeepsOthersOnTheConnectionOut) {
  // Two business objects of one process share the one connection.
  IHandOver* step = AskHandOver();
  Run(kUnmarkedOrders);
  ASSERT_TRUE(step->Pending());
  TPurchaseOrderBusiness other;
  IOperater* other_get_data = other.GetOperaterList()->GetItem(0);
  other_get_data->GetInputPool()->SetXML(kUnmarkedOrders);
  other_get_data->Execute();
  const std::string refused = other_get_data->GetOutputPool()->GetXML();
  EXPECT_NE(refused.find("<Error>Cannot begin the hand-over: another hand-over is open on the "
                         "same connection"),
            std::string::npos)
      << refused;
  EXPECT_EQ(refused.find("<Row"), std::string::npos) << refused;
  // The first one is untouched by the refusal.
  EXPECT_TRUE(step->Pending());
  step->Confirm();
  EXPECT_EQ(CommittedMarks(), 2);
  step->Release();
}
// Faults of a database server, on a PostgreSQL cluster of the test's own that
// it may stop: one business object lives through them, as in a running host.
class PurchaseOrderServerFaultTest : public PurchaseOrderGetDataTest {
 protected:
  PurchaseOrderServerFaultTest() : address_(cluster_.Start()) { server_ = &address_; }

  // Ends the server session that runs a statement like `like`, once it runs;
  // false when none showed up within 60 seconds.
  bool TerminateWhenRunning(const std::string& like) {
    Connection admin;
    admin.SetConnectionString(database_->ConnectionString());
    for (int i = 0; i < 600; ++i) {
      Query query;
      query.SetConnection(&admin);
      query.SetSQL("select count(pg_terminate_backend(pid)) from pg_stat_activity where datname = '" +
                   database_->Scratch().Name() + "' and state = 'active' and query like '" + like +
                   "' and pid <> pg_backend_pid()");
      query.Open();
      if (query.Fields(0).AsInteger() > 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  testing_data::PgCluster cluster_;
  testing_data::PgAddress address_;
};

TEST_P(PurchaseOrderServerFaultTest, TheRequestWhileTheServerIsDownFailsAndTheNextConnectsAgain) {
  EXPECT_NE(Run(kUnmarkedOrders).find("<Status>0</Status>"), std::string::npos);
  database_->Run("update PURTC set TC035 = 'N'");
  cluster_.Stop();
  const std::string down = Run(kUnmarkedOrders);
  EXPECT_NE(down.find("<Error>The connection to the ODBC data source (Driver="), std::string::npos)
      << down;
  EXPECT_EQ(down.find("<Status>0</Status>"), std::string::npos) << down;
  EXPECT_EQ(down.find("<Row"), std::string::npos) << down;
  cluster_.Start();
  // The same business object, no new host: the request connects again by itself.
  const std::string back = Run(kUnmarkedOrders);
  EXPECT_NE(back.find("<Row Data=\"3301,O'1,0001,2.应税外加,2024-01-06\"/></DataSet></Data>"
                      "<Status>0</Status>"),
            std::string::npos)
      << back;
  EXPECT_EQ(Marked(), "3301-001:Y 3301-O'1:Y 3302-003:N ");
}

TEST_P(PurchaseOrderServerFaultTest, ABackendEndedMidRequestMarksNothingAndTheNextRequestWorks) {
  // Each row waits a second on the server; the session is ended meanwhile.
  std::future<bool> terminated =
      std::async(std::launch::async, [this] { return TerminateWhenRunning("%pg_sleep(1)%"); });
  const std::string killed =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002,TD003</PropertyList>"
          "<AgentOption>pg_sleep(1) is not null</AgentOption></Service>");
  EXPECT_TRUE(terminated.get());
  EXPECT_NE(killed.find("was lost"), std::string::npos) << killed;
  EXPECT_EQ(killed.find("<Row"), std::string::npos) << killed;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
  EXPECT_NE(Run(kUnmarkedOrders).find("<Status>0</Status>"), std::string::npos);
  EXPECT_EQ(Marked(), "3301-001:Y 3301-O'1:Y 3302-003:N ");
}

// The command timeout of the configured connection string, one second.
class PurchaseOrderCommandTimeoutTest : public PurchaseOrderGetDataTest {
 protected:
  PurchaseOrderCommandTimeoutTest() { extra_items_ = ";Command Timeout=1"; }
};

TEST_P(PurchaseOrderCommandTimeoutTest, ASlowRequestIsInterruptedOnTheServerAndMarksNothing) {
  const std::string slow =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002</PropertyList>"
          "<AgentOption>pg_sleep(30) is not null</AgentOption></Service>");
  // As any statement that fails, it leaves the result closed; the query, and
  // the Error after the text callers match on, say why.
  EXPECT_NE(slow.find("<Error>Cannot perform this operation on a closed dataset: "),
            std::string::npos)
      << slow;
  EXPECT_NE(slow.find("command timeout of 1 seconds"), std::string::npos) << slow;
  EXPECT_NE(slow.find("<Status>-1</Status>"), std::string::npos) << slow;
  auto* query = dynamic_cast<TMyAdoQuery*>(Operater().GetDataSet());
  ASSERT_NE(query, nullptr);
  EXPECT_NE(query->LastError().find("command timeout of 1 seconds"), std::string::npos)
      << query->LastError();
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
  // The server has stopped it, at the latest a few seconds after the cancel.
  int running = 0;
  for (int i = 0; i < 50; ++i) {
    TMyAdoQuery* query_running = GlobleParams().DataController()->QueryData(
        "select count(*) from pg_stat_activity where state = 'active' and query like "
        "'%pg_sleep(30)%' and pid <> pg_backend_pid()");
    running = query_running->Fields(0).AsInteger();
    query_running->Close();
    if (running == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(running, 0);
}

INSTANTIATE_TEST_SUITE_P(Drivers, PurchaseOrderGetDataTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc,
                                           DriverKind::kPostgres),
                         testing_data::DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, PurchaseOrderOnFileTest,
                         ::testing::Values(DriverKind::kSqlite), testing_data::DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, PurchaseOrderRequestCheckTest,
                         ::testing::Values(DriverKind::kSqlite), testing_data::DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, PurchaseOrderServerFaultTest,
                         ::testing::Values(DriverKind::kPostgres), testing_data::DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, PurchaseOrderCommandTimeoutTest,
                         ::testing::Values(DriverKind::kPostgres), testing_data::DriverLabel);

}  // namespace
}  // namespace gateway
