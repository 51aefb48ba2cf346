// What is particular to the ODBC driver: the typed fetch used for engines
// with strict types, and diagnostics.
#include "data/odbc/OdbcDriver.h"

#include <gtest/gtest.h>

#include "config/Errors.h"
#include "data/DataTestSupport.h"

namespace gateway {
namespace {

using testing_data::RunSqlite;
using testing_data::TempFolder;

TEST(OdbcDriver, TheTypedFetchReadsEveryKind) {
  TempFolder folder;
  const std::string file = folder.File("erp.db");
  RunSqlite(file,
            "create table T(I integer, B bigint, F float, D date, TM time, TS datetime, "
            "BT bit, S varchar(10), X blob);"
            "insert into T values(-5, 9000000000, 2.25, '2024-02-29', '09:30:15', "
            "'2024-01-05 09:30:15.250', 1, 'text', x'00ff');"
            "insert into T values(null, null, null, null, null, null, null, null, null);");
  const std::string odbc = "Driver=" + testing_data::OdbcTestDriver() + ";Database=" + file;
  OdbcOptions typed;
  typed.fetch = OdbcOptions::Fetch::kTyped;
  auto connection = ConnectOdbc(odbc, "test database", 5, typed);
  auto statement = connection->Prepare("select * from T");
  ResultBuilder builder;
  Parameters none;
  statement->Open(none, 5, builder, false);
  const auto store = builder.Finish();
  ASSERT_EQ(store->RowCount(), 2u);
  auto column = [&](size_t i) -> const Column& { return store->ColumnAt(i); };
  EXPECT_EQ(column(0).LargeInt(0), -5);
  EXPECT_EQ(column(1).LargeInt(0), 9000000000);
  EXPECT_EQ(column(2).Float(0), 2.25);
  EXPECT_EQ(column(3).DateTimeValue(0), (DateTime{2024, 2, 29}));
  EXPECT_EQ(column(4).Text(0), "09:30:15");
  EXPECT_EQ(column(5).DateTimeValue(0), (DateTime{2024, 1, 5, 9, 30, 15, 250}));
  EXPECT_TRUE(column(6).Boolean(0));
  EXPECT_EQ(column(7).Text(0), "text");
  EXPECT_EQ(column(8).Text(0), std::string("\0\xff", 2));
  for (size_t i = 0; i < store->ColumnCount(); ++i) EXPECT_TRUE(column(i).IsNull(1)) << i;
}

TEST(OdbcDriver, ErrorsCarryEveryDiagnosticRecord) {
  TempFolder folder;
  RunSqlite(folder.File("erp.db"), "create table T(A int);");
  auto connection = ConnectOdbc(
      "Driver=" + testing_data::OdbcTestDriver() + ";Database=" + folder.File("erp.db"),
      "test database", 5);
  EXPECT_EQ(std::string(connection->GetDialect().Name()), "SQLite");
  try {
    connection->Prepare("select nope from T");
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& error) {
    ASSERT_FALSE(error.Entries().empty());
    EXPECT_EQ(error.Entries()[0].Message.rfind("[HY000] ", 0), 0u) << error.Entries()[0].Message;
    EXPECT_NE(error.Message().find("no such column"), std::string::npos) << error.Message();
    EXPECT_NE(error.Message().find("select nope from T"), std::string::npos) << error.Message();
  }
}

}  // namespace
}  // namespace gateway
