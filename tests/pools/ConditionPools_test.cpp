#include "pools/ConditionPools.h"

#include <gtest/gtest.h>

#include <string>

#include "pools/PoolTestSupport.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {
namespace {

class ConditionPools : public testing::PoolLibraryTest {};

// The Type attribute of the first node the path selects in converted text.
std::string TypeAt(const std::string& xml, const std::string& path) {
  return GetAttributeText(LoadNormalizedXml(xml).DocumentElement().SelectSingleNode(path), "Type");
}

TEST(TConditionTypeConverter, ConvertsTheNamesOfPropertiesInsideGroups) {
  struct Case {
    const char* written;
    const char* converted;
  };
  const Case cases[] = {
      {"EQUAL", "="},
      {"NOTEQUAL", "<>"},
      {"BIGTHAN", ">"},
      {"BIGEQUALTHAN", ">="},
      {"LESSTHAN", "<"},
      {"LESSEQUALTHAN", "<="},
      {"LIKE", "like"},
      {"IN", "in"},
      {"NOT IN", "not in"},
      {"BETWEEN", "between"},
      {"Equal", "="},
      {"  not    In ", "not in"},
      {"<>", "<>"},
      {"like", "like"},
      // Names not in the table stay exactly as written, blanks included.
      {" Foo  Bar ", " Foo  Bar "},
      {"EQUALS", "EQUALS"},
      {"NOTIN", "NOTIN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    XmlDocument document = NewXmlDocument();
    XmlNode root = document.DocumentNode().AppendChild(document.CreateElement("Condition"));
    XmlNode group = root.AppendChild(document.CreateElement("Group"));
    group.AppendChild(document.CreateElement("Property")).SetAttribute("Type", c.written);
    std::string xml = root.Xml();
    TConditionTypeConverter::Convert(xml);
    EXPECT_EQ(TypeAt(xml, "Group/Property"), c.converted);
  }
}

TEST(TConditionTypeConverter, OnlyReachesPropertiesInsideAGroupBelowTheRoot) {
  std::string xml =
      R"(<Condition Type="and"><Property Name="A" Type="EQUAL"/><Property Name="B" Type="="/>)"
      R"(<Group Type="or"><Group><Property Name="C" Type="LIKE"/></Group></Group>)"
      R"(<group><Property Name="D" Type="EQUAL"/></group></Condition>)";
  TConditionTypeConverter::Convert(xml);
  EXPECT_EQ(xml.rfind("<Condition", 0), 0u) << xml;  // the element alone, no declaration
  EXPECT_EQ(TypeAt(xml, "Property[@Name='A']"), "EQUAL");
  EXPECT_EQ(TypeAt(xml, "Property[@Name='B']"), "=");
  EXPECT_EQ(TypeAt(xml, "Group/Group/Property"), "like");
  EXPECT_EQ(TypeAt(xml, "group/Property"), "EQUAL");  // the path is case-sensitive

  // A root that is itself named Group has no element above it.
  std::string root_group = R"(<Group><Property Name="A" Type="EQUAL"/></Group>)";
  TConditionTypeConverter::Convert(root_group);
  EXPECT_EQ(TypeAt(root_group, "Property"), "EQUAL");
}

TEST(TConditionTypeConverter, LeavesTextThatDoesNotParseUnchanged) {
  std::string xml = R"(<Condition><Group><Property Type="EQUAL"></Group>)";
  const std::string before = xml;
  TConditionTypeConverter::Convert(xml);
  EXPECT_EQ(xml, before);
}

TEST_F(ConditionPools, NamesAreTheDefaultsAndTheXmlIsAlwaysEmpty) {
  TConditionPool condition;
  TGroupConditionPool group;
  EXPECT_EQ(condition.NodeName(), "Condition");
  EXPECT_EQ(group.NodeName(), "GroupCondition");
  condition.SetXML(R"(<Condition><Property Name="A" Type="=" Value="1"/></Condition>)");
  EXPECT_EQ(condition.Text, "((A = '1'))");
  EXPECT_EQ(condition.GetXML(), "");
  condition.Clear();
  EXPECT_EQ(condition.Text, "");
  EXPECT_EQ(condition.NodeName(), "Condition");
}

TEST_F(ConditionPools, AConditionWithAGroupBecomesTheExactPredicate) {
  const std::string request = R"(
    <Condition Type="and">
      <Property Name="TC001" Type="=" Value="A01"/>
      <Group Type="or">
        <Property Name="TC003" Type="BETWEEN" Value="2024-01-01,2024-01-31"/>
        <Property Name="TC004" Type="LIKE" Value="%X%"/>
      </Group>
    </Condition>)";
  const std::string predicate =
      "((TC001 = 'A01') and  ((TC003 between '2024-01-01' and '2024-01-31') or "
      "(TC004 like '%X%')) )";
  TConditionPool condition;
  condition.SetXML(request);
  EXPECT_EQ(condition.Text, predicate);

  TGroupConditionPool group;
  group.SetXML(ReplaceAll(request, "Condition", "GroupCondition"));
  EXPECT_EQ(group.Text, predicate);
}

TEST_F(ConditionPools, ListValuesKeepEscapedSeparators) {
  SetSeparator(";");
  TConditionPool condition;
  condition.SetXML(
      R"(<Condition Type="and"><Group Type="and"><Property Name="TC004" Type=" NOT  IN" Value="a&stdd;b;c"/>)"
      R"(<Property Name="TC005" Type="between" Value="1&stdd;2;3"/></Group></Condition>)");
  EXPECT_EQ(condition.Text, "( ((TC004 not in ('a;b','c')) and (TC005 between '1;2' and '3')) )");
}

TEST_F(ConditionPools, EmptyAndUnreadableConditions) {
  TConditionPool condition;
  condition.SetXML("<Condition/>");
  EXPECT_EQ(condition.Text, "()");
  condition.SetXML("<Condition");
  EXPECT_EQ(condition.Text, "");
  condition.SetXML("");
  EXPECT_EQ(condition.Text, "");
}

}  // namespace
}  // namespace gateway
