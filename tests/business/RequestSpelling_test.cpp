// Request elements that look like known ones but are not read are pointed
// out; the request still means what it meant.
#include "business/RequestSpelling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "business/BaseOperater.h"
#include "config/ConfigTestSupport.h"
#include "pools/GlobleParams.h"
#include "pools/PoolTestSupport.h"
#include "text/XmlText.h"

namespace gateway {
namespace {

std::vector<std::string> WarningsFor(const std::string& request) {
  return MisspelledRequestElements(LoadNormalizedXml(request).DocumentElement());
}

TEST(RequestSpelling, NamesOnlyElementsThatLookLikeKnownOnes) {
  struct Case {
    std::string children;
    std::vector<std::string> warnings;
  };
  const std::string not_read = "element names are matched exactly, letter case included";
  const Case cases[] = {
      {"<Seperator>;</Seperator><Factory>F01</Factory><PropertyList>A</PropertyList>"
       "<Condition/><OrderList/><AgentOption/><ExtendedProperties/><Remark>x</Remark>",
       {}},
      {"<Separator>;</Separator>",
       {"the request element <Separator> is not read: the separator element is spelled "
        "<Seperator>"}},
      {"<SEPARATOR>;</SEPARATOR>",
       {"the request element <SEPARATOR> is not read: the separator element is spelled "
        "<Seperator>"}},
      {"<seperator>;</seperator>",
       {"the request element <seperator> is not read as <Seperator>: " + not_read}},
      {"<condition/><propertylist>A</propertylist><dateformat/>",
       {"the request element <condition> is not read as <Condition>: " + not_read,
        "the request element <propertylist> is not read as <PropertyList>: " + not_read,
        "the request element <dateformat> is not read as <DateFormat>: " + not_read}},
      // Only the root's children are request elements.
      {"<Condition><Group><separator/></Group></Condition>", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.children);
    EXPECT_EQ(WarningsFor("<Request>" + c.children + "</Request>"), c.warnings);
  }
  EXPECT_EQ(WarningsFor("not xml"), std::vector<std::string>{});
}

class RequestSpellingPoolTest : public testing::PoolLibraryTest {};

// An operator with the usual pools and nothing to execute.
class PlainOperater : public TBaseOperater {
 public:
  PlainOperater() : TBaseOperater(nullptr) {}
  std::string GetName() override { return "Plain"; }
  TInputPool* GetInputPool() override { return OwnedInputPool(); }
  TOutputPool* GetOutputPool() override { return OwnedOutputPool(); }
};

TEST_F(RequestSpellingPoolTest, TheInputPoolWarnsAndReadsTheRequestAsBefore) {
  testing::CapturedWarnings captured;
  PlainOperater operater;
  operater.GetInputPool()->SetXML(
      "<Request><Separator>;</Separator><Seperator>|</Seperator>"
      "</Request>");
  EXPECT_EQ(captured.Warnings().size(), 1u);
  EXPECT_EQ(GlobleParams().Seperator, "|");

  operater.GetInputPool()->SetXML("<Request><Separator>;</Separator></Request>");
  EXPECT_EQ(captured.Warnings().size(), 2u);
  EXPECT_EQ(GlobleParams().Seperator, "");
}

}  // namespace
}  // namespace gateway
