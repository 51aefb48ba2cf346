#include "business/PurchaseOrderBusiness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigTestSupport.h"
#include "data/DataController.h"
#include "data/DataTestSupport.h"
#include "data/sqlite/SqliteTypes.h"
#include "pools/GlobleParams.h"

namespace gateway {
namespace {

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
void FillErpDatabase(const std::string& file, const std::string& type) {
  testing_data::RunSqlite(
      file,
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
// two lines, one from a supplier that may not be handed over.
class PurchaseOrderGetDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteFile(root_.Path("GatewayConfig.ini"),
                       "[Options]\nKeepLog=0\n[Connection]\n"
                       "Provider=Provider=SQLite;Data Source=erp.db\n");
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
    FillErpDatabase(root_.Path("erp.db"), "3301");
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

  testing::TempFolder root_;
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

TEST_F(PurchaseOrderGetDataTest, ReturnsTheRowsAndMarksWhatWasDeliveredOnce) {
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

TEST_F(PurchaseOrderGetDataTest, BuildsTheOuterStatementAroundTheBaseStatement) {
  Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC019</PropertyList>"
      "<Condition><Group><Property Name=\"TC001\" Type=\"EQUAL\" Value=\"a=1\"/></Group>"
      "</Condition><AgentOption>TC004='S1'</AgentOption><OrderList>TC002</OrderList></Service>");
  auto* query = dynamic_cast<TMyAdoQuery*>(
      Operater().GetDataSet());
  ASSERT_NE(query, nullptr);
  const std::string sql = query->SQLText();
  // TC019 is a text property: no DISTINCT.
  EXPECT_EQ(sql.rfind("select  TC001,TC019 from ( SELECT PURTC.*,", 0), 0u) << sql;
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

TEST_F(PurchaseOrderGetDataTest, WithoutPoolsEveryColumnAndTheDefaultRestriction) {
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

TEST_F(PurchaseOrderGetDataTest, AStatementTheDatabaseRefusesIsReportedAndMarksNothing) {
  const std::string response =
      Run("<Service><Seperator>,</Seperator><PropertyList>NOPE</PropertyList></Service>");
  EXPECT_NE(response.find("<Error>Cannot perform this operation on a closed dataset</Error>"
                          "<Status>-1</Status>"),
            std::string::npos)
      << response;
  EXPECT_EQ(response.find("<Data"), std::string::npos) << response;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
}

TEST_F(PurchaseOrderGetDataTest, AResponseThatCannotBeProducedMarksNothing) {
  testing_data::RunSqlite(root_.Path("erp.db"),
                          "update PURTC set TC019 = 'has &stdd; inside' where TC002 = '001'");
  const std::string response =
      Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002,TC019</PropertyList>"
          "</Service>");
  EXPECT_NE(response.find("<Error>The response could not be produced, so no order was marked: "),
            std::string::npos)
      << response;
  EXPECT_NE(response.find("<Status>-1</Status>"), std::string::npos) << response;
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:N 3302-003:N ");
}

TEST_F(PurchaseOrderGetDataTest, InjectedFragmentsAreRefusedBeforeAnythingRuns) {
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
      Run("<Service><Seperator>|</Seperator><PropertyList>[TC001]|Object.TC002|"
          "SUBSTRING(TC003,1,4)</PropertyList><OrderList>TC001 DESC|TC002 asc</OrderList>"
          "<Condition><Group Type=\"OR\"><Property Name=\"TC001\" Type=\"IN\" Value=\"3301|3302\"/>"
          "<Property Name=\"TC002\" Type=\"not  like\" Value=\"x%\"/></Group></Condition>"
          "<AgentOption>TC004 in (select MA001 from PURMA where MA002 &lt;&gt; 'a;b--')"
          "</AgentOption></Service>");
  EXPECT_NE(allowed.find("<Status>0</Status>"), std::string::npos) << allowed;
}

TEST_F(PurchaseOrderGetDataTest, MarkingQuotesTheOrderKey) {
  Run("<Service><Seperator>,</Seperator><PropertyList>TC001,TC002</PropertyList>"
      "<Condition><Group><Property Name=\"TC002\" Type=\"EQUAL\" Value=\"O'1\"/></Group>"
      "</Condition></Service>");
  EXPECT_EQ(Marked(), "3301-001:N 3301-O'1:Y 3302-003:N ");
}

TEST_F(PurchaseOrderGetDataTest, AFactoryReadsAndMarksItsOwnDatabase) {
  // Factory F01 keeps its orders (of type 3401) in its own database FAC1.
  testing_data::RunSqlite(root_.Path("erp.db"),
                          "create table KVTMB (MB001 varchar(10), MB002 varchar(40), MB003 "
                          "varchar(40)); insert into KVTMB values ('F01', '一厂', 'FAC1');");
  FillErpDatabase(CompanyDatabaseFile(root_.Path("erp.db"), "FAC1"), "3401");
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

}  // namespace
}  // namespace gateway
