// The data-layer cases every driver must pass, run through the SQLite driver
// and through unixODBC with the SQLite ODBC driver on real database files, and
// through unixODBC with the PostgreSQL ODBC driver on the test server; then
// the cases particular to an SQLite database file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/Errors.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/DataTestSupport.h"
#include "data/TestDatabase.h"
#include "text/TextCase.h"

namespace gateway {
namespace {

using testing_data::ConnectionStringFor;
using testing_data::DriverKind;
using testing_data::RunSqlite;
using testing_data::TempFolder;
using testing_data::TestDatabase;

constexpr const char* kSchema =
    "create table PURTC(TC001 char(4) not null, TC002 varchar(20), TC003 datetime, "
    "TC004 integer, TC005 float, TC006 bit, TC007 text, TC008 blob, TC009 decimal(10,2), "
    "TC010 date, TC011 bigint);";

class DataLayerTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    file_ = folder_.File("erp.db");
    database_ = std::make_unique<TestDatabase>(GetParam(), file_);
    database_->Run(kSchema);
    connection_.SetConnectionString(database_->ConnectionString());
  }

  bool OnServer() const { return database_->OnServer(); }

  std::unique_ptr<Query> NewQuery(std::string_view sql) {
    auto query = std::make_unique<Query>();
    query->SetConnection(&connection_);
    query->SetSQL(sql);
    return query;
  }

  int64_t Count(std::string_view table = "PURTC") {
    auto query = NewQuery("select count(*) as n from " + std::string(table));
    query->Open();
    return query->Fields(0).AsLargeInt();
  }

  // Runs `action`, which must fail with EDatabaseError; returns the error.
  template <class Action>
  EDatabaseError Failure(Action action) {
    return testing_data::Failure<EDatabaseError>(action);
  }

  TempFolder folder_;
  std::string file_;
  std::unique_ptr<TestDatabase> database_;
  Connection connection_;
};

// The cases particular to an SQLite database file (locking, attaching company
// files, SQLite's loose typing), through both drivers that read one.
class SqliteFileTest : public DataLayerTest {};

TEST_P(DataLayerTest, ValuesRoundTripThroughParametersAndFieldsKeepTheirTypes) {
  auto insert = NewQuery(
      "insert into PURTC(TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009, TC010, "
      "TC011) values(:code, :name, :at, :qty, :price, :flag, :note, :data, :amount, :day, :big)");
  ASSERT_EQ(insert->Params().Count(), 11);
  const DateTime at{2024, 1, 5, 9, 30, 15, 120};
  insert->Params().ParamByName("code").SetValue("A001");
  insert->Params().ParamByName("name").SetValue("O'Brien 供应商");
  insert->Params().ParamByName("at").SetValue(at);
  insert->Params().ParamByName("qty").SetValue(42);
  insert->Params().ParamByName("price").SetValue(12.5);
  insert->Params().ParamByName("flag").SetValue(true);
  insert->Params().ParamByName("note").SetValue("a memo");
  insert->Params().ParamByName("data").SetValue(DataValue::Bytes(std::string("\0\x01\xff", 3)));
  insert->Params().ParamByName("amount").SetValue(1234.56);
  Parameter& day = insert->Params().ParamByName("day");
  day.SetDataType(ftDate);
  day.SetValue(DateTime{2024, 2, 29});
  insert->Params().ParamByName("big").SetValue(int64_t{1} << 40);
  EXPECT_EQ(insert->ExecSQL(), 1);

  auto query = NewQuery("select * from PURTC");
  query->Open();
  ASSERT_EQ(query->RecordCount(), 1);
  struct Expected {
    const char* name;
    FieldType type;
  };
  const Expected expected[] = {{"TC001", ftFixedChar}, {"TC002", ftString},  {"TC003", ftDateTime},
                               {"TC004", ftInteger},   {"TC005", ftFloat},   {"TC006", ftBoolean},
                               {"TC007", ftMemo},      {"TC008", ftBlob},    {"TC009", ftBCD},
                               {"TC010", ftDate},      {"TC011", ftLargeint}};
  for (const Expected& field : expected) {
    EXPECT_EQ(query->FieldByName(field.name).DataType(), field.type) << field.name;
  }
  EXPECT_EQ(query->FieldByName("TC001").Size(), 4);
  EXPECT_EQ(query->FieldByName("TC002").Size(), 20);
  EXPECT_EQ(query->FieldByName("TC001").AsString(), "A001");
  EXPECT_EQ(query->FieldByName("TC002").AsString(), "O'Brien 供应商");
  EXPECT_EQ(query->FieldByName("TC003").AsDateTime(), at);
  EXPECT_EQ(query->FieldByName("TC004").AsInteger(), 42);
  EXPECT_EQ(query->FieldByName("TC005").AsFloat(), 12.5);
  EXPECT_TRUE(query->FieldByName("TC006").AsBoolean());
  EXPECT_EQ(query->FieldByName("TC007").AsString(), "a memo");
  EXPECT_EQ(query->FieldByName("TC008").AsString(), std::string("\0\x01\xff", 3));
  EXPECT_EQ(query->FieldByName("TC009").AsString(), "1234.56");
  EXPECT_EQ(query->FieldByName("TC010").AsDateTime(), (DateTime{2024, 2, 29}));
  EXPECT_EQ(query->FieldByName("TC010").AsString(), "2024-02-29");
  EXPECT_EQ(query->FieldByName("TC011").AsLargeInt(), int64_t{1} << 40);
}

TEST_P(DataLayerTest, NullValuesReadAsNullInEveryType) {
  connection_.Execute("insert into PURTC(TC001) values('N1')");
  auto query = NewQuery("select * from PURTC");
  query->Open();
  for (int i = 1; i < query->FieldCount(); ++i) {
    const Field& field = query->Fields(i);
    EXPECT_TRUE(field.IsNull()) << field.FieldName();
    EXPECT_EQ(field.AsString(), "") << field.FieldName();
  }
  EXPECT_EQ(query->FieldByName("TC004").AsInteger(), 0);
  EXPECT_EQ(query->FieldByName("TC003").AsDateTime(), DateTime{});  // 30 December 1899

  // A null parameter writes a null.
  auto update = NewQuery("update PURTC set TC002 = 'x', TC004 = :qty");
  update->ExecSQL();
  update->Params()[0].SetValue(DataValue());
  EXPECT_EQ(update->ExecSQL(), 1);
  query->Close();
  query->Open();
  EXPECT_TRUE(query->FieldByName("TC004").IsNull());
  EXPECT_EQ(query->FieldByName("TC002").AsString(), "x");
}

TEST_P(DataLayerTest, MarkersInsideApostropheLiteralsStayText) {
  connection_.Execute("insert into PURTC(TC001, TC002) values('A', 'it''s :b')");
  connection_.Execute("insert into PURTC(TC001, TC002) values('B', 'x:y')");
  auto query = NewQuery(
      "select ':a' as lit, TC001 from PURTC where TC002 = 'it''s :b' or TC002 = :name "
      "order by TC001");
  ASSERT_EQ(query->Params().Count(), 1);
  EXPECT_EQ(query->Params()[0].Name(), "name");
  query->Params()[0].SetValue("x:y");
  query->Open();
  ASSERT_EQ(query->RecordCount(), 2);
  EXPECT_EQ(query->FieldByName("lit").AsString(), ":a");
  // A char(n) column comes padded from some engines; the query wrapper cuts the blanks.
  EXPECT_EQ(TrimRight(query->FieldByName("TC001").AsString()), "A");
}

TEST_P(DataLayerTest, LongTextAndBinaryValuesAreReadWhole) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "汉字ab-";  // 140,000 bytes, past any fetch buffer
  std::string bytes(50000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  auto insert = NewQuery("insert into PURTC(TC001, TC007, TC008) values('L', :text, :bytes)");
  insert->Params()[0].SetValue(text);
  insert->Params()[1].SetValue(DataValue::Bytes(bytes));
  insert->ExecSQL();
  auto query = NewQuery("select TC007, TC008 from PURTC");
  query->Open();
  EXPECT_EQ(query->Fields(0).AsString(), text);
  EXPECT_EQ(query->Fields(1).AsString(), bytes);
}

TEST_P(DataLayerTest, ARejectedStatementRaisesWithTheDatabasesDiagnostics) {
  const EDatabaseError error = Failure([&] { NewQuery("select * from NoSuchTable")->Open(); });
  EXPECT_NE(error.Message().find("NoSuchTable"), std::string::npos) << error.Message();
  ASSERT_FALSE(error.Entries().empty());
  EXPECT_NE(error.Entries()[0].Message.find(OnServer() ? "does not exist" : "no such table"),
            std::string::npos)
      << error.Entries()[0].Message;
  // ExecSQL reports the same way, and the connection stays usable.
  Failure([&] { NewQuery("insert into PURTC(NoSuchColumn) values(1)")->ExecSQL(); });
  EXPECT_EQ(Count(), 0);
}

TEST_P(DataLayerTest, TheCommandTimeoutInterruptsALongStatement) {
  // Statements with a far deadline first: the next one's own deadline counts,
  // not one set before it (else the endless statement below runs for an hour).
  for (int i = 0; i < 3; ++i) {
    auto quick = NewQuery("select count(*) from PURTC");
    quick->SetCommandTimeout(3600);
    quick->Open();
  }
  auto query = NewQuery(
      "with recursive c(x) as (select 1 union all select x + 1 from c) select count(*) from c");
  query->SetCommandTimeout(1);
  const EDatabaseError error = Failure([&] { query->Open(); });
  EXPECT_NE(error.Message().find("command timeout of 1 seconds"), std::string::npos)
      << error.Message();
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(Count(), 0);  // the connection is still usable
}

TEST_P(SqliteFileTest, ALockedDatabaseIsAwaitedForTheConnectionTimeoutOnly) {
  connection_.SetConnectionTimeout(1);
  EXPECT_EQ(Count(), 0);  // connected before the lock is taken
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(file_.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  const EDatabaseError error = Failure([&] { Count(); });
  EXPECT_NE(error.Message().find("locked"), std::string::npos) << error.Message();
  // Connecting while the database is locked fails the same way.
  Connection late;
  late.SetConnectionTimeout(1);
  late.SetConnectionString(ConnectionStringFor(GetParam(), file_));
  const EDatabaseError late_error = Failure([&] { late.Execute("select count(*) from PURTC"); });
  EXPECT_NE(late_error.Message().find("locked"), std::string::npos) << late_error.Message();
  sqlite3_exec(holder, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(Count(), 0);
}

TEST_P(SqliteFileTest, AMissingDatabaseFileIsAnErrorAndNotCreated) {
  const std::string missing = folder_.File("missing.db");
  Connection connection;
  connection.SetConnectionString(ConnectionStringFor(GetParam(), missing));
  Failure([&] { connection.Open(); });
  EXPECT_FALSE(connection.Connected());
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_P(DataLayerTest, TransactionsCommitAndRollBack) {
  connection_.BeginTrans();
  EXPECT_TRUE(connection_.InTransaction());
  Failure([&] { connection_.BeginTrans(); });
  connection_.Execute("insert into PURTC(TC001) values('R')");
  connection_.RollbackTrans();
  EXPECT_EQ(Count(), 0);
  connection_.BeginTrans();
  connection_.Execute("insert into PURTC(TC001) values('C')");
  connection_.CommitTrans();
  EXPECT_EQ(Count(), 1);
  Failure([&] { connection_.CommitTrans(); });
}

TEST_P(DataLayerTest, AHandOverKeepsTheNextOneWaitingUntilItEnds) {
  connection_.SetConnectionTimeout(1);
  Connection second;
  second.SetConnectionTimeout(1);
  second.SetConnectionString(database_->ConnectionString());
  connection_.BeginHandOver("");
  EXPECT_TRUE(connection_.InTransaction());
  connection_.Execute("insert into PURTC(TC001) values('H')");
  const EDatabaseError waited = Failure([&] { second.BeginHandOver(""); });
  EXPECT_EQ(waited.Message().rfind("Cannot begin the hand-over", 0), 0u) << waited.Message();
  EXPECT_NE(waited.Message().find("locked"), std::string::npos) << waited.Message();
  EXPECT_FALSE(second.InTransaction());
  // Readers are not kept out, and see nothing before the commit.
  Query reader;
  reader.SetConnection(&second);
  reader.SetSQL("select count(*) from PURTC");
  reader.Open();
  EXPECT_EQ(reader.Fields(0).AsInteger(), 0);
  reader.Close();
  connection_.CommitTrans();
  second.BeginHandOver("");
  second.RollbackTrans();
  EXPECT_EQ(Count(), 1);
}

TEST_P(SqliteFileTest, ACommitThatFailsLeavesNoTransactionOpen) {
  connection_.SetConnectionTimeout(1);
  EXPECT_EQ(Count(), 0);  // connected before the reader takes its lock
  // A reader in the middle of a read transaction keeps the commit from
  // writing for longer than the connection timeout.
  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open(file_.c_str(), &reader), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(reader, "begin; select count(*) from PURTC", nullptr, nullptr, nullptr),
            SQLITE_OK);
  connection_.BeginHandOver("");
  connection_.Execute("insert into PURTC(TC001) values('X')");
  const EDatabaseError error = Failure([&] { connection_.CommitTrans(); });
  EXPECT_NE(error.Message().find("locked"), std::string::npos) << error.Message();
  EXPECT_FALSE(connection_.InTransaction());
  sqlite3_exec(reader, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(reader);
  // Rolled back, and the connection begins the next transaction as usual.
  EXPECT_EQ(Count(), 0);
  connection_.BeginTrans();
  connection_.Execute("insert into PURTC(TC001) values('Y')");
  connection_.CommitTrans();
  EXPECT_EQ(Count(), 1);
}

TEST_P(SqliteFileTest, TheCompanyDatabaseIsAttachedOnFirstUse) {
  RunSqlite(folder_.File("FAC01.db"),
            "create table PURTC(TC001 char(4)); insert into PURTC values('F1'); "
            "insert into PURTC values('F2');");
  EXPECT_EQ(connection_.DatabasePrefix(""), "");
  EXPECT_EQ(connection_.DatabasePrefix("  "), "");
  const std::string prefix = connection_.DatabasePrefix("FAC01");
  EXPECT_EQ(prefix, "FAC01.");
  EXPECT_EQ(connection_.DatabasePrefix("FAC01"), prefix);  // attached once
  EXPECT_EQ(Count(prefix + "PURTC"), 2);
  const EDatabaseError missing = Failure([&] { connection_.DatabasePrefix("FAC02"); });
  EXPECT_NE(missing.Message().find("FAC02.db"), std::string::npos) << missing.Message();
  Failure([&] { connection_.DatabasePrefix("../FAC01"); });
}

TEST_P(DataLayerTest, TemporaryTablesTakeTheEnginesForm) {
  const Dialect& dialect = connection_.GetDialect();
  EXPECT_STREQ(dialect.Name(), OnServer() ? "PostgreSQL" : "SQLite");
  const std::string name = "##WS_20240105093015123";
  connection_.Execute("insert into PURTC(TC001, TC009) values('A', 1.5)");
  connection_.Execute("insert into PURTC(TC001, TC009) values('A', 1.5)");
  connection_.BeginTrans();
  connection_.Execute(dialect.CreateTempTable(name, " TC001 varchar(4), TC009 numeric,"));
  auto insert = NewQuery("insert into " + dialect.TempTableName(name) +
                         " (TC001, TC009) select TC001, TC009 from PURTC");
  EXPECT_EQ(insert->ExecSQL(), 2);
  auto distinct = NewQuery("select distinct TC001, TC009 from " + dialect.TempTableName(name));
  distinct->Open();
  EXPECT_EQ(distinct->RecordCount(), 1);
  EXPECT_EQ(distinct->FieldByName("TC009").AsFloat(), 1.5);
  connection_.RollbackTrans();
  Failure([&] { NewQuery("select * from " + dialect.TempTableName(name))->Open(); });

  connection_.Execute(dialect.CreateTempTableAs("##copy", "select TC001 from PURTC"));
  EXPECT_EQ(Count(dialect.TempTableName("##copy")), 2);
  connection_.Execute(dialect.DropTempTable("##copy"));
}

TEST(DialectTest, SqlServerHandOversWaitForAnApplicationLockOfTheCompanyDatabase) {
  const HandOverStatements start = SqlServerDialect().HandOver("FAC1..", 15);
  EXPECT_EQ(start.begin, "");
  EXPECT_NE(start.lock.find("EXEC @granted = FAC1..sp_getapplock @Resource = N'gateway hand-over'"),
            std::string::npos)
      << start.lock;
  EXPECT_NE(start.lock.find("@LockOwner = N'Transaction', @LockTimeout = 15000;"),
            std::string::npos)
      << start.lock;
  EXPECT_NE(start.lock.find("IF @granted < 0 RAISERROR("), std::string::npos) << start.lock;
  // No timeout: wait without limit.
  EXPECT_NE(SqlServerDialect().HandOver("", 0).lock.find("= sp_getapplock"), std::string::npos);
  EXPECT_NE(SqlServerDialect().HandOver("", 0).lock.find("@LockTimeout = -1;"), std::string::npos);
  EXPECT_EQ(SqliteDialect().HandOver("FAC1.", 15).begin, "BEGIN IMMEDIATE");
}

TEST_P(DataLayerTest, TheDriverDescribesTheParameterCount) {
  auto query = NewQuery("insert into PURTC(TC001, TC004) values(:a, :b)");
  Parameters described;
  query->DescribeParameters(described);
  EXPECT_EQ(described.Count(), 2);
  // A query whose parameter list does not match its markers is refused.
  query->SetParamCheck(false);
  query->SetSQL("insert into PURTC(TC001) values(?)");
  const EDatabaseError error = Failure([&] { query->ExecSQL(); });
  EXPECT_NE(error.Message().find("1 parameter markers but 2"), std::string::npos)
      << error.Message();
}

TEST_P(DataLayerTest, APreparedQueryRunsManyTimesAndCountsChangedRows) {
  auto insert = NewQuery("insert into PURTC(TC001, TC004) values(:code, :qty)");
  insert->SetPrepared(true);
  EXPECT_TRUE(insert->Prepared());
  for (int i = 0; i < 50; ++i) {
    insert->Params()[0].SetValue("P" + std::to_string(i));
    insert->Params()[1].SetValue(i);
    EXPECT_EQ(insert->ExecSQL(), 1);
  }
  insert->SetPrepared(false);
  EXPECT_EQ(NewQuery("update PURTC set TC002 = 'x' where TC004 < 10")->ExecSQL(), 10);
  EXPECT_EQ(NewQuery("delete from PURTC where TC004 >= 40")->ExecSQL(), 10);
  EXPECT_EQ(Count(), 40);
}

TEST_P(DataLayerTest, OpeningAStatementWithoutRowsIsRefusedBeforeItRuns) {
  connection_.Execute("insert into PURTC(TC001) values('K')");
  const EDatabaseError error = Failure([&] { NewQuery("delete from PURTC")->Open(); });
  EXPECT_NE(error.Message().find("ExecSQL"), std::string::npos) << error.Message();
  EXPECT_EQ(Count(), 1);
}

TEST_P(DataLayerTest, AttachedDatasetsAreListedInOrder) {
  auto first = NewQuery("select TC001 from PURTC");
  {
    auto second = NewQuery("select TC002 from PURTC");
    ASSERT_EQ(connection_.DataSetCount(), 2);
    EXPECT_EQ(&connection_.DataSets(1), second.get());
    first->Open();
    second->Open();
    for (int i = 0; i < connection_.DataSetCount(); ++i) connection_.DataSets(i).Close();
    EXPECT_FALSE(first->Active());
    EXPECT_FALSE(second->Active());
  }
  EXPECT_EQ(connection_.DataSetCount(), 1);
  EXPECT_EQ(&connection_.DataSets(0), first.get());
}

TEST_P(SqliteFileTest, ExpressionsTakeTheTypeOfTheirFirstValue) {
  connection_.Execute("insert into PURTC(TC001, TC002) values('A', 'short')");
  connection_.Execute("insert into PURTC(TC001, TC002) values('B', 'a longer one')");
  auto query = NewQuery(
      "select count(*) over () as n, TC002 || '!' as t, 2.5 * 2 as f from PURTC order by TC001");
  query->Open();
  EXPECT_EQ(query->FieldByName("n").DataType(), ftLargeint);
  EXPECT_EQ(query->FieldByName("n").AsInteger(), 2);
  EXPECT_EQ(query->FieldByName("t").DataType(), ftString);
  EXPECT_EQ(query->FieldByName("t").Size(), 13);  // the longest value
  EXPECT_EQ(query->FieldByName("f").DataType(), ftFloat);
  EXPECT_EQ(query->FieldByName("f").AsFloat(), 5.0);
}

TEST_P(DataLayerTest, BcdFieldsReadAsFloatWhenBcdIsOff) {
  connection_.Execute("insert into PURTC(TC001, TC009) values('A', 10.25)");
  auto query = NewQuery("select TC009 from PURTC");
  query->SetEnableBCD(false);
  query->Open();
  EXPECT_EQ(query->Fields(0).DataType(), ftFloat);
  EXPECT_EQ(query->Fields(0).AsFloat(), 10.25);
}

TEST_P(DataLayerTest, AnOpenResultOutlivesItsConnection) {
  connection_.Execute("insert into PURTC(TC001, TC002) values('A', 'A')");
  auto query = NewQuery("select TC002 from PURTC");
  query->SetPrepared(true);
  query->Open();
  connection_.Close();
  EXPECT_FALSE(query->Prepared());
  EXPECT_EQ(query->Fields(0).AsString(), "A");
  query->Close();
  query->Open();  // connects again on demand
  EXPECT_TRUE(connection_.Connected());
  EXPECT_EQ(query->RecordCount(), 1);
}

TEST_P(SqliteFileTest, AValueThatDoesNotFitItsColumnTypeStaysReadableAsText) {
  // SQLite keeps whatever it is given; such values must not turn into wrong numbers or dates.
  RunSqlite(file_,
            "create table R(K int, D datetime, N integer, B bit, F float);"
            "insert into R values(1, 'garbage', '12abc', 'maybe', '1.5x');"
            "insert into R values(2, '2024-01-05 09:30:15', 7, 1, 2.5);"
            "insert into R values(3, '2024-01-05', 1.5, 0, 3);"
            "insert into R values(4, null, 3000000000, null, null);");
  auto query = NewQuery("select * from R order by K");
  query->Open();
  Field& d = query->FieldByName("D");
  Field& n = query->FieldByName("N");
  EXPECT_TRUE(d.HoldsRawText());
  EXPECT_FALSE(d.IsNull());
  EXPECT_EQ(d.AsString(), "garbage");
  try {
    d.AsDateTime();
    ADD_FAILURE() << "garbage read as a date";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(error.Message().find("Field 'D' holds 'garbage'"), std::string::npos)
        << error.Message();
  }
  EXPECT_EQ(n.AsString(), "12abc");
  EXPECT_THROW(n.AsInteger(), EDatabaseError);
  EXPECT_EQ(query->FieldByName("B").AsString(), "maybe");
  EXPECT_THROW(query->FieldByName("B").AsBoolean(), EDatabaseError);
  EXPECT_EQ(query->FieldByName("F").AsString(), "1.5x");
  query->Next();
  EXPECT_FALSE(d.HoldsRawText());
  EXPECT_EQ(d.AsDateTime(), (DateTime{2024, 1, 5, 9, 30, 15}));
  EXPECT_EQ(n.AsInteger(), 7);
  query->Next();
  EXPECT_EQ(d.AsDateTime(), (DateTime{2024, 1, 5}));
  EXPECT_EQ(n.AsString(), "1.5");  // a fraction in an integer column is not cut to 1
  EXPECT_THROW(n.AsInteger(), EDatabaseError);
  query->Next();
  EXPECT_EQ(n.AsLargeInt(), 3000000000);  // too large for the integer field, kept whole
  EXPECT_THROW(n.AsInteger(), EDatabaseError);
  // Raw values do not disturb searching the good ones.
  query->SetFilter("(D >= #2024-01-05#)");
  EXPECT_EQ(query->RecordCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DataLayerTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc,
                                           DriverKind::kPostgres),
                         testing_data::DriverLabel);
INSTANTIATE_TEST_SUITE_P(Drivers, SqliteFileTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc),
                         testing_data::DriverLabel);

}  // namespace
}  // namespace gateway
