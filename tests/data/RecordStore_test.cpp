// Column storage: conversions into a column's type and what a large result costs.
#include "data/RecordStore.h"

#include <gtest/gtest.h>

#include <string>

namespace gateway {
namespace {

TEST(RecordStore, ValuesConvertToTheColumnTypeOrStayRaw) {
  struct Case {
    FieldType type;
    const char* text;
    bool raw;
    const char* read_back;
  };
  const Case cases[] = {
      {ftInteger, "42", false, "42"},           {ftInteger, "4e2", true, "4e2"},
      {ftSmallint, "40000", true, "40000"},     {ftWord, "-1", true, "-1"},
      {ftLargeint, "9000000000", false, "9000000000"},
      {ftBoolean, "true", false, "True"},       {ftBoolean, "0", false, "False"},
      {ftFloat, "1e-3", false, "0.001"},        {ftCurrency, "12.34567", false, "12.3457"},
      {ftBCD, "-0.5", false, "-0.5"},           {ftFMTBcd, "123456789012345678901.25", false,
                                                 "123456789012345678901.25"},
      {ftFMTBcd, "n/a", true, "n/a"},           {ftDate, "2024-01-05", false, "2024-01-05"},
      {ftTime, "09:30", false, "09:30:00"},     {ftDateTime, "05/01/2024", true, "05/01/2024"},
      {ftString, "any text", false, "any text"},
  };
  for (const Case& c : cases) {
    Column column("C", c.type);
    column.AddRow();
    column.SetText(0, c.text);
    EXPECT_EQ(column.IsRaw(0), c.raw) << FieldTypeName(c.type) << " " << c.text;
    EXPECT_EQ(column.Text(0), c.read_back) << FieldTypeName(c.type) << " " << c.text;
    EXPECT_FALSE(column.IsNull(0));
  }
}

TEST(RecordStore, AColumnWithoutTypeTakesItsFirstValuesType) {
  ResultBuilder builder;
  builder.DefineColumns({{"A"}, {"B"}, {"C", ftString}});
  builder.BeginRow();
  builder.BeginRow();
  builder.PutFloat(0, 1.5);
  builder.PutText(1, "abc");
  builder.PutText(2, "a much longer text");
  builder.BeginRow();
  builder.PutInteger(0, 2);
  builder.PutText(1, "abcdef");
  const auto store = builder.Finish();
  EXPECT_EQ(store->Defs()[0].DataType, ftFloat);
  EXPECT_EQ(store->ColumnAt(0).Float(2), 2.0);
  EXPECT_TRUE(store->ColumnAt(0).IsNull(0));
  EXPECT_EQ(store->Defs()[1].DataType, ftString);
  EXPECT_EQ(store->Defs()[1].Size, 6);
  EXPECT_EQ(store->Defs()[2].Size, 18);
}

TEST(RecordStore, NullsSortFirstThenRawTextsThenValues) {
  Column column("C", ftInteger);
  for (int i = 0; i < 4; ++i) column.AddRow();
  column.SetInteger(0, 5);
  column.SetText(1, "x");
  column.SetInteger(3, -1);
  EXPECT_LT(column.Compare(2, 1), 0);  // null before raw
  EXPECT_LT(column.Compare(1, 3), 0);  // raw before a value
  EXPECT_GT(column.Compare(0, 3), 0);
  EXPECT_EQ(column.Compare(2, 2), 0);
}

TEST(RecordStore, ALargeResultCostsLittleMoreThanItsText) {
  ResultBuilder builder;
  std::vector<FieldDef> defs;
  for (int i = 0; i < 10; ++i) defs.push_back({"S" + std::to_string(i), ftString, 20});
  for (int i = 0; i < 5; ++i) defs.push_back({"I" + std::to_string(i), ftInteger});
  for (int i = 0; i < 5; ++i) defs.push_back({"F" + std::to_string(i), ftFloat});
  builder.DefineColumns(defs);
  constexpr int kRows = 50000;
  for (int row = 0; row < kRows; ++row) {
    builder.BeginRow();
    for (size_t c = 0; c < 10; ++c) builder.PutText(c, "value-" + std::to_string(row * 13 + c));
    for (size_t c = 10; c < 15; ++c) builder.PutInteger(c, row * 7 + static_cast<int>(c));
    for (size_t c = 15; c < 20; ++c) builder.PutFloat(c, row * 0.25);
  }
  const auto store = builder.Finish();
  size_t text = 0;
  for (size_t c = 0; c < store->ColumnCount(); ++c) {
    for (uint32_t row = 0; row < store->RowCount(); ++row) text += store->ColumnAt(c).Text(row).size();
  }
  EXPECT_LT(store->HeldBytes(), 2 * text) << "held " << store->HeldBytes() << " for text " << text;
}

}  // namespace
}  // namespace gateway
