#include "pools/BufferPool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pools/ConditionPools.h"
#include "pools/DataPool.h"
#include "pools/ListPools.h"
#include "pools/PoolErrors.h"
#include "pools/PoolTestSupport.h"
#include "pools/TextPools.h"

namespace gateway {
namespace {

using BufferPoolTest = testing::PoolLibraryTest;

// A buffer pool holding the typed sub-pools a data-retrieval request fills.
struct RequestPools {
  TBufferPool buffer;
  TGetDataPropertyListPool* properties = new TGetDataPropertyListPool;
  TConditionPool* condition = new TConditionPool;
  TOrderListPool* order = new TOrderListPool;
  RequestPools() {
    buffer.Pools().Add(properties);
    buffer.Pools().Add(condition);
    buffer.Pools().Add(order);
  }
};

const char kRequest[] =
    "<Service>"
    "<Seperator>,</Seperator><Factory>F01</Factory>"
    "<PropertyList>TC001,TC002</PropertyList>"
    "<Condition><Group Type=\"and\">"
    "<Property Name=\"TC001\" Type=\"EQUAL\" Value=\"3301\"/>"
    "<Property Name=\"TC003\" Type=\"between\" Value=\"20240101,20240131\"/>"
    "</Group></Condition>"
    "<OrderList>TC001,TC002 DESC</OrderList>"
    "<ExtendedProperties><Hint>x</Hint></ExtendedProperties>"
    "</Service>";

TEST_F(BufferPoolTest, ARequestReachesEachTypedSubPool) {
  RequestPools request;
  IPool& pool = request.buffer;
  pool.SetXML(kRequest);
  EXPECT_EQ(request.properties->Strings, (std::vector<std::string>{"TC001", "TC002"}));
  EXPECT_EQ(request.condition->Text,
            "((TC001 = '3301') and (TC003 between '20240101' and '20240131'))");
  EXPECT_EQ(request.order->Text, "TC001,TC002 DESC");
  EXPECT_EQ(request.buffer.ExtendedProperties,
            "<ExtendedProperties><Hint>x</Hint></ExtendedProperties>");

  // Read again without those elements: every sub-pool is emptied, nothing is merged.
  pool.SetXML("<Request><Condition><Group/></Condition></Request>");
  EXPECT_TRUE(request.properties->Strings.empty());
  EXPECT_EQ(request.order->Text, "");
  EXPECT_EQ(request.condition->Text, "()");
  EXPECT_EQ(request.buffer.ExtendedProperties, "");
}

TEST_F(BufferPoolTest, ElementNamesMatchExactlyAndOnlyTheFirstCounts) {
  TBufferPool buffer;
  auto* text = new TTextNodePool;
  text->SetNodeName("AgentOption");
  buffer.Pools().Add(text);
  buffer.SetXML("<R><agentoption>lower</agentoption></R>");
  EXPECT_EQ(text->Text, "");
  buffer.SetXML("<R><AgentOption>first</AgentOption><AgentOption>second</AgentOption></R>");
  EXPECT_EQ(text->Text, "first");
  buffer.SetXML("not xml at all");
  EXPECT_EQ(text->Text, "");
}

TEST_F(BufferPoolTest, WritesOneServiceDocumentThatSaysItsEncoding) {
  TBufferPool buffer;
  EXPECT_NE(buffer.GetXML().find("<Service/>"), std::string::npos);

  auto* status = new TTextNodePool;
  status->SetNodeName("Status");
  status->Text = "0";
  auto* note = new TTextNodePool;
  note->SetNodeName("Note");
  note->Text = "a&stdd;b 中文";
  buffer.Pools().Add(note);
  buffer.Pools().Add(status);
  buffer.ExtendedProperties = "<ExtendedProperties/>";  // read-only input: never written

  const std::string xml = buffer.GetXML();
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << xml;
  EXPECT_NE(xml.find("<!ENTITY stdd"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<Service><Note>a&amp;stdd;b 中文</Note><Status>0</Status></Service>"),
            std::string::npos)
      << xml;
  EXPECT_EQ(xml.find("ExtendedProperties"), std::string::npos);

  // The response parses back, and the marker reads as itself.
  TBufferPool reader;
  auto* read_note = new TTextNodePool;
  read_note->SetNodeName("Note");
  reader.Pools().Add(read_note);
  reader.SetXML(xml);
  EXPECT_EQ(read_note->Text, "a&stdd;b 中文");
}

TEST_F(BufferPoolTest, TheBaseHasNoErrorRecord) {
  TBufferPool buffer;
  try {
    buffer.GetError();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Please implement the function: [Class=TBufferPool, function=GetError] !");
  }
}

TEST_F(BufferPoolTest, AFailingSubPoolStopsTheResponse) {
  TBufferPool buffer;
  auto* broken = new TTextNodePool;  // no name: cannot form its element
  broken->SetNodeName("");
  auto* after = new TTextNodePool;
  after->SetNodeName("After");
  bool after_written = false;
  after->OnBeforeGetXML = [&](TBasePool&) { after_written = true; };
  buffer.Pools().Add(broken);
  buffer.Pools().Add(after);
  EXPECT_THROW(buffer.GetXML(), EXmlNode);
  EXPECT_FALSE(after_written);
}

}  // namespace
}  // namespace gateway
