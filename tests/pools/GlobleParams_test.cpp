// The global parameters: request values read (and cleared) from every
// request, the factory lookup in the company table, and the library's
// start-up and shut-down.
#include "pools/GlobleParams.h"

#include <gtest/gtest.h>

#include <string>

#include "config/Errors.h"
#include "data/ControllerTestSupport.h"
#include "data/DataController.h"

namespace gateway {
namespace {

using testing_data::DriverKind;
using testing_data::GatewayRoot;
using testing_data::RunSqlite;

constexpr const char* kCompanies =
    "create table KVTMB(MB001 varchar(10), MB003 varchar(20));"
    "insert into KVTMB values('01', 'FAC01');"
    "insert into KVTMB values('O''K', 'FACOK');";

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

void Request(const std::string& body) { GlobleParams().SetXML("<Request>" + body + "</Request>"); }

// --- request values ----------------------------------------------------------------

class GlobleParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunSqlite(root_.DatabaseFile(), kCompanies);
    root_.WriteConfig(root_.ConnectionString(DriverKind::kSqlite));
    StartupLibrary();
  }
  GatewayRoot root_;
};

TEST_F(GlobleParamsTest, DefaultsBeforeTheFirstRequest) {
  const TGlobleParams& params = GlobleParams();
  EXPECT_TRUE(params.IgnoreError);
  EXPECT_EQ(params.DateFormat, "");
  EXPECT_EQ(params.Seperator, "");
  EXPECT_EQ(params.Factory, "");
  EXPECT_TRUE(params.KeepLog);
  EXPECT_TRUE(params.AutoTrunc);
  EXPECT_EQ(params.NodeName(), "");
  ASSERT_NE(params.DataController(), nullptr);
  EXPECT_EQ(params.DataController()->Connection(), nullptr);  // connected on first use
}

TEST_F(GlobleParamsTest, EveryRequestStatesAllValuesAndAbsentOnesAreCleared) {
  Request(
      "<ObjectID>PO</ObjectID><DateFormat>yyyy/mm/dd</DateFormat><Seperator>|</Seperator>"
      "<IgnoreError>Y</IgnoreError><User>u1</User><Origin>o1</Origin><Other>x</Other>");
  TGlobleParams& params = GlobleParams();
  EXPECT_EQ(params.ObjectID, "PO");
  EXPECT_EQ(params.DateFormat, "yyyy/mm/dd");
  EXPECT_EQ(params.Seperator, "|");
  EXPECT_TRUE(params.IgnoreError);
  EXPECT_EQ(params.User, "u1");
  EXPECT_EQ(params.Origin, "o1");

  Request("<IgnoreError>y</IgnoreError>");
  EXPECT_FALSE(params.IgnoreError);  // only "Y" is yes
  EXPECT_EQ(params.ObjectID, "");
  EXPECT_EQ(params.DateFormat, "");
  EXPECT_EQ(params.Seperator, "");
  EXPECT_EQ(params.User, "");
  EXPECT_EQ(params.Origin, "");

  Request("<IgnoreError>Y</IgnoreError>");
  EXPECT_TRUE(params.IgnoreError);
  Request("");
  EXPECT_FALSE(params.IgnoreError);

  // Text without a root element states no value: nothing of the request
  // before it stays.
  Request("<Seperator>,</Seperator><DateFormat>yyyy</DateFormat><IgnoreError>Y</IgnoreError>");
  params.SetXML("not xml");
  EXPECT_EQ(params.Seperator, "");
  EXPECT_EQ(params.DateFormat, "");
  EXPECT_FALSE(params.IgnoreError);
}

TEST_F(GlobleParamsTest, AutoTruncComesFromTheRequestOrTheConfiguration) {
  GlobleParams().SetXML("<Request AutoTrunc=\"N\"/>");
  EXPECT_FALSE(GlobleParams().AutoTrunc);
  GlobleParams().SetXML("<Request AutoTrunc=\"Y\"/>");
  EXPECT_TRUE(GlobleParams().AutoTrunc);
  GlobleParams().SetXML("<Request AutoTrunc=\"N\"/>");
  GlobleParams().SetXML("<Request/>");
  EXPECT_TRUE(GlobleParams().AutoTrunc);  // configured AutoTrunc=1
}

TEST_F(GlobleParamsTest, TheParametersNeverAppearInAResponse) {
  Request("<Seperator>,</Seperator><User>u1</User>");
  EXPECT_EQ(GlobleParams().GetXML(), "");
}

TEST_F(GlobleParamsTest, AppendEncodedItemEscapesTheSeparator) {
  Request("<Seperator>,</Seperator>");
  std::string list;
  GlobleParams().AppendEncodedItem(list, "a,b");
  GlobleParams().AppendEncodedItem(list, "");
  GlobleParams().AppendEncodedItem(list, "c");
  EXPECT_EQ(list, ",a&stdd;b,,c");  // the caller cuts the leading separator
}

TEST_F(GlobleParamsTest, AFreeStandingObjectMakesItsControllerWhenAFactoryIsSet) {
  TGlobleParams params;
  EXPECT_EQ(params.DataController(), nullptr);
  params.SetFactory("  ");
  EXPECT_EQ(params.Factory, "  ");
  ASSERT_NE(params.DataController(), nullptr);
  EXPECT_EQ(params.DataController()->Database, "");
}

// --- the factory lookup, through both drivers ---------------------------------------

class FactoryLookupTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    RunSqlite(root_.DatabaseFile(), kCompanies);
    root_.WriteConfig(root_.ConnectionString(GetParam()));
    StartupLibrary();
  }

  TDataController& Controller() { return *GlobleParams().DataController(); }
  int Lookups() const {
    return Occurrences(root_.ProgramListLog(), " Query.SQL.Text :select MB003 from KVTMB");
  }
  void ExpectPoolIdle() {
    for (const auto& query : Controller().Queries()) EXPECT_FALSE(query->Active());
  }

  GatewayRoot root_;
};

TEST_P(FactoryLookupTest, TheLookupRunsOnlyWhenTheCodeChanges) {
  Request("<Factory>01</Factory>");
  EXPECT_EQ(GlobleParams().Factory, "01");
  EXPECT_EQ(Controller().Database, "FAC01");
  Request("<Factory>01</Factory>");
  EXPECT_EQ(Lookups(), 1);
  ExpectPoolIdle();  // the lookup query went back to the pool

  // Not in the table: refused, and nothing of it or of factory 01 stays.
  EXPECT_THROW(
      {
        try {
          Request("<Factory>99</Factory>");
        } catch (const ERequestRefused& refused) {
          EXPECT_EQ(refused.Message(),
                    "The factory [99] is not in the company table KVTMB, so there is no "
                    "database to run the request in");
          throw;
        }
      },
      ERequestRefused);
  EXPECT_EQ(GlobleParams().Factory, "");
  EXPECT_EQ(Controller().Database, "");
  EXPECT_EQ(Lookups(), 2);

  Request("<Factory>01</Factory>");
  Request("<Factory>   </Factory>");  // blanks: stored, but no database
  EXPECT_EQ(GlobleParams().Factory, "   ");
  EXPECT_EQ(Controller().Database, "");
  EXPECT_EQ(Lookups(), 3);

  Request("<Factory>01</Factory>");
  Request("<User>u</User>");  // no factory at all
  EXPECT_EQ(GlobleParams().Factory, "");
  EXPECT_EQ(Controller().Database, "");
  EXPECT_EQ(Lookups(), 4);
  EXPECT_EQ(Controller().Queries().size(), 1u);
}

TEST_P(FactoryLookupTest, ApostrophesInTheCodeStayInsideTheLiteral) {
  Request("<Factory>O'K</Factory>");
  EXPECT_EQ(Controller().Database, "FACOK");
  EXPECT_EQ(Occurrences(root_.ProgramListLog(), "where MB001='O''K'\n"), 1);

  EXPECT_THROW(Request("<Factory>x' or '1'='1</Factory>"), ERequestRefused);
  EXPECT_EQ(Controller().Database, "");
  ExpectPoolIdle();
}

TEST_P(FactoryLookupTest, AFailingLookupIsRefusedAndLeavesNoDatabase) {
  Request("<Factory>01</Factory>");
  Controller().ExecuteSQL("drop table KVTMB");
  try {
    Request("<Factory>O'K</Factory>");
    ADD_FAILURE() << "not refused";
  } catch (const ERequestRefused& refused) {
    EXPECT_EQ(refused.Message().rfind(
                  "The factory [O'K] cannot be looked up in the company table KVTMB: ", 0),
              0u)
        << refused.Message();
  }
  EXPECT_EQ(GlobleParams().Factory, "");
  EXPECT_EQ(Controller().Database, "");
}

TEST_P(FactoryLookupTest, AnUnreachableDatabasePropagatesAndTheCodeIsLookedUpAgain) {
  ShutdownLibrary();
  const std::string later = root_.Path("later.db");
  root_.WriteConfig(testing_data::ConnectionStringFor(GetParam(), later));
  StartupLibrary();
  Controller().Database = "OLD";
  EXPECT_THROW(Request("<Factory>01</Factory>"), EDatabaseError);
  EXPECT_EQ(GlobleParams().Factory, "");
  EXPECT_EQ(Controller().Database, "");  // not the previous factory's database

  RunSqlite(later, kCompanies);
  Request("<Factory>01</Factory>");
  EXPECT_EQ(Controller().Database, "FAC01");
}

INSTANTIATE_TEST_SUITE_P(Drivers, FactoryLookupTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return testing_data::DriverName(param.param);
                         });

// --- start-up and shut-down ------------------------------------------------------------

TEST(LibraryLifetime, StartupMakesTheParametersOnceAndShutdownFreesThem) {
  GatewayRoot root;
  root.WriteConfig("Provider=SQLite;Data Source=erp.db");
  testing::WriteFile(root.Path("Bin/Log/PurchaseOrder.Log"), "old records");
  EXPECT_FALSE(GlobleParamsExist());
  EXPECT_THROW(GlobleParams(), Exception);

  StartupLibrary();
  ASSERT_TRUE(GlobleParamsExist());
  EXPECT_EQ(root.TraceLog().find("old records"), std::string::npos);  // the trace log starts anew
  TGlobleParams* first = &GlobleParams();
  first->Seperator = ";";
  StartupLibrary();
  EXPECT_EQ(&GlobleParams(), first);
  EXPECT_EQ(GlobleParams().Seperator, ";");

  ShutdownLibrary();
  EXPECT_FALSE(GlobleParamsExist());
  EXPECT_THROW(GlobleParams(), Exception);
}

}  // namespace
}  // namespace gateway
