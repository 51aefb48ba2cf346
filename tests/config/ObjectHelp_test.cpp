#include "config/ObjectHelp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gateway {
namespace {

TEST(TObjectHelp, ReadsTheRootsAttributesAndHelpLines) {
  TObjectHelp help;
  help.LoadFromXML(
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
      "<PurchaseOrder ID=\"PO\" Name=\"采购单\" Desc=\"采购订单\">"
      "<HelpInfo>第一行\r\n\r\n第三行\r\n</HelpInfo><PropertyList/></PurchaseOrder>");
  EXPECT_EQ(help.ID, "PO");
  EXPECT_EQ(help.Name, "采购单");
  EXPECT_EQ(help.Desc, "采购订单");
  EXPECT_EQ(help.HelpInfo, (std::vector<std::string>{"第一行", "", "第三行"}));
  EXPECT_EQ(help.GetHelpXML(), "");
}

TEST(TObjectHelp, MissingPartsBecomeEmptyAndBadTextChangesNothing) {
  TObjectHelp help;
  help.LoadFromXML(R"(<O ID="PO" Name="N" Desc="D"><HelpInfo>a</HelpInfo></O>)");
  help.LoadFromXML("<O><HelpInfo>");
  EXPECT_EQ(help.ID, "PO");
  EXPECT_EQ(help.HelpInfo, (std::vector<std::string>{"a"}));

  help.LoadFromXML("<O Name=\"N2\"/>");
  EXPECT_EQ(help.ID, "");
  EXPECT_EQ(help.Name, "N2");
  EXPECT_EQ(help.Desc, "");
  EXPECT_TRUE(help.HelpInfo.empty());
}

}  // namespace
}  // namespace gateway
