#include "config/PropertyInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/PropertyType.h"
#include "gateway/Exception.h"
#include "pools/PoolTestSupport.h"

namespace gateway {
namespace {

TEST(TypeLetters, ReadAnyCaseAndWriteTheCanonicalLetter) {
  struct Case {
    const char* letter;
    TPropertyType type;
    const char* written;
  };
  const Case cases[] = {
      {"C", TPropertyType::ptString, "C"},      {"c", TPropertyType::ptString, "C"},
      {"V", TPropertyType::ptString, "C"},      {"v", TPropertyType::ptString, "C"},
      {"N", TPropertyType::ptNumber, "N"},      {"d", TPropertyType::ptDataTime, "D"},
      {"T", TPropertyType::ptText, "T"},        {"i", TPropertyType::ptImage, "I"},
      {"X", TPropertyType::ptNone, "Unknown"},  {"", TPropertyType::ptNone, "Unknown"},
      {"CV", TPropertyType::ptNone, "Unknown"}, {" C", TPropertyType::ptNone, "Unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.letter);
    EXPECT_EQ(TypeFromLetter(c.letter), c.type);
    EXPECT_EQ(TypeToLetter(TypeFromLetter(c.letter)), c.written);
  }
}

TEST(TPropertyInfo, StartsReset) {
  const TPropertyInfo info;
  EXPECT_TRUE(info.ID.empty());
  EXPECT_EQ(info.PropertyType, TPropertyType::ptNone);
  EXPECT_EQ(info.Size, 0);
  EXPECT_TRUE(info.Publish);
  EXPECT_FALSE(info.HasDefault);
  EXPECT_EQ(info.Update, "Y");
  EXPECT_TRUE(info.Company.empty());
}

TEST(TPropertyInfo, ReadsEveryAttributeWhateverTheNamesCase) {
  TPropertyInfo info;
  info.LoadFromXML(
      R"(<Property id="TC001" NAME="单别" field="TC001" type="n" SIZE="4" Required="Y" )"
      R"(Desc="采购单别" ReadOnly="y" Min="1" Max="9" IsKey="Y" Table="PURTC" Default="1" )"
      R"(Publish="Y" Company="F01" Update="N" Unknown="x"/>)");
  EXPECT_EQ(info.ID, "TC001");
  EXPECT_EQ(info.Name, "单别");
  EXPECT_EQ(info.Field, "TC001");
  EXPECT_EQ(info.PropertyType, TPropertyType::ptNumber);
  EXPECT_EQ(info.Size, 4);
  EXPECT_EQ(info.InternalSize(), 4);
  EXPECT_TRUE(info.Required);
  EXPECT_EQ(info.Desc, "采购单别");
  EXPECT_TRUE(info.ReadOnly);
  EXPECT_EQ(info.Min, "1");
  EXPECT_EQ(info.Max, "9");
  EXPECT_TRUE(info.IsKey);
  EXPECT_EQ(info.Table, "PURTC");
  EXPECT_EQ(info.Default(), "1");
  EXPECT_TRUE(info.HasDefault);
  EXPECT_TRUE(info.Publish);
  EXPECT_EQ(info.Company, "F01");
  EXPECT_EQ(info.Update, "N");
}

// One attribute per case, read into a fresh property.
TEST(TPropertyInfo, InterpretsFlagsListsAndDefaults) {
  struct Case {
    const char* xml;
    bool required, publish, has_default;
    const char* update;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {R"(<P Required="yes"/>)", false, true, false, "Y", {}},
      {R"(<P Required="y"/>)", true, true, false, "Y", {}},
      {R"(<P Publish="no"/>)", false, true, false, "Y", {}},
      {R"(<P Publish="n"/>)", false, false, false, "Y", {}},
      {R"(<P Update=""/>)", false, true, false, "Y", {}},
      {R"(<P Update="No"/>)", false, true, false, "N", {}},
      {R"(<P Update="否"/>)", false, true, false, "否", {}},
      {R"(<P Default=""/>)", false, true, true, "Y", {}},
      {R"(<P ValueList=" A ; B ;;C;"/>)", false, true, false, "Y", {"A", "B", "", "C"}},
      {R"(<P ValueList="是;否"/>)", false, true, false, "Y", {"是", "否"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    TPropertyInfo info;
    info.LoadFromXML(c.xml);
    EXPECT_EQ(info.Required, c.required);
    EXPECT_EQ(info.Publish, c.publish);
    EXPECT_EQ(info.HasDefault, c.has_default);
    EXPECT_TRUE(info.Default().empty());
    EXPECT_EQ(info.Update, c.update);
    EXPECT_EQ(info.ValueList, c.values);
  }
}

TEST(TPropertyInfo, AStringPropertyHasTheInternalSize255) {
  TPropertyInfo info;
  info.LoadFromXML(R"(<P Type="V" Size="8"/>)");
  EXPECT_EQ(info.Size, 8);
  EXPECT_EQ(info.InternalSize(), 255);
}

TEST(TPropertyInfo, ReloadingStartsFromTheResetState) {
  TPropertyInfo info;
  info.LoadFromXML(R"(<P ID="A" Type="C" ValueList="x;y" Default="1" Publish="N"/>)");
  info.LoadFromXML(R"(<P Name="B"/>)");
  EXPECT_TRUE(info.ID.empty());
  EXPECT_EQ(info.Name, "B");
  EXPECT_EQ(info.PropertyType, TPropertyType::ptNone);
  EXPECT_TRUE(info.ValueList.empty());
  EXPECT_FALSE(info.HasDefault);
  EXPECT_TRUE(info.Publish);

  // Text that is not XML leaves the property reset.
  info.LoadFromXML("<P ID=");
  EXPECT_TRUE(info.Name.empty());
}

TEST(TPropertyInfo, SettingTheDefaultMarksItOnlyWhenItChanges) {
  TPropertyInfo info;
  info.SetDefault("");
  EXPECT_FALSE(info.HasDefault);
  info.SetDefault("0");
  EXPECT_TRUE(info.HasDefault);
  EXPECT_EQ(info.Default(), "0");
}

TEST(TPropertyInfo, ASizeThatIsNotAnIntegerIsAnError) {
  for (const char* size : {"abc", "", "4.5", "99999999999"}) {
    SCOPED_TRACE(size);
    TPropertyInfo info;
    try {
      info.LoadFromXML(std::string(R"(<P ID="A" Size=")") + size + R"(" Name="B"/>)");
      FAIL() << "no exception";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find("Size"), std::string::npos) << e.Message();
    }
    // Attributes before the failing one are read, those after it are not.
    EXPECT_EQ(info.ID, "A");
    EXPECT_TRUE(info.Name.empty());
  }
  TPropertyInfo info;
  info.LoadFromXML(R"(<P Size=" 12 "/>)");
  EXPECT_EQ(info.Size, 12);
}

using TPropertyInfoRow = testing::PoolLibraryTest;

TEST_F(TPropertyInfoRow, ListsTheItemsInCaptionOrder) {
  TPropertyInfo info;
  info.LoadFromXML(
      R"(<P ID="TC003" Name="采购日期" Type="D" Size="8" Required="Y" Desc="单据日期" )"
      R"(ReadOnly="Y" Min="20000101" Max="20991231" ValueList="A;B" Default="20240101" )"
      R"(Field="TC003"/>)");
  EXPECT_EQ(info.GetDescriptionRow(),
            "<Property>TC003,采购日期,D,8,Y,单据日期,N,20000101,20991231,A;B,20240101,TC003"
            "</Property>");

  info.LoadFromXML(R"(<P ID="TC004"/>)");
  EXPECT_EQ(info.GetDescriptionRow(), "<Property>TC004,,Unknown,0,N,,Y,,,,,</Property>");

  info.LoadFromXML(R"(<P ID="TC005" Publish="N"/>)");
  EXPECT_EQ(info.GetDescriptionRow(), "");
}

TEST_F(TPropertyInfoRow, EscapesTheSeparatorInItemsButNotInTheID) {
  SetSeparator("|");
  TPropertyInfo info;
  info.LoadFromXML(R"(<P ID="A|B" Name="C|D" ValueList="x|y;z"/>)");
  EXPECT_EQ(info.GetDescriptionRow(),
            "<Property>A|B|C&stdd;D|Unknown|0|N||Y|||x&stdd;y;z||</Property>");
}

TEST_F(TPropertyInfoRow, EscapesMarkupSoTheRowStaysXml) {
  TPropertyInfo info;
  info.LoadFromXML(R"(<P ID="a&lt;b" Name="R&amp;D" Desc="x&gt;0, &quot;y&quot;"/>)");
  EXPECT_EQ(info.GetDescriptionRow(),
            "<Property>a&lt;b,R&amp;D,Unknown,0,N,x&gt;0&stdd; \"y\",Y,,,,,</Property>");
}

}  // namespace
}  // namespace gateway
