// What is particular to the SQLite driver: declared types, column attributes
// and the one-statement rule.
#include "data/sqlite/SqliteDriver.h"

#include <gtest/gtest.h>

#include "config/Errors.h"
#include "data/Connection.h"
#include "data/DataTestSupport.h"
#include "data/Query.h"
#include "data/sqlite/SqliteTypes.h"

namespace gateway {
namespace {

using testing_data::RunSqlite;
using testing_data::TempFolder;

TEST(SqliteTypes, DeclaredTypesMapToFieldTypes) {
  struct Case {
    const char* declared;
    FieldType type;
    int size;
  };
  const Case cases[] = {
      {"datetime", ftDateTime, 0},     {"DATE", ftDate, 0},
      {"time", ftTime, 0},             {"timestamp", ftDateTime, 0},
      {"char(4)", ftFixedChar, 4},     {"nchar(2)", ftFixedChar, 2},
      {"varchar(20)", ftString, 20},   {"NVARCHAR( 30 )", ftString, 30},
      {"varchar(max)", ftMemo, 0},     {"character varying(8)", ftString, 8},
      {"varchar", ftString, 0},        {"int", ftInteger, 0},
      {"INTEGER", ftInteger, 0},       {"smallint", ftSmallint, 0},
      {"tinyint", ftWord, 0},          {"bigint", ftLargeint, 0},
      {"bit", ftBoolean, 0},           {"boolean", ftBoolean, 0},
      {"real", ftFloat, 0},            {"double precision", ftFloat, 0},
      {"float", ftFloat, 0},           {"money", ftCurrency, 0},
      {"decimal(10,2)", ftBCD, 0},     {"numeric(18,4)", ftBCD, 0},
      {"numeric(20,6)", ftFMTBcd, 0},  {"numeric", ftFloat, 0},
      {"text", ftMemo, 0},             {"ntext", ftMemo, 0},
      {"blob", ftBlob, 0},             {"image", ftBlob, 0},
      {"varbinary(16)", ftBytes, 16},  {"uniqueidentifier", ftGuid, 38},
      {"unsigned big int", ftLargeint, 0}, {"medium int", ftLargeint, 0},
      {"", ftUnknown, 0},              {"any", ftUnknown, 0},
  };
  for (const Case& c : cases) {
    const FieldDef def = FieldDefForDeclaredType(c.declared);
    EXPECT_EQ(def.DataType, c.type) << c.declared << " gave " << FieldTypeName(def.DataType);
    EXPECT_EQ(def.Size, c.size) << c.declared;
  }
  const FieldDef decimal = FieldDefForDeclaredType("decimal(10,2)");
  EXPECT_EQ(decimal.Precision, 10);
  EXPECT_EQ(decimal.NumericScale, 2);
}

class SqliteDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunSqlite(folder_.File("erp.db"),
              "create table T(ID integer primary key autoincrement, CODE char(4) not null, "
              "NAME varchar(10)); insert into T(CODE, NAME) values('A', 'x');");
    connection_.SetConnectionString("Provider=SQLite;Data Source=" + folder_.File("erp.db"));
    query_.SetConnection(&connection_);
  }
  TempFolder folder_;
  Connection connection_;
  Query query_;
};

TEST_F(SqliteDriverTest, ColumnsCarryTheirTablesAttributes) {
  query_.SetSQL("select ID, CODE, NAME, NAME || '!' as E, T.CODE from T");
  query_.Open();
  EXPECT_EQ(query_.FieldByName("ID").DataType(), ftAutoInc);
  EXPECT_TRUE(query_.FieldByName("ID").ReadOnly());
  EXPECT_TRUE(query_.FieldByName("CODE").Required());
  EXPECT_FALSE(query_.FieldByName("NAME").Required());
  EXPECT_FALSE(query_.FieldByName("NAME").ReadOnly());
  EXPECT_TRUE(query_.FieldByName("E").ReadOnly());  // an expression
  EXPECT_EQ(query_.Fields(4).FieldName(), "CODE_1");  // names are made unique
  EXPECT_EQ(query_.FieldDefs()[1].Attributes & faFixed, faFixed);
}

TEST_F(SqliteDriverTest, OneStatementAtATime) {
  query_.SetSQL("select CODE from T; -- the end\n;/* really */");
  query_.Open();
  EXPECT_EQ(query_.RecordCount(), 1);
  query_.Close();
  query_.SetSQL("update T set NAME = 'y'; delete from T");
  try {
    query_.ExecSQL();
    ADD_FAILURE() << "two statements ran";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(error.Message().find("more than one statement"), std::string::npos);
  }
  query_.SetSQL("select NAME from T");
  query_.Open();
  EXPECT_EQ(query_.Fields(0).AsString(), "x");  // nothing ran
  query_.Close();
  query_.SetSQL("  -- nothing\n");
  EXPECT_THROW(query_.ExecSQL(), EDatabaseError);
  query_.ClearSQL();
  EXPECT_THROW(query_.ExecSQL(), EDatabaseError);
}

TEST_F(SqliteDriverTest, DatesGoInAsTheDriverReadsThemBack) {
  query_.SetSQL("insert into T(CODE, NAME) values('B', :at)");
  query_.Params()[0].SetValue(DateTime{2024, 1, 5, 9, 30, 0, 0});
  query_.ExecSQL();
  query_.SetSQL("select NAME from T where CODE = 'B'");
  query_.Open();
  EXPECT_EQ(query_.Fields(0).AsString(), "2024-01-05 09:30:00");
}

}  // namespace
}  // namespace gateway
