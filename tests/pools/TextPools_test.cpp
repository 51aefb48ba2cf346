#include "pools/TextPools.h"

#include <gtest/gtest.h>

#include <string>

#include "gateway/Exception.h"
#include "pools/PoolErrors.h"

namespace gateway {
namespace {

TEST(TTextNodePool, WritesOneElementHoldingTheText) {
  struct Case {
    const char* text;
    const char* xml;
  };
  const Case cases[] = {
      {"-1", "<Status>-1</Status>"},
      {"a<b & c", "<Status>a&lt;b &amp; c</Status>"},
      {"", "<Status/>"},
      {"采购单", "<Status>采购单</Status>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TTextNodePool pool;
    pool.SetNodeName("Status");
    pool.Text = c.text;
    EXPECT_EQ(pool.GetXML(), c.xml);
  }
}

TEST(TTextNodePool, WritingWithoutANameRaisesEXmlNode) {
  TTextNodePool pool;
  pool.Text = "x";
  try {
    pool.GetXML();
    FAIL() << "no exception";
  } catch (const EXmlNode& e) {
    EXPECT_EQ(e.Message(), "the nodeName is required !");
    EXPECT_EQ(e.HelpContext(), -9005);
  }
}

TEST(TTextNodePool, WritingUnderAnInvalidNameRaisesTheXmlError) {
  // The second name would parse as an element with an attribute if the element
  // were built from "<name/>" text.
  for (const char* name : {"1abc", R"(Status code="1")", "a b"}) {
    SCOPED_TRACE(name);
    TTextNodePool pool;
    pool.SetNodeName(name);
    try {
      pool.GetXML();
      FAIL() << "no exception";
    } catch (const EXmlNode&) {
      FAIL() << "an invalid name is the XML layer's error, not a missing name";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(name), std::string::npos) << e.Message();
    }
  }
}

TEST(TTextNodePool, ReadingTakesTheElementsTextAndName) {
  TTextNodePool pool;
  pool.SetNodeName("Other");
  pool.SetXML("<AgentOption>x</AgentOption>");
  EXPECT_EQ(pool.NodeName(), "AgentOption");
  EXPECT_EQ(pool.Text, "x");
  EXPECT_EQ(pool.GetXML(), "<AgentOption>x</AgentOption>");

  // Child elements contribute their text.
  pool.SetXML("<Note>a<b>c</b>d</Note>");
  EXPECT_EQ(pool.NodeName(), "Note");
  EXPECT_EQ(pool.Text, "acd");
}

TEST(TTextNodePool, TextThatDoesNotParseLeavesThePoolEmptyAndNamed) {
  TTextNodePool pool;
  pool.SetXML("<Status>0</Status>");
  for (const char* bad : {"", "not xml", "<Status>1</Stat>"}) {
    SCOPED_TRACE(bad);
    pool.SetXML(bad);
    EXPECT_EQ(pool.Text, "");
    EXPECT_EQ(pool.NodeName(), "Status");
  }
}

TEST(TBaseStrPool, HasNoXmlFormOfItsOwn) {
  TBaseStrPool pool;
  pool.Text = "kept";
  try {
    pool.GetXML();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Please implement the function: [Class=TBaseStrPool, function=ToXML] !");
    EXPECT_EQ(e.HelpContext(), 0);
  }
  try {
    pool.SetXML("<a/>");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Please implement the function: [Class=TBaseStrPool, function=FromXML] !");
  }
  EXPECT_EQ(pool.Text, "");  // SetXML emptied it before failing
}

TEST(TDefaultPool, PassesItsTextThroughUnchanged) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?><!DOCTYPE SC[<!ENTITY stdd \"&amp;stdd;\">]>"
      "\r\n<Object Name=\"采购单\"> <x/> </Object>";
  TDefaultPool pool;
  pool.SetNodeName("Object");
  pool.SetXML(text);
  EXPECT_EQ(pool.Text, text);
  EXPECT_EQ(pool.GetXML(), text);
  pool.SetXML("not xml at all");
  EXPECT_EQ(pool.GetXML(), "not xml at all");
}

TEST(TextPools, NamesAreTheDefaultsAndClearKeepsThem) {
  TBaseStrPool str;
  TTextNodePool node;
  TDefaultPool fragment;
  EXPECT_EQ(str.NodeName(), "");
  EXPECT_EQ(node.NodeName(), "");
  EXPECT_EQ(fragment.NodeName(), "");

  node.SetXML("<Error>boom</Error>");
  node.Clear();
  EXPECT_EQ(node.NodeName(), "Error");
  EXPECT_EQ(node.Text, "");
  fragment.SetNodeName("Object");
  fragment.Text = "<Object/>";
  fragment.Clear();
  EXPECT_EQ(fragment.NodeName(), "Object");
  EXPECT_EQ(fragment.Text, "");
}

}  // namespace
}  // namespace gateway
