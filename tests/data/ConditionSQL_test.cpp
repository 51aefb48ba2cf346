#include "data/ConditionSQL.h"

#include <gtest/gtest.h>

#include <string>

#include "pools/PoolTestSupport.h"
#include "text/XmlText.h"

namespace gateway {
namespace {

class ConditionSQL : public testing::PoolLibraryTest {};

struct PredicateCase {
  const char* what;
  const char* separator;
  const char* xml;
  const char* predicate;
};

const PredicateCase kPredicates[] = {
    {"comparison and between", ",",
     R"(<C Type="and"><Property Name="TC001" Type="=" Value="3301"/>)"
     R"(<Property Name="TC003" Type="between" Value="20240101,20240131"/></C>)",
     "((TC001 = '3301') and (TC003 between '20240101' and '20240131'))"},
    {"nested group", ",",
     R"(<C Type="and"><Property Name="A" Type="=" Value="1"/><Group Type="or">)"
     R"(<Property Name="B" Type="&lt;&gt;" Value="2"/><Property Name="C" Type="like" Value="%x%"/></Group></C>)",
     "((A = '1') and  ((B <> '2') or (C like '%x%')) )"},
    {"connective trimmed, case kept", ",",
     R"(<C Type="  OR "><Property Name="A" Type="&gt;=" Value="1"/><Property Name="B" Type="&lt;" Value="2"/></C>)",
     "((A >= '1') OR (B < '2'))"},
    {"lone group under a root without connective", ",",
     R"(<C><Group Type="and"><Property Name="A" Type="=" Value="1"/><Property Name="B" Type="=" Value="2"/></Group></C>)",
     "((A = '1') and (B = '2'))"},
    {"items without connective run together", ",",
     R"(<C><Property Name="A" Type="=" Value="1"/><Property Name="B" Type="=" Value="2"/></C>)",
     "((A = '1')  (B = '2'))"},
    {"after a sub-group even the blanks go", ",",
     R"(<C><Property Name="A" Type="=" Value="1"/><Group Type="x"><Property Name="B" Type="=" Value="2"/></Group>)"
     R"(<Property Name="C" Type="=" Value="3"/></C>)",
     "((A = '1')(B = '2')(C = '3'))"},
    {"between with a single value", ",", R"(<C><Property Name="X" Type="between" Value="d1"/></C>)",
     "((X between 'd1' and ''))"},
    {"between items are not trimmed, a third is ignored", ",",
     R"(<C><Property Name="X" Type="BETWEEN" Value=" 1 ,2,3"/></C>)",
     "((X between ' 1 ' and '2'))"},
    {"in with an empty value", ",", R"(<C><Property Name="X" Type="in" Value=""/></C>)",
     "((X in ()))"},
    {"in: items trimmed, unescaped, apostrophes doubled", ",",
     R"(<C><Property Name="X" Type="in" Value=" a , O'Brien ,x&stdd;y,"/></C>)",
     "((X in ('a','O''Brien','x,y')))"},
    {"not in keeps the request's letter case", "|",
     R"(<C><Property Name="X" Type="  NOT   IN " Value="1|2"/></C>)", "((X NOT IN ('1','2')))"},
    {"empty separator: the whole value is one item", "",
     R"(<C><Property Name="X" Type="between" Value="1,2"/></C>)", "((X between '1,2' and ''))"},
    {"separator inside the marker is not a cut", ";",
     R"(<C><Property Name="X" Type="in" Value="a&stdd;b;c"/></C>)", "((X in ('a;b','c')))"},
    {"plain value: apostrophes doubled, marker kept", ",",
     R"(<C><Property Name="A" Type="=" Value="x' or '1'='1"/><Property Name="B" Type="like" Value="a&stdd;b"/></C>)",
     "((A = 'x'' or ''1''=''1')  (B like 'a&stdd;b'))"},
    {"name inserted untrimmed", ",", R"(<C><Property Name=" A " Type="=" Value="1"/></C>)",
     "(( A  = '1'))"},
    {"element names ignore case, other children ignored", ",",
     R"(<C Type="and"><PROPERTY Name="A" Type="=" Value="1"/><Note Name="N" Type="=" Value="0"/>text<!-- c -->)"
     R"(<group Type="or"><property Name="B" Type="=" Value="2"/></group></C>)",
     "((A = '1') and  ((B = '2')) )"},
    {"blank name or type contributes nothing", ",",
     R"(<C Type="and"><Property Name=" " Type="=" Value="1"/><Property Name="A" Value="1"/>)"
     R"(<Property Name="B" Type="=" Value="2"/></C>)",
     "((B = '2'))"},
    {"nothing contributes", ",",
     R"(<C Type="and"><Property Name="A" Type=" "/><Group Type="or"><Property Type="="/></Group></C>)",
     "()"},
    {"empty root", ",", "<Condition/>", "()"},
    {"non-ASCII value", ",", R"(<C><Property Name="TC005" Type="=" Value="采购'单"/></C>)",
     "((TC005 = '采购''单'))"},
    {"does not parse", ",", "<C><Property Name=\"A\" Type=\"=\" Value=\"1\"></C>", ""},
    {"empty text", ",", "", ""},
};

TEST_F(ConditionSQL, BuildsTheExactPredicate) {
  for (const PredicateCase& c : kPredicates) {
    SCOPED_TRACE(c.what);
    SetSeparator(c.separator);
    EXPECT_EQ(ConditionToSQL(c.xml), c.predicate);
  }
}

TEST_F(ConditionSQL, AGroupHasNoOuterParentheses) {
  const XmlNode group =
      LoadXmlDocument(R"(<Group Type="and"><Property Name="A" Type="=" Value="1"/></Group>)")
          .DocumentElement();
  EXPECT_EQ(GroupToSQL(group), "(A = '1')");
}

TEST_F(ConditionSQL, ReadsTheRequestWithItsHeader) {
  const std::string request =
      "<?xml version=\"1.0\"?>\r\n<Condition Type=\"and\">\r\n  <Property Name=\"X\" Type=\"in\" "
      "Value=\"a&stdd;b,c\"/>\r\n</Condition>";
  EXPECT_EQ(ConditionToSQL(request), "((X in ('a,b','c')))");
}

}  // namespace
}  // namespace gateway
