#include "text/XmlText.h"

#include <gtest/gtest.h>

#include <string>

#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {
namespace {

const std::string kDecl(kDefaultDeclaration);
const std::string kDoctype(kDocumentTypeDeclaration);

std::string ConflictMessage(const std::string& what) {
  return "来源字串中已经有标准分隔符[" + what + "]，将会造成数据异常！";
}

TEST(XmlTextSeparator, EncodesAndDecodes) {
  struct Case {
    const char* plain;
    const char* separator;
    const char* encoded;
  };
  const Case cases[] = {
      {"a,b", ",", "a&stdd;b"},
      {",a,,b,", ",", "&stdd;a&stdd;&stdd;b&stdd;"},
      {"a||b|c", "||", "a&stdd;b|c"},
      // ";" also ends the marker itself.
      {"a;b", ";", "a&stdd;b"},
      {"中,文", ",", "中&stdd;文"},
      {"abc", ",", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.plain);
    EXPECT_EQ(EncodeSeparator(c.plain, c.separator), c.encoded);
    EXPECT_EQ(DecodeSeparator(c.encoded, c.separator), c.plain);
  }
  EXPECT_EQ(EncodeSeparator("a,b", ""), "a,b");
  EXPECT_EQ(DecodeSeparator("a&stdd;b,c", ""), "ab,c");
}

TEST(XmlTextSeparator, ConflictsRaiseTheMessage) {
  struct Case {
    bool encode;
    const char* text;
    const char* separator;
    const char* reported;
  };
  const Case cases[] = {
      {true, "a&stdd;b", ",", "&stdd;"},
      {true, "a&stdd;b", "|", "&stdd;"},
      {false, "a,b", ",", ","},
      {false, "a;b&stdd;c", ";", ";"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      c.encode ? EncodeSeparator(c.text, c.separator) : DecodeSeparator(c.text, c.separator);
      FAIL();
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), ConflictMessage(c.reported));
      EXPECT_EQ(error.HelpContext(), 0);
    }
  }
}

TEST(XmlTextHeader, NormalizesEveryKindOfHead) {
  const std::string enc(kEncodingAttribute);
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"<R/>", kDecl + kDoctype + "<R/>"},
      {"<!DOCTYPE X><R/>", kDecl + "<!DOCTYPE X><R/>"},
      {"<?xml version=\"1.0\"?><R/>",
       "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + kDoctype + "<R/>"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><R/>",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + kDoctype + "<R/>"},
      {"<?xml version=\"1.0\"?><!DOCTYPE X><R/>",
       "<?xml version=\"1.0\"" + enc + "?><!DOCTYPE X><R/>"},
      {kDecl + "<!DOCTYPE Y><R/>", kDecl + "<!DOCTYPE Y><R/>"},
      {"<?XML VERSION=\"1.0\"?><R/>", "<?XML VERSION=\"1.0\"" + enc + "?>" + kDoctype + "<R/>"},
      // "encoding=" anywhere in the first 100 characters counts.
      {"<?xml version=\"1.0\"?><R a=\"encoding=\"/>",
       "<?xml version=\"1.0\"?>" + kDoctype + "<R a=\"encoding=\"/>"},
      // Leading blanks and line breaks, and line breaks inside the declaration.
      {" \r\n\t<?xml version=\"1.0\"?><R/>",
       " \r\n\t<?xml version=\"1.0\"" + enc + "?>" + kDoctype + "<R/>"},
      {"<?xml version=\"1.0\"\r\n?>\r\n<R/>",
       "<?xml version=\"1.0\"\r\n" + enc + "?>" + kDoctype + "\r\n<R/>"},
      {"<?xml version=\"1.0\"", "<?xml version=\"1.0\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(NormalizeXmlHeader(c.text), c.expected);
  }
}

TEST(XmlTextHeader, NormalizedTextParsesAndReadsTheMarkerBack) {
  for (const std::string text : {"<R a=\"x&stdd;y\">a&stdd;b</R>",
                                 "<?xml version=\"1.0\"\r\n?>\r\n<R a=\"x&stdd;y\">a&stdd;b</R>",
                                 "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<R a=\"x&stdd;y\">\n"
                                 "  a&stdd;b\n</R>"}) {
    SCOPED_TRACE(text);
    XmlNode root = LoadNormalizedXml(text).DocumentElement();
    ASSERT_FALSE(root.IsNull());
    EXPECT_EQ(Trim(GetNodeText(root)), "a&stdd;b");
    EXPECT_EQ(GetAttributeText(root, "a"), "x&stdd;y");
    EXPECT_EQ(DecodeSeparator(GetAttributeText(root, "a"), ","), "x,y");
    // The whole document, written and read again, still says the same.
    XmlNode again = LoadXmlDocument(root.OwnerDocument().Xml()).DocumentElement();
    ASSERT_FALSE(again.IsNull()) << root.OwnerDocument().Xml();
    EXPECT_EQ(GetNodeText(again), GetNodeText(root));
    EXPECT_EQ(GetAttributeText(again, "a"), "x&stdd;y");
  }
  // Markers are the normal case, not an expansion attack: many of them parse.
  std::string rows;
  for (int i = 0; i < 20000; ++i) rows += "<Row Data=\"a&stdd;b&stdd;c\">x&stdd;y</Row>";
  XmlNode data = LoadNormalizedXml("<DataSet>" + rows + "</DataSet>").DocumentElement();
  ASSERT_FALSE(data.IsNull());
  EXPECT_EQ(data.ChildCount(), 20000u);
  EXPECT_EQ(GetAttributeText(data.Child(19999), "Data"), "a&stdd;b&stdd;c");
  EXPECT_EQ(GetNodeText(data.Child(19999)), "x&stdd;y");
  // A document type the text brings along stays, even without `stdd`.
  EXPECT_TRUE(LoadNormalizedXml("<!DOCTYPE R><R>a&stdd;b</R>").DocumentElement().IsNull());
  // Loaded unchanged, the marker is an undeclared entity.
  EXPECT_TRUE(LoadXmlDocument("<R>a&stdd;b</R>").DocumentElement().IsNull());
}

TEST(XmlTextAccessors, FindGetAndSetChildren) {
  XmlDocument document = LoadNormalizedXml("<R k=\"v\"><A>1</A><B><C>2</C></B></R>");
  XmlNode root = document.DocumentElement();
  EXPECT_EQ(GetAttributeText(root, "k"), "v");
  EXPECT_EQ(GetAttributeText(root, "missing"), "");
  EXPECT_EQ(GetChildText(root, "A"), "1");
  EXPECT_EQ(GetChildText(root, "B/C"), "2");
  EXPECT_EQ(GetChildText(root, "Z"), "");
  EXPECT_TRUE(FindChildNode(root, "Z", false).IsNull());
  EXPECT_EQ(root.ChildCount(), 2u);

  XmlNode a = SetChildText(root, "A", "one");
  EXPECT_EQ(a, root.Child(0));
  XmlNode z = SetChildText(root, "Z", "a&stdd;b");
  EXPECT_EQ(z, root.Child(2));
  EXPECT_EQ(root.Xml(), "<R k=\"v\"><A>one</A><B><C>2</C></B><Z>a&amp;stdd;b</Z></R>");
  EXPECT_EQ(GetChildText(LoadNormalizedXml(root.Xml()).DocumentElement(), "Z"), "a&stdd;b");
  // A path cannot be created as an element.
  EXPECT_THROW(FindChildNode(root, "X/Y", true), Exception);

  XmlNode none;
  EXPECT_EQ(GetNodeText(none), "");
  EXPECT_EQ(GetAttributeText(none, "k"), "");
  EXPECT_EQ(GetChildText(none, "A"), "");
  EXPECT_THROW(SetChildText(none, "A", "x"), Exception);
}

TEST(XmlTextDocuments, NewAndFailedDocumentsAreEmpty) {
  EXPECT_TRUE(NewXmlDocument().DocumentElement().IsNull());
  EXPECT_TRUE(LoadNormalizedXml("<R>").DocumentElement().IsNull());
  EXPECT_TRUE(LoadNormalizedXml("<R>\xc0\xaf</R>").DocumentElement().IsNull());
  EXPECT_EQ(GetNodeText(LoadNormalizedXml("<R>中文</R>").DocumentElement()), "中文");
}

}  // namespace
}  // namespace gateway
