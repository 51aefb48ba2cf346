// Named parameter markers and the parameter collection.
#include "data/Parameters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Errors.h"

namespace gateway {
namespace {

TEST(ParameterMarkers, BecomeQuestionMarksInOrderOfAppearance) {
  struct Case {
    const char* sql;
    const char* text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"select * from T where A = :A and B = :B", "select * from T where A = ? and B = ?", {"A", "B"}},
      {"values(:X,:Y);", "values(?,?);", {"X", "Y"}},
      {"where A = :X or B = :X", "where A = ? or B = ?", {"X", "X"}},  // twice: two parameters
      {"where A = ':X' and B = :Y", "where A = ':X' and B = ?", {"Y"}},
      {"where A = 'it''s :X' and B = :Y", "where A = 'it''s :X' and B = ?", {"Y"}},
      {"select '::' as a, b::text", "select '::' as a, b:text", {}},
      {"select 1 as [a : b]", "select 1 as [a : b]", {}},  // a colon with no name stays
      {"where A = :A\r\nand B = :B\tand C = :C)", "where A = ?\r\nand B = ?\tand C = ?)", {"A", "B", "C"}},
      {"where A = :A+1", "where A = ?", {"A+1"}},  // only the listed characters end a name
      {":Only", "?", {"Only"}},
      // Quoted names and comments are text too; a name ends where one begins.
      {"select 1 as [a:b], ' ]) ' where A = :A", "select 1 as [a:b], ' ]) ' where A = ?", {"A"}},
      {"select \"x:y\", `u:v` -- :c\n/* :d */ from T where A = :A",
       "select \"x:y\", `u:v` -- :c\n/* :d */ from T where A = ?", {"A"}},
      {"where A = :A'x'", "where A = ?'x'", {"A"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    EXPECT_EQ(ParseParameterMarkers(c.sql, &names), c.text) << c.sql;
    EXPECT_EQ(names, c.names) << c.sql;
  }
}

TEST(Parameters, ParseCreatesOneItemPerMarkerAndAssignCopies) {
  Parameters params;
  EXPECT_EQ(params.ParseSQL("insert into T values(:a, :b, :a)", true), "insert into T values(?, ?, ?)");
  ASSERT_EQ(params.Count(), 3);
  EXPECT_EQ(params[2].Name(), "a");
  params[1].SetDataType(ftInteger);
  params[1].SetSize(4);
  params[1].SetValue(5);
  EXPECT_EQ(&params.ParamByName("B"), &params[1]);  // names match without regard to case
  EXPECT_EQ(params.FindParam("c"), nullptr);
  EXPECT_THROW(params.ParamByName("c"), EDatabaseError);
  EXPECT_THROW(params[3], EDatabaseError);
  EXPECT_EQ(params[0].Collection(), &params);

  Parameters copy;
  copy.Assign(params);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy[1].DataType(), ftInteger);
  EXPECT_EQ(copy[1].Size(), 4);
  EXPECT_EQ(copy[1].Value(), DataValue(5));
  EXPECT_EQ(copy[1].Collection(), &copy);
}

TEST(DataValue, ConvertsBetweenKindsOrSaysWhy) {
  EXPECT_EQ(DataValue("12").AsInteger(), 12);
  EXPECT_EQ(DataValue(2.5).AsString(), "2.5");
  EXPECT_EQ(DataValue(true).AsString(), "True");
  EXPECT_EQ(DataValue(DateTime{2024, 1, 5}).AsString(), "2024-01-05 00:00:00");
  EXPECT_EQ(DataValue("2024-01-05").AsDateTime(), (DateTime{2024, 1, 5}));
  EXPECT_EQ(DataValue().AsString(), "");
  EXPECT_EQ(DataValue().AsInteger(), 0);
  EXPECT_THROW(DataValue("abc").AsInteger(), EDatabaseError);
  EXPECT_THROW(DataValue("abc").AsDateTime(), EDatabaseError);
  EXPECT_NE(DataValue("1"), DataValue(1));
  EXPECT_NE(DataValue::Bytes("a"), DataValue("a"));
}

}  // namespace
}  // namespace gateway
