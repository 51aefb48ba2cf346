#include "pools/DataPool.h"

#include <gtest/gtest.h>

#include <string>

#include "data/Connection.h"
#include "data/DataTestSupport.h"
#include "data/Query.h"
#include "pools/BufferPool.h"
#include "pools/GlobleParams.h"
#include "pools/PoolTestSupport.h"

namespace gateway {
namespace {

// A data pool bound to an open SQLite result of three orders.
class DataPoolTest : public testing::PoolLibraryTest {
 protected:
  void SetUp() override {
    testing::PoolLibraryTest::SetUp();
    const std::string file = folder_.File("erp.db");
    testing_data::RunSqlite(file,
                            "create table PURTC (TC001 varchar(4), TC002 varchar(11), "
                            "TC003 datetime, TC019 varchar(20));"
                            "insert into PURTC values ('3301', '20240105001', "
                            "'2024-01-05 09:30:15', 'a,b');"
                            "insert into PURTC values ('3302', '20240106001', null, '中文');");
    connection_.SetConnectionString("Provider=SQLite;Data Source=" + file);
    query_.SetConnection(&connection_);
    query_.SetSQL("select * from PURTC order by TC001");
    query_.Open();
    pool_.SetDataSet(&query_);
    GlobleParams().DateFormat = "yyyy-mm-dd hh:nn";
  }

  testing_data::TempFolder folder_;
  Connection connection_;
  Query query_;
  TDataPool pool_;
};

TEST_F(DataPoolTest, WritesTheExactRowXml) {
  EXPECT_EQ(pool_.GetXML(),
            "<Data><DataSet Field=\"TC001,TC002,TC003,TC019\">"
            "<Row Data=\"3301,20240105001,2024-01-05 09:30,a&amp;stdd;b\"/>"
            "<Row Data=\"3302,20240106001,1899-12-30 00:00,中文\"/>"
            "</DataSet></Data>");
}

TEST_F(DataPoolTest, WritesItsPartOfAResponseAsItsOwnXml) {
  ASSERT_TRUE(pool_.CanAppendResponseXML());
  for (const std::vector<std::string>& fields :
       {std::vector<std::string>{}, std::vector<std::string>{"TC019", "NOPE", "tc003"}}) {
    pool_.SetFieldList(fields);
    std::string out = "<Service>";
    ASSERT_TRUE(pool_.AppendResponseXML(out));
    EXPECT_EQ(out, "<Service>" + pool_.GetXML());
  }
  // Whoever watches the pool's own text gets it: the pool does not write itself.
  pool_.OnAfterGetXML = [](TBasePool&, std::string&) {};
  EXPECT_FALSE(pool_.CanAppendResponseXML());
}

TEST_F(DataPoolTest, AFieldListKeepsItsPositionsEvenForUnknownNames) {
  pool_.SetFieldList({"TC002", "NOPE", "tc001"});
  pool_.SetNodeName("Rows");  // the element stays "Data"
  GlobleParams().Seperator = "|";
  EXPECT_EQ(pool_.GetXML(),
            "<Data><DataSet Field=\"TC002||TC001\">"
            "<Row Data=\"20240105001||3301\"/><Row Data=\"20240106001||3302\"/>"
            "</DataSet></Data>");
}

TEST_F(DataPoolTest, ReadingRowXmlReplacesTheRows) {
  pool_.SetXML(
      "<Data><DataSet Field=\"TC019,TC001\">"
      "<Row Data=\"x&stdd;y,4401\"/><Row Data=\"only\"/>"
      "</DataSet></Data>");
  ASSERT_EQ(query_.RecordCount(), 2);
  query_.First();
  EXPECT_EQ(query_.FieldByName("TC019").AsString(), "x,y");
  EXPECT_EQ(query_.FieldByName("TC001").AsString(), "4401");
  EXPECT_TRUE(query_.FieldByName("TC002").IsNull());
  query_.Next();
  EXPECT_EQ(query_.FieldByName("TC019").AsString(), "only");
  EXPECT_EQ(query_.FieldByName("TC001").AsString(), "");
}

TEST_F(DataPoolTest, WithoutADataElementTheRowsStay) {
  TBufferPool buffer;
  buffer.Pools().Add(&pool_);
  buffer.Pools().OwnsPools = false;
  buffer.SetXML("<Service><Seperator>,</Seperator></Service>");
  EXPECT_EQ(query_.RecordCount(), 2);
}

TEST_F(DataPoolTest, NoDataSetOrAClosedOneWritesNothing) {
  query_.Close();
  EXPECT_EQ(pool_.GetXML(), "");
  TDataPool unbound;
  EXPECT_EQ(unbound.GetXML(), "");
  EXPECT_NO_THROW(unbound.SetXML("<Data><DataSet Field=\"A\"><Row Data=\"1\"/></DataSet></Data>"));
}

}  // namespace
}  // namespace gateway
