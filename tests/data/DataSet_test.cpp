// The in-memory dataset: cursor, editing, find, filter, sort, clones and
// bookmarks, typed field access.
#include "data/DataSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Errors.h"

namespace gateway {
namespace {

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.CreateDataSet({{"Code", ftString, 10},
                         {"Name", ftString, 20},
                         {"Qty", ftInteger},
                         {"Unit Price", ftFloat},
                         {"At", ftDateTime},
                         {"Flag", ftBoolean},
                         {"Amount", ftCurrency}});
  }

  void Add(const std::string& code, const std::string& name, int qty, double price) {
    data_.Append();
    data_.FieldByName("Code").SetAsString(code);
    data_.FieldByName("Name").SetAsString(name);
    if (qty >= 0) data_.FieldByName("Qty").SetAsInteger(qty);
    data_.FieldByName("Unit Price").SetAsFloat(price);
    data_.Post();
  }

  void AddSample() {
    Add("A", "John", 3, 1.5);
    Add("B", "it's", 1, 7.25);
    Add("C", "Joan", -1, 3.0);  // Qty null
    Add("D", "ABC", 2, 9.0);
    Add("E", "abc", 5, 0.5);
  }

  // The codes of the records in cursor order.
  std::string Codes(DataSet& data) {
    std::string codes;
    for (data.First(); !data.Eof(); data.Next()) codes += data.FieldByName("Code").AsString();
    return codes;
  }

  DataSet data_;
};

TEST_F(DataSetTest, TheCursorStopsAtTheEndsAndSaysSo) {
  EXPECT_TRUE(data_.IsEmpty());
  EXPECT_TRUE(data_.Eof());
  EXPECT_TRUE(data_.Bof());
  EXPECT_EQ(data_.RecNo(), 0);
  EXPECT_TRUE(data_.FieldByName("Code").IsNull());  // no record: fields read null
  AddSample();
  data_.First();
  EXPECT_FALSE(data_.Eof());
  EXPECT_FALSE(data_.Bof());
  EXPECT_EQ(data_.RecNo(), 1);
  data_.Prior();
  EXPECT_TRUE(data_.Bof());
  EXPECT_EQ(data_.RecNo(), 1);
  data_.Last();
  EXPECT_EQ(data_.RecNo(), 5);
  EXPECT_FALSE(data_.Eof());
  data_.Next();
  EXPECT_TRUE(data_.Eof());
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "E");  // stays on the last record
  data_.First();
  EXPECT_EQ(data_.MoveBy(3), 3);
  EXPECT_EQ(data_.MoveBy(10), 1);
  EXPECT_TRUE(data_.Eof());
  EXPECT_EQ(data_.MoveBy(-2), -2);
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "C");
  data_.SetRecNo(2);
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "B");
  EXPECT_EQ(Codes(data_), "ABCDE");
}

TEST_F(DataSetTest, EditingPostsCancelsAndDeletes) {
  AddSample();
  data_.SetRecNo(2);
  data_.Edit();
  data_.FieldByName("Name").SetAsString("changed");
  data_.Cancel();
  EXPECT_EQ(data_.FieldByName("Name").AsString(), "it's");
  data_.Edit();
  data_.FieldByName("Name").SetAsString("changed");
  EXPECT_EQ(data_.FieldByName("Name").AsString(), "changed");  // the edit buffer is read
  data_.Post();
  EXPECT_EQ(data_.State(), dsBrowse);
  EXPECT_EQ(data_.FieldByName("Name").AsString(), "changed");
  data_.Delete();
  EXPECT_EQ(data_.RecordCount(), 4);
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "C");  // the next record becomes current
  data_.Last();
  data_.Delete();
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "D");
  data_.Append();
  data_.Delete();  // deleting an unposted record just drops it
  EXPECT_EQ(data_.RecordCount(), 3);
  EXPECT_EQ(Codes(data_), "ACD");
}

TEST_F(DataSetTest, MovingAwayPostsAModifiedRecordAndDropsAnUntouchedOne) {
  AddSample();
  data_.First();
  data_.Edit();
  data_.FieldByName("Qty").SetAsInteger(30);
  data_.Next();  // posts
  data_.First();
  EXPECT_EQ(data_.FieldByName("Qty").AsInteger(), 30);
  data_.Append();
  data_.CheckBrowseMode();  // nothing written: cancelled
  EXPECT_EQ(data_.RecordCount(), 5);
}

TEST_F(DataSetTest, WritesThatCannotBeTakenLeaveTheFieldAsItWas) {
  AddSample();
  data_.First();
  EXPECT_THROW(data_.FieldByName("Qty").SetAsInteger(1), EDatabaseError);  // not editing
  data_.Edit();
  Field& qty = data_.FieldByName("Qty");
  EXPECT_THROW(qty.SetAsString("12abc"), EDatabaseError);
  EXPECT_THROW(qty.SetAsLargeInt(int64_t{1} << 40), EDatabaseError);
  EXPECT_THROW(data_.FieldByName("At").SetAsString("not a date"), EDatabaseError);
  EXPECT_THROW(data_.FieldByName("Flag").SetAsString("maybe"), EDatabaseError);
  EXPECT_EQ(qty.AsInteger(), 3);
  qty.SetAsString(" 12 ");
  qty.SetAsFloat(2.6);  // an integer field takes a number rounded
  data_.FieldByName("At").SetAsString("2024-01-05 09:30:15");
  data_.FieldByName("Amount").SetAsString("12.3456");
  data_.Post();
  EXPECT_EQ(qty.AsInteger(), 3);
  EXPECT_EQ(data_.FieldByName("At").AsDateTime(), (DateTime{2024, 1, 5, 9, 30, 15}));
  EXPECT_EQ(data_.FieldByName("Amount").AsString(), "12.3456");
  data_.FieldByName("Qty").SetReadOnly(true);
  data_.Edit();
  EXPECT_THROW(data_.FieldByName("Qty").SetAsInteger(1), EDatabaseError);
}

TEST_F(DataSetTest, FieldsReadInEveryKind) {
  data_.Append();
  data_.FieldByName("Qty").SetValue(DataValue(7));
  data_.FieldByName("Unit Price").SetValue(DataValue(0.1));
  data_.FieldByName("At").SetValue(DataValue(DateTime{2024, 2, 29, 23, 59, 59, 5}));
  data_.FieldByName("Flag").SetValue(DataValue(true));
  data_.FieldByName("Amount").SetAsFloat(-2.5);
  data_.FieldByName("Name").SetValue(DataValue());
  data_.FieldByName("Code").SetValue(DataValue("x1"));
  data_.Post();
  EXPECT_EQ(data_.FieldByName("Qty").AsString(), "7");
  EXPECT_EQ(data_.FieldByName("Qty").AsFloat(), 7.0);
  EXPECT_EQ(data_.FieldByName("Unit Price").AsString(), "0.1");
  EXPECT_EQ(data_.FieldByName("Unit Price").AsInteger(), 0);
  EXPECT_EQ(data_.FieldByName("At").AsString(), "2024-02-29 23:59:59.005");
  EXPECT_EQ(data_.FieldByName("Flag").AsString(), "True");
  EXPECT_EQ(data_.FieldByName("Amount").AsString(), "-2.5");
  EXPECT_EQ(data_.FieldByName("Amount").AsInteger(), -3);  // rounded half away from zero
  EXPECT_TRUE(data_.FieldByName("Name").IsNull());
  EXPECT_EQ(data_.FieldByName("At").Value(), DataValue(DateTime{2024, 2, 29, 23, 59, 59, 5}));
  EXPECT_EQ(data_.FieldByName("Qty").Value(), DataValue(7));
  EXPECT_TRUE(data_.FieldByName("Name").Value().IsNull());
  EXPECT_EQ(data_.FieldByName("Name").AsInteger(), 0);  // null reads 0
  EXPECT_THROW(data_.FieldByName("Code").AsInteger(), EDatabaseError);
}

TEST_F(DataSetTest, FindMovesToTheFirstMatchFromTheCurrentRecord) {
  AddSample();
  struct Case {
    const char* criterion;
    const char* code;  // nullptr: no match
  };
  const Case cases[] = {
      {"(Code = 'B')", "B"},
      {"(Code = 'b')", "B"},                 // letters compare without regard to case
      {"(Code = 'B   ')", "B"},              // trailing blanks do not count
      {"(Name = #it's#)", "B"},              // "#" quotes a value holding an apostrophe
      {"(Name = 'it''s')", "B"},
      {"(Name like 'Jo*')", "A"},
      {"(Name like '*an')", "C"},
      {"(Qty = Null)", "C"},
      {"(Qty <> Null) AND (Qty > 2)", "A"},
      {"([Unit Price] >= 9)", "D"},
      {"(Qty = 2) OR (Code = 'E')", "D"},
      {"(Qty = 4)", nullptr},
  };
  for (const Case& c : cases) {
    data_.First();
    const bool found = data_.Find(c.criterion);
    EXPECT_EQ(found, c.code != nullptr) << c.criterion;
    if (found) {
      EXPECT_EQ(data_.FieldByName("Code").AsString(), c.code) << c.criterion;
    } else {
      EXPECT_TRUE(data_.Eof()) << c.criterion;
    }
  }
  // From the current record on, skipping records, and backward.
  data_.SetRecNo(4);
  EXPECT_TRUE(data_.Find("(Name like 'abc')"));
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "D");
  EXPECT_TRUE(data_.Find("(Name like 'abc')", 1));
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "E");
  EXPECT_TRUE(data_.Find("(Name like 'j*')", 0, false));
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "C");
}

TEST_F(DataSetTest, BadCriteriaAreReportedAndChangeNothing) {
  AddSample();
  data_.SetFilter("(Qty > 1)");
  for (const char* bad : {"(Nope = 1)", "(Qty = 'x')", "(Code = 'A'", "(Code 'A')", "Code = 'A' AND"}) {
    EXPECT_THROW(data_.SetFilter(bad), EDatabaseError) << bad;
    EXPECT_THROW(data_.Find(bad), EDatabaseError) << bad;
  }
  EXPECT_EQ(data_.Filter(), "(Qty > 1)");
  EXPECT_EQ(data_.RecordCount(), 3);
}

TEST_F(DataSetTest, FilterAndSortMakeTheView) {
  AddSample();
  data_.SetFilter("(Qty > 1)");
  EXPECT_EQ(Codes(data_), "ADE");
  data_.SetFilter("");
  EXPECT_EQ(data_.RecordCount(), 5);
  data_.SetSort("Qty DESC");
  EXPECT_EQ(Codes(data_), "EADBC");  // null last when descending
  data_.SetSort("[Unit Price]");
  EXPECT_EQ(Codes(data_), "EACBD");
  data_.SetSort("Name ASC, Code DESC");
  EXPECT_EQ(Codes(data_), "EDBCA");  // ABC and abc compare equal: Code decides
  data_.SetRecNo(3);  // B
  data_.SetSort("");
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "B");  // the current record stays current
  EXPECT_EQ(Codes(data_), "ABCDE");
  EXPECT_THROW(data_.SetSort("Nope"), EDatabaseError);
  EXPECT_THROW(data_.SetSort("Qty SIDEWAYS"), EDatabaseError);
  data_.SetFilter("(Name like 'abc')");
  data_.SetSort("Code DESC");
  EXPECT_EQ(Codes(data_), "ED");
}

TEST_F(DataSetTest, ACloneSharesTheDataButNotTheView) {
  AddSample();
  data_.SetFilter("(Qty > 1)");
  data_.SetSort("Code DESC");
  auto clone = data_.Clone();
  EXPECT_TRUE(clone->ReadOnly());
  EXPECT_EQ(Codes(*clone), "ABCDE");  // no filter, no sort
  EXPECT_THROW(clone->Edit(), EDatabaseError);
  // Edits, appends and deletes of the source show in the clone.
  data_.First();  // E
  data_.Edit();
  data_.FieldByName("Name").SetAsString("Eve");
  data_.Post();
  Add("F", "Fay", 9, 1.0);
  data_.SetFilter("");
  data_.First();
  ASSERT_TRUE(data_.Find("(Code = 'A')"));
  data_.Delete();
  EXPECT_EQ(Codes(*clone), "BCDEF");
  clone->First();
  ASSERT_TRUE(clone->Find("(Name = 'eve')"));
  // A bookmark of the clone names the same record in the source.
  const Bookmark mark = clone->GetBookmark();
  data_.First();
  data_.GotoBookmark(mark);
  EXPECT_EQ(data_.FieldByName("Code").AsString(), "E");
  EXPECT_TRUE(data_.BookmarkValid(mark));
  data_.Delete();
  EXPECT_FALSE(data_.BookmarkValid(mark));
  EXPECT_THROW(data_.GotoBookmark(mark), EDatabaseError);
  data_.Close();
  EXPECT_EQ(Codes(*clone), "BCDF");  // the clone keeps the data alive
}

TEST_F(DataSetTest, ScrollHooksRunAroundEveryMove) {
  AddSample();
  std::vector<std::string> calls;
  data_.BeforeScroll = [&](DataSet& d) { calls.push_back("before " + std::to_string(d.RecNo())); };
  data_.AfterScroll = [&](DataSet& d) { calls.push_back("after " + std::to_string(d.RecNo())); };
  data_.First();
  data_.Next();
  EXPECT_EQ(calls, (std::vector<std::string>{"before 5", "after 1", "before 1", "after 2"}));
}

TEST_F(DataSetTest, ClosedDatasetsAndUnknownFieldsAreReported) {
  DataSet closed;
  EXPECT_FALSE(closed.Active());
  EXPECT_THROW(closed.Open(), EDatabaseError);
  EXPECT_THROW(closed.First(), EDatabaseError);
  EXPECT_EQ(closed.RecordCount(), 0);
  EXPECT_EQ(data_.FindField("NAME"), &data_.FieldByName("name"));
  EXPECT_EQ(data_.FindField("Nope"), nullptr);
  EXPECT_THROW(data_.FieldByName("Nope"), EDatabaseError);
  EXPECT_THROW(data_.Fields(99), EDatabaseError);
}

TEST(DataSetNested, ADatasetFieldCarriesItsNestedDataset) {
  auto lines = std::make_shared<DataSet>();
  lines->CreateDataSet({{"TD001", ftString, 4}});
  DataSet header;
  header.CreateDataSet({{"TC001", ftString, 4}, {"Lines", ftDataSet}});
  Field& field = header.FieldByName("Lines");
  field.SetNestedDataSet(lines);
  EXPECT_EQ(field.NestedDataSet(), lines.get());
  EXPECT_EQ(header.FieldByName("TC001").NestedDataSet(), nullptr);
  header.Append();
  EXPECT_THROW(field.SetAsString("x"), EDatabaseError);
  EXPECT_TRUE(field.IsNull());
}

}  // namespace
}  // namespace gateway
