#include "pools/ListPools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway/Exception.h"
#include "pools/PoolTestSupport.h"

namespace gateway {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ListPools : public testing::PoolLibraryTest {};

TEST_F(ListPools, NamesAreTheDefaultsAndClearKeepsThem) {
  TOrderListPool order;
  TGroupListPool group;
  TGetCaculatePropertyListPool caculate;
  TBaseStringsPool strings;
  TGetDataPropertyListPool columns;
  EXPECT_EQ(order.NodeName(), "OrderList");
  EXPECT_EQ(group.NodeName(), "GroupList");
  EXPECT_EQ(caculate.NodeName(), "PropertyList");
  EXPECT_EQ(strings.NodeName(), "");
  EXPECT_EQ(columns.NodeName(), "PropertyList");

  order.Text = "a";
  order.Clear();
  columns.Strings = {"a"};
  columns.Clear();
  EXPECT_EQ(order.NodeName(), "OrderList");
  EXPECT_EQ(order.Text, "");
  EXPECT_EQ(columns.NodeName(), "PropertyList");
  EXPECT_THAT(columns.Strings, IsEmpty());
}

TEST_F(ListPools, OrderListTurnsTheSeparatorIntoCommasAndBack) {
  struct Case {
    const char* separator;
    const char* xml;
    const char* text;
  };
  const Case cases[] = {
      {";", "<OrderList>TC001;TC002 desc</OrderList>", "TC001,TC002 desc"},
      {"||", "<OrderList>TC001||TC002</OrderList>", "TC001,TC002"},
      {",", "<OrderList>TC001,TC002</OrderList>", "TC001,TC002"},
      {";", "<OrderList/>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    SetSeparator(c.separator);
    TOrderListPool pool;
    pool.SetXML(c.xml);
    EXPECT_EQ(pool.Text, c.text);
    EXPECT_EQ(pool.GetXML(), c.xml);
  }
}

TEST_F(ListPools, OrderListWithoutSeparatorKeepsTheTextAndDropsCommasOnWriting) {
  SetSeparator("");
  TOrderListPool pool;
  pool.SetXML("<OrderList>TC001,TC002</OrderList>");
  EXPECT_EQ(pool.Text, "TC001,TC002");
  EXPECT_EQ(pool.GetXML(), "<OrderList>TC001TC002</OrderList>");
}

TEST_F(ListPools, OrderListEscapesASeparatorThatIsMarkup) {
  SetSeparator("&");
  TOrderListPool pool;
  pool.Text = "TC001,TC002";
  const std::string xml = pool.GetXML();
  EXPECT_EQ(xml, "<OrderList>TC001&amp;TC002</OrderList>");
  pool.SetXML(xml);
  EXPECT_EQ(pool.Text, "TC001,TC002");
}

TEST_F(ListPools, TheSeparatorIsReadAtTheMomentOfUse) {
  TGroupListPool pool;
  SetSeparator(";");
  pool.SetXML("<GroupList>TC001;TC002</GroupList>");
  EXPECT_EQ(pool.Text, "TC001,TC002");
  SetSeparator("|");
  EXPECT_EQ(pool.GetXML(), "<GroupList>TC001|TC002</GroupList>");
}

TEST_F(ListPools, CaculatePropertyListBuildsTheExpressionList) {
  struct Case {
    const char* separator;
    const char* xml;
    const char* text;
  };
  const Case cases[] = {
      {";",
       R"(<PropertyList><Property Name="TD008;TD009" Type="SUM"/><Property Name="TD010"/></PropertyList>)",
       "SUM(TD008),SUM(TD009),TD010"},
      // Blank items are skipped; a blank Type means no function; the Type and
      // the items are used untrimmed.
      {",", R"(<PropertyList><Property Name="A,, ,B" Type="  "/></PropertyList>)", "A,B"},
      {",", R"(<PropertyList><Property Name=" A" Type="MAX "/></PropertyList>)", "MAX ( A)"},
      {"", R"(<PropertyList><Property Name="A,B" Type="COUNT"/></PropertyList>)", "COUNT(A,B)"},
      // Only children named exactly "Property" that have a Name count.
      {",",
       R"(<PropertyList><property Name="A"/><Other Name="B"/><Property Type="SUM"/><Property Name=""/><Property Name="C"/></PropertyList>)",
       "C"},
      {",", "<PropertyList/>", ""},
      {",", R"(<PropertyList><Property Type="SUM"/></PropertyList>)", ""},
      {",", "<PropertyList", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    SetSeparator(c.separator);
    TGetCaculatePropertyListPool pool;
    pool.SetXML(c.xml);
    EXPECT_EQ(pool.Text, c.text);
    EXPECT_EQ(pool.GetXML(), "");
  }
}

TEST_F(ListPools, DataPropertyListSplitsTrimsAndKeepsEmptyItems) {
  TGetDataPropertyListPool pool;
  pool.SetXML("<PropertyList> a , b ,,c,</PropertyList>");
  EXPECT_THAT(pool.Strings, ElementsAre("a", "b", "", "c"));
  EXPECT_EQ(pool.GetXML(), "a,b,,c");

  // Markers are left as they are, and the separator is the request's.
  SetSeparator("|");
  pool.SetXML("<PropertyList>TC001|TD&stdd;X</PropertyList>");
  EXPECT_THAT(pool.Strings, ElementsAre("TC001", "TD&stdd;X"));

  pool.SetXML("not xml");
  EXPECT_THAT(pool.Strings, IsEmpty());
  pool.SetXML("<PropertyList/>");
  EXPECT_THAT(pool.Strings, IsEmpty());
}

TEST_F(ListPools, StringsAreJoinedWithSeparatorsEscaped) {
  struct Case {
    const char* separator;
    std::vector<std::string> items;
    const char* xml;
  };
  const Case cases[] = {
      {",", {"a", "b,c", "", "d"}, "a,b&stdd;c,,d"},
      {"||", {"a", "b"}, "a||b"},
      {"", {"a", "b"}, "ab"},
      {",", {}, ""},
      {",", {""}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    SetSeparator(c.separator);
    TBaseStringsPool pool;
    pool.Strings = c.items;
    EXPECT_EQ(pool.GetXML(), c.xml);
  }
}

TEST_F(ListPools, AnItemHoldingTheMarkerCannotBeWritten) {
  TBaseStringsPool pool;
  pool.Strings = {"a", "b&stdd;c"};
  EXPECT_THROW(pool.GetXML(), Exception);
}

TEST_F(ListPools, BaseStringsPoolReadsNothing) {
  TBaseStringsPool pool;
  pool.Strings = {"old"};
  pool.SetXML("<PropertyList>a,b</PropertyList>");
  EXPECT_THAT(pool.Strings, IsEmpty());
}

}  // namespace
}  // namespace gateway
