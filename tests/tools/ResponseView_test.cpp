// The view of a response a person reads: tables lined up by display width,
// separators inside values, the marker, Chinese text, empty values, Help
// descriptions and failures.
#include "gatewayhost/ResponseView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gatewayhost/HostResponse.h"
#include "gatewayhost/TextWidth.h"

namespace gateway::host {
namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE SC [\n<!ENTITY stdd \"&amp;stdd;\">\n]>\n";

// The lines of a text that ends with a line break.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(start, text.size()) << "the text does not end with a line break";
  return lines;
}

// A GetData response as the module writes it, separator ";": a supplier name
// and a size holding the separator (as the marker), Chinese text, empty
// values, a name with a line break.
const std::string kGetData =
    kHead +
    "<Service><Data><DataSet Field=\"TC001;TC002;MA002;TD006;TD012;MC002\">"
    "<Row Data=\"3301;20230103005;永固紧固件;M5&amp;stdd;12;20230119;原材料仓\"/>"
    "<Row Data=\"3301;20230103016;O'Brien &amp; Sons;;;\"/>"
    "<Row Data=\"3302;20230104011;华强五金&#10;深圳;M6×16&amp;stdd;A&amp;stdd;B;;包材仓\"/>"
    "</DataSet></Data><Status>0</Status></Service>";

TEST(GatewayHostResponseView, ShowsADataSetAsATableLinedUpByDisplayWidth) {
  const std::string view = RenderResponse(ReadResponse(kGetData, ";"), std::nullopt);
  EXPECT_EQ(view,
            "DataSet (3 rows):\n"
            "TC001  TC002        MA002           TD006      TD012     MC002\n"
            "-----  -----------  --------------  ---------  --------  --------\n"
            "3301   20230103005  永固紧固件      M5;12      20230119  原材料仓\n"
            "3301   20230103016  O'Brien & Sons\n"
            "3302   20230104011  华强五金\\n深圳  M6×16;A;B            包材仓\n"
            "Status:   0\n");
}

TEST(GatewayHostResponseView, EveryColumnStartsAtTheSameDisplayColumn) {
  // Wider data and more rows than above: the property check, not the text.
  std::string rows;
  const char* names[] = {"伍尔特", "O'Brien", "山田製作所", "", "Ünal &amp; Co", "한국상사"};
  for (int i = 0; i < 6; ++i) {
    rows += "<Row Data=\"" + std::to_string(i) + ";" + names[i] + ";x&amp;stdd;y" +
            std::string(static_cast<size_t>(i), 'z') + ";end\"/>";
  }
  const ResponseContent content =
      ReadResponse(kHead + "<Service><Data><DataSet Field=\"N;名称;Spec;Last\">" + rows +
                       "</DataSet></Data><Status>0</Status></Service>",
                   ";");
  ASSERT_EQ(content.parts.size(), 1u);
  const std::vector<std::string> lines = Lines(RenderTable(content.parts[0].table, std::nullopt));
  ASSERT_EQ(lines.size(), 8u);
  // Where "Last" starts on the header line; every row's last value starts there.
  const size_t last = DisplayWidth(lines[0].substr(0, lines[0].find("Last")));
  for (size_t i = 2; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    const size_t at = lines[i].rfind("end");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(DisplayWidth(lines[i].substr(0, at)), last);
  }
}

TEST(GatewayHostResponseView, ShowsTheFirstRowsWithTheTotal) {
  const std::string view = RenderResponse(ReadResponse(kGetData, ";"), 1);
  EXPECT_EQ(view,
            "DataSet (3 rows, the first 1 shown):\n"
            "TC001  TC002        MA002       TD006  TD012     MC002\n"
            "-----  -----------  ----------  -----  --------  --------\n"
            "3301   20230103005  永固紧固件  M5;12  20230119  原材料仓\n"
            "Status:   0\n");
  EXPECT_EQ(RenderResponse(ReadResponse(kGetData, ";"), 0)
                .rfind("DataSet (3 rows, the first 0 shown):\n"
                       "TC001  TC002",
                       0),
            0u);
}

TEST(GatewayHostResponseView, RowsWithMoreOrFewerValuesThanNames) {
  TextTable table;
  table.header = {"A", "B"};
  table.rows = {{"1"}, {"1", "2", "三"}};
  EXPECT_EQ(RenderTable(table, std::nullopt),
            "A  B\n"
            "-  -  --\n"
            "1\n"
            "1  2  三\n");
}

TEST(GatewayHostResponseView, ShowsAnErrorResponse) {
  const ResponseContent content = ReadResponse(
      kHead +
          "<Service><Error>No database connection is configured: GatewayConfig.ini is not in "
          "the gateway root /srv/gw/</Error><Status>-1</Status></Service>",
      ";");
  EXPECT_EQ(RenderResponse(content, 10),
            "Error:    No database connection is configured: GatewayConfig.ini is not in the "
            "gateway root /srv/gw/\n"
            "Status:   -1\n");
  EXPECT_EQ(RenderResponse(ReadResponse("<Service>", ";"), 10), "(the response is not XML)\n");
  EXPECT_EQ(RenderResponse(ReadResponse("<Service/>", ";"), 10), "Status:   (none)\n");
}

TEST(GatewayHostResponseView, ShowsAHelpDescriptionWithItsPropertyTable) {
  const ResponseContent content = ReadResponse(
      kHead +
          "<Service><Object ID=\"PurchaseOrder\" Name=\"采购单\" Desc=\"ERP 采购单\">"
          "<MemoList><Memo>GetData：查询采购单。</Memo><Memo>Help：返回本说明。</Memo></MemoList>"
          "<MethodList><GetData>Y</GetData><Help>Y</Help></MethodList>"
          "<PropertyDesc>属性标识|属性名称|类型|长度|取值列表</PropertyDesc>"
          "<Property>TC001|采购单别|C|4|3301;3302</Property>"
          "<Property>TC018C|课税别&amp;stdd;说明|C|20|</Property>"
          "<Property>TD005|品名|C|60|</Property></Object><Status>0</Status></Service>",
      "|");
  EXPECT_EQ(RenderResponse(content, 2),
            "Object:   PurchaseOrder\n"
            "Name:     采购单\n"
            "Desc:     ERP 采购单\n"
            "Memos:    GetData：查询采购单。\n"
            "          Help：返回本说明。\n"
            "Methods:  GetData, Help\n"
            "Properties (3 properties, the first 2 shown):\n"
            "属性标识  属性名称     类型  长度  取值列表\n"
            "--------  -----------  ----  ----  ---------\n"
            "TC001     采购单别     C     4     3301;3302\n"
            "TC018C    课税别|说明  C     20\n"
            "Status:   0\n");
}

TEST(GatewayHostResponseView, AnEmptyDescriptionSaysSo) {
  const ResponseContent content = ReadResponse(
      "<Service><Object ID=\"\" Name=\"\" Desc=\"\"><MemoList/><MethodList/>"
      "<PropertyDesc>属性标识</PropertyDesc></Object><Status>0</Status></Service>",
      ",");
  EXPECT_EQ(RenderResponse(content, std::nullopt),
            "Object:\n"
            "Name:\n"
            "Desc:\n"
            "Memos:    (none)\n"
            "Methods:  (none)\n"
            "Properties (0 properties):\n"
            "属性标识\n"
            "--------\n"
            "Status:   0\n");
}

}  // namespace
}  // namespace gateway::host
