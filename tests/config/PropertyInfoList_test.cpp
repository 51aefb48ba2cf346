#include "config/PropertyInfoList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "config/Errors.h"
#include "gateway/Exception.h"
#include "pools/PoolErrors.h"
#include "pools/PoolTestSupport.h"
#include "text/XmlText.h"

namespace gateway {
namespace {

const char kHeader[] =
    "<PropertyDesc>属性标识,属性名称,类型,长度,是否必输,描述信息,可否更改,起始值,截止值,"
    "取值列表,默认值,字段名</PropertyDesc>";

std::vector<std::string> Ids(const TPropertyInfoList& list) {
  std::vector<std::string> ids;
  for (const auto& item : list) ids.push_back(item->ID);
  return ids;
}

class TPropertyInfoListTest : public testing::PoolLibraryTest {
 protected:
  std::string WriteMetadata(const std::string& bytes) {
    const std::string path = folder_.Path("Obj/PurchaseOrder.xml");
    testing::WriteFile(path, bytes);
    return path;
  }

  testing::TempFolder folder_;
  TPropertyInfoList list_;
};

TEST_F(TPropertyInfoListTest, LoadsTheFirstNestedPropertyListOfAFile) {
  // GB2312 bytes as the system's own metadata files are written: "单别", "单号".
  const std::string path = WriteMetadata(
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
      "<Object ID=\"PurchaseOrder\">\r\n"
      "  <Body><Part>\r\n"
      "    <PropertyList>\r\n"
      "      <Property ID=\"TC001\" Name=\"\xB5\xA5\xB1\xF0\" Field=\"TC001\" IsKey=\"Y\"/>\r\n"
      "      <Other ID=\"skipped\"/>\r\n"
      "      <Property ID=\"TC002\" Name=\"\xB5\xA5\xBA\xC5\" Field=\"TC002\"/>\r\n"
      "    </PropertyList>\r\n"
      "  </Part></Body>\r\n"
      "  <PropertyList><Property ID=\"second list\"/></PropertyList>\r\n"
      "</Object>\r\n");
  list_.LoadFromFile(path);
  EXPECT_EQ(Ids(list_), (std::vector<std::string>{"TC001", "TC002"}));
  EXPECT_EQ(list_.Items(0).Name, "单别");
  EXPECT_EQ(list_.Items(1).Name, "单号");
  EXPECT_TRUE(list_.Items(0).IsKey);
}

TEST_F(TPropertyInfoListTest, FindsNothingToLoadWithoutANestedPropertyList) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"PropertyList is the root", R"(<PropertyList><Property ID="A"/></PropertyList>)"},
      {"no PropertyList", R"(<Object><Property ID="A"/></Object>)"},
      {"not XML", R"(<Object><PropertyList><Property ID="A"/></Object>)"},
      {"empty file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    list_.LoadFromXML(R"(<L><Property ID="old"/></L>)");
    list_.LoadFromFile(WriteMetadata(c.bytes));
    EXPECT_EQ(list_.Count(), 0);
  }
  list_.LoadFromXML(R"(<L><Property ID="old"/></L>)");
  list_.LoadFromFile(folder_.Path("Obj/Missing.xml"));
  EXPECT_EQ(list_.Count(), 0);
  // A directory is not a metadata file either.
  list_.LoadFromFile(folder_.Path("Obj"));
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(TPropertyInfoListTest, ABadSizeEndsTheLoadWithTheFailingItemKept) {
  const std::string path =
      WriteMetadata(R"(<O><PropertyList><Property ID="A"/><Property ID="B" Size="x"/>)"
                    R"(<Property ID="C"/></PropertyList></O>)");
  EXPECT_THROW(list_.LoadFromFile(path), Exception);
  EXPECT_EQ(Ids(list_), (std::vector<std::string>{"A", "B"}));
}

TEST_F(TPropertyInfoListTest, KeepsOnlyThePropertiesOfTheCurrentFactory) {
  GlobleParams().Factory = "F01";
  list_.LoadFromXML(R"(<PropertyList>)"
                    R"(<Property ID="same" Company="F01"/>)"
                    R"(<Property ID="blanks" Company=" F01&#9; "/>)"
                    R"(<Property ID="empty" Company=""/>)"
                    R"(<Property ID="only blanks" Company="  "/>)"
                    R"(<Property ID="absent"/>)"
                    R"(<Property ID="lower case" Company="f01"/>)"
                    R"(<Property ID="other" Company="F02"/>)"
                    R"(</PropertyList>)");
  EXPECT_EQ(Ids(list_),
            (std::vector<std::string>{"same", "blanks", "empty", "only blanks", "absent"}));

  list_.CompanyFilter = false;
  list_.LoadFromXML(R"(<L><Property ID="other" Company="F02"/></L>)");
  EXPECT_EQ(Ids(list_), (std::vector<std::string>{"other"}));
}

TEST_F(TPropertyInfoListTest, FindsByFieldIgnoringCase) {
  list_.LoadFromXML(R"(<L><Property ID="A" Field="TD004"/><Property ID="B" Field="ItemNo"/>)"
                    R"(<Property ID="C" Field="ITEMNO"/></L>)");
  ASSERT_NE(list_.FindByField("itemno"), nullptr);
  EXPECT_EQ(list_.FindByField("itemno")->ID, "B");
  EXPECT_EQ(list_.FindByField("td004")->ID, "A");
  EXPECT_EQ(list_.FindByField("TD005"), nullptr);
  EXPECT_EQ(list_.FindByField(""), nullptr);
}

TEST_F(TPropertyInfoListTest, IndexesFromZeroAndRefusesOthers) {
  list_.Add().ID = "A";
  EXPECT_EQ(list_.Items(0).ID, "A");
  EXPECT_THROW(list_.Items(1), EListError);
  EXPECT_THROW(list_.Items(-1), EListError);
}

TEST_F(TPropertyInfoListTest, AddMakesItemsOfTheItemClass) {
  struct Derived : TPropertyInfo {};
  TPropertyInfoList list(TPropertyInfoList::ItemClassOf<Derived>());
  list.LoadFromXML(R"(<L><Property ID="A"/></L>)");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_NE(dynamic_cast<Derived*>(&list.Items(0)), nullptr);
}

TEST_F(TPropertyInfoListTest, DescribesPublishedItemsAfterTheHeader) {
  EXPECT_EQ(list_.GetDescription(), kHeader);

  list_.LoadFromXML(
      R"(<L><Property ID="TC001" Name="单别" Type="C" Size="4" Required="Y" Field="TC001"/>)"
      R"(<Property ID="hidden" Publish="n"/>)"
      R"(<Property ID="TC002" Name="单号" Type="C" Size="11" Field="TC002"/></L>)");
  EXPECT_EQ(list_.GetDescription(), std::string(kHeader) +
                                        "<Property>TC001,单别,C,4,Y,,Y,,,,,TC001</Property>" +
                                        "<Property>TC002,单号,C,11,N,,Y,,,,,TC002</Property>");
}

TEST_F(TPropertyInfoListTest, TheDescriptionParsesWhateverTheSeparator) {
  list_.LoadFromXML(R"(<L><Property ID="A" Name="x&amp;y&lt;z"/></L>)");
  for (const char* separator : {"|", "&", "<", ";"}) {
    SCOPED_TRACE(separator);
    SetSeparator(separator);
    const XmlNode root =
        LoadNormalizedXml("<a>" + list_.GetDescription() + "</a>").DocumentElement();
    ASSERT_FALSE(root.IsNull()) << list_.GetDescription();
    EXPECT_EQ(root.ChildCount(), 2u);
    const std::string header = root.Child(0).Text();
    EXPECT_EQ(header.substr(0, header.find(separator)), "属性标识");
  }
}

}  // namespace
}  // namespace gateway
