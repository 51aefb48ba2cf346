// The query wrapper: parameter items and their value rules, the command
// timeout policy, parameters rebuilt from the SQL text, field fix-ups, find
// criteria and LocateKeys, on real database files through both drivers.
#include "data/KvAdoQuery.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/Errors.h"
#include "data/DataTestSupport.h"
#include "data/KvAdoConnection.h"

namespace gateway {
namespace {

using testing_data::ConnectionStringFor;
using testing_data::DriverKind;
using testing_data::RunSqlite;
using testing_data::TempFolder;

// --- TParam ------------------------------------------------------------------

TEST(TParam, WritingAValueFixesSizesAndReachesEveryParameterOfThatName) {
  TParams params;
  TParam& x = static_cast<TParam&>(params.Add("X"));
  x.SetDataType(ftString);
  x.SetSize(3);
  Parameter& twin = params.Add("X");
  twin.SetDataType(ftString);
  Parameter& other_case = params.Add("x");
  other_case.SetDataType(ftInteger);
  Parameter& untyped = params.Add("U");

  x.SetValue("twelve chars");
  EXPECT_EQ(x.Size(), 12);  // a string grows to its value
  EXPECT_EQ(twin.Value(), DataValue("twelve chars"));
  EXPECT_EQ(twin.Size(), 1);                 // the others only lose a zero size
  EXPECT_TRUE(other_case.Value().IsNull());  // names compare exactly
  EXPECT_EQ(other_case.Size(), 0);

  params.Items(2).SetValue(7);
  EXPECT_EQ(other_case.Size(), 1);
  params.Items(3).SetValue(7);
  EXPECT_EQ(untyped.Size(), 0);  // an unknown type keeps its size

  x.SetSize(20);
  x.SetValue("ab");
  EXPECT_EQ(x.Size(), 20);  // never shrinks
}

// --- command timeouts --------------------------------------------------------

TEST(KvAdoQueryTimeout, EffectiveTimeoutForEachType) {
  struct Case {
    TCommandTimeoutType type;
    int own;
    int expected;
  };
  const Case cases[] = {
      {ctConnectionCommandTime, 30, 60}, {ctSelfCommandTime, 30, 30}, {ctMaxCommandTime, 30, 60},
      {ctMinCommandTime, 30, 30},        {ctMaxCommandTime, 90, 90},  {ctMinCommandTime, 90, 60},
  };
  TKvADOConnection connection;
  connection.SetCommandTimeout(60);
  for (const Case& c : cases) {
    TKvADOQuery query;
    query.SetConnection(&connection);
    query.SetCommandTimeoutType(c.type);
    query.SetCommandTimeout(c.own);
    EXPECT_EQ(query.GetEffectiveCommandTimeout(), c.expected) << int(c.type) << " " << c.own;
  }
}

TEST(KvAdoQueryTimeout, ConnectionSideWithoutAConnectionObject) {
  TKvADOQuery query;
  EXPECT_EQ(query.CommandTimeout(), 30);
  EXPECT_EQ(query.CommandTimeoutType(), ctConnectionCommandTime);
  EXPECT_EQ(query.GetConnectionCommandTimeout(), 30);  // no connection string either

  query.SetConnectionString("Provider=SQLite;Data Source=/nowhere.db;Command Timeout=45");
  EXPECT_EQ(query.GetConnectionCommandTimeout(), 45);
  query.SetConnectionString("Provider=SQLite;Data Source=/nowhere.db;Command Timeout=4x");
  EXPECT_EQ(query.GetConnectionCommandTimeout(), 30);
  query.SetConnectionString("Provider=Jet;Data Source=/nowhere.db");
  EXPECT_THROW(query.GetEffectiveCommandTimeout(), EDatabaseError);
}

TEST(KvAdoQuery, CachedUpdatesFollowsTheLockType) {
  TKvADOQuery query;
  EXPECT_FALSE(query.CachedUpdates());
  query.SetCachedUpdates(true);
  EXPECT_EQ(query.GetLockType(), ltBatchOptimistic);
  query.SetCachedUpdates(false);
  EXPECT_EQ(query.GetLockType(), ltOptimistic);
  query.SetLockType(ltReadOnly);
  query.SetCachedUpdates(false);
  EXPECT_EQ(query.GetLockType(), ltReadOnly);
}

TEST(KvAdoQuery, ParametersFollowTheTextAlsoWithoutAConnection) {
  TKvADOQuery query;
  query.SetSQL("select :a");
  query.Params().Items(0).SetValue(1);
  query.SetSQL("select :b, :a");
  ASSERT_EQ(query.Params().Count(), 2);
  EXPECT_EQ(query.Params().Items(0).Name(), "b");
  EXPECT_EQ(query.Params().Items(1).Value(), DataValue(1));
}

TEST(KvAdoQuery, BcdParametersBecomeFloatsWhileBcdIsOff) {
  TKvADOQuery query;
  EXPECT_FALSE(query.EnableBCD());
  query.SetSQL("select :amount");
  query.Params().Items(0).SetDataType(ftBCD);
  query.SetParamCheck(false);  // the list stays; the setting is applied to it
  query.SetSQL("select :amount as a");
  EXPECT_EQ(query.Params().Items(0).DataType(), ftFloat);

  query.SetEnableBCD(true);
  query.Params().Items(0).SetDataType(ftBCD);
  query.SetSQL("select :amount as b");
  EXPECT_EQ(query.Params().Items(0).DataType(), ftBCD);
}

// --- find criteria -----------------------------------------------------------

class FindCriterionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataset_.CreateDataSet({{"code", ftString, 10},
                            {"fixed", ftFixedChar, 4},
                            {"wide", ftWideString, 10},
                            {"Unit Price", ftInteger},
                            {"at", ftDateTime},
                            {"price", ftFloat}});
  }
  const Field& F(const char* name) { return dataset_.FieldByName(name); }
  DataSet dataset_;
};

TEST_F(FindCriterionTest, QuotesAndOperatorsByType) {
  struct Case {
    const char* field;
    DataValue value;
    bool partial;
    const char* expected;
  };
  const Case cases[] = {
      {"code", "abc", false, "(code='abc')"},
      {"code", "abc", true, "(code like 'abc*')"},
      {"fixed", "ab", true, "(fixed like 'ab*')"},
      {"wide", "ab", false, "(wide='ab')"},
      {"code", "O'Brien", false, "(code=#O'Brien#)"},
      {"code", "O'B", true, "(code like #O'B*#)"},
      {"code", DataValue(), false, "(code=Null)"},
      {"code", DataValue(), true, "(code=Null)"},
      // An empty text is a value, not Null.
      {"code", "", false, "(code='')"},
      {"code", "", true, "(code='')"},
      {"Unit Price", 5, true, "([Unit Price]=5)"},
      {"price", 1.5, false, "(price=1.5)"},
      {"at", DateTime{2024, 1, 5, 9, 30, 15}, false, "(at=#2024-01-05 09:30:15#)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildFindCriterion(F(c.field), c.value, c.partial), c.expected) << c.expected;
  }
}

// --- on database files, through both drivers ----------------------------------

class KvAdoQueryDbTest : public ::testing::TestWithParam<DriverKind> {
 protected:
  void SetUp() override {
    file_ = folder_.File("erp.db");
    RunSqlite(file_,
              "create table K(code varchar(10), name varchar(20), n integer, d datetime);"
              "insert into K values('ABC', 'upper', 1, '2024-01-05 09:30:15');"
              "insert into K values('abc', 'lower', 2, '2024-02-01 00:00:00');"
              "insert into K values('abd', 'other', 3, null);"
              "insert into K values('O''Brien', 'quote', 4, null);"
              "insert into K values(null, 'nothing', 5, null);"
              "insert into K values('', 'empty', 6, null);"
              "create table F(c char(10), v varchar(20), t text, u varchar, a decimal(10,2), "
              "i integer);"
              "insert into F values('ab', 'x  ', 'memo  ', 'u', 12.5, 1);");
    connection_.SetConnectionString(ConnectionStringFor(GetParam(), file_));
  }

  std::unique_ptr<TKvADOQuery> NewQuery(std::string_view sql) {
    auto query = std::make_unique<TKvADOQuery>();
    query->SetConnection(&connection_);
    query->SetSQL(sql);
    return query;
  }

  TempFolder folder_;
  std::string file_;
  TKvADOConnection connection_;
};

TEST_P(KvAdoQueryDbTest, MarkersBecomeQuestionMarksOutsideLiterals) {
  auto query = NewQuery("select :A as a, :B as b, 'it''s :x' as lit, '1::2' as q, 3 as \"c::d\"");
  EXPECT_EQ(query->CommandText(),
            "select ? as a, ? as b, 'it''s :x' as lit, '1::2' as q, 3 as \"c:d\"\n");
  ASSERT_EQ(query->Params().Count(), 2);
  EXPECT_EQ(query->Params().Items(0).Name(), "A");
  EXPECT_EQ(query->Params().Items(1).Name(), "B");
  query->Params().Items(0).SetValue(5);
  query->Params().Items(1).SetValue("x");
  query->Open();
  EXPECT_EQ(query->FieldByName("a").AsInteger(), 5);
  EXPECT_EQ(query->FieldByName("b").AsString(), "x");
  EXPECT_EQ(query->FieldByName("lit").AsString(), "it's :x");
  EXPECT_EQ(query->FieldByName("q").AsString(), "1::2");  // inside a literal nothing changes
}

TEST_P(KvAdoQueryDbTest, ANameUsedTwiceGivesTwoParametersThatTakeOneValue) {
  auto query = NewQuery("select count(*) as n from K where n = :N or n = :N + 1");
  ASSERT_EQ(query->Params().Count(), 2);
  query->Params().Items(1).SetValue(2);
  EXPECT_EQ(query->Params().Items(0).Value(), DataValue(2));
  query->Open();
  EXPECT_EQ(query->Fields(0).AsInteger(), 2);
}

TEST_P(KvAdoQueryDbTest, ValuesSurviveATextChangeByExactName) {
  auto query = NewQuery("select :A as a, :B as b");
  query->Params().Items(0).SetValue(5);
  query->Params().Items(1).SetValue("x");
  query->SetSQL("select :B as b, :C as c, :a as lower_a");
  ASSERT_EQ(query->Params().Count(), 3);
  EXPECT_EQ(query->Params().Items(0).Value(), DataValue("x"));
  EXPECT_TRUE(query->Params().Items(1).Value().IsNull());
  EXPECT_TRUE(query->Params().Items(2).Value().IsNull());
  query->Open();
  EXPECT_EQ(query->FieldByName("b").AsString(), "x");
  EXPECT_TRUE(query->FieldByName("c").IsNull());
}

TEST_P(KvAdoQueryDbTest, ATextWithoutMarkersRunsWithoutTheOldParameters) {
  auto query = NewQuery("insert into K(code, n) values(:code, :n)");
  query->Params().Items(0).SetValue("new");
  query->Params().Items(1).SetValue(7);
  EXPECT_EQ(query->ExecuteStatement(), 1);
  query->SetSQL("update K set name = 'changed' where n = 7");
  EXPECT_EQ(query->Params().Count(), 0);
  EXPECT_EQ(query->ExecuteStatement(), 1);
}

TEST_P(KvAdoQueryDbTest, TheEffectiveTimeoutIsAppliedAtEveryOpenAndRun) {
  connection_.SetCommandTimeout(60);
  auto query = NewQuery("select 1");
  query->SetCommandTimeout(20);
  query->SetCommandTimeoutType(ctMinCommandTime);
  query->Open();
  EXPECT_EQ(query->Query::CommandTimeout(), 20);
  query->Close();
  query->SetCommandTimeoutType(ctMaxCommandTime);
  query->Open();
  EXPECT_EQ(query->Query::CommandTimeout(), 60);
  query->Close();
  connection_.SetCommandTimeout(90);
  query->SetSQL("update K set n = n");
  query->ExecuteStatement();
  EXPECT_EQ(query->Query::CommandTimeout(), 90);
}

TEST_P(KvAdoQueryDbTest, FieldFixUps) {
  auto query = NewQuery("select c, v, t, u, a, i, i + 1 as e from F");
  query->Open();
  EXPECT_EQ(query->FieldByName("c").DataType(), ftFixedChar);
  EXPECT_EQ(query->FieldByName("c").AsString(), "ab");
  EXPECT_EQ(query->FieldByName("v").AsString(), "x");
  EXPECT_EQ(query->FieldByName("v").Value(), DataValue("x"));
  EXPECT_EQ(query->FieldByName("t").AsString(), "memo  ");  // a memo keeps its blanks
  EXPECT_GT(query->FieldByName("u").Size(), 0);             // no zero sizes (ODBC reports 255)
  if (GetParam() == DriverKind::kSqlite) {
    EXPECT_EQ(query->FieldByName("u").Size(), 1);
  }
  EXPECT_EQ(query->FieldByName("i").Size(), 0);  // but where a size means nothing
  // Decimals are read as floats while BCD is off.
  EXPECT_EQ(query->FieldByName("a").DataType(), ftFloat);
  EXPECT_EQ(query->FieldByName("a").AsFloat(), 12.5);
  EXPECT_FALSE(query->FieldByName("e").ReadOnly());

  Query plain;
  plain.SetConnection(&connection_);
  plain.SetSQL("select a from F");
  plain.Open();
  EXPECT_EQ(plain.Fields(0).DataType(), ftBCD);
}

TEST(KvAdoQueryFields, OnlyNarrowCharacterFieldsLoseTrailingBlanks) {
  TKvADOQuery query;
  query.CreateDataSet({{"s", ftString, 10},
                       {"f", ftFixedChar, 10},
                       {"g", ftGuid, 38},
                       {"w", ftWideString, 10},
                       {"m", ftMemo}});
  query.Append();
  for (int i = 0; i < query.FieldCount(); ++i) query.Fields(i).SetAsString("a \t ");
  query.Post();
  EXPECT_EQ(query.FieldByName("s").AsString(), "a \t");  // only the blank counts
  EXPECT_EQ(query.FieldByName("f").AsString(), "a \t");
  EXPECT_EQ(query.FieldByName("g").AsString(), "a \t");
  EXPECT_EQ(query.FieldByName("w").AsString(), "a \t ");
  EXPECT_EQ(query.FieldByName("m").AsString(), "a \t ");
}

// --- LocateKeys --------------------------------------------------------------

struct LocateCase {
  const char* fields;
  std::vector<DataValue> values;
  LocateOptions options;
  const char* expected_name;  // null: not found
};

TEST_P(KvAdoQueryDbTest, LocateKeysConfirmsTextCaseSensitively) {
  const LocateCase cases[] = {
      {"code", {"abc"}, 0, "lower"},
      {"code", {"abc"}, loCaseInsensitive, "upper"},
      {"code", {"ab"}, loPartialKey, "lower"},
      {"code", {"ab"}, loPartialKey | loCaseInsensitive, "upper"},
      {"code", {"ABD"}, 0, nullptr},
      {"code", {"ABD"}, loCaseInsensitive, "other"},
      {"code", {"O'Brien"}, 0, "quote"},
      {"code", {DataValue()}, 0, "nothing"},
      {"code", {""}, 0, "empty"},
      {"code", {""}, loPartialKey, nullptr},  // an empty partial key matches nothing
      {"code;n", {"abc", 2}, 0, "lower"},
      {"code;n", {"abc", 1}, 0, nullptr},
      {"n;code", {1, "AB"}, loPartialKey, "upper"},
      {"n;code", {2, "AB"}, loPartialKey, nullptr},
      {"n", {3}, 0, "other"},
      {"d", {DateTime{2024, 2, 1}}, 0, "lower"},
      {"nope", {"x"}, 0, nullptr},
      {"code;n", {"abc"}, 0, nullptr},  // too few values
  };
  auto query = NewQuery("select * from K order by n");
  query->Open();
  for (const LocateCase& c : cases) {
    query->SetRecNo(4);
    const bool found = query->LocateKeys(c.fields, c.values, c.options);
    EXPECT_EQ(found, c.expected_name != nullptr) << c.fields << " " << int(c.options);
    if (found && c.expected_name != nullptr) {
      EXPECT_EQ(query->FieldByName("name").AsString(), c.expected_name) << c.fields;
    } else {
      EXPECT_EQ(query->RecNo(), 4) << c.fields;  // the cursor stays where it was
    }
  }
}

TEST_P(KvAdoQueryDbTest, LocateKeysRunsTheScrollHooksOnce) {
  auto query = NewQuery("select * from K order by n");
  query->Open();
  int before = 0, after = 0;
  query->BeforeScroll = [&](DataSet&) { ++before; };
  query->AfterScroll = [&](DataSet&) { ++after; };
  ASSERT_TRUE(query->LocateKeys("code", {"abd"}, 0));
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  ASSERT_FALSE(query->LocateKeys("code", {"zzz"}, 0));
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 1);
}

TEST_P(KvAdoQueryDbTest, LocateKeysDoesNotLandOnARowTheFilterHides) {
  auto query = NewQuery("select * from K order by n");
  query->Open();
  query->SetFilter("n > 2");
  EXPECT_FALSE(query->LocateKeys("code", {"abc"}, 0));
  EXPECT_TRUE(query->LocateKeys("code", {"abd"}, 0));
}

TEST_P(KvAdoQueryDbTest, CloseDataSetsClosesEveryAttachedQuery) {
  auto first = NewQuery("select * from K");
  auto second = NewQuery("select * from F");
  first->Open();
  second->Open();
  CloseDataSets(connection_);
  EXPECT_FALSE(first->Active());
  EXPECT_FALSE(second->Active());
}

INSTANTIATE_TEST_SUITE_P(Drivers, KvAdoQueryDbTest,
                         ::testing::Values(DriverKind::kSqlite, DriverKind::kOdbc),
                         [](const ::testing::TestParamInfo<DriverKind>& param) {
                           return testing_data::DriverName(param.param);
                         });

}  // namespace
}  // namespace gateway
