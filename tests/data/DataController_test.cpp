// The data controller in a gateway root of its own: statements and queries
// through the configured connection (SQLite and ODBC), the database prefix,
// the query pool, the logs, the failures, the row XML of datasets and the
// distinct select through a temporary table.
#include "data/DataController.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/DateTimeFormat.h"
#include "config/Errors.h"
#include "config/GatewayConfigU.h"
#include "config/StoredPassword.h"
#include "data/ControllerTestSupport.h"
#include "data/DataSet.h"
#include "data/TestDatabase.h"
#include "pools/GlobleParams.h"

namespace gateway {
namespace {

using testing_data::ConnectionStringFor;
using testing_data::DriverKind;
using testing_data::GatewayRoot;
using testing_data::RunSqlite;

constexpr const char* kSchema =
    "create table PURTC(TC001 char(4), TC002 varchar(20), TC003 datetime, TC004 integer, "
    "TC009 decimal(10,2), TC010 date);"
    "insert into PURTC values('A001', 'first', '2024-01-05 09:30:15', 1, 12.5, '2024-01-05');"
    "insert into PURTC values('A002', 'sec,ond', null, 2, null, null);";

constexpr const char* kPlainPassword = "S3cret!pw";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using testing_data::Failure;

class DataControllerTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    RunSqlite(root_.DatabaseFile(), kSchema);
    RunSqlite(root_.CompanyFile("FAC01"),
              "create table PURTC(TC001 char(4), TC002 varchar(20));"
              "insert into PURTC values('F001', 'factory');");
    root_.WriteConfig(StoredConnectionString());
    StartupLibrary();
    GlobleParams().Seperator = ",";
    GlobleParams().DateFormat = "yyyy-mm-dd hh:nn:ss";
    controller_ = GlobleParams().DataController();
  }

  // The configured connection string, its password stored encoded.
  std::string StoredConnectionString(const std::string& file = {}) const {
    return ConnectionStringFor(GetParam(), file.empty() ? root_.DatabaseFile() : file) +
           ";Password=" + EncodeSQLSa(kPlainPassword);
  }

  int64_t CountOf(const std::string& sql) {
    TMyAdoQuery* query = controller_->QueryData(sql);
    EXPECT_TRUE(query->Active()) << query->LastError();
    const int64_t count = query->Active() ? query->Fields(0).AsLargeInt() : -1;
    query->Close();
    return count;
  }

  void ExpectPoolIdle() {
    for (const auto& query : controller_->Queries()) {
      EXPECT_FALSE(query->Active());
      EXPECT_FALSE(query->Prepared());
    }
  }

  GatewayRoot root_;
  TDataController* controller_ = nullptr;
};

TEST_P(DataControllerTest, TheDatabasePrefixStandsForTheFactoryDatabase) {
  TMyAdoQuery* query = controller_->QueryData("select TC001 from $$PURTC order by TC001");
  ASSERT_TRUE(query->Active()) << query->LastError();
  EXPECT_EQ(query->Fields(0).AsString(), "A001");
  query->Close();
  EXPECT_TRUE(Contains(root_.ProgramListLog(), "]  Database :\n"));
  EXPECT_TRUE(Contains(root_.ProgramListLog(),
                       "]  Query.SQL.Text :select TC001 from PURTC order by TC001\n\n"));

  controller_->Database = "FAC01";
  EXPECT_EQ(controller_->ApplyDatabasePrefix("select * from $$PURTC"), "select * from FAC01.PURTC");
  query = controller_->QueryData("select TC001 from $$PURTC");
  ASSERT_TRUE(query->Active()) << query->LastError();
  EXPECT_EQ(query->Fields(0).AsString(), "F001");
  query->Close();
  EXPECT_TRUE(Contains(root_.ProgramListLog(), "]  Database :FAC01\n"));
  EXPECT_TRUE(Contains(root_.ProgramListLog(), " Query.SQL.Text :select TC001 from FAC01.PURTC\n"));

  controller_->Database = "  ";
  EXPECT_EQ(controller_->ApplyDatabasePrefix("$$PURTC"), "PURTC");
}

TEST_P(DataControllerTest, AFactoryDatabaseThatCannotBeReachedIsReportedNotReplaced) {
  TMyAdoQuery* earlier = controller_->QueryData("select TC001 from PURTC");
  ASSERT_TRUE(earlier->Active());
  earlier->Close();
  controller_->Database = "NOPE";
  TMyAdoQuery* query = controller_->QueryData("select TC001 from $$PURTC");
  EXPECT_EQ(query, earlier);
  EXPECT_FALSE(query->Active());
  EXPECT_TRUE(Contains(query->LastError(), "NOPE")) << query->LastError();
  EXPECT_TRUE(query->SQL().empty());  // the previous statement is not kept

  const auto error =
      Failure<EDatabaseError>([&] { controller_->ExecuteSQL("update $$PURTC set TC004 = 0"); });
  EXPECT_TRUE(Contains(error.Message(), "NOPE")) << error.Message();
  controller_->Database.clear();
  EXPECT_EQ(CountOf("select count(*) from PURTC where TC004 = 0"), 0);
}

TEST_P(DataControllerTest, AFailingQueryReturnsAnInactiveQueryAndIsLogged) {
  TMyAdoQuery* query = nullptr;
  EXPECT_NO_THROW(query = controller_->QueryData("selct * frm PURTC"));
  ASSERT_NE(query, nullptr);
  EXPECT_FALSE(query->Active());
  EXPECT_FALSE(query->LastError().empty());
  EXPECT_TRUE(Contains(root_.ProgramListLog(), " Query.SQL.Text :selct * frm PURTC\n"));
  const std::string trace = root_.TraceLog();
  EXPECT_TRUE(Contains(trace,
                       "[Code  ] = TDataController \r\n[Action] = QueryData \r\n"
                       "[Prop  ] = SQL \r\n[Value ] = selct * frm PURTC \r\n"))
      << trace;

  // A statement that yields no rows is refused before it runs.
  EXPECT_FALSE(controller_->QueryData("update PURTC set TC004 = 5")->Active());
  EXPECT_EQ(CountOf("select count(*) from PURTC where TC004 = 5"), 0);
  // The next query on the same pooled object succeeds and clears the reason.
  query = controller_->QueryData("select 1 as x");
  EXPECT_TRUE(query->Active());
  EXPECT_EQ(query->LastError(), "");
}

TEST_P(DataControllerTest, ExecuteSqlReturnsTheRowsAffectedAndRaisesFailures) {
  EXPECT_EQ(controller_->ExecuteSQL("update $$PURTC set TC004 = TC004 + 10"), 2);
  EXPECT_TRUE(Contains(root_.TraceLog(),
                       "[Action] = ExecuteSQL \r\n[Prop  ] = SQL \r\n"
                       "[Value ] = update $$PURTC set TC004 = TC004 + 10 \r\n"));
  EXPECT_THROW(controller_->ExecuteSQL("update NOPE set x = 1"), EDatabaseError);
  ExpectPoolIdle();
  EXPECT_EQ(controller_->ExecuteSQL("delete from PURTC where TC004 = 12"), 1);
  EXPECT_EQ(controller_->Queries().size(), 1u);
}

TEST_P(DataControllerTest, ThePoolReusesInactiveQueries) {
  TMyAdoQuery* first = controller_->QueryData("select TC001 from PURTC");
  TMyAdoQuery* second = controller_->QueryData("select TC002 from PURTC");
  ASSERT_TRUE(first->Active());
  EXPECT_NE(first, second);
  EXPECT_EQ(first->Fields(0).AsString(), "A001");  // the first result is untouched
  first->Close();
  EXPECT_EQ(controller_->QueryData("select 1 as x"), first);
  controller_->ExecuteSQL("update PURTC set TC004 = TC004");  // both busy: a third one
  EXPECT_EQ(controller_->Queries().size(), 3u);
  EXPECT_EQ(controller_->GetQuery(), controller_->Queries()[2].get());
  controller_->RemoveQuery(nullptr);
  EXPECT_EQ(controller_->Queries().size(), 3u);
}

TEST_P(DataControllerTest, ABorrowedConnectionIsNeitherConfiguredNorFreed) {
  TKvADOConnection connection(root_.Path());
  connection.SetConnectionString(ConnectionStringFor(GetParam(), root_.DatabaseFile()));
  {
    TDataController controller(&connection);
    EXPECT_FALSE(controller.OwnsConnection());
    TMyAdoQuery* query = controller.QueryData("select count(*) from PURTC");
    ASSERT_TRUE(query->Active()) << query->LastError();
    EXPECT_EQ(connection.DataSetCount(), 1);
  }
  EXPECT_EQ(connection.DataSetCount(), 0);
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(connection.Execute("update PURTC set TC004 = TC004"), 2);
}

TEST_P(DataControllerTest, TheConnectionStringIsTracedWithItsPasswordMasked) {
  ASSERT_TRUE(controller_->QueryData("select TC001 from PURTC")->Active());
  controller_->ExecuteSQL("update PURTC set TC004 = TC004");
  const std::string trace = root_.TraceLog();
  EXPECT_TRUE(Contains(trace,
                       "[Action] = SetConnectionParam \r\n[Prop  ] = Connection.ConnectionString "
                       "\r\n[Value ] = " +
                           ConnectionStringFor(GetParam(), root_.DatabaseFile()) +
                           ";Password=*** \r\n"))
      << trace;
  // The stored scrambling is no secret: neither form may be logged.
  for (const std::string& file : root_.LogFiles()) {
    if (file == root_.Path("GatewayConfig.ini")) continue;
    const std::string text = testing::ReadFile(file);
    EXPECT_FALSE(Contains(text, kPlainPassword)) << file;
    EXPECT_FALSE(Contains(text, EncodeSQLSa(kPlainPassword))) << file;
  }
}

TEST_P(DataControllerTest, AConnectionFailurePropagatesWithoutThePassword) {
  ShutdownLibrary();
  root_.WriteConfig(StoredConnectionString(root_.Path("missing.db")));
  StartupLibrary();
  const auto error =
      Failure<EDatabaseError>([] { GlobleParams().DataController()->QueryData("select 1"); });
  EXPECT_TRUE(Contains(error.Message(), "missing.db")) << error.Message();
  EXPECT_FALSE(Contains(error.Message(), kPlainPassword)) << error.Message();
  for (const auto& entry : error.Entries()) EXPECT_FALSE(Contains(entry.Message, kPlainPassword));
  for (const std::string& file : root_.LogFiles()) {
    EXPECT_FALSE(Contains(testing::ReadFile(file), kPlainPassword)) << file;
  }
}

TEST_P(DataControllerTest, AConfigurationThatFailsIsReadAgainNextTime) {
  ShutdownLibrary();
  root_.WriteConfig("Provider=Jet;Data Source=erp.mdb");
  StartupLibrary();
  TDataController& controller = *GlobleParams().DataController();
  const auto error = Failure<EDatabaseError>([&] { controller.QueryData("select 1"); });
  EXPECT_TRUE(Contains(error.Message(), "Jet")) << error.Message();
  EXPECT_EQ(controller.Connection(), nullptr);

  root_.WriteConfig(StoredConnectionString());
  TMyAdoQuery* query = controller.QueryData("select count(*) from PURTC");
  ASSERT_TRUE(query->Active()) << query->LastError();
  EXPECT_EQ(query->Fields(0).AsInteger(), 2);
}

TEST_P(DataControllerTest, TheTimeoutsComeFromTheConfiguredConnectionString) {
  ShutdownLibrary();
  root_.WriteConfig(StoredConnectionString() + ";Connect Timeout=5;Command Timeout=45");
  StartupLibrary();
  TDataController& controller = *GlobleParams().DataController();
  TMyAdoQuery* query = controller.QueryData("select count(*) from PURTC");
  ASSERT_TRUE(query->Active()) << query->LastError();
  EXPECT_EQ(controller.Connection()->ConnectionTimeout(), 5);
  EXPECT_EQ(controller.Connection()->CommandTimeout(), 45);
  EXPECT_EQ(query->Query::CommandTimeout(), 45);  // the query runs with the connection's
  EXPECT_FALSE(
      Contains(controller.Connection()->Connection::ConnectionString(), "Connect Timeout"));
}

TEST_P(DataControllerTest, RowXmlOfAQueryResult) {
  TMyAdoQuery* query = controller_->QueryData(
      "select TC001, TC002, TC003, TC004, TC009, TC010 from PURTC order by TC001");
  ASSERT_TRUE(query->Active()) << query->LastError();
  EXPECT_EQ(TDataController::DataSetToXML(*query, false, "Data"),
            "<Data><DataSet Field=\"TC001,TC002,TC003,TC004,TC009,TC010\">"
            "<Row Data=\"A001,first,2024-01-05 09:30:15,1,12.5,2024-01-05 00:00:00\"/>"
            "<Row Data=\"A002,sec&amp;stdd;ond,1899-12-30 00:00:00,2,,1899-12-30 00:00:00\"/>"
            "</DataSet></Data>");
  EXPECT_TRUE(query->Eof());
}

// --- DistinctSelectToXML --------------------------------------------------------

class DistinctSelectTest : public DataControllerTest {
 protected:
  void SetUp() override {
    DataControllerTest::SetUp();
    dataset_.CreateDataSet({{"TC001", ftString, 4},
                            {"TC009", ftFloat},
                            {"TC004", ftInteger},
                            {"TC003", ftDateTime},
                            {"TC007", ftMemo}});
    AddRow("A", 1.5, 1);
    AddRow("A", 1.5, 1);
    AddRow("B", 2, 2);
    AddRow("A", 1.5, 3);
  }

  void AddRow(const char* code, double amount, int number) {
    dataset_.Append();
    dataset_.Fields(0).SetAsString(code);
    dataset_.Fields(1).SetAsFloat(amount);
    dataset_.Fields(2).SetAsInteger(number);
    dataset_.Fields(3).SetAsDateTime(DateTime{2024, 1, 5, 9, 30, 15});
    dataset_.Fields(4).SetAsString("memo");
    dataset_.Post();
  }

  // No temporary table is left and no transaction is open.
  void ExpectRolledBack() {
    EXPECT_FALSE(controller_->Connection()->InTransaction());
    EXPECT_EQ(CountOf("select count(*) from sqlite_temp_master"), 0);
    ExpectPoolIdle();
  }

  DataSet dataset_;
};

TEST_P(DistinctSelectTest, DistinctRowsThroughATemporaryTable) {
  EXPECT_EQ(controller_->DistinctSelectToXML(dataset_, {"TC001", "TC009"}, "", "TC001", "Data"),
            "<Data><DataSet Field=\"TC001,TC009\"><Row Data=\"A,1.5\"/><Row Data=\"B,2\"/>"
            "</DataSet></Data>");
  ExpectRolledBack();
  EXPECT_TRUE(Contains(root_.ProgramListLog(),
                       "( TC001 varchar(4), TC009 numeric, TC004 integer, TC003 datetime, "
                       "TC007 text)"))
      << root_.ProgramListLog();

  EXPECT_EQ(controller_->DistinctSelectToXML(dataset_, {"TC001", "TC004"}, " TC004 > 1 ",
                                             "TC004 desc", "Data"),
            "<Data><DataSet Field=\"TC001,TC004\"><Row Data=\"A,3\"/><Row Data=\"B,2\"/>"
            "</DataSet></Data>");
  ExpectRolledBack();
}

TEST_P(DistinctSelectTest, ABooleanColumnMakesTheInsertFailAndEverythingIsRolledBack) {
  DataSet with_flag;
  with_flag.CreateDataSet({{"TC001", ftString, 4}, {"TC006", ftBoolean}});
  with_flag.Append();
  with_flag.Fields(0).SetAsString("A");
  with_flag.Fields(1).SetAsBoolean(true);
  with_flag.Post();
  EXPECT_THROW(controller_->DistinctSelectToXML(with_flag, {"TC001"}, "", "", "Data"),
               EDatabaseError);
  ExpectRolledBack();
}

TEST_P(DistinctSelectTest, AFailingSelectGivesAnEmptyResult) {
  EXPECT_EQ(controller_->DistinctSelectToXML(dataset_, {"TC001"}, "NOPE = 1", "", "Data"), "");
  ExpectRolledBack();
  EXPECT_EQ(controller_->DistinctSelectToXML(dataset_, {}, "", "", "Data"), "");
  ExpectRolledBack();
}

TEST_P(DistinctSelectTest, AnEmptyNodeNameIsRefusedBeforeAnythingRuns) {
  const auto error = Failure<Exception>(
      [&] { controller_->DistinctSelectToXML(dataset_, {"TC001"}, "", "", ""); });
  EXPECT_EQ(error.HelpContext(), -9009);
  EXPECT_EQ(error.Message(), "The node name is invalid!");
  EXPECT_TRUE(controller_->Queries().empty());
}

const auto kDrivers = ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc);
std::string DriverLabel(const ::testing::TestParamInfo<DriverKind>& param) {
  return testing_data::DriverName(param.param);
}
// Without a connection string the failure says which file was looked for and
// where the gateway root came from, not only that nothing names a provider.
TEST(DataControllerConfiguration, AMissingConnectionNamesTheFileAndTheRoot) {
  GatewayRoot root;
  GatewayConfig() = TGatewayConfig();
  StartupLibrary();
  const std::string missing = Failure<EDatabaseError>([] {
                                GlobleParams().DataController()->QueryData("select 1");
                              }).Message();
  EXPECT_TRUE(Contains(missing, "GatewayConfig.ini is not in the gateway root " + root.Path() +
                                    "/ (derived from the module " +
                                    root.Path("Bin/PurchaseOrder.so") + ")"))
      << missing;

  testing::WriteFile(root.Path("GatewayConfig.ini"), "[Options]\nKeepLog=0\n");
  const std::string empty = Failure<EDatabaseError>([] {
                              GlobleParams().DataController()->QueryData("select 1");
                            }).Message();
  EXPECT_TRUE(Contains(
      empty, root.Path("GatewayConfig.ini") + " has no Provider in its [Connection] section"))
      << empty;
}

INSTANTIATE_TEST_SUITE_P(Drivers, DataControllerTest, kDrivers, DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, DistinctSelectTest, kDrivers, DriverLabel);

// --- row XML of datasets in memory -----------------------------------------

class RowXmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartupLibrary();
    GlobleParams().Seperator = ",";
    GlobleParams().DateFormat = "yyyy-mm-dd hh:nn:ss";
    dataset_.CreateDataSet({{"TC001", ftString, 10},
                            {"TC002", ftInteger},
                            {"TC003", ftDateTime},
                            {"TC004", ftDate},
                            {"TC005", ftString, 10}});
  }

  void AddRow(const char* code, int number, const DateTime* at, const char* text) {
    dataset_.Append();
    dataset_.Fields(0).SetAsString(code);
    dataset_.Fields(1).SetAsInteger(number);
    if (at != nullptr) {
      dataset_.Fields(2).SetAsDateTime(*at);
      dataset_.Fields(3).SetAsDateTime(DateTime{at->Year, at->Month, at->Day});
    }
    if (text != nullptr) dataset_.Fields(4).SetAsString(text);
    dataset_.Post();
  }

  GatewayRoot root_;
  DataSet dataset_;
};

TEST_F(RowXmlTest, AnEmptyDatasetGivesTheFieldNamesAndNoRow) {
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, false, "Data"),
            "<Data><DataSet Field=\"TC001,TC002,TC003,TC004,TC005\"/></Data>");
}

TEST_F(RowXmlTest, EmptySlotsKeepTheirPositions) {
  const DateTime at{2024, 1, 5, 9, 30, 15};
  AddRow("A", 1, &at, "x");
  AddRow("B", 2, nullptr, nullptr);
  dataset_.Fields(4).SetVisible(false);
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, {"TC001", "NOPE", "TC005", "TC003", "tc004"},
                                          false, "Rows"),
            "<Rows><DataSet Field=\"TC001,,,TC003,TC004\">"
            "<Row Data=\"A,,,2024-01-05 09:30:15,2024-01-05 00:00:00\"/>"
            "<Row Data=\"B,,,1899-12-30 00:00:00,1899-12-30 00:00:00\"/>"
            "</DataSet></Rows>");
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, {"TC005", "TC002"}, true, "Data"),
            "<Data><DataSet Field=\"TC005,TC002\"><Row Data=\"x,1\"/><Row Data=\",2\"/>"
            "</DataSet></Data>");
}

TEST_F(RowXmlTest, TheSeparatorIsEscapedAndMayBeLongerOrEmpty) {
  AddRow("a,b", 1, nullptr, "c||d");
  EXPECT_EQ(
      TDataController::DataSetToXML(dataset_, {"TC001", "TC005"}, false, "Data"),
      "<Data><DataSet Field=\"TC001,TC005\"><Row Data=\"a&amp;stdd;b,c||d\"/></DataSet></Data>");
  GlobleParams().Seperator = "||";
  EXPECT_EQ(
      TDataController::DataSetToXML(dataset_, {"TC001", "TC005"}, false, "Data"),
      "<Data><DataSet Field=\"TC001||TC005\"><Row Data=\"a,b||c&amp;stdd;d\"/></DataSet></Data>");
  GlobleParams().Seperator = "";  // a request without Seperator: items joined with nothing
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, {"TC001", "TC002"}, false, "Data"),
            "<Data><DataSet Field=\"TC001TC002\"><Row Data=\"a,b1\"/></DataSet></Data>");
  // A value that already holds the marker cannot be written without loss.
  dataset_.Edit();
  dataset_.Fields(0).SetAsString("x&stdd;y");
  dataset_.Post();
  EXPECT_THROW(TDataController::DataSetToXML(dataset_, {"TC001"}, false, "Data"), Exception);
}

TEST_F(RowXmlTest, AnEmptyDateFormatWritesShortDateAndLongTime) {
  const DateTime at{2024, 1, 5, 9, 30, 15};
  const DateTime midnight{2024, 1, 6};
  AddRow("A", 1, &at, nullptr);
  AddRow("B", 2, &midnight, nullptr);
  GlobleParams().DateFormat = "";
  const std::string expected = "<Data><DataSet Field=\"TC003\"><Row Data=\"" +
                               FormatDateTime("ddddd tt", at) + "\"/><Row Data=\"" +
                               FormatDateTime("ddddd", midnight) + "\"/></DataSet></Data>";
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, {"TC003"}, false, "Data"), expected);
}

TEST_F(RowXmlTest, NodeNames) {
  const auto error =
      Failure<Exception>([&] { TDataController::DataSetToXML(dataset_, false, ""); });
  EXPECT_EQ(error.HelpContext(), -9009);
  EXPECT_EQ(error.Message(), "The node name is invalid!");
  EXPECT_EQ(TDataController::DataSetToXML(dataset_, false, "1bad"), "");
}

TEST_F(RowXmlTest, XmlToDataSetFillsTheNamedFields) {
  TDataController::XMLToDataSet(
      dataset_,
      "<Data><DataSet Field=\" TC002 ,NOPE,TC001,TC005\">"
      "<Row Data=\"7,x,a&amp;stdd;b,text\"/><Row Data=\"8\"/></DataSet></Data>");
  ASSERT_EQ(dataset_.RecordCount(), 2);
  dataset_.First();
  EXPECT_EQ(dataset_.FieldByName("TC002").AsInteger(), 7);
  EXPECT_EQ(dataset_.FieldByName("TC001").AsString(), "a,b");
  EXPECT_EQ(dataset_.FieldByName("TC005").AsString(), "text");
  dataset_.Next();
  EXPECT_EQ(dataset_.FieldByName("TC002").AsInteger(), 8);
  EXPECT_EQ(dataset_.FieldByName("TC001").AsString(), "");  // fewer items: empty text
  EXPECT_EQ(dataset_.FieldByName("TC005").AsString(), "");
}

TEST_F(RowXmlTest, XmlToDataSetWithAListTakesOnlyTheListedFields) {
  TDataController::XMLToDataSet(
      dataset_, {"tc001"},
      "<Data><DataSet Field=\"TC001,TC005\"><Row Data=\"a,b\"/></DataSet></Data>");
  ASSERT_EQ(dataset_.RecordCount(), 1);
  EXPECT_EQ(dataset_.FieldByName("TC001").AsString(), "a");
  EXPECT_TRUE(dataset_.FieldByName("TC005").IsNull());

  // Nothing listed that the document names: nothing appended.
  TDataController::XMLToDataSet(
      dataset_, {"TC002"},
      "<Data><DataSet Field=\"TC001,TC005\"><Row Data=\"a,b\"/></DataSet></Data>");
  EXPECT_EQ(dataset_.RecordCount(), 1);
}

TEST_F(RowXmlTest, XmlToDataSetIgnoresDocumentsWithoutFieldNames) {
  const char* documents[] = {
      "<Data><DataSet><Row Data=\"a\"/></DataSet></Data>",
      "<Data/>",
      "not xml",
      "<Data><DataSet Field=\"\"><Row Data=\"a\"/></DataSet></Data>",
  };
  for (const char* document : documents) {
    TDataController::XMLToDataSet(dataset_, document);
    EXPECT_EQ(dataset_.RecordCount(), 0) << document;
  }
}

TEST_F(RowXmlTest, XmlToDataSetKeepsTheRowsBeforeAFailureAndDropsTheBrokenOne) {
  EXPECT_THROW(
      TDataController::XMLToDataSet(dataset_,
                                    "<Data><DataSet Field=\"TC001,TC002\"><Row Data=\"a,1\"/>"
                                    "<Row Data=\"b,two\"/><Row Data=\"c,3\"/></DataSet></Data>"),
      EDatabaseError);
  EXPECT_EQ(dataset_.State(), dsBrowse);
  EXPECT_EQ(dataset_.RecordCount(), 1);
  dataset_.CheckBrowseMode();
  EXPECT_EQ(dataset_.RecordCount(), 1);
}

TEST_F(RowXmlTest, RowXmlRoundTrips) {
  const DateTime at{2024, 1, 5, 9, 30, 15};
  AddRow("a,b", 1, &at, "x");
  AddRow("c", -2, nullptr, nullptr);
  const std::string xml = TDataController::DataSetToXML(dataset_, false, "Data");
  DataSet copy;
  copy.CreateDataSet(dataset_.FieldDefs());
  TDataController::XMLToDataSet(copy, xml);
  EXPECT_EQ(TDataController::DataSetToXML(copy, false, "Data"), xml);
}

TEST_F(RowXmlTest, FindFieldDeepSearchesNestedDatasetsDepthFirst) {
  auto inner = std::make_shared<DataSet>();
  inner->CreateDataSet({{"X", ftString, 4}, {"Deep", ftDataSet}});
  auto deepest = std::make_shared<DataSet>();
  deepest->CreateDataSet({{"Y", ftString, 4}, {"X", ftInteger}});
  inner->FieldByName("Deep").SetNestedDataSet(deepest);
  auto second = std::make_shared<DataSet>();
  second->CreateDataSet({{"Y", ftString, 4}});

  DataSet outer;
  outer.CreateDataSet({{"A", ftString, 4}, {"First", ftDataSet}, {"Second", ftDataSet}});
  outer.FieldByName("First").SetNestedDataSet(inner);
  outer.FieldByName("Second").SetNestedDataSet(second);

  EXPECT_EQ(TDataController::FindFieldDeep(outer, "a"), &outer.FieldByName("A"));
  EXPECT_EQ(TDataController::FindFieldDeep(outer, "X"), &inner->FieldByName("X"));
  EXPECT_EQ(TDataController::FindFieldDeep(outer, "Y"), &deepest->FieldByName("Y"));
  EXPECT_EQ(TDataController::FindFieldDeep(outer, "Z"), nullptr);
}

}  // namespace
}  // namespace gateway
