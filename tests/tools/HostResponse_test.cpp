// Reading responses as the host does, without the library: lists cut at the
// request's separator with the marker read back, Help descriptions, Status and
// Error.
#include "gatewayhost/HostResponse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gateway::host {
namespace {

using Items = std::vector<std::string>;

// The head the module writes in front of every response.
const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE SC [\n<!ENTITY stdd \"&amp;stdd;\">\n]>\n";

TEST(GatewayHostResponse, SplitsListsAtTheSeparatorOutsideMarkers) {
  struct Case {
    std::string text, separator;
    Items items;
  };
  const Case cases[] = {
      {"a;b;c", ";", {"a", "b", "c"}},
      {"a;;", ";", {"a", "", ""}},
      {"", ";", {""}},
      // ";" is the marker's last character: a marker is never cut.
      {"M5&stdd;12;b", ";", {"M5;12", "b"}},
      {"&stdd;&stdd;", ";", {";;"}},
      {"x&stdd;y&z", "&", {"x&y", "z"}},
      {"a||b&stdd;c||d", "||", {"a", "b||c", "d"}},
      {"单别|采购&stdd;单", "|", {"单别", "采购|单"}},
      // No separator: one item, its markers removed.
      {"a;b&stdd;c", "", {"a;bc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " at " + c.separator);
    EXPECT_EQ(SplitList(c.text, c.separator), c.items);
  }
}

TEST(GatewayHostResponse, FindsTheSeparatorTheModuleReads) {
  struct Case {
    std::string request, separator;
  };
  const Case cases[] = {
      {"<Request><Seperator>;</Seperator></Request>", ";"},
      {"<?xml version=\"1.0\" encoding=\"GB2312\"?><R><Factory>F01</Factory>"
       "<Seperator>|</Seperator></R>",
       "|"},
      {"<Request><Seperator> </Seperator></Request>", " "},
      // The marker may be used without being declared, as the module allows.
      {"<Request><Seperator>;</Seperator><PropertyList>A&stdd;B</PropertyList></Request>", ";"},
      {"<Request><Separator>;</Separator></Request>", ""},
      {"<Request><Group><Seperator>;</Seperator></Group></Request>", ""},
      {"<Request/>", ""},
      {"not xml", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(RequestSeparator(c.request), c.separator);
  }
}

TEST(GatewayHostResponse, ReadsRowsStatusAndError) {
  const ResponseContent content = ReadResponse(
      kHead +
          "<Service><Data><DataSet Field=\"TC001;TD005\"><Row Data=\"3301;M5&amp;stdd;12\"/>"
          "<Row Data=\"3302;\"/></DataSet></Data><Key>TC001;TC002</Key>"
          "<Error>查询失败</Error><Status>-1</Status></Service>",
      ";");
  ASSERT_TRUE(content.is_xml);
  ASSERT_EQ(content.parts.size(), 2u);
  EXPECT_EQ(content.parts[0].kind, ResponsePart::Kind::kDataSet);
  EXPECT_EQ(content.parts[0].table.header, (Items{"TC001", "TD005"}));
  EXPECT_EQ(content.parts[0].table.rows, (std::vector<Items>{{"3301", "M5;12"}, {"3302", ""}}));
  EXPECT_EQ(content.parts[1].kind, ResponsePart::Kind::kText);
  EXPECT_EQ(content.parts[1].name, "Key");
  EXPECT_EQ(content.parts[1].text, "TC001;TC002");
  EXPECT_EQ(content.error, "查询失败");
  EXPECT_EQ(content.status, "-1");
  EXPECT_FALSE(content.Succeeded());
}

TEST(GatewayHostResponse, OnlyStatusZeroIsSuccess) {
  struct Case {
    std::string xml;
    bool is_xml, succeeded;
  };
  const Case cases[] = {
      {kHead + "<Service><Status>0</Status></Service>", true, true},
      {"<Service><Status>-9007</Status></Service>", true, false},
      {"<Service><Data/></Service>", true, false},  // no Status at all
      {"", false, false},
      {"<Service><Status>0</Status>", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    const ResponseContent content = ReadResponse(c.xml, ";");
    EXPECT_EQ(content.is_xml, c.is_xml);
    EXPECT_EQ(content.Succeeded(), c.succeeded);
  }
}

TEST(GatewayHostResponse, ReadsAHelpDescription) {
  const ResponseContent content =
      ReadResponse(kHead +
                       "<Service><Object ID=\"PO\" Name=\"采购单\" Desc=\"\" Edit=\"Y\">"
                       "<MemoList><Memo>第一行</Memo><Memo>第二行</Memo></MemoList>"
                       "<MethodList><GetData>Y</GetData><SetData><Operate><Update>Y</Update>"
                       "<Adjust>Y</Adjust></Operate></SetData><Help>Y</Help></MethodList>"
                       "<PropertyDesc>属性标识|属性名称</PropertyDesc>"
                       "<Property>A|x&amp;stdd;y</Property><Property>B|</Property></Object>"
                       "<Status>0</Status></Service>",
                   "|");
  ASSERT_EQ(content.parts.size(), 1u);
  const ObjectDescription& object = content.parts[0].object;
  EXPECT_EQ(content.parts[0].kind, ResponsePart::Kind::kObject);
  EXPECT_EQ(object.id, "PO");
  EXPECT_EQ(object.name, "采购单");
  EXPECT_EQ(object.desc, "");
  EXPECT_EQ(object.memos, (Items{"第一行", "第二行"}));
  EXPECT_EQ(object.methods, (Items{"GetData", "SetData (Update, Adjust)", "Help"}));
  EXPECT_EQ(object.properties.header, (Items{"属性标识", "属性名称"}));
  EXPECT_EQ(object.properties.rows, (std::vector<Items>{{"A", "x|y"}, {"B", ""}}));
  EXPECT_TRUE(content.Succeeded());
}

TEST(GatewayHostResponse, NeverExpandsOrFetchesEntities) {
  // A response is the module's, but the reader is the same for requests from
  // peers: a reference stays as written and nothing outside is read.
  const ResponseContent content = ReadResponse(
      "<!DOCTYPE S [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY file SYSTEM \"file:///etc/passwd\">]>"
      "<Service><Note>&b;&file;</Note><Status>0</Status></Service>",
      ";");
  ASSERT_EQ(content.parts.size(), 1u);
  EXPECT_EQ(content.parts[0].text, "&b;&file;");
}

}  // namespace
}  // namespace gateway::host
