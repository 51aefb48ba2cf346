#include "text/XmlDom.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gateway/Exception.h"
#include "text/XmlText.h"

namespace gateway {
namespace {

// Records every attempt libxml2 makes to load an external resource (file or
// network) and refuses it. Installed only while a test runs, so the test can
// prove that parsing never even tries.
class LoadSpy {
 public:
  LoadSpy() : previous_(xmlGetExternalEntityLoader()) {
    attempts_.clear();
    xmlSetExternalEntityLoader(Record);
  }
  ~LoadSpy() { xmlSetExternalEntityLoader(previous_); }
  LoadSpy(const LoadSpy&) = delete;
  LoadSpy& operator=(const LoadSpy&) = delete;
  static const std::vector<std::string>& Attempts() { return attempts_; }

 private:
  static xmlParserInputPtr Record(const char* url, const char*, xmlParserCtxtPtr) {
    attempts_.push_back(url != nullptr ? url : "(null)");
    return nullptr;
  }
  static inline std::vector<std::string> attempts_;
  xmlExternalEntityLoader previous_;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xmldom-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string LaughsDtd(const char* name, const char* mark, int levels) {
  std::string dtd = std::string("<!ENTITY ") + mark + name + "0 \"lol\">";
  for (int i = 1; i <= levels; ++i) {
    dtd += std::string("<!ENTITY ") + mark + name + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) {
      dtd += std::string(*mark == '%' ? "&#37;" : "&") + name + std::to_string(i - 1) + ";";
    }
    dtd += "\">";
  }
  return dtd;
}

// --- Hardened parsing ---------------------------------------------------------

TEST(XmlDomHardening, ExternalEntitiesAreNeverLoaded) {
  TempDir dir;
  const std::filesystem::path secret = dir.Path() / "secret.txt";
  std::ofstream(secret) << "TOP-SECRET-CONTENT";
  const std::string file_url = "file://" + secret.string();
  const std::string texts[] = {
      "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + file_url + "\">]><r>&ext;<a>&ext;</a></r>",
      "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + secret.string() + "\">]><r a=\"&ext;\">x</r>",
      "<!DOCTYPE r [<!ENTITY ext SYSTEM \"http://127.0.0.1:9/secret\">]><r>&ext;</r>",
      // Hidden behind an internal entity that refers to it.
      "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + file_url +
          "\"><!ENTITY in \"[&ext;]\">]>"
          "<r>&in;</r>",
      // External parameter entities, expanded in the internal subset.
      "<!DOCTYPE r [<!ENTITY % pe SYSTEM \"" + file_url + "\"> %pe;]><r>x</r>",
      "<!DOCTYPE r [<!ENTITY % pe SYSTEM \"http://127.0.0.1:9/dtd\"> %pe;]><r>&leak;</r>",
      // An external DTD subset.
      "<!DOCTYPE r SYSTEM \"" + file_url + "\"><r>x</r>",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    LoadSpy spy;
    XmlDocument document;
    document.LoadXml(text);
    XmlNode root = document.DocumentElement();
    if (!root.IsNull()) {
      EXPECT_EQ(root.Text().find("TOP-SECRET"), std::string::npos);
      EXPECT_EQ(document.Xml().find("TOP-SECRET"), std::string::npos);
      EXPECT_EQ(root.Xml().find("TOP-SECRET"), std::string::npos);
    }
    EXPECT_TRUE(LoadSpy::Attempts().empty()) << LoadSpy::Attempts().front();
  }
}

TEST(XmlDomHardening, EntityExpansionBombsStayBounded) {
  const std::string quadratic_entity(50000, 'x');
  std::string quadratic_refs;
  for (int i = 0; i < 50000; ++i) quadratic_refs += "&a;";
  const std::string texts[] = {
      "<!DOCTYPE r [" + LaughsDtd("l", "", 10) + "]><r>&l10;</r>",
      "<!DOCTYPE r [" + LaughsDtd("l", "", 10) + "]><r a=\"&l10;\"/>",
      "<!DOCTYPE r [" + LaughsDtd("p", "% ", 10) + "<!ENTITY e \"%p10;\">]><r>&e;</r>",
      "<!DOCTYPE r [<!ENTITY a \"" + quadratic_entity + "\">]><r>" + quadratic_refs + "</r>",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 60));
    XmlDocument document;
    document.LoadXml(text);
    XmlNode root = document.DocumentElement();
    if (!root.IsNull()) {
      EXPECT_LT(root.Text().size(), 1u << 20);
      EXPECT_LT(document.Xml().size(), 1u << 20);
    }
  }
}

TEST(XmlDomHardening, ModestInternalEntitiesStillExpand) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<!DOCTYPE r [" + LaughsDtd("l", "", 1) +
                               "]><r a=\"&l1;\"><a>&l1;</a><a>&l1;</a></r>"));
  XmlNode root = document.DocumentElement();
  EXPECT_EQ(root.Text().size(), 60u);
  EXPECT_EQ(root.Attribute("a")->size(), 30u);
}

TEST(XmlDomParse, TextThatDoesNotParseLeavesAnEmptyDocument) {
  const std::string texts[] = {
      "", "<r>", "not xml", "<r>\xff\xfe</r>", "<r a=\"\xc3\"/>", "<r>&undeclared;</r>"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    XmlDocument document;
    EXPECT_FALSE(document.LoadXml(text));
    EXPECT_TRUE(document.DocumentElement().IsNull());
    EXPECT_EQ(document.Xml(), "");
  }
}

TEST(XmlDomParse, TextIsUtf8WhateverTheDeclarationSays) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"值\">中文</r>"));
  XmlNode root = document.DocumentElement();
  EXPECT_EQ(root.Text(), "中文");
  EXPECT_EQ(root.Attribute("a"), "值");
  EXPECT_EQ(root.Xml(), "<r a=\"值\">中文</r>");
}

TEST(XmlDomParse, WhitespaceBetweenElementsIsNotKept) {
  XmlDocument pretty;
  ASSERT_TRUE(pretty.LoadXml("<r>\n  <a>1</a>\r\n\t<b> </b>\n  <c>  x  </c>\n</r>\n"));
  XmlDocument compact;
  ASSERT_TRUE(compact.LoadXml("<r><a>1</a><b> </b><c>  x  </c></r>"));
  EXPECT_EQ(pretty.DocumentElement().Xml(), compact.DocumentElement().Xml());
  EXPECT_EQ(pretty.DocumentElement().ChildCount(), 3u);
  // A blank that is an element's whole content is a value (a separator, say).
  EXPECT_EQ(pretty.DocumentElement().Child(1).Text(), " ");

  XmlDocument preserved;
  ASSERT_TRUE(preserved.LoadXml("<r xml:space=\"preserve\"> <a/> </r>"));
  EXPECT_EQ(preserved.DocumentElement().ChildCount(), 3u);
}

// --- Node handles and document lifetime ---------------------------------------

TEST(XmlDomLifetime, NodeOutlivesItsDocumentVariable) {
  XmlNode root = LoadNormalizedXml("<r><a>1</a></r>").DocumentElement();
  XmlNode child = root.SelectSingleNode("a");
  EXPECT_EQ(child.Text(), "1");
  EXPECT_EQ(child.ParentNode(), root);
  EXPECT_EQ(child.OwnerDocument().DocumentElement(), root);
}

TEST(XmlDomLifetime, DetachedNodesStayUsableUntilTheDocumentDies) {
  XmlNode kept_child;
  XmlNode created;
  XmlNode removed_text;
  {
    XmlDocument document;
    ASSERT_TRUE(document.LoadXml("<r><a>old</a>tail</r>"));
    XmlNode root = document.DocumentElement();
    kept_child = root.Child(0);
    created = document.CreateElement("never_appended");
    created.SetText("made");
    root.SetText("replaced");  // unlinks <a> and "tail" while handles point at them
    EXPECT_EQ(root.Xml(), "<r>replaced</r>");
    removed_text = root.RemoveChild(root.Child(0));
    EXPECT_FALSE(root.HasChildNodes());
    // A removed text appended next to another text stays its own node.
    root.AppendChild(document.CreateElement("x"));
    root.Child(0).SetText("y");
    XmlNode moved = root.Child(0).AppendChild(removed_text);
    EXPECT_EQ(root.Xml(), "<r><x>yreplaced</x></r>");
    EXPECT_EQ(moved, removed_text);
    EXPECT_EQ(root.Child(0).ChildCount(), 2u);
    root.Child(0).RemoveChild(moved);
    EXPECT_TRUE(document.LoadXml("<other/>"));  // the handle moves on; nodes keep theirs
  }
  EXPECT_EQ(kept_child.Xml(), "<a>old</a>");
  EXPECT_TRUE(kept_child.ParentNode().IsNull());
  EXPECT_EQ(created.Text(), "made");
  EXPECT_EQ(removed_text.Text(), "replaced");
}

TEST(XmlDomLifetime, DocumentHandlesShareOneDocument) {
  XmlDocument first;
  XmlDocument second = first;
  second.DocumentNode().AppendChild(second.CreateElement("r"));
  EXPECT_EQ(first.DocumentElement().NodeName(), "r");
}

// --- Tree operations ------------------------------------------------------------

TEST(XmlDomTree, BuildsAndSerialisesADocument) {
  XmlDocument document;
  EXPECT_EQ(document.Xml(), "");
  XmlNode root = document.DocumentNode().AppendChild(document.CreateElement("Service"));
  XmlNode data = root.AppendChild(document.CreateElement("Data"));
  data.SetAttribute("Field", "a,b");
  data.SetAttribute("Field", "a&stdd;b<\"中\">");
  data.SetText("x < y & 中文");
  XmlNode attribute = document.CreateAttribute("Extra");
  attribute.SetText("1");
  EXPECT_TRUE(data.SetAttributeNode(attribute).IsNull());
  EXPECT_EQ(data.Attributes(), (std::vector<std::pair<std::string, std::string>>{
                                   {"Field", "a&stdd;b<\"中\">"}, {"Extra", "1"}}));
  EXPECT_EQ(data.Attribute("Missing"), std::nullopt);
  EXPECT_EQ(attribute.Xml(), "Extra=\"1\"");

  const std::string xml = document.Xml();
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << xml;
  XmlDocument again;
  ASSERT_TRUE(again.LoadXml(xml));
  XmlNode reread = again.DocumentElement().SelectSingleNode("Data");
  EXPECT_EQ(reread.Text(), "x < y & 中文");
  EXPECT_EQ(reread.Attribute("Field"), "a&stdd;b<\"中\">");
}

TEST(XmlDomTree, ChildrenAndNames) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<r><!--c--><a/>t<![CDATA[d]]><?pi x?></r>"));
  XmlNode root = document.DocumentElement();
  const std::vector<std::string> names = {"#comment", "a", "#text", "#cdata-section", "pi"};
  ASSERT_EQ(root.ChildCount(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(root.Child(i).NodeName(), names[i]);
  EXPECT_TRUE(root.Child(names.size()).IsNull());
  EXPECT_EQ(root.ParentNode().NodeName(), "#document");
  EXPECT_EQ(root.Text(), "td");
  EXPECT_TRUE(root.SelectSingleNode("@none").IsNull());
}

TEST(XmlDomTree, RefusesTreesThatCannotBe) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<r><a><b/></a></r>"));
  XmlNode root = document.DocumentElement();
  XmlNode a = root.Child(0);
  XmlNode b = a.Child(0);
  EXPECT_THROW(b.AppendChild(a), Exception);
  EXPECT_THROW(a.AppendChild(a), Exception);
  EXPECT_THROW(root.RemoveChild(b), Exception);
  EXPECT_THROW(document.DocumentNode().AppendChild(document.CreateElement("second")), Exception);
  EXPECT_THROW(XmlNode().Text(), Exception);
  EXPECT_EQ(root.Xml(), "<r><a><b/></a></r>");
}

TEST(XmlDomTree, NodesOfAnotherDocumentAreCopiedIn) {
  XmlDocument source;
  ASSERT_TRUE(source.LoadXml("<s><item k=\"v\">1</item></s>"));
  XmlDocument target;
  ASSERT_TRUE(target.LoadXml("<t/>"));
  XmlNode item = source.DocumentElement().Child(0);
  XmlNode copy = target.DocumentElement().AppendChild(item);
  EXPECT_FALSE(copy == item);
  EXPECT_EQ(target.DocumentElement().Xml(), "<t><item k=\"v\">1</item></t>");
  EXPECT_EQ(source.DocumentElement().Xml(), "<s><item k=\"v\">1</item></s>");
}

TEST(XmlDomTree, InvalidNamesAndTextsAreRefused) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<r/>"));
  const std::vector<std::string> names = {"", "1a", "a b", "<a>", "a/b", std::string("a\0b", 3)};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_THROW(document.CreateElement(name), Exception);
    EXPECT_THROW(document.CreateAttribute(name), Exception);
    EXPECT_THROW(document.DocumentElement().SetAttribute(name, "v"), Exception);
  }
  XmlNode root = document.DocumentElement();
  root.SetText("kept");
  for (const char* text : {"a\xff", "a\x01", "\xc3"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(root.SetText(text), Exception);
    EXPECT_THROW(root.SetAttribute("a", text), Exception);
  }
  EXPECT_EQ(root.Xml(), "<r>kept</r>");
  EXPECT_NO_THROW(root.SetText("tab\tline\r\nbreak"));
  try {
    document.CreateElement("a b");
    FAIL();
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find("[a b]"), std::string::npos) << error.Message();
  }
}

TEST(XmlDomXPath, SelectsRelativeToTheNode) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<r><a n=\"1\"><b>x</b></a><a n=\"2\"/><b>y</b></r>"));
  XmlNode root = document.DocumentElement();
  EXPECT_EQ(root.SelectNodes("a").size(), 2u);
  EXPECT_EQ(root.SelectSingleNode("b").Text(), "y");
  EXPECT_EQ(root.SelectSingleNode("a[@n='2']/@n").Text(), "2");
  EXPECT_EQ(root.Child(0).SelectSingleNode("b").Text(), "x");
  EXPECT_EQ(root.Child(0).SelectSingleNode("/r/b").Text(), "y");
  EXPECT_TRUE(root.SelectSingleNode("c").IsNull());
}

TEST(XmlDomXPath, BadExpressionsRaiseNamingTheExpression) {
  XmlDocument document;
  ASSERT_TRUE(document.LoadXml("<r/>"));
  for (const char* expression : {"a[", "///", "", "count(a)", "p:a"}) {
    SCOPED_TRACE(expression);
    try {
      document.DocumentElement().SelectNodes(expression);
      FAIL();
    } catch (const Exception& error) {
      EXPECT_NE(error.Message().find(std::string("[") + expression + "]"), std::string::npos)
          << error.Message();
    }
  }
}

}  // namespace
}  // namespace gateway
